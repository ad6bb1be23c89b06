// The plate viewer driven through the real forms, from the home screen on, over a fixture atlas.

#include "FMed1.h"

#include "Fileini.h"
#include "Inchiostro.h"
#include "SistemaScelto.h"
#include "StoreDiProva.h"
#include "VisitaDiProva.h"

#include "Accessibilita.h"
#include "Navigazione.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

const QColor Rosso(200, 30, 30), Verde(30, 160, 60), Blu(40, 60, 200);

// Skeleton (SCHEL1): header, a caption hotspot, a link to OSSA, a hotspot near the screen's
// right edge and one near its bottom; records of other plates interleaved. OSSA links back to
// itself and on to a plate with no records and to one without a picture.
struct Visita : VisitaDiProva {
    Visita() {
        atlante.righe = {
            hotspot("OSSA", "O1", 10, 10, 50, 50, "OSSA"),
            intestazione("SCHEL1", "DSCHEL", 0, 0, 5, 5),
            hotspot("SCHEL1", "CZASZKA", 20, 30, 120, 90),
            intestazione("OSSA", "DOSSA"),
            hotspot("SCHEL1", "LINK", 200, 200, 260, 260, "OSSA"),
            hotspot("OSSA", "O2", 60, 60, 90, 90, "VUOTA"),
            hotspot("SCHEL1", "DESTRA", 390, 10, 397, 20),
            hotspot("SCHEL1", "BASSO", 10, 470, 20, 479),
            hotspot("OSSA", "O3", 100, 100, 150, 150, "NOFOTO"),
            intestazione("NOFOTO", "DNOFOTO"),
            hotspot("NOFOTO", "N1", 1, 1, 30, 30),
            hotspot("SCHEL1", "MANCA", 300, 20, 320, 40),
        };
        atlante.testi = {{u"DSCHEL.RTF"_s, rtfDiProva(u"Szkielet człowieka"_s)},
                         {u"DOSSA.RTF"_s, rtfDiProva(u"Kości"_s)},
                         {u"DNOFOTO.RTF"_s, "Opis bez RTF"},
                         {u"CZASZKA.RTF"_s, rtfDiProva(u"Czaszka"_s)},
                         {u"DESTRA.RTF"_s, rtfDiProva(u"Prawy brzeg"_s)},
                         {u"BASSO.RTF"_s, rtfDiProva(u"Dolny\nbrzeg\nna\npięć\nwierszy"_s)},
                         {u"O1.RTF"_s, rtfDiProva(u"x"_s)}};
        atlante.tavole = {{u"SCHEL1.png"_s, immagineDiProva(398, 480, Rosso)},
                          {u"OSSA.png"_s, immagineDiProva(398, 480, Verde)},
                          {u"VUOTA.png"_s, immagineDiProva(398, 480, Blu)}};
        atlante.descrizioni = {{u"SCHEL1"_s, u"Układ kostny"_s}};
        mostraHome();
    }

    void pulsante(int i, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseClick(&viewer().HOTSPOTFISSO(i), b);
        QCoreApplication::processEvents();
    }
    QColor coloreTavola() const {
        const QImage p = viewer().DISASGEO.Picture();
        return p.isNull() ? QColor() : p.pixelColor(5, 5);
    }
    // The pointer is back to the default after every action.
    bool puntatoreLibero() const { return host.schermo.puntatore == Puntatore::Predefinito; }
};

} // namespace

