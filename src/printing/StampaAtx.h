#pragma once

// The print routines of the module shared by the print and copy dialogs.

#include <QString>
#include <cstdint>

namespace hn {

class KorAtx;

namespace Mod_CopiaeStampa {

// The credit line as the RTF the dialogs print it in: Times New Roman, bold, italic, 8 points,
// centred.
QString RtfDiCredito();

// Prints the control's text in a band of the printer's page, from (left, top) in twips down to
// the bottom of the printable area and across to one inch short of the page's width. Whole
// carries the text over as many pages as it needs; otherwise what fits in the band is drawn.
// Starts the printer document when none is open; errors (482) reach the caller.
void StampaAtx(KorAtx& atx, std::int32_t left, std::int32_t top, bool intero = false);

// b when a >= b, else a.
double Minimo(double a, double b);

} // namespace Mod_CopiaeStampa

// Starts the printer document unless one is open: what printing an empty string does.
void AvviaStampante();

} // namespace hn
