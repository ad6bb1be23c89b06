#pragma once

// The desktop's session bus, which Qt asks for accessibility, themes and input methods. With no
// address in the environment, libdbus starts a bus of its own for the X display (a dbus-launch
// and a dbus-daemon) that outlives the program: one more pair left running after every start.

#include <QByteArray>

namespace hn {

// The address to use when the environment gives none (empty when it gives one): the user's bus
// at its usual place in the runtime folder when it is there, else an address that connects to
// nothing, so that nothing is started.
QByteArray indirizzoBusSessione();

// Puts that address into the environment; called before the application object exists.
void scegliBusSessione();

} // namespace hn
