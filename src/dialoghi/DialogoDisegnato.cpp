#include "DialogoDisegnato.h"

#include "Accessibilita.h"
#include "Rendizioni.h"

namespace hn {

DialogoDisegnato::DialogoDisegnato(const QString& nome, QWidget* parent)
    : Forma(nome, parent) {}

void DialogoDisegnato::creaFondo(const QString& risorsa) {
    const QImage disegno = immagineDaRisorsa(risorsa);
    delete FONDO;
    FONDO = new Riquadro(this, QStringLiteral("FONDO"));
    OPZ = ArrayControlli<Immagine>(FONDO, QStringLiteral("OPZ"));
    OPZT = ArrayControlli<Immagine>(FONDO, QStringLiteral("OPZT"));
    EVID = ArrayControlli<Figura>(FONDO, QStringLiteral("EVID"));
    FONDO->ImpostaPicture(disegno);
    FONDO->ImpostaRendizioni(rendizioniDaRisorsa(risorsa, disegno.size()));
    FONDO->MoveTw(0, 0, disegno.width() * 15.0, disegno.height() * 15.0);
}

void DialogoDisegnato::creaPulsanti(const QRect& ok, const QRect& annulla) {
    OK = new Immagine(FONDO, QStringLiteral("OK"));
    OK->MoveTw(ok.x(), ok.y(), ok.width(), ok.height());
    ANNULLA = new Immagine(FONDO, QStringLiteral("ANNULLA"));
    ANNULLA->MoveTw(annulla.x(), annulla.y(), annulla.width(), annulla.height());
    accessibile::imposta(OK, QStringLiteral("OK"));
    accessibile::imposta(ANNULLA, QStringLiteral("Anuluj"));
}

void DialogoDisegnato::nascondiMarche(int ultima) {
    for (int i = 0; i <= ultima; ++i) {
        EVID(i).setBorderColor(QColor(255, 255, 0));
        EVID(i).setBorderWidth(2);
        EVID(i).ImpostaVisible(false);
    }
}

} // namespace hn
