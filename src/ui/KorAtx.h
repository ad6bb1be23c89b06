#pragma once

// KORATXLib.KorAtx: the rich-text control the viewer and the dialogs hand texts through, that
// puts a selection on the clipboard or into a copy file, and that the print entry points draw.

#include "RichTextBox.h"

#include <cstdint>
#include <memory>

namespace hn {

class KorAtx : public ControlloTestoRicco {
    Q_OBJECT
public:
    // Member numbers the forms use.
    enum Membro {
        MembroSelFType = 2,
        MembroAllineamentoStampa = 33,
        MembroNomeFile = 44,
        MembroComandoFile = 45,
        MembroRientroDestro = 49,
        MembroFText = 42,
        MembroSelLength = 89,
        MembroSelStart = 90,
        MembroRientroSinistro = 112,
        MembroCopia = 118,
        MembroVersione = 139,
        MembroLunghezza = 144,
        MembroHandle = 146,
    };
    // SelFType: 0 gives FText and SelText as plain text, anything else as RTF.
    static constexpr int kTestoSemplice = 0;
    static constexpr int kTuttiIFormati = 63;
    // Commands of member 45.
    static constexpr int kScriviFile = 1;
    static constexpr int kAggiungiAlFile = 2;

    explicit KorAtx(QWidget* parent = nullptr);

    // The whole text. Written: RTF, plain text, or RTF with more text joined after it (another
    // instance's FText, "\par" marks, a plain selection) all read as one document.
    QString FText() const;
    void setFText(const QString& testo);
    // The selection, "" when there is none; written, it replaces the selection.
    QString SelText() const;
    void setSelText(const QString& testo);
    int SelFType() const { return selFType_; }
    void setSelFType(int tipo) { selFType_ = tipo; }

    // How the print entry points align every paragraph (member 33): 0 as the text has it, 1 left,
    // 2 centre, 3 right.
    int AllineamentoStampa() const { return allineamentoStampa_; }
    void setAllineamentoStampa(int allineamento) { allineamentoStampa_ = allineamento; }
    // The name the print entry points know the control by (member 146).
    std::int32_t Handle() const { return handle_; }

    // Left and right indent, in twips, of the paragraphs the selection touches.
    void setSelIndent(int twips);
    void setSelRightIndent(int twips);

    // The selection, or the whole text when nothing is selected: what the print entry points draw.
    std::unique_ptr<QTextDocument> documentoDaStampare() const;

    // Puts the selection on the host clipboard as RTF, HTML and plain text (member 118). The
    // kind (2 a text, 1 a caption) changes nothing; 0 or less copies nothing.
    void Copia(int tipo);
    // Member 45: 1 writes the selection as the RTF file named by member 44, 2 appends it to that
    // file's text. Errors: 75 when the file cannot be read or written.
    void ComandoFile(int comando);

    // Late-bound access, by member number or by name; an unknown member raises error 438.
    QVariant membro(int numero) const;
    void impostaMembro(int numero, const QVariant& valore);
    QVariant membro(QStringView nome) const;
    void impostaMembro(QStringView nome, const QVariant& valore);

private:
    // Every member the forms reach by number, read and written from one row.
    static std::span<const MembroNumerato<KorAtx>> membri();

    int selFType_ = kTuttiIFormati;
    int allineamentoStampa_ = 0;
    QString nomeFile_;
    std::int32_t handle_;
};

} // namespace hn
