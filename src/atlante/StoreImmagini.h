#pragma once

// Which store a picture is read from, by the store selector the loaders pass.

#include <QString>
#include <optional>

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

} // namespace hn::atlante
