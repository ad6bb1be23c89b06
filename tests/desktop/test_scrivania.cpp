// The stage on a real X server, bare and under the window managers users have (run by
// sotto_x.sh): what the screen shows, how many windows the desktop sees, where the keyboard
// goes, and the switch between full screen and a window.

#include "Forma.h"
#include "HostDiProva.h"
#include "Palco.h"
#include "ScrivaniaX.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <qpa/qplatformwindow.h>
#include <xcb/xcb.h>

using namespace hn;
using namespace scrivania;

namespace {

const QColor Rosso(200, 30, 30), Verde(30, 160, 60), Blu(30, 60, 200), Nero(Qt::black);

// A borderless form of one colour; Esc unloads it, as the program's dialogs do.
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

// A spot that counts the presses it gets: a click lands where it is drawn.
class Bersaglio : public QWidget {
public:
    explicit Bersaglio(QWidget* forma)
        : QWidget(forma) {
        setPalette(QPalette(Qt::black, Verde));
        setAutoFillBackground(true);
        setGeometry(900, 680, 60, 50);
    }
    int colpi = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++colpi; }
};

// How many sampled device pixels of the rectangle are not of that colour, what lies in
// `tranne` left out.
int diversi(const QImage& img, const QRect& r, QColor colore, const QRect& tranne = {}) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); y += 3)
        for (int x = r.left(); x <= r.right(); x += 3)
            n += !tranne.contains(x, y) && img.pixelColor(x, y) != colore;
    return n;
}

// A full-screen red form on the stage of a 1280 × 1024 monitor.
struct Scrivania {
    Scrivania() {
        host().screen = &schermo;
        casa.MoveTw(0, 0, 1024 * 15, 768 * 15);
        casa.Show();
    }
    ~Scrivania() { host().screen = &h.schermo; }

    // The program's screen in device pixels of the monitor, as drawn now.
    QRectF schermoSulMonitor() const {
        const double f = palco.windowHandle()->devicePixelRatio();
        const QPointF angolo = QPointF(palco.windowHandle()->handle()->geometry().topLeft());
        return {angolo + QPointF(palco.schermo()->pos()) * f, QSizeF(palco.schermo()->size()) * f};
    }
    QPoint sulMonitor(QPoint p) const {
        const double f = palco.windowHandle()->devicePixelRatio();
        return (schermoSulMonitor().topLeft() + (QPointF(p) + QPointF(0.5, 0.5)) * f).toPoint();
    }
    QColor colore(QPoint p) const { return schermata().pixelColor(sulMonitor(p)); }
    // Once a switch has settled: a window manager still moving windows about shows other
    // things for a moment, so the screen counts when two looks a moment apart agree.
    QImage fermo() const { return ferma(150); }
    // The whole monitor: the red screen inside, black all around it (the edge pixels, which
    // smoothing may blend, left out). A panel or taskbar left on top, a bar nobody painted or a
    // screen painted only in part all show here.
    void controllaSchermoIntero(const QImage& img, const QRect& altro = {}) const {
        const QRect dentro = schermoSulMonitor().toAlignedRect().adjusted(2, 2, -2, -2);
        const QRect fuori = schermoSulMonitor().toAlignedRect().adjusted(-1, -1, 1, 1);
        QCOMPARE(diversi(img, dentro, Rosso, altro), 0);
        int bar = 0;
        for (int y = 0; y < img.height(); y += 3)
            for (int x = 0; x < img.width(); x += 3)
                bar += !fuori.contains(x, y) && img.pixelColor(x, y) != Nero;
        QCOMPARE(bar, 0);
    }
    static bool attivaSulDesktop(const QWidget& stage) {
        const QString r = x(QStringLiteral("xprop"),
                            {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")});
        if (!r.contains(QLatin1String("window id")))
            return stage.isActiveWindow();
        // "window id # 0x…", and some window managers add ", 0x0".
        bool ok = false;
        const QString id = r.section(u'#', 1).section(u',', 0, 0).trimmed();
        return id.toULongLong(&ok, 16) == stage.winId() && ok;
    }
    // The window has the keyboard on the stage, and the stage on the desktop.
    bool haLaTastiera(const QWidget& w) const {
        return eFinestraAttiva(w) && attivaSulDesktop(palco);
    }
    // Who has it, for a failure's message.
    QString tastiera() const {
        const QWidget* a = palco.finestraAttiva();
        const QWidget* f = QApplication::focusWidget();
        return QStringLiteral("stage window %1, stage active %2 (desktop %3), focus %4")
            .arg(a ? a->objectName() : QStringLiteral("none"))
            .arg(palco.isActiveWindow())
            .arg(attivaSulDesktop(palco))
            .arg(f ? f->objectName() : QStringLiteral("none"));
    }

    prova::HostDiProva h;
    Palco palco{ModoScala::Adatta};
    QtScreen schermo{&palco};
    FormaColorata casa{QStringLiteral("FMed"), Rosso};
};

bool sottoUnGestore() {
    return qEnvironmentVariable("HNEMAR_SCRIVANIA", QStringLiteral("nudo")) !=
           QLatin1String("nudo");
}

} // namespace

class TestScrivania : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A grey desktop behind the program: a bar nobody paints shows it, not black by luck.
    void initTestCase() {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        QVERIFY(x11 && x11->connection());
        xcb_connection_t* c = x11->connection();
        const xcb_window_t radice = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const uint32_t grigio = 0x808080;
        xcb_change_window_attributes(c, radice, XCB_CW_BACK_PIXEL, &grigio);
        xcb_clear_area(c, 0, radice, 0, 0, 0, 0);
        xcb_flush(c);
    }

