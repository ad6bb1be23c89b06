#pragma once

// An installation's atlas read as data: the hotspot table and its plate tree, the text store,
// the plate pictures and the body-system descriptions. Read once and shared; the print of its
// files tells when it is out of date.

#include "AlberoTavole.h"
#include "CacheFile.h"
#include "DesAppa.h"
#include "TabellaRecord.h"
#include "TestiAtlante.h"

#include <QSize>
#include <memory>

namespace hn {
class HostPaths;
}

namespace hn::atlante {

// Host paths of the files an atlas is read from; an empty one stands for a file that cannot be
// named there.
struct FileAtlante {
    QString tabella; // "hsmed.bin"
    QString testi;   // "hsmed.dat"
    QString tavole;  // "BlobCorp.dat"
    QString desAppa; // "DesAppa.bin"

    // From the program's Windows-form data and photo folders (ending in a backslash).
    static FileAtlante da(const HostPaths& paths, const QString& pathDati, const QString& pathFoto);
    QStringList elenco() const { return {tabella, testi, tavole, desAppa}; }
    bool operator==(const FileAtlante&) const = default;
};

// Opens the plate stores and the hotspot table for the screens' look-ups, as the viewer would
// (through saved indexes, or walked and their indexes saved), and keeps them for it: for a thread
// of its own at start-up, so that neither this session's first plate nor a later session's walks
// the whole of a large atlas. Errors are left for the screens to meet and report.
void preparaPerLoSchermo(const FileAtlante& file);

class DatiAtlante {
public:
    // Reads what there is: a missing or unreadable file reads as empty (no records, no
    // entries), which the checks report and the search shows as nothing found.
    static std::shared_ptr<const DatiAtlante> leggi(const FileAtlante& file);

    FileAtlante file;
    Impronta impronta; // taken before reading, so a change made meanwhile is seen next time
    QList<Record> tabella;
    // Bytes of "hsmed.bin" as read, and how many of them come before a DOS end-of-file tail.
    qsizetype byteTabella = 0, byteRecord = 0;
    AlberoTavole albero;
    TestiAtlante testi;
    std::shared_ptr<const blob::Archivio> tavole; // null: no plate store
    QList<RigaDesAppa> desAppa;

    bool aggiornato() const { return improntaDi(file.elenco()) == impronta; }
    // The size of a plate's picture; invalid when the store lacks it or it cannot be decoded.
    QSize dimensioneImmagine(const QString& chiave) const;
};

} // namespace hn::atlante
