#include "Palco.h"

#include "Controlli.h"
#include "Forma.h"
#include "HostDiProva.h"
#include "Riga.h"
#include "ServiziReali.h"

#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRectF>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>

using namespace hn;
using hn::prova::riga;

Q_DECLARE_METATYPE(hn::ModoScala)

namespace {

// The stage in monitor pixels.
QRectF palcoNativo(const GeometriaPalco& g) {
    return {g.versoMonitor(QPointF(0, 0)),
            g.versoMonitor(QPointF(g.schermo.width(), g.schermo.height()))};
}

// What the probe printed: key → numbers; the monitors' names by key in nomi.
QHash<QString, QList<double>> leggiSonda(const QByteArray& uscita, QHash<QString, QString>* nomi) {
    QHash<QString, QList<double>> valori;
    for (const QByteArray& riga : uscita.split('\n')) {
        const QList<QByteArray> parti = riga.trimmed().split(' ');
        if (parti.size() < 2)
            continue;
        if (parti[0].endsWith("onitor"))
            nomi->insert(QString::fromUtf8(parti[0]), QString::fromUtf8(parti[1]));
        QList<double> numeri;
        for (qsizetype i = 1; i < parti.size(); ++i)
            numeri.append(parti[i].toDouble());
        valori.insert(QString::fromUtf8(parti[0]), numeri);
    }
    return valori;
}

// A rectangle as "x,y wxh", for failure messages.
QString comeTesto(const QRectF& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// A form where the stage puts it: placement is in whole program pixels, so its corner may be off
// by the fraction of one (fattore device pixels); its size is exact.
bool alSuoPosto(const QRectF& forma, const QRectF& atteso, double fattore) {
    return std::abs(forma.x() - atteso.x()) < fattore &&
           std::abs(forma.y() - atteso.y()) < fattore &&
           std::abs(forma.width() - atteso.width()) < 1e-6 &&
           std::abs(forma.height() - atteso.height()) < 1e-6;
}

QRectF rettangolo(const QList<double>& v) {
    return v.size() == 4 ? QRectF(v[0], v[1], v[2], v[3]) : QRectF();
}

// A program screen scaled to a monitor with smoothing, as on 1080p or 4K.
class SchermoLiscio : public prova::FixedScreen {
public:
    bool scalaLiscia() const override { return true; }
};

} // namespace

class TestPalco : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void valoriDiScala_data() {
        QTest::addColumn<QString>("valore");
        QTest::addColumn<ModoScala>("atteso");
        riga("fit", QString("fit"), ModoScala::Adatta);
        riga("integer", QString("integer"), ModoScala::Intero);
        riga("native, any case", QString(" Native "), ModoScala::Nativo);
        riga("unset", QString(), ModoScala::Adatta);
        riga("unknown", QString("stretch"), ModoScala::Adatta);
    }
    void valoriDiScala() {
        QFETCH(QString, valore);
        QFETCH(ModoScala, atteso);
        QCOMPARE(modoScalaDa(valore), atteso);
    }

    // The platform asked of Qt: Wayland in a Wayland session (X11 as the fallback where an X
    // display is at hand too), X11 in an X session, else what the user set; no display at all
    // is reported rather than left to Qt's abort.
    void sceltaDellaPiattaforma() {
        const QByteArray prima[] = {qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"),
                                    qgetenv("QT_QPA_PLATFORM")};
        // DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM → the platform asked for ("-": no display).
        for (const auto& [x11, wayland, scelta, attesa] :
             {std::array<const char*, 4>{":0", "", "", "xcb"},
              {":0", "wayland-0", "", "wayland;xcb"},
              {"", "wayland-0", "", "wayland"},
              {":0", "wayland-0", "wayland", "wayland"},
              {"", "", "", "-"}}) {
            qputenv("DISPLAY", x11);
            qputenv("WAYLAND_DISPLAY", wayland);
            qputenv("QT_QPA_PLATFORM", scelta);
            const bool trovato = scegliPiattaforma();
            QCOMPARE(trovato ? qgetenv("QT_QPA_PLATFORM") : QByteArray("-"), QByteArray(attesa));
        }
        qputenv("DISPLAY", prima[0]);
        qputenv("WAYLAND_DISPLAY", prima[1]);
        qputenv("QT_QPA_PLATFORM", prima[2]);
    }

