#include "Punteggi.h"

#include "ConfigurazioneDiProva.h"
#include "ErroreDi.h"
#include "Fifo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hn::punteggi;
using namespace hn::prova;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Punteggio)

namespace {

QString file() {
    return configurazione.path() + u"/hnemar/sprawdzian.ini"_s;
}

// Each case starts from no file at all.
void svuota() {
    QDir(configurazione.path() + u"/hnemar"_s).removeRecursively();
}

} // namespace

class TestPunteggi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { svuota(); }

    void tieneIlMigliore_data() {
        QTest::addColumn<QList<Punteggio>>("giri");
        QTest::addColumn<Punteggio>("atteso");
        QTest::newRow("worse later") << QList<Punteggio>{{8, 10}, {5, 10}} << Punteggio{8, 10};
        QTest::newRow("better later") << QList<Punteggio>{{5, 10}, {9, 10}} << Punteggio{9, 10};
        QTest::newRow("same share, longer round")
            << QList<Punteggio>{{3, 3}, {10, 10}, {2, 2}} << Punteggio{10, 10};
        QTest::newRow("empty round ignored") << QList<Punteggio>{{4, 7}, {0, 0}} << Punteggio{4, 7};
    }
    void tieneIlMigliore() {
        QFETCH(QList<Punteggio>, giri);
        QFETCH(Punteggio, atteso);
        const QString chiave = chiaveTavola(QString::fromLatin1(QTest::currentDataTag()));
        for (const Punteggio& p : giri)
            registra(chiave, p);
        QCOMPARE(migliore(chiave), std::optional<Punteggio>(atteso));
    }

    // What a later start reads, plate and system apart; keys that could break a line or pose
    // as a section come back as they were.
    void sopravviveAUnRiavvio() {
        QVERIFY(registra(chiaveSistema(u"SCHEL1"_s), {7, 10}));
        QVERIFY(!registra(chiaveSistema(u"schel1"_s), {6, 10}));
        QVERIFY(registra(chiaveTavola(u"A=B\n[x]Ł"_s), {1, 2}));
        const QByteArray testo = contenuto(file());
        QVERIFY(testo.contains("[uklad]\nSCHEL1=7/10\n"));
        QVERIFY(!testo.contains("[x]"));
        QCOMPARE(migliore(chiaveSistema(u"Schel1"_s)), std::optional<Punteggio>({7, 10}));
        QCOMPARE(migliore(chiaveTavola(u"SCHEL1"_s)), std::nullopt);
        QCOMPARE(migliore(chiaveTavola(u"a=b\n[X]ł"_s)), std::optional<Punteggio>({1, 2}));
    }

    // A file an earlier version wrote through QSettings reads as it is.
    void fileDellaVersionePrecedente() {
        scriviFile(file(), "[plansza]\r\nSCHEL1=3/4\r\n\r\n[uklad]\r\nNERVOS=2/2\r\n");
        QCOMPARE(migliore(chiaveTavola(u"SCHEL1"_s)), std::optional<Punteggio>({3, 4}));
        QCOMPARE(migliore(chiaveSistema(u"NERVOS"_s)), std::optional<Punteggio>({2, 2}));
    }

    // A damaged stretch costs its own lines: the scores before and after it survive the next
    // save, and the old file is kept aside whole.
    void unTrattoDanneggiatoNonPortaViaIlResto() {
        static const char grezzo[] = "[plansza]\nPRIMA=1/2\nMIE\xff\x00\x01=9/1\nZLE=11/10\n"
                                     "[\x7f\x7f\nDOPO=3/3\n[uklad]\nSISTEMA=5/6\nX=1/2/3\n";
        const QByteArray danneggiato(grezzo, sizeof(grezzo) - 1);
        scriviFile(file(), danneggiato);
        QCOMPARE(migliore(chiaveTavola(u"DOPO"_s)), std::optional<Punteggio>({3, 3}));
        QCOMPARE(migliore(chiaveTavola(u"ZLE"_s)), std::nullopt);
        QVERIFY(registra(chiaveTavola(u"NOWA"_s), {4, 5}));
        QCOMPARE(contenuto(file() + u".bak"_s), danneggiato);
        for (const auto& [chiave, p] : {std::pair{chiaveTavola(u"PRIMA"_s), Punteggio{1, 2}},
                                        std::pair{chiaveTavola(u"DOPO"_s), Punteggio{3, 3}},
                                        std::pair{chiaveSistema(u"SISTEMA"_s), Punteggio{5, 6}},
                                        std::pair{chiaveTavola(u"NOWA"_s), Punteggio{4, 5}}})
            QCOMPARE(migliore(chiave), std::optional<Punteggio>(p));
        // A clean file needs no copy: the .bak stays the damaged one.
        QVERIFY(registra(chiaveTavola(u"NOWA"_s), {5, 5}));
        QCOMPARE(contenuto(file() + u".bak"_s), danneggiato);
        // Far too large to be ours: set aside whole, and saving goes on.
        const QByteArray enorme(5 * 1024 * 1024, 'x');
        scriviFile(file(), enorme);
        QVERIFY(registra(chiaveTavola(u"NOWA"_s), {5, 5}));
        QCOMPARE(contenuto(file() + u".bak"_s), enorme);
        QCOMPARE(migliore(chiaveTavola(u"NOWA"_s)), std::optional<Punteggio>({5, 5}));
    }

    // A new best that cannot reach the disk is an error, never a silent success, and leaves
    // what is there as it was.
    void unMiglioreNonSalvatoLoDice() {
        QVERIFY(registra(chiaveTavola(u"A"_s), {1, 2}));
        const QByteArray prima = contenuto(file());
        const QString cartella = configurazione.path() + u"/hnemar"_s;
        QFile::setPermissions(cartella, QFile::ReadOwner | QFile::ExeOwner);
        const bool scrivibile = QFileInfo(cartella).isWritable(); // root writes anyway
        if (!scrivibile)
            QCOMPARE(erroreDi([] { registra(chiaveTavola(u"A"_s), {2, 2}); }), 75);
        QFile::setPermissions(cartella, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(contenuto(file()), prima);

        // A folder or a FIFO in the file's place: refused at once, never waited on.
        svuota();
        QVERIFY(QDir().mkpath(file()));
        QCOMPARE(erroreDi([] { registra(chiaveTavola(u"A"_s), {1, 2}); }), 75);
        svuota();
        QDir().mkpath(cartella);
        QVERIFY(creaFifo(file()));
        EntroUnSecondo entro;
        QCOMPARE(migliore(chiaveTavola(u"A"_s)), std::nullopt);
        QCOMPARE(erroreDi([] { registra(chiaveTavola(u"A"_s), {1, 2}); }), 75);
    }

    // A save killed half way leaves a file beside the scores; the next save takes it away.
    void avanziDiUnSalvataggioUcciso() {
        QDir().mkpath(configurazione.path() + u"/hnemar"_s);
        const QString avanzo = configurazione.path() + u"/hnemar/.hnemar-999999999-AbCdEf"_s;
        scriviFile(avanzo, "[plansza]\nME");
        QVERIFY(registra(chiaveTavola(u"A"_s), {1, 2}));
        QVERIFY(!QFile::exists(avanzo));
    }
};

QTEST_GUILESS_MAIN(TestPunteggi)
#include "test_punteggi.moc"
