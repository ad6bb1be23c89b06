#include "PictureBox.h"

#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

namespace hn {

QImage LoadPicture(const QString& percorso) {
    if (percorso.isEmpty())
        return {};
    const std::optional<QString> file = host().paths->toHost(percorso);
    if (!file || !QFileInfo(*file).isFile())
        throw ErroreVB(Errore::FileNonTrovato);

    // Larger than any picture a screen shows; a 7 rather than memory running out.
    QByteArray dati = leggiFileRegolare(*file, qint64(256) * 1024 * 1024);

    // The format comes from the bytes, never from the name: a text file called .png is no picture.
    QBuffer buffer(&dati);
    buffer.open(QIODevice::ReadOnly);
    QImageReader lettore(&buffer);
    lettore.setDecideFormatFromContent(true);
    QImage immagine;
    if (!lettore.read(&immagine) || immagine.isNull())
        throw ErroreVB(Errore::ImmagineNonValida);
    return immagine;
}

} // namespace hn
