#include "TabellaRecord.h"

#include "CacheFile.h"
#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "ValoreNumerico.h"

#include <algorithm>
#include <cmath>

namespace hn::atlante {

namespace {

// Beyond this a "table" is no atlas's (the largest hold a few hundred thousand records): it is
// refused rather than read into memory.
constexpr qint64 DimensioneMassimaTabella = qint64(64) * 1024 * 1024;

// The runtime's Trim: blanks only.
QByteArrayView senzaSpazi(QByteArrayView b) {
    while (!b.isEmpty() && b.front() == ' ')
        b = b.sliced(1);
    while (!b.isEmpty() && b.back() == ' ')
        b.chop(1);
    return b;
}

QString campoTesto(QByteArrayView r, int inizio, int larghezza) {
    return decodeCp1250(senzaSpazi(r.sliced(inizio, larghezza)));
}

QByteArray campo(const QString& testo, int larghezza) {
    return encodeCp1250(testo).left(larghezza).leftJustified(larghezza, ' ');
}

// Zero-padded as the authors' tools write them; a field holds 0 … 999.
QByteArray numero(float v, int larghezza) {
    return QByteArray::number(std::clamp<long>(std::lround(v), 0, 999))
        .rightJustified(larghezza, '0');
}

// The stored form of a plate key as the viewer asks for it: upper case, in the table's code
// page. A key the code page cannot hold matches nothing.
std::optional<QByteArray> chiaveCercata(const QString& tavola) {
    const QString maiuscola = tavola.toUpper();
    QByteArray b = encodeCp1250(maiuscola);
    if (decodeCp1250(b) != maiuscola)
        return std::nullopt;
    return b;
}

} // namespace

float numeroCampo(QByteArrayView c) {
    // The authors' tools write digits padded with blanks, read here as they stand; anything else
    // (a sign, a point, an exponent, &H, other blanks) takes the runtime's whole rule.
    qsizetype i = 0;
    while (i < c.size() && c[i] == ' ')
        ++i;
    qsizetype j = i;
    int valore = 0;
    while (j < c.size() && j - i < 9 && c[j] >= '0' && c[j] <= '9')
        valore = valore * 10 + (c[j++] - '0');
    qsizetype k = j;
    while (k < c.size() && c[k] == ' ')
        ++k;
    if (k == c.size())
        return float(valore);
    return float(valoreIniziale(QString::fromLatin1(c)));
}

Record decodificaRecord(QByteArrayView byte) {
    // Only a short last record needs a padded copy.
    QByteArray pieno;
    QByteArrayView r = byte.first(std::min<qsizetype>(byte.size(), LunghezzaRecord));
    if (r.size() < LunghezzaRecord) {
        pieno = r.toByteArray().leftJustified(LunghezzaRecord, ' ');
        r = pieno;
    }
    Record rec;
    rec.Tavola = campoTesto(r, 0, 8);
    rec.Codice = campoTesto(r, 8, 8);
    rec.Collegamento = campoTesto(r, 16, 8);
    rec.X1 = numeroCampo(r.sliced(24, 3));
    rec.Y1 = numeroCampo(r.sliced(27, 3));
    rec.X2 = numeroCampo(r.sliced(30, 3));
    rec.Y2 = numeroCampo(r.sliced(33, 3));
    rec.Testo = campoTesto(r, 36, 8);
    return rec;
}

qsizetype lunghezzaSenzaFineDos(QByteArrayView dati) {
    constexpr char FineDos = 0x1A;
    qsizetype fine = dati.size() - dati.size() % LunghezzaRecord;
    if (fine < dati.size() && dati[fine] != FineDos)
        return dati.size(); // a short record of something else: served as it stands
    const auto soloFineDos = [](QByteArrayView r) {
        return std::all_of(r.begin(), r.end(), [](char c) { return c == FineDos; });
    };
    while (fine > 0 && soloFineDos(dati.sliced(fine - LunghezzaRecord, LunghezzaRecord)))
        fine -= LunghezzaRecord;
    return fine;
}

QList<Record> leggiTabella(QByteArrayView dati) {
    dati.truncate(lunghezzaSenzaFineDos(dati));
    QList<Record> out;
    out.reserve((dati.size() + LunghezzaRecord - 1) / LunghezzaRecord);
    for (qsizetype i = 0; i < dati.size(); i += LunghezzaRecord)
        out.append(decodificaRecord(dati.sliced(i)));
    return out;
}

QByteArray codificaRecord(const Record& r) {
    return campo(r.Tavola, 8) + campo(r.Codice, 8) + campo(r.Collegamento, 8) + numero(r.X1, 3) +
           numero(r.Y1, 3) + numero(r.X2, 3) + numero(r.Y2, 3) + campo(r.Testo, 8) +
           QByteArray(6, ' ');
}

QByteArray scriviTabella(const QList<Record>& record) {
    QByteArray out;
    out.reserve(record.size() * LunghezzaRecord);
    for (const Record& r : record)
        out += codificaRecord(r);
    return out;
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::leggi(QIODevice& dispositivo) {
    if (!dispositivo.isReadable())
        throw ErroreVB(Errore::AccessoPercorso);
    QByteArray dati;
    for (;;) {
        if (dati.size() > DimensioneMassimaTabella)
            throw ErroreVB(7);
        const QByteArray parte = dispositivo.read(1 << 20);
        if (parte.isEmpty()) {
            if (dispositivo.atEnd() || dispositivo.isSequential())
                break;
            throw ErroreVB(Errore::AccessoPercorso);
        }
        dati += parte;
    }
    return daByte(std::move(dati));
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::daByte(QByteArray dati) {
    std::shared_ptr<TabellaHotSpot> t(new TabellaHotSpot);
    t->dati_ = std::move(dati);
    const qsizetype n = lunghezzaSenzaFineDos(t->dati_);
    t->numeroRecord_ = (n + LunghezzaRecord - 1) / LunghezzaRecord;
    if (n == 0)
        t->difetto_ = QStringLiteral("jest pusty");
    else if (n % LunghezzaRecord != 0)
        t->difetto_ = QStringLiteral("ma %1 B, a to nie jest wielokrotność długości rekordu "
                                     "(%2 B), więc rekordy są przesunięte")
                          .arg(n)
                          .arg(LunghezzaRecord);
    bool sterujacy = false;
    for (qsizetype i = 0; i < t->numeroRecord_; ++i) {
        const qsizetype inizio = i * LunghezzaRecord;
        QByteArrayView chiave =
            senzaSpazi(QByteArrayView(t->dati_).sliced(inizio, std::min<qsizetype>(8, n - inizio)));
        // A key is text padded with blanks: control bytes there mean some other kind of file.
        sterujacy = sterujacy || std::any_of(chiave.begin(), chiave.end(),
                                             [](char c) { return uchar(c) < 0x20; });
        // A short last record padded with blanks trims to the same key.
        auto it = t->indice_.find(QByteArray::fromRawData(chiave.data(), chiave.size()));
        if (it == t->indice_.end())
            it = t->indice_.insert(chiave.toByteArray(), {});
        if (it->size() < MassimoHotSpot)
            it->append(qint32(i));
    }
    if (sterujacy && t->difetto_.isEmpty())
        t->difetto_ = QStringLiteral("nie jest tabelą punktów aktywnych (klucze plansz zawierają "
                                     "znaki sterujące)");
    return t;
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::delFile(const QString& percorsoHost) {
    static CacheFile<TabellaHotSpot> letti;
    return letti.prendi(percorsoHost, [](const QString& percorso) {
        return daByte(leggiFileRegolare(percorso, DimensioneMassimaTabella));
    });
}

const QList<qint32>* TabellaHotSpot::posizioni(const QString& tavola) const {
    const std::optional<QByteArray> chiave = chiaveCercata(tavola);
    if (!chiave)
        return nullptr;
    const auto it = indice_.constFind(*chiave);
    return it == indice_.constEnd() ? nullptr : &*it;
}

Record TabellaHotSpot::record(qint32 indice) const {
    return decodificaRecord(QByteArrayView(dati_).sliced(qsizetype(indice) * LunghezzaRecord));
}

QList<Record> TabellaHotSpot::recordDellaTavola(const QString& tavola) const {
    QList<Record> risultato;
    if (const QList<qint32>* p = posizioni(tavola)) {
        risultato.reserve(p->size());
        for (qint32 i : *p)
            risultato.append(record(i));
    }
    return risultato;
}

std::optional<Record> TabellaHotSpot::cerca(const QString& tavola, qint16 n) const {
    const QList<qint32>* p = posizioni(tavola);
    if (!p || n < 1 || n > p->size())
        return std::nullopt;
    return record((*p)[n - 1]);
}

} // namespace hn::atlante
