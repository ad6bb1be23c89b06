#include "BlobStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

namespace hn::blob {

namespace {

QString erroreZip(int codice) {
    zip_error_t e;
    zip_error_init_with_code(&e, codice);
    const QString testo = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return testo;
}

ErroreVB formatoNonValido(const QString& dettaglio) {
    return ErroreVB(FormatoNonValido,
                    QStringLiteral("Nieprawidłowy format pliku (%1)").arg(dettaglio));
}

// The run-time error a failed file-system call stands for.
ErroreVB erroreDaErrno(int e) {
    switch (e) {
    case ENOENT:
    case ENOTDIR:
        return ErroreVB(Errore::PercorsoNonTrovato);
    case ENOSPC:
    case EDQUOT:
        return ErroreVB(Errore::DiscoPieno);
    case ENOMEM:
        return ErroreVB(7);
    case EIO:
        return ErroreVB(Errore::ErroreIO);
    default:
        return ErroreVB(Errore::AccessoPercorso);
    }
}

QString chiave(QStringView nome) {
    return nome.toString().toCaseFolded();
}

// Closes a descriptor and removes the file it was made for, unless the file was handed over.
struct FileTemporaneo {
    int fd = -1;
    QByteArray percorso;
    ~FileTemporaneo() {
        if (fd >= 0)
            ::close(fd);
        if (!percorso.isEmpty())
            ::unlink(percorso.constData());
    }
};

void scriviTutto(int fd, const char* dati, qint64 n) {
    while (n > 0) {
        const ssize_t scritti = ::write(fd, dati, size_t(n));
        if (scritti < 0) {
            if (errno == EINTR)
                continue;
            throw erroreDaErrno(errno);
        }
        dati += scritti;
        n -= scritti;
    }
}

} // namespace

bool nomeVoceAmmesso(QStringView nome) {
    if (nome.isEmpty() || nome.size() > 255 || nome.contains(u"..") || nome.front().isSpace() ||
        nome.back().isSpace())
        return false;
    for (QChar c : nome) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            return false;
        switch (u) {
        case u'/':
        case u'\\':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            return false;
        default:
            break;
        }
    }
    return nome != u".";
}

bool daComprimere(QStringView nome) {
    static const QStringView giaCompressi[] = {u".png", u".jpg", u".jpeg", u".gif", u".zip"};
    for (QStringView estensione : giaCompressi)
        if (nome.endsWith(estensione, Qt::CaseInsensitive))
            return false;
    return true;
}

Archivio::~Archivio() {
    if (zip_)
        zip_discard(zip_);
}

std::shared_ptr<Archivio> Archivio::apri(const QString& percorso) {
    const QByteArray nomeFile = QFile::encodeName(percorso);
    // Without O_NONBLOCK, opening a FIFO waits for a writer that never comes.
    const int fd = ::open(nomeFile.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw errno == ENOENT || errno == ENOTDIR ? ErroreVB(Errore::FileNonTrovato)
                                                  : erroreDaErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        throw ErroreVB(Errore::AccessoPercorso,
                       QStringLiteral("%1: not a regular file").arg(percorso));
    }

    std::shared_ptr<Archivio> a(new Archivio);
    a->identita_ = IdentitaFile::di(st);
    int errore = 0;
    a->zip_ = zip_fdopen(fd, 0, &errore); // owns fd from here on; a failure leaves it to us
    if (!a->zip_) {
        ::close(fd);
        if (errore == ZIP_ER_READ || errore == ZIP_ER_OPEN || errore == ZIP_ER_SEEK)
            throw ErroreVB(Errore::AccessoPercorso);
        throw formatoNonValido(erroreZip(errore));
    }

    const zip_int64_t n = zip_get_num_entries(a->zip_, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t s;
        zip_stat_init(&s);
        if (zip_stat_index(a->zip_, zip_uint64_t(i), 0, &s) != 0 || !s.name)
            continue;
        const zip_uint64_t necessari = ZIP_STAT_NAME | ZIP_STAT_SIZE | ZIP_STAT_COMP_METHOD;
        if ((s.valid & necessari) != necessari) {
            a->escluse_.append({QString::fromUtf8(s.name), QStringLiteral("unreadable header")});
            continue;
        }
        // Control bytes are refused as stored, before any code page turns them into glyphs.
        const QByteArrayView grezzo(zip_get_name(a->zip_, zip_uint64_t(i), ZIP_FL_ENC_RAW));
        if (std::any_of(grezzo.begin(), grezzo.end(),
                        [](char c) { return uchar(c) < 0x20 || c == 0x7F; })) {
            a->escluse_.append({QString::fromUtf8(grezzo.toByteArray().toPercentEncoding(" ")),
                                QStringLiteral("control characters in the name")});
            continue;
        }
        Voce v;
        v.nome = QString::fromUtf8(s.name);
        // A name no caller could ask for is unreachable; so is a second one differing only in case.
        if (!nomeVoceAmmesso(v.nome)) {
            a->escluse_.append({v.nome, QStringLiteral("not a plain file name")});
            continue;
        }
        if (a->indice_.contains(chiave(v.nome))) {
            a->escluse_.append({v.nome, QStringLiteral("same name as an earlier entry")});
            continue;
        }
        v.indice = zip_uint64_t(i);
        v.dimensione =
            s.size > zip_uint64_t(std::numeric_limits<qint64>::max()) ? -1 : qint64(s.size);
        v.compressa = qint64(s.comp_size);
        v.deflate = s.comp_method == ZIP_CM_DEFLATE;
        a->indice_.insert(chiave(v.nome), a->voci_.size());
        a->voci_.append(v);
    }
    return a;
}

