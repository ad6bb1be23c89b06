#include "fcopia.h"

#include "Accessibilita.h"
#include "ControlliDellaForma.h"
#include "Fileini.h"
#include "HostPaths.h"
#include "KorAtx.h"
#include "Messaggi.h"
#include "Mod_CopiaeStampa.h"
#include "Percorsi.h"
#include "Puntatore.h"
#include "RichTextBox.h"

#include <QBuffer>
#include <QFile>
#include <QTextCursor>
#include <memory>

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
constexpr double kLarghezzaFondo = 227 * 15.0, kAltezzaFondo = 250 * 15.0;

constexpr int kErroreInatteso = 146;
constexpr int kAccessoNegato = 450;
constexpr int kDiscoPieno = 451;
constexpr int kScritturaFallita = 483;

// OK's handler decided to close the dialog without the remaining steps.
struct CopiaInterrotta {};

QString messaggio(int numero, const QString& parametro, QString* titolo) {
    return Mod_Comuni::LeggiMessaggio(numero, {}, parametro, titolo);
}

// Runs one step of OK under its handler: access and disk-full errors ask Retry or Cancel
// (Cancel goes on with the next step); anything else is reported and may end the copy.
template <typename F> void passo(F&& f) {
    for (;;) {
        int risposta;
        try {
            f();
            return;
        } catch (const ErroreVB& e) {
            if (e.numero() == Errore::AccessoPercorso || e.numero() == Errore::DiscoPieno) {
                QString titolo;
                const QString testo =
                    messaggio(e.numero() == Errore::DiscoPieno ? kDiscoPieno : kAccessoNegato,
                              Fileini::cfg.FilePerCopia, &titolo);
                risposta = MsgBox(testo, Stile::RiprovaAnnulla | Stile::Domanda, titolo);
                if (risposta != Risposta::Riprova)
                    return;
                continue;
            }
            Mod_Comuni::TestoMessaggio =
                QStringLiteral("(146) ") + messaggio(kErroreInatteso, {}, nullptr);
            risposta = Mod_Comuni::SegnalaErrore(e, {});
        }
        if (risposta == Risposta::Ignora)
            return;
        if (risposta != Risposta::Riprova)
            throw CopiaInterrotta{};
    }
}

template <typename F> void ignorandoErrori(F&& f) {
    try {
        f();
    } catch (const ErroreVB&) {
    }
}

} // namespace

fcopia::fcopia()
    : Forma(QStringLiteral("fcopia")) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("Kopiuj"));
    creaControlli();
}

