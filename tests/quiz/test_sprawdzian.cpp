// The self-test over the real viewer: the three ways of answering, the second miss, the score
// kept, and Esc leaving the viewer as it was.

#include "Sprawdzian.h"

#include "Accessibilita.h"
#include "EtichetteDisegnate.h"
#include "IndiceRicerca.h"
#include "Navigazione.h"
#include "StoreDiProva.h"
#include "VisitaDiProva.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

static QTemporaryDir configurazione;
static void configurazioneTemporanea() {
    qputenv("XDG_CONFIG_HOME", configurazione.path().toUtf8());
}
Q_CONSTRUCTOR_FUNCTION(configurazioneTemporanea)

namespace {

// The ulna drawn twice (shape and label), the collarbone, a link to the spine and its vertebra.
struct Sessione : VisitaDiProva {
    Sessione() {
        atlante.righe = {
            intestazione("SCHEL1", "DSCHEL"),
            hotspot("SCHEL1", "LOKC", 20, 30, 120, 90),
            hotspot("SCHEL1", "OBOJ", 150, 30, 220, 90),
            hotspot("SCHEL1", "LOKC", 20, 300, 120, 340),
            hotspot("SCHEL1", "LINK", 200, 200, 260, 260, "SKREG"),
            intestazione("SKREG", "DSKREG"),
            hotspot("SKREG", "KREG", 50, 50, 90, 90),
        };
        const QString opis = u"– opis struktury dość długi, by było co czytać."_s;
        atlante.testi = {
            {u"DSCHEL.RTF"_s, didascaliaDiProva(u"Układ kostny"_s, {})},
            {u"DSKREG.RTF"_s, didascaliaDiProva(u"Kręgosłup"_s, {})},
            {u"LOKC.RTF"_s, didascaliaDiProva(u"Kość łokciowa"_s, opis)},
            {u"OBOJ.RTF"_s, didascaliaDiProva(u"Obojczyk"_s, opis)},
            {u"KREG.RTF"_s, didascaliaDiProva(u"Kręg szyjny"_s, opis)},
        };
        for (const char* t : {"SCHEL1", "SKREG"})
            atlante.tavole.insert(QString::fromLatin1(t) + u".png"_s,
                                  immagineDiProva(398, 480, Qt::gray));
        atlante.descrizioni = {{u"SCHEL1"_s, u"Układ kostny"_s}};
        agganciViewer.Giro = [](FMed1& v) { Sprawdzian::aggancia(v); };
        mostraHome();
        apri();
        QApplication::setActiveWindow(&viewer());
    }
    Sprawdzian& giro(bool sistema = false) {
        QTest::keyClick(&viewer(), Qt::Key_T,
                        sistema ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        return *Sprawdzian::di(viewer());
    }
    const atlante::Domanda& domanda(Sprawdzian& s) { return s.giro()[s.numero()]; }
    void scrivi(Sprawdzian& s, const QString& testo) {
        s.risposta->setText(testo);
        QTest::keyClick(s.risposta, Qt::Key_Return);
    }
};

bool didascaliaMostrata() {
    return Frm_Testo::creata() && Frm_Testo::istanza().Visible();
}

} // namespace

class TestSprawdzian : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    void treModiDiRispondereConcordano_data() {
        QTest::addColumn<int>("modo");
        QTest::newRow("click on the shape") << 0;
        QTest::newRow("click on the second record") << 1;
        QTest::newRow("Tab to it and Enter") << 2;
        QTest::newRow("name typed, no Polish letters") << 3;
    }
    void treModiDiRispondereConcordano() {
        QFETCH(int, modo);
        Sessione x;
        Sprawdzian& s = x.giro();
        QVERIFY(s.inCorso());
        QCOMPARE(s.giro().size(), 2); // two structures, the ulna's two records asked once
        const atlante::Domanda d = x.domanda(s);
        QVERIFY(s.domanda->text().startsWith(u"______ – opis"_s));
        if (modo < 2) {
            x.clicHotspot(d.hotspot.value(modo, d.hotspot.first()));
        } else if (modo == 2) {
            // From the answer field, Tab walks on to the plate's structures.
            const QObject* meta =
                &x.viewer().hotspot().rappresentante(x.viewer().hotspot()(d.hotspot.first()));
            QWidget* fuoco = s.risposta;
            for (int i = 0; i < 20 && Navigazione::di(x.viewer()).corrente() != meta; ++i) {
                QTest::keyClick(fuoco, Qt::Key_Tab);
                fuoco = QApplication::focusWidget();
            }
            QCOMPARE(Navigazione::di(x.viewer()).corrente(), meta);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCoreApplication::processEvents();
        } else {
            x.scrivi(s, atlante::normalizza(d.nome).toUpper());
        }
        QCOMPARE(s.esito->text(), u"Dobrze! To %1."_s.arg(d.nome));
        QCOMPARE(s.esito->accessibleName(), s.esito->text());
        QCOMPARE(s.giuste(), 1);
        QVERIFY(!didascaliaMostrata());
        const auto* cornice = x.viewer().DISASGEO.findChild<QWidget*>(u"cornice"_s);
        QVERIFY(cornice->isVisible());
        QVERIFY(cornice->geometry().contains(x.viewer().hotspot()(d.hotspot.last()).rettangolo()));
        s.avanti();
        QVERIFY(!cornice->isVisible());
    }

