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
#include <cmath>

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

class Scrittore {
public:
    explicit Scrittore(const QTextDocument& d)
        : d_(d) {}

    QByteArray scrivi();

private:
    void raccogli();
    void raccogliFormato(const QTextCharFormat& f);
    int indiceFont(const QTextCharFormat& f) const { return fonts_.indexOf(famiglia(f, d_)); }
    int indiceColore(const QColor& c) const {
        return static_cast<int>(colori_.indexOf(c.rgb())) + 1;
    }

    void scriviFrame(const QTextFrame* frame, bool inTabella);
    void scriviTabella(const QTextTable* t);
    void scriviBlocco(const QTextBlock& b, bool inTabella, const char* fine);
    void scriviFormatoCarattere(const QTextCharFormat& f);
    void scriviTesto(QStringView testo);
    void scriviImmagine(const QTextImageFormat& f);
    QImage immagine(const QString& nome) const;

    const QTextDocument& d_;
    QStringList fonts_;
    QList<QFont::StyleHint> stili_;
    QList<QRgb> colori_;
    int fontSimbolo_ = -1;
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
    bool punti = false;
    for (QTextBlock b = d_.begin(); b.isValid(); b = b.next()) {
        if (QTextList* l = b.textList())
            if (l->format().style() == QTextListFormat::ListDisc ||
                l->format().style() == QTextListFormat::ListCircle ||
                l->format().style() == QTextListFormat::ListSquare)
                punti = true;
        bool vuoto = true;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            vuoto = false;
            // A picture's run carries no text, so no font of its own.
            if (!it.fragment().charFormat().isImageFormat())
                raccogliFormato(it.fragment().charFormat());
        }
        if (vuoto)
            raccogliFormato(b.charFormat());
    }
    if (fonts_.isEmpty()) {
        fonts_.append(d_.defaultFont().family());
        stili_.append(QFont::AnyStyle);
    }
    if (punti) {
        fontSimbolo_ = static_cast<int>(fonts_.size());
        fonts_.append(QStringLiteral("Symbol"));
        stili_.append(QFont::AnyStyle);
    }
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
        if (u < 0x20)
            continue;
        if (u < 0x80) {
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

void Scrittore::scriviBlocco(const QTextBlock& b, bool inTabella, const char* fine) {
    const QTextBlockFormat bf = b.blockFormat();
    o_.append("\\pard");
    // The first run's characters come before the paragraph's properties: pandoc's reader takes a
    // later \plain as the end of \intbl and nests the table in itself.
    QTextCharFormat precedente = b.charFormat();
    for (auto it = b.begin(); !it.atEnd(); ++it)
        if (!it.fragment().charFormat().isImageFormat()) {
            precedente = it.fragment().charFormat();
            break;
        }
    scriviFormatoCarattere(precedente);
    if (inTabella)
        o_.append("\\intbl");
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
    QTextList* lista = b.textList();
    if (lista) {
        const int rientro = std::max(lista->format().indent(), 1);
        numero("\\fi", -360);
        numero("\\li", 720 * rientro);
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
    o_.append(' '); // ends the last control word, whatever follows
    if (lista) {
        // WordPad's numbering: the marker text for older readers, then the numbering itself.
        const QTextListFormat lf = lista->format();
        const int livello = std::max(lf.indent(), 1);
        const bool punto = lf.style() == QTextListFormat::ListDisc ||
                           lf.style() == QTextListFormat::ListCircle ||
                           lf.style() == QTextListFormat::ListSquare;
        if (punto) {
            // The Symbol font's bullet for WordPad; circle and square as letters of the text's
            // own font, which this reader tells apart.
            const QByteArray f =
                QByteArray::number(lf.style() == QTextListFormat::ListDisc ? fontSimbolo_ : 0);
            const QByteArray segno = lf.style() == QTextListFormat::ListCircle   ? "o"
                                     : lf.style() == QTextListFormat::ListSquare ? "\\u9642?"
                                                                                 : "\\'b7";
            o_.append("{\\pntext\\f" + f + ' ' + segno + "\\tab}{\\*\\pn\\pnlvlblt\\pnf" + f +
                      "\\pnindent0{\\pntxtb " + segno + "}}");
        } else {
            QByteArray tipo = "\\pndec";
            switch (lf.style()) {
            case QTextListFormat::ListLowerAlpha:
                tipo = "\\pnlcltr";
                break;
            case QTextListFormat::ListUpperAlpha:
                tipo = "\\pnucltr";
                break;
            case QTextListFormat::ListLowerRoman:
                tipo = "\\pnlcrm";
                break;
            case QTextListFormat::ListUpperRoman:
                tipo = "\\pnucrm";
                break;
            default:
                break;
            }
            o_.append("{\\pntext ");
            scriviTesto(lista->itemText(b));
            o_.append("\\tab}{\\*\\pn\\pnlvlbody" + tipo + "\\pnlvl" + QByteArray::number(livello) +
                      "\\pnstart1\\pnindent0{\\pntxta .}}");
        }
    }

    bool primo = false;
    QString collegamento;
    const auto chiudiCollegamento = [&] {
        if (!collegamento.isEmpty()) {
            o_.append("}}}");
            primo = true; // the field's group took its formatting with it
        }
        collegamento.clear();
    };
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment fr = it.fragment();
        QTextCharFormat f = fr.charFormat();
        const QString href = f.isAnchor() ? f.anchorHref() : QString();
        if (href != collegamento) {
            chiudiCollegamento();
            if (!href.isEmpty()) {
                o_.append("{\\field{\\*\\fldinst{HYPERLINK \"");
                scriviTesto(href);
                o_.append("\"}}{\\fldrslt{");
                collegamento = href;
                primo = true;
            }
        }
        if (f.isImageFormat()) {
            scriviImmagine(f.toImageFormat());
            continue;
        }
        if (primo || f != precedente) {
            scriviFormatoCarattere(f);
            precedente = f;
            primo = false;
        }
        scriviTesto(fr.text());
    }
    chiudiCollegamento();
    o_.append(fine);
    o_.append("\r\n");
}

void Scrittore::scriviTabella(const QTextTable* t) {
    const QTextTableFormat ft = t->format();
    const QList<QTextLength> vincoli = ft.columnWidthConstraints();
    QByteArray riga = "\\trowd\\trgaph30\\trleft0";
    int x = 0;
    for (int c = 0; c < t->columns(); ++c) {
        int w = 9000 / std::max(t->columns(), 1);
        if (c < vincoli.size() && vincoli[c].type() == QTextLength::FixedLength)
            w = std::max(twips(vincoli[c].rawValue()), 15);
        x += w;
        if (ft.border() > 0)
            riga += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                    "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";
        riga += "\\cellx" + QByteArray::number(x);
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
                scriviBlocco(blocchi[i], true, i + 1 == blocchi.size() ? "\\cell" : "\\par");
        }
        o_.append("\\row\r\n");
    }
}

void Scrittore::scriviFrame(const QTextFrame* frame, bool inTabella) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* figlio = it.currentFrame()) {
            if (const auto* t = qobject_cast<const QTextTable*>(figlio))
                scriviTabella(t);
            else
                scriviFrame(figlio, inTabella);
            continue;
        }
        const QTextBlock b = it.currentBlock();
        const QTextBlock dopo = b.next();
        const bool pagina = dopo.isValid() && dopo.blockFormat().pageBreakPolicy() &
                                                  QTextFormat::PageBreak_AlwaysBefore;
        scriviBlocco(b, inTabella, pagina ? "\\page" : "\\par");
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
    o_.append("}\r\n\\viewkind4\r\n");
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
