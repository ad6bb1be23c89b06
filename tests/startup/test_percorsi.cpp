#include "Percorsi.h"

#include "HostDiProva.h"
#include "Riga.h"

#include <QDir>
#include <QTest>

using namespace hn;
using hn::prova::riga;
using namespace hn::Mod_Comuni;

class TestPercorsi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void routineDiTesto_data() {
        QTest::addColumn<QString>("routine");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        riga("add: blanks trimmed", "Aggiungi", "  C:\\dati  ", "C:\\dati\\");
        riga("add: already there", "Aggiungi", "C:\\dati\\", "C:\\dati\\");
        riga("add: empty gives a backslash", "Aggiungi", "", "\\");
        riga("add: blank gives a backslash", "Aggiungi", "   ", "\\");
        riga("remove: trimmed, one removed", "Elimina", " C:\\dati\\ ", "C:\\dati");
        riga("remove: only one", "Elimina", "C:\\dati\\\\", "C:\\dati\\");
        riga("remove: none there", "Elimina", "C:\\dati", "C:\\dati");
        riga("remove: lone backslash", "Elimina", "\\", "");
        riga("nul: none, trimmed", "Null", " abc ", "abc");
        riga("nul: cut at the first", "Null",
             QStringLiteral("abc") + QChar(0) + QStringLiteral("xyz"), "abc");
        riga("nul: leading", "Null", QChar(0) + QStringLiteral("abc"), "");
        riga("nul: blanks before it", "Null", QStringLiteral(" C:\\t\\ ") + QChar(0) + QChar(0),
             "C:\\t\\");
        riga("name: full path", "Nome", "C:\\dati\\sistemi.bmp", "sistemi.bmp");
        riga("name: drive relative", "Nome", "C:sistemi.bmp", "sistemi.bmp");
        riga("name: folder", "Nome", "C:\\dati\\", "");
        riga("name: plain", "Nome", "sistemi.bmp", "sistemi.bmp");
        riga("name: network path", "Nome", "\\\\server\\share\\f.txt", "f.txt");
        riga("name: colon after backslash", "Nome", "a\\b:c.txt", "c.txt");
        riga("folder: full path", "Cartella", "C:\\dati\\a.exe", "C:\\dati\\");
        riga("folder: plain name", "Cartella", "a.exe", "");
        riga("folder: ends in backslash", "Cartella", "C:\\dati\\", "");
        riga("folder: drive relative", "Cartella", "C:a.exe", "C:");
        riga("folder: empty", "Cartella", "", "");
    }

    void routineDiTesto() {
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

    void esistenzaDeiFile() {
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
