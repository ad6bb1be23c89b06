#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace hn {

// Where the installation lives: HNEMAR_PREFIX, else a folder in the user's data folder.
struct Prefisso {
    QString cartella;
    bool daAmbiente = false; // named by HNEMAR_PREFIX
};

Prefisso scegliPrefisso();

// The bundled demo installation: HNEMAR_DEMO, else found from the executable's folder
// `cartellaProgramma` (an installed or a build-tree layout); empty when there is none.
QString cartellaDemo(const QString& cartellaProgramma);

// The folder of the running executable, known before any application object exists.
QString cartellaDelProgramma(const char* argv0);

// Makes the prefix ready to run on: one named by HNEMAR_PREFIX must exist; the default one gets
// every file of the demo it lacks. Empty on success, else the user's explanation.
QString preparaPrefisso(const Prefisso& prefisso, const QString& demo);

// A demo file as an earlier version shipped it: its path in the prefix and the SHA-256 of its
// bytes, in hex.
struct VersioneSuperata {
    QString file;
    QByteArray sha256;
};

// The demo files earlier versions shipped and this one ships differently.
const QList<VersioneSuperata>& versioniSuperate();

// Copies every file of `sorgente` that `destinazione` lacks, and replaces a file that is, byte
// for byte, one of `superate` (a demo file no user changed); never overwrites anything else.
// Returns false with a reason when a folder or file cannot be made.
bool completaDaDemo(const QString& sorgente, const QString& destinazione, QString* errore,
                    const QList<VersioneSuperata>& superate = versioniSuperate());

} // namespace hn
