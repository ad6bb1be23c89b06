// bench_rtf [ROUNDS]: what a plate description costs to read and lay out, against Qt's own HTML
// reader given the same content: into a hidden document, and as the viewer loads it, through
// LoadFile into the shown description panel. Prints the median times and their ratios to the
// HTML reader; the aim is at most 1.5 for both. Then the reading speed on plain paragraphs, and
// on one 50 MiB list of about 59,000 items (bulleted, then numbered) as Word writes it, whose aim
// is at least 20 MB/s each.

#include "Host.h"
#include "HostPaths.h"
#include "RichTextBox.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace hn;

namespace {

// The panel is 3465 × 5085 twips: 231 × 339 pixels.
constexpr double kLarghezzaPannello = 3465 / 15.0;
constexpr int kAltezzaPannello = 5085 / 15;

// A long description as an author writes it in Word: Polish text in Windows-1250, headings,
// bold and italic terms, lists and a small table.
QByteArray descrizione(qsizetype dimensione) {
    static const char* parole[] = {"ko\\'9c\\'e6",
                                   "udowa",
                                   "mi\\'eanie\\'f1",
                                   "g\\'b3owa",
                                   "szyjka",
                                   "kr\\'eatarz",
                                   "wi\\'eazad\\'b3o",
                                   "staw",
                                   "biodrowy",
                                   "panewka",
                                   "chrz\\'b9stka",
                                   "nasada",
                                   "trzon",
                                   "jama",
                                   "szpikowa",
                                   "\\'9cci\\'eagno",
                                   "przyczep",
                                   "przy\\'9crodkowy",
                                   "boczny",
                                   "tylny",
                                   "przedni",
                                   "naczynia",
                                   "nerw",
                                   "kulszowy",
                                   "powi\\'eazi"};
    QRandomGenerator caso(2002);
    QByteArray r =
        "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1045{\\fonttbl{\\f0\\fswiss\\fcharset238 "
        "Verdana;}{\\f1\\froman\\fcharset238 Times New Roman;}{\\f2\\fnil\\fcharset2 "
        "Symbol;}}\r\n{\\colortbl ;\\red0\\green0\\blue128;\\red128\\green0\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    int paragrafo = 0;
    while (r.size() < dimensione) {
        ++paragrafo;
        if (paragrafo % 12 == 1)
            r += "\\pard\\sb120\\sa60\\cf1\\b\\fs24 Rozdzia\\'b3 " + QByteArray::number(paragrafo) +
                 "\\cf0\\b0\\fs20\\par\r\n";
        if (paragrafo % 15 == 0) {
            r += "\\trowd\\cellx1200\\cellx3400\r\n";
            for (int riga = 0; riga < 3; ++riga)
                r += "\\pard\\intbl\\b Mi\\'easie\\'f1\\b0\\cell przyczep ko\\'9cci\\cell\\row\r\n";
            r += "\\pard ";
        }
        const bool lista = paragrafo % 7 == 0;
        if (lista)
            r += "{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'b7}}"
                 "\\fi-360\\li720 ";
        else
            r += "\\pard\\qj\\fi284 ";
        const int n = 40 + static_cast<int>(caso.bounded(80));
        for (int i = 0; i < n; ++i) {
            const char* p = parole[caso.bounded(static_cast<int>(std::size(parole)))];
            switch (caso.bounded(20)) {
            case 0:
                r += "{\\b ";
                r += p;
                r += "}";
                break;
            case 1:
                r += "{\\i\\cf2 ";
                r += p;
                r += "}";
                break;
            case 2:
                r += "{\\f1\\fs22 ";
                r += p;
                r += "}";
                break;
            default:
                r += p;
            }
            r += i + 1 == n ? "." : (caso.bounded(9) == 0 ? ", " : " ");
        }
        r += "\\par\r\n";
    }
    r += "}\r\n";
    return r;
}

// Paragraphs of Polish text and nothing else, as a long plain description holds them.
QByteArray paragrafiSemplici(qsizetype dimensione) {
    QByteArray r = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 "
                   "Verdana;}}\r\n\\pard\\f0\\fs20 ";
    const QByteArray paragrafo =
        "Ko\\'9c\\'e6 udowa jest najd\\'b3u\\'bfsz\\'b9 i najmocniejsz\\'b9 ko\\'9cci\\'b9 "
        "szkieletu cz\\'b3owieka; jej g\\'b3owa \\'b3\\'b9czy si\\'ea z panewk\\'b9 "
        "ko\\'9cci biodrowej.\\par\r\n";
    while (r.size() < dimensione)
        r += paragrafo;
    return r + "}\r\n";
}

// One list of Word's of items of about 890 bytes each: \ls, the marker for older readers, text.
QByteArray listaLunga(qsizetype dimensione, bool numerata) {
    QByteArray r = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 "
                   "Verdana;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n";
    // A structure's name in bold, then its description.
    QByteArray testo = "{\\b Ko\\'9c\\'e6 udowa} \\endash  ";
    while (testo.size() < 800)
        testo += "g\\'b3owa ko\\'9cci \\'b3\\'b9czy si\\'ea z panewk\\'b9 ko\\'9cci biodrowej; ";
    for (int i = 1; r.size() < dimensione; ++i) {
        r += numerata ? "{\\listtext\\f0 " + QByteArray::number(i) + ".\\tab}"
                      : QByteArray("{\\listtext\\f1 \\'b7\\tab}");
        r += "\\pard\\ls1\\fi-360\\li720\\f0\\fs20 " + testo + "\\par\r\n";
    }
    return r + "}\r\n";
}

double millisecondi(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

double millisecondiCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double mediana(std::vector<double> tempi) {
    std::sort(tempi.begin(), tempi.end());
    return tempi[tempi.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    const QByteArray rtf = descrizione(200 * 1024);
    QTextDocument riferimento;
    leggiRtf(rtf, riferimento);
    const QString html = riferimento.toHtml();

    double altezzaRtf = 0, altezzaHtml = 0;
    const auto conRtf = [&] {
        QTextDocument d;
        leggiRtf(rtf, d);
        d.setTextWidth(kLarghezzaPannello);
        altezzaRtf = d.size().height();
    };
    const auto conHtml = [&] {
        QTextDocument d;
        d.setHtml(html);
        d.setTextWidth(kLarghezzaPannello);
        altezzaHtml = d.size().height();
    };
    const auto soloLettura = [&] {
        QTextDocument d;
        leggiRtf(rtf, d);
    };
    const auto scrittura = [&] { (void)scriviRtf(riferimento); };

    // The viewer's way: the description extracted to a file, loaded into the panel on screen and
    // painted.
    QTemporaryDir cartella;
    HostPaths percorsi(cartella.path());
    host().paths = &percorsi;
    const QString file = QStringLiteral("C:\\SCHEL1.RTF");
    {
        QDir().mkpath(cartella.filePath(QStringLiteral("drive_c")));
        QFile f(cartella.filePath(QStringLiteral("drive_c/SCHEL1.RTF")));
        if (!f.open(QIODevice::WriteOnly) || f.write(rtf) != rtf.size())
            return 1;
    }
    RichTextBox pannello;
    pannello.setLocked(true);
    pannello.resize(static_cast<int>(kLarghezzaPannello), kAltezzaPannello);
    pannello.show();
    QCoreApplication::processEvents();
    const auto nelPannello = [&] {
        pannello.clear();
        pannello.LoadFile(file);
        pannello.repaint();
    };

    // The ways take turns, so that a busy machine slows them alike.
    std::vector<double> rtfT, htmlT, pannelloT, letturaT, scritturaT;
    for (int i = 0; i < giri; ++i) {
        rtfT.push_back(millisecondi(conRtf));
        htmlT.push_back(millisecondi(conHtml));
        pannelloT.push_back(millisecondi(nelPannello));
        letturaT.push_back(millisecondi(soloLettura));
        scritturaT.push_back(millisecondi(scrittura));
    }
    const double tRtf = mediana(rtfT), tHtml = mediana(htmlT), tPannello = mediana(pannelloT);
    const double tLettura = mediana(letturaT), tScrittura = mediana(scritturaT);

    // Wall time, and the processor time of this thread, which a machine shared with other work
    // does not stretch.
    const QByteArray semplice = paragrafiSemplici(8 * 1024 * 1024);
    std::vector<double> sempliceT, sempliceCpu;
    for (int i = 0; i < std::max(3, giri / 3); ++i) {
        const double cpu = millisecondiCpu();
        sempliceT.push_back(millisecondi([&] {
            QTextDocument d;
            leggiRtf(semplice, d);
        }));
        sempliceCpu.push_back(millisecondiCpu() - cpu);
    }
    const double mega = static_cast<double>(semplice.size()) / (1 << 20);

    // One round each: a list of this size is read in seconds, or never.
    struct Lista {
        const char* nome;
        qsizetype byte = 0;
        int voci = 0;
        double ms = 0, cpu = 0;
    };
    Lista liste[] = {{"bulleted"}, {"numbered"}};
    for (Lista& l : liste) {
        const QByteArray r = listaLunga(50 * 1024 * 1024, l.nome[0] == 'n');
        l.byte = r.size();
        const double cpu = millisecondiCpu();
        l.ms = millisecondi([&] {
            QTextDocument d;
            leggiRtf(r, d);
            l.voci = d.blockCount();
        });
        l.cpu = millisecondiCpu() - cpu;
    }

    std::printf("description: %lld bytes of RTF, %lld of HTML, %d paragraphs\n",
                static_cast<long long>(rtf.size()), static_cast<long long>(html.size()),
                riferimento.blockCount());
    std::printf("RTF read + layout:  %8.2f ms (height %.0f px)\n", tRtf, altezzaRtf);
    std::printf("HTML read + layout: %8.2f ms (height %.0f px)\n", tHtml, altezzaHtml);
    std::printf("ratio: %.2f (aim <= 1.5)\n", tRtf / tHtml);
    std::printf("RTF LoadFile into the shown panel + paint: %8.2f ms, ratio %.2f (aim <= 1.5)\n",
                tPannello, tPannello / tHtml);
    std::printf("RTF read alone: %.2f ms, RTF write: %.2f ms\n", tLettura, tScrittura);
    std::printf("plain paragraphs: %lld bytes read in %.1f ms: %.1f MB/s (aim >= 20); "
                "processor time %.1f ms: %.1f MB/s\n",
                static_cast<long long>(semplice.size()), mediana(sempliceT),
                mega / (mediana(sempliceT) / 1000.0), mediana(sempliceCpu),
                mega / (mediana(sempliceCpu) / 1000.0));
    for (const Lista& l : liste) {
        const double mb = static_cast<double>(l.byte) / (1 << 20);
        std::printf("one %s list: %lld bytes, %d paragraphs, read in %.1f ms: %.1f MB/s (aim >= "
                    "20); processor time %.1f ms: %.1f MB/s\n",
                    l.nome, static_cast<long long>(l.byte), l.voci, l.ms, mb / (l.ms / 1000.0),
                    l.cpu, mb / (l.cpu / 1000.0));
    }
    return 0;
}
