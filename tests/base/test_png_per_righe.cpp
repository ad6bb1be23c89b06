#include "PngPerRighe.h"
#include "Ridimensiona.h"

#include <QBuffer>
#include <QTest>
#include <png.h>

#include <csetjmp>
#include <vector>

using namespace hn;

namespace {

// What a PNG written for a test holds besides its pixels.
struct Forma {
    int colore = PNG_COLOR_TYPE_RGB;
    int profondita = 8;
    bool interlacciata = false;
    int voci = 0;            // palette entries
    int trasparenti = -1;    // tRNS: palette entries with an alpha (the rest opaque), or for a
                             // grey or colour picture any value >= 0 names one transparent colour
    bool alfeOpache = false; // the palette's tRNS entries all 255
};

int canali(int colore) {
    switch (colore) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

void scriviNelBuffer(png_structp png, png_bytep dati, size_t quanti) {
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(dati), qsizetype(quanti));
}
void nessunoScarico(png_structp) {}

// A PNG of pseudo-random pixels (every byte its own value), written by libpng so that every
// kind the format has can be made, interlaced ones too. Empty when libpng refuses.
QByteArray pngDi(QSize misura, const Forma& f) {
    QByteArray uscita;
    const size_t riga = (size_t(misura.width()) * size_t(canali(f.colore) * f.profondita) + 7) / 8;
    std::vector<png_byte> pixel(riga * size_t(misura.height()));
    quint32 v = 987654321u;
    for (png_byte& b : pixel) {
        v = v * 1664525u + 1013904223u;
        b = png_byte(v >> 24);
    }
    std::vector<png_bytep> righe(size_t(misura.height()));
    for (size_t y = 0; y < righe.size(); ++y)
        righe[y] = pixel.data() + y * riga;
    std::vector<png_color> tavolozza(size_t(std::max(f.voci, 1)));
    for (size_t i = 0; i < tavolozza.size(); ++i)
        tavolozza[i] = {png_byte(i * 37), png_byte(255 - i * 11), png_byte(i * i)};
    std::vector<png_byte> alfe(size_t(std::max(f.trasparenti, 1)));
    for (size_t i = 0; i < alfe.size(); ++i)
        alfe[i] = f.alfeOpache ? 255 : png_byte(i * 53);
    png_color_16 trasparente{};
    trasparente.gray = png_uint_16(std::max(f.trasparenti, 0));
    trasparente.red = trasparente.green = trasparente.blue = trasparente.gray;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &uscita, scriviNelBuffer, nessunoScarico);
    png_set_compression_level(png, 1);
    // Indices past the palette's end are written as they are, as a damaged file holds them.
    png_set_check_for_invalid_index(png, 0);
    png_set_IHDR(png, info, png_uint_32(misura.width()), png_uint_32(misura.height()), f.profondita,
                 f.colore, f.interlacciata ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (f.colore == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, tavolozza.data(), f.voci);
    if (f.trasparenti >= 0)
        png_set_tRNS(png, info, alfe.data(), f.colore == PNG_COLOR_TYPE_PALETTE ? f.trasparenti : 0,
                     &trasparente);
    png_write_info(png, info);
    png_write_image(png, righe.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return uscita;
}

std::optional<QImage> ridotta(const QByteArray& dati, QSize attesa, QSize bersaglio) {
    QBuffer b;
    b.setData(dati);
    b.open(QIODevice::ReadOnly);
    return decodificaRendizioneRidotta(b, attesa, bersaglio);
}

int scartoMassimo(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int peggiore = 0;
    for (int r = 0; r < x.height(); ++r) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(r));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(r));
        for (int c = 0; c < x.width(); ++c)
            peggiore = std::max({peggiore, qAbs(qRed(p[c]) - qRed(q[c])),
                                 qAbs(qGreen(p[c]) - qGreen(q[c])), qAbs(qBlue(p[c]) - qBlue(q[c])),
                                 qAbs(qAlpha(p[c]) - qAlpha(q[c]))});
    }
    return peggiore;
}

