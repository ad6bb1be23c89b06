// The review diary on disk: what a later start reads, what a damaged or hostile file costs, and
// that a save which cannot be made says so and leaves the file as it was.

#include "Pamiec.h"

#include "ConfigurazioneDiProva.h"
#include "ErroreDi.h"
#include "Fifo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace hn::atlante::ripasso;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Giorno = 2461000; // a Julian day in 2026

QString file() {
    return configurazione.path() + u"/hnemar/powtorki.txt"_s;
}

using Risposte = QList<QPair<QString, Voto>>;

} // namespace

class TestPamiec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QDir(configurazione.path() + u"/hnemar"_s).removeRecursively(); }

    void ilFileStaNellaCartellaDellUtente() { QCOMPARE(pamiec::percorsoFile(), file()); }

    // Answers of several days read back by a later start exactly as the model left them; a
    // structure answered again on another day builds on its memory from the disk.
    void sopravviveAUnRiavvio() {
        pamiec::registra({{u"kosc udowa"_s, Voto::Bene}, {u"obojczyk"_s, Voto::Ancora}}, Giorno);
        const Diario dopo = pamiec::registra({{u"kosc udowa"_s, Voto::Difficile}}, Giorno + 3);
        Diario atteso;
        atteso.registra(u"kosc udowa"_s, Voto::Bene, Giorno);
        atteso.registra(u"obojczyk"_s, Voto::Ancora, Giorno);
        atteso.registra(u"kosc udowa"_s, Voto::Difficile, Giorno + 3);
        bool danneggiato = true;
        const Diario letto = pamiec::carica(&danneggiato);
        QVERIFY(!danneggiato);
        QCOMPARE(letto.size(), 2);
        for (const QString& k : {u"kosc udowa"_s, u"obojczyk"_s}) {
            QCOMPARE(letto.memoria(k), atteso.memoria(k));
            QCOMPARE(dopo.memoria(k), atteso.memoria(k));
        }
        QCOMPARE(letto.memoria(u"kosc udowa"_s).ripetizioni, 2);
        // Due on the day the model chose, and only then.
        const Memoria m = letto.memoria(u"kosc udowa"_s);
        QVERIFY(m.scadenza > Giorno + 3);
        QCOMPARE(letto.daRipassare({u"kosc udowa"_s}, m.scadenza - 1), QStringList());
        QCOMPARE(letto.daRipassare({u"kosc udowa"_s}, m.scadenza), QStringList{u"kosc udowa"_s});
    }

    // Plates added or taken away change which structures are asked, never what is known of the
    // others: a save that names only some keeps every other memory.
    void unAtlanteCambiatoTieneLeAltreMemorie() {
        Risposte prime;
        for (int i = 0; i < 50; ++i)
            prime.append({u"struktura %1"_s.arg(i), i % 3 ? Voto::Bene : Voto::Ancora});
        const Diario prima = pamiec::registra(prime, Giorno);
        pamiec::registra({{u"nowa struktura"_s, Voto::Bene}}, Giorno + 1);
        const Diario letto = pamiec::carica();
        QCOMPARE(letto.size(), 51);
        for (const auto& [k, voto] : prime)
            QCOMPARE(letto.memoria(k), prima.memoria(k));
    }

    // A damaged or hostile file: each line that cannot be read costs only itself, loading
    // neither hangs nor crashes, the next save keeps every good line and sets the old file aside
    // whole.
    void fileDanneggiatoNonPortaViaIlResto_data() {
        QTest::addColumn<QByteArray>("guasto");
        QTest::newRow("binary garbage") << QByteArray("\xff\xfe\x00\x01\x02garbage\x7f", 14);
        QTest::newRow("numbers out of range")
            << QByteArray("zla\t1e309\tnan\t-99999999999999999999\t0\t-1\t7\n");
        QTest::newRow("truncated line") << QByteArray("polowa\t3.1\t5");
        QTest::newRow("a line of a megabyte") << QByteArray(1024 * 1024, 'x');
        QTest::newRow("a key no name gives") << QByteArray("Z\xc4\x85"
                                                           "b\x01\t2\t5\t2461000\t2461002\t1\t0\n");
    }
    void fileDanneggiatoNonPortaViaIlResto() {
        QFETCH(QByteArray, guasto);
        const QString zab = chiaveStruttura(u"Ząb"_s);
        const Diario buono =
            pamiec::registra({{u"prima"_s, Voto::Bene}, {zab, Voto::Difficile}}, Giorno);
        QByteArray testo = contenuto(file());
        const qsizetype dopoIntestazione = testo.indexOf('\n') + 1;
        testo.insert(dopoIntestazione, guasto + '\n');
        scriviFile(file(), testo);

        bool danneggiato = false;
        const Diario letto = pamiec::carica(&danneggiato);
        QVERIFY(danneggiato);
        QCOMPARE(letto.size(), 2);
        QCOMPARE(letto.memoria(zab), buono.memoria(zab));

        pamiec::registra({{u"nowa"_s, Voto::Bene}}, Giorno + 1);
        QCOMPARE(contenuto(file() + u".bak"_s), testo);
        const Diario dopo = pamiec::carica(&danneggiato);
        QVERIFY(!danneggiato);
        QCOMPARE(dopo.size(), 3);
        QCOMPARE(dopo.memoria(u"prima"_s), buono.memoria(u"prima"_s));
    }

    // Far too large to be a diary: read as nothing, set aside whole at the next save.
    void fileEnormeMessoDaParte() {
        const QByteArray enorme(33 * 1024 * 1024, '\n');
        scriviFile(file(), enorme);
        bool danneggiato = false;
        QCOMPARE(pamiec::carica(&danneggiato).size(), 0);
        QVERIFY(danneggiato);
        pamiec::registra({{u"a"_s, Voto::Bene}}, Giorno);
        QCOMPARE(QFileInfo(file() + u".bak"_s).size(), enorme.size());
        QCOMPARE(pamiec::carica().size(), 1);
    }

    // A FIFO or a folder where the diary goes: refused at once, never waited on, left as it is.
    void fifoOCartellaAlPostoDelFile() {
        QDir().mkpath(QFileInfo(file()).path());
        QVERIFY(creaFifo(file()));
        {
            EntroUnSecondo entro;
            bool danneggiato = false;
            QCOMPARE(pamiec::carica(&danneggiato).size(), 0);
            QVERIFY(danneggiato);
            QCOMPARE(erroreDi([] { pamiec::registra({{u"a"_s, Voto::Bene}}, Giorno); }), 75);
        }
        QVERIFY(QFileInfo(file()).isFile() == false && QFileInfo::exists(file()));
        QFile::remove(file());
        QVERIFY(QDir().mkpath(file() + u"/dentro"_s));
        QVERIFY(erroreDi([] { pamiec::registra({{u"a"_s, Voto::Bene}}, Giorno); }) != 0);
        QVERIFY(QFileInfo(file() + u"/dentro"_s).isDir());
    }

    // A folder that cannot be written: the save is an error, the diary stays as it was.
    void cartellaInSolaLettura() {
        pamiec::registra({{u"a"_s, Voto::Bene}}, Giorno);
        const QByteArray prima = contenuto(file());
        const QString cartella = QFileInfo(file()).path();
        QFile::setPermissions(cartella, QFile::ReadOwner | QFile::ExeOwner);
        const bool scrivibile = QFileInfo(cartella).isWritable(); // root writes anyway
        const int errore = erroreDi([] { pamiec::registra({{u"a"_s, Voto::Ancora}}, Giorno + 1); });
        QFile::setPermissions(cartella, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (scrivibile)
            QSKIP("this user writes into read-only folders");
        QCOMPARE(errore, 75);
        QCOMPARE(contenuto(file()), prima);
    }

    // A save killed half way left a file beside the diary; the next save removes it.
    void avanziDiUnSalvataggioUcciso() {
        QDir().mkpath(QFileInfo(file()).path());
        const QString avanzo = QFileInfo(file()).path() + u"/.hnemar-999999999-AbCdEf"_s;
        scriviFile(avanzo, "hnemar");
        pamiec::registra({{u"a"_s, Voto::Bene}}, Giorno);
        QVERIFY(!QFile::exists(avanzo));
    }
};

QTEST_GUILESS_MAIN(TestPamiec)
#include "test_pamiec.moc"
