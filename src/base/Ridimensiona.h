#pragma once

// Pictures painted sharp at the screen's own resolution. The stage scales the program's
// 1024 × 768 screen by a factor that is often fractional (1.40625 on 1920 × 1080), and a painter
// that scales a picture itself either smears it (bilinear) or makes its pixels uneven (nearest).
// So a picture is made once at exactly the device pixels it covers, from the best rendition
// there is, kept while that size holds, and copied 1:1 onto device pixels at every paint. The
// program's geometry is untouched: only what lands on the device pixels changes.

#include "Rendizioni.h"

#include <QCursor>
#include <QImage>
#include <QRectF>
#include <QRegion>
#include <QSize>
#include <QString>
#include <algorithm>
#include <functional>
#include <memory>

class QPainter;

namespace hn {

// How a picture is enlarged when no rendition is large enough (HNEMAR_FILTER).
enum class Filtro {
    Nitido, // "sharp": nearest neighbour to the next whole multiple, then reduced smoothly
    Liscio, // "smooth": plain smooth scaling
    Pixel,  // "pixel": nearest neighbour only
};

// HNEMAR_FILTER's value: "sharp", "smooth", "pixel"; anything else means sharp.
Filtro filtroDa(const QString& valore);
// The filter this run uses, read from the environment once.
Filtro filtroDelProgramma();

// The picture at exactly `bersaglio` pixels. A whole multiple of its size is pixel-exact
// (nearest neighbour) whatever the filter; a reduction averages areas, except with `Pixel`;
// an enlargement by a fraction follows the filter. An empty image for an empty picture or a
// size beyond any screen.
QImage ridimensiona(const QImage& sorgente, QSize bersaglio, Filtro filtro);
// The same pixels; a source in pixels of our own (pixelPropri) that is reduced to a picture the
// size of a large monitor's is reduced over its own pixels, and is null afterwards either way.
QImage ridimensiona(QImage&& sorgente, QSize bersaglio, Filtro filtro);

// Whether `ridimensiona` brings a picture of `sorgente` pixels to `bersaglio` by its own
// averaging of areas, a row at a time: a rendition reduced to half its size or more, or any
// large one for a large monitor. Such a picture may then be fed to riduciPerRighe as it is
// decoded, and is never held whole.
bool riduzionePerRighe(QSize sorgente, QSize bersaglio, Filtro filtro);

// Row `r` of a source picture in RGB32, or premultiplied ARGB32 when it has transparency: the
// rows are asked for in ascending order, each at most once, and a row handed back stays valid
// until the next is asked for. Null when it cannot be read.
using RigaSorgente = std::function<const QRgb*(int r)>;
// That reduction over a source of `sorgente` pixels handed in by rows: the same pixels as
// `ridimensiona` makes of the whole picture. Null when a row cannot be read or the target is
// no reduction.
QImage riduciPerRighe(QSize sorgente, bool alfa, const RigaSorgente& riga, QSize bersaglio);

// Device pixels per picture pixel when `base` fills `dispositivo` (the larger of the two axes).
double fattoreNecessario(QSize base, QSize dispositivo);

// The picture for `dispositivo` device pixels: the smallest rendition at least that large
// (else the largest), brought to exactly that size. A rendition that cannot be read gives way to
// the next smaller one, down to `base` itself.
QImage perIlDispositivo(const QImage& base, const Rendizioni& rendizioni, QSize dispositivo,
                        Filtro filtro);

// A picture made for the screen and kept outside memory (in the user's cache folder), in bands
// of whole rows that a paint reads as it covers them. A large monitor's background then costs no
// memory beside the window's own buffer.
class Bande {
public:
    Bande(QSize misura, int righe)
        : misura_(misura)
        , righe_(std::max(righe, 1)) {}
    virtual ~Bande() = default;
    QSize misura() const { return misura_; }
    // Rows per band; the last band may have fewer.
    int righe() const { return righe_; }
    int numero() const { return (misura_.height() + righe_ - 1) / righe_; }
    // Band `i`'s rows as they were kept, or a null image when they cannot be read so.
    virtual QImage banda(int i) const = 0;

private:
    QSize misura_;
    int righe_;
};

// What was made of a picture for one size: its pixels, or bands of them kept elsewhere.
struct Fatta {
    Fatta() = default;
    Fatta(QImage i)
        : immagine(std::move(i)) {}
    Fatta(std::shared_ptr<const Bande> b)
        : bande(std::move(b)) {}
    QImage immagine;
    std::shared_ptr<const Bande> bande;
};

// What a control keeps of its picture for the screen: the picture made for one device size,
// made again only when the picture, the size or the filter changes.
class CacheNitida {
public:
    // The picture in memory: made here, unless it arrived so.
    const QImage& per(const QImage& base, const Rendizioni& rendizioni, QSize dispositivo,
                      Filtro filtro);
    // The bands kept for that picture, size and filter, when that is how it arrived; null
    // otherwise (then per() makes it).
    const Bande* bande(const QImage& base, QSize dispositivo, Filtro filtro);
    // Band `i` of those, the last one read kept for the next strip of the same paint.
    QImage banda(int i);
    // A band could not be read: the bands go, and per() makes the picture.
    void lasciaBande();
    // The picture for `dispositivo` and `filtro` is being made elsewhere (on another thread):
    // the next time that picture is needed at that size, `arrivo` gives it, unless it gives
    // nothing. Dropped with the rest by svuota().
    void inArrivo(const QImage& base, QSize dispositivo, Filtro filtro,
                  std::function<Fatta()> arrivo);
    // The picture or its renditions changed: let everything go.
    void svuota();
    // The control is out of sight: let go of the pixels held in memory. Bands kept elsewhere and
    // a picture still arriving stay, as they cost nothing here.
    void riposa();
    // Whether no picture's pixels are held in memory.
    bool vuota() const { return fatta_.isNull() && bandaLetta_.isNull(); }
    // How many times a picture was made or taken: for tests that a paint reuses it.
    int fatte() const { return fatte_; }

private:
    bool tiene(const QImage& base, QSize dispositivo, Filtro filtro) const;
    // Lets go of what is held and takes the arrival when it is for this picture.
    void rinnova(const QImage& base, QSize dispositivo, Filtro filtro);

