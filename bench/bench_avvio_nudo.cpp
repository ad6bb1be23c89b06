// The yardstick for the atlas's start-up: the least a Qt program does to put the home screen's
// 1024 × 768 picture on the screen. Reads the picture file, shows it in a borderless window over
// the whole screen, and quits after the first paint, as the atlas does under
// HNEMAR_ESCI_DOPO_DIPINTO.
//   bench_avvio_nudo PICTURE [--resta]
// With --resta it stays on the screen until it is ended, for a probe that watches the pixels.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class Quadro : public QWidget {
public:
    Quadro(QImage immagine, bool resta)
        : immagine_(std::move(immagine))
        , dipinto_(resta) {
        setWindowFlag(Qt::FramelessWindowHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        // Centred like the atlas centres its background.
        p.drawImage((width() - immagine_.width()) / 2, (height() - immagine_.height()) / 2,
                    immagine_);
        if (!dipinto_) {
            dipinto_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

private:
    QImage immagine_;
    bool dipinto_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool resta = argc == 3 && QByteArray(argv[2]) == "--resta";
    if (argc != 2 && !resta) {
        std::fprintf(stderr, "usage: bench_avvio_nudo PICTURE [--resta]\n");
        return 2;
    }
    QImage immagine(QString::fromLocal8Bit(argv[1]));
    if (immagine.isNull()) {
        std::fprintf(stderr, "bench_avvio_nudo: cannot read %s\n", argv[1]);
        return 1;
    }
    Quadro quadro(std::move(immagine), resta);
    quadro.setGeometry(QApplication::primaryScreen()->geometry());
    quadro.show();
    return QApplication::exec();
}
