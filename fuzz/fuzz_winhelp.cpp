// Feeds arbitrary bytes to the WinHelp reader as a help file, and reads everything the help window
// would: every topic, picture, keyword and jump target; the same bytes as a .cnt contents file and
// as macros. Any crash, hang, leak or undefined behaviour is a finding.

#include "Contenuti.h"
#include "Cp1250.h"
#include "Guida.h"
#include "RicercaTesto.h"

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    const QByteArray byte(reinterpret_cast<const char*>(dati), static_cast<qsizetype>(dimensione));
    try {
        const auto g = hn::winhelp::FileGuida::apri(byte);
        hn::winhelp::IndiceTesto indice;
        for (int i = 0; i < g.numeroArgomenti(); ++i) {
            const auto a = g.argomento(i);
            indice.aggiungi(i, a.titolo, hn::winhelp::testoSemplice(a));
            for (const auto& c : a.collegamenti)
                (void)g.argomentoDaHash(c.hash);
            for (const auto& r : a.immagini) {
                try {
                    (void)g.immagine(r);
                } catch (const hn::winhelp::ErroreGuida&) {
                }
            }
            (void)g.precedente(i);
            (void)g.successivo(i);
        }
        for (const auto& v : g.indice())
            (void)g.argomentiDiParola(v);
        (void)indice.cerca(QStringLiteral("kość"));
    } catch (const hn::winhelp::ErroreGuida&) {
    }
    const QString testo = hn::decodeCp1250(byte);
    (void)hn::winhelp::leggiContenuti(testo);
    (void)hn::winhelp::leggiMacro(testo);
    return 0;
}
