#pragma once

// Which store a picture is read from, by the store selector the loaders pass.

#include "Rendizioni.h"

#include <QSize>
#include <QString>
#include <memory>
#include <optional>

namespace hn::blob {
class Archivio;
}

namespace hn::atlante {

struct StoreImmagine {
    QString file;        // "BlobCorp.dat" …
    bool sfondi = false; // in the backgrounds folder, not the photo folder
    int metodo = 2;      // the blob reader's extraction method
    QString lettore;     // the blob reader control on Fseek
};

// 1 or none: BlobFoto; 2: BlobThum; 3: BlobCrop; 10: the background store "Bit_Hd.ff" (method
// 3); any other value: BlobCorp, the plates.
StoreImmagine storePerSelettore(std::optional<int> selettore);

// The plate picture's entry: the key as the viewer holds it (never upper-cased) and ".png".
QString nomeImmagineTavola(const QString& chiave);

// The renditions of the entry `nome` that the store holds ("SCHEL1@2x.png" …), found in its
// directory; each is read and decoded only when asked for, and only one measuring the 1 × size
// `base` times its factor is given (an empty image otherwise, never an error).
Rendizioni rendizioniNelloStore(const std::shared_ptr<const blob::Archivio>& store,
                                const QString& nome, QSize base);

} // namespace hn::atlante
