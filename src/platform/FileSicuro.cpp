#include "FileSicuro.h"

#include "ErroreVB.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hn {

namespace {

ErroreVB erroreDaErrno(int e) {
    switch (e) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ErroreVB(Errore::DiscoPieno);
    case ENOENT:
    case ENOTDIR:
        return ErroreVB(Errore::PercorsoNonTrovato);
    case EACCES:
    case EPERM:
    case EROFS:
        return ErroreVB(Errore::PermessoNegato);
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
}

} // namespace hn
