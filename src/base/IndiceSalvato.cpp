#include "IndiceSalvato.h"

#include "ErroreVB.h"
#include "FileSicuro.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cstring>

namespace hn::indice {

QString percorsoIndice(const QString& percorsoHost, QStringView tipo) {
    const QString cartella = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cartella.isEmpty())
        return {};
    const QByteArray nome =
        QCryptographicHash::hash(percorsoHost.toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    return cartella + QStringLiteral("/hnemar/") + QString::fromLatin1(nome) + u'.' +
           tipo.toString();
}

quint64 sommaControllo(QByteArrayView dati) {
    // Four independent lanes over 32 bytes at a time, mixed at the end with the length.
    constexpr quint64 K1 = 0x9e3779b185ebca87ull, K2 = 0xc2b2ae3d27d4eb4full;
    quint64 corsie[4] = {K1, K2, ~K1, ~K2};
    const char* p = dati.data();
    qsizetype n = dati.size();
    const auto parola = [](const char* q) {
        quint64 x;
        std::memcpy(&x, q, 8);
        return qFromLittleEndian(x);
    };
    const auto mescola = [](quint64 h, quint64 x) { return std::rotl((h ^ x) * K2, 31) * K1; };
    for (; n >= 32; p += 32, n -= 32)
        for (int c = 0; c < 4; ++c)
            corsie[c] = mescola(corsie[c], parola(p + 8 * c));
    for (int c = 0; n > 0; ++c) {
        char resto[8] = {};
        const qsizetype k = std::min<qsizetype>(n, 8);
        std::memcpy(resto, p, size_t(k));
        corsie[c] = mescola(corsie[c], parola(resto) ^ quint64(k) << 56);
        p += k;
        n -= k;
    }
    quint64 h = quint64(dati.size()) * K1;
    for (quint64 c : corsie)
        h = mescola(h, c);
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    return h ^ (h >> 29);
}

void Scrittura::u32(quint32 v) {
    const quint32 le = qToLittleEndian(v);
    b_.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void Scrittura::u64(quint64 v) {
    const quint64 le = qToLittleEndian(v);
    b_.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void Scrittura::identita(const IdentitaFile& i) {
    u64(quint64(i.dispositivo));
    u64(quint64(i.inode));
    u64(quint64(i.dimensione));
    u64(quint64(i.modifica));
    u64(quint64(i.cambio));
}

QByteArray Scrittura::chiudi() {
    u64(sommaControllo(b_));
    return std::move(b_);
}

const char* Lettura::salta(quint64 n) {
    if (!ok_ || n > quint64(resto())) {
        ok_ = false;
        return nullptr;
    }
    const char* p = corpo_.data() + pos_;
    pos_ += qsizetype(n);
    return p;
}

quint32 Lettura::u32() {
    const char* p = salta(4);
    return p ? qFromLittleEndian<quint32>(p) : 0;
}

quint64 Lettura::u64() {
    const char* p = salta(8);
    return p ? qFromLittleEndian<quint64>(p) : 0;
}

IdentitaFile Lettura::identita() {
    IdentitaFile i;
    i.dispositivo = dev_t(u64());
    i.inode = ino_t(u64());
    i.dimensione = off_t(u64());
    i.modifica = qint64(u64());
    i.cambio = qint64(u64());
    return i;
}

namespace {

// Magic, the head's length and the number of buckets.
constexpr qint64 Prefisso = 8 + 4 + 4;
// The caller's fields are a few numbers.
constexpr quint32 IntestazioneMassima = 1024;

} // namespace

std::optional<IndiceSecchi> IndiceSecchi::apri(const QString& percorsoHost, QStringView tipo,
                                               QByteArrayView magia, quint32 massimoSecchi) {
    IndiceSecchi x;
    x.percorso_ = percorsoIndice(percorsoHost, tipo);
    if (x.percorso_.isEmpty() || magia.size() != 8)
        return std::nullopt;
    try {
        const QByteArray prefisso =
            leggiIntervalli(x.percorso_, {{0, Prefisso}}, Prefisso, &x.identita_).front();
        Lettura p(prefisso);
        const char* m = p.salta(8);
        const quint32 lunghezza = p.u32(), secchi = p.u32();
        if (!p.ok() || QByteArrayView(m, 8) != magia || lunghezza > IntestazioneMassima ||
            secchi == 0 || secchi > massimoSecchi)
            return std::nullopt;
        // The head whole: what it says, then where each bucket starts and its checksum.
        const qint64 testa = Prefisso + lunghezza + 8 * (qint64(secchi) + 1) + 8 * qint64(secchi);
        IdentitaFile stessa;
        const QByteArray tutta =
            leggiIntervalli(x.percorso_, {{0, testa + 8}}, testa + 8, &stessa).front();
        if (!(stessa == x.identita_) || tutta.size() != testa + 8 ||
            qFromLittleEndian<quint64>(tutta.constData() + testa) !=
                sommaControllo(QByteArrayView(tutta).first(testa)))
            return std::nullopt;
        Lettura l(QByteArrayView(tutta).sliced(Prefisso));
        x.intestazione_ = QByteArray(l.salta(lunghezza), lunghezza);
        x.inizi_.resize(size_t(secchi) + 1);
        x.checksum_.resize(secchi);
        for (quint64& i : x.inizi_)
            i = l.u64();
        for (quint64& c : x.checksum_)
            c = l.u64();
        x.inizioDati_ = testa + 8;
        // Buckets one after another, the last ending with the file.
        if (x.inizi_.front() != 0 ||
            x.inizi_.back() != quint64(qint64(x.identita_.dimensione) - x.inizioDati_) ||
            !std::is_sorted(x.inizi_.cbegin(), x.inizi_.cend()))
            return std::nullopt;
    } catch (const ErroreVB&) {
        return std::nullopt;
    }
    return x;
}

std::optional<QByteArray> IndiceSecchi::secchio(quint32 b, qint64 massimo) const {
    if (b >= numeroSecchi())
        return std::nullopt;
    const quint64 n = inizi_[b + 1] - inizi_[b];
    if (n > quint64(massimo))
        return std::nullopt;
    try {
        IdentitaFile identita;
        QByteArray dati = leggiIntervalli(percorso_, {{inizioDati_ + qint64(inizi_[b]), qint64(n)}},
                                          qint64(n), &identita)
                              .front();
        if (!(identita == identita_) || quint64(dati.size()) != n ||
            sommaControllo(dati) != checksum_[b])
            return std::nullopt;
        return dati;
    } catch (const ErroreVB&) {
        return std::nullopt;
    }
}

void IndiceSecchi::scarta() const {
    if (identitaDi(percorso_) == identita_)
        rimuoviFile(percorso_);
}

QByteArray IndiceSecchi::componi(QByteArrayView magia, QByteArrayView intestazione,
                                 const QList<QByteArray>& secchi) {
    QByteArray tutto;
    for (const QByteArray& pezzo : componiAPezzi(magia, intestazione, secchi))
        tutto += pezzo;
    return tutto;
}

QList<QByteArray> IndiceSecchi::componiAPezzi(QByteArrayView magia, QByteArrayView intestazione,
                                              const QList<QByteArray>& secchi) {
    Scrittura w;
    w.byte(magia);
    w.u32(quint32(intestazione.size()));
    w.u32(quint32(secchi.size()));
    w.byte(intestazione);
    quint64 inizio = 0;
    w.u64(0);
    for (const QByteArray& s : secchi)
        w.u64(inizio += quint64(s.size()));
    for (const QByteArray& s : secchi)
        w.u64(sommaControllo(s));
    QList<QByteArray> pezzi{w.chiudi()};
    pezzi.append(secchi);
    return pezzi;
}

namespace {

// One worker: saves are rare, small beside the walk that preceded them, and must not compete
// with the screens for the processor.
QThreadPool& lavoratore() {
    // Its end waits for a save under way, so a run that ends leaves no half-written file behind.
    static QThreadPool pool;
    pool.setMaxThreadCount(1);
    return pool;
}

} // namespace

void salvaIndice(const QString& percorsoHost, QStringView tipo,
                 std::function<QByteArray()> prepara) {
    salvaIndice(percorsoHost, tipo, [prepara = std::move(prepara)] {
        QByteArray dati = prepara();
        return dati.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{std::move(dati)};
    });
}

void salvaIndice(const QString& percorsoHost, QStringView tipo,
                 std::function<QList<QByteArray>()> prepara) {
    const QString percorso = percorsoIndice(percorsoHost, tipo);
    if (percorso.isEmpty())
        return;
    lavoratore().start([percorso, prepara = std::move(prepara)] {
        try {
            const QList<QByteArray> pezzi = prepara();
            const QString cartella = QFileInfo(percorso).path();
            if (pezzi.isEmpty() || !QDir().mkpath(cartella))
                return;
            // What a run killed while saving left beside an index, once per run.
            static const bool pulita = (pulisciAvanzi(cartella), true);
            Q_UNUSED(pulita);
            scriviFileSicuro(percorso, QList<QByteArrayView>(pezzi.cbegin(), pezzi.cend()),
                             Durata::Cache);
        } catch (...) {
            // An index not saved costs the next session a walk, nothing more.
        }
    });
}

void attendiSalvataggi() {
    lavoratore().waitForDone();
}

} // namespace hn::indice
