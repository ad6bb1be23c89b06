// The home screen loaded against a fixture installation: layout on each screen, frames, the
// body-system clicks handing over to a stand-in viewer, descriptions and backgrounds.

#include "Accessibilita.h"
#include "ApriForm.h"
#include "BlobStore.h"
#include "Cp1250.h"
#include "FMed.h"
#include "Fifo.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "Installazione.h"
#include "Mod_Graph.h"
#include "Navigazione.h"
#include "Palco.h"
#include "Riga.h"
#include "SistemaScelto.h"
#include "StatoPulito.h"
#include "StoreDiProva.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

// Stands in for the plate viewer: records what it found when asked to prepare itself.
class VisoreFinto : public Forma {
    Q_OBJECT
public:
    VisoreFinto()
        : Forma(QStringLiteral("FMed1")) {}
    int caricamenti = 0;
    QStringList lanci;
    Q_INVOKABLE void Lanciata() { lanci << CodiceSistema + u'|' + DescrizioneSistema; }

protected:
    void Form_Load() override { ++caricamenti; }
};

const QString Sfondo = QStringLiteral("D:\\SFONDI\\sistemi.bmp");
const QString DesAppa = QStringLiteral("D:\\DATI\\DesAppa.bin");

QByteArray linea(const QString& codice, const QString& descrizione) {
    return encodeCp1250(codice.leftJustified(10) + descrizione + QStringLiteral("\r\n"));
}

// The description file with one line per code, "Opis CODE ąę" padded as the data is.
QByteArray desAppaCompleto() {
    QByteArray dati;
    for (const QString& c : FMed::codiciSistemi())
        dati += linea(c, QStringLiteral("  Opis %1 ąę  ").arg(c));
    return dati;
}

struct Casa {
    explicit Casa(int w = 1024, int h = 768)
        : host(w, h)
        , installazione(host) {
        installazione.scrivi();
        host.scriviFile(Sfondo, immagineDiProva(1024, 768, Qt::darkCyan, "BMP"));
        host.scriviFile(DesAppa, desAppaCompleto());
        FMed::registraVisore([this] {
            auto v = std::make_unique<VisoreFinto>();
            visore = v.get();
            ++visoriCreati;
            return v;
        });
    }
    StatoPulito stato{[] {
        Mod_Graph::HotCorrente = nullptr;
        FMed::registraVisore({});
    }};
    HostDiProva host;
    Installazione installazione;
    VisoreFinto* visore = nullptr;
    int visoriCreati = 0;
};

void muovi(QWidget* w) {
    const QPointF p(2, 2);
    QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

QColor colore(const ControlloConPicture& c) {
    return c.Picture().pixelColor(100, 100);
}

} // namespace

class TestFMed : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    void primaIstanzaAvviaEDaIlNomeAllaFinestra();
    void secondaIstanzaFinisceInSilenzio();
    void caricamento();
    void corniciDaCaricoAScarico();
    void ricentraAlDipintoDopoCambioSchermo();
    void clicSistema_data();
    void clicSistema();
    void visoreRicaricatoAOgniScelta();
    void senzaVisoreRestaQui();
    void descrizione_data();
    void descrizione();
    void descrizioneSenzaFile_data();
    void descrizioneSenzaFile();
    void sfondo_data();
    void sfondo();
    void sfondoIllegibileFinisce();
    void hotspotFissi();
    void tastieraELetturaAssistita();
    void clicAlCentroSulMonitor_data();
    void clicAlCentroSulMonitor();
};

void TestFMed::primaIstanzaAvviaEDaIlNomeAllaFinestra() {
    Casa c(800, 600);
    FMed f;
    f.Form_Load();
    QCOMPARE(f.windowTitle(), QStringLiteral("Velto 2002"));
    QCOMPARE(f.size(), QSize(800, 600));
    QCOMPARE(Fileini::cfg.PathFoto, QStringLiteral("D:\\DATI\\"));
}

void TestFMed::secondaIstanzaFinisceInSilenzio() {
    Casa c;
    FileInstanceLock primo(c.host.cartella.path() + QStringLiteral("/hnemar.lock"));
    QVERIFY(primo.acquire());
    FMed f;
    QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato, f.Form_Load());
    QVERIFY(c.host.box.mostrati.isEmpty());
    QCOMPARE(Fileini::cfg.IniModulo, QString()); // start-up never ran
}

