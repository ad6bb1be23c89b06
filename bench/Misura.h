#pragma once

// What the benches share: a plate drawn like an atlas illustration, and timing by medians.

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <ctime>

namespace hn::banco {

// A plate of this size drawn like an atlas illustration: a shaded ground, shaded shapes with
// outlines, and labels, so it compresses as real plates do. The same every run.
inline QByteArray tavolaDisegnata(QSize dimensione, int forme, int etichette) {
    const int w = dimensione.width(), h = dimensione.height();
    QImage img(dimensione, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sfondo(0, 0, 0, h);
    sfondo.setColorAt(0, QColor(250, 245, 235));
    sfondo.setColorAt(1, QColor(225, 215, 200));
    p.fillRect(img.rect(), sfondo);
    QRandomGenerator caso(2002);
    for (int i = 0; i < forme; ++i) {
        const QRectF r(caso.bounded(w), caso.bounded(h), w / 50 + caso.bounded(w / 5),
                       h / 40 + caso.bounded(h / 5));
        QRadialGradient g(r.center(), r.width() / 2);
        g.setColorAt(0, QColor::fromHsv(caso.bounded(40), 80 + caso.bounded(120), 255));
        g.setColorAt(1, QColor::fromHsv(caso.bounded(40), 150, 120 + caso.bounded(80)));
        p.setBrush(g);
        p.setPen(QPen(QColor(60, 30, 20), 1.5));
        p.drawEllipse(r);
    }
    p.setPen(Qt::black);
    for (int i = 0; i < etichette; ++i)
        p.drawText(caso.bounded(w - 60), caso.bounded(h - 30) + 16,
                   QStringLiteral("Kość %1").arg(i));
    p.end();
    QByteArray dati;
    QBuffer b(&dati);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    return dati;
}

inline double mediana(QList<double> tempi) {
    std::sort(tempi.begin(), tempi.end());
    return tempi[tempi.size() / 2];
}

// Milliseconds one call of f takes: wall time, or with HNEMAR_BANCO_CPU=1 the processor time of
// the whole process, which a machine shared with other work disturbs far less.
template <typename F> double misura(F&& f) {
    static const bool cpu = qEnvironmentVariableIntValue("HNEMAR_BANCO_CPU") == 1;
    if (cpu) {
        timespec a{}, b{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
        f();
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
        return double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_nsec - a.tv_nsec) / 1e6;
    }
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace hn::banco
