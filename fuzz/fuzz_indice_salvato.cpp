// Feeds arbitrary bytes as the saved look-up index of a small store and of a hotspot table. The
// first byte chooses how: even, the bytes are the index file as they stand (checksums and
// structure must refuse them); odd, they are the buckets and the seed of an index made with the
// files' real identities and valid checksums, so that the readers meet hostile contents they
// cannot refuse by a checksum. Any crash, hang, leak or undefined behaviour is a finding. An entry
// found must bear the name asked for, and the table must give a plate only records of that plate.

#include "BlobStore.h"
#include "ErroreVB.h"
#include "IndiceSalvato.h"
#include "TabellaRecord.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace hn;

namespace {

QTemporaryDir cartella;

void scrivi(const QString& percorso, const QByteArray& dati) {
    QDir().mkpath(QFileInfo(percorso).path());
    QFile f(percorso);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(dati);
}

// An index of the kind the readers expect, its head fields given, its buckets from the input.
QByteArray composto(QByteArrayView magia, const indice::Scrittura& testa, quint64 secchi,
                    QByteArrayView resto) {
    QList<QByteArray> b;
    const qsizetype parte = resto.size() / qsizetype(secchi);
    for (quint64 i = 0; i < secchi; ++i)
        b.append(resto
                     .sliced(qsizetype(i) * parte,
                             i + 1 == secchi ? resto.size() - qsizetype(i) * parte : parte)
                     .toByteArray());
    return indice::IndiceSecchi::componi(magia, testa.dati(), b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    static const bool pronto = [] {
        qputenv("XDG_CACHE_HOME", cartella.filePath(QStringLiteral("cache")).toUtf8());
        return true;
    }();
    (void)pronto;
    const QString store = cartella.filePath(QStringLiteral("hsmed.dat"));
    const QString bin = cartella.filePath(QStringLiteral("hsmed.bin"));
    static const bool file = [&] {
        QList<blob::VoceNuova> voci;
        for (int i = 0; i < 300; ++i)
            voci.append({QStringLiteral("T%1.RTF").arg(i), QByteArray::number(i), {}});
        blob::scriviStore(store, voci, blob::Compressione::Nessuna);
        QList<atlante::Record> r;
        for (int i = 0; i < 400; ++i) {
            atlante::Record x;
            x.Tavola = QStringLiteral("P%1").arg(i % 40);
            x.Codice = QStringLiteral("C%1").arg(i);
            r.append(x);
        }
        scrivi(bin, atlante::scriviTabella(r));
        return true;
    }();
    (void)file;
    const QByteArrayView ingresso(reinterpret_cast<const char*>(dati), qsizetype(dimensione));
    if (ingresso.isEmpty())
        return 0;
    const bool composti = ingresso.front() & 1;
    const QByteArrayView resto = ingresso.sliced(1);
    const IdentitaFile idStore = *identitaDi(store), idBin = *identitaDi(bin);
    if (composti && resto.size() >= 8) {
        quint64 seme = 0;
        std::memcpy(&seme, resto.data(), 8);
        // The directory's figures as the end record (the last 22 bytes, no comment) gives them.
        QFile f(store);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray fine = f.readAll().right(22);
        indice::Scrittura s;
        s.identita(idStore);
        s.u64(seme);
        s.u64(qFromLittleEndian<quint32>(fine.constData() + 16));
        s.u64(qFromLittleEndian<quint32>(fine.constData() + 12));
        s.u64(qFromLittleEndian<quint16>(fine.constData() + 10));
        scrivi(indice::percorsoIndice(store, u"store"),
               composto("HNSTORE2", s, 2, resto.sliced(8)));
        indice::Scrittura t;
        t.identita(idBin);
        t.u64(400 * atlante::LunghezzaRecord);
        t.u64(400);
        t.u64(0);
        t.u64(40);
        scrivi(indice::percorsoIndice(bin, u"tabella"),
               composto("HNTABEL2", t, 2, resto.sliced(8)));
    } else {
        scrivi(indice::percorsoIndice(store, u"store"), resto.toByteArray());
        scrivi(indice::percorsoIndice(bin, u"tabella"), resto.toByteArray());
    }
    try {
        const auto a = blob::Archivio::apriPerCercare(store, blob::Archivio::Indice::Salvato);
        for (const QString& nome :
             {QStringLiteral("t7.rtf"), QStringLiteral("T299.RTF"), QStringLiteral("T300.RTF")}) {
            const blob::Voce* v = a->trova(nome);
            if (v && !blob::stessoNome(v->nome, nome))
                __builtin_trap();
            if (v)
                (void)a->leggi(*v);
        }
    } catch (const ErroreVB&) {
    }
    atlante::TabellaHotSpot::svuotaCache();
    try {
        const auto t = atlante::TabellaHotSpot::delFile(bin);
        for (const QString& p : {QStringLiteral("P3"), QStringLiteral("P39"), QStringLiteral("Q")})
            for (const atlante::Record& r : t->recordDellaTavola(p))
                if (r.Tavola != p)
                    __builtin_trap();
    } catch (const ErroreVB&) {
    }
    // A save a walk asked for must not land on the next input's file.
    indice::attendiSalvataggi();
    return 0;
}