// The layout is checked for every screen size with the screen routines; here, that the home
// screen lays itself out at load.
void TestFMed::caricamento() {
    Casa c(1280, 1024);
    FMed f;
    // Centred at load already, before any activation does it again.
    f.Load();
    QCOMPARE(f.FONDO->pos(), QPoint(128, 128));
    f.Show();
    QVERIFY(c.host.box.mostrati.isEmpty());
    // A larger screen counts as the smallest mode; the painting is centred on the whole screen.
    QCOMPARE(f.geometry(), QRect(0, 0, 640, 480));
    QCOMPARE(f.FONDO->pos(), QPoint(128, 128));
    QCOMPARE(f.FONDO->size(), QSize(1024, 768));
    QCOMPARE(colore(*f.FONDO), QColor(Qt::darkCyan));
    for (ControlloForma* e : f.Controls()) {
        if (e->TypeName() != "Label")
            continue;
        QCOMPARE(qobject_cast<Etichetta*>(e)->BorderStyle(), 0);
        QCOMPARE(e->MousePointer(), 99);
        QVERIFY(!e->Tag.isEmpty());
    }
    QCOMPARE(f.lbl_HotSpot(6).geometry(), QRect(389, 435, 123, 61));
    QCOMPARE(f.HOTSPOTFISSO(5).geometry(), QRect(768, 148, 39, 47));
}

void TestFMed::corniciDaCaricoAScarico() {
    Casa c;
    FMed f;
    f.Show();
    QCOMPARE(f.NumeroCornici, 13);
    QCOMPARE(f.Linea.Count(), 13 * 12 + 1);
    QVERIFY(!f.Linea(0).Visible());
    // Hotspot 3 is the fourth group: its first four lines frame it, raised.
    muovi(&f.lbl_HotSpot(3));
    QCOMPARE(Mod_Graph::HotCorrente.data(), &f.lbl_HotSpot(3));
    const Linea& alto = f.Linea(3 * 12 + 1);
    QVERIFY(alto.Visible());
    QCOMPARE(alto.BorderColor(), QColor(Qt::white));
    QCOMPARE(QPointF(alto.X1(), alto.Y1()), QPointF(8625, 3225));
    QCOMPARE(alto.X2(), 8625.0 + 1815);
    QCOMPARE(f.Linea(3 * 12 + 3).BorderColor(), QColor(Qt::black));
    muovi(&f.HOTSPOTFISSO(0));
    QVERIFY(!alto.Visible());
    QVERIFY(f.Linea(11 * 12 + 1).Visible());
    muovi(f.FONDO);
    QVERIFY(!f.Linea(11 * 12 + 1).Visible());
    QVERIFY(f.Unload());
    QCOMPARE(f.Linea.Count(), 1);
    QCOMPARE(Mod_Graph::HotCorrente.data(), nullptr);
}

void TestFMed::ricentraAlDipintoDopoCambioSchermo() {
    Casa c;
    FMed f;
    f.Show();
    QCOMPARE(f.FONDO->pos(), QPoint(0, 0));
    // Only a new height counts.
    c.host.schermo.setSize(800, 768);
    f.FONDO->repaint();
    QCoreApplication::processEvents();
    QCOMPARE(f.FONDO->pos(), QPoint(0, 0));
    c.host.schermo.setSize(800, 600);
    f.lbl_HotSpot(2).repaint();
    QTRY_COMPARE(f.FONDO->pos(), QPoint(-112, -84));
}

void TestFMed::clicSistema_data() {
    QTest::addColumn<int>("indice");
    QTest::addColumn<QString>("codice");
    const QStringList codici = {"SCHEL1", "muscava", "DIGER1",  "NERVOS",   "CIRCOL", "LINFAT",
                                "SENSO",  "RESPIR",  "urinari", "RIPROGEN", "ENDOC1"};
    for (int i = 0; i < codici.size(); ++i)
        QTest::addRow("%d %s", i, qPrintable(codici[i])) << i << codici[i];
}

