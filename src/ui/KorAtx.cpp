#include "KorAtx.h"

#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "IdentitaFile.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QTextBlock>
#include <QTextDocumentFragment>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace hn {

namespace {

constexpr int kVersione = 400;

std::int32_t nuovoHandle() {
    static std::atomic<std::int32_t> prossimo{0x4B00};
    return ++prossimo;
}

// Applies a block-format change to every paragraph a cursor's selection touches.
template <typename F> void perParagrafi(QTextCursor c, F cambia) {
    const int fine = c.selectionEnd();
    QTextBlock b = c.document()->findBlock(c.selectionStart());
    c.beginEditBlock();
    for (; b.isValid() && b.position() <= fine; b = b.next()) {
        QTextCursor cb(b);
        QTextBlockFormat f = b.blockFormat();
        cambia(f);
        cb.setBlockFormat(f);
    }
    c.endEditBlock();
}

} // namespace

KorAtx::KorAtx(QWidget* parent)
    : ControlloTestoRicco(parent)
    , handle_(nuovoHandle()) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

QString KorAtx::FText() const {
    if (selFType_ == kTestoSemplice)
        return testoSemplice();
    return QString::fromLatin1(rtf());
}

void KorAtx::setFText(const QString& testo) {
    impostaTesto(testo);
}

QString KorAtx::SelText() const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection())
        return {};
    if (selFType_ == kTestoSemplice)
        return c.selection().toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return QString::fromLatin1(scriviRtf(c));
}

void KorAtx::setSelText(const QString& testo) {
    QTextCursor c = textCursor();
    if (sembraRtf(testo)) {
        inserisciRtf(rtfDaStringa(testo), c);
    } else {
        QString t = testo;
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        c.insertText(t);
    }
    setTextCursor(c);
}

void KorAtx::setSelIndent(int twips) {
    perParagrafi(textCursor(), [twips](QTextBlockFormat& f) { f.setLeftMargin(twips / 15.0); });
}

void KorAtx::setSelRightIndent(int twips) {
    perParagrafi(textCursor(), [twips](QTextBlockFormat& f) { f.setRightMargin(twips / 15.0); });
}

