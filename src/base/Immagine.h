#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace hn {

// A picture decoded from its bytes (a store entry, a file read whole). The format comes from the
// bytes, never from a name: a text called .png is no picture. Error 481 when the bytes are no
// picture Qt can decode, or one too large to hold.
QImage decodificaImmagine(const QByteArray& dati);

// The format of bytes that open as Qt's own readers' do (BMP, PNG: every picture of an atlas);
// empty for any other. Naming it to the reader spares loading every image plugin to ask each
// whether it knows the bytes, milliseconds before the first frame.
QByteArray formatoDaiByte(QByteArrayView dati);

} // namespace hn
