// The stage on a Wayland compositor (run by sotto_weston.sh: weston, as a Wayland client and
// through XWayland): what the compositor shows, taken with its own screenshot tool, at full
// screen over its panel and after a switch to a window and back.

#include "Forma.h"
#include "HostDiProva.h"
#include "Palco.h"
#include "ServiziReali.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace hn;

namespace {

const QColor Rosso(200, 30, 30), Blu(30, 60, 200);

// Counts what a window switch must not do to the program's windows: close, hide or show them, or
// make the stage's surface anew.
class Testimone : public QObject {
public:
    int visibilita = 0, superfici = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Close:
            ++visibilita;
            break;
        case QEvent::PlatformSurface:
            ++superfici;
            break;
        default:
            break;
        }
        return false;
    }
};

int pixelDi(const QImage& img, QColor colore) {
    int n = 0;
    for (int y = 0; y < img.height(); y += 4)
        for (int x = 0; x < img.width(); x += 4)
            n += img.pixelColor(x, y) == colore;
    return n;
}

// What the compositor shows now: its screenshot tool writes a file in the folder it runs in.
QImage schermata() {
    QTemporaryDir cartella;
    QProcess p;
    p.setWorkingDirectory(cartella.path());
    p.start(QStringLiteral("weston-screenshooter"), {});
    if (!p.waitForFinished(10000))
        return {};
    const QStringList file = QDir(cartella.path()).entryList({QStringLiteral("*.png")});
    return file.isEmpty() ? QImage() : QImage(cartella.filePath(file.first()));
}

// The rectangle the red pixels fill, and whether every pixel in it (its edge, which smoothing
// may blend, left out) is red: a screen painted only in part has holes.
QRect rosso(const QImage& img, bool* pieno) {
    QRect r;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            if (img.pixelColor(x, y) == Rosso)
                r |= QRect(x, y, 1, 1);
    *pieno = r.isValid();
    const QRect dentro = r.adjusted(3, 3, -3, -3);
    for (int y = dentro.top(); y <= dentro.bottom() && *pieno; y += 3)
        for (int x = dentro.left(); x <= dentro.right(); x += 3)
            if (img.pixelColor(x, y) != Rosso) {
                *pieno = false;
                break;
            }
    return r;
}

// Sampled pixels outside the rectangle that are not black.
int fuoriNonNeri(const QImage& img, const QRect& r) {
    int n = 0;
    const QRect margine = r.adjusted(-2, -2, 2, 2);
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3)
            n += !margine.contains(x, y) && img.pixelColor(x, y) != QColor(Qt::black);
    return n;
}

// Once the compositor has settled: two screenshots a moment apart agree.
QImage ferma() {
    QImage prima = schermata();
    for (int i = 0; i < 20; ++i) {
        QTest::qWait(200);
        QImage ora = schermata();
        if (!ora.isNull() && ora == prima)
            return ora;
        prima = ora;
    }
    return prima;
}

// A borderless form of one colour over `r` (program pixels), shown.
void mostraTinta(Forma& forma, QColor colore, const QRect& r) {
    QPalette p = forma.palette();
    p.setColor(QPalette::Window, colore);
    forma.setPalette(p);
    forma.setBorderStyle(0);
    forma.MoveTw(r.x() * 15, r.y() * 15, r.width() * 15, r.height() * 15);
    forma.Show();
}

} // namespace

class TestWeston : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Full screen over the compositor's panel: the red screen, 1440 × 1080 on 1920 × 1080,
    // centred, black around it; in a window the whole screen is painted, at 4:3; back at full
    // screen it is whole and in place again.
    void palcoSulCompositore() {
        prova::HostDiProva h;
        Palco palco(ModoScala::Adatta);
        QtScreen schermo(&palco);
        host().screen = &schermo;
        Forma casa(QStringLiteral("FMed"));
        mostraTinta(casa, Rosso, {0, 0, 1024, 768});
        QTRY_VERIFY(casa.isVisible() && palco.isVisible());
        const QRect atteso(240, 0, 1440, 1080);
        for (const bool intero : {true, false, true}) {
            if (intero != palco.schermoIntero())
                palco.alterna();
            const QImage img = ferma();
            QCOMPARE(img.size(), QSize(1920, 1080));
            bool pieno = false;
            const QRect r = rosso(img, &pieno);
            const QString dove = QStringLiteral("red %1,%2 %3x%4")
                                     .arg(r.x())
                                     .arg(r.y())
                                     .arg(r.width())
                                     .arg(r.height());
            if (qEnvironmentVariableIsSet("HNEMAR_SCHERMATA"))
                img.save(qEnvironmentVariable("HNEMAR_SCHERMATA") + QString::number(intero) +
                         QStringLiteral(".png"));
            QVERIFY2(pieno, qPrintable(dove));
            if (intero) {
                QVERIFY(std::abs(r.left() - atteso.left()) <= 2 &&
                        std::abs(r.right() - atteso.right()) <= 2);
                QVERIFY(r.top() <= 1 && r.bottom() >= 1078);
                QCOMPARE(fuoriNonNeri(img, r), 0);
            } else {
                QVERIFY2(std::abs(r.width() * 3 - r.height() * 4) <= 12 && r.width() < 1440,
                         qPrintable(dove));
            }
        }
        host().screen = &h.schermo;
    }

    // A dialog open with the keyboard in it while the stage goes to a window and back: the same
    // surface all along, nothing closed, hidden or shown, the dialog still drawn on top with the
    // keyboard. (The headless compositor has no keyboard of its own to give.)
    void dialogoAttraversoIlCambio() {
        prova::HostDiProva h;
        Palco palco(ModoScala::Adatta);
        QtScreen schermo(&palco);
        host().screen = &schermo;
        Forma casa(QStringLiteral("FMed"));
        mostraTinta(casa, Rosso, {0, 0, 1024, 768});
        Forma dialogo(QStringLiteral("fstampa"));
        mostraTinta(dialogo, Blu, {300, 200, 400, 300});
        QTRY_COMPARE(palco.finestraAttiva(), &dialogo);
        Testimone t;
        for (QObject* o : {static_cast<QObject*>(&casa), static_cast<QObject*>(&dialogo),
                           static_cast<QObject*>(palco.windowHandle())})
            o->installEventFilter(&t);
        for (const bool intero : {true, false, true}) {
            if (intero != palco.schermoIntero()) {
                palco.alterna();
                QTest::qWait(300);
            }
            const QImage img = ferma();
            if (qEnvironmentVariableIsSet("HNEMAR_SCHERMATA"))
                img.save(qEnvironmentVariable("HNEMAR_SCHERMATA") + QStringLiteral("dialogo") +
                         QString::number(intero) + QStringLiteral(".png"));
            QVERIFY2(pixelDi(img, Blu) > 0 && pixelDi(img, Rosso) > 0,
                     intero ? "full screen again" : "in a window");
            QCOMPARE(palco.finestraAttiva(), &dialogo);
            // Where the keyboard goes as soon as the desktop gives the stage one.
            QVERIFY(palco.focusWidget() == &dialogo || dialogo.isAncestorOf(palco.focusWidget()));
            QVERIFY(casa.isVisible() && dialogo.isVisible());
            QCOMPARE(t.visibilita, 0);
            QCOMPARE(t.superfici, 0);
        }
        host().screen = &h.schermo;
    }
};

QTEST_MAIN(TestWeston)
#include "test_weston.moc"
