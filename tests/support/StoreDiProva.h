#pragma once

// Store fixtures: pictures, raw ZIP files with names our packer would refuse, damaged copies.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <utility>

namespace hn::prova {

// A picture of one colour in a format Qt writes ("PNG", "BMP", "JPG").
QByteArray immagineDiProva(int larghezza, int altezza, QColor colore, const char* formato = "PNG");

// A ZIP file written with libzip directly, names taken byte for byte.
void scriviZipGrezzo(const QString& file, const QList<std::pair<QByteArray, QByteArray>>& voci,
                     bool deflate);

// Rewrites a 32-bit field of the first entry's central directory record (16 CRC, 24 size).
void alteraDirectory(const QString& file, int campo, quint32 valore);

// Every file under a host folder, relative to it, sorted.
QStringList tuttiIFile(const QString& cartella);

// Makes a host folder refuse new files, for root too (immutable attribute); false when this
// file system cannot. Called again with false to undo.
bool soloLettura(const QString& cartella, bool si);

} // namespace hn::prova
