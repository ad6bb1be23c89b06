#include "RtfWriter.h"

#include "Cp1250.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace hn {

namespace {

int twips(double pixel) {
    return static_cast<int>(std::lround(pixel * 15.0));
}

QString famiglia(const QTextCharFormat& f, const QTextDocument& d) {
    const QStringList famiglie = f.fontFamilies().toStringList();
    if (!famiglie.isEmpty() && !famiglie.front().isEmpty())
        return famiglie.front();
    return d.defaultFont().family();
}

double punti(const QTextCharFormat& f, const QTextDocument& d) {
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        return f.fontPointSize();
    const double p = d.defaultFont().pointSizeF();
    return p > 0 ? p : 12.0;
}

bool coloreImpostato(const QBrush& b) {
    return b.style() != Qt::NoBrush;
}

bool elencoPuntato(QTextListFormat::Style s) {
    return s == QTextListFormat::ListDisc || s == QTextListFormat::ListCircle ||
           s == QTextListFormat::ListSquare;
}

// Qt shows "1." when a list sets no suffix of its own.
QString suffisso(const QTextListFormat& f) {
    return f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix() : QStringLiteral(".");
}

// What makes two list levels the same: the marker's kind and its text around the number.
bool stessoMarcatore(const QTextListFormat& a, const QTextListFormat& b) {
    if (a.style() != b.style())
        return false;
    return elencoPuntato(a.style()) ||
           (a.numberPrefix() == b.numberPrefix() && suffisso(a) == suffisso(b));
}

// An item's marker in reading order, as the list table has it: Qt gives a right-to-left item's
// text around the number the other way round.
QString marcatore(const QTextList& l, const QTextBlock& b) {
    const QString testo = l.itemText(b);
    const QString prima = l.format().numberPrefix();
    const QString dopo = suffisso(l.format());
    const auto numero = [&](const QString& inizio, const QString& fine) {
        return testo.mid(inizio.size(), testo.size() - inizio.size() - fine.size());
    };
    if (testo.startsWith(prima) && testo.endsWith(dopo))
        return prima + numero(prima, dopo) + dopo;
    if (testo.startsWith(dopo) && testo.endsWith(prima))
        return prima + numero(dopo, prima) + dopo;
    return testo;
}

int livelloDi(const QTextList* l) {
    return std::clamp(l->format().indent(), 1, 9) - 1;
}

// Half-points a run is raised (negative: lowered) by, out of its offset in percent of its size.
int mezziPuntiSpostamento(const QTextCharFormat& f, double punti) {
    return static_cast<int>(std::lround(f.baselineOffset() * punti * 2.0 / 100.0));
}

// Qt keeps an empty paragraph before a table that opens the text: it is not the author's, and
// other readers would show it.
bool vuotoPrimaDiTabella(const QTextFrame* frame) {
    auto it = frame->begin();
    if (it.atEnd() || it.currentFrame() || it.currentBlock().length() > 1)
        return false;
    ++it;
    return !it.atEnd() && qobject_cast<const QTextTable*>(it.currentFrame());
}

constexpr int kLivelli = 9;
// The farthest right edge of a cell readers take (22 inches); a wider table ends there.
constexpr int kBordoMassimo = 31680;

// One list as word processors number it: up to nine levels, each with its own counter that
// restarts after an item of a shallower level.
struct ListaRtf {
    std::array<std::optional<QTextListFormat>, kLivelli> livelli;
    // The Qt list last numbered at each level; none after a shallower item restarted it.
    std::array<const QTextList*, kLivelli> ultima{};
    // The shallowest level an item has. A list indented deeper than its first level starts
    // there: other readers would take the levels above it for an outer list around it.
    int primo = kLivelli;
    bool chiusa = false; // it holds a list no other may join
};

class Scrittore {
public:
    explicit Scrittore(const QTextDocument& d)
        : d_(d) {}

