#include "PictureBox.h"

#include "ErroreVB.h"
#include "Host.h"
#include "HostPaths.h"
#include "Immagine.h"

#include <QFileInfo>

namespace hn {

QImage LoadPicture(const QString& percorso) {
    if (percorso.isEmpty())
        return {};
    const std::optional<QString> file = host().paths->toHost(percorso);
    if (!file || !QFileInfo(*file).isFile())
        throw ErroreVB(Errore::FileNonTrovato);

    // Larger than any picture a screen shows; a 7 rather than memory running out.
    return leggiImmagine(*file, qint64(256) * 1024 * 1024);
}

} // namespace hn
