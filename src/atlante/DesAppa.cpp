#include "DesAppa.h"

#include "Cp1250.h"

namespace hn::atlante {

QList<RigaDesAppa> leggiDesAppa(QByteArrayView dati) {
    QList<RigaDesAppa> out;
    while (!dati.isEmpty()) {
        qsizetype fine = dati.indexOf('\n');
        QByteArrayView riga = fine < 0 ? dati : dati.first(fine);
        dati = fine < 0 ? QByteArrayView() : dati.sliced(fine + 1);
        while (riga.endsWith('\r'))
            riga.chop(1);
        const QString testo = decodeCp1250(riga);
        out.append({testo.left(10).trimmed(), testo.mid(10).trimmed()});
    }
    return out;
}

QString descrizioneSistema(const QList<RigaDesAppa>& righe, const QString& codice) {
    for (const RigaDesAppa& r : righe)
        if (r.first == codice)
            return r.second;
    return {};
}

QByteArray scriviDesAppa(const QList<RigaDesAppa>& righe) {
    QByteArray out;
    for (const RigaDesAppa& r : righe)
        out += encodeCp1250(r.first.leftJustified(10, u' ') + r.second) + "\r\n";
    return out;
}

} // namespace hn::atlante
