// Feeds arbitrary bytes to the scores reader as "sprawdzian.ini". What it keeps must survive a
// write and a read back unchanged and undamaged, or a save would lose or alter a score. Any
// crash, hang, leak or undefined behaviour is a finding too.

#include "Punteggi.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    using namespace hn::punteggi;
    const Contenuto letto = leggi(
        QByteArrayView(reinterpret_cast<const char*>(dati), static_cast<qsizetype>(dimensione)));
    const QByteArray scritto = scrivi(letto.punteggi);
    const Contenuto riletto = leggi(scritto);
    if (riletto.danneggiato || riletto.punteggi != letto.punteggi ||
        scrivi(riletto.punteggi) != scritto)
        std::abort();
    return 0;
}
