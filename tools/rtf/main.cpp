// hnemar-rtf --text FILE | --rewrite FILE | --dump FILE | --pdf FILE OUT.pdf
//   --text     the plain text as UTF-8, one line per paragraph (a \line breaks it too), tabs
//              kept, pictures left out
//   --rewrite  the RTF our writer makes of the file
//   --dump     paragraphs and runs with their formatting
//   --pdf      the text printed as the print dialog prints it, into a PDF

#include "AtxPrint.h"
#include "KorAtx.h"
#include "RtfDump.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdio>

namespace {

int uso() {
    std::fputs("uso: hnemar-rtf --text|--rewrite|--dump PLIK | --pdf PLIK WYNIK.pdf\n", stderr);
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

// The whole text in the band the print job uses: a small offset from the top, the full
// printable height, ending an inch short of the page width.
int stampaPdf(const QByteArray& rtf, const QString& uscita) {
    hn::QtPrinter stampante(uscita);
    hn::KorAtx atx;
    hn::leggiRtf(rtf, *atx.document()); // the file's bytes as they are: \bin data included
    hn::ATX_PRINT_START(0, &stampante, 1, 1);
    stampante.startDocument(QStringLiteral("hnemar-rtf"));
    const QRectF area = stampante.printableRectTwips();
    const auto top = static_cast<std::int32_t>(3 / stampante.unitsPerTwip());
    const auto larghezza = static_cast<std::int32_t>(stampante.pageSizeTwips().width()) - 1440;
    std::int32_t pagine = 0;
    hn::ATX_PRINT(atx, pagine, top, static_cast<std::int32_t>(area.height()) - top, 0, larghezza, 0,
                  atx.membro(hn::KorAtx::MembroHandle).toInt(), 0);
    hn::ATX_PRINT_FINISH();
    stampante.endDocument();
    std::printf("%d\n", pagine);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Reading needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList argomenti = app.arguments();
    if (argomenti.size() == 4 && argomenti[1] == QLatin1String("--pdf")) {
        QFile file(argomenti[2]);
        if (!file.open(QIODevice::ReadOnly))
            return uso();
        return stampaPdf(file.readAll(), argomenti[3]);
    }
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
