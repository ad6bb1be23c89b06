#pragma once

// Saved look-up indexes: what a walk over a whole data file found (where a store's entries are,
// which records a plate has), kept in the user's cache folder so that a later session's first
// look-up need not walk the file again. An index is only ever a hint: it names the identity of the
// file it was made from and carries a checksum, and a reader that finds anything amiss ignores it
// and walks the file as before.

#include "IdentitaFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace hn::indice {

// $XDG_CACHE_HOME/hnemar/ (the user's cache folder) and a name made from a hash of the data
// file's host path and the kind of index: no name taken from the data reaches the file system.
QString percorsoIndice(const QString& percorsoHost, QStringView tipo);

// A 64-bit checksum, quick enough to check an index of megabytes before its first use.
quint64 sommaControllo(QByteArrayView dati);

// An index's fields, little-endian, closed by the checksum of everything before it.
class Scrittura {
public:
    void riserva(qsizetype n) { b_.reserve(n); }
    void byte(QByteArrayView b) { b_.append(b); }
    void u32(quint32 v);
    void u64(quint64 v);
    void identita(const IdentitaFile& i);
    QByteArray chiudi();
    // The fields so far, without a checksum.
    const QByteArray& dati() const { return b_; }

private:
    QByteArray b_;
};

// The fields back in the order written. A read past the end gives 0 and leaves ok() false, so a
// reader checks once, after its fields.
class Lettura {
public:
    explicit Lettura(QByteArrayView corpo)
        : corpo_(corpo) {}
    quint32 u32();
    quint64 u64();
    IdentitaFile identita();
    // The next n bytes, or null (and ok() false) when fewer are left.
    const char* salta(quint64 n);
    qsizetype resto() const { return corpo_.size() - pos_; }
    bool ok() const { return ok_; }

private:
    QByteArrayView corpo_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

// A saved index is a hash table on disk, so that a look-up reads only the part it needs: a head
// (the caller's fields), a bucket directory, and the buckets, each with a checksum of its own.
// Head and directory are read and checked when the index is opened; a bucket when it is asked
// for, and only from the very file opened (a file replaced since is refused).
class IndiceSecchi {
public:
    // The index of a kind for a data file, when it is there, a regular file, well formed and its
    // checksums hold, with at most `massimoSecchi` buckets; nothing otherwise.
    static std::optional<IndiceSecchi> apri(const QString& percorsoHost, QStringView tipo,
                                            QByteArrayView magia, quint32 massimoSecchi);
    QByteArrayView intestazione() const { return intestazione_; }
    quint32 numeroSecchi() const { return quint32(checksum_.size()); }
    // Bucket b's bytes, at most `massimo`; nothing when it cannot be read, is larger, its
    // checksum fails or the file is no longer the one opened.
    std::optional<QByteArray> secchio(quint32 b, qint64 massimo) const;
    // Removes the index's file when it is still the very file opened: for a reader that found a
    // bucket damaged and will not save a sound index itself, so the next walk does.
    void scarta() const;

    // Makes an index: the head and the buckets, in order.
    static QByteArray componi(QByteArrayView magia, QByteArrayView intestazione,
                              const QList<QByteArray>& secchi);
    // The same bytes as pieces, without copying the buckets: the head and its directory first,
    // then the buckets as given.
    static QList<QByteArray> componiAPezzi(QByteArrayView magia, QByteArrayView intestazione,
                                           const QList<QByteArray>& secchi);

private:
    QString percorso_;
    IdentitaFile identita_;
    QByteArray intestazione_;
    qint64 inizioDati_ = 0;
    std::vector<quint64> inizi_;
    std::vector<quint64> checksum_;
};

// Saves an index off the calling thread: `prepara` makes its bytes (Scrittura::chiudi) on a
// worker, which writes them beside the index's place and renames them into it, unsynced: an index
// is checked before use, and one a crash cut short is made again. Failures are silent: an index
// only saves time.
void salvaIndice(const QString& percorsoHost, QStringView tipo,
                 std::function<QByteArray()> prepara);
// The same for an index made in pieces (IndiceSecchi::componiAPezzi).
void salvaIndice(const QString& percorsoHost, QStringView tipo,
                 std::function<QList<QByteArray>()> prepara);

// Waits until the saves asked for so far are done.
void attendiSalvataggi();

} // namespace hn::indice
