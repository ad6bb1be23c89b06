#include "FileSicuro.h"

#include "ErroreVB.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hn {

namespace {

// The copy output tells a full disk from every other refusal of the path (missing folder, no
// permission, read-only disk), which all read as error 75.
ErroreVB erroreDaErrno(int e) {
    switch (e) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ErroreVB(Errore::DiscoPieno);
    case EIO:
        return ErroreVB(Errore::ErroreIO);
    default:
        return ErroreVB(Errore::AccessoPercorso);
    }
}

mode_t permessiNuovi() {
    const mode_t maschera = ::umask(0);
    ::umask(maschera);
    return 0666 & ~maschera;
}

} // namespace

void scriviFileSicuro(const QString& percorso, QByteArrayView dati) {
    QString meta = percorso;
    mode_t permessi = permessiNuovi();
    struct stat st {};
    if (::stat(QFile::encodeName(percorso).constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            throw ErroreVB(Errore::AccessoPercorso);
        permessi = st.st_mode & 07777;
        meta = QFileInfo(percorso).canonicalFilePath();
    }
    const QByteArray destinazione = QFile::encodeName(meta);
    QByteArray temporaneo = QFile::encodeName(QFileInfo(meta).path()) + "/.hnemar-XXXXXX";
    const int fd = ::mkostemp(temporaneo.data(), O_CLOEXEC);
    if (fd < 0)
        throw erroreDaErrno(errno);

    auto fallisci = [&](int e) {
        ::close(fd);
        ::unlink(temporaneo.constData());
        throw erroreDaErrno(e);
    };
    const char* p = dati.data();
    qsizetype resta = dati.size();
    while (resta > 0) {
        const ssize_t n = ::write(fd, p, size_t(resta));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fallisci(errno);
        }
        // A write that takes nothing and says nothing: no room left.
        if (n == 0)
            fallisci(ENOSPC);
        p += n;
        resta -= n;
    }
    // Some file systems report a full disk only when the data reach it.
    if (::fchmod(fd, permessi) != 0 || ::fsync(fd) != 0)
        fallisci(errno);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(temporaneo.constData());
        throw erroreDaErrno(e);
    }
    if (::rename(temporaneo.constData(), destinazione.constData()) != 0) {
        const int e = errno;
        ::unlink(temporaneo.constData());
        throw erroreDaErrno(e);
    }
    // The rename itself reaches the disk with its folder; a failure here loses nothing.
    const int cartella = ::open(QFile::encodeName(QFileInfo(meta).path()).constData(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (cartella >= 0) {
        ::fsync(cartella);
        ::close(cartella);
    }
}

void apriInLettura(QFile& file, const QString& percorso) {
    const QByteArray nome = QFile::encodeName(percorso);
    struct stat st {};
    if (percorso.isEmpty() || ::stat(nome.constData(), &st) != 0)
        throw ErroreVB(percorso.isEmpty() || errno == ENOENT || errno == ENOTDIR
                           ? Errore::FileNonTrovato
                           : Errore::AccessoPercorso);
    // A device is not even opened: opening some has effects of its own.
    if (!S_ISREG(st.st_mode))
        throw ErroreVB(Errore::AccessoPercorso);
    // Something else may take the file's place in between: the open must not wait for a FIFO's
    // writer, and what was opened is checked again.
    const int fd = ::open(nome.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        throw ErroreVB(errno == ENOENT || errno == ENOTDIR ? Errore::FileNonTrovato
                                                           : Errore::AccessoPercorso);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw ErroreVB(Errore::AccessoPercorso);
    }
}

QByteArray leggiFileRegolare(const QString& percorso, qint64 massimo) {
    QFile file;
    apriInLettura(file, percorso);
    if (file.size() > massimo)
        throw ErroreVB(7);
    // A file that grows while it is read still stops at the cap.
    QByteArray dati = file.read(std::min(massimo, file.size()) + 1);
    if (file.error() != QFileDevice::NoError)
        throw ErroreVB(Errore::AccessoPercorso);
    if (dati.size() > massimo)
        throw ErroreVB(7);
    return dati;
}

} // namespace hn
