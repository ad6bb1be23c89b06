#pragma once

#include "PictureBox.h"
#include "QxBlob2.h"

namespace hn {

// The hidden utility form: never shown, created when first used, it holds controls the other
// forms share: the blob readers of the image stores and the picture boxes for the background
// copy, a scratch picture and the custom mouse pointer.
class Fseek {
public:
    // The form, created on first use.
    static Fseek& istanza();
    static bool caricato();
    // Unloads the form; the next use creates it anew with empty controls.
    static void Unload();

    QxBlob2 blbFoto;
    QxBlob2 blbThumb;
    QxBlob2 blbCrop;

    PictureBox Pic_SalvaSfondo;
    PictureBox Pic_Buffer;
    PictureBox Pic_MousePointer;

private:
    Fseek();
};

} // namespace hn