    // The factor and the place of the program's screen for each kind of monitor.
    void sceltaDelPalco_data() {
        QTest::addColumn<QSize>("monitor");
        QTest::addColumn<ModoScala>("modo");
        QTest::addColumn<QSize>("schermo");
        QTest::addColumn<double>("fattore");
        QTest::addColumn<QPoint>("origine");
        QTest::addColumn<bool>("nitido");
        const auto A = ModoScala::Adatta, I = ModoScala::Intero, N = ModoScala::Nativo;
        const QSize v(1024, 768);
        riga("1920x1080 fit", QSize(1920, 1080), A, v, 1.40625, QPoint(171, 0), false);
        riga("1920x1080 integer", QSize(1920, 1080), I, v, 1.0, QPoint(448, 156), true);
        riga("1920x1080 native", QSize(1920, 1080), N, QSize(1920, 1080), 1.0, QPoint(), true);
        riga("2560x1440 fit", QSize(2560, 1440), A, v, 1.875, QPoint(171, 0), false);
        riga("3840x2160 integer", QSize(3840, 2160), I, v, 2.0, QPoint(448, 156), true);
        riga("2048x1536 fit is whole", QSize(2048, 1536), A, v, 2.0, QPoint(), true);
        riga("1366x768 fit", QSize(1366, 768), A, v, 1.0, QPoint(171, 0), true);
        riga("1280x1024 fit", QSize(1280, 1024), A, v, 1.25, QPoint(0, 26), false);
        // Smaller than the screen: scaled down whole, never cut; integer scaling has no whole
        // factor below one and fits too.
        riga("1280x720 scaled down", QSize(1280, 720), A, v, 0.9375, QPoint(171, 0), false);
        riga("1280x720 integer scaled down", QSize(1280, 720), I, v, 0.9375, QPoint(171, 0), false);
        riga("1280x720 native as it is", QSize(1280, 720), N, QSize(1280, 720), 1.0, QPoint(),
             true);
        riga("800x600 as it is", QSize(800, 600), A, QSize(800, 600), 1.0, QPoint(), true);
        riga("640x480 as it is", QSize(640, 480), I, QSize(640, 480), 1.0, QPoint(), true);
        riga("1024x768 as it is", v, A, v, 1.0, QPoint(), true);
        riga("unknown monitor", QSize(), A, v, 1.0, QPoint(), true);
    }
    void sceltaDelPalco() {
        QFETCH(QSize, monitor);
        QFETCH(ModoScala, modo);
        const GeometriaPalco g = calcolaPalco(monitor, modo);
        QTEST(g.schermo, "schermo");
        QTEST(g.fattore, "fattore");
        QTEST(g.origine, "origine");
        QTEST(g.nitido, "nitido");
        if (monitor.isEmpty())
            return;
        // The whole stage lies on the monitor, centred to the device pixel.
        const QRectF r = palcoNativo(g);
        QVERIFY(QRectF(QPointF(), QSizeF(monitor)).adjusted(-0.01, -0.01, 0.01, 0.01).contains(r));
        QVERIFY(std::abs(r.left() - (monitor.width() - r.right())) <= 1);
        QVERIFY(std::abs(r.top() - (monitor.height() - r.bottom())) <= 1);
    }

