#pragma once

#include <QString>

namespace hn {

class ControlloConPicture;

// Puts a background picture into a control: from its file when there is one; a background of the
// backgrounds folder that is not on disk comes from the background store ("Bit_Hd.ff"), where
// ".JPG" pictures are kept as ".bmp". A missing picture outside that folder is message 23 and the
// end of the program. Errors are reported with message 251: Retry repeats the failing step,
// Ignore goes on after it, any other answer ends the program.
void CaricaSfondo(ControlloConPicture& pittura, const QString& immagine);

} // namespace hn
