// bench_store [ROUNDS]: how much a plate costs through the store (read in memory, loaded into the
// image control and painted once) against decoding it from memory.
// Prints the median times and their ratio; the aim is at most 1.3.

#include "BlobStore.h"
#include "CaricaImmagine.h"
#include "FXImage.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "Misura.h"
#include "QxBlob2.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <cstdio>

using namespace hn;
using namespace hn::banco;

namespace {} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(3, std::atoi(argv[1])) : 40;

    prova::HostDiProva host;
    Fileini::cfg.PathTemp = QStringLiteral("C:\\VELTO\\");
    Fileini::cfg.PathFoto = QStringLiteral("D:\\DATI\\");
    const QByteArray png = tavolaDisegnata(QSize(1024, 768), 400, 40);
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
