#include "Fseek.h"

#include "Host.h"

#include <memory>

namespace hn {

namespace {
std::unique_ptr<Fseek>& forma() {
    static std::unique_ptr<Fseek> f;
    return f;
}
} // namespace

Fseek::Fseek() {
    // A form that is never shown: its picture boxes are not either.
    Pic_SalvaSfondo.ImpostaVisible(false);
    Pic_Buffer.ImpostaVisible(false);
    Pic_MousePointer.ImpostaVisible(false);
    QImage mano(QStringLiteral(":/art/cursor.png"));
    mano.setOffset(QPoint(18, 4)); // the finger tip: the top of the drawn finger
    Pic_MousePointer.ImpostaPicture(mano);
}

void DialogoGuida::ShowHelp() const {
    if (HelpCommand == 3)
        host().help->showContents(HelpFile);
}

Fseek& Fseek::istanza() {
    if (!forma())
        forma().reset(new Fseek);
    return *forma();
}

bool Fseek::caricato() {
    return forma() != nullptr;
}

void Fseek::Unload() {
    forma().reset();
}

} // namespace hn
