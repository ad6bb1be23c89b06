#include "Normalizza.h"

#include <array>

namespace hn {

namespace {

// Letters with a stroke or a ligature that no Unicode decomposition reduces to a base letter.
char16_t senzaTratto(char16_t c) {
    switch (c) {
    case u'ł':
        return u'l';
    case u'đ':
        return u'd';
    case u'ø':
        return u'o';
    case u'ħ':
        return u'h';
    case u'ŧ':
        return u't';
    case u'ß':
        return u's';
    case u'æ':
        return u'a';
    case u'œ':
        return u'o';
    default:
        return c;
    }
}

// The base letter of one character, lower case; 0 for a character that is no letter or digit.
char16_t base(char16_t c) {
    QString d = QString(QChar(c)).toLower().normalized(QString::NormalizationForm_KD);
    for (QChar x : d)
        if (x.isLetterOrNumber())
            return senzaTratto(x.unicode());
    return 0;
}

// Latin scripts up to Latin Extended-B looked up, everything else worked out per character.
constexpr char16_t Tabellati = 0x250;
const std::array<char16_t, Tabellati>& tabella() {
    static const std::array<char16_t, Tabellati> t = [] {
        std::array<char16_t, Tabellati> a{};
        for (char16_t c = 0; c < Tabellati; ++c)
            a[c] = base(c);
        return a;
    }();
    return t;
}

} // namespace

QString normalizza(QStringView testo) {
    const auto& t = tabella();
    // Never longer than the text: written in place, cut to length once, since the search's index
    // runs every caption of an atlas through here.
    QString out(testo.size(), Qt::Uninitialized);
    QChar* o = out.data();
    qsizetype n = 0;
    bool spazio = true;
    for (QChar q : testo) {
        const char16_t u = q.unicode();
        if (u >= Tabellati && q.category() == QChar::Mark_NonSpacing)
            continue;
        const char16_t b = u < Tabellati ? t[u] : base(u);
        if (b) {
            o[n++] = QChar(b);
            spazio = false;
        } else if (!spazio) {
            o[n++] = u' ';
            spazio = true;
        }
    }
    if (n > 0 && o[n - 1] == u' ')
        --n;
    out.truncate(n);
    return out;
}

} // namespace hn