class TestFMed1 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    void dallaHomeAlleTavoleEIndietro() {
        Visita v;
        v.apri();
        FMed1& f = v.viewer();
        QVERIFY(f.isVisible() && !v.home->isVisible());
        QCOMPARE(f.tavola(), u"SCHEL1"_s);
        QCOMPARE(v.coloreTavola(), Rosso);
        QCOMPARE(f.numeroHotSpot(), 6); // the header is hotspot 1
        const EtichettaDisegnata& cranio = f.hotspot()(2);
        QCOMPARE(
            (QList<double>{cranio.LeftTw(), cranio.TopTw(), cranio.WidthTw(), cranio.HeightTw()}),
            (QList<double>{300, 450, 1530, 930}));
        QVERIFY(cranio.Visible() && cranio.BorderStyle() == 0 && cranio.BackStyle() == 0);
        QVERIFY(!f.hotspot()(0).Visible());
        QVERIFY(f.Ftdv_Testo.Visible());
        QCOMPARE(f.Ftdv_Testo.Text(), u"Szkielet człowieka"_s);
        QVERIFY(v.puntatoreLibero());

        // A caption opens at the hotspot's corner, titled with the body system.
        v.clicHotspot(2);
        Frm_Testo& t = Frm_Testo::istanza();
        QVERIFY(t.Visible());
        QCOMPARE(t.QXCapVir1.caption(), u"Układ kostny"_s);
        QCOMPARE(t.Ftdv_Didascalia.Text(), u"Czaszka"_s);
        QCOMPARE(t.LeftTw(), f.FONDO.LeftTw() + f.DISASGEO.LeftTw() + 300);
        QCOMPARE(t.TopTw(), f.FONDO.TopTw() + f.DISASGEO.TopTw() + 450);
        QCOMPARE(t.HeightTw(), 930 + 345 + 20 + 20.0); // one line at 10 points
        QVERIFY(inchiostro(t, t.Ftdv_Didascalia.geometry()) > 20);
        QVERIFY(v.puntatoreLibero());
        // A click elsewhere closes it.
        QTest::mouseClick(&f.FONDO, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!t.Visible());
        // A hotspot without a caption entry closes a caption that was showing.
        v.clicHotspot(2);
        QVERIFY(t.Visible());
        f.HOTSPOT_Click(6);
        QVERIFY(!t.Visible());

        // A link: the plate changes, its hotspots and description come with it.
        v.clicHotspot(2);
        v.clicHotspot(3);
        QCOMPARE(f.tavola(), u"OSSA"_s);
        QCOMPARE(v.coloreTavola(), Verde);
        QCOMPARE(f.numeroHotSpot(), 4);
        QCOMPARE(f.Ftdv_Testo.Text(), u"Kości"_s);
        QVERIFY(inchiostro(f.Ftdv_Testo) > 20);
        QCOMPARE(f.storiaTavole().conteggio, 1);
        QVERIFY(!t.Visible()); // the click on the link closed it
        // A plate linking to itself is pushed and loaded again.
        v.clicHotspot(1);
        QCOMPARE(f.tavola(), u"OSSA"_s);
        QCOMPARE(f.storiaTavole().conteggio, 2);
        QCOMPARE(f.numeroHotSpot(), 4);

        // Back walks the history.
        v.pulsante(1);
        QCOMPARE(f.tavola(), u"OSSA"_s);
        v.pulsante(1, Qt::RightButton); // only the left button acts
        QCOMPARE(f.tavola(), u"OSSA"_s);
        v.pulsante(1);
        QCOMPARE(f.tavola(), u"SCHEL1"_s);
        QCOMPARE(v.coloreTavola(), Rosso);
        QCOMPARE(f.numeroHotSpot(), 6);
        QVERIFY(inchiostro(f.Ftdv_Testo) > 20);
        QVERIFY(v.puntatoreLibero());
        // With nothing left, back returns home and unloads the viewer.
        v.pulsante(1);
        QVERIFY(v.home->isVisible() && !f.isVisible() && !f.Caricata());
        QCOMPARE(f.numeroHotSpot(), 0);
        QVERIFY(v.puntatoreLibero());

