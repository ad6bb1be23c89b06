#pragma once

#include <QImage>
#include <QWidget>

namespace hn::prova {

// Dark pixels in what a widget draws (or the part of it given): a control can hold its text and
// draw none of it.
inline int inchiostro(QWidget& w, const QRect& parte = {}) {
    const QImage img = w.grab(parte.isValid() ? parte : w.rect()).toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qGray(img.pixel(x, y)) < 100;
    return n;
}

} // namespace hn::prova
