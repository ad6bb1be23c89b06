#pragma once

#include "FormaUnica.h"
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
class Fseek : public FormaUnica<Fseek> {
public:
    // The form is created on first use (istanza()); distruggi() unloads it, and the next use
    // creates it anew with empty controls.

    QxBlob2 blbFoto;
    QxBlob2 blbThumb;
    QxBlob2 blbCrop;

    PictureBox Pic_SalvaSfondo;
    PictureBox Pic_Buffer;
    // Holds the program's hand pointer from the start; the picture's offset() is its hot spot.
    PictureBox Pic_MousePointer;

    DialogoGuida Cmdlg_Help;

private:
    friend class FormaUnica<Fseek>;
    Fseek();
};

} // namespace hn
