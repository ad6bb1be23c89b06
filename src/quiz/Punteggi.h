#pragma once

// The best score of each self-test (per plate, per body system), kept in the user's own config
// folder (XDG): never in the installation's INI files, which may be read-only and are shared by
// every user.
//
// The file is a short text of our own, one score a line under its section:
//     [plansza]
//     SCHEL1=7/10
// read line by line, so a damaged stretch costs only its own lines: the rest is kept, and the
// next save first sets the whole old file aside as "sprawdzian.ini.bak" (so does a file too
// large to be one of ours). It is replaced only
// through a file written beside it and renamed, so a killed save leaves the old file or the new.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <optional>

namespace hn::punteggi {

struct Punteggio {
    int giuste = 0;
    int domande = 0;
    bool operator==(const Punteggio&) const = default;
};

// The key of a plate's or a system's round.
QString chiaveTavola(const QString& tavola);
QString chiaveSistema(const QString& sistema);

// The file's text as read: the scores by key, and whether any line had to be left out.
struct Contenuto {
    QMap<QString, Punteggio> punteggi;
    bool danneggiato = false;
};
Contenuto leggi(QByteArrayView testo);
QByteArray scrivi(const QMap<QString, Punteggio>& punteggi);

// The host path of the scores file.
QString percorsoFile();

// None when there is no score, or the file cannot be read.
std::optional<Punteggio> migliore(const QString& chiave);
// Keeps the better of the stored score and this one (the larger share right, then the longer
// round); true when this one is the new best and is on the disk. A new best that cannot be saved
// (a read-only or full disk, a folder or FIFO in the file's place, a file that cannot be read and
// so must not be overwritten) throws the run-time error, and the file stays as it was.
bool registra(const QString& chiave, Punteggio punteggio);

} // namespace hn::punteggi
