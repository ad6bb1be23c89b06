// The print job, printed to PDF files and read back: what each document holds, in which order,
// and where on the page the title, credit line, picture and caption land.

#include "BancoDiStampa.h"
#include "ErroreVB.h"
#include "FXImage.h"
#include "KorAtx.h"
#include "LavoroDiStampa.h"
#include "Mod_CopiaeStampa.h"
#include "Montaggio.h"
#include "PdfDiProva.h"
#include "Riga.h"
#include "StampaAtx.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

using namespace hn;
using hn::prova::BoxMostrato;
using hn::prova::Parola;
using hn::prova::primaPagina;
using hn::prova::riga;
using hn::prova::testoDelPdf;

namespace {

// The bounding box of the picture's colour (pure red) on the rendered page.
QRect rosso(const QImage& img) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                r = r.united(QRect(x, y, 1, 1));
        }
    return r;
}

const char* kRtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24 "
                   "Pierwszy akapit opisu.\\par Drugi akapit zaznaczony.\\par "
                   "Trzeci akapit ko\\u324?cowy.\\par}";

// The job's state over the sources, on a printer that writes PDFs.
struct Banco : prova::BancoDiStampa {
    KorAtx sorgente, TESTOATX, atxTestoCop;
    FXImage figura;
    StatoDiStampa stato;

    Banco() {
        inst.messaggi[488] = {QStringLiteral("Drukowanie"), QStringLiteral("Anatomia ilustracja")};
        inst.messaggi[70] = {QStringLiteral("Drukarka"), QStringLiteral("Błąd drukarki")};
        inst.scrivi();
        sorgente.setFText(QString::fromLatin1(kRtf));
        stato.sorgenteTesto = &sorgente;
        stato.TESTOATX = &TESTOATX;
        stato.atxTestoCop = &atxTestoCop;
        stato.ImmagineDaStampare = &figura;
    }
    void seleziona(const QString& testo) {
        const int da = static_cast<int>(sorgente.toPlainText().indexOf(testo));
        QVERIFY(da >= 0);
        sorgente.setSelStart(da);
        sorgente.setSelLength(static_cast<int>(testo.size()));
    }
    void figuraDi(int w, int hh) {
        QImage img(w, hh, QImage::Format_RGB32);
        img.fill(Qt::red);
        figura.ImpostaPicture(img);
    }
    // The flag is cleared once the text has gone out, before the illustration.
    short inCorso = -1;
    bool stampa() { return StampaScelte(stato, inCorso); }
};

} // namespace

class TestLavoroDiStampa : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void testo_data();
    void testo();
    void illustrazione_data();
    void illustrazione();
    void entrambiInDueDocumenti();
    void erroreDellaStampante_data();
    void erroreDellaStampante();
    void discoPienoPoiRiprova();
    void fileNonScrivibileNelRapportoComune();
};

void TestLavoroDiStampa::testo_data() {
    QTest::addColumn<bool>("soloSelezione");
    QTest::addColumn<QString>("atteso");
    riga("selected part", true, QStringLiteral("Drugi akapit zaznaczony."));
    riga(
        "whole text", false,
        QStringLiteral("Pierwszy akapit opisu.\nDrugi akapit zaznaczony.\nTrzeci akapit końcowy."));
}

