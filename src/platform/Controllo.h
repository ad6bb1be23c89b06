#pragma once

#include <QImage>

namespace hn {

// What the program's routines ask of a control they are handed without knowing its kind: its
// Visible property. Windowed and windowless controls answer alike.
class Controllo {
public:
    virtual ~Controllo() = default;
    virtual bool Visible() const = 0;
    virtual void ImpostaVisible(bool visibile) = 0;
};

// A control with a Picture property: the picture it shows, as a picture object.
class ControlloConPicture : public Controllo {
public:
    virtual QImage Picture() const = 0;
    virtual void ImpostaPicture(const QImage& immagine) = 0;
};

} // namespace hn
