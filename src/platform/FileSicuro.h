#pragma once

// Replacing a user's file without ever losing it: the new bytes go into a temporary file beside
// it, which takes the file's place only once it is complete. A failure leaves the old file as it
// was and reports the run-time error the handlers know (61 disk full, 76 no such folder, 70 no
// permission, 75 anything else the path refuses).

#include <QByteArrayView>
#include <QString>

namespace hn {

// `percorso` is a host path. A link is followed, so the file it points to is the one replaced; a
// folder, FIFO or device in the file's place is refused (75). A new file gets the usual
// permissions (0666 less the umask), an existing one keeps its own.
void scriviFileSicuro(const QString& percorso, QByteArrayView dati);

} // namespace hn
