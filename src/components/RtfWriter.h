#pragma once

// Writes a QTextDocument as RTF that WordPad and LibreOffice open: Windows-1250 text as \'xx,
// everything else as \uN with a "?" for older readers, fonts and colours in tables, paragraph and
// character formatting, tables, lists in WordPad's form, pictures as PNG. Reading what it writes
// gives back the same text and formatting, and writing that again gives the same bytes.

#include <QByteArray>

class QTextCursor;
class QTextDocument;

namespace hn {

QByteArray scriviRtf(const QTextDocument& documento);

// The selected part of a cursor's document; empty selection, empty document.
QByteArray scriviRtf(const QTextCursor& selezione);

} // namespace hn
