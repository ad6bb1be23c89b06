#pragma once

// The text store "hsmed.dat": RTF entries named by a code followed by ".RTF" (plate
// descriptions and hotspot captions), read as bytes or as a document, with no widget and no
// temporary file.

#include "BlobStore.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
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
    // At most the first `massimo` bytes of the entry.
    std::optional<QByteArray> inizio(const QString& codice, qint64 massimo) const;
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
// With `caratteri` ≥ 0, only the text's first `caratteri` characters are asked for: the reading
// stops soon after them (the text may hold a few more), the name is whole all the same.
Sommario sommarioDi(QByteArrayView rtf, qsizetype caratteri = -1);

// Limits for work that reads every text of the atlas at once (the search index, the question pool,
// the checker), so that no store, however large or hostile, costs more than this.
struct Budget {
    qint64 bytePerVoce = 64 * 1024; // of each entry, unpacked: enough for a name and a start
    qint64 byteInTutto = qint64(256) * 1024 * 1024;
    qint64 vociInTutto = 500'000;
    // Of the reading thread's own CPU time: a busy machine does not shorten what is read.
    std::chrono::milliseconds tempo{20'000};
    // Of a summary's text: what a search or a question needs of a caption.
    qsizetype caratteriPerTesto = 2'000;
    // Set from elsewhere to stop a read that is no longer wanted (the program ends).
    const std::atomic_bool* ferma = nullptr;
};

// Reads summaries of the text store within a budget; once it is spent, every further entry reads
// as missing (and `esaurito` says so).
class LetturaLimitata {
public:
    explicit LetturaLimitata(const TestiAtlante& testi, const Budget& budget = {});

    // The entry's name and the start of its text; none when the store lacks the entry, it is
    // damaged, or the budget is spent.
    std::optional<Sommario> sommario(const QString& codice);
    // The entry's bytes, up to the budget's share per entry (`completa` false when cut).
    std::optional<QByteArray> inizio(const QString& codice, bool* completa = nullptr);
    bool esaurito() const { return esaurito_; }

private:
    const TestiAtlante& testi_;
    Budget budget_;
    std::chrono::nanoseconds inizio_;
    qint64 byte_ = 0, voci_ = 0;
    bool esaurito_ = false;
};

} // namespace hn::atlante
