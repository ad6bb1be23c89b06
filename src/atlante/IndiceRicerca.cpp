#include "IndiceRicerca.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace hn::atlante {

IndiceRicerca::IndiceRicerca(const DatiAtlante& d, const Budget& budget) {
    const QList<NodoTavola>& nodi = d.albero.nodi();
    LetturaLimitata lettura(d.testi, budget);
    // A code may serve many plates: each text is read and normalised once. A damaged entry, or
    // one past the budget, is found by nothing; the checker reports it.
    struct Letto {
        QString nome, nomeNormale, testoNormale;
    };
    QList<Letto> letti{Letto{}}; // the first one stands for a plate without a description
    QHash<QString, qsizetype> posti;
    // Most codes are read once: room for all of them up front spares the table its growing.
    posti.reserve(d.tabella.size());
    const auto leggi = [&](const QString& codice) {
        auto it = posti.constFind(codice);
        if (it == posti.cend()) {
            const Sommario s = lettura.sommario(codice).value_or(Sommario{});
            letti.append({s.nome, normalizza(s.nome), normalizza(s.testo)});
            it = posti.insert(codice, letti.size() - 1);
        }
        return *it;
    };

    QList<qsizetype> descrizioni(nodi.size(), 0);
    QStringList titoli, titoliNormali;
    for (qsizetype i = 0; i < nodi.size(); ++i) {
        for (qsizetype r : nodi[i].record)
            if (d.tabella[r].intestazione()) {
                descrizioni[i] = leggi(d.tabella[r].Testo);
                break;
            }
        const Letto& l = letti[descrizioni[i]];
        titoli.append(l.nome.isEmpty() ? nodi[i].chiave : l.nome);
        titoliNormali.append(l.nome.isEmpty() ? normalizza(nodi[i].chiave) : l.nomeNormale);
    }

    // The way to each plate is kept as its parent only: a tree of 10,000 plates in one chain
    // would hold 50 million keys as whole ways.
    chiavi_.reserve(nodi.size());
    genitori_.reserve(nodi.size());
    QList<int> radici(nodi.size());
    const QString vuoto;
    for (qsizetype i = 0; i < nodi.size(); ++i) {
        chiavi_.append(nodi[i].chiave);
        genitori_.append(nodi[i].genitore);
        // Depth first: a parent comes before its children.
        const int g = nodi[i].genitore;
        const int radice = radici[i] = g >= 0 && g < i ? radici[g] : int(i);
        dove_.append(radice == i ? titoli[i] : titoli[radice] + QStringLiteral(" › ") + titoli[i]);
        const auto aggiungi = [&](const QString& nome, const QString& nomeNormale,
                                  const QString& testoNormale, int hotspot) {
            if (nome.isEmpty() && testoNormale.isEmpty())
                return;
            voci_.append({nome, int(i), hotspot});
            nomi_.aggiungi(nomeNormale);
            testi_.aggiungi(testoNormale);
        };
        aggiungi(titoli[i], titoliNormali[i], letti[descrizioni[i]].testoNormale, 0);
        // A structure drawn in several places (its shape, its label, both sides of a pair) has
        // a record for each, all with its code: it is found once, at its first record.
        QSet<QString> codici;
        for (qsizetype n = 0; n < nodi[i].record.size(); ++n) {
            const Record& r = d.tabella[nodi[i].record[n]];
            if (r.intestazione() || codici.contains(r.Codice))
                continue;
            codici.insert(r.Codice);
            if (!r.Collegamento.isEmpty()) {
                const int destinazione = d.albero.nodo(r.Collegamento);
                if (destinazione >= 0)
                    aggiungi(titoli[destinazione], titoliNormali[destinazione], vuoto, int(n + 1));
            } else {
                const Letto& s = letti[leggi(r.Codice)];
                aggiungi(s.nome, s.nomeNormale, s.testoNormale, int(n + 1));
            }
        }
    }
    completo_ = !lettura.esaurito();
    nomi_.tutto.squeeze();
    testi_.tutto.squeeze();
}

void IndiceRicerca::Testi::aggiungi(const QString& normalizzato) {
    inizi.append(tutto.size());
    tutto += u' ';
    tutto += normalizzato;
    tutto += u'\n';
}

qsizetype IndiceRicerca::Testi::voceA(qsizetype posizione) const {
    return std::upper_bound(inizi.cbegin(), inizi.cend(), posizione) - inizi.cbegin() - 1;
}

QStringList IndiceRicerca::percorso(int nodo) const {
    QStringList p;
    for (int n = nodo; n >= 0 && n < chiavi_.size(); n = genitori_[n])
        p.append(chiavi_[n]);
    std::reverse(p.begin(), p.end());
    return p;
}

QList<Risultato> IndiceRicerca::cerca(QStringView domanda, int massimo, int* totale) const {
    const QString q = normalizza(domanda);
    if (totale)
        *totale = 0;
    if (q.isEmpty())
        return {};
    // Best rank per entry: 0 whole name, 1 name prefix, 2 a word of the name, 3 elsewhere.
    QList<char> rango(voci_.size(), 4);
    const auto scorri = [&](const Testi& t, const QString& ago, auto&& rangoDi) {
        for (qsizetype p = t.tutto.indexOf(ago); p >= 0;) {
            const qsizetype k = t.voceA(p);
            rango[k] = std::min(rango[k], rangoDi(k, p));
            // One hit per entry is enough: on to the next one.
            const qsizetype prossima = k + 1 < t.inizi.size() ? t.inizi[k + 1] : t.tutto.size();
            p = t.tutto.indexOf(ago, std::max(p + 1, prossima));
        }
    };
    const QString parola = u' ' + q;
    scorri(nomi_, parola, [&](qsizetype k, qsizetype p) -> char {
        if (p != nomi_.inizi[k])
            return 2;
        const qsizetype fine = p + parola.size();
        return fine < nomi_.tutto.size() && nomi_.tutto[fine] == u'\n' ? 0 : 1;
    });
    scorri(nomi_, q, [](qsizetype, qsizetype) -> char { return 3; });
    scorri(testi_, q, [](qsizetype, qsizetype) -> char { return 3; });

    std::array<QList<qsizetype>, 4> ranghi;
    for (qsizetype k = 0; k < voci_.size(); ++k)
        if (rango[k] < 4)
            ranghi[size_t(rango[k])].append(k);
    QList<Risultato> out;
    int conteggio = 0;
    for (const QList<qsizetype>& lista : ranghi) {
        conteggio += int(lista.size());
        for (qsizetype k : lista) {
            if (out.size() >= massimo)
                break;
            const Voce& v = voci_[k];
            out.append({v.nome.isEmpty() ? dove_[v.nodo] : v.nome, dove_[v.nodo], percorso(v.nodo),
                        v.hotspot, int(rango[k])});
        }
    }
    if (totale)
        *totale = conteggio;
    return out;
}

} // namespace hn::atlante
