// hnemar-rtf --text FILE | --rewrite FILE | --dump FILE
//   --text     the plain text as UTF-8, one line per paragraph (a \line breaks it too), tabs
//              kept, pictures left out
//   --rewrite  the RTF our writer makes of the file
//   --dump     paragraphs and runs with their formatting

#include "RtfDump.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdio>

namespace {

int uso() {
    std::fputs("uso: hnemar-rtf --text|--rewrite|--dump PLIK\n", stderr);
    return 2;
}

QString testoSemplice(const QTextDocument& d) {
    QString o;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        QString riga = b.text();
        riga.replace(QChar::LineSeparator, QLatin1Char('\n'));
        riga.replace(QChar::Nbsp, QLatin1Char(' '));
        riga.remove(QChar::ObjectReplacementCharacter);
        riga.remove(QChar(0x00AD));
        o += riga + QLatin1Char('\n');
    }
    return o;
}

} // namespace

int main(int argc, char** argv) {
    // Reading needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList argomenti = app.arguments();
    if (argomenti.size() != 3)
        return uso();
    const QString modo = argomenti[1];
    QFile file(argomenti[2]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "hnemar-rtf: nie można otworzyć %s\n", qPrintable(argomenti[2]));
        return 1;
    }
    QTextDocument documento;
    hn::leggiRtf(file.readAll(), documento);
    QByteArray uscita;
    if (modo == QLatin1String("--text"))
        uscita = testoSemplice(documento).toUtf8();
    else if (modo == QLatin1String("--rewrite"))
        uscita = hn::scriviRtf(documento);
    else if (modo == QLatin1String("--dump"))
        uscita = hn::descriviDocumento(documento).toUtf8();
    else
        return uso();
    std::fwrite(uscita.constData(), 1, static_cast<std::size_t>(uscita.size()), stdout);
    return 0;
}
