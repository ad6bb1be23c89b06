#pragma once

// The plate data: the hotspot table "hsmed.bin" and the text store "hsmed.dat" in PathDati.

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

namespace hn {

class RichTextBox;

// Records of "hsmed.bin": 50 bytes, Windows-1250, fields padded with blanks.
inline constexpr int LunghezzaRecordHotSpot = 50;
// The code of a plate's header record: its Testo names the plate's description.
inline constexpr char CodiceIntestazione[] = "000000";
// Hotspot numbers and the count are 16-bit: a plate holds at most this many records.
inline constexpr int MassimoHotSpot = 32767;

// One record, its texts trimmed of surrounding blanks and its rectangle read leniently.
struct RecordHotSpot {
    QString Tavola;
    QString Codice;
    QString Collegamento;                 // blank: the hotspot shows its caption
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0; // picture pixels
    QString Testo;                        // read in header records only

    bool intestazione() const { return Codice == QLatin1String(CodiceIntestazione); }
};

// Decodes one record. A record cut short by the end of the file reads its missing bytes as
// blanks, so what it still holds (key, rectangle) is used as written.
RecordHotSpot decodificaRecord(QByteArrayView byte);

// A field read as a number: leading blanks skipped, digits up to the first character that is
// not part of a number; nothing numeric gives 0 ("012" is 12, "1x" is 1, "abc" is 0).
float valoreCampo(QByteArrayView campo);

// The hotspot table in memory. Kept as the file's bytes plus, per plate key, the positions of
// its records in file order, so a plate's n-th record is found in constant time however many
// records the other plates hold.
class TabellaHotSpot {
public:
    // Reads a whole table. Errors: 75 when the device cannot be read.
    static std::shared_ptr<const TabellaHotSpot> leggi(QIODevice& dispositivo);
    static std::shared_ptr<const TabellaHotSpot> daByte(QByteArray dati);

    // The table of a file (Windows path), read once and kept while the file on disk stays the
    // same one (same file, size, modification and change times); a rewritten file is read anew.
    // Errors: 53 no such file, 75 it cannot be read.
    static std::shared_ptr<const TabellaHotSpot> delFile(const QString& percorso);

    // Records in the file, a truncated last one included.
    qsizetype numeroRecord() const { return numeroRecord_; }

    // The records of a plate in file order, at most MassimoHotSpot. The stored key matches when,
    // trimmed, it equals the upper-cased key given here.
    QList<RecordHotSpot> recordDellaTavola(const QString& tavola) const;
    // Record number n (from 1) of the plate, header included.
    std::optional<RecordHotSpot> cerca(const QString& tavola, qint16 n) const;

    // Why the bytes read are no usable table, as the end of a Polish sentence about the file;
    // empty when they are one. An empty file, a length that is no whole number of records and
    // plate keys with control characters (some other kind of file) are flagged; the records are
    // still served as read.
    const QString& difetto() const { return difetto_; }

private:
    TabellaHotSpot() = default;
    const QList<qint32>* posizioni(const QString& tavola) const;
    RecordHotSpot record(qint32 indice) const;

    QByteArray dati_;
    QString difetto_;
    qsizetype numeroRecord_ = 0;
    QHash<QByteArray, QList<qint32>> indice_;
};

// The screen's twips per pixel, read at each plate load.
extern float TwipsPerPixelXCorrente;
extern float TwipsPerPixelYCorrente;
void LeggiTwipsPerPixel();

// A hotspot's rectangle in twips relative to the picture: X1 × TPPX, Y1 × TPPY, and
// (X2 − X1 + 2) × TPPX by (Y2 − Y1 + 2) × TPPY, rounded to whole twips.
QRect geometriaHotSpot(const RecordHotSpot& record, float tppx, float tppy);

// The table of a file for a plate load, or null when it cannot be read. A table that cannot
// serve the plates (missing, not a regular file, unreadable, or flagged by difetto()) is told to
// the user in one box naming the file; nothing else changes, the plate shows with what was read.
std::shared_ptr<const TabellaHotSpot> TabellaPerLaTavola(const QString& percorso);

// Record n of plate `tavola` in a table; false when the plate has fewer records or there is no
// table (it could not be read when the plate was loaded).
bool CercaRecordHotSpot(const TabellaHotSpot* tabella, const QString& tavola, qint16 n,
                        RecordHotSpot& record);

// Extracts the entry `codice` + ".RTF" of "hsmed.dat" through the crop blob reader into
// PathTemp, loads it into the panel and deletes the file. False when the store has no such entry
// (the panel keeps its text). Errors from the store or the panel reach the caller.
bool EstraiTesto(const QString& codice, RichTextBox& pannello);

} // namespace hn