// Bytes [inizio, inizio + 4) as a big-endian number.
quint32 numeroA(const QByteArray& d, qsizetype inizio) {
    return quint32(uchar(d[inizio])) << 24 | quint32(uchar(d[inizio + 1])) << 16 |
           quint32(uchar(d[inizio + 2])) << 8 | uchar(d[inizio + 3]);
}

// A PNG chunk's checksum (CRC-32) over its type and data.
quint32 crc32(const QByteArray& d) {
    quint32 c = 0xffffffffu;
    for (const char b : d) {
        c ^= uchar(b);
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

} // namespace

Q_DECLARE_METATYPE(Forma)

class TestPngPerRighe : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Decoded by rows and reduced as they come, a rendition gives the picture Qt's whole decoding
    // and the same reduction give, for every kind of PNG. Sizes whose target is large enough
    // for the whole picture's own reduction to be the averaging of areas.
    void comeDecodificataIntera_data() {
        QTest::addColumn<Forma>("forma");
        QTest::addColumn<QSize>("sorgente");
        QTest::addColumn<QSize>("bersaglio");
        QTest::addColumn<int>("tolleranza");
        const QSize s(2240, 1600), b(2100, 1500);
        QTest::newRow("RGB, 3 x to 4K") << Forma{} << QSize(3072, 2304) << QSize(2880, 2160) << 0;
        QTest::newRow("RGB, one axis") << Forma{} << QSize(2400, 1500) << QSize(2100, 1500) << 0;
        QTest::newRow("RGBA") << Forma{PNG_COLOR_TYPE_RGBA} << s << b << 0;
        QTest::newRow("RGB, one colour transparent")
            << Forma{PNG_COLOR_TYPE_RGB, 8, false, 0, 77} << s << b << 0;
        QTest::newRow("palette") << Forma{PNG_COLOR_TYPE_PALETTE, 8, false, 256} << s << b << 0;
        QTest::newRow("palette of 16, some transparent")
            << Forma{PNG_COLOR_TYPE_PALETTE, 4, false, 16, 10} << s << b << 0;
        // Random indices of 8 bits, most past the end: Qt's reader takes the first entry.
        QTest::newRow("palette of 16, indices past its end")
            << Forma{PNG_COLOR_TYPE_PALETTE, 8, false, 16, 10} << s << b << 0;
        QTest::newRow("palette, transparency all opaque")
            << Forma{PNG_COLOR_TYPE_PALETTE, 8, false, 256, 40, true} << s << b << 0;
        QTest::newRow("grey") << Forma{PNG_COLOR_TYPE_GRAY} << s << b << 0;
        QTest::newRow("grey, 2 bits") << Forma{PNG_COLOR_TYPE_GRAY, 2} << s << b << 0;
        QTest::newRow("grey with alpha") << Forma{PNG_COLOR_TYPE_GRAY_ALPHA} << s << b << 0;
        // 16 bits are rounded to 8 before the area average here, after Qt's own conversion
        // there: a level at most either way.
        QTest::newRow("grey, 16 bits") << Forma{PNG_COLOR_TYPE_GRAY, 16} << s << b << 1;
        QTest::newRow("RGB, 16 bits") << Forma{PNG_COLOR_TYPE_RGB, 16} << s << b << 1;
        QTest::newRow("RGBA, 16 bits") << Forma{PNG_COLOR_TYPE_RGBA, 16} << s << b << 1;
    }
    void comeDecodificataIntera() {
        QFETCH(Forma, forma);
        QFETCH(QSize, sorgente);
        QFETCH(QSize, bersaglio);
        QFETCH(int, tolleranza);
        QVERIFY(riduzionePerRighe(sorgente, bersaglio, Filtro::Nitido));
        const QByteArray dati = pngDi(sorgente, forma);
        QVERIFY(!dati.isEmpty());
        const QImage attesa =
            ridimensiona(decodificaRendizione(dati, sorgente), bersaglio, Filtro::Nitido);
        QVERIFY(!attesa.isNull());
        const std::optional<QImage> fatta = ridotta(dati, sorgente, bersaglio);
        QVERIFY(fatta && !fatta->isNull());
        QCOMPARE(fatta->size(), bersaglio);
        QCOMPARE(fatta->format(), attesa.format());
        const int scarto = scartoMassimo(*fatta, attesa);
        QVERIFY2(scarto <= tolleranza, qPrintable(QString::number(scarto)));
    }

    // What cannot be read by rows is left to the whole decoding, the device where it was: other
    // formats and interlaced PNGs. What is read but is no rendition of that size is none.
    void cioCheNonSiLeggePerRighe() {
        const QSize misura(64, 48), bersaglio(40, 30);
        Forma interlacciata;
        interlacciata.interlacciata = true;
        const QByteArray png = pngDi(misura, Forma{});
        QByteArray bmp;
        QBuffer scritto(&bmp);
        scritto.open(QIODevice::WriteOnly);
        QVERIFY(QImage(misura, QImage::Format_RGB32).save(&scritto, "BMP"));
        for (const QByteArray& dati : {bmp, pngDi(misura, interlacciata), QByteArray("\x89PNG")}) {
            QBuffer b;
            b.setData(QByteArray("xyz") + dati);
            b.open(QIODevice::ReadOnly);
            b.seek(3);
            QVERIFY(!decodificaRendizioneRidotta(b, misura, bersaglio));
            QCOMPARE(b.pos(), 3);
        }
        QVERIFY(!decodificaRendizione(pngDi(misura, interlacciata), misura).isNull());
        const std::optional<QImage> altraMisura = ridotta(png, QSize(65, 48), bersaglio);
        QVERIFY(altraMisura && altraMisura->isNull());
        const std::optional<QImage> buona = ridotta(png, misura, bersaglio);
        QVERIFY(buona && buona->size() == bersaglio);
    }

    // Bytes cut short or spoilt anywhere after the header give no picture, as the whole decoding
    // gives none, and never more than one pass over them.
    void troncataOGuasta() {
        const QSize misura(300, 200), bersaglio(200, 150);
        const QByteArray png = pngDi(misura, Forma{PNG_COLOR_TYPE_RGBA});
        const qsizetype idat = png.indexOf("IDAT") - 4;
        QVERIFY(idat > 8);
        // Every cut before the end mark is seen, the end mark itself included.
        for (qsizetype taglio :
             {idat, idat + 20, png.size() / 2, png.size() - 13, png.size() - 12}) {
            const QByteArray corti = png.left(taglio);
            QVERIFY(decodificaRendizione(corti, misura).isNull());
            const std::optional<QImage> r = ridotta(corti, misura, bersaglio);
            QVERIFY2(r && r->isNull(), qPrintable(QString::number(taglio)));
        }
        // A chunk after the pixels that a reader must know and does not: no picture either.
        QByteArray ignoto("Xbad");
        ignoto += QByteArray(4, '\0');
        QByteArray conIgnoto = png;
        const quint32 c = crc32(ignoto);
        ignoto.prepend(QByteArray("\0\0\0\4", 4));
        for (int i = 0; i < 4; ++i)
            ignoto += char(c >> (24 - 8 * i));
        conIgnoto.insert(png.size() - 12, ignoto);
        QVERIFY(decodificaRendizione(conIgnoto, misura).isNull());
        const std::optional<QImage> r = ridotta(conIgnoto, misura, bersaglio);
        QVERIFY(r && r->isNull());
        for (qsizetype dove : {idat + 8 + 100, png.size() - 20}) {
            QByteArray guasti = png;
            guasti[dove] = char(guasti[dove] ^ 0x5a);
            const std::optional<QImage> r = ridotta(guasti, misura, bersaglio);
            QVERIFY2(r && r->isNull(), qPrintable(QString::number(dove)));
            QVERIFY(decodificaRendizione(guasti, misura).isNull());
        }
    }

    // Every chunk's CRC checks the bytes as read; the zlib stream's own sum over what they inflate
    // to is left unchecked, a third of the decoding. A file whose only fault is that sum (every
    // CRC right) gives its picture here, where Qt's whole decoding refuses it.
    void sommaZlibLasciataAiCrc() {
        const QSize misura(64, 48), bersaglio(40, 30);
        const QByteArray png = pngDi(misura, Forma{});
        const qsizetype idat = png.lastIndexOf("IDAT");
        QVERIFY(idat > 8);
        const qsizetype lunghezza = numeroA(png, idat - 4);
        QByteArray guasta = png;
        guasta[idat + 4 + lunghezza - 1] = char(guasta[idat + 4 + lunghezza - 1] ^ 0x01);
        const quint32 c = crc32(guasta.mid(idat, 4 + lunghezza));
        for (int i = 0; i < 4; ++i)
            guasta[idat + 4 + lunghezza + i] = char(c >> (24 - 8 * i));
        QVERIFY(decodificaRendizione(guasta, misura).isNull());
        const std::optional<QImage> sana = ridotta(png, misura, bersaglio);
        const std::optional<QImage> r = ridotta(guasta, misura, bersaglio);
        QVERIFY(sana && !sana->isNull() && r);
        QCOMPARE(*r, *sana);
        // The CRC is what catches a byte changed on the way.
        guasta[idat + 4 + lunghezza - 1] = char(guasta[idat + 4 + lunghezza - 1] ^ 0x02);
        const std::optional<QImage> rotta = ridotta(guasta, misura, bersaglio);
        QVERIFY(rotta && rotta->isNull());
    }

    // A header claiming a picture far beyond any screen is refused before anything is allocated
    // for it, even when its checksum is right.
    void testataSmisurata() {
        QByteArray png = pngDi(QSize(16, 16), Forma{});
        QCOMPARE(numeroA(png, 8), 13u); // IHDR's length
        for (int i = 0; i < 4; ++i) {
            png[16 + i] = char(i == 1 ? 0x01 : 0); // 65536 wide
            png[20 + i] = char(i == 1 ? 0x01 : 0); // 65536 high
        }
        const quint32 crc = crc32(png.mid(12, 17));
        for (int i = 0; i < 4; ++i)
            png[29 + i] = char(crc >> (24 - 8 * i));
        const QSize misura(65536, 65536);
        const std::optional<QImage> r = ridotta(png, misura, QSize(2880, 2160));
        QVERIFY(r && r->isNull());
        QVERIFY(decodificaRendizione(png, misura).isNull());
        QBuffer b;
        b.setData(png);
        b.open(QIODevice::ReadOnly);
        PngPerRighe lettore(b);
        QVERIFY(!lettore.leggibile() && lettore.guasta());
        QVERIFY(!lettore.riga());
    }

    // Rows one by one, then none: a reader past the end or after an error hands nothing more.
    // Opaque colour rows are converted here, not by libpng: widths that end within a group of
    // four pixels, and within the last sixteen bytes, as each row's last pixels do.
    void righeUnaAllaVolta_data() {
        QTest::addColumn<Forma>("forma");
        QTest::addColumn<int>("larghezza");
        QTest::newRow("RGBA") << Forma{PNG_COLOR_TYPE_RGBA} << 7;
        for (int larghezza : {1, 2, 5, 6, 7, 9, 33})
            QTest::addRow("RGB, %d wide", larghezza) << Forma{} << larghezza;
    }
    void righeUnaAllaVolta() {
        QFETCH(Forma, forma);
        QFETCH(int, larghezza);
        const QSize misura(larghezza, 5);
        const QByteArray png = pngDi(misura, forma);
        const bool alfa = forma.colore == PNG_COLOR_TYPE_RGBA;
        const QImage intera =
            decodificaRendizione(png, misura)
                .convertToFormat(alfa ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        QBuffer b;
        b.setData(png);
        b.open(QIODevice::ReadOnly);
        PngPerRighe lettore(b);
        QVERIFY(lettore.leggibile());
        QCOMPARE(lettore.alfa(), alfa);
        QCOMPARE(lettore.misura(), misura);
        for (int y = 0; y < misura.height(); ++y) {
            const QRgb* riga = lettore.riga();
            QVERIFY(riga);
            QCOMPARE(lettore.lette(), y + 1);
            QVERIFY(std::equal(riga, riga + misura.width(),
                               reinterpret_cast<const QRgb*>(intera.constScanLine(y))));
        }
        QVERIFY(!lettore.riga());
        QCOMPARE(lettore.lette(), misura.height());
    }
};

QTEST_APPLESS_MAIN(TestPngPerRighe)
#include "test_png_per_righe.moc"
