// The self-test over the real viewer: the choice of kinds, the ways of answering each, the
// second miss, the score kept, the diary each answer updates, the review round, and Esc leaving
// the viewer as it was.

#include "Sprawdzian.h"

#include "Pamiec.h"
#include "Zaslona.h"

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
#include <QPushButton>
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
    // Ctrl+T (Ctrl+Shift+T for the system) and the kind's number in the choice.
    Sprawdzian& giro(bool sistema = false, char tipo = '1') {
        QTest::keyClick(&viewer(), Qt::Key_T,
                        sistema ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        Sprawdzian& s = *Sprawdzian::di(viewer());
        if (s.inScelta())
            QTest::keyClick(QApplication::focusWidget(), tipo);
        return s;
    }
    const atlante::Domanda& domanda(Sprawdzian& s) { return s.giro()[s.numero()]; }
    void scrivi(Sprawdzian& s, const QString& testo) {
        s.risposta->setText(testo);
        QTest::keyClick(s.risposta, Qt::Key_Return);
    }
};

QString diario() {
    return configurazione.path() + u"/hnemar/powtorki.txt"_s;
}

// The memory a structure has after one answer of this grade, today.
atlante::ripasso::Memoria dopoUnaRisposta(atlante::ripasso::Voto voto) {
    return atlante::ripasso::aggiorna({}, voto, pamiec::oggi());
}

