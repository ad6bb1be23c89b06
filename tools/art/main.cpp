// hnemar-art: rasterises one SVG of the program's own artwork (cursor, dialog bitmaps) to a PNG at
// the size the SVG declares, keeping transparency, so the pixels are fixed at build time.
//   hnemar-art INPUT.svg OUTPUT.png

#include "Opzioni.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {
const hn::Comando riga{"hnemar-art", "Usage: hnemar-art INPUT.svg OUTPUT.png\n",
                       "Rasterises INPUT.svg at its declared size into OUTPUT.png (with alpha).\n"};
} // namespace

int main(int argc, char** argv) {
    if (const auto uscita = hn::opzioniComuni(argc, argv, riga))
        return *uscita;
    if (argc != 3)
        return hn::usoErrato(riga, QStringLiteral("expected an input and an output file"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString ingresso = QString::fromLocal8Bit(argv[1]);
    const QString uscita = QString::fromLocal8Bit(argv[2]);
    QSvgRenderer svg(ingresso);
    if (!svg.isValid() || svg.defaultSize().isEmpty()) {
        std::fprintf(stderr, "hnemar-art: %s: not a readable SVG with a size\n", argv[1]);
        return 1;
    }
    QImage immagine(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    immagine.fill(Qt::transparent);
    QPainter p(&immagine);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p);
    p.end();
    if (!immagine.save(uscita, "PNG")) {
        std::fprintf(stderr, "hnemar-art: %s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
