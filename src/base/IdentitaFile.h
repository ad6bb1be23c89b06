#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace hn {

// What tells that a file is still the one read before: the same inode with the same size and
// times. Readers that keep a file's contents between uses compare it before trusting them.
struct IdentitaFile {
    dev_t dispositivo = 0;
    ino_t inode = 0;
    off_t dimensione = 0;
    qint64 modifica = 0;
    qint64 cambio = 0;
    bool operator==(const IdentitaFile&) const = default;

    static IdentitaFile di(const struct stat& st) {
        const auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
        return {st.st_dev, st.st_ino, st.st_size, ns(st.st_mtim), ns(st.st_ctim)};
    }
};

// The identity of a host file now, through a link too; none when it does not exist or cannot be
// reached.
std::optional<IdentitaFile> identitaDi(const QString& percorsoHost);

// One cache for everything read from the installation (stores, the hotspot table): a file's
// contents are kept while the file on disk stays the same one, and read anew once it changes.
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

} // namespace hn