    QByteArray scrivi();

private:
    void raccogli();
    void raccogliFormato(const QTextCharFormat& f);
    void raccogliListe();
    void trovaListeInterrotte();
    int listaPer(const QTextList* l, int corrente);
    int indiceFont(const QTextCharFormat& f) const { return fonts_.indexOf(famiglia(f, d_)); }
    int indiceColore(const QColor& c) const {
        return static_cast<int>(colori_.indexOf(c.rgb())) + 1;
    }

    void scriviFrame(const QTextFrame* frame, bool inTabella);
    void scriviTabella(const QTextTable* t);
    void scriviBlocco(const QTextBlock& b, bool inTabella, const char* fine);
    QTextCharFormat formatoPrevalente(const QTextBlock& b);
    void scriviFormatoParagrafo(const QTextBlockFormat& bf, const QTextList* lista);
    void scriviVoceLista(const QTextList& lista, const QTextBlock& b);
    void scriviSequenze(const QTextBlock& b, const QTextCharFormat& formato);
    void scriviFormatoCarattere(const QTextCharFormat& f);
    void scriviDifferenze(const QTextCharFormat& da, const QTextCharFormat& a);
    void scriviTabellaListe();
    void scriviLivello(const QTextListFormat& f, int livello, int rientro);
    void scriviTesto(QStringView testo);
    void scriviImmagine(const QTextImageFormat& f);
    QImage immagine(const QString& nome) const;

    const QTextDocument& d_;
    QStringList fonts_;
    QList<QFont::StyleHint> stili_;
    QList<QRgb> colori_;
    int fontSimbolo_ = -1;
    std::vector<ListaRtf> liste_; // \ls N is liste_[N - 1]
    std::unordered_map<const QTextList*, int> numeroLista_;
    std::unordered_set<const QTextList*> isolate_;
    QByteArray o_;
};

void Scrittore::raccogliFormato(const QTextCharFormat& f) {
    const QString nome = famiglia(f, d_);
    if (!fonts_.contains(nome)) {
        fonts_.append(nome);
        stili_.append(f.hasProperty(QTextFormat::FontStyleHint) ? f.fontStyleHint()
                                                                : QFont::AnyStyle);
    }
    if (coloreImpostato(f.foreground()) && !colori_.contains(f.foreground().color().rgb()))
        colori_.append(f.foreground().color().rgb());
    if (coloreImpostato(f.background()) && !colori_.contains(f.background().color().rgb()))
        colori_.append(f.background().color().rgb());
}

// Fonts and colours in order of first use, so that a document read back lists them the same.
void Scrittore::raccogli() {
    for (QTextBlock b = d_.begin(); b.isValid(); b = b.next()) {
        bool vuoto = true;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            vuoto = false;
            // A picture's run carries no text, so no font of its own.
            if (!it.fragment().charFormat().isImageFormat())
                raccogliFormato(it.fragment().charFormat());
        }
        if (vuoto && !(b == d_.begin() && vuotoPrimaDiTabella(d_.rootFrame())))
            raccogliFormato(b.charFormat());
    }
    if (fonts_.isEmpty()) {
        fonts_.append(d_.defaultFont().family());
        stili_.append(QFont::AnyStyle);
    }
    raccogliListe();
}

// Qt keeps each level of a nested list as a list of its own; word processors number the levels
// of one list together. A Qt list joins the list of the items just before it when it goes one
// level deeper (or back up), and starts a list of its own otherwise, so that two lists in a row
// keep two counters.
void Scrittore::raccogliListe() {
    trovaListeInterrotte();
    int corrente = 0;
    bool punti = false;
    for (QTextBlock b = d_.begin(); b.isValid(); b = b.next()) {
        const QTextList* l = b.textList();
        if (!l) {
            corrente = 0;
            continue;
        }
        corrente = listaPer(l, corrente);
        ListaRtf& lista = liste_[static_cast<std::size_t>(corrente - 1)];
        const int livello = livelloDi(l);
        if (!lista.livelli[livello])
            lista.livelli[livello] = l->format();
        lista.primo = std::min(lista.primo, livello);
        lista.ultima[livello] = l;
        for (int k = livello + 1; k < kLivelli; ++k)
            lista.ultima[k] = nullptr;
        punti = punti || l->format().style() == QTextListFormat::ListDisc;
    }
    if (punti) {
        fontSimbolo_ = static_cast<int>(fonts_.size());
        fonts_.append(QStringLiteral("Symbol"));
        stili_.append(QFont::AnyStyle);
    }
}

