#include "TabellaRecord.h"

#include "CacheFile.h"
#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "IndiceSalvato.h"
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

namespace {

// The faults difetto() names, by number, so that a saved index can carry them.
enum Difetto { Nessuno, Vuota, NonMultipla, Sterujace };

QString testoDifetto(int tipo, qint64 lunghezza) {
    switch (tipo) {
    case Vuota:
        return QStringLiteral("jest pusty");
    case NonMultipla:
        return QStringLiteral("ma %1 B, a to nie jest wielokrotność długości rekordu "
                              "(%2 B), więc rekordy są przesunięte")
            .arg(lunghezza)
            .arg(LunghezzaRecord);
    case Sterujace:
        return QStringLiteral("nie jest tabelą punktów aktywnych (klucze plansz zawierają "
                              "znaki sterujące)");
    default:
        return {};
    }
}

} // namespace

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::daByte(QByteArray dati) {
    return nuova(std::move(dati));
}

std::shared_ptr<TabellaHotSpot> TabellaHotSpot::nuova(QByteArray dati) {
    std::shared_ptr<TabellaHotSpot> t(new TabellaHotSpot);
    t->dati_ = std::move(dati);
    const qsizetype n = lunghezzaSenzaFineDos(t->dati_);
    t->lunghezza_ = n;
    t->numeroRecord_ = (n + LunghezzaRecord - 1) / LunghezzaRecord;
    if (n == 0)
        t->tipoDifetto_ = Vuota;
    else if (n % LunghezzaRecord != 0)
        t->tipoDifetto_ = NonMultipla;
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
    if (sterujacy && t->tipoDifetto_ == Nessuno)
        t->tipoDifetto_ = Sterujace;
    t->difetto_ = testoDifetto(t->tipoDifetto_, n);
    return t;
}

namespace {

constexpr QStringView TipoIndice = u"tabella";
constexpr QByteArrayView MagiaIndice = "HNTABEL2";
// About this many plates share a bucket of the saved index.
constexpr quint64 PerSecchio = 16;

quint64 secchiPer(quint64 chiavi) {
    return std::max<quint64>(1, chiavi / PerSecchio);
}

// The bucket of a key: its bytes stirred, since keys share their first letters.
quint64 secchioDi(quint64 chiave, quint64 secchi) {
    chiave ^= chiave >> 29;
    chiave *= 0xbf58476d1ce4e5b9ull;
    return (chiave ^ (chiave >> 32)) % secchi;
}

std::mutex guardiaLetti;
CacheFile<TabellaHotSpot> letti;

} // namespace

