#pragma once

#include <QBuffer>
#include <QColor>
#include <QImage>

namespace hn::prova {

// A picture file's bytes in the given format, one colour with a mark in the top-left pixel so a
// test can tell it from a picture of the same colour loaded elsewhere.
inline QByteArray figura(int w, int h, QColor colore, const char* formato = "BMP",
                         QColor segno = Qt::magenta) {
    QImage immagine(w, h, QImage::Format_RGB32);
    immagine.fill(colore);
    immagine.setPixelColor(0, 0, segno);
    QByteArray dati;
    QBuffer b(&dati);
    b.open(QIODevice::WriteOnly);
    immagine.save(&b, formato);
    return dati;
}

} // namespace hn::prova
