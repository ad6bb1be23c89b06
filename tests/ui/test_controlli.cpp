// The control kit: forms, label hit areas, shapes, picture boxes and line arrays, driven the way
// the screens drive them.

#include "Controlli.h"
#include "ErroreDi.h"
#include "EtichetteDisegnate.h"
#include "HostDiProva.h"
#include "Navigazione.h"
#include "Riga.h"

#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

using namespace hn;
using namespace Qt::StringLiterals;
using hn::prova::riga;

namespace {

// A form that records its events and can be told to refuse unloading.
class FormaDiProva : public Forma {
    Q_OBJECT
public:
    FormaDiProva()
        : Forma(QStringLiteral("FProva")) {}
    QStringList eventi;
    int rifiuta = 0;
    int ultimoTasto = -1;
    int chiamate = 0;
    Q_INVOKABLE void Lanciata() { ++chiamate; }

protected:
    void Form_Load() override { eventi << "Load"; }
    void Form_Activate() override { eventi << "Activate"; }
    void Form_QueryUnload(int& c, int modo) override {
        eventi << QStringLiteral("QueryUnload%1").arg(modo);
        c = rifiuta;
    }
    void Form_Unload(int&) override { eventi << "Unload"; }
    void Form_KeyPress(int& k) override { ultimoTasto = k; }
};

QImage tinta(int w, int h, QColor c) {
    QImage i(w, h, QImage::Format_RGB32);
    i.fill(c);
    return i;
}

// A 100 x 100 pixel form filled by a picture box of one colour, for what gets drawn on it.
Riquadro* fondoTinto(Forma& f, QColor c) {
    f.MoveTw(0, 0, 1500, 1500);
    auto* fondo = new Riquadro(&f, "FONDO");
    fondo->ImpostaPicture(tinta(100, 100, c));
    fondo->setAutoSize(true);
    return fondo;
}

} // namespace

class TestControlli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void geometriaInTwips();
    void clicEtichetta_data();
    void clicEtichetta();
    void etichettaDisattivataNonRisponde();
    void cicloDiVitaForma();
    void chiamataPerNome();
    void tastiInvioEdEsc();
    void controlliInOrdineConTipo();
    void anelloSiVedeSuOgniSfondo_data();
    void anelloSiVedeSuOgniSfondo();
    void arrayLinee();
    void lineeDisegnateDalContenitore();
    void lineaRidisegnaSoloDoveSta();
    void figuraBordoERiempimento();
    void riquadroAutoSize();
    void arrayControlliCaricaCopieNascoste();
    void etichetteDisegnate_data();
    void etichetteDisegnate();
};

void TestControlli::geometriaInTwips() {
    prova::HostDiProva h;
    FormaDiProva f;
    Etichetta e(&f, "lbl");
    e.MoveTw(3195, 3195, 1365, 2805);
    QCOMPARE(e.geometry(), QRect(213, 213, 91, 187));
    QCOMPARE(e.LeftTw(), 3195.0);
    e.setLeftTw(-1680);
    QCOMPARE(e.x(), -112);
    f.MoveTw(0, 0, 12000, 9000);
    QCOMPARE(f.size(), QSize(800, 600));
    QCOMPARE(f.WidthTw(), 12000.0);
}

void TestControlli::clicEtichetta_data() {
    QTest::addColumn<Qt::MouseButton>("tasto");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("clic");
    QTest::newRow("left clicks") << Qt::LeftButton << 1 << 1;
    QTest::newRow("right only presses") << Qt::RightButton << 2 << 0;
    QTest::newRow("middle only presses") << Qt::MiddleButton << 4 << 0;
}

void TestControlli::clicEtichetta() {
    QFETCH(Qt::MouseButton, tasto);
    QFETCH(int, button);
    QFETCH(int, clic);
    prova::HostDiProva h;
    FormaDiProva f;
    f.MoveTw(0, 0, 3000, 3000);
    Etichetta e(&f, "HOTSPOT", 3);
    e.MoveTw(150, 150, 1500, 1500);
    f.Show();
    QStringList ordine;
    int b = -1, s = -1;
    float x = -1, y = -1;
    connect(&e.eventi(), &EventiControllo::MouseDown, [&](int bb, int ss, float xx, float yy) {
        ordine << "Down";
        b = bb;
        s = ss;
        x = xx;
        y = yy;
    });
    connect(&e.eventi(), &EventiControllo::MouseUp,
            [&](int, int, float, float) { ordine << "Up"; });
    connect(&e.eventi(), &EventiControllo::Click, [&] { ordine << "Click"; });
    QTest::mouseClick(&e, tasto, Qt::ShiftModifier, QPoint(10, 20));
    QCOMPARE(b, button);
    QCOMPARE(s, 1);
    QCOMPARE(x, 150.0f);
    QCOMPARE(y, 300.0f);
    QCOMPARE(ordine.count("Click"), clic);
    if (clic)
        QCOMPARE(ordine, QStringList({"Down", "Up", "Click"}));
}

