#pragma once

#include <QByteArray>
#include <QImage>

namespace hn {

// A picture decoded from its bytes (a store entry, a file read whole). The format comes from the
// bytes, never from a name: a text called .png is no picture. Error 481 when the bytes are no
// picture Qt can decode, or one too large to hold.
QImage decodificaImmagine(const QByteArray& dati);

} // namespace hn
