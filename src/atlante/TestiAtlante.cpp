#include "TestiAtlante.h"

#include "Cp1250.h"
#include "RtfReader.h"

#include <QTextDocument>
#include <QVarLengthArray>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <string_view>

namespace hn::atlante {

QString nomeTesto(const QString& codice) {
    QStringView c(codice);
    while (c.startsWith(u' '))
        c = c.sliced(1);
    while (c.endsWith(u' '))
        c.chop(1);
    return c.toString() + QStringLiteral(".RTF");
}

TestiAtlante::TestiAtlante(std::shared_ptr<const blob::Archivio> store)
    : store_(std::move(store)) {}

bool TestiAtlante::contiene(const QString& codice) const {
    return store_ && store_->trova(nomeTesto(codice));
}

std::optional<QByteArray> TestiAtlante::byte(const QString& codice) const {
    if (!store_)
        return std::nullopt;
    return store_->contenuto(nomeTesto(codice));
}

std::optional<QByteArray> TestiAtlante::inizio(const QString& codice, qint64 massimo) const {
    const blob::Voce* v = store_ ? store_->trova(nomeTesto(codice)) : nullptr;
    if (!v)
        return std::nullopt;
    return store_->leggiInizio(*v, massimo);
}

namespace {
std::chrono::nanoseconds tempoDelThread() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}
} // namespace

LetturaLimitata::LetturaLimitata(const TestiAtlante& testi, const Budget& budget)
    : testi_(testi)
    , budget_(budget) {
    inizio_ = tempoDelThread();
}

std::optional<QByteArray> LetturaLimitata::inizio(const QString& codice, bool* completa) {
    if (!esaurito_)
        esaurito_ = voci_ >= budget_.vociInTutto || byte_ >= budget_.byteInTutto ||
                    (voci_ % 32 == 0 && tempoDelThread() - inizio_ >= budget_.tempo) ||
                    (budget_.ferma && budget_.ferma->load(std::memory_order_relaxed));
    if (esaurito_)
        return std::nullopt;
    // One byte more than the share tells a whole entry from one that was cut.
    const qint64 quota = std::min(budget_.bytePerVoce, budget_.byteInTutto - byte_);
    std::optional<QByteArray> b;
    try {
        b = testi_.inizio(codice, quota + 1);
    } catch (const ErroreVB&) {
        ++voci_;
        return std::nullopt; // damaged: read as missing, which the checker reports
    }
    if (!b)
        return std::nullopt;
    ++voci_;
    if (completa)
        *completa = b->size() <= quota;
    if (b->size() > quota)
        b->truncate(quota);
    byte_ += b->size();
    return b;
}

std::optional<Sommario> LetturaLimitata::sommario(const QString& codice) {
    const std::optional<QByteArray> b = inizio(codice);
    if (!b)
        return std::nullopt;
    Sommario s = sommarioDi(*b, budget_.caratteriPerTesto);
    // A name is a few words; a bold run of thousands is a damaged text, not a name.
    s.nome.truncate(200);
    s.testo.truncate(budget_.caratteriPerTesto);
    s.testo.squeeze();
    return s;
}

bool TestiAtlante::documento(const QString& codice, QTextDocument& documento) const {
    const std::optional<QByteArray> b = byte(codice);
    if (!b)
        return false;
    if (sembraRtf(*b))
        leggiRtf(*b, documento);
    else
        documento.setPlainText(decodeCp1250(*b));
    return true;
}

