// The atlas's formats read from bytes and written back, the plate tree, the file cache.

#include "AlberoTavole.h"
#include "AtlanteDiProva.h"
#include "CacheFile.h"
#include "DesAppa.h"
#include "Riga.h"
#include "StoreImmagini.h"
#include "TabellaRecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hn::atlante;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

Record rec(const QString& tavola, const QString& codice, const QString& link = {}) {
    return {tavola, codice, link, 1, 2, 3, 4, {}};
}

} // namespace

class TestDatiAtlante : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void campiERettangolo_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QStringList>("testi"); // Tavola, Codice, Collegamento, Testo
        QTest::addColumn<QList<float>>("numeri");
        // Fields in record order; those not given are blank.
        const auto r = [](QList<QByteArray> c) {
            c.resize(9);
            return recordHsmed({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]});
        };
        riga("plain", r({"SCHEL1", "A01", "DIGER1", "010", "020", "110", "060", "T1", "xx"}),
             QStringList{"SCHEL1", "A01", "DIGER1", "T1"}, QList<float>{10, 20, 110, 60});
        riga("leading blanks and zeros", r({"  K", " B ", {}, "  7", " 09", "012", "000"}),
             QStringList{"K", "B", "", ""}, QList<float>{7, 9, 12, 0});
        riga("lenient numbers", r({"K", "C", {}, "7x1", "abc", "-5 ", "1.5"}),
             QStringList{"K", "C", "", ""}, QList<float>{7, 0, -5, 1.5f});
        riga("exponent and blank", r({"K", "C", {}, "1e2", "   ", "+3", "&H1"}),
             QStringList{"K", "C", "", ""}, QList<float>{100, 0, 3, 1}); // &H: hexadecimal
        // Only digits padded with spaces take the short way; every other blank the full rule.
        riga("blanks inside and other blanks", r({"K", "C", {}, "1 2", "\t12", " 1 ", "\24012"}),
             QStringList{"K", "C", "", ""}, QList<float>{1, 12, 1, 12}); // \240: no-break space
        riga("code page",
             r({"\xa3\xb9KA", "\x9c"
                              "1"}),
             QStringList{"ŁąKA", "ś1", "", ""}, QList<float>{0, 0, 0, 0});
        // Cut by the end of the file: what is there is read, the rest is blank.
        riga("truncated", r({"K", "C", "L", "004", "005", "006"}).left(31),
             QStringList{"K", "C", "L", ""}, QList<float>{4, 5, 0, 0});
        riga("key only", QByteArray("ABC"), QStringList{"ABC", "", "", ""},
             QList<float>{0, 0, 0, 0});
    }
    void campiERettangolo() {
        QFETCH(QByteArray, record);
        QFETCH(QStringList, testi);
        QFETCH(QList<float>, numeri);
        const Record r = decodificaRecord(record);
        QCOMPARE((QStringList{r.Tavola, r.Codice, r.Collegamento, r.Testo}), testi);
        QCOMPARE((QList<float>{r.X1, r.Y1, r.X2, r.Y2}), numeri);
    }

    void recordIntattiDopoLoScrittoreEUltimoCortoLetto() {
        const QList<Record> righe = {{u"SCHEL1"_s, u"000000"_s, {}, 0, 0, 0, 0, u"DSCHEL"_s},
                                     {u"SCHEL1"_s, u"ŻEBRA"_s, u"SKREG"_s, 10, 20, 110, 60, {}}};
        QByteArray dati = scriviTabella(righe);
        QCOMPARE(dati.size(), 2 * LunghezzaRecord);
        QCOMPARE(dati.sliced(LunghezzaRecord + 24, 12), QByteArray("010020110060"));
        QCOMPARE(leggiTabella(dati), righe);
        // Cut inside the rectangle: the key and what is left are used, the rest reads as blanks.
        dati.chop(LunghezzaRecord - 29);
        const QList<Record> letti = leggiTabella(dati);
        QCOMPARE(letti.size(), 2);
        QCOMPARE(letti[1].Codice, u"ŻEBRA"_s);
        QCOMPARE(letti[1].X1, 10.0f);
        QCOMPARE(letti[1].Y1, 2.0f);
        QCOMPARE(letti[1].X2, 0.0f);
    }

    // Depth first from the systems: a plate reached twice keeps its first way; a link back up
    // is no new node; a link to a plate without records is reported.
    void alberoSegueICollegamentiInProfondita() {
        const QList<Record> t = {
            rec(u"SCHEL1"_s, u"A"_s, u"SKREG"_s),
            rec(u"SCHEL1"_s, u"B"_s, u"SCZASZ"_s),
            rec(u"SKREG"_s, u"C"_s, u"SKREGI"_s),
            rec(u"SKREGI"_s, u"D"_s, u"SCHEL1"_s),
            rec(u"SCZASZ"_s, u"E"_s, u"SKREGI"_s),
            rec(u"SCZASZ"_s, u"F"_s, u"NIENTE"_s),
            rec(u"MUSCAVA"_s, u"G"_s),
            rec(u"ORFANO"_s, u"H"_s),
            rec(u"muscava"_s, u"I"_s),
        };
        const AlberoTavole a(t, {u"SCHEL1"_s, u"muscava"_s, u"orecch"_s});
        QStringList ordine;
        for (const NodoTavola& n : a.nodi())
            ordine.append(n.chiave);
        QCOMPARE(ordine, (QStringList{"SCHEL1", "SKREG", "SKREGI", "SCZASZ", "muscava", "orecch"}));
        QCOMPARE(a.percorso(a.nodo(u"skregi"_s)), (QStringList{"SCHEL1", "SKREG", "SKREGI"}));
        QCOMPARE(a.nodi()[a.nodo(u"MUSCAVA"_s)].record, QList<qsizetype>{6});
        QVERIFY(a.nodi()[a.nodo(u"orecch"_s)].record.isEmpty());
        QCOMPARE(a.nonRaggiunte(), (QStringList{"ORFANO", "muscava"}));
        QCOMPARE(a.collegamentiRotti().size(), 1);
        QCOMPARE(a.collegamentiRotti()[0].tavola, u"SCZASZ"_s);
        QCOMPARE(a.collegamentiRotti()[0].numero, 2);
    }

    void desAppaPrimaCorrispondenzaEsattaEScrittore() {
        const QByteArray dati = QByteArray("schel1    mala\r\n") +
                                "SCHEL1    Uk\xb3"
                                "ad kostny  \r\n" +
                                "SCHEL1    drugi\r\n" + "ENDOC1";
        const QList<RigaDesAppa> righe = leggiDesAppa(dati);
        QCOMPARE(righe.size(), 4);
        QCOMPARE(descrizioneSistema(righe, u"SCHEL1"_s), u"Układ kostny"_s);
        QCOMPARE(descrizioneSistema(righe, u"ENDOC1"_s), QString());
        QCOMPARE(descrizioneSistema(righe, u"NERVOS"_s), QString());
        QCOMPARE(leggiDesAppa(scriviDesAppa(righe)), righe);
    }

    void storeDalSelettore_data() {
        QTest::addColumn<int>("selettore");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("sfondi");
        QTest::addColumn<int>("metodo");
        QTest::newRow("not given") << -1000 << "BlobFoto.dat" << false << 2;
        QTest::newRow("0: plates") << 0 << "BlobCorp.dat" << false << 2;
        QTest::newRow("7: plates") << 7 << "BlobCorp.dat" << false << 2;
        QTest::newRow("3: crops") << 3 << "BlobCrop.dat" << false << 2;
        QTest::newRow("10: backgrounds") << 10 << "Bit_Hd.ff" << true << 3;
    }
    void storeDalSelettore() {
        QFETCH(int, selettore);
        QFETCH(QString, file);
        QFETCH(bool, sfondi);
        QFETCH(int, metodo);
        const StoreImmagine s =
            storePerSelettore(selettore == -1000 ? std::nullopt : std::optional<int>(selettore));
        QCOMPARE(s.file, file);
        QCOMPARE(s.sfondi, sfondi);
        QCOMPARE(s.metodo, metodo);
    }

    void cacheRileggeSoloSeIlFileCambia() {
        QTemporaryDir cartella;
        const QString f = cartella.filePath(u"hsmed.bin"_s);
        const auto scrivi = [&f](const QByteArray& b) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(b);
        };
        int letture = 0;
        const auto leggi = [&letture](const QString& p) {
            ++letture;
            QFile file(p);
            return file.open(QIODevice::ReadOnly)
                       ? std::make_shared<const QByteArray>(file.readAll())
                       : nullptr;
        };
        CacheFile<QByteArray> cache;
        scrivi("uno");
        QCOMPARE(*cache.prendi(f, leggi), QByteArray("uno"));
        QCOMPARE(*cache.prendi(f, leggi), QByteArray("uno"));
        QCOMPARE(letture, 1);
        scrivi("dodici"); // another size: another identity, whatever the clock's resolution
        QCOMPARE(*cache.prendi(f, leggi), QByteArray("dodici"));
        QFile::remove(f);
        QVERIFY(!cache.prendi(f, leggi));
        QCOMPARE(letture, 3);
    }
};

QTEST_MAIN(TestDatiAtlante)
#include "test_dati_atlante.moc"
