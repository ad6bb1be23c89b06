// The print entry points, printed to a PDF and read back with pdftotext -bbox: the words must
// lie inside the rectangle asked for, on as many pages as the text needs, none lost or doubled.

#include "AtxPrint.h"
#include "HostDiProva.h"
#include "KorAtx.h"
#include "PdfDiProva.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace hn;
using hn::prova::Parola;
using hn::prova::paroleNelPdf;

namespace {

// The first word (and its page) outside a band given in twips from the printable corner; ""
// when all lie inside.
QString fuori(const QList<Parola>& parole, const QRectF& area, double top, double height,
              double left, double width) {
    const QRectF r((area.left() + left) / 20.0 - 1, (area.top() + top) / 20.0 - 1, width / 20.0 + 2,
                   height / 20.0 + 2);
    for (const Parola& w : parole)
        if (!r.contains(w.box))
            return QStringLiteral("%1 p%2").arg(w.testo).arg(w.pagina);
    return {};
}

QString testoLungo(int paragrafi) {
    QString rtf =
        QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}\\f0\\fs24 ");
    for (int i = 1; i <= paragrafi; ++i)
        rtf +=
            QStringLiteral("Akapit%1 ko\\'9c\\'e6 udowa jest najd\\'b3u\\'bfsz\\'b9 ko\\'9bci\\'b9 "
                           "cia\\'b3a cz\\'b3owieka.\\par ")
                .arg(i);
    return rtf + QLatin1Char('}');
}

} // namespace

class TestAtxPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void regioneNelRettangolo();
    void testoInteroSuPiuPagine();
    void paragrafiSpezzatiEImmagini();
    void titoloECreditoCentrati();
};

void TestAtxPrint::regioneNelRettangolo() {
    prova::HostDiProva h;
    KorAtx atx;
    atx.setFText(testoLungo(40));
    PrinterService* p = h.stampante.get();
    QCOMPARE(ATX_PRINT_START(0, p, 1, 1), 1);
    p->startDocument(QStringLiteral("prova"));
    const QRectF area = p->printableRectTwips();
    std::int32_t top = 2880;
    QCOMPARE(ATX_PRINT_REGION(atx, top, 3000, 1440, 5000, 0, atx.membro(146).toInt(), 0), 1);
    QCOMPARE(ATX_PRINT_FINISH(), 1);
    p->endDocument();

    // The region takes what fits: the first paragraphs, whole lines only, on one page, and what
    // was drawn ends where the returned top says.
    QVERIFY(top > 2880 && top <= 2880 + 3000);
    int pagine = 0;
    const QList<Parola> parole = paroleNelPdf(h.filePdf, &pagine);
    QCOMPARE(pagine, 1);
    QVERIFY(parole.size() > 10);
    QCOMPARE(fuori(parole, area, 2880, top - 2880, 1440, 5000), QString());
    QCOMPARE(parole.front().testo, QStringLiteral("Akapit1"));
    QVERIFY(std::any_of(parole.begin(), parole.end(),
                        [](const Parola& w) { return w.testo == QStringLiteral("najdłuższą"); }));
    QVERIFY(std::none_of(parole.begin(), parole.end(),
                         [](const Parola& w) { return w.testo == QStringLiteral("Akapit40"); }));
}

void TestAtxPrint::testoInteroSuPiuPagine() {
    prova::HostDiProva h;
    KorAtx atx;
    atx.setFText(testoLungo(60));
    atx.impostaMembro(90, 0);
    atx.impostaMembro(89, atx.membro(144));
    PrinterService* p = h.stampante.get();
    ATX_PRINT_START(0, p, 1, 1);
    // No document started by the caller: the entry point starts one.
    const std::int32_t top = 720, altezza = 4000, left = 0, larghezza = 6000;
    std::int32_t pagineStampate = 0;
    QCOMPARE(ATX_PRINT(atx, pagineStampate, top, altezza, left, larghezza, 0, 0, 0), 1);
    const QRectF area = p->printableRectTwips();
    ATX_PRINT_FINISH();
    p->endDocument();

    int pagine = 0;
    const QList<Parola> parole = paroleNelPdf(h.filePdf, &pagine);
    QVERIFY(pagine >= 3);
    QCOMPARE(pagineStampate, pagine);
    QCOMPARE(fuori(parole, area, top, altezza, left, larghezza), QString());
    // Every paragraph once, in order: no line lost or doubled at a page break.
    QStringList titoli, attesi;
    for (const Parola& w : parole)
        if (w.testo.startsWith(QStringLiteral("Akapit")))
            titoli.append(w.testo);
    for (int i = 1; i <= 60; ++i)
        attesi.append(QStringLiteral("Akapit%1").arg(i));
    QCOMPARE(titoli, attesi);
    QCOMPARE(parole.back().testo, QStringLiteral("człowieka."));
}

