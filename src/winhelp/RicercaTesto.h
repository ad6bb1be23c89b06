#pragma once

#include <QList>
#include <QMap>
#include <QString>

namespace hn::winhelp {

struct Argomento;

// Text folded for searching: lower case, no diacritics ("Żółć" → "zolc").
QString piega(QStringView testo);
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
    QList<Risultato> cerca(const QString& domanda, int massimo = 100) const;
    bool vuoto() const { return parole_.isEmpty(); }

private:
    struct Presenza {
        int argomento;
        int volte;
        bool titolo;
    };
    QMap<QString, QList<Presenza>> parole_;
};

} // namespace hn::winhelp
