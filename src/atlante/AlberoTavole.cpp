#include "AlberoTavole.h"

#include <QSet>
#include <utility>

namespace hn::atlante {

const QStringList& codiciSistemi() {
    static const QStringList codici = {
        QStringLiteral("SCHEL1"),   QStringLiteral("muscava"), QStringLiteral("DIGER1"),
        QStringLiteral("NERVOS"),   QStringLiteral("CIRCOL"),  QStringLiteral("LINFAT"),
        QStringLiteral("SENSO"),    QStringLiteral("RESPIR"),  QStringLiteral("urinari"),
        QStringLiteral("RIPROGEN"), QStringLiteral("ENDOC1"),  QStringLiteral("orecch")};
    return codici;
}

AlberoTavole::AlberoTavole(const QList<Record>& tabella, const QStringList& sistemi) {
    QStringList ordine;
    for (qsizetype i = 0; i < tabella.size(); ++i) {
        auto& lista = perTavola_[tabella[i].Tavola];
        if (lista.isEmpty())
            ordine.append(tabella[i].Tavola);
        lista.append(i);
    }

    // Depth first without recursion: a chain of thousands of plates is no stack overflow.
    const auto aggiungi = [this](const QString& chiave, int sistema, int genitore) {
        NodoTavola n{chiave, sistema, genitore, perTavola_.value(chiave.toUpper())};
        perChiave_.insert(chiave.toUpper(), int(nodi_.size()));
        nodi_.append(std::move(n));
        return int(nodi_.size() - 1);
    };
    for (int s = 0; s < sistemi.size(); ++s) {
        if (perChiave_.contains(sistemi[s].toUpper()))
            continue;
        QList<std::pair<int, qsizetype>> pila{{aggiungi(sistemi[s], s, -1), 0}};
        while (!pila.isEmpty()) {
            auto& [nodo, prossimo] = pila.last();
            const QList<qsizetype>& record = nodi_[nodo].record;
            if (prossimo >= record.size()) {
                pila.removeLast();
                continue;
            }
            const qsizetype numero = prossimo++;
            const QString& link = tabella[record[numero]].Collegamento;
            if (link.isEmpty())
                continue;
            if (!perTavola_.contains(link.toUpper())) {
                rotti_.append({nodi_[nodo].chiave, int(numero + 1), link});
                continue;
            }
            if (perChiave_.contains(link.toUpper()))
                continue;
            const int figlio = aggiungi(link, s, nodo);
            pila.append({figlio, 0});
        }
    }
    for (const QString& k : std::as_const(ordine))
        if (!perChiave_.contains(k)) // a key stored in lower case matches no viewer key
            nonRaggiunte_.append(k);
}

int AlberoTavole::nodo(const QString& chiave) const {
    return perChiave_.value(chiave.toUpper(), -1);
}

QStringList AlberoTavole::percorso(int nodo) const {
    QStringList p;
    for (int n = nodo; n >= 0 && n < nodi_.size(); n = nodi_[n].genitore)
        p.prepend(nodi_[n].chiave);
    return p;
}

} // namespace hn::atlante
