#include "StoreImmagini.h"

#include "BlobStore.h"
#include "ErroreVB.h"
#include "PngPerRighe.h"

#include <QBuffer>

namespace hn::atlante {

StoreImmagine storePerSelettore(std::optional<int> selettore) {
    const QString foto = QStringLiteral("blbFoto");
    switch (selettore.value_or(1)) {
    case 1:
        return {QStringLiteral("BlobFoto.dat"), false, 2, foto};
    case 2:
        return {QStringLiteral("BlobThum.dat"), false, 2, QStringLiteral("blbThumb")};
    case 3:
        return {QStringLiteral("BlobCrop.dat"), false, 2, QStringLiteral("blbCrop")};
    case 10:
        return {QStringLiteral("Bit_Hd.ff"), true, 3, foto};
    default:
        return {QStringLiteral("BlobCorp.dat"), false, 2, foto};
    }
}

QString nomeImmagineTavola(const QString& chiave) {
    return chiave + QStringLiteral(".png");
}

Rendizioni rendizioniNelloStore(const std::shared_ptr<const blob::Archivio>& store,
                                const QString& nome, QSize base) {
    Rendizioni r;
    if (!store || base.isEmpty())
        return r;
    for (int f : FattoriCercati) {
        const blob::Voce* voce = store->trova(nomeRendizione(nome, f));
        if (!voce)
            continue;
        // The store is held by the loader: the entry is read from the file it was found in.
        // Read whole, or reduced as it is decoded.
        const auto leggi = [store, nome = voce->nome,
                            attesa = base * f](QSize ridotta) -> std::optional<QImage> {
            try {
                const std::optional<QByteArray> dati = store->contenuto(nome);
                if (!dati)
                    return QImage();
                if (!ridotta.isValid())
                    return decodificaRendizione(*dati, attesa);
                QBuffer buffer;
                buffer.setData(*dati);
                buffer.open(QIODevice::ReadOnly);
                return decodificaRendizioneRidotta(buffer, attesa, ridotta);
            } catch (const ErroreVB&) {
                return QImage();
            }
        };
        r.aggiungi(
            f, [leggi] { return *leggi(QSize()); }, leggi);
    }
    return r;
}

} // namespace hn::atlante
