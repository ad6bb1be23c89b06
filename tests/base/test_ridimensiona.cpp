#include "Ridimensiona.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>

using namespace hn;

namespace {

// A picture of one colour per rendition, so what was drawn tells which one was chosen.
QColor coloreDel(int fattore) {
    return fattore == 1 ? QColor(Qt::red) : fattore == 2 ? QColor(Qt::green) : QColor(Qt::blue);
}

QImage tinta(QSize misura, const QColor& colore) {
    QImage i(misura, QImage::Format_RGB32);
    i.fill(colore);
    return i;
}

// Renditions that record which were read; `rotte` cannot be read.
Rendizioni rendizioniDi(const QList<int>& fattori, QSize base, QList<int>* lette,
                        const QList<int>& rotte = {}) {
    Rendizioni r;
    for (int f : fattori)
        r.aggiungi(f, [=] {
            lette->append(f);
            return rotte.contains(f) ? QImage() : tinta(base * f, coloreDel(f));
        });
    return r;
}

// Columns one pixel wide, black and white by turns.
QImage strisce(int larghezza, int altezza) {
    QImage i(larghezza, altezza, QImage::Format_RGB32);
    for (int x = 0; x < larghezza; ++x)
        for (int y = 0; y < altezza; ++y)
            i.setPixel(x, y, x % 2 ? 0xffffffffu : 0xff000000u);
    return i;
}

// Pixels of a row that are neither of the picture's two colours.
int mezzeTinte(const QImage& i, int y) {
    int n = 0;
    for (int x = 0; x < i.width(); ++x) {
        const int v = qGray(i.pixel(x, y));
        n += v != 0 && v != 255;
    }
    return n;
}

// Every pixel its own colour (a fixed pseudo-random sequence), with or without transparency.
QImage rumore(QSize misura, bool alfa) {
    QImage i(misura, alfa ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    quint32 v = 12345;
    for (int y = 0; y < misura.height(); ++y) {
        auto* riga = reinterpret_cast<QRgb*>(i.scanLine(y));
        for (int x = 0; x < misura.width(); ++x) {
            v = v * 1664525u + 1013904223u;
            riga[x] = alfa ? v : v | 0xff000000u;
        }
    }
    return i;
}

// The same picture in pixels of our own.
QImage inPixelPropri(const QImage& i) {
    QImage p = immagineInPixelPropri(i.size(), i.format());
    for (int y = 0; y < i.height(); ++y)
        memcpy(p.scanLine(y), i.constScanLine(y), size_t(i.width()) * 4);
    return p;
}

// The largest difference of one channel between two pictures of one size.
int scartoMassimo(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int peggiore = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            peggiore = std::max({peggiore, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                                 qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q))});
        }
    return peggiore;
}

QImage dispositivoDi(QSize logico, double scala) {
    QImage i((QSizeF(logico) * scala).toSize(), QImage::Format_RGB32);
    i.fill(Qt::black);
    i.setDevicePixelRatio(scala);
    return i;
}

// Bands cut from a picture in memory, counting what is read; band `rotta` cannot be read.
class BandeDi final : public Bande {
public:
    BandeDi(QImage immagine, int righe, int rotta = -1)
        : Bande(immagine.size(), righe)
        , immagine_(std::move(immagine))
        , rotta_(rotta) {}
    QImage banda(int i) const override {
        lette.append(i);
        if (i == rotta_)
            return {};
        return immagine_.copy(0, i * righe(), misura().width(),
                              std::min(righe(), misura().height() - i * righe()));
    }
    mutable QList<int> lette;

private:
    QImage immagine_;
    int rotta_;
};

