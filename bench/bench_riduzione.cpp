// bench_riduzione [ROUNDS]: the home screen's drawing on a user's first start, made from the
// demo's background renditions as the read-ahead makes it (perIlDispositivo): from the 2 x
// rendition for a 1920 x 1080 monitor (1440 x 1080 pixels) and from the 3 x one for a
// 3840 x 2160 monitor (2880 x 2160), each reduced as its rows are decoded; and the reduction alone,
// from the rendition decoded beforehand. Medians of the processor time of the whole process.

#include "FileSicuro.h"
#include "Misura.h"
#include "Rendizioni.h"
#include "Ridimensiona.h"

#include <QCoreApplication>
#include <cstdio>
#include <ctime>

using namespace hn;
using namespace hn::banco;

namespace {

double cpu() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

template <typename F> double medianaCpu(int giri, F&& f) {
    QList<double> tempi;
    for (int i = 0; i < giri; ++i) {
        const double a = cpu();
        f();
        tempi.append(cpu() - a);
    }
    return mediana(tempi);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const QString sfondi = QStringLiteral(HNEMAR_DEMO_DIR "/drive_d/SFONDI/");
    const QImage base = QImage::fromData(
        leggiFileRegolare(sfondi + QStringLiteral("sistemi.bmp"), 64 * 1024 * 1024));
    struct Caso {
        const char* nome;
        int fattore;
        QSize schermo;
    };
    for (const Caso& c :
         {Caso{"1920 x 1080", 2, QSize(1440, 1080)}, Caso{"3840 x 2160", 3, QSize(2880, 2160)}}) {
        const QString file = sfondi + QStringLiteral("sistemi@%1x.bmp").arg(c.fattore);
        QImage fatta;
        const double tutto = medianaCpu(giri, [&] {
            fatta = perIlDispositivo(base, rendizioniDaiFile({{c.fattore, file}}, base.size()),
                                     c.schermo, Filtro::Nitido);
        });
        const QImage intera = QImage::fromData(leggiFileRegolare(file, 64 * 1024 * 1024))
                                  .convertToFormat(QImage::Format_RGB32);
        if (fatta.size() != c.schermo || intera.size() != base.size() * c.fattore) {
            std::fprintf(stderr, "the %dx rendition could not be read\n", c.fattore);
            return 1;
        }
        const double riduzione =
            medianaCpu(giri, [&] { fatta = ridimensiona(intera, c.schermo, Filtro::Nitido); });
        std::printf("%s: drawing from the %dx rendition %.1f ms, of which the reduction %.1f ms\n",
                    c.nome, c.fattore, tutto, riduzione);
    }
    return 0;
}