void TestControlli::etichettaDisattivataNonRisponde() {
    prova::HostDiProva h;
    FormaDiProva f;
    f.MoveTw(0, 0, 3000, 3000);
    Etichetta e(&f, "lbl");
    e.MoveTw(0, 0, 1500, 1500);
    f.Show();
    QSignalSpy clic(&e.eventi(), &EventiControllo::Click);
    e.ImpostaEnabled(false);
    QTest::mouseClick(&e, Qt::LeftButton);
    QCOMPARE(clic.count(), 0);
    QVERIFY(!e.Enabled());
    // A disabled form leaves its controls' own property alone.
    e.ImpostaEnabled(true);
    f.ImpostaEnabled(false);
    QVERIFY(e.Enabled());
    QTest::mouseClick(&e, Qt::LeftButton);
    QCOMPARE(clic.count(), 0);
}

void TestControlli::cicloDiVitaForma() {
    prova::HostDiProva h;
    FormaDiProva f;
    f.Load();
    f.Load();
    QCOMPARE(f.eventi, QStringList{"Load"});
    QCOMPARE(Forma::trova("fprova"), &f);
    f.Show();
    QCOMPARE(f.eventi, QStringList({"Load", "Activate"}));

    f.rifiuta = 1;
    QVERIFY(!f.Unload());
    QVERIFY(f.Caricata());
    QVERIFY(f.isVisible());
    f.rifiuta = 0;
    QVERIFY(f.Unload());
    QVERIFY(!f.Caricata());
    QVERIFY(!f.isVisible());
    QCOMPARE(Forma::trova("FProva"), nullptr);
    QCOMPARE(f.eventi, QStringList({"Load", "Activate", "QueryUnload1", "QueryUnload1", "Unload"}));
    // Loaded again, the form runs its load event again.
    f.Show();
    QCOMPARE(f.eventi.mid(5), QStringList({"Load", "Activate"}));
    f.close();
    QCOMPARE(f.eventi.last(), "Unload");
    QCOMPARE(f.eventi.at(f.eventi.size() - 2), "QueryUnload0");
}

void TestControlli::chiamataPerNome() {
    prova::HostDiProva h;
    FormaDiProva f;
    QVERIFY(f.chiamaPerNome("Lanciata"));
    QCOMPARE(f.chiamate, 1);
    QVERIFY(!f.chiamaPerNome("NonEsiste"));
}

void TestControlli::tastiInvioEdEsc() {
    prova::HostDiProva h;
    FormaDiProva f;
    f.Show();
    QTest::keyClick(&f, Qt::Key_Return);
    QCOMPARE(f.ultimoTasto, 13);
    QTest::keyClick(&f, Qt::Key_Escape);
    QCOMPARE(f.ultimoTasto, 27);
    QTest::keyClick(&f, Qt::Key_A);
    QCOMPARE(f.ultimoTasto, int('a'));
    // Disabled under a dialog, the form hands the keyboard to none of its items: no ring shows
    // on the first one, as a Tab would.
    auto* voce = new Etichetta(&f, "lbl");
    voce->MoveTw(150, 150, 600, 300);
    voce->setAccessibleName("Etykieta");
    voce->show();
    f.setFocus();
    f.ImpostaEnabled(false);
    QCOMPARE(Navigazione::di(f).corrente(), nullptr);
    f.ImpostaEnabled(true);
    // A dialog closed with the keyboard hands it back to the form below, a disabled one
    // excepted: the next key must reach a form, not a closed window.
    FormaDiProva sotto, dialogo;
    sotto.Show();
    dialogo.Show();
    QTRY_COMPARE(QGuiApplication::focusWindow(), dialogo.windowHandle());
    sotto.ImpostaEnabled(false);
    dialogo.Unload();
    QTRY_COMPARE(QGuiApplication::focusWindow(), f.windowHandle());
    dialogo.Show();
    QTRY_COMPARE(QGuiApplication::focusWindow(), dialogo.windowHandle());
    sotto.ImpostaEnabled(true);
    dialogo.Unload();
    QTRY_COMPARE(QGuiApplication::focusWindow(), sotto.windowHandle());
}

