#include "FXImage.h"

#include "ErroreVB.h"
#include "Host.h"
#include "Immagine.h"
#include "PictureBox.h"

#include <QMouseEvent>
#include <QPaintDevice>
#include <QPaintEvent>
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
    ImpostaPicture(LoadPicture(percorso));
    fileName_ = percorso;
    // The files beside it named as its renditions, or none: never the old picture's.
    ImpostaRendizioni(rendizioniNellaCartella(percorso, picture().size()));
}

void FXImage::caricaDati(const QByteArray& dati) {
    // Decoded whole before anything changes: a failure leaves the old picture on show.
    ImpostaPicture(decodificaImmagine(dati));
}

void FXImage::pictureCambiata() {
    fileName_.clear();
    adattaAllaFigura();
    update();
}

void FXImage::adattaAllaFigura() {
    if (autoSize_ == 1 && !picture().isNull())
        MoveTw(LeftTw(), TopTw(), picture().width() * twipsPerPixelX(),
               picture().height() * twipsPerPixelY());
}

void FXImage::setPrinterhDC(QPainter* dispositivo) const {
    if (!dispositivo || !dispositivo->isActive() || !dispositivo->device())
        throw ErroreVB(Errore::Stampante);
    if (picture().isNull())
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
    dispositivo->drawImage(area, rendizionePiuGrande(picture(), rendizioni()));
    dispositivo->restore();
}

void FXImage::paintEvent(QPaintEvent* e) {
    if (picture().isNull())
        return;
    QPainter p(this);
    preparaPittore(p);
    const QRectF dove = autoSize_ == 2 ? QRectF(rect()) : QRectF(QPointF(), picture().size());
    disegnaPicture(p, dove, e->region());
}

void FXImage::setMouseIcon(const QImage& icona, const Rendizioni& rendizioni) {
    icona_ = icona;
    rendizioniIcona_ = rendizioni;
    scalaCursore_ = devicePixelRatioF();
    if (icona_.isNull())
        unsetCursor();
    else
        setCursor(cursoreNitido(icona_, rendizioniIcona_, scalaCursore_));
}

bool FXImage::event(QEvent* e) {
    // The stage's factor changed (Alt+Enter, another monitor): the pointer is made again for it.
    if (e->type() == QEvent::ScreenChangeInternal && !icona_.isNull() &&
        !qFuzzyCompare(scalaCursore_, devicePixelRatioF()))
        setMouseIcon(icona_, rendizioniIcona_);
    return QWidget::event(e);
}

void FXImage::hideEvent(QHideEvent* e) {
    nascostaLaPicture();
    QWidget::hideEvent(e);
}

void FXImage::rendizioniCambiate() {
    update();
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
