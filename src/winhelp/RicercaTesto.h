#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace hn::winhelp {

struct Argomento;

// The plain text of a topic: its title, then its paragraphs.
QString testoSemplice(const Argomento& a);

struct Risultato {
    int argomento;
    int punti;
};

// A full-text index over a help file's topics. Every word of the query must appear in a topic,
// as a word or the start of one; topics rank by how often they hold the words, the title
// counting most.
class IndiceTesto {
public:
    void aggiungi(int argomento, const QString& titolo, const QString& testo);
    // Sorts the words for prefix look-ups; done by the first query otherwise (best on the
    // thread that built the index).
    void completa();
    QList<Risultato> cerca(const QString& domanda, int massimo = 100);
    bool vuoto() const { return parole_.isEmpty(); }

private:
    struct Presenza {
        int argomento;
        int volte;
        bool titolo;
    };
    QHash<QString, QList<Presenza>> parole_;
    QStringList ordinate_;
    bool completo_ = true;
};

} // namespace hn::winhelp