    // The screen on whole device pixels of the monitors students have, bars equal; where a
    // placement in whole program pixels would paint it a device pixel off, the geometry says
    // so, since the stage must then place it itself.
    void centratoAlPixel_data() {
        QTest::addColumn<QSize>("monitor");
        QTest::addColumn<ModoScala>("modo");
        QTest::addColumn<QRect>("nativo");
        QTest::addColumn<bool>("fuoriCentro");
        const auto A = ModoScala::Adatta;
        riga("1366x768", QSize(1366, 768), A, QRect(171, 0, 1024, 768), false);
        riga("1600x900", QSize(1600, 900), A, QRect(200, 0, 1200, 900), false);
        riga("1920x1080", QSize(1920, 1080), A, QRect(240, 0, 1440, 1080), false);
        riga("2048x1536", QSize(2048, 1536), A, QRect(0, 0, 2048, 1536), false);
        riga("2560x1440", QSize(2560, 1440), A, QRect(320, 0, 1920, 1440), true);
        riga("3840x2160", QSize(3840, 2160), A, QRect(480, 0, 2880, 2160), true);
        riga("1280x1024", QSize(1280, 1024), A, QRect(0, 32, 1280, 960), false);
        // Larger than its area: scaled down into it, whole.
        riga("1280x720", QSize(1280, 720), A, QRect(160, 0, 960, 720), false);
        // A window on a 1366 × 768 desktop with a panel, a title bar and a frame.
        riga("window 1229x655", QSize(1229, 655), A, QRect(178, 0, 873, 655), false);
        // Odd spare pixels: the odd one on either side, as Qt places the screen anyway.
        riga("1027x771 integer", QSize(1027, 771), ModoScala::Intero, QRect(2, 2, 1024, 768),
             false);
    }
    void centratoAlPixel() {
        QFETCH(QSize, monitor);
        QFETCH(ModoScala, modo);
        const GeometriaPalco scelta = adattaPalco(monitor, QSize(1024, 768), modo);
        QTEST(scelta.nativo, "nativo");
        QTEST(scelta.fuoriCentro, "fuoriCentro");
        // A program pixel and the device pixel under it map into each other.
        const QPointF angolo = scelta.versoMonitor(QPointF(0, 0));
        QCOMPARE(angolo, QPointF(scelta.nativo.topLeft()));
        QCOMPARE(scelta.versoSchermo(scelta.versoMonitor(QPointF(517, 301))), QPointF(517, 301));
    }

