#pragma once

#include "Controlli.h"
#include "EtichetteDisegnate.h"
#include "FXImage.h"
#include "KorAtx.h"
#include "RichTextBox.h"
#include "Storia.h"

#include <functional>
#include <memory>
#include <optional>

namespace hn::atlante {
class TabellaHotSpot;
}

namespace hn {

class FMed1;
class FilaPulsanti;

// The copy and print dialogs are built above the viewer: the program registers their openers
// at start. Each opens its dialog over the viewer on the description (already handed over to
// ATXCopiaEStampa), no caption, and the plate picture. An empty one opens nothing.
// Giro, when set, is given every viewer made, to attach the self-test to it.
struct AgganciViewer {
    using Dialogo =
        std::function<void(Forma* chiamante, KorAtx* testo, KorAtx* didascalia, FXImage* immagine)>;
    Dialogo ApriCopia;
    Dialogo ApriStampa;
    std::function<void(FMed1& visore)> Giro;
};
inline AgganciViewer agganciViewer;

// A round over the viewer's plates that takes the hotspot clicks while it runs: the self-test,
// which lives above the viewer as a child object of it.
class GiroDelVisore {
public:
    virtual ~GiroDelVisore() = default;
    // A click on hotspot n: true when the round took it, so no caption opens.
    virtual bool clic(int hotspot) = 0;
    virtual bool inCorso() const = 0;
    // Ends the round, putting the viewer back as the round found it.
    virtual void termina() = 0;
    // What assistive tools read of hotspot n while the round runs, so that none reads out an
    // answer; nothing to leave the structure's own name.
    virtual std::optional<QString> nomeNelGiro(int /*hotspot*/) const { return std::nullopt; }
};

// The plate viewer of one body system: the plate's picture with invisible hotspots over it, its
// description, six buttons drawn on the background (exit, back, home, copy, print, help), and the
// way back through the plates left by following links.
class FMed1 : public Forma {
    Q_OBJECT
public:
    FMed1();
    ~FMed1() override;

    Riquadro FONDO;
    FXImage DISASGEO;
    Etichetta Label1;
    RichTextBox Ftdv_Testo;

private:
    // Drawn by DISASGEO: a plate may hold tens of thousands. Loaded and unloaded by the viewer
    // alone; others read it through hotspot().
    ArrayEtichette HOTSPOT;

public:
    ArrayControlli<Etichetta> HOTSPOTFISSO;
    ArrayControlli<Immagine> SCROLLTESTO;
    KorAtx ATXCopiaEStampa;
    ArrayLinee Linea;

    // Called by ApriForm once the viewer is loaded: shows the plate named by Tavola (at first
    // the chosen body system's).
    Q_INVOKABLE void Lanciata();

    // Opens a plate reached along a way from its body system's first plate, as the search and
    // the self-test do: the history becomes the way there, the plate is loaded unless it is on
    // show already, and hotspot n, when the plate has it, takes the keyboard's ring; otherwise
    // the viewer takes the focus. Nothing happens while the viewer is not loaded.
    void apriTavola(const QStringList& percorso, int hotspot);
    // Puts back a plate and a history kept earlier: the self-test ends where the user was.
    void ripristina(const QString& tavola, const Storia& storiaPrima);

    const QString& tavola() const { return Tavola; }
    const Storia& storiaTavole() const { return storia; }
    qint16 numeroHotSpot() const { return NumHotSpot; }
    const ArrayEtichette& hotspot() const { return HOTSPOT; }
    // What assistive tools read of hotspot n besides its name; null or empty adds nothing. The
    // map of what the student knows gives each structure's state through it.
    std::function<QString(int n, const QString& nome)> notaHotSpot;
    // The row of buttons under the plate the study features attach theirs to.
    FilaPulsanti& filaPulsanti();
    // Their places in it, left to right.
    enum PostoNellaFila {
        PostoPowtorka = 10,
        PostoMapa = 20,
        PostoKarta = 30,
        PostoSzukaj = 40,
        PostoSprawdz = 50
    };

    // Events, as the controls raise them.
    void HOTSPOT_Click(int Index);
    void HOTSPOTFISSO_MouseDown(int Index, int Button);
    void HOTSPOTFISSO_MouseMove(int Index, int Button);
    void HOTSPOTFISSO_MouseUp(int Index, int Button);
    void FONDO_MouseMove(int Button);

Q_SIGNALS:
    // A plate's hotspots have been made anew (a plate opened, or the same one again).
    void tavolaCaricata();

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Paint() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Form_Unload(int& Cancel) override;
    // Back, Start, Help, print and copy from the keyboard; Esc closes the caption.
    void keyPressEvent(QKeyEvent* evento) override;

private:
    void statoDiProgetto();
    // The round attached to this viewer; null when there is none.
    GiroDelVisore* giro() const;
    void InizializzaViewer();
    void InitFX();
    void CaricaHotSpot();
    void CaricaTavola();
    void MostraHotSpot(int Index);
    void EseguiPulsante(int Index);
    void SpegniHotSpot();
    void scaricaHotSpot();
    // After Back from the keyboard: the ring on the way to the plate just left.
    void segnaRitorno(const QString& lasciata);
    void consegnaDescrizione();
    // What assistive tools read of hotspot n: its structure, or the plate it opens.
    ArrayEtichette::Descrizione descriviHotSpot(int n);
    ArrayEtichette::Descrizione descriviRecord(int n);
    QString titoloTesto(const QString& codice);
    QString titoloTavola(const QString& tavola);

    QString Tavola;
    qint16 NumHotSpot = 0;
    QString EstensioneImmagine;
    Storia storia;
    qint16 NumeroCornici = 0;
    // The hotspot table as it was at the last plate change; null when it could not be read.
    std::shared_ptr<const atlante::TabellaHotSpot> tabella_;
    // Names read from the text store, by entry; forgotten at each plate change.
    QHash<QString, QString> titoli_;
    FilaPulsanti* fila_ = nullptr;
};

} // namespace hn
