#include "RichTextBox.h"

#include "TestoLimitato.h"

#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "HostPaths.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QUrl>
#include <algorithm>
#include <memory>

namespace hn {

namespace {

constexpr int kMembroSconosciuto = 438;

QString normalizzaRighe(QString testo) {
    testo.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    testo.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return testo;
}

// Pictures in the HTML form travel inside it: a browser has no access to the document's
// resources.
QString htmlConImmagini(const QTextCursor& selezione) {
    const QTextDocumentFragment frammento = selezione.selection();
    QString html = frammento.toHtml();
    const QTextDocument* d = selezione.document();
    QTextDocument parte;
    QTextCursor(&parte).insertFragment(frammento);
    for (QTextBlock b = parte.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!f.isImageFormat())
                continue;
            const QString nome = f.toImageFormat().name();
            const QVariant r = d->resource(QTextDocument::ImageResource, QUrl(nome));
            const QImage img = r.typeId() == QMetaType::QImage ? r.value<QImage>() : QImage();
            if (img.isNull())
                continue;
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            img.save(&buffer, "PNG");
            html.replace(QStringLiteral("src=\"") + nome + QLatin1Char('"'),
                         QStringLiteral("src=\"data:image/png;base64,") +
                             QString::fromLatin1(png.toBase64()) + QLatin1Char('"'));
        }
    return html;
}

} // namespace

ControlloTestoRicco::ControlloTestoRicco(QWidget* parent)
    : QTextEdit(parent)
    , BaseControllo(this) {
    setAcceptRichText(true);
    // Qt's own menu would copy through Qt's clipboard.
    setContextMenuPolicy(Qt::NoContextMenu);
}

bool ControlloTestoRicco::Visible() const {
    return !testAttribute(Qt::WA_WState_ExplicitShowHide) || !isHidden();
}

int ControlloTestoRicco::lunghezza() const {
    return document()->characterCount() - 1;
}

int ControlloTestoRicco::SelStart() const {
    return textCursor().selectionStart();
}

void ControlloTestoRicco::setSelStart(int inizio) {
    QTextCursor c = textCursor();
    c.setPosition(std::clamp(inizio, 0, lunghezza()));
    setTextCursor(c);
}

