#pragma once

#include <QString>
#include <QtGlobal>
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

} // namespace hn