void TestFMed::clicSistema() {
    QFETCH(int, indice);
    QFETCH(QString, codice);
    Casa c(800, 600);
    FMed f;
    f.Show();
    CodiceSistema = "prima";
    QTest::mouseClick(&f.lbl_HotSpot(indice), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(CodiceSistema, codice);
    QCOMPARE(DescrizioneSistema, "Opis " + codice + " ąę");
    QVERIFY(c.visore);
    QCOMPARE(c.visore->lanci, QStringList{codice + "|Opis " + codice + " ąę"});
    QVERIFY(c.visore->isVisible());
    QVERIFY(!f.isVisible());
    QVERIFY(f.Caricata());
    QCOMPARE(QRect(c.visore->pos(), c.visore->size()), QRect(0, 0, 800, 600));
    QCOMPARE(c.visore->Caption(), "Velto 2002");
}

void TestFMed::visoreRicaricatoAOgniScelta() {
    Casa c;
    FMed f;
    f.Show();
    f.lbl_HotSpot_Click(0);
    // The viewer goes back and unloads itself, as it does when the user returns.
    Mod_Comuni::ApriForm(*c.visore, f);
    QVERIFY(c.visore->Unload());
    QVERIFY(f.isVisible());
    f.lbl_HotSpot_Click(8);
    QCOMPARE(c.visoriCreati, 1);
    QCOMPARE(c.visore->caricamenti, 2);
    QCOMPARE(c.visore->lanci.last(), "urinari|Opis urinari ąę");
    // An index with no code keeps the last one.
    f.lbl_HotSpot_Click(12);
    QCOMPARE(CodiceSistema, "urinari");
    f.lbl_HotSpot_Click(11);
    QCOMPARE(CodiceSistema, "orecch");
}

void TestFMed::senzaVisoreRestaQui() {
    Casa c;
    FMed::registraVisore({});
    FMed f;
    f.Show();
    f.lbl_HotSpot_Click(2);
    QCOMPARE(CodiceSistema, "DIGER1");
    QVERIFY(f.isVisible());
}

void TestFMed::descrizione_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("codice");
    QTest::addColumn<QString>("attesa");
    const QByteArray due = linea("SCHEL1", "Szkielet") + linea("DIGER1", "Trawienie");
    riga("padded and trimmed", linea("SCHEL1", "   Kości i stawy   "), "SCHEL1", "Kości i stawy");
    riga("case-sensitive", linea("schel1", "Szkielet"), "SCHEL1", "");
    riga("first match wins", due + linea("DIGER1", "Drugi"), "DIGER1", "Trawienie");
    riga("absent code", due, "NERVOS", "");
    riga("LF endings, no last newline", QByteArray("SCHEL1    Szkielet\nDIGER1    Trawienie"),
         "DIGER1", "Trawienie");
    riga("the code is the first ten characters", QByteArray("RIPROGEN12Rozrod\r\n"), "RIPROGEN",
         "");
    riga("code only, no description", QByteArray("ENDOC1\r\n"), "ENDOC1", "");
    riga("empty file is an error", QByteArray(), "SCHEL1", "Blad w : D:\\DATI\\DesAppa.bin");
}

void TestFMed::descrizione() {
    QFETCH(QByteArray, file);
    QFETCH(QString, codice);
    QFETCH(QString, attesa);
    Casa c;
    Fileini::cfg.PathDati = "D:\\DATI\\";
    c.host.scriviFile(DesAppa, file);
    FMed f;
    QCOMPARE(f.DescrizioneDaFile(codice), attesa);
}

void TestFMed::descrizioneSenzaFile_data() {
    QTest::addColumn<bool>("fifo");
    riga("no file", false);
    riga("a FIFO in its place", true);
}

// A file that cannot be read, even one that would block, gives the error text at once.
void TestFMed::descrizioneSenzaFile() {
    QFETCH(bool, fifo);
    Casa c;
    QFile::remove(c.host.percorsoHost(DesAppa));
    if (fifo)
        QVERIFY(creaFifo(c.host.percorsoHost(DesAppa)));
    FMed f;
    f.Show();
    {
        EntroUnSecondo scadenza;
        f.lbl_HotSpot_Click(6);
    }
    QCOMPARE(CodiceSistema, "SENSO");
    QCOMPARE(DescrizioneSistema, "Blad w : D:\\DATI\\DesAppa.bin");
    QVERIFY(c.host.box.mostrati.isEmpty());
}

