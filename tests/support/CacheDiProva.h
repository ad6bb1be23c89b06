#pragma once

// Every test program keeps what it saves in the user's cache folder (the look-up indexes of
// stores and tables) in a temporary folder of its own, set before Qt first looks for it, so that
// no test writes into the real home. Compiled into each test program.

#include <QString>

namespace hn::prova {

QString cartellaCache();

} // namespace hn::prova
