#pragma once

// Archive stores: the ZIP files that hold the atlas's pictures and texts ("BlobCorp.dat",
// "Bit_Hd.ff", "hsmed.dat" …). Any zip tool can build or inspect one; the reader takes stored and
// deflated entries (ZIP64 included), finds names without regard to case and never lets an entry
// name choose where bytes are written. Paths here are host paths; the blob reader control maps
// the program's.
//
// The reader is our own: a large atlas's text store holds tens of thousands of entries, and it
// reads the central directory in one pass without converting each entry's date, which the
// general library does, re-reading the time zone for every entry. libzip writes the stores.
//
// A store is opened in one of two ways, both checking every directory record (entries that
// overlap or lie outside the data refuse the whole store): whole, with an entry for each record,
// for work over every entry; or for look-ups only, keeping a few numbers per record and making an
// entry when it is asked for, for the screens, which read a few entries of a store that may hold
// hundreds of thousands.

#include "ErroreVB.h"
#include "IdentitaFile.h"
#include "IndiceSalvato.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

namespace hn::blob {

// Beyond this an entry is taken for a damaged or hostile store: no picture or text is this big.
inline constexpr qint64 DimensioneMassimaVoce = qint64(64) * 1024 * 1024;

// The run-time error for a store or entry that is not what it claims to be.
inline constexpr int FormatoNonValido = 321;

// A name a store may hold and a caller may ask for: a plain file name. Path separators, "..",
// drive letters, wildcards, control characters and surrounding blanks are refused, since the name
// ends up as a file name in the caller's folder.
bool nomeVoceAmmesso(QStringView nome);

// Already-compressed formats are stored as they are: deflating them gains nothing and costs time
// at every read.
bool daComprimere(QStringView nome);

// Entry names as the index knows them: compared and hashed without regard to case, on the
// entry's own string instead of a folded copy of each of tens of thousands of names.
bool stessoNome(QStringView a, QStringView b) noexcept;
size_t hashNome(QStringView nome) noexcept;
// Another hash of the folded name, eight ASCII characters at a time, from the name as stored
// too: what a store opened for look-ups keeps of each name. Seeded afresh in each run.
quint32 improntaNome(QStringView nome);
quint32 improntaNome(QByteArrayView grezzo, bool utf8);
// The same with a seed of the caller's: a saved index keeps the one its hashes were made with.
quint32 improntaNome(QStringView nome, quint64 seme);
quint32 improntaNome(QByteArrayView grezzo, bool utf8, quint64 seme);

struct Voce {
    QString nome;
    quint64 indice = 0; // position in the central directory
    qint64 dimensione = 0;
    qint64 compressa = 0;
    bool deflate = false;
    // Where its local header starts, its CRC-32, its method and general-purpose flags as stored.
    qint64 posizione = 0;
    quint32 crc = 0;
    quint16 metodo = 0;
    quint16 flag = 0;
    // Where the next entry (or the directory) begins: its data may not run past it.
    qint64 limite = std::numeric_limits<qint64>::max();
};

// One store, open for reading, with its directory.
class Archivio {
public:
    ~Archivio();
    Archivio(const Archivio&) = delete;
    Archivio& operator=(const Archivio&) = delete;

    // Opens a store and reads its directory once, an entry for each record. Errors: 53 no such
    // file, 75 it cannot be read, 321 not a store.
    static std::shared_ptr<Archivio> apri(const QString& percorso);
    // Opens a store for look-ups only: the directory is read and checked as by apri, but no entry
    // is made before trova asks for it, and voci() and escluse() stay empty. The same errors.
    // With Indice::Salvato, what an earlier walk of this very file saved in the user's cache folder
    // stands for the walk when it is whole and names the open file's identity (each entry found
    // is still read back and checked); else the directory is walked and what it found is saved,
    // off this thread, for the next time.
    enum class Indice { Nessuno, Salvato };
    static std::shared_ptr<Archivio> apriPerCercare(const QString& percorso,
                                                    Indice indice = Indice::Nessuno);
    // Whether this store's look-ups go through a saved index rather than its own walk.
    bool daIndiceSalvato() const { return daIndice_; }

    // The store at a path, opened for look-ups once and kept while the file on disk stays the
    // same one (same file, size, modification and change times); a store replaced or rewritten
    // is opened anew. For the screens, which must not wait for work over a whole store.
    static std::shared_ptr<const Archivio> condiviso(const QString& percorso);
    // The same, opened whole: for work over every entry, on threads of its own. Kept apart from
    // condiviso's, so that such work never holds the screens' store or its lock.
    static std::shared_ptr<const Archivio> condivisoIntero(const QString& percorso);
    // Forgets the stores condiviso and condivisoIntero keep (their holders keep theirs), as a new
    // session starts.
    static void svuotaCondivisi();

    // The entry of that name, without regard to case; null when there is none. When two names
    // differ only in case the first in the store's order is the one found. The entry lives as
    // long as the store.
    const Voce* trova(QStringView nome) const;
    // Entries in the store's order; names a caller could not ask for are left out. Empty for a
    // store opened for look-ups only.
    const QList<Voce>& voci() const { return voci_; }
    // The entries left out of voci(): the name as stored (control bytes percent-encoded) and why.
    struct Esclusa {
        QString nome;
        QString motivo;
    };
    const QList<Esclusa>& escluse() const { return escluse_; }