// A list with an item of a shallower list among its items would restart its numbering there
// once it shared a list of levels: it keeps a list of its own, which no other joins.
void Scrittore::trovaListeInterrotte() {
    std::vector<int> livelli; // of each paragraph's list; kLivelli when it has none
    std::unordered_map<const QTextList*, std::pair<int, int>> estensione; // first, last paragraph
    for (QTextBlock b = d_.begin(); b.isValid(); b = b.next()) {
        const QTextList* l = b.textList();
        const int n = static_cast<int>(livelli.size());
        livelli.push_back(l ? livelloDi(l) : kLivelli);
        if (l)
            estensione.try_emplace(l, n, n).first->second.second = n;
    }
    for (const auto& [l, e] : estensione) {
        const int livello = livelloDi(l);
        for (int i = e.first + 1; i < e.second; ++i)
            if (livelli[static_cast<std::size_t>(i)] < livello) {
                isolate_.insert(l);
                break;
            }
    }
}

int Scrittore::listaPer(const QTextList* l, int corrente) {
    if (const auto trovata = numeroLista_.find(l); trovata != numeroLista_.end())
        return trovata->second;
    const int livello = livelloDi(l);
    const bool isolata = isolate_.contains(l);
    int numero = 0;
    if (corrente > 0 && !isolata) {
        const ListaRtf& c = liste_[static_cast<std::size_t>(corrente - 1)];
        const bool libero = !c.ultima[livello] || c.ultima[livello] == l;
        const bool uguale =
            !c.livelli[livello] || stessoMarcatore(*c.livelli[livello], l->format());
        if (libero && uguale && !c.chiusa)
            numero = corrente;
    }
    if (numero == 0) {
        liste_.emplace_back();
        liste_.back().chiusa = isolata;
        numero = static_cast<int>(liste_.size());
    }
    numeroLista_[l] = numero;
    return numero;
}

// The list definitions: nine levels each, the ones no paragraph uses numbered "1." as Word's
// defaults are, and one override per list that \ls names.
void Scrittore::scriviTabellaListe() {
    if (liste_.empty())
        return;
    o_.append("{\\*\\listtable");
    for (std::size_t i = 0; i < liste_.size(); ++i) {
        o_.append("\r\n{\\list\\listtemplateid" + QByteArray::number(i + 1));
        const ListaRtf& l = liste_[i];
        for (int k = 0; k < kLivelli; ++k) {
            QTextListFormat f;
            f.setStyle(QTextListFormat::ListDecimal);
            const int rientro = k + l.primo;
            scriviLivello(rientro < kLivelli ? l.livelli[rientro].value_or(f) : f, k, rientro);
        }
        o_.append("{\\listname ;}\\listid" + QByteArray::number(i + 1) + '}');
    }
    o_.append("}\r\n{\\*\\listoverridetable");
    for (std::size_t i = 0; i < liste_.size(); ++i)
        o_.append("{\\listoverride\\listid" + QByteArray::number(i + 1) +
                  "\\listoverridecount0\\ls" + QByteArray::number(i + 1) + '}');
    o_.append("}\r\n");
}

