// The stage on a real X server whose monitor gives a fractional factor (run by sotto_x.sh
// --monitor): what the monitor shows, not what the widgets believe. The program's screen must lie
// on whole device pixels, centred, with its own first and last columns drawn and black bars of
// equal width beside it, full screen and again after a trip through a window.

#include "Forma.h"
#include "HostDiProva.h"
#include "Palco.h"
#include "ScrivaniaX.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <cmath>

using namespace hn;
using namespace scrivania;

namespace {

const QColor Rosso(200, 30, 30), Verde(30, 160, 60);

// A form filling the program's screen: red inside a green frame one program pixel wide, so the
// screen's edges can be told from its inside and from the black around it.
class Incorniciata : public Forma {
public:
    Incorniciata()
        : Forma(QStringLiteral("FMed")) {
        setBorderStyle(0);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Verde);
        p.fillRect(rect().adjusted(1, 1, -1, -1), Rosso);
    }
};

// The run of pixels that are not black along a line of the image, as first and last index.
struct Tratto {
    int primo = -1, ultimo = -1;
};
Tratto nonNero(const QImage& img, bool riga, int dove) {
    Tratto t;
    const int n = riga ? img.width() : img.height();
    for (int i = 0; i < n; ++i) {
        const QColor c = riga ? img.pixelColor(i, dove) : img.pixelColor(dove, i);
        if (c != QColor(Qt::black)) {
            if (t.primo < 0)
                t.primo = i;
            t.ultimo = i;
        }
    }
    return t;
}

// Colours nearly equal: the edges of a smoothed picture may blend a little.
bool simile(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <=
           24;
}

} // namespace

class TestCentro : public QObject {
    Q_OBJECT
private:
    // The monitor's middle row and column: bars equal, the screen exactly as wide and high as
    // the factor makes it, its edge columns and rows green with red just inside.
    void controlla(const QImage& img, const char* quando) {
        const QSize monitor = img.size();
        const double f = std::min(monitor.width() / 1024.0, monitor.height() / 768.0);
        const QSize atteso(int(std::lround(1024 * f)), int(std::lround(768 * f)));
        const Tratto o = nonNero(img, true, monitor.height() / 2);
        const Tratto v = nonNero(img, false, monitor.width() / 2);
        const QString dove = QStringLiteral("%1: columns %2-%3, rows %4-%5 on %6x%7")
                                 .arg(QLatin1String(quando))
                                 .arg(o.primo)
                                 .arg(o.ultimo)
                                 .arg(v.primo)
                                 .arg(v.ultimo)
                                 .arg(monitor.width())
                                 .arg(monitor.height());
        QVERIFY2(o.ultimo - o.primo + 1 == atteso.width(), qPrintable(dove));
        QVERIFY2(v.ultimo - v.primo + 1 == atteso.height(), qPrintable(dove));
        QVERIFY2(o.primo == monitor.width() - 1 - o.ultimo, qPrintable(dove));
        QVERIFY2(v.primo == monitor.height() - 1 - v.ultimo, qPrintable(dove));
        const int y = monitor.height() / 2, x = monitor.width() / 2;
        QVERIFY2(simile(img.pixelColor(o.primo, y), Verde) &&
                     simile(img.pixelColor(o.ultimo, y), Verde) &&
                     simile(img.pixelColor(x, v.primo), Verde) &&
                     simile(img.pixelColor(x, v.ultimo), Verde),
                 qPrintable(dove + QStringLiteral(": an edge of the screen is not drawn")));
        const int dentro = int(std::ceil(f)) + 1;
        QVERIFY2(simile(img.pixelColor(o.primo + dentro, y), Rosso) &&
                     simile(img.pixelColor(o.ultimo - dentro, y), Rosso),
                 qPrintable(dove + QStringLiteral(": the frame is wider than a program pixel")));
    }

private Q_SLOTS:
    void centratoAlPixelDelMonitor() {
        prova::HostDiProva h;
        Palco palco(ModoScala::Adatta);
        QtScreen schermo(&palco);
        host().screen = &schermo;
        Incorniciata casa;
        casa.MoveTw(0, 0, 1024 * 15, 768 * 15);
        casa.Show();
        QTRY_VERIFY(casa.isVisible() && palco.isActiveWindow());
        controlla(ferma(150), "full screen");
        if (QTest::currentTestFailed())
            return;
        palco.alterna();
        QTest::qWait(300);
        palco.alterna();
        controlla(ferma(150), "full screen after a window");
        host().screen = &h.schermo;
    }
};

int main(int argc, char** argv) {
    preparaPalco();
    QApplication app(argc, argv);
    TestCentro t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_centro.moc"
