#include "Conoscenza.h"

#include <QSet>
#include <algorithm>

namespace hn::atlante {

using ripasso::Stato;

Stato statoStruttura(const ripasso::Diario& diario, QStringView nome, qint64 oggi) {
    const QString chiave = ripasso::chiaveStruttura(nome);
    if (chiave.isEmpty())
        return Stato::Nuova;
    const ripasso::Memoria* m = diario.trova(chiave);
    return m ? ripasso::statoDi(*m, oggi) : Stato::Nuova;
}

void Riepilogo::conta(Stato s) {
    switch (s) {
    case Stato::Conosciuta:
        ++conosciute;
        break;
    case Stato::InApprendimento:
        ++inApprendimento;
        break;
    case Stato::DaRipassare:
        ++daRipassare;
        break;
    case Stato::Nuova:
        ++nuove;
        break;
    }
}

Riepilogo riepiloga(const QStringList& chiavi, const ripasso::Diario& diario, qint64 oggi) {
    Riepilogo r;
    QSet<QString> viste;
    for (const QString& c : chiavi) {
        if (c.isEmpty() || viste.contains(c))
            continue;
        viste.insert(c);
        const ripasso::Memoria* m = diario.trova(c);
        r.conta(m ? ripasso::statoDi(*m, oggi) : Stato::Nuova);
    }
    return r;
}

QList<QStringList> struttureDeiSistemi(const DatiAtlante& dati, const Budget& budget) {
    const qsizetype sistemi = codiciSistemi().size();
    QList<QStringList> out(sistemi);
    QList<QSet<QString>> viste(sistemi);
    LetturaLimitata lettura(dati.testi, budget);
    // A caption read once, however many plates and systems show its structure.
    QHash<QString, QString> chiaviPerCodice;
    for (const NodoTavola& n : dati.albero.nodi()) {
        if (n.sistema < 0 || n.sistema >= sistemi)
            continue;
        for (qsizetype i : n.record) {
            if (i < 0 || i >= dati.tabella.size())
                continue;
            const Record& r = dati.tabella[i];
            if (r.intestazione() || !r.Collegamento.isEmpty())
                continue;
            const QString codice = r.Codice.trimmed().toUpper();
            auto it = chiaviPerCodice.constFind(codice);
            if (it == chiaviPerCodice.cend()) {
                const Sommario s = lettura.sommario(r.Codice).value_or(Sommario{});
                it = chiaviPerCodice.insert(codice, ripasso::chiaveStruttura(s.nome));
            }
            if (it->isEmpty() || viste[n.sistema].contains(*it))
                continue;
            viste[n.sistema].insert(*it);
            out[n.sistema].append(*it);
        }
    }
    return out;
}

QList<int> ordineDiLettura(const QList<QRectF>& aree) {
    QList<int> perAltezza(aree.size());
    for (int i = 0; i < aree.size(); ++i)
        perAltezza[i] = i;
    std::stable_sort(perAltezza.begin(), perAltezza.end(),
                     [&](int a, int b) { return aree[a].center().y() < aree[b].center().y(); });
    QList<int> out;
    out.reserve(aree.size());
    qsizetype inizio = 0;
    while (inizio < perAltezza.size()) {
        const QRectF& primo = aree[perAltezza[inizio]];
        qsizetype fine = inizio + 1;
        while (fine < perAltezza.size() && aree[perAltezza[fine]].center().y() <= primo.bottom())
            ++fine;
        QList<int> riga(perAltezza.begin() + inizio, perAltezza.begin() + fine);
        std::stable_sort(riga.begin(), riga.end(),
                         [&](int a, int b) { return aree[a].left() < aree[b].left(); });
        out += riga;
        inizio = fine;
    }
    return out;
}

} // namespace hn::atlante