int ControlloTestoRicco::SelLength() const {
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void ControlloTestoRicco::setSelLength(int quanti) {
    QTextCursor c = textCursor();
    const int inizio = c.selectionStart();
    c.setPosition(inizio);
    c.setPosition(std::clamp(inizio + std::max(quanti, 0), 0, lunghezza()),
                  QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QByteArray ControlloTestoRicco::rtf() const {
    return scriviRtf(*document());
}

template <typename Carica> void ControlloTestoRicco::riempi(Carica&& carica) {
    if (!limitato_) {
        carica();
        return;
    }
    // One edit block around the load and the cut: the document is laid out once, at its end.
    QTextCursor blocco(document());
    blocco.beginEditBlock();
    carica();
    limitaTesto(*document());
    blocco.endEditBlock();
}

void ControlloTestoRicco::impostaTesto(const QString& testo) {
    if (sembraRtf(testo)) {
        riempi([&] { leggiRtf(rtfDaStringa(testo), *document()); });
        setTextCursor(QTextCursor(document()));
    } else {
        impostaTestoSemplice(testo);
    }
}

QString ControlloTestoRicco::testoSemplice() const {
    QStringList righe;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        QString t = b.text();
        t.remove(QChar::ObjectReplacementCharacter);
        t.replace(QChar::LineSeparator, QLatin1String("\r\n"));
        righe.append(t);
    }
    return righe.join(QLatin1String("\r\n"));
}

void ControlloTestoRicco::impostaTestoSemplice(const QString& testo) {
    riempi([&] { setPlainText(normalizzaRighe(testo)); });
    setTextCursor(QTextCursor(document()));
}

ClipboardContents ControlloTestoRicco::contenutoSelezione() const {
    const QTextCursor c = textCursor();
    ClipboardContents contenuto;
    if (!c.hasSelection())
        return contenuto;
    contenuto.rtf = scriviRtf(c);
    contenuto.html = htmlConImmagini(c);
    contenuto.text = c.selection().toPlainText().remove(QChar::ObjectReplacementCharacter);
    return contenuto;
}

void ControlloTestoRicco::copia() {
    if (textCursor().hasSelection())
        host().clipboard->put(contenutoSelezione());
}

void ControlloTestoRicco::incolla() {
    if (isReadOnly())
        return;
    const ClipboardContents c = host().clipboard->contents();
    QTextCursor cursore = textCursor();
    if (!c.rtf.isEmpty()) {
        inserisciRtf(c.rtf, cursore);
    } else if (!c.html.isEmpty()) {
        cursore.insertHtml(c.html);
    } else if (!c.text.isEmpty()) {
        cursore.insertText(
            normalizzaRighe(c.text).replace(QLatin1Char('\n'), QChar::ParagraphSeparator));
    } else if (!c.image.isNull()) {
        const QString nome = QStringLiteral("appunti:%1").arg(c.image.cacheKey());
        document()->addResource(QTextDocument::ImageResource, QUrl(nome), c.image);
        cursore.insertImage(nome);
    }
    setTextCursor(cursore);
}

void ControlloTestoRicco::keyPressEvent(QKeyEvent* e) {
    if (e == QKeySequence::Paste) {
        incolla();
        e->accept();
        return;
    }
    if (e == QKeySequence::Copy) {
        copia();
        e->accept();
        return;
    }
    if (e == QKeySequence::Cut) {
        copia();
        if (!isReadOnly())
            textCursor().removeSelectedText();
        e->accept();
        return;
    }
    QTextEdit::keyPressEvent(e);
}

QMimeData* ControlloTestoRicco::createMimeDataFromSelection() const {
    const ClipboardContents c = contenutoSelezione();
    auto* dati = new QMimeData;
    dati->setData(QStringLiteral("text/rtf"), c.rtf);
    dati->setHtml(c.html);
    dati->setText(c.text);
    return dati;
}

bool ControlloTestoRicco::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasFormat(QStringLiteral("text/rtf")) ||
           QTextEdit::canInsertFromMimeData(source);
}

void ControlloTestoRicco::insertFromMimeData(const QMimeData* source) {
    if (source->hasFormat(QStringLiteral("text/rtf"))) {
        QTextCursor c = textCursor();
        inserisciRtf(source->data(QStringLiteral("text/rtf")), c);
        setTextCursor(c);
        return;
    }
    QTextEdit::insertFromMimeData(source);
}

QString ControlloTestoRicco::percorsoHost(const QString& percorso) {
    const std::optional<QString> h = host().paths->toHost(percorso);
    if (!h)
        throw ErroreVB(Errore::AccessoPercorso);
    return *h;
}

void ControlloTestoRicco::membroSconosciuto() {
    throw ErroreVB(kMembroSconosciuto,
                   QStringLiteral("Obiekt nie obsługuje tej właściwości lub metody"));
}

RichTextBox::RichTextBox(QWidget* parent)
    : ControlloTestoRicco(parent) {}

void RichTextBox::LoadFile(const QString& percorso, int tipo) {
    // Past this no text is one a panel could show; a FIFO or device is never waited on.
    constexpr qint64 FileMassimo = qint64(256) * 1024 * 1024;
    caricaDati(leggiFileRegolare(percorsoHost(percorso), FileMassimo), tipo);
}

void RichTextBox::caricaDati(const QByteArray& tutti, int tipo) {
    // A panel reads no more than it could show: past this the reading alone would keep the
    // screen busy for seconds.
    const bool tagliato = limitato_ && tutti.size() > RtfMassimo;
    const QByteArrayView dati = tagliato ? QByteArrayView(tutti).first(RtfMassimo) : tutti;
    if (tipo == rtfRTF && sembraRtf(dati)) {
        riempi([&] {
            leggiRtf(dati, *document());
            if (tagliato) {
                QTextCursor fine(document());
                fine.movePosition(QTextCursor::End);
                fine.insertText(QStringLiteral("…"));
            }
        });
        setTextCursor(QTextCursor(document()));
    } else {
        impostaTestoSemplice(decodeCp1250(dati) + (tagliato ? QStringLiteral("…") : QString()));
    }
}

void RichTextBox::SaveFile(const QString& percorso, int tipo) const {
    scriviFileSicuro(percorsoHost(percorso),
                     tipo == rtfText ? encodeCp1250(testoSemplice()) : rtf());
}

QString RichTextBox::TextRTF() const {
    return QString::fromLatin1(rtf());
}

void RichTextBox::setTextRTF(const QString& testo) {
    impostaTesto(testo);
}

int RichTextBox::GetLineFromChar(int posizione) {
    // Counted on a copy laid out at once at the control's inside width: the control's own layout
    // is lazy, and a hidden control has not had its size delivered yet.
    int larghezza = width() - 2 * frameWidth();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        larghezza -= verticalScrollBar()->sizeHint().width();
    std::unique_ptr<QTextDocument> d(document()->clone());
    d->setDefaultFont(document()->defaultFont());
    d->setDocumentMargin(document()->documentMargin());
    if (lineWrapMode() != QTextEdit::NoWrap)
        d->setTextWidth(std::max(larghezza, 1));
    d->size(); // lays the whole document out
    posizione = std::clamp(posizione, 0, lunghezza());
    const QTextBlock bersaglio = d->findBlock(posizione);
    int linea = 0;
    for (QTextBlock b = d->begin(); b.isValid(); b = b.next()) {
        const QTextLayout* l = b.layout();
        if (b == bersaglio) {
            const QTextLine riga = l->lineForTextPosition(posizione - b.position());
            return linea + (riga.isValid() ? riga.lineNumber() : std::max(l->lineCount() - 1, 0));
        }
        linea += std::max(l->lineCount(), 1);
    }
    return std::max(linea - 1, 0);
}

bool RichTextBox::SelProtected() const {
    return textCursor().charFormat().property(QTextFormat::UserProperty).toBool();
}

void RichTextBox::setSelProtected(bool protetto) {
    QTextCharFormat f;
    f.setProperty(QTextFormat::UserProperty, protetto);
    textCursor().mergeCharFormat(f);
}

void RichTextBox::setLocked(bool bloccato) {
    setReadOnly(bloccato);
    if (bloccato)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

std::span<const RichTextBox::MembroNumerato<RichTextBox>> RichTextBox::membri() {
    using C = RichTextBox;
    using V = const QVariant&;
    static constexpr MembroNumerato<C> tabella[] = {
        {MembroText, [](const C& c) -> QVariant { return c.Text(); },
         [](C& c, V v) { c.setText(v.toString()); }},
        {MembroTextRTF, [](const C& c) -> QVariant { return c.TextRTF(); },
         [](C& c, V v) { c.setTextRTF(v.toString()); }},
        {MembroSelStart, [](const C& c) -> QVariant { return c.SelStart(); },
         [](C& c, V v) { c.setSelStart(v.toInt()); }},
        {MembroSelLength, [](const C& c) -> QVariant { return c.SelLength(); },
         [](C& c, V v) { c.setSelLength(v.toInt()); }},
        {MembroSelProtected, [](const C& c) -> QVariant { return c.SelProtected(); },
         [](C& c, V v) { c.setSelProtected(v.toBool()); }},
    };
    return tabella;
}

QVariant RichTextBox::membro(int numero) const {
    return leggiMembro(membri(), *this, numero);
}

void RichTextBox::impostaMembro(int numero, const QVariant& valore) {
    scriviMembro(membri(), *this, numero, valore);
}

} // namespace hn
