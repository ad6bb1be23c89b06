#include "RtfLettore.h"

// Lists: Word's \ls numbering and WordPad's \pn, the marker written for older readers telling
// the kind of a list and the text around its numbers.

namespace hn::rtf {

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

// WordPad's paragraph numbering: the \pn group describes the paragraph around it.
void Lettore::eseguiNumerazione(Cw cw, const Argomenti&) {
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

// The paragraph just ended joins its list: Word's by \ls and level, WordPad's by its numbering
// and the list before it.
void Lettore::mettiInLista(const Paragrafo& par) {
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
            // A list may start deeper than its first level: its indent tells.
            fl.setIndent(
                std::max(par.livello + 1, static_cast<int>(std::lround(par.sinistro / 720.0))));
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

} // namespace hn::rtf
