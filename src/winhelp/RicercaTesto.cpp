#include "RicercaTesto.h"

#include "Guida.h"
#include "Normalizza.h"

#include <QHash>
#include <algorithm>

namespace hn::winhelp {

namespace {
QStringList parole(const QString& piegato) {
    QStringList out;
    QString corrente;
    for (const QChar c : piegato) {
        if (c.isLetterOrNumber()) {
            corrente += c;
        } else if (!corrente.isEmpty()) {
            out.append(corrente);
            corrente.clear();
        }
    }
    if (!corrente.isEmpty())
        out.append(corrente);
    return out;
}
} // namespace

QString testoSemplice(const Argomento& a) {
    QString t = a.titolo;
    for (const Paragrafo& p : a.paragrafi) {
        t += u'\n';
        for (const Pezzo& pz : p.pezzi)
            t += pz.tipo == Pezzo::Testo ? pz.testo : QStringLiteral(" ");
    }
    return t;
}

void IndiceTesto::aggiungi(int argomento, const QString& titolo, const QString& testo) {
    QHash<QString, std::pair<int, bool>> qui;
    for (const QString& p : parole(normalizza(testo)))
        ++qui[p].first;
    for (const QString& p : parole(normalizza(titolo)))
        qui[p].second = true;
    for (auto it = qui.cbegin(); it != qui.cend(); ++it)
        parole_[it.key()].append({argomento, it.value().first, it.value().second});
    completo_ = false;
}

void IndiceTesto::completa() {
    if (completo_)
        return;
    ordinate_ = parole_.keys();
    std::sort(ordinate_.begin(), ordinate_.end());
    completo_ = true;
}

QList<Risultato> IndiceTesto::cerca(const QString& domanda, int massimo) {
    completa();
    const QStringList cercate = parole(normalizza(domanda));
    if (cercate.isEmpty())
        return {};
    QHash<int, int> punti;
    for (qsizetype k = 0; k < cercate.size(); ++k) {
        QHash<int, int> qui;
        for (auto it = std::lower_bound(ordinate_.cbegin(), ordinate_.cend(), cercate[k]);
             it != ordinate_.cend() && it->startsWith(cercate[k]); ++it) {
            const bool intera = it->size() == cercate[k].size();
            for (const Presenza& p : parole_.value(*it))
                qui[p.argomento] += p.volte * (intera ? 2 : 1) + (p.titolo ? 20 : 0);
        }
        if (k == 0) {
            punti = qui;
            continue;
        }
        for (auto it = punti.begin(); it != punti.end();) {
            const auto q = qui.constFind(it.key());
            if (q == qui.cend()) {
                it = punti.erase(it);
            } else {
                it.value() += *q;
                ++it;
            }
        }
    }
    QList<Risultato> r;
    for (auto it = punti.cbegin(); it != punti.cend(); ++it)
        r.append({it.key(), it.value()});
    std::sort(r.begin(), r.end(), [](const Risultato& a, const Risultato& b) {
        return a.punti != b.punti ? a.punti > b.punti : a.argomento < b.argomento;
    });
    if (r.size() > massimo)
        r.resize(massimo);
    return r;
}

} // namespace hn::winhelp
