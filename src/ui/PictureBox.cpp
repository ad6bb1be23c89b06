#include "PictureBox.h"

#include "ErroreVB.h"
#include "Host.h"
#include "HostPaths.h"
#include "Immagine.h"

#include <QFile>
#include <QFileInfo>

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

    return decodificaImmagine(dati);
}

} // namespace hn
