// Feeds arbitrary bytes to the private-profile reader as an INI file: the keys the program reads,
// a section and key taken from the input itself, and buffers of every size the callers use.
// Any crash, hang, leak or undefined behaviour is a finding.

#include "Profilo.h"

#include <QByteArrayView>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    const QByteArrayView ini(dati, static_cast<qsizetype>(dimensione));
    // A section and key named by the input's first line, so that the fuzzer can find matches.
    const QByteArrayView prima = ini.first(std::min<qsizetype>(ini.size(), 40));
    const qsizetype uguale = prima.indexOf('=');
    const QString sezione = QString::fromLatin1(prima.first(std::max<qsizetype>(uguale, 0)));
    const QString chiave = QString::fromLatin1(uguale < 0 ? prima : prima.sliced(uguale + 1));
    const QString coppie[][2] = {{QStringLiteral("VELTO01G"), QStringLiteral("PATH")},
                                 {QStringLiteral("GENERAL"), QStringLiteral("PathCd")},
                                 {QStringLiteral("Directory2"), QStringLiteral("Foto")},
                                 {sezione, chiave},
                                 {QString(), QString()}};
    for (const auto& [s, k] : coppie)
        for (const int spazio : {0, 1, 2, 255}) {
            QString valore;
            const int n =
                hn::leggiProfiloPrivato(ini, s, k, QStringLiteral("predefinito"), valore, spazio);
            if (n != valore.size() || (spazio > 0 && n > spazio - 1))
                __builtin_trap(); // the count is the text's, within the buffer
        }
    return 0;
}