void TestFMed::sfondo_data() {
    QTest::addColumn<QString>("immagine");
    QTest::addColumn<bool>("suDisco");
    QTest::addColumn<QString>("voce");
    QTest::addColumn<QColor>("attesa");
    riga("from the file", Sfondo, true, "", QColor(Qt::darkCyan));
    riga("from the store", Sfondo, false, "sistemi.bmp", QColor(Qt::red));
    riga("JPG kept as bmp", "D:\\SFONDI\\foto.jpg", false, "foto.bmp", QColor(Qt::red));
    riga("not in the store: picture kept", "D:\\SFONDI\\manca.bmp", false, "altro.bmp",
         QColor(Qt::blue));
}

void TestFMed::sfondo() {
    QFETCH(QString, immagine);
    QFETCH(bool, suDisco);
    QFETCH(QString, voce);
    QFETCH(QColor, attesa);
    Casa c;
    Fileini::AvvioModulo();
    if (!suDisco)
        QFile::remove(c.host.percorsoHost(Sfondo));
    if (!voce.isEmpty())
        blob::scriviStore(c.host.percorsoHost("D:\\SFONDI\\Bit_Hd.ff"),
                          {{voce, immagineDiProva(300, 200, Qt::red, "BMP"), {}}});
    FMed f;
    Riquadro r(&f, "pittura");
    r.ImpostaPicture([] {
        QImage i(300, 200, QImage::Format_RGB32);
        i.fill(Qt::blue);
        return i;
    }());
    f.CaricaSfondo(r, immagine);
    QCOMPARE(colore(r), attesa);
    QVERIFY(!c.host.fine.terminato);
}

void TestFMed::sfondoIllegibileFinisce() {
    Casa c;
    Fileini::AvvioModulo();
    FMed f;
    Riquadro r(&f, "pittura");
    // Outside the backgrounds folder and missing: message 23 names it, then the end.
    QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato, f.CaricaSfondo(r, "C:\\ALTROVE\\x.bmp"));
    QCOMPARE(c.host.box.mostrati.size(), 1);
    QCOMPARE(c.host.box.mostrati[0].testo, "Messaggio 23 C:\\ALTROVE\\x.bmp");
    QCOMPARE(c.host.box.mostrati[0].stile, Stile::OK);
    // On disk but no picture: reported in a sentence that names the file, with message 251 as
    // the context, then the end.
    c.host.box.mostrati.clear();
    c.host.scriviFile(Sfondo, "not a picture");
    QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato, f.CaricaSfondo(r, Sfondo));
    QCOMPARE(c.host.box.mostrati.size(), 1);
    QCOMPARE(c.host.box.mostrati[0].testo,
             QStringLiteral("Obraz tła %1 jest uszkodzony albo nie jest obrazem (Messaggio 251, "
                            "błąd nr 481).")
                 .arg(c.host.percorsoHost(Sfondo)));
}

void TestFMed::hotspotFissi() {
    Casa c;
    FMed f;
    f.Show();
    c.host.schermo.storiaPuntatore.clear();
    QTest::mouseClick(&f.HOTSPOTFISSO(5), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(c.host.guida.aperti, QStringList{"C:\\VELTO\\HNEMAR\\halvo.hlp"});
    QCOMPARE(c.host.schermo.storiaPuntatore, QList<int>({11, 0}));
    QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato, f.HOTSPOTFISSO_Click(0));
    QVERIFY(f.Caricata()); // no unload events
    f.HOTSPOTFISSO_Click(3);
    QVERIFY(c.host.box.mostrati.isEmpty());
    QCOMPARE(c.visore, nullptr);
}

