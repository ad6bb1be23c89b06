#include "TabellaRecord.h"

#include "Cp1250.h"

#include <algorithm>
#include <cmath>

namespace hn::atlante {

namespace {

QString campoTesto(QByteArrayView r, int inizio, int larghezza) {
    QByteArrayView b = r.sliced(inizio, larghezza);
    while (!b.isEmpty() && b.front() == ' ')
        b = b.sliced(1);
    while (!b.isEmpty() && b.back() == ' ')
        b.chop(1);
    return decodeCp1250(b);
}

QByteArray campo(const QString& testo, int larghezza) {
    return encodeCp1250(testo).left(larghezza).leftJustified(larghezza, ' ');
}

// Zero-padded as the authors' tools write them; a field holds 0 … 999.
QByteArray numero(float v, int larghezza) {
    return QByteArray::number(std::clamp<long>(std::lround(v), 0, 999))
        .rightJustified(larghezza, '0');
}

} // namespace

float numeroCampo(QByteArrayView c) {
    qsizetype i = 0;
    while (i < c.size() && c[i] == ' ')
        ++i;
    const qsizetype inizio = i;
    if (i < c.size() && (c[i] == '-' || c[i] == '+'))
        ++i;
    while (i < c.size() && c[i] >= '0' && c[i] <= '9')
        ++i;
    if (i < c.size() && c[i] == '.')
        for (++i; i < c.size() && c[i] >= '0' && c[i] <= '9';)
            ++i;
    bool ok = false;
    const float v = c.sliced(inizio, i - inizio).toByteArray().toFloat(&ok);
    return ok ? v : 0.0f;
}

Record decodificaRecord(QByteArrayView byte) {
    QByteArray pieno = byte.first(std::min<qsizetype>(byte.size(), LunghezzaRecord)).toByteArray();
    pieno = pieno.leftJustified(LunghezzaRecord, ' ');
    const QByteArrayView r(pieno);
    Record rec;
    rec.tavola = campoTesto(r, 0, 8);
    rec.codice = campoTesto(r, 8, 8);
    rec.collegamento = campoTesto(r, 16, 8);
    rec.x1 = numeroCampo(r.sliced(24, 3));
    rec.y1 = numeroCampo(r.sliced(27, 3));
    rec.x2 = numeroCampo(r.sliced(30, 3));
    rec.y2 = numeroCampo(r.sliced(33, 3));
    rec.testo = campoTesto(r, 36, 8);
    return rec;
}

QList<Record> leggiTabella(QByteArrayView dati) {
    QList<Record> out;
    out.reserve((dati.size() + LunghezzaRecord - 1) / LunghezzaRecord);
    for (qsizetype i = 0; i < dati.size(); i += LunghezzaRecord)
        out.append(decodificaRecord(dati.sliced(i)));
    return out;
}

QByteArray codificaRecord(const Record& r) {
    return campo(r.tavola, 8) + campo(r.codice, 8) + campo(r.collegamento, 8) + numero(r.x1, 3) +
           numero(r.y1, 3) + numero(r.x2, 3) + numero(r.y2, 3) + campo(r.testo, 8) +
           QByteArray(6, ' ');
}

QByteArray scriviTabella(const QList<Record>& record) {
    QByteArray out;
    out.reserve(record.size() * LunghezzaRecord);
    for (const Record& r : record)
        out += codificaRecord(r);
    return out;
}

} // namespace hn::atlante