// Level livello of a list, indented as the list's level rientro is in the document.
void Scrittore::scriviLivello(const QTextListFormat& f, int livello, int rientro) {
    int nfc = 0;
    switch (f.style()) {
    case QTextListFormat::ListUpperRoman:
        nfc = 1;
        break;
    case QTextListFormat::ListLowerRoman:
        nfc = 2;
        break;
    case QTextListFormat::ListUpperAlpha:
        nfc = 3;
        break;
    case QTextListFormat::ListLowerAlpha:
        nfc = 4;
        break;
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        nfc = 23;
        break;
    default:
        break;
    }
    o_.append("{\\listlevel\\levelnfc" + QByteArray::number(nfc) +
              "\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext");
    // The text's length comes first, then the level's number as a byte holding its index.
    const auto lunghezza = [this](qsizetype n) {
        static const char esa[] = "0123456789abcdef";
        o_.append("\\'");
        o_.append(esa[(n >> 4) & 15]);
        o_.append(esa[n & 15]);
    };
    QByteArray font;
    if (nfc == 23) {
        lunghezza(1);
        if (f.style() == QTextListFormat::ListDisc) {
            o_.append("\\'b7");
            font = "\\f" + QByteArray::number(fontSimbolo_);
        } else {
            o_.append(f.style() == QTextListFormat::ListCircle ? "o" : "\\u9642?");
        }
        o_.append(";}{\\levelnumbers;}");
    } else {
        const QString prima = f.numberPrefix();
        const QString dopo = suffisso(f);
        lunghezza(prima.size() + 1 + dopo.size());
        scriviTesto(prima);
        lunghezza(livello);
        scriviTesto(dopo);
        o_.append(";}{\\levelnumbers");
        lunghezza(prima.size() + 1);
        o_.append(";}");
    }
    o_.append(font + "\\fi-360\\li" + QByteArray::number(720 * (rientro + 1)) + '}');
}

void Scrittore::scriviTesto(QStringView testo) {
    for (QChar c : testo) {
        const char16_t u = c.unicode();
        switch (u) {
        case '\\':
            o_.append("\\\\");
            continue;
        case '{':
            o_.append("\\{");
            continue;
        case '}':
            o_.append("\\}");
            continue;
        case '\t':
            o_.append("\\tab ");
            continue;
        case 0x2028:
            o_.append("\\line ");
            continue;
        case 0x00A0:
            o_.append("\\~");
            continue;
        case 0x00AD:
            o_.append("\\-");
            continue;
        case 0x2011:
            o_.append("\\_");
            continue;
        case 0xFFFC:
        case 0x2029:
            continue;
        default:
            break;
        }
        if (u < 0x80 && u >= 0x20) {
            o_.append(static_cast<char>(u));
            continue;
        }
        if (const unsigned char b = unicodeToCp1250(u)) {
            static const char esa[] = "0123456789abcdef";
            o_.append("\\'");
            o_.append(esa[b >> 4]);
            o_.append(esa[b & 15]);
        } else {
            // Signed 16-bit, as RTF numbers are; a "?" for readers without Unicode.
            o_.append("\\u");
            o_.append(QByteArray::number(static_cast<short>(u)));
            o_.append('?');
        }
    }
}

void Scrittore::scriviFormatoCarattere(const QTextCharFormat& f) {
    o_.append("\\plain\\f");
    o_.append(QByteArray::number(std::max(indiceFont(f), 0)));
    o_.append("\\fs");
    o_.append(QByteArray::number(static_cast<int>(std::lround(punti(f, d_) * 2))));
    if (f.fontWeight() >= QFont::DemiBold)
        o_.append("\\b");
    if (f.fontItalic())
        o_.append("\\i");
    if (f.fontUnderline())
        o_.append("\\ul");
    if (f.fontStrikeOut())
        o_.append("\\strike");
    if (f.fontCapitalization() == QFont::AllUppercase)
        o_.append("\\caps");
    else if (f.fontCapitalization() == QFont::SmallCaps)
        o_.append("\\scaps");
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        o_.append("\\super");
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        o_.append("\\sub");
    if (const int su = mezziPuntiSpostamento(f, punti(f, d_)); su > 0)
        o_.append("\\up" + QByteArray::number(su));
    else if (su < 0)
        o_.append("\\dn" + QByteArray::number(-su));
    if (coloreImpostato(f.foreground())) {
        o_.append("\\cf");
        o_.append(QByteArray::number(indiceColore(f.foreground().color())));
    }
    if (coloreImpostato(f.background())) {
        o_.append("\\highlight");
        o_.append(QByteArray::number(indiceColore(f.background().color())));
    }
    if (f.property(QTextFormat::UserProperty).toBool())
        o_.append("\\protect");
    o_.append(' ');
}

