// The worksheet read back from the PDF it printed: the plate's page names no structure and covers
// every drawn label with its numbered blank, the answers list every number with its name, a long
// list runs on to more pages, and a missing printer is reported with Retry and Cancel.

#include "Accessibilita.h"
#include "KartaPracy.h"
#include "Navigazione.h"

#include "BancoDiStampa.h"
#include "Normalizza.h"
#include "PdfDiProva.h"

#include <QPainter>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <random>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

const QColor Rosso(255, 0, 0);   // what the plate draws its labels in
const QColor Azzurro(0, 0, 255); // the plate's own drawing, which must print

// A plate of white paper with a blue figure, its labels drawn as red boxes where their names are.
KartaPracy karta(const QList<QRectF>& aree, const QStringList& nomi) {
    KartaPracy k;
    k.tytul = u"Układ kostny"_s;
    k.obraz = QImage(400, 300, QImage::Format_RGB32);
    k.obraz.fill(Qt::white);
    QPainter p(&k.obraz);
    p.fillRect(QRect(180, 20, 40, 260), Azzurro);
    for (int i = 0; i < aree.size(); ++i) {
        p.fillRect(aree[i], Rosso);
        k.voci.append({aree[i], nomi[i]});
    }
    return k;
}

QList<Parola> pagina(const QList<Parola>& parole, int n) {
    QList<Parola> out;
    for (const Parola& p : parole)
        if (p.pagina == n)
            out.append(p);
    return out;
}

// Pixels of a colour, give or take what smoothing does to it.
int pixelDi(const QImage& img, QColor c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor v = img.pixelColor(x, y);
            n += std::abs(v.red() - c.red()) < 60 && std::abs(v.green() - c.green()) < 60 &&
                 std::abs(v.blue() - c.blue()) < 60;
        }
    return n;
}

} // namespace

class TestKartaPracy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    void primaPaginaSenzaNomiSecondaConLeRisposte() {
        BancoDiStampa b;
        const QList<QRectF> aree = {{20, 30, 90, 14},
                                    {280, 30, 100, 14},
                                    {20, 150, 110, 14},
                                    {280, 150, 90, 14},
                                    {20, 260, 120, 14}};
        const QStringList nomi = {u"Czaszka"_s, u"Żebra"_s, u"Kość ramienna"_s, u"Kręgosłup"_s,
                                  u"Kość udowa"_s};
        const KartaPracy k = karta(aree, nomi);
        QVERIFY(StampaKartaPracy(k));
        QCOMPARE(b.pdf().size(), 1);
        int pagine = 0;
        const QList<Parola> parole = paroleNelPdf(b.pdf().first(), &pagine);
        QCOMPARE(pagine, 2);

        // Page 1: no word of any name, each number once.
        QSet<QString> paroleNomi;
        for (const QString& n : nomi)
            for (const QString& w : normalizza(n).split(u' '))
                paroleNomi.insert(w);
        QHash<int, QRectF> numeri;
        for (const Parola& p : pagina(parole, 1)) {
            QVERIFY2(!paroleNomi.contains(normalizza(p.testo)), qPrintable(p.testo));
            bool ok = false;
            const int n = p.testo.toInt(&ok);
            if (ok && n >= 1 && n <= aree.size()) {
                QVERIFY2(!numeri.contains(n), qPrintable(p.testo));
                numeri.insert(n, p.box);
            }
        }
        QCOMPARE(numeri.size(), aree.size());
        // Each number sits on its own label's blank: where one label lies left of or above
        // another on the plate, so does its number on the sheet.
        for (int i = 0; i < aree.size(); ++i)
            for (int j = 0; j < aree.size(); ++j) {
                const QPointF a = numeri[i + 1].center(), c = numeri[j + 1].center();
                if (aree[i].right() < aree[j].left())
                    QVERIFY2(a.x() < c.x(), qPrintable(u"%1 left of %2"_s.arg(i + 1).arg(j + 1)));
                if (aree[i].bottom() < aree[j].top())
                    QVERIFY2(a.y() < c.y(), qPrintable(u"%1 above %2"_s.arg(i + 1).arg(j + 1)));
            }

