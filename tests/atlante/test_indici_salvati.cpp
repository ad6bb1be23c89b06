#include "BlobStore.h"
#include "DatiAtlante.h"
#include "FileSicuro.h"
#include "IndiceSalvato.h"
#include "TabellaRecord.h"

#include "CacheDiProva.h"
#include "ErroreDi.h"
#include "Fifo.h"
#include "StoreDiProva.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

using namespace hn;
using namespace hn::atlante;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

using Indice = blob::Archivio::Indice;

// What a store answers for each name: entry number, name, bounds and bytes, or none.
QStringList risposte(const blob::Archivio& a, const QStringList& nomi) {
    QStringList r;
    for (const QString& nome : nomi) {
        const blob::Voce* v = a.trova(nome);
        r << (v ? u"%1 #%2 %3 %4..%5 %6"_s.arg(nome)
                      .arg(v->indice)
                      .arg(v->nome)
                      .arg(v->posizione)
                      .arg(v->limite)
                      .arg(QString::fromLatin1(a.leggi(*v).toHex()))
                : nome + u" none"_s);
    }
    return r;
}

// A store opened by the screens after an earlier session saved its index.
std::shared_ptr<blob::Archivio> sessioneSeguente(const QString& file) {
    blob::Archivio::apriPerCercare(file, Indice::Salvato);
    indice::attendiSalvataggi();
    return blob::Archivio::apriPerCercare(file, Indice::Salvato);
}

std::shared_ptr<const TabellaHotSpot> tabellaSeguente(const QString& file) {
    TabellaHotSpot::svuotaCache();
    TabellaHotSpot::delFile(file);
    indice::attendiSalvataggi();
    TabellaHotSpot::svuotaCache();
    return TabellaHotSpot::delFile(file);
}

void scrivi(const QString& file, const QByteArray& dati) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(dati), dati.size());
}

// Rewrites a file's bytes in place: same inode, same size.
void riscriviSulPosto(const QString& file, const QByteArray& dati) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QCOMPARE(f.size(), dati.size());
    QCOMPARE(f.write(dati), dati.size());
}

QByteArray leggi(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Entries of many names, some alike but for case, one out of reach, some not ASCII.
QList<std::pair<QByteArray, QByteArray>> vociDiProva() {
    QList<std::pair<QByteArray, QByteArray>> voci;
    for (int i = 0; i < 700; ++i)
        voci.append({"T" + QByteArray::number(i) + ".RTF", "testo " + QByteArray::number(i)});
    voci.append(std::pair<QByteArray, QByteArray>{"t1.rtf", "second in another case"});
    voci.append(std::pair<QByteArray, QByteArray>{"\xc5\x81okie\xc4\x87.png", "utf-8"});
    voci.append(std::pair<QByteArray, QByteArray>{"../zle.png", "path"});
    return voci;
}

QStringList nomiDiProva() {
    QStringList nomi;
    for (int i = 0; i < 700; i += 7)
        nomi << u"t%1.rtf"_s.arg(i);
    nomi << u"T699.RTF"_s << u"T1.RTF"_s << u"ŁOKIEĆ.PNG"_s << u"../zle.png"_s << u"T700.RTF"_s
         << u"T1.RT"_s;
    return nomi;
}

Record recordSolo(const QString& tavola, const QString& codice) {
    Record r;
    r.Tavola = tavola;
    r.Codice = codice;
    return r;
}

// A table of interleaved plates: a header and captions each, a lower-case key that matches
// nothing, a DOS end-of-file tail.
QList<Record> recordDiProva(int tavole) {
    QList<Record> r;
    for (int h = 0; h < 4; ++h)
        for (int t = 0; t < tavole; ++t) {
            Record x;
            x.Tavola = u"P%1"_s.arg(t);
            x.Codice = h == 0 ? u"000000"_s : u"C%1_%2"_s.arg(t).arg(h);
            x.X1 = float(h);
            x.Y1 = float(t % 999);
            x.Testo = h == 0 ? u"D%1"_s.arg(t) : QString();
            r.append(x);
        }
    r.insert(std::min<qsizetype>(5, r.size()), recordSolo(u"p1"_s, u"Z"_s));
    return r;
}

QStringList codici(const QList<Record>& r) {
    QStringList c;
    for (const Record& x : r)
        c << x.Codice;
    return c;
}

} // namespace