// A run written as a group of the changes from the paragraph's own format, each switched on or
// off explicitly: readers that lose their way after a \plain in mid-paragraph (LibreOffice drops
// the text after a superscript closed that way) read every run alike.
void Scrittore::scriviDifferenze(const QTextCharFormat& da, const QTextCharFormat& a) {
    const auto interruttore = [this](bool prima, bool dopo, const char* parola) {
        if (prima == dopo)
            return;
        o_.append(parola);
        if (!dopo)
            o_.append('0');
    };
    if (const int f = std::max(indiceFont(a), 0); f != std::max(indiceFont(da), 0))
        o_.append("\\f" + QByteArray::number(f));
    const double pa = punti(a, d_);
    if (const int fs = static_cast<int>(std::lround(pa * 2)); fs != std::lround(punti(da, d_) * 2))
        o_.append("\\fs" + QByteArray::number(fs));
    interruttore(da.fontWeight() >= QFont::DemiBold, a.fontWeight() >= QFont::DemiBold, "\\b");
    interruttore(da.fontItalic(), a.fontItalic(), "\\i");
    interruttore(da.fontUnderline(), a.fontUnderline(), "\\ul");
    interruttore(da.fontStrikeOut(), a.fontStrikeOut(), "\\strike");
    interruttore(da.fontCapitalization() == QFont::AllUppercase,
                 a.fontCapitalization() == QFont::AllUppercase, "\\caps");
    interruttore(da.fontCapitalization() == QFont::SmallCaps,
                 a.fontCapitalization() == QFont::SmallCaps, "\\scaps");
    if (a.verticalAlignment() != da.verticalAlignment()) {
        if (a.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            o_.append("\\super");
        else if (a.verticalAlignment() == QTextCharFormat::AlignSubScript)
            o_.append("\\sub");
        else
            o_.append("\\nosupersub");
    }
    if (const int su = mezziPuntiSpostamento(a, pa); su != mezziPuntiSpostamento(da, punti(da, d_)))
        o_.append(su >= 0 ? "\\up" + QByteArray::number(su) : "\\dn" + QByteArray::number(-su));
    const auto colore = [this](const QBrush& b) {
        return coloreImpostato(b) ? indiceColore(b.color()) : 0;
    };
    if (const int c = colore(a.foreground()); c != colore(da.foreground()))
        o_.append("\\cf" + QByteArray::number(c));
    if (const int c = colore(a.background()); c != colore(da.background()))
        o_.append("\\highlight" + QByteArray::number(c));
    interruttore(da.property(QTextFormat::UserProperty).toBool(),
                 a.property(QTextFormat::UserProperty).toBool(), "\\protect");
}

QImage Scrittore::immagine(const QString& nome) const {
    const QVariant r = d_.resource(QTextDocument::ImageResource, QUrl(nome));
    if (r.canConvert<QImage>() && r.typeId() == QMetaType::QImage)
        return r.value<QImage>();
    if (r.typeId() == QMetaType::QPixmap)
        return r.value<QPixmap>().toImage();
    if (r.typeId() == QMetaType::QByteArray)
        return QImage::fromData(r.toByteArray());
    return {};
}

void Scrittore::scriviImmagine(const QTextImageFormat& f) {
    const QImage img = immagine(f.name());
    if (img.isNull())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter scrittore(&buffer, "png");
    if (!scrittore.write(img))
        return;
    const double w = f.width() > 0 ? f.width() : img.width();
    const double h = f.height() > 0 ? f.height() : img.height();
    o_.append("{\\pict\\pngblip\\picw" + QByteArray::number(img.width()) + "\\pich" +
              QByteArray::number(img.height()) + "\\picwgoal" + QByteArray::number(twips(w)) +
              "\\pichgoal" + QByteArray::number(twips(h)) + "\r\n");
    const QByteArray esa = png.toHex();
    for (qsizetype i = 0; i < esa.size(); i += 128) {
        o_.append(esa.mid(i, 128));
        o_.append("\r\n");
    }
    o_.append('}');
}

// A paragraph ends with a page break when the one after it starts a page.
const char* marcaDiFine(const QTextBlock& b) {
    const QTextBlock dopo = b.next();
    const bool pagina = dopo.isValid() &&
                        dopo.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
    return pagina ? "\\page" : "\\par";
}

// The paragraph's format is the look of most of its text, so that the other runs are the few
// marked ones; looks are told apart as they are written, so that runs Qt keeps apart for what RTF
// does not carry count together. A link's look is its own, not the paragraph's.
QTextCharFormat Scrittore::formatoPrevalente(const QTextBlock& b) {
    struct Aspetto {
        QByteArray scritto;
        QTextCharFormat formato;
        qsizetype lunghezza;
    };
    for (const bool collegamenti : {false, true}) {
        std::vector<Aspetto> aspetti;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QTextCharFormat f = fr.charFormat();
            if (f.isImageFormat() || f.isAnchor() != collegamenti)
                continue;
            const qsizetype prima = o_.size();
            scriviFormatoCarattere(f);
            const QByteArray scritto = o_.sliced(prima);
            o_.truncate(prima);
            const auto uguale = [&](const Aspetto& a) { return a.scritto == scritto; };
            if (auto a = std::find_if(aspetti.begin(), aspetti.end(), uguale); a != aspetti.end())
                a->lunghezza += fr.length();
            else
                aspetti.push_back({scritto, f, fr.length()});
        }
        // The first of the longest.
        const auto piuLungo = std::max_element(
            aspetti.begin(), aspetti.end(),
            [](const Aspetto& x, const Aspetto& y) { return x.lunghezza < y.lunghezza; });
        if (piuLungo != aspetti.end())
            return piuLungo->formato;
    }
    return b.charFormat();
}

