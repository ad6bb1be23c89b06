// hnemar-art: rasterises one SVG of the program's own artwork (cursor, dialog bitmaps) to a PNG at
// the size the SVG declares, keeping transparency, so the pixels are fixed at build time.
//   hnemar-art INPUT.svg OUTPUT.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::puts("usage: hnemar-art INPUT.svg OUTPUT.png\n"
                  "Rasterises INPUT.svg at its declared size into OUTPUT.png (with alpha).");
        return 0;
    }
    if (argc != 3) {
        std::fputs("usage: hnemar-art INPUT.svg OUTPUT.png\n", stderr);
        return 2;
    }
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