    QImage fatta_;
    std::shared_ptr<const Bande> bande_;
    int numeroLetta_ = -1;
    QImage bandaLetta_;
    qint64 chiave_ = 0;
    QSize dispositivo_;
    Filtro filtro_ = Filtro::Nitido;
    int fatte_ = 0;
    struct Arrivo {
        qint64 chiave = 0;
        QSize dispositivo;
        Filtro filtro = Filtro::Nitido;
        std::function<Fatta()> prendi;
    } arrivo_;
};

// Paints `base` over `bersaglio` (the painter's coordinates) with the device pixels it covers
// taken from `cache`: the rectangle is rounded to whole device pixels and the picture copied
// onto them 1:1. A painter that rotates or shears, or a size beyond any screen, draws the
// picture scaled by the painter instead, as any picture is drawn. `regione` (the painter's
// coordinates, as a paint event gives it) limits the copy to what is repainted: a hover frame's
// thin strips then cost their own pixels, not a pass over the whole picture's rows.
void disegnaNitido(QPainter& pittore, const QRectF& bersaglio, const QImage& base,
                   const Rendizioni& rendizioni, CacheNitida& cache, Filtro filtro,
                   const QRegion& regione = {});

// The pointer for a screen of `scala` device pixels per program pixel: the icon (its offset() the
// hot spot) at its size in device pixels, from its best rendition, so it keeps its size on the
// program's screen. X11 takes a pointer's pixels and hot spot as they stand, whatever the
// picture's device pixel ratio: the hot spot is given in the pointer's own pixels.
QCursor cursoreNitido(const QImage& icona, const Rendizioni& rendizioni, double scala);

} // namespace hn
