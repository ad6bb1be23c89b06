// The RTF writer's round trip on whatever the reader makes of arbitrary bytes: what it writes
// reads back as the same document, and writing that again gives the same bytes. A difference,
// like any crash, hang, leak or undefined behaviour, is a finding.

#include "RtfDump.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    QTextDocument originale;
    hn::leggiRtf(QByteArrayView(dati, static_cast<qsizetype>(dimensione)), originale);
    const QByteArray scritto = hn::scriviRtf(originale);
    QTextDocument riletto;
    hn::leggiRtf(scritto, riletto);
    // Text in no named font is in the document's default one, which the writer has to name.
    QString prima = hn::descriviDocumento(originale);
    const QString predefinito = QLatin1Char('{') + originale.defaultFont().family() + u' ';
    for (qsizetype i = prima.indexOf(QLatin1String("{- ")); i >= 0;
         i = prima.indexOf(QLatin1String("{- "), i + 1))
        if (i + 3 < prima.size() && prima[i + 3].isDigit())
            prima.replace(i, 3, predefinito);
    const QString dopo = hn::descriviDocumento(riletto);
    if (prima != dopo) {
        std::fprintf(stderr, "read:\n%s\nread back:\n%s\nwritten:\n%s\n", qPrintable(prima),
                     qPrintable(dopo), scritto.constData());
        __builtin_trap();
    }
    if (hn::scriviRtf(riletto) != scritto) {
        std::fprintf(stderr, "written twice differs:\n%s\n", scritto.constData());
        __builtin_trap();
    }
    return 0;
}
