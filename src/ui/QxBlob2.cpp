#include "QxBlob2.h"

#include "BlobStore.h"
#include "Host.h"
#include "HostPaths.h"

#include <QFileInfo>

namespace hn {

namespace {

// What the user reads about a store that cannot be opened: a sentence naming the file once.
ErroreVB erroreStore(const ErroreVB& e, const QString& store) {
    const QFileInfo info(store);
    QString frase;
    if (e.numero() == Errore::FileNonTrovato)
        frase = QStringLiteral("Nie znaleziono magazynu %1.");
    else if (e.numero() == blob::FormatoNonValido)
        frase = QStringLiteral("Plik %1 nie jest magazynem albo jest uszkodzony (na przykład "
                               "niepełny).");
    else if (info.exists() && !info.isFile())
        frase = QStringLiteral("Magazyn %1 nie jest zwykłym plikiem (to folder, kolejka albo "
                               "urządzenie).");
    else
        frase = QStringLiteral("Nie można odczytać magazynu %1.");
    return ErroreVB(e.numero(), frase.arg(store));
}

} // namespace

void QxBlob2::Metodo2(const QString& voce, const QString& destinazione) const {
    const std::optional<QString> store = host().paths->toHost(store_);
    if (store_.isEmpty() || !store)
        throw ErroreVB(Errore::FileNonTrovato);
    std::shared_ptr<const blob::Archivio> archivio;
    try {
        archivio = blob::Archivio::condiviso(*store);
    } catch (const ErroreVB& e) {
        throw erroreStore(e, *store);
    }
    const blob::Voce* v = archivio->trova(voce);
    if (!v)
        return;
    const std::optional<QString> dest = host().paths->toHost(destinazione);
    if (!dest)
        throw ErroreVB(Errore::PercorsoNonTrovato);
    try {
        archivio->estrai(*v, *dest);
    } catch (const ErroreVB& e) {
        if (e.numero() == blob::FormatoNonValido)
            throw ErroreVB(e.numero(),
                           QStringLiteral("Wpis %1 w magazynie %2 jest uszkodzony (niezgodna "
                                          "długość albo suma kontrolna).")
                               .arg(v->nome, *store));
        throw ErroreVB(e.numero(), QStringLiteral("Nie można zapisać pliku %1.").arg(*dest));
    }
}

void QxBlob2::Metodo3(const QString& voce, const QString& destinazione) const {
    // The background store has the same layout as the others.
    Metodo2(voce, destinazione);
}

} // namespace hn
