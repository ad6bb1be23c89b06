#include "Domande.h"

#include "IndiceRicerca.h"
#include "Ripasso.h"

#include <QRegularExpression>

#include <QSet>
#include <algorithm>

namespace hn::atlante {

namespace {

// Polish endings of nouns and adjectives, normalised, longest first within each length.
constexpr const char16_t* Desinenze[] = {
    u"owego", u"owemu", u"iego", u"iemu", u"owym", u"owej", u"owych", u"owymi",
    u"ego",   u"emu",   u"ymi",  u"imi",  u"ych",  u"ich",  u"ami",   u"ach",
    u"owi",   u"ow",    u"om",   u"em",   u"ej",   u"ym",   u"im",    u"ie",
    u"ia",    u"iu",    u"a",    u"e",    u"i",    u"o",    u"u",     u"y"};

constexpr qsizetype RadiceMinima = 4;

qsizetype radice(QStringView parola) {
    qsizetype migliore = parola.size();
    for (const char16_t* d : Desinenze) {
        const QStringView fine(d);
        if (parola.size() - fine.size() >= RadiceMinima && parola.endsWith(fine))
            migliore = std::min(migliore, parola.size() - fine.size());
    }
    return migliore;
}

qsizetype prefissoComune(QStringView a, QStringView b) {
    qsizetype n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

bool separatore(QChar c) {
    return !c.isLetterOrNumber();
}

// Words of a name worth hiding: prepositions and conjunctions ("z", "i", "w") give nothing away.
QStringList paroleNome(const QString& nome) {
    QStringList out;
    for (const QString& p : normalizza(nome).split(u' ', Qt::SkipEmptyParts))
        if (p.size() >= 3)
            out.append(p);
    return out;
}

} // namespace

bool formaDi(QStringView parola, QStringView nome) {
    if (nome.size() < RadiceMinima)
        // Too short for a stem: the word itself with an ending or a suffix ("nos", "nosa",
        // "nosowej").
        return parola.startsWith(nome) && parola.size() <= nome.size() + 5;
    // The stem, less up to three letters for the vowels Polish changes inside it
    // ("mięsień", "mięśnia"); never fewer than four.
    const qsizetype serve = std::clamp<qsizetype>(radice(nome) - 3, RadiceMinima, 6);
    return prefissoComune(parola, nome) >= std::min(serve, nome.size());
}

QString nascondiNome(const QString& testo, const QString& nome) {
    const QStringList parole = paroleNome(nome);
    QString out;
    qsizetype i = 0;
    bool ultimaNascosta = false;
    QString traParole; // what separates the last word written from the next
    while (i < testo.size()) {
        qsizetype j = i;
        while (j < testo.size() && separatore(testo[j]))
            ++j;
        traParole += testo.mid(i, j - i);
        if (j == testo.size())
            break;
        qsizetype k = j;
        while (k < testo.size() && !separatore(testo[k]))
            ++k;
        const QString parola = testo.mid(j, k - j);
        const QString n = normalizza(parola);
        const bool nascosta = std::any_of(parole.cbegin(), parole.cend(),
                                          [&](const QString& p) { return formaDi(n, p); });
        if (nascosta && ultimaNascosta && !traParole.contains(u'\n') &&
            traParole.trimmed().isEmpty()) {
            // "Kość ramienna" is one blank, not two.
        } else {
            out += traParole;
            out += nascosta ? QString::fromUtf16(Lacuna) : parola;
        }
        traParole.clear();
        ultimaNascosta = nascosta;
        i = k;
    }
    out += traParole;
    return out;
}

QList<Domanda> domandeTavola(const DatiAtlante& dati, const QString& chiave) {
    LetturaLimitata lettura(dati.testi);
    return domandeTavola(dati, chiave, lettura);
}

QList<Domanda> struttureTavola(const DatiAtlante& dati, const QString& chiave,
                               LetturaLimitata& lettura) {
    QList<Domanda> out;
    QHash<QString, qsizetype> perCodice;
    const QList<qsizetype> record = dati.albero.recordDi(chiave);
    for (qsizetype n = 0; n < record.size(); ++n) {
        const Record& r = dati.tabella[record[n]];
        if (r.intestazione() || !r.Collegamento.isEmpty())
            continue;
        const QString codice = r.Codice.trimmed().toUpper();
        if (auto it = perCodice.constFind(codice); it != perCodice.cend()) {
            if (*it >= 0)
                out[*it].hotspot.append(int(n + 1));
            continue;
        }
        perCodice.insert(codice, -1);
        // A damaged caption, or one past the budget, is not asked.
        const Sommario s = lettura.sommario(r.Codice).value_or(Sommario{});
        const QString nome = s.nome.trimmed();
        if (nome.isEmpty() || normalizza(nome).isEmpty())
            continue;
        perCodice[codice] = out.size();
        out.append({r.Codice.trimmed(),
                    nome,
                    nascondiNome(s.testo.trimmed(), nome),
                    {int(n + 1)},
                    chiave});
    }
    return out;
}

QList<Domanda> domandeTavola(const DatiAtlante& dati, const QString& chiave,
                             LetturaLimitata& lettura) {
    QList<Domanda> out = struttureTavola(dati, chiave, lettura);
    // Something must be left to read besides blanks, dashes and the odd short word.
    out.removeIf([](const Domanda& d) {
        QString resto = normalizza(QString(d.testo).remove(QString::fromUtf16(Lacuna)));
        return resto.remove(u' ').size() < 12;
    });
    return out;
}

QList<Domanda> scegliDomande(QList<Domanda> tutte, int quante, std::mt19937& caso) {
    std::shuffle(tutte.begin(), tutte.end(), caso);
    QList<Domanda> out;
    QSet<QString> visti;
    for (const Domanda& d : tutte) {
        if (out.size() >= quante)
            break;
        const QString chiave = d.codice.toUpper();
        if (visti.contains(chiave))
            continue;
        visti.insert(chiave);
        out.append(d);
    }
    return out;
}

bool rispostaGiusta(QStringView scritto, const Domanda& domanda) {
    const QString s = normalizza(scritto);
    return !s.isEmpty() && s == normalizza(domanda.nome);
}

QStringList alternative(const QList<Domanda>& tutte, const Domanda& giusta, std::mt19937& caso,
                        int quante) {
    const QString chiaveGiusta = normalizza(giusta.nome);
    QList<Domanda> stessa, altre;
    for (const Domanda& d : tutte)
        (d.tavola == giusta.tavola ? stessa : altre).append(d);
    std::shuffle(stessa.begin(), stessa.end(), caso);
    std::shuffle(altre.begin(), altre.end(), caso);
    QStringList out{giusta.nome};
    QSet<QString> viste{chiaveGiusta};
    for (const QList<Domanda>* gruppo : {&stessa, &altre})
        for (const Domanda& d : *gruppo) {
            if (out.size() >= quante)
                break;
            const QString k = normalizza(d.nome);
            if (k.isEmpty() || viste.contains(k))
                continue;
            viste.insert(k);
            out.append(d.nome);
        }
    std::shuffle(out.begin(), out.end(), caso);
    return out;
}

int etichettaDi(const DatiAtlante& dati, const Domanda& d) {
    if (d.hotspot.size() < 2)
        return 0;
    const QRect r = rettangoloDi(dati, d.tavola, d.hotspot.last());
    // A line of text, a little margin round it.
    return !r.isEmpty() && r.height() <= 48 && r.width() >= r.height() ? d.hotspot.last() : 0;
}

QRect rettangoloDi(const DatiAtlante& dati, const QString& tavola, int hotspot) {
    const QList<qsizetype> record = dati.albero.recordDi(tavola);
    if (hotspot < 1 || hotspot > record.size())
        return {};
    const Record& r = dati.tabella[record[hotspot - 1]];
    const auto px = [](float v) { return int(std::clamp<float>(v, -1e6f, 1e6f)); };
    return QRect(QPoint(px(r.X1), px(r.Y1)), QPoint(px(r.X2) + 1, px(r.Y2) + 1));
}

QList<Domanda> daRipassare(const DatiAtlante& dati, const ripasso::Diario& diario, qint64 oggi,
                           LetturaLimitata& lettura) {
    QStringList chiavi = diario.chiavi();
    chiavi.sort(); // ties in a stable order
    const QStringList dovute = diario.daRipassare(chiavi, oggi);
    if (dovute.isEmpty())
        return {};
    QHash<QString, Domanda> trovate;
    for (const NodoTavola& n : dati.albero.nodi()) {
        if (trovate.size() == dovute.size())
            break;
        for (const Domanda& d : struttureTavola(dati, n.chiave, lettura)) {
            const QString k = ripasso::chiaveStruttura(d.nome);
            if (!trovate.contains(k) && dovute.contains(k))
                trovate.insert(k, d);
        }
    }
    QList<Domanda> out;
    for (const QString& k : dovute)
        if (const auto it = trovate.constFind(k); it != trovate.cend())
            out.append(*it);
    return out;
}

namespace {

// Words that say which side of a pair: the name less them names both members.
bool parolaDelLato(QStringView p) {
    for (const char16_t* lato :
         {u"prawa", u"prawy", u"prawe", u"prawego", u"prawej", u"lewa", u"lewy", u"lewe", u"lewego",
          u"lewej", u"prawostronny", u"lewostronny"})
        if (p == QStringView(lato))
            return true;
    return false;
}

QString senzaLato(const QString& normalizzato) {
    QStringList parole = normalizzato.split(u' ', Qt::SkipEmptyParts);
    parole.removeIf([](const QString& p) { return parolaDelLato(p); });
    return parole.join(u' ');
}

// Each word a form of the name's word in the same place: "kosc ciemieniowa" for "kosci
// ciemieniowe".
bool stesseParole(const QString& a, const QString& b) {
    const QStringList pa = a.split(u' ', Qt::SkipEmptyParts);
    const QStringList pb = b.split(u' ', Qt::SkipEmptyParts);
    if (pa.isEmpty() || pa.size() != pb.size())
        return false;
    for (qsizetype i = 0; i < pa.size(); ++i)
        if (pa[i] != pb[i] && !(formaDi(pa[i], pb[i]) && formaDi(pb[i], pa[i])))
            return false;
    return true;
}

} // namespace

Corrispondenza confronta(QStringView scritto, const QString& nome) {
    bool esatta = false;
    if (ripasso::rispostaVicina(scritto, nome, &esatta))
        return esatta ? Corrispondenza::Esatta : Corrispondenza::Vicina;
    const QString s = normalizza(scritto), n = normalizza(nome);
    if (s.isEmpty() || n.isEmpty())
        return Corrispondenza::Nessuna;
    // The members of a pair: the other side, either of "X i Y" or "X / Y".
    QStringList membri{senzaLato(n)};
    for (const QString& m : QString(nome).split(
             QRegularExpression(QStringLiteral("\\s+i\\s+|/|,|\\s+oraz\\s+")), Qt::SkipEmptyParts))
        if (const QString k = normalizza(m); !k.isEmpty() && k != n)
            membri.append(k);
    const QString sl = senzaLato(s);
    for (const QString& m : std::as_const(membri)) {
        if (m.isEmpty())
            continue;
        if (ripasso::rispostaVicina(sl, m) || stesseParole(sl, m))
            return Corrispondenza::Vicina;
    }
    return Corrispondenza::Nessuna;
}

} // namespace hn::atlante
