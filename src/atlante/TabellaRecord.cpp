#include "TabellaRecord.h"

#include "CacheFile.h"
#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "ValoreNumerico.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

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

namespace {

// A key trimmed of blanks, as one number: its bytes left-aligned and padded with blanks, so that
// equal numbers are equal trimmed keys. None for a key longer than a field.
std::optional<quint64> chiaveNumerica(QByteArrayView chiave) {
    if (chiave.size() > 8)
        return std::nullopt;
    quint64 k = 0x2020202020202020ull;
    for (qsizetype i = 0; i < chiave.size(); ++i)
        k = (k & ~(quint64(0xff) << (8 * i))) | quint64(uchar(chiave[i])) << (8 * i);
    return k;
}

// The same from a whole 8-byte field: its leading blanks dropped, blanks shifted in behind.
quint64 chiaveDelCampo(const char* campo) {
    constexpr quint64 Spazi = 0x2020202020202020ull;
    quint64 x;
    std::memcpy(&x, campo, 8);
    const quint64 diversi = x ^ Spazi; // bytes stored first are the low ones
    if (diversi == 0)
        return Spazi;
    const int iniziali = std::countr_zero(diversi) / 8 * 8;
    return iniziali == 0 ? x : (x >> iniziali) | (Spazi << (64 - iniziali));
}

// Some byte below 0x20 among eight.
bool conSterujacy(quint64 x) {
    return ((x - 0x2020202020202020ull) & ~x & 0x8080808080808080ull) != 0;
}

} // namespace

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
    t->chiavi_.resize(size_t(t->numeroRecord_));
    const char* byte = t->dati_.constData();
    for (qsizetype i = 0; i < t->numeroRecord_; ++i) {
        const qsizetype inizio = i * LunghezzaRecord;
        quint64 k;
        if (n - inizio >= 8) {
            k = chiaveDelCampo(byte + inizio);
            // A key is text padded with blanks: control bytes there mean some other kind of file.
            sterujacy = sterujacy || conSterujacy(k);
        } else {
            const QByteArrayView chiave = senzaSpazi(QByteArrayView(byte + inizio, n - inizio));
            for (char c : chiave)
                sterujacy = sterujacy || uchar(c) < 0x20;
            k = *chiaveNumerica(chiave);
        }
        t->chiavi_[size_t(i)] = k;
    }
    if (sterujacy && t->difetto_.isEmpty())
        t->difetto_ = QStringLiteral("nie jest tabelą punktów aktywnych (klucze plansz zawierają "
                                     "znaki sterujące)");
    return t;
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::delFile(const QString& percorsoHost) {
    // Only the screens' thread asks today: the search index and the home screen's counts read
    // the table on their threads through DatiAtlante, never through here. The lock keeps the
    // cache whole should another thread ever ask, and costs nothing beside reading a table.
    static std::mutex guardia;
    static CacheFile<TabellaHotSpot> letti;
    const std::lock_guard<std::mutex> chiuso(guardia);
    return letti.prendi(percorsoHost, [](const QString& percorso) {
        return daByte(leggiFileRegolare(percorso, DimensioneMassimaTabella));
    });
}

QList<qint32> TabellaHotSpot::posizioni(const QString& tavola) const {
    const std::optional<QByteArray> chiave = chiaveCercata(tavola);
    const std::optional<quint64> k = chiave ? chiaveNumerica(*chiave) : std::nullopt;
    if (!k)
        return {};
    const std::lock_guard<std::mutex> chiuso(guardia_);
    if (const auto it = tavole_.constFind(*k); it != tavole_.cend())
        return *it;
    QList<qint32> p;
    const quint64* chiavi = chiavi_.data();
    for (size_t i = 0; i < chiavi_.size() && p.size() < MassimoHotSpot; ++i)
        if (chiavi[i] == *k)
            p.append(qint32(i));
    tavole_.insert(*k, p);
    return p;
}

Record TabellaHotSpot::record(qint32 indice) const {
    return decodificaRecord(QByteArrayView(dati_).sliced(qsizetype(indice) * LunghezzaRecord));
}

QList<Record> TabellaHotSpot::recordDellaTavola(const QString& tavola) const {
    QList<Record> risultato;
    const QList<qint32> p = posizioni(tavola);
    risultato.reserve(p.size());
    for (qint32 i : p)
        risultato.append(record(i));
    return risultato;
}

std::optional<Record> TabellaHotSpot::cerca(const QString& tavola, qint16 n) const {
    const QList<qint32> p = posizioni(tavola);
    if (n < 1 || n > p.size())
        return std::nullopt;
    return record(p[n - 1]);
}

} // namespace hn::atlante
