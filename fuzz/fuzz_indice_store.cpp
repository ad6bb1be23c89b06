// Feeds arbitrary bytes to the store reader as an archive store: its directory read, every entry
// looked up by name and read (checked against its size and CRC). Any crash, hang, leak or
// undefined behaviour is a finding; the reader's numbered errors are answers, not findings.

#include "BlobStore.h"
#include "ErroreVB.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    // The store is opened from a file, as the program opens it.
    static QTemporaryDir cartella;
    const QString percorso = cartella.filePath(QStringLiteral("BlobCorp.dat"));
    {
        QFile f(percorso);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(dati), static_cast<qint64>(dimensione));
    }
    try {
        const auto archivio = hn::blob::Archivio::apri(percorso);
        for (const hn::blob::Voce& v : archivio->voci()) {
            if (archivio->trova(v.nome) == nullptr)
                __builtin_trap(); // every listed entry is found by its name
            try {
                (void)archivio->leggi(v);
            } catch (const hn::ErroreVB&) {
            }
        }
        (void)archivio->trova(QStringLiteral("SCHEL1.png"));
    } catch (const hn::ErroreVB&) {
    }
    return 0;
}
