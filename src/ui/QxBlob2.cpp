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

// A damaged entry: its length or checksum disagrees with the directory.
ErroreVB erroreVoce(const ErroreVB& e, const QString& voce, const QString& store) {
    if (e.numero() != blob::FormatoNonValido)
        return e;
    return ErroreVB(e.numero(), QStringLiteral("Wpis %1 w magazynie %2 jest uszkodzony (niezgodna "
                                               "długość albo suma kontrolna).")
                                    .arg(voce, store));
}

} // namespace

std::shared_ptr<const blob::Archivio> QxBlob2::archivio(QString& percorsoHost) const {
    const std::optional<QString> store = host().paths->toHost(store_);
    if (store_.isEmpty() || !store)
        throw ErroreVB(Errore::FileNonTrovato);
    percorsoHost = *store;
    try {
        return blob::Archivio::condiviso(*store);
    } catch (const ErroreVB& e) {
        throw erroreStore(e, *store);
    }
}

std::optional<QByteArray> QxBlob2::Dati(const QString& voce) const {
    QString store;
    const std::shared_ptr<const blob::Archivio> a = archivio(store);
    const blob::Voce* v = a->trova(voce);
    if (!v)
        return std::nullopt;
    try {
        return a->leggi(*v);
    } catch (const ErroreVB& e) {
        throw erroreVoce(e, v->nome, store);
    }
}

void QxBlob2::Metodo2(const QString& voce, const QString& destinazione) const {
    QString store;
    const std::shared_ptr<const blob::Archivio> archivio = this->archivio(store);
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
            throw erroreVoce(e, v->nome, store);
        throw ErroreVB(e.numero(), QStringLiteral("Nie można zapisać pliku %1.").arg(*dest));
    }
}

void QxBlob2::Metodo3(const QString& voce, const QString& destinazione) const {
    // The background store has the same layout as the others.
    Metodo2(voce, destinazione);
}

} // namespace hn
