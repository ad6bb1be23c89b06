// The search over the real forms: from the home screen or the viewer to a structure's hotspot.

#include "Accessibilita.h"
#include "Fifo.h"
#include "Navigazione.h"
#include "Ricerca.h"

#include "SistemaScelto.h"
#include "StoreDiProva.h"
#include "VisitaDiProva.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

// Skeleton → spine → vertebra; the muscles' plate has a structure of its own.
struct Sessione : VisitaDiProva {
    Sessione() {
        atlante.righe = {
            intestazione("SCHEL1", "DSCHEL"),
            hotspot("SCHEL1", "LOKC", 20, 30, 120, 90),
            hotspot("SCHEL1", "LINK", 200, 200, 260, 260, "SKREG"),
            intestazione("SKREG", "DSKREG"),
            hotspot("SKREG", "ATLAS", 10, 10, 40, 40),
            hotspot("SKREG", "KREG", 50, 50, 90, 90),
            intestazione("MUSCAVA", "DMUSC"),
            hotspot("MUSCAVA", "BICEPS", 10, 10, 40, 40),
        };
        atlante.testi = {
            {u"DSCHEL.RTF"_s, didascaliaDiProva(u"Układ kostny"_s, {})},
            {u"DSKREG.RTF"_s, didascaliaDiProva(u"Kręgosłup"_s, {})},
            {u"DMUSC.RTF"_s, didascaliaDiProva(u"Układ mięśniowy"_s, {})},
            {u"LOKC.RTF"_s, didascaliaDiProva(u"Kość łokciowa"_s, u"– kość przedramienia."_s)},
            {u"ATLAS.RTF"_s, didascaliaDiProva(u"Kręg szczytowy"_s, u"– pierwszy kręg."_s)},
            {u"KREG.RTF"_s, didascaliaDiProva(u"Kręg szyjny"_s, u"– jeden z siedmiu."_s)},
            {u"BICEPS.RTF"_s,
             didascaliaDiProva(u"Mięsień dwugłowy"_s, u"– zgina staw łokciowy."_s)},
        };
        for (const char* t : {"SCHEL1", "SKREG", "muscava"})
            atlante.tavole.insert(QString::fromLatin1(t) + u".png"_s,
                                  immagineDiProva(398, 480, Qt::gray));
        atlante.descrizioni = {{u"SCHEL1"_s, u"Układ kostny"_s}, {u"muscava"_s, u"Mięśnie"_s}};
        mostraHome();
    }

    // Ctrl+F on a form, then the query typed into the field; the index is built meanwhile.
    Ricerca& cerca(Forma& forma, const QString& domanda) {
        Ricerca& r = apri(forma, domanda);
        if (!QTest::qWaitFor([&] { return !r.esito->text().contains(u"indeks w budowie"_s); }))
            qWarning("the index was not built");
        return r;
    }
    Ricerca& apri(Forma& forma, const QString& domanda) {
        QApplication::setActiveWindow(&forma);
        QTest::keyClick(&forma, Qt::Key_F, Qt::ControlModifier);
        Ricerca* r = forma.findChild<Ricerca*>();
        r->campo->clear();
        r->campo->insert(domanda); // as typed: QTest types only Latin-1
        return *r;
    }
};

// The structure holds the keyboard and its ring is on screen.
bool haAnello(FMed1& v, int hotspot) {
    const Navigazione* n = Navigazione::se(&v);
    const QWidget* anello = v.findChild<QWidget*>(u"hn_anello"_s);
    return n && n->corrente() == &v.hotspot()(hotspot) && anello && anello->isVisible();
}

} // namespace

