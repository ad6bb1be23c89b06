#pragma once

// The plate data: the hotspot table "hsmed.bin" and the text store "hsmed.dat" in PathDati.

#include "TabellaRecord.h"

#include <QRect>
#include <QString>
#include <memory>

namespace hn {

class RichTextBox;

// The table's format and its reading live in the atlas library; the viewer uses them as they are.
using RecordHotSpot = atlante::Record;
using atlante::CodiceIntestazione;
using atlante::MassimoHotSpot;
using atlante::TabellaHotSpot;
inline constexpr int LunghezzaRecordHotSpot = atlante::LunghezzaRecord;

// The screen's twips per pixel, read at each plate load.
extern float TwipsPerPixelXCorrente;
extern float TwipsPerPixelYCorrente;
void LeggiTwipsPerPixel();

// A hotspot's rectangle in twips relative to the picture: X1 × TPPX, Y1 × TPPY, and
// (X2 − X1 + 2) × TPPX by (Y2 − Y1 + 2) × TPPY, rounded to whole twips.
QRect geometriaHotSpot(const RecordHotSpot& record, float tppx, float tppy);

// The table of a file for a plate load, or null when it cannot be read. A table that cannot
// serve the plates (missing, not a regular file, unreadable, or flagged by difetto()) is told to
// the user in one box naming the file; nothing else changes, the plate shows with what was read.
std::shared_ptr<const TabellaHotSpot> TabellaPerLaTavola(const QString& percorso);

// Record n of plate `tavola` in a table; false when the plate has fewer records or there is no
// table (it could not be read when the plate was loaded).
bool CercaRecordHotSpot(const TabellaHotSpot* tabella, const QString& tavola, qint16 n,
                        RecordHotSpot& record);

// Reads the entry `codice` + ".RTF" of "hsmed.dat" through the crop blob reader, in memory, into
// the panel. False when the store has no such entry (the panel keeps its text). Errors from the
// store or the panel reach the caller.
bool EstraiTesto(const QString& codice, RichTextBox& pannello);

} // namespace hn
