#include "Storia.h"

namespace hn {

void StoriaAggiungi(Storia& storia, const QString& tavola) {
    if (storia.conteggio < Storia::Massimo)
        storia.voci[std::size_t(storia.conteggio++)] = tavola;
}

QString StoriaTogli(Storia& storia) {
    if (storia.conteggio < 1)
        return {};
    return storia.voci[std::size_t(--storia.conteggio)];
}

void StoriaAzzera(Storia& storia) {
    storia.conteggio = 0;
}

} // namespace hn
