#include "Prefisso.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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
    const QString exe = QCoreApplication::applicationDirPath();
    for (const QString& c :
         {exe + QStringLiteral("/demo"), exe + QStringLiteral("/../share/hnemar/demo")})
        if (QFileInfo(c).isDir())
            return QDir::cleanPath(c);
#ifdef HNEMAR_DEMO_DIR
    return QStringLiteral(HNEMAR_DEMO_DIR);
#else
    return {};
#endif
}

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
        if (!QDir().mkpath(QFileInfo(meta).path()) || !QFile::copy(voce, meta)) {
            if (errore)
                *errore = meta;
            return false;
        }
        QFile(meta).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                   QFile::ReadOther);
    }
    return true;
}

} // namespace hn