    // One window on the desktop, full screen over the monitor and any panel: the red screen
    // centred, black around it; the caption, the two dialogs and a file chooser above it, each
    // with the keyboard, which comes back where it was when each closes.
    void palcoFinestreETastiera() {
        Scrivania s;
        QTRY_VERIFY2(s.haLaTastiera(s.casa), qPrintable(s.tastiera()));
        QCOMPARE(finestreVisibili(QCoreApplication::applicationPid()).size(), 1);
        if (sottoUnGestore()) {
            const QString stato =
                x(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(s.palco.winId()),
                                            QStringLiteral("_NET_WM_STATE")});
            QVERIFY2(stato.contains(QLatin1String("_NET_WM_STATE_FULLSCREEN")), qPrintable(stato));
        }
        s.controllaSchermoIntero(s.fermo());

        // A caption opened from the form: above it, with the keyboard; Esc closes it.
        FormaColorata didascalia(QStringLiteral("Frm_Testo"), Blu);
        didascalia.MoveTw(600 * 15, 400 * 15, 200 * 15, 150 * 15);
        didascalia.Show();
        QTRY_VERIFY2(s.haLaTastiera(didascalia), qPrintable(s.tastiera()));
        QTRY_COMPARE(s.colore({700, 450}), Blu);
        tasto("Escape");
        QTRY_VERIFY(!didascalia.isVisible());
        QTRY_VERIFY2(s.haLaTastiera(s.casa), qPrintable(s.tastiera()));

        // A window of its own over the stage, as the help window is: shown above it, and the
        // keyboard back to the form when it closes.
        {
            QWidget aiuto(finestraPerDialoghi(), Qt::Dialog);
            aiuto.setPalette(QPalette(Qt::black, Blu));
            aiuto.setAutoFillBackground(true);
            aiuto.resize(300, 200);
            aiuto.show();
            aiuto.activateWindow();
            QTRY_VERIFY(aiuto.isActiveWindow());
            const QPoint mezzo =
                (QPointF(aiuto.geometry().center()) * s.palco.devicePixelRatio()).toPoint();
            QTRY_COMPARE(schermata().pixelColor(mezzo), Blu);
            aiuto.close();
        }
        QTRY_VERIFY2(s.haLaTastiera(s.casa), qPrintable(s.tastiera()));

