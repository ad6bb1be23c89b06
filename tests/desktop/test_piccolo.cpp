// The program on a 1366 × 768 monitor under openbox with a panel (run by sotto_x.sh): its
// window (Alt+Enter) is smaller than the 1024 × 768 screen, which must then show whole, scaled
// down, the clicks landing where they are drawn; full screen again it is whole at its own size.
// What the monitor shows is compared, not what the widgets believe.

#include "ScrivaniaX.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace scrivania;

namespace {

const QSize Monitor(1366, 768), Schermo(1024, 768);

// The window's inside on the monitor (xwininfo's absolute corner and size).
QRect internoFinestra(const QString& id) {
    const QString info = x(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    const auto valore = [&info](const char* chiave) {
        const qsizetype i = info.indexOf(QLatin1String(chiave));
        return i < 0 ? -1 : info.mid(i + qsizetype(qstrlen(chiave))).section(u'\n', 0, 0).toInt();
    };
    return {valore("Absolute upper-left X:"), valore("Absolute upper-left Y:"), valore("Width:"),
            valore("Height:")};
}

// Mean difference per channel of two pictures of one size, 0–255.
double differenza(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 255;
    double somma = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            somma += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
        }
    return somma / (3.0 * a.width() * a.height());
}

// How many pixels of two pictures of one size differ.
int diversi(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// How many sampled pixels of the rectangle are not black.
int nonNeri(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2)
            n += (img.pixel(x, y) & 0xffffff) != 0;
    return n;
}

// The screen as full screen shows it at 1366 × 768: 1024 × 768 at its own size, centred.
const QRect SchermoIntero(171, 0, 1024, 768);

} // namespace

class TestPiccolo : public QObject {
    Q_OBJECT
private:
    // Full screen: the screen whole at its own size, black beside it over the panel.
    void controllaIntero(const QImage& img, const char* quando) {
        QCOMPARE(img.size(), Monitor);
        QVERIFY2(nonNeri(img, QRect(0, 0, 171, 768)) == 0 &&
                     nonNeri(img, QRect(1195, 0, 171, 768)) == 0,
                 quando);
        // Painted to its edges: its first and last rows and columns are the picture's.
        for (const QRect& bordo : {QRect(171, 0, 1024, 1), QRect(171, 767, 1024, 1),
                                   QRect(171, 0, 1, 768), QRect(1194, 0, 1, 768)})
            QVERIFY2(nonNeri(img, bordo) > 0, quando);
    }

private Q_SLOTS:
    void finestraPiuPiccolaDelloSchermo() {
        QTemporaryDir casa;
        QProcess programma;
        avvia(programma, casa, QStringLiteral(HNEMAR_APP));
        const qint64 pid = programma.processId();
        QStringList finestre = finestreAttese(pid);
        QVERIFY(!finestre.isEmpty());
        const QString id = finestre.first();

        const QImage casaIntera = ferma();
        controllaIntero(casaIntera, "home screen, full screen");
        if (QTest::currentTestFailed())
            return;
        const QImage casaSchermo = casaIntera.copy(SchermoIntero);

        // In a window that fits the desktop's free area, title bar and all: smaller than the
        // screen, which shows whole in it, scaled down, black beside it.
        x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+Return")});
        QTRY_VERIFY_WITH_TIMEOUT(internoFinestra(id).height() < 768, 10000);
        const QImage casaFinestra = ferma();
        const QRect interno = internoFinestra(id);
        QVERIFY2(interno.top() > 0 && QRect(QPoint(), Monitor).contains(interno),
                 qPrintable(QStringLiteral("window inside at %1,%2 %3x%4")
                                .arg(interno.x())
                                .arg(interno.y())
                                .arg(interno.width())
                                .arg(interno.height())));
        // As large as fits, aspect kept, centred.
        const double f = std::min(double(interno.width()) / Schermo.width(),
                                  double(interno.height()) / Schermo.height());
        QVERIFY(f < 1);
        const QSize dimensione(int(std::lround(Schermo.width() * f)),
                               int(std::lround(Schermo.height() * f)));
        const QRect palco(interno.topLeft() + QPoint((interno.width() - dimensione.width()) / 2,
                                                     (interno.height() - dimensione.height()) / 2),
                          dimensione);
        const QImage atteso =
            casaSchermo.scaled(palco.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double d = differenza(casaFinestra.copy(palco), atteso);
        QVERIFY2(d < 8, qPrintable(QStringLiteral("the window shows another picture: %1").arg(d)));
        QCOMPARE(nonNeri(casaFinestra, QRect(interno.left(), interno.top(),
                                             palco.left() - interno.left(), interno.height())),
                 0);
        QCOMPARE(nonNeri(casaFinestra, QRect(palco.right() + 1, interno.top(),
                                             interno.right() - palco.right(), interno.height())),
                 0);

        // The skeleton, clicked where it is drawn in the window, opens its plate.
        const QPointF scheletro = QPointF(palco.topLeft()) + QPointF(258, 300) * f;
        clic(scheletro.toPoint());
        QTRY_VERIFY_WITH_TIMEOUT(differenza(schermata().copy(palco), atteso) > 20, 10000);
        // The keyboard reaches the screen through the window: Tab frames the next stop.
        const QImage primaDelTab = ferma().copy(palco);
        x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Tab")});
        QTRY_VERIFY_WITH_TIMEOUT(diversi(schermata().copy(palco), primaDelTab) > 20, 10000);
        const QImage tavolaFinestra = ferma();

        // Full screen again: the plate whole at its own size, the same picture the window
        // showed scaled down.
        x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+Return")});
        QTRY_VERIFY_WITH_TIMEOUT(internoFinestra(id).size() == Monitor, 10000);
        const QImage tavolaIntera = ferma();
        controllaIntero(tavolaIntera, "plate, full screen again");
        if (QTest::currentTestFailed())
            return;
        const QImage tavolaRidotta =
            tavolaIntera.copy(SchermoIntero)
                .scaled(palco.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double t = differenza(tavolaFinestra.copy(palco), tavolaRidotta);
        QVERIFY2(t < 8, qPrintable(QStringLiteral("window and full screen differ: %1").arg(t)));
        QVERIFY(differenza(tavolaIntera.copy(SchermoIntero), casaSchermo) > 20);
        // And the keyboard came back with the screen.
        x(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Tab")});
        QTRY_VERIFY_WITH_TIMEOUT(diversi(schermata(), tavolaIntera) > 20, 10000);

        programma.kill();
        programma.waitForFinished();
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestPiccolo t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_piccolo.moc"
