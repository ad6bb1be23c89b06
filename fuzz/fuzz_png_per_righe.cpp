// Feeds arbitrary bytes to the row-by-row PNG decoder as a rendition, reduced to about two
// thirds of the size its header names, and checks it against Qt's whole decoding of the same
// bytes fed to the same reduction: a picture only where Qt finds one (or where only the zlib
// stream's own checksum is wrong, which the row decoder leaves to the chunks' CRCs), and then the
// same pixels (a level apart at most, from 16 bits rounded before the average rather than after).
// Any crash, hang, leak or undefined behaviour is a finding.

#include "PngPerRighe.h"
#include "Rendizioni.h"
#include "Ridimensiona.h"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>
#include <zlib.h>

namespace {

// The header's width and height (IHDR always comes first); an empty size when there is none.
QSize misuraDellaTestata(const QByteArray& d) {
    if (d.size() < 24 || d.mid(12, 4) != "IHDR")
        return {};
    const auto numero = [&d](int i) {
        return int(uchar(d[i]) << 24 | uchar(d[i + 1]) << 16 | uchar(d[i + 2]) << 8 |
                   uchar(d[i + 3]));
    };
    return QSize(numero(16), numero(20));
}

// Every chunk's checksum made right, so that mutations reach what lies past it rather than end
// at the first check.
void checksumGiusti(QByteArray& d) {
    qsizetype i = 8;
    while (i + 12 <= d.size()) {
        const quint32 lunghezza = quint32(uchar(d[i])) << 24 | quint32(uchar(d[i + 1])) << 16 |
                                  quint32(uchar(d[i + 2])) << 8 | uchar(d[i + 3]);
        if (lunghezza > quint32(d.size() - i - 12))
            return;
        quint32 c = 0xffffffffu;
        for (qsizetype k = i + 4; k < i + 8 + qsizetype(lunghezza); ++k) {
            c ^= uchar(d[k]);
            for (int b = 0; b < 8; ++b)
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
        }
        c = ~c;
        const qsizetype dove = i + 8 + qsizetype(lunghezza);
        for (int b = 0; b < 4; ++b)
            d[dove + b] = char(c >> (24 - 8 * b));
        i = dove + 4;
    }
}

// Whether the IDAT chunks' zlib stream inflates to its end and only its Adler-32 disagrees with
// what it inflates to.
bool soloLaSommaZlib(const QByteArray& d) {
    QByteArray z;
    for (qsizetype i = 8; i + 12 <= d.size();) {
        const quint32 lunghezza = quint32(uchar(d[i])) << 24 | quint32(uchar(d[i + 1])) << 16 |
                                  quint32(uchar(d[i + 2])) << 8 | uchar(d[i + 3]);
        if (lunghezza > quint32(d.size() - i - 12))
            break;
        if (d.mid(i + 4, 4) == "IDAT")
            z += d.mid(i + 8, qsizetype(lunghezza));
        i += 12 + qsizetype(lunghezza);
    }
    if (z.size() < 2 + 4)
        return false;
    z_stream s{};
    if (inflateInit2(&s, -15) != Z_OK)
        return false;
    s.next_in = reinterpret_cast<Bytef*>(z.data() + 2);
    s.avail_in = uInt(z.size() - 2);
    // Inputs are small pictures: their rows inflate to a few megabytes at most.
    std::vector<Bytef> uscita(16 * 1024 * 1024);
    s.next_out = uscita.data();
    s.avail_out = uInt(uscita.size());
    const int esito = inflate(&s, Z_FINISH);
    const uLong prodotti = s.total_out;
    const qsizetype dopo = qsizetype(s.next_in - reinterpret_cast<Bytef*>(z.data()));
    inflateEnd(&s);
    if (esito != Z_STREAM_END || dopo + 4 > z.size())
        return false;
    const quint32 scritta = quint32(uchar(z[dopo])) << 24 | quint32(uchar(z[dopo + 1])) << 16 |
                            quint32(uchar(z[dopo + 2])) << 8 | uchar(z[dopo + 3]);
    return adler32(adler32(0, nullptr, 0), uscita.data(), uInt(prodotti)) != scritta;
}

int scarto(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    QByteArray byte(reinterpret_cast<const char*>(dati), qsizetype(dimensione));
    // An input whose last byte is even has its checksums made right; an odd one is read as it is.
    if (!byte.isEmpty() && byte.back() % 2 == 0)
        checksumGiusti(byte);
    const QSize misura = misuraDellaTestata(byte);
    // Small pictures only: the fuzzer's time goes to the decoder's paths, not its pixels.
    if (misura.width() < 1 || misura.height() < 1 ||
        qint64(misura.width()) * misura.height() > 300'000)
        return 0;
    const QSize bersaglio(std::max(1, misura.width() * 2 / 3),
                          std::max(1, misura.height() * 2 / 3));
    QBuffer dispositivo;
    dispositivo.setData(byte);
    dispositivo.open(QIODevice::ReadOnly);
    const std::optional<QImage> ridotta =
        hn::decodificaRendizioneRidotta(dispositivo, misura, bersaglio);
    if (!ridotta) {
        if (dispositivo.pos() != 0)
            __builtin_trap(); // left for the whole decoding where it was found
        return 0;
    }
    if (ridotta->isNull())
        return 0;
    if (ridotta->size() != bersaglio)
        __builtin_trap();
    // Qt's whole picture through the same reduction.
    const QImage intera = hn::decodificaRendizione(byte, misura);
    if (intera.isNull()) {
        if (soloLaSommaZlib(byte))
            return 0;
        __builtin_trap(); // a picture where the whole decoding finds none
    }
    const bool alfa = intera.hasAlphaChannel();
    const QImage convertita =
        intera.convertToFormat(alfa ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QImage attesa = hn::riduciPerRighe(
        misura, alfa,
        [&convertita](int r) { return reinterpret_cast<const QRgb*>(convertita.constScanLine(r)); },
        bersaglio);
    if (attesa.format() != ridotta->format())
        __builtin_trap();
    for (int y = 0; y < bersaglio.height(); ++y)
        for (int x = 0; x < bersaglio.width(); ++x)
            if (scarto(attesa.pixel(x, y), ridotta->pixel(x, y)) > 1)
                __builtin_trap();
    return 0;
}
