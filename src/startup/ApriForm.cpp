#include "ApriForm.h"

#include "Forma.h"
#include "Host.h"

namespace hn::Mod_Comuni {

qint16 ApriForm(Forma& sorgente, Forma& destinazione) {
    destinazione.Load();
    if (sorgente.WindowState() != 0) {
        destinazione.ImpostaWindowState(2);
    } else {
        destinazione.MoveTw(sorgente.LeftTw(), sorgente.TopTw(), sorgente.WidthTw(),
                            sorgente.HeightTw());
        // A 640-pixel screen has no room for a caption in the task bar.
        const bool stretto = host().screen->widthPixels() == 640;
        destinazione.setCaption(stretto ? QString() : QStringLiteral("Velto 2002"));
    }
    // A form without the method is simply skipped; whatever goes wrong inside it is passed over.
    try {
        destinazione.chiamaPerNome("Lanciata");
    } catch (...) {
    }
    destinazione.Show();
    sorgente.Hide();
    return 0;
}

} // namespace hn::Mod_Comuni
