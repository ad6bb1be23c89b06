#pragma once

// The hotspot table "hsmed.bin": headerless 50-byte Windows-1250 records, fields padded with
// blanks. The reader takes bytes; the writer gives them back in the same form.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace hn::atlante {

inline constexpr int LunghezzaRecord = 50;
inline constexpr char CodiceIntestazione[] = "000000";

struct Record {
    QString tavola;       // key of the plate it belongs to, as stored (upper case)
    QString codice;       // "000000" for the plate's header; else code + ".RTF" is the caption
    QString collegamento; // plate a click opens; empty: the caption is shown
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    QString testo; // header only: code + ".RTF" is the plate's description

    bool intestazione() const { return codice == QLatin1String(CodiceIntestazione); }
    bool operator==(const Record&) const = default;
};

// A field read as the runtime reads a number: blanks skipped, then a number as far as it goes;
// nothing numeric is 0.
float numeroCampo(QByteArrayView campo);

// One record; missing bytes at the end of a short record read as blanks.
Record decodificaRecord(QByteArrayView byte);
// Every record in file order, a short last one included.
QList<Record> leggiTabella(QByteArrayView dati);

// A record's 50 bytes: texts cut or padded to their widths, numbers as three zero-padded digits.
QByteArray codificaRecord(const Record& record);
QByteArray scriviTabella(const QList<Record>& record);

} // namespace hn::atlante
