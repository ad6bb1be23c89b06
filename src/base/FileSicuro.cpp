#include "FileSicuro.h"

#include "ErroreVB.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits>
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

void sincronizzaCartella(const QByteArray& cartella) {
    const int fd = ::open(cartella.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

mode_t permessiNuovi() {
    const mode_t maschera = ::umask(0);
    ::umask(maschera);
    return 0666 & ~maschera;
}

} // namespace

void scriviFileSicuro(const QString& percorso, QByteArrayView dati) {
    scriviFileSicuro(percorso, QList<QByteArrayView>{dati}, Durata::SulDisco);
}

void scriviFileSicuro(const QString& percorso, const QList<QByteArrayView>& pezzi, Durata durata) {
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
    QByteArray temporaneo = modelloFileAccanto(QFileInfo(meta).path());
    const int fd = ::mkostemp(temporaneo.data(), O_CLOEXEC);
    if (fd < 0)
        throw erroreDaErrno(errno);

    auto fallisci = [&](int e) {
        ::close(fd);
        ::unlink(temporaneo.constData());
        throw erroreDaErrno(e);
    };
    for (const QByteArrayView dati : pezzi) {
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
    }
    // Some file systems report a full disk only when the data reach it.
    if (::fchmod(fd, permessi) != 0 || (durata == Durata::SulDisco && ::fsync(fd) != 0))
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
    if (durata == Durata::SulDisco)
        sincronizzaCartella(QFile::encodeName(QFileInfo(meta).path()));
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

QByteArray leggiCoda(const QString& percorso, qint64 n) {
    QFile file;
    apriInLettura(file, percorso);
    if (!file.seek(std::max<qint64>(0, file.size() - n)))
        throw ErroreVB(Errore::AccessoPercorso);
    return leggiFinoA(file, n);
}

QByteArray leggiFileRegolare(const QString& percorso, qint64 massimo) {
    QFile file;
    apriInLettura(file, percorso);
    if (file.size() > massimo)
        throw ErroreVB(7);
    return leggiFinoA(file, massimo);
}

FileInLettura::FileInLettura(const QString& percorso) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that never comes.
    fd_ = ::open(QFile::encodeName(percorso).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        throw errno == ENOENT || errno == ENOTDIR || percorso.isEmpty()
            ? ErroreVB(Errore::FileNonTrovato)
            : ErroreVB(Errore::AccessoPercorso);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd_);
        throw ErroreVB(Errore::AccessoPercorso);
    }
    identita_ = IdentitaFile::di(st);
}

FileInLettura::~FileInLettura() {
    ::close(fd_);
}

qint64 FileInLettura::leggi(qint64 inizio, char* dove, qint64 n) {
    if (inizio < 0 || n < 0)
        throw ErroreVB(Errore::ChiamataNonValida);
    qint64 fatti = 0;
    while (fatti < n) {
        const ssize_t r = ::pread(fd_, dove + fatti, size_t(n - fatti), off_t(inizio + fatti));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            throw ErroreVB(Errore::AccessoPercorso);
        if (r == 0)
            break;
        fatti += r;
    }
    return fatti;
}

QByteArray FileInLettura::tutto(qint64 massimo) {
    if (dimensione() > massimo)
        throw ErroreVB(7);
    QByteArray b(qsizetype(dimensione()), Qt::Uninitialized);
    b.truncate(qsizetype(leggi(0, b.data(), b.size())));
    return b;
}

void FileInLettura::controllaInvariato() const {
    struct stat ora {};
    if (::fstat(fd_, &ora) != 0 || !(IdentitaFile::di(ora) == identita_))
        throw ErroreVB(Errore::AccessoPercorso);
}

QList<QByteArray> leggiIntervalli(const QString& percorso, const QList<Intervallo>& pezzi,
                                  qint64 massimo, IdentitaFile* identita) {
    qint64 totale = 0;
    for (const Intervallo& p : pezzi) {
        if (p.inizio < 0 || p.lunghezza < 0)
            throw ErroreVB(Errore::ChiamataNonValida);
        if (p.lunghezza > massimo - totale)
            throw ErroreVB(7);
        totale += p.lunghezza;
    }
    FileInLettura file(percorso);
    QList<QByteArray> letti;
    letti.reserve(pezzi.size());
    for (const Intervallo& p : pezzi) {
        const qint64 n = std::clamp<qint64>(file.dimensione() - p.inizio, 0, p.lunghezza);
        QByteArray b(qsizetype(n), Qt::Uninitialized);
        b.truncate(qsizetype(file.leggi(p.inizio, b.data(), n)));
        letti.append(std::move(b));
    }
    file.controllaInvariato();
    if (identita)
        *identita = file.identita();
    return letti;
}

