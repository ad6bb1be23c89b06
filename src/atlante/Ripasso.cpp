#include "Ripasso.h"

#include "IndiceRicerca.h"

#include <QList>
#include <algorithm>
#include <cmath>
#include <vector>

namespace hn::atlante::ripasso {

namespace {

// The forgetting curve R(t, S) = (1 + F·t/S)^D, with D = −0.5 and F chosen so that R(S, S) = 0.9.
constexpr double Decadimento = -0.5;
const double Fattore = std::pow(0.9, 1 / Decadimento) - 1; // 19/81

constexpr double StabilitaMinima = 0.01;
constexpr double StabilitaMassima = 1e6;
constexpr double GiornoMassimo = 1e8; // far beyond any date a calendar gives

double limitaD(double d) {
    return std::clamp(d, 1.0, 10.0);
}

double limitaS(double s) {
    return std::clamp(s, StabilitaMinima, StabilitaMassima);
}

int g(Voto v) {
    return static_cast<int>(v);
}

double difficoltaIniziale(Voto v, const Parametri& p) {
    return p.w[4] - std::exp(p.w[5] * (g(v) - 1)) + 1;
}

double difficoltaDopo(double d, Voto v, const Parametri& p) {
    const double delta = -p.w[6] * (g(v) - 3);
    // The step shrinks as the difficulty nears 10, so it approaches the top without sticking.
    const double dopo = d + delta * (10 - d) / 9;
    // A pull back towards an easy card's start, so a run of bad days is not forever.
    return limitaD(p.w[7] * difficoltaIniziale(Voto::Facile, p) + (1 - p.w[7]) * dopo);
}

double stabilitaDopoRicordo(double d, double s, double r, Voto v, const Parametri& p) {
    const double duro = v == Voto::Difficile ? p.w[15] : 1;
    const double facile = v == Voto::Facile ? p.w[16] : 1;
    return s * (1 + std::exp(p.w[8]) * (11 - d) * std::pow(s, -p.w[9]) *
                        (std::exp(p.w[10] * (1 - r)) - 1) * duro * facile);
}

double stabilitaDopoOblio(double d, double s, double r, const Parametri& p) {
    const double f = p.w[11] * std::pow(d, -p.w[12]) * (std::pow(s + 1, p.w[13]) - 1) *
                     std::exp(p.w[14] * (1 - r));
    // Forgetting never leaves a memory stronger than it was.
    return std::min(f, s / std::exp(p.w[17] * p.w[18]));
}

double stabilitaStessoGiorno(double s, Voto v, const Parametri& p) {
    return s * std::exp(p.w[17] * (g(v) - 3 + p.w[18]));
}

// Optimal string alignment distance, stopping early once it exceeds `limite`.
int distanza(QStringView a, QStringView b, int limite) {
    if (std::abs(a.size() - b.size()) > limite)
        return limite + 1;
    const qsizetype n = a.size(), m = b.size();
    std::vector<int> d2(m + 1), d1(m + 1), d0(m + 1);
    for (qsizetype j = 0; j <= m; ++j)
        d1[j] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        d0[0] = int(i);
        int minimo = d0[0];
        for (qsizetype j = 1; j <= m; ++j) {
            const int costo = a[i - 1] == b[j - 1] ? 0 : 1;
            int v = std::min({d1[j] + 1, d0[j - 1] + 1, d1[j - 1] + costo});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                v = std::min(v, d2[j - 2] + 1);
            d0[j] = v;
            minimo = std::min(minimo, v);
        }
        if (minimo > limite)
            return limite + 1;
        std::swap(d2, d1);
        std::swap(d1, d0);
    }
    return d1[m];
}

constexpr QByteArrayView Intestazione = "HNemar ripasso 1";

bool giornoValido(qint64 giorno) {
    return giorno >= 0 && giorno <= qint64(GiornoMassimo);
}

} // namespace

double recuperabilita(double giorni, double stabilita) {
    if (!(stabilita > 0))
        return 0;
    return std::pow(1 + Fattore * std::max(0.0, giorni) / stabilita, Decadimento);
}

double intervallo(double stabilita, double ritenzione) {
    return stabilita / Fattore * (std::pow(ritenzione, 1 / Decadimento) - 1);
}

Memoria aggiorna(const Memoria& prima, Voto voto, qint64 oggi, const Parametri& p) {
    Memoria m = prima;
    if (prima.nuova()) {
        m.stabilita = limitaS(p.w[g(voto) - 1]);
        m.difficolta = limitaD(difficoltaIniziale(voto, p));
    } else {
        // A clock set back counts as the same day, never as negative time.
        const qint64 trascorsi = std::max<qint64>(0, oggi - prima.ultimo);
        const double s = limitaS(prima.stabilita), d = limitaD(prima.difficolta);
        if (trascorsi == 0)
            m.stabilita = stabilitaStessoGiorno(s, voto, p);
        else {
            const double r = recuperabilita(double(trascorsi), s);
            m.stabilita = voto == Voto::Ancora ? stabilitaDopoOblio(d, s, r, p)
                                               : stabilitaDopoRicordo(d, s, r, voto, p);
        }
        m.stabilita = limitaS(m.stabilita);
        m.difficolta = difficoltaDopo(d, voto, p);
        if (voto == Voto::Ancora)
            ++m.errori;
    }
    ++m.ripetizioni;
    m.ultimo = oggi;
    const double giorni = std::round(intervallo(m.stabilita, p.ritenzione));
    m.scadenza = oggi + qint64(std::clamp(giorni, 1.0, double(p.intervalloMassimo)));
    return m;
}

