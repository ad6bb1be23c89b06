#include "CacheDiProva.h"

#include <QTemporaryDir>

namespace hn::prova {

namespace {

QTemporaryDir& cartella() {
    static QTemporaryDir c;
    return c;
}

void cacheTemporanea() {
    qputenv("XDG_CACHE_HOME", cartella().path().toUtf8());
}
Q_CONSTRUCTOR_FUNCTION(cacheTemporanea)

} // namespace

QString cartellaCache() {
    return cartella().path();
}

} // namespace hn::prova
