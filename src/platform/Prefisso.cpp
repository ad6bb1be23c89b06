#include "Prefisso.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

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

QString cartellaDemo() {
    const QString env = qEnvironmentVariable("HNEMAR_DEMO");
    if (!env.isEmpty())
        return env;
    // Installed: bin/hnemar and share/hnemar/demo; in the build tree: src/app/hnemar and demo.
    const QString exe = QCoreApplication::applicationDirPath();
    for (const QString& c :
         {exe + QStringLiteral("/demo"), exe + QStringLiteral("/../share/hnemar/demo"),
          exe + QStringLiteral("/../../demo")})
        if (QFileInfo(c).isDir())
            return QDir::cleanPath(c);
    return {};
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

// The bytes of one open file into another: in the kernel where the file system allows it, so
// the first start neither reads the demo into the program nor copies it through a buffer; else
// through a buffer, from wherever the kernel stopped.
bool copiaContenuto(int da, int a) {
    bool nelKernel = true;
    for (;;) {
        const ssize_t n = copy_file_range(da, nullptr, a, nullptr, 1 << 30, 0);
        if (n == 0)
            return true;
        if (n > 0)
            continue;
        if (errno == EINTR)
            continue;
        nelKernel = errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP;
        break;
    }
    if (nelKernel)
        return false;
    std::vector<char> blocco(1 << 18);
    for (;;) {
        const ssize_t letti = read(da, blocco.data(), blocco.size());
        if (letti == 0)
            return true;
        if (letti < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t scritti = 0; scritti < letti;) {
            const ssize_t n = write(a, blocco.data() + scritti, size_t(letti - scritti));
            if (n < 0 && errno != EINTR)
                return false;
            scritti += std::max<ssize_t>(n, 0);
        }
    }
}

// One file of the demo into the prefix, never over an existing one: written beside it and renamed
// into place, so a start that is cut short leaves no half file that a later one would keep. No
// sync to the disk: the demo can always be copied again, and syncing each file made the first
// start wait for the disk.
bool copiaDaDemo(const QString& da, const QString& a) {
    const QString parziale = a + QStringLiteral(".part");
    const int sorgente = open(QFile::encodeName(da).constData(), O_RDONLY | O_CLOEXEC);
    if (sorgente < 0)
        return false;
    const int meta = open(QFile::encodeName(parziale).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (meta < 0) {
        close(sorgente);
        return false;
    }
    bool riuscita = copiaContenuto(sorgente, meta);
    close(sorgente);
    riuscita = close(meta) == 0 && riuscita && QFile::rename(parziale, a);
    if (!riuscita)
        QFile::remove(parziale);
    return riuscita;
}

} // namespace

bool completaDaDemo(const QString& sorgente, const QString& destinazione, QString* errore) {
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
        if (QFileInfo::exists(meta))
            continue;
        if (!QDir().mkpath(QFileInfo(meta).path()) || !copiaDaDemo(voce, meta)) {
            if (errore)
                *errore = meta;
            return false;
        }
    }
    return true;
}

} // namespace hn
