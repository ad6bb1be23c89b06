// Pictures painted through the real controls at the stage's factors, against the same drawing
// rendered straight at the device's resolution.

#include "Controlli.h"
#include "EtichetteDisegnate.h"
#include "FXImage.h"
#include "HostDiProva.h"
#include "Ridimensiona.h"

#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <cmath>

using namespace hn;

namespace {

// Plate-like line art: a bone's outline, thin leader lines and labels of 9 to 11 px, the part
// a student reads all day and the first to go soft.
const QByteArray tavolaSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='384' height='480'>\n"
                             "<rect width='384' height='480' fill='#f6f1e7'/>\n"
                             "<path d='M200 30 C160 110 240 190 196 290 S150 420 210 462' "
                             "stroke='#7a5632' stroke-width='10'\n"
                             " fill='none'/>\n"
                             "<ellipse cx='198' cy='92' rx='58' ry='44' fill='#ead8b9' "
                             "stroke='#3d2a18' stroke-width='1.5'/>\n"
                             "<path d='M120 250 L300 250 M120 320 L290 330 M60 400 L330 380' "
                             "stroke='#222' stroke-width='1'/>\n"
                             "<g font-family='DejaVu Sans' fill='#111'>\n"
                             "<text x='12' y='60' font-size='11'>Kość ciemieniowa</text>\n"
                             "<text x='250' y='150' font-size='10'>Szew wieńcowy</text>\n"
                             "<text x='14' y='246' font-size='9'>Wyrostek sutkowaty</text>\n"
                             "<text x='232' y='316' font-size='10'>Żuchwa (gałąź)</text>\n"
                             "<text x='20' y='396' font-size='9'>Kręg szyjny C2 – ząb</text>\n"
                             "<text x='260' y='440' font-size='11'>Obojczyk</text>\n"
                             "</g></svg>\n";

const QSize tavola(384, 480);
// Where the viewer's plate lies in its form, in program pixels: a fractional device position
// at 1920 × 1080.
const QPoint posto(433, 144);

QImage svgA(QSize misura) {
    QSvgRenderer svg(tavolaSvg);
    QImage i(misura, QImage::Format_RGB32);
    i.fill(Qt::white);
    QPainter p(&i);
    svg.render(&p);
    return i;
}

// The renditions of the plate, read when a paint asks for them; `lette` counts the reads.
Rendizioni rendizioniSvg(const QList<int>& fattori, int* lette = nullptr) {
    Rendizioni r;
    for (int f : fattori)
        r.aggiungi(f, [f, lette] {
            if (lette)
                ++*lette;
            return svgA(tavola * f);
        });
    return r;
}

// The form painted as the stage paints it at `scala` device pixels per program pixel.
QImage dipinto(QWidget& forma, double scala) {
    QImage tela((QSizeF(forma.size()) * scala).toSize(), QImage::Format_RGB32);
    tela.setDevicePixelRatio(scala);
    tela.fill(Qt::black);
    forma.render(&tela);
    tela.setDevicePixelRatio(1);
    return tela;
}

// The device pixels a program rectangle covers, rounded edge by edge.
QRect nelDispositivo(QRect r, double scala) {
    const auto a = [scala](int v) { return int(std::floor(v * scala + 0.5)); };
    return QRect(QPoint(a(r.left()), a(r.top())),
                 QPoint(a(r.left() + r.width()) - 1, a(r.top() + r.height()) - 1));
}

// The plate drawn straight at the device's resolution: where the program's rectangle falls, or
// (`allineato`) on the whole device pixels the controls copy their picture onto.
QImage riferimento(QSize forma, double scala, bool allineato = true) {
    QImage tela((QSizeF(forma) * scala).toSize(), QImage::Format_RGB32);
    tela.fill(Qt::black);
    QPainter p(&tela);
    const QRect rect(posto, tavola);
    QSvgRenderer(tavolaSvg).render(
        &p, allineato ? QRectF(nelDispositivo(rect, scala))
                      : QRectF(QPointF(rect.topLeft()) * scala, QSizeF(rect.size()) * scala));
    return tela;
}

// Today's drawing of a 1 × picture: the painter scales it, smoothed, at a fractional factor.
QImage scalataDalPittore(QSize forma, double scala) {
    QImage tela((QSizeF(forma) * scala).toSize(), QImage::Format_RGB32);
    tela.setDevicePixelRatio(scala);
    tela.fill(Qt::black);
    QPainter p(&tela);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(posto, tavola), svgA(tavola));
    p.end();
    tela.setDevicePixelRatio(1);
    return tela;
}

