// Feeds arbitrary bytes to the message reader as "help.bin": messages by record (below 1000)
// and by search (from 1000 up), their parameters filled in. Any crash, hang, leak or undefined
// behaviour is a finding.

#include "FileMessaggi.h"
#include "Messaggi.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    QByteArray byte(reinterpret_cast<const char*>(dati), static_cast<qsizetype>(dimensione));
    QBuffer file(&byte);
    file.open(QIODevice::ReadOnly);
    for (const int numero : {-5, 0, 1, 2, 63, 999, 1000, 1001, 123456, 2147483647}) {
        QString titolo;
        const QString testo = hn::atlante::leggiRecordMessaggio(file, numero, titolo);
        (void)hn::Mod_Comuni::SostituisciParametri(testo, QStringLiteral("a&b"));
    }
    return 0;
}
