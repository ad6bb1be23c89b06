// The stage on a real X server, bare and under a window manager (run by sotto_x.sh): what the
// desktop shows, where the keyboard goes, and the switch between full screen and a window.

#include "Forma.h"
#include "HostDiProva.h"
#include "Palco.h"
#include "ServiziReali.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace hn;

namespace {

const QColor Rosso(200, 30, 30), Verde(30, 160, 60), Blu(40, 60, 200);

// A form filled with one colour; Esc unloads it, as the program's dialogs do.
class FormaColorata : public Forma {
public:
    FormaColorata(const QString& nome, QColor colore)
        : Forma(nome) {
        QPalette p = palette();
        p.setColor(QPalette::Window, colore);
        setPalette(p);
        setBorderStyle(0);
    }

protected:
    void Form_KeyPress(int& tasto) override {
        if (tasto == 27)
            Unload();
    }
};

// A key pressed on the X server, so it goes wherever the desktop sends the keyboard.
void tasto(const QString& tasti) {
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), tasti});
}

// The visible windows of a program, as the desktop lists them.
QStringList finestreDi(const QString& classe) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                   QStringLiteral("--class"), classe});
    xdotool.waitForFinished();
    return QString::fromLatin1(xdotool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

struct Scrivania {
    Scrivania()
        : palco(ModoScala::Adatta)
        , schermo(&palco)
        , casa(QStringLiteral("FMed"), Rosso) {
        host().screen = &schermo;
        casa.Move(0, 0, 1024 * 15, 768 * 15);
        casa.Show();
    }
    ~Scrivania() { host().screen = &h.schermo; }

    // What the X server shows at a point of the program's screen (in its pixels).
    QColor colore(QPoint suSchermo) const {
        const QImage tutto = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QPointF logico = QPointF(palco.origineDesktop() + suSchermo) + QPointF(0.5, 0.5);
        return tutto.pixelColor((logico * palco.geometria().fattore).toPoint());
    }
    bool attiva(const QWidget& w) const {
        return QGuiApplication::focusWindow() == w.windowHandle();
    }

    prova::HostDiProva h;
    Palco palco;
    QtScreen schermo;
    FormaColorata casa;
};

// Two colours alike to within what smoothing does at the edges.
bool simile(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           30;
}

} // namespace

class TestScrivania : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A caption window over the form: the form stays visible around it, the backdrop stays
    // behind both, and only the bars outside the program's screen are black.
    void didascaliaSopraLaForma() {
        Scrivania s;
        QTRY_VERIFY(simile(s.colore({100, 100}), Rosso));
        QWidget didascalia(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        didascalia.setAutoFillBackground(true);
        QPalette p = didascalia.palette();
        p.setColor(QPalette::Window, Blu);
        didascalia.setPalette(p);
        didascalia.setGeometry(QRect(sulDesktop(QPoint(600, 400)), QSize(200, 150)));
        didascalia.show();
        didascalia.raise();
        didascalia.activateWindow();
        QTRY_VERIFY(s.attiva(didascalia));
        QTRY_VERIFY(simile(s.colore({700, 450}), Blu));
        QTest::qWait(300); // a window manager restacks after the focus moves
        QVERIFY(simile(s.colore({700, 450}), Blu));
        QVERIFY2(simile(s.colore({100, 100}), Rosso), qPrintable(s.colore({100, 100}).name()));
        QVERIFY(simile(s.colore({1000, 700}), Rosso));
        QCOMPARE(QGuiApplication::primaryScreen()->grabWindow(0).toImage().pixelColor(5, 5),
                 QColor(Qt::black));
    }

    // A dialog opens above its owner with the keyboard; Esc typed on the desktop closes it and
    // the keyboard goes back to the owner.
    void dialogoSopraIlProprietarioEdEsc() {
        Scrivania s;
        QTRY_VERIFY(s.attiva(s.casa));
        FormaColorata dialogo(QStringLiteral("fstampa"), Verde);
        dialogo.setProprietario(&s.casa);
        dialogo.Move(400 * 15, 300 * 15, 200 * 15, 150 * 15);
        dialogo.Show();
        QTRY_VERIFY(s.attiva(dialogo));
        QTRY_VERIFY(simile(s.colore({500, 375}), Verde));
        QVERIFY(simile(s.colore({100, 100}), Rosso));
        tasto(QStringLiteral("Escape"));
        QTRY_VERIFY(!dialogo.isVisible());
        QTRY_VERIFY(s.attiva(s.casa));
        QTRY_VERIFY(simile(s.colore({500, 375}), Rosso));
    }

    // The program itself: each window the desktop lists is titled exactly "Velto 2002".
    void titoloDelProgramma() {
        QTemporaryDir casa;
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("HOME"), casa.path()); // a prefix filled from the demo
        ambiente.insert(QStringLiteral("XDG_RUNTIME_DIR"), casa.path());
        for (const char* v : {"XDG_DATA_HOME", "HNEMAR_PREFIX", "HNEMAR_SCALE"})
            ambiente.remove(QString::fromLatin1(v));
        QProcess programma;
        programma.setProcessEnvironment(ambiente);
        programma.start(QStringLiteral(HNEMAR_APP), {});
        QStringList finestre;
        QTRY_VERIFY_WITH_TIMEOUT((finestre = finestreDi(QStringLiteral("hnemar"))).size() >= 2,
                                 30000);
        for (const QString& id : finestre) {
            QProcess xprop;
            xprop.start(QStringLiteral("xprop"),
                        {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_NAME")});
            QVERIFY(xprop.waitForFinished());
            QCOMPARE(QString::fromUtf8(xprop.readAllStandardOutput()).trimmed(),
                     QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"Velto 2002\""));
        }
        programma.kill();
        programma.waitForFinished();
    }

    // Alt+Enter typed on the desktop: a window with the form in it, then full screen again,
    // the form in place and above the backdrop each time.
    void altInvioFinestraESchermoIntero() {
        Scrivania s;
        QTRY_VERIFY(s.attiva(s.casa));
        const QRect pieno = s.casa.geometry();
        tasto(QStringLiteral("alt+Return"));
        QTRY_VERIFY(!s.palco.schermoIntero());
        QTRY_COMPARE(s.casa.pos(), s.palco.origineDesktop());
        QTRY_VERIFY(simile(s.colore({512, 384}), Rosso));
        QTRY_VERIFY(s.attiva(s.casa));
        tasto(QStringLiteral("alt+Return"));
        QTRY_VERIFY(s.palco.schermoIntero());
        QTRY_COMPARE(s.casa.geometry(), pieno);
        QTRY_VERIFY(simile(s.colore({100, 100}), Rosso));
        QTRY_COMPARE(s.palco.windowHandle()->visibility(), QWindow::FullScreen);
    }
};

QTEST_MAIN(TestScrivania)
#include "test_scrivania.moc"
