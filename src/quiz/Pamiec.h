#pragma once

// The student's review diary on disk: every structure's memory (see atlante/Ripasso.h), kept in
// the user's own config folder beside the scores, as "powtorki.txt". Like the scores it is a text
// of our own read line by line: a damaged stretch costs only its lines, and the next save first
// sets the whole old file aside as "powtorki.txt.bak". It is replaced only through a file written
// beside it and renamed, so a crash or a full disk leaves the old file or the new, never less.

#include "Ripasso.h"

#include <QList>
#include <QPair>
#include <QString>

namespace hn::pamiec {

// The host path of the diary.
QString percorsoFile();

// Today as the diary counts days (a Julian day number of the local date).
qint64 oggi();

// The diary as on disk: empty when there is none or it cannot be read. `danneggiato` tells
// whether any line had to be left out.
atlante::ripasso::Diario carica(bool* danneggiato = nullptr);

// Records answers given on `giorno`: reads the file again (another window may have saved since),
// updates each structure's memory in order and writes the whole diary back. Throws the run-time
// error when it cannot be saved (read-only or full disk, a folder or FIFO in the file's place, a
// file that cannot be read and so must not be overwritten); the file then stays as it was.
// Returns the diary as saved.
atlante::ripasso::Diario registra(const QList<QPair<QString, atlante::ripasso::Voto>>& risposte,
                                  qint64 giorno);

} // namespace hn::pamiec