    // The entry's bytes, checked against its size and CRC. Error 321 when they disagree.
    QByteArray leggi(const Voce& voce) const;
    // The bytes of the entry of that name, without regard to case; nullopt when there is none.
    // The one way from an entry name to its bytes: pictures, descriptions and captions are read
    // in memory, never through a file. Error 321 as leggi.
    std::optional<QByteArray> contenuto(QStringView nome) const;
    // At most the first `massimo` bytes of the entry, without unpacking the rest: for work over
    // every entry of a store, which needs a name and the start of each text. The CRC is checked
    // only when the whole entry was read.
    QByteArray leggiInizio(const Voce& voce, qint64 massimo) const;

    // Writes the entry to a file: into a new file beside it first, renamed into place once its
    // size and CRC check out, so a failure leaves no partial file. A link or folder at the
    // destination is refused (75). Errors: 76 no such folder, 75 no access, 61 disk full, 321.
    void estrai(const Voce& voce, const QString& destinazione) const;

private:
    Archivio() = default;
    // The steps of apri: the file, opened for reading only when it is a regular file (53, 75);
    // then each directory record's entry, left out with its reason when no caller could ask
    // for it.
    static std::shared_ptr<Archivio> apriFile(const QString& percorso);
    void aggiungi(Voce voce, QByteArrayView grezzo);
    template <typename Scrivi>
    void copia(const Voce& voce, Scrivi&& scrivi, qint64 fermaA = -1) const;

    int fd_ = -1;
    qint64 dimensioneFile_ = 0;
    // What the open file is (from its descriptor): a saved index must name the same.
    IdentitaFile identita_;
    QList<Voce> voci_;
    QList<Esclusa> escluse_;
    // Open addressing over voci_: each slot holds an entry's position plus one in its low half,
    // 0 when free, and the top of the name's hash in its high half, so that a probe passes other
    // names without reading them; at most half the slots are taken. A flat table, since a large
    // atlas's text store is opened before its first plate shows and a node per entry cost more
    // than the rest of the opening.
    QList<quint64> posti_;
    void riservaPosti(qsizetype voci);
    qsizetype posto(QStringView nome, size_t hash) const;

    // Opened for look-ups only: where the directory lies, and per record the hash of its name as
    // trova folds it (improntaNome) and where the record starts in the directory. When the local
    // headers follow the directory's order, an entry's data may run to the next record's; when
    // not, the headers' starts are kept in ascending order to bound them. The entries found so
    // far, by record, made once: a node map, so that what trova returned stays where it is.
    struct Riga {
        quint32 impronta;
        quint32 posizione;
    };
    bool perCercare_ = false;
    qint64 inizioDirectory_ = 0;
    qint64 lunghezzaDirectory_ = 0;
    quint64 numeroRecord_ = 0;
    quint64 seme_ = 0;
    std::vector<Riga> righe_;
    std::vector<qint64> inizi_;
    mutable std::mutex guardiaTrovate_;
    mutable std::unordered_map<quint32, Voce> trovate_;
    // The walk's steps: righe_ and inizi_ from the open file.
    void cammina(const QString& percorso);
    // Record i, starting at `posizione` in the directory, read back: its entry (no name yet), its
    // name as stored, which lives in `record`, and the record's length.
    Voce rileggi(quint64 i, qint64 posizione, QByteArray& record, QByteArrayView& grezzo,
                 qint64& lunghezza) const;
    const Voce* cerca(QStringView nome) const;
    // Record i as the entry of that name, checked as the walk checks it; none when it is not.
    std::optional<Voce> rileggiVoce(quint64 i, qint64 posizione, QStringView nome) const;

    // Through a saved index: each look-up reads the bucket of the name's hash (seme_ is then the
    // index's seed) and the records it names. Should the index fail a check on the way, the
    // store is walked after all, once, through the same open file.
    bool daIndice_ = false;
    std::unique_ptr<indice::IndiceSecchi> salvato_;
    mutable std::atomic<bool> indiceGuasto_ = false;
    mutable std::mutex guardiaCammino_;
    mutable std::unique_ptr<Archivio> cammino_;
    bool caricaIndice(const QString& percorso);
    // The entry, nullptr when there is none, nothing when the index failed.
    std::optional<const Voce*> cercaNellIndice(QStringView nome) const;
    const Archivio& camminato() const;
    QByteArray indiceDaSalvare() const;
};

// A new entry: its bytes, or the file to take them from.
struct VoceNuova {
    QString nome;
    QByteArray dati;
    QString file;
};

enum class Compressione { SecondoIlTipo, Nessuna, Deflate };

// Writes a store with these entries, replacing any file at the path only once it is complete.
// Refuses an empty list, a path that is not a regular file, names that could not be read back and
// names that differ only in case.
void scriviStore(const QString& percorso, const QList<VoceNuova>& voci,
                 Compressione compressione = Compressione::SecondoIlTipo);

} // namespace hn::blob
