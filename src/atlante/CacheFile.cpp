#include "CacheFile.h"

#include <QFile>
#include <sys/stat.h>

namespace hn::atlante {

std::optional<IdentitaFile> identitaDi(const QString& percorsoHost) {
    struct stat st {};
    if (percorsoHost.isEmpty() || ::stat(QFile::encodeName(percorsoHost).constData(), &st) != 0)
        return std::nullopt;
    return IdentitaFile::di(st);
}

Impronta improntaDi(const QStringList& percorsiHost) {
    Impronta i;
    for (const QString& p : percorsiHost)
        i.file.append(identitaDi(p));
    return i;
}

} // namespace hn::atlante
