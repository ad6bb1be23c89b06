#pragma once

// The RTF reader's insides, shared by its parts. The tokenizer (RtfTokenizzatore) cuts the bytes
// into groups, control words and text; a word is looked up in the table (RtfParole) and acted on
// by the handler of the destination its group belongs to: the font and colour tables
// (RtfTabelleFontColori), pictures (RtfImmagini), WordPad's numbering and list markers
// (RtfListe), fields (RtfCampi), or the text itself (RtfComandi). What reaches the text is built
// into the document by RtfDocumento. Adding a control word: a name in the table, a Cw value, and a
// case in the handler it belongs to.

#include "CodePages.h"
#include "RtfReader.h"

#include <QPointer>
#include <QString>
#include <QTextCursor>
#include <QTextFormat>
#include <QTextList>
#include <QTextOption>
#include <QTextTable>
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace hn::rtf {

// Where the text of a group goes.
enum class Dest : std::uint8_t {
    Testo,         // the document
    Salta,         // nowhere
    TabellaFont,   // font names
    TabellaColori, // colour entries
    Campo,         // a field's instruction
    Marcatore,     // the list marker text written for older readers (\pntext, \listtext)
    Pn,            // WordPad's paragraph numbering properties
    Immagine,      // picture data
    Upr,           // the ANSI half of \upr: skipped, its \ud half is read
};

enum class Sposta : std::uint8_t { Normale, Apice, Pedice };

struct Carattere {
    int font = -1; // -1: the document's default font
    int mezziPunti = 24;
    bool grassetto = false;
    bool corsivo = false;
    bool sottolineato = false;
    bool barrato = false;
    bool maiuscole = false;
    bool maiuscoletto = false;
    bool nascosto = false;
    bool protetto = false;
    Sposta posizione = Sposta::Normale;
    int spostamento = 0; // half-points raised (\up) or, negative, lowered (\dn)
    int colore = 0;
    int sfondo = 0;
    int collegamento = -1; // index of a hyperlink target
    bool operator==(const Carattere&) const = default;
};

enum class StileLista : std::uint8_t {
    Nessuno,
    Punto,
    Cerchio,
    Quadrato,
    Decimale,
    Lettere,
    LettereMaiuscole,
    Romani,
    RomaniMaiuscoli
};

struct Tab {
    int posizione; // twips
    QTextOption::TabType tipo;
    bool operator==(const Tab&) const = default;
};

struct Paragrafo {
    int allineamento = 0;  // 0 left, 1 centre, 2 right, 3 justified
    bool daDestra = false; // right-to-left text
    int sinistro = 0;
    int destro = 0;
    int primaRiga = 0;
    int prima = 0;
    int dopo = 0;
    int interlinea = 0;
    bool multiplo = false;
    bool inTabella = false;
    int lista = 0;   // \ls
    int livello = 0; // \ilvl
    StileLista pn = StileLista::Nessuno;
    QTextOption::TabType tipoTabSeguente = QTextOption::LeftTab;
    std::vector<Tab> tabs;
    bool operator==(const Paragrafo&) const = default;
};

struct Stato {
    Dest dest = Dest::Testo;
    Carattere car;
    Paragrafo par;
    int uc = 1;
    int codePage = 1252;
};

struct Font {
    QString nome;
    int charset = -1;
    int codePage = 0;
    QFont::StyleHint famiglia = QFont::AnyStyle;
};

struct Colore {
    bool automatico = true;
    int r = 0, g = 0, b = 0;
};

enum class TipoImmagine : std::uint8_t { Nessuna, Png, Jpeg, Altra };

struct Immagine {
    TipoImmagine tipo = TipoImmagine::Nessuna;
    int larghezza = 0, altezza = 0;             // pixels, \picw \pich
    int larghezzaVoluta = 0, altezzaVoluta = 0; // twips, \picwgoal \pichgoal
    int scalaX = 100, scalaY = 100;
    QByteArray dati;
    int nibble = -1;
    std::size_t profondita = 0; // stack size of the \pict group
};

// Every control word the reader acts on.
// clang-format off
enum class Cw : std::uint8_t {
    Ignota, Rtf, Ansi, Mac, Pc, Pca, Ansicpg, Deff, Uc, U, Fonttbl, Colortbl, Red, Green, Blue, F,
    Fcharset, Cpg, Fnil, Froman, Fswiss, Fmodern, Fscript, Fdecor, Ftech, Fbidi, Info, Stylesheet,
    Header, Footer, Footnote, Listtable, Listoverridetable, Revtbl, Pict, Shppict, Nonshppict,
    Field, Fldinst, Fldrslt, Pntext, Listtext, Pn, Pntxta, Pntxtb, Upr, Ud, Object, Objdata, Result,
    Bin, Skipall, Par, Line, Tab, Page, Sect, Cell, Row, Nestcell, Nestrow, Lquote, Rquote,
    Ldblquote, Rdblquote, Endash, Emdash, Bullet, Emspace, Enspace, Qmspace, Zwj, Zwnj, Ltrmark,
    Rtlmark, Chpgn, Plain, B, I, Ul, Ulnone, Strike, Striked, Fs, Cf, Cb, Highlight, Chcbpat, Super,
    Sub, Nosupersub, Up, Dn, Caps, Scaps, V, Protect, Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Sl,
    Slmult, Tx, Tqr, Tqc, Tqdec, Tb, Intbl, Ls, Ilvl, Trowd, Cellx, Pnlvlblt, Pnlvlbody, Pnlvlcont,
    Pnlvl, Pndec, Pnlcltr, Pnucltr, Pnlcrm, Pnucrm, Pngblip, Jpegblip, Picw, Pich, Picwgoal,
    Pichgoal, Picscalex, Picscaley, Clbrdr, Brdrnone, Trgaph, Rtlpar, Ltrpar,
};
// clang-format on

// Control words by name; those the reader ignores are not in it.
const std::unordered_map<std::string_view, Cw>& paroleControllo();

inline constexpr int kParolaMassima = 32;
inline constexpr int kCifreMassime = 10;
inline constexpr int kTwipsMassimi = 31680; // 22 inches: larger indents and spacings are clamped
inline constexpr int kVociColoreMassime = 4096;

inline int limita(int v, int minimo, int massimo) {
    return std::clamp(v, minimo, massimo);
}

inline int valoreEsadecimale(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

inline bool lettera(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool cifra(char c) {
    return c >= '0' && c <= '9';
}

// Lists (RtfListe).
QTextListFormat::Style stileQt(StileLista s);
StileLista stileDaMarcatore(const QString& marcatore);
void testoAttornoAlNumero(const QString& marcatore, StileLista stile, QTextListFormat& f);

// Fields (RtfCampi).
QString destinazioneCollegamento(const QString& istruzione);

// A control word's parameter as the handlers read it.
struct Argomenti {
    std::string_view parola;
    bool haParametro;
    int p;
    int attiva; // a toggle: on without a parameter, off with 0
    int twips;  // the parameter as a clamped length
};

class Lettore {
public:
    Lettore(QByteArrayView dati, QTextCursor& cursore, bool inserimento)
        : d_(dati)
        , cursore_(cursore)
        , documento_(cursore.document())
        , inserimento_(inserimento) {
        pila_.emplace_back();
        pila_.reserve(64);
        formatoOriginale_ = cursore.blockFormat();
    }

    void leggi();

private:
    Stato& stato() { return pila_.back(); }

    // Tokens (RtfTokenizzatore)
    void apriGruppo();
    void chiudiGruppo();
    void parolaControllo();
    void simboloControllo(char c);
    void testo();

    // Control words: which handler takes a word (RtfComandi)
    void esegui(Cw cw, std::string_view parola, bool haParametro, int parametro);
    // Per destination (RtfListe, RtfImmagini, RtfTabelleFontColori), and under \*.
    void eseguiAsterisco(Cw cw, const Argomenti& a);
    void eseguiNumerazione(Cw cw, const Argomenti& a);
    void eseguiImmagine(Cw cw, const Argomenti& a);
    void eseguiTabellaColori(Cw cw, const Argomenti& a);
    void eseguiTabellaFont(Cw cw, const Argomenti& a);
    // In the text, by what they act on (RtfComandi); each says whether the word was its own.
    bool eseguiIntestazione(Cw cw, const Argomenti& a);
    bool eseguiDestinazioni(Cw cw, const Argomenti& a);
    bool eseguiCaratteri(Cw cw, const Argomenti& a);
    bool eseguiFormatoCarattere(Cw cw, const Argomenti& a);
    bool eseguiFormatoParagrafo(Cw cw, const Argomenti& a);
    bool eseguiTabelle(Cw cw, const Argomenti& a);
    void entra(Dest dest) { stato().dest = dest; }
    bool destinazioneTesto() const {
        return pila_.back().dest == Dest::Testo && !pila_.back().car.nascosto;
    }

    // Characters into whatever the current destination collects (RtfTokenizzatore).
    void carattere(char16_t c);
    void aggiungi(char16_t c);
    void byteCodificato(unsigned char b);
    void testoTabellaFont(unsigned char b);
    void aggiungiANomeFont(char16_t c);
    void testoTabellaColori(unsigned char b);
    void datiImmagine(char16_t c);
    void unicode(int valore);

    // Document building (RtfDocumento; lists in RtfListe)
    void scarica();
    QTextCharFormat formatoCarattere(const Carattere& c);
    const QTextBlockFormat& formatoBlocco(const Paragrafo& p);
    void preparaContenuto();
    void apriBloccoPendente();
    void fineParagrafo(bool nuovoBlocco);
    void chiudiBlocco(const Paragrafo& par);
    void entraInTabella();
    void esciDaTabella();
    void fineCella();
    void fineRiga();
    void cellaSeguente();
    void finisciImmagine();
    void mettiInLista(const Paragrafo& par);
    void aggiornaCodePage(Stato& s) const;
    void aggiornaCodePages();

    QByteArrayView d_;
    qsizetype pos_ = 0;
    QTextCursor& cursore_;
    QTextDocument* documento_;
    bool inserimento_;

    std::vector<Stato> pila_;
    int gruppiInEccesso_ = 0; // groups deeper than the cap, skipped whole
    bool asterisco_ = false;
    int daSaltare_ = 0; // fallback characters still to skip after \u
    bool documentoChiuso_ = false;
    // Text joined after the closing brace; its line ends are paragraph ends.
    bool contenutoDopoChiusura_ = false;
    char16_t surrogatoAlto_ = 0;

    int ansiCodePage_ = 1252;
    int fontPredefinito_ = 0;
    std::map<int, Font> fonts_;
    int fontInDefinizione_ = -1;
    QString nomeFont_;
    std::vector<Colore> colori_;
    Colore coloreInDefinizione_;
    QStringList collegamenti_;
    QString istruzioneCampo_;
    QString marcatore_;
    Immagine immagine_;

    QString testo_;
    Carattere carTesto_;
    bool formatoValido_ = false;
    Carattere carFormato_;
    QTextCharFormat formato_;
    // The last paragraph format built, kept: most paragraphs share their neighbour's.
    bool bloccoValido_ = false;
    Paragrafo parBlocco_;
    bool paginaBlocco_ = false;
    QTextBlockFormat formatoBlocco_;

    QTextBlockFormat formatoOriginale_;
    // The paragraph's properties when its content was last written, for content whose group
    // closed before the mark ("{\\qc text}\\par" is a centred paragraph).
    Paragrafo parContenuto_;
    std::size_t profContenuto_ = 0;
    bool contenutoUscito_ = false;
    bool primoBlocco_ = true;     // the paragraph the cursor started in (kept as is on paste)
    bool bloccoPendente_ = false; // a \par has ended a paragraph; the next one is not open yet
    bool interruzionePagina_ = false;
    QTextTable* tabella_ = nullptr;
    int riga_ = 0;
    int colonna_ = 0;
    bool rigaChiusa_ = false;
    bool cellaChiusa_ = false;
    std::vector<int> cellx_;
    int spazioCelle_ = 30;   // twips between a cell's edge and its text
    bool bordiRiga_ = false; // the row being defined has a cell border
    bool bordoInDefinizione_ = false;
    // One list of the text, held by Qt as a run of short lists: Qt's list does work
    // proportional to its length at every item added (and at every item drawn), so one list of
    // 59,000 items would take minutes. Numbered items past the first piece carry their number as
    // text (and, once the text is read, those of the first piece too, so that all line up).
    // Qt deletes a list whose last paragraph leaves it: held weakly.
    struct ListaAperta {
        QPointer<QTextList> primo;
        QPointer<QTextList> tratto;
        QTextListFormat formato;
        StileLista stile = StileLista::Nessuno;
        int voci = 0;       // items in all runs
        int vociTratto = 0; // items in this run
        bool valida() const { return tratto && tratto->count() > 0; }
    };
    void aggiungiVoce(const std::shared_ptr<ListaAperta>& lista);
    void scriviNumero(const QTextBlock& voce, int numero, const ListaAperta& lista);
    void numeraListeLunghe();
    std::vector<std::shared_ptr<ListaAperta>> listeLunghe_;
    std::shared_ptr<ListaAperta> listaPrecedente_;
    std::map<int, std::shared_ptr<ListaAperta>> liste_;
    int bloccoNumerato_ = -1;
};

} // namespace hn::rtf
