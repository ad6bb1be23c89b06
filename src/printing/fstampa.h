#pragma once

// The print dialog: a small window drawn from one bitmap, with transparent images for buttons
// and check boxes and yellow frames for the user's choices. A choice is on exactly when its
// frame is visible. While it is open the calling window is disabled, so it behaves as modal
// although it is shown non-modally.

#include "DialogoDisegnato.h"
#include "FXImage.h"
#include "FormaUnica.h"
#include "KorAtx.h"

#include <QPointer>
#include <functional>

namespace hn {

class fstampa : public DialogoDisegnato, public FormaUnica<fstampa> {
    Q_OBJECT
public:
    explicit fstampa(QWidget* parent = nullptr);
    ~fstampa() override;

    // The form's one instance is made on first use (istanza()).

    // The sources, as write-only properties: caption, text and picture (each may be null).
    void setControlloDidascalia(KorAtx* CD) { sorgenteDidascalia_ = CD; }
    void setControlloTesto(KorAtx* CT) { sorgenteTesto_ = CT; }
    void setControlloImmagine(FXImage* CI) { sorgenteImmagine_ = CI; }

    // Reads the sources, disables the caller and makes it the dialog's owner (loading the
    // dialog). A null caller does nothing.
    void InitStampa(Forma* frmChiamante);

    // Control events, as the controls raise them.
    void OPZ_Click(int Index);
    void OPZT_Click(int Index) { SceltaTesto(Index); }
    void SceltaTesto(int i);
    void OK_Click();
    void ANNULLA_Click();
    void OK_MouseMove();

    // The print job's two hidden texts, made anew at every load with the drawn controls.
    KorAtx* TESTOATX = nullptr;
    KorAtx* atxTestoCop = nullptr;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyPress(int& KeyAscii) override;
    void Form_Unload(int& Cancel) override;

private:
    void creaControlli();
    void StatoIniziale();
    // The text chosen again: its options shown, the selected part ticked when there is one,
    // else the whole text.
    void scegliTesto();
    void collegaPulsante(Immagine& c, const std::function<void()>& clic);

    QPointer<KorAtx> sorgenteDidascalia_;
    QPointer<KorAtx> sorgenteTesto_;
    QPointer<FXImage> sorgenteImmagine_;
    QPointer<Forma> FormChiamante_;
    bool TestoDisponibile_ = false;
    bool SelezioneDisponibile_ = false;
    bool TestoIntero_ = false;
    bool ImmagineDisponibile_ = false;
    QPointer<FXImage> ImmagineDaStampare_;
    QString TestoDidascalia_;
    short StampaInCorso_ = 0;
    bool controlliUsati_ = false;
};

// Opens the print dialog over the calling form on its text, caption and picture sources.
void ApriStampa(Forma* chiamante, KorAtx* testo, KorAtx* didascalia, FXImage* immagine);

} // namespace hn