class TestRicerca : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    // A structure of the spine plate: the viewer walks the tree to it, Back walks up again.
    void dallaHomeAUnaStrutturaEIndietro() {
        Sessione s;
        Ricerca& r = s.cerca(*s.home, u"KRĘG SZYJNY"_s);
        QVERIFY(r.isVisible());
        QCOMPARE(r.elenco->count(), 1);
        // What a screen reader reads for the row.
        QAccessibleInterface* lista = QAccessible::queryAccessibleInterface(r.elenco);
        QVERIFY(lista && lista->childCount() >= 1);
        QAccessibleInterface* prima = lista->child(0);
        for (int i = 0; prima && prima->role() != QAccessible::ListItem && i < lista->childCount();
             ++i)
            prima = lista->child(i);
        QVERIFY(prima);
        QCOMPARE(prima->text(QAccessible::Name), u"Kręg szyjny, Układ kostny › Kręgosłup"_s);
        QCOMPARE(r.esito->text(), u"Wyniki: 1"_s);
        QCOMPARE(r.campo->accessibleDescription(), r.esito->text()); // what a screen reader hears
        QTest::keyClick(r.campo, Qt::Key_Return);
        QCoreApplication::processEvents();

        FMed1& v = s.viewer();
        QVERIFY(v.isVisible() && !s.home->isVisible() && !r.isVisible());
        QCOMPARE(v.tavola(), u"SKREG"_s);
        QCOMPARE(v.storiaTavole().conteggio, 1);
        QCOMPARE(v.storiaTavole().voci[0], u"SCHEL1"_s);
        QCOMPARE(CodiceSistema, u"SCHEL1"_s);
        // Records of SKREG: the vertebra after the atlas and the header.
        QVERIFY(haAnello(v, 3));
        QVERIFY(!haAnello(v, 2));

        QTest::mouseClick(&v.HOTSPOTFISSO(1), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(v.tavola(), u"SCHEL1"_s);
        QTest::mouseClick(&v.HOTSPOTFISSO(1), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(s.home->isVisible());
    }

    // Up and Down choose among the rows; a result of another system switches the system.
    void nelVisoreAUnAltroSistema() {
        Sessione s;
        QTest::mouseClick(&s.home->lbl_HotSpot(0), Qt::LeftButton);
        QCoreApplication::processEvents();
        FMed1& v = s.viewer();
        QCOMPARE(v.tavola(), u"SCHEL1"_s);
        // "łokc": the ulna by a word of its name, then the biceps by its text.
        Ricerca& r = s.cerca(v, u"łokc"_s);
        QCOMPARE(r.elenco->count(), 2);
        QTest::keyClick(r.campo, Qt::Key_Down);
        QTest::keyClick(r.campo, Qt::Key_Down);
        QCOMPARE(r.elenco->currentRow(), 1);
        QTest::keyClick(r.campo, Qt::Key_Up);
        QTest::keyClick(r.campo, Qt::Key_Down);
        QTest::keyClick(r.campo, Qt::Key_Enter);
        QCoreApplication::processEvents();
        QCOMPARE(v.tavola(), u"muscava"_s);
        QCOMPARE(v.storiaTavole().conteggio, 0);
        QCOMPARE(CodiceSistema, u"muscava"_s);
        QCOMPARE(DescrizioneSistema, u"Mięśnie"_s);
        QVERIFY(haAnello(v, 2));

        // A click anywhere takes the ring off.
        QTest::mouseClick(&v.DISASGEO, Qt::LeftButton, {}, QPoint(300, 300));
        QTRY_VERIFY(!haAnello(v, 2));
    }

    void escChiudeERendeLaTastiera() {
        Sessione s;
        QTest::mouseClick(&s.home->lbl_HotSpot(0), Qt::LeftButton);
        QCoreApplication::processEvents();
        FMed1& v = s.viewer();
        v.setFocus();
        Ricerca& r = s.cerca(v, u"zzz"_s);
        QCOMPARE(r.esito->text(), u"Brak wyników"_s);
        QVERIFY(r.campo->hasFocus());
        QTest::keyClick(r.campo, Qt::Key_Escape);
        QVERIFY(!r.isVisible());
        QVERIFY(v.hasFocus());
    }

    // The index is built off the screen's thread: the panel says so, the screens go on
    // answering, and the results come in by themselves once it is ready.
    void indiceInCostruzioneRisultatiArrivanoDaSoli() {
        Sessione s;
        Ricerca& r = s.apri(*s.home, u"kręg szyjny"_s);
        QCOMPARE(r.esito->text(), u"Wyszukiwanie: indeks w budowie…"_s);
        QCOMPARE(r.elenco->count(), 0);
        QTRY_COMPARE(r.elenco->count(), 1);
        QCOMPARE(r.esito->text(), u"Wyniki: 1"_s);
        QCOMPARE(r.elenco->item(0)->text(), u"Kręg szyjny"_s);
    }

    // A FIFO as the hotspot table and a link to an endless device as the system descriptions:
    // the index is built all the same (empty), neither blocked nor fed without end, and the
    // program can end.
    void fileSpecialiNonBloccanoLIndice() {
        Sessione s;
        QVERIFY(creaFifo(s.host.percorsoHost(AtlanteDiProva::Dati + u"hsmed.bin"_s)));
        const QString desAppa = s.host.percorsoHost(AtlanteDiProva::Dati + u"DesAppa.bin"_s);
        QFile::remove(desAppa);
        QVERIFY(QFile::link(u"/dev/zero"_s, desAppa));
        Ricerca& r = s.cerca(*s.home, u"kręg szyjny"_s);
        QCOMPARE(r.esito->text(), u"Brak wyników"_s);
    }

    // The index follows the installation: a caption added while the program runs is found.
    void atlanteCambiatoTrovatoAllaRicercaSeguente() {
        Sessione s;
        QCOMPARE(s.cerca(*s.home, u"mostek"_s).elenco->count(), 0);
        s.atlante.righe.append(hotspot("SCHEL1", "MOSTEK", 300, 10, 320, 50));
        s.atlante.testi.insert(u"MOSTEK.RTF"_s, didascaliaDiProva(u"Mostek"_s, {}));
        s.atlante.scrivi();
        QTest::keyClick(s.home->findChild<Ricerca*>()->campo, Qt::Key_Escape);
        QCOMPARE(s.cerca(*s.home, u"mostek"_s).elenco->count(), 1);
    }
};

QTEST_MAIN(TestRicerca)
#include "test_ricerca.moc"
