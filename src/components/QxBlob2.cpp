#include "QxBlob2.h"

#include "BlobStore.h"
#include "Host.h"
#include "HostPaths.h"

namespace hn {

void QxBlob2::Metodo2(const QString& voce, const QString& destinazione) const {
    const std::optional<QString> store = host().paths->toHost(store_);
    if (store_.isEmpty() || !store)
        throw ErroreVB(Errore::FileNonTrovato);
    const std::shared_ptr<blob::Archivio> archivio = blob::Archivio::condiviso(*store);
    const blob::Voce* v = archivio->trova(voce);
    if (!v)
        return;
    const std::optional<QString> dest = host().paths->toHost(destinazione);
    if (!dest)
        throw ErroreVB(Errore::PercorsoNonTrovato);
    archivio->estrai(*v, *dest);
}

void QxBlob2::Metodo3(const QString& voce, const QString& destinazione) const {
    // The background store has the same layout as the others.
    Metodo2(voce, destinazione);
}

} // namespace hn
