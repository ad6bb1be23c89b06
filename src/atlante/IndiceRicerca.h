#pragma once

// Finding any structure or plate by name: structure names (the bold opening of each caption; for
// a link hotspot the title of the plate it opens), plate titles, and the text of captions and
// descriptions, matched without regard to case or diacritics.

#include "DatiAtlante.h"
#include "Normalizza.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace hn::atlante {

using hn::normalizza;

struct Risultato {
    QString nome;
    QString dove;         // "system › plate"
    QStringList percorso; // the viewer's keys from the system's first plate to the plate
    int hotspot = 0;      // the structure's hotspot number on that plate; 0 for the plate itself
    int rango = 0;        // 0 whole name, 1 name prefix, 2 a word of the name, 3 the text
};

class IndiceRicerca {
public:
    // Reads each text only as far as the budget allows (a name and the start of the text).
    explicit IndiceRicerca(const DatiAtlante& dati, const Budget& budget = {});
    // False when the budget ran out before every text was read.
    bool completo() const { return completo_; }

    // Matches in rank order, ties in tree order; at most `massimo`, and in `totale` how many
    // there are in all. An empty query finds nothing.
    QList<Risultato> cerca(QStringView domanda, int massimo = 50, int* totale = nullptr) const;
    qsizetype voci() const { return voci_.size(); }

private:
    struct Voce {
        QString nome;
        int nodo = 0, hotspot = 0;
    };
    // Every entry's normalised name, and its text, one after the other, each opened by a blank
    // (so a word starts after a blank) and closed by a line feed (which no normalised text holds,
    // so no match runs from one entry into the next). A query is one pass over each.
    struct Testi {
        QString tutto;
        QList<qsizetype> inizi; // where entry k begins
        void aggiungi(const QString& normalizzato);
        qsizetype voceA(qsizetype posizione) const;
    };
    QList<Voce> voci_;
    Testi nomi_, testi_;
    QStringList percorso(int nodo) const;
    QStringList chiavi_;  // per tree node
    QList<int> genitori_; // per tree node
    QStringList dove_;    // per tree node
    bool completo_ = true;
};

} // namespace hn::atlante
