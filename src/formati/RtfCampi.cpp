#include "RtfLettore.h"

// Fields: a HYPERLINK's target makes its result a link; other fields show their result only.

namespace hn::rtf {

// The target of a HYPERLINK field instruction, empty for any other field.
QString destinazioneCollegamento(const QString& istruzione) {
    const QString s = istruzione.trimmed();
    if (!s.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    const qsizetype a = s.indexOf(QLatin1Char('"'));
    if (a >= 0) {
        const qsizetype b = s.indexOf(QLatin1Char('"'), a + 1);
        return s.mid(a + 1, b < 0 ? -1 : b - a - 1);
    }
    const QStringList parti = s.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < parti.size(); ++i)
        if (!parti[i].startsWith(QLatin1Char('\\')))
            return parti[i];
    return {};
}

} // namespace hn::rtf
