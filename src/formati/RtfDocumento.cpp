#include "RtfLettore.h"

#include <QTextBlock>
#include <QTextDocument>
#include <cmath>

// The document built from what reaches the text: runs in their formats, paragraphs, tables.

namespace hn::rtf {

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
    testo_.resize(0); // keeps its room for the next run
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

const QTextBlockFormat& Lettore::formatoBlocco(const Paragrafo& p) {
    if (bloccoValido_ && paginaBlocco_ == interruzionePagina_ && parBlocco_ == p)
        return formatoBlocco_;
    bloccoValido_ = true;
    parBlocco_ = p;
    paginaBlocco_ = interruzionePagina_;
    QTextBlockFormat& b = formatoBlocco_;
    b = QTextBlockFormat();
    static constexpr Qt::Alignment allineamenti[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                     Qt::AlignRight, Qt::AlignJustify};
    b.setAlignment(allineamenti[p.allineamento & 3]);
    if (p.daDestra)
        b.setLayoutDirection(Qt::RightToLeft);
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
    // A format of its own: the new paragraph joins no list of the one before.
    cursore_.insertBlock(QTextBlockFormat());
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
    chiudiBlocco(contenutoUscito_ ? parContenuto_ : stato().par);
    contenutoUscito_ = false;
    interruzionePagina_ = false; // a page break starts the cell after it, not the row
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

// The paragraph's own properties, its characters' look where it has no text, its list.
void Lettore::chiudiBlocco(const Paragrafo& par) {
    cursore_.setBlockFormat(formatoBlocco(par));
    const Carattere& car = pila_.back().car;
    if (!formatoValido_ || !(carFormato_ == car)) {
        formato_ = formatoCarattere(car);
        carFormato_ = car;
        formatoValido_ = true;
    }
    // Mostly the paragraph already has it, from the text before its mark.
    if (cursore_.block().charFormat() != formato_)
        cursore_.setBlockCharFormat(formato_);
    mettiInLista(par);
    marcatore_.clear();
}

// Ends the current paragraph: its properties are those in force at its mark.
void Lettore::fineParagrafo(bool nuovoBlocco) {
    scarica();
    const Paragrafo par = contenutoUscito_ ? parContenuto_ : pila_.back().par;
    if (nuovoBlocco)
        preparaContenuto();
    if (!(inserimento_ && primoBlocco_))
        chiudiBlocco(par);
    marcatore_.clear();
    contenutoUscito_ = false;
    interruzionePagina_ = false;
    primoBlocco_ = false;
    if (nuovoBlocco)
        bloccoPendente_ = true;
}

} // namespace hn::rtf
