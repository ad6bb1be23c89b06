#pragma once

// The message file "help.bin": lines of 453 Windows-1250 characters and CR LF, the number in
// columns 1-6, the title in 74-103 and the text in 104-453, each padded with blanks. Line k holds
// message k for the numbers below 1000; numbers from 1000 up may stand on any line.

#include <QByteArray>
#include <QIODevice>
#include <QMap>
#include <QString>
#include <utility>

namespace hn::atlante {

inline constexpr int LunghezzaRecordMessaggio = 455;

// The line-break marker as the file writes it inside a text.
const QString& marcatoreACapo();

// Message `numero` from an open message file: by record for numbers below 1000, by a search of
// the numbered lines from 1000 up. The title goes to `titolo`; the text comes back raw (line
// markers and parameters not yet filled in). A number the file lacks: empty text and title.
QString leggiRecordMessaggio(QIODevice& file, int numero, QString& titolo);

// One line: number, title and text in their columns; longer titles and texts are cut.
QByteArray componiRecordMessaggio(int numero, const QString& titolo, const QString& testo);

// A whole file: line k holds message k for every k up to the highest number below 1000;
// numbers from 1000 up follow in order.
QByteArray componiFileMessaggi(const QMap<int, std::pair<QString, QString>>& messaggi);

} // namespace hn::atlante
