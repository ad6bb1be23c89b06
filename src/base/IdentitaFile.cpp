#include "IdentitaFile.h"

#include <QFile>

namespace hn {

std::optional<IdentitaFile> identitaDi(const QString& percorsoHost) {
    struct stat st {};
    if (percorsoHost.isEmpty() || ::stat(QFile::encodeName(percorsoHost).constData(), &st) != 0)
        return std::nullopt;
    return IdentitaFile::di(st);
}

} // namespace hn
