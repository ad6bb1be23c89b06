#include "LavoroDiCopia.h"

#include "Controlli.h"
#include "FileSicuro.h"
#include "Fileini.h"
#include "HostPaths.h"
#include "IdentitaFile.h"
#include "Messaggi.h"
#include "Mod_CopiaeStampa.h"
#include "Percorsi.h"
#include "Rendizioni.h"
#include "RichTextBox.h"
#include "RtfWriter.h"

#include <QBuffer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <optional>
#include <utility>

namespace hn {

namespace {

// The copy's texts in the message file.
enum Messaggio {
    kErroreInatteso = 146,
    kAccessoNegato = 450,
    kDiscoPieno = 451,
    kScritturaFallita = 483,
};

// What a copy of the picture carries: its largest rendition, marked with as many dots per inch
// more as its factor, so it keeps the 1 × picture's size on paper. The 1 × picture as it is
// without renditions.
QImage immagineDaCopiare(const QImage& base, const Rendizioni& rendizioni) {
    int fattore = 1;
    QImage immagine = rendizionePiuGrande(base, rendizioni, &fattore);
    if (fattore > 1) {
        // The screens are drawn at 96 dots per inch.
        const int puntiPerMetro = qRound(96.0 * fattore / 0.0254);
        immagine.setDotsPerMeterX(puntiPerMetro);
        immagine.setDotsPerMeterY(puntiPerMetro);
    }
    return immagine;
}

// A document holding just the picture, its pixels those of `immagine`, its size that of the 1 ×
// picture (`base`, pixels at 15 twips each).
QByteArray rtfConImmagine(const QImage& immagine, QSize base) {
    QTextDocument documento;
    const QUrl nome(QStringLiteral("immagine"));
    documento.addResource(QTextDocument::ImageResource, nome, immagine);
    QTextImageFormat formato;
    formato.setName(nome.toString());
    formato.setWidth(base.width());
    formato.setHeight(base.height());
    QTextCursor(&documento).insertImage(formato);
    return scriviRtf(documento);
}

// The user's answer to an error ended the copy: the remaining steps are skipped.
struct CopiaInterrotta {};

QString messaggio(int numero, const QString& parametro, QString* titolo) {
    return Mod_Comuni::LeggiMessaggio(numero, {}, parametro, titolo);
}

// Runs one step under the copy's handler: access and disk-full errors ask Retry or Cancel
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

// A caption or picture that cannot be written is reported once, and the copy goes on.
void erroreDiScrittura(const QString& percorso) {
    // The message file keeps no trailing blank, so the name would stick to the text.
    QString testo = messaggio(kScritturaFallita, {}, nullptr);
    if (!testo.isEmpty() && !testo.back().isSpace())
        testo += u' ';
    MsgBox(testo + percorso, Stile::OK);
}

} // namespace

LavoroDiCopia::LavoroDiCopia(StatoDiCopia stato)
    : s_(std::move(stato))
    , fileTesto_(Fileini::cfg.FilePerCopia + QStringLiteral(".rtf"))
    , fileFoto_(Fileini::cfg.FilePerCopia + QStringLiteral(".bmp")) {}

void LavoroDiCopia::selezionaInTestoatx(const QString& testo, int inizio, int lunghezza) {
    KorAtx& atx = *s_.TESTOATX;
    atx.setFText(testo);
    atx.setSelFType(KorAtx::kTuttiIFormati);
    host().clipboard->clear();
    atx.setSelStart(inizio);
    atx.setSelLength(lunghezza < 0 ? static_cast<int>(atx.FText().size()) : lunghezza);
}

void LavoroDiCopia::CopiaTestoInAppunti() {
    selezionaInTestoatx(s_.sorgenteTesto ? s_.sorgenteTesto->FText() : QString());
    s_.TESTOATX->Copia(2);
}

void LavoroDiCopia::CopiaDidascaliaInAppunti() {
    selezionaInTestoatx(s_.sorgenteDidascalia ? s_.sorgenteDidascalia->FText() : QString());
    s_.TESTOATX->Copia(1);
}

bool LavoroDiCopia::leggiFile() {
    RichTextBox& testortf = *s_.testortf;
    const QString file = Fileini::cfg.FilePerCopia + QStringLiteral(".rtf");
    bool letto = true;
    fileRiavviato_.clear();
    if (Mod_Comuni::EsisteFile(file)) {
        try {
            testortf.LoadFile(file);
        } catch (const ErroreVB&) {
            // Saving now would replace the user's notes with the new text alone.
            letto = false;
            testortf.setText(QString());
        }
    } else {
        testortf.setText(QString());
    }
    if (testortf.Text().startsWith(u'{')) {
        // Not read as rich text: the file starts afresh, the old one is kept aside on saving.
        fileRiavviato_ = file;
        testortf.setText(QString());
    }
    if (s_.TestoPresente)
        testortf.setTextRTF(testortf.Text() + QStringLiteral("\r\n") +
                            Mod_CopiaeStampa::RigaDiCredito() + QStringLiteral("\r\n") + nuovo_);
    return letto;
}

void LavoroDiCopia::PreparaFile() {
    ignorandoErrori([&] {
        s_.testortf->setTextRTF(s_.SelezioneScelta ? s_.SelezioneDaCopiare : s_.TestoDaCopiare);
        nuovo_ = s_.testortf->Text();
    });
    fileLetto_ = leggiFile();
    DoEvents();
}

void LavoroDiCopia::salvaTestortf() {
    if (!fileLetto_)
        throw ErroreVB(Errore::AccessoPercorso);
    if (!fileRiavviato_.isEmpty()) {
        // What could not be read as the notebook is set aside, not destroyed.
        const std::optional<QString> h = host().paths->toHost(fileRiavviato_);
        if (h && identitaDi(*h)) {
            // Written like the notebook itself, so a killed run leaves the old copy or the new.
            constexpr qint64 Massimo = qint64(256) * 1024 * 1024;
            scriviFileSicuro(*h + QStringLiteral(".bak"), leggiFileRegolare(*h, Massimo));
        }
        fileRiavviato_.clear();
    }
    Mod_CopiaeStampa::ScriviFileIntero(fileTesto_, s_.testortf->rtf());
    scritto_ = fileTesto_;
}

void LavoroDiCopia::salvaFoto() {
    s_.foto->ImpostaPicture(s_.fotoDaCopiare ? s_.fotoDaCopiare->Picture() : QImage());
    if (s_.fotoDaCopiare)
        s_.foto->ImpostaRendizioni(s_.fotoDaCopiare->rendizioni());
    const QImage immagine = immagineDaCopiare(s_.foto->Picture(), s_.foto->rendizioni());
    if (immagine.isNull())
        throw ErroreVB(Errore::ImmagineNonValida);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    if (!immagine.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        throw ErroreVB(Errore::ImmagineNonValida);
    Mod_CopiaeStampa::ScriviFileIntero(fileFoto_, bmp);
    scritto_ = fileFoto_;
}

// The caption goes in between two line breaks where the caret stands, with its own formatting,
// as a paste would put it.
void LavoroDiCopia::incollaDidascalia() {
    RichTextBox& testortf = *s_.testortf;
    testortf.setSelStart(0);
    QTextCursor c = testortf.textCursor();
    c.insertBlock();
    testortf.setTextCursor(c);
    testortf.incolla();
    // A caption that brings its own paragraph end needs no second break.
    c = testortf.textCursor();
    if (!c.atBlockStart())
        c.insertBlock();
    testortf.setTextCursor(c);
    testortf.setSelStart(0);
    testortf.setSelLength(static_cast<int>(s_.DidascaliaDaCopiare.size()));
    testortf.setSelProtected(false);
}

void LavoroDiCopia::CopiaNelFile(CosaCopiare cosa) {
    // An unreadable notebook is read again on Retry, so it is never overwritten unread.
    const auto salvaTesto = [this] {
        if (!fileLetto_)
            fileLetto_ = leggiFile();
        salvaTestortf();
    };
    try {
        switch (cosa) {
        case CosaCopiare::Testo:
            passo(salvaTesto);
            passo([] { host().clipboard->clear(); });
            if (s_.sorgenteDidascalia) {
                passo([this] { selezionaInTestoatx(s_.sorgenteDidascalia->FText()); });
                passo([this] {
                    s_.TESTOATX->impostaMembro(KorAtx::MembroNomeFile, fileTesto_);
                    s_.TESTOATX->ComandoFile(KorAtx::kAggiungiAlFile);
                });
                passo([] { host().clipboard->clear(); });
            }
            break;
        case CosaCopiare::Didascalia:
            passo([this] { CopiaDidascaliaInAppunti(); });
            s_.testortf->SetFocus();
            passo([this] { incollaDidascalia(); });
            try {
                salvaTestortf();
            } catch (const ErroreVB&) {
                erroreDiScrittura(fileTesto_);
            }
            passo([] { host().clipboard->clear(); });
            break;
        case CosaCopiare::Immagine:
            try {
                salvaFoto();
            } catch (const ErroreVB&) {
                erroreDiScrittura(fileFoto_);
            }
            break;
        case CosaCopiare::Selezione:
        case CosaCopiare::Niente:
            break;
        }
    } catch (const CopiaInterrotta&) {
    }
}

void LavoroDiCopia::CopiaNegliAppunti(CosaCopiare cosa) {
    try {
        switch (cosa) {
        case CosaCopiare::Selezione:
            passo([this] {
                KorAtx* t = s_.sorgenteTesto;
                selezionaInTestoatx(t ? t->FText() : QString(), t ? t->SelStart() : 0,
                                    t ? t->SelLength() : 0);
                s_.TESTOATX->Copia(2);
            });
            break;
        case CosaCopiare::Testo:
            passo([this] {
                host().clipboard->clear();
                CopiaTestoInAppunti();
            });
            break;
        case CosaCopiare::Didascalia:
            passo([this] {
                host().clipboard->clear();
                CopiaDidascaliaInAppunti();
            });
            break;
        case CosaCopiare::Immagine:
            passo([this] {
                host().clipboard->clear();
                ClipboardContents c;
                if (s_.fotoDaCopiare) {
                    const QImage base = s_.fotoDaCopiare->Picture();
                    c.image = immagineDaCopiare(base, s_.fotoDaCopiare->rendizioni());
                    // A larger rendition goes with its size in twips as well, so a word
                    // processor pastes it where the 1 × picture would sit, only sharper.
                    if (c.image.size() != base.size())
                        c.rtf = rtfConImmagine(c.image, base.size());
                }
                host().clipboard->put(c);
            });
            break;
        case CosaCopiare::Niente:
            break;
        }
    } catch (const CopiaInterrotta&) {
    }
}

} // namespace hn
