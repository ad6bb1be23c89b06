#pragma once

// Writes a QTextDocument as RTF that WordPad and LibreOffice open: Windows-1250 text as \'xx,
// everything else as \uN with a "?" for older readers, fonts and colours in tables, paragraph and
// character formatting (each marked run a group of its own), tables with or without borders,
// lists as numbered list definitions with the marker as text for older readers, pictures as PNG.
// Reading what it writes gives back the same text and formatting, and writing that again gives
// the same bytes.

#include <QByteArray>

class QTextCursor;
class QTextDocument;

namespace hn {

QByteArray scriviRtf(const QTextDocument& documento);

// The selected part of a cursor's document; empty selection, empty document.
QByteArray scriviRtf(const QTextCursor& selezione);

} // namespace hn
