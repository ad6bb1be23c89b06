#include "Domande.h"

#include "IndiceRicerca.h"

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

QList<Domanda> domandeTavola(const DatiAtlante& dati, const QString& chiave,
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
        const QString testo = nascondiNome(s.testo.trimmed(), nome);
        // Something must be left to read besides blanks, dashes and the odd short word.
        QString resto = normalizza(QString(testo).remove(QString::fromUtf16(Lacuna)));
        if (resto.remove(u' ').size() < 12)
            continue;
        perCodice[codice] = out.size();
        out.append({r.Codice.trimmed(), nome, testo, {int(n + 1)}, chiave});
    }
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

} // namespace hn::atlante
