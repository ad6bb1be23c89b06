#pragma once

// Files of the user and of the installation, handled so that nothing is lost and nothing hangs.
//
// Replacing a user's file: the new bytes go into a temporary file beside it, which takes the
// file's place only once every byte is on the disk. A failure leaves the old file as it was and
// reports the run-time error the handlers know (61 disk full, 57 input/output error, 75 anything
// else the path refuses: a missing folder, no permission, a read-only disk).
//
// Reading an installation's file: only a regular file is ever opened. A FIFO, a device or a
// folder in a data file's place could block the program for good or feed it without end.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QFile;

namespace hn {

// `percorso` is a host path. A link is followed, so the file it points to is the one replaced; a
// folder, FIFO or device in the file's place is refused (75). A new file gets the usual
// permissions (0666 less the umask), an existing one keeps its own.
void scriviFileSicuro(const QString& percorso, QByteArrayView dati);

// Opens a host path for reading when it names a regular file (through a link too); the kind is
// checked before opening and again on the open file, and the open never waits. Errors: 53 no such
// file, 75 anything else (not a regular file, no permission).
void apriInLettura(QFile& file, const QString& percorso);

// The whole of a regular file opened as above. A file larger than `massimo` bytes is refused
// (error 7, out of memory) without being read.
QByteArray leggiFileRegolare(const QString& percorso, qint64 massimo);

} // namespace hn
