#include "Immagine.h"

#include "ErroreVB.h"
#include "Rendizioni.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <cstring>
#include <optional>

namespace hn {

namespace {

// The kind of BMP the atlases' backgrounds and plates are: uncompressed 24-bit RGB, rows of
// blue-green-red bottom-up (or top-down with a negative height). Qt's reader converts it a
// pixel at a time through a device and first looks for image plugins on disk; this takes the
// rows straight from the bytes, several times faster on the way to the first frame. Anything
// else, or anything odd about these (a header that disagrees with the bytes), is left to Qt.
std::optional<QImage> bmpSemplice(QByteArrayView b) {
    constexpr qsizetype TestaFile = 14;
    if (b.size() < TestaFile + 40 || !b.startsWith("BM"))
        return std::nullopt;
    const auto u16 = [&](qsizetype i) { return qFromLittleEndian<quint16>(b.data() + i); };
    const auto u32 = [&](qsizetype i) { return qFromLittleEndian<quint32>(b.data() + i); };
    const auto i32 = [&](qsizetype i) { return qFromLittleEndian<qint32>(b.data() + i); };
    const quint32 inizio = u32(10);
    const quint32 testa = u32(TestaFile);
    // The Windows 3 header and its later, longer forms; the older OS/2 one is Qt's.
    if (testa != 40 && testa != 108 && testa != 124)
        return std::nullopt;
    const qint32 larghezza = i32(TestaFile + 4);
    const qint32 altezzaFile = i32(TestaFile + 8);
    if (u16(TestaFile + 12) != 1 || u16(TestaFile + 14) != 24 || u32(TestaFile + 16) != 0)
        return std::nullopt;
    // At most 32,767 pixels a side: no screen or print needs more, and nothing overflows.
    if (larghezza <= 0 || larghezza > 32767 || altezzaFile == 0 || altezzaFile < -32767 ||
        altezzaFile > 32767)
        return std::nullopt;
    const int w = larghezza, h = altezzaFile < 0 ? -altezzaFile : altezzaFile;
    const qint64 passo = (qint64(w) * 3 + 3) & ~qint64(3);
    if (inizio < TestaFile + testa || qint64(inizio) + passo * h > b.size())
        return std::nullopt;
    // Within the image reader's own allocation limit, as Qt's reader keeps to it; pixels of our
    // own, so a reduction can take their place.
    QImage immagine = immagineInPixelPropri(QSize(w, h), QImage::Format_RGB32);
    if (immagine.isNull())
        return std::nullopt;
    const auto* pixel = reinterpret_cast<const uchar*>(b.data()) + inizio;
    for (int y = 0; y < h; ++y) {
        const uchar* s = pixel + passo * (altezzaFile < 0 ? y : h - 1 - y);
        auto* d = reinterpret_cast<QRgb*>(immagine.scanLine(y));
        int x = 0;
        // Four pixels from three little-endian words: blue, green, red read as one number are
        // already the pixel's 0xRRGGBB.
        for (; x + 4 <= w; x += 4, s += 12) {
            quint32 p[3];
            std::memcpy(p, s, 12);
            const quint32 a = qFromLittleEndian(p[0]), b = qFromLittleEndian(p[1]),
                          c = qFromLittleEndian(p[2]);
            d[x] = 0xff000000u | a;
            d[x + 1] = 0xff000000u | a >> 24 | b << 8;
            d[x + 2] = 0xff000000u | b >> 16 | c << 16;
            d[x + 3] = 0xff000000u | c >> 8;
        }
        for (; x < w; ++x, s += 3)
            d[x] = 0xff000000u | quint32(s[2]) << 16 | quint32(s[1]) << 8 | s[0];
    }
    // As Qt's reader keeps them: what printing takes the picture's physical size from.
    immagine.setDotsPerMeterX(i32(TestaFile + 24));
    immagine.setDotsPerMeterY(i32(TestaFile + 28));
    return immagine;
}

} // namespace

QByteArrayView formatoNoto(QByteArrayView dati) {
    if (dati.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (dati.startsWith("BM"))
        return "bmp";
    return {};
}

QByteArray formatoDaiByte(QByteArrayView dati) {
    return formatoNoto(dati).toByteArray();
}

QImage decodificaImmagine(const QByteArray& dati) {
    if (std::optional<QImage> bmp = bmpSemplice(dati))
        return *std::move(bmp);
    QBuffer buffer;
    buffer.setData(dati);
    buffer.open(QIODevice::ReadOnly);
    QImage immagine;
    // Bytes that only look like a known format are left to Qt to recognise.
    if (const QByteArray formato = formatoDaiByte(dati); !formato.isEmpty()) {
        QImageReader noto(&buffer, formato);
        noto.setAutoDetectImageFormat(false);
        if (noto.read(&immagine) && !immagine.isNull())
            return immagine;
        buffer.seek(0);
    }
    QImageReader lettore(&buffer);
    lettore.setDecideFormatFromContent(true);
    if (!lettore.read(&immagine) || immagine.isNull())
        throw ErroreVB(Errore::ImmagineNonValida);
    return immagine;
}

} // namespace hn
