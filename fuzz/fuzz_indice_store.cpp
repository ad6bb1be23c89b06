// Feeds arbitrary bytes to the store reader as an archive store: its directory read, every entry
// looked up by name and read (checked against its size and CRC). Any crash, hang, leak or
// undefined behaviour is a finding; the reader's numbered errors are answers, not findings. The
// store opened for look-ups only must refuse what the whole one refuses, with the same error, and
// find every entry where the whole one finds it: a difference is a finding too.

#include "BlobStore.h"
#include "ErroreVB.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <memory>

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
    std::shared_ptr<hn::blob::Archivio> intero, perCercare;
    int erroreIntero = 0, errorePerCercare = 0;
    try {
        intero = hn::blob::Archivio::apri(percorso);
    } catch (const hn::ErroreVB& e) {
        erroreIntero = e.numero();
    }
    try {
        perCercare = hn::blob::Archivio::apriPerCercare(percorso);
    } catch (const hn::ErroreVB& e) {
        errorePerCercare = e.numero();
    }
    if (erroreIntero != errorePerCercare)
        __builtin_trap();
    if (!intero)
        return 0;
    const auto stessa = [](const hn::blob::Voce* a, const hn::blob::Voce* b) {
        return a == b || (a && b && a->indice == b->indice && a->nome == b->nome &&
                          a->posizione == b->posizione && a->limite == b->limite);
    };
    for (const hn::blob::Voce& v : intero->voci()) {
        if (intero->trova(v.nome) == nullptr)
            __builtin_trap(); // every listed entry is found by its name
        if (!stessa(intero->trova(v.nome.toUpper()), perCercare->trova(v.nome.toUpper())))
            __builtin_trap();
        try {
            (void)intero->leggi(v);
        } catch (const hn::ErroreVB&) {
        }
    }
    for (const hn::blob::Archivio::Esclusa& e : intero->escluse())
        if (!stessa(intero->trova(e.nome), perCercare->trova(e.nome)))
            __builtin_trap();
    if (!stessa(intero->trova(QStringLiteral("SCHEL1.png")),
                perCercare->trova(QStringLiteral("SCHEL1.png"))))
        __builtin_trap();
    return 0;
}
