#include "DatiAtlante.h"

#include "BlobStore.h"
#include "FileSicuro.h"
#include "HostPaths.h"
#include "StoreImmagini.h"

#include <QBuffer>
#include <QImageReader>

namespace hn::atlante {

namespace {

// Past this no hotspot table is an atlas's; it is not read into memory.
constexpr qint64 TabellaMassima = qint64(64) * 1024 * 1024;

// Read on the search index's thread as well: a FIFO or a device in a data file's place must
// neither block it nor feed it without end.
QByteArray contenuto(const QString& percorso) {
    if (percorso.isEmpty())
        return {};
    try {
        return leggiFileRegolare(percorso, TabellaMassima);
    } catch (const ErroreVB&) {
        return {};
    }
}

// Opened whole, apart from the screens' stores: the work that reads the atlas here reads every
// entry, on threads of its own, and must not hold the store a plate is being read from.
std::shared_ptr<const blob::Archivio> store(const QString& percorso) {
    if (percorso.isEmpty())
        return {};
    try {
        return blob::Archivio::condivisoIntero(percorso);
    } catch (const ErroreVB&) {
        return {};
    }
}

} // namespace

FileAtlante FileAtlante::da(const HostPaths& paths, const QString& pathDati,
                            const QString& pathFoto) {
    const auto host = [&paths](const QString& w) { return paths.toHost(w).value_or(QString()); };
    return {host(pathDati + QStringLiteral("hsmed.bin")),
            host(pathDati + QStringLiteral("hsmed.dat")),
            host(pathFoto + QStringLiteral("BlobCorp.dat")),
            host(pathDati + QStringLiteral("DesAppa.bin"))};
}

void preparaPerLoSchermo(const FileAtlante& file) {
    for (const QString& p : {file.tavole, file.testi})
        try {
            if (!p.isEmpty())
                blob::Archivio::condiviso(p);
        } catch (const ErroreVB&) {
        }
    try {
        if (!file.tabella.isEmpty())
            TabellaHotSpot::delFile(file.tabella);
    } catch (const ErroreVB&) {
    }
}

std::shared_ptr<const DatiAtlante> DatiAtlante::leggi(const FileAtlante& file) {
    auto d = std::make_shared<DatiAtlante>();
    d->file = file;
    d->impronta = improntaDi(file.elenco());
    const QByteArray tabella = contenuto(file.tabella);
    d->tabella = leggiTabella(tabella);
    d->byteTabella = tabella.size();
    d->byteRecord = lunghezzaSenzaFineDos(tabella);
    d->albero = AlberoTavole(d->tabella, codiciSistemi());
    d->testi = TestiAtlante(store(file.testi));
    d->tavole = store(file.tavole);
    d->desAppa = leggiDesAppa(contenuto(file.desAppa));
    return d;
}

QSize DatiAtlante::dimensioneImmagine(const QString& chiave) const {
    if (!tavole)
        return {};
    try {
        std::optional<QByteArray> b = tavole->contenuto(nomeImmagineTavola(chiave));
        if (!b)
            return {};
        QBuffer buffer(&*b);
        QImageReader lettore(&buffer);
        return lettore.size();
    } catch (const ErroreVB&) {
        return {};
    }
}

} // namespace hn::atlante
