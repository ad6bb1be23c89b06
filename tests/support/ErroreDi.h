#pragma once

#include "ErroreVB.h"

#include <functional>

namespace hn::prova {

// The number of the run-time error the call raises, or 0 when it raises none.
inline int erroreDi(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErroreVB& e) {
        return e.numero();
    }
    return 0;
}

} // namespace hn::prova
