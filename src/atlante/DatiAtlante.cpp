#include "DatiAtlante.h"

#include "FileSicuro.h"
#include "HostPaths.h"
#include "StoreImmagini.h"

#include <QBuffer>
#include <QImageReader>

namespace hn::atlante {

namespace {

// Past this no hotspot table is an atlas's; it is not read into memory.
constexpr qint64 TabellaMassima = qint64(64) * 1024 * 1024;

QByteArray contenuto(const QString& percorso) {
    try {
        return leggiFileRegolare(percorso, TabellaMassima);
    } catch (const ErroreVB&) {
        return {};
    }
}

std::shared_ptr<const blob::Archivio> store(const QString& percorso) {
    if (percorso.isEmpty())
        return {};
    try {
        return blob::Archivio::condiviso(percorso);
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

std::shared_ptr<const DatiAtlante> DatiAtlante::leggi(const FileAtlante& file) {
    auto d = std::make_shared<DatiAtlante>();
    d->file = file;
    d->impronta = improntaDi(file.elenco());
    d->tabella = leggiTabella(contenuto(file.tabella));
    d->albero = AlberoTavole(d->tabella, codiciSistemi());
    d->testi = TestiAtlante(store(file.testi));
    d->tavole = store(file.tavole);
    d->desAppa = leggiDesAppa(contenuto(file.desAppa));
    return d;
}

QSize DatiAtlante::dimensioneImmagine(const QString& chiave) const {
    const blob::Voce* v = tavole ? tavole->trova(nomeImmagineTavola(chiave)) : nullptr;
    if (!v)
        return {};
    try {
        QByteArray b = tavole->leggi(*v);
        QBuffer buffer(&b);
        QImageReader lettore(&buffer);
        return lettore.size();
    } catch (const ErroreVB&) {
        return {};
    }
}

} // namespace hn::atlante