namespace {

// Groups whose text is not the document's.
bool destinazioneSenzaTesto(std::string_view parola) {
    static constexpr std::string_view nomi[] = {
        "fonttbl",   "colortbl", "stylesheet",        "info",      "pict",      "object",
        "header",    "footer",   "headerl",           "headerr",   "footerl",   "footerr",
        "listtable", "fldinst",  "listoverridetable", "themedata", "datastore", "latentstyles",
        "rsidtbl",   "xmlnstbl", "generator",         "pntext",    "listtext",  "bkmkstart",
        "bkmkend",   "footnote"};
    for (std::string_view n : nomi)
        if (parola == n)
            return true;
    return false;
}

// A control word's parameter: an optional minus and digits, of which the first seven count (no
// parameter the extractor uses comes near them).
int numeroDi(QByteArrayView cifre) {
    const bool meno = cifre.startsWith('-');
    int n = 0;
    for (qsizetype k = meno ? 1 : 0; k < std::min<qsizetype>(cifre.size(), 8); ++k)
        n = n * 10 + (cifre[k] - '0');
    return meno ? -n : n;
}

// A control word's letters are ASCII ones, whatever the locale says of other bytes.
bool lettera(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The value of a character that is a hex digit.
int esadecimale(char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

class Estrattore {
public:
    // With `caratteri` ≥ 0 the reading stops once the name is whole and the text holds more than
    // that many characters: what a caller keeps of it is the same.
    Sommario leggi(QByteArrayView r, qsizetype caratteri) {
        // Every character comes from at least one byte: one allocation for the whole text.
        sommario_.testo.reserve(caratteri >= 0 ? std::min(r.size(), caratteri + 64) : r.size());
        for (qsizetype i = 0; i < r.size();) {
            if (caratteri >= 0 && fase_ == 2 && sommario_.testo.size() > caratteri)
                break;
            const char c = r[i++];
            if (c == '{') {
                pila_.append(s_);
            } else if (c == '}') {
                if (!pila_.isEmpty()) {
                    s_ = pila_.back();
                    pila_.removeLast();
                }
            } else if (c == '\\' && i < r.size()) {
                i = controllo(r, i);
            } else if (c != '\r' && c != '\n') {
                testo(cp1250ToUnicode(static_cast<unsigned char>(c)));
            }
        }
        if (fase_ == 1)
            fase_ = 2;
        while (!sommario_.nome.isEmpty() && QStringView(u" :–-,.›").contains(sommario_.nome.back()))
            sommario_.nome.chop(1);
        return std::move(sommario_);
    }

private:
    struct Stato {
        bool grassetto = false;
        bool salta = false;
        int uc = 1;
    };

    qsizetype controllo(QByteArrayView r, qsizetype i) {
        const char c = r[i];
        if (c == '\'') {
            const QByteArrayView cifre = r.sliced(i + 1, std::min<qsizetype>(2, r.size() - i - 1));
            bool ok = cifre.size() == 2 && std::isxdigit(static_cast<unsigned char>(cifre[0])) &&
                      std::isxdigit(static_cast<unsigned char>(cifre[1]));
            // Two hex digits, the usual case, without the general number parser.
            const int b =
                ok ? esadecimale(cifre[0]) * 16 + esadecimale(cifre[1]) : cifre.toInt(&ok, 16);
            if (ok)
                testo(cp1250ToUnicode(static_cast<unsigned char>(b)));
            return i + 3;
        }
        if (c == '*') {
            s_.salta = true;
            return i + 1;
        }
        if (c == '\r' || c == '\n') {
            paragrafo();
            return i + 1;
        }
        if (!lettera(c)) {
            if (c == '~')
                testo(u'\u00a0');
            else if (c == '_')
                testo(u'-');
            else if (c == '\\' || c == '{' || c == '}')
                testo(QChar::fromLatin1(c));
            return i + 1;
        }
        const qsizetype inizio = i;
        while (i < r.size() && lettera(r[i]))
            ++i;
        // Compared as a standard view: its literals carry their length, where a byte view's
        // would look for their end at every comparison.
        const std::string_view parola(r.data() + inizio, size_t(i - inizio));
        const qsizetype numero = i;
        if (i < r.size() && r[i] == '-')
            ++i;
        while (i < r.size() && std::isdigit(static_cast<unsigned char>(r[i])))
            ++i;
        const bool conNumero = i > numero;
        const int valore = conNumero ? numeroDi(r.sliced(numero, i - numero)) : 0;
        if (i < r.size() && r[i] == ' ')
            ++i;
        if (parola == "b")
            s_.grassetto = !conNumero || valore != 0;
        else if (parola == "plain")
            s_.grassetto = false;
        else if (parola == "par" || parola == "line" || parola == "sect" || parola == "page" ||
                 parola == "row")
            paragrafo();
        else if (parola == "tab" || parola == "cell")
            testo(u' ');
        else if (parola == "uc")
            s_.uc = std::clamp(valore, 0, 10);
        else if (parola == "u") {
            testo(QChar(char16_t(valore < 0 ? valore + 65536 : valore)));
            for (int k = 0; k < s_.uc && i < r.size(); ++k) // the fallback for older readers
                i = r[i] == '\\' && i + 1 < r.size() && r[i + 1] == '\'' ? i + 4 : i + 1;
        } else if (parola == "endash")
            testo(u'–');
        else if (parola == "emdash")
            testo(u'—');
        else if (parola == "bullet")
            testo(u'•');
        else if (parola == "lquote" || parola == "rquote")
            testo(u'\'');
        else if (parola == "ldblquote" || parola == "rdblquote")
            testo(u'"');
        else if (destinazioneSenzaTesto(parola))
            s_.salta = true;
        return i;
    }

    void paragrafo() {
        if (s_.salta)
            return;
        sommario_.testo += u'\n';
        if (fase_ == 1)
            fase_ = 2;
    }

    // The name is the bold run from the first visible character on, within its paragraph; plain
    // blanks inside it are kept as one.
    void testo(QChar c) {
        if (s_.salta)
            return;
        sommario_.testo += c;
        const bool vuoto = c.isSpace();
        if (fase_ == 0 && !vuoto)
            fase_ = s_.grassetto ? 1 : 2;
        if (fase_ != 1)
            return;
        if (vuoto) {
            if (!sommario_.nome.endsWith(u' '))
                sommario_.nome += u' ';
        } else if (s_.grassetto) {
            sommario_.nome += c;
        } else {
            fase_ = 2;
        }
    }

    Stato s_;
    QVarLengthArray<Stato, 32> pila_; // a caption nests a few groups: no allocation for them
    int fase_ = 0; // 0 before the first visible character, 1 in the name, 2 after it
    Sommario sommario_;
};

} // namespace

Sommario sommarioDi(QByteArrayView rtf, qsizetype caratteri) {
    if (!sembraRtf(rtf))
        return {{},
                decodeCp1250(caratteri >= 0 ? rtf.first(std::min(rtf.size(), caratteri)) : rtf)};
    return Estrattore().leggi(rtf, caratteri);
}

} // namespace hn::atlante
