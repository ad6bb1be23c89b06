#include "HostPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hn;

namespace {

void tocca(const QString& file) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestHostPaths : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString radice;

private Q_SLOTS:
    void initTestCase() {
        radice = dir.path();
        tocca(radice + QStringLiteral("/drive_c/Velto/Dati/HSMED.BIN"));
        tocca(radice + QStringLiteral("/drive_c/Velto/Dati/sistemi.BMP"));
        tocca(radice + QStringLiteral("/drive_c/Velto/Dati/schelet.bmp"));
        tocca(radice + QStringLiteral("/drive_c/Velto/Dati/.nascosto.bmp"));
        tocca(radice + QStringLiteral("/drive_c/Velto/Dati/senzapunto"));
        QDir().mkpath(radice + QStringLiteral("/drive_c/Velto/Dati/cartella.bmp"));
        QDir().mkpath(radice + QStringLiteral("/drive_c/Velto/HNEMAR"));
        QDir().mkpath(radice + QStringLiteral("/drive_d"));
    }

    void mapsWindowsPaths_data() {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("host");
        QTest::newRow("case-insensitive") << "C:\\VELTO\\DATI\\hsmed.bin"
                                          << "/drive_c/Velto/Dati/HSMED.BIN";
        QTest::newRow("lower-case drive") << "c:\\velto\\dati\\HSMED.bin"
                                          << "/drive_c/Velto/Dati/HSMED.BIN";
        QTest::newRow("missing tail kept as written") << "C:\\velto\\NUOVA\\Copia.rtf"
                                                      << "/drive_c/Velto/NUOVA/Copia.rtf";
        QTest::newRow("forward slashes") << "C:/velto/dati/hsmed.bin"
                                         << "/drive_c/Velto/Dati/HSMED.BIN";
        QTest::newRow("dot dot stays inside the drive")
            << "C:\\..\\..\\velto\\dati\\..\\dati\\hsmed.bin"
            << "/drive_c/Velto/Dati/HSMED.BIN";
        QTest::newRow("doubled separators") << "C:\\\\velto\\\\dati\\hsmed.bin"
                                            << "/drive_c/Velto/Dati/HSMED.BIN";
        QTest::newRow("rooted path on the program's drive") << "\\velto\\dati"
                                                            << "/drive_c/Velto/Dati";
        QTest::newRow("relative to the program folder") << "help.bin"
                                                        << "/drive_c/Velto/HNEMAR/help.bin";
        QTest::newRow("parent of the program folder") << "C:\\VELTO\\HNEMAR\\..\\dati"
                                                      << "/drive_c/Velto/Dati";
        QTest::newRow("drive root") << "D:\\"
                                    << "/drive_d";
    }

    void mapsWindowsPaths() {
        QFETCH(QString, windows);
        QFETCH(QString, host);
        const HostPaths p(radice);
        const auto risultato = p.toHost(windows);
        QVERIFY(risultato.has_value());
        QCOMPARE(*risultato, radice + host);
    }

    void driveZIsTheHostRoot() {
        const HostPaths p(radice);
        QCOMPARE(p.toHost(QStringLiteral("Z:\\tmp")).value_or(QString()), QStringLiteral("/tmp"));
        QCOMPARE(p.toHost(QStringLiteral("z:\\")).value_or(QString()), QStringLiteral("/"));
    }

    void refusesWhatCannotNameAFile_data() {
        QTest::addColumn<QString>("windows");
        QTest::newRow("empty") << "";
        QTest::newRow("drive without a folder") << "E:\\dati\\a.txt";
        QTest::newRow("network path") << "\\\\server\\share\\f.txt";
        QTest::newRow("control character") << "C:\\velto\\a\x01.txt";
        QTest::newRow("nul") << QStringLiteral("C:\\velto\\a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("forbidden character") << "C:\\velto\\a<b.txt";
        QTest::newRow("wildcard outside a search") << "C:\\velto\\*.txt";
        QTest::newRow("colon inside") << "C:\\velto\\a:b";
    }

    void refusesWhatCannotNameAFile() {
        QFETCH(QString, windows);
        QVERIFY(!HostPaths(radice).toHost(windows).has_value());
    }

    void findsNormalFilesByPattern_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("exact name, other case")
            << "C:\\velto\\dati\\Hsmed.Bin" << QStringList{"HSMED.BIN"};
        QTest::newRow("star ignores case of extension")
            << "C:\\velto\\dati\\*.bmp" << QStringList{"schelet.bmp", "sistemi.BMP"};
        QTest::newRow("question mark is one character")
            << "C:\\velto\\dati\\s?stemi.bmp" << QStringList{"sistemi.BMP"};
        QTest::newRow("star dot star matches names without a dot")
            << "C:\\velto\\dati\\*.*"
            << QStringList{"HSMED.BIN", "schelet.bmp", "senzapunto", "sistemi.BMP"};
        QTest::newRow("folder is not a file") << "C:\\velto\\dati\\cartella.bmp" << QStringList{};
        QTest::newRow("hidden file is absent") << "C:\\velto\\dati\\.nascosto.bmp" << QStringList{};
        QTest::newRow("missing folder") << "C:\\velto\\manca\\*.bmp" << QStringList{};
        QTest::newRow("folder path ending in backslash") << "C:\\velto\\dati\\" << QStringList{};
        QTest::newRow("missing drive") << "Q:\\*.*" << QStringList{};
    }

    void findsNormalFilesByPattern() {
        QFETCH(QString, pattern);
        QFETCH(QStringList, found);
        QStringList nomi;
        for (const QString& f : HostPaths(radice).findFiles(pattern))
            nomi.append(QFileInfo(f).fileName());
        nomi.sort();
        found.sort();
        QCOMPARE(nomi, found);
    }

    void wildcardMatching_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("modello");
        QTest::addColumn<bool>("atteso");
        QTest::newRow("star in the middle") << "BlobCorp.dat"
                                            << "Blob*.dat" << true;
        QTest::newRow("backtracking star") << "aXbXc.txt"
                                           << "a*c.txt" << true;
        QTest::newRow("two stars") << "abcabc"
                                   << "*b*c" << true;
        QTest::newRow("star needs the rest") << "abc.txt"
                                             << "*.bmp" << false;
        QTest::newRow("question needs a character") << "ab"
                                                    << "ab?" << false;
        QTest::newRow("polish letters ignore case") << "ŻÓŁW.TXT"
                                                    << "żółw.txt" << true;
        QTest::newRow("brackets are literal") << "[a].txt"
                                              << "[a].txt" << true;
        QTest::newRow("bracket is not a class") << "a.txt"
                                                << "[a].txt" << false;
    }

    void wildcardMatching() {
        QFETCH(QString, nome);
        QFETCH(QString, modello);
        QFETCH(bool, atteso);
        QCOMPARE(corrispondeAlModello(nome, modello), atteso);
    }
};

QTEST_APPLESS_MAIN(TestHostPaths)
#include "test_hostpaths.moc"