std::shared_ptr<Archivio> Archivio::condiviso(const QString& percorso) {
    // A handful of stores at most; each stays open while the program runs.
    static QHash<QString, std::shared_ptr<Archivio>> aperti;

    struct stat st {};
    if (::stat(QFile::encodeName(percorso).constData(), &st) != 0) {
        aperti.remove(percorso);
        throw errno == ENOENT || errno == ENOTDIR ? ErroreVB(Errore::FileNonTrovato)
                                                  : erroreDaErrno(errno);
    }
    const IdentitaFile ora = IdentitaFile::di(st);
    if (const auto it = aperti.constFind(percorso);
        it != aperti.constEnd() && (*it)->identita_ == ora)
        return *it;

    aperti.remove(percorso);
    std::shared_ptr<Archivio> a = apri(percorso);
    aperti.insert(percorso, a);
    return a;
}

const Voce* Archivio::trova(QStringView nome) const {
    if (!nomeVoceAmmesso(nome))
        return nullptr;
    const auto it = indice_.constFind(chiave(nome));
    return it == indice_.constEnd() ? nullptr : &voci_[*it];
}

template <typename Scrivi> void Archivio::copia(const Voce& voce, Scrivi&& scrivi) const {
    if (voce.dimensione < 0 || voce.dimensione > DimensioneMassimaVoce)
        throw formatoNonValido(QStringLiteral("%1: %2 B").arg(voce.nome).arg(voce.dimensione));

    zip_file_t* f = zip_fopen_index(zip_, voce.indice, 0);
    if (!f)
        throw formatoNonValido(voce.nome + QStringLiteral(": ") +
                               QString::fromUtf8(zip_error_strerror(zip_get_error(zip_))));
    struct Chiudi {
        zip_file_t* f;
        ~Chiudi() { zip_fclose(f); }
    } chiudi{f};

    // libzip checks the CRC as the last bytes are read and reports a mismatch as a read error;
    // the sizes are ours to hold it to.
    char buffer[64 * 1024];
    qint64 letti = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(f, buffer, sizeof buffer);
        if (n < 0)
            throw formatoNonValido(voce.nome + QStringLiteral(": ") +
                                   QString::fromUtf8(zip_error_strerror(zip_file_get_error(f))));
        if (n == 0)
            break;
        letti += n;
        // More bytes than the directory promised: stop before they are written.
        if (letti > voce.dimensione)
            throw formatoNonValido(voce.nome + QStringLiteral(": longer than stated"));
        scrivi(buffer, qint64(n));
    }
    if (letti != voce.dimensione)
        throw formatoNonValido(voce.nome + QStringLiteral(": shorter than stated"));
}

QByteArray Archivio::leggi(const Voce& voce) const {
    QByteArray dati;
    if (voce.dimensione > 0 && voce.dimensione <= DimensioneMassimaVoce)
        dati.reserve(voce.dimensione);
    copia(voce, [&](const char* b, qint64 n) { dati.append(b, n); });
    return dati;
}

