#include "BlobStore.h"

#include "FileSicuro.h"
#include "IdentitaFile.h"
#include "IndiceSalvato.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace hn::blob {

namespace {

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

namespace {
// Simple case folding, one UTF-16 unit at a time, as QString::toCaseFolded does it for every
// name a store may hold; ASCII, the usual case, without a table lookup.
char16_t piegatoUnita(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
    return c.toCaseFolded().unicode();
}
} // namespace

bool stessoNome(QStringView a, QStringView b) noexcept {
    if (a.size() != b.size())
        return false;
    // From the end: names of one store tend to share their start and differ in a number.
    const QChar* x = a.data();
    const QChar* y = b.data();
    for (qsizetype i = a.size(); i-- > 0;)
        if (x[i] != y[i] && piegatoUnita(x[i]) != piegatoUnita(y[i]))
            return false;
    return true;
}

size_t hashNome(QStringView nome) noexcept {
    size_t h = 0xcbf29ce484222325ull;
    for (QChar c : nome) {
        h ^= piegatoUnita(c);
        h *= 0x100000001b3ull;
    }
    // The low bits choose the slot: fold the high ones, which the last characters stirred most.
    return h ^ (h >> 29);
}

bool nomeVoceAmmesso(QStringView nome) {
    if (nome.isEmpty() || nome.size() > 255 || nome.front().isSpace() || nome.back().isSpace())
        return false;
    char16_t prima = 0;
    for (QChar c : nome) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || (u == u'.' && prima == u'.'))
            return false;
        prima = u;
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
    if (fd_ >= 0)
        ::close(fd_);
}

