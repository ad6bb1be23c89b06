// bench_viewer_primo [ROUNDS] [PLATES]: the first plate a session opens (viewer made, loaded,
// plate shown and painted), on an atlas the size of the demo (36 plates, 288 records) and on a
// generated one of 10,000 plates (or PLATES) of 20 records with a caption each. Every round opens
// copies in folders of their own, so no table or store read before is kept. Aim: the large atlas
// at most 1.2 times the small one. Reported as the thread's processor time, which a machine
// shared with others does not inflate, and as wall time.

#include "AtlanteDiProva.h"
#include "FMed1.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "Misura.h"
#include "SistemaScelto.h"

#include <QApplication>
#include <cstdio>
#include <ctime>

using namespace hn;
using namespace hn::banco;
using namespace hn::prova;

namespace {

// `tavole` plates of `perTavola` records: a header and captions, the plates interleaved as
// authors' tools append them; every text present; the first plate's picture real, the others
// stand-ins, since only the store's directory is read for them.
void genera(AtlanteDiProva& a, int tavole, int perTavola, const QByteArray& png) {
    a.righe.clear();
    a.testi.clear();
    a.tavole.clear();
    for (int r = 0; r < perTavola; ++r)
        for (int t = 0; t < tavole; ++t) {
            const QByteArray k = "T" + QByteArray::number(t).rightJustified(4, '0');
            if (r == 0) {
                a.righe.append(intestazione(k, "D" + k));
                a.testi.insert(QString::fromLatin1("D" + k + ".RTF"),
                               rtfDiProva(QStringLiteral("Plansza %1\nopis planszy").arg(t)));
                a.tavole.insert(QString::fromLatin1(k + ".png"), t == 0 ? png : "x");
                continue;
            }
            const QByteArray c = "C" + QByteArray::number(t * perTavola + r);
            a.righe.append(hotspot(k, c, r * 3, r * 4, r * 3 + 20, r * 4 + 12));
            a.testi.insert(QString::fromLatin1(c + ".RTF"),
                           rtfDiProva(QStringLiteral("Struktura %1\nopis").arg(r)));
        }
    a.scrivi();
}

// Milliseconds of processor time the calling thread has used.
double cpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Copies of the data files into `giri` folders of their own.
QStringList copie(HostDiProva& host, const QString& nome, int giri) {
    QStringList cartelle;
    for (int i = 0; i <= giri; ++i) {
        const QString c = QStringLiteral("D:\\%1%2\\").arg(nome).arg(i);
        for (const char* f : {"hsmed.bin", "hsmed.dat", "BlobCorp.dat", "DesAppa.bin"})
            host.scriviFile(c + QLatin1String(f),
                            host.leggiFile(AtlanteDiProva::Dati + QLatin1String(f)));
        cartelle << c;
    }
    return cartelle;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(3, std::atoi(argv[1])) : 5;
    const int tavole = argc > 2 ? std::max(37, std::atoi(argv[2])) : 10000;

    HostDiProva host;
    AtlanteDiProva atlante(host);
    const QByteArray png = tavolaDisegnata(QSize(398, 480), 160, 20);
    genera(atlante, 36, 8, png);
    const QStringList piccole = copie(host, QStringLiteral("PICCOLO"), giri);
    genera(atlante, tavole, 20, png);
    const QStringList grandi = copie(host, QStringLiteral("GRANDE"), giri);

    QImage schermo(1024, 768, QImage::Format_ARGB32_Premultiplied);
    CodiceSistema = QStringLiteral("T0000");
    double cpu = 0;
    const auto prima = [&](const QString& cartella) {
        Fileini::cfg.PathDati = Fileini::cfg.PathFoto = cartella;
        const double c0 = cpuMs();
        const double w = misura([&] {
            FMed1 f;
            f.Load();
            f.Lanciata();
            if (f.numeroHotSpot() == 0)
                qFatal("no hotspots on the first plate");
            f.FONDO.render(&schermo);
            f.Unload();
        });
        cpu = cpuMs() - c0;
        return w;
    };
    // The first of each kind warms what a session has warm before its first plate: fonts, Qt.
    prima(piccole.at(0));
    prima(grandi.at(0));
    QList<double> tPiccolo, tGrande, cPiccolo, cGrande;
    for (int i = 1; i <= giri; ++i) {
        tPiccolo.append(prima(piccole.at(i)));
        cPiccolo.append(cpu);
        tGrande.append(prima(grandi.at(i)));
        cGrande.append(cpu);
    }
    const double p = mediana(cPiccolo), g = mediana(cGrande), r = g / p;
    std::printf("first plate of a session, %d rounds (medians; processor time, wall time)\n", giri);
    std::printf("  atlas of 36 plates, 288 records:         %8.3f ms CPU %8.3f ms wall\n", p,
                mediana(tPiccolo));
    std::printf("  atlas of %d plates, %d records:   %8.3f ms CPU %8.3f ms wall\n", tavole,
                tavole * 20, g, mediana(tGrande));
    std::printf("  large / small: %.3f CPU, %.3f wall (aim: at most 1.2) %s\n", r,
                mediana(tGrande) / mediana(tPiccolo), r <= 1.2 ? "met" : "MISSED");
    return 0;
}
