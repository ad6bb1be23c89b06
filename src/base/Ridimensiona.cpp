#include "Ridimensiona.h"

#include "Processore.h"

#include <QPainter>
#include <QPixmap>
#include <QTransform>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// One axis of sharp-bilinear: each source pixel repeated k times (the next whole multiple of the
// scale), then the areas of that row averaged into the target's pixels. Per target pixel, the
// source pixels it takes and their weights in 1/256, summing to 256.
struct Pesi {
    QList<int> primo;    // first source pixel of each target pixel
    QList<int> quanti;   // how many source pixels it takes
    QList<quint32> peso; // their weights, target by target
    QList<int> inizio;   // where a target pixel's weights start in `peso`
};

Pesi pesiAsse(int sorgente, int bersaglio) {
    const int k = std::max(1, (bersaglio + sorgente - 1) / sorgente);
    const double passo = double(sorgente) * k / bersaglio; // expanded pixels per target pixel
    Pesi p;
    p.primo.reserve(bersaglio);
    p.quanti.reserve(bersaglio);
    p.inizio.reserve(bersaglio);
    for (int t = 0; t < bersaglio; ++t) {
        const double a = t * passo, b = std::min((t + 1) * passo, double(sorgente) * k);
        const int j0 = std::min(sorgente - 1, int(a / k));
        const int j1 = std::min(sorgente - 1, std::max(j0, int(std::ceil(b / k)) - 1));
        p.primo.append(j0);
        p.quanti.append(j1 - j0 + 1);
        p.inizio.append(int(p.peso.size()));
        quint32 somma = 0, piuGrande = 0;
        qsizetype dovePiuGrande = p.peso.size();
        for (int j = j0; j <= j1; ++j) {
            const double sovrapposto = std::min(b, double(j + 1) * k) - std::max(a, double(j) * k);
            const quint32 w = quint32(std::lround(std::max(0.0, sovrapposto) / (b - a) * 256));
            if (w > piuGrande) {
                piuGrande = w;
                dovePiuGrande = p.peso.size();
            }
            p.peso.append(w);
            somma += w;
        }
        // Rounding leftovers go to the heaviest, so a flat area stays exactly flat.
        p.peso[dovePiuGrande] += 256 - somma;
    }
    return p;
}

// The four 8-bit channels of a pixel spread over the 16-bit lanes of one 64-bit word (blue, red,
// green, alpha from the lowest), and back. With weights summing to 256 a lane holds at most
// 255 * 256 plus the rounding: one multiply-add per pixel and weight.
inline quint64 allarga(QRgb v) {
    return (v & 0x00ff00ffu) | quint64(v & 0xff00ff00u) << 24;
}
inline QRgb restringi(quint64 somma) {
    const quint64 t = somma >> 8 & 0x00ff00ff00ff00ffull;
    return QRgb(t & 0x00ff00ffu) | QRgb(t >> 24 & 0xff00ff00u);
}
constexpr quint64 arrotondamento = 0x0080008000800080ull; // half of 256, per lane

// Weighted sum of four 8-bit channels.
inline QRgb misto(const QRgb* pixel, qsizetype passo, const quint32* pesi, int quanti) {
    quint64 somma = arrotondamento;
    for (int i = 0; i < quanti; ++i)
        somma += allarga(pixel[i * passo]) * pesi[i];
    return restringi(somma);
}

// Pictures the size of a large monitor's background: kept at three bytes a pixel when opaque,
// and reduced by our own averaging, over the rendition's own pixels when it can. Copying RGB888
// to the screen converts each pixel, which costs at every paint of a smaller picture more than
// the memory it saves.
bool grande(QSize misura) {
    return qint64(misura.width()) * misura.height() > 3'000'000;
}

QImage::Format formatoFatto(bool alfa, QSize bersaglio) {
    return alfa                ? QImage::Format_ARGB32_Premultiplied
           : grande(bersaglio) ? QImage::Format_RGB888
                               : QImage::Format_RGB32;
}

qsizetype rigaDi(QSize misura, QImage::Format formato) {
    return (qsizetype(misura.width()) * QImage::toPixelFormat(formato).bitsPerPixel() + 31) / 32 *
           4;
}