void Archivio::estrai(const Voce& voce, const QString& destinazione) const {
    const QByteArray dest = QFile::encodeName(destinazione);
    struct stat st {};
    if (::lstat(dest.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw ErroreVB(Errore::AccessoPercorso);

    FileTemporaneo tmp;
    QByteArray modello = QFile::encodeName(QFileInfo(destinazione).path()) + "/.hnemar-XXXXXX";
    tmp.fd = ::mkostemp(modello.data(), O_CLOEXEC);
    if (tmp.fd < 0)
        throw erroreDaErrno(errno);
    tmp.percorso = modello;

    copia(voce, [&](const char* b, qint64 n) { scriviTutto(tmp.fd, b, n); });
    ::fchmod(tmp.fd, 0644);
    const int fd = tmp.fd;
    tmp.fd = -1;
    if (::close(fd) != 0)
        throw erroreDaErrno(errno);
    // rename replaces whatever now stands at the destination, a link included, without following
    // it.
    if (::rename(tmp.percorso.constData(), dest.constData()) != 0)
        throw erroreDaErrno(errno);
    tmp.percorso.clear();
}

void scriviStore(const QString& percorso, const QList<VoceNuova>& voci, Compressione compressione) {
    // libzip deletes an archive left without entries: the old store would be lost for nothing.
    if (voci.isEmpty())
        throw ErroreVB(Errore::ChiamataNonValida,
                       QStringLiteral("%1: nothing to pack, store left as it was").arg(percorso));
    // Replacing anything but a regular file (a FIFO would block, a folder cannot be one).
    if (struct stat st{};
        ::stat(QFile::encodeName(percorso).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw ErroreVB(Errore::AccessoPercorso,
                       QStringLiteral("%1: not a regular file").arg(percorso));
    QSet<QString> visti;
    for (const VoceNuova& v : voci) {
        if (!nomeVoceAmmesso(v.nome))
            throw ErroreVB(Errore::ChiamataNonValida,
                           QStringLiteral("\"%1\" is not a plain file name").arg(v.nome));
        if (visti.contains(chiave(v.nome)))
            throw ErroreVB(Errore::ChiamataNonValida,
                           QStringLiteral("\"%1\" is there twice (names ignore case)").arg(v.nome));
        visti.insert(chiave(v.nome));
        const qint64 dimensione = v.file.isEmpty() ? v.dati.size() : QFileInfo(v.file).size();
        if (!v.file.isEmpty() && !QFileInfo(v.file).isFile())
            throw ErroreVB(Errore::FileNonTrovato, QStringLiteral("%1: no such file").arg(v.file));
        if (dimensione > DimensioneMassimaVoce)
            throw ErroreVB(
                Errore::ChiamataNonValida,
                QStringLiteral("%1: larger than %2 bytes").arg(v.nome).arg(DimensioneMassimaVoce));
    }

    int errore = 0;
    zip_t* z =
        zip_open(QFile::encodeName(percorso).constData(), ZIP_CREATE | ZIP_TRUNCATE, &errore);
    if (!z)
        throw ErroreVB(Errore::AccessoPercorso,
                       QStringLiteral("%1: %2").arg(percorso, erroreZip(errore)));
    auto fallisci = [&](const QString& cosa) {
        const QString testo =
            QStringLiteral("%1: %2: %3").arg(percorso, cosa, QString::fromUtf8(zip_strerror(z)));
        zip_discard(z);
        throw ErroreVB(Errore::AccessoPercorso, testo);
    };

    for (const VoceNuova& v : voci) {
        // Buffers are not copied: the entries outlive zip_close, which reads them.
        zip_source_t* s =
            v.file.isEmpty()
                ? zip_source_buffer(z, v.dati.constData(), zip_uint64_t(v.dati.size()), 0)
                : zip_source_file(z, QFile::encodeName(v.file).constData(), 0, -1);
        if (!s)
            fallisci(v.nome);
        const zip_int64_t i = zip_file_add(z, v.nome.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8);
        if (i < 0) {
            zip_source_free(s);
            fallisci(v.nome);
        }
        const bool comprimi = compressione == Compressione::Deflate ||
                              (compressione == Compressione::SecondoIlTipo && daComprimere(v.nome));
        if (zip_set_file_compression(z, zip_uint64_t(i), comprimi ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                     0) != 0)
            fallisci(v.nome);
    }
    if (zip_close(z) != 0)
        fallisci(QStringLiteral("write"));
}

} // namespace hn::blob
