#pragma once

// The common dialog control as the copy dialog uses it: a save-as chooser run through its
// properties, on the host's file chooser.

#include <QString>

namespace hn {

class DialogoComune {
public:
    // Raised by Action when the user cancels and CancelError is set.
    static constexpr int ErroreAnnullato = 32755;
    static constexpr int AzioneSalvaConNome = 2;

    QString FileName;
    QString Filter;
    QString InitDir;
    bool CancelError = false;

    // 2 runs the save-as chooser and returns when it closes; on a choice FileName holds the
    // chosen Windows-form path. Other actions are not offered by this control (error 5).
    void setAction(int azione);
};

} // namespace hn
