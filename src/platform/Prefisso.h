#pragma once

#include <QString>

namespace hn {

// Where the installation lives: HNEMAR_PREFIX, else a folder in the user's data folder.
struct Prefisso {
    QString cartella;
    bool daAmbiente = false; // named by HNEMAR_PREFIX
};

Prefisso scegliPrefisso();

// The bundled demo installation: HNEMAR_DEMO, else beside the executable, else the build tree.
QString cartellaDemo();

// Copies every file of `sorgente` that `destinazione` lacks; never overwrites. Returns false with
// a reason when a folder or file cannot be made.
bool completaDaDemo(const QString& sorgente, const QString& destinazione, QString* errore);

} // namespace hn
