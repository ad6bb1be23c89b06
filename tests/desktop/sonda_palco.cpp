// Starts the GUI the way the program does, on whatever monitors the platform offers, shows a
// screen-sized form and prints where everything landed, one "key values" line each.

#include "Host.h"
#include "Palco.h"
#include "Scena.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QGraphicsProxyWidget>
#include <QGraphicsView>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>

using namespace hn;

namespace {

void stampa(const char* chiave, QRectF r) {
    std::printf("%s %g %g %g %g\n", chiave, r.x(), r.y(), r.width(), r.height());
}

// A widget in monitor device pixels, from the monitor's corner: the stage's window as the
// platform has it, a window on the stage as it is drawn in there, from the corner of the native
// sub-window it lies in when the stage placed the screen as one, or through the view that
// shows it scaled down.
QRectF nativa(const QWidget& w, const QScreen& monitor) {
    const QWindow* finestra = w.window()->windowHandle();
    if (const Palco* palco = Palco::attuale(); palco && palco->ridotto() && !w.isWindow()) {
        // Inside the stage's scaled view (the GUI at one device pixel per program pixel): where
        // the view draws the widget's corners, as it maps the mouse back.
        const auto* vista = palco->findChild<QGraphicsView*>();
        const QGraphicsProxyWidget* delega = palco->schermo()->graphicsProxyWidget();
        const QPointF angolo = QPointF(palco->windowHandle()->handle()->geometry().topLeft() -
                                       monitor.handle()->geometry().topLeft()) +
                               QPointF(vista->viewport()->mapTo(palco, QPoint()));
        const auto mappa = [&](QPoint p) {
            return angolo + vista->viewportTransform().map(
                                delega->mapToScene(QPointF(w.mapTo(palco->schermo(), p))));
        };
        return {mappa(QPoint()), mappa(QPoint(w.width(), w.height()))};
    }
    const QRect suMonitor = finestra->handle()->geometry();
    QPointF angolo = suMonitor.topLeft() - monitor.handle()->geometry().topLeft();
    if (w.isWindow())
        return QRectF(angolo, QSizeF(suMonitor.size()));
    const qreal dpr = finestra->devicePixelRatio();
    const QWidget* base = w.nativeParentWidget();
    if (base != w.window())
        angolo += base->windowHandle()->handle()->geometry().topLeft();
    return QRectF(angolo + QPointF(w.mapTo(base, QPoint())) * dpr, QSizeF(w.size()) * dpr);
}

} // namespace

int main(int argc, char** argv) {
    preparaPalco();
    QApplication app(argc, argv);
    Palco palco(modoScalaDa(qEnvironmentVariable("HNEMAR_SCALE")));
    QtScreen schermo(&palco);
    Host h;
    h.screen = &schermo;
    setHost(h);

    QWidget forma;
    sulPalco(forma);
    forma.resize(schermo.widthPixels(), schermo.heightPixels());
    forma.move(0, 0);
    forma.show();
    QCoreApplication::processEvents();

    const QScreen& monitor = *palco.monitor();
    std::printf("monitor %s\n", qPrintable(monitor.name()));
    stampa("monitorNativo", QRectF(QPointF(), QSizeF(monitor.handle()->geometry().size())));
    std::printf("schermo %d %d\n", schermo.widthPixels(), schermo.heightPixels());
    std::printf("liscia %d\n", schermo.scalaLiscia() ? 1 : 0);
    stampa("forma", nativa(forma, monitor));
    stampa("palco", nativa(palco, monitor));
    {
        // A widget inside the form: where the stage draws it, and where a tooltip or an
        // assistive tool is told it is on the desktop.
        QWidget figlio(&forma);
        figlio.setGeometry(300, 200, 50, 50);
        figlio.show();
        QCoreApplication::processEvents();
        stampa("figlio", nativa(figlio, monitor));
        const QPoint g = puntoGlobale(figlio, QPoint(50, 50)) - monitor.geometry().topLeft();
        std::printf("figlioGlobale %d %d\n", g.x(), g.y());
    }

    // Into a window and back: the form must stay on the program's screen all along.
    palco.alterna();
    QCoreApplication::processEvents();
    stampa("finestraNormale", nativa(palco, monitor));
    const QPoint inFinestra = forma.pos();
    std::printf("finestra %d %d %d\n", palco.schermoIntero() ? 1 : 0, inFinestra.x(),
                inFinestra.y());
    // The user drags the window to 1600 × 900 device pixels: the screen is fitted into it.
    const qreal primaDpr = palco.windowHandle()->devicePixelRatio();
    palco.resize(qRound(1600 / primaDpr), qRound(900 / primaDpr));
    QTest::qWait(200);
    stampa("finestraGrande", nativa(palco, monitor));
    stampa("formaInFinestra", nativa(forma, monitor));
    palco.alterna();
    QCoreApplication::processEvents();
    stampa("ritorno", nativa(forma, monitor));

    // The window taken to another monitor goes full screen there.
    for (QScreen* altro : QGuiApplication::screens()) {
        if (altro == &monitor)
            continue;
        palco.alterna();
        QCoreApplication::processEvents();
        palco.move(altro->geometry().center() - QPoint(palco.width() / 2, palco.height() / 2));
        QTest::qWait(100);
        palco.alterna();
        QCoreApplication::processEvents();
        std::printf("altroMonitor %s\n", qPrintable(palco.monitor()->name()));
        stampa("formaAltrove", nativa(forma, *altro));
        break;
    }
    std::fflush(stdout);
    return 0;
}
