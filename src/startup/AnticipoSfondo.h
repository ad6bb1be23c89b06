#pragma once

// The home screen's background made ready on a thread of its own while Qt and the stage start:
// the picture decoded and, on a screen with more pixels than the picture has, its drawing for
// those pixels made from the larger rendition (or, on a later start with the same files and
// screen, read back from the user's cache folder). The start-up still runs every step itself in its
// order; where it loads the background it takes what is ready, if the files it came from are
// still the same ones, and otherwise loads them as always. Nothing the user sees depends on
// whether the work was ready, only how soon.

#include "Ridimensiona.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace hn::anticipo {

// Starts finding and reading "sistemi.bmp" as the start-up will find it in the installation at
// `prefisso` (the folder HostPaths maps, with its default Windows and program folders): the
// Windows folder's KORMM.INI names the module's INI file, whose [Directory2] Sfondi names the
// folder. Anything missing or odd just ends the work. Does nothing while a run is going; after
// ferma() it starts anew.
void avvia(const QString& prefisso);

// The screen's device pixels per picture pixel, once known: the drawing for them is made when
// it is more than one and a rendition is there. Nought when none is wanted.
void impostaScala(double fattore);

// What was made ready for the picture at `percorsoHost`.
struct Sfondo {
    QImage picture;
    // The rendition factors found beside it, 1 first.
    QList<int> fattori;
    // The drawing's device size and filter, with a wait for it that gives nothing when it was
    // not made or its rendition changed since: its pixels when made on this start, its bands in
    // the user's cache folder when made on an earlier one. Empty size: no drawing comes.
    QSize dispositivo;
    Filtro filtro = Filtro::Nitido;
    std::function<Fatta()> disegno;
};

// The ready picture when it is that file's, read while it stayed the same file and still the
// same now; waits for the thread to get that far. Given once: the second call gives nothing.
std::optional<Sfondo> prendi(const QString& percorsoHost);

// Tells the thread to wait no longer for the scale and waits for it to end; what it made can
// still be taken. Before the program ends, so no thread outlives what it uses.
void ferma();

} // namespace hn::anticipo
