#include "RtfLettore.h"

// The font table and the colour table.

namespace hn::rtf {

// One font entry: its number, character set and family; its name is the text.
void Lettore::eseguiTabellaFont(Cw cw, const Argomenti& a) {
    Stato& s = stato();
    const int p = a.p;
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

// A byte of a font's name, in the font's own code page (a symbol font's name is in the
// document's); a control byte names nothing.
void Lettore::testoTabellaFont(unsigned char b) {
    if (b == ';') {
        if (fontInDefinizione_ >= 0)
            fonts_[fontInDefinizione_].nome = nomeFont_.trimmed();
        nomeFont_.clear();
        return;
    }
    int cp = ansiCodePage_;
    if (const auto f = fonts_.find(fontInDefinizione_); f != fonts_.end()) {
        const int proprio =
            f->second.codePage ? f->second.codePage : codePageDiCharset(f->second.charset);
        if (proprio && proprio != kSimbolo)
            cp = proprio;
    }
    aggiungiANomeFont(decodificaByte(cp, b));
}

void Lettore::aggiungiANomeFont(char16_t c) {
    if (c >= 0x20 && nomeFont_.size() < 256)
        nomeFont_.append(QChar(c));
}

// One colour entry: its components, ended by a semicolon in the text.
void Lettore::eseguiTabellaColori(Cw cw, const Argomenti& a) {
    const int p = a.p;
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

void Lettore::testoTabellaColori(unsigned char b) {
    if (b == ';') {
        if (colori_.size() < static_cast<std::size_t>(kVociColoreMassime))
            colori_.push_back(coloreInDefinizione_);
        coloreInDefinizione_ = Colore{};
    }
}

} // namespace hn::rtf
