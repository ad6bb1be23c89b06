#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace hn {

// A picture decoded from its bytes (a store entry, a file read whole). The format comes from the
// bytes, never from a name: a text called .png is no picture. Error 481 when the bytes are no
// picture Qt can decode, or one too large to hold.
QImage decodificaImmagine(const QByteArray& dati);

// A picture read from a regular file, as decodificaImmagine decodes its bytes: the atlases'
// plain BMPs a band of rows at a time, into the picture, never the whole file in memory.
// Errors: those of the file (53 none, 75 not a regular file, or changed while read; 7 over
// `massimo` bytes), 481 as above.
QImage leggiImmagine(const QString& percorso, qint64 massimo);

// The format of bytes that open as Qt's own readers' do (BMP, PNG: every picture of an atlas);
// empty for any other. Naming it to the reader spares loading every image plugin to ask each
// whether it knows the bytes, milliseconds before the first frame.
QByteArray formatoDaiByte(QByteArrayView dati);

} // namespace hn
