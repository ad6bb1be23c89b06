#pragma once

// The hotspot table "hsmed.bin": headerless 50-byte Windows-1250 records, fields padded with
// blanks. The reader takes bytes; the writer gives them back in the same form.

#include "IdentitaFile.h"
#include "IndiceSalvato.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QString>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace hn::atlante {

inline constexpr int LunghezzaRecord = 50;
inline constexpr char CodiceIntestazione[] = "000000";
// Hotspot numbers and the count are 16-bit: a plate holds at most this many records.
inline constexpr int MassimoHotSpot = 32767;

// One record, its texts trimmed of surrounding blanks.
struct Record {
    QString Tavola;       // key of the plate it belongs to, as stored (upper case)
    QString Codice;       // "000000" for the plate's header; else code + ".RTF" is the caption
    QString Collegamento; // plate a click opens; empty: the caption is shown
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0; // picture pixels
    QString Testo;                        // header only: code + ".RTF" is the plate's description

    bool intestazione() const { return Codice == QLatin1String(CodiceIntestazione); }
    bool operator==(const Record&) const = default;
};

// A field read as the runtime reads a number (valoreIniziale): "012" is 12, "7x" is 7, "1e2" is
// 100, "&H1F" is 31, nothing numeric is 0.
float numeroCampo(QByteArrayView campo);

// One record; missing bytes at the end of a short record read as blanks, so what it still holds
// (key, rectangle) is used as written.
Record decodificaRecord(QByteArrayView byte);
// Every record in file order, a short last one included; a DOS end-of-file tail is no record.
QList<Record> leggiTabella(QByteArrayView dati);

// Old DOS tools ended a file with an end-of-file byte (0x1A) after its last record, some padding
// on with more of them. Where the bytes past the last whole record begin with one, the table ends
// there (whole records of nothing but 0x1A included): the length of the table without that tail.
qsizetype lunghezzaSenzaFineDos(QByteArrayView dati);

// A record's 50 bytes: texts cut or padded to their widths, numbers as three zero-padded digits.
QByteArray codificaRecord(const Record& record);
QByteArray scriviTabella(const QList<Record>& record);

// The table as the viewer serves it: the file's bytes plus, per plate key asked for, the positions
// of its records in file order, so a plate's n-th record is found in constant time however many
// records the other plates hold; the first time a plate is asked for, one pass over a number per
// record finds them.
class TabellaHotSpot : public std::enable_shared_from_this<TabellaHotSpot> {
public:
    // Reads a whole table. Errors: 75 when the device cannot be read, 7 past any atlas's size.
    static std::shared_ptr<const TabellaHotSpot> leggi(QIODevice& dispositivo);
    static std::shared_ptr<const TabellaHotSpot> daByte(QByteArray dati);
    // The table of a host file, read once and kept while the file stays the same one. When the
    // user's cache folder holds a whole index of this very file (the positions of each plate's
    // records, saved after an earlier whole read), the file is not read: a plate's records are
    // read alone when asked for. Each use of a table from a file checks that the file is still
    // the one read or indexed; one rewritten or replaced meanwhile is read anew, so a plate on
    // screen answers its clicks from the table as it is now.
    // Errors: 53 no such file, 75 it cannot be read (not a regular file included), 7.
    static std::shared_ptr<const TabellaHotSpot> delFile(const QString& percorsoHost);
    // Forgets the tables delFile keeps (their holders keep theirs), as a new session starts.
    static void svuotaCache();
    // Whether the records come from the file a plate at a time, through a saved index.
    bool daIndiceSalvato() const { return daIndice_; }

    // Records in the file, a truncated last one included, a DOS end-of-file tail not.
    qsizetype numeroRecord() const { return numeroRecord_; }

    // The records of a plate in file order, at most MassimoHotSpot. The stored key matches when,
    // trimmed, it equals the upper-cased key given here.
    QList<Record> recordDellaTavola(const QString& tavola) const;
    // Record number n (from 1) of the plate, header included.
    std::optional<Record> cerca(const QString& tavola, qint16 n) const;

    // Why the bytes read are no usable table, as the end of a Polish sentence about the file;
    // empty when they are one. An empty file, a length that is no whole number of records and
    // plate keys with control characters (some other kind of file) are flagged; the records are
    // still served as read. A DOS end-of-file tail is no fault: the records before it are whole.
    const QString& difetto() const { return difetto_; }

private:
    TabellaHotSpot() = default;
    // The plate's record positions, in file order.
    QList<qint32> posizioni(const QString& tavola) const;
    Record record(qint32 indice) const;
    // The records of the plate from this table: none when the file read through an index no
    // longer is the one indexed.
    std::optional<QList<Record>> recordQui(const QString& tavola) const;
    // This table, or the file's table now when the file changed since it was read.
    std::shared_ptr<const TabellaHotSpot> attuale() const;
    static std::shared_ptr<TabellaHotSpot> nuova(QByteArray dati);
    static std::shared_ptr<const TabellaHotSpot> dallIndice(const QString& percorsoHost);
    static std::shared_ptr<const TabellaHotSpot> leggiIntera(const QString& percorsoHost);
    QByteArray indiceDaSalvare() const;

    QByteArray dati_;
    QString difetto_;
    int tipoDifetto_ = 0;
    qsizetype numeroRecord_ = 0;
    // Each record's key (trimmed, blank-padded to 8 bytes) as one number, made in one pass when
    // the table is read, since a large atlas's table is read before its first plate shows. A
    // plate's positions are found by one pass over these numbers the first time it is asked
    // for, and kept.
    std::vector<quint64> chiavi_;
    mutable std::mutex guardia_;
    mutable QHash<quint64, QList<qint32>> tavole_;

    // Read from a file: which one, and what it was then.
    QString percorso_;
    IdentitaFile identita_;
    // Through a saved index: the table's length without a DOS tail and the index, whose bucket
    // of a plate's key names the positions of its records. A plate's records, once read, are kept
    // with this table (whose file they came from).
    bool daIndice_ = false;
    qint64 lunghezza_ = 0;
    std::unique_ptr<indice::IndiceSecchi> salvato_;
    mutable QHash<quint64, QList<Record>> lette_;
};

} // namespace hn::atlante