// Whether the made picture's rows can be written over the source's as they are made: a row
// written lies before every source row still to be read when neither axis grows and no row of
// the result is longer than a row of the source.
bool stannoSulPosto(const QImage& sorgente, QSize bersaglio) {
    return bersaglio.width() <= sorgente.width() && bersaglio.height() <= sorgente.height() &&
           rigaDi(bersaglio, formatoFatto(sorgente.hasAlphaChannel(), bersaglio)) <=
               sorgente.bytesPerLine();
}

// Rows of pixels weighed and summed channel by channel, the N weights summing to 256: the
// column pass of a reduction, where each target row takes at most N source rows.
template <int N> void piuRighe(const QRgb* const* r, const quint32* w, QRgb* a, size_t n) {
    size_t x = 0;
#if defined(__SSE2__)
    // Eight 16-bit lanes hold two pixels' channels: 255 * 256 + 128 still fits a lane, so the
    // sums are the same as the 64-bit ones below, four pixels at a time.
    // The rows and weights held in locals: the stores below may alias anything, and would
    // have them read again at every step.
    const __m128i zero = _mm_setzero_si128();
    __m128i p[N];
    const QRgb* fila[N];
    for (int i = 0; i < N; ++i) {
        p[i] = _mm_set1_epi16(short(w[i]));
        fila[i] = r[i];
    }
    const __m128i meta = _mm_set1_epi16(128);
    for (; x + 4 <= n; x += 4) {
        __m128i basso = meta, alto = meta;
#pragma GCC unroll 3
        for (int i = 0; i < N; ++i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fila[i] + x));
            basso = _mm_add_epi16(basso, _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), p[i]));
            alto = _mm_add_epi16(alto, _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), p[i]));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(a + x),
                         _mm_packus_epi16(_mm_srli_epi16(basso, 8), _mm_srli_epi16(alto, 8)));
    }
#endif
    for (; x < n; ++x) {
        quint64 somma = arrotondamento;
        for (int i = 0; i < N; ++i)
            somma += allarga(r[i][x]) * w[i];
        a[x] = restringi(somma);
    }
}

// A row's taps when no target pixel takes more than N source pixels: for each target pixel the
// source pixels it takes and their weights (four copies of each, one per channel), a pixel
// that takes fewer repeating its last with no weight.
template <int N> struct Prese {
    std::vector<int> indice[N];
    std::vector<quint16> peso[N];

    explicit Prese(const Pesi& px) {
        const size_t n = size_t(px.primo.size());
        for (int k = 0; k < N; ++k) {
            indice[k].resize(n);
            peso[k].resize(4 * n);
        }
        for (size_t x = 0; x < n; ++x) {
            const qsizetype i = qsizetype(x);
            for (int k = 0; k < N; ++k) {
                const bool c = k < px.quanti[i];
                indice[k][x] = px.primo[i] + (c ? k : px.quanti[i] - 1);
                std::fill_n(peso[k].begin() + qsizetype(4 * x), 4,
                            quint16(c ? px.peso[px.inizio[i] + k] : 0));
            }
        }
    }

    // One row's pass with these taps.
    void applica(const QRgb* s, QRgb* a) const {
        const size_t n = indice[0].size();
        size_t x = 0;
        // In locals, as in piuRighe.
        const int* j[N];
        const quint16* p[N];
        for (int k = 0; k < N; ++k) {
            j[k] = indice[k].data();
            p[k] = peso[k].data();
        }
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i meta = _mm_set1_epi16(128);
        const auto pixel = [s](int i) { return _mm_cvtsi32_si128(static_cast<int>(s[i])); };
        for (; x + 2 <= n; x += 2) {
            __m128i somma = meta;
#pragma GCC unroll 3
            for (int k = 0; k < N; ++k) {
                const __m128i v =
                    _mm_unpacklo_epi8(_mm_unpacklo_epi32(pixel(j[k][x]), pixel(j[k][x + 1])), zero);
                const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p[k] + 4 * x));
                somma = _mm_add_epi16(somma, _mm_mullo_epi16(v, w));
            }
            _mm_storel_epi64(reinterpret_cast<__m128i*>(a + x),
                             _mm_packus_epi16(_mm_srli_epi16(somma, 8), zero));
        }
