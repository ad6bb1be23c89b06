#include "TestoLimitato.h"

#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace hn {

namespace {

constexpr QChar Puntini = u'…';

bool separa(QChar c) {
    return c.isSpace() || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

MisuraTesto misuraTesto(QStringView testo) {
    MisuraTesto m;
    m.lunghezza = testo.size();
    qsizetype parola = 0;
    for (QChar c : testo) {
        parola = separa(c) ? 0 : parola + 1;
        m.parolaPiuLunga = std::max(m.parolaPiuLunga, parola);
    }
    return m;
}

bool limitaTesto(QTextDocument& d) {
    bool tagliato = false;
    QTextCursor c(&d);
    c.beginEditBlock();
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        const QString t = b.text();
        if (t.size() <= ParolaMassima)
            continue;
        // Where each overlong word starts and ends, cut from the last so positions hold.
        QList<std::pair<int, int>> lunghe;
        for (int i = 0; i < t.size();) {
            if (separa(t[i])) {
                ++i;
                continue;
            }
            int j = i;
            while (j < t.size() && !separa(t[j]))
                ++j;
            if (j - i > ParolaMassima)
                lunghe.append({i, j});
            i = j;
        }
        for (qsizetype k = lunghe.size(); k-- > 0;) {
            c.setPosition(b.position() + lunghe[k].first + int(ParolaMassima));
            c.setPosition(b.position() + lunghe[k].second, QTextCursor::KeepAnchor);
            c.removeSelectedText();
            c.insertText(QString(Puntini));
            tagliato = true;
        }
    }
    // Then the whole, counted once the words are cut.
    if (d.characterCount() - 1 > TestoMassimo) {
        c.setPosition(int(TestoMassimo));
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.insertText(QString(Puntini));
        tagliato = true;
    }
    c.endEditBlock();
    return tagliato;
}

} // namespace hn
