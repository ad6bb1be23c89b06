#pragma once

#include "PictureBox.h"
#include "QxBlob2.h"

namespace hn {

// The common dialog's help part: names a help file and a command, and ShowHelp hands them to the
// host's help viewer. Command 3 shows the contents; the others are not used by the program.
struct DialogoGuida {
    QString HelpFile;
    int HelpCommand = 0;
    void ShowHelp() const;
};

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
    // Holds the program's hand pointer from the start; the picture's offset() is its hot spot.
    PictureBox Pic_MousePointer;

    DialogoGuida Cmdlg_Help;

private:
    Fseek();
};

} // namespace hn