void TestLavoroDiStampa::testo() {
    QFETCH(bool, soloSelezione);
    QFETCH(QString, atteso);
    Banco b;
    b.seleziona(QStringLiteral("Drugi akapit zaznaczony."));
    b.stato.testo = true;
    b.stato.soloSelezione = soloSelezione;
    QVERIFY(b.stampa());
    QCOMPARE(b.inCorso, 0);
    const QStringList files = b.pdf();
    QCOMPARE(files.size(), 1);

    QStringList righe = testoDelPdf(files[0]).split(u'\n', Qt::SkipEmptyParts);
    righe.removeAll(QStringLiteral("\f"));
    QCOMPARE(righe, QStringList{Mod_CopiaeStampa::RigaDiCredito()} + atteso.split(u'\n'));

    // Three empty lines of the credit's size between the credit line and the text.
    const QList<Parola> ps = prova::paroleNelPdf(files[0]);
    const Parola* credito = prova::trovaParola(ps, QStringLiteral("Atlas"));
    const Parola* primo = prova::trovaParola(ps, atteso.section(u' ', 0, 0));
    QVERIFY(credito && primo);
    const double righeVuote = (primo->box.top() - credito->box.bottom()) / credito->box.height();
    QVERIFY2(righeVuote > 2.6 && righeVuote < 3.9, qPrintable(QString::number(righeVuote)));
    // The selection of the source is left as the user made it.
    QCOMPARE(b.sorgente.SelText().isEmpty(), false);
}

void TestLavoroDiStampa::illustrazione_data() {
    QTest::addColumn<QSize>("pixel");
    QTest::addColumn<QString>("didascalia");
    riga("at its screen size", QSize(200, 100),
         QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Ko\\u347?\\u263? udowa}"));
    // 12000 twips wide asked for, wider than the printable area: the width alone is cut.
    riga("wider than the paper", QSize(800, 600), QString());
}

void TestLavoroDiStampa::illustrazione() {
    QFETCH(QSize, pixel);
    QFETCH(QString, didascalia);
    Banco b;
    b.figuraDi(pixel.width(), pixel.height());
    b.stato.illustrazione = true;
    b.stato.TestoDidascalia = didascalia;
    QVERIFY(b.stampa());
    const QStringList files = b.pdf();
    QCOMPARE(files.size(), 1);

    // The sheet and its printable area, in points, as the printer reports them.
    b.stampante.startDocument(QStringLiteral("misura"));
    const QRectF area(b.stampante.printableRectTwips().topLeft() / 20.0,
                      b.stampante.printableRectTwips().size() / 20.0);
    const QSizeF foglio = b.stampante.pageSizeTwips() / 20.0;
    b.stampante.endDocument();

    const QList<Parola> ps = prova::paroleNelPdf(files[0]);
    int pagine = 0;
    for (const Parola& p : ps)
        pagine = std::max(pagine, p.pagina);
    QCOMPARE(pagine, 1);
    const Parola* titolo = prova::trovaParola(ps, QStringLiteral("ilustracja"));
    const Parola* credito = prova::trovaParola(ps, QStringLiteral("Atlas"));
    QVERIFY(titolo && credito);
    QVERIFY(titolo->box.top() < area.top() + 24);
    // The credit line a third of an inch (24 points) below the top of the printable area.
    QVERIFY(qAbs(credito->box.top() - (area.top() + 24)) < 4);

    const QRect r = rosso(primaPagina(files[0], b.h.cartella.path() + QStringLiteral("/pagina")));
    const double w = std::min(pixel.width() * 0.75, area.width());
    const double h = std::min(pixel.height() * 0.75, area.height());
    QVERIFY2(qAbs(r.width() - w) <= 2 && qAbs(r.height() - h) <= 2,
             qPrintable(QStringLiteral("%1x%2").arg(r.width()).arg(r.height())));
    // Centred on the sheet as the printer's drawing surface measures it.
    QVERIFY(qAbs(r.left() - (area.left() + (foglio.width() - w) / 2)) <= 2);
    QVERIFY(qAbs(r.top() - (area.top() + (foglio.height() - h) / 2)) <= 2);

    // The caption's band begins two inches (144 points) above the bottom of the sheet.
    const Parola* nota = prova::trovaParola(ps, QStringLiteral("udowa"));
    if (didascalia.isEmpty()) {
        QVERIFY(std::none_of(ps.begin(), ps.end(),
                             [&](const Parola& p) { return p.box.top() > foglio.height() / 2; }));
    } else {
        QVERIFY(nota && prova::trovaParola(ps, QStringLiteral("Kość")));
        QVERIFY2(qAbs(nota->box.top() - (area.top() + foglio.height() - 144)) < 4,
                 qPrintable(QString::number(nota->box.top())));
    }
}

