#pragma once

// What the rich-text tests share: a readable dump of what RTF reads as, and the corpus files.

#include "RtfDump.h"
#include "RtfReader.h"

#include <QFile>
#include <QTextDocument>

namespace hn::prova {

inline QString dump(QByteArrayView rtf) {
    QTextDocument d;
    leggiRtf(rtf, d);
    return descriviDocumento(d);
}

// RTF held in a string, as the controls' members hand it over.
inline QString dumpTesto(const QString& rtf) {
    const QByteArray byte = rtfDaStringa(rtf);
    return dump(byte);
}

#ifdef RTF_CORPUS
inline QByteArray corpus(const char* nome) {
    QFile f(QStringLiteral(RTF_CORPUS "/") + QLatin1String(nome));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing corpus file %s", nome);
    return f.readAll();
}
#endif

} // namespace hn::prova