namespace {

double luminanza(QColor c) {
    const auto canale = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * canale(c.redF()) + 0.7152 * canale(c.greenF()) + 0.0722 * canale(c.blueF());
}

double contrasto(QColor a, QColor b) {
    const double la = luminanza(a), lb = luminanza(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// The keyboard's ring on the backgrounds the screens have: measured on the form as drawn, across
// its left side, its tones stand at least 3:1 apart, and one of them, at least two pixels wide,
// stands at least 3:1 against the background.
void TestControlli::anelloSiVedeSuOgniSfondo_data() {
    QTest::addColumn<QColor>("sfondo");
    riga("the stage's dark blue", QColor(0x18, 0x30, 0x48));
    riga("black", QColor(Qt::black));
    riga("white", QColor(Qt::white));
    riga("the viewer's grey", QColor(0xC0, 0xC0, 0xC0));
    riga("mid grey", QColor(0x76, 0x76, 0x76));
    riga("plate paper", QColor(0xf6, 0xef, 0xdf));
}

void TestControlli::anelloSiVedeSuOgniSfondo() {
    QFETCH(QColor, sfondo);
    prova::HostDiProva h;
    FormaDiProva f;
    QPalette p = f.palette();
    p.setColor(QPalette::Window, sfondo);
    f.setPalette(p);
    f.setAutoFillBackground(true);
    f.MoveTw(0, 0, 4500, 3000);
    auto* voce = new Etichetta(&f, "lbl");
    voce->MoveTw(1500, 1500, 1500, 750);
    voce->setAccessibleName("Etykieta");
    f.Show();
    Navigazione::di(f).imposta(voce);
    const QImage quadro = f.grab().toImage();
    const QRect r = Navigazione::di(f).rettangolo(voce);
    QMap<QRgb, int> toni;
    for (int x = r.left() - 12; x < r.left(); ++x)
        if (const QRgb c = quadro.pixel(x, r.center().y()); QColor(c) != sfondo)
            ++toni[c];
    // A tone the background's own colour does not show; the other must, alone.
    QVERIFY(!toni.isEmpty() && toni.size() <= 2);
    if (toni.size() == 2)
        QVERIFY(contrasto(QColor(toni.firstKey()), QColor(toni.lastKey())) >= 3);
    double migliore = 0;
    for (auto i = toni.cbegin(); i != toni.cend(); ++i)
        if (i.value() >= 2)
            migliore = std::max(migliore, contrasto(QColor(i.key()), sfondo));
    QVERIFY2(migliore >= 3, qPrintable(QString::number(migliore)));
}

void TestControlli::controlliInOrdineConTipo() {
    prova::HostDiProva h;
    FormaDiProva f;
    auto* fondo = new Riquadro(&f, "FONDO");
    new Etichetta(fondo, "lbl", 0);
    new Immagine(&f, "img");
    auto* via = new Figura(fondo, "EVID", 1);
    QStringList tipi;
    for (ControlloForma* c : f.Controls())
        tipi << c->objectName() + ":" + c->TypeName();
    QCOMPARE(tipi, QStringList({"FONDO:PictureBox", "lbl(0):Label", "img:Image", "EVID(1):Shape"}));
    QCOMPARE(f.controllo("evid", 1), via);
    delete via;
    QCOMPARE(f.Controls().size(), 3);
}

void TestControlli::arrayLinee() {
    prova::HostDiProva h;
    FormaDiProva f;
    ArrayLinee linea(&f, "Linea");
    linea(0).setBorderColor(Qt::red);
    linea(0).setPunti(1, 2, 3, 4);
    linea.Load(1);
    QVERIFY(!linea(1).Visible());
    QCOMPARE(linea(1).BorderColor(), QColor(Qt::red));
    QCOMPARE(linea(1).X2(), 3.0);
    QCOMPARE(linea.Count(), 2);
    QCOMPARE(prova::erroreDi([&] { linea.Load(1); }), 360);
    QCOMPARE(prova::erroreDi([&] { linea(2); }), 340);
    QCOMPARE(prova::erroreDi([&] { linea.Unload(0); }), 362);
    QCOMPARE(prova::erroreDi([&] { linea.Unload(7); }), 340);
    linea.Unload(1);
    QCOMPARE(linea.Count(), 1);
    QCOMPARE(linea.UBound(), 0);
}

void TestControlli::lineeDisegnateDalContenitore() {
    prova::HostDiProva h;
    FormaDiProva f;
    Riquadro* fondo = fondoTinto(f, Qt::gray);
    ArrayLinee linea(fondo, "Linea");
    linea(0).setVisible(false);
    linea.Load(1);
    linea(1).setPunti(150, 300, 1350, 300);
    linea(1).setBorderColor(QBColor(15));
    linea(1).setVisible(true);
    // A label made after the array must not hide the lines.
    auto* e = new Etichetta(fondo, "lbl");
    e->MoveTw(0, 0, 1500, 1500);
    f.Show();
    QImage quadro = fondo->grab().toImage();
    QCOMPARE(quadro.pixelColor(10, 20), QColor(Qt::white));
    QCOMPARE(quadro.pixelColor(10, 21), QColor(Qt::gray));
    QCOMPARE(quadro.pixelColor(91, 20), QColor(Qt::gray));
    // Pixel scale: the same numbers are pixels.
    fondo->ScaleMode = 3;
    linea(1).setPunti(5, 5, 50, 5);
    quadro = fondo->grab().toImage();
    QCOMPARE(quadro.pixelColor(30, 5), QColor(Qt::white));
    QCOMPARE(quadro.pixelColor(30, 20), QColor(Qt::gray));
    linea(1).setVisible(false);
    QCOMPARE(fondo->grab().toImage().pixelColor(30, 5), QColor(Qt::gray));
}

namespace {
// The region each paint of a widget covered.
struct Dipinti : QObject {
    QRegion area;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            area += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};
} // namespace

// A hover frame moving on a full-screen sheet repaints where its line was and where it goes,
// not the whole screen.
void TestControlli::lineaRidisegnaSoloDoveSta() {
    prova::HostDiProva h;
    FormaDiProva f;
    f.MoveTw(0, 0, 1024 * 15, 768 * 15);
    auto* fondo = new Riquadro(&f, "FONDO");
    fondo->MoveTw(0, 0, 1024 * 15, 768 * 15);
    ArrayLinee linea(fondo, "Linea");
    linea.Load(1);
    linea(1).setPunti(150, 300, 1350, 300);
    linea(1).setVisible(true);
    f.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QWidget* foglio = nullptr;
    for (QWidget* w : fondo->findChildren<QWidget*>())
        if (w->testAttribute(Qt::WA_TransparentForMouseEvents))
            foglio = w;
    QVERIFY(foglio && foglio->size() == QSize(1024, 768));
    Dipinti dipinti;
    foglio->installEventFilter(&dipinti);
    linea(1).setPunti(3000, 6000, 3000, 7500);
    QTRY_VERIFY(!dipinti.area.isEmpty());
    QVERIFY(dipinti.area.contains(QRect(10, 20, 80, 1)) &&
            dipinti.area.contains(QRect(200, 400, 1, 100)));
    qint64 pixel = 0;
    for (const QRect& r : dipinti.area)
        pixel += qint64(r.width()) * r.height();
    QVERIFY2(pixel < 1024 * 768 / 100, qPrintable(QString::number(pixel)));
}

void TestControlli::figuraBordoERiempimento() {
    prova::HostDiProva h;
    FormaDiProva f;
    Riquadro* fondo = fondoTinto(f, Qt::blue);
    auto* evid = new Figura(fondo, "EVID", 0);
    evid->MoveTw(150, 150, 300, 300); // 10,10 .. 29,29
    evid->setBorderColor(Qt::yellow);
    evid->setBorderWidth(2);
    f.Show();
    QImage q = fondo->grab().toImage();
    QCOMPARE(q.pixelColor(10, 15), QColor(Qt::yellow));
    QCOMPARE(q.pixelColor(11, 15), QColor(Qt::yellow));
    QCOMPARE(q.pixelColor(12, 15), QColor(Qt::blue));
    QCOMPARE(q.pixelColor(29, 29), QColor(Qt::yellow));
    evid->setFillStyle(0);
    evid->setFillColor(Qt::green);
    QCOMPARE(fondo->grab().toImage().pixelColor(20, 20), QColor(Qt::green));
    evid->ImpostaVisible(false);
    QCOMPARE(fondo->grab().toImage().pixelColor(10, 15), QColor(Qt::blue));
}

void TestControlli::riquadroAutoSize() {
    prova::HostDiProva h;
    FormaDiProva f;
    Riquadro r(&f, "pic");
    r.MoveTw(0, 0, 300, 300);
    r.ImpostaPicture(tinta(64, 48, Qt::red));
    QCOMPARE(r.WidthTw(), 300.0);
    r.setAutoSize(true);
    QCOMPARE(r.WidthTw(), 960.0);
    QCOMPARE(r.HeightTw(), 720.0);
    r.ImpostaPicture(tinta(10, 20, Qt::red));
    QCOMPARE(r.size(), QSize(10, 20));
}

void TestControlli::arrayControlliCaricaCopieNascoste() {
    prova::HostDiProva h;
    FormaDiProva f;
    ArrayControlli<Etichetta> hot(&f, "HOTSPOT");
    QCOMPARE(hot.UBound(), -1);
    Etichetta& zero = hot.crea(0);
    zero.MoveTw(10, 20, 30, 40);
    zero.setBorderStyle(1);
    zero.Tag = "x";
    Etichetta& uno = hot.Load(1);
    QVERIFY(!uno.Visible());
    QCOMPARE(uno.BorderStyle(), 1);
    QCOMPARE(uno.Tag, "x");
    QCOMPARE(uno.Index(), 1);
    QCOMPARE(hot.UBound(), 1);
    hot.Unload(1);
    QVERIFY(!hot.esiste(1));
    QCOMPARE(f.Controls().size(), 1);
}

// Labels drawn by their container: copies of the template, the topmost visible and enabled one
// takes the mouse, a click is a left press and release on it; anything else reaches the container.
void TestControlli::etichetteDisegnate_data() {
    QTest::addColumn<QPoint>("premi");
    QTest::addColumn<QPoint>("rilascia");
    QTest::addColumn<QString>("eventi"); // "contenitore" when the container had the press
    riga("on the later of two overlapping", QPoint(25, 25), QPoint(26, 26), u"D2 U2 C2"_s);
    riga("on the earlier alone", QPoint(5, 5), QPoint(5, 5), u"D1 U1 C1"_s);
    riga("released outside: no click", QPoint(5, 5), QPoint(90, 90), u"D1 U1"_s);
    riga("hidden one passes the press on", QPoint(60, 60), QPoint(60, 60), u"contenitore"_s);
    riga("disabled one passes the press on", QPoint(65, 5), QPoint(65, 5), u"contenitore"_s);
}

void TestControlli::etichetteDisegnate() {
    QFETCH(QPoint, premi);
    QFETCH(QPoint, rilascia);
    QFETCH(QString, eventi);
    prova::HostDiProva h;
    FormaDiProva f;
    f.MoveTw(0, 0, 1500, 1500);
    auto* fondo = new Riquadro(&f, "FONDO");
    fondo->MoveTw(0, 0, 1500, 1500);
    ArrayEtichette hot(fondo, "HOTSPOT");
    EtichettaDisegnata& zero = hot.crea(0);
    zero.MoveTw(0, 0, 450, 450); // 30 × 30 pixels
    zero.Tag = "t";
    zero.ImpostaVisible(false);
    QStringList visti;
    bool copie = true; // each loaded element a hidden copy of element 0
    const auto carica = [&](int n, int x, int y) -> EtichettaDisegnata& {
        EtichettaDisegnata& e = hot.Load(n);
        copie = copie && !e.Visible() && e.Tag == "t" && e.WidthTw() == 450;
        e.MoveTw(x * 15, y * 15, 450, 450);
        e.ImpostaVisible(true);
        connect(&e.eventi(), &EventiControllo::MouseDown, &f,
                [&visti, n] { visti << u"D%1"_s.arg(n); });
        connect(&e.eventi(), &EventiControllo::MouseUp, &f,
                [&visti, n] { visti << u"U%1"_s.arg(n); });
        connect(&e.eventi(), &EventiControllo::Click, &f,
                [&visti, n] { visti << u"C%1"_s.arg(n); });
        return e;
    };
    carica(1, 0, 0);
    carica(2, 20, 20);
    carica(3, 40, 40).ImpostaVisible(false);
    carica(4, 60, 0).ImpostaEnabled(false);
    connect(&fondo->eventi(), &EventiControllo::MouseDown, &f,
            [&visti] { visti << u"contenitore"_s; });
    QVERIFY(copie);
    f.Show();
    QTest::mousePress(fondo, Qt::LeftButton, {}, premi);
    QTest::mouseRelease(fondo, Qt::LeftButton, {}, rilascia);
    QCOMPARE(visti.join(u' '), eventi);
    QCOMPARE(hot.visibili().size(), 3);
    hot.Unload(2);
    QCOMPARE(prova::erroreDi([&] { hot.Unload(2); }), 340);
    QCOMPARE(prova::erroreDi([&] { hot(2); }), 340);
    QCOMPARE(hot.sotto(QPoint(25, 25)), &hot(1));
}

QTEST_MAIN(TestControlli)
#include "test_controlli.moc"