        // Page 2: every number with its name, in order.
        const QString testo = testoDelPdf(b.pdf().first());
        const QString risposte = testo.section(u'\f', 1, 1);
        qsizetype da = 0;
        for (int i = 0; i < nomi.size(); ++i) {
            const qsizetype dove = risposte.indexOf(u"%1. %2"_s.arg(i + 1).arg(nomi[i]), da);
            QVERIFY2(dove >= 0, qPrintable(nomi[i]));
            da = dove;
        }

        // The plate prints, and no pixel of its drawn labels shows past the blanks.
        const QImage prima = primaPagina(b.pdf().first(), b.cartella + u"/pagina"_s);
        QVERIFY(pixelDi(prima, Azzurro) > 500);
        QCOMPARE(pixelDi(prima, Rosso), 0);
    }

    // A plate with a larger rendition prints that rendition's pixels in the 1 × plate's place.
    void laRendizionePiuGrandeVaSullaCarta() {
        BancoDiStampa b;
        const QList<QRectF> aree = {{20, 30, 90, 14}, {280, 150, 90, 14}};
        KartaPracy k = karta(aree, {u"Czaszka"_s, u"Żebra"_s});
        k.wydruk = k.obraz.scaled(k.obraz.size() * 3);
        QVERIFY(StampaKartaPracy(k));
        QCOMPARE(b.pdf().size(), 1);
        QProcess elenco;
        elenco.start(u"pdfimages"_s, {u"-list"_s, b.pdf().first()});
        QVERIFY(elenco.waitForFinished(20000));
        const QStringList righe =
            QString::fromUtf8(elenco.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        // page num type width height …, one picture on the first page
        QVERIFY2(righe.size() >= 3, qPrintable(righe.join(u'\n')));
        const QStringList campi = righe[2].simplified().split(u' ');
        QCOMPARE(campi[0].toInt(), 1);
        QCOMPARE(QSize(campi[3].toInt(), campi[4].toInt()), QSize(1200, 900));
        // And the blanks still sit over the labels.
        const QImage prima = primaPagina(b.pdf().first(), b.cartella + u"/pagina"_s);
        QVERIFY(pixelDi(prima, Azzurro) > 500);
        QCOMPARE(pixelDi(prima, Rosso), 0);
    }

    void moltiPodpisiProseguonoSuAltrePagine() {
        BancoDiStampa b;
        QList<QRectF> aree;
        QStringList nomi;
        for (int r = 0; r < 15; ++r)
            for (int c = 0; c < 8; ++c) {
                aree.append(QRectF(c * 50 + 2, r * 20 + 2, 40, 12));
                nomi.append(u"Struktura %1"_s.arg(r * 8 + c + 1, 3, 10, QLatin1Char('0')));
            }
        QVERIFY(StampaKartaPracy(karta(aree, nomi)));
        const QString testo = testoDelPdf(b.pdf().first());
        const QStringList pagine = testo.split(u'\f', Qt::SkipEmptyParts);
        QVERIFY(pagine.size() >= 3);
        QVERIFY(!pagine[0].contains(u"Struktura"_s));
        const QString risposte = pagine.mid(1).join(u'\n');
        for (int i = 0; i < nomi.size(); ++i)
            QVERIFY2(risposte.contains(u"%1. %2"_s.arg(i + 1).arg(nomi[i])), qPrintable(nomi[i]));
    }

    void caselleConSpazioPerScrivere_data() {
        QTest::addColumn<QList<QRectF>>("etichette");
        QTest::addColumn<QList<QRectF>>("attese");
        QTest::newRow("long label: a pixel round it")
            << QList<QRectF>{{20, 30, 120, 14}} << QList<QRectF>{{19, 29, 122, 16}};
        QTest::newRow("short on the left grows left")
            << QList<QRectF>{{150, 30, 40, 14}} << QList<QRectF>{{101, 29, 90, 16}};
        QTest::newRow("short on the right grows right")
            << QList<QRectF>{{260, 30, 40, 14}} << QList<QRectF>{{259, 29, 90, 16}};
        QTest::newRow("the picture's edge stops it")
            << QList<QRectF>{{10, 30, 40, 14}, {370, 80, 20, 14}}
            << QList<QRectF>{{0, 29, 51, 16}, {369, 79, 31, 16}};
        QTest::newRow("a blank beside stops it")
            << QList<QRectF>{{60, 30, 40, 14}, {110, 32, 40, 14}}
            << QList<QRectF>{{11, 29, 90, 16}, {103, 31, 48, 16}};
        QTest::newRow("a blank on another row does not")
            << QList<QRectF>{{60, 30, 40, 14}, {110, 60, 40, 14}}
            << QList<QRectF>{{11, 29, 90, 16}, {61, 59, 90, 16}};
    }
    void caselleConSpazioPerScrivere() {
        QFETCH(QList<QRectF>, etichette);
        QFETCH(QList<QRectF>, attese);
        QCOMPARE(caselleKarta(etichette, QSizeF(400, 300)), attese);
    }

    void caselleNonSiSovrappongonoMai() {
        // A crowded plate: no blank grows into another, each covers its label, none leaves the
        // picture for room to write.
        std::mt19937 caso(38);
        QList<QRectF> etichette;
        while (etichette.size() < 150) {
            const QRectF e(caso() % 360, caso() % 290, 8 + caso() % 60, 10);
            const QRectF attorno = e.adjusted(-2, -2, 2, 2);
            if (std::none_of(etichette.cbegin(), etichette.cend(),
                             [&](const QRectF& a) { return a.intersects(attorno); }))
                etichette.append(e);
        }
        const QList<QRectF> caselle = caselleKarta(etichette, QSizeF(400, 300));
        QCOMPARE(caselle.size(), etichette.size());
        int cresciute = 0;
        for (qsizetype i = 0; i < caselle.size(); ++i) {
            QVERIFY(caselle[i].contains(etichette[i]));
            QVERIFY(caselle[i].left() >= std::min(0.0, etichette[i].left() - 1));
            QVERIFY(caselle[i].right() <= std::max(400.0, etichette[i].right() + 1));
            cresciute += caselle[i].width() > etichette[i].width() + 2;
            for (qsizetype j = i + 1; j < caselle.size(); ++j)
                QVERIFY2(!caselle[i].intersects(caselle[j]),
                         qPrintable(u"%1 and %2"_s.arg(i).arg(j)));
        }
        QVERIFY(cresciute > 50);
    }

    void senzaStampanteRiprovaOAnnulla() {
        BancoDiStampa b;
        const KartaPracy k = karta({{20, 30, 90, 14}}, {u"Czaszka"_s});
        // No printer at first: reported; Cancel prints nothing and leaves no file.
        host().printer = nullptr;
        b.h.box.risposte = {Risposta::Annulla};
        QVERIFY(!StampaKartaPracy(k));
        QCOMPARE(b.h.box.mostrati.size(), 1);
        QVERIFY(b.pdf().isEmpty());
        // The printer switched on before Retry: the whole worksheet comes out once.
        b.h.box.risposte = {Risposta::Riprova};
        b.h.box.primaDiRispondere = [&](const BoxMostrato&) { host().printer = &b.stampante; };
        QVERIFY(StampaKartaPracy(k));
        QCOMPARE(b.pdf().size(), 1);
        int pagine = 0;
        paroleNelPdf(b.pdf().first(), &pagine);
        QCOMPARE(pagine, 2);
    }
};

QTEST_MAIN(TestKartaPracy)
#include "test_karta_pracy.moc"
