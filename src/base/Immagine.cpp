#include "Immagine.h"

#include "ErroreVB.h"

#include <QBuffer>
#include <QImageReader>

namespace hn {

QImage decodificaImmagine(const QByteArray& dati) {
    QBuffer buffer;
    buffer.setData(dati);
    buffer.open(QIODevice::ReadOnly);
    QImageReader lettore(&buffer);
    lettore.setDecideFormatFromContent(true);
    QImage immagine;
    if (!lettore.read(&immagine) || immagine.isNull())
        throw ErroreVB(Errore::ImmagineNonValida);
    return immagine;
}

} // namespace hn
