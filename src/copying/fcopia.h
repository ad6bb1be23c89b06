#pragma once

// The copy dialog: a bitmap with transparent click areas and yellow marks. The visible marks are
// the user's choice of what to copy (selection, whole text, caption, picture) and where (the
// clipboard or the copy file); OK hands the choice to the copy job (LavoroDiCopia.h) and closes,
// ANNULLA gives up.

#include "DialogoComune.h"
#include "DialogoDisegnato.h"
#include "FormaUnica.h"
#include "KorAtx.h"
#include "LavoroDiCopia.h"

#include <QPointer>

namespace hn {

class RichTextBox;

class fcopia : public DialogoDisegnato, public FormaUnica<fcopia> {
    Q_OBJECT
public:
    fcopia();
    ~fcopia() override;

    // The dialog the program opens (istanza()) is made on first use and kept, as the other
    // forms are.

    // Write-only sources from the viewer; the first of them loads the form.
    void setControlloDidascalia(KorAtx* controllo);
    void setControlloTesto(KorAtx* controllo);
    void setControlloImmagine(ControlloConPicture* controllo);

    // Takes the texts to offer from the sources, disables the caller and makes it the owner.
    void InitCopia(Forma* frmChiamante);

    void Inizializza_bottoni();
    void OPZ_Click(int Index);
    void OPZT_Click(int Index);
    void OK_Click();
    void ANNULLA_Click();
    void sceglifile_Click();

    // Controls beside the drawn ones, made anew at every load as well.
    Etichetta* sceglifile = nullptr;
    // The copy job's work areas.
    KorAtx* TESTOATX = nullptr;
    RichTextBox* testortf = nullptr;
    Riquadro* foto = nullptr;
    DialogoComune copia;

    // The dialog's state, shared by the choice and the copy.
    qint16 CopiaInAppunti = 0;
    bool TestoPresente = false;
    bool FotoScelta = false;
    bool DidascaliaScelta = false;
    bool SelezioneScelta = false;
    QString TestoDaCopiare;
    QString SelezioneDaCopiare;
    QString DidascaliaDaCopiare;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyPress(int& KeyAscii) override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Form_Unload(int& Cancel) override;

private:
    void creaControlli();
    bool visibile(int evid) const;
    void mostra(std::initializer_list<int> evid, bool visibile);
    void scegliTesto();
    void scegliImmagine();
    void scegliSoloDidascalia();
    void premuto(ControlloForma* c, bool giu);
    // What the marks choose for the destination: the selected part counts for the clipboard
    // only, the file takes the text SelezioneScelta picked.
    CosaCopiare cosaCopiare() const;

    QPointer<KorAtx> didascalia_;
    QPointer<KorAtx> testo_;
    ControlloConPicture* immagine_ = nullptr;
    ControlloConPicture* fotoDaCopiare_ = nullptr;
    QPointer<Forma> chiamante_;
    bool controlliUsati_ = false;
    // The one dialog lives for the whole run: where a copy to a file went is said once.
    bool avvisoFileDato_ = false;
};

// Opens the copy dialog for the viewer: the caption source (none from the viewer), the text
// source (required), the picture source, then the caller, which stays disabled until the dialog
// closes.
void ApriCopia(Forma& chiamante, KorAtx* testo, KorAtx* didascalia, ControlloConPicture* immagine);

} // namespace hn
