// Feeds arbitrary bytes, made to begin like a BMP, to the picture decoder and checks it against
// Qt's own BMP reader: a picture exactly where Qt finds one, of the same size and format, and
// where every row of a plain 24-bit picture is in the bytes, the same pixels and dots per metre.
// Any crash, hang, leak or undefined behaviour is a finding.

#include "ErroreVB.h"
#include "Immagine.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QtEndian>
#include <cstddef>
#include <cstdint>

namespace {

// A plain picture: a Windows header, one plane, 24 bits, uncompressed, and every row in the
// bytes where the header says. Then a reader has nothing to guess: both must give the same
// pixels, and neither may refuse it.
bool semplice(const QByteArray& d) {
    if (d.size() < 54)
        return false;
    const auto i32 = [&d](int i) { return qFromLittleEndian<qint32>(d.constData() + i); };
    const auto u16 = [&d](int i) { return qFromLittleEndian<quint16>(d.constData() + i); };
    const qint64 testa = quint32(i32(14));
    const qint64 w = i32(18), h = std::abs(qint64(i32(22)));
    const qint64 passo = (w * 3 + 3) & ~qint64(3);
    const qint64 inizio = quint32(i32(10));
    return (testa == 40 || testa == 108 || testa == 124) && u16(26) == 1 && u16(28) == 24 &&
           i32(30) == 0 && w > 0 && w <= 32767 && h > 0 && h <= 32767 && inizio >= 14 + testa &&
           inizio + passo * h <= d.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    QByteArray byte(reinterpret_cast<const char*>(dati), qsizetype(dimensione));
    if (byte.size() < 2)
        return 0;
    byte[0] = 'B';
    byte[1] = 'M';
    // Small pictures only: the fuzzer's time goes to the header's paths, not to pixels.
    if (byte.size() >= 26 && qAbs(qint64(qFromLittleEndian<qint32>(byte.constData() + 18)) *
                                  qFromLittleEndian<qint32>(byte.constData() + 22)) > 1'000'000)
        return 0;
    QImage nostra;
    try {
        nostra = hn::decodificaImmagine(byte);
    } catch (const hn::ErroreVB& e) {
        if (e.numero() != hn::Errore::ImmagineNonValida)
            __builtin_trap();
    }
    QBuffer dispositivo;
    dispositivo.setData(byte);
    dispositivo.open(QIODevice::ReadOnly);
    QImageReader lettore(&dispositivo, "bmp");
    lettore.setAutoDetectImageFormat(false);
    QImage diQt;
    if (!lettore.read(&diQt))
        diQt = QImage();
    // Bytes Qt's BMP reader refuses may still be another picture by their content, but never
    // through our own reading of a plain one.
    if (diQt.isNull()) {
        if (semplice(byte) && !nostra.isNull())
            __builtin_trap();
        return 0;
    }
    if (nostra.isNull() || nostra.size() != diQt.size() || nostra.format() != diQt.format())
        __builtin_trap();
    if (semplice(byte) && (nostra != diQt || nostra.dotsPerMeterX() != diQt.dotsPerMeterX() ||
                           nostra.dotsPerMeterY() != diQt.dotsPerMeterY()))
        __builtin_trap();
    return 0;
}