    // Two misses name the answer; the score counts it wrong and lists it; the best is kept and
    // shown at the next round.
    void erroriPunteggioEMigliore() {
        Sessione x;
        Sprawdzian& s = x.giro();
        const atlante::Domanda pierwsza = x.domanda(s);
        x.scrivi(s, u"zła odpowiedź"_s);
        QCOMPARE(s.esito->text(), u"Spróbuj jeszcze raz."_s);
        x.clicHotspot(pierwsza.hotspot.first() == 3 ? 2 : 3); // the other structure
        QCOMPARE(s.esito->text(), u"Nie. To jest %1."_s.arg(pierwsza.nome));
        s.avanti();
        x.scrivi(s, u"zła"_s); // a right second try still counts
        x.scrivi(s, x.domanda(s).nome);
        QTRY_VERIFY(s.esito->text().startsWith(u"Wynik: 1/2."_s));
        QVERIFY(s.domanda->text().contains(pierwsza.nome));
        // The structure missed opens its caption from the list.
        QVERIFY(!didascaliaMostrata());
        Q_EMIT s.domanda->linkActivated(u"0"_s);
        QVERIFY(didascaliaMostrata());
        QTest::keyClick(&x.viewer(), Qt::Key_Escape);
        QVERIFY(!s.inCorso());
        QVERIFY(x.giro().titolo->text().contains(u"najlepszy wynik 1/2\nPytanie 1 z 2"_s));
    }