double psnr(const QImage& a, const QImage& b, QRect dove) {
    double somma = 0;
    for (int y = dove.top(); y <= dove.bottom(); ++y)
        for (int x = dove.left(); x <= dove.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int c = 0; c < 24; c += 8) {
                const double d = int(p >> c & 255) - int(q >> c & 255);
                somma += d * d;
            }
        }
    const double mse = somma / (3.0 * dove.width() * dove.height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool uguali(const QImage& tela, QRect dove, const QImage& figura) {
    if (dove.size() != figura.size())
        return false;
    for (int y = 0; y < figura.height(); ++y)
        for (int x = 0; x < figura.width(); ++x)
            if (tela.pixel(dove.left() + x, dove.top() + y) != figura.pixel(x, y))
                return false;
    return true;
}

// One of the controls that draw a picture, holding the plate at `posto` in a form.
struct Banco {
    prova::HostDiProva host;
    Forma forma{QStringLiteral("FMed1")};
    ControlloConPicture* controllo = nullptr;
    QWidget* widget = nullptr;

    explicit Banco(const QString& tipo) {
        forma.MoveTw(0, 0, 1024 * 15, 720 * 15);
        if (tipo == QLatin1String("FXImage")) {
            auto* fx = new FXImage(&forma);
            fx->MoveTw(posto.x() * 15, posto.y() * 15, 0, 0);
            fx->setAutoSize(1);
            controllo = fx;
            widget = fx;
        } else if (tipo == QLatin1String("Image")) {
            auto* i = new Immagine(&forma, QStringLiteral("DISEGNO"));
            i->MoveTw(posto.x() * 15, posto.y() * 15, 0, 0);
            controllo = i;
            widget = i;
        } else {
            auto* r = new Riquadro(&forma, QStringLiteral("FONDO"));
            r->MoveTw(posto.x() * 15, posto.y() * 15, 0, 0);
            r->setAutoSize(true);
            controllo = r;
            widget = r;
        }
        controllo->ImpostaPicture(svgA(tavola));
    }
};

} // namespace

