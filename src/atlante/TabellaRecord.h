#pragma once

// The hotspot table "hsmed.bin": headerless 50-byte Windows-1250 records, fields padded with
// blanks. The reader takes bytes; the writer gives them back in the same form.

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
class TabellaHotSpot {
public:
    // Reads a whole table. Errors: 75 when the device cannot be read, 7 past any atlas's size.
    static std::shared_ptr<const TabellaHotSpot> leggi(QIODevice& dispositivo);
    static std::shared_ptr<const TabellaHotSpot> daByte(QByteArray dati);
    // The table of a host file, read once and kept while the file stays the same one.
    // Errors: 53 no such file, 75 it cannot be read (not a regular file included), 7.
    static std::shared_ptr<const TabellaHotSpot> delFile(const QString& percorsoHost);

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

    QByteArray dati_;
    QString difetto_;
    qsizetype numeroRecord_ = 0;
    // Each record's key (trimmed, blank-padded to 8 bytes) as one number, made in one pass when
    // the table is read, since a large atlas's table is read before its first plate shows. A
    // plate's positions are found by one pass over these numbers the first time it is asked
    // for, and kept.
    std::vector<quint64> chiavi_;
    mutable std::mutex guardia_;
    mutable QHash<quint64, QList<qint32>> tavole_;
};

} // namespace hn::atlante
