#pragma once

// Spaced review of the atlas's structures: each structure the student has been asked keeps a
// memory state (stability, difficulty, when it was last seen and when it is due), updated by every
// answer with the FSRS-5 model so that a structure comes back when the chance of still knowing it
// has fallen to about 90 %. A structure is one memory wherever it is drawn: both sides of a pair
// and the same structure on several plates share their name, and the key is that name normalised.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

namespace hn::atlante::ripasso {

// How an answer went, on FSRS's four grades.
enum class Voto {
    Ancora = 1,    // wrong
    Difficile = 2, // right, but only with help (a typo forgiven, a choice among four)
    Bene = 3,      // right
    Facile = 4,    // right at once and without hesitation
};

struct Parametri {
    // The model's published default weights.
    std::array<double, 19> w{0.40255, 1.18385, 3.173,  15.69105, 7.1949, 0.5345, 1.4604,
                             0.0046,  1.54575, 0.1192, 1.01925,  1.9395, 0.11,   0.29605,
                             2.2698,  0.2315,  2.9898, 0.51655,  0.6621};
    double ritenzione = 0.9;       // the chance of recall a review is planned for
    int intervalloMassimo = 36500; // days
};

// The memory of one structure. Days are Julian day numbers (QDate::toJulianDay).
struct Memoria {
    double stabilita = 0;  // days after which recall falls to 90 %
    double difficolta = 0; // 1 (easy) … 10 (hard)
    qint64 ultimo = 0;     // the day of the last answer
    qint64 scadenza = 0;   // the day it is due again
    int ripetizioni = 0;   // answers given
    int errori = 0;        // wrong answers after the first
    bool nuova() const { return ripetizioni == 0; }
    bool operator==(const Memoria&) const = default;
};

// The chance of recalling, `giorni` days after the last answer, a memory of this stability.
double recuperabilita(double giorni, double stabilita);
// Days until recall falls to `ritenzione`, for a memory of this stability.
double intervallo(double stabilita, double ritenzione);

// The memory after an answer given on day `oggi`.
Memoria aggiorna(const Memoria& prima, Voto voto, qint64 oggi, const Parametri& p = {});

enum class Stato {
    Nuova,           // never asked
    InApprendimento, // asked, not due, but not yet held for three weeks
    Conosciuta,      // not due and held for three weeks or more
    DaRipassare,     // due today or earlier
};
Stato statoDi(const Memoria& m, qint64 oggi);

// The key of a structure: its name normalised as the search normalises it.
QString chiaveStruttura(QStringView nome);

// Whether a typed answer names the structure closely enough: case, Polish letters and
// punctuation never matter; a name of five letters or more forgives one slip (a letter missing,
// added, changed, or two swapped), one of nine or more two. `esatta` tells whether no slip was
// needed, so a forgiven typo can count as a harder answer.
bool rispostaVicina(QStringView scritto, QStringView nome, bool* esatta = nullptr);

// Every structure's memory, as kept in the user's settings.
class Diario {
public:
    const Memoria* trova(const QString& chiave) const;
    Memoria memoria(const QString& chiave) const; // a new one when never asked
    void registra(const QString& chiave, Voto voto, qint64 oggi, const Parametri& p = {});
    void imposta(const QString& chiave, const Memoria& m) { voci_.insert(chiave, m); }
    qsizetype size() const { return voci_.size(); }
    // Every structure ever asked, in no particular order.
    QStringList chiavi() const { return voci_.keys(); }

    // The keys among `chiavi` due on `oggi`, most overdue first (then in the given order).
    QStringList daRipassare(const QStringList& chiavi, qint64 oggi) const;

    // A line-based text, one structure a line, so a damaged stretch loses only its own lines.
    QByteArray scrivi() const;
    // Reads what `scrivi` wrote. Lines that cannot be read (damaged, truncated, values out of
    // range, a key twice) are skipped and counted in `scartate`; a file of another kind or a
    // later version reads as empty, with every line counted.
    static Diario leggi(QByteArrayView dati, int* scartate = nullptr);

private:
    QHash<QString, Memoria> voci_;
};

} // namespace hn::atlante::ripasso