// Long paragraphs cut by page breaks, and line-art pictures: the PDF's text holds each word
// once, in order, and the pictures are kept without loss.
void TestAtxPrint::paragrafiSpezzatiEImmagini() {
    QImage disegno(40, 30, QImage::Format_RGB32);
    disegno.fill(Qt::white);
    for (int i = 0; i < 30; ++i)
        disegno.setPixel(i, i, qRgb(0, 0, 128));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    disegno.save(&buffer, "PNG");
    const QString immagine = QStringLiteral("{\\pict\\pngblip\\picw40\\pich30 %1}")
                                 .arg(QString::fromLatin1(png.toHex()));
    QString rtf = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24\\qj ");
    QStringList attese;
    for (int a = 1; a <= 6; ++a) {
        rtf += immagine + QStringLiteral("\\par ");
        for (int w = 1; w <= 90 + 17 * a; ++w) {
            // Words of one width would stand in columns that pdftotext reads down, not across.
            attese.append(QStringLiteral("s%1w%2%3").arg(a).arg(w).arg(QString(w % 7, u'x')));
            rtf += attese.back() + QLatin1Char(' ');
        }
        rtf += QStringLiteral("\\par ");
    }
    prova::HostDiProva h;
    KorAtx atx;
    atx.setFText(rtf + QLatin1Char('}'));
    PrinterService* p = h.stampante.get();
    ATX_PRINT_START(0, p, 1, 1);
    std::int32_t pagine = 0;
    ATX_PRINT(atx, pagine, 720, 3000, 0, 9000, 0, 0, 0);
    ATX_PRINT_FINISH();
    p->endDocument();

    QVERIFY(pagine >= 4);
    // In the order drawn: pdftotext's reading order takes words that happen to align for columns.
    QProcess testo;
    testo.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-raw"), h.filePdf, QStringLiteral("-")});
    QVERIFY(testo.waitForFinished(30000) && testo.exitCode() == 0);
    const QStringList lette =
        QString::fromUtf8(testo.readAllStandardOutput())
            .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QCOMPARE(lette, attese);

    QProcess elenco;
    elenco.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), h.filePdf});
    QVERIFY(elenco.waitForFinished(30000) && elenco.exitCode() == 0);
    const QStringList righe =
        QString::fromLatin1(elenco.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(righe.size(), 2 + 6); // a heading, a rule, one row per picture
    for (const QString& r : righe.mid(2))
        QVERIFY2(!r.contains(QStringLiteral("jpeg")), qPrintable(r));
}

// The illustration page: a title, then the credit line a third of an inch down, centred.
void TestAtxPrint::titoloECreditoCentrati() {
    prova::HostDiProva h;
    KorAtx atx;
    PrinterService* p = h.stampante.get();
    ATX_PRINT_START(0, p, 1, 1);
    ATX_PRINT_TITLE(QStringLiteral("Ilustracja"));
    atx.impostaMembro(33, 2);
    atx.impostaMembro(42, QStringLiteral("{\\rtf1\\ansi\\deff4{\\fonttbl{\\f4\\froman\\fcharset0 "
                                         "Times New Roman;}}\\f4\\b\\i\\fs16 Atlas anatomii}"));
    p->startDocument(QStringLiteral("prova"));
    const QRectF area = p->printableRectTwips();
    const double larghezzaPagina = p->pageSizeTwips().width();
    std::int32_t top = 480;
    const std::int32_t larghezza = static_cast<std::int32_t>(larghezzaPagina) - 1440;
    ATX_PRINT_REGION(atx, top, static_cast<std::int32_t>(area.height()) - 480, 0, larghezza, 0, 0,
                     0);
    ATX_PRINT_FINISH();
    p->endDocument();

    const QList<Parola> parole = paroleNelPdf(h.filePdf);
    QCOMPARE(parole.size(), 3);
    QCOMPARE(parole[0].testo, QStringLiteral("Ilustracja"));
    QVERIFY(parole[0].box.bottom() <= (area.top() + 480) / 20.0);
    const double centroArea = (area.left() + area.width() / 2) / 20.0;
    QVERIFY(std::abs(parole[0].box.center().x() - centroArea) < 3);
    QCOMPARE(parole[1].testo, QStringLiteral("Atlas"));
    QVERIFY(parole[1].box.top() >= (area.top() + 480) / 20.0);
    // Centred in its band, which ends an inch short of the page width.
    const double centroBanda = (area.left() + larghezza / 2.0) / 20.0;
    const double centroRiga = (parole[1].box.left() + parole[2].box.right()) / 2;
    QVERIFY2(std::abs(centroRiga - centroBanda) < 3,
             qPrintable(QStringLiteral("%1 vs %2").arg(centroRiga).arg(centroBanda)));
}

QTEST_MAIN(TestAtxPrint)
#include "test_atx_print.moc"