void Scrittore::scriviBlocco(const QTextBlock& b, bool inTabella, const char* fine) {
    o_.append("\\pard");
    // The first run's characters come before the paragraph's properties: pandoc's reader takes a
    // later \plain as the end of \intbl and nests the table in itself.
    const QTextCharFormat formato = formatoPrevalente(b);
    scriviFormatoCarattere(formato);
    if (inTabella)
        o_.append("\\intbl");
    scriviFormatoParagrafo(b.blockFormat(), b.textList());
    o_.append(' '); // ends the last control word, whatever follows
    if (const QTextList* lista = b.textList())
        scriviVoceLista(*lista, b);
    scriviSequenze(b, formato);
    o_.append(fine);
    o_.append("\r\n");
}

void Scrittore::scriviFormatoParagrafo(const QTextBlockFormat& bf, const QTextList* lista) {
    if (bf.layoutDirection() == Qt::RightToLeft)
        o_.append("\\rtlpar");
    const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        o_.append("\\qc");
    else if (a & (Qt::AlignRight | Qt::AlignTrailing))
        o_.append("\\qr");
    else if (a & Qt::AlignJustify)
        o_.append("\\qj");
    else
        o_.append("\\ql");
    const auto numero = [this](const char* parola, int valore) {
        if (valore == 0)
            return;
        o_.append(parola);
        o_.append(QByteArray::number(valore));
    };
    if (lista) {
        numero("\\fi", -360);
        numero("\\li", 720 * std::max(lista->format().indent(), 1));
    } else {
        numero("\\fi", twips(bf.textIndent()));
        numero("\\li", twips(bf.leftMargin()));
    }
    numero("\\ri", twips(bf.rightMargin()));
    numero("\\sb", twips(bf.topMargin()));
    numero("\\sa", twips(bf.bottomMargin()));
    switch (bf.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (std::lround(bf.lineHeight()) != 100) {
            numero("\\sl", static_cast<int>(std::lround(bf.lineHeight() * 240.0 / 100.0)));
            o_.append("\\slmult1");
        }
        break;
    case QTextBlockFormat::FixedHeight:
        numero("\\sl", -static_cast<int>(std::lround(bf.lineHeight() * 20.0)));
        o_.append("\\slmult0");
        break;
    case QTextBlockFormat::MinimumHeight:
        numero("\\sl", static_cast<int>(std::lround(bf.lineHeight() * 20.0)));
        o_.append("\\slmult0");
        break;
    default:
        break;
    }
    for (const QTextOption::Tab& t : bf.tabPositions()) {
        if (t.type == QTextOption::RightTab)
            o_.append("\\tqr");
        else if (t.type == QTextOption::CenterTab)
            o_.append("\\tqc");
        else if (t.type == QTextOption::DelimiterTab)
            o_.append("\\tqdec");
        o_.append("\\tx");
        o_.append(QByteArray::number(twips(t.position)));
    }
}