void TestLavoroDiStampa::entrambiInDueDocumenti() {
    Banco b;
    b.figuraDi(100, 100);
    b.stato.testo = b.stato.illustrazione = true;
    b.stato.TestoDidascalia = QStringLiteral("Podpis");
    QVERIFY(b.stampa());
    const QStringList files = b.pdf();
    QCOMPARE(files.size(), 2);
    QVERIFY(testoDelPdf(files[0]).contains(QStringLiteral("Trzeci akapit")));
    QVERIFY(!testoDelPdf(files[0]).contains(QStringLiteral("Podpis")));
    QVERIFY(testoDelPdf(files[1]).contains(QStringLiteral("Podpis")));
    QVERIFY(!testoDelPdf(files[1]).contains(QStringLiteral("Trzeci")));
    // Nothing stopped the job between the documents.
    QCoreApplication::processEvents();
    QVERIFY(b.h.box.mostrati.isEmpty());
}

namespace {

// Refuses the first documents it is asked for, the way a printer that is off or jammed does; or
// fails at their end, taking the document with it, the way a printer that loses the job does.
class StampanteCapricciosa : public PrinterService {
public:
    StampanteCapricciosa(QtPrinter& vera, int rifiuti, int fini)
        : vera_(vera)
        , rifiuti_(rifiuti)
        , fini_(fini) {}
    void startDocument(const QString& t) override {
        if (rifiuti_ > 0) {
            --rifiuti_;
            throw ErroreVB(Errore::Stampante);
        }
        vera_.startDocument(t);
    }
    void newPage() override { vera_.newPage(); }
    void endDocument() override {
        vera_.endDocument();
        if (fini_ > 0) {
            --fini_;
            QFile::remove(vera_.outputFile());
            throw ErroreVB(Errore::Stampante);
        }
    }
    QPainter* painter() override { return vera_.painter(); }
    double unitsPerTwip() const override { return vera_.unitsPerTwip(); }
    QSizeF pageSizeTwips() const override { return vera_.pageSizeTwips(); }
    QRectF printableRectTwips() const override { return vera_.printableRectTwips(); }

private:
    QtPrinter& vera_;
    int rifiuti_;
    int fini_;
};

} // namespace

void TestLavoroDiStampa::erroreDellaStampante_data() {
    QTest::addColumn<bool>("illustrazione");
    QTest::addColumn<int>("fini"); // ends that fail; else the first two starts fail
    QTest::addColumn<QList<int>>("risposte");
    QTest::addColumn<bool>("completa");
    QTest::addColumn<int>("documenti");
    const QList<int> dueVolte{Risposta::Riprova, Risposta::Riprova};
    riga("text, retry twice", false, 0, dueVolte, true, 1);
    riga("text, cancel", false, 0, QList<int>{Risposta::Annulla}, false, 0);
    riga("both, retry then cancel", true, 0, QList<int>{Risposta::Riprova, Risposta::Annulla},
         false, 0);
    riga("both, retry, retry, one page each", true, 0, dueVolte, true, 2);
    // The failed end took the document along: Retry prints it again.
    riga("end fails, retry", false, 1, QList<int>{Risposta::Riprova}, true, 1);
    riga("both ends fail, retry each", true, 2, dueVolte, true, 2);
}