QByteArray leggiFinoA(QIODevice& dispositivo, qint64 massimo) {
    // Room for what the device says it holds, never for the whole cap: a small file costs little.
    // The bytes are read straight into it, not through a block copied after: a large atlas's
    // hotspot table is read before its first plate shows.
    qint64 atteso = 64 * 1024;
    if (!dispositivo.isSequential())
        atteso = std::min(massimo, std::max<qint64>(0, dispositivo.size() - dispositivo.pos())) + 1;
    QByteArray dati;
    qint64 letti = 0;
    // One byte past the cap tells a device that holds more from one that holds exactly that.
    while (letti <= massimo) {
        if (letti == dati.size()) {
            // A device that holds more than it said (or never ends) grows by half each time.
            dati.resize(qsizetype(
                std::min(massimo + 1, std::max(atteso, letti + std::max<qint64>(letti / 2, 1)))));
            atteso = 0;
        }
        const qint64 n = dispositivo.read(dati.data() + letti, dati.size() - letti);
        if (n < 0)
            throw ErroreVB(Errore::AccessoPercorso);
        if (n == 0)
            break;
        letti += n;
    }
    dati.truncate(qsizetype(letti));
    if (auto* f = qobject_cast<QFileDevice*>(&dispositivo); f && f->error() != QFileDevice::NoError)
        throw ErroreVB(Errore::AccessoPercorso);
    if (letti > massimo)
        throw ErroreVB(7);
    return dati;
}

bool rimuoviFile(const QString& percorso) {
    if (percorso.isEmpty())
        return true;
    const QByteArray nome = QFile::encodeName(percorso);
    struct stat st {};
    if (::lstat(nome.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return false;
    return ::unlink(nome.constData()) == 0 || errno == ENOENT;
}

// ".hnemar-<pid>-XXXXXX": hidden, and telling which run made it.
QByteArray modelloFileAccanto(const QString& cartella) {
    return QFile::encodeName(cartella) + "/.hnemar-" + QByteArray::number(qint64(::getpid())) +
           "-XXXXXX";
}

QString fileAccanto(const QString& destinazione) {
    QByteArray modello = modelloFileAccanto(QFileInfo(destinazione).path());
    const int fd = ::mkostemp(modello.data(), O_CLOEXEC);
    if (fd < 0)
        throw erroreDaErrno(errno);
    ::fchmod(fd, permessiNuovi());
    ::close(fd);
    return QFile::decodeName(modello);
}

void mettiAlPosto(const QString& temporaneo, const QString& destinazione, bool sostituisci) {
    const QByteArray da = QFile::encodeName(temporaneo), a = QFile::encodeName(destinazione);
    auto fallisci = [&](ErroreVB e) {
        ::unlink(da.constData());
        throw e;
    };
    const int fd = ::open(da.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        fallisci(erroreDaErrno(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fallisci(ErroreVB(Errore::AccessoPercorso));
    }
    if (::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        fallisci(erroreDaErrno(e));
    }
    ::close(fd);
    if (sostituisci) {
        if (::rename(da.constData(), a.constData()) != 0)
            fallisci(erroreDaErrno(errno));
    } else {
        // A link never replaces a name, so a file that appeared meanwhile stays as it is.
        if (::link(da.constData(), a.constData()) != 0) {
            const int e = errno;
            if (e == EEXIST)
                throw ErroreVB(Errore::FileEsistente);
            // A file system without hard links: the name was free a moment ago.
            struct stat gia {};
            if (e != EPERM && e != EOPNOTSUPP && e != ENOSYS)
                fallisci(erroreDaErrno(e));
            if (::lstat(a.constData(), &gia) == 0)
                throw ErroreVB(Errore::FileEsistente);
            if (::rename(da.constData(), a.constData()) != 0)
                fallisci(erroreDaErrno(errno));
        } else {
            ::unlink(da.constData());
        }
    }
    sincronizzaCartella(QFile::encodeName(QFileInfo(destinazione).path()));
}

void spostaFile(const QString& da, const QString& a) {
    const QByteArray sorgente = QFile::encodeName(da), meta = QFile::encodeName(a);
    struct stat st {};
    if (::lstat(sorgente.constData(), &st) != 0)
        throw ErroreVB(errno == ENOENT ? Errore::FileNonTrovato : Errore::AccessoPercorso);
    if (!S_ISREG(st.st_mode))
        throw ErroreVB(Errore::AccessoPercorso);
    if (::rename(sorgente.constData(), meta.constData()) != 0)
        throw erroreDaErrno(errno);
    sincronizzaCartella(QFile::encodeName(QFileInfo(a).path()));
}

int pulisciAvanzi(const QString& cartella) {
    static const QRegularExpression nostro(
        QStringLiteral("^\\.hnemar-(?:(\\d{1,10})-)?[A-Za-z0-9]{6}$"));
    if (cartella.isEmpty())
        return 0;
    const QDir dir(cartella);
    int tolti = 0;
    const QStringList nomi = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& nome : nomi) {
        const QRegularExpressionMatch m = nostro.match(nome);
        if (!m.hasMatch())
            continue;
        const QByteArray percorso = QFile::encodeName(dir.filePath(nome));
        struct stat st {};
        if (::lstat(percorso.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::getuid())
            continue;
        bool morto = false;
        if (m.hasCaptured(1)) {
            const qint64 pid = m.captured(1).toLongLong();
            morto = pid > 0 && pid != qint64(::getpid()) &&
                    pid <= std::numeric_limits<pid_t>::max() && ::kill(pid_t(pid), 0) != 0 &&
                    errno == ESRCH;
        } else {
            // Older runs did not name themselves: a day untouched is long past any write.
            morto = QDateTime::currentSecsSinceEpoch() - qint64(st.st_mtim.tv_sec) > 24 * 3600;
        }
        if (morto && ::unlink(percorso.constData()) == 0)
            ++tolti;
    }
    return tolti;
}

} // namespace hn
