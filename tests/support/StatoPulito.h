#pragma once

// The program-wide state every test starts from.

#include "Fileini.h"
#include "Fseek.h"
#include "Messaggi.h"
#include "SistemaScelto.h"

#include <functional>
#include <utility>

namespace hn::prova {

// Empties the start-up layer's globals (the configuration record, the chosen body system, the
// last message read, the hidden utility form) when made and again when it goes, and runs `altro`
// both times for what a higher layer keeps (the hover state, the viewer's factory): no test sees
// what an earlier one left. Made first in a fixture, it outlives the forms the fixture makes.
class StatoPulito {
public:
    explicit StatoPulito(std::function<void()> altro = {})
        : altro_(std::move(altro)) {
        azzera();
    }
    ~StatoPulito() { azzera(); }
    StatoPulito(const StatoPulito&) = delete;
    StatoPulito& operator=(const StatoPulito&) = delete;

private:
    void azzera() const {
        Fileini::cfg = {};
        CodiceSistema.clear();
        DescrizioneSistema.clear();
        Mod_Comuni::TestoMessaggio.clear();
        Mod_Comuni::TitoloMessaggio.clear();
        Fseek::distruggi();
        if (altro_)
            altro_();
    }

    std::function<void()> altro_;
};

} // namespace hn::prova
