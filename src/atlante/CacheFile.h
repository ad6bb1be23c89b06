#pragma once

// One cache for everything read from the installation: a file's contents are kept while the
// file on disk stays the same one (same inode, size and times), and read anew once it changes.

#include "IdentitaFile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace hn::atlante {

// What a set of files is now: equal prints mean nothing was added, removed or rewritten.
struct Impronta {
    QList<std::optional<IdentitaFile>> file;
    bool operator==(const Impronta&) const = default;
};
Impronta improntaDi(const QStringList& percorsiHost);

template <typename T> class CacheFile {
public:
    using Lettore = std::function<std::shared_ptr<const T>(const QString& percorsoHost)>;

    // The value read from the file, reading it only when the file changed since. A file that is
    // gone drops its value; errors from the reader pass through and cache nothing.
    std::shared_ptr<const T> prendi(const QString& percorsoHost, const Lettore& leggi) {
        const std::optional<IdentitaFile> ora = identitaDi(percorsoHost);
        const auto it = voci_.constFind(percorsoHost);
        if (ora && it != voci_.constEnd() && it->first == *ora)
            return it->second;
        voci_.remove(percorsoHost);
        std::shared_ptr<const T> valore = leggi(percorsoHost);
        if (ora && valore)
            voci_.insert(percorsoHost, {*ora, valore});
        return valore;
    }
    void svuota() { voci_.clear(); }

private:
    QHash<QString, std::pair<IdentitaFile, std::shared_ptr<const T>>> voci_;
};

} // namespace hn::atlante
