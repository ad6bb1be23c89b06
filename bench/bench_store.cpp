// bench_store [ROUNDS]: how much a plate costs through the store (extracted, loaded into the image
// control and painted once) against decoding it from memory.
// Prints the median times and their ratio; the aim is at most 1.3.

#include "BlobStore.h"
#include "CaricaImmagine.h"
#include "FXImage.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "QxBlob2.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>

using namespace hn;

namespace {

// A 1024 × 768 plate drawn like an atlas illustration: shaded shapes, outlines and labels.
QByteArray tavola() {
    QImage img(1024, 768, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sfondo(0, 0, 0, 768);
    sfondo.setColorAt(0, QColor(250, 245, 235));
    sfondo.setColorAt(1, QColor(225, 215, 200));
    p.fillRect(img.rect(), sfondo);
    QRandomGenerator caso(2002);
    for (int i = 0; i < 400; ++i) {
        const QRectF r(caso.bounded(1024), caso.bounded(768), 20 + caso.bounded(200),
                       20 + caso.bounded(150));
        QRadialGradient g(r.center(), r.width() / 2);
        g.setColorAt(0, QColor::fromHsv(caso.bounded(40), 80 + caso.bounded(120), 255));
        g.setColorAt(1, QColor::fromHsv(caso.bounded(40), 150, 120 + caso.bounded(80)));
        p.setBrush(g);
        p.setPen(QPen(QColor(60, 30, 20), 1.5));
        p.drawEllipse(r);
    }
    p.setPen(Qt::black);
    for (int i = 0; i < 40; ++i)
        p.drawText(caso.bounded(900), caso.bounded(740) + 20, QStringLiteral("Mięsień %1").arg(i));
    p.end();
    QByteArray dati;
    QBuffer b(&dati);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    return dati;
}

double mediana(QList<double> tempi) {
    std::sort(tempi.begin(), tempi.end());
    return tempi[tempi.size() / 2];
}

template <typename F> double misura(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(3, std::atoi(argv[1])) : 40;

    prova::HostDiProva host;
    Fileini::cfg.PathTemp = QStringLiteral("C:\\VELTO\\");
    Fileini::cfg.PathFoto = QStringLiteral("D:\\DATI\\");
    const QByteArray png = tavola();
    blob::scriviStore(host.percorsoHost(QStringLiteral("D:\\DATI\\BlobCorp.dat")),
                      {{QStringLiteral("SCHEL1.png"), png, {}}});

    FXImage fx;
    fx.resize(1024, 768);
    QImage schermo(1024, 768, QImage::Format_ARGB32_Premultiplied), decodificata;
    // Extracted, loaded into the control and drawn once, as the viewer shows a plate.
    auto caricaDaStore = [&] {
        if (CaricaImmagine(QStringLiteral("SCHEL1.png"), fx, {}, nullptr, 0).has_value())
            qFatal("the plate did not load");
        fx.render(&schermo);
    };
    auto decodifica = [&] {
        QBuffer b;
        b.setData(png);
        b.open(QIODevice::ReadOnly);
        QImageReader r(&b, "PNG");
        if (!r.read(&decodificata))
            qFatal("the plate did not decode");
    };
    QxBlob2 lettore;
    lettore.setProprieta1(QStringLiteral("D:\\DATI\\BlobCorp.dat"));
    auto estrai = [&] {
        lettore.Metodo2(QStringLiteral("SCHEL1.png"), QStringLiteral("C:\\VELTO\\SCHEL1.png"));
        QFile::remove(host.percorsoHost(QStringLiteral("C:\\VELTO\\SCHEL1.png")));
    };

    // Warm the caches and the store's directory first, as a running program has them. The ways
    // take turns, so a busy machine slows them alike.
    caricaDaStore();
    decodifica();
    QList<double> store, memoria, estrazione;
    for (int i = 0; i < giri; ++i) {
        store.append(misura(caricaDaStore));
        memoria.append(misura(decodifica));
        estrazione.append(misura(estrai));
    }
    const double tStore = mediana(store), tMemoria = mediana(memoria);
    const double tEstrazione = mediana(estrazione);
    if (fx.Picture() != decodificata)
        qFatal("the two ways gave different pictures");

    const double rapporto = tStore / tMemoria;
    std::printf("plate 1024x768 PNG, %lld bytes, %d rounds (medians)\n",
                static_cast<long long>(png.size()), giri);
    std::printf("  CaricaImmagine and one paint:     %8.3f ms\n", tStore);
    std::printf("    of which store to file:        %8.3f ms\n", tEstrazione);
    std::printf("  decode from memory:               %8.3f ms\n", tMemoria);
    std::printf("  ratio: %.3f (aim: at most 1.3) %s\n", rapporto,
                rapporto <= 1.3 ? "met" : "MISSED");
    return 0;
}
