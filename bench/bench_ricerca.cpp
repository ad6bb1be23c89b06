// bench_ricerca [ROUNDS] [PLATES] [chain]: the search on a generated atlas (2,000 plates by
// default, 20 hotspots each, each with its caption: a bold name and a sentence, in the text
// store); with "chain" every plate is also linked from the one before, so the tree is as deep as
// the atlas is large.
//   build: the atlas read from its files and indexed (aim at 10,000 plates: at most 1.5 s of CPU
//   and 150 MB), as wall time and as the process's CPU time, which a busy machine does not
//   inflate, and the memory the index holds and the most the build took;
//   query: one search of a typed word, prefix or text fragment (aim: at most 50 ms at the 95th
//   percentile).

#include "AlberoTavole.h"
#include "BlobStore.h"
#include "IndiceRicerca.h"
#include "Misura.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <ctime>

using namespace hn;
using namespace hn::atlante;
using namespace hn::banco;

namespace {

int Tavole = 2000;
bool Catena = false;
constexpr int HotspotPerTavola = 20;
constexpr int LinkPerTavola = 4;

const QStringList Nomi = {u"Kość"_qs, u"Mięsień"_qs,  u"Nerw"_qs, u"Tętnica"_qs,
                          u"Żyła"_qs, u"Więzadło"_qs, u"Staw"_qs, u"Guzek"_qs};
const QStringList Aggettivi = {u"łokciowy"_qs,    u"ramienny"_qs,   u"udowy"_qs,    u"szyjny"_qs,
                               u"piersiowy"_qs,   u"lędźwiowy"_qs,  u"krzyżowy"_qs, u"skroniowy"_qs,
                               u"promieniowy"_qs, u"strzałkowy"_qs, u"żebrowy"_qs,  u"językowy"_qs};

QByteArray rtf(const QString& grassetto, const QString& testo) {
    QByteArray b = "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\\pard\\f0{\\b ";
    for (QChar c : grassetto + u"} "_qs + testo)
        b += c.unicode() < 128 ? QByteArray(1, char(c.unicode()))
                               : "\\u" + QByteArray::number(c.unicode()) + '?';
    return b + "\\par}";
}

QString chiave(int t) {
    return t < 12 ? codiciSistemi()[t].toUpper() : u"T%1"_qs.arg(t);
}

// Plate t ≥ 12 is reached from plate (t - 12) / 4, so the tree is about six plates deep.
FileAtlante genera(const QString& cartella) {
    QList<Record> tabella;
    QList<blob::VoceNuova> testi;
    int codice = 0;
    for (int t = 0; t < Tavole; ++t) {
        const QString k = chiave(t);
        tabella.append({k, QString::fromLatin1(CodiceIntestazione), {}, 0, 0, 0, 0, u"D"_qs + k});
        testi.append({u"D"_qs + k + u".RTF"_qs,
                      rtf(u"Plansza %1"_qs.arg(t), u"Opis planszy numer %1."_qs.arg(t)),
                      {}});
        for (int h = 0; h < HotspotPerTavola; ++h) {
            const int figlio = h == LinkPerTavola && Catena ? t + 1 : 12 + t * LinkPerTavola + h;
            const bool link =
                h <= LinkPerTavola && figlio < Tavole && (h < LinkPerTavola || Catena);
            const QString c = u"C%1"_qs.arg(++codice, 6, 10, QLatin1Char('0'));
            tabella.append({k,
                            c,
                            link ? chiave(figlio) : QString(),
                            float(h * 10),
                            10,
                            float(h * 10 + 8),
                            30,
                            {}});
            if (link)
                continue;
            const QString nome = Nomi[codice % Nomi.size()] + u' ' +
                                 Aggettivi[(codice / 8) % Aggettivi.size()] + u' ' +
                                 QString::number(codice);
            testi.append(
                {c + u".RTF"_qs,
                 rtf(nome, u"– leży obok struktury %1 na planszy %2."_qs.arg(codice - 1).arg(t)),
                 {}});
        }
    }
    FileAtlante f{cartella + u"/hsmed.bin"_qs, cartella + u"/hsmed.dat"_qs, {}, {}};
    QFile b(f.tabella);
    if (!b.open(QIODevice::WriteOnly) || b.write(scriviTabella(tabella)) < 0)
        qFatal("cannot write the table");
    blob::scriviStore(f.testi, testi);
    return f;
}

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Wall and CPU milliseconds of one call.
template <typename F> std::pair<double, double> tempi(F&& f) {
    const double c = cpuMs();
    const double w = misura(f);
    return {w, cpuMs() - c};
}

// Kilobytes of the process's resident memory now, or at most since the last reset.
qint64 memoria(const char* campo) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& riga : f.readAll().split('\n'))
        if (riga.startsWith(campo))
            return riga.mid(qsizetype(strlen(campo))).trimmed().split(' ').value(0).toLongLong();
    return 0;
}
void azzeraPicco() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double percentile95(QList<double> t) {
    std::sort(t.begin(), t.end());
    return t[qsizetype(double(t.size()) * 0.95)];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    if (argc > 2)
        Tavole = std::max(12, atoi(argv[2]));
    Catena = argc > 3 && QByteArray(argv[3]) == "chain";
    QTemporaryDir cartella;
    const FileAtlante file = genera(cartella.path());
    qint64 residente = 0, picco = 0;

    QList<double> costruzione, costruzioneCpu, lettura;
    std::shared_ptr<IndiceRicerca> indice;
    for (int i = 0; i < giri; ++i) {
        // A fresh store each round: the first search of a run opens it too.
        indice.reset();
        const qint64 prima = memoria("VmRSS:");
        azzeraPicco();
        double cpuLettura = 0;
        const auto [w, c] = tempi([&] {
            const double c0 = cpuMs();
            const auto dati = DatiAtlante::leggi(file);
            cpuLettura = cpuMs() - c0;
            indice = std::make_shared<IndiceRicerca>(*dati);
        });
        lettura.append(cpuLettura);
        // Memory only in the first round: later ones reuse what the one before freed.
        if (i == 0) {
            residente = memoria("VmRSS:") - prima;
            picco = memoria("VmHWM:") - prima;
        }
        costruzione.append(w);
        costruzioneCpu.append(c);
        QFile toccato(file.testi);
        if (toccato.open(QIODevice::ReadWrite))
            toccato.setFileTime(QDateTime::currentDateTime().addSecs(i + 1),
                                QFileDevice::FileModificationTime);
    }

    QStringList domande;
    QRandomGenerator caso(2002);
    for (int i = 0; i < 200; ++i) {
        const QString parola = (i % 2 ? Aggettivi : Nomi)[caso.bounded(8)];
        domande.append(parola.left(1 + caso.bounded(parola.size())));
    }
    domande << u"łokc"_qs << u"kosc lokciowy 1"_qs << u"struktury 39999"_qs << u"zzz"_qs;
    QList<double> risposte, risposteCpu;
    for (const QString& d : std::as_const(domande)) {
        const auto [w, c] = tempi([&] { indice->cerca(d); });
        risposte.append(w);
        risposteCpu.append(c);
    }

    std::printf("plates  %d%s\n"
                "entries %lld\n"
                "build   %.0f ms wall, %.0f ms CPU (median of %d; the table and store read in "
                "%.0f ms of it)\n"
                "memory  %.1f MB held by the index, %.1f MB at most while building\n"
                "query   %.1f ms wall, %.1f ms CPU at the 95th percentile (aim <= 50)\n",
                Tavole, Catena ? ", each linked from the one before" : "",
                qlonglong(indice->voci()), mediana(costruzione), mediana(costruzioneCpu), giri,
                mediana(lettura), double(residente) / 1024, double(picco) / 1024,
                percentile95(risposte), percentile95(risposteCpu));
    return 0;
}
