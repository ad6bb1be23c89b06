#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace hn {

// The atlas's files are Windows-1250 (Polish). Our own table keeps the decoding independent of
// which codecs the Qt build carries.
QString decodeCp1250(QByteArrayView bytes);
QChar cp1250ToUnicode(unsigned char byte);

// Characters the code page cannot hold become `fallback`.
QByteArray encodeCp1250(QStringView text, char fallback = '?');
// 0 when the character has no Windows-1250 byte.
unsigned char unicodeToCp1250(char16_t ch);

} // namespace hn
