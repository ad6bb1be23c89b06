#pragma once

#include "ErroreVB.h"

#include <QIODevice>
#include <QMap>
#include <QString>
#include <utility>

// Numbered messages from "help.bin" and the common error report.
namespace hn::Mod_Comuni {

// The last message read for a report or a message box, and its title.
extern QString TestoMessaggio;
extern QString TitoloMessaggio;

// Lines of "help.bin": 453 characters and CR LF.
inline constexpr int LunghezzaRecordMessaggio = 455;

// One line of the message file: number, title and text in their columns, Windows-1250, padded
// with blanks to 453 characters and ended by CR LF. Longer titles and texts are cut.
QByteArray componiRecordMessaggio(int numero, const QString& titolo, const QString& testo);

// A whole message file: line k holds message k for every k up to the highest number below 1000;
// numbers from 1000 up follow in order.
QByteArray componiFileMessaggi(const QMap<int, std::pair<QString, QString>>& messaggi);

// The line-break marker as the message file writes it.
const QString& marcatoreACapo();

// Message `numero` from an open message file: by record for numbers below 1000, by a search of
// the numbered lines from 1000 up. The title goes to `titolo`; the text comes back raw (line
// markers and parameters not yet filled in).
QString leggiRecordMessaggio(QIODevice& file, int numero, QString& titolo);

// Message `numero` with its parameter filled in, from "help.bin" beside the program or, when
// there is none, in the folder above it. Both missing: empty text and title.
QString LeggiMessaggio(int numero, const QString& ignorato = {}, const QString& parametro = {},
                       QString* titolo = nullptr);

// The message file LeggiMessaggio reads (a Windows path), or empty when neither place has one.
QString fileMessaggi();

// A message as a box shows it: its text, or, when the message file lacks it or is missing, the
// message number and the host path of the file it was looked for in.
QString TestoDaMostrare(int numero, const QString& parametro = {});

// Turns the file's line-break markers into CR LF and each remaining "&" into the parameter.
QString SostituisciParametri(const QString& testo, const QString& parametro);

// Reports a run-time error with a Polish message built from the numbered messages and returns
// the button the user chose. Leaves the last message read in TestoMessaggio.
int SegnalaErrore(const ErroreVB& errore, const QString& contesto);

} // namespace hn::Mod_Comuni
