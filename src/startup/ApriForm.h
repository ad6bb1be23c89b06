#pragma once

#include <QtGlobal>

namespace hn {
class Forma;
}

namespace hn::Mod_Comuni {

// Switches from one full-screen form to another: the target takes the source's place (or is
// maximised when the source is not in the normal state), gets its caption, prepares itself
// through its Lanciata method when it has one, is shown, and the source is hidden. Always 0.
qint16 ApriForm(Forma& sorgente, Forma& destinazione);

} // namespace hn::Mod_Comuni
