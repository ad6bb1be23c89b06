#include "FXImage.h"

#include "ErroreVB.h"
#include "Host.h"
#include "PictureBox.h"

#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>

namespace hn {

namespace {

double twipsX() {
    return host().screen->twipsPerPixelX();
}
double twipsY() {
    return host().screen->twipsPerPixelY();
}

int pulsanti(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
           (b & Qt::MiddleButton ? 4 : 0);
}

int tasti(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

} // namespace

FXImage::FXImage(QWidget* parent)
    : QWidget(parent) {
    setMouseTracking(true);
}

void FXImage::setAutoSize(int modo) {
    autoSize_ = modo;
    adattaAllaFigura();
    update();
}

void FXImage::setFileName(const QString& percorso) {
    // Loaded whole before anything changes: a failure leaves the old picture on show.
    QImage nuova = LoadPicture(percorso);
    fileName_ = percorso;
    picture_ = std::move(nuova);
    adattaAllaFigura();
    update();
}

void FXImage::ImpostaPicture(const QImage& immagine) {
    picture_ = immagine;
    fileName_.clear();
    adattaAllaFigura();
    update();
}

void FXImage::adattaAllaFigura() {
    if (autoSize_ == 1 && !picture_.isNull())
        resize(picture_.size());
}

int FXImage::Left() const {
    return qRound(x() * twipsX());
}
int FXImage::Top() const {
    return qRound(y() * twipsY());
}
int FXImage::Width() const {
    return qRound(width() * twipsX());
}
int FXImage::Height() const {
    return qRound(height() * twipsY());
}

void FXImage::Move(int left, int top, int width, int height) {
    setGeometry(qRound(left / twipsX()), qRound(top / twipsY()), qRound(width / twipsX()),
                qRound(height / twipsY()));
}

void FXImage::setPrinterhDC(QPainter* dispositivo) const {
    if (!dispositivo || !dispositivo->isActive() || !dispositivo->device())
        throw ErroreVB(Errore::Stampante);
    if (picture_.isNull())
        return;
    const double kx = dispositivo->device()->logicalDpiX() / 1440.0;
    const double ky = dispositivo->device()->logicalDpiY() / 1440.0;
    const QRectF area(stampa_.left() * kx, stampa_.top() * ky, stampa_.width() * kx,
                      stampa_.height() * ky);
    dispositivo->save();
    dispositivo->setRenderHint(QPainter::SmoothPixmapTransform);
    // A plate is line art with labels: a PDF keeps it lossless rather than as JPEG.
    dispositivo->setRenderHint(QPainter::LosslessImageRendering);
    dispositivo->drawImage(area, picture_);
    dispositivo->restore();
}

void FXImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter p(this);
    if (autoSize_ == 2)
        p.drawImage(rect(), picture_);
    else
        p.drawImage(0, 0, picture_);
}

void FXImage::mousePressEvent(QMouseEvent* e) {
    Q_EMIT MouseDown(pulsanti(e->button()), tasti(e->modifiers()),
                     float(e->position().x() * twipsX()), float(e->position().y() * twipsY()));
}

void FXImage::mouseMoveEvent(QMouseEvent* e) {
    Q_EMIT MouseMove(pulsanti(e->buttons()), tasti(e->modifiers()),
                     float(e->position().x() * twipsX()), float(e->position().y() * twipsY()));
}

void FXImage::mouseReleaseEvent(QMouseEvent* e) {
    Q_EMIT MouseUp(pulsanti(e->button()), tasti(e->modifiers()),
                   float(e->position().x() * twipsX()), float(e->position().y() * twipsY()));
}

} // namespace hn