// As a screen reader and a keyboard user meet the screen: thirteen buttons named as their cards
// read, in reading order under Tab; arrows to the nearest; Enter, F1 and the tool's Press act as
// clicks do.
void TestFMed::tastieraELetturaAssistita() {
    Casa c;
    FMed f;
    f.Show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QAccessibleInterface* fondo = QAccessible::queryAccessibleInterface(f.FONDO);
    QMap<QString, QAccessibleInterface*> pulsanti;
    for (int i = 0; i < fondo->childCount(); ++i) {
        QAccessibleInterface* p = fondo->child(i);
        QCOMPARE(p->role(), QAccessible::Button);
        QCOMPARE(p->actionInterface()->actionNames(),
                 QStringList{QAccessibleActionInterface::pressAction()});
        pulsanti.insert(p->text(QAccessible::Name), p);
    }
    QCOMPARE(pulsanti.size(), 13);

    QStringList ordine;
    for (int i = 0; i < 13; ++i) {
        QTest::keyClick(&f, Qt::Key_Tab);
        ordine << QAccessible::queryAccessibleInterface(fondo->focusChild()->object())
                      ->text(QAccessible::Name);
    }
    // The body systems first; Koniec, which ends the program at once, last.
    QCOMPARE(ordine,
             QStringList({u"Szkielet"_s, u"Mięśnie"_s, u"Trawienie"_s, u"Nerwy"_s, u"Krążenie"_s,
                          u"Limfa"_s, u"Zmysły"_s, u"Wydalanie"_s, u"Hormony"_s, u"Oddychanie"_s,
                          u"Rozród"_s, u"Pomoc"_s, u"Koniec"_s}));
    QVERIFY(pulsanti[u"Koniec"_s]->state().focused);
    QTest::keyClick(&f, Qt::Key_Tab); // round to the first
    QCOMPARE(fondo->focusChild()->text(QAccessible::Name), u"Szkielet"_s);
    for (const QString& nome : {u"Koniec"_s, u"Pomoc"_s, u"Rozród"_s}) {
        QTest::keyClick(&f, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(fondo->focusChild()->text(QAccessible::Name), nome);
    }
    for (const auto& [tasto, nome] :
         {std::pair(Qt::Key_Up, u"Wydalanie"_s), std::pair(Qt::Key_Left, u"Zmysły"_s),
          std::pair(Qt::Key_Up, u"Trawienie"_s)}) {
        QTest::keyClick(&f, tasto);
        QCOMPARE(fondo->focusChild()->text(QAccessible::Name), nome);
    }

    QTest::keyClick(&f, Qt::Key_F1);
    QCOMPARE(c.host.guida.aperti.size(), 1);
    QTest::keyClick(&f, Qt::Key_Return);
    QCOMPARE(CodiceSistema, u"DIGER1"_s);
    QVERIFY(c.visore && c.visore->isVisible() && !f.isVisible());
    f.Show();
    pulsanti[u"Zmysły"_s]->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(CodiceSistema, u"SENSO"_s);
    QCOMPARE(c.visore->lanci.size(), 2);
}

QTEST_MAIN(TestFMed)
// Today's monitors: the program sees 1024 × 768 placed on a stage; a click on the whole device
// pixel under each hotspot's centre, mapped back through the stage, selects that system.
void TestFMed::clicAlCentroSulMonitor_data() {
    QTest::addColumn<QSize>("monitor");
    for (const QSize m : {QSize(1920, 1080), QSize(2560, 1440), QSize(1366, 768)})
        QTest::addRow("%dx%d", m.width(), m.height()) << m;
}

void TestFMed::clicAlCentroSulMonitor() {
    QFETCH(QSize, monitor);
    const GeometriaPalco g = calcolaPalco(monitor, ModoScala::Adatta);
    QCOMPARE(g.schermo, QSize(1024, 768));
    const QStringList& codici = FMed::codiciSistemi();
    for (int i = 0; i < 11; ++i) {
        Casa c(g.schermo.width(), g.schermo.height());
        FMed f;
        f.Show();
        QCOMPARE(f.pos(), QPoint());
        const Etichetta& h = f.lbl_HotSpot(i);
        const QPointF centro = QRectF(h.mapTo(&f, QPoint(0, 0)), QSizeF(h.size())).center();
        const QPointF suMonitor = g.versoMonitor(centro);
        const QPointF clic =
            g.versoSchermo(QPointF(std::floor(suMonitor.x()), std::floor(suMonitor.y())));
        QWidget* sotto = f.childAt(clic.toPoint());
        QVERIFY2(sotto, qPrintable(codici[i]));
        CodiceSistema = "prima";
        QTest::mouseClick(sotto, Qt::LeftButton, {}, sotto->mapFrom(&f, clic.toPoint()));
        QCOMPARE(CodiceSistema, codici[i]);
        QCOMPARE(f.lbl_HotSpot.UBound(), 10);
    }
}

#include "test_fmed.moc"