        // A dialog disables its owner and takes the keyboard; a click on the owner leaves it
        // with the dialog.
        for (const char* nome : {"fstampa", "fcopia"}) {
            FormaColorata dialogo(QString::fromLatin1(nome), Verde);
            s.casa.ImpostaEnabled(false);
            dialogo.setProprietario(&s.casa);
            dialogo.MoveTw(400 * 15, 300 * 15, 200 * 15, 150 * 15);
            dialogo.Show();
            QTRY_VERIFY2(s.haLaTastiera(dialogo), qPrintable(s.tastiera()));
            QTRY_COMPARE(s.colore({500, 375}), Verde);
            const QPoint fuori = s.sulMonitor({100, 100});
            clic(fuori);
            QTest::qWait(200);
            // The stage keeps the dialog active at once; a window manager that focuses on click
            // (fluxbox) may take a moment to give the stage the desktop's keyboard back.
            QCOMPARE(s.palco.finestraAttiva(), &dialogo);
            QTRY_VERIFY2(s.haLaTastiera(dialogo), qPrintable(s.tastiera()));

            // The file chooser, the toolkit's own window: the keyboard goes to it and comes
            // back to the dialog when it is cancelled.
            QFileDialog scelta(finestraPerDialoghi());
            scelta.setOption(QFileDialog::DontUseNativeDialog);
            scelta.open();
            QTRY_VERIFY(scelta.isActiveWindow());
            // Shown above the stage, not kept under it.
            const QPoint mezzo =
                (QPointF(scelta.frameGeometry().center()) * s.palco.devicePixelRatio()).toPoint();
            QTRY_VERIFY(schermata().pixelColor(mezzo) != Verde &&
                        schermata().pixelColor(mezzo) != Rosso);
            tasto("Escape");
            QTRY_VERIFY(!scelta.isVisible());
            QTRY_VERIFY2(s.haLaTastiera(dialogo), qPrintable(s.tastiera()));
            tasto("Escape");
            QTRY_VERIFY(!dialogo.isVisible());
            s.casa.ImpostaEnabled(true);
            QTRY_VERIFY2(s.haLaTastiera(s.casa), qPrintable(s.tastiera()));
        }
        QTRY_COMPARE(s.colore({500, 375}), Rosso);
        QCOMPARE(finestreVisibili(QCoreApplication::applicationPid()).size(), 1);
    }

    // Alt+Enter typed on the desktop: a window with the whole screen painted in it, then full
    // screen again, whole too; a click lands where it is drawn each time.
    void altInvioDipingeTutto() {
        Scrivania s;
        Bersaglio bersaglio(&s.casa);
        bersaglio.show();
        QTRY_VERIFY2(s.haLaTastiera(s.casa), qPrintable(s.tastiera()));
        for (const bool intero : {false, true, false, true}) {
            tasto("alt+Return");
            QTRY_COMPARE(s.palco.schermoIntero(), intero);
            const QImage img = s.fermo();
            // The target, and a device pixel around it for smoothing.
            const QRect verde = QRect(s.sulMonitor(bersaglio.geometry().topLeft()),
                                      s.sulMonitor(bersaglio.geometry().bottomRight()))
                                    .adjusted(-3, -3, 3, 3);
            QCOMPARE(diversi(img, verde.adjusted(5, 5, -5, -5), Verde), 0);
            if (intero) {
                s.controllaSchermoIntero(img, verde);
            } else {
                const QRect dentro = s.schermoSulMonitor().toAlignedRect().adjusted(2, 2, -2, -2);
                QVERIFY(QRect(QPoint(), img.size()).contains(dentro));
                QCOMPARE(diversi(img, dentro, Rosso, verde), 0);
            }
            QTRY_VERIFY2(s.haLaTastiera(s.casa), qPrintable(s.tastiera()));
            const int prima = bersaglio.colpi;
            const QPoint punto = s.sulMonitor({930, 705});
            clic(punto);
            QTRY_COMPARE(bersaglio.colpi, prima + 1);
        }
        QCOMPARE(finestreVisibili(QCoreApplication::applicationPid()).size(), 1);
    }

    // The program itself: one window on the desktop, titled exactly "Velto 2002"; the exit
    // of the home screen leaves nothing behind.
    void ilProgramma() {
        QTemporaryDir casa;
        QProcess programma;
        avvia(programma, casa, QStringLiteral(HNEMAR_APP));
        const qint64 pid = programma.processId();
        QStringList finestre = finestreAttese(pid);
        QVERIFY(!finestre.isEmpty());
        QTest::qWait(500);
        finestre = finestreVisibili(pid);
        QCOMPARE(finestre.size(), 1);
        QCOMPARE(x(QStringLiteral("xprop"),
                   {QStringLiteral("-id"), finestre[0], QStringLiteral("_NET_WM_NAME")}),
                 QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"Velto 2002\""));
        // "Koniec" on the home screen, at 1.25 device pixels per program pixel from the top
        // bar of 32 on this 1280 × 1024 monitor.
        const QPoint koniec(qRound(230 * 1.25), 32 + qRound(170 * 1.25));
        clic(koniec);
        QVERIFY(programma.waitForFinished(10000));
        QCOMPARE(programma.exitStatus(), QProcess::NormalExit);
        QVERIFY(finestreVisibili(pid).isEmpty());
    }
};

QTEST_MAIN(TestScrivania)
#include "test_scrivania.moc"
