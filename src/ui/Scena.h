#pragma once

// What the forms ask of the window they live in. The program shows them inside one stage window
// (the desktop's `Palco`), which makes itself known here; without one (tests, tools) every form
// is a top-level window of the desktop, and these answer as the desktop would.

#include <QPoint>
#include <QRect>

class QWidget;

namespace hn {

class Scena {
public:
    // The stage of this run, null when there is none.
    static Scena* attuale();

    // Makes a program window one of the stage's windows.
    virtual void entra(QWidget& finestra) = 0;
    // Gives a window of the stage the activation and the keyboard, raising it.
    virtual void daiAttivazione(QWidget& finestra) = 0;
    virtual bool haAttivazione(const QWidget& finestra) const = 0;
    // The window the toolkit's own dialogs (message boxes, the file chooser) belong to.
    virtual QWidget* finestraDeiDialoghi() = 0;
    // Where a point of a widget lies on the desktop, as the stage shows it.
    virtual QPoint globale(const QWidget& w, QPoint p) const = 0;

protected:
    Scena();
    virtual ~Scena();
};

// Puts a program window on the stage when there is one; without one it stays a top-level
// window of the desktop.
void sulPalco(QWidget& finestra);
// Gives a program window the activation: inside the stage, or on the desktop.
void attivaFinestra(QWidget& finestra);
// Whether a program window has the activation, inside the stage or on the desktop.
bool eFinestraAttiva(const QWidget& finestra);
// The window the toolkit's own dialogs belong to.
QWidget* finestraPerDialoghi();
// Where a point or a rectangle of a widget lies on the desktop: for tooltips, pop-ups and
// assistive tools. Not mapToGlobal, which misses the stage's view when it shows the screen
// scaled down.
QPoint puntoGlobale(const QWidget& w, QPoint p);
QRect rettangoloGlobale(const QWidget& w, const QRect& r);

} // namespace hn