#endif
        for (; x < n; ++x) {
            quint64 somma = arrotondamento;
            for (int k = 0; k < N; ++k)
                somma += allarga(s[j[k][x]]) * p[k][4 * x];
            a[x] = restringi(somma);
        }
    }
};

// Pixels made in four bytes written in three (red, green, blue), as RGB888 rows hold them.
void inTreByteUnoAUno(const QRgb* da, uchar* a, size_t n) {
    if (n == 0)
        return;
    // Four bytes a pixel, the fourth overwritten by the next pixel; the last one in three.
    for (size_t x = 0; x + 1 < n; ++x) {
        const quint32 v =
            quint32(qRed(da[x])) | quint32(qGreen(da[x])) << 8 | quint32(qBlue(da[x])) << 16;
        const quint32 le = qToLittleEndian(v);
        std::memcpy(a + 3 * x, &le, 4);
    }
    a[3 * (n - 1)] = uchar(qRed(da[n - 1]));
    a[3 * (n - 1) + 1] = uchar(qGreen(da[n - 1]));
    a[3 * (n - 1) + 2] = uchar(qBlue(da[n - 1]));
}

#if defined(HN_SSSE3)
// The same four pixels to a shuffle: a 4K drawing's rows took longer to write than to make.
HN_CON_SSSE3 void inTreByteSsse3(const QRgb* da, uchar* a, size_t n) {
    // Blue, green, red and alpha in memory, taken as red, green, blue.
    const __m128i ordine = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    size_t x = 0;
    for (; x + 4 <= n; x += 4) {
        const __m128i v =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(da + x)), ordine);
        // Twelve bytes stored as eight and four: nothing past them is touched.
        _mm_storel_epi64(reinterpret_cast<__m128i*>(a + 3 * x), v);
        const qint32 coda = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
        std::memcpy(a + 3 * x + 8, &coda, 4);
    }
    inTreByteUnoAUno(da + x, a + 3 * x, n - x);
}
#endif

void inTreByte(const QRgb* da, uchar* a, size_t n) {
    HN_SCEGLI_SSSE3(inTreByteSsse3, inTreByteUnoAUno)(da, a, n);
}