std::unique_ptr<QTextDocument> KorAtx::documentoDaStampare() const {
    std::unique_ptr<QTextDocument> d(document()->clone());
    const QTextCursor sel = textCursor();
    if (sel.hasSelection()) {
        QTextCursor c(d.get());
        // Everything outside the selection goes; resources stay with the clone.
        c.setPosition(sel.selectionEnd());
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.setPosition(0);
        c.setPosition(sel.selectionStart(), QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    if (allineamentoStampa_ >= 1 && allineamentoStampa_ <= 3) {
        static constexpr Qt::Alignment allineamenti[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                         Qt::AlignRight};
        QTextCursor tutto(d.get());
        tutto.select(QTextCursor::Document);
        perParagrafi(tutto, [a = allineamenti[allineamentoStampa_ - 1]](QTextBlockFormat& f) {
            f.setAlignment(a);
        });
    }
    return d;
}

void KorAtx::Copia(int tipo) {
    if (tipo > 0)
        copia();
}

void KorAtx::ComandoFile(int comando) {
    if (comando != kScriviFile && comando != kAggiungiAlFile)
        return;
    const QTextCursor sel = textCursor();
    if (!sel.hasSelection())
        return;
    const QString percorso = percorsoHost(nomeFile_);
    QByteArray contenuto = scriviRtf(sel);
    if (comando == kAggiungiAlFile) {
        if (identitaDi(percorso)) {
            // A FIFO in the file's place would never answer: refused like a locked file.
            constexpr qint64 TestoMassimo = qint64(256) * 1024 * 1024;
            const QByteArray prima = leggiFileRegolare(percorso, TestoMassimo);
            // Read back as one document, the selection after the file's own text. A file that
            // is not RTF keeps its text as plain paragraphs: appending never drops it.
            QTextDocument unito;
            if (sembraRtf(prima)) {
                leggiRtf(prima + contenuto, unito);
            } else {
                unito.setPlainText(decodeCp1250(prima));
                QTextCursor fine(&unito);
                fine.movePosition(QTextCursor::End);
                if (!fine.block().text().isEmpty())
                    fine.insertBlock();
                inserisciRtf(contenuto, fine);
            }
            contenuto = scriviRtf(unito);
        }
    }
    scriviFileSicuro(percorso, contenuto);
}

std::span<const KorAtx::MembroNumerato<KorAtx>> KorAtx::membri() {
    using C = KorAtx;
    using V = const QVariant&;
    // Indents are kept in pixels by the document: 15 twips each.
    static constexpr MembroNumerato<C> tabella[] = {
        {MembroSelFType, [](const C& c) -> QVariant { return c.SelFType(); },
         [](C& c, V v) { c.setSelFType(v.toInt()); }},
        {MembroAllineamentoStampa, [](const C& c) -> QVariant { return c.AllineamentoStampa(); },
         [](C& c, V v) { c.setAllineamentoStampa(v.toInt()); }},
        {MembroNomeFile, [](const C& c) -> QVariant { return c.nomeFile_; },
         [](C& c, V v) { c.nomeFile_ = v.toString(); }},
        {MembroComandoFile, nullptr, [](C& c, V v) { c.ComandoFile(v.toInt()); }},
        {MembroRientroDestro,
         [](const C& c) -> QVariant {
             return static_cast<int>(
                 std::lround(c.textCursor().blockFormat().rightMargin() * 15.0));
         },
         [](C& c, V v) { c.setSelRightIndent(v.toInt()); }},
        {MembroFText, [](const C& c) -> QVariant { return c.FText(); },
         [](C& c, V v) { c.setFText(v.toString()); }},
        {MembroSelLength, [](const C& c) -> QVariant { return c.SelLength(); },
         [](C& c, V v) { c.setSelLength(v.toInt()); }},
        {MembroSelStart, [](const C& c) -> QVariant { return c.SelStart(); },
         [](C& c, V v) { c.setSelStart(v.toInt()); }},
        {MembroRientroSinistro,
         [](const C& c) -> QVariant {
             return static_cast<int>(std::lround(c.textCursor().blockFormat().leftMargin() * 15.0));
         },
         [](C& c, V v) { c.setSelIndent(v.toInt()); }},
        {MembroCopia, nullptr, [](C& c, V v) { c.Copia(v.toInt()); }},
        {MembroVersione, [](const C&) -> QVariant { return kVersione; }, nullptr},
        {MembroLunghezza, [](const C& c) -> QVariant { return c.lunghezza(); }, nullptr},
        {MembroHandle, [](const C& c) -> QVariant { return c.Handle(); }, nullptr},
    };
    return tabella;
}

QVariant KorAtx::membro(int numero) const {
    return leggiMembro(membri(), *this, numero);
}

void KorAtx::impostaMembro(int numero, const QVariant& valore) {
    scriviMembro(membri(), *this, numero, valore);
}

QVariant KorAtx::membro(QStringView nome) const {
    if (nome.compare(QLatin1String("FText"), Qt::CaseInsensitive) == 0)
        return FText();
    if (nome.compare(QLatin1String("SelText"), Qt::CaseInsensitive) == 0)
        return SelText();
    if (nome.compare(QLatin1String("SelFType"), Qt::CaseInsensitive) == 0)
        return SelFType();
    if (nome.compare(QLatin1String("SelStart"), Qt::CaseInsensitive) == 0)
        return SelStart();
    if (nome.compare(QLatin1String("SelLength"), Qt::CaseInsensitive) == 0)
        return SelLength();
    if (nome.compare(QLatin1String("Visible"), Qt::CaseInsensitive) == 0)
        return Visible();
    membroSconosciuto();
}

void KorAtx::impostaMembro(QStringView nome, const QVariant& valore) {
    if (nome.compare(QLatin1String("FText"), Qt::CaseInsensitive) == 0)
        setFText(valore.toString());
    else if (nome.compare(QLatin1String("SelText"), Qt::CaseInsensitive) == 0)
        setSelText(valore.toString());
    else if (nome.compare(QLatin1String("SelFType"), Qt::CaseInsensitive) == 0)
        setSelFType(valore.toInt());
    else if (nome.compare(QLatin1String("SelStart"), Qt::CaseInsensitive) == 0)
        setSelStart(valore.toInt());
    else if (nome.compare(QLatin1String("SelLength"), Qt::CaseInsensitive) == 0)
        setSelLength(valore.toInt());
    else if (nome.compare(QLatin1String("Visible"), Qt::CaseInsensitive) == 0)
        setVisible(valore.toBool());
    else
        membroSconosciuto();
}

} // namespace hn
