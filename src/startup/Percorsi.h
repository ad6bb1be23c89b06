#pragma once

#include <QString>

// Path and file-name routines shared by the whole program. Paths are Windows-form texts.
namespace hn::Mod_Comuni {

// True when a normal file matches the path (wildcards allowed); folders, hidden and system files
// count as absent, and every error reads as false.
bool EsisteFile(const QString& percorso);

// Trimmed, with one backslash at the end (the empty text gives a lone backslash).
QString AggiungiSlash(const QString& testo);

// Trimmed, with one trailing backslash removed.
QString EliminaSlash(const QString& testo);

// The text before the first NUL, trimmed.
QString TogliNull(const QString& testo);

// The file-name part: after the last backslash, then after the last colon.
QString EstraiNomeFileDaPathname(const QString& percorso);

// The folder part with its trailing backslash; empty when the path names no file.
QString EstraiPathnameDaFile(const QString& percorso);

} // namespace hn::Mod_Comuni
