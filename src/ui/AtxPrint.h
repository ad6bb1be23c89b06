#pragma once

// The print entry points of the rich-text control. A job opened on the printer by
// ATX_PRINT_START takes an optional title and any number of texts, each laid out in a rectangle
// given in twips from the printable area's corner, and is closed by ATX_PRINT_FINISH. The
// printer document itself is the caller's: it is started before drawing (a job started here if
// the caller has not) and ended by the caller after the finish, when the pages leave.
// Results: 1 done, 0 not done; the program ignores them.

#include <QString>
#include <cstdint>

namespace hn {

class KorAtx;
class PrinterService;

// `dispositivo` null means the host's printer.
int ATX_PRINT_START(std::int32_t riservato, PrinterService* dispositivo, int copie, int modo);

// A title line across the top of the next page drawn on, bold and centred.
int ATX_PRINT_TITLE(const QString& titolo);

// Draws what fits of the control's text (its selection, or all of it) in the rectangle, on the
// current page; `top` comes back as the bottom of what was drawn. The handle (member 146)
// is accepted for the caller's sake: the control comes by reference.
int ATX_PRINT_REGION(KorAtx& atx, std::int32_t& top, std::int32_t height, std::int32_t left,
                     std::int32_t width, int riservato1, std::int32_t handle, int riservato2);

// The same for the whole text, carried over as many pages as it needs, each page using the same
// rectangle; `pagine` comes back as the number of pages drawn.
int ATX_PRINT(KorAtx& atx, std::int32_t& pagine, std::int32_t top, std::int32_t height,
              std::int32_t left, std::int32_t width, int riservato1, std::int32_t handle,
              int riservato2);

int ATX_PRINT_FINISH();

} // namespace hn
