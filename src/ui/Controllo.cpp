#include "Controllo.h"

#include "Host.h"

#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace hn {

namespace accessibile {
void nascondi(QWidget* controllo) {
    controllo->setFocusPolicy(Qt::NoFocus);
    controllo->setProperty("hn_nascosto", true);
}

bool nascosto(const QWidget* controllo) {
    return controllo->property("hn_nascosto").toBool();
}
} // namespace accessibile

double twipsPerPixelX() {
    return host().screen->twipsPerPixelX();
}
double twipsPerPixelY() {
    return host().screen->twipsPerPixelY();
}
int pixelX(double twips) {
    return static_cast<int>(std::lround(twips / twipsPerPixelX()));
}
int pixelY(double twips) {
    return static_cast<int>(std::lround(twips / twipsPerPixelY()));
}

void ControlloConPicture::ImpostaPicture(const QImage& immagine) {
    picture_ = immagine;
    rendizioni_ = {};
    nitida_.svuota();
    pictureCambiata();
}

void ControlloConPicture::ImpostaRendizioni(Rendizioni r) {
    rendizioni_ = std::move(r);
    nitida_.svuota();
    rendizioniCambiate();
}

void ControlloConPicture::disegnaPicture(QPainter& p, const QRectF& dove, const QRegion& regione) {
    disegnaNitido(p, dove, picture_, rendizioni_, nitida_, filtroDelProgramma(), regione);
}

int pulsantiDi(Qt::MouseButtons pulsanti) {
    int b = 0;
    if (pulsanti & Qt::LeftButton)
        b |= Pulsante::Sinistro;
    if (pulsanti & Qt::RightButton)
        b |= Pulsante::Destro;
    if (pulsanti & Qt::MiddleButton)
        b |= Pulsante::Centrale;
    return b;
}

int maiuscoleDi(Qt::KeyboardModifiers modificatori) {
    int s = 0;
    if (modificatori & Qt::ShiftModifier)
        s |= 1;
    if (modificatori & Qt::ControlModifier)
        s |= 2;
    if (modificatori & Qt::AltModifier)
        s |= 4;
    return s;
}

// ---- EventiControllo ----

namespace {
float inTwipsX(double pixel) {
    return static_cast<float>(pixel * twipsPerPixelX());
}
float inTwipsY(double pixel) {
    return static_cast<float>(pixel * twipsPerPixelY());
}
} // namespace

void EventiControllo::giu(const QMouseEvent& e, QPointF angolo) {
    const QPointF p = e.position() - angolo;
    Q_EMIT MouseDown(pulsantiDi(e.button()), maiuscoleDi(e.modifiers()), inTwipsX(p.x()),
                     inTwipsY(p.y()));
}

void EventiControllo::mosso(const QMouseEvent& e, QPointF angolo) {
    const QPointF p = e.position() - angolo;
    Q_EMIT MouseMove(pulsantiDi(e.buttons()), maiuscoleDi(e.modifiers()), inTwipsX(p.x()),
                     inTwipsY(p.y()));
}

void EventiControllo::su(const QMouseEvent& e, QPointF angolo) {
    const QPointF p = e.position() - angolo;
    Q_EMIT MouseUp(pulsantiDi(e.button()), maiuscoleDi(e.modifiers()), inTwipsX(p.x()),
                   inTwipsY(p.y()));
}

void EventiControllo::premi(double larghezza, double altezza) {
    const float x = static_cast<float>(larghezza / 2), y = static_cast<float>(altezza / 2);
    const QPointer<EventiControllo> guardia(this);
    Q_EMIT MouseDown(Pulsante::Sinistro, 0, x, y);
    if (guardia)
        Q_EMIT MouseUp(Pulsante::Sinistro, 0, x, y);
    if (guardia)
        Q_EMIT Click();
}

// ---- BaseControllo ----

void BaseControllo::setLeftTw(double t) {
    MoveTw(t, top_, width_, height_);
}
void BaseControllo::setTopTw(double t) {
    MoveTw(left_, t, width_, height_);
}

void BaseControllo::MoveTw(double left, double top, double width, double height) {
    left_ = left;
    top_ = top;
    width_ = std::max(0.0, width);
    height_ = std::max(0.0, height);
    applicaGeometria();
}

void BaseControllo::applicaGeometria() {
    widget_.setGeometry(pixelX(left_), pixelY(top_), pixelX(width_), pixelY(height_));
}

bool BaseControllo::Visible() const {
    return !widget_.isHidden();
}
void BaseControllo::ImpostaVisible(bool visibile) {
    widget_.setVisible(visibile);
}

bool BaseControllo::Enabled() const {
    return widget_.isEnabledTo(widget_.parentWidget());
}
void BaseControllo::ImpostaEnabled(bool attivo) {
    widget_.setEnabled(attivo);
}

} // namespace hn
