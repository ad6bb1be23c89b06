#include "DialogoComune.h"

#include "ErroreVB.h"
#include "Host.h"

namespace hn {

void DialogoComune::setAction(int azione) {
    if (azione != AzioneSalvaConNome)
        throw ErroreVB(Errore::ChiamataNonValida);
    const std::optional<QString> scelto = host().fileChooser->saveAs(Filter, InitDir, FileName);
    if (!scelto) {
        if (CancelError)
            throw ErroreVB(ErroreAnnullato, QStringLiteral("Anulowano"));
        return;
    }
    FileName = *scelto;
}

} // namespace hn