// The reduction by averaging areas, the long way: each target pixel the mean of the source area
// it covers, in exact fractions of pixels, over premultiplied channels.
QImage mediaDelleAree(const QImage& sorgente, QSize bersaglio) {
    const QImage s = sorgente.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Per axis, the source pixels each target pixel covers and how much of each.
    const auto pesi = [](int da, int a) {
        QList<QList<std::pair<int, double>>> p(a);
        const double k = double(da) / a;
        for (int t = 0; t < a; ++t)
            for (int j = int(t * k); j < da && j < (t + 1) * k; ++j) {
                const double parte =
                    std::min(double(j + 1), (t + 1) * k) - std::max(double(j), t * k);
                if (parte > 0)
                    p[t].append({j, parte / k});
            }
        return p;
    };
    const auto px = pesi(s.width(), bersaglio.width());
    const auto py = pesi(s.height(), bersaglio.height());
    QImage fatta(bersaglio, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < bersaglio.height(); ++y)
        for (int x = 0; x < bersaglio.width(); ++x) {
            double c[4] = {};
            for (const auto& [sy, wy] : py[y])
                for (const auto& [sx, wx] : px[x]) {
                    const QRgb v = s.pixel(sx, sy);
                    for (int i = 0; i < 4; ++i)
                        c[i] += (v >> (8 * i) & 255) * wx * wy;
                }
            QRgb v = 0;
            for (int i = 0; i < 4; ++i)
                v |= QRgb(std::clamp(int(std::lround(c[i])), 0, 255)) << (8 * i);
            fatta.setPixel(x, y, v);
        }
    return fatta;
}

} // namespace

