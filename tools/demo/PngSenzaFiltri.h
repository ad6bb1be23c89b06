#pragma once

// Renditions are written as PNG with every row unfiltered. A program decoding a 2 × background
// or plate spends most of its time undoing the rows' filters (Paeth above all): unfiltered
// rows decode in less than half the time, and for flat drawings they compress as well or better.

#include <QByteArray>
#include <QImage>

namespace hn::demo {

// The picture as a PNG of unfiltered rows at the strongest deflate: 8-bit RGB for an opaque
// picture, a palette for an indexed one. Empty for any other picture, or when libpng fails.
QByteArray pngSenzaFiltri(const QImage& immagine);

} // namespace hn::demo
