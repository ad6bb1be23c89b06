#include "ValoreNumerico.h"

#include <cctype>

namespace hn {

double valoreIniziale(const QString& testo) {
    const QString t = testo.trimmed();
    if (t.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive)) {
        qsizetype fine = 2;
        // isxdigit of a negative char is undefined: only ASCII reaches it.
        while (fine < t.size() && fine < 10 && t[fine].unicode() < 0x80 &&
               isxdigit(t[fine].unicode()))
            ++fine;
        bool ok = false;
        const long long v = t.sliced(2, fine - 2).toLongLong(&ok, 16);
        return ok ? double(v) : 0.0;
    }
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    qsizetype cifre = 0;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80) {
        ++i;
        ++cifre;
    }
    if (i < t.size() && t[i] == u'.') {
        ++i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80) {
            ++i;
            ++cifre;
        }
    }
    if (cifre == 0)
        return 0.0;
    qsizetype fineMantissa = i;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E' || t[i] == u'd' || t[i] == u'D')) {
        qsizetype j = i + 1;
        if (j < t.size() && (t[j] == u'+' || t[j] == u'-'))
            ++j;
        const qsizetype inizioEsponente = j;
        while (j < t.size() && t[j].isDigit() && t[j].unicode() < 0x80)
            ++j;
        if (j > inizioEsponente)
            fineMantissa = j;
    }
    QString numero = t.first(fineMantissa);
    for (QChar& c : numero)
        if (c == u'd' || c == u'D')
            c = u'e';
    return numero.toDouble();
}

} // namespace hn
