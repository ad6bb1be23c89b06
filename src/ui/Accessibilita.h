#pragma once

// What assistive tools read of the forms. The drawn controls get names, roles and a Press action
// that does what a click does; a control is in the tree only when it is shown and means something
// to the user (it has a name, or it holds controls that have); working controls never are.

#include "Controllo.h"

#include <QAccessible>
#include <QString>

class QWidget;

namespace hn::accessibile {

// Installs the interfaces once, before the first form is shown.
void installa();

// A control's name and role; a `segno` (a mark shape) makes it a check box whose checked state
// is the mark's visibility.
void imposta(QWidget* controllo, const QString& nome, QAccessible::Role ruolo = QAccessible::Button,
             QWidget* segno = nullptr);

// The key that does what pressing the control does ("F1", "Ctrl+P"): screen readers say it with
// the control's name.
void impostaTasto(QWidget* controllo, const QString& tasto);

} // namespace hn::accessibile
