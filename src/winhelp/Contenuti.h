#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace hn::winhelp {

// A ".cnt" contents file: headings and topics in a tree, each topic by context name.
struct VoceContenuti {
    int livello = 1;
    QString testo;
    QString contesto; // empty for a heading
    QString file, finestra;
    QList<VoceContenuti> figli;
};

struct Contenuti {
    QString base, titolo;
    QList<VoceContenuti> voci;
};

// Reads the text (already decoded); lines it does not understand are passed over. Depth is
// capped, so a hostile file cannot nest without end.
Contenuti leggiContenuti(const QString& testo);

// One macro call: its name as written and its arguments, quotes taken off.
struct ChiamataMacro {
    QString nome;
    QStringList argomenti;
};

// "JI(`a.hlp',`x'); Back()" → two calls. Strings take "…" or `…' quotes; unknown shapes end
// the list rather than guess.
QList<ChiamataMacro> leggiMacro(const QString& testo);

// The canonical name of a macro given in full or abbreviated ("JI" → "JumpId"), lower case
// input accepted; the name as given when it is not one a reader knows.
QString nomeMacro(const QString& nome);

} // namespace hn::winhelp