namespace {

// Signatures and sizes of the ZIP records read here.
constexpr quint32 FirmaFine = 0x06054b50, FirmaLocalizzatore64 = 0x07064b50,
                  FirmaFine64 = 0x06064b50, FirmaCentrale = 0x02014b50, FirmaLocale = 0x04034b50;
constexpr qint64 LunghezzaFine = 22, LunghezzaLocalizzatore64 = 20, LunghezzaFine64 = 56,
                 LunghezzaCentrale = 46, LunghezzaLocale = 30;
// A central directory larger than this holds no atlas: refused before it is read.
constexpr qint64 DirectoryMassima = qint64(256) * 1024 * 1024;

quint16 u16(const char* p) {
    return quint16(uchar(p[0]) | uchar(p[1]) << 8);
}
quint32 u32(const char* p) {
    return quint32(u16(p)) | quint32(u16(p + 2)) << 16;
}
quint64 u64(const char* p) {
    return quint64(u32(p)) | quint64(u32(p + 4)) << 32;
}

// Exactly n bytes at an offset, or false.
bool leggiA(int fd, qint64 posizione, char* dati, qint64 n) {
    while (n > 0) {
        const ssize_t letti = ::pread(fd, dati, size_t(n), off_t(posizione));
        if (letti < 0 && errno == EINTR)
            continue;
        if (letti <= 0)
            return false;
        dati += letti;
        posizione += letti;
        n -= letti;
    }
    return true;
}

// Names without the UTF-8 flag that are not valid UTF-8 were written in the DOS code page.
QString nomeDaCp437(QByteArrayView grezzo) {
    static constexpr char16_t Alta[] =
        u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧"
        u"╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00a0";
    static_assert(sizeof Alta / sizeof Alta[0] == 129);
    QString nome(grezzo.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < grezzo.size(); ++i) {
        const uchar c = uchar(grezzo[i]);
        nome[i] = QChar(c < 0x80 ? char16_t(c) : Alta[c - 0x80]);
    }
    return nome;
}

QString nomeVoce(QByteArrayView grezzo, bool utf8) {
    if (std::all_of(grezzo.begin(), grezzo.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(grezzo);
    QStringDecoder decodifica(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString nome = decodifica(grezzo);
    if (utf8 || !decodifica.hasError())
        return nome;
    return nomeDaCp437(grezzo);
}

} // namespace

namespace {

// Eight ASCII bytes folded to lower case at once: a byte from 'A' to 'Z' gains 0x20.
quint64 piegaOtto(quint64 x) {
    const quint64 alti = 0x8080808080808080ull;
    const quint64 daA = x + 0x3F3F3F3F3F3F3F3Full;    // top bit set from 'A' on
    const quint64 oltreZ = x + 0x2525252525252525ull; // top bit set past 'Z'
    return x | ((daA & ~oltreZ & alti) >> 2);
}

quint64 carica(const char* p) {
    quint64 x;
    std::memcpy(&x, p, 8);
    return x;
}

// Chosen afresh in each run, so that no store can be made whose names all hash alike (each look-up
// would then read back every record).
quint64 seme() {
    static const quint64 s = QRandomGenerator::system()->generate64();
    return s;
}

// Folded ASCII bytes, eight at a time (the last eight overlapping the ones before when the length
// is no multiple of eight).
quint32 improntaAscii(const char* p, qsizetype n, quint64 semeScelto) {
    quint64 h = semeScelto ^ quint64(n);
    const auto mescola = [&h](quint64 x) {
        h = (h ^ piegaOtto(x)) * 0xff51afd7ed558ccdull;
        h ^= h >> 32;
    };
    if (n < 8) {
        quint64 x = 0;
        for (qsizetype i = 0; i < n; ++i)
            x |= quint64(uchar(p[i])) << (8 * i);
        mescola(x);
    } else {
        for (qsizetype i = 0; i + 8 < n; i += 8)
            mescola(carica(p + i));
        mescola(carica(p + n - 8));
    }
    return quint32(h);
}

bool ascii(const char* p, qsizetype n) {
    quint64 tutti = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8)
        tutti |= carica(p + i);
    for (; i < n; ++i)
        tutti |= uchar(p[i]);
    return (tutti & 0x8080808080808080ull) == 0;
}

} // namespace

quint32 improntaNome(QStringView nome, quint64 semeScelto) {
    // The name folded as stessoNome compares it; ASCII as its bytes, anything else as its units.
    QVarLengthArray<char16_t, 64> piegato(nome.size());
    bool soloAscii = true;
    for (qsizetype i = 0; i < nome.size(); ++i) {
        piegato[i] = piegatoUnita(nome[i]);
        soloAscii = soloAscii && piegato[i] < 0x80;
    }
    if (soloAscii) {
        QByteArray b(nome.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < nome.size(); ++i)
            b[i] = char(piegato[i]);
        return improntaAscii(b.constData(), b.size(), semeScelto);
    }
    return improntaAscii(reinterpret_cast<const char*>(piegato.constData()), piegato.size() * 2,
                         semeScelto) ^
           0x5bd1e995u;
}

quint32 improntaNome(QByteArrayView grezzo, bool utf8, quint64 semeScelto) {
    if (ascii(grezzo.data(), grezzo.size()))
        return improntaAscii(grezzo.data(), grezzo.size(), semeScelto);
    return improntaNome(nomeVoce(grezzo, utf8), semeScelto);
}

quint32 improntaNome(QStringView nome) {
    return improntaNome(nome, seme());
}

quint32 improntaNome(QByteArrayView grezzo, bool utf8) {
    return improntaNome(grezzo, utf8, seme());
}

namespace {

// Exactly n bytes at an offset of the store's file, or error 75.
struct LettoreStore {
    int fd;
    qint64 dimensione;
    const QString& percorso;

    QByteArray operator()(qint64 posizione, qint64 n) const {
        QByteArray b(n, Qt::Uninitialized);
        if (posizione < 0 || n < 0 || posizione + n > dimensione ||
            !leggiA(fd, posizione, b.data(), n))
            throw ErroreVB(Errore::AccessoPercorso,
                           QStringLiteral("%1: cannot be read").arg(percorso));
        return b;
    }
};

// Where the central directory lies, as the end record (or its ZIP64 record) gives it.
struct DirectoryCentrale {
    quint64 numero;
    quint64 lunghezza;
    quint64 inizio;
};

DirectoryCentrale trovaDirectory(const LettoreStore& leggi) {
    const qint64 dimensione = leggi.dimensione;
    // The end record: the last one whose comment reaches no further than the file.
    const qint64 coda = std::min<qint64>(dimensione, LunghezzaFine + 0xffff);
    const QByteArray fine = leggi(dimensione - coda, coda);
    qint64 inFine = -1;
    for (qint64 i = coda - LunghezzaFine; i >= 0; --i) {
        const char* p = fine.constData() + i;
        if (u32(p) == FirmaFine && i + LunghezzaFine + u16(p + 20) <= coda) {
            inFine = i;
            break;
        }
    }
    if (inFine < 0)
        throw formatoNonValido(QStringLiteral("not a zip archive"));
    const char* e = fine.constData() + inFine;
    const qint64 posFine = dimensione - coda + inFine;
    quint64 numero = u16(e + 10), lunghezzaDir = u32(e + 12), inizioDir = u32(e + 16);
    qint64 limiteDir = posFine;
    // ZIP64: the real figures stand in a record of their own, found through its locator.
    if ((numero == 0xffff || lunghezzaDir == 0xffffffff || inizioDir == 0xffffffff) &&
        posFine >= LunghezzaLocalizzatore64) {
        const QByteArray loc = leggi(posFine - LunghezzaLocalizzatore64, LunghezzaLocalizzatore64);
        if (u32(loc.constData()) == FirmaLocalizzatore64) {
            const quint64 pos64 = u64(loc.constData() + 8);
            if (pos64 > quint64(posFine))
                throw formatoNonValido(QStringLiteral("ZIP64 end record out of the file"));
            const QByteArray f64 = leggi(qint64(pos64), LunghezzaFine64);
            if (u32(f64.constData()) != FirmaFine64)
                throw formatoNonValido(QStringLiteral("ZIP64 end record missing"));
            numero = u64(f64.constData() + 32);
            lunghezzaDir = u64(f64.constData() + 40);
            inizioDir = u64(f64.constData() + 48);
            limiteDir = qint64(pos64);
        }
    }
    if (lunghezzaDir > quint64(DirectoryMassima) || inizioDir > quint64(limiteDir) ||
        inizioDir + lunghezzaDir > quint64(limiteDir) || numero > lunghezzaDir / LunghezzaCentrale)
        throw formatoNonValido(QStringLiteral("inconsistent central directory"));
    return {numero, lunghezzaDir, inizioDir};
}

// Record i of the central directory, at pos: its entry's figures (no name yet) and its name as
// stored; pos moves on to the next record.
Voce voceCentrale(QByteArrayView dir, qint64& pos, quint64 i, QByteArrayView& grezzo) {
    if (pos + LunghezzaCentrale > dir.size() || u32(dir.constData() + pos) != FirmaCentrale)
        throw formatoNonValido(QStringLiteral("entry %1: damaged directory").arg(i));
    const char* c = dir.constData() + pos;
    const qint64 lunghezzaNome = u16(c + 28), lunghezzaExtra = u16(c + 30);
    const qint64 successiva =
        pos + LunghezzaCentrale + lunghezzaNome + lunghezzaExtra + u16(c + 32);
    if (successiva > dir.size())
        throw formatoNonValido(QStringLiteral("entry %1: damaged directory").arg(i));
    pos = successiva;
    grezzo = QByteArrayView(c + LunghezzaCentrale, lunghezzaNome);

    Voce v;
    v.indice = i;
    v.flag = u16(c + 8);
    v.metodo = u16(c + 10);
    v.crc = u32(c + 16);
    quint64 compressa = u32(c + 20), dimensioneVoce = u32(c + 24), locale = u32(c + 42);
    // Figures too large for their field are in the ZIP64 extra field, in this order.
    const char* x = c + LunghezzaCentrale + lunghezzaNome;
    for (qint64 k = 0; k + 4 <= lunghezzaExtra;) {
        const quint16 id = u16(x + k), n = u16(x + k + 2);
        if (k + 4 + n > lunghezzaExtra)
            break;
        if (id == 0x0001) {
            const char* q = x + k + 4;
            const char* fineCampo = q + n;
            for (quint64* campo : {&dimensioneVoce, &compressa, &locale})
                if (*campo == 0xffffffff && q + 8 <= fineCampo) {
                    *campo = u64(q);
                    q += 8;
                }
        }
        k += 4 + n;
    }
    constexpr quint64 Massimo = quint64(std::numeric_limits<qint64>::max());
    v.dimensione = dimensioneVoce > Massimo ? -1 : qint64(dimensioneVoce);
    v.compressa = compressa > Massimo ? -1 : qint64(compressa);
    v.posizione = locale > Massimo ? -1 : qint64(locale);
    v.deflate = v.metodo == 8;
    return v;
}

// Where an entry's local header starts and the least its header, name and data take.
struct Estensione {
    qint64 inizio, fine;
};

// The entry's data lie before the directory; where they lie, as an extent.
Estensione estensioneDi(const Voce& v, QByteArrayView grezzo, qint64 inizioDirectory, quint64 i) {
    // Each figure bounded first, so their sum cannot overflow whatever a ZIP64 field says.
    if (v.posizione < 0 || v.compressa < 0 || v.posizione > inizioDirectory ||
        v.compressa > inizioDirectory ||
        v.posizione + LunghezzaLocale + grezzo.size() + v.compressa > inizioDirectory)
        throw formatoNonValido(QStringLiteral("entry %1: data outside the file").arg(i));
    return {v.posizione, v.posizione + LunghezzaLocale + grezzo.size() + v.compressa};
}

// Extents sorted by their start: one starting before the previous one ends is refused.
void verificaSovrapposte(const QList<Estensione>& estensioni) {
    for (qsizetype k = 1; k < estensioni.size(); ++k)
        if (estensioni[k].inizio < estensioni[k - 1].fine)
            throw formatoNonValido(
                QStringLiteral("entries overlap at byte %1").arg(estensioni[k].inizio));
}

// The central directory read a piece at a time into one buffer, so that a directory of
// hundreds of thousands of records is walked without holding it whole.
class PezziDirectory {
public:
    PezziDirectory(const LettoreStore& leggi, const DirectoryCentrale& d)
        : leggi_(leggi)
        , inizio_(qint64(d.inizio))
        , lunghezza_(qint64(d.lunghezza)) {}

    // The directory's bytes from pos on, holding the whole record there when the directory
    // does (the largest record, with its three 64 KB fields, fits a piece).
    QByteArrayView da(qint64 pos) {
        const auto dentro = [&](qint64 n) {
            return pos >= base_ && pos + n <= base_ + pezzo_.size();
        };
        qint64 serve = LunghezzaCentrale;
        if (dentro(serve)) {
            const char* c = pezzo_.constData() + (pos - base_);
            serve += qint64(u16(c + 28)) + u16(c + 30) + u16(c + 32);
        }
        if (!dentro(serve)) {
            base_ = pos;
            pezzo_ = leggi_(inizio_ + pos, std::min<qint64>(Pezzo, lunghezza_ - pos));
        }
        return QByteArrayView(pezzo_).sliced(pos - base_);
    }

private:
    static constexpr qint64 Pezzo = 256 * 1024;
    const LettoreStore& leggi_;
    qint64 inizio_, lunghezza_;
    qint64 base_ = 0;
    QByteArray pezzo_;
};

// Calls f(i, where the record starts in the directory, its entry without a name, its name as
// stored) for each record, after checking that the entry's data lie before the directory.
template <typename F>
void scorriDirectory(const LettoreStore& leggi, const DirectoryCentrale& d, F&& f) {
    PezziDirectory pezzi(leggi, d);
    qint64 pos = 0;
    for (quint64 i = 0; i < d.numero; ++i) {
        const qint64 qui = pos;
        qint64 dopo = 0;
        QByteArrayView grezzo;
        Voce v = voceCentrale(pezzi.da(pos), dopo, i, grezzo);
        pos += dopo;
        f(i, qui, v, grezzo, estensioneDi(v, grezzo, qint64(d.inizio), i));
    }
}

} // namespace

std::shared_ptr<Archivio> Archivio::apriFile(const QString& percorso) {
    const QByteArray nomeFile = QFile::encodeName(percorso);
    // Without O_NONBLOCK, opening a FIFO waits for a writer that never comes.
    const int fd = ::open(nomeFile.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw errno == ENOENT || errno == ENOTDIR ? ErroreVB(Errore::FileNonTrovato)
                                                  : erroreDaErrno(errno);
    std::shared_ptr<Archivio> a(new Archivio);
    a->fd_ = fd; // closed with the store, whatever happens below
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        throw ErroreVB(Errore::AccessoPercorso,
                       QStringLiteral("%1: not a regular file").arg(percorso));
    a->dimensioneFile_ = qint64(st.st_size);
    a->identita_ = IdentitaFile::di(st);
    return a;
}

void Archivio::aggiungi(Voce v, QByteArrayView grezzo) {
    // Control bytes are refused as stored, before any code page turns them into glyphs.
    if (std::any_of(grezzo.begin(), grezzo.end(),
                    [](char ch) { return uchar(ch) < 0x20 || ch == 0x7F; })) {
        escluse_.append({QString::fromUtf8(grezzo.toByteArray().toPercentEncoding(" ")),
                         QStringLiteral("control characters in the name")});
        return;
    }
    v.nome = nomeVoce(grezzo, v.flag & 0x0800);
    // A name no caller could ask for is unreachable; so is a second one differing only in case.
    if (!nomeVoceAmmesso(v.nome)) {
        escluse_.append({v.nome, QStringLiteral("not a plain file name")});
        return;
    }
    // One look-up: a new name takes the free slot found, an old one keeps its entry.
    riservaPosti(voci_.size() + 1);
    const size_t h = hashNome(v.nome);
    const qsizetype k = posto(v.nome, h);
    if (posti_.at(k) != 0) {
        escluse_.append({v.nome, QStringLiteral("same name as an earlier entry")});
        return;
    }
    posti_[k] = quint64(voci_.size() + 1) | (quint64(h >> 32) << 32);
    voci_.append(std::move(v));
}

void Archivio::riservaPosti(qsizetype voci) {
    if (voci * 2 <= posti_.size())
        return;
    qsizetype n = 16;
    while (n < voci * 2)
        n *= 2;
    if (n <= posti_.size())
        return;
    posti_.fill(0, n);
    for (qsizetype i = 0; i < voci_.size(); ++i) {
        const size_t h = hashNome(voci_[i].nome);
        posti_[posto(voci_[i].nome, h)] = quint64(i + 1) | (quint64(h >> 32) << 32);
    }
}

// The slot holding the name, or the free one where it would go.
qsizetype Archivio::posto(QStringView nome, size_t hash) const {
    const size_t maschera = size_t(posti_.size()) - 1;
    const quint64 segno = quint64(hash >> 32) << 32;
    const quint64* p = posti_.constData();
    for (size_t k = hash & maschera;; k = (k + 1) & maschera) {
        const quint64 x = p[k];
        if (x == 0 || ((x & 0xffffffff00000000ull) == segno &&
                       stessoNome(voci_.at(qsizetype(quint32(x)) - 1).nome, nome)))
            return qsizetype(k);
    }
}

// The file, its end record, the central directory, then each of its records in turn.
std::shared_ptr<Archivio> Archivio::apri(const QString& percorso) {
    std::shared_ptr<Archivio> a = apriFile(percorso);
    const LettoreStore leggi{a->fd_, a->dimensioneFile_, percorso};
    const DirectoryCentrale d = trovaDirectory(leggi);
    const QByteArray dir = leggi(qint64(d.inizio), qint64(d.lunghezza));
    a->voci_.reserve(qsizetype(d.numero));
    // Room for what the end record promises, up to a large atlas's many times over: a count a
    // damaged store inflates costs nothing before its entries are there (the table grows).
    a->riservaPosti(qsizetype(std::min<quint64>(d.numero, 1'000'000)));
    qint64 pos = 0;
    // One compressed stream shared by many entries would let a small store unpack to gigabytes.
    QList<Estensione> estensioni;
    estensioni.reserve(qsizetype(d.numero));
    for (quint64 i = 0; i < d.numero; ++i) {
        QByteArrayView grezzo;
        Voce v = voceCentrale(dir, pos, i, grezzo);
        estensioni.append(estensioneDi(v, grezzo, qint64(d.inizio), i));
        a->aggiungi(std::move(v), grezzo);
    }
    std::sort(estensioni.begin(), estensioni.end(),
              [](const Estensione& x, const Estensione& y) { return x.inizio < y.inizio; });
    verificaSovrapposte(estensioni);
    // Each entry's data must also end before the next entry begins, whatever its local header
    // says.
    for (Voce& v : a->voci_) {
        const auto dopo =
            std::upper_bound(estensioni.cbegin(), estensioni.cend(), v.posizione,
                             [](qint64 p, const Estensione& e) { return p < e.inizio; });
        v.limite = dopo == estensioni.cend() ? qint64(d.inizio) : dopo->inizio;
    }
    return a;
}

namespace {

constexpr QStringView TipoIndice = u"store";
constexpr QByteArrayView MagiaIndice = "HNSTORE2";
// About this many records share a bucket of the saved index: one small read per look-up.
constexpr quint64 PerSecchio = 128;
// A bucket's row: the name's hash, where its record starts in the directory, its number.
constexpr qint64 LunghezzaRiga = 12;
// The least a directory record takes: its fixed part, with an empty name.
constexpr quint64 RecordMinimo = quint64(LunghezzaCentrale);

quint64 secchiPer(quint64 record) {
    return std::max<quint64>(1, record / PerSecchio);
}

} // namespace

std::shared_ptr<Archivio> Archivio::apriPerCercare(const QString& percorso, Indice modo) {
    std::shared_ptr<Archivio> a = apriFile(percorso);
    if (modo == Indice::Salvato && a->caricaIndice(percorso))
        return a;
    a->cammina(percorso);
    // A store whose local headers are out of the directory's order (no writer of ours makes
    // one) keeps their starts besides: it is walked each time rather than indexed.
    if (modo == Indice::Salvato && a->inizi_.empty())
        indice::salvaIndice(percorso, TipoIndice, [a] { return a->indiceDaSalvare(); });
    return a;
}

void Archivio::cammina(const QString& percorso) {
    const LettoreStore leggi{fd_, dimensioneFile_, percorso};
    const DirectoryCentrale d = trovaDirectory(leggi);
    perCercare_ = true;
    inizioDirectory_ = qint64(d.inizio);
    lunghezzaDirectory_ = qint64(d.lunghezza);
    numeroRecord_ = d.numero;
    seme_ = seme();
    // A count a damaged end record inflates reserves no more than a large atlas needs.
    righe_.reserve(size_t(std::min<quint64>(d.numero, 1'000'000)));
    // Stores are written entry after entry, so their local headers come in the directory's order
    // and an overlap shows between neighbours; only a store in another order is walked again to
    // sort its extents, as apri does.
    qint64 finePrima = 0, inizioPrima = -1;
    bool inOrdine = true;
    scorriDirectory(
        leggi, d, [&](quint64, qint64 qui, const Voce& v, QByteArrayView grezzo, Estensione e) {
            righe_.push_back({improntaNome(grezzo, v.flag & 0x0800, seme_), quint32(qui)});
            if (e.inizio < inizioPrima)
                inOrdine = false;
            else if (inOrdine && e.inizio < finePrima)
                throw formatoNonValido(QStringLiteral("entries overlap at byte %1").arg(e.inizio));
            inizioPrima = e.inizio;
            finePrima = e.fine;
        });
    if (!inOrdine) {
        QList<Estensione> estensioni;
        estensioni.reserve(qsizetype(righe_.size()));
        scorriDirectory(leggi, d, [&](quint64, qint64, const Voce&, QByteArrayView, Estensione e) {
            estensioni.append(e);
        });
        std::sort(estensioni.begin(), estensioni.end(),
                  [](const Estensione& x, const Estensione& y) { return x.inizio < y.inizio; });
        verificaSovrapposte(estensioni);
        inizi_.reserve(size_t(estensioni.size()));
        for (const Estensione& e : std::as_const(estensioni))
            inizi_.push_back(e.inizio);
    }
}

QByteArray Archivio::indiceDaSalvare() const {
    const quint64 n = secchiPer(righe_.size());
    QList<QByteArray> secchi;
    secchi.resize(qsizetype(n));
    for (size_t i = 0; i < righe_.size(); ++i) {
        indice::Scrittura r;
        r.u32(righe_[i].impronta);
        r.u32(righe_[i].posizione);
        r.u32(quint32(i));
        secchi[qsizetype(righe_[i].impronta % n)] += r.dati();
    }
    indice::Scrittura testa;
    testa.identita(identita_);
    testa.u64(seme_);
    testa.u64(quint64(inizioDirectory_));
    testa.u64(quint64(lunghezzaDirectory_));
    testa.u64(righe_.size());
    return indice::IndiceSecchi::componi(MagiaIndice, testa.dati(), secchi);
}

bool Archivio::caricaIndice(const QString& percorso) {
    const LettoreStore leggi{fd_, dimensioneFile_, percorso};
    const DirectoryCentrale d = trovaDirectory(leggi);
    // As many buckets as the directory the end record describes needs: a hostile index file costs
    // no more than the store's own walk.
    const quint64 secchi = secchiPer(d.numero);
    if (secchi > std::numeric_limits<quint32>::max())
        return false;
    std::optional<indice::IndiceSecchi> x =
        indice::IndiceSecchi::apri(percorso, TipoIndice, MagiaIndice, quint32(secchi));
    if (!x || x->numeroSecchi() != secchi)
        return false;
    indice::Lettura l(x->intestazione());
    const IdentitaFile identita = l.identita();
    const quint64 semeSalvato = l.u64(), inizio = l.u64(), lunghezza = l.u64(), numero = l.u64();
    if (!l.ok() || l.resto() != 0 || !(identita == identita_) || inizio != d.inizio ||
        lunghezza != d.lunghezza || numero != d.numero)
        return false;
    perCercare_ = true;
    daIndice_ = true;
    inizioDirectory_ = qint64(d.inizio);
    lunghezzaDirectory_ = qint64(d.lunghezza);
    numeroRecord_ = d.numero;
    seme_ = semeSalvato;
    salvato_ = std::make_unique<indice::IndiceSecchi>(std::move(*x));
    return true;
}

std::optional<const Voce*> Archivio::cercaNellIndice(QStringView nome) const {
    const quint32 impronta = improntaNome(nome, seme_);
    const std::optional<QByteArray> secchio = salvato_->secchio(
        quint32(impronta % salvato_->numeroSecchi()), LunghezzaRiga * qint64(numeroRecord_));
    if (!secchio || secchio->size() % LunghezzaRiga != 0)
        return std::nullopt;
    indice::Lettura l(*secchio);
    quint64 prima = 0;
    bool primo = true;
    while (l.resto() > 0) {
        const quint32 h = l.u32(), posizione = l.u32(), i = l.u32();
        // Rows in the store's order, each a record inside the directory.
        if ((!primo && i <= prima) || i >= numeroRecord_ ||
            posizione + RecordMinimo > quint64(lunghezzaDirectory_))
            return std::nullopt;
        primo = false;
        prima = i;
        if (h != impronta)
            continue;
        std::optional<Voce> v;
        try {
            v = rileggiVoce(i, posizione, nome);
        } catch (const ErroreVB& e) {
            // The walk checked every record it saved: one that fails now is an index that lies.
            if (e.numero() != FormatoNonValido)
                throw;
            return std::nullopt;
        }
        if (!v)
            continue;
        const std::lock_guard<std::mutex> chiuso(guardiaTrovate_);
        return &trovate_.try_emplace(i, std::move(*v)).first->second;
    }
    return nullptr;
}

const Archivio& Archivio::camminato() const {
    const std::lock_guard<std::mutex> chiuso(guardiaCammino_);
    if (!cammino_) {
        // The same open file walked, so what it finds is of the store this one is.
        std::unique_ptr<Archivio> b(new Archivio);
        b->fd_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
        if (b->fd_ < 0)
            throw erroreDaErrno(errno);
        b->dimensioneFile_ = dimensioneFile_;
        b->identita_ = identita_;
        b->cammina(QString());
        cammino_ = std::move(b);
    }
    return *cammino_;
}

namespace {

// A handful of stores at most; each stays open while the program runs. A lock per store, so that
// a plate's picture store is not kept waiting while another store opens (a second caller of one
// store waits for its one opening).
struct Registro {
    struct Posto {
        std::mutex guardia;
        CacheFile<Archivio> aperto;
    };
    std::mutex guardia;
    QHash<QString, std::shared_ptr<Posto>> posti;
};

// Two registers, two caches: the screens' stores and the whole ones never share a lock.
Registro& registro(bool intero) {
    static Registro registri[2];
    return registri[intero ? 1 : 0];
}

template <typename Apri>
std::shared_ptr<const Archivio> daCache(Registro& r, const QString& percorso, Apri apri) {
    std::shared_ptr<Registro::Posto> posto;
    {
        const std::lock_guard<std::mutex> chiuso(r.guardia);
        std::shared_ptr<Registro::Posto>& p = r.posti[percorso];
        if (!p)
            p = std::make_shared<Registro::Posto>();
        posto = p;
    }
    const std::lock_guard<std::mutex> chiuso(posto->guardia);
    return posto->aperto.prendi(percorso, apri);
}

} // namespace

std::shared_ptr<const Archivio> Archivio::condiviso(const QString& percorso) {
    return daCache(registro(false), percorso,
                   [](const QString& p) { return apriPerCercare(p, Indice::Salvato); });
}

std::shared_ptr<const Archivio> Archivio::condivisoIntero(const QString& percorso) {
    return daCache(registro(true), percorso, [](const QString& p) { return apri(p); });
}

void Archivio::svuotaCondivisi() {
    for (bool intero : {false, true}) {
        Registro& r = registro(intero);
        const std::lock_guard<std::mutex> chiuso(r.guardia);
        r.posti.clear();
    }
}

Voce Archivio::rileggi(quint64 i, qint64 posizione, QByteArray& record, QByteArrayView& grezzo,
                       qint64& lunghezza) const {
    const QString senzaNome;
    const LettoreStore leggi{fd_, dimensioneFile_, senzaNome};
    const qint64 qui = inizioDirectory_ + posizione;
    record = leggi(qui, std::min<qint64>(LunghezzaCentrale, dimensioneFile_ - qui));
    if (record.size() >= LunghezzaCentrale) {
        const char* c = record.constData();
        const qint64 tutto = LunghezzaCentrale + qint64(u16(c + 28)) + u16(c + 30) + u16(c + 32);
        if (tutto > record.size())
            record = leggi(qui, std::min<qint64>(tutto, dimensioneFile_ - qui));
    }
    lunghezza = 0;
    return voceCentrale(record, lunghezza, i, grezzo);
}

const Voce* Archivio::cerca(QStringView nome) const {
    if (daIndice_) {
        // Anything amiss in the saved index: the store walked, as if there had been none.
        if (!indiceGuasto_.load())
            if (const std::optional<const Voce*> v = cercaNellIndice(nome))
                return *v;
        indiceGuasto_.store(true);
        return camminato().cerca(nome);
    }
    const quint32 impronta = improntaNome(nome, seme_);
    // Records whose name hashes alike, in the store's order, read back and compared: names made
    // to collide cost one small read each, never more than the directory once.
    for (size_t i = 0; i < righe_.size(); ++i) {
        if (righe_[i].impronta != impronta)
            continue;
        std::optional<Voce> v = rileggiVoce(i, righe_[i].posizione, nome);
        if (!v)
            continue;
        const std::lock_guard<std::mutex> chiuso(guardiaTrovate_);
        return &trovate_.try_emplace(quint32(i), std::move(*v)).first->second;
    }
    return nullptr;
}

std::optional<Voce> Archivio::rileggiVoce(quint64 i, qint64 posizione, QStringView nome) const {
    QByteArray record;
    QByteArrayView grezzo;
    qint64 lunghezza = 0;
    Voce v = rileggi(i, posizione, record, grezzo, lunghezza);
    // As aggiungi would: control bytes, or a name no caller could ask for, are no entry.
    if (std::any_of(grezzo.begin(), grezzo.end(),
                    [](char ch) { return uchar(ch) < 0x20 || ch == 0x7F; }))
        return std::nullopt;
    v.nome = nomeVoce(grezzo, v.flag & 0x0800);
    if (!nomeVoceAmmesso(v.nome) || !stessoNome(v.nome, nome))
        return std::nullopt;
    // Its data before the directory, as the walk requires.
    estensioneDi(v, grezzo, inizioDirectory_, i);
    // The data may run to the next local header (the next record's, which follows this one in
    // the directory), or to the directory after the last.
    if (!inizi_.empty()) {
        const auto dopo = std::upper_bound(inizi_.cbegin(), inizi_.cend(), v.posizione);
        v.limite = dopo == inizi_.cend() ? inizioDirectory_ : *dopo;
    } else if (i + 1 < numeroRecord_) {
        QByteArray altro;
        QByteArrayView altroNome;
        qint64 altraLunghezza = 0;
        v.limite =
            rileggi(i + 1, posizione + lunghezza, altro, altroNome, altraLunghezza).posizione;
    } else {
        v.limite = inizioDirectory_;
    }
    return v;
}

const Voce* Archivio::trova(QStringView nome) const {
    if (!nomeVoceAmmesso(nome))
        return nullptr;
    if (perCercare_)
        return cerca(nome);
    if (posti_.isEmpty())
        return nullptr;
    const quint64 p = posti_.at(posto(nome, hashNome(nome)));
    return p == 0 ? nullptr : &voci_.at(qsizetype(quint32(p)) - 1);
}

template <typename Scrivi>
void Archivio::copia(const Voce& voce, Scrivi&& scrivi, qint64 fermaA) const {
    if (voce.dimensione < 0 || voce.dimensione > DimensioneMassimaVoce)
        throw formatoNonValido(QStringLiteral("%1: %2 B").arg(voce.nome).arg(voce.dimensione));
    const auto guasta = [&](const QString& perche) {
        return formatoNonValido(voce.nome + QStringLiteral(": ") + perche);
    };
    if (voce.flag & 0x0001)
        throw guasta(QStringLiteral("encrypted"));
    if (voce.metodo != 0 && voce.metodo != 8)
        throw guasta(QStringLiteral("compression method %1 not supported").arg(voce.metodo));
    // The data follow the local header, whose name and extra field may differ in length from the
    // directory's.
    // The local header and the start of the data in one read: an atlas-wide pass reads the start
    // of hundreds of thousands of small entries.
    static thread_local char ingresso[64 * 1024], uscita[64 * 1024];
    const qint64 primo =
        std::min<qint64>(sizeof ingresso, std::min(dimensioneFile_, voce.limite) - voce.posizione);
    if (voce.posizione < 0 || primo < LunghezzaLocale ||
        !leggiA(fd_, voce.posizione, ingresso, primo) || u32(ingresso) != FirmaLocale)
        throw guasta(QStringLiteral("local header missing"));
    const qint64 inizio =
        voce.posizione + LunghezzaLocale + u16(ingresso + 26) + u16(ingresso + 28);
    if (voce.compressa < 0 || inizio + voce.compressa > std::min(dimensioneFile_, voce.limite))
        throw guasta(QStringLiteral("data beyond the end of the store"));
    if (!voce.deflate && voce.compressa != voce.dimensione)
        throw guasta(QStringLiteral("stored with two different sizes"));

    // One inflater per thread, reset for each entry: making one costs an allocation of some 40 KB
    // cleared to zero, which reading the start of every text of a large atlas paid each time.
    struct Inflatore {
        z_stream z{};
        bool pronto = false;
        ~Inflatore() {
            if (pronto)
                inflateEnd(&z);
        }
    };
    static thread_local Inflatore inflatore;
    z_stream& z = inflatore.z;
    if (voce.deflate) {
        if (!inflatore.pronto) {
            if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
                throw ErroreVB(7);
            inflatore.pronto = true;
        } else if (inflateReset(&z) != Z_OK) {
            throw ErroreVB(7);
        }
    }

    // More bytes than the directory promised stop before they are written; the CRC is checked
    // on what was written.
    uLong crc = crc32(0, nullptr, 0);
    qint64 letti = 0, resta = voce.compressa, pos = inizio;
    bool finito = !voce.deflate && resta == 0;
    auto consegna = [&](const char* b, qint64 n) {
        letti += n;
        if (letti > voce.dimensione)
            throw guasta(QStringLiteral("longer than stated"));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(b), uInt(n));
        scrivi(b, n);
    };
    // Enough for a caller who wants only the start: what follows is neither read nor checked.
    const auto basta = [&] { return fermaA >= 0 && letti >= fermaA; };
    // What the first read already holds of the data, then the rest a buffer at a time.
    qint64 gia = std::clamp<qint64>(voce.posizione + primo - inizio, 0, resta);
    while (resta > 0 && !finito && !basta()) {
        char* b = ingresso;
        qint64 n = gia;
        if (gia > 0) {
            b = ingresso + (inizio - voce.posizione);
            gia = 0;
        } else {
            n = std::min<qint64>(resta, sizeof ingresso);
            if (!leggiA(fd_, pos, ingresso, n))
                throw guasta(QStringLiteral("read error"));
        }
        pos += n;
        resta -= n;
        if (!voce.deflate) {
            consegna(b, n);
            finito = resta == 0;
            continue;
        }
        z.next_in = reinterpret_cast<Bytef*>(b);
        z.avail_in = uInt(n);
        while (z.avail_in > 0 && !finito && !basta()) {
            z.next_out = reinterpret_cast<Bytef*>(uscita);
            z.avail_out = sizeof uscita;
            // With input and room for output, no progress means the data are damaged.
            const int r = inflate(&z, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_STREAM_END)
                throw guasta(QStringLiteral("damaged compressed data"));
            consegna(uscita, qint64(sizeof uscita - z.avail_out));
            finito = r == Z_STREAM_END;
        }
    }
    // Deflated data may still hold output once all input is in.
    while (voce.deflate && !finito && !basta()) {
        z.next_out = reinterpret_cast<Bytef*>(uscita);
        z.avail_out = sizeof uscita;
        const int r = inflate(&z, Z_NO_FLUSH);
        if (r != Z_OK && r != Z_STREAM_END)
            throw guasta(QStringLiteral("shorter than stated"));
        consegna(uscita, qint64(sizeof uscita - z.avail_out));
        finito = r == Z_STREAM_END;
    }
    if (basta() && !finito)
        return;
    if (!finito || letti != voce.dimensione)
        throw guasta(QStringLiteral("shorter than stated"));
    if (quint32(crc) != voce.crc)
        throw guasta(QStringLiteral("CRC mismatch"));
}

QByteArray Archivio::leggi(const Voce& voce) const {
    QByteArray dati;
    if (voce.dimensione > 0 && voce.dimensione <= DimensioneMassimaVoce)
        dati.reserve(voce.dimensione);
    copia(voce, [&](const char* b, qint64 n) { dati.append(b, n); });
    return dati;
}

std::optional<QByteArray> Archivio::contenuto(QStringView nome) const {
    const Voce* v = trova(nome);
    if (!v)
        return std::nullopt;
    return leggi(*v);
}

QByteArray Archivio::leggiInizio(const Voce& voce, qint64 massimo) const {
    QByteArray dati;
    massimo = std::max<qint64>(massimo, 0);
    dati.reserve(std::clamp<qint64>(voce.dimensione, 0, massimo));
    copia(
        voce, [&](const char* b, qint64 n) { dati.append(b, std::min(n, massimo - dati.size())); },
        massimo);
    return dati;
}

void Archivio::estrai(const Voce& voce, const QString& destinazione) const {
    const QByteArray dest = QFile::encodeName(destinazione);
    struct stat st {};
    if (::lstat(dest.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw ErroreVB(Errore::AccessoPercorso);

    FileTemporaneo tmp;
    QByteArray modello = modelloFileAccanto(QFileInfo(destinazione).path());
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

} // namespace hn::blob
