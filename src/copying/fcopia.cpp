#include "fcopia.h"

#include "Accessibilita.h"
#include "ControlliDellaForma.h"
#include "Fileini.h"
#include "Host.h"
#include "HostPaths.h"
#include "KorAtx.h"
#include "Mod_CopiaeStampa.h"
#include "Puntatore.h"
#include "RichTextBox.h"

#include <QDir>

namespace hn {

namespace {

// Twips of the dialog as drawn for 15 twips per pixel.
struct Geometria {
    int indice;
    double l, t, w, h;
};
constexpr Geometria kOpz[] = {
    {0, 570, 600, 585, 600}, {1, 555, 1710, 615, 600}, {2, 0, 0, 630, 645}, {3, 0, 0, 630, 645}};
constexpr Geometria kOpzt[] = {{0, 1725, 645, 315, 285},  {1, 1725, 1095, 315, 285},
                               {2, 1725, 1740, 285, 300}, {3, 1710, 2160, 315, 285},
                               {4, 420, 2805, 240, 225},  {5, 1920, 2835, 225, 225}};
constexpr Geometria kEvid[] = {{0, 525, 585, 705, 675},   {1, 510, 1665, 720, 720},
                               {2, 0, 0, 720, 720},       {3, 1785, 720, 195, 180},
                               {4, 1785, 1140, 195, 180}, {5, 0, 0, 720, 720},
                               {6, 1785, 1785, 195, 180}, {7, 1770, 2220, 195, 180},
                               {8, 465, 2850, 150, 135},  {9, 1965, 2880, 135, 135}};

} // namespace

fcopia::fcopia()
    : DialogoDisegnato(QStringLiteral("fcopia")) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("Kopiuj"));
    creaControlli();
}

void fcopia::creaControlli() {
    delete TESTOATX;
    delete testortf;
    delete foto;
    copia = DialogoComune();
    creaFondo(QStringLiteral(":/art/fcopia.png"));
    for (const Geometria& g : kEvid) {
        Figura& f = EVID.crea(g.indice);
        f.MoveTw(g.l, g.t, g.w, g.h);
        f.setFillStyle(1);
        // As drawn: the destination ticks are yellow from the start, like the others get.
        f.setBorderColor(QColor(255, 255, 0));
        f.setBorderWidth(2);
    }
    for (const Geometria& g : kOpz)
        OPZ.crea(g.indice).MoveTw(g.l, g.t, g.w, g.h);
    for (const Geometria& g : kOpzt)
        OPZT.crea(g.indice).MoveTw(g.l, g.t, g.w, g.h);
    creaPulsanti(QRect(720, 3270, 540, 480), QRect(1455, 3270, 1245, 480));
    sceglifile = new Etichetta(FONDO, QStringLiteral("sceglifile"));
    sceglifile->MoveTw(2715, 2595, 450, 390);
    // Work areas: outside the client area, never seen.
    TESTOATX = new KorAtx(this);
    TESTOATX->setGeometry(pixelX(2925), pixelY(3810), pixelX(2250), pixelY(1140));
    testortf = new RichTextBox(this);
    testortf->setGeometry(pixelX(3960), pixelY(1800), pixelX(1110), pixelY(690));
    foto = new Riquadro(this, QStringLiteral("foto"));
    foto->MoveTw(495, 3960, 1365, 720);
    // What assistive tools read; the work areas take no keys and are not there for them.
    using accessibile::imposta;
    imposta(&OPZ(0), QStringLiteral("Tekst"), QAccessible::CheckBox, &EVID(0));
    imposta(&OPZ(1), QStringLiteral("Ilustracja"), QAccessible::CheckBox, &EVID(1));
    imposta(&OPZT(0), QStringLiteral("Zaznaczenie"), QAccessible::CheckBox, &EVID(3));
    imposta(&OPZT(1), QStringLiteral("Cały tekst"), QAccessible::CheckBox, &EVID(4));
    imposta(&OPZT(2), QStringLiteral("Podpis"), QAccessible::CheckBox, &EVID(6));
    imposta(&OPZT(3), QStringLiteral("Obraz ilustracji"), QAccessible::CheckBox, &EVID(7));
    imposta(&OPZT(4), QStringLiteral("Do schowka"), QAccessible::RadioButton, &EVID(8));
    imposta(&OPZT(5), QStringLiteral("Do pliku"), QAccessible::RadioButton, &EVID(9));
    imposta(sceglifile, QStringLiteral("Wybierz plik"));
    for (QWidget* w : std::initializer_list<QWidget*>{TESTOATX, testortf, foto})
        accessibile::nascondi(w);
    InvioAlleVoci = false;

    for (int i : OPZ.indici()) {
        Immagine* c = &OPZ(i);
        connect(&c->eventi(), &EventiControllo::Click, this, [this, i] { OPZ_Click(i); });
    }
    for (int i : OPZT.indici()) {
        Immagine* c = &OPZT(i);
        connect(&c->eventi(), &EventiControllo::Click, this, [this, i] { OPZT_Click(i); });
    }
    connect(&OK->eventi(), &EventiControllo::Click, this, &fcopia::OK_Click);
    connect(&ANNULLA->eventi(), &EventiControllo::Click, this, &fcopia::ANNULLA_Click);
    connect(&sceglifile->eventi(), &EventiControllo::Click, this, &fcopia::sceglifile_Click);
    QList<ControlloForma*> premibili{OK, ANNULLA};
    for (int i : OPZ.indici())
        premibili.append(&OPZ(i));
    for (int i : OPZT.indici())
        premibili.append(&OPZT(i));
    for (ControlloForma* c : premibili) {
        connect(&c->eventi(), &EventiControllo::MouseDown, this,
                [this, c](int, int, float, float) { premuto(c, true); });
        connect(&c->eventi(), &EventiControllo::MouseUp, this,
                [this, c](int, int, float, float) { premuto(c, false); });
    }
}

