#pragma once

#include "Controllo.h"

#include <QString>
#include <optional>

namespace hn {

// Loads the picture stored under `nome` into `target`: an FXImage control or any other control
// through its Picture. The entry is read from the store in memory; nothing is written to disk.
//   silenzioso: when true, an error ends the routine without a message;
//   nascondi:   made invisible just before the picture is assigned;
//   store:      missing or 1 "BlobFoto.dat", 2 "BlobThum.dat", 3 "BlobCrop.dat" (PathFoto),
//               10 "Bit_Hd.ff" (PathSfondi), any other value "BlobCorp.dat" (PathFoto).
// Result: empty on success or for a blank name; 2 when the store holds no such entry (the target
// keeps its picture); the error's number when an error ended the routine or was passed over.
// Errors are reported with message 290: Retry repeats the failed step, Ignore goes on with the
// next one, any other answer ends the program.
std::optional<int> CaricaImmagine(const QString& nome, ControlloConPicture& target,
                                  std::optional<bool> silenzioso = std::nullopt,
                                  Controllo* nascondi = nullptr,
                                  std::optional<qint16> store = std::nullopt);

} // namespace hn
