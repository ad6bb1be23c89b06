#include "Percorsi.h"

#include "HostDiProva.h"

#include <QDir>
#include <QTest>

using namespace hn;
using namespace hn::Mod_Comuni;

class TestPercorsi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textRoutines_data() {
        QTest::addColumn<QString>("routine");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("add: blanks trimmed") << "Aggiungi"
                                             << "  C:\\dati  "
                                             << "C:\\dati\\";
        QTest::newRow("add: already there") << "Aggiungi"
                                            << "C:\\dati\\"
                                            << "C:\\dati\\";
        QTest::newRow("add: empty gives a backslash") << "Aggiungi"
                                                      << ""
                                                      << "\\";
        QTest::newRow("add: blank gives a backslash") << "Aggiungi"
                                                      << "   "
                                                      << "\\";
        QTest::newRow("remove: trimmed, one removed") << "Elimina"
                                                      << " C:\\dati\\ "
                                                      << "C:\\dati";
        QTest::newRow("remove: only one") << "Elimina"
                                          << "C:\\dati\\\\"
                                          << "C:\\dati\\";
        QTest::newRow("remove: none there") << "Elimina"
                                            << "C:\\dati"
                                            << "C:\\dati";
        QTest::newRow("remove: lone backslash") << "Elimina"
                                                << "\\"
                                                << "";
        QTest::newRow("nul: none, trimmed") << "Null"
                                            << " abc "
                                            << "abc";
        QTest::newRow("nul: cut at the first")
            << "Null" << QStringLiteral("abc") + QChar(0) + QStringLiteral("xyz") << "abc";
        QTest::newRow("nul: leading") << "Null" << QChar(0) + QStringLiteral("abc") << "";
        QTest::newRow("nul: blanks before it")
            << "Null" << QStringLiteral(" C:\\t\\ ") + QChar(0) + QChar(0) << "C:\\t\\";
        QTest::newRow("name: full path") << "Nome"
                                         << "C:\\dati\\sistemi.bmp"
                                         << "sistemi.bmp";
        QTest::newRow("name: drive relative") << "Nome"
                                              << "C:sistemi.bmp"
                                              << "sistemi.bmp";
        QTest::newRow("name: folder") << "Nome"
                                      << "C:\\dati\\"
                                      << "";
        QTest::newRow("name: plain") << "Nome"
                                     << "sistemi.bmp"
                                     << "sistemi.bmp";
        QTest::newRow("name: network path") << "Nome"
                                            << "\\\\server\\share\\f.txt"
                                            << "f.txt";
        QTest::newRow("name: colon after backslash") << "Nome"
                                                     << "a\\b:c.txt"
                                                     << "c.txt";
        QTest::newRow("folder: full path") << "Cartella"
                                           << "C:\\dati\\a.exe"
                                           << "C:\\dati\\";
        QTest::newRow("folder: plain name") << "Cartella"
                                            << "a.exe"
                                            << "";
        QTest::newRow("folder: ends in backslash") << "Cartella"
                                                   << "C:\\dati\\"
                                                   << "";
        QTest::newRow("folder: drive relative") << "Cartella"
                                                << "C:a.exe"
                                                << "C:";
        QTest::newRow("folder: empty") << "Cartella"
                                       << ""
                                       << "";
    }

    void textRoutines() {
        QFETCH(QString, routine);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QString r;
        if (routine == QStringLiteral("Aggiungi"))
            r = AggiungiSlash(input);
        else if (routine == QStringLiteral("Elimina"))
            r = EliminaSlash(input);
        else if (routine == QStringLiteral("Null"))
            r = TogliNull(input);
        else if (routine == QStringLiteral("Nome"))
            r = EstraiNomeFileDaPathname(input);
        else
            r = EstraiPathnameDaFile(input);
        QCOMPARE(r, expected);
    }

    void fileExistence() {
        prova::HostDiProva host;
        host.scriviFile("D:\\DATI\\Sistemi.BMP", "x");
        host.scriviFile("D:\\DATI\\.ukryty.bmp", "x");
        QDir().mkpath(host.percorsoHost("D:\\DATI\\CARTELLA\\x"));
        QVERIFY(EsisteFile("d:\\dati\\sistemi.bmp"));
        QVERIFY(EsisteFile("D:\\DATI\\*.bmp"));
        QVERIFY(EsisteFile("D:\\DATI\\S?stemi.*"));
        QVERIFY(!EsisteFile(""));
        QVERIFY(!EsisteFile("D:\\DATI\\CARTELLA"));
        QVERIFY(!EsisteFile("D:\\DATI\\.ukryty.bmp"));
        QVERIFY(!EsisteFile("D:\\DATI\\*.png"));
        QVERIFY(!EsisteFile("R:\\dati\\sistemi.bmp")); // a drive without a disc
        QVERIFY(!EsisteFile(QStringLiteral("D:\\DATI\\a") + QChar(1)));
    }
};

QTEST_GUILESS_MAIN(TestPercorsi)
#include "test_percorsi.moc"
