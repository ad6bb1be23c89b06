#include "Puntatore.h"

#include "Controlli.h"
#include "EtichetteDisegnate.h"
#include "FXImage.h"
#include "Fseek.h"
#include "Host.h"
#include "Ridimensiona.h"

namespace hn::Mod_Comuni {

void ImpostaPuntatore(Forma& forma) {
    const QImage icona = Fseek::istanza().Pic_MousePointer.Picture();
    const Rendizioni& rendizioni = Fseek::istanza().Pic_MousePointer.rendizioni();
    for (ControlloForma* c : forma.Controls()) {
        const QString tipo = c->TypeName();
        if (tipo == QLatin1String("Label") || tipo == QLatin1String("Image")) {
            c->setMouseIcon(icona, rendizioni);
            c->setMousePointer(Puntatore::Personalizzato);
        }
    }
    // Labels drawn by their container are labels too.
    for (ArrayEtichette* a : forma.findChildren<ArrayEtichette*>())
        for (const auto& [indice, e] : a->elementi()) {
            e->setMouseIcon(icona, rendizioni);
            e->setMousePointer(Puntatore::Personalizzato);
        }
    // The image display control is a component, not one of the form's own controls.
    if (!icona.isNull())
        for (FXImage* immagine : forma.findChildren<FXImage*>())
            immagine->setMouseIcon(icona, rendizioni);
}

} // namespace hn::Mod_Comuni
