#pragma once

// The rich-text controls. Both keep their text in the QTextEdit's document, take and give it as
// RTF, count selections in characters of the document (a paragraph mark counts one) and copy and
// paste through the host's clipboard, never Qt's.

#include "Controllo.h"
#include "Host.h"

#include <QTextEdit>
#include <QVariant>
#include <span>

namespace hn {

class ControlloTestoRicco : public QTextEdit, public BaseControllo {
    Q_OBJECT
public:
    explicit ControlloTestoRicco(QWidget* parent = nullptr);

    // The control's own Visible flag: true until the control is hidden, whether or not its form
    // is on screen yet.
    bool Visible() const override;

    // Characters in the document.
    int lunghezza() const;
    int SelStart() const;
    // Moves the caret and drops the selection; clamped to the text.
    void setSelStart(int inizio);
    int SelLength() const;
    // Selects from SelStart on; clamped to the text.
    void setSelLength(int lunghezza);

    // The whole text as RTF.
    QByteArray rtf() const;
    // RTF is read as such; anything else is taken as plain text.
    void impostaTesto(const QString& testo);
    // Paragraphs joined by CR LF, as the program's callers expect.
    QString testoSemplice() const;
    void impostaTestoSemplice(const QString& testo);
    // A panel on screen cuts words and texts too long to lay out in good time (TestoLimitato.h);
    // a work area, whose text goes to a file, keeps all of it.
    void setTestoLimitato(bool limitato) { limitato_ = limitato; }

    // The selection in the three forms a paste target may want.
    ClipboardContents contenutoSelezione() const;
    void copia();
    // Pastes the host clipboard's richest form at the caret; nothing when read-only.
    void incolla();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

    // Turns a Windows-form path into a host path; throws ErroreVB 75 when it names nothing.
    static QString percorsoHost(const QString& percorso);

    // A member reached by its number: how it is read and how it is written. A null reader or
    // writer is a way the member is not offered.
    template <class C> struct MembroNumerato {
        int numero;
        QVariant (*leggi)(const C&);
        void (*scrivi)(C&, const QVariant&);
    };
    // Late-bound access through a control's table; a number the table lacks, or a way its
    // member is not offered, raises error 438.
    template <class C>
    static QVariant leggiMembro(std::span<const MembroNumerato<C>> tabella, const C& c,
                                int numero) {
        for (const MembroNumerato<C>& m : tabella)
            if (m.numero == numero && m.leggi)
                return m.leggi(c);
        membroSconosciuto();
    }
    template <class C>
    static void scriviMembro(std::span<const MembroNumerato<C>> tabella, C& c, int numero,
                             const QVariant& valore) {
        for (const MembroNumerato<C>& m : tabella)
            if (m.numero == numero && m.scrivi)
                return m.scrivi(c, valore);
        membroSconosciuto();
    }
    [[noreturn]] static void membroSconosciuto();

    // Runs a load of the whole text; on a limited panel the cut is made before the text is laid
    // out, since laying out what is to be cut is what takes the time.
    template <typename Carica> void riempi(Carica&& carica);

    bool limitato_ = false;
};

// RichTextLib.RichTextBox: the description panel, the caption and the copy dialog's work area.
class RichTextBox : public ControlloTestoRicco {
    Q_OBJECT
public:
    // Member numbers the program uses.
    enum Membro {
        MembroText = -517,
        MembroTextRTF = 10,
        MembroSelStart = 8,
        MembroSelLength = 5,
        MembroSelProtected = 24,
    };
    enum TipoFile { rtfRTF = 0, rtfText = 1 };

    explicit RichTextBox(QWidget* parent = nullptr);

    // Loads an RTF file (a file that is not RTF comes in as Windows-1250 plain text).
    // Errors: 53 when the file is missing, 75 when it cannot be read.
    void LoadFile(const QString& percorso, int tipo = rtfRTF);
    // The same from bytes already read (a store's entry): RTF as such, anything else as plain
    // Windows-1250 text.
    void caricaDati(const QByteArray& dati, int tipo = rtfRTF);
    // Errors: 75 when the file cannot be written, 61 when the disk is full.
    void SaveFile(const QString& percorso, int tipo = rtfRTF) const;

    QString TextRTF() const;
    void setTextRTF(const QString& testo);
    QString Text() const { return testoSemplice(); }
    void setText(const QString& testo) { impostaTestoSemplice(testo); }

    // The display line (from 0, wrapped lines counted) that holds a character position; a
    // position past the end counts as the end.
    int GetLineFromChar(int posizione);

    // A protected span: the attribute travels with the text (RTF \protect) and changes nothing
    // on screen.
    bool SelProtected() const;
    void setSelProtected(bool protetto);

    double FontSize() const { return font().pointSizeF(); }

    void setLocked(bool bloccato);

    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    // Late-bound access by member number; an unknown number raises error 438.
    QVariant membro(int numero) const;
    void impostaMembro(int numero, const QVariant& valore);

private:
    // Every member the program reaches by number, read and written from one row.
    static std::span<const MembroNumerato<RichTextBox>> membri();
};

} // namespace hn