// The list's number and level for readers that know list definitions, then the marker as text
// for those that do not (they skip nothing else).
void Scrittore::scriviVoceLista(const QTextList& lista, const QTextBlock& b) {
    const int numero = numeroLista_.at(&lista);
    o_.append(
        "\\ls" + QByteArray::number(numero) + "\\ilvl" +
        QByteArray::number(livelloDi(&lista) - liste_[static_cast<std::size_t>(numero - 1)].primo) +
        ' ');
    const QTextListFormat lf = lista.format();
    if (elencoPuntato(lf.style())) {
        // The Symbol font's bullet as Word writes it; circle and square as letters of the
        // text's own font, which this reader tells apart.
        const bool disco = lf.style() == QTextListFormat::ListDisc;
        o_.append("{\\pntext\\f" + QByteArray::number(disco ? fontSimbolo_ : 0) + ' ' +
                  (disco                                       ? "\\'b7"
                   : lf.style() == QTextListFormat::ListCircle ? "o"
                                                               : "\\u9642?") +
                  "\\tab}");
    } else {
        o_.append("{\\pntext ");
        scriviTesto(marcatore(lista, b));
        o_.append("\\tab}");
    }
}

// The paragraph's runs, each a group of its changes from the paragraph's format; links as
// fields around their runs.
void Scrittore::scriviSequenze(const QTextBlock& b, const QTextCharFormat& formato) {
    QString collegamento;
    bool dopoParola = false; // bare text right after a control word needs its space
    // The changes of the group just written, which a run that reads alike joins.
    QByteArray gruppo;
    const auto chiudiCollegamento = [&] {
        if (!collegamento.isEmpty())
            o_.append("}}");
        collegamento.clear();
        gruppo.clear();
    };
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment fr = it.fragment();
        const QTextCharFormat f = fr.charFormat();
        const QString href = f.isAnchor() ? f.anchorHref() : QString();
        if (href != collegamento) {
            chiudiCollegamento();
            if (!href.isEmpty()) {
                o_.append("{\\field{\\*\\fldinst{HYPERLINK \"");
                scriviTesto(href);
                o_.append("\"}}{\\fldrslt");
                collegamento = href;
                dopoParola = true;
            }
        }
        if (f.isImageFormat()) {
            scriviImmagine(f.toImageFormat());
            dopoParola = false;
            gruppo.clear();
            continue;
        }
        const qsizetype prima = o_.size();
        o_.append('{');
        scriviDifferenze(formato, f);
        const QByteArray differenze = o_.sliced(prima + 1);
        if (differenze.isEmpty()) {
            // The paragraph's own format: no group needed.
            o_.chop(1);
            if (dopoParola)
                o_.append(' ');
            scriviTesto(fr.text());
        } else if (differenze == gruppo) {
            // Qt kept it apart for a difference RTF does not carry: the same group goes on.
            o_.truncate(prima - 1);
            scriviTesto(fr.text());
            o_.append('}');
        } else {
            o_.append(' ');
            scriviTesto(fr.text());
            o_.append('}');
        }
        gruppo = differenze;
        dopoParola = false;
    }
    chiudiCollegamento();
}

