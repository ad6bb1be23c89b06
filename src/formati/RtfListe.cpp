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

namespace {

// Qt numbers the first piece itself, so a list of ordinary length keeps Qt's own numbers; the
// pieces after it only carry the list's look, and small ones cost least.
constexpr int kVociPrimoTratto = 256;
constexpr int kVociPerTratto = 32;

bool numerato(StileLista s) {
    return s == StileLista::Decimale || s == StileLista::Lettere ||
           s == StileLista::LettereMaiuscole || s == StileLista::Romani ||
           s == StileLista::RomaniMaiuscoli;
}

// An item's number as Qt writes it for the list's style.
QString numeroVoce(int n, StileLista stile) {
    switch (stile) {
    case StileLista::Lettere:
    case StileLista::LettereMaiuscole: {
        QString r;
        for (int k = n; k > 0; k = (k - 1) / 26)
            r.prepend(QChar(u'a' + (k - 1) % 26));
        return stile == StileLista::Lettere ? r : r.toUpper();
    }
    case StileLista::Romani:
    case StileLista::RomaniMaiuscoli: {
        if (n >= 5000)
            return QString::number(n);
        static const std::pair<int, const char*> cifre[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        QString r;
        for (const auto& [valore, testo] : cifre)
            for (; n >= valore; n -= valore)
                r += QLatin1String(testo);
        return stile == StileLista::Romani ? r : r.toUpper();
    }
    default:
        return QString::number(n);
    }
}

} // namespace

void Lettore::scriviNumero(const QTextBlock& voce, int numero, const ListaAperta& l) {
    const QString suffisso = l.formato.hasProperty(QTextFormat::ListNumberSuffix)
                                 ? l.formato.numberSuffix()
                                 : QStringLiteral(".");
    QTextCursor(voce).insertText(l.formato.numberPrefix() + numeroVoce(numero, l.stile) + suffisso +
                                     u' ',
                                 voce.charFormat());
}

void Lettore::aggiungiVoce(const std::shared_ptr<ListaAperta>& lista) {
    ListaAperta& l = *lista;
    const QTextBlock blocco = cursore_.block();
    if (l.tratto && blocco.blockFormat().objectIndex() == l.tratto->objectIndex())
        return;
    const int limite = l.voci == l.vociTratto ? kVociPrimoTratto : kVociPerTratto;
    if (!l.tratto || l.vociTratto >= limite) {
        QTextListFormat f = l.formato;
        // A numbered list goes on with its numbers written out: Qt would start again at 1.
        if (l.voci > 0 && numerato(l.stile))
            f.setStyle(QTextListFormat::ListStyleUndefined);
        l.tratto = cursore_.createList(f);
        if (l.voci == 0)
            l.primo = l.tratto;
        l.vociTratto = 0;
    } else {
        l.tratto->add(blocco);
    }
    ++l.vociTratto;
    ++l.voci;
    if (l.voci > kVociPrimoTratto && numerato(l.stile) && blocco.blockNumber() != bloccoNumerato_) {
        if (l.voci == kVociPrimoTratto + 1)
            listeLunghe_.push_back(lista);
        bloccoNumerato_ = blocco.blockNumber();
        scriviNumero(blocco, l.voci, l);
    }
}

// A numbered list that outgrew Qt's piece: its first items get their numbers written too, so
// every number of the list stands in the same place.
void Lettore::numeraListeLunghe() {
    for (const std::shared_ptr<ListaAperta>& l : std::exchange(listeLunghe_, {})) {
        if (!l->primo)
            continue;
        QTextList& primo = *l->primo;
        for (int i = 0; i < primo.count(); ++i)
            scriviNumero(primo.item(i), i + 1, *l);
        QTextListFormat f = primo.format();
        f.setStyle(QTextListFormat::ListStyleUndefined);
        primo.setFormat(f);
    }
}

// The paragraph just ended joins its list: Word's by \ls and level, WordPad's by its numbering
// and the list before it.
void Lettore::mettiInLista(const Paragrafo& par) {
    std::shared_ptr<ListaAperta> lista;
    if (par.lista > 0) {
        const StileLista stile = stileDaMarcatore(marcatore_);
        const int chiave = par.lista * 16 + par.livello;
        auto trovata = liste_.find(chiave);
        if (trovata != liste_.end() && trovata->second->valida()) {
            lista = trovata->second;
        } else {
            lista = std::make_shared<ListaAperta>();
            lista->stile = stile;
            lista->formato.setStyle(stileQt(stile));
            // A list may start deeper than its first level: its indent tells.
            lista->formato.setIndent(
                std::max(par.livello + 1, static_cast<int>(std::lround(par.sinistro / 720.0))));
            testoAttornoAlNumero(marcatore_, stile, lista->formato);
            liste_[chiave] = lista;
        }
        // An item restarts the numbering of the levels below it.
        liste_.erase(liste_.upper_bound(chiave), liste_.lower_bound(par.lista * 16 + 16));
    } else if (par.pn != StileLista::Nessuno) {
        StileLista stile = par.pn;
        // WordPad knows one bullet; the marker written for older readers tells the others.
        if (stile == StileLista::Punto && !marcatore_.trimmed().isEmpty())
            stile = stileDaMarcatore(marcatore_);
        if (listaPrecedente_ && listaPrecedente_->stile == stile && listaPrecedente_->valida()) {
            lista = listaPrecedente_;
        } else {
            lista = std::make_shared<ListaAperta>();
            lista->stile = stile;
            lista->formato.setStyle(stileQt(stile));
            // WordPad gives no level; its indent steps are half an inch.
            lista->formato.setIndent(
                std::max(1, static_cast<int>(std::lround(par.sinistro / 720.0))));
            testoAttornoAlNumero(marcatore_, stile, lista->formato);
        }
    }
    if (lista)
        aggiungiVoce(lista);
    listaPrecedente_ = lista;
}

} // namespace hn::rtf
