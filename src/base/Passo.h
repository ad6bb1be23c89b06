#pragma once

#include "ErroreVB.h"
#include "Host.h"

#include <new>

namespace hn {

// What an error handler decides after reporting a failed step.
enum class Azione { Riprova, Prosegui, Termina };

// Runs one step under a handler's policy: on a run-time error the handler reports it and says
// whether to try the step again, go on with the next one, or end the program. Returns true when
// the step completed.
template <typename PassoFn, typename GestoreFn>
bool eseguiPasso(PassoFn&& compito, GestoreFn&& gestore) {
    for (;;) {
        Azione azione;
        try {
            compito();
            return true;
        } catch (const ErroreVB& e) {
            azione = gestore(e);
        } catch (const std::bad_alloc&) {
            azione = gestore(ErroreVB(7));
        }
        if (azione == Azione::Prosegui)
            return false;
        if (azione == Azione::Termina)
            TerminaProgramma(0);
    }
}

} // namespace hn
