#include "Percorsi.h"

#include "HostDiProva.h"
#include "Riga.h"

#include <QDir>
#include <QTest>

using namespace hn;
using hn::prova::riga;
using namespace hn::Mod_Comuni;

namespace {

void colonne() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
}

void confronta(QString (*routine)(const QString&)) {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(routine(input), expected);
}

} // namespace

class TestPercorsi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One table per routine: a row can only ever run the routine its table is for.
    void aggiungiSlash_data() {
        colonne();
        riga("blanks trimmed", "  C:\\dati  ", "C:\\dati\\");
        riga("already there", "C:\\dati\\", "C:\\dati\\");
        riga("empty gives a backslash", "", "\\");
        riga("blank gives a backslash", "   ", "\\");
    }
    void aggiungiSlash() { confronta(AggiungiSlash); }

    void eliminaSlash_data() {
        colonne();
        riga("trimmed, one removed", " C:\\dati\\ ", "C:\\dati");
        riga("only one", "C:\\dati\\\\", "C:\\dati\\");
        riga("none there", "C:\\dati", "C:\\dati");
        riga("lone backslash", "\\", "");
    }
    void eliminaSlash() { confronta(EliminaSlash); }

    void togliNull_data() {
        colonne();
        riga("none, trimmed", " abc ", "abc");
        riga("cut at the first", QStringLiteral("abc") + QChar(0) + QStringLiteral("xyz"), "abc");
        riga("leading", QChar(0) + QStringLiteral("abc"), "");
        riga("blanks before it", QStringLiteral(" C:\\t\\ ") + QChar(0) + QChar(0), "C:\\t\\");
    }
    void togliNull() { confronta(TogliNull); }

    void estraiNomeFileDaPathname_data() {
        colonne();
        riga("full path", "C:\\dati\\sistemi.bmp", "sistemi.bmp");
        riga("drive relative", "C:sistemi.bmp", "sistemi.bmp");
        riga("folder", "C:\\dati\\", "");
        riga("plain", "sistemi.bmp", "sistemi.bmp");
        riga("network path", "\\\\server\\share\\f.txt", "f.txt");
        riga("colon after backslash", "a\\b:c.txt", "c.txt");
    }
    void estraiNomeFileDaPathname() { confronta(EstraiNomeFileDaPathname); }

    void estraiPathnameDaFile_data() {
        colonne();
        riga("full path", "C:\\dati\\a.exe", "C:\\dati\\");
        riga("plain name", "a.exe", "");
        riga("ends in backslash", "C:\\dati\\", "");
        riga("drive relative", "C:a.exe", "C:");
        riga("empty", "", "");
    }
    void estraiPathnameDaFile() { confronta(EstraiPathnameDaFile); }

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
