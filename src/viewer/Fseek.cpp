#include "Fseek.h"

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
