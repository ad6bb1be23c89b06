#pragma once

#include "Controllo.h"

#include <QString>

namespace hn {

// The platform's picture loader: the picture in a file named by a Windows path, read whole and
// decoded from memory, so the file is free again when this returns. An empty path gives an empty
// picture. Errors: 53 no such file, 75 the file cannot be read, 481 not a picture it can decode.
QImage LoadPicture(const QString& percorso);

// A windowless picture box: holds a picture. The forms that show one draw it themselves; the
// hidden utility form only keeps pictures in them.
class PictureBox : public ControlloConPicture {
public:
    bool Visible() const override { return visibile_; }
    void ImpostaVisible(bool visibile) override { visibile_ = visibile; }

private:
    bool visibile_ = true;
};

} // namespace hn
