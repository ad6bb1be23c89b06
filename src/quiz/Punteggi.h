#pragma once

// The best score of each self-test (per plate, per body system), kept in the user's own settings
// under the XDG config folder: never in the installation's INI files, which may be read-only and
// are shared by every user.

#include <QString>
#include <optional>

namespace hn::punteggi {

struct Punteggio {
    int giuste = 0;
    int domande = 0;
    bool operator==(const Punteggio&) const = default;
};

// The key of a plate's or a system's round.
QString chiaveTavola(const QString& tavola);
QString chiaveSistema(const QString& sistema);

std::optional<Punteggio> migliore(const QString& chiave);
// Keeps the better of the stored score and this one (the larger share right, then the longer
// round); true when this one is the new best.
bool registra(const QString& chiave, Punteggio punteggio);

} // namespace hn::punteggi