void fcopia::creaControlli() {
    delete FONDO;
    delete TESTOATX;
    delete testortf;
    delete foto;
    copia = DialogoComune();
    FONDO = new Riquadro(this, QStringLiteral("FONDO"));
    // The marks and click areas lie on the bitmap, inside the picture box.
    OPZ = ArrayControlli<Immagine>(FONDO, QStringLiteral("OPZ"));
    OPZT = ArrayControlli<Immagine>(FONDO, QStringLiteral("OPZT"));
    EVID = ArrayControlli<Figura>(FONDO, QStringLiteral("EVID"));
    FONDO->MoveTw(0, 0, kLarghezzaFondo, kAltezzaFondo);
    FONDO->ImpostaPicture(QImage(QStringLiteral(":/art/fcopia.png")));
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
    OK = new Immagine(FONDO, QStringLiteral("OK"));
    OK->MoveTw(720, 3270, 540, 480);
    ANNULLA = new Immagine(FONDO, QStringLiteral("ANNULLA"));
    ANNULLA->MoveTw(1455, 3270, 1245, 480);
    sceglifile = new Etichetta(FONDO, QStringLiteral("sceglifile"));
    sceglifile->MoveTw(2715, 2595, 450, 390);
    AGGIORNA.setInterval(100);
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
    imposta(OK, QStringLiteral("OK"));
    imposta(ANNULLA, QStringLiteral("Anuluj"));
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

fcopia& fcopia::istanza() {
    static QPointer<fcopia> f;
    if (!f)
        f = new fcopia;
    return *f;
}

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
    for (int i = 0; i <= 7; ++i) {
        EVID(i).setBorderColor(QColor(255, 255, 0));
        EVID(i).setBorderWidth(2);
        EVID(i).ImpostaVisible(false);
    }
    EVID(8).ImpostaVisible(true);
    EVID(9).ImpostaVisible(false);
    CopiaInAppunti = 1;
    Mod_CopiaeStampa::AdattaControlli(ControlliDellaForma(*this), true);
    // The client area is exactly the bitmap, the window centred on the screen by it. Sized once
    // the layout pass has put the bitmap at its pixel size on this screen.
    const QSize fondo(pixelX(FONDO->WidthTw()), pixelY(FONDO->HeightTw()));
    setFixedSize(fondo);
    if (const ScreenService* s = host().screen)
        move(sulDesktop(QPoint((s->widthPixels() - fondo.width()) / 2,
                               (s->heightPixels() - fondo.height()) / 2)));
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
    if (host().clipboard)
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

void fcopia::CopiaTestoInAppunti() {
    TESTOATX->setFText(testo_ ? testo_->FText() : QString());
    TESTOATX->setSelFType(KorAtx::kTuttiIFormati);
    host().clipboard->clear();
    TESTOATX->setSelStart(0);
    TESTOATX->setSelLength(static_cast<int>(TESTOATX->FText().size()));
    TESTOATX->impostaMembro(KorAtx::MembroCopia, 2);
}

void fcopia::CopiaDidascaliaInAppunti() {
    TESTOATX->setFText(didascalia_ ? didascalia_->FText() : QString());
    TESTOATX->setSelFType(KorAtx::kTuttiIFormati);
    host().clipboard->clear();
    TESTOATX->setSelStart(0);
    TESTOATX->setSelLength(static_cast<int>(TESTOATX->FText().size()));
    TESTOATX->impostaMembro(KorAtx::MembroCopia, 1);
}

bool fcopia::preparaFile(const QString& testoNuovo) {
    const QString file = Fileini::cfg.FilePerCopia + QStringLiteral(".rtf");
    bool letto = true;
    fileRiavviato_.clear();
    if (Mod_Comuni::EsisteFile(file)) {
        try {
            testortf->LoadFile(file);
        } catch (const ErroreVB&) {
            // Saving now would replace the user's notes with the new text alone.
            letto = false;
            testortf->setText(QString());
        }
    } else {
        testortf->setText(QString());
    }
    if (testortf->Text().startsWith(u'{')) {
        // Not read as rich text: the file starts afresh, the old one is kept aside on saving.
        fileRiavviato_ = file;
        testortf->setText(QString());
    }
    if (TestoPresente)
        testortf->setTextRTF(testortf->Text() + QStringLiteral("\r\n") +
                             Mod_CopiaeStampa::RigaDiCredito() + QStringLiteral("\r\n") +
                             testoNuovo);
    return letto;
}

void fcopia::salvaTestortf(const QString& percorso) {
    if (!fileLetto_)
        throw ErroreVB(Errore::AccessoPercorso);
    if (!fileRiavviato_.isEmpty()) {
        // What could not be read as the notebook is set aside, not destroyed.
        const std::optional<QString> h = host().paths->toHost(fileRiavviato_);
        if (h && QFile::exists(*h)) {
            QFile::remove(*h + QStringLiteral(".bak"));
            if (!QFile::copy(*h, *h + QStringLiteral(".bak")))
                throw ErroreVB(Errore::AccessoPercorso);
        }
        fileRiavviato_.clear();
    }
    Mod_CopiaeStampa::ScriviFileIntero(percorso, testortf->rtf());
}

void fcopia::salvaFoto(const QString& percorso) {
    const QImage immagine = foto->Picture();
    if (immagine.isNull())
        throw ErroreVB(Errore::ImmagineNonValida);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    if (!immagine.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        throw ErroreVB(Errore::ImmagineNonValida);
    Mod_CopiaeStampa::ScriviFileIntero(percorso, bmp);
}

void fcopia::erroreDiScrittura(const QString& percorso) {
    // The message file keeps no trailing blank, so the name would stick to the text.
    QString testo = messaggio(kScritturaFallita, {}, nullptr);
    if (!testo.isEmpty() && !testo.back().isSpace())
        testo += u' ';
    MsgBox(testo + percorso, Stile::OK);
}

void fcopia::OK_Click() {
    OK->ImpostaEnabled(false);
    ImpostaPuntatoreSchermo(Puntatore::Clessidra);
    const QString fileTesto = Fileini::cfg.FilePerCopia + QStringLiteral(".rtf");
    const QString fileFoto = Fileini::cfg.FilePerCopia + QStringLiteral(".bmp");
    try {
        if (CopiaInAppunti == 0) {
            QString nuovo;
            ignorandoErrori([&] {
                testortf->setTextRTF(SelezioneScelta ? SelezioneDaCopiare : TestoDaCopiare);
                nuovo = testortf->Text();
            });
            fileLetto_ = preparaFile(nuovo);
            DoEvents();
            // An unreadable notebook is read again on Retry, so it is never overwritten unread.
            auto salvaTesto = [&] {
                if (!fileLetto_)
                    fileLetto_ = preparaFile(nuovo);
                salvaTestortf(fileTesto);
            };
            if (visibile(0)) {
                passo(salvaTesto);
                passo([] { host().clipboard->clear(); });
                if (didascalia_) {
                    passo([&] {
                        TESTOATX->setFText(didascalia_->FText());
                        TESTOATX->setSelFType(KorAtx::kTuttiIFormati);
                        host().clipboard->clear();
                        TESTOATX->setSelStart(0);
                        TESTOATX->setSelLength(static_cast<int>(TESTOATX->FText().size()));
                    });
                    passo([&] {
                        TESTOATX->impostaMembro(KorAtx::MembroNomeFile, fileTesto);
                        TESTOATX->impostaMembro(KorAtx::MembroComandoFile, KorAtx::kAggiungiAlFile);
                    });
                    passo([] { host().clipboard->clear(); });
                }
            } else if (visibile(6)) {
                passo([&] { CopiaDidascaliaInAppunti(); });
                testortf->SetFocus();
                // The caption goes in between two line breaks where the caret stands, with its
                // own formatting, as a paste would put it.
                passo([&] {
                    testortf->setSelStart(0);
                    QTextCursor c = testortf->textCursor();
                    c.insertBlock();
                    testortf->setTextCursor(c);
                    testortf->incolla();
                    // A caption that brings its own paragraph end needs no second break.
                    c = testortf->textCursor();
                    if (!c.atBlockStart())
                        c.insertBlock();
                    testortf->setTextCursor(c);
                    testortf->setSelStart(0);
                    testortf->setSelLength(static_cast<int>(DidascaliaDaCopiare.size()));
                    testortf->setSelProtected(false);
                });
                try {
                    salvaTestortf(fileTesto);
                } catch (const ErroreVB&) {
                    erroreDiScrittura(fileTesto);
                }
                passo([] { host().clipboard->clear(); });
            } else if (visibile(7)) {
                try {
                    foto->ImpostaPicture(fotoDaCopiare_ ? fotoDaCopiare_->Picture() : QImage());
                    salvaFoto(fileFoto);
                } catch (const ErroreVB&) {
                    erroreDiScrittura(fileFoto);
                }
            }
        } else if (visibile(3)) {
            passo([&] {
                TESTOATX->setFText(testo_ ? testo_->FText() : QString());
                TESTOATX->setSelFType(KorAtx::kTuttiIFormati);
                host().clipboard->clear();
                TESTOATX->setSelStart(testo_ ? testo_->SelStart() : 0);
                TESTOATX->setSelLength(testo_ ? testo_->SelLength() : 0);
                TESTOATX->impostaMembro(KorAtx::MembroCopia, 2);
            });
        } else if (visibile(0)) {
            passo([&] {
                host().clipboard->clear();
                CopiaTestoInAppunti();
            });
        } else if (visibile(6)) {
            passo([&] {
                host().clipboard->clear();
                CopiaDidascaliaInAppunti();
            });
        } else if (visibile(7)) {
            passo([&] {
                host().clipboard->clear();
                ClipboardContents c;
                c.image = fotoDaCopiare_ ? fotoDaCopiare_->Picture() : QImage();
                host().clipboard->put(c);
            });
        }
    } catch (const CopiaInterrotta&) {
    }
    ImpostaPuntatoreSchermo(Puntatore::Predefinito);
    Unload();
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
