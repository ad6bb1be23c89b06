#pragma once

// The command-line conventions every executable of the project shares: --help to stdout with
// exit 0, --version, and wrong usage on stderr with exit 2. Works on the raw arguments, before any
// QApplication exists, so that `hnemar --help` never needs a display.

#include <QString>
#include <optional>

namespace hn {

inline constexpr int UscitaUsoErrato = 2;

struct Comando {
    const char* nome;  // "hnemar-store"
    const char* uso;   // the usage lines, each starting with "Usage:" or blanks
    const char* aiuto; // what follows the usage in --help; may be empty
};

// Answers --help/-h and --version anywhere among the arguments; the exit code to end with, or
// nothing when the command should go on.
std::optional<int> opzioniComuni(int argc, const char* const* argv, const Comando& comando);

// Prints "NAME: REASON", the usage and a hint to stderr; returns the usage exit code.
int usoErrato(const Comando& comando, const QString& motivo);

// The project's version, as the build names it.
const char* versione();

} // namespace hn
