#include "Immagine.h"

#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Rendizioni.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace hn {

namespace {

// The kind of BMP the atlases' backgrounds and plates are: uncompressed 24-bit RGB, rows of
// blue-green-red bottom-up (or top-down with a negative height). Qt's reader converts it a
// pixel at a time through a device and first looks for image plugins on disk; this takes the
// rows straight from the bytes, several times faster on the way to the first frame. Anything
// else, or anything odd about these (a header that disagrees with the bytes), is left to Qt.
struct BmpSemplice {
    int larghezza = 0, altezza = 0;
    bool dallAlto = false; // rows top-down
    qint64 inizio = 0, passo = 0;
    qint32 dpmX = 0, dpmY = 0;
};
constexpr qsizetype TestaFile = 14;
constexpr qsizetype TestaBmp = TestaFile + 40;

// `testa` holds at least the file's first TestaBmp bytes; `dimensione` is the whole file's.
std::optional<BmpSemplice> testaSemplice(QByteArrayView testa, qint64 dimensione) {
    if (testa.size() < TestaBmp || dimensione < TestaBmp || !testa.startsWith("BM"))
        return std::nullopt;
    const auto u16 = [&](qsizetype i) { return qFromLittleEndian<quint16>(testa.data() + i); };
    const auto u32 = [&](qsizetype i) { return qFromLittleEndian<quint32>(testa.data() + i); };
    const auto i32 = [&](qsizetype i) { return qFromLittleEndian<qint32>(testa.data() + i); };
    const quint32 inizio = u32(10);
    const quint32 lunghezza = u32(TestaFile);
    // The Windows 3 header and its later, longer forms; the older OS/2 one is Qt's.
    if (lunghezza != 40 && lunghezza != 108 && lunghezza != 124)
        return std::nullopt;
    const qint32 larghezza = i32(TestaFile + 4);
    const qint32 altezzaFile = i32(TestaFile + 8);
    if (u16(TestaFile + 12) != 1 || u16(TestaFile + 14) != 24 || u32(TestaFile + 16) != 0)
        return std::nullopt;
    // At most 32,767 pixels a side: no screen or print needs more, and nothing overflows.
    if (larghezza <= 0 || larghezza > 32767 || altezzaFile == 0 || altezzaFile < -32767 ||
        altezzaFile > 32767)
        return std::nullopt;
    BmpSemplice b;
    b.larghezza = larghezza;
    b.altezza = altezzaFile < 0 ? -altezzaFile : altezzaFile;
    b.dallAlto = altezzaFile < 0;
    b.passo = (qint64(larghezza) * 3 + 3) & ~qint64(3);
    b.inizio = inizio;
    if (inizio < TestaFile + lunghezza || b.inizio + b.passo * b.altezza > dimensione)
        return std::nullopt;
    b.dpmX = i32(TestaFile + 24);
    b.dpmY = i32(TestaFile + 28);
    return b;
}

// Within the image reader's own allocation limit, as Qt's reader keeps to it; pixels of our own,
// so a reduction can take their place. Null when over it.
QImage immagineDi(const BmpSemplice& b) {
    QImage immagine = immagineInPixelPropri(QSize(b.larghezza, b.altezza), QImage::Format_RGB32);
    // As Qt's reader keeps them: what printing takes the picture's physical size from.
    immagine.setDotsPerMeterX(b.dpmX);
    immagine.setDotsPerMeterY(b.dpmY);
    return immagine;
}

// Row `n` of the file, as the picture's row.
void rigaDaFile(QImage& immagine, const BmpSemplice& b, int n, const uchar* s) {
    const int w = b.larghezza;
    auto* d = reinterpret_cast<QRgb*>(immagine.scanLine(b.dallAlto ? n : b.altezza - 1 - n));
    int x = 0;
    // Four pixels from three little-endian words: blue, green, red read as one number are
    // already the pixel's 0xRRGGBB.
    for (; x + 4 <= w; x += 4, s += 12) {
        quint32 p[3];
        std::memcpy(p, s, 12);
        const quint32 a = qFromLittleEndian(p[0]), c = qFromLittleEndian(p[1]),
                      e = qFromLittleEndian(p[2]);
        d[x] = 0xff000000u | a;
        d[x + 1] = 0xff000000u | a >> 24 | c << 8;
        d[x + 2] = 0xff000000u | c >> 16 | e << 16;
        d[x + 3] = 0xff000000u | e >> 8;
    }
    for (; x < w; ++x, s += 3)
        d[x] = 0xff000000u | quint32(s[2]) << 16 | quint32(s[1]) << 8 | s[0];
}

std::optional<QImage> bmpSemplice(QByteArrayView dati) {
    const std::optional<BmpSemplice> b = testaSemplice(dati, dati.size());
    if (!b)
        return std::nullopt;
    QImage immagine = immagineDi(*b);
    if (immagine.isNull())
        return std::nullopt;
    const auto* pixel = reinterpret_cast<const uchar*>(dati.data()) + b->inizio;
    for (int n = 0; n < b->altezza; ++n)
        rigaDaFile(immagine, *b, n, pixel + b->passo * n);
    return immagine;
}

// How much of a file the plain BMP's rows are read at a time: the whole file is never held, and
// a band this size is read into memory that stays the same.
constexpr qint64 BandaLettura = 64 * 1024;

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

QImage leggiImmagine(const QString& percorso, qint64 massimo) {
    FileInLettura file(percorso);
    if (file.dimensione() > massimo)
        throw ErroreVB(7);
    char testa[TestaBmp];
    const qint64 n = file.leggi(0, testa, TestaBmp);
    if (const std::optional<BmpSemplice> b =
            testaSemplice(QByteArrayView(testa, n), file.dimensione())) {
        QImage immagine = immagineDi(*b);
        if (!immagine.isNull()) {
            const int righe = int(std::clamp<qint64>(BandaLettura / b->passo, 1, b->altezza));
            std::vector<uchar> banda(size_t(righe * b->passo));
            for (int prima = 0; prima < b->altezza; prima += righe) {
                const int k = std::min(righe, b->altezza - prima);
                const qint64 byte = k * b->passo;
                // Shorter than its header said when it was opened: changed meanwhile.
                if (file.leggi(b->inizio + prima * b->passo, reinterpret_cast<char*>(banda.data()),
                               byte) != byte)
                    throw ErroreVB(Errore::AccessoPercorso);
                for (int j = 0; j < k; ++j)
                    rigaDaFile(immagine, *b, prima + j, banda.data() + j * b->passo);
            }
            file.controllaInvariato();
            return immagine;
        }
    }
    return decodificaImmagine(file.tutto(massimo));
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
