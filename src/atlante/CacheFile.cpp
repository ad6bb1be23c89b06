#include "CacheFile.h"

namespace hn::atlante {

Impronta improntaDi(const QStringList& percorsiHost) {
    Impronta i;
    for (const QString& p : percorsiHost)
        i.file.append(identitaDi(p));
    return i;
}

} // namespace hn::atlante
