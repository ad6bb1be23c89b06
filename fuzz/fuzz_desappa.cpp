// Feeds arbitrary bytes to the home screen as "DesAppa.bin": the description line of each body
// system looked up as a click looks it up. Any crash, hang, leak or undefined behaviour is a
// finding.

#include "FMed.h"
#include "Fileini.h"
#include "HostDiProva.h"

#include <QApplication>
#include <cstddef>
#include <cstdint>

namespace {

const QString kDesAppa = QStringLiteral("D:\\DATI\\DesAppa.bin");

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    // One prefix and one home screen for the whole run: only the file changes.
    static hn::prova::HostDiProva host;
    static hn::FMed casa;
    hn::Fileini::cfg.PathDati = QStringLiteral("D:\\DATI\\");
    host.scriviFile(kDesAppa, QByteArray(reinterpret_cast<const char*>(dati),
                                         static_cast<qsizetype>(dimensione)));
    for (const QString& codice : hn::FMed::codiciSistemi())
        (void)casa.DescrizioneDaFile(codice);
    (void)casa.DescrizioneDaFile(QString());
    return 0;
}
