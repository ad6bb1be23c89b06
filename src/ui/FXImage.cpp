#include "FXImage.h"

#include "ErroreVB.h"
#include "Host.h"
#include "Immagine.h"
#include "PictureBox.h"

#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>

namespace hn {

FXImage::FXImage(QWidget* parent)
    : QWidget(parent)
    , BaseControllo(this) {
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
    // The files beside it named as its renditions, or none: never the old picture's.
    ImpostaRendizioni(rendizioniNellaCartella(percorso, picture_.size()));
    adattaAllaFigura();
    update();
}

void FXImage::caricaDati(const QByteArray& dati) {
    // Decoded whole before anything changes: a failure leaves the old picture on show.
    ImpostaPicture(decodificaImmagine(dati));
}

void FXImage::ImpostaPicture(const QImage& immagine) {
    picture_ = immagine;
    rendizioni_ = {};
    fileName_.clear();
    adattaAllaFigura();
    update();
}

void FXImage::adattaAllaFigura() {
    if (autoSize_ == 1 && !picture_.isNull())
        MoveTw(LeftTw(), TopTw(), picture_.width() * twipsPerPixelX(),
               picture_.height() * twipsPerPixelY());
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
    // A printer has the dots for the largest rendition: its pixels, in the 1 × picture's place.
    dispositivo->drawImage(area, rendizionePiuGrande(picture_, rendizioni_));
    dispositivo->restore();
}

void FXImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter p(this);
    // Smoothed at a fractional scale, unsmoothed at a whole one, as every picture control.
    preparaPittore(p);
    if (autoSize_ == 2)
        p.drawImage(rect(), picture_);
    else
        p.drawImage(0, 0, picture_);
}

void FXImage::mousePressEvent(QMouseEvent* e) {
    eventi_.giu(*e);
}

void FXImage::mouseMoveEvent(QMouseEvent* e) {
    eventi_.mosso(*e);
}

void FXImage::mouseReleaseEvent(QMouseEvent* e) {
    eventi_.su(*e);
}

} // namespace hn
