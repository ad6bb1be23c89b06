#include "PictureBox.h"

#include "ErroreVB.h"
#include "Host.h"
#include "HostPaths.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace hn {

QImage LoadPicture(const QString& percorso) {
    if (percorso.isEmpty())
        return {};
    const std::optional<QString> file = host().paths->toHost(percorso);
    if (!file || !QFileInfo(*file).isFile())
        throw ErroreVB(Errore::FileNonTrovato);

    QByteArray dati;
    {
        QFile f(*file);
        if (!f.open(QIODevice::ReadOnly))
            throw ErroreVB(Errore::AccessoPercorso);
        dati = f.readAll();
        if (f.error() != QFileDevice::NoError)
            throw ErroreVB(Errore::AccessoPercorso);
    }

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
