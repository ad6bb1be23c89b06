// bench_viewer_primo [ROUNDS] [PLATES]: the first plate a session opens (viewer made, loaded,
// plate shown and painted), on an atlas the size of the demo (36 plates, 288 records) and on a
// generated one of 10,000 plates (or PLATES) of 20 records with a caption each. Two kinds of
// session: the first ever on an installation (copies in folders of their own, nothing read or
// saved before), and a later one (the same copies again, with the look-up indexes the first one
// saved in the cache folder, a temporary one here, and the in-process caches emptied). Aim: the
// large atlas at most 1.2 times the small one in a later session. Reported as the thread's
// processor time, which a machine shared with others does not inflate, and as wall time.

#include "AtlanteDiProva.h"
#include "FMed1.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "Misura.h"
#include "SistemaScelto.h"

#include "BlobStore.h"
#include "IndiceSalvato.h"
#include "TabellaRecord.h"

#include <QApplication>
#include <QTemporaryDir>
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

// Medians of one kind of session.
struct Tempi {
    QList<double> cpuPiccolo, cpuGrande, wallPiccolo, wallGrande;
    void stampa(const char* titolo, int tavole) const {
        const double p = mediana(cpuPiccolo), g = mediana(cpuGrande), r = g / p;
        std::printf("%s\n", titolo);
        std::printf("  atlas of 36 plates, 288 records:         %8.3f ms CPU %8.3f ms wall\n", p,
                    mediana(wallPiccolo));
        std::printf("  atlas of %d plates, %d records:   %8.3f ms CPU %8.3f ms wall\n", tavole,
                    tavole * 20, g, mediana(wallGrande));
        std::printf("  large / small: %.3f CPU, %.3f wall\n", r,
                    mediana(wallGrande) / mediana(wallPiccolo));
    }
};

// What a new session has not read yet: the stores and tables a previous one kept in memory.
void nuovaSessione() {
    indice::attendiSalvataggi();
    blob::Archivio::svuotaCondivisi();
    atlante::TabellaHotSpot::svuotaCache();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The saved indexes go to a cache folder of this run's, before Qt first looks for it.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
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
    Tempi primaVolta, dopo;
    for (int i = 1; i <= giri; ++i) {
        for (const QString& cartella : {piccole.at(i), grandi.at(i)}) {
            const bool grande = cartella == grandi.at(i);
            const double w1 = prima(cartella);
            (grande ? primaVolta.cpuGrande : primaVolta.cpuPiccolo).append(cpu);
            (grande ? primaVolta.wallGrande : primaVolta.wallPiccolo).append(w1);
            nuovaSessione();
            const double w2 = prima(cartella);
            (grande ? dopo.cpuGrande : dopo.cpuPiccolo).append(cpu);
            (grande ? dopo.wallGrande : dopo.wallPiccolo).append(w2);
            nuovaSessione();
        }
    }
    std::printf("first plate of a session, %d rounds (medians; processor time, wall time)\n", giri);
    primaVolta.stampa("first session ever on this installation (nothing saved before):", tavole);
    dopo.stampa("a later session (indexes saved by an earlier one, in-process caches empty):",
                tavole);
    const double r = mediana(dopo.cpuGrande) / mediana(dopo.cpuPiccolo);
    std::printf("aim (later session): large / small at most 1.2 in CPU: %.3f %s\n", r,
                r <= 1.2 ? "met" : "MISSED");
    return 0;
}