// Sharp-bilinear in two passes, the rows and then the columns, keeping only the few rows of the
// first pass the second needs at a time: no enlarged copy of the whole picture is ever made (at
// 3840 x 2160 that copy alone was as large as the screen). Premultiplied, so transparent pixels
// do not bleed their colour. For a reduction each pixel is repeated once: the areas averaged.
// With `sulPosto` (the source's own pixels, where stannoSulPosto holds) the rows made are
// written there, at the made picture's stride, and a null image is returned.
// The source comes as rows (`riga`, see RigaSorgente), so a picture being decoded can feed it
// without ever being whole.
QImage nitidaBilineare(QSize misura, bool alfa, const RigaSorgente& riga, QSize bersaglio,
                       uchar* sulPosto = nullptr) {
    if (misura.isEmpty() || bersaglio.isEmpty())
        return {};
    const Pesi px = pesiAsse(misura.width(), bersaglio.width());
    const Pesi py = pesiAsse(misura.height(), bersaglio.height());
    const int finestra = *std::max_element(py.quanti.cbegin(), py.quanti.cend());
    const QImage::Format formatoUscita = formatoFatto(alfa, bersaglio);
    const bool compatta = formatoUscita == QImage::Format_RGB888;
    QImage fatta;
    if (!sulPosto) {
        fatta = QImage(bersaglio, formatoUscita);
        if (fatta.isNull())
            return {};
    }
    const qsizetype passoUscita = sulPosto ? rigaDi(bersaglio, formatoUscita) : 0;
    // Rows of the first pass, row r in slot r % finestra: a target row takes consecutive source
    // rows, never more than `finestra`, and they only move down.
    std::vector<QRgb> righe(size_t(finestra) * size_t(bersaglio.width()));
    std::vector<int> inSlot(static_cast<size_t>(finestra), -1);
    std::vector<const QRgb*> da(static_cast<size_t>(finestra));
    const size_t larghezza = size_t(bersaglio.width());
    std::vector<quint64> somme(larghezza);
    // A target pixel mostly takes one to three source pixels (any reduction to half or more,
    // every sharp enlargement): then the row pass runs with two or three fixed taps, from tables
    // made once.
    const int prese = *std::max_element(px.quanti.cbegin(), px.quanti.cend());
    std::optional<Prese<2>> due;
    std::optional<Prese<3>> tre;
    if (prese <= 2)
        due.emplace(px);
    else if (prese == 3)
        tre.emplace(px);
    // Rows made in four bytes before they are written in three.
    std::vector<QRgb> appoggio(compatta ? larghezza : 0);
    for (int y = 0; y < bersaglio.height(); ++y) {
        const int quante = py.quanti[y];
        for (int i = 0; i < quante; ++i) {
            const int r = py.primo[y] + i;
            QRgb* fila = righe.data() + size_t(r % finestra) * size_t(bersaglio.width());
            if (inSlot[size_t(r % finestra)] != r) {
                const QRgb* sorgente = riga(r);
                if (!sorgente)
                    return {};
                if (due) {
                    due->applica(sorgente, fila);
                } else if (tre) {
                    tre->applica(sorgente, fila);
                } else {
                    for (int x = 0; x < bersaglio.width(); ++x)
                        fila[x] = misto(sorgente + px.primo[x], 1,
                                        px.peso.constData() + px.inizio[x], px.quanti[x]);
                }
                inSlot[size_t(r % finestra)] = r;
            }
            da[size_t(i)] = fila;
        }
        // The columns pass a row at a time; with up to three rows, straight into the result.
        const quint32* pesi = py.peso.constData() + py.inizio[y];
        uchar* a = sulPosto ? sulPosto + qsizetype(y) * passoUscita : fatta.scanLine(y);
        const auto scrivi = [a, compatta](size_t x, QRgb v) {
            if (!compatta) {
                reinterpret_cast<QRgb*>(a)[x] = v;
            } else {
                a[3 * x] = uchar(qRed(v));
                a[3 * x + 1] = uchar(qGreen(v));
                a[3 * x + 2] = uchar(qBlue(v));
            }
        };
        if (quante <= 3) {
            QRgb* fatto = compatta ? appoggio.data() : reinterpret_cast<QRgb*>(a);
            if (quante == 3) {
                piuRighe<3>(da.data(), pesi, fatto, larghezza);
            } else {
                // One row is two with nothing on the second.
                const QRgb* r[2] = {da[0], da[size_t(quante - 1)]};
                const quint32 w[2] = {pesi[0], quante == 2 ? pesi[1] : 0};
                piuRighe<2>(r, w, fatto, larghezza);
            }
            if (compatta)
                inTreByte(appoggio.data(), a, larghezza);
            continue;
        }
        std::fill(somme.begin(), somme.end(), arrotondamento);
        for (int i = 0; i < quante; ++i) {
            const QRgb* fila = da[size_t(i)];
            const quint32 w = pesi[i];
            for (size_t x = 0; x < larghezza; ++x)
                somme[x] += allarga(fila[x]) * w;
        }
        for (size_t x = 0; x < larghezza; ++x)
            scrivi(x, restringi(somme[x]));
    }
    return fatta;
}

