#pragma once

// What the print and copy dialogs share: a background bitmap (FONDO) drawn pixel for pixel at
// 15 twips per pixel, transparent images over it for the options and buttons, and yellow frames
// (EVID) for the user's choices. A choice is on exactly when its frame is visible.

#include "Controlli.h"

namespace hn {

class DialogoDisegnato : public Forma {
    Q_OBJECT
public:
    explicit DialogoDisegnato(const QString& nome, QWidget* parent = nullptr);

    // The background; the images and marks are drawn over it, so they live in it. Every load
    // makes them anew, as drawn: nothing an earlier opening hid, moved or filled survives.
    Riquadro* FONDO = nullptr;
    ArrayControlli<Immagine> OPZ{nullptr, QStringLiteral("OPZ")};
    ArrayControlli<Immagine> OPZT{nullptr, QStringLiteral("OPZT")};
    ArrayControlli<Figura> EVID{nullptr, QStringLiteral("EVID")};
    Immagine* OK = nullptr;
    Immagine* ANNULLA = nullptr;

protected:
    // A new background at 0, 0 holding the bitmap at its drawn size, with empty control arrays
    // on it; the earlier background goes with everything on it. `risorsa` is the bitmap's name in
    // the program's resources (":/art/fcopia.png"), with its renditions beside it.
    void creaFondo(const QString& risorsa);
    // OK and ANNULLA on the background at their drawn places (twips), named for assistive tools.
    void creaPulsanti(const QRect& ok, const QRect& annulla);
    // Marks 0 … ultima get a yellow frame two pixels wide and are hidden.
    void nascondiMarche(int ultima);
};

} // namespace hn
