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

#include "IdentitaFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

class QFile;
class QIODevice;

namespace hn {

// `percorso` is a host path. A link is followed, so the file it points to is the one replaced; a
// folder, FIFO or device in the file's place is refused (75). A new file gets the usual
// permissions (0666 less the umask), an existing one keeps its own.
void scriviFileSicuro(const QString& percorso, QByteArrayView dati);

// How sure a write must be of the disk before it is done.
enum class Durata {
    SulDisco, // the user's data: synced to the disk before the rename, and the rename after
    Cache,    // what the program can make again and checks before use: renamed unsynced
};
// The same, for a file given as pieces written one after another.
void scriviFileSicuro(const QString& percorso, const QList<QByteArrayView>& pezzi, Durata durata);

// Opens a host path for reading when it names a regular file (through a link too); the kind is
// checked before opening and again on the open file, and the open never waits. Errors: 53 no such
// file, 75 anything else (not a regular file, no permission).
void apriInLettura(QFile& file, const QString& percorso);

// The last `n` bytes (or fewer) of a regular file, opened as above.
QByteArray leggiCoda(const QString& percorso, qint64 n);

// The whole of a regular file opened as above. A file larger than `massimo` bytes is refused
// (error 7, out of memory) without being read.
QByteArray leggiFileRegolare(const QString& percorso, qint64 massimo);

// What is left of a device opened as above, at most `massimo` bytes: more is error 7, and is
// never read into memory (a file that grows, or a link to an endless device, stops at the cap).
// A read that fails is 75.
QByteArray leggiFinoA(QIODevice& dispositivo, qint64 massimo);

// A regular file opened as above, read by position into the caller's memory: for a reader that
// converts as it reads and never holds the whole file.
class FileInLettura {
public:
    explicit FileInLettura(const QString& percorso);
    ~FileInLettura();
    FileInLettura(const FileInLettura&) = delete;
    FileInLettura& operator=(const FileInLettura&) = delete;

    // As it was when opened.
    const IdentitaFile& identita() const { return identita_; }
    qint64 dimensione() const { return qint64(identita_.dimensione); }
    // At most `n` bytes from `inizio` into `dove`; how many were read, fewer only at the file's
    // end. A read that fails is 75.
    qint64 leggi(qint64 inizio, char* dove, qint64 n);
    // The whole file as it was when opened; over `massimo` bytes is error 7, and nothing is read.
    QByteArray tutto(qint64 massimo);
    // Error 75 when the file has been rewritten in place since it was opened: what was read of it
    // may mix the old and the new.
    void controllaInvariato() const;

private:
    int fd_ = -1;
    IdentitaFile identita_;
};

// Pieces of a regular file, opened as above once for all of them: each from `inizio`, at most
// `lunghezza` bytes (a piece running past the end comes back short, one past it empty). More than
// `massimo` bytes asked for in all is error 7, and nothing is read. `identita`, when given,
// receives the identity of the file read, taken from the open descriptor; a file that changes
// while its pieces are read is error 75, so the pieces always belong to that identity.
struct Intervallo {
    qint64 inizio = 0;
    qint64 lunghezza = 0;
};
QList<QByteArray> leggiIntervalli(const QString& percorso, const QList<Intervallo>& pezzi,
                                  qint64 massimo, IdentitaFile* identita = nullptr);

// Deletes a file or a link (never a folder, and never what a link points to); true when nothing
// is left under the name.
bool rimuoviFile(const QString& percorso);

// For a writer that only takes a path (the PDF writer): a new, empty file beside `destinazione`,
// hidden, that `mettiAlPosto` later renames into place. Its name carries this process's id, so a
// later start can tell it from a live run's and remove it (`pulisciAvanzi`). Errors as above.
QString fileAccanto(const QString& destinazione);

// Renames a regular file (never a folder, FIFO or device, never what a link points to), replacing
// `a`. Errors as for writing.
void spostaFile(const QString& da, const QString& a);

// The mkstemp pattern of such a file in `cartella`, for writers that hold the descriptor.
QByteArray modelloFileAccanto(const QString& cartella);

// Puts a file made by `fileAccanto` in place once its bytes are on the disk. With `sostituisci`
// false an existing destination is never replaced (error 58, file already exists; the temporary
// file is then kept, for another name). On any other failure the temporary file is gone. The
// destination is as it was whenever this throws.
void mettiAlPosto(const QString& temporaneo, const QString& destinazione, bool sostituisci);

// Removes from a folder the temporary files of runs that ended before renaming them (killed,
// power cut): files of this user whose process is gone. A live run's files are left alone.
// Returns how many went.
int pulisciAvanzi(const QString& cartella);

} // namespace hn
