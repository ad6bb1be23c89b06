#include "Immagine.h"

#include "ErroreVB.h"

#include <QBuffer>
#include <QImageReader>

namespace hn {

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
