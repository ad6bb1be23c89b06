#pragma once

// What a text panel can show in good time. Qt lays out a word wider than its panel by trying
// every break within it for each line, in time that grows with the square of the word's length
// (a one-megabyte word kept the screen busy for minutes), and a text of millions of characters
// takes seconds whatever its words. So a panel shows at most ParolaMassima characters of any word
// and TestoMassimo characters in all, each cut marked with "…"; the checker reports texts that
// are cut.

#include <QStringView>
#include <QtGlobal>

class QTextDocument;

namespace hn {

// No word of a description or caption comes near this; it still wraps anywhere within the panel.
inline constexpr qsizetype ParolaMassima = 200;
// Many times the longest description; laid out in well under a second.
inline constexpr qsizetype TestoMassimo = 200'000;
// Of a file a panel loads: read in a fraction of a second, and far more than TestoMassimo
// characters of any text.
inline constexpr qsizetype RtfMassimo = 8 * 1024 * 1024;

// Cuts every word longer than ParolaMassima, and the text after TestoMassimo characters, each
// cut marked with "…" in the formatting of what it follows. True when anything was cut.
bool limitaTesto(QTextDocument& documento);

// The longest word of a text (a run of characters that are not blanks) and its length.
struct MisuraTesto {
    qsizetype parolaPiuLunga = 0;
    qsizetype lunghezza = 0;
    bool daTagliare() const { return parolaPiuLunga > ParolaMassima || lunghezza > TestoMassimo; }
};
MisuraTesto misuraTesto(QStringView testo);

} // namespace hn
