#include "RtfReader.h"

#include "CodePages.h"

#include <QCryptographicHash>
#include <QImage>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace hn {

namespace {

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
    int allineamento = 0; // 0 left, 1 centre, 2 right, 3 justified
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
    Pichgoal, Picscalex, Picscaley, Clbrdr, Brdrnone, Trgaph,
};
// clang-format on

const std::unordered_map<std::string_view, Cw>& paroleControllo() {
    // clang-format off
    static const std::unordered_map<std::string_view, Cw> mappa = {
        {"rtf", Cw::Rtf}, {"ansi", Cw::Ansi}, {"mac", Cw::Mac}, {"pc", Cw::Pc}, {"pca", Cw::Pca},
        {"ansicpg", Cw::Ansicpg}, {"deff", Cw::Deff}, {"uc", Cw::Uc}, {"u", Cw::U},
        {"fonttbl", Cw::Fonttbl}, {"colortbl", Cw::Colortbl}, {"red", Cw::Red},
        {"green", Cw::Green}, {"blue", Cw::Blue}, {"f", Cw::F}, {"fcharset", Cw::Fcharset},
        {"cpg", Cw::Cpg}, {"fnil", Cw::Fnil}, {"froman", Cw::Froman}, {"fswiss", Cw::Fswiss},
        {"fmodern", Cw::Fmodern}, {"fscript", Cw::Fscript}, {"fdecor", Cw::Fdecor},
        {"ftech", Cw::Ftech}, {"fbidi", Cw::Fbidi}, {"info", Cw::Info},
        {"stylesheet", Cw::Stylesheet}, {"header", Cw::Header}, {"headerl", Cw::Header},
        {"headerr", Cw::Header}, {"headerf", Cw::Header}, {"footer", Cw::Footer},
        {"footerl", Cw::Footer}, {"footerr", Cw::Footer}, {"footerf", Cw::Footer},
        {"footnote", Cw::Footnote}, {"listtable", Cw::Listtable},
        {"listoverridetable", Cw::Listoverridetable}, {"revtbl", Cw::Revtbl}, {"pict", Cw::Pict},
        {"shppict", Cw::Shppict}, {"nonshppict", Cw::Nonshppict}, {"field", Cw::Field},
        {"fldinst", Cw::Fldinst}, {"fldrslt", Cw::Fldrslt}, {"pntext", Cw::Pntext},
        {"listtext", Cw::Listtext}, {"pn", Cw::Pn}, {"pntxta", Cw::Pntxta}, {"pntxtb", Cw::Pntxtb},
        {"upr", Cw::Upr}, {"ud", Cw::Ud}, {"object", Cw::Object}, {"objdata", Cw::Objdata},
        {"objclass", Cw::Objdata}, {"objname", Cw::Objdata}, {"result", Cw::Result},
        {"bin", Cw::Bin}, {"rsidtbl", Cw::Skipall}, {"xmlnstbl", Cw::Skipall},
        {"pgdsctbl", Cw::Skipall}, {"filetbl", Cw::Skipall}, {"pnseclvl", Cw::Skipall},
        {"template", Cw::Skipall}, {"annotation", Cw::Skipall}, {"atnid", Cw::Skipall},
        {"atnauthor", Cw::Skipall}, {"xe", Cw::Skipall}, {"tc", Cw::Skipall}, {"txe", Cw::Skipall},
        {"ftnsep", Cw::Skipall}, {"ftnsepc", Cw::Skipall}, {"aftnsep", Cw::Skipall},
        {"aftnsepc", Cw::Skipall}, {"comment", Cw::Skipall}, {"author", Cw::Skipall},
        {"title", Cw::Skipall}, {"subject", Cw::Skipall}, {"doccomm", Cw::Skipall},
        {"operator", Cw::Skipall}, {"keywords", Cw::Skipall}, {"par", Cw::Par}, {"line", Cw::Line},
        {"tab", Cw::Tab}, {"page", Cw::Page}, {"sect", Cw::Sect}, {"cell", Cw::Cell},
        {"row", Cw::Row}, {"nestcell", Cw::Nestcell}, {"nestrow", Cw::Nestrow},
        {"lquote", Cw::Lquote}, {"rquote", Cw::Rquote}, {"ldblquote", Cw::Ldblquote},
        {"rdblquote", Cw::Rdblquote}, {"endash", Cw::Endash}, {"emdash", Cw::Emdash},
        {"bullet", Cw::Bullet}, {"emspace", Cw::Emspace}, {"enspace", Cw::Enspace},
        {"qmspace", Cw::Qmspace}, {"zwj", Cw::Zwj}, {"zwnj", Cw::Zwnj}, {"ltrmark", Cw::Ltrmark},
        {"rtlmark", Cw::Rtlmark}, {"chpgn", Cw::Chpgn}, {"plain", Cw::Plain}, {"b", Cw::B},
        {"i", Cw::I}, {"ul", Cw::Ul}, {"uld", Cw::Ul}, {"uldash", Cw::Ul}, {"uldb", Cw::Ul},
        {"ulw", Cw::Ul}, {"ulth", Cw::Ul}, {"ulwave", Cw::Ul}, {"ulnone", Cw::Ulnone},
        {"strike", Cw::Strike}, {"striked", Cw::Striked}, {"fs", Cw::Fs}, {"cf", Cw::Cf},
        {"cb", Cw::Cb}, {"highlight", Cw::Highlight}, {"chcbpat", Cw::Chcbpat},
        {"super", Cw::Super}, {"sub", Cw::Sub}, {"nosupersub", Cw::Nosupersub}, {"up", Cw::Up},
        {"dn", Cw::Dn}, {"caps", Cw::Caps}, {"scaps", Cw::Scaps}, {"v", Cw::V},
        {"protect", Cw::Protect}, {"pard", Cw::Pard}, {"ql", Cw::Ql}, {"qc", Cw::Qc},
        {"qr", Cw::Qr}, {"qj", Cw::Qj}, {"li", Cw::Li}, {"ri", Cw::Ri}, {"fi", Cw::Fi},
        {"sb", Cw::Sb}, {"sa", Cw::Sa}, {"sl", Cw::Sl}, {"slmult", Cw::Slmult}, {"tx", Cw::Tx},
        {"tqr", Cw::Tqr}, {"tqc", Cw::Tqc}, {"tqdec", Cw::Tqdec}, {"tb", Cw::Tb},
        {"intbl", Cw::Intbl}, {"ls", Cw::Ls}, {"ilvl", Cw::Ilvl}, {"trowd", Cw::Trowd},
        {"cellx", Cw::Cellx}, {"pnlvlblt", Cw::Pnlvlblt}, {"pnlvlbody", Cw::Pnlvlbody},
        {"pnlvlcont", Cw::Pnlvlcont}, {"pnlvl", Cw::Pnlvl}, {"pndec", Cw::Pndec},
        {"pnlcltr", Cw::Pnlcltr}, {"pnucltr", Cw::Pnucltr}, {"pnlcrm", Cw::Pnlcrm},
        {"pnucrm", Cw::Pnucrm}, {"pngblip", Cw::Pngblip}, {"jpegblip", Cw::Jpegblip},
        {"picw", Cw::Picw}, {"pich", Cw::Pich}, {"picwgoal", Cw::Picwgoal},
        {"pichgoal", Cw::Pichgoal}, {"picscalex", Cw::Picscalex}, {"picscaley", Cw::Picscaley},
        {"clbrdrt", Cw::Clbrdr}, {"clbrdrl", Cw::Clbrdr}, {"clbrdrb", Cw::Clbrdr},
        {"clbrdrr", Cw::Clbrdr}, {"trbrdrt", Cw::Clbrdr}, {"trbrdrl", Cw::Clbrdr},
        {"trbrdrb", Cw::Clbrdr}, {"trbrdrr", Cw::Clbrdr}, {"trbrdrh", Cw::Clbrdr},
        {"trbrdrv", Cw::Clbrdr}, {"brdrnone", Cw::Brdrnone}, {"brdrnil", Cw::Brdrnone},
        {"trgaph", Cw::Trgaph},
    };
    // clang-format on
    return mappa;
}

