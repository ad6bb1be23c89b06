#include "RtfReader.h"

#include "RtfLettore.h"

#include <QTextCursor>
#include <QTextDocument>

namespace hn {

using rtf::Lettore;

bool sembraRtf(QByteArrayView dati) {
    qsizetype i = 0;
    if (dati.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < dati.size() &&
           (dati[i] == ' ' || dati[i] == '\t' || dati[i] == '\r' || dati[i] == '\n'))
        ++i;
    return dati.sliced(i).startsWith("{\\rtf");
}

bool sembraRtf(QStringView testo) {
    return testo.trimmed().startsWith(QLatin1String("{\\rtf"));
}

void leggiRtf(QByteArrayView rtf, QTextDocument& documento) {
    // A new content is not an edit to undo: recording every insertion would only cost time.
    const bool annulla = documento.isUndoRedoEnabled();
    documento.setUndoRedoEnabled(false);
    documento.clear();
    QTextCursor cursore(&documento);
    // One edit block: the text is laid out once, when all of it is in, not again at every
    // insert. It is also what gets it drawn: setting a paragraph mark's character format drops
    // that paragraph's layout and Qt does not make it again (a one-paragraph text drew blank
    // until the control was resized); the block's single change lays out the whole text anew.
    cursore.beginEditBlock();
    Lettore(rtf, cursore, false).leggi();
    cursore.endEditBlock();
    documento.setUndoRedoEnabled(annulla);
}

void inserisciRtf(QByteArrayView rtf, QTextCursor& cursore) {
    cursore.beginEditBlock();
    if (cursore.hasSelection())
        cursore.removeSelectedText();
    Lettore(rtf, cursore, true).leggi();
    cursore.endEditBlock();
}

QByteArray rtfDaStringa(QStringView testo) {
    QByteArray out;
    out.reserve(testo.size());
    for (QChar c : testo) {
        if (c.unicode() < 0x80) {
            out.append(static_cast<char>(c.unicode()));
        } else {
            // A group of its own, so that no fallback character is skipped after it.
            out.append("{\\uc0\\u");
            out.append(QByteArray::number(static_cast<short>(c.unicode())));
            out.append(" }");
        }
    }
    return out;
}

} // namespace hn
