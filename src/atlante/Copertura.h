#pragma once

// Whether every structure of a plate can be clicked. The viewer lays a plate's hotspots in table
// order, each later one on top of those before it, so a record hides what it overlaps. A
// structure is every record of a plate with one code (its shapes and its label); it is clickable
// enough when at least MinimoPixel pixels and at least half of its area lie on top, and when no
// record of it lies wholly under records of other structures. A structure of several records
// (shapes and a label) stands at its topmost record, its label's text: no record of another
// structure may lie over any of that one. A plate's header record (code "000000") is no
// structure: it only covers what lies beneath it.
// Pure over the rectangles and their order: the atlas compiler refuses a table that breaks it and
// the atlas checker reports it on any installed table.

#include <QList>
#include <QRect>
#include <QString>

namespace hn::atlante {

inline constexpr int MinimoPixel = 400;

struct Zona {
    QString tavola;    // plate key
    QString struttura; // the record's code: what a click on it opens
    QRect area;        // the pixels it covers
};

struct DifettoCopertura {
    QString tavola, struttura, motivo;
};

// The pixels a record with these edges covers: it spans (X2 - X1 + 2) pixels from X1.
QRect areaDelRecord(int x1, int y1, int x2, int y2);

// Records in table order (a plate's records need not be contiguous). Every breach, plate by plate
// in order of first appearance, structures in order of their first record; empty when all hold.
QList<DifettoCopertura> verificaCopertura(const QList<Zona>& zone);

} // namespace hn::atlante
