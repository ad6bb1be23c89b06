// bench_guida [ROUNDS]: a generated help file of 2,000 topics and about 5 MB (LZ77, phrases,
// keywords, a picture with hotspots), through the help window on the offscreen platform.
//   open: the file read and the window showing its contents (aim: at most 150 ms);
//   topic: a change of topic (aim: at most 30 ms);
// Window times are the window thread's processor time.
//   search: a full-text query once the index is built (aim: at most 50 ms at the 95th
//   percentile); the index itself is built on a worker thread, its time reported.
// Medians and 95th percentiles in milliseconds.

#include "Guida.h"
#include "Misura.h"
#include "PannelloGuida.h"
#include "RicercaTesto.h"
#include "Scrittore.h"

#include <QApplication>
#include <QRandomGenerator>
#include <cstdio>
#include <ctime>

using namespace hn;
using namespace hn::winhelp;
using namespace hn::banco;

namespace {

constexpr int Argomenti = 2000;

const char* const Parole[] = {
    "kość",     "mięsień", "ścięgno",   "staw",     "nerw",     "tętnica",  "żyła",
    "wątroba",  "żółć",    "płuco",     "serce",    "krtań",    "nerka",    "śledziona",
    "czaszka",  "żebro",   "kręgosłup", "miednica", "udo",      "łopatka",  "obojczyk",
    "przepona", "jelito",  "żołądek",   "trzustka", "tarczyca", "skóra",    "oko",
    "ucho",     "nos",     "język",     "ząb",      "dziąsło",  "migdałek", "gardło"};

QByteArray guidaGrande() {
    GuidaNuova g;
    g.titolo = QStringLiteral("Pomoc do pomiaru");
    g.contenuti = QStringLiteral("t0");
    QImage img(320, 240, QImage::Format_RGB32);
    img.fill(Qt::white);
    ImmagineNuova im;
    im.immagine = img;
    for (int z = 0; z < 10; ++z) {
        ZonaNuova zona;
        zona.rettangolo = QRect(z * 32, 0, 32, 240);
        zona.contesto = QStringLiteral("t%1").arg(z + 1);
        im.zone.append(zona);
    }
    g.immagini.append(im);
    QRandomGenerator caso(36);
    for (int i = 0; i < Argomenti; ++i) {
        ArgomentoNuovo a;
        a.contesto = QStringLiteral("t%1").arg(i);
        a.titolo = QStringLiteral("Temat %1: %2").arg(i).arg(QString::fromUtf8(Parole[i % 35]));
        a.parole = {QString::fromUtf8(Parole[i % 35]), QStringLiteral("hasło %1").arg(i / 10)};
        for (int k = 0; k < 10; ++k) {
            ParagrafoNuovo p;
            PezzoNuovo t;
            for (int w = 0; w < 40; ++w)
                t.testo += QString::fromUtf8(Parole[caso.bounded(35)]) + u' ' +
                           QString::number(caso.bounded(100000)) + u' ';
            p.pezzi.append(t);
            PezzoNuovo salto;
            salto.testo = QStringLiteral("zobacz");
            salto.salto = QStringLiteral("t%1").arg(caso.bounded(Argomenti));
            p.pezzi.append(salto);
            a.paragrafi.append(p);
        }
        if (i == 0) {
            ParagrafoNuovo p;
            PezzoNuovo obraz;
            obraz.tipo = PezzoNuovo::Immagine;
            obraz.immagine = 0;
            p.pezzi.append(obraz);
            a.paragrafi.append(p);
        }
        g.argomenti.append(a);
    }
    return scriviGuida(g);
}

// The window thread's own processor time: what the window costs, without the search index
// being built beside it or other work on the machine.
template <typename F> double misuraFinestra(F&& f) {
    timespec a{}, b{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
    f();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
    return double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_nsec - a.tv_nsec) / 1e6;
}

double percentile(QList<double> t, double q) {
    std::sort(t.begin(), t.end());
    return t[qsizetype(q * double(t.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QElapsedTimer t;
    t.start();
    const QByteArray dati = guidaGrande();
    std::printf("file: %.1f MB, %d topics, written in %.0f ms\n", double(dati.size()) / 1e6,
                Argomenti, double(t.elapsed()));

    std::printf("file read alone: %.1f ms\n", misura([&] { (void)FileGuida::apri(dati); }));
    QList<double> apertura;
    PannelloGuida finestra;
    finestra.show();
    for (int i = 0; i < giri; ++i)
        apertura.append(misuraFinestra([&] {
            finestra.apri(FileGuida::apri(dati), QString());
            QCoreApplication::processEvents();
        }));
    std::printf("open at contents: median %.1f ms, max %.1f ms (aim 150)\n", mediana(apertura),
                percentile(apertura, 1.0));

    QList<double> cambi;
    QRandomGenerator caso(7);
    for (int i = 0; i < 20 * giri; ++i)
        cambi.append(misuraFinestra([&] {
            finestra.vaiA(int(caso.bounded(Argomenti)));
            QCoreApplication::processEvents();
        }));
    std::printf("topic change: median %.1f ms, p95 %.1f ms (aim 30)\n", mediana(cambi),
                percentile(cambi, 0.95));

    const FileGuida g = FileGuida::apri(dati);
    IndiceTesto indice;
    const double costruzione = misura([&] {
        for (int i = 0; i < g.numeroArgomenti(); ++i)
            indice.aggiungi(i, g.titoloArgomento(i), testoSemplice(g.argomento(i)));
        indice.completa();
    });
    std::printf("search index (worker thread): %.0f ms\n", costruzione);
    QList<double> ricerche;
    for (int i = 0; i < 40 * giri; ++i) {
        const QString domanda =
            QString::fromUtf8(Parole[caso.bounded(35)]).left(3 + i % 4) +
            (i % 3 == 0 ? QStringLiteral(" ") + QString::number(caso.bounded(100)) : QString());
        ricerche.append(misura([&] { (void)indice.cerca(domanda); }));
    }
    std::printf("search: median %.1f ms, p95 %.1f ms (aim 50)\n", mediana(ricerche),
                percentile(ricerche, 0.95));
    return 0;
}
