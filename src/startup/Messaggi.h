#pragma once

#include "ErroreVB.h"

#include <QString>

// Numbered messages from "help.bin" and the common error report.
namespace hn::Mod_Comuni {

// The last message read for a report or a message box, and its title.
extern QString TestoMessaggio;
extern QString TitoloMessaggio;

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
