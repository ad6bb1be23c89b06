#include "Ridimensiona.h"

#include <QPainter>
#include <QPixmap>
#include <QTransform>
#include <cmath>

namespace hn {

namespace {

// Larger than any screen's side: a control stretched past it is drawn by the painter, not
// made as a picture of that size.
constexpr int latoMassimo = 16384;

// A whole factor per axis: each picture pixel becomes a block of device pixels.
bool multiploIntero(QSize sorgente, QSize bersaglio) {
    return bersaglio.width() % sorgente.width() == 0 && bersaglio.height() % sorgente.height() == 0;
}

// What the screen's buffer takes without converting at every paint.
QImage perLoSchermo(QImage immagine) {
    const QImage::Format formato =
        immagine.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (immagine.format() != formato)
        immagine.convertTo(formato);
    immagine.setDevicePixelRatio(1);
    return immagine;
}

} // namespace

Filtro filtroDa(const QString& valore) {
    const QString v = valore.trimmed().toLower();
    if (v == QLatin1String("smooth"))
        return Filtro::Liscio;
    if (v == QLatin1String("pixel"))
        return Filtro::Pixel;
    return Filtro::Nitido;
}

Filtro filtroDelProgramma() {
    static const Filtro filtro = filtroDa(qEnvironmentVariable("HNEMAR_FILTER"));
    return filtro;
}

QImage ridimensiona(const QImage& sorgente, QSize bersaglio, Filtro filtro) {
    if (sorgente.isNull() || bersaglio.isEmpty() || bersaglio.width() > latoMassimo ||
        bersaglio.height() > latoMassimo)
        return {};
    const QSize s = sorgente.size();
    if (s == bersaglio)
        return perLoSchermo(sorgente);
    if (filtro == Filtro::Pixel || multiploIntero(s, bersaglio))
        return perLoSchermo(
            sorgente.scaled(bersaglio, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    const bool ingrandisce = bersaglio.width() > s.width() || bersaglio.height() > s.height();
    if (filtro == Filtro::Liscio || !ingrandisce)
        return perLoSchermo(
            sorgente.scaled(bersaglio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    // Sharp-bilinear: every pixel becomes an even block first, so the smoothing that follows
    // only softens the blocks' edges, by less than one device pixel.
    const int kx = std::max(1, (bersaglio.width() + s.width() - 1) / s.width());
    const int ky = std::max(1, (bersaglio.height() + s.height() - 1) / s.height());
    const QImage blocchi = sorgente.scaled(QSize(s.width() * kx, s.height() * ky),
                                           Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (blocchi.size() == bersaglio)
        return perLoSchermo(blocchi);
    return perLoSchermo(blocchi.scaled(bersaglio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

double fattoreNecessario(QSize base, QSize dispositivo) {
    if (base.isEmpty() || dispositivo.isEmpty())
        return 1;
    return std::max(double(dispositivo.width()) / base.width(),
                    double(dispositivo.height()) / base.height());
}

QImage perIlDispositivo(const QImage& base, const Rendizioni& rendizioni, QSize dispositivo,
                        Filtro filtro) {
    if (base.isNull())
        return {};
    const int scelto = rendizioni.scegli(fattoreNecessario(base.size(), dispositivo));
    const QList<int> fattori = rendizioni.fattori();
    for (qsizetype i = fattori.indexOf(scelto); i > 0; --i) {
        const QImage r = rendizioni.carica(fattori.at(i));
        if (!r.isNull())
            return ridimensiona(r, dispositivo, filtro);
    }
    return ridimensiona(base, dispositivo, filtro);
}

const QImage& CacheNitida::per(const QImage& base, const Rendizioni& rendizioni, QSize dispositivo,
                               Filtro filtro) {
    if (fatta_.isNull() || chiave_ != base.cacheKey() || dispositivo_ != dispositivo ||
        filtro_ != filtro) {
        // The old picture goes first: two screens' worth never live at once.
        fatta_ = QImage();
        fatta_ = perIlDispositivo(base, rendizioni, dispositivo, filtro);
        chiave_ = base.cacheKey();
        dispositivo_ = dispositivo;
        filtro_ = filtro;
        ++fatte_;
    }
    return fatta_;
}

void CacheNitida::svuota() {
    fatta_ = QImage();
    chiave_ = 0;
    dispositivo_ = {};
}

void disegnaNitido(QPainter& p, const QRectF& bersaglio, const QImage& base,
                   const Rendizioni& rendizioni, CacheNitida& cache, Filtro filtro) {
    if (base.isNull() || bersaglio.isEmpty())
        return;
    const QTransform dispositivo = p.deviceTransform();
    if (dispositivo.type() <= QTransform::TxScale && dispositivo.isInvertible()) {
        // Rounded edge by edge, so two pictures side by side share their border pixel.
        const QRectF r = dispositivo.mapRect(bersaglio);
        const auto arrotonda = [](double v) { return int(std::floor(v + 0.5)); };
        const int x0 = arrotonda(r.left()), y0 = arrotonda(r.top());
        const QSize misura(arrotonda(r.right()) - x0, arrotonda(r.bottom()) - y0);
        if (misura.isEmpty())
            return;
        const QImage& fatta = cache.per(base, rendizioni, misura, filtro);
        if (!fatta.isNull()) {
            p.save();
            // A transform that lands on device pixels unscaled: the painter copies, it does not
            // resample (and a smoothing hint would blur a copy at a fractional position).
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.setWorldTransform(QTransform::fromTranslate(x0, y0) * dispositivo.inverted() *
                                p.worldTransform());
            p.drawImage(QPointF(0, 0), fatta);
            p.restore();
            return;
        }
    }
    p.drawImage(bersaglio, base);
}

QCursor cursoreNitido(const QImage& icona, const Rendizioni& rendizioni, double scala) {
    const QPoint punta = icona.offset();
    if (scala < 1 || !std::isfinite(scala) || icona.isNull())
        scala = 1;
    const QSize misura(int(std::lround(icona.width() * scala)),
                       int(std::lround(icona.height() * scala)));
    QImage fatta = std::abs(scala - 1) < 1e-9 && rendizioni.vuote()
                       ? icona
                       : perIlDispositivo(icona, rendizioni, misura, filtroDelProgramma());
    if (fatta.isNull()) {
        fatta = icona;
        scala = 1;
    }
    QPixmap figura = QPixmap::fromImage(fatta);
    figura.setDevicePixelRatio(scala);
    // The hot spot's pixel, scaled: the device pixel under its centre.
    const auto inPixel = [scala](int v) { return int(std::floor((v + 0.5) * scala)); };
    return QCursor(figura, inPixel(punta.x()), inPixel(punta.y()));
}

} // namespace hn
