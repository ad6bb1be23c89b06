#pragma once

#include "Lettore.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <functional>
#include <optional>

namespace hn::winhelp {

// A help file's container: the header, the directory of internal files (a B+ tree) and the
// files themselves, each a view into the bytes the container keeps.
class Contenitore {
public:
    // Throws ErroreGuida when the bytes are no help file or the directory is broken.
    explicit Contenitore(QByteArray dati);

    std::optional<QByteArrayView> file(QByteArrayView nome) const;
    QList<QByteArray> nomi() const { return file_.keys(); }

private:
    QByteArray dati_;
    QMap<QByteArray, QByteArrayView> file_;
};

// Every leaf entry of a B+ tree in key order: `voce` reads one entry from the reader and must
// leave it at the next. Loops between pages, too many levels and entries outside their page are
// damage, not a hang.
void percorriAlbero(QByteArrayView albero, const QString& nome,
                    const std::function<void(Lettore&)>& voce);

} // namespace hn::winhelp
