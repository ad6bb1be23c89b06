// bench_rtf [ROUNDS]: what a plate description costs to read and lay out in the description
// panel, against Qt's own HTML reader given the same content. Prints the median times and their
// ratio; the aim is at most 1.5.

#include "RtfReader.h"
#include "RtfWriter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace hn;

namespace {

// The panel is 3465 twips wide: 231 pixels.
constexpr double kLarghezzaPannello = 3465 / 15.0;

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

double millisecondi(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

double mediana(std::vector<double> tempi) {
    std::sort(tempi.begin(), tempi.end());
    return tempi[tempi.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
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
    // The ways take turns, so that a busy machine slows them alike.
    std::vector<double> rtfT, htmlT, letturaT, scritturaT;
    for (int i = 0; i < giri; ++i) {
        rtfT.push_back(millisecondi(conRtf));
        htmlT.push_back(millisecondi(conHtml));
        letturaT.push_back(millisecondi(soloLettura));
        scritturaT.push_back(millisecondi(scrittura));
    }
    const double tRtf = mediana(rtfT), tHtml = mediana(htmlT);
    const double tLettura = mediana(letturaT), tScrittura = mediana(scritturaT);

    std::printf("description: %lld bytes of RTF, %lld of HTML, %d paragraphs\n",
                static_cast<long long>(rtf.size()), static_cast<long long>(html.size()),
                riferimento.blockCount());
    std::printf("RTF read + layout:  %8.2f ms (height %.0f px)\n", tRtf, altezzaRtf);
    std::printf("HTML read + layout: %8.2f ms (height %.0f px)\n", tHtml, altezzaHtml);
    std::printf("ratio: %.2f (aim <= 1.5)\n", tRtf / tHtml);
    std::printf("RTF read alone: %.2f ms, RTF write: %.2f ms\n", tLettura, tScrittura);
    return 0;
}
