#pragma once

#include <QString>
#include <array>

namespace hn {

// The plates left by following links, most recent last. Slots 0 … 99 are used; at 100 entries a
// new key is dropped and the oldest stay, so the way back always starts where the viewer opened.
struct Storia {
    static constexpr qint16 Massimo = 100;
    qint16 conteggio = 0;
    std::array<QString, Massimo + 1> voci;
};

void StoriaAggiungi(Storia& storia, const QString& tavola);
// The most recent key, taken off; "" when the history is empty.
QString StoriaTogli(Storia& storia);
void StoriaAzzera(Storia& storia);

} // namespace hn