void TestLavoroDiStampa::erroreDellaStampante() {
    QFETCH(bool, illustrazione);
    QFETCH(int, fini);
    QFETCH(QList<int>, risposte);
    QFETCH(bool, completa);
    QFETCH(int, documenti);
    Banco b;
    b.figuraDi(50, 50);
    StampanteCapricciosa capricciosa(b.stampante, fini ? 0 : 2, fini);
    host().printer = &capricciosa;
    b.h.box.risposte = risposte;
    b.stato.testo = true;
    b.stato.illustrazione = illustrazione;
    short inCorso = -1;
    QCOMPARE(StampaScelte(b.stato, inCorso), completa);
    const QStringList files = b.pdf();
    QCOMPARE(files.size(), documenti);
    if (documenti > 0)
        QVERIFY(testoDelPdf(files[0]).contains(QStringLiteral("Trzeci akapit")));

    // Each refusal is reported alone, with Retry and Cancel.
    QList<BoxMostrato> errori;
    for (const auto& m : b.h.box.mostrati)
        if (m.stile == (Stile::RiprovaAnnulla | Stile::Critico))
            errori.append(m);
    QCOMPARE(errori.size(), risposte.size());
    for (const auto& m : errori)
        QCOMPARE(m.testo, QStringLiteral("Błąd drukarki"));
    // Whatever the end, no document is left open to block the next print.
    QCOMPARE(capricciosa.painter(), nullptr);
}

void TestLavoroDiStampa::discoPienoPoiRiprova() {
    Banco b;
    prova::Montaggio m;
    if (!m.piccolo(b.cartella, 256))
        QSKIP("needs a small file system of its own");
    // Most of the disk taken by something the user can delete.
    const QString zavorra = b.cartella + QStringLiteral("/zavorra");
    QFile z(zavorra);
    QVERIFY(z.open(QIODevice::WriteOnly));
    z.write(QByteArray(250 * 1024, 'x'));
    z.close();
    b.stato.testo = true;
    b.h.box.primaDiRispondere = [&](const BoxMostrato&) { QFile::remove(zavorra); };
    b.h.box.risposte = {Risposta::Riprova};
    QVERIFY(b.stampa());
    QCOMPARE(b.h.box.mostrati.size(), 1);
    const BoxMostrato& m0 = b.h.box.mostrati[0];
    QCOMPARE(m0.stile, Stile::RiprovaAnnulla | Stile::Critico);
    QVERIFY2(m0.testo.contains(b.cartella + QStringLiteral("/HNemar-001.pdf")) &&
                 m0.testo.contains(QStringLiteral("zabrakło miejsca")),
             qPrintable(m0.testo));
    // Printed again whole once there was room, under the same name.
    QCOMPARE(b.pdf(), QStringList{b.cartella + QStringLiteral("/HNemar-001.pdf")});
    QVERIFY(testoDelPdf(b.pdf()[0]).contains(QStringLiteral("Trzeci akapit")));
}

// A PDF that cannot be written is a print error like any other: the common report with the
// print's context, naming the file and what is in its way, and its OK ends printing.
void TestLavoroDiStampa::fileNonScrivibileNelRapportoComune() {
    Banco b;
    QFile f(b.cartella);
    QVERIFY(f.open(QIODevice::WriteOnly)); // a file where the folder should be
    f.close();
    b.stato.testo = true;
    b.stato.illustrazione = true;
    b.figuraDi(50, 50);
    b.h.box.risposte = {Risposta::OK};
    QVERIFY(!b.stampa());
    QCOMPARE(b.h.box.mostrati.size(), 1);
    const BoxMostrato& m = b.h.box.mostrati[0];
    QCOMPARE(m.stile, Stile::OK | Stile::Critico);
    QVERIFY2(m.testo.contains(QDir::toNativeSeparators(b.cartella)) &&
                 m.testo.contains(QStringLiteral("jest plikiem")) &&
                 m.testo.endsWith(QStringLiteral(" (Drukuj, błąd nr 75).")),
             qPrintable(m.testo));
    QCOMPARE(b.stampante.painter(), nullptr);
}

QTEST_MAIN(TestLavoroDiStampa)
#include "test_lavoro_di_stampa.moc"