Stato statoDi(const Memoria& m, qint64 oggi) {
    if (m.nuova())
        return Stato::Nuova;
    if (m.scadenza <= oggi)
        return Stato::DaRipassare;
    return m.stabilita >= 21 ? Stato::Conosciuta : Stato::InApprendimento;
}

QString chiaveStruttura(QStringView nome) {
    return normalizza(nome);
}

bool rispostaVicina(QStringView scritto, QStringView nome, bool* esatta) {
    const QString s = normalizza(scritto), n = normalizza(nome);
    if (esatta)
        *esatta = !s.isEmpty() && s == n;
    if (s.isEmpty() || n.isEmpty())
        return false;
    if (s == n)
        return true;
    const int concessi = n.size() >= 9 ? 2 : n.size() >= 5 ? 1 : 0;
    return concessi > 0 && distanza(s, n, concessi) <= concessi;
}

const Memoria* Diario::trova(const QString& chiave) const {
    const auto it = voci_.constFind(chiave);
    return it == voci_.cend() ? nullptr : &*it;
}

Memoria Diario::memoria(const QString& chiave) const {
    const Memoria* m = trova(chiave);
    return m ? *m : Memoria{};
}

void Diario::registra(const QString& chiave, Voto voto, qint64 oggi, const Parametri& p) {
    voci_.insert(chiave, aggiorna(memoria(chiave), voto, oggi, p));
}

QStringList Diario::daRipassare(const QStringList& chiavi, qint64 oggi) const {
    QList<std::pair<qint64, qsizetype>> dovute;
    for (qsizetype i = 0; i < chiavi.size(); ++i)
        if (const Memoria* m = trova(chiavi[i]); m && statoDi(*m, oggi) == Stato::DaRipassare)
            dovute.append({m->scadenza, i});
    std::stable_sort(dovute.begin(), dovute.end());
    QStringList out;
    QHash<QString, bool> viste;
    for (const auto& [scadenza, i] : dovute)
        if (!viste.contains(chiavi[i])) {
            viste.insert(chiavi[i], true);
            out.append(chiavi[i]);
        }
    return out;
}

QByteArray Diario::scrivi() const {
    QStringList chiavi = voci_.keys();
    chiavi.sort(); // the same state always writes the same bytes
    QByteArray out = Intestazione.toByteArray() + '\n';
    for (const QString& k : chiavi) {
        const Memoria& m = voci_[k];
        out += k.toUtf8() + '\t' + QByteArray::number(m.stabilita, 'g', 17) + '\t' +
               QByteArray::number(m.difficolta, 'g', 17) + '\t' + QByteArray::number(m.ultimo) +
               '\t' + QByteArray::number(m.scadenza) + '\t' + QByteArray::number(m.ripetizioni) +
               '\t' + QByteArray::number(m.errori) + '\n';
    }
    return out;
}

Diario Diario::leggi(QByteArrayView dati, int* scartate) {
    Diario d;
    int perse = 0;
    QList<QByteArrayView> righe = [&] {
        QList<QByteArrayView> r;
        qsizetype inizio = 0;
        while (inizio < dati.size()) {
            qsizetype fine = dati.indexOf('\n', inizio);
            if (fine < 0)
                fine = dati.size();
            r.append(dati.sliced(inizio, fine - inizio));
            inizio = fine + 1;
        }
        return r;
    }();
    if (righe.isEmpty() || righe.first().trimmed() != Intestazione) {
        perse = int(std::count_if(righe.cbegin(), righe.cend(),
                                  [](QByteArrayView r) { return !r.trimmed().isEmpty(); }));
        righe.clear();
    }
    for (qsizetype i = 1; i < righe.size(); ++i) {
        QByteArrayView riga = righe[i];
        if (riga.endsWith('\r'))
            riga.chop(1);
        if (riga.trimmed().isEmpty())
            continue;
        const QList<QByteArray> campi = riga.toByteArray().split('\t');
        bool ok = campi.size() == 7;
        const QString chiave = ok ? QString::fromUtf8(campi[0]) : QString();
        // Only what the key function can produce: no control characters, nothing unreadable.
        ok = ok && !chiave.isEmpty() && chiave.size() <= 500 && chiave == chiaveStruttura(chiave);
        Memoria m;
        bool a = false, b = false, c = false, e = false, f = false, h = false;
        if (ok) {
            m.stabilita = campi[1].toDouble(&a);
            m.difficolta = campi[2].toDouble(&b);
            m.ultimo = campi[3].toLongLong(&c);
            m.scadenza = campi[4].toLongLong(&e);
            m.ripetizioni = campi[5].toInt(&f);
            m.errori = campi[6].toInt(&h);
        }
        ok = ok && a && b && c && e && f && h && std::isfinite(m.stabilita) &&
             m.stabilita >= StabilitaMinima && m.stabilita <= StabilitaMassima &&
             m.difficolta >= 1 && m.difficolta <= 10 && giornoValido(m.ultimo) &&
             giornoValido(m.scadenza) && m.scadenza >= m.ultimo && m.ripetizioni >= 1 &&
             m.errori >= 0 && m.errori < m.ripetizioni && !d.voci_.contains(chiave);
        if (!ok) {
            ++perse;
            continue;
        }
        d.voci_.insert(chiave, m);
    }
    if (scartate)
        *scartate = perse;
    return d;
}

} // namespace hn::atlante::ripasso
