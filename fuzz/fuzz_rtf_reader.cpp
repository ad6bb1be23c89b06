// Feeds arbitrary bytes to the RTF reader, lays the result out, writes it and reads that back,
// and pastes the bytes into a document that already holds text. Any crash, hang, leak or
// undefined behaviour is a finding.

#include "RtfReader.h"
#include "RtfWriter.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    const QByteArrayView rtf(dati, static_cast<qsizetype>(dimensione));
    QTextDocument d;
    hn::leggiRtf(rtf, d);
    d.setTextWidth(231);
    (void)d.size();
    const QByteArray scritto = hn::scriviRtf(d);
    QTextDocument riletto;
    hn::leggiRtf(scritto, riletto);

    QTextDocument destinazione;
    QTextCursor c(&destinazione);
    c.insertText(QStringLiteral("prima\ndopo"));
    c.setPosition(3);
    hn::inserisciRtf(rtf, c);
    return 0;
}
