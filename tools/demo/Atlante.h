#pragma once

// The demo atlas's compiler: from readable sources to the files the program reads.
//   sistemi.tsv   code TAB description           -> DesAppa.bin
//   hotspot.tsv   plate, code, link, element, text -> hsmed.bin (50-byte records)
//   testi.txt     "== CODE" then Markdown          -> hsmed.dat (CODE.RTF entries)
//   tavole/KEY.svg                                -> BlobCorp.dat (KEY.png)
// A hotspot's rectangle is the bounding box of its SVG element in the plate, so the picture and
// the table cannot drift apart. Within a plate the header comes first, then the hotspots from the
// largest to the smallest, since later hotspots lie on top of earlier ones.

#include <QRect>
#include <QString>

namespace hn::demo {

// A hotspot rectangle as the table holds it: picture pixels, right and bottom edges such that
// the hotspot spans (X2 - X1 + 2) pixels.
struct Rettangolo {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const Rettangolo&) const = default;
};

// The element's box mapped to the table's edges, kept inside a picture of that size.
Rettangolo rettangoloDaBox(const QRectF& box, QSize immagine);

// Builds the four files into the data folder; false with the reason when the sources disagree.
bool costruisciAtlante(const QString& sorgente, const QString& dati, QString& problema);

} // namespace hn::demo
