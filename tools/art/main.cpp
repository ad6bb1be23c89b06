// hnemar-art: rasterises one SVG of the program's own artwork (cursor, dialog bitmaps) to a PNG at
// the size the SVG declares, or a whole multiple of it for a larger rendition, keeping
// transparency, so the pixels are fixed at build time.
//   hnemar-art INPUT.svg OUTPUT.png [FACTOR]

#include "Opzioni.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {
const hn::Comando riga{"hnemar-art", "Usage: hnemar-art INPUT.svg OUTPUT.png [FACTOR]\n",
                       "Rasterises INPUT.svg at its declared size, or FACTOR (2 to 9) times it,\n"
                       "into OUTPUT.png (with alpha).\n"};
} // namespace

int main(int argc, char** argv) {
    if (const auto uscita = hn::opzioniComuni(argc, argv, riga))
        return *uscita;
    if (argc != 3 && argc != 4)
        return hn::usoErrato(riga, QStringLiteral("expected an input and an output file"));
    bool ok = true;
    const int fattore = argc == 4 ? QByteArray(argv[3]).toInt(&ok) : 1;
    if (!ok || fattore < 1 || fattore > 9)
        return hn::usoErrato(riga, QStringLiteral("the factor is a whole number from 1 to 9"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString ingresso = QString::fromLocal8Bit(argv[1]);
    const QString uscita = QString::fromLocal8Bit(argv[2]);
    QSvgRenderer svg(ingresso);
    if (!svg.isValid() || svg.defaultSize().isEmpty()) {
        std::fprintf(stderr, "hnemar-art: %s: not a readable SVG with a size\n", argv[1]);
        return 1;
    }
    QImage immagine(svg.defaultSize() * fattore, QImage::Format_ARGB32_Premultiplied);
    immagine.fill(Qt::transparent);
    QPainter p(&immagine);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(QPointF(0, 0), QSizeF(immagine.size())));
    p.end();
    if (!immagine.save(uscita, "PNG")) {
        std::fprintf(stderr, "hnemar-art: %s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
