#include "RtfLettore.h"

// Control words in the text: which handler takes a word, and the handlers of the text's own
// words: the header, destinations opened, special characters, character and paragraph formatting,
// table rows.

namespace hn::rtf {

void Lettore::esegui(Cw cw, std::string_view parola, bool haParametro, int p) {
    const Stato& s = stato();
    const bool asterisco = asterisco_;
    asterisco_ = false;
    const Argomenti a{parola, haParametro, p, haParametro ? (p != 0) : 1,
                      limita(p, -kTwipsMassimi, kTwipsMassimi)};
    if (s.dest == Dest::Salta)
        return;
    if (asterisco) {
        eseguiAsterisco(cw, a);
        return;
    }
    switch (s.dest) {
    case Dest::Pn:
        eseguiNumerazione(cw, a);
        return;
    case Dest::Immagine:
        eseguiImmagine(cw, a);
        return;
    case Dest::TabellaColori:
        eseguiTabellaColori(cw, a);
        return;
    case Dest::TabellaFont:
        eseguiTabellaFont(cw, a);
        return;
    default:
        break;
    }
    // A word acts once: the first handler that knows it takes it.
    static_cast<void>(eseguiIntestazione(cw, a) || eseguiDestinazioni(cw, a) ||
                      eseguiCaratteri(cw, a) || eseguiFormatoCarattere(cw, a) ||
                      eseguiFormatoParagrafo(cw, a) || eseguiTabelle(cw, a));
}

// Under \* only the destinations we know are read; any other group is skipped whole.
void Lettore::eseguiAsterisco(Cw cw, const Argomenti&) {
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

bool Lettore::eseguiIntestazione(Cw cw, const Argomenti& a) {
    Stato& s = stato();
    const int p = a.p;
    switch (cw) {
    // Header
    case Cw::Ansicpg:
        if (codePageNota(p)) {
            ansiCodePage_ = p;
            aggiornaCodePages();
        }
        return true;
    case Cw::Deff:
        fontPredefinito_ = p;
        aggiornaCodePages();
        return true;
    case Cw::Uc:
        s.uc = limita(p, 0, 16);
        return true;
    case Cw::U:
        unicode(p);
        daSaltare_ = s.uc;
        return true;
    case Cw::Fonttbl:
        scarica();
        entra(Dest::TabellaFont);
        fontInDefinizione_ = -1;
        nomeFont_.clear();
        return true;
    case Cw::Colortbl:
        scarica();
        entra(Dest::TabellaColori);
        colori_.clear();
        coloreInDefinizione_ = Colore{};
        formatoValido_ = false;
        return true;
    default:
        return false;
    }
}

bool Lettore::eseguiDestinazioni(Cw cw, const Argomenti& a) {
    Stato& s = stato();
    const int p = a.p;
    switch (cw) {
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
        return true;
    case Cw::Pict:
        scarica();
        entra(Dest::Immagine);
        immagine_ = Immagine{};
        immagine_.profondita = pila_.size();
        return true;
    case Cw::Field:
        istruzioneCampo_.clear();
        return true;
    case Cw::Fldinst:
        istruzioneCampo_.clear();
        entra(Dest::Campo);
        return true;
    case Cw::Fldrslt: {
        const QString destinazione = destinazioneCollegamento(istruzioneCampo_);
        if (!destinazione.isEmpty()) {
            collegamenti_.append(destinazione);
            s.car.collegamento = static_cast<int>(collegamenti_.size() - 1);
        }
        return true;
    }
    case Cw::Pntext:
    case Cw::Listtext:
        scarica();
        marcatore_.clear();
        entra(Dest::Marcatore);
        return true;
    case Cw::Upr:
        entra(Dest::Upr);
        return true;
    case Cw::Object:
    case Cw::Result:
    case Cw::Shppict:
        return true;
    case Cw::Bin: {
        // Binary data outside a picture is not ours to show.
        const qsizetype quanti = std::min<qsizetype>(std::max(p, 0), d_.size() - pos_);
        pos_ += quanti;
        return true;
    }
    default:
        return false;
    }
}

bool Lettore::eseguiCaratteri(Cw cw, const Argomenti&) {
    Stato& s = stato();
    switch (cw) {
    // Characters
    case Cw::Par:
    case Cw::Sect:
    case Cw::Nestrow:
        if (s.dest == Dest::Testo)
            fineParagrafo(true);
        return true;
    case Cw::Page:
        if (s.dest == Dest::Testo) {
            fineParagrafo(true);
            interruzionePagina_ = true;
        }
        return true;
    case Cw::Line:
        carattere(QChar::LineSeparator);
        return true;
    case Cw::Tab:
    case Cw::Nestcell:
        carattere(u'\t');
        return true;
    case Cw::Cell:
        if (s.dest == Dest::Testo)
            fineCella();
        return true;
    case Cw::Row:
        if (s.dest == Dest::Testo)
            fineRiga();
        return true;
    case Cw::Lquote:
        carattere(0x2018);
        return true;
    case Cw::Rquote:
        carattere(0x2019);
        return true;
    case Cw::Ldblquote:
        carattere(0x201C);
        return true;
    case Cw::Rdblquote:
        carattere(0x201D);
        return true;
    case Cw::Endash:
        carattere(0x2013);
        return true;
    case Cw::Emdash:
        carattere(0x2014);
        return true;
    case Cw::Bullet:
        carattere(0x2022);
        return true;
    case Cw::Emspace:
        carattere(0x2003);
        return true;
    case Cw::Enspace:
        carattere(0x2002);
        return true;
    case Cw::Qmspace:
        carattere(0x2005);
        return true;
    case Cw::Zwj:
        carattere(0x200D);
        return true;
    case Cw::Zwnj:
        carattere(0x200C);
        return true;
    case Cw::Ltrmark:
        carattere(0x200E);
        return true;
    case Cw::Rtlmark:
        carattere(0x200F);
        return true;
    case Cw::Chpgn:
        return true;
    default:
        return false;
    }
}

bool Lettore::eseguiFormatoCarattere(Cw cw, const Argomenti& a) {
    Stato& s = stato();
    const bool haParametro = a.haParametro;
    const int p = a.p;
    const int attiva = a.attiva;
    switch (cw) {
    // Character formatting
    case Cw::Plain: {
        const int collegamento = s.car.collegamento;
        s.car = Carattere{};
        s.car.collegamento = collegamento;
        aggiornaCodePage(s);
        return true;
    }
    case Cw::F:
        s.car.font = p;
        aggiornaCodePage(s);
        return true;
    case Cw::Fs:
        s.car.mezziPunti = haParametro ? limita(p, 2, 3276) : 24;
        return true;
    case Cw::B:
        s.car.grassetto = attiva;
        return true;
    case Cw::I:
        s.car.corsivo = attiva;
        return true;
    case Cw::Ul:
        s.car.sottolineato = attiva;
        return true;
    case Cw::Ulnone:
        s.car.sottolineato = false;
        return true;
    case Cw::Strike:
    case Cw::Striked:
        s.car.barrato = attiva;
        return true;
    case Cw::Cf:
        s.car.colore = limita(p, 0, kVociColoreMassime);
        return true;
    case Cw::Cb:
    case Cw::Highlight:
    case Cw::Chcbpat:
        s.car.sfondo = limita(p, 0, kVociColoreMassime);
        return true;
    case Cw::Super:
        s.car.posizione = attiva ? Sposta::Apice : Sposta::Normale;
        return true;
    case Cw::Sub:
        s.car.posizione = attiva ? Sposta::Pedice : Sposta::Normale;
        return true;
    case Cw::Up:
        s.car.spostamento = haParametro ? limita(p, -1000, 1000) : 6;
        return true;
    case Cw::Dn:
        s.car.spostamento = -(haParametro ? limita(p, -1000, 1000) : 6);
        return true;
    case Cw::Nosupersub:
        s.car.posizione = Sposta::Normale;
        return true;
    case Cw::Caps:
        s.car.maiuscole = attiva;
        return true;
    case Cw::Scaps:
        s.car.maiuscoletto = attiva;
        return true;
    case Cw::V:
        if (attiva)
            scarica();
        s.car.nascosto = attiva;
        return true;
    case Cw::Protect:
        s.car.protetto = attiva;
        return true;
    default:
        return false;
    }
}

bool Lettore::eseguiFormatoParagrafo(Cw cw, const Argomenti& a) {
    Stato& s = stato();
    const int attiva = a.attiva;
    const int twips = a.twips;
    switch (cw) {
    // Paragraph formatting: set after the content's group closed, it is the paragraph's again.
    case Cw::Pard:
        contenutoUscito_ = false;
        s.par = Paragrafo{};
        return true;
    case Cw::Ql:
        contenutoUscito_ = false;
        s.par.allineamento = 0;
        return true;
    case Cw::Qc:
        contenutoUscito_ = false;
        s.par.allineamento = 1;
        return true;
    case Cw::Qr:
        contenutoUscito_ = false;
        s.par.allineamento = 2;
        return true;
    case Cw::Qj:
        contenutoUscito_ = false;
        s.par.allineamento = 3;
        return true;
    case Cw::Rtlpar:
    case Cw::Ltrpar:
        contenutoUscito_ = false;
        s.par.daDestra = cw == Cw::Rtlpar;
        return true;
    case Cw::Li:
        contenutoUscito_ = false;
        s.par.sinistro = twips;
        return true;
    case Cw::Ri:
        contenutoUscito_ = false;
        s.par.destro = twips;
        return true;
    case Cw::Fi:
        contenutoUscito_ = false;
        s.par.primaRiga = twips;
        return true;
    case Cw::Sb:
        contenutoUscito_ = false;
        s.par.prima = std::max(twips, 0);
        return true;
    case Cw::Sa:
        contenutoUscito_ = false;
        s.par.dopo = std::max(twips, 0);
        return true;
    case Cw::Sl:
        contenutoUscito_ = false;
        s.par.interlinea = twips;
        return true;
    case Cw::Slmult:
        s.par.multiplo = attiva;
        return true;
    case Cw::Tqr:
        s.par.tipoTabSeguente = QTextOption::RightTab;
        return true;
    case Cw::Tqc:
        s.par.tipoTabSeguente = QTextOption::CenterTab;
        return true;
    case Cw::Tqdec:
        s.par.tipoTabSeguente = QTextOption::DelimiterTab;
        return true;
    case Cw::Tx:
    case Cw::Tb:
        if (s.par.tabs.size() < 64)
            s.par.tabs.push_back({std::clamp(twips, 0, kTwipsMassimi), s.par.tipoTabSeguente});
        s.par.tipoTabSeguente = QTextOption::LeftTab;
        return true;
    default:
        return false;
    }
}

bool Lettore::eseguiTabelle(Cw cw, const Argomenti& a) {
    Stato& s = stato();
    const int p = a.p;
    const int attiva = a.attiva;
    const int twips = a.twips;
    switch (cw) {
    case Cw::Intbl:
        s.par.inTabella = attiva;
        return true;
    case Cw::Ls:
        s.par.lista = limita(p, 0, 32767);
        return true;
    case Cw::Ilvl:
        s.par.livello = limita(p, 0, 8);
        return true;
    case Cw::Trowd:
        cellx_.clear();
        spazioCelle_ = 30;
        bordiRiga_ = false;
        bordoInDefinizione_ = false;
        return true;
    case Cw::Clbrdr:
        // A border is drawn unless its style, which follows, is none.
        bordiRiga_ = bordiRiga_ || bordoInDefinizione_;
        bordoInDefinizione_ = true;
        return true;
    case Cw::Brdrnone:
        bordoInDefinizione_ = false;
        return true;
    case Cw::Trgaph:
        spazioCelle_ = std::clamp(twips, 0, 1440);
        return true;
    case Cw::Cellx:
        bordiRiga_ = bordiRiga_ || bordoInDefinizione_;
        bordoInDefinizione_ = false;
        if (cellx_.size() < static_cast<std::size_t>(kColonneMassime))
            cellx_.push_back(std::clamp(twips, 0, kTwipsMassimi));
        return true;
    default:
        return false;
    }
}

} // namespace hn::rtf