class TestNitido : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Whole factors with a rendition of that factor: the rendition's own pixels, 1:1; a 1 ×
    // installation at 1 × exactly as before: its picture's pixels.
    void fattoriInteriEsattiAlPixel_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<double>("scala");
        QTest::addColumn<QList<int>>("fattori");
        QTest::addColumn<int>("atteso");
        for (const char* tipo : {"FXImage", "Image", "PictureBox"}) {
            QTest::addRow("%s 1x, 1x only", tipo) << tipo << 1.0 << QList<int>{} << 1;
            QTest::addRow("%s 1x, 2x and 3x there", tipo) << tipo << 1.0 << QList<int>{2, 3} << 1;
            QTest::addRow("%s 2x, 2x there", tipo) << tipo << 2.0 << QList<int>{2} << 2;
            QTest::addRow("%s 3x, 2x and 3x there", tipo) << tipo << 3.0 << QList<int>{2, 3} << 3;
        }
    }
    void fattoriInteriEsattiAlPixel() {
        QFETCH(QString, tipo);
        QFETCH(double, scala);
        QFETCH(QList<int>, fattori);
        QFETCH(int, atteso);
        Banco b(tipo);
        b.controllo->ImpostaRendizioni(rendizioniSvg(fattori));
        const QImage tela = dipinto(b.forma, scala);
        QVERIFY(uguali(tela, nelDispositivo(QRect(posto, tavola), scala), svgA(tavola * atteso)));
    }

    // At 1920 × 1080 (1.40625 ×) the plate through the control is close to the drawing made
    // straight at that resolution: with renditions, reduced once; with the 1 × picture only,
    // enlarged sharp-bilinear, and never worse than the painter's own smoothing was.
    void fattoreFrazionarioVicinoAlDisegno_data() {
        QTest::addColumn<QString>("tipo");
        for (const char* tipo : {"FXImage", "Image", "PictureBox"})
            QTest::newRow(tipo) << tipo;
    }
    void fattoreFrazionarioVicinoAlDisegno() {
        QFETCH(QString, tipo);
        const double scala = 1.40625;
        Banco b(tipo);
        const QRect dove = nelDispositivo(QRect(posto, tavola), scala);
        const QImage atteso = riferimento(b.forma.size(), scala);

        const double soloUno = psnr(dipinto(b.forma, scala), atteso, dove);
        // The painter draws where the rectangle falls, between device pixels: measured there.
        const double primaDiOra = psnr(scalataDalPittore(b.forma.size(), scala),
                                       riferimento(b.forma.size(), scala, false), dove);
        b.controllo->ImpostaRendizioni(rendizioniSvg({2, 3}));
        const double conRendizioni = psnr(dipinto(b.forma, scala), atteso, dove);
        qInfo("PSNR at 1.40625x: renditions %.2f dB, 1x sharp %.2f dB, painter-smoothed %.2f dB",
              conRendizioni, soloUno, primaDiOra);
        QVERIFY2(conRendizioni >= 38, qPrintable(QString::number(conRendizioni)));
        QVERIFY2(soloUno >= primaDiOra, qPrintable(QString::number(soloUno)));
        QVERIFY2(soloUno >= 30, qPrintable(QString::number(soloUno)));
    }

    // A scale change (Alt+Enter, another monitor) is only a paint at another device size: the
    // picture is chosen again from it, and made once per size, not at every paint. New
    // renditions, a new picture and hiding each let go of what was made.
    void cambioDiScalaSceglieDiNuovo_data() {
        QTest::addColumn<QString>("tipo");
        for (const char* tipo : {"FXImage", "Image", "PictureBox"})
            QTest::newRow(tipo) << tipo;
    }
    void cambioDiScalaSceglieDiNuovo() {
        QFETCH(QString, tipo);
        Banco b(tipo);
        int lette = 0;
        b.controllo->ImpostaRendizioni(rendizioniSvg({2, 3}, &lette));
        const QRect rect(posto, tavola);
        QVERIFY(uguali(dipinto(b.forma, 2), nelDispositivo(rect, 2), svgA(tavola * 2)));
        QCOMPARE(lette, 1);
        dipinto(b.forma, 2);
        QCOMPARE(lette, 1); // the same size: nothing read or made again
        const QImage a4k = dipinto(b.forma, 2.8125);
        QCOMPARE(lette, 2);
        QVERIFY(psnr(a4k, riferimento(b.forma.size(), 2.8125), nelDispositivo(rect, 2.8125)) >= 34);
        QVERIFY(uguali(dipinto(b.forma, 1), nelDispositivo(rect, 1), svgA(tavola)));
        QCOMPARE(lette, 2); // 1 × needs no rendition
        // New renditions replace what was made from the old ones at once.
        Rendizioni rosse;
        rosse.aggiungi(2, [] {
            QImage i(tavola * 2, QImage::Format_RGB32);
            i.fill(Qt::red);
            return i;
        });
        b.controllo->ImpostaRendizioni(rosse);
        QCOMPARE(dipinto(b.forma, 2).pixelColor(nelDispositivo(rect, 2).center()), QColor(Qt::red));
        // A new picture lets go of them.
        b.controllo->ImpostaPicture(svgA(tavola));
        QVERIFY(b.controllo->nitidaVuota());
        QVERIFY(uguali(dipinto(b.forma, 2), nelDispositivo(rect, 2),
                       ridimensiona(svgA(tavola), tavola * 2, Filtro::Pixel)));
        // Out of sight it keeps no copy for the screen; back in sight it makes one again.
        b.forma.show();
        QVERIFY(!b.controllo->nitidaVuota());
        const int fatte = b.controllo->fatteNitide();
        b.widget->hide();
        QVERIFY(b.controllo->nitidaVuota());
        b.widget->show();
        QVERIFY(uguali(dipinto(b.forma, 2), nelDispositivo(rect, 2),
                       ridimensiona(svgA(tavola), tavola * 2, Filtro::Pixel)));
        QCOMPARE(b.controllo->fatteNitide(), fatte + 1);
    }

    // A stretched picture needs the factor of its drawn size, not of the stage alone.
    void stiratoSceglieDallaMisuraDisegnata() {
        prova::HostDiProva host;
        Forma f(QStringLiteral("FMed"));
        f.MoveTw(0, 0, 600 * 15, 400 * 15);
        Immagine im(&f, QStringLiteral("OK"));
        im.setStretch(true);
        im.MoveTw(15 * 10, 15 * 10, 15 * 200, 15 * 100); // twice the picture's size
        QImage uno(100, 50, QImage::Format_RGB32);
        uno.fill(Qt::red);
        im.ImpostaPicture(uno);
        Rendizioni r;
        for (int k : {2, 3})
            r.aggiungi(k, [k] {
                QImage i(QSize(100, 50) * k, QImage::Format_RGB32);
                i.fill(k == 2 ? Qt::green : Qt::blue);
                return i;
            });
        im.ImpostaRendizioni(r);
        QCOMPARE(im.width(), 200);
        // 1 × stage, 2 × stretch: the 2 × rendition; 1.40625 × stage: 2.8 → the 3 ×.
        QCOMPARE(dipinto(f, 1).pixelColor(110, 60), QColor(Qt::green));
        QCOMPARE(dipinto(f, 1.40625).pixelColor(155, 84), QColor(Qt::blue));
    }

    // Hotspots, sizes and twips come from the 1 × picture whatever is drawn: a click lands on
    // the same hotspot with or without renditions, painted at any factor.
    void colpiIdenticiConOgniRendizione_data() {
        QTest::addColumn<QList<int>>("fattori");
        QTest::addColumn<double>("scala");
        QTest::newRow("1x only") << QList<int>{} << 1.40625;
        QTest::newRow("2x") << QList<int>{2} << 2.0;
        QTest::newRow("2x and 3x") << QList<int>{2, 3} << 2.8125;
    }
    void colpiIdenticiConOgniRendizione() {
        QFETCH(QList<int>, fattori);
        QFETCH(double, scala);
        prova::HostDiProva host;
        Forma f(QStringLiteral("FMed1"));
        f.MoveTw(0, 0, 1024 * 15, 720 * 15);
        FXImage fx(&f);
        fx.MoveTw(posto.x() * 15, posto.y() * 15, 0, 0);
        fx.setAutoSize(1);
        fx.ImpostaPicture(svgA(tavola));
        ArrayEtichette hs(&fx, QStringLiteral("HOTSPOT"));
        hs.crea(1).MoveTw(100 * 15, 200 * 15, 40 * 15, 30 * 15);
        fx.ImpostaRendizioni(rendizioniSvg(fattori));
        dipinto(f, scala);
        QCOMPARE(QSize(fx.IWidth(), fx.IHeight()), tavola);
        QCOMPARE(fx.size(), tavola);
        QCOMPARE(fx.WidthTw(), tavola.width() * 15.0);
        QCOMPARE(fx.Picture().size(), tavola);
        QCOMPARE(hs.sotto(QPoint(100, 200)), &hs(1));
        QCOMPARE(hs.sotto(QPoint(139, 229)), &hs(1));
        QVERIFY(!hs.sotto(QPoint(140, 229)));
        QVERIFY(!hs.sotto(QPoint(99, 200)));
        QSignalSpy clic(&hs(1), &EventiControllo::Click);
        f.show();
        QTest::mouseClick(&fx, Qt::LeftButton, {}, QPoint(120, 215));
        QCOMPARE(clic.size(), 1);
        QTest::mouseClick(&fx, Qt::LeftButton, {}, QPoint(141, 215));
        QCOMPARE(clic.size(), 1);
    }

    // The pointer keeps its size on the program's screen: made at the device pixels it covers,
    // from its rendition when it has one, its hot spot on the same spot of the drawn hand.
    void puntatoreAllaScalaDelloSchermo_data() {
        QTest::addColumn<double>("scala");
        QTest::addColumn<bool>("conRendizione");
        QTest::addColumn<QColor>("colore");
        QTest::newRow("1x") << 1.0 << true << QColor(Qt::red);
        QTest::newRow("1.40625x, 1x only") << 1.40625 << false << QColor(Qt::red);
        QTest::newRow("1.40625x, 2x there") << 1.40625 << true << QColor(Qt::green);
        QTest::newRow("2x, 2x there") << 2.0 << true << QColor(Qt::green);
        QTest::newRow("2.8125x, 1x only") << 2.8125 << false << QColor(Qt::red);
    }
    void puntatoreAllaScalaDelloSchermo() {
        QFETCH(double, scala);
        QFETCH(bool, conRendizione);
        QFETCH(QColor, colore);
        QImage mano(32, 32, QImage::Format_ARGB32);
        mano.fill(Qt::red);
        mano.setOffset(QPoint(18, 4));
        Rendizioni r;
        if (conRendizione)
            r.aggiungi(2, [] {
                QImage i(64, 64, QImage::Format_ARGB32);
                i.fill(Qt::green);
                return i;
            });
        const QCursor c = cursoreNitido(mano, r, scala);
        const int lato = int(std::lround(32 * scala));
        QCOMPARE(c.pixmap().toImage().size(), QSize(lato, lato));
        QCOMPARE(c.pixmap().toImage().pixelColor(lato / 2, lato / 2), colore);
        QCOMPARE(c.hotSpot(), QPoint(int(std::floor(18.5 * scala)), int(std::floor(4.5 * scala))));
    }

    // A form's controls all take the same pointer: its rendition is read once per scale, and
    // other renditions of the same icon, or another scale, make it again.
    void puntatoreFattoUnaVoltaPerScala() {
        QImage mano(32, 32, QImage::Format_ARGB32);
        mano.fill(Qt::red);
        int lette = 0;
        const auto di = [&lette](QColor colore) {
            Rendizioni r;
            r.aggiungi(3, [&lette, colore] {
                ++lette;
                QImage i(96, 96, QImage::Format_ARGB32);
                i.fill(colore);
                return i;
            });
            return r;
        };
        const auto colore = [](const QCursor& c) {
            return c.pixmap().toImage().pixelColor(10, 10);
        };
        const Rendizioni verdi = di(Qt::green);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(colore(cursoreNitido(mano, Rendizioni(verdi), 2.8125)), QColor(Qt::green));
        QCOMPARE(lette, 1);
        QCOMPARE(colore(cursoreNitido(mano, di(Qt::blue), 2.8125)), QColor(Qt::blue));
        QCOMPARE(lette, 2);
        QCOMPARE(cursoreNitido(mano, verdi, 2).pixmap().size(), QSize(64, 64));
        QCOMPARE(lette, 3);
        mano.fill(Qt::yellow); // a changed icon is another picture
        QCOMPARE(colore(cursoreNitido(mano, {}, 2)), QColor(Qt::yellow));
    }
};

QTEST_MAIN(TestNitido)
#include "test_nitido.moc"