fcopia::~fcopia() = default;

void fcopia::setControlloDidascalia(KorAtx* controllo) {
    Load();
    didascalia_ = controllo;
}

void fcopia::setControlloTesto(KorAtx* controllo) {
    Load();
    testo_ = controllo;
}

void fcopia::setControlloImmagine(ControlloConPicture* controllo) {
    Load();
    immagine_ = controllo;
}

void fcopia::Form_Load() {
    if (controlliUsati_)
        creaControlli();
    controlliUsati_ = true;
    Mod_Comuni::ImpostaPuntatore(*this);
    CopiaInAppunti = 0;
    FONDO->MoveTw(0, 0, FONDO->WidthTw(), FONDO->HeightTw());
    nascondiMarche(7);
    EVID(8).ImpostaVisible(true);
    EVID(9).ImpostaVisible(false);
    CopiaInAppunti = 1;
    Mod_CopiaeStampa::AdattaControlli(ControlliDellaForma(*this), true);
    // The client area is exactly the bitmap, the window centred on the screen by it. Sized once
    // the layout pass has put the bitmap at its pixel size on this screen.
    const QSize fondo(pixelX(FONDO->WidthTw()), pixelY(FONDO->HeightTw()));
    setFixedSize(fondo);
    const ScreenService& s = *host().screen;
    move((s.widthPixels() - fondo.width()) / 2, (s.heightPixels() - fondo.height()) / 2);
    ImpostaPuntatoreSchermo(Puntatore::Predefinito);
}

void fcopia::Form_Activate() {
    Inizializza_bottoni();
}

