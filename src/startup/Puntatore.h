#pragma once

namespace hn {
class Forma;
}

namespace hn::Mod_Comuni {

// Gives every label, image and image display control of the form the program's own pointer,
// the hand of Pic_MousePointer on the utility form; other controls keep the platform's.
void ImpostaPuntatore(Forma& forma);

} // namespace hn::Mod_Comuni
