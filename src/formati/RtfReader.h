#pragma once

// Reads RTF into a QTextDocument. Hostile input is read as far as it makes sense and never
// crashes or hangs: groups are kept on a heap stack, not by recursion, and every number and
// length is bounded.

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

class QTextCursor;
class QTextDocument;

namespace hn {

// True when the bytes start (after blanks) with "{\rtf": they are to be read as rich text.
bool sembraRtf(QByteArrayView dati);
bool sembraRtf(QStringView testo);

// Replaces the document's content with the RTF's.
void leggiRtf(QByteArrayView rtf, QTextDocument& documento);

// Inserts the RTF at the cursor (a paste): the paragraph the cursor is in keeps its format.
void inserisciRtf(QByteArrayView rtf, QTextCursor& cursore);

// An RTF text held in a string. Characters outside ASCII (a plain text joined to an RTF one) are
// taken as themselves rather than as code-page bytes.
QByteArray rtfDaStringa(QStringView testo);

// Limits that keep hostile input bounded; documented so that tests can reach them.
inline constexpr int kProfonditaMassima = 512;
inline constexpr int kColonneMassime = 64;

} // namespace hn
