// bench_viewer [ROUNDS [SCALE]]: what the plate viewer costs per action, with a hotspot table of
// 100 records and of 200,000, painted at SCALE device pixels per program pixel (1 by default;
// 1.40625 is 1920 x 1080, 2.8125 is 3840 x 2160).
//   plate change: picture from the store, hotspots and description, then one paint;
//   hotspot click: record lookup, caption from the text store, caption window sized and shown;
//   bare: the same picture decoded from memory into the image control and painted once.
// Prints the medians and two ratios: click at 200,000 / click at 100 (aim at most 1.2) and plate
// change / bare (aim at most 2).

#include "AtlanteDiProva.h"
#include "FMed1.h"
#include "Fileini.h"
#include "Frm_Testo.h"
#include "HostDiProva.h"
#include "Misura.h"
#include "SistemaScelto.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <cstdio>

using namespace hn;
using namespace hn::banco;
using namespace hn::prova;

namespace {

// The plate TAV: a header and 20 caption hotspots, after `altri` records of other plates.
QList<RigaHsmed> righe(int altri) {
    QList<RigaHsmed> r;
    for (int i = 0; i < altri; ++i)
        r.append(hotspot("A" + QByteArray::number(i % 5000), "X", 1, 1, 9, 9));
    r.append(intestazione("TAV", "DTAV"));
    for (int i = 1; i <= 20; ++i)
        r.append(
            hotspot("TAV", "C" + QByteArray::number(i), 10 * i, 10 * i, 10 * i + 15, 10 * i + 12));
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int giri = argc > 1 ? std::max(3, std::atoi(argv[1])) : 30;
    const double scala = argc > 2 ? std::clamp(std::atof(argv[2]), 1.0, 4.0) : 1.0;

    HostDiProva host;
    AtlanteDiProva atlante(host);
    const QByteArray png = tavolaDisegnata(QSize(398, 480), 160, 20);
    atlante.tavole = {{QStringLiteral("TAV.png"), png}};
    QString descrizione;
    for (int i = 0; i < 12; ++i)
        descrizione += QStringLiteral("Kości długie, krótkie i płaskie tworzą szkielet; "
                                      "połączenia stawowe nadają mu ruchomość.\n");
    atlante.testi = {{QStringLiteral("DTAV.RTF"), rtfDiProva(descrizione)}};
    for (int i = 1; i <= 20; ++i)
        atlante.testi.insert(QStringLiteral("C%1.RTF").arg(i),
                             rtfDiProva(QStringLiteral("Nazwa struktury %1\nopis").arg(i)));
    // Two data folders that differ only in the table's size.
    const QString piccola = QStringLiteral("D:\\DATI\\"), grande = QStringLiteral("D:\\GRANDE\\");
    atlante.righe = righe(80);
    atlante.scrivi();
    const QByteArray grandeBin = tabellaHsmed(righe(200000 - 21));
    host.scriviFile(grande + QStringLiteral("hsmed.bin"), grandeBin);
    host.scriviFile(grande + QStringLiteral("hsmed.dat"),
                    host.leggiFile(piccola + QStringLiteral("hsmed.dat")));

    CodiceSistema = QStringLiteral("TAV");
    FMed1 f;
    f.Load();
    f.show();
    // The stage's buffer at that scale: the pictures are painted for its device pixels.
    QImage schermo((QSizeF(f.size()) * scala).toSize(), QImage::Format_ARGB32_Premultiplied);
    schermo.setDevicePixelRatio(scala);
    auto cambioTavola = [&] {
        f.Lanciata();
        f.FONDO.render(&schermo);
    };
    auto soloLanciata = [&] { f.Lanciata(); };
    auto soloDipinto = [&] { f.FONDO.render(&schermo); };
    auto soloTesto = [&] { f.Ftdv_Testo.LoadFile(QStringLiteral("C:\\VELTO\\d.rtf")); };
    host.scriviFile(QStringLiteral("C:\\VELTO\\d.rtf"), rtfDiProva(descrizione));
    auto clic = [&] {
        f.HOTSPOT_Click(7);
        if (!Frm_Testo::istanza().Visible())
            qFatal("the caption did not open");
    };
    FXImage nuda(&f.FONDO);
    nuda.MoveTw(f.DISASGEO.LeftTw(), f.DISASGEO.TopTw(), f.DISASGEO.WidthTw(),
                f.DISASGEO.HeightTw());
    auto nudo = [&] {
        QBuffer b;
        b.setData(png);
        b.open(QIODevice::ReadOnly);
        QImageReader r(&b, "PNG");
        QImage img;
        if (!r.read(&img))
            qFatal("the plate did not decode");
        nuda.ImpostaPicture(img);
        nuda.render(&schermo);
    };
    auto usa = [&](const QString& dati) {
        Fileini::cfg.PathDati = dati;
        cambioTavola();
        Frm_Testo::istanza().ImpostaVisible(false);
    };

    // Warm every cache a running program has warm: stores, both tables, fonts.
    usa(grande);
    usa(piccola);
    clic();
    nudo();
    if (f.numeroHotSpot() != 21)
        qFatal("the plate has %d hotspots", int(f.numeroHotSpot()));
    QList<double> tavola100, tavola200k, clic100, clic200k, bare, lanciata, dipinto, testo;
    for (int i = 0; i < giri; ++i) {
        Fileini::cfg.PathDati = piccola;
        tavola100.append(misura(cambioTavola));
        clic100.append(misura(clic));
        Frm_Testo::istanza().ImpostaVisible(false);
        Fileini::cfg.PathDati = grande;
        tavola200k.append(misura(cambioTavola));
        clic200k.append(misura(clic));
        Frm_Testo::istanza().ImpostaVisible(false);
        bare.append(misura(nudo));
        lanciata.append(misura(soloLanciata));
        dipinto.append(misura(soloDipinto));
        testo.append(misura(soloTesto));
    }
    const double t100 = mediana(tavola100), t200k = mediana(tavola200k);
    const double c100 = mediana(clic100), c200k = mediana(clic200k), tNudo = mediana(bare);
    const double rClic = c200k / c100, rTavola = std::max(t100, t200k) / tNudo;
    std::printf("plate 398x480 PNG, %lld bytes, 21 hotspots, %d rounds (medians), scale %g\n",
                static_cast<long long>(png.size()), giri, scala);
    std::printf("  plate change, table of 100:       %8.3f ms\n", t100);
    std::printf("  plate change, table of 200,000:   %8.3f ms\n", t200k);
    std::printf("    of which Lanciata:               %8.3f ms\n", mediana(lanciata));
    std::printf("    of which the description alone:  %8.3f ms\n", mediana(testo));
    std::printf("    of which one paint of the screen:%8.3f ms\n", mediana(dipinto));
    std::printf("  hotspot click, table of 100:      %8.3f ms\n", c100);
    std::printf("  hotspot click, table of 200,000:  %8.3f ms\n", c200k);
    std::printf("  bare decode and paint:            %8.3f ms\n", tNudo);
    std::printf("  click 200,000 / 100: %.3f (aim: at most 1.2) %s\n", rClic,
                rClic <= 1.2 ? "met" : "MISSED");
    std::printf("  plate change / bare: %.3f (aim: at most 2) %s\n", rTavola,
                rTavola <= 2 ? "met" : "MISSED");
    return 0;
}
