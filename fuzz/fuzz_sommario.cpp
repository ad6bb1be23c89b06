// Feeds arbitrary bytes to the search's reading of a caption (its bold name and plain text) and
// to the hotspot-table reader and plate tree. Any crash, hang, leak or undefined behaviour is a
// finding.

#include "AlberoTavole.h"
#include "TabellaRecord.h"
#include "TestiAtlante.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    const QByteArrayView byte(dati, static_cast<qsizetype>(dimensione));
    (void)hn::atlante::sommarioDi(byte);
    const hn::atlante::AlberoTavole albero(hn::atlante::leggiTabella(byte),
                                           hn::atlante::codiciSistemi());
    for (qsizetype i = 0; i < albero.nodi().size(); ++i)
        (void)albero.percorso(int(i));
    return 0;
}
