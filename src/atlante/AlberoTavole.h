#pragma once

// The plates as a user reaches them: each body system opens its first plate, and link hotspots
// lead on. The tree is walked depth first from the twelve system codes in the home screen's
// order, each plate's links in record order; a plate belongs to the first way that reaches it.

#include "TabellaRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace hn::atlante {

// The body-system codes by home-screen index, with their exact case.
const QStringList& codiciSistemi();

struct NodoTavola {
    QString chiave;          // as the viewer holds it: the system code or the link as written
    int sistema = 0;         // index into codiciSistemi()
    int genitore = -1;       // the node whose link reached it; -1 for a system's first plate
    QList<qsizetype> record; // the plate's records (indices into the table) in file order
};

class AlberoTavole {
public:
    AlberoTavole() = default;
    AlberoTavole(const QList<Record>& tabella, const QStringList& sistemi);

    // Nodes in tree order (depth first).
    const QList<NodoTavola>& nodi() const { return nodi_; }
    // The node of a plate key (compared upper-cased, as the viewer compares); -1 when none.
    int nodo(const QString& chiave) const;
    // The viewer's keys from the system's first plate down to the node, both included.
    QStringList percorso(int nodo) const;
    // Records of a plate key (upper-cased) in file order, reached or not.
    QList<qsizetype> recordDi(const QString& chiave) const {
        return perTavola_.value(chiave.toUpper());
    }
    // Keys of the table no system reaches, in order of first appearance.
    const QStringList& nonRaggiunte() const { return nonRaggiunte_; }

    // Links whose plate has no records: the plate, the hotspot number (from 1) and the target.
    struct CollegamentoRotto {
        QString tavola;
        int numero = 0;
        QString destinazione;
    };
    const QList<CollegamentoRotto>& collegamentiRotti() const { return rotti_; }

private:
    QList<NodoTavola> nodi_;
    QHash<QString, int> perChiave_;
    QHash<QString, QList<qsizetype>> perTavola_;
    QStringList nonRaggiunte_;
    QList<CollegamentoRotto> rotti_;
};

} // namespace hn::atlante
