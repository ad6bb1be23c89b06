#include "Frm_Testo.h"

#include "AtlanteDiProva.h"
#include "Inchiostro.h"
#include "Palco.h"
#include "Riga.h"

#include <QApplication>
#include <QTest>
#include <cmath>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

void caricaDidascalia(Frm_Testo& f, const QString& testo) {
    f.Ftdv_Didascalia.setTextRTF(QString::fromLatin1(rtfDiProva(testo)));
}

} // namespace

class TestFrmTesto : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void disegnoDellaBarra() {
        HostDiProva host;
        const Frm_Testo& f = Frm_Testo::istanza();
        const QFont c = f.QXCapVir1.font();
        QCOMPARE(c.family(), u"Verdana"_s);
        QCOMPARE(c.pointSizeF(), 9.75);
        QVERIFY(c.bold());
        QCOMPARE(f.QXCapVir1.backcolor(), QColor(Qt::blue));
        QCOMPARE(f.QXCapVir1.forecolor(), qApp->palette().color(QPalette::HighlightedText));
    }

    // Height from the line count and the panel's font size; the corner at the hotspot, pulled
    // back only where the window would pass the right or bottom edge of the screen.
    void misuraEPosizione_data() {
        QTest::addColumn<QSize>("schermo");
        QTest::addColumn<int>("righe");
        QTest::addColumn<QPointF>("angolo");
        QTest::addColumn<int>("altezzaTesto");
        QTest::addColumn<QPointF>("posto");
        const QSize xga(1024, 768), svga(800, 600);
        // (10 × 2.2 × 1 + 40) × 15 = 930; the window adds the bar (345 + 20) and 20.
        riga("one line", xga, 1, QPointF(1000, 2000), 930, QPointF(1000, 2000));
        riga("right edge", xga, 1, QPointF(15000, 2000), 930, QPointF(15360 - 3120, 2000));
        riga("bottom edge", xga, 1, QPointF(300, 11000), 930, QPointF(300, 11520 - 1315));
        riga("corner", svga, 2, QPointF(11900, 8900), 1260, QPointF(12000 - 3120, 9000 - 1645));
        riga("left and top are not corrected", xga, 1, QPointF(-500, -300), 930,
             QPointF(-500, -300));
        // Taller than the screen: the top goes above it and stays there.
        riga("taller than the screen", xga, 40, QPointF(300, 500), 13800,
             QPointF(300, 11520 - 14185));
    }
    void misuraEPosizione() {
        QFETCH(QSize, schermo);
        QFETCH(int, righe);
        QFETCH(QPointF, angolo);
        QFETCH(int, altezzaTesto);
        QFETCH(QPointF, posto);
        HostDiProva host(schermo.width(), schermo.height());
        Frm_Testo& f = Frm_Testo::istanza();
        QStringList linee;
        for (int i = 0; i < righe; ++i)
            linee << u"Wiersz %1"_s.arg(i);
        caricaDidascalia(f, linee.join(u'\n'));
        f.MostraAccanto(u"Układ kostny"_s, angolo.x(), angolo.y());
        QVERIFY(f.Visible());
        QCOMPARE(f.QXCapVir1.caption(), u"Układ kostny"_s);
        QCOMPARE(f.Ftdv_Didascalia.height(), altezzaTesto / 15);
        QCOMPARE(f.Ftdv_Didascalia.y(), (345 + 20) / 15);
        QCOMPARE(f.HeightTw(), altezzaTesto + 345 + 20 + 20.0);
        QCOMPARE(QPointF(f.LeftTw(), f.TopTw()), posto);
        QCOMPARE(f.WidthTw(), 3120.0);
        f.ImpostaVisible(false);
    }

    // On today's monitors the program's screen is a stage inside the desktop: a caption opened
    // at a hotspot near the right edge is pulled back onto the stage, not onto the monitor.
    void restaSulPalco_data() {
        QTest::addColumn<QSize>("monitor");
        for (const QSize m : {QSize(1920, 1080), QSize(2560, 1440), QSize(1366, 768)})
            QTest::addRow("%dx%d", m.width(), m.height()) << m;
    }
    void restaSulPalco() {
        QFETCH(QSize, monitor);
        const GeometriaPalco g = calcolaPalco(monitor, ModoScala::Adatta);
        HostDiProva host(g.schermo.width(), g.schermo.height());
        Frm_Testo& f = Frm_Testo::istanza();
        caricaDidascalia(f, u"Kość udowa"_s);
        f.MostraAccanto(u"Układ kostny"_s, 1010 * 15, 700 * 15);
        const QRect palco(QPoint(), g.schermo);
        QVERIFY2(palco.contains(f.geometry()),
                 qPrintable(u"%1,%2 %3x%4"_s.arg(f.x()).arg(f.y()).arg(f.width()).arg(f.height())));
        QCOMPARE(f.geometry().right(), palco.right());
        QCOMPARE(f.geometry().bottom(), palco.bottom());
        const QPointF basso = g.versoMonitor(QPointF(f.geometry().bottomRight() + QPoint(1, 1)));
        QVERIFY(basso.x() <= monitor.width() + 1e-6 && basso.y() <= monitor.height() + 1e-6);
        f.ImpostaVisible(false);
    }

    // Captions one after another, of the same height as the one before and of others: each is
    // drawn.
    void ogniDidascaliaVieneDisegnata() {
        HostDiProva host;
        Frm_Testo& f = Frm_Testo::istanza();
        for (const QString& testo :
             {u"Czaszka"_s, u"Mostek"_s, u"Mostek"_s, u"Obojczyk\nŁopatka"_s, u"Rzepka"_s}) {
            caricaDidascalia(f, testo);
            f.MostraAccanto(u"Układ kostny"_s, 1000, 2000);
            QVERIFY2(inchiostro(f, f.Ftdv_Didascalia.geometry()) > 20, qPrintable(testo));
        }
        f.ImpostaVisible(false);
    }

    // A paragraph too long for the panel wraps: the window grows by the wrapped lines.
    void leRigheAcapoContano() {
        HostDiProva host;
        Frm_Testo& f = Frm_Testo::istanza();
        caricaDidascalia(f, u"Kość udowa jest najdłuższą i najmocniejszą kością szkieletu "
                            u"człowieka, łączy się ze stawem biodrowym i kolanowym."_s);
        f.MostraAccanto(u"x"_s, 0, 0);
        int righe = 0;
        for (int k = 2; k <= 12 && !righe; ++k)
            if (f.HeightTw() - 385 == std::nearbyint((10 * 2.2 * k + 40) * 15))
                righe = k;
        QVERIFY2(righe >= 2, qPrintable(QString::number(f.HeightTw())));
        f.ImpostaVisible(false);
    }

    void siNascondeQuandoPerdeIlFuocoOSiCliccaAltrove() {
        HostDiProva host;
        Frm_Testo& f = Frm_Testo::istanza();
        QWidget altra;
        altra.resize(200, 200);
        altra.show();
        caricaDidascalia(f, u"Mostek"_s);
        f.MostraAccanto(u"x"_s, 0, 0);
        QTest::mouseClick(&f.QXCapVir1, Qt::LeftButton); // inside: stays
        QVERIFY(f.Visible());
        QTest::mouseClick(&altra, Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(!f.Visible());
        f.MostraAccanto(u"x"_s, 0, 0);
        QEvent disattiva(QEvent::WindowDeactivate);
        QApplication::sendEvent(&f, &disattiva);
        QVERIFY(!f.Visible());
        // Hidden, it no longer watches clicks.
        QTest::mouseClick(&altra, Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(!f.Visible());
    }

    // On the stage the caption is a sub-window, and everything in it has the stage for its
    // window(): a click in its text still keeps it, and its bar drags it, not the stage.
    void sulPalcoUnClicDentroResta() {
        HostDiProva host;
        Frm_Testo& f = Frm_Testo::istanza();
        QWidget palco;
        palco.resize(600, 500);
        auto* schermo = new QWidget(&palco);
        schermo->setGeometry(0, 0, 600, 500);
        f.setParent(schermo, Qt::SubWindow | Qt::FramelessWindowHint);
        palco.show();
        QVERIFY(QTest::qWaitForWindowExposed(&palco));
        caricaDidascalia(f, u"Mostek"_s);
        f.MostraAccanto(u"x"_s, 0, 0);
        QTest::mouseClick(f.Ftdv_Didascalia.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(f.Visible());
        const QPoint prima = f.pos(), palcoPrima = palco.pos();
        QTest::mousePress(&f.QXCapVir1, Qt::LeftButton, {}, QPoint(10, 5));
        QTest::mouseMove(&f.QXCapVir1, QPoint(40, 25));
        QTest::mouseRelease(&f.QXCapVir1, Qt::LeftButton, {}, QPoint(40, 25));
        QCOMPARE(f.pos(), prima + QPoint(30, 20));
        QCOMPARE(palco.pos(), palcoPrima);
        QTest::mouseClick(schermo, Qt::LeftButton, {}, QPoint(590, 490));
        QVERIFY(!f.Visible());
        f.setParent(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    }
};

QTEST_MAIN(TestFrmTesto)
#include "test_frm_testo.moc"
