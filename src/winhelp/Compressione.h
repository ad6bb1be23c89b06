#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace hn::winhelp {

// The two packings help files use for topic text, phrases and pictures. Every decoder stops at
// `massimo` bytes of output: a hostile stream can never make more than the caller allows.

// LZ77 with a 4 KB window: a flag byte, then eight items, each a literal byte or a little-endian
// word (distance − 1 in the low 12 bits, length − 3 in the high 4). A reference before the start
// of the output reads zeros, as the original window was.
QByteArray decomprimiLz77(QByteArrayView dati, qsizetype massimo);
QByteArray comprimiLz77(QByteArrayView dati);
// As much of `dati` as fits in exactly `budget` output bytes (fewer only when all of it fits),
// taking at most `massimo` input bytes; `consumati` says how many it took. A topic block must be
// full one way or the other, or its padding would read as text.
QByteArray comprimiLz77Blocco(QByteArrayView dati, qsizetype budget, qsizetype massimo,
                              qsizetype& consumati);

// Run lengths: a byte n with its top bit set copies the next n & 0x7F bytes, else repeats the
// next byte n times.
QByteArray decomprimiRle(QByteArrayView dati, qsizetype massimo);
QByteArray comprimiRle(QByteArrayView dati);

// The hash under which a topic's context name is stored and jumps name their target.
std::uint32_t hashContesto(QByteArrayView nome);

} // namespace hn::winhelp