QByteArray TabellaHotSpot::indiceDaSalvare() const {
    // Each plate's positions in file order, the plates by key.
    std::vector<quint32> ordine(chiavi_.size());
    for (size_t i = 0; i < ordine.size(); ++i)
        ordine[i] = quint32(i);
    std::stable_sort(ordine.begin(), ordine.end(),
                     [this](quint32 a, quint32 b) { return chiavi_[a] < chiavi_[b]; });
    quint64 tavole = 0;
    for (size_t i = 0; i < ordine.size(); ++i)
        tavole += i == 0 || chiavi_[ordine[i]] != chiavi_[ordine[i - 1]];
    const quint64 n = secchiPer(tavole);
    QList<QByteArray> secchi;
    secchi.resize(qsizetype(n));
    for (size_t i = 0; i < ordine.size();) {
        const quint64 k = chiavi_[ordine[i]];
        size_t fine = i;
        while (fine < ordine.size() && chiavi_[ordine[fine]] == k)
            ++fine;
        indice::Scrittura r;
        r.u64(k);
        r.u32(quint32(fine - i));
        for (; i < fine; ++i)
            r.u32(ordine[i]);
        secchi[qsizetype(secchioDi(k, n))] += r.dati();
    }
    indice::Scrittura testa;
    testa.identita(identita_);
    testa.u64(quint64(lunghezza_));
    testa.u64(quint64(numeroRecord_));
    testa.u64(quint64(tipoDifetto_));
    testa.u64(tavole);
    return indice::IndiceSecchi::componi(MagiaIndice, testa.dati(), secchi);
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::dallIndice(const QString& percorsoHost) {
    // The identity of the file as it is open now, so the index is taken for this file only.
    IdentitaFile identita;
    try {
        leggiIntervalli(percorsoHost, {}, 0, &identita);
    } catch (const ErroreVB&) {
        return nullptr;
    }
    if (identita.dimensione < 0 || identita.dimensione > DimensioneMassimaTabella)
        return nullptr;
    // No more buckets than a table of this size could need.
    const quint64 record = (quint64(identita.dimensione) + LunghezzaRecord - 1) / LunghezzaRecord;
    std::optional<indice::IndiceSecchi> x = indice::IndiceSecchi::apri(
        percorsoHost, TipoIndice, MagiaIndice, quint32(secchiPer(record)));
    if (!x)
        return nullptr;
    indice::Lettura l(x->intestazione());
    const IdentitaFile salvata = l.identita();
    const quint64 lunghezza = l.u64(), numero = l.u64(), tipo = l.u64(), tavole = l.u64();
    if (!l.ok() || l.resto() != 0 || !(salvata == identita) ||
        lunghezza > quint64(identita.dimensione) ||
        numero != (lunghezza + LunghezzaRecord - 1) / LunghezzaRecord || tipo > Sterujace ||
        tavole > numero || x->numeroSecchi() != secchiPer(tavole))
        return nullptr;
    std::shared_ptr<TabellaHotSpot> t(new TabellaHotSpot);
    t->daIndice_ = true;
    t->percorso_ = percorsoHost;
    t->identita_ = identita;
    t->lunghezza_ = qint64(lunghezza);
    t->numeroRecord_ = qsizetype(numero);
    t->tipoDifetto_ = int(tipo);
    t->difetto_ = testoDifetto(t->tipoDifetto_, t->lunghezza_);
    t->salvato_ = std::make_unique<indice::IndiceSecchi>(std::move(*x));
    return t;
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::delFile(const QString& percorsoHost) {
    // The screens' thread asks, and the thread that prepares for them at start-up (the search
    // index and the home screen's counts read the table through DatiAtlante). The lock keeps the
    // cache whole, and costs nothing beside reading a table.
    const std::lock_guard<std::mutex> chiuso(guardiaLetti);
    return letti.prendi(percorsoHost, [](const QString& percorso) {
        std::shared_ptr<const TabellaHotSpot> t = dallIndice(percorso);
        return t ? t : leggiIntera(percorso);
    });
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::leggiIntera(const QString& percorso) {
    // The whole file in one read, with the identity of what was read.
    IdentitaFile identita;
    QList<QByteArray> tutto = leggiIntervalli(percorso, {{0, DimensioneMassimaTabella + 1}},
                                              DimensioneMassimaTabella + 1, &identita);
    if (tutto.front().size() > DimensioneMassimaTabella)
        throw ErroreVB(7);
    std::shared_ptr<TabellaHotSpot> t = nuova(std::move(tutto.front()));
    t->percorso_ = percorso;
    t->identita_ = identita;
    // For the next session, which then reads only the records of the plates it shows.
    indice::salvaIndice(percorso, TipoIndice, [t] { return t->indiceDaSalvare(); });
    return t;
}

void TabellaHotSpot::svuotaCache() {
    const std::lock_guard<std::mutex> chiuso(guardiaLetti);
    letti.svuota();
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::attuale() const {
    if (percorso_.isEmpty() || identitaDi(percorso_) == identita_)
        return shared_from_this();
    try {
        return delFile(percorso_);
    } catch (const ErroreVB&) {
        // Not readable now: a whole table still answers as read; one read a plate at a time
        // cannot.
        return daIndice_ ? nullptr : shared_from_this();
    }
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

std::optional<QList<Record>> TabellaHotSpot::recordQui(const QString& tavola) const {
    if (!daIndice_) {
        QList<Record> risultato;
        const QList<qint32> p = posizioni(tavola);
        risultato.reserve(p.size());
        for (qint32 i : p)
            risultato.append(record(i));
        return risultato;
    }
    const std::optional<QByteArray> chiave = chiaveCercata(tavola);
    const std::optional<quint64> k = chiave ? chiaveNumerica(*chiave) : std::nullopt;
    if (!k)
        return QList<Record>();
    const std::lock_guard<std::mutex> chiuso(guardia_);
    if (const auto it = lette_.constFind(*k); it != lette_.cend())
        return *it;
    // The key's bucket: rows of a key, a count and that many positions. Positions ascending and
    // inside the table, or the index is not what it claims and the file is read whole instead.
    const quint64 secchi = salvato_->numeroSecchi();
    const std::optional<QByteArray> secchio =
        salvato_->secchio(quint32(secchioDi(*k, secchi)), 16 * qint64(numeroRecord_) + 12);
    if (!secchio)
        return std::nullopt;
    indice::Lettura l(*secchio);
    quint32 quanti = 0;
    bool trovata = false;
    while (l.resto() > 0 && !trovata) {
        const quint64 chiaveRiga = l.u64();
        quanti = l.u32();
        if (!l.ok() || quanti == 0 || quanti > quint64(numeroRecord_) ||
            quint64(l.resto()) < 4 * quint64(quanti))
            return std::nullopt;
        trovata = chiaveRiga == *k;
        if (!trovata)
            l.salta(4 * quint64(quanti));
    }
    if (!trovata) {
        lette_.insert(*k, {});
        return QList<Record>();
    }
    QList<Intervallo> pezzi;
    quanti = std::min<quint32>(quanti, MassimoHotSpot);
    qint64 prima = -1;
    for (quint32 j = 0; j < quanti; ++j) {
        const qint64 p = l.u32();
        if (p <= prima || p >= numeroRecord_)
            return std::nullopt;
        const qint64 da = p * LunghezzaRecord;
        const qint64 n = std::min<qint64>(LunghezzaRecord, lunghezza_ - da);
        if (!pezzi.isEmpty() && p == prima + 1)
            pezzi.back().lunghezza += n;
        else
            pezzi.append({da, n});
        prima = p;
    }
    IdentitaFile letta;
    QList<QByteArray> byte;
    try {
        byte = leggiIntervalli(percorso_, pezzi, qint64(quanti) * LunghezzaRecord, &letta);
    } catch (const ErroreVB&) {
        return std::nullopt;
    }
    if (!(letta == identita_))
        return std::nullopt;
    QList<Record> risultato;
    risultato.reserve(qsizetype(quanti));
    for (const QByteArray& b : std::as_const(byte))
        for (qsizetype i = 0; i < b.size(); i += LunghezzaRecord)
            risultato.append(decodificaRecord(QByteArrayView(b).sliced(i)));
    if (risultato.size() != qsizetype(quanti))
        return std::nullopt;
    lette_.insert(*k, risultato);
    return risultato;
}

QList<Record> TabellaHotSpot::recordDellaTavola(const QString& tavola) const {
    const std::shared_ptr<const TabellaHotSpot> t = attuale();
    if (!t)
        return {};
    if (std::optional<QList<Record>> r = t->recordQui(tavola))
        return *r;
    // The index pointed outside the table, or the file changed while it was read: the file whole,
    // as it is now.
    try {
        const std::lock_guard<std::mutex> chiuso(guardiaLetti);
        letti.svuota();
        return letti.prendi(t->percorso_, leggiIntera)->recordQui(tavola).value_or(QList<Record>());
    } catch (const ErroreVB&) {
        return {};
    }
}

std::optional<Record> TabellaHotSpot::cerca(const QString& tavola, qint16 n) const {
    if (!daIndice_ && (percorso_.isEmpty() || identitaDi(percorso_) == identita_)) {
        const QList<qint32> p = posizioni(tavola);
        if (n < 1 || n > p.size())
            return std::nullopt;
        return record(p[n - 1]);
    }
    const QList<Record> r = recordDellaTavola(tavola);
    if (n < 1 || n > r.size())
        return std::nullopt;
    return r[n - 1];
}

} // namespace hn::atlante
