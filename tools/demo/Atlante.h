#pragma once

// The demo atlas's compiler: from readable sources to the files the program reads.
//   sistemi.tsv   code TAB description           -> DesAppa.bin
//   hotspot.tsv   plate, code, link, shapes, labels, text -> hsmed.bin (50-byte records)
//   testi.txt     "== CODE" then Markdown          -> hsmed.dat (CODE.RTF entries)
//   tavole/KEY.svg                                -> BlobCorp.dat (KEY.png)
// Each structure gets a record per SVG element listed for it: its shapes (both sides of a pair)
// and its label (text and marker); a record's rectangle is the element's bounding box in the
// plate, a label's with a margin that stops halfway to another structure's label, so the picture
// and the table cannot drift apart and each label answers for itself alone. Within a plate
// the header comes first, then the shapes, then the labels, each from the largest to the
// smallest, since later hotspots lie on top of earlier ones; a table in which a structure could
// not be clicked well enough (Copertura.h) is refused.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QRect>
#include <QString>

class QSvgRenderer;

namespace hn::demo {

// A hotspot rectangle as the table holds it: picture pixels, right and bottom edges such that
// the hotspot spans (X2 - X1 + 2) pixels.
struct Rettangolo {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const Rettangolo&) const = default;
};

// The larger renditions every picture of the demo gets beside its 1 × one.
inline const QList<int> FattoriRendizioni{2, 3};

// The drawing rasterised at `fattore` times its declared size on white, as PNG: a rendition,
// whatever the 1 × picture's format (the program decodes by content). Packed as tightly as PNG
// allows, since a store carries every rendition: with a palette of its 256 most used colours
// when that stays within PsnrTavolozza of the full colours. Empty when it cannot be encoded.
QByteArray rendizioneDaSvg(QSvgRenderer& svg, int fattore);

// Below this peak signal-to-noise ratio (dB) against the full colours, a palette would show.
inline constexpr double PsnrTavolozza = 42.0;

// The picture with a palette of its 256 most used colours, every other colour drawn as its
// nearest there; `psnr` how far that is from the picture (dB; very large when equal).
QImage conTavolozza(const QImage& immagine, double* psnr = nullptr);

// The element's box mapped to the table's edges, kept inside a picture of that size.
Rettangolo rettangoloDaBox(const QRectF& box, QSize immagine);

// The message texts: "number TAB title TAB text" per line, "\n" in the text a line break, lines
// starting with # comments. False with the reason on a malformed line or a number the message
// file cannot hold.
bool leggiMessaggi(const QString& file, QMap<int, std::pair<QString, QString>>& messaggi,
                   QString& problema);

// Builds the four files into the data folder; false with the reason when the sources disagree.
bool costruisciAtlante(const QString& sorgente, const QString& dati, QString& problema);

} // namespace hn::demo