constexpr int kParolaMassima = 32;
constexpr int kCifreMassime = 10;
constexpr int kTwipsMassimi = 31680; // 22 inches: larger indents and spacings are clamped
constexpr int kVociColoreMassime = 4096;

int limita(int v, int minimo, int massimo) {
    return std::clamp(v, minimo, massimo);
}

int valoreEsadecimale(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool lettera(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool cifra(char c) {
    return c >= '0' && c <= '9';
}

QTextListFormat::Style stileQt(StileLista s) {
    switch (s) {
    case StileLista::Cerchio:
        return QTextListFormat::ListCircle;
    case StileLista::Quadrato:
        return QTextListFormat::ListSquare;
    case StileLista::Decimale:
        return QTextListFormat::ListDecimal;
    case StileLista::Lettere:
        return QTextListFormat::ListLowerAlpha;
    case StileLista::LettereMaiuscole:
        return QTextListFormat::ListUpperAlpha;
    case StileLista::Romani:
        return QTextListFormat::ListLowerRoman;
    case StileLista::RomaniMaiuscoli:
        return QTextListFormat::ListUpperRoman;
    default:
        return QTextListFormat::ListDisc;
    }
}

// The list kind a marker written for older readers ("1.", "a)", "•") shows.
StileLista stileDaMarcatore(const QString& marcatore) {
    QString m = marcatore.trimmed();
    if (m.isEmpty())
        return StileLista::Punto;
    // "(a)" is a lettered item whose number has a prefix.
    const qsizetype numero =
        std::find_if(m.begin(), m.end(), [](QChar x) { return x.isLetterOrNumber(); }) - m.begin();
    if (numero > 0 && numero < m.size())
        m = m.mid(numero);
    // Word's second-level bullet is a bare "o"; a lettered item has its "." or ")".
    if (m == QLatin1String("o"))
        return StileLista::Cerchio;
    const QChar c = m.front();
    if (c.isDigit())
        return StileLista::Decimale;
    if (c.isLetter() && c.unicode() < 0x80) {
        qsizetype n = 0;
        while (n < m.size() && m[n].isLetter())
            ++n;
        const QString parola = m.left(n);
        const bool romano = std::all_of(parola.begin(), parola.end(), [](QChar x) {
            return QStringLiteral("ivxlcdm").contains(x.toLower());
        });
        // A lone "c", "d" … is more likely the third or fourth letter than a Roman number.
        const bool sembraRomano =
            romano && (n > 1 || c.toLower() == QLatin1Char('i') ||
                       c.toLower() == QLatin1Char('v') || c.toLower() == QLatin1Char('x'));
        if (c.isUpper())
            return sembraRomano ? StileLista::RomaniMaiuscoli : StileLista::LettereMaiuscole;
        return sembraRomano ? StileLista::Romani : StileLista::Lettere;
    }
    switch (c.unicode()) {
    case 'o':
    case 0x25E6:
    case 0x25CB:
        return StileLista::Cerchio;
    case 0x25AA:
    case 0x25A0:
    case 0x00A7:
    case 0xF0A7:
        return StileLista::Quadrato;
    default:
        return StileLista::Punto;
    }
}

// The text around the number of a numbered item's marker ("(" and ")" of "(a)"), so that a list
// keeps it; Qt's own suffix is ".".
void testoAttornoAlNumero(const QString& marcatore, StileLista stile, QTextListFormat& f) {
    if (stile == StileLista::Punto || stile == StileLista::Cerchio ||
        stile == StileLista::Quadrato || stile == StileLista::Nessuno)
        return;
    const QString m = marcatore.trimmed();
    qsizetype inizio = 0;
    while (inizio < m.size() && !m[inizio].isLetterOrNumber())
        ++inizio;
    qsizetype fine = inizio;
    while (fine < m.size() && m[fine].isLetterOrNumber())
        ++fine;
    if (fine == inizio)
        return;
    if (inizio > 0)
        f.setNumberPrefix(m.left(inizio));
    if (m.mid(fine) != QLatin1String("."))
        f.setNumberSuffix(m.mid(fine));
}

// The target of a HYPERLINK field instruction, empty for any other field.
QString destinazioneCollegamento(const QString& istruzione) {
    const QString s = istruzione.trimmed();
    if (!s.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    const qsizetype a = s.indexOf(QLatin1Char('"'));
    if (a >= 0) {
        const qsizetype b = s.indexOf(QLatin1Char('"'), a + 1);
        return s.mid(a + 1, b < 0 ? -1 : b - a - 1);
    }
    const QStringList parti = s.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < parti.size(); ++i)
        if (!parti[i].startsWith(QLatin1Char('\\')))
            return parti[i];
    return {};
}

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

    // Tokens
    void apriGruppo();
    void chiudiGruppo();
    void parolaControllo();
    void simboloControllo(char c);
    void testo();

    // Control words
    void esegui(Cw cw, std::string_view parola, bool haParametro, int parametro);
    void entra(Dest dest) { stato().dest = dest; }
    bool destinazioneTesto() const {
        return pila_.back().dest == Dest::Testo && !pila_.back().car.nascosto;
    }

    // Characters into whatever the current destination collects.
    void carattere(char16_t c);
    void aggiungi(char16_t c);
    void byteCodificato(unsigned char b);
    void unicode(int valore);

    // Document building
    void scarica();
    QTextCharFormat formatoCarattere(const Carattere& c);
    QTextBlockFormat formatoBlocco(const Paragrafo& p) const;
    void preparaContenuto();
    void apriBloccoPendente();
    void fineParagrafo(bool nuovoBlocco);
    void entraInTabella();
    void esciDaTabella();
    void fineCella();
    void fineRiga();
    void cellaSeguente();
    void finisciImmagine();
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
    QByteArray nomeFont_;
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
    // Qt deletes a list whose last paragraph leaves it: held weakly.
    QPointer<QTextList> listaPrecedente_;
    StileLista stilePrecedente_ = StileLista::Nessuno;
    std::map<int, QPointer<QTextList>> liste_;
};

void Lettore::leggi() {
    const qsizetype n = d_.size();
    while (pos_ < n) {
        const char c = d_[pos_];
        if (c == '{') {
            ++pos_;
            apriGruppo();
        } else if (c == '}') {
            ++pos_;
            chiudiGruppo();
        } else if (c == '\\') {
            ++pos_;
            if (documentoChiuso_ && pila_.size() == 1)
                contenutoDopoChiusura_ = true;
            if (pos_ >= n)
                break;
            if (lettera(d_[pos_]))
                parolaControllo();
            else
                simboloControllo(d_[pos_++]);
        } else {
            testo();
        }
    }
    scarica();
    if (gruppiInEccesso_ == 0 && pila_.back().dest == Dest::Immagine)
        finisciImmagine();
    if (!bloccoPendente_)
        fineParagrafo(false);
    if (tabella_ && !pila_.back().par.inTabella)
        esciDaTabella();
    // A final \par only closes the last paragraph; on a paste it still ends the pasted text, and
    // the rest of the target paragraph keeps that paragraph's format.
    if (bloccoPendente_ && inserimento_) {
        apriBloccoPendente();
        cursore_.setBlockFormat(formatoOriginale_);
    }
}

void Lettore::apriGruppo() {
    daSaltare_ = 0;
    if (gruppiInEccesso_ > 0 || pila_.size() >= static_cast<std::size_t>(kProfonditaMassima)) {
        ++gruppiInEccesso_;
        return;
    }
    pila_.push_back(pila_.back());
    asterisco_ = false;
}

void Lettore::chiudiGruppo() {
    daSaltare_ = 0;
    asterisco_ = false;
    if (gruppiInEccesso_ > 0) {
        --gruppiInEccesso_;
        return;
    }
    if (pila_.size() <= 1)
        return; // an unbalanced brace
    const Dest dest = pila_.back().dest;
    if (dest == Dest::Immagine && immagine_.profondita == pila_.size())
        finisciImmagine();
    if (dest == Dest::TabellaFont && fontInDefinizione_ >= 0 && !nomeFont_.isEmpty()) {
        // An entry closed without its semicolon.
        fonts_[fontInDefinizione_].nome = QString::fromLatin1(nomeFont_).trimmed();
        nomeFont_.clear();
    }
    if (dest == Dest::TabellaFont && pila_[pila_.size() - 2].dest != Dest::TabellaFont) {
        fontInDefinizione_ = -1;
        pila_.pop_back();
        aggiornaCodePages();
        return;
    }
    if (!destinazioneTesto() || pila_[pila_.size() - 2].car != pila_.back().car)
        scarica();
    if (profContenuto_ == pila_.size() && dest == Dest::Testo) {
        parContenuto_ = pila_.back().par;
        --profContenuto_;
        contenutoUscito_ = !bloccoPendente_;
    }
    pila_.pop_back();
    if (pila_.size() == 1)
        documentoChiuso_ = true;
}

void Lettore::parolaControllo() {
    const qsizetype n = d_.size();
    const qsizetype inizio = pos_;
    while (pos_ < n && lettera(d_[pos_]))
        ++pos_;
    const qsizetype lunghezza = pos_ - inizio;
    std::string_view parola(d_.data() + inizio, static_cast<std::size_t>(lunghezza));
    bool haParametro = false;
    bool negativo = false;
    std::int64_t valore = 0;
    if (pos_ < n && d_[pos_] == '-' && pos_ + 1 < n && cifra(d_[pos_ + 1])) {
        negativo = true;
        ++pos_;
    }
    int cifre = 0;
    while (pos_ < n && cifra(d_[pos_])) {
        haParametro = true;
        if (cifre++ < kCifreMassime)
            valore = valore * 10 + (d_[pos_] - '0');
        ++pos_;
    }
    if (pos_ < n && d_[pos_] == ' ')
        ++pos_;
    valore = std::clamp<std::int64_t>(negativo ? -valore : valore, -2147483647, 2147483647);
    if (lunghezza > kParolaMassima)
        parola = {};

    if (daSaltare_ > 0) {
        --daSaltare_;
        // \bin data belongs to the word it follows and is skipped with it.
        if (parola == "bin" && haParametro && valore > 0)
            pos_ += std::min<qsizetype>(valore, n - pos_);
        return;
    }
    const auto& mappa = paroleControllo();
    const auto trovata = mappa.find(parola);
    const Cw cw = trovata == mappa.end() ? Cw::Ignota : trovata->second;
    if (gruppiInEccesso_ > 0) {
        if (cw == Cw::Bin && haParametro && valore > 0)
            pos_ += std::min<qsizetype>(valore, n - pos_);
        return;
    }
    esegui(cw, parola, haParametro, static_cast<int>(valore));
}

void Lettore::simboloControllo(char c) {
    if (c == '\'') {
        // A byte in the current code page; a truncated or broken escape is dropped.
        const int alto = pos_ < d_.size() ? valoreEsadecimale(d_[pos_]) : -1;
        const int basso = pos_ + 1 < d_.size() ? valoreEsadecimale(d_[pos_ + 1]) : -1;
        if (alto < 0 || basso < 0) {
            // The digits there are belong to the broken escape.
            pos_ += alto < 0 ? 0 : 1;
            return;
        }
        pos_ += 2;
        if (daSaltare_ > 0) {
            --daSaltare_;
            return;
        }
        if (gruppiInEccesso_ == 0)
            byteCodificato(static_cast<unsigned char>(alto * 16 + basso));
        return;
    }
    if (c == '\r' || c == '\n') {
        // A backslash before a line end is a paragraph mark.
        if (gruppiInEccesso_ == 0 && daSaltare_ == 0)
            esegui(Cw::Par, {}, false, 0);
        return;
    }
    if (daSaltare_ > 0) {
        --daSaltare_;
        return;
    }
    if (gruppiInEccesso_ > 0)
        return;
    switch (c) {
    case '*':
        asterisco_ = true;
        return;
    case '\\':
    case '{':
    case '}':
        carattere(static_cast<char16_t>(c));
        return;
    case '~':
        carattere(0x00A0);
        return;
    case '-':
        carattere(0x00AD);
        return;
    case '_':
        carattere(0x2011);
        return;
    case '\t':
        carattere(u'\t');
        return;
    case ':': // index subentry
    case '|': // formula
    default:
        return;
    }
}

void Lettore::testo() {
    const qsizetype n = d_.size();
    while (pos_ < n) {
        const char c = d_[pos_];
        if (c == '{' || c == '}' || c == '\\')
            return;
        ++pos_;
        if (c == '\r' || c == '\n') {
            // Line ends are layout of the RTF source, except in text joined after the document
            // has closed, where they end paragraphs.
            if (contenutoDopoChiusura_ && pila_.size() == 1 && gruppiInEccesso_ == 0) {
                if (c == '\r' && pos_ < n && d_[pos_] == '\n')
                    ++pos_;
                fineParagrafo(true);
            }
            continue;
        }
        if (documentoChiuso_ && pila_.size() == 1)
            contenutoDopoChiusura_ = true;
        if (daSaltare_ > 0) {
            --daSaltare_;
            continue;
        }
        if (gruppiInEccesso_ > 0)
            continue;
        if (c == '\t') {
            carattere(u'\t');
            continue;
        }
        if (c == 0)
            continue;
        const Stato& st = pila_.back();
        if (st.dest == Dest::Testo && st.codePage != kSimbolo && !surrogatoAlto_) {
            if (st.car.nascosto)
                continue;
            // The common case, kept tight: a run of text in one format.
            if (st.car != carTesto_ && !testo_.isEmpty())
                scarica();
            if (testo_.isEmpty()) {
                preparaContenuto();
                carTesto_ = pila_.back().car;
            }
            testo_.append(QChar(decodificaByte(st.codePage, static_cast<unsigned char>(c))));
        } else if (st.dest == Dest::Immagine) {
            carattere(static_cast<unsigned char>(c));
        } else {
            byteCodificato(static_cast<unsigned char>(c));
        }
    }
}

void Lettore::byteCodificato(unsigned char b) {
    Stato& s = stato();
    if (s.dest == Dest::Immagine) {
        // Picture data written as text is hexadecimal; \'hh there is not data.
        return;
    }
    if (s.dest == Dest::TabellaFont) {
        if (b == ';') {
            if (fontInDefinizione_ >= 0)
                fonts_[fontInDefinizione_].nome = QString::fromLatin1(nomeFont_).trimmed();
            nomeFont_.clear();
        } else if (nomeFont_.size() < 256) {
            nomeFont_.append(static_cast<char>(b));
        }
        return;
    }
    if (s.dest == Dest::TabellaColori) {
        if (b == ';') {
            if (colori_.size() < static_cast<std::size_t>(kVociColoreMassime))
                colori_.push_back(coloreInDefinizione_);
            coloreInDefinizione_ = Colore{};
        }
        return;
    }
    bool fontSimbolo = false;
    if (s.codePage == kSimbolo) {
        // Only the Symbol font itself has Greek and mathematics at these bytes.
        const auto f = fonts_.find(s.car.font < 0 ? fontPredefinito_ : s.car.font);
        fontSimbolo = f != fonts_.end() &&
                      f->second.nome.startsWith(QLatin1String("Symbol"), Qt::CaseInsensitive);
    }
    carattere(decodificaByte(s.codePage, b, fontSimbolo));
}

void Lettore::aggiungi(char16_t c) {
    const Stato& s = pila_.back();
    if (s.car.nascosto)
        return;
    if (s.car != carTesto_ && !testo_.isEmpty())
        scarica();
    if (testo_.isEmpty()) {
        preparaContenuto();
        carTesto_ = s.car;
    }
    testo_.append(QChar(c));
}

void Lettore::carattere(char16_t c) {
    Stato& s = stato();
    switch (s.dest) {
    case Dest::Testo:
        if (surrogatoAlto_) {
            // A high surrogate with no low one after it.
            surrogatoAlto_ = 0;
            aggiungi(0xFFFD);
        }
        aggiungi(c);
        return;
    case Dest::Campo:
        if (istruzioneCampo_.size() < 2048)
            istruzioneCampo_.append(QChar(c));
        return;
    case Dest::Marcatore:
        if (marcatore_.size() < 64)
            marcatore_.append(QChar(c));
        return;
    case Dest::TabellaFont:
        if (c < 0x80) {
            byteCodificato(static_cast<unsigned char>(c));
        } else if (nomeFont_.size() < 256) {
            nomeFont_.append(QString(QChar(c)).toLatin1());
        }
        return;
    case Dest::Immagine: {
        const int v = c < 0x80 ? valoreEsadecimale(static_cast<char>(c)) : -1;
        if (v < 0)
            return;
        if (immagine_.nibble < 0) {
            immagine_.nibble = v;
        } else {
            immagine_.dati.append(static_cast<char>(immagine_.nibble * 16 + v));
            immagine_.nibble = -1;
        }
        return;
    }
    default:
        return;
    }
}

void Lettore::unicode(int valore) {
    if (valore < 0)
        valore += 65536;
    if (valore < 0 || valore > 0xFFFF)
        valore = 0xFFFD;
    const auto c = static_cast<char16_t>(valore);
    if (stato().dest == Dest::Testo && QChar::isSurrogate(c)) {
        // A character beyond the BMP comes as two \u, high then low.
        if (QChar::isHighSurrogate(c)) {
            if (surrogatoAlto_)
                aggiungi(0xFFFD);
            surrogatoAlto_ = c;
        } else if (surrogatoAlto_) {
            // Taken before adding: starting the paragraph flushes, and a flush would report a
            // high surrogate still held as a lone one.
            const char16_t alto = surrogatoAlto_;
            surrogatoAlto_ = 0;
            aggiungi(alto);
            aggiungi(c);
        } else {
            aggiungi(0xFFFD);
        }
        return;
    }
    carattere(c);
}

void Lettore::aggiornaCodePage(Stato& s) const {
    const auto f = fonts_.find(s.car.font < 0 ? fontPredefinito_ : s.car.font);
    int cp = 0;
    if (f != fonts_.end())
        cp = f->second.codePage ? f->second.codePage : codePageDiCharset(f->second.charset);
    if (!cp)
        cp = ansiCodePage_;
    s.codePage = cp;
}

void Lettore::aggiornaCodePages() {
    for (Stato& s : pila_)
        aggiornaCodePage(s);
}

void Lettore::esegui(Cw cw, std::string_view parola, bool haParametro, int p) {
    Stato& s = stato();
    const bool asterisco = asterisco_;
    asterisco_ = false;
    const int attiva = haParametro ? (p != 0) : 1;
    const int twips = limita(p, -kTwipsMassimi, kTwipsMassimi);

    if (s.dest == Dest::Salta)
        return;
    // Under \* only the destinations we know are read; any other group is skipped whole.
    if (asterisco) {
        switch (cw) {
        case Cw::Shppict:
            return;
        case Cw::Fldinst:
            istruzioneCampo_.clear();
            entra(Dest::Campo);
            return;
        case Cw::Pn:
            entra(Dest::Pn);
            if (pila_.size() >= 2)
                pila_[pila_.size() - 2].par.pn = StileLista::Punto;
            return;
        case Cw::Ud:
            entra(pila_.size() >= 2 && pila_[pila_.size() - 2].dest == Dest::Upr ? Dest::Testo
                                                                                 : Dest::Salta);
            return;
        default:
            scarica();
            entra(Dest::Salta);
            return;
        }
    }
    if (s.dest == Dest::Pn) {
        // The numbering belongs to the paragraph around the \pn group.
        if (pila_.size() < 2)
            return;
        Paragrafo& par = pila_[pila_.size() - 2].par;
        switch (cw) {
        case Cw::Pnlvlblt:
            par.pn = StileLista::Punto;
            return;
        case Cw::Pnlvlbody:
        case Cw::Pndec:
            par.pn = StileLista::Decimale;
            return;
        case Cw::Pnlcltr:
            par.pn = StileLista::Lettere;
            return;
        case Cw::Pnucltr:
            par.pn = StileLista::LettereMaiuscole;
            return;
        case Cw::Pnlcrm:
            par.pn = StileLista::Romani;
            return;
        case Cw::Pnucrm:
            par.pn = StileLista::RomaniMaiuscoli;
            return;
        case Cw::Pntxta:
        case Cw::Pntxtb:
            entra(Dest::Salta);
            return;
        default:
            return;
        }
    }
    if (s.dest == Dest::Immagine) {
        switch (cw) {
        case Cw::Pngblip:
            immagine_.tipo = TipoImmagine::Png;
            return;
        case Cw::Jpegblip:
            immagine_.tipo = TipoImmagine::Jpeg;
            return;
        case Cw::Picw:
            immagine_.larghezza = limita(p, 0, 100000);
            return;
        case Cw::Pich:
            immagine_.altezza = limita(p, 0, 100000);
            return;
        case Cw::Picwgoal:
            immagine_.larghezzaVoluta = limita(p, 0, kTwipsMassimi * 10);
            return;
        case Cw::Pichgoal:
            immagine_.altezzaVoluta = limita(p, 0, kTwipsMassimi * 10);
            return;
        case Cw::Picscalex:
            immagine_.scalaX = limita(p, 1, 1000);
            return;
        case Cw::Picscaley:
            immagine_.scalaY = limita(p, 1, 1000);
            return;
        case Cw::Bin: {
            const qsizetype quanti = std::min<qsizetype>(std::max(p, 0), d_.size() - pos_);
            immagine_.dati.append(d_.data() + pos_, quanti);
            pos_ += quanti;
            return;
        }
        default:
            if (cw == Cw::Ignota && !parola.empty() && parola.ends_with("blip"))
                immagine_.tipo = TipoImmagine::Altra;
            else if (cw == Cw::Ignota &&
                     (parola == "wmetafile" || parola == "macpict" || parola == "dibitmap" ||
                      parola == "wbitmap" || parola == "pmmetafile"))
                immagine_.tipo = TipoImmagine::Altra;
            return;
        }
    }
    if (s.dest == Dest::TabellaColori) {
        switch (cw) {
        case Cw::Red:
            coloreInDefinizione_.r = limita(p, 0, 255);
            coloreInDefinizione_.automatico = false;
            return;
        case Cw::Green:
            coloreInDefinizione_.g = limita(p, 0, 255);
            coloreInDefinizione_.automatico = false;
            return;
        case Cw::Blue:
            coloreInDefinizione_.b = limita(p, 0, 255);
            coloreInDefinizione_.automatico = false;
            return;
        default:
            return;
        }
    }
    if (s.dest == Dest::TabellaFont) {
        switch (cw) {
        case Cw::F:
            fontInDefinizione_ = p;
            nomeFont_.clear();
            fonts_[p] = Font{};
            return;
        case Cw::Fcharset:
            if (fontInDefinizione_ >= 0)
                fonts_[fontInDefinizione_].charset = p;
            return;
        case Cw::Cpg:
            if (fontInDefinizione_ >= 0 && codePageNota(p))
                fonts_[fontInDefinizione_].codePage = p;
            return;
        case Cw::Froman:
            if (fontInDefinizione_ >= 0)
                fonts_[fontInDefinizione_].famiglia = QFont::Serif;
            return;
        case Cw::Fswiss:
            if (fontInDefinizione_ >= 0)
                fonts_[fontInDefinizione_].famiglia = QFont::SansSerif;
            return;
        case Cw::Fmodern:
            if (fontInDefinizione_ >= 0)
                fonts_[fontInDefinizione_].famiglia = QFont::Monospace;
            return;
        case Cw::Fscript:
            if (fontInDefinizione_ >= 0)
                fonts_[fontInDefinizione_].famiglia = QFont::Cursive;
            return;
        case Cw::Fdecor:
            if (fontInDefinizione_ >= 0)
                fonts_[fontInDefinizione_].famiglia = QFont::Decorative;
            return;
        case Cw::U:
            unicode(p);
            daSaltare_ = s.uc;
            return;
        case Cw::Uc:
            s.uc = limita(p, 0, 16);
            return;
        default:
            return; // \fprq, \fnil, \ftech … change nothing we use
        }
    }

    switch (cw) {
    // Header
    case Cw::Ansicpg:
        if (codePageNota(p)) {
            ansiCodePage_ = p;
            aggiornaCodePages();
        }
        return;
    case Cw::Deff:
        fontPredefinito_ = p;
        aggiornaCodePages();
        return;
    case Cw::Uc:
        s.uc = limita(p, 0, 16);
        return;
    case Cw::U:
        unicode(p);
        daSaltare_ = s.uc;
        return;
    case Cw::Fonttbl:
        scarica();
        entra(Dest::TabellaFont);
        fontInDefinizione_ = -1;
        nomeFont_.clear();
        return;
    case Cw::Colortbl:
        scarica();
        entra(Dest::TabellaColori);
        colori_.clear();
        coloreInDefinizione_ = Colore{};
        formatoValido_ = false;
        return;

    // Destinations
    case Cw::Info:
    case Cw::Stylesheet:
    case Cw::Header:
    case Cw::Footer:
    case Cw::Footnote:
    case Cw::Listtable:
    case Cw::Listoverridetable:
    case Cw::Revtbl:
    case Cw::Nonshppict:
    case Cw::Objdata:
    case Cw::Skipall:
        scarica();
        entra(Dest::Salta);
        return;
    case Cw::Pict:
        scarica();
        entra(Dest::Immagine);
        immagine_ = Immagine{};
        immagine_.profondita = pila_.size();
        return;
    case Cw::Field:
        istruzioneCampo_.clear();
        return;
    case Cw::Fldinst:
        istruzioneCampo_.clear();
        entra(Dest::Campo);
        return;
    case Cw::Fldrslt: {
        const QString destinazione = destinazioneCollegamento(istruzioneCampo_);
        if (!destinazione.isEmpty()) {
            collegamenti_.append(destinazione);
            s.car.collegamento = static_cast<int>(collegamenti_.size() - 1);
        }
        return;
    }
    case Cw::Pntext:
    case Cw::Listtext:
        scarica();
        marcatore_.clear();
        entra(Dest::Marcatore);
        return;
    case Cw::Upr:
        entra(Dest::Upr);
        return;
    case Cw::Object:
    case Cw::Result:
    case Cw::Shppict:
        return;
    case Cw::Bin: {
        // Binary data outside a picture is not ours to show.
        const qsizetype quanti = std::min<qsizetype>(std::max(p, 0), d_.size() - pos_);
        pos_ += quanti;
        return;
    }

    // Characters
    case Cw::Par:
    case Cw::Sect:
    case Cw::Nestrow:
        if (s.dest == Dest::Testo)
            fineParagrafo(true);
        return;
    case Cw::Page:
        if (s.dest == Dest::Testo) {
            fineParagrafo(true);
            interruzionePagina_ = true;
        }
        return;
    case Cw::Line:
        carattere(QChar::LineSeparator);
        return;
    case Cw::Tab:
    case Cw::Nestcell:
        carattere(u'\t');
        return;
    case Cw::Cell:
        if (s.dest == Dest::Testo)
            fineCella();
        return;
    case Cw::Row:
        if (s.dest == Dest::Testo)
            fineRiga();
        return;
    case Cw::Lquote:
        carattere(0x2018);
        return;
    case Cw::Rquote:
        carattere(0x2019);
        return;
    case Cw::Ldblquote:
        carattere(0x201C);
        return;
    case Cw::Rdblquote:
        carattere(0x201D);
        return;
    case Cw::Endash:
        carattere(0x2013);
        return;
    case Cw::Emdash:
        carattere(0x2014);
        return;
    case Cw::Bullet:
        carattere(0x2022);
        return;
    case Cw::Emspace:
        carattere(0x2003);
        return;
    case Cw::Enspace:
        carattere(0x2002);
        return;
    case Cw::Qmspace:
        carattere(0x2005);
        return;
    case Cw::Zwj:
        carattere(0x200D);
        return;
    case Cw::Zwnj:
        carattere(0x200C);
        return;
    case Cw::Ltrmark:
        carattere(0x200E);
        return;
    case Cw::Rtlmark:
        carattere(0x200F);
        return;
    case Cw::Chpgn:
        return;

    // Character formatting
    case Cw::Plain: {
        const int collegamento = s.car.collegamento;
        s.car = Carattere{};
        s.car.collegamento = collegamento;
        aggiornaCodePage(s);
        return;
    }
    case Cw::F:
        s.car.font = p;
        aggiornaCodePage(s);
        return;
    case Cw::Fs:
        s.car.mezziPunti = haParametro ? limita(p, 2, 3276) : 24;
        return;
    case Cw::B:
        s.car.grassetto = attiva;
        return;
    case Cw::I:
        s.car.corsivo = attiva;
        return;
    case Cw::Ul:
        s.car.sottolineato = attiva;
        return;
    case Cw::Ulnone:
        s.car.sottolineato = false;
        return;
    case Cw::Strike:
    case Cw::Striked:
        s.car.barrato = attiva;
        return;
    case Cw::Cf:
        s.car.colore = limita(p, 0, kVociColoreMassime);
        return;
    case Cw::Cb:
    case Cw::Highlight:
    case Cw::Chcbpat:
        s.car.sfondo = limita(p, 0, kVociColoreMassime);
        return;
    case Cw::Super:
        s.car.posizione = attiva ? Sposta::Apice : Sposta::Normale;
        return;
    case Cw::Sub:
        s.car.posizione = attiva ? Sposta::Pedice : Sposta::Normale;
        return;
    case Cw::Up:
        s.car.spostamento = haParametro ? limita(p, -1000, 1000) : 6;
        return;
    case Cw::Dn:
        s.car.spostamento = -(haParametro ? limita(p, -1000, 1000) : 6);
        return;
    case Cw::Nosupersub:
        s.car.posizione = Sposta::Normale;
        return;
    case Cw::Caps:
        s.car.maiuscole = attiva;
        return;
    case Cw::Scaps:
        s.car.maiuscoletto = attiva;
        return;
    case Cw::V:
        if (attiva)
            scarica();
        s.car.nascosto = attiva;
        return;
    case Cw::Protect:
        s.car.protetto = attiva;
        return;

    // Paragraph formatting: set after the content's group closed, it is the paragraph's again.
    case Cw::Pard:
        contenutoUscito_ = false;
        s.par = Paragrafo{};
        return;
    case Cw::Ql:
        contenutoUscito_ = false;
        s.par.allineamento = 0;
        return;
    case Cw::Qc:
        contenutoUscito_ = false;
        s.par.allineamento = 1;
        return;
    case Cw::Qr:
        contenutoUscito_ = false;
        s.par.allineamento = 2;
        return;
    case Cw::Qj:
        contenutoUscito_ = false;
        s.par.allineamento = 3;
        return;
    case Cw::Li:
        contenutoUscito_ = false;
        s.par.sinistro = twips;
        return;
    case Cw::Ri:
        contenutoUscito_ = false;
        s.par.destro = twips;
        return;
    case Cw::Fi:
        contenutoUscito_ = false;
        s.par.primaRiga = twips;
        return;
    case Cw::Sb:
        contenutoUscito_ = false;
        s.par.prima = std::max(twips, 0);
        return;
    case Cw::Sa:
        contenutoUscito_ = false;
        s.par.dopo = std::max(twips, 0);
        return;
    case Cw::Sl:
        contenutoUscito_ = false;
        s.par.interlinea = twips;
        return;
    case Cw::Slmult:
        s.par.multiplo = attiva;
        return;
    case Cw::Tqr:
        s.par.tipoTabSeguente = QTextOption::RightTab;
        return;
    case Cw::Tqc:
        s.par.tipoTabSeguente = QTextOption::CenterTab;
        return;
    case Cw::Tqdec:
        s.par.tipoTabSeguente = QTextOption::DelimiterTab;
        return;
    case Cw::Tx:
    case Cw::Tb:
        if (s.par.tabs.size() < 64)
            s.par.tabs.push_back({std::clamp(twips, 0, kTwipsMassimi), s.par.tipoTabSeguente});
        s.par.tipoTabSeguente = QTextOption::LeftTab;
        return;
    case Cw::Intbl:
        s.par.inTabella = attiva;
        return;
    case Cw::Ls:
        s.par.lista = limita(p, 0, 32767);
        return;
    case Cw::Ilvl:
        s.par.livello = limita(p, 0, 8);
        return;
    case Cw::Trowd:
        cellx_.clear();
        spazioCelle_ = 30;
        bordiRiga_ = false;
        bordoInDefinizione_ = false;
        return;
    case Cw::Clbrdr:
        // A border is drawn unless its style, which follows, is none.
        bordiRiga_ = bordiRiga_ || bordoInDefinizione_;
        bordoInDefinizione_ = true;
        return;
    case Cw::Brdrnone:
        bordoInDefinizione_ = false;
        return;
    case Cw::Trgaph:
        spazioCelle_ = std::clamp(twips, 0, 1440);
        return;
    case Cw::Cellx:
        bordiRiga_ = bordiRiga_ || bordoInDefinizione_;
        bordoInDefinizione_ = false;
        if (cellx_.size() < static_cast<std::size_t>(kColonneMassime))
            cellx_.push_back(std::clamp(twips, 0, kTwipsMassimi));
        return;
    default:
        return;
    }
}

// Text waiting for its format goes into the document.
void Lettore::scarica() {
    if (surrogatoAlto_ && pila_.back().dest == Dest::Testo) {
        surrogatoAlto_ = 0;
        aggiungi(0xFFFD);
    }
    if (testo_.isEmpty())
        return;
    if (!formatoValido_ || !(carFormato_ == carTesto_)) {
        formato_ = formatoCarattere(carTesto_);
        carFormato_ = carTesto_;
        formatoValido_ = true;
    }
    cursore_.insertText(testo_, formato_);
    testo_.clear();
}

QTextCharFormat Lettore::formatoCarattere(const Carattere& c) {
    QTextCharFormat f;
    const auto font = fonts_.find(c.font < 0 ? fontPredefinito_ : c.font);
    if (font != fonts_.end() && !font->second.nome.isEmpty()) {
        f.setFontFamilies(QStringList{font->second.nome});
        if (font->second.famiglia != QFont::AnyStyle)
            f.setFontStyleHint(font->second.famiglia);
    }
    f.setFontPointSize(c.mezziPunti / 2.0);
    if (c.grassetto)
        f.setFontWeight(QFont::Bold);
    if (c.corsivo)
        f.setFontItalic(true);
    if (c.sottolineato)
        f.setFontUnderline(true);
    if (c.barrato)
        f.setFontStrikeOut(true);
    if (c.maiuscole)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (c.maiuscoletto)
        f.setFontCapitalization(QFont::SmallCaps);
    if (c.posizione == Sposta::Apice)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (c.posizione == Sposta::Pedice)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    // Raised text keeps its size: its offset is kept in percent of it.
    if (c.spostamento != 0)
        f.setBaselineOffset(c.spostamento * 100.0 / c.mezziPunti);
    const auto colore = [this](int i) -> const Colore* {
        if (i <= 0 || i >= static_cast<int>(colori_.size()) || colori_[i].automatico)
            return nullptr;
        return &colori_[i];
    };
    if (const Colore* k = colore(c.colore))
        f.setForeground(QColor(k->r, k->g, k->b));
    if (const Colore* k = colore(c.sfondo))
        f.setBackground(QColor(k->r, k->g, k->b));
    if (c.protetto)
        f.setProperty(QTextFormat::UserProperty, true);
    if (c.collegamento >= 0 && c.collegamento < collegamenti_.size()) {
        f.setAnchor(true);
        f.setAnchorHref(collegamenti_[c.collegamento]);
    }
    return f;
}

QTextBlockFormat Lettore::formatoBlocco(const Paragrafo& p) const {
    QTextBlockFormat b;
    static constexpr Qt::Alignment allineamenti[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                     Qt::AlignRight, Qt::AlignJustify};
    b.setAlignment(allineamenti[p.allineamento & 3]);
    // Layout units are pixels at 96 dots per inch: 15 twips each.
    const bool inLista = p.lista > 0 || p.pn != StileLista::Nessuno;
    if (!inLista) {
        b.setLeftMargin(p.sinistro / 15.0);
        b.setTextIndent(p.primaRiga / 15.0);
    }
    b.setRightMargin(p.destro / 15.0);
    b.setTopMargin(p.prima / 15.0);
    b.setBottomMargin(p.dopo / 15.0);
    if (p.interlinea != 0) {
        if (p.multiplo && p.interlinea > 0)
            b.setLineHeight(p.interlinea * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (p.interlinea < 0)
            b.setLineHeight(-p.interlinea / 20.0, QTextBlockFormat::FixedHeight);
        else
            b.setLineHeight(p.interlinea / 20.0, QTextBlockFormat::MinimumHeight);
    }
    if (!p.tabs.empty()) {
        QList<QTextOption::Tab> tabs;
        for (const Tab& t : p.tabs)
            tabs.append(QTextOption::Tab(t.posizione / 15.0, t.tipo));
        b.setTabPositions(tabs);
    }
    if (interruzionePagina_)
        b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return b;
}

// Called before anything goes into the current paragraph: tables are entered and left here.
void Lettore::preparaContenuto() {
    parContenuto_ = pila_.back().par;
    profContenuto_ = pila_.size();
    contenutoUscito_ = false;
    const bool inTabella = pila_.back().par.inTabella;
    if (inTabella && !tabella_) {
        entraInTabella();
    } else if (!inTabella && tabella_) {
        esciDaTabella();
    } else if (tabella_ && rigaChiusa_) {
        bloccoPendente_ = false;
        rigaChiusa_ = false;
        tabella_->appendRows(1);
        ++riga_;
        colonna_ = 0;
        cursore_ = tabella_->cellAt(riga_, 0).firstCursorPosition();
    } else if (tabella_ && cellaChiusa_) {
        bloccoPendente_ = false;
        cellaSeguente();
    } else if (bloccoPendente_) {
        apriBloccoPendente();
    }
}

// A \par only ends its paragraph; the next one is opened when something goes into it, so that
// a closing \par, or one before a table, leaves no empty paragraph behind.
void Lettore::apriBloccoPendente() {
    bloccoPendente_ = false;
    cursore_.insertBlock();
    QTextCursor c(cursore_);
    if (QTextList* l = c.currentList())
        l->remove(c.block());
    c.setBlockFormat(QTextBlockFormat());
}

void Lettore::entraInTabella() {
    scarica();
    const int colonne = std::max<int>(1, static_cast<int>(cellx_.size()));
    QTextTableFormat ft;
    ft.setBorder(bordiRiga_ ? 1 : 0);
    ft.setBorderStyle(bordiRiga_ ? QTextFrameFormat::BorderStyle_Solid
                                 : QTextFrameFormat::BorderStyle_None);
    ft.setCellPadding(spazioCelle_ / 15.0);
    ft.setCellSpacing(0);
    if (!cellx_.empty()) {
        QList<QTextLength> larghezze;
        int sinistra = 0;
        for (int x : cellx_) {
            larghezze.append(
                QTextLength(QTextLength::FixedLength, std::max(x - sinistra, 15) / 15.0));
            sinistra = std::max(x, sinistra);
        }
        ft.setColumnWidthConstraints(larghezze);
    }
    // Inserted at the end of the paragraph before it, the table follows that paragraph and Qt
    // opens the paragraph after it.
    bloccoPendente_ = false;
    tabella_ = cursore_.insertTable(1, colonne, ft);
    riga_ = 0;
    colonna_ = 0;
    rigaChiusa_ = false;
    cellaChiusa_ = false;
    cursore_ = tabella_->cellAt(0, 0).firstCursorPosition();
}

void Lettore::esciDaTabella() {
    scarica();
    // Flushing pending text can itself leave the table (it prepares the content it writes).
    if (!tabella_)
        return;
    bloccoPendente_ = false;
    QTextCursor dopo = tabella_->lastCursorPosition();
    dopo.movePosition(QTextCursor::NextBlock);
    cursore_ = dopo;
    tabella_ = nullptr;
    rigaChiusa_ = false;
    cellaChiusa_ = false;
}

void Lettore::fineCella() {
    scarica();
    if (bloccoPendente_ && tabella_ && !rigaChiusa_ && !cellaChiusa_)
        apriBloccoPendente(); // an empty last paragraph in the cell
    if (!tabella_ || rigaChiusa_ || cellaChiusa_) {
        // Opens the cell this mark ends: an empty one, or one outside any table paragraph.
        Paragrafo& par = stato().par;
        const bool era = par.inTabella;
        par.inTabella = true;
        preparaContenuto();
        par.inTabella = era;
    }
    cursore_.setBlockFormat(formatoBlocco(contenutoUscito_ ? parContenuto_ : stato().par));
    contenutoUscito_ = false;
    // The next cell is opened by what follows, so that a row's last mark adds no column.
    cellaChiusa_ = true;
}

void Lettore::cellaSeguente() {
    cellaChiusa_ = false;
    if (colonna_ + 1 >= tabella_->columns()) {
        if (tabella_->columns() >= kColonneMassime) {
            // Cells beyond the cap run on as paragraphs of the last one.
            cursore_ = tabella_->cellAt(riga_, colonna_).lastCursorPosition();
            cursore_.insertBlock();
            return;
        }
        tabella_->appendColumns(1);
    }
    ++colonna_;
    cursore_ = tabella_->cellAt(riga_, colonna_).firstCursorPosition();
}

void Lettore::fineRiga() {
    scarica();
    if (!tabella_)
        return;
    rigaChiusa_ = true;
    cellaChiusa_ = false;
    colonna_ = 0;
}

// Ends the current paragraph: its properties are those in force at its mark.
void Lettore::fineParagrafo(bool nuovoBlocco) {
    scarica();
    const Paragrafo par = contenutoUscito_ ? parContenuto_ : pila_.back().par;
    if (nuovoBlocco)
        preparaContenuto();
    const Stato& s = pila_.back();
    if (!(inserimento_ && primoBlocco_)) {
        cursore_.setBlockFormat(formatoBlocco(par));
        if (!formatoValido_ || !(carFormato_ == s.car)) {
            formato_ = formatoCarattere(s.car);
            carFormato_ = s.car;
            formatoValido_ = true;
        }
        cursore_.setBlockCharFormat(formato_);
        QTextList* lista = nullptr;
        StileLista stile = StileLista::Nessuno;
        if (par.lista > 0) {
            stile = stileDaMarcatore(marcatore_);
            const int chiave = par.lista * 16 + par.livello;
            auto trovata = liste_.find(chiave);
            if (trovata != liste_.end() && trovata->second && trovata->second->count() > 0) {
                lista = trovata->second;
            } else {
                QTextListFormat fl;
                fl.setStyle(stileQt(stile));
                fl.setIndent(par.livello + 1);
                testoAttornoAlNumero(marcatore_, stile, fl);
                lista = cursore_.createList(fl);
                liste_[chiave] = lista;
            }
            // An item restarts the numbering of the levels below it.
            liste_.erase(liste_.upper_bound(chiave), liste_.lower_bound(par.lista * 16 + 16));
        } else if (par.pn != StileLista::Nessuno) {
            stile = par.pn;
            // WordPad knows one bullet; the marker written for older readers tells the others.
            if (stile == StileLista::Punto && !marcatore_.trimmed().isEmpty())
                stile = stileDaMarcatore(marcatore_);
            if (listaPrecedente_ && stilePrecedente_ == stile && listaPrecedente_->count() > 0) {
                lista = listaPrecedente_;
            } else {
                QTextListFormat fl;
                fl.setStyle(stileQt(stile));
                // WordPad gives no level; its indent steps are half an inch.
                fl.setIndent(std::max(1, static_cast<int>(std::lround(par.sinistro / 720.0))));
                testoAttornoAlNumero(marcatore_, stile, fl);
                lista = cursore_.createList(fl);
            }
        }
        if (lista && lista->itemNumber(cursore_.block()) < 0)
            lista->add(cursore_.block());
        listaPrecedente_ = lista;
        stilePrecedente_ = stile;
    }
    marcatore_.clear();
    contenutoUscito_ = false;
    interruzionePagina_ = false;
    primoBlocco_ = false;
    if (nuovoBlocco)
        bloccoPendente_ = true;
}

void Lettore::finisciImmagine() {
    Immagine img = std::move(immagine_);
    immagine_ = Immagine{};
    if (img.tipo != TipoImmagine::Png && img.tipo != TipoImmagine::Jpeg)
        return;
    QImage qi = QImage::fromData(img.dati, img.tipo == TipoImmagine::Png ? "PNG" : "JPEG");
    if (qi.isNull())
        return;
    double w = img.larghezzaVoluta > 0 ? img.larghezzaVoluta / 15.0 : qi.width();
    double h = img.altezzaVoluta > 0 ? img.altezzaVoluta / 15.0 : qi.height();
    w = std::clamp(w * img.scalaX / 100.0, 1.0, 20000.0);
    h = std::clamp(h * img.scalaY / 100.0, 1.0, 20000.0);
    const QString nome =
        QStringLiteral("rtfimg:") +
        QString::fromLatin1(QCryptographicHash::hash(img.dati, QCryptographicHash::Md5).toHex()) +
        (img.tipo == TipoImmagine::Png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    documento_->addResource(QTextDocument::ImageResource, QUrl(nome), qi);
    // The picture sits in the paragraph of the group around \pict.
    const bool nascosto = pila_.size() >= 2 && pila_[pila_.size() - 2].car.nascosto;
    if (nascosto || pila_.size() < 2 || pila_[pila_.size() - 2].dest != Dest::Testo)
        return;
    scarica();
    preparaContenuto();
    QTextImageFormat fi;
    fi.setName(nome);
    fi.setWidth(w);
    fi.setHeight(h);
    cursore_.insertImage(fi);
}

} // namespace

bool sembraRtf(QByteArrayView dati) {
    qsizetype i = 0;
    if (dati.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < dati.size() &&
           (dati[i] == ' ' || dati[i] == '\t' || dati[i] == '\r' || dati[i] == '\n'))
        ++i;
    return dati.sliced(i).startsWith("{\\rtf");
}

bool sembraRtf(QStringView testo) {
    return testo.trimmed().startsWith(QLatin1String("{\\rtf"));
}

void leggiRtf(QByteArrayView rtf, QTextDocument& documento) {
    // A new content is not an edit to undo: recording every insertion would only cost time.
    const bool annulla = documento.isUndoRedoEnabled();
    documento.setUndoRedoEnabled(false);
    documento.clear();
    QTextCursor cursore(&documento);
    Lettore(rtf, cursore, false).leggi();
    documento.setUndoRedoEnabled(annulla);
}

void inserisciRtf(QByteArrayView rtf, QTextCursor& cursore) {
    cursore.beginEditBlock();
    if (cursore.hasSelection())
        cursore.removeSelectedText();
    Lettore(rtf, cursore, true).leggi();
    cursore.endEditBlock();
}

QByteArray rtfDaStringa(QStringView testo) {
    QByteArray out;
    out.reserve(testo.size());
    for (QChar c : testo) {
        if (c.unicode() < 0x80) {
            out.append(static_cast<char>(c.unicode()));
        } else {
            // A group of its own, so that no fallback character is skipped after it.
            out.append("{\\uc0\\u");
            out.append(QByteArray::number(static_cast<short>(c.unicode())));
            out.append(" }");
        }
    }
    return out;
}

} // namespace hn
