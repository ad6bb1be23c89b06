#pragma once

#include "Controlli.h"

#include <functional>
#include <memory>

namespace hn {

class ControlloConPicture;

// The home screen: the body picture full screen, one hotspot per body system, the exit and help
// spots. It is loaded first, stays loaded for the whole run, and hands over to the plate viewer.
class FMed : public Forma {
    Q_OBJECT
public:
    FMed();
    ~FMed() override;

    // The plate viewer form is made by the application, which knows it; the home screen only
    // loads it and switches to it. Made once, on the first body-system click.
    using FabbricaVisore = std::function<std::unique_ptr<Forma>()>;
    static void registraVisore(FabbricaVisore fabbrica);
    // The search field lives with the viewer, which it opens at a result; the application hands
    // it to the home screen, which takes it when it is loaded and opens a body system through it.
    using AggancioRicerca =
        std::function<void(Forma& home, std::function<void(int sistema)> apriSistema)>;
    static void registraRicerca(AggancioRicerca aggancio);
    Forma* visore() const { return FMed1_.get(); }

    // Body-system codes by hotspot index (index 11, the ear, has no hotspot here).
    static const QStringList& codiciSistemi();

    // Refuses a second instance, runs the start-up, then builds the screen.
    void Form_Load() override;
    // Called once the start-up has found the installation, before the screen is built: work that
    // reads the atlas on a thread of its own starts there, alongside the building, so that what
    // it shows on this screen is there by the first frame.
    std::function<void()> dopoAvvio;

    void CaricaSfondo(ControlloConPicture& pittura, const QString& immagine);
    // The description of a body system from "DesAppa.bin": first line whose code matches
    // exactly; empty when none does; "Blad w : " and the file when it cannot be read.
    QString DescrizioneDaFile(const QString& codice);

    void lbl_HotSpot_Click(int indice);
    void HOTSPOTFISSO_Click(int indice);

    Riquadro* const FONDO;
    ArrayLinee Linea;
    ArrayControlli<Etichetta> lbl_HotSpot;
    ArrayControlli<Etichetta> HOTSPOTFISSO;
    qint16 NumeroCornici = 0;

protected:
    void Form_Activate() override;
    void Form_Paint() override;
    void Form_Unload(int& Cancel) override;
    // F1: the help, as its spot.
    void keyPressEvent(QKeyEvent* evento) override;

private:
    void collegaHotspot(Etichetta& e, std::function<void()> clic);
    std::unique_ptr<Forma> FMed1_;
    bool agganciata_ = false;
};

} // namespace hn
