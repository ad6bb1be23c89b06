#include "fstampa.h"

#include "Accessibilita.h"
#include "ControlliDellaForma.h"
#include "FXImage.h"
#include "Host.h"
#include "KorAtx.h"
#include "LavoroDiStampa.h"
#include "Mod_CopiaeStampa.h"
#include "Mod_Graph.h"
#include "Puntatore.h"

#include <QCoreApplication>

namespace hn {

namespace {

// Places in twips, as the dialog was drawn at 15 twips per pixel.
struct Posto {
    int left, top, width, height;
};
constexpr Posto kOPZ[2] = {{705, 540, 585, 600}, {705, 1575, 585, 600}};
constexpr Posto kOPZT[2] = {{1755, 585, 315, 300}, {1770, 945, 315, 300}};
constexpr Posto kEVID[6] = {{645, 480, 720, 720},  {645, 1515, 720, 720}, {1830, 630, 195, 195},
                            {1830, 990, 195, 180}, {645, 480, 720, 720},  {645, 1515, 720, 720}};
constexpr QRect kOK = {705, 2565, 750, 435};
constexpr QRect kANNULLA = {1710, 2565, 1110, 420};

void metti(ControlloForma& c, const Posto& p) {
    c.MoveTw(p.left, p.top, p.width, p.height);
}

} // namespace

fstampa::fstampa(QWidget* parent)
    : DialogoDisegnato(QStringLiteral("fstampa"), parent) {
    creaControlli();
}

void fstampa::creaControlli() {
    // Whatever an earlier opening made of the controls goes with them: the hidden text keeps its
    // alignment, the layout pass its rescaling, the options their hidden or disabled state.
    delete TESTOATX;
    delete atxTestoCop;
    setCaption(QStringLiteral("FrmStampa"));
    // The layout pass fits the drawing to screens other than 15 twips per pixel.
    creaFondo(QStringLiteral(":/art/fstampa_fondo.png"));
    for (int i = 0; i < 2; ++i) {
        Immagine& o = OPZ.crea(i);
        o.setStretch(true);
        metti(o, kOPZ[i]);
        collegaPulsante(o, [this, i] { OPZ_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        Immagine& o = OPZT.crea(i);
        o.setStretch(true);
        metti(o, kOPZT[i]);
        collegaPulsante(o, [this, i] { OPZT_Click(i); });
    }
    for (int i = 0; i < 6; ++i) {
        Figura& e = EVID.crea(i);
        e.setFillStyle(1);
        e.setAttribute(Qt::WA_TransparentForMouseEvents);
        metti(e, kEVID[i]);
    }
    creaPulsanti(kOK, kANNULLA);
    OK->setStretch(true);
    collegaPulsante(*OK, [this] { OK_Click(); });
    connect(&OK->eventi(), &EventiControllo::MouseMove, this, [this] { OK_MouseMove(); });
    ANNULLA->setStretch(true);
    collegaPulsante(*ANNULLA, [this] { ANNULLA_Click(); });
    // The two texts of the print job are never seen.
    TESTOATX = new KorAtx(this);
    TESTOATX->setObjectName(QStringLiteral("TESTOATX"));
    TESTOATX->hide();
    atxTestoCop = new KorAtx(this);
    atxTestoCop->setObjectName(QStringLiteral("atxTestoCop"));
    atxTestoCop->hide();
    // What assistive tools read; the texts of the job take no keys and are not there for them.
    using accessibile::imposta;
    setAccessibleName(QStringLiteral("Drukuj"));
    imposta(&OPZ(0), QStringLiteral("Tekst"), QAccessible::CheckBox, &EVID(0));
    imposta(&OPZ(1), QStringLiteral("Ilustracja"), QAccessible::CheckBox, &EVID(1));
    imposta(&OPZT(0), QStringLiteral("Zaznaczony"), QAccessible::CheckBox, &EVID(2));
    imposta(&OPZT(1), QStringLiteral("Wszystko"), QAccessible::CheckBox, &EVID(3));
    accessibile::nascondi(TESTOATX);
    accessibile::nascondi(atxTestoCop);
    InvioAlleVoci = false;
}

fstampa::~fstampa() = default;

void fstampa::collegaPulsante(Immagine& c, const std::function<void()>& clic) {
    // Any button shows the press, as in the copy dialog; only the left one's release clicks.
    Immagine* p = &c;
    connect(&p->eventi(), &EventiControllo::MouseDown, this,
            [p](int, int, float, float) { Mod_Graph::BordoPremuto(*p); });
    connect(&p->eventi(), &EventiControllo::MouseUp, this,
            [p](int, int, float, float) { Mod_Graph::BordoNormale(*p); });
    connect(&p->eventi(), &EventiControllo::Click, this, clic);
}

void fstampa::InitStampa(Forma* frmChiamante) {
    if (!frmChiamante)
        return;
    FormChiamante_ = frmChiamante;
    frmChiamante->ImpostaEnabled(false);

    KorAtx* testo = sorgenteTesto_;
    if (!testo || !testo->Visible()) {
        TestoDisponibile_ = false;
        TestoIntero_ = false;
        SelezioneDisponibile_ = false;
    } else {
        TestoDisponibile_ = true;
        SelezioneDisponibile_ = !testo->SelText().isEmpty();
        TestoIntero_ = !SelezioneDisponibile_;
    }

    FXImage* figura = sorgenteImmagine_;
    ImmagineDisponibile_ = figura && figura->Visible();
    ImmagineDaStampare_ = ImmagineDisponibile_ ? figura : nullptr;

    KorAtx* didascalia = sorgenteDidascalia_;
    TestoDidascalia_ = didascalia ? didascalia->FText() : QString();

    // The caller owns the dialog's window, which keeps it above; asking for the window loads
    // the dialog.
    Load();
    setProprietario(frmChiamante);
}

void fstampa::Form_Load() {
    if (controlliUsati_)
        creaControlli();
    controlliUsati_ = true;
    StampaInCorso_ = 0;
    Mod_Comuni::ImpostaPuntatore(*this);
    setCaption(QString());

    FONDO->MoveTw(0, 0, FONDO->WidthTw(), FONDO->HeightTw());
    nascondiMarche(5);
    ImpostaPuntatoreSchermo(Puntatore::Predefinito);
    Mod_CopiaeStampa::AdattaControlli(ControlliDellaForma(*this), true);

    // The window's inner area is the bitmap, measured once the layout pass has fitted it to this
    // screen. It is centred over the calling window, which is the full screen in this program;
    // the screen we are told about can be smaller than the monitor the caller fills.
    const double w = FONDO->WidthTw(), h = FONDO->HeightTw();
    setFixedSize(pixelX(w), pixelY(h));
    double schermoW = host().screen->widthPixels() * twipsPerPixelX();
    double schermoH = host().screen->heightPixels() * twipsPerPixelY();
    double origineX = 0, origineY = 0;
    if (FormChiamante_ && FormChiamante_->isVisible()) {
        origineX = FormChiamante_->LeftTw();
        origineY = FormChiamante_->TopTw();
        schermoW = FormChiamante_->WidthTw();
        schermoH = FormChiamante_->HeightTw();
    }
    setGeometry(
        QRect(QPoint(pixelX(origineX + (schermoW - w) / 2), pixelY(origineY + (schermoH - h) / 2)),
              QSize(pixelX(w), pixelY(h))));
}

void fstampa::Form_Activate() {
    StatoIniziale();
}

void fstampa::StatoIniziale() {
    EVID(0).ImpostaVisible(TestoDisponibile_);
    OPZ(0).ImpostaVisible(TestoDisponibile_);
    EVID(1).ImpostaVisible(ImmagineDisponibile_);
    OPZ(1).ImpostaVisible(ImmagineDisponibile_);
    if (SelezioneDisponibile_) {
        EVID(2).ImpostaVisible(true);
    } else {
        EVID(2).ImpostaVisible(false);
        EVID(3).ImpostaVisible(TestoIntero_);
    }
}

void fstampa::OPZ_Click(int Index) {
    if (Index == 0) {
        if (!TestoDisponibile_)
            return;
        if (!EVID(0).Visible()) {
            scegliTesto();
        } else {
            EVID(0).ImpostaVisible(false);
            for (int i = 0; i < 2; ++i) {
                OPZT(i).ImpostaVisible(false);
                OPZT(i).ImpostaEnabled(false);
            }
            EVID(2).ImpostaVisible(false);
            EVID(3).ImpostaVisible(false);
        }
        OK->ImpostaEnabled(true);
        return;
    }
    if (!ImmagineDisponibile_)
        return;
    if (!EVID(1).Visible()) {
        EVID(1).ImpostaVisible(true);
        EVID(3).ImpostaVisible(false);
        EVID(2).ImpostaVisible(false);
        OPZT(1).ImpostaVisible(false);
        OPZT(0).ImpostaVisible(false);
        return;
    }
    EVID(1).ImpostaVisible(false);
    if (TestoDisponibile_)
        scegliTesto();
}

void fstampa::scegliTesto() {
    EVID(0).ImpostaVisible(true);
    if (SelezioneDisponibile_) {
        OPZT(0).ImpostaEnabled(true);
        OPZT(0).ImpostaVisible(true);
        OPZT(1).ImpostaVisible(true);
        EVID(2).ImpostaVisible(true);
        EVID(3).ImpostaVisible(false);
    } else {
        OPZT(0).ImpostaEnabled(false);
        EVID(2).ImpostaVisible(false);
        EVID(3).ImpostaVisible(true);
    }
    OPZT(1).ImpostaEnabled(true);
}

void fstampa::SceltaTesto(int i) {
    if (i == 0) {
        if (EVID(0).Visible() && SelezioneDisponibile_) {
            EVID(2).ImpostaVisible(true);
            EVID(3).ImpostaVisible(false);
        } else {
            EVID(2).ImpostaVisible(false);
        }
    } else {
        if (EVID(0).Visible()) {
            EVID(2).ImpostaVisible(false);
            EVID(3).ImpostaVisible(true);
        } else {
            EVID(3).ImpostaVisible(false);
        }
    }
    OK->ImpostaEnabled(EVID(3).Visible() || EVID(1).Visible() || EVID(2).Visible());
}

void fstampa::OK_MouseMove() {
    OK->ImpostaEnabled(EVID(0).Visible() || EVID(1).Visible());
}

void fstampa::OK_Click() {
    // A second Enter or click while printing does nothing.
    if (StampaInCorso_)
        return;
    ImpostaPuntatoreSchermo(Puntatore::Clessidra);
    StampaInCorso_ = -1;
    OK->ImpostaEnabled(false);
    DoEvents();

    StatoDiStampa stato;
    stato.testo = EVID(0).Visible();
    stato.illustrazione = EVID(1).Visible();
    stato.soloSelezione = EVID(2).Visible();
    stato.sorgenteTesto = sorgenteTesto_;
    stato.ImmagineDaStampare = ImmagineDaStampare_;
    stato.TestoDidascalia = TestoDidascalia_;
    stato.TESTOATX = TESTOATX;
    stato.atxTestoCop = atxTestoCop;
    if (!StampaScelte(stato, StampaInCorso_))
        ImpostaPuntatoreSchermo(Puntatore::Predefinito);
    StampaInCorso_ = 0;
    Unload();
    // Every document of the job is complete now, and the dialog gone.
    host().printer->fineLavoro();
}

void fstampa::ANNULLA_Click() {
    Unload();
}

void fstampa::Form_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13) {
        KeyAscii = 0;
        OK_Click();
    } else if (KeyAscii == 27) {
        ANNULLA_Click();
    }
}

void fstampa::Form_Unload(int&) {
    ImpostaPuntatoreSchermo(Puntatore::Predefinito);
    ImmagineDaStampare_ = nullptr;
    setProprietario(nullptr);
    sorgenteDidascalia_ = nullptr;
    sorgenteTesto_ = nullptr;
    sorgenteImmagine_ = nullptr;
    if (Forma* chiamante = FormChiamante_) {
        FormChiamante_ = nullptr;
        chiamante->ImpostaEnabled(true);
    }
}

void ApriStampa(Forma* chiamante, KorAtx* testo, KorAtx* didascalia, FXImage* immagine) {
    fstampa& f = fstampa::istanza();
    f.setControlloDidascalia(didascalia);
    f.setControlloTesto(testo);
    f.setControlloImmagine(immagine);
    f.InitStampa(chiamante);
    f.Show();
}

} // namespace hn