class TestIndiciSalvati : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        indice::attendiSalvataggi();
        QDir(cartellaCache()).removeRecursively();
    }

    // Through the index an earlier walk saved, a store answers every name as its own walk does,
    // in both of the ways stores are written, and writes nothing but the index, in the cache.
    void storeDallIndiceComeDalCammino_data() {
        QTest::addColumn<bool>("deflate");
        QTest::newRow("stored") << false;
        QTest::newRow("deflated") << true;
    }
    void storeDallIndiceComeDalCammino() {
        QFETCH(bool, deflate);
        QTemporaryDir dati;
        const QString file = dati.filePath(u"hsmed.dat"_s);
        scriviZipGrezzo(file, vociDiProva(), deflate);
        const QStringList attese = risposte(*blob::Archivio::apriPerCercare(file), nomiDiProva());
        QCOMPARE(attese.filter(u" none"_s).size(), 3);
        const auto a = sessioneSeguente(file);
        QVERIFY(a->daIndiceSalvato());
        QCOMPARE(risposte(*a, nomiDiProva()), attese);
        QCOMPARE(tuttiIFile(dati.path()), QStringList{u"hsmed.dat"_s});
        const QStringList inCache = tuttiIFile(cartellaCache());
        QCOMPARE(inCache.size(), 1);
        QCOMPARE(cartellaCache() + u'/' + inCache.front(), indice::percorsoIndice(file, u"store"));
    }

    // A store rewritten after its index was saved, even to the same size, is walked anew.
    void storeRiscrittoIndiceIgnorato() {
        QTemporaryDir dati;
        const QString file = dati.filePath(u"BlobCorp.dat"_s);
        scriviZipGrezzo(file, {{"a.png", "aaaa"}, {"b.png", "bbbb"}}, false);
        sessioneSeguente(file);
        const QString altro = dati.filePath(u"altro.dat"_s);
        scriviZipGrezzo(altro, {{"b.png", "BBBB"}, {"a.png", "AAAA"}}, false);
        riscriviSulPosto(file, leggi(altro));
        const auto a = blob::Archivio::apriPerCercare(file, Indice::Salvato);
        QVERIFY(!a->daIndiceSalvato());
        QCOMPARE(a->leggi(*a->trova(u"a.png")), QByteArray("AAAA"));
        QCOMPARE(a->trova(u"a.png")->indice, 1u);
    }

    // A damaged, foreign or hostile index file costs the store its walk, never a wrong answer,
    // a crash or a wait; the same for the hotspot table's.
    void indiceGuastoIgnorato_data() {
        QTest::addColumn<QString>("guasto");
        QTest::addColumn<bool>("piuLento"); // still taken, then found wrong at the look-up
        QTest::newRow("missing") << u"missing"_s << false;
        QTest::newRow("empty") << u"empty"_s << false;
        QTest::newRow("cut in half") << u"cut"_s << false;
        QTest::newRow("a byte of the head changed") << u"head"_s << false;
        QTest::newRow("a byte of a bucket changed") << u"bucket"_s << true;
        QTest::newRow("longer by a byte") << u"longer"_s << false;
        QTest::newRow("grown to a gigabyte") << u"huge"_s << false;
        QTest::newRow("garbage of the same size") << u"garbage"_s << false;
        QTest::newRow("the other kind's index") << u"swapped"_s << false;
        QTest::newRow("a FIFO") << u"fifo"_s << false;
        QTest::newRow("a folder") << u"folder"_s << false;
    }
    void indiceGuastoIgnorato() {
        QFETCH(QString, guasto);
        QFETCH(bool, piuLento);
        QTemporaryDir dati;
        const QString store = dati.filePath(u"hsmed.dat"_s), bin = dati.filePath(u"hsmed.bin"_s);
        scriviZipGrezzo(store, vociDiProva(), true);
        scrivi(bin, scriviTabella(recordDiProva(300)));
        const QStringList attese = risposte(*blob::Archivio::apriPerCercare(store), nomiDiProva());
        const auto intera = TabellaHotSpot::daByte(leggi(bin));
        sessioneSeguente(store);
        tabellaSeguente(bin);
        const QString indiceStore = indice::percorsoIndice(store, u"store");
        const QString indiceTabella = indice::percorsoIndice(bin, u"tabella");
        const QByteArray primoStore = leggi(indiceStore), primoTabella = leggi(indiceTabella);
        QVERIFY(primoStore.size() > 1000 && primoTabella.size() > 1000);
        for (const QString& f : {indiceStore, indiceTabella}) {
            QByteArray b = leggi(f);
            const QByteArray altro = f == indiceStore ? primoTabella : primoStore;
            QFile::remove(f);
            if (guasto == u"empty")
                scrivi(f, {});
            else if (guasto == u"cut")
                scrivi(f, b.left(b.size() / 2));
            else if (guasto == u"head")
                scrivi(f, b.replace(20, 1, "\x7f"));
            else if (guasto == u"bucket") // the last third: buckets only, past head and directory
                for (qsizetype i = b.size() * 2 / 3; i < b.size(); ++i)
                    b[i] = char(b[i] ^ 1);
            if (guasto == u"bucket")
                scrivi(f, b);
            else if (guasto == u"longer")
                scrivi(f, b + "x");
            else if (guasto == u"huge") {
                scrivi(f, b);
                QFile g(f);
                QVERIFY(g.resize(qint64(1) << 30));
            } else if (guasto == u"garbage")
                scrivi(f, QByteArray(b.size(), '\xa5'));
            else if (guasto == u"swapped")
                scrivi(f, altro);
            else if (guasto == u"fifo")
                QVERIFY(creaFifo(f));
            else if (guasto == u"folder")
                QVERIFY(QDir().mkpath(f));
        }
        std::shared_ptr<blob::Archivio> a;
        std::shared_ptr<const TabellaHotSpot> t;
        {
            const EntroUnSecondo entro;
            a = blob::Archivio::apriPerCercare(store, Indice::Salvato);
            TabellaHotSpot::svuotaCache();
            t = TabellaHotSpot::delFile(bin);
        }
        QCOMPARE(a->daIndiceSalvato(), piuLento);
        QCOMPARE(risposte(*a, nomiDiProva()), attese);
        QCOMPARE(t->daIndiceSalvato(), piuLento);
        for (int p = 0; p < 300; p += 13)
            QCOMPARE(codici(t->recordDellaTavola(u"p%1"_s.arg(p))),
                     codici(intera->recordDellaTavola(u"P%1"_s.arg(p))));
    }

    // Through its index the table gives each plate what the whole table gives, whatever the
    // shape of the file: a DOS tail, a short last record, no header, control bytes in keys.
    void tabellaDallIndiceComeIntera_data() {
        QTest::addColumn<QByteArray>("dati");
        QTest::addColumn<int>("tavole");
        const QByteArray base = scriviTabella(recordDiProva(40));
        QTest::newRow("interleaved plates") << base << 40;
        QTest::newRow("DOS tail") << base + QByteArray(70, '\x1a') << 40;
        QTest::newRow("short last record")
            << base + codificaRecord(recordSolo(u"P3"_s, u"CORTO"_s)).left(20) << 40;
        QTest::newRow("control bytes in a key")
            << base + codificaRecord(recordSolo(u"P\u0001"_s, u"X"_s)) << 40;
        QTest::newRow("one plate alone") << scriviTabella(recordDiProva(1)) << 1;
    }
    void tabellaDallIndiceComeIntera() {
        QFETCH(QByteArray, dati);
        QFETCH(int, tavole);
        QTemporaryDir cartella;
        const QString bin = cartella.filePath(u"hsmed.bin"_s);
        scrivi(bin, dati);
        const auto intera = TabellaHotSpot::daByte(dati);
        const auto t = tabellaSeguente(bin);
        QVERIFY(t->daIndiceSalvato());
        QCOMPARE(t->numeroRecord(), intera->numeroRecord());
        QCOMPARE(t->difetto(), intera->difetto());
        for (int p = 0; p <= tavole; ++p) {
            const QString k = u"p%1"_s.arg(p);
            QCOMPARE(codici(t->recordDellaTavola(k)), codici(intera->recordDellaTavola(k)));
            QVERIFY(t->recordDellaTavola(k) == intera->recordDellaTavola(k));
            QVERIFY(t->cerca(k, 2) == intera->cerca(k, 2));
        }
        QVERIFY(t->recordDellaTavola(u"P\u0001"_s) == intera->recordDellaTavola(u"P\u0001"_s));
        QCOMPARE(tuttiIFile(cartella.path()), QStringList{u"hsmed.bin"_s});
    }

    // A plate on screen whose table is rewritten in place (same file, same size), replaced or
    // cut short answers its next click from the table as it is now.
    void tabellaCambiataMentreLaTavolaEMostrata_data() {
        QTest::addColumn<QString>("come");
        QTest::newRow("rewritten in place") << u"in place"_s;
        QTest::newRow("replaced") << u"replaced"_s;
        QTest::newRow("cut short") << u"cut"_s;
    }
    void tabellaCambiataMentreLaTavolaEMostrata() {
        QFETCH(QString, come);
        QTemporaryDir cartella;
        const QString bin = cartella.filePath(u"hsmed.bin"_s);
        QList<Record> r = recordDiProva(200);
        scrivi(bin, scriviTabella(r));
        const auto mostrata = tabellaSeguente(bin);
        QVERIFY(mostrata->daIndiceSalvato());
        QCOMPARE(mostrata->cerca(u"P7"_s, 2)->Codice, u"C7_1"_s);
        // Plate P7's records trade places with P8's.
        for (Record& x : r)
            if (x.Tavola == u"P7")
                x.Tavola = u"P8"_s;
            else if (x.Tavola == u"P8")
                x.Tavola = u"P7"_s;
        if (come == u"in place") {
            riscriviSulPosto(bin, scriviTabella(r));
        } else if (come == u"replaced") {
            scrivi(bin + u".nuovo"_s, scriviTabella(r));
            QVERIFY(::rename(QFile::encodeName(bin + u".nuovo"_s).constData(),
                             QFile::encodeName(bin).constData()) == 0);
        } else {
            QFile f(bin);
            QVERIFY(f.resize(10 * LunghezzaRecord));
        }
        if (come == u"cut") {
            QVERIFY(!mostrata->cerca(u"P7"_s, 2));
            QCOMPARE(mostrata->recordDellaTavola(u"P7"_s).size(), 1);
            QCOMPARE(mostrata->cerca(u"P7"_s, 1)->Codice, u"000000"_s);
        } else {
            QCOMPARE(mostrata->cerca(u"P7"_s, 2)->Codice, u"C8_1"_s);
            QCOMPARE(codici(mostrata->recordDellaTavola(u"P8"_s)),
                     (QStringList{u"000000"_s, u"C7_1"_s, u"C7_2"_s, u"C7_3"_s}));
        }
    }

    // What the start-up thread prepares the screens find ready: the stores and the table in the
    // screens' caches, their indexes saved for the next session.
    void preparatoPerLoSchermo() {
        QTemporaryDir dati;
        const FileAtlante file{dati.filePath(u"hsmed.bin"_s), dati.filePath(u"hsmed.dat"_s),
                               dati.filePath(u"BlobCorp.dat"_s), dati.filePath(u"DesAppa.bin"_s)};
        scrivi(file.tabella, scriviTabella(recordDiProva(20)));
        scriviZipGrezzo(file.testi, vociDiProva(), true);
        scriviZipGrezzo(file.tavole, {{"P1.png", "png"}}, false);
        TabellaHotSpot::svuotaCache();
        preparaPerLoSchermo(file);
        indice::attendiSalvataggi();
        for (const auto& [f, tipo] :
             {std::pair{file.testi, u"store"}, {file.tavole, u"store"}, {file.tabella, u"tabella"}})
            QVERIFY2(QFileInfo(indice::percorsoIndice(f, tipo)).isFile(), qPrintable(f));
        // Kept from start-up: walked and read then, not opened anew through the indexes.
        QVERIFY(!TabellaHotSpot::delFile(file.tabella)->daIndiceSalvato());
        QVERIFY(!blob::Archivio::condiviso(file.testi)->daIndiceSalvato());
        QVERIFY(blob::Archivio::condiviso(file.tavole)->trova(u"p1.PNG"));
    }

    // The pieces of a file, in one opening: short past its end, refused beyond their cap, never
    // from anything but a regular file.
    void intervalliDiUnFile() {
        QTemporaryDir cartella;
        const QString file = cartella.filePath(u"f.bin"_s);
        scrivi(file, "0123456789");
        IdentitaFile identita;
        const QList<QByteArray> pezzi =
            leggiIntervalli(file, {{2, 3}, {8, 5}, {20, 4}, {0, 0}}, 12, &identita);
        QCOMPARE(pezzi, (QList<QByteArray>{"234", "89", "", ""}));
        QVERIFY(identita == *identitaDi(file));
        QCOMPARE(erroreDi([&] { leggiIntervalli(file, {{0, 5}, {5, 5}}, 9); }), 7);
        QCOMPARE(erroreDi([&] { leggiIntervalli(file, {{-1, 5}}, 9); }), 5);
        QCOMPARE(erroreDi([&] { leggiIntervalli(file + u"x"_s, {}, 0); }), 53);
        QCOMPARE(erroreDi([&] { leggiIntervalli(cartella.path(), {}, 0); }), 75);
        const QString fifo = cartella.filePath(u"fifo"_s);
        QVERIFY(creaFifo(fifo));
        const EntroUnSecondo entro;
        QCOMPARE(erroreDi([&] { leggiIntervalli(fifo, {{0, 4}}, 4); }), 75);
    }
};

QTEST_GUILESS_MAIN(TestIndiciSalvati)
#include "test_indici_salvati.moc"
