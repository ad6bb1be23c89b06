#include "Prefisso.h"

#include "ErroreVB.h"
#include "FileSicuro.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <unistd.h>

namespace hn {

Prefisso scegliPrefisso() {
    const QString env = qEnvironmentVariable("HNEMAR_PREFIX");
    if (!env.isEmpty())
        return {QDir::cleanPath(env), true};
    QString dati = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dati.isEmpty())
        dati = QDir::homePath() + QStringLiteral("/.local/share");
    return {dati + QStringLiteral("/hnemar/prefix"), false};
}

QString cartellaDemo(const QString& cartellaProgramma) {
    const QString env = qEnvironmentVariable("HNEMAR_DEMO");
    if (!env.isEmpty())
        return env;
    // Installed: bin/hnemar and share/hnemar/demo; in the build tree: src/app/hnemar and demo.
    const QString& exe = cartellaProgramma;
    for (const QString& c :
         {exe + QStringLiteral("/demo"), exe + QStringLiteral("/../share/hnemar/demo"),
          exe + QStringLiteral("/../../demo")})
        if (QFileInfo(c).isDir())
            return QDir::cleanPath(c);
    return {};
}

QString cartellaDelProgramma(const char* argv0) {
    // As Qt finds it once its application exists: the kernel's link to the executable.
    const QString percorso = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    if (!percorso.isEmpty())
        return percorso;
    return argv0 ? QFileInfo(QFile::decodeName(argv0)).absolutePath() : QString();
}

QString preparaPrefisso(const Prefisso& prefisso, const QString& demo) {
    if (prefisso.daAmbiente) {
        if (!QFileInfo(prefisso.cartella).isDir())
            return QStringLiteral("Folder instalacji %1 (HNEMAR_PREFIX) nie istnieje.")
                .arg(prefisso.cartella);
        return {};
    }
    // The default prefix is ours: whatever of the demo a user deleted comes back, and what they
    // changed stays.
    QString problema;
    if (!completaDaDemo(demo, prefisso.cartella, &problema))
        return QStringLiteral("Nie można przygotować instalacji demonstracyjnej w %1 "
                              "(problem z: %2).")
            .arg(prefisso.cartella, problema.isEmpty() ? demo : problema);
    return {};
}

namespace {

// One file of the demo into the prefix, never over an existing one: written beside it and renamed
// into place, so a start that is cut short leaves no half file that a later one would keep. No
// sync to the disk: the demo can always be copied again, and syncing each file made the first
// start wait for the disk.
bool copiaDaDemo(const QString& da, const QString& a, bool sostituisci) {
    const QString parziale = a + QStringLiteral(".part");
    QFile sorgente(da);
    QFile meta(parziale);
    if (!sorgente.open(QIODevice::ReadOnly) ||
        !meta.open(QIODevice::WriteOnly | QIODevice::Truncate,
                   QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        return false;
    // Copied by the kernel where it can (no pass through our memory: a first start copies the
    // whole demo).
    bool riuscita = true;
    qint64 copiati = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(sorgente.handle(), nullptr, meta.handle(), nullptr,
                                            size_t(1) << 30, 0);
        if (n > 0) {
            copiati += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // The end, where the file ends (some file systems report an end at once).
        riuscita = n == 0 && copiati == sorgente.size();
        break;
    }
    // Refused before any byte (another file system, an old kernel): read and written a block at
    // a time.
    if (!riuscita && copiati == 0) {
        riuscita = sorgente.seek(0);
        while (riuscita && !sorgente.atEnd()) {
            const QByteArray blocco = sorgente.read(1 << 20);
            riuscita = !blocco.isEmpty() && meta.write(blocco) == blocco.size();
        }
    }
    meta.close();
    // A file replaced goes just before the new one takes its name: cut short between the two,
    // the next start finds it missing and copies it again.
    riuscita = riuscita && meta.error() == QFileDevice::NoError &&
               (!sostituisci || QFile::remove(a)) && QFile::rename(parziale, a);
    if (!riuscita)
        QFile::remove(parziale);
    return riuscita;
}

// The file is, byte for byte, one of the versions superseded at that path. Checked at every start
// of the default prefix, before the first frame: the file is read and hashed once, whatever the
// number of versions.
bool superato(const QString& relativo, const QString& file,
              const QList<VersioneSuperata>& superate) {
    QByteArray impronta;
    for (const VersioneSuperata& v : superate) {
        if (v.file != relativo)
            continue;
        if (impronta.isEmpty()) {
            try {
                // The superseded files are small; a large one is the user's.
                impronta = QCryptographicHash::hash(leggiFileRegolare(file, 64 * 1024),
                                                    QCryptographicHash::Sha256)
                               .toHex();
            } catch (const ErroreVB&) {
                return false;
            }
        }
        if (impronta == v.sha256)
            return true;
    }
    return false;
}

} // namespace

const QList<VersioneSuperata>& versioniSuperate() {
    // The help was an HTML page before it was a WinHelp file; the page can no longer show the
    // help's contents, pictures and index.
    static const QList<VersioneSuperata> v{
        {QStringLiteral("drive_c/VELTO/HNEMAR/halvo.hlp"),
         "01bc5c1e2f53f50fdde41f432ecd15b46b56bf881737442dc9601973753b8557"},
        {QStringLiteral("drive_c/VELTO/HNEMAR/halvo.hlp"),
         "9f38cc2d6aded5636dbf106476dfb34ef8fba628f53eda91df93e0dd481b0b6a"},
        {QStringLiteral("drive_c/VELTO/HNEMAR/halvo.hlp"),
         "aa1a3033eac7bfb7a726f843c3ad8cf2bd0a67178cdf812e0b6d646681cec31f"},
    };
    return v;
}

bool completaDaDemo(const QString& sorgente, const QString& destinazione, QString* errore,
                    const QList<VersioneSuperata>& superate) {
    const QDir radice(sorgente);
    if (!radice.exists()) {
        if (errore)
            *errore = sorgente;
        return false;
    }
    if (!QDir().mkpath(destinazione)) {
        if (errore)
            *errore = destinazione;
        return false;
    }
    // Folders too: an empty one (the temporary folder) is part of the installation.
    QDirIterator it(sorgente, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString voce = it.next();
        const QString meta = destinazione + u'/' + radice.relativeFilePath(voce);
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(meta)) {
                if (errore)
                    *errore = meta;
                return false;
            }
            continue;
        }
        const bool sostituisci =
            QFileInfo::exists(meta) && superato(radice.relativeFilePath(voce), meta, superate);
        if (QFileInfo::exists(meta) && !sostituisci)
            continue;
        if (!QDir().mkpath(QFileInfo(meta).path()) || !copiaDaDemo(voce, meta, sostituisci)) {
            if (errore)
                *errore = meta;
            return false;
        }
    }
    return true;
}

} // namespace hn