    // The real start-up on monitors the platform is told to offer: the form covering the
    // program's screen must sit exactly on the stage, on the monitor under the mouse, and
    // come back to the same place after a round trip through a window.
    void avvioSuiMonitor_data() {
        QTest::addColumn<QList<QRect>>("monitori");
        QTest::addColumn<QString>("scala");
        QTest::addColumn<int>("scelto");
        for (const QSize m : {QSize(1366, 768), QSize(1600, 900), QSize(1920, 1080),
                              QSize(2048, 1536), QSize(2560, 1440), QSize(3840, 2160)})
            riga(qPrintable(QStringLiteral("%1x%2").arg(m.width()).arg(m.height())),
                 QList<QRect>{QRect(QPoint(), m)}, QString(), 0);
        riga("1920x1080 integer", QList<QRect>{{0, 0, 1920, 1080}}, QString("integer"), 0);
        riga("800x600", QList<QRect>{{0, 0, 800, 600}}, QString(), 0);
        // Scaled down full screen, through the stage's view.
        riga("1280x720", QList<QRect>{{0, 0, 1280, 720}}, QString(), 0);
        riga("mouse on the large one", QList<QRect>{{0, 0, 1920, 1080}, {1920, 0, 1024, 768}},
             QString(), 0);
        riga("mouse on the small one", QList<QRect>{{1024, 0, 1920, 1080}, {0, 0, 1024, 768}},
             QString(), 1);
    }
    void avvioSuiMonitor() {
        QFETCH(QList<QRect>, monitori);
        QFETCH(QString, scala);
        QFETCH(int, scelto);
        QTemporaryDir cartella;
        QByteArray json = "{ \"screens\": [";
        for (int i = 0; i < monitori.size(); ++i) {
            const QRect& m = monitori[i];
            json += QStringLiteral("%1{\"name\": \"M%2\", \"x\": %3, \"y\": %4, \"width\": %5, "
                                   "\"height\": %6, \"logicalDpi\": 96, \"dpr\": 1}")
                        .arg(i ? "," : "")
                        .arg(i)
                        .arg(m.x())
                        .arg(m.y())
                        .arg(m.width())
                        .arg(m.height())
                        .toUtf8();
        }
        json += "] }";
        const QString config = cartella.filePath("schermi.json");
        QFile f(config);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(json);
        f.close();

        QProcess sonda;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
        env.remove("HNEMAR_SCALE");
        if (!scala.isEmpty())
            env.insert("HNEMAR_SCALE", scala);
        sonda.setProcessEnvironment(env);
        sonda.start(QStringLiteral(HNEMAR_SONDA_PALCO), {});
        QVERIFY(sonda.waitForFinished(60000));
        QCOMPARE(sonda.exitCode(), 0);
        QHash<QString, QString> nomi;
        const auto v = leggiSonda(sonda.readAllStandardOutput(), &nomi);
        QCOMPARE(nomi.value("monitor"), QStringLiteral("M%1").arg(scelto));

        const QSize monitor = monitori[scelto].size();
        const GeometriaPalco g = calcolaPalco(monitor, modoScalaDa(scala));
        QCOMPARE(v.value("schermo"),
                 (QList<double>{double(g.schermo.width()), double(g.schermo.height())}));
        QCOMPARE(v.value("liscia"), QList<double>{g.nitido ? 0.0 : 1.0});
        QCOMPARE(rettangolo(v.value("monitorNativo")).size(), QSizeF(monitor));
        const QRectF forma = rettangolo(v.value("forma"));
        QVERIFY2(alSuoPosto(forma, palcoNativo(g), g.fattore),
                 qPrintable(QStringLiteral("form at ") + comeTesto(forma)));
        // Below one (the GUI at one device pixel per desktop pixel) a widget's far corner is
        // told to tooltips and assistive tools where the view draws it, within a pixel.
        if (g.fattore < 1) {
            const QRectF figlio = rettangolo(v.value("figlio"));
            const QList<double> globale = v.value("figlioGlobale");
            QVERIFY2(globale.size() == 2 && std::abs(globale[0] - figlio.right()) <= 1 &&
                         std::abs(globale[1] - figlio.bottom()) <= 1,
                     qPrintable(QStringLiteral("child at ") + comeTesto(figlio)));
        }
        // The stage's window is the monitor to the device pixel, whatever the factor rounds,
        // and the screen in it centred to within a device pixel.
        QCOMPARE(rettangolo(v.value("palco")), QRectF(QPointF(), QSizeF(monitor)));
        const double sinistra = forma.left(), destra = monitor.width() - forma.right();
        const double sopra = forma.top(), sotto = monitor.height() - forma.bottom();
        QVERIFY2(std::abs(sinistra - destra) <= 1 + 1e-6 && std::abs(sopra - sotto) <= 1 + 1e-6,
                 qPrintable(QStringLiteral("form at ") + comeTesto(forma)));
        // In a window, it fits the monitor with room for a title bar.
        const QRectF normale = rettangolo(v.value("finestraNormale"));
        QVERIFY2(QRectF(QPointF(), QSizeF(monitor)).contains(normale) &&
                     normale.height() <= monitor.height() * 0.9 + 1,
                 qPrintable(QStringLiteral("window at ") + comeTesto(normale)));
        QCOMPARE(v.value("finestra"), (QList<double>{0, 0, 0}));
        // A window made larger shows the screen as large as it fits, centred in it.
        const QRectF grande = rettangolo(v.value("finestraGrande"));
        const QRectF dentro = rettangolo(v.value("formaInFinestra"));
        const GeometriaPalco inFinestra =
            adattaPalco(QSize(1600, 900), g.schermo, modoScalaDa(scala));
        const double k = inFinestra.fattore;
        QVERIFY2(
            std::abs(grande.width() - 1600) <= k && std::abs(grande.height() - 900) <= k &&
                std::abs(dentro.width() - g.schermo.width() * k) <= k &&
                std::abs(dentro.height() - g.schermo.height() * k) <= k &&
                std::abs(dentro.center().x() - grande.center().x()) <= k &&
                std::abs(dentro.center().y() - grande.center().y()) <= k,
            qPrintable(
                QStringLiteral("window %1, form %2").arg(comeTesto(grande), comeTesto(dentro))));
        QCOMPARE(rettangolo(v.value("ritorno")), forma);
        if (monitori.size() < 2)
            return;
        // Full screen again after the window was moved to the other monitor: the same screen,
        // fitted to that monitor.
        const int altro = 1 - scelto;
        QCOMPARE(nomi.value("altroMonitor"), QStringLiteral("M%1").arg(altro));
        const GeometriaPalco g2 = adattaPalco(monitori[altro].size(), g.schermo, ModoScala::Adatta);
        const QRectF forma2 = rettangolo(v.value("formaAltrove"));
        QVERIFY2(alSuoPosto(forma2, palcoNativo(g2), g2.fattore),
                 qPrintable(QStringLiteral("form at ") + comeTesto(forma2)));
    }

