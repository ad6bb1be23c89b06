#include "RtfLettore.h"

// Bytes into groups, control words, control symbols and text, and text into characters of the
// destination that collects them.

namespace hn::rtf {

namespace {

// A byte that is text as it stands: no group, control, line end, tab or nul.
bool byteDiTesto(char c) {
    switch (c) {
    case '{':
    case '}':
    case '\\':
    case '\r':
    case '\n':
    case '\t':
    case '\0':
        return false;
    default:
        return true;
    }
}

// A character the document can hold as text: Qt takes line, paragraph and frame marks and the
// object mark for structure, and NUL shows nothing.
bool diTesto(char16_t c) {
    switch (c) {
    case 0:
    case u'\r':
    case u'\n':
    case 0x2029:
    case 0xFFFC:
    case 0xFDD0:
    case 0xFDD1:
        return false;
    default:
        return true;
    }
}

} // namespace

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
    // The last paragraph ends here unless a mark has ended it: a \par, or a cell's or row's
    // mark, after which the cursor still stands in the cell.
    if (!bloccoPendente_ && !(tabella_ && (rigaChiusa_ || cellaChiusa_)))
        fineParagrafo(false);
    if (tabella_ && !pila_.back().par.inTabella)
        esciDaTabella();
    numeraListeLunghe();
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
        fonts_[fontInDefinizione_].nome = nomeFont_.trimmed();
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
            // The common case, kept tight: the whole run of plain bytes in one go.
            if (st.car != carTesto_ && !testo_.isEmpty())
                scarica();
            if (testo_.isEmpty()) {
                preparaContenuto();
                carTesto_ = pila_.back().car;
            }
            const qsizetype inizio = pos_ - 1;
            while (pos_ < n && byteDiTesto(d_[pos_]))
                ++pos_;
            const qsizetype vecchia = testo_.size();
            testo_.resize(vecchia + (pos_ - inizio));
            QChar* q = testo_.data() + vecchia;
            for (qsizetype i = inizio; i < pos_; ++i) {
                const auto b = static_cast<unsigned char>(d_[i]);
                *q++ = QChar(b < 0x80 ? char16_t{b} : decodificaByte(st.codePage, b));
            }
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
        testoTabellaFont(b);
        return;
    }
    if (s.dest == Dest::TabellaColori) {
        testoTabellaColori(b);
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
    if (s.car.nascosto || !diTesto(c))
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
        } else {
            aggiungiANomeFont(c);
        }
        return;
    case Dest::Immagine:
        datiImmagine(c);
        return;
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

} // namespace hn::rtf
