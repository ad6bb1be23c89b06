#include "Punteggi.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace hn::punteggi;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Punteggio)

// The user's config folder is a temporary one, set before Qt first looks for it.
static QTemporaryDir configurazione;
static void configurazioneTemporanea() {
    qputenv("XDG_CONFIG_HOME", configurazione.path().toUtf8());
}
Q_CONSTRUCTOR_FUNCTION(configurazioneTemporanea)

class TestPunteggi : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

    // What a later start reads: the file in the user's config folder, through a new object.
    void sopravviveAUnRiavvio() {
        QVERIFY(registra(chiaveSistema(u"SCHEL1"_s), {7, 10}));
        QVERIFY(!registra(chiaveSistema(u"schel1"_s), {6, 10}));
        const QString file = configurazione.path() + u"/hnemar/sprawdzian.ini"_s;
        QVERIFY(QFile::exists(file));
        QSettings letto(file, QSettings::IniFormat);
        QCOMPARE(letto.value(chiaveSistema(u"SCHEL1"_s)).toString(), u"7/10"_s);
        QCOMPARE(migliore(chiaveSistema(u"Schel1"_s)), std::optional<Punteggio>({7, 10}));
        QCOMPARE(migliore(chiaveTavola(u"SCHEL1"_s)), std::nullopt);
    }

    void datiSenzaSensoNessunPunteggio_data() {
        QTest::addColumn<QString>("valore");
        QTest::newRow("more right than asked") << u"11/10"_s;
        QTest::newRow("words") << u"dużo/10"_s;
        QTest::newRow("zero asked") << u"0/0"_s;
    }
    void datiSenzaSensoNessunPunteggio() {
        QFETCH(QString, valore);
        {
            QSettings s(configurazione.path() + u"/hnemar/sprawdzian.ini"_s, QSettings::IniFormat);
            s.setValue(chiaveTavola(u"ZLE"_s), valore);
        }
        QCOMPARE(migliore(chiaveTavola(u"ZLE"_s)), std::nullopt);
        // A real score replaces it.
        QVERIFY(registra(chiaveTavola(u"ZLE"_s), {1, 10}));
    }
};

QTEST_GUILESS_MAIN(TestPunteggi)
#include "test_punteggi.moc"