    // Shown at once but painted only once a window shows, on it or over it (a message box
    // before the home screen); a box over the stage paints from the start.
    void dipintoDallaPrimaFinestra() {
        {
            Palco palco(ModoScala::Adatta);
            QVERIFY(palco.isVisible());
            QVERIFY(!palco.updatesEnabled());
            QWidget forma;
            forma.resize(100, 100);
            palco.accogli(forma);
            QVERIFY(!palco.updatesEnabled());
            forma.show();
            QVERIFY(palco.updatesEnabled());
            QVERIFY(forma.updatesEnabled());
        }
        Palco palco(ModoScala::Adatta);
        QWidget scatola(&palco, Qt::Dialog);
        QVERIFY(scatola.updatesEnabled());
        scatola.show();
        QVERIFY(palco.updatesEnabled());
        QCOMPARE(palco.grab().toImage().pixelColor(5, 5), QColor(Qt::black));
    }

    // The start-up's hourglass waits for the stage's first window; what was asked for last is
    // shown then, and from then on at once. The screen pops only what it pushed itself.
    void puntatoreDallaPrimaFinestra() {
        QVERIFY(!QGuiApplication::overrideCursor());
        QGuiApplication::setOverrideCursor(Qt::CrossCursor); // someone else's
        {
            Palco palco(ModoScala::Adatta);
            QtScreen schermo(&palco);
            schermo.setMousePointer(Puntatore::Clessidra);
            schermo.setMousePointer(Puntatore::Predefinito);
            schermo.setMousePointer(Puntatore::Personalizzato);
            QCOMPARE(schermo.mousePointer(), int(Puntatore::Personalizzato));
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
            QWidget forma;
            forma.resize(100, 100);
            palco.accogli(forma);
            forma.show();
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
            schermo.setMousePointer(Puntatore::Clessidra);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            schermo.setMousePointer(Puntatore::Predefinito);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        }
        {
            // A screen that ends before the first window leaves nothing behind it.
            Palco palco(ModoScala::Adatta);
            {
                QtScreen schermo(&palco);
                schermo.setMousePointer(Puntatore::Clessidra);
            }
            QWidget forma;
            palco.accogli(forma);
            forma.show();
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        }
        QGuiApplication::restoreOverrideCursor();
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // A hover frame repaints thin strips of the smoothed picture: all their device pixels, as
    // the whole picture paints them.
    void ridisegniPiccoliComeLaFiguraIntera_data() {
        QTest::addColumn<double>("scala");
        QTest::newRow("3840x2160") << 2.8125;
        QTest::newRow("1600x900") << 1.171875;
    }
    void ridisegniPiccoliComeLaFiguraIntera() {
        QFETCH(double, scala);
        const QRegion cornice = QRegion(200, 199, 105, 3) + QRegion(199, 200, 3, 190) +
                                QRegion(301, 200, 3, 190) + QRegion(410, 205, 3, 190);
        prova::HostDiProva banco;
        SchermoLiscio liscio;
        host().screen = &liscio;
        Forma f(QStringLiteral("FMed"));
        Riquadro fondo(&f, QStringLiteral("FONDO"));
        QImage figura(1024, 768, QImage::Format_RGB32);
        QRandomGenerator caso(2002);
        std::generate_n(reinterpret_cast<quint32*>(figura.bits()), 1024 * 768,
                        [&] { return caso.generate() | 0xff000000u; });
        fondo.ImpostaPicture(figura);
        fondo.resize(figura.size());
        QWidget pieno; // paints just the device pixels an update covers
        pieno.resize(figura.size());
        pieno.setAutoFillBackground(true);
        QImage tele[3];
        for (QImage& t : tele) {
            t = QImage((QSizeF(figura.size()) * scala).toSize(), QImage::Format_RGB32);
            t.setDevicePixelRatio(scala);
            t.fill(Qt::magenta);
        }
        fondo.render(&tele[0]);
        fondo.render(&tele[1], cornice.boundingRect().topLeft(), cornice);
        pieno.render(&tele[2], cornice.boundingRect().topLeft(), cornice);
        int peggiore = 0;
        for (int y = 0; y < tele[2].height(); ++y)
            for (int x = 0; x < tele[2].width(); ++x)
                if (tele[2].pixel(x, y) != tele[2].pixel(0, 0))
                    for (int c = 0; c < 24; c += 8)
                        peggiore =
                            std::max(peggiore, std::abs(int(tele[1].pixel(x, y) >> c & 255) -
                                                        int(tele[0].pixel(x, y) >> c & 255)));
        // Smoothing rounds a little differently where a row starts: never more than that.
        QVERIFY2(peggiore <= 8, qPrintable(QString::number(peggiore)));
    }
};

QTEST_MAIN(TestPalco)
#include "test_palco.moc"
