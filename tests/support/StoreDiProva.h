#pragma once

// Store fixtures: archive stores packed with the project's own writer, raw ZIP files with names
// the writer would refuse, and damaged copies of them.

#include "BlobStore.h"
#include "HostDiProva.h"

#include <QColor>
#include <QList>
#include <QString>
#include <utility>

namespace hn::prova {

// A picture of one colour, encoded in a format Qt writes ("PNG", "BMP", "JPG").
QByteArray immagineDiProva(int larghezza, int altezza, QColor colore, const char* formato = "PNG");

// Packs a store at a Windows path of the test prefix (folders made as needed).
void scriviStore(const HostDiProva& host, const QString& windowsPath,
                 const QList<blob::VoceNuova>& voci);

// A ZIP file written with libzip directly, names taken as they are.
void scriviZipGrezzo(const QString& percorsoHost,
                     const QList<std::pair<QByteArray, QByteArray>>& voci, bool deflate);

// Rewrites a 32-bit field of an entry's central directory record (16 CRC, 20 packed size,
// 24 size) in a ZIP file, as a damaged or hostile store would have it.
void alteraDirectory(const QString& percorsoHost, const QByteArray& nome, int campo,
                     quint32 valore);

// Every file under a host folder, as paths relative to it, sorted.
QStringList tuttiIFile(const QString& cartella);

// Makes a host folder refuse new files for the life of the object, for root too.
class CartellaSolaLettura {
public:
    explicit CartellaSolaLettura(QString cartella);
    ~CartellaSolaLettura();
    CartellaSolaLettura(const CartellaSolaLettura&) = delete;
    CartellaSolaLettura& operator=(const CartellaSolaLettura&) = delete;
    // False when this file system lets nothing be made read-only for the current user.
    bool attiva() const { return attiva_; }

private:
    QString cartella_;
    bool immutabile_ = false;
    bool attiva_ = false;
};

} // namespace hn::prova