void fcopia::InitCopia(Forma* frmChiamante) {
    if (!didascalia_) {
        DidascaliaDaCopiare.clear();
        DidascaliaScelta = false;
    } else {
        DidascaliaDaCopiare = didascalia_->FText();
        DidascaliaScelta = true;
    }
    SelezioneDaCopiare.clear();
    if (frmChiamante) {
        chiamante_ = frmChiamante;
        frmChiamante->ImpostaEnabled(false);
    }
    if (frmChiamante && testo_ && testo_->Visible()) {
        testo_->setSelFType(KorAtx::kTuttiIFormati);
        TestoDaCopiare = testo_->FText();
        const QString sel = testo_->SelText();
        if (!sel.isEmpty())
            SelezioneDaCopiare = sel;
        TestoPresente = true;
        if (immagine_ && immagine_->Visible())
            DidascaliaScelta = false;
    } else {
        TestoDaCopiare.clear();
        TestoPresente = false;
    }
    fotoDaCopiare_ = immagine_ && immagine_->Visible() ? immagine_ : nullptr;
    FotoScelta = fotoDaCopiare_ != nullptr;
    // The configured name may carry its ".rtf"; the copy adds the extension it needs.
    QString& nome = Fileini::cfg.FilePerCopia;
    if (nome.size() > 4 && nome.at(nome.size() - 4) == u'.')
        nome.chop(4);
    setProprietario(frmChiamante);
}

bool fcopia::visibile(int evid) const {
    return EVID(evid).Visible();
}

void fcopia::mostra(std::initializer_list<int> evid, bool v) {
    for (int i : evid)
        EVID(i).ImpostaVisible(v);
}

void fcopia::Inizializza_bottoni() {
    if (TestoPresente) {
        mostra({0}, true);
        mostra({1}, false);
    } else {
        mostra({0}, false);
        mostra({1}, true);
        OPZ(0).ImpostaVisible(false);
    }
    if (!FotoScelta) {
        mostra({7}, false);
        OPZ(1).ImpostaVisible(false);
        OPZT(3).ImpostaVisible(false);
    }
    if (DidascaliaScelta) {
        OPZT(2).ImpostaVisible(true);
        mostra({6}, !FotoScelta && !TestoPresente);
    } else {
        OPZT(2).ImpostaVisible(false);
        mostra({6}, false);
    }
    OPZT(0).ImpostaVisible(!SelezioneDaCopiare.isEmpty());
    mostra({3}, false);
    mostra({4}, true);
}

void fcopia::scegliTesto() {
    mostra({0, 4}, true);
    mostra({1, 3, 6, 7}, false);
}

void fcopia::scegliImmagine() {
    mostra({1, 7}, true);
    mostra({0, 3, 4, 6}, false);
}

void fcopia::scegliSoloDidascalia() {
    mostra({4, 6}, true);
    mostra({0, 1, 3, 7}, false);
}

void fcopia::OPZ_Click(int Index) {
    if (Index == 0) {
        if (!visibile(0))
            scegliTesto();
        else if (OPZ(1).Visible())
            scegliImmagine();
        else if (OPZT(2).Visible())
            scegliSoloDidascalia();
    } else if (Index == 1) {
        if (!visibile(1))
            scegliImmagine();
        else if (OPZ(0).Visible())
            scegliTesto();
        else if (OPZT(2).Visible())
            scegliSoloDidascalia();
    }
}

void fcopia::OPZT_Click(int Index) {
    switch (Index) {
    case 0:
        SelezioneScelta = true;
        mostra({3, 0}, true);
        mostra({4, 1, 7}, false);
        break;
    case 1:
        SelezioneScelta = false;
        mostra({4, 0}, true);
        mostra({3, 1, 7}, false);
        break;
    case 2:
        FotoScelta = false;
        DidascaliaScelta = true;
        mostra({7, 6}, true);
        mostra({0, 4, 3}, false);
        break;
    case 3:
        DidascaliaScelta = false;
        FotoScelta = true;
        mostra({1, 7}, true);
        mostra({4, 0, 6, 3}, false);
        break;
    case 4:
        CopiaInAppunti = 1;
        mostra({8}, true);
        mostra({9}, false);
        break;
    case 5:
        CopiaInAppunti = 0;
        mostra({9}, true);
        mostra({8}, false);
        break;
    default:
        break;
    }
}

void fcopia::premuto(ControlloForma* c, bool giu) {
    if (auto* e = qobject_cast<Etichetta*>(c))
        e->setBorderStyle(giu ? 1 : 0);
    else if (auto* i = qobject_cast<Immagine*>(c))
        i->setBorderStyle(giu ? 1 : 0);
    c->repaint();
}

