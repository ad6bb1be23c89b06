#pragma once

// Questions made from the captions: a structure's caption with its name, in every form the text
// gives it, blanked out; the answer is the structure itself, reached by click, key or name.

#include "DatiAtlante.h"
#include "Ripasso.h"

#include <QRect>

#include <QList>
#include <QString>
#include <QStringList>
#include <random>

namespace hn::atlante {

inline constexpr char16_t Lacuna[] = u"______";

struct Domanda {
    QString codice;     // the caption's code, shared by all the structure's records
    QString nome;       // as the caption's bold opening gives it
    QString testo;      // the caption with every form of the name blanked
    QList<int> hotspot; // the structure's hotspot numbers on its plate (from 1)
    QString tavola;     // the plate's key
};

// Whether a word of a text is a form of a word of a name (both normalised): Polish inflects by
// ending, so they must share the name word's stem, give or take a changed vowel or two.
bool formaDi(QStringView parola, QStringView parolaNome);

// The text with every word that is a form of a word of the name blanked; a run of blanked words
// (with what separates them) is one blank.
QString nascondiNome(const QString& testo, const QString& nome);

// Questions of a plate: one per structure (records grouped by code; links and the header are no
// structures), in record order. A caption with no bold name, or with nothing left to read once
// the name is blanked, is not asked.
QList<Domanda> domandeTavola(const DatiAtlante& dati, const QString& chiave);
// The same within a budget shared by several plates (a whole body system's round).
QList<Domanda> domandeTavola(const DatiAtlante& dati, const QString& chiave,
                             LetturaLimitata& lettura);

// Every named structure of a plate, one per code in record order, whatever its caption says
// beside the name: what the name-it questions ask.
QList<Domanda> struttureTavola(const DatiAtlante& dati, const QString& chiave,
                               LetturaLimitata& lettura);

// Up to `quante` distinct structures (by code), in a random order.
QList<Domanda> scegliDomande(QList<Domanda> tutte, int quante, std::mt19937& caso);

// Whether a typed answer names the structure: case, Polish letters and punctuation don't matter.
bool rispostaGiusta(QStringView scritto, const Domanda& domanda);

// Four names to choose among (fewer when the structures are fewer): the answer and others of
// different structures, preferably from the same plate, in a random order.
QStringList alternative(const QList<Domanda>& tutte, const Domanda& giusta, std::mt19937& caso,
                        int quante = 4);

// The record number of a structure's label on its plate (the structure's topmost record, which
// lies over the label's text), or 0 when its topmost record is no label: a lone shape, or an area
// too tall to be a line of text.
int etichettaDi(const DatiAtlante& dati, const Domanda& domanda);
// A record's rectangle in picture pixels, as its hotspot covers it.
QRect rettangoloDi(const DatiAtlante& dati, const QString& tavola, int hotspot);

// The structures due on `oggi` in the diary, each once, at its first place in the plate tree:
// the most overdue first. A structure the atlas no longer has is left out.
QList<Domanda> daRipassare(const DatiAtlante& dati, const ripasso::Diario& diario, qint64 oggi,
                           LetturaLimitata& lettura);

// How a typed name matches the structure's: exactly (case, Polish letters and punctuation aside),
// near (a small typo, or the other member of a pair: left for right, one of "X i Y", a singular
// for a plural) or not at all.
enum class Corrispondenza { Nessuna, Vicina, Esatta };
Corrispondenza confronta(QStringView scritto, const QString& nome);

} // namespace hn::atlante
