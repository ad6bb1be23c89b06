#include "StoreImmagini.h"

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

} // namespace hn::atlante
