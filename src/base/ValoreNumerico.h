#pragma once

#include <QString>

namespace hn {

// The leading number of a text as the runtime's lenient conversion reads it, for INI values and
// the hotspot table alike: blanks skipped, then a sign, digits, a decimal point and an exponent
// (E or D), or &H and up to eight hexadecimal digits; reading stops at the first character that
// cannot go on the number, and a text without one is 0 ("012" is 12, "7x" is 7, "1e2" is 100).
double valoreIniziale(const QString& testo);

} // namespace hn
