#include "Puntatore.h"

#include "Controlli.h"
#include "EtichetteDisegnate.h"
#include "FXImage.h"
#include "Fseek.h"
#include "Host.h"

#include <QCursor>
#include <QPixmap>

namespace hn::Mod_Comuni {

void ImpostaPuntatore(Forma& forma) {
    const QImage icona = Fseek::istanza().Pic_MousePointer.Picture();
    for (ControlloForma* c : forma.Controls()) {
        const QString tipo = c->TypeName();
        if (tipo == QLatin1String("Label") || tipo == QLatin1String("Image")) {
            c->setMouseIcon(icona);
            c->setMousePointer(Puntatore::Personalizzato);
        }
    }
    // Labels drawn by their container are labels too.
    for (ArrayEtichette* a : forma.findChildren<ArrayEtichette*>())
        for (const auto& [indice, e] : a->elementi()) {
            e->setMouseIcon(icona);
            e->setMousePointer(Puntatore::Personalizzato);
        }
    // The image display control is a component, not one of the form's own controls.
    if (!icona.isNull())
        for (FXImage* immagine : forma.findChildren<FXImage*>())
            immagine->setCursor(
                QCursor(QPixmap::fromImage(icona), icona.offset().x(), icona.offset().y()));
}

} // namespace hn::Mod_Comuni
