#pragma once

#include <QByteArrayView>
#include <QString>

namespace hn {

// GetPrivateProfileString over an INI file's bytes (Windows-1250, or UTF-8 after a BOM):
// sections and keys without regard to case, the first match wins, values trimmed and freed of
// one pair of surrounding quotes. At most size - 1 characters are copied into `out`; the result
// is their count. A missing section or key copies `defaultValue`.
int leggiProfiloPrivato(QByteArrayView ini, const QString& section, const QString& key,
                        const QString& defaultValue, QString& out, int size);

// An INI file's bytes, through the safe reader (regular files only, at most 16 MiB; errors are
// thrown). Kept while the file stays the same one, so a file asked for key by key is read once.
QByteArray leggiFileIni(const QString& percorsoHost);

// The same on a file named by a Windows path; a file that is missing, a folder or unreadable
// reads as empty.
int GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                            QString& out, int size, const QString& windowsFile);

} // namespace hn