// The same over a whole picture: a picture of another format is converted a row at a time, not
// copied whole.
QImage nitidaBilineare(const QImage& s, QSize bersaglio, uchar* sulPosto = nullptr) {
    if (s.isNull())
        return {};
    const bool alfa = s.hasAlphaChannel();
    const QImage::Format formato =
        alfa ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    QImage convertita;
    const RigaSorgente riga = [&](int r) {
        if (s.format() == formato)
            return reinterpret_cast<const QRgb*>(s.constScanLine(r));
        QImage una(s.constScanLine(r), s.width(), 1, s.bytesPerLine(), s.format());
        una.setColorTable(s.colorTable());
        convertita = una.convertToFormat(formato);
        return reinterpret_cast<const QRgb*>(convertita.constScanLine(0));
    };
    return nitidaBilineare(s.size(), alfa, riga, bersaglio, sulPosto);
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

namespace {

// The made picture written over the rendition's own pixels, then the buffer shrunk to it: at
// 3840 x 2160 the 3 × home background and its reduction no longer live side by side.
QImage riduciSulPosto(QImage& sorgente, QSize bersaglio) {
    const QImage::Format formato = formatoFatto(sorgente.hasAlphaChannel(), bersaglio);
    nitidaBilineare(sorgente, bersaglio, sorgente.bits());
    uchar* dati = prendiPixelPropri(sorgente);
    const qsizetype riga = rigaDi(bersaglio, formato);
    const size_t totale = size_t(riga) * size_t(bersaglio.height());
    // Shrinking gives the rest back; should it fail, the larger buffer still holds the rows.
    if (void* stretto = std::realloc(dati, totale))
        dati = static_cast<uchar*>(stretto);
    return avvolgiPixelPropri(dati, bersaglio, riga, formato);
}

// `propria`: the same picture, when its pixels are our own and may be written over.
QImage scegliERiduci(const QImage& sorgente, QSize bersaglio, Filtro filtro, QImage* propria) {
    if (sorgente.isNull() || bersaglio.isEmpty() || bersaglio.width() > latoMassimo ||
        bersaglio.height() > latoMassimo)
        return {};
    const QSize s = sorgente.size();
    if (s == bersaglio)
        return perLoSchermo(sorgente);
    if (filtro == Filtro::Pixel || multiploIntero(s, bersaglio))
        return perLoSchermo(
            sorgente.scaled(bersaglio, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    if (riduzionePerRighe(s, bersaglio, filtro)) {
        if (propria && stannoSulPosto(sorgente, bersaglio))
            return riduciSulPosto(*propria, bersaglio);
        return nitidaBilineare(sorgente, bersaglio);
    }
    const bool ingrandisce = bersaglio.width() > s.width() || bersaglio.height() > s.height();
    if (filtro == Filtro::Liscio || !ingrandisce)
        return perLoSchermo(
            sorgente.scaled(bersaglio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return nitidaBilineare(sorgente, bersaglio);
}

} // namespace

bool riduzionePerRighe(QSize sorgente, QSize bersaglio, Filtro filtro) {
    // To half or more, no target pixel takes more than three source pixels a side: the fixed
    // taps, faster than Qt's smoothing (a 2 x rendition for a 1920 x 1080 monitor in a third of
    // the time, decoding included). A large picture goes by rows whatever the ratio, so that it
    // is never held whole.
    const bool treAlPiu =
        2 * bersaglio.width() >= sorgente.width() && 2 * bersaglio.height() >= sorgente.height();
    return !sorgente.isEmpty() && !bersaglio.isEmpty() && bersaglio.width() <= latoMassimo &&
           bersaglio.height() <= latoMassimo && sorgente != bersaglio && filtro != Filtro::Pixel &&
           bersaglio.width() <= sorgente.width() && bersaglio.height() <= sorgente.height() &&
           (treAlPiu || grande(bersaglio));
}

QImage riduciPerRighe(QSize sorgente, bool alfa, const RigaSorgente& riga, QSize bersaglio) {
    if (sorgente.width() < bersaglio.width() || sorgente.height() < bersaglio.height() ||
        bersaglio.width() > latoMassimo || bersaglio.height() > latoMassimo)
        return {};
    return nitidaBilineare(sorgente, alfa, riga, bersaglio);
}

QImage ridimensiona(const QImage& sorgente, QSize bersaglio, Filtro filtro) {
    return scegliERiduci(sorgente, bersaglio, filtro, nullptr);
}

QImage ridimensiona(QImage&& sorgente, QSize bersaglio, Filtro filtro) {
    QImage fatta =
        scegliERiduci(sorgente, bersaglio, filtro, pixelPropri(sorgente) ? &sorgente : nullptr);
    // Let go of the source before the caller keeps what was made.
    sorgente = QImage();
    return fatta;
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
        // A large rendition reduced by areas is reduced as it is decoded, when it can be.
        if (riduzionePerRighe(base.size() * fattori.at(i), dispositivo, filtro)) {
            if (std::optional<QImage> r = rendizioni.caricaRidotta(fattori.at(i), dispositivo)) {
                if (!r->isNull())
                    return *r;
                continue;
            }
        }
        QImage r = rendizioni.carica(fattori.at(i));
        if (!r.isNull())
            return ridimensiona(std::move(r), dispositivo, filtro);
    }
    return ridimensiona(base, dispositivo, filtro);
}

bool CacheNitida::tiene(const QImage& base, QSize dispositivo, Filtro filtro) const {
    return (!fatta_.isNull() || bande_) && chiave_ == base.cacheKey() &&
           dispositivo_ == dispositivo && filtro_ == filtro;
}

void CacheNitida::rinnova(const QImage& base, QSize dispositivo, Filtro filtro) {
    // The old picture goes first: two screens' worth never live at once.
    fatta_ = QImage();
    lasciaBande();
    const Arrivo arrivo = std::exchange(arrivo_, {});
    if (arrivo.prendi && arrivo.chiave == base.cacheKey() && arrivo.dispositivo == dispositivo &&
        arrivo.filtro == filtro) {
        Fatta f = arrivo.prendi();
        // Bands are painted by their own size: only bands of this one will do.
        if (f.bande && f.bande->misura() == dispositivo && f.bande->numero() > 0)
            bande_ = std::move(f.bande);
        else
            fatta_ = std::move(f.immagine);
    }
    chiave_ = base.cacheKey();
    dispositivo_ = dispositivo;
    filtro_ = filtro;
    if (!fatta_.isNull() || bande_)
        ++fatte_;
}

const QImage& CacheNitida::per(const QImage& base, const Rendizioni& rendizioni, QSize dispositivo,
                               Filtro filtro) {
    if (!tiene(base, dispositivo, filtro))
        rinnova(base, dispositivo, filtro);
    if (fatta_.isNull()) {
        lasciaBande();
        fatta_ = perIlDispositivo(base, rendizioni, dispositivo, filtro);
        ++fatte_;
    }
    return fatta_;
}

const Bande* CacheNitida::bande(const QImage& base, QSize dispositivo, Filtro filtro) {
    if (!tiene(base, dispositivo, filtro))
        rinnova(base, dispositivo, filtro);
    return bande_.get();
}

QImage CacheNitida::banda(int i) {
    if (!bande_)
        return {};
    if (numeroLetta_ != i) {
        // The band read before goes first.
        bandaLetta_ = QImage();
        bandaLetta_ = bande_->banda(i);
        numeroLetta_ = bandaLetta_.isNull() ? -1 : i;
    }
    return bandaLetta_;
}

void CacheNitida::lasciaBande() {
    bande_.reset();
    bandaLetta_ = QImage();
    numeroLetta_ = -1;
}

void CacheNitida::inArrivo(const QImage& base, QSize dispositivo, Filtro filtro,
                           std::function<Fatta()> arrivo) {
    arrivo_ = {base.cacheKey(), dispositivo, filtro, std::move(arrivo)};
}

void CacheNitida::svuota() {
    arrivo_ = {};
    fatta_ = QImage();
    lasciaBande();
    chiave_ = 0;
    dispositivo_ = {};
}

void CacheNitida::riposa() {
    fatta_ = QImage();
    bandaLetta_ = QImage();
    numeroLetta_ = -1;
    if (!bande_) {
        chiave_ = 0;
        dispositivo_ = {};
    }
}

namespace {

// Copies `parte` (device pixels, relative to the picture's corner) of the bands onto the painter,
// which is set to land on device pixels unscaled. False when a band cannot be read.
bool copiaDalleBande(QPainter& p, CacheNitida& cache, const Bande& bande, const QRect& parte) {
    const int righe = bande.righe();
    for (int i = parte.top() / righe; i * righe <= parte.bottom(); ++i) {
        const QImage banda = cache.banda(i);
        const int inizio = i * righe;
        if (banda.width() != bande.misura().width() ||
            banda.height() != std::min(righe, bande.misura().height() - inizio))
            return false;
        const int da = std::max(parte.top(), inizio);
        const int a = std::min(parte.bottom() + 1, inizio + banda.height());
        p.drawImage(QPointF(parte.left(), da), banda,
                    QRectF(parte.left(), da - inizio, parte.width(), a - da));
    }
    return true;
}

} // namespace

void disegnaNitido(QPainter& p, const QRectF& bersaglio, const QImage& base,
                   const Rendizioni& rendizioni, CacheNitida& cache, Filtro filtro,
                   const QRegion& regione) {
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
        const QRect tutta(QPoint(x0, y0), misura);
        // What is repainted, in device pixels from the picture's corner.
        QList<QRect> parti;
        if (regione.isEmpty())
            parti.append(QRect(QPoint(0, 0), misura));
        for (const QRect& r : regione) {
            const QRect parte =
                dispositivo.mapRect(QRectF(r)).toAlignedRect().intersected(tutta).translated(-x0,
                                                                                             -y0);
            if (!parte.isEmpty())
                parti.append(parte);
        }
        // Copies onto device pixels unscaled: the painter copies, it does not resample (and a
        // smoothing hint would blur a copy at a fractional position).
        const auto copia = [&](const auto& come) {
            p.save();
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.setWorldTransform(QTransform::fromTranslate(x0, y0) * dispositivo.inverted() *
                                p.worldTransform());
            const bool fatto = come();
            p.restore();
            return fatto;
        };
        if (const Bande* bande = cache.bande(base, misura, filtro)) {
            const bool lette = copia([&] {
                for (const QRect& parte : std::as_const(parti))
                    if (!copiaDalleBande(p, cache, *bande, parte))
                        return false;
                return true;
            });
            if (lette)
                return;
            // A band that cannot be read: the picture is made here, painted over what they left.
            cache.lasciaBande();
        }
        const QImage& fatta = cache.per(base, rendizioni, misura, filtro);
        if (!fatta.isNull()) {
            copia([&] {
                if (regione.isEmpty()) {
                    p.drawImage(QPointF(0, 0), fatta);
                    return true;
                }
                // Qt hands a copy of about 96 rows or more to its worker threads; for a hover
                // frame's thin strips waking them costs more than the copy itself.
                constexpr int righe = 64;
                for (const QRect& parte : std::as_const(parti))
                    for (int y = parte.top(); y <= parte.bottom(); y += righe) {
                        const QRect pezzo(parte.left(), y, parte.width(),
                                          std::min(righe, parte.bottom() + 1 - y));
                        p.drawImage(QPointF(pezzo.topLeft()), fatta, QRectF(pezzo));
                    }
                return true;
            });
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
    // Every label and image of a form takes the same pointer: the last one made is kept, so a
    // form's dozen controls read and reduce its rendition once and share one copy of its pixels
    // (at 3840 x 2160 a dozen copies were 0.4 MB). A copy of the renditions is kept with it, so
    // their identity cannot pass to others. Never destroyed: a pointer outlives the application.
    struct Fatto {
        qint64 chiave = 0;
        Rendizioni rendizioni;
        double scala = 0;
        QCursor cursore;
    };
    static auto* ultimo = new std::optional<Fatto>;
    if (*ultimo && (*ultimo)->chiave == icona.cacheKey() && (*ultimo)->scala == scala &&
        (*ultimo)->rendizioni.stesseDi(rendizioni))
        return (*ultimo)->cursore;
    QImage fatta;
    if (std::abs(scala - 1) < 1e-9 && rendizioni.vuote())
        fatta = icona;
    else
        fatta = perIlDispositivo(icona, rendizioni, misura, filtroDelProgramma());
    double scalaFatta = scala;
    if (fatta.isNull()) {
        fatta = icona;
        scalaFatta = 1;
    }
    QPixmap figura = QPixmap::fromImage(fatta);
    figura.setDevicePixelRatio(scalaFatta);
    // The hot spot's pixel, scaled: the device pixel under its centre.
    const auto inPixel = [scalaFatta](int v) { return int(std::floor((v + 0.5) * scalaFatta)); };
    const QCursor cursore(figura, inPixel(punta.x()), inPixel(punta.y()));
    *ultimo = Fatto{icona.cacheKey(), rendizioni, scala, cursore};
    return cursore;
}

} // namespace hn