class TestRidimensiona : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filtroDallAmbiente_data() {
        QTest::addColumn<QString>("valore");
        QTest::addColumn<int>("filtro");
        QTest::newRow("unset") << QString() << int(Filtro::Nitido);
        QTest::newRow("sharp") << "sharp" << int(Filtro::Nitido);
        QTest::newRow("smooth, spaced and upper") << " SMOOTH " << int(Filtro::Liscio);
        QTest::newRow("pixel") << "pixel" << int(Filtro::Pixel);
        QTest::newRow("unknown") << "bicubic" << int(Filtro::Nitido);
    }
    void filtroDallAmbiente() {
        QFETCH(QString, valore);
        QFETCH(int, filtro);
        QCOMPARE(int(filtroDa(valore)), filtro);
    }

    // The stage's usual factors against the rendition sets an installation may have: the
    // smallest at least as large as the device size, else the largest; only that one is read.
    void sceltaDellaRendizione_data() {
        QTest::addColumn<double>("scala");
        QTest::addColumn<QList<int>>("fattori");
        QTest::addColumn<int>("atteso");
        const QList<double> scale{1, 1.25, 1.40625, 1.5, 2, 2.8125, 3};
        const QList<QList<int>> insiemi{{}, {2}, {2, 3}};
        const QList<QList<int>> attesi{
            {1, 1, 1, 1, 1, 1, 1}, {1, 2, 2, 2, 2, 2, 2}, {1, 2, 2, 2, 2, 3, 3}};
        for (qsizetype i = 0; i < insiemi.size(); ++i)
            for (qsizetype j = 0; j < scale.size(); ++j)
                QTest::addRow("%gx of {1%s}", scale[j],
                              insiemi[i].isEmpty()     ? ""
                              : insiemi[i].size() == 1 ? ",2"
                                                       : ",2,3")
                    << scale[j] << insiemi[i] << attesi[i][j];
    }
    void sceltaDellaRendizione() {
        QFETCH(double, scala);
        QFETCH(QList<int>, fattori);
        QFETCH(int, atteso);
        const QSize base(384, 480);
        QList<int> lette;
        const Rendizioni r = rendizioniDi(fattori, base, &lette);
        const QSize dispositivo = (QSizeF(base) * scala).toSize();
        const QImage fatta =
            perIlDispositivo(tinta(base, coloreDel(1)), r, dispositivo, Filtro::Nitido);
        QCOMPARE(fatta.size(), dispositivo);
        QCOMPARE(fatta.pixelColor(dispositivo.width() / 2, dispositivo.height() / 2),
                 coloreDel(atteso));
        QCOMPARE(lette, atteso == 1 ? QList<int>() : QList<int>{atteso});
    }

    void rendizioneIllegibileCedeAllaMinore() {
        const QSize base(10, 10);
        QList<int> lette;
        const QImage fatta =
            perIlDispositivo(tinta(base, coloreDel(1)), rendizioniDi({2, 3}, base, &lette, {3}),
                             QSize(30, 30), Filtro::Nitido);
        QCOMPARE(lette, (QList<int>{3, 2}));
        QCOMPARE(fatta.pixelColor(15, 15), coloreDel(2));
        lette.clear();
        const QImage sola =
            perIlDispositivo(tinta(base, coloreDel(1)), rendizioniDi({2}, base, &lette, {2}),
                             QSize(20, 20), Filtro::Nitido);
        QCOMPARE(sola.pixelColor(5, 5), coloreDel(1));
    }

    // A whole factor repeats each pixel as an even block, whatever the filter: no blending.
    void multiploInteroEsattoAlPixel_data() {
        QTest::addColumn<int>("filtro");
        QTest::newRow("sharp") << int(Filtro::Nitido);
        QTest::newRow("smooth") << int(Filtro::Liscio);
        QTest::newRow("pixel") << int(Filtro::Pixel);
    }
    void multiploInteroEsattoAlPixel() {
        QFETCH(int, filtro);
        QImage sorgente(7, 5, QImage::Format_RGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                sorgente.setPixel(x, y, qRgb(x * 37, y * 51, (x * y * 13) % 256));
        for (int k : {1, 2, 3}) {
            const QImage g = ridimensiona(sorgente, sorgente.size() * k, Filtro(filtro));
            QCOMPARE(g.size(), sorgente.size() * k);
            for (int y = 0; y < g.height(); ++y)
                for (int x = 0; x < g.width(); ++x)
                    QCOMPARE(g.pixel(x, y), sorgente.pixel(x / k, y / k));
        }
    }

    // At a fractional factor sharp-bilinear blends at most one device pixel per edge of the
    // picture; plain smoothing blends nearly every pixel of thin lines; nearest neighbour none.
    void ingrandimentoFrazionario() {
        const QImage s = strisce(64, 4);
        const QSize bersaglio(90, 6); // 1.40625 ×
        const QImage nitida = ridimensiona(s, bersaglio, Filtro::Nitido);
        const QImage liscia = ridimensiona(s, bersaglio, Filtro::Liscio);
        const QImage pixel = ridimensiona(s, bersaglio, Filtro::Pixel);
        QCOMPARE(nitida.size(), bersaglio);
        QCOMPARE(liscia.size(), bersaglio);
        QCOMPARE(pixel.size(), bersaglio);
        QCOMPARE(mezzeTinte(pixel, 3), 0);
        QVERIFY2(mezzeTinte(nitida, 3) <= 63, qPrintable(QString::number(mezzeTinte(nitida, 3))));
        QVERIFY2(mezzeTinte(liscia, 3) > 70, qPrintable(QString::number(mezzeTinte(liscia, 3))));
        // Each black column still shows, dark: a stripe 1.4 device pixels wide covers at least
        // 0.7 of one device pixel.
        for (int colonna = 0; colonna < 64; colonna += 2) {
            const double da = colonna * 90.0 / 64, a = (colonna + 1) * 90.0 / 64;
            int piuScuro = 255;
            for (int x = int(da); x < std::min(90, int(std::ceil(a))); ++x)
                piuScuro = std::min(piuScuro, qGray(nitida.pixel(x, 3)));
            QVERIFY2(piuScuro <= 80, qPrintable(QString::number(colonna)));
        }
    }

    // The two-pass sharp-bilinear equals its definition, made the long way: nearest neighbour
    // to the whole multiple, then one smooth reduction of that enlarged copy.
    void nitidaComeLaSuaDefinizione_data() {
        QTest::addColumn<QSize>("bersaglio");
        QTest::newRow("1.40625x") << QSize(45, 28);
        QTest::newRow("2.8125x") << QSize(90, 56);
        QTest::newRow("1.25x wide, 1.5x tall") << QSize(40, 30);
    }
    void nitidaComeLaSuaDefinizione() {
        QFETCH(QSize, bersaglio);
        QImage s(32, 20, QImage::Format_RGB32);
        quint32 seme = 2002;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) {
                seme = seme * 1664525u + 1013904223u;
                s.setPixel(x, y, 0xff000000u | (seme >> 8));
            }
        const int kx = (bersaglio.width() + 31) / 32, ky = (bersaglio.height() + 19) / 20;
        const QImage lunga =
            s.scaled(32 * kx, 20 * ky, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                .scaled(bersaglio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage fatta = ridimensiona(s, bersaglio, Filtro::Nitido);
        QCOMPARE(fatta.size(), bersaglio);
        // A picture of another format (a BMP's 24 bits, a GIF's palette) gives the same.
        for (const QImage::Format f : {QImage::Format_RGB888, QImage::Format_Indexed8})
            QCOMPARE(ridimensiona(s.convertToFormat(f), bersaglio, Filtro::Nitido),
                     ridimensiona(s.convertToFormat(f).convertToFormat(QImage::Format_RGB32),
                                  bersaglio, Filtro::Nitido));
        int peggiore = 0;
        for (int y = 0; y < bersaglio.height(); ++y)
            for (int x = 0; x < bersaglio.width(); ++x)
                for (int c = 0; c < 24; c += 8)
                    peggiore = std::max(peggiore, std::abs(int(fatta.pixel(x, y) >> c & 255) -
                                                           int(lunga.pixel(x, y) >> c & 255)));
        QVERIFY2(peggiore <= 3, qPrintable(QString::number(peggiore)));
    }

    // Reducing averages areas (one pass, no aliasing): a fine checker becomes grey, not black
    // or white as a sample would; the pixel filter keeps picking pixels.
    void riduzioneMediaLeAree() {
        QImage scacchi(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                scacchi.setPixel(x, y, (x + y) % 2 ? 0xffffffffu : 0xff000000u);
        const QImage ridotta = ridimensiona(scacchi, QSize(23, 23), Filtro::Nitido);
        for (int y = 2; y < 21; y += 6)
            for (int x = 2; x < 21; x += 6)
                QVERIFY(qAbs(qGray(ridotta.pixel(x, y)) - 128) < 24);
        const QImage campione = ridimensiona(scacchi, QSize(23, 23), Filtro::Pixel);
        QCOMPARE(mezzeTinte(campione, 11), 0);
    }

    // A rendition reduced to half its size or more, or to a large monitor's size, is reduced
    // over its own pixels: the same picture as reduced into a new one, each pixel the mean of
    // the area it covers, and a copy someone else holds is never written over.
    void riduzioneSulPosto_data() {
        QTest::addColumn<bool>("alfa");
        QTest::addColumn<QSize>("sorgente");
        QTest::addColumn<QSize>("bersaglio");
        QTest::newRow("opaca, 16:15") << false << QSize(2240, 1600) << QSize(2100, 1500);
        QTest::newRow("trasparente") << true << QSize(2240, 1600) << QSize(2100, 1500);
        QTest::newRow("opaca, solo in larghezza")
            << false << QSize(2400, 1500) << QSize(2100, 1500);
        // Rows of a width no number of pixels at a time divides (at 16:15 a target pixel
        // takes two source pixels at most, as at 3840 x 2160): their last pixels too.
        QTest::newRow("opaca, larghezza dispari")
            << false << QSize(2256, 1600) << QSize(2115, 1500);
        QTest::newRow("trasparente, larghezza dispari")
            << true << QSize(2256, 1600) << QSize(2115, 1500);
        // A 2 x rendition for a 1920 x 1080 monitor: up to three source pixels a side.
        QTest::newRow("opaca, 1920 x 1080") << false << QSize(2048, 1536) << QSize(1440, 1080);
        QTest::newRow("trasparente, tre per lato, larghezza dispari")
            << true << QSize(683, 512) << QSize(481, 361);
        QTest::newRow("opaca, grande, tre per lato")
            << false << QSize(2990, 2136) << QSize(2101, 1501);
    }
    void riduzioneSulPosto() {
        QFETCH(bool, alfa);
        QFETCH(QSize, sorgente);
        QFETCH(QSize, bersaglio);
        const QImage originale = rumore(sorgente, alfa);
        const QImage attesa = ridimensiona(originale, bersaglio, Filtro::Nitido);
        // Large opaque pictures are kept in three bytes a pixel.
        const bool grande = qint64(bersaglio.width()) * bersaglio.height() > 3'000'000;
        QCOMPARE(attesa.format(), alfa     ? QImage::Format_ARGB32_Premultiplied
                                  : grande ? QImage::Format_RGB888
                                           : QImage::Format_RGB32);
        const int scarto = scartoMassimo(attesa, mediaDelleAree(originale, bersaglio));
        // Weights in 1/256, rounded after each pass: a level or two on a picture of pure noise.
        QVERIFY2(scarto <= 2, qPrintable(QString::number(scarto)));

        QImage propria = inPixelPropri(originale);
        QVERIFY(pixelPropri(propria));
        const QImage fatta = ridimensiona(std::move(propria), bersaglio, Filtro::Nitido);
        QVERIFY(propria.isNull());
        QVERIFY2(pixelPropri(fatta), "not made over the source's pixels");
        QCOMPARE(fatta, attesa);

        QImage condivisa = inPixelPropri(originale);
        const QImage altrui = condivisa;
        QVERIFY(!pixelPropri(condivisa));
        QCOMPARE(ridimensiona(std::move(condivisa), bersaglio, Filtro::Nitido), attesa);
        QCOMPARE(altrui, originale);
    }

    // A rendition is decoded into pixels of our own, read from a device as it decodes; a
    // truncated file or one of another size is no rendition.
    void rendizioneDecodificata() {
        const QImage originale = rumore(QSize(60, 40), false);
        for (const char* formato : {"BMP", "PNG"}) {
            QByteArray dati;
            QBuffer scritto(&dati);
            scritto.open(QIODevice::WriteOnly);
            QVERIFY(originale.save(&scritto, formato));
            const QImage letta = decodificaRendizione(dati, QSize(60, 40));
            QCOMPARE(letta.convertToFormat(QImage::Format_RGB32), originale);
            QVERIFY2(pixelPropri(letta), formato);
            QVERIFY(decodificaRendizione(dati, QSize(30, 20)).isNull());
            if (QByteArray(formato) == "PNG")
                QVERIFY(decodificaRendizione(dati.left(dati.size() / 2), QSize(60, 40)).isNull());
            QBuffer dispositivo(&dati);
            dispositivo.open(QIODevice::ReadOnly);
            QCOMPARE(decodificaRendizione(dispositivo, QSize(60, 40)), letta);
        }
        // Pixels taken out of their picture are the taker's to free, and no longer its.
        QImage p = immagineInPixelPropri(QSize(4, 4), QImage::Format_RGB32);
        uchar* dati = prendiPixelPropri(p);
        QVERIFY(dati && p.isNull());
        const QImage avvolta = avvolgiPixelPropri(dati, QSize(4, 4), 16, QImage::Format_RGB32);
        QVERIFY(pixelPropri(avvolta));
        QVERIFY(immagineInPixelPropri(QSize(0, 4), QImage::Format_RGB32).isNull());
        QVERIFY(immagineInPixelPropri(QSize(40000, 40000), QImage::Format_RGB32).isNull());
    }

    // A rendition reduced by areas is read already reduced when its reader can; one it
    // cannot read so is read whole; one that cannot be read at all gives way to the next
    // smaller. The 2 x rendition for 1920 x 1080 is asked for reduced too, and read whole when
    // its reader cannot.
    void rendizioneLettaRidotta_data() {
        QTest::addColumn<QSize>("schermo");
        QTest::addColumn<int>("ridotta"); // what the 3 x reader gives: 0 none, 1 a picture, 2 null
        QTest::addColumn<QStringList>("letture");
        QTest::addColumn<QColor>("colore");
        const QSize k4(2880, 2160);
        QTest::newRow("reduced") << k4 << 1 << QStringList{"3 ridotta"} << QColor(Qt::yellow);
        QTest::newRow("not by rows") << k4 << 0 << QStringList{"3 ridotta", "3"} << coloreDel(3);
        QTest::newRow("unreadable") << k4 << 2 << QStringList{"3 ridotta", "2"} << coloreDel(2);
        QTest::newRow("1920 x 1080")
            << QSize(1440, 1080) << 1 << QStringList{"2 ridotta", "2"} << coloreDel(2);
    }
    void rendizioneLettaRidotta() {
        QFETCH(QSize, schermo);
        QFETCH(int, ridotta);
        QFETCH(QStringList, letture);
        QFETCH(QColor, colore);
        const QSize base(1024, 768);
        QStringList lette;
        Rendizioni r;
        for (int f : {2, 3})
            r.aggiungi(
                f,
                [&lette, f, base] {
                    lette << QString::number(f);
                    return tinta(base * f, coloreDel(f));
                },
                [&lette, f, ridotta](QSize bersaglio) -> std::optional<QImage> {
                    lette << QString::number(f) + " ridotta";
                    if (f != 3 || ridotta == 0)
                        return std::nullopt;
                    return ridotta == 1 ? tinta(bersaglio, Qt::yellow) : QImage();
                });
        const QImage fatta =
            perIlDispositivo(tinta(base, coloreDel(1)), r, schermo, Filtro::Nitido);
        QCOMPARE(lette, letture);
        QCOMPARE(fatta.size(), schermo);
        QCOMPARE(fatta.pixelColor(schermo.width() / 2, schermo.height() / 2), colore);
    }

    void misureImpossibili() {
        const QImage s = tinta(QSize(8, 8), Qt::red);
        QVERIFY(ridimensiona(QImage(), QSize(10, 10), Filtro::Nitido).isNull());
        QVERIFY(ridimensiona(s, QSize(0, 10), Filtro::Nitido).isNull());
        QVERIFY(ridimensiona(s, QSize(-5, 10), Filtro::Nitido).isNull());
        QVERIFY(ridimensiona(s, QSize(100000, 10), Filtro::Nitido).isNull());
        // A picture with transparency keeps it, premultiplied for the screen.
        QImage trasparente(4, 4, QImage::Format_ARGB32);
        trasparente.fill(Qt::transparent);
        const QImage t = ridimensiona(trasparente, QSize(6, 6), Filtro::Nitido);
        QVERIFY(t.hasAlphaChannel());
        QCOMPARE(qAlpha(t.pixel(3, 3)), 0);
    }

    // Made once per picture and size; a new size, a new picture, a new filter or a clearing
    // makes it again.
    void cacheRifaSoloQuandoServe() {
        CacheNitida c;
        QList<int> lette;
        const QSize base(20, 10);
        const Rendizioni r = rendizioniDi({2}, base, &lette);
        const QImage uno = tinta(base, coloreDel(1));
        c.per(uno, r, QSize(28, 14), Filtro::Nitido);
        c.per(uno, r, QSize(28, 14), Filtro::Nitido);
        QCOMPARE(c.fatte(), 1);
        QCOMPARE(lette.size(), 1);
        QCOMPARE(c.per(uno, r, QSize(20, 10), Filtro::Nitido).pixelColor(1, 1), coloreDel(1));
        QCOMPARE(c.fatte(), 2);
        c.per(uno, r, QSize(20, 10), Filtro::Pixel);
        QCOMPARE(c.fatte(), 3);
        const QImage altra = tinta(base, Qt::yellow);
        QCOMPARE(c.per(altra, r, QSize(20, 10), Filtro::Pixel).pixelColor(1, 1),
                 QColor(Qt::yellow));
        QCOMPARE(c.fatte(), 4);
        c.svuota();
        QVERIFY(c.vuota());
        c.per(altra, r, QSize(20, 10), Filtro::Pixel);
        QCOMPARE(c.fatte(), 5);
    }

    // A picture made elsewhere is taken for the picture, size and filter it was made for, once;
    // for anything else, or when it brings nothing, the cache makes its own.
    void cachePrendeQuelloInArrivo() {
        const QSize base(20, 10), schermo(28, 14);
        const QImage uno = tinta(base, coloreDel(1));
        QList<int> lette;
        const Rendizioni r = rendizioniDi({2}, base, &lette);
        const QImage fatto = tinta(schermo, Qt::magenta);
        int chiesto = 0;
        const auto arrivo = [&] {
            ++chiesto;
            return fatto;
        };
        CacheNitida c;
        c.inArrivo(uno, schermo, Filtro::Nitido, arrivo);
        QCOMPARE(c.per(uno, r, schermo, Filtro::Nitido).pixelColor(1, 1), QColor(Qt::magenta));
        c.svuota();
        QCOMPARE(c.per(uno, r, schermo, Filtro::Nitido).pixelColor(1, 1), coloreDel(2));
        QCOMPARE(chiesto, 1);

        // Another size, filter or picture first: the arrival is dropped unasked.
        c.svuota();
        c.inArrivo(uno, schermo, Filtro::Nitido, arrivo);
        QCOMPARE(c.per(uno, r, QSize(40, 20), Filtro::Nitido).pixelColor(1, 1), coloreDel(2));
        QCOMPARE(c.per(uno, r, schermo, Filtro::Nitido).pixelColor(1, 1), coloreDel(2));
        c.svuota();
        c.inArrivo(uno, schermo, Filtro::Pixel, arrivo);
        QCOMPARE(c.per(uno, r, schermo, Filtro::Nitido).pixelColor(1, 1), coloreDel(2));
        const QImage altra = tinta(base, Qt::yellow);
        c.svuota();
        c.inArrivo(altra, schermo, Filtro::Nitido, arrivo);
        QCOMPARE(c.per(uno, r, schermo, Filtro::Nitido).pixelColor(1, 1), coloreDel(2));
        // Cleared before it is needed.
        c.inArrivo(uno, schermo, Filtro::Nitido, arrivo);
        c.svuota();
        QCOMPARE(c.per(uno, r, schermo, Filtro::Nitido).pixelColor(1, 1), coloreDel(2));
        QCOMPARE(chiesto, 1);
        // Nothing came: made here.
        c.svuota();
        c.inArrivo(uno, schermo, Filtro::Nitido, [] { return QImage(); });
        QCOMPARE(c.per(uno, r, schermo, Filtro::Nitido).pixelColor(1, 1), coloreDel(2));
    }

    // Bands kept elsewhere are painted as they are covered, a band read once per strip of it,
    // with the very pixels a picture in memory would give. Out of sight nothing is held but they
    // stay; a band that cannot be read gives way to the picture made here. Bands of another size
    // are not taken.
    void bandeDipinteComeLaFatta() {
        const QSize base(40, 30);
        const double scala = 1.5;
        const QSize schermo(60, 45);
        const QImage fatta = rumore(schermo, false);
        QList<int> lette;
        const Rendizioni r = rendizioniDi({2}, base, &lette);
        const QImage uno = tinta(base, coloreDel(1));
        const auto dipingi = [&](CacheNitida& c, const QRegion& regione) {
            QImage schermata = dispositivoDi(base, scala);
            QPainter p(&schermata);
            disegnaNitido(p, QRectF(QPointF(), base), uno, r, c, Filtro::Nitido, regione);
            p.end();
            QImage dipinto = schermata.copy(QRect(QPoint(), schermo));
            dipinto.setDevicePixelRatio(1);
            return dipinto;
        };
        auto bande = std::make_shared<BandeDi>(fatta, 8);
        CacheNitida c;
        c.inArrivo(uno, schermo, Filtro::Nitido, [&] { return Fatta(bande); });
        QCOMPARE(dipingi(c, {}), fatta);
        QCOMPARE(bande->lette, QList<int>({0, 1, 2, 3, 4, 5}));
        QCOMPARE(c.fatte(), 1);
        QVERIFY(lette.isEmpty());

        // Two strips within band 2 (rows 16 to 23 of the screen, 10.7 to 15.3 of the picture).
        bande->lette.clear();
        const QRegion strisce = QRegion(0, 11, 40, 1) + QRegion(0, 14, 40, 1);
        const QImage parte = dipingi(c, strisce);
        QCOMPARE(bande->lette, QList<int>({2}));
        QCOMPARE(parte.copy(0, 17, 60, 1), fatta.copy(0, 17, 60, 1));
        QCOMPARE(parte.pixel(5, 8), 0xff000000u);

        c.riposa();
        QVERIFY(c.vuota());
        bande->lette.clear();
        QCOMPARE(dipingi(c, {}), fatta);
        QCOMPARE(bande->lette.size(), 6);
        QCOMPARE(c.fatte(), 1);
        c.svuota();
        QCOMPARE(dipingi(c, {}),
                 ridimensiona(tinta(base * 2, coloreDel(2)), schermo, Filtro::Nitido));

        // Band 3 unreadable: the picture is made here, and painted whole.
        CacheNitida rotta;
        rotta.inArrivo(uno, schermo, Filtro::Nitido,
                       [&] { return Fatta(std::make_shared<BandeDi>(fatta, 8, 3)); });
        const QImage fatta2 = dipingi(rotta, {});
        QCOMPARE(fatta2, ridimensiona(tinta(base * 2, coloreDel(2)), schermo, Filtro::Nitido));
        QCOMPARE(rotta.fatte(), 2);
        QCOMPARE(dipingi(rotta, strisce).pixelColor(3, 17), coloreDel(2));

        CacheNitida altra;
        altra.inArrivo(uno, schermo, Filtro::Nitido, [&] {
            return Fatta(std::make_shared<BandeDi>(fatta.copy(0, 0, 59, 45), 8));
        });
        QCOMPARE(dipingi(altra, {}).pixelColor(3, 17), coloreDel(2));
    }

    // Painted at a fractional device position the picture lands 1:1 on device pixels: every
    // device pixel of the rounded rectangle is the made picture's, none resampled again.
    void disegnoCopiaUnoAUno_data() {
        QTest::addColumn<double>("scala");
        QTest::addColumn<QPointF>("dove");
        QTest::newRow("1x") << 1.0 << QPointF(3, 5);
        QTest::newRow("1.40625x, fractional corner") << 1.40625 << QPointF(433, 17);
        QTest::newRow("2x") << 2.0 << QPointF(11, 9);
        QTest::newRow("2.8125x") << 2.8125 << QPointF(7, 13);
    }
    void disegnoCopiaUnoAUno() {
        QFETCH(double, scala);
        QFETCH(QPointF, dove);
        QImage base(40, 30, QImage::Format_RGB32);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                base.setPixel(x, y, qRgb((x * 7) % 256, (y * 9) % 256, (x ^ y) * 5 % 256));
        QImage schermo = dispositivoDi(QSize(500, 80), scala);
        CacheNitida cache;
        {
            QPainter p(&schermo);
            p.setRenderHint(QPainter::SmoothPixmapTransform); // must not resample the copy
            p.translate(dove);
            disegnaNitido(p, QRectF(0, 0, 40, 30), base, {}, cache, Filtro::Nitido);
        }
        const int x0 = int(std::floor(dove.x() * scala + 0.5));
        const int y0 = int(std::floor(dove.y() * scala + 0.5));
        const QSize misura(int(std::floor((dove.x() + 40) * scala + 0.5)) - x0,
                           int(std::floor((dove.y() + 30) * scala + 0.5)) - y0);
        const QImage attesa = ridimensiona(base, misura, Filtro::Nitido);
        QCOMPARE(attesa.size(), misura);
        for (int y = 0; y < misura.height(); ++y)
            for (int x = 0; x < misura.width(); ++x)
                QCOMPARE(schermo.pixel(x0 + x, y0 + y), attesa.pixel(x, y));
        // Nothing outside the rounded rectangle.
        QCOMPARE(schermo.pixel(x0 - 1, y0 + 3), 0xff000000u);
        QCOMPARE(schermo.pixel(x0 + misura.width(), y0 + 3), 0xff000000u);
        QCOMPARE(schermo.pixel(x0 + 3, y0 + misura.height()), 0xff000000u);
    }

    // A rotating painter has no device pixels to copy onto: the picture is drawn by it.
    void pittoreRuotatoDisegnaComunque() {
        QImage schermo = dispositivoDi(QSize(100, 100), 1.5);
        CacheNitida cache;
        {
            QPainter p(&schermo);
            p.translate(50, 50);
            p.rotate(30);
            disegnaNitido(p, QRectF(-10, -10, 20, 20), tinta(QSize(20, 20), Qt::red), {}, cache,
                          Filtro::Nitido);
        }
        QVERIFY(cache.vuota());
        QCOMPARE(schermo.pixelColor(75, 75), QColor(Qt::red));
    }
};

QTEST_APPLESS_MAIN(TestRidimensiona)
#include "test_ridimensiona.moc"
