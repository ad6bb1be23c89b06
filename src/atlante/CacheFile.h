#pragma once

// The installation's files as the atlas reads them: one cache for all (CacheFile, a file's
// contents kept while the file on disk stays the same one) and the print of a set of files.

#include "IdentitaFile.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace hn::atlante {

using hn::CacheFile;

// What a set of files is now: equal prints mean nothing was added, removed or rewritten.
struct Impronta {
    QList<std::optional<IdentitaFile>> file;
    bool operator==(const Impronta&) const = default;
};
Impronta improntaDi(const QStringList& percorsiHost);

} // namespace hn::atlante