atlante::ripasso::Memoria memoriaDi(const QString& nome) {
    return pamiec::carica().memoria(atlante::ripasso::chiaveStruttura(nome));
}

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
    // Each case starts with no diary: what it finds there is what its answers wrote.
    void init() { QFile::remove(diario()); }

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
    // Ctrl+T offers the kinds; each starts by its number, Tab and Enter reach them too, Z
    // switches to the whole system, Esc closes with the description back.
    void sceltaDeiTipiDaTastiera() {
        Sessione x;
        FMed1& v = x.viewer();
        QVERIFY(v.Ftdv_Testo.isVisible());
        QTest::keyClick(&v, Qt::Key_T, Qt::ControlModifier);
        Sprawdzian& s = *Sprawdzian::di(v);
        QVERIFY(s.inScelta());
        QCOMPARE(QApplication::focusWidget(), s.rodzaje.first());
        QVERIFY(!v.Ftdv_Testo.isVisible()); // the panel lies over it: no text read from under it
        QCOMPARE(Navigazione::di(v).voci().size(), s.rodzaje.size() + 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!s.inScelta());
        QCOMPARE(s.rodzaj(), Sprawdzian::Rodzaj::GdzieJest);
        QCOMPARE(s.giro().size(), 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!s.inCorso());
        QVERIFY(v.Ftdv_Testo.isVisible());

        QTest::keyClick(&v, Qt::Key_T, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z);
        QVERIFY(s.titolo->text().contains(u"cały układ"_s));
        QTest::keyClick(QApplication::focusWidget(), '3');
        QCOMPARE(s.rodzaj(), Sprawdzian::Rodzaj::CoToJest);
        QCOMPARE(s.giro().size(), 3); // the vertebra of the linked plate too
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(v.tavola(), u"SCHEL1"_s);
    }

    // "Gdzie jest…?": the name given, every label covered, the hotspots read as numbers; a click
    // on the structure's label or Enter on it from the keyboard answers, and the diary learns it.
    void gdzieJestPerClicEPerTastiera() {
        Sessione x;
        FMed1& v = x.viewer();
        Sprawdzian& s = x.giro(false, '2');
        QCOMPARE(s.rodzaj(), Sprawdzian::Rodzaj::GdzieJest);
        while (x.domanda(s).codice != u"LOKC"_s)
            s.avanti();
        const atlante::Domanda d = x.domanda(s);
        QVERIFY(s.domanda->text().contains(d.nome));
        // The ulna's label (its second, flat record) lies under the one patch; the collarbone
        // drawn alone has none, its shape stays in sight.
        QCOMPARE(s.zaslona().toppe().size(), 1);
        QCOMPARE(s.zaslona().toppe().first().rettangolo, v.hotspot()(4).rettangolo());
        QVERIFY(s.zaslona().isVisible());
        for (int n = 2; n <= 4; ++n)
            QVERIFY(v.hotspot().descrivi(n).nome.startsWith(u"Struktura "_s));
        // The keyboard starts on the plate, on a structure.
        QVERIFY(qobject_cast<EtichettaDisegnata*>(Navigazione::di(v).corrente()));
        x.clicHotspot(4);
        QCOMPARE(s.esito->text(), u"Dobrze! To %1."_s.arg(d.nome));
        QVERIFY(!didascaliaMostrata());
        QCOMPARE(memoriaDi(d.nome), dopoUnaRisposta(atlante::ripasso::Voto::Bene));
        // Answered, its label is uncovered.
        QVERIFY(s.zaslona().toppe().isEmpty());
        QTest::keyClick(&v, Qt::Key_Escape);
        QVERIFY(!s.inCorso());
        QCOMPARE(v.hotspot().descrivi(4).nome, u"Kość łokciowa"_s);
    }

    // "Co to jest?": the structure marked, its name typed. Exact is right, a slip or a pick
    // among four is right but hard, two misses wrong; each grade reaches the diary.
    void coToJestGradiNelDiario_data() {
        QTest::addColumn<QStringList>("scritte");
        QTest::addColumn<bool>("quattro");
        QTest::addColumn<int>("voto");
        using V = atlante::ripasso::Voto;
        QTest::newRow("exact, no Polish letters")
            << QStringList{u"KOSC LOKCIOWA"_s} << false << int(V::Bene);
        QTest::newRow("one letter wrong")
            << QStringList{u"kość łokciowe"_s} << false << int(V::Difficile);
        QTest::newRow("two letters swapped")
            << QStringList{u"kość łokicowa"_s} << false << int(V::Difficile);
        QTest::newRow("plural of the name")
            << QStringList{u"kości łokciowe"_s} << false << int(V::Difficile);
        QTest::newRow("picked among four") << QStringList{} << true << int(V::Difficile);
        QTest::newRow("wrong, then right")
            << QStringList{u"obojczyk"_s, u"kość łokciowa"_s} << false << int(V::Ancora);
        QTest::newRow("wrong twice")
            << QStringList{u"obojczyk"_s, u"kość udowa"_s} << false << int(V::Ancora);
    }
    void coToJestGradiNelDiario() {
        QFETCH(QStringList, scritte);
        QFETCH(bool, quattro);
        QFETCH(int, voto);
        QFile::remove(diario());
        Sessione x;
        Sprawdzian& s = x.giro(false, '3');
        QCOMPARE(s.rodzaj(), Sprawdzian::Rodzaj::CoToJest);
        while (x.domanda(s).codice != u"LOKC"_s)
            s.avanti();
        const atlante::Domanda d = x.domanda(s);
        // Marked, never named: the label's patch carries the question mark.
        QVERIFY(!s.domanda->text().contains(u"łokciow"_s));
        QCOMPARE(s.zaslona().toppe().size(), 1);
        QVERIFY(s.zaslona().toppe().first().segnata);
        QCOMPARE(QApplication::focusWidget(), s.risposta);
        if (quattro) {
            QTest::keyClick(s.risposta, Qt::Key_F2);
            QVERIFY(s.scelte->isVisible());
            int giusta = -1;
            QStringList nomi;
            for (int i = 0; i < s.alternative.size(); ++i)
                if (s.alternative[i]->isVisible()) {
                    nomi.append(s.alternative[i]->accessibleName());
                    if (s.alternative[i]->accessibleName() == d.nome)
                        giusta = i;
                }
            QCOMPARE(nomi.size(), 2); // all the plate has
            QVERIFY(giusta >= 0);
            QTest::keyClick(QApplication::focusWidget(), char('1' + giusta));
        }
        for (const QString& t : scritte)
            x.scrivi(s, t);
        QVERIFY2(s.esito->text().contains(d.nome), qPrintable(s.esito->text()));
        QCOMPARE(memoriaDi(d.nome), dopoUnaRisposta(atlante::ripasso::Voto(voto)));
        // Clicks on the plate open no caption while names are asked.
        x.clicHotspot(3);
        QVERIFY(!didascaliaMostrata());
    }

    // "Wszystkie etykiety": labels numbered in reading order, each uncovered once named.
    void tutteLeEtichetteInOrdine() {
        Sessione x;
        Sprawdzian& s = x.giro(false, '4');
        QCOMPARE(s.rodzaj(), Sprawdzian::Rodzaj::WszystkieEtykiety);
        QCOMPARE(s.giro().size(), 1); // only the ulna is labelled apart from its shape
        QCOMPARE(s.zaslona().toppe().first().numero, u"1"_s);
        QVERIFY(s.domanda->text().startsWith(u"Etykieta 1"_s));
        x.scrivi(s, u"kosc lokciowa"_s);
        QVERIFY(s.zaslona().toppe().isEmpty());
        s.avanti();
        QVERIFY(s.esito->text().startsWith(u"Wynik: 1/1."_s));
    }

    // A diary that cannot be saved is said so with the feedback, not hidden.
    void diarioNonSalvatoDettoAllUtente() {
        QFile::remove(diario());
        QVERIFY(QDir().mkpath(diario() + u"/zajęte"_s));
        Sessione x;
        Sprawdzian& s = x.giro(false, '3');
        x.scrivi(s, x.domanda(s).nome);
        QVERIFY2(s.esito->text().contains(u"Nie udało się zapisać postępów"_s),
                 qPrintable(s.esito->text()));
        QDir(diario()).removeRecursively();
    }

    // What the diary has due today, counted on the button; the review round asks it most
    // overdue first, opening each structure's plate, and lists the misses as links to them.
    void powtorkaDelleStruttureDovute() {
        QFile::remove(diario());
        using V = atlante::ripasso::Voto;
        const qint64 oggi = pamiec::oggi();
        pamiec::registra({{atlante::ripasso::chiaveStruttura(u"Kręg szyjny"_s), V::Ancora}},
                         oggi - 40);
        pamiec::registra({{atlante::ripasso::chiaveStruttura(u"Obojczyk"_s), V::Ancora}},
                         oggi - 10);
        // Answered today and right: not due.
        pamiec::registra({{atlante::ripasso::chiaveStruttura(u"Kość łokciowa"_s), V::Bene}}, oggi);
        // A structure the atlas no longer has is neither counted nor asked.
        pamiec::registra({{u"struktura usunieta"_s, V::Ancora}}, oggi - 5);
        Sessione x;
        FMed1& v = x.viewer();
        Sprawdzian& s = *Sprawdzian::di(v);
        QCOMPARE(Sprawdzian::quanteDaRipassare(), 2);
        QVERIFY(s.pulsantePowtorka->text().contains(u"do powtórki: 2"_s));
        QTest::keyClick(&v, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(s.inCorso());
        QCOMPARE(s.rodzaj(), Sprawdzian::Rodzaj::Powtorka);
        QCOMPARE(s.giro().size(), 2);
        QCOMPARE(x.domanda(s).nome, u"Kręg szyjny"_s);
        QCOMPARE(v.tavola(), u"SKREG"_s);
        x.scrivi(s, u"nie wiem"_s);
        x.scrivi(s, u"dalej nie wiem"_s);
        // Answered today, even wrongly, it is due again another day.
        QVERIFY(s.pulsantePowtorka->text().contains(u"do powtórki: 1"_s));
        s.avanti();
        QCOMPARE(x.domanda(s).nome, u"Obojczyk"_s);
        QCOMPARE(v.tavola(), u"SCHEL1"_s);
        x.scrivi(s, u"obojczyk"_s);
        QVERIFY(s.pulsantePowtorka->text().contains(u"nic na dziś"_s));
        s.avanti();
        QCOMPARE(s.mancate(), QList<int>{0});
        QVERIFY(s.domanda->text().contains(u"Kręg szyjny"_s));
        Q_EMIT s.domanda->linkActivated(u"0"_s);
        QCOMPARE(v.tavola(), u"SKREG"_s);
        QVERIFY(didascaliaMostrata());
        QTest::keyClick(&v, Qt::Key_Escape);
        QTest::keyClick(s.risposta, Qt::Key_Escape);
        QVERIFY(!s.inCorso());
        QCOMPARE(v.tavola(), u"SCHEL1"_s);
    }
    // The home screen's button: the count due, then a click opens the system of the first
    // structure due and starts the review there.
    void powtorkaDallaSchermataIniziale() {
        pamiec::registra(
            {{atlante::ripasso::chiaveStruttura(u"Kręg szyjny"_s), atlante::ripasso::Voto::Ancora}},
            pamiec::oggi() - 20);
        Sessione x;
        QTest::mouseClick(&x.viewer().HOTSPOTFISSO(2), Qt::LeftButton); // Start
        QCoreApplication::processEvents();
        QVERIFY(x.home->isVisible());
        Sprawdzian::agganciaHome(*x.home,
                                 [&x](int sistema) { x.home->lbl_HotSpot_Click(sistema); });
        auto* b = x.home->findChild<QPushButton*>(u"Powtorka"_s);
        QVERIFY(b);
        QCOMPARE(b->text(), u"Powtórka · do powtórki: 1"_s);
        QTest::mouseClick(b, Qt::LeftButton);
        QCoreApplication::processEvents();
        FMed1& v = x.viewer();
        QVERIFY(v.isVisible());
        Sprawdzian& s = *Sprawdzian::di(v);
        QVERIFY(s.inCorso());
        QCOMPARE(s.rodzaj(), Sprawdzian::Rodzaj::Powtorka);
        QCOMPARE(v.tavola(), u"SKREG"_s);
        QCOMPARE(QApplication::focusWidget(), s.risposta);
    }
};

QTEST_MAIN(TestSprawdzian)
#include "test_sprawdzian.moc"
