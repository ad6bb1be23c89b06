#include "Fseek.h"

#include "Host.h"
#include "Rendizioni.h"

namespace hn {

Fseek::Fseek() {
    // A form that is never shown: its picture boxes are not either.
    Pic_SalvaSfondo.ImpostaVisible(false);
    Pic_Buffer.ImpostaVisible(false);
    Pic_MousePointer.ImpostaVisible(false);
    QImage mano = immagineDaRisorsa(QStringLiteral(":/art/cursor.png"));
    mano.setOffset(QPoint(18, 4)); // the finger tip: the top of the drawn finger
    Pic_MousePointer.ImpostaPicture(mano);
    Pic_MousePointer.ImpostaRendizioni(
        rendizioniDaRisorsa(QStringLiteral(":/art/cursor.png"), mano.size()));
}

void DialogoGuida::ShowHelp() const {
    if (HelpCommand == 3)
        host().help->showContents(HelpFile);
}

} // namespace hn