void fcopia::sceglifile_Click() {
    const QString filtro =
        visibile(7) && !visibile(6) ? QStringLiteral("*.bmp") : QStringLiteral("*.rtf");
    Mod_CopiaeStampa::ScegliFile(copia, Fileini::cfg.FilePerCopia, filtro);
    // Even a cancelled choice means the user wants the file.
    CopiaInAppunti = 0;
    mostra({8}, false);
    mostra({9}, true);
    // The chooser took the activation away; getting it back re-initialises the options.
    Inizializza_bottoni();
}

void fcopia::ANNULLA_Click() {
    host().clipboard->clear();
    Unload();
}

void fcopia::Form_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13)
        OK_Click();
    else if (KeyAscii == 27)
        ANNULLA_Click();
}

void fcopia::Form_QueryUnload(int&, int) {
    TestoDaCopiare.clear();
    SelezioneDaCopiare.clear();
    DidascaliaDaCopiare.clear();
    SelezioneScelta = false;
}

void fcopia::Form_Unload(int&) {
    fotoDaCopiare_ = nullptr;
    setProprietario(nullptr);
    didascalia_ = nullptr;
    testo_ = nullptr;
    immagine_ = nullptr;
    if (chiamante_)
        chiamante_->ImpostaEnabled(true);
    chiamante_ = nullptr;
    OK->ImpostaEnabled(true);
}

CosaCopiare fcopia::cosaCopiare() const {
    if (CopiaInAppunti != 0 && visibile(3))
        return CosaCopiare::Selezione;
    if (visibile(0))
        return CosaCopiare::Testo;
    if (visibile(6))
        return CosaCopiare::Didascalia;
    if (visibile(7))
        return CosaCopiare::Immagine;
    return CosaCopiare::Niente;
}

void fcopia::OK_Click() {
    OK->ImpostaEnabled(false);
    ImpostaPuntatoreSchermo(Puntatore::Clessidra);
    StatoDiCopia stato;
    stato.TestoPresente = TestoPresente;
    stato.SelezioneScelta = SelezioneScelta;
    stato.TestoDaCopiare = TestoDaCopiare;
    stato.SelezioneDaCopiare = SelezioneDaCopiare;
    stato.DidascaliaDaCopiare = DidascaliaDaCopiare;
    stato.sorgenteTesto = testo_;
    stato.sorgenteDidascalia = didascalia_;
    stato.fotoDaCopiare = fotoDaCopiare_;
    stato.TESTOATX = TESTOATX;
    stato.testortf = testortf;
    stato.foto = foto;
    LavoroDiCopia lavoro(stato);
    if (CopiaInAppunti == 0) {
        lavoro.PreparaFile();
        // The marks are read once pending events have run.
        lavoro.CopiaNelFile(cosaCopiare());
    } else {
        lavoro.CopiaNegliAppunti(cosaCopiare());
    }
    ImpostaPuntatoreSchermo(Puntatore::Predefinito);
    Unload();
    // The copy file lies in a folder a student never opens: the first copy to a file in a run
    // says where it went, once the dialog is gone, as printing to a file does.
    if (!lavoro.fileScritto().isEmpty() && !avvisoFileDato_) {
        avvisoFileDato_ = true;
        const QString file = lavoro.fileScritto();
        MsgBox(QStringLiteral("Kopię zapisano w pliku:\n%1\n\nTam trafią też kolejne kopie do "
                              "pliku; inny plik można wybrać w oknie kopiowania.")
                   .arg(QDir::toNativeSeparators(host().paths->toHost(file).value_or(file))),
               Stile::OK | Stile::Informazione);
    }
}

void ApriCopia(Forma& chiamante, KorAtx* testo, KorAtx* didascalia, ControlloConPicture* immagine) {
    fcopia& f = fcopia::istanza();
    f.setControlloDidascalia(didascalia);
    f.setControlloTesto(testo);
    f.setControlloImmagine(immagine);
    f.InitCopia(&chiamante);
    f.Show();
}

} // namespace hn
