#pragma once

// The text store "hsmed.dat": RTF entries named by a code followed by ".RTF" (plate
// descriptions and hotspot captions), read as bytes or as a document, with no widget and no
// temporary file.

#include "BlobStore.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QTextDocument;

namespace hn::atlante {

// The entry name of a code: trimmed of blanks, ".RTF" appended.
QString nomeTesto(const QString& codice);

class TestiAtlante {
public:
    // A null store holds no entries.
    explicit TestiAtlante(std::shared_ptr<const blob::Archivio> store = {});

    bool contiene(const QString& codice) const;
    // The entry's bytes; none when the store lacks it. Error 321 when the entry is damaged.
    std::optional<QByteArray> byte(const QString& codice) const;
    // Replaces the document's content with the entry; false (the document untouched) when the
    // store lacks it. Bytes that are not RTF are taken as plain Windows-1250 text.
    bool documento(const QString& codice, QTextDocument& documento) const;

private:
    std::shared_ptr<const blob::Archivio> store_;
};

// What the atlas says of a structure or plate: the bold run a text opens with (its name; empty
// when it opens in plain type) and the whole text, plain. Read straight from the RTF without
// building a document, since the search reads every text of the atlas: groups, bold on and off,
// paragraph ends, \'xx (Windows-1250), \uN, and the destinations that hold no text are enough.
struct Sommario {
    QString nome;
    QString testo;
};
Sommario sommarioDi(QByteArrayView rtf);

} // namespace hn::atlante