void Scrittore::scriviTabella(const QTextTable* t) {
    const QTextTableFormat ft = t->format();
    const QList<QTextLength> vincoli = ft.columnWidthConstraints();
    QByteArray riga = "\\trowd\\trgaph" + QByteArray::number(twips(ft.cellPadding())) + "\\trleft0";
    int x = 0;
    for (int c = 0; c < t->columns(); ++c) {
        int w = 9000 / std::max(t->columns(), 1);
        if (c < vincoli.size() && vincoli[c].type() == QTextLength::FixedLength)
            w = std::max(twips(vincoli[c].rawValue()), 15);
        x += w;
        if (ft.border() > 0)
            riga += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                    "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";
        riga += "\\cellx" + QByteArray::number(std::min(x, kBordoMassimo));
    }
    for (int r = 0; r < t->rows(); ++r) {
        o_.append(riga);
        o_.append("\r\n");
        for (int c = 0; c < t->columns(); ++c) {
            const QTextTableCell cella = t->cellAt(r, c);
            if (cella.row() != r || cella.column() != c) {
                o_.append("\\pard\\intbl\\cell\r\n"); // covered by a merged cell
                continue;
            }
            // Blocks of the cell, nested tables flattened into paragraphs.
            QList<QTextBlock> blocchi;
            for (QTextBlock b = d_.findBlock(cella.firstPosition());
                 b.isValid() && b.position() <= cella.lastPosition(); b = b.next())
                blocchi.append(b);
            for (qsizetype i = 0; i < blocchi.size(); ++i)
                scriviBlocco(blocchi[i], true,
                             i + 1 == blocchi.size() ? "\\cell" : marcaDiFine(blocchi[i]));
        }
        o_.append("\\row\r\n");
    }
}

void Scrittore::scriviFrame(const QTextFrame* frame, bool inTabella) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (it == frame->begin() && vuotoPrimaDiTabella(frame))
            continue;
        if (const QTextFrame* figlio = it.currentFrame()) {
            if (const auto* t = qobject_cast<const QTextTable*>(figlio))
                scriviTabella(t);
            else
                scriviFrame(figlio, inTabella);
            continue;
        }
        const QTextBlock b = it.currentBlock();
        scriviBlocco(b, inTabella, marcaDiFine(b));
    }
}

QByteArray Scrittore::scrivi() {
    raccogli();
    o_ = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\uc1\r\n{\\fonttbl";
    for (qsizetype i = 0; i < fonts_.size(); ++i) {
        const char* classe = "\\fnil";
        switch (stili_[i]) {
        case QFont::Serif:
            classe = "\\froman";
            break;
        case QFont::SansSerif:
            classe = "\\fswiss";
            break;
        case QFont::Monospace:
            classe = "\\fmodern";
            break;
        case QFont::Cursive:
            classe = "\\fscript";
            break;
        case QFont::Decorative:
            classe = "\\fdecor";
            break;
        default:
            break;
        }
        o_.append("{\\f" + QByteArray::number(i) + classe +
                  (i == fontSimbolo_ ? "\\fcharset2 " : "\\fcharset238 "));
        scriviTesto(fonts_[i]);
        o_.append(";}");
    }
    o_.append("}\r\n{\\colortbl ;");
    for (QRgb c : colori_)
        o_.append("\\red" + QByteArray::number(qRed(c)) + "\\green" +
                  QByteArray::number(qGreen(c)) + "\\blue" + QByteArray::number(qBlue(c)) + ';');
    o_.append("}\r\n");
    scriviTabellaListe();
    o_.append("\\viewkind4\r\n");
    scriviFrame(d_.rootFrame(), false);
    o_.append("}\r\n");
    return o_;
}

} // namespace

QByteArray scriviRtf(const QTextDocument& documento) {
    return Scrittore(documento).scrivi();
}

QByteArray scriviRtf(const QTextCursor& selezione) {
    QTextDocument parte;
    if (const QTextDocument* origine = selezione.document())
        parte.setDefaultFont(origine->defaultFont());
    if (selezione.hasSelection()) {
        QTextCursor c(&parte);
        c.insertFragment(selezione.selection());
        // Pictures keep their names; their data stays with the source document.
        for (QTextBlock b = parte.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (f.isImageFormat() && selezione.document()) {
                    const QUrl nome(f.toImageFormat().name());
                    parte.addResource(
                        QTextDocument::ImageResource, nome,
                        selezione.document()->resource(QTextDocument::ImageResource, nome));
                }
            }
    }
    return scriviRtf(parte);
}

} // namespace hn
