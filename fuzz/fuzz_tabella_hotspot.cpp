// Feeds arbitrary bytes to the hotspot table as "hsmed.bin": the records of the plates its own
// records name, each looked up by number and turned into a rectangle. Any crash, hang, leak or
// undefined behaviour is a finding.

#include "HsMed.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    const QByteArray byte(reinterpret_cast<const char*>(dati), static_cast<qsizetype>(dimensione));
    const auto tabella = hn::TabellaHotSpot::daByte(byte);
    // The plates of the first and the last record, and one no record names.
    QStringList tavole{QStringLiteral("SCHEL1")};
    if (tabella->numeroRecord() > 0) {
        tavole << hn::atlante::decodificaRecord(QByteArrayView(byte).first(std::min<qsizetype>(
                                                    byte.size(), hn::LunghezzaRecordHotSpot)))
                      .Tavola;
        const qsizetype ultimo = (tabella->numeroRecord() - 1) * hn::LunghezzaRecordHotSpot;
        tavole << hn::atlante::decodificaRecord(QByteArrayView(byte).sliced(ultimo)).Tavola;
    }
    for (const QString& tavola : tavole) {
        for (const hn::RecordHotSpot& r : tabella->recordDellaTavola(tavola))
            (void)hn::geometriaHotSpot(r, 15, 15);
        for (const qint16 n : {qint16(-1), qint16(0), qint16(1), qint16(2), qint16(32767)}) {
            hn::RecordHotSpot r;
            if (hn::CercaRecordHotSpot(tabella.get(), tavola, n, r))
                (void)hn::geometriaHotSpot(r, 13.5f, 20);
        }
    }
    return 0;
}
