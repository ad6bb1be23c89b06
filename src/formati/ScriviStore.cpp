#include "BlobStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sys/stat.h>
#include <zip.h>

// Stores are written only by the tools that build an atlas; keeping libzip in this one file lets
// the program itself link without it (the linker drops what nothing calls), which saves loading
// libzip and what it pulls in at every start.
namespace hn::blob {

namespace {

QString erroreZip(int codice) {
    zip_error_t e;
    zip_error_init_with_code(&e, codice);
    const QString testo = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return testo;
}

} // namespace

void scriviStore(const QString& percorso, const QList<VoceNuova>& voci, Compressione compressione) {
    // libzip deletes an archive left without entries: the old store would be lost for nothing.
    if (voci.isEmpty())
        throw ErroreVB(Errore::ChiamataNonValida,
                       QStringLiteral("%1: nothing to pack, store left as it was").arg(percorso));
    // Replacing anything but a regular file (a FIFO would block, a folder cannot be one).
    if (struct stat st{};
        ::stat(QFile::encodeName(percorso).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw ErroreVB(Errore::AccessoPercorso,
                       QStringLiteral("%1: not a regular file").arg(percorso));
    QSet<QString> visti;
    for (const VoceNuova& v : voci) {
        if (!nomeVoceAmmesso(v.nome))
            throw ErroreVB(Errore::ChiamataNonValida,
                           QStringLiteral("\"%1\" is not a plain file name").arg(v.nome));
        if (visti.contains(v.nome.toCaseFolded()))
            throw ErroreVB(Errore::ChiamataNonValida,
                           QStringLiteral("\"%1\" is there twice (names ignore case)").arg(v.nome));
        visti.insert(v.nome.toCaseFolded());
        const qint64 dimensione = v.file.isEmpty() ? v.dati.size() : QFileInfo(v.file).size();
        if (!v.file.isEmpty() && !QFileInfo(v.file).isFile())
            throw ErroreVB(Errore::FileNonTrovato, QStringLiteral("%1: no such file").arg(v.file));
        if (dimensione > DimensioneMassimaVoce)
            throw ErroreVB(
                Errore::ChiamataNonValida,
                QStringLiteral("%1: larger than %2 bytes").arg(v.nome).arg(DimensioneMassimaVoce));
    }

    int errore = 0;
    zip_t* z =
        zip_open(QFile::encodeName(percorso).constData(), ZIP_CREATE | ZIP_TRUNCATE, &errore);
    if (!z)
        throw ErroreVB(Errore::AccessoPercorso,
                       QStringLiteral("%1: %2").arg(percorso, erroreZip(errore)));
    auto fallisci = [&](const QString& cosa) {
        const QString testo =
            QStringLiteral("%1: %2: %3").arg(percorso, cosa, QString::fromUtf8(zip_strerror(z)));
        zip_discard(z);
        throw ErroreVB(Errore::AccessoPercorso, testo);
    };

    for (const VoceNuova& v : voci) {
        // Buffers are not copied: the entries outlive zip_close, which reads them.
        zip_source_t* s =
            v.file.isEmpty()
                ? zip_source_buffer(z, v.dati.constData(), zip_uint64_t(v.dati.size()), 0)
                : zip_source_file(z, QFile::encodeName(v.file).constData(), 0, -1);
        if (!s)
            fallisci(v.nome);
        const zip_int64_t i = zip_file_add(z, v.nome.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8);
        if (i < 0) {
            zip_source_free(s);
            fallisci(v.nome);
        }
        const bool comprimi = compressione == Compressione::Deflate ||
                              (compressione == Compressione::SecondoIlTipo && daComprimere(v.nome));
        if (zip_set_file_compression(z, zip_uint64_t(i), comprimi ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                     0) != 0)
            fallisci(v.nome);
    }
    if (zip_close(z) != 0)
        fallisci(QStringLiteral("write"));
}

} // namespace hn::blob
