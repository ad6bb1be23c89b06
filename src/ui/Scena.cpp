#include "Scena.h"

#include <QApplication>
#include <QWidget>

namespace hn {

namespace {
Scena* scenaAttuale = nullptr;
} // namespace

Scena* Scena::attuale() {
    return scenaAttuale;
}

Scena::Scena() {
    scenaAttuale = this;
}

Scena::~Scena() {
    if (scenaAttuale == this)
        scenaAttuale = nullptr;
}

void sulPalco(QWidget& finestra) {
    if (Scena* s = Scena::attuale())
        s->entra(finestra);
}

void attivaFinestra(QWidget& finestra) {
    if (Scena* s = Scena::attuale())
        s->daiAttivazione(finestra);
    else
        finestra.activateWindow();
}

bool eFinestraAttiva(const QWidget& finestra) {
    if (const Scena* s = Scena::attuale())
        return s->haAttivazione(finestra);
    return finestra.isActiveWindow();
}

QWidget* finestraPerDialoghi() {
    if (Scena* s = Scena::attuale())
        return s->finestraDeiDialoghi();
    return QApplication::activeWindow();
}

QPoint puntoGlobale(const QWidget& w, QPoint p) {
    if (const Scena* s = Scena::attuale())
        return s->globale(w, p);
    return w.mapToGlobal(p);
}

QRect rettangoloGlobale(const QWidget& w, const QRect& r) {
    // The far corner mapped too: scaled down, the rectangle is smaller on the desktop.
    return QRect(puntoGlobale(w, r.topLeft()),
                 puntoGlobale(w, r.topLeft() + QPoint(r.width(), r.height())) - QPoint(1, 1));
}

} // namespace hn
