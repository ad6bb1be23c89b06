// bench_viewer_cornice [ROUNDS]: one hover frame moving from a hotspot to the next on the real
// stage, painted and flushed, on a 1024 × 768 monitor, a 1920 × 1080 one and a 3840 × 2160 one
// (the 1024 × 768 screen scaled and smoothed to fit). Runs itself once per monitor on the
// offscreen platform. Aim: each larger monitor at most twice the cost of the 1024 × 768 one.
// Times are processor time.

#include "Controlli.h"
#include "Host.h"
#include "Misura.h"
#include "Mod_Graph.h"
#include "Palco.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <utility>

using namespace hn;
using namespace hn::banco;

namespace {

// Measures in this process: prints the median milliseconds of one frame move.
int misuraQui(int giri) {
    Palco palco(ModoScala::Adatta);
    QtScreen schermo(&palco);
    Host h;
    h.screen = &schermo;
    setHost(h);

    Forma f(QStringLiteral("FMed"));
    f.setBorderStyle(0);
    f.MoveTw(0, 0, 1024 * 15, 768 * 15);
    auto* fondo = new Riquadro(&f, QStringLiteral("FONDO"));
    QImage sfondo(1024, 768, QImage::Format_RGB32);
    {
        QPainter p(&sfondo);
        QLinearGradient g(0, 0, 0, 768);
        g.setColorAt(0, QColor(40, 70, 100));
        g.setColorAt(1, QColor(10, 20, 40));
        p.fillRect(sfondo.rect(), g);
    }
    fondo->setAutoSize(true);
    fondo->ImpostaPicture(sfondo);
    ArrayLinee linea(fondo, QStringLiteral("Linea"));
    ArrayControlli<Etichetta> hot(fondo, QStringLiteral("lbl_HotSpot"));
    for (int i = 0; i < 2; ++i)
        hot.crea(i).MoveTw(3000 + i * 3000, 3000, 1500, 2800);
    qint16 gruppi = Mod_Graph::PreparaCornici(f, *fondo);
    f.Show();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    QList<double> tempi;
    for (int i = 0; i < giri; ++i)
        tempi.append(misura([&] {
            Mod_Graph::MouseSopra(&hot(i % 2), *fondo, 0);
            QCoreApplication::processEvents();
        }));
    Mod_Graph::RimuoviCornici(f, gruppi);
    std::printf("%.4f\n", mediana(tempi));
    return 0;
}

double misuraSu(const QString& programma, QSize monitor, int giri, QTemporaryDir& cartella) {
    const QString config = cartella.filePath(QStringLiteral("m%1.json").arg(monitor.width()));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write the monitor file");
    f.write(QStringLiteral("{ \"screens\": [{\"name\": \"M\", \"x\": 0, \"y\": 0, \"width\": %1, "
                           "\"height\": %2, \"logicalDpi\": 96, \"dpr\": 1}] }")
                .arg(monitor.width())
                .arg(monitor.height())
                .toUtf8());
    f.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    env.insert(QStringLiteral("HNEMAR_BANCO_CPU"), QStringLiteral("1"));
    env.remove(QStringLiteral("HNEMAR_SCALE"));
    p.setProcessEnvironment(env);
    p.start(programma, {QStringLiteral("--qui"), QString::number(giri)});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        qFatal("the measuring run failed");
    return p.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && qstrcmp(argv[1], "--qui") == 0) {
        preparaPalco();
        QApplication app(argc, argv);
        return misuraQui(std::max(5, std::atoi(argv[2])));
    }
    QCoreApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(5, std::atoi(argv[1])) : 200;
    QTemporaryDir cartella;
    const QString io = QCoreApplication::applicationFilePath();
    const double piccolo = misuraSu(io, QSize(1024, 768), giri, cartella);
    const double medio = misuraSu(io, QSize(1920, 1080), giri, cartella);
    const double grande = misuraSu(io, QSize(3840, 2160), giri, cartella);
    std::printf("one hover frame moved, painted and flushed, %d moves (medians, CPU)\n", giri);
    std::printf("  monitor 1024x768:   %8.4f ms\n", piccolo);
    std::printf("  monitor 1920x1080:  %8.4f ms\n", medio);
    std::printf("  monitor 3840x2160:  %8.4f ms\n", grande);
    for (const auto& [nome, t] : {std::pair{"1080p", medio}, std::pair{"4K", grande}}) {
        const double r = t / piccolo;
        std::printf("  %s / 1024x768: %.3f (aim: at most 2) %s\n", nome, r,
                    r <= 2 ? "met" : "MISSED");
    }
    return 0;
}
