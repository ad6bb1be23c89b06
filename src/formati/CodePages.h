#pragma once

// Single-byte code pages RTF text arrives in. Our own tables, so that decoding does not depend on
// which codecs the Qt build carries; Windows-1250 comes from the platform layer.

namespace hn {

// Code page numbers we decode ourselves; kSimbolo stands for fonts with \fcharset2.
inline constexpr int kSimbolo = 42;

// The code page a font's \fcharset selects; 0 when the charset names none of ours (the caller then
// falls back on the document's \ansicpg).
int codePageDiCharset(int charset);

// True when `codePage` is one this module decodes.
bool codePageNota(int codePage);

// The character a byte stands for in a code page. An unknown code page decodes as Windows-1252.
// `fontSimbolo` picks the Symbol font's Greek and mathematical layout; other symbol fonts
// (Wingdings …) keep their bytes in the private use area where their glyphs live.
char16_t decodificaByte(int codePage, unsigned char byte, bool fontSimbolo = true);

} // namespace hn
