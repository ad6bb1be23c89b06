// hnemar-rtf: lets atlas authors check their RTF texts.

#include "AtxPrint.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "KorAtx.h"
#include "Opzioni.h"
#include "RtfDump.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdio>
#include <optional>

namespace {

// Past this a file is no RTF anyone wrote by hand or tool for a panel.
constexpr qint64 RtfMassimo = qint64(1) << 30;

const hn::Comando riga{
    "hnemar-rtf",
    "Usage: hnemar-rtf --text|--rewrite|--dump FILE\n"
    "       hnemar-rtf --pdf FILE OUT.pdf\n",
    "  --text     the plain text as UTF-8, one line per paragraph (a \\line breaks it too),\n"
    "             tabs kept, pictures left out\n"
    "  --rewrite  the RTF our writer makes of the file\n"
    "  --dump     paragraphs and runs with their formatting\n"
    "  --pdf      the text printed as the print dialog prints it, into OUT.pdf; prints the\n"
    "             number of pages\n"
    "\n"
    "Exit status: 0 done, 1 the file cannot be read, is not RTF or the PDF cannot be\n"
    "written, 2 wrong usage.\n"};

int errore(const QString& file, const QString& motivo) {
    std::fprintf(stderr, "hnemar-rtf: %s: %s\n", qUtf8Printable(file), qUtf8Printable(motivo));
    return 1;
}

// An RTF file opens with "{\rtf", perhaps after blanks or a byte-order mark; anything else (a
// picture, a plain text) would come out as mojibake.
bool sembraRtf(QByteArrayView dati) {
    if (dati.startsWith("\xEF\xBB\xBF"))
        dati = dati.sliced(3);
    while (!dati.isEmpty() && (dati.front() == ' ' || dati.front() == '\t' ||
                               dati.front() == '\r' || dati.front() == '\n'))
        dati = dati.sliced(1);
    return dati.startsWith("{\\rtf");
}

// The file's bytes, or a one-line reason on stderr. A FIFO or a folder is refused before it is
// opened, since opening a FIFO waits for a writer.
std::optional<QByteArray> leggiFile(const QString& nome) {
    const QFileInfo info(nome);
    if (!info.exists()) {
        errore(nome, QStringLiteral("no such file"));
        return std::nullopt;
    }
    if (!info.isFile()) {
        errore(nome, QStringLiteral("not a regular file"));
        return std::nullopt;
    }
    QByteArray dati;
    try {
        dati = hn::leggiFileRegolare(nome, RtfMassimo);
    } catch (const hn::ErroreVB& e) {
        errore(nome, e.numero() == 7 ? QStringLiteral("larger than %1 MiB").arg(RtfMassimo >> 20)
                                     : e.descrizione());
        return std::nullopt;
    }
    if (!sembraRtf(dati)) {
        errore(nome, QStringLiteral("not an RTF file (it does not begin with {\\rtf)"));
        return std::nullopt;
    }
    return dati;
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
    if (!QFileInfo(QFileInfo(uscita).path()).isDir())
        return errore(uscita, QStringLiteral("no such folder: %1").arg(QFileInfo(uscita).path()));
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
    if (const auto uscita = hn::opzioniComuni(argc, argv, riga))
        return *uscita;
    // Reading needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList argomenti = app.arguments();
    const QString modo = argomenti.value(1);
    const bool pdf = modo == QLatin1String("--pdf");
    if (argomenti.size() != (pdf ? 4 : 3))
        return hn::usoErrato(riga, QStringLiteral("wrong number of arguments"));
    if (!pdf && modo != QLatin1String("--text") && modo != QLatin1String("--rewrite") &&
        modo != QLatin1String("--dump"))
        return hn::usoErrato(riga, QStringLiteral("unknown mode %1").arg(modo));
    const auto dati = leggiFile(argomenti[2]);
    if (!dati)
        return 1;
    if (pdf) {
        try {
            return stampaPdf(*dati, argomenti[3]);
        } catch (const hn::ErroreVB&) {
            return errore(argomenti[3], QStringLiteral("the PDF cannot be written"));
        }
    }
    QTextDocument documento;
    hn::leggiRtf(*dati, documento);
    QByteArray uscita;
    if (modo == QLatin1String("--text"))
        uscita = testoSemplice(documento).toUtf8();
    else if (modo == QLatin1String("--rewrite"))
        uscita = hn::scriviRtf(documento);
    else
        uscita = hn::descriviDocumento(documento).toUtf8();
    std::fwrite(uscita.constData(), 1, static_cast<std::size_t>(uscita.size()), stdout);
    return std::fflush(stdout) == 0
               ? 0
               : errore(QStringLiteral("stdout"), QStringLiteral("write error"));
}