        // The next visit starts afresh: empty history, no description until one is loaded.
        CodiceSistema.clear();
        v.atlante.descrizioni = {{u"muscava"_s, u"Mięśnie"_s}};
        v.atlante.scrivi();
        v.apri(1); // muscava: no records at all
        QVERIFY(f.Caricata() && f.isVisible());
        QCOMPARE(f.tavola(), u"muscava"_s);
        QCOMPARE(f.numeroHotSpot(), 0);
        QVERIFY(!f.Ftdv_Testo.Visible());
        QCOMPARE(f.storiaTavole().conteggio, 0);
        v.pulsante(1);
        QVERIFY(v.home->isVisible() && !f.Caricata());
    }

    // 101 links, then 101 backs: the 101st key was dropped, the walk back skips the plate
    // left last, and the 101st back goes home.
    void centoUnCollegamenti() {
        Visita v;
        v.atlante.righe.clear();
        for (int i = 0; i <= 101; ++i) {
            const QByteArray k = i == 0 ? "SCHEL1" : "P" + QByteArray::number(i);
            v.atlante.righe.append(hotspot(k, "L", 1, 1, 20, 20, "P" + QByteArray::number(i + 1)));
        }
        v.atlante.scriviTabella();
        v.apri();
        FMed1& f = v.viewer();
        for (int i = 1; i <= 101; ++i)
            v.clicHotspot(1);
        QCOMPARE(f.tavola(), u"P101"_s);
        QCOMPARE(f.storiaTavole().conteggio, 100);
        QStringList ritorno;
        for (int i = 0; i < 100; ++i) {
            v.pulsante(1);
            ritorno << f.tavola();
        }
        QCOMPARE(ritorno.first(), u"P99"_s);
        QCOMPARE(ritorno.at(98), u"P1"_s);
        QCOMPARE(ritorno.last(), u"SCHEL1"_s);
        QVERIFY(f.isVisible());
        v.pulsante(1);
        QVERIFY(v.home->isVisible() && !f.Caricata());
    }

    // A plate with no records keeps the description; one without a picture keeps the picture
    // but brings its own hotspots and description (even when that is not RTF).
    void tavoleSenzaRecordOSenzaFigura() {
        Visita v;
        v.apri();
        FMed1& f = v.viewer();
        v.clicHotspot(3); // OSSA
        v.clicHotspot(3); // VUOTA: no records
        QCOMPARE(f.tavola(), u"VUOTA"_s);
        QCOMPARE(v.coloreTavola(), Blu);
        QCOMPARE(f.numeroHotSpot(), 0);
        QCOMPARE(f.Ftdv_Testo.Text(), u"Kości"_s);
        v.pulsante(1);
        v.clicHotspot(4); // NOFOTO
        QCOMPARE(f.tavola(), u"NOFOTO"_s);
        QCOMPARE(v.coloreTavola(), Verde);
        QCOMPARE(f.numeroHotSpot(), 2);
        QCOMPARE(f.Ftdv_Testo.Text(), u"Opis bez RTF"_s);
        QVERIFY(v.host.box.mostrati.isEmpty() && v.puntatoreLibero());
    }

    // Damaged data never stops the browsing: no crash, no hourglass left, a message where the
    // user must know.
    void datiDanneggiati() {
        Visita v;
        // Rectangles outside the picture, a truncated last record, numbers that are not.
        v.atlante.righe.append(hotspot("SCHEL1", "FUORI", 900, 900, 999, 999));
        v.atlante.righe.append({"SCHEL1", "STRANO", {}, "x1", "-5", "abc", "", {}, {}});
        QByteArray tabella = tabellaHsmed(v.atlante.righe) +
                             recordHsmed(hotspot("SCHEL1", "TRONCO", 1, 1, 9, 9)).left(29);
        v.host.scriviFile(AtlanteDiProva::Dati + u"hsmed.bin"_s, tabella);
        v.apri();
        FMed1& f = v.viewer();
        // The cut record is named once, and the plate keeps what could be read.
        QCOMPARE(v.host.box.mostrati.size(), 1);
        QVERIFY(v.host.box.mostrati.takeFirst().testo.contains(u"hsmed.bin"_s));
        QCOMPARE(f.numeroHotSpot(), 9);
        QCOMPARE(f.hotspot()(7).LeftTw(), 13500.0);
        QCOMPARE(f.hotspot()(8).TopTw(), -75.0);
        // The keyboard's ring on a hotspot off the screen stays on the screen.
        for (int n : {7, 8}) {
            Navigazione::di(f).imposta(&f.hotspot()(n));
            const QWidget* anello = f.findChild<QWidget*>(u"hn_anello"_s);
            QVERIFY(anello->isVisible() && f.rect().contains(anello->geometry()));
        }
        f.HOTSPOT_Click(7); // outside the picture, no caption entry: nothing opens
        QVERIFY(!Frm_Testo::istanza().Visible());
        // The text store damaged after the plate was loaded: a Polish message, the caption
        // stays closed, the viewer goes on.
        v.host.scriviFile(AtlanteDiProva::Dati + u"hsmed.dat"_s, "PK\x03\x04 uszkodzony");
        v.clicHotspot(2);
        QCOMPARE(v.host.box.mostrati.size(), 1);
        QVERIFY(v.host.box.mostrati[0].testo.contains(u"CZASZKA"_s));
        QVERIFY(!Frm_Testo::istanza().Visible() && v.puntatoreLibero());
        // The table gone: the next plate has no hotspots, clicks find nothing.
        QFile::remove(v.host.percorsoHost(AtlanteDiProva::Dati + u"hsmed.bin"_s));
        v.clicHotspot(3);
        QCOMPARE(f.tavola(), u"OSSA"_s);
        QCOMPARE(f.numeroHotSpot(), 0);
        f.HOTSPOT_Click(1);
        QVERIFY(v.puntatoreLibero());
        v.pulsante(1);
        QCOMPARE(f.tavola(), u"SCHEL1"_s);
        QCOMPARE(f.numeroHotSpot(), 0);
        QCOMPARE(v.coloreTavola(), Rosso);
    }

    // Read as a screen reader reads it: the buttons by their labels, caption hotspots by the bold
    // opening of their caption (else its first line), links and the header by the plate; the
    // hand-over text is not there. Pressing through the tool does what a click does.
    void letturaAssistita() {
        Visita v;
        v.atlante.testi.insert(u"DESTRA.RTF"_s,
                               "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b Prawy\\b0 "
                               " \\b brzeg\\b0  \\endash  opis\\par}");
        v.atlante.scrivi();
        v.apri();
        FMed1& f = v.viewer();
        QMap<QString, QAccessible::Role> letti;
        QList<QAccessibleInterface*> daVedere{QAccessible::queryAccessibleInterface(&f)};
        while (!daVedere.isEmpty()) {
            QAccessibleInterface* i = daVedere.takeFirst();
            QVERIFY(i->object() != &f.ATXCopiaEStampa && i->object() != &f.Label1);
            for (int k = 0; k < i->childCount(); ++k)
                daVedere.append(i->child(k));
            if (i->actionInterface() && !i->actionInterface()->actionNames().isEmpty())
                letti.insert(i->text(QAccessible::Name), i->role());
        }
        using R = QAccessible::Role;
        QCOMPARE(letti, (QMap<QString, R>{{u"Koniec"_s, R::Button},
                                          {u"Wstecz"_s, R::Button},
                                          {u"Start"_s, R::Button},
                                          {u"Szukaj (Ctrl+F)"_s, R::Button},
                                          {u"Kopiuj"_s, R::Button},
                                          {u"Drukuj"_s, R::Button},
                                          {u"Pomoc"_s, R::Button},
                                          {u"Szkielet człowieka"_s, R::Button},
                                          {u"Czaszka"_s, R::Button},
                                          {u"Kości"_s, R::Link},
                                          {u"Prawy brzeg"_s, R::Button},
                                          {u"Dolny"_s, R::Button},
                                          {u"MANCA"_s, R::Button},
                                          {u"Opis planszy"_s, R::EditableText}}));
        QAccessible::queryAccessibleInterface(&f.hotspot()(2))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
        QVERIFY(Frm_Testo::istanza().Visible());
        QCOMPARE(Frm_Testo::istanza().accessibleName(), u"Czaszka"_s);
        Frm_Testo::istanza().ImpostaVisible(false);
        // The key a button is read with does what the button does; Koniec has none.
        const auto tastoDi = [&f](int i) {
            return QAccessible::queryAccessibleInterface(&f.HOTSPOTFISSO(i))
                ->actionInterface()
                ->keyBindingsForAction(QAccessibleActionInterface::pressAction())
                .value(0);
        };
        QVERIFY(tastoDi(0).isEmpty());
        QTest::keySequence(&f, QKeySequence(tastoDi(5)));
        QCOMPARE(v.host.guida.aperti.size(), 1);
        QTest::keySequence(&f, QKeySequence(tastoDi(1))); // no plate to go back to: home
        QCoreApplication::processEvents();
        QVERIFY(v.home->isVisible() && !f.Caricata());
    }

    // A structure in pieces (two parts of its shape and its label) is one stop for the keyboard
    // and one item for assistive tools, at its topmost record; each piece opens its caption.
    void strutturaInPiuRecord() {
        Visita v;
        v.atlante.righe.append(hotspot("SCHEL1", "CZASZKA", 130, 30, 150, 40));
        v.atlante.righe.append(hotspot("SCHEL1", "CZASZKA", 300, 100, 380, 118));
        v.atlante.scrivi();
        v.apri();
        FMed1& f = v.viewer();
        const int cima = f.numeroHotSpot(); // the label, written last
        QList<QObject*> czaszka;
        for (QObject* o : Navigazione::di(f).voci())
            if (QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name) == u"Czaszka"_s)
                czaszka.append(o);
        QCOMPARE(czaszka, QList<QObject*>{&f.hotspot()(cima)});
        int letti = 0;
        QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(&f.DISASGEO);
        for (int k = 0; k < picture->childCount(); ++k)
            letti += picture->child(k)->text(QAccessible::Name) == u"Czaszka"_s;
        QCOMPARE(letti, 1);
        // Handing the keyboard to any piece puts it on the one that stands for the structure.
        Navigazione::di(f).imposta(&f.hotspot()(2));
        QCOMPARE(Navigazione::di(f).corrente(), &f.hotspot()(cima));
        for (const QPoint p : {QPoint(25, 35), QPoint(140, 35), QPoint(340, 110)}) {
            Frm_Testo::istanza().ImpostaVisible(false);
            QTest::mouseClick(&f.DISASGEO, Qt::LeftButton, {}, p);
            QCoreApplication::processEvents();
            QVERIFY(Frm_Testo::istanza().Visible());
            QCOMPARE(Frm_Testo::istanza().accessibleName(), u"Czaszka"_s);
        }
    }

    // Tab meets the plate's structures one after the other, from its top to its bottom: not
    // the description panel or the buttons beside it halfway through.
    void tabSullaTavolaInUnBlocco() {
        Visita v;
        v.apri();
        FMed1& f = v.viewer();
        QStringList ordine;
        qsizetype primo = -1, ultimo = -1;
        const QList<QObject*> voci = Navigazione::di(f).voci();
        for (qsizetype i = 0; i < voci.size(); ++i) {
            ordine.append(
                QAccessible::queryAccessibleInterface(voci.at(i))->text(QAccessible::Name));
            if (qobject_cast<EtichettaDisegnata*>(voci.at(i))) {
                primo = primo < 0 ? i : primo;
                ultimo = i;
            }
        }
        const QString letto = ordine.join(u" | ");
        QVERIFY2(primo >= 0, qPrintable(letto));
        for (qsizetype i = primo; i <= ultimo; ++i)
            QVERIFY2(qobject_cast<EtichettaDisegnata*>(voci.at(i)), qPrintable(letto));
        // Within the plate, reading order: the top row first, the bottom label last.
        QCOMPARE(ordine.at(ultimo), u"Dolny"_s);
        QVERIFY2(ordine.indexOf(u"Czaszka"_s) < ordine.indexOf(u"Kości"_s), qPrintable(letto));
    }

    // The keyboard alone, from the home screen to a caption, back and to the start again.
    void percorsoDaTastiera() {
        Visita v;
        const auto tasto = [](QWidget& w, int k, Qt::KeyboardModifiers m = {}) {
            QTest::keyClick(&w, Qt::Key(k), m);
            QCoreApplication::processEvents();
        };
        // Tab to the item read as `nome`.
        const auto vaiA = [&tasto](Forma& forma, const QString& nome) {
            for (int i = 0; i < 20; ++i) {
                tasto(forma, Qt::Key_Tab);
                if (const QWidget* w = QApplication::focusWidget();
                    w && w->objectName() == u"ATXCopiaEStampa"_s)
                    return false; // a working control took the keyboard
                QObject* c = Navigazione::di(forma).corrente();
                if (c && QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name) == nome)
                    return true;
            }
            return false;
        };
        QVERIFY(vaiA(*v.home, u"Szkielet"_s));
        tasto(*v.home, Qt::Key_Return);
        FMed1& f = v.viewer();
        QVERIFY(f.isVisible() && f.tavola() == u"SCHEL1"_s);
        QVERIFY(vaiA(f, u"Czaszka"_s));
        QObject* const czaszka = Navigazione::di(f).corrente();
        // The caption: a dialog named after the structure, the keyboard in its text; Esc and
        // Tab each close it and hand the keyboard back to the structure.
        Frm_Testo& t = Frm_Testo::istanza();
        for (const int chiude : {int(Qt::Key_Escape), int(Qt::Key_Tab)}) {
            tasto(f, Qt::Key_Space);
            QVERIFY(t.Visible());
            QAccessibleInterface* dialogo = QAccessible::queryAccessibleInterface(&t);
            QCOMPARE(dialogo->role(), QAccessible::Dialog);
            QCOMPARE(dialogo->text(QAccessible::Name), u"Czaszka"_s);
            QTRY_COMPARE(QApplication::focusWidget(), &t.Ftdv_Didascalia);
            QAccessibleTextInterface* testo =
                QAccessible::queryAccessibleInterface(&t.Ftdv_Didascalia)->textInterface();
            QVERIFY(testo->text(0, testo->characterCount()).startsWith(u"Czaszka"_s));
            tasto(*QApplication::focusWidget(), chiude);
            QVERIFY(!t.Visible());
            QCOMPARE(Navigazione::di(f).corrente(), czaszka);
        }
        QVERIFY(vaiA(f, u"Kości"_s));
        tasto(f, Qt::Key_Return);
        QCOMPARE(f.tavola(), u"OSSA"_s);
        // From inside the description too: the panel reads, it does not take Back.
        QVERIFY(vaiA(f, u"Opis planszy"_s));
        QVERIFY(f.Ftdv_Testo.hasFocus());
        tasto(*QApplication::focusWidget(), Qt::Key_Backspace);
        QCOMPARE(f.tavola(), u"SCHEL1"_s);
        // Back from the keyboard lands on the structure that led away, ring and all.
        QObject* ritorno = Navigazione::di(f).corrente();
        QVERIFY(ritorno);
        QCOMPARE(QAccessible::queryAccessibleInterface(ritorno)->text(QAccessible::Name),
                 u"Kości"_s);
        QVERIFY(f.findChild<QWidget*>(u"hn_anello"_s)->isVisible());
        tasto(f, Qt::Key_Left, Qt::AltModifier); // nothing left: home
        QVERIFY(v.home->isVisible() && !f.Caricata());
        v.apri();
        QVERIFY(vaiA(f, u"Kości"_s));
        tasto(f, Qt::Key_Return);
        tasto(f, Qt::Key_Home, Qt::AltModifier);
        QVERIFY(v.home->isVisible() && !f.Caricata());
    }

    // A plate of 100,000 records opens without exhausting the window system: its first 32,767
    // records are its hotspots, numbered in file order, and the topmost takes the click.
    void tavolaDiCentomilaRecord() {
        Visita v;
        v.atlante.righe = {intestazione("SCHEL1", "DSCHEL")};
        for (int i = 1; i < 100000; ++i)
            v.atlante.righe.append(hotspot("SCHEL1", "H" + QByteArray::number(i), i % 380,
                                           (i / 380) % 460, i % 380 + 8, (i / 380) % 460 + 8));
        v.atlante.scriviTabella();
        v.atlante.testi.insert(u"H32766.RTF"_s, rtfDiProva(u"Ostatni"_s));
        v.atlante.scrivi();
        v.apri();
        FMed1& f = v.viewer();
        QCOMPARE(f.numeroHotSpot(), 32767);
        QCOMPARE(f.hotspot()(32767).LeftTw(), 32766 % 380 * 15.0);
        QVERIFY(!f.grab().isNull());
        v.clicHotspot(32767);
        QVERIFY(Frm_Testo::istanza().Visible());
        QCOMPARE(Frm_Testo::istanza().Ftdv_Didascalia.Text(), u"Ostatni"_s);
    }

    // Copy and print hand the description and its selection over, then call the registered
    // opener with the viewer, the buffer and the plate picture.
    void copiaEStampaConsegnanoLaDescrizione() {
        Visita v;
        QList<std::tuple<QString, Forma*, KorAtx*, KorAtx*, FXImage*>> aperti;
        const auto registra = [&](const QString& chi) {
            return [&aperti, chi](Forma* c, KorAtx* t, KorAtx* d, FXImage* i) {
                aperti.append({chi, c, t, d, i});
            };
        };
        agganciViewer.ApriCopia = registra(u"copia"_s);
        agganciViewer.ApriStampa = registra(u"stampa"_s);
        v.apri();
        FMed1& f = v.viewer();
        f.Ftdv_Testo.setSelStart(2);
        f.Ftdv_Testo.setSelLength(4);
        v.pulsante(3);
        v.pulsante(4);
        QCOMPARE(aperti.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const auto& [chi, c, t, d, img] = aperti[i];
            QCOMPARE(chi, i == 0 ? u"copia"_s : u"stampa"_s);
            QVERIFY(c == &f && t == &f.ATXCopiaEStampa && !d && img == &f.DISASGEO);
        }
        f.ATXCopiaEStampa.setSelFType(KorAtx::kTestoSemplice);
        QCOMPARE(f.ATXCopiaEStampa.SelText(), u"kiel"_s);
        QVERIFY(f.ATXCopiaEStampa.FText().contains(u"Szkielet"_s));
        QVERIFY(f.ATXCopiaEStampa.Visible() &&
                f.ATXCopiaEStampa.x() + f.ATXCopiaEStampa.width() <= 0);
        QVERIFY(v.puntatoreLibero());
        // A link clicked just before home is pressed is not followed once the viewer is gone.
        QTest::mouseClick(&f.DISASGEO, Qt::LeftButton, {}, f.hotspot()(3).rettangolo().center());
        f.HOTSPOTFISSO_MouseUp(2, 1);
        QCoreApplication::processEvents();
        QVERIFY(!f.Caricata() && v.home->isVisible());
        QCOMPARE(f.tavola(), u"SCHEL1"_s);
        QCOMPARE(f.numeroHotSpot(), 0);
        // Exit ends the program at once.
        QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato, f.HOTSPOTFISSO_MouseUp(0, 1));
        QVERIFY(v.host.fine.terminato);
    }
};

QTEST_MAIN(TestFMed1)
#include "test_fmed1.moc"