    // The keyboard through a round, from the home screen: Tab, Enter on the first body system,
    // Ctrl+T, Tab, Enter answers on the plate's first structure and nothing ends the program.
    // While the round runs Tab walks the plate's possible answers and the answer field only; Esc
    // gives the whole ring back, with Koniec as its last stop.
    void tastieraInUnGiro() {
        Sessione x;
        FMed1& v = x.viewer();
        QTest::keyClick(&v, Qt::Key_Home, Qt::AltModifier);
        QCoreApplication::processEvents();
        QVERIFY(x.home->isVisible());
        QApplication::setActiveWindow(x.home.get());
        QTest::keyClick(x.home.get(), Qt::Key_Tab);
        QCOMPARE(Navigazione::di(*x.home).corrente(), &x.home->lbl_HotSpot(0));
        QTest::keyClick(x.home.get(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(v.isVisible());
        QApplication::setActiveWindow(&v);

        Sprawdzian& s = x.giro();
        QCOMPARE(QApplication::focusWidget(), s.risposta);
        Navigazione& n = Navigazione::di(v);
        const QList<QObject*> cerchia = n.voci();
        QCOMPARE(cerchia.last(), s.risposta);
        for (QObject* o : cerchia.first(cerchia.size() - 1)) {
            const auto* e = qobject_cast<EtichettaDisegnata*>(o);
            QVERIFY(e && &e->Array() == &v.hotspot());
            QVERIFY(!v.hotspot().descrivi(e->Index()).collegamento);
        }
        // Each structure asked once, then the answer; the link to the spine is no answer.
        QCOMPARE(cerchia.size(), s.giro().size() + 1);

        QTest::keyClick(s.risposta, Qt::Key_Tab);
        QCOMPARE(n.corrente(), cerchia.first());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), s.risposta);
        QCOMPARE(n.corrente(), s.risposta);
        QTest::keyClick(s.risposta, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!x.host.fine.terminato);
        QVERIFY(s.inCorso());
        QVERIFY(s.esito->text().startsWith(u"Dobrze"_s) ||
                s.esito->text() == u"Spróbuj jeszcze raz."_s);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!s.inCorso());
        const QList<QObject*> tutta = n.voci();
        QVERIFY(!tutta.contains(s.risposta));
        QCOMPARE(tutta.last(), &v.HOTSPOTFISSO(0));
        QVERIFY(tutta.contains(&v.HOTSPOTFISSO(1)));
    }

    // A score that cannot be saved (here a folder stands where the file goes) is said to be
    // lost, not announced as kept.
    void punteggioNonSalvatoDettoAllUtente() {
        const QString file = configurazione.path() + u"/hnemar/sprawdzian.ini"_s;
        QFile::remove(file);
        QVERIFY(QDir().mkpath(file + u"/zajęte"_s));
        Sessione x;
        Sprawdzian& s = x.giro();
        for (int i = 0; i < s.giro().size(); ++i) {
            x.scrivi(s, x.domanda(s).nome);
            s.avanti();
        }
        QTRY_VERIFY(s.esito->text().startsWith(u"Wynik: 2/2."_s));
        QVERIFY2(s.esito->text().contains(u"Nie udało się zapisać wyniku"_s),
                 qPrintable(s.esito->text()));
        QVERIFY(!s.esito->text().contains(u"Nowy najlepszy"_s));
        QDir(file).removeRecursively();
    }

    // A round over the system moves between plates; Esc brings back the plate and its history.
    void escLasciaIlVisoreComEra() {
        Sessione x;
        FMed1& v = x.viewer();
        Sprawdzian& s = x.giro(true);
        QCOMPARE(s.giro().size(), 3);
        while (x.domanda(s).tavola != u"SKREG"_s)
            s.avanti();
        QCOMPARE(v.tavola(), u"SKREG"_s);
        x.clicHotspot(x.domanda(s).hotspot.first());
        QVERIFY(s.esito->text().startsWith(u"Dobrze"_s));
        QTest::keyClick(s.risposta, Qt::Key_Escape);
        QVERIFY(!s.isVisible());
        QCOMPARE(v.tavola(), u"SCHEL1"_s);
        QCOMPARE(v.storiaTavole().conteggio, 0);
        // Clicks open captions again.
        x.clicHotspot(2);
        QVERIFY(didascaliaMostrata());
        // A round left open when the viewer closes is not there at the next visit.
        x.giro();
        QTest::mouseClick(&v.HOTSPOTFISSO(2), Qt::LeftButton);
        QCoreApplication::processEvents();
        QTest::mouseClick(&x.home->lbl_HotSpot(0), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(v.isVisible());
        QVERIFY(!s.isVisible());
        // Back in a round ends it, then walks the history the user had.
        v.apriTavola({u"SCHEL1"_s, u"SKREG"_s}, 0);
        x.giro();
        QVERIFY(s.isVisible());
        QTest::mouseClick(&v.HOTSPOTFISSO(1), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!s.isVisible());
        QCOMPARE(v.tavola(), u"SCHEL1"_s);
        QCOMPARE(v.storiaTavole().conteggio, 0);
    }
};

QTEST_MAIN(TestSprawdzian)
#include "test_sprawdzian.moc"
