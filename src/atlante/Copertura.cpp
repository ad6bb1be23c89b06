#include "Copertura.h"

#include <QHash>
#include <vector>

namespace hn::atlante {

namespace {

// One plate's records, each with the index of its structure.
struct Tavola {
    QString chiave;
    QStringList strutture;
    QList<std::pair<int, QRect>> record;
};

// A structure of several records is one item, at its topmost record: its label's text, which
// must answer wholly for it. Empty when no later record of another structure lies over that one.
QString etichettaCoperta(const Tavola& t, qsizetype s) {
    qsizetype cima = -1, quanti = 0;
    for (qsizetype i = 0; i < t.record.size(); ++i)
        if (t.record[i].first == s) {
            cima = i;
            ++quanti;
        }
    if (quanti < 2)
        return {};
    const QRect a = t.record[cima].second;
    for (qsizetype i = cima + 1; i < t.record.size(); ++i) {
        const auto& [k, b] = t.record[i];
        if (k != s && a.intersects(b))
            return QStringLiteral("its topmost record, which stands for it (its label, where it "
                                  "has one), at %1,%2 %3x%4 lies partly under a record of %5 at "
                                  "%6,%7 %8x%9")
                .arg(a.x())
                .arg(a.y())
                .arg(a.width())
                .arg(a.height())
                .arg(t.strutture[k])
                .arg(b.x())
                .arg(b.y())
                .arg(b.width())
                .arg(b.height());
    }
    return {};
}

void verificaTavola(const Tavola& t, QList<DifettoCopertura>& difetti) {
    QRect tutto;
    for (const auto& r : t.record)
        tutto |= r.second;
    // The structure on top of each pixel of the plate's bounding box; -1 where none lies.
    std::vector<int> sopra(static_cast<size_t>(tutto.width()) * static_cast<size_t>(tutto.height()),
                           -1);
    const auto indice = [&](int x, int y) {
        return static_cast<size_t>(y - tutto.top()) * static_cast<size_t>(tutto.width()) +
               static_cast<size_t>(x - tutto.left());
    };
    for (const auto& [s, a] : t.record)
        for (int y = a.top(); y <= a.bottom(); ++y)
            for (int x = a.left(); x <= a.right(); ++x)
                sopra[indice(x, y)] = s;

    const qsizetype n = t.strutture.size();
    std::vector<qint64> visibili(static_cast<size_t>(n), 0);
    for (int s : sopra)
        if (s >= 0)
            ++visibili[static_cast<size_t>(s)];
    std::vector<QString> motivi(static_cast<size_t>(n));
    for (const auto& [s, a] : t.record) {
        QString& motivo = motivi[static_cast<size_t>(s)];
        if (!motivo.isEmpty())
            continue;
        if (a.isEmpty()) {
            motivo = QStringLiteral("a record covers no pixel");
            continue;
        }
        bool scoperto = false;
        for (int y = a.top(); y <= a.bottom() && !scoperto; ++y)
            for (int x = a.left(); x <= a.right() && !scoperto; ++x)
                scoperto = sopra[indice(x, y)] == s;
        if (!scoperto)
            motivo = QStringLiteral("a record lies wholly under others at %1,%2 %3x%4")
                         .arg(a.x())
                         .arg(a.y())
                         .arg(a.width())
                         .arg(a.height());
    }
    for (qsizetype s = 0; s < n; ++s) {
        QString& motivo = motivi[static_cast<size_t>(s)];
        if (motivo.isEmpty()) {
            // The structure's own area: the union of its records.
            QRect box;
            for (const auto& [k, a] : t.record)
                if (k == s)
                    box |= a;
            std::vector<char> coperto(
                static_cast<size_t>(box.width()) * static_cast<size_t>(box.height()), 0);
            for (const auto& [k, a] : t.record)
                if (k == s)
                    for (int y = a.top(); y <= a.bottom(); ++y)
                        for (int x = a.left(); x <= a.right(); ++x)
                            coperto[static_cast<size_t>(y - box.top()) *
                                        static_cast<size_t>(box.width()) +
                                    static_cast<size_t>(x - box.left())] = 1;
            qint64 area = 0;
            for (char c : coperto)
                area += c;
            const qint64 v = visibili[static_cast<size_t>(s)];
            if (v < MinimoPixel || 2 * v < area)
                motivo = QStringLiteral("only %1 of its %2 pixels can be clicked (needs %3 and "
                                        "half)")
                             .arg(v)
                             .arg(area)
                             .arg(MinimoPixel);
        }
        if (motivo.isEmpty())
            motivo = etichettaCoperta(t, s);
        // The header record names the plate, not a structure: it only covers others.
        if (!motivo.isEmpty() && t.strutture[s] != QLatin1String("000000"))
            difetti.append({t.chiave, t.strutture[s], motivo});
    }
}

} // namespace

QRect areaDelRecord(int x1, int y1, int x2, int y2) {
    return QRect(x1, y1, x2 - x1 + 2, y2 - y1 + 2);
}

QList<DifettoCopertura> verificaCopertura(const QList<Zona>& zone) {
    QList<Tavola> tavole;
    QHash<QString, qsizetype> posizione;
    for (const Zona& z : zone) {
        auto p = posizione.constFind(z.tavola);
        if (p == posizione.cend()) {
            p = posizione.insert(z.tavola, tavole.size());
            tavole.append({z.tavola, {}, {}});
        }
        Tavola& t = tavole[*p];
        qsizetype s = t.strutture.indexOf(z.struttura);
        if (s < 0) {
            s = t.strutture.size();
            t.strutture.append(z.struttura);
        }
        t.record.append({static_cast<int>(s), z.area.isEmpty() ? QRect() : z.area});
    }
    QList<DifettoCopertura> difetti;
    for (const Tavola& t : tavole)
        verificaTavola(t, difetti);
    return difetti;
}

} // namespace hn::atlante
