#include "HostPaths.h"

#include "Riga.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hn;
using hn::prova::riga;

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

    void traducePercorsiWindows_data() {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("host");
        riga("case-insensitive", "C:\\VELTO\\DATI\\hsmed.bin", "/drive_c/Velto/Dati/HSMED.BIN");
        riga("lower-case drive", "c:\\velto\\dati\\HSMED.bin", "/drive_c/Velto/Dati/HSMED.BIN");
        riga("missing tail kept as written", "C:\\velto\\NUOVA\\Copia.rtf",
             "/drive_c/Velto/NUOVA/Copia.rtf");
        riga("forward slashes", "C:/velto/dati/hsmed.bin", "/drive_c/Velto/Dati/HSMED.BIN");
        riga("dot dot stays inside the drive", "C:\\..\\..\\velto\\dati\\..\\dati\\hsmed.bin",
             "/drive_c/Velto/Dati/HSMED.BIN");
        riga("doubled separators", "C:\\\\velto\\\\dati\\hsmed.bin",
             "/drive_c/Velto/Dati/HSMED.BIN");
        riga("rooted path on the program's drive", "\\velto\\dati", "/drive_c/Velto/Dati");
        riga("relative to the program folder", "help.bin", "/drive_c/Velto/HNEMAR/help.bin");
        riga("parent of the program folder", "C:\\VELTO\\HNEMAR\\..\\dati", "/drive_c/Velto/Dati");
        riga("drive root", "D:\\", "/drive_d");
    }

    void traducePercorsiWindows() {
        QFETCH(QString, windows);
        QFETCH(QString, host);
        const HostPaths p(radice);
        const auto risultato = p.toHost(windows);
        QVERIFY(risultato.has_value());
        QCOMPARE(*risultato, radice + host);
    }

    // What the file chooser hands back: each host path must name the same file again.
    void riportaIPercorsiScelti_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("windows");
        riga("under a drive folder", "/drive_c/Velto/Dati/nuovo.rtf", "C:\\Velto\\Dati\\nuovo.rtf");
        riga("drive root", "/drive_d", "D:\\");
        riga("not confused with a look-alike folder", "/drive_cx/a.rtf", "");
        riga("dot dot resolved", "/drive_c/Velto/../Velto/x.rtf", "C:\\Velto\\x.rtf");
    }

    void riportaIPercorsiScelti() {
        QFETCH(QString, host);
        QFETCH(QString, windows);
        const HostPaths p(radice);
        const QString w = p.toWindows(radice + host);
        if (windows.isEmpty())
            QVERIFY2(w.startsWith(QStringLiteral("Z:\\")), qPrintable(w));
        else
            QCOMPARE(w, windows);
        QCOMPARE(p.toHost(w).value_or(QString()), QDir::cleanPath(radice + host));
    }

    // Host paths outside the prefix are named through Z:, the host root.
    void unitaZERadiceDellHost() {
        const HostPaths p(radice);
        QCOMPARE(p.toWindows(QStringLiteral("/home/ala/kopia.rtf")),
                 QStringLiteral("Z:\\home\\ala\\kopia.rtf"));
        QCOMPARE(p.toHost(QStringLiteral("Z:\\tmp")).value_or(QString()), QStringLiteral("/tmp"));
        QCOMPARE(p.toHost(QStringLiteral("z:\\")).value_or(QString()), QStringLiteral("/"));
    }

    void rifiutaCioCheNonNominaUnFile_data() {
        QTest::addColumn<QString>("windows");
        riga("empty", "");
        riga("drive without a folder", "E:\\dati\\a.txt");
        riga("network path", "\\\\server\\share\\f.txt");
        riga("control character", "C:\\velto\\a\x01.txt");
        riga("nul", QStringLiteral("C:\\velto\\a") + QChar(0) + QStringLiteral("b"));
        riga("forbidden character", "C:\\velto\\a<b.txt");
        riga("wildcard outside a search", "C:\\velto\\*.txt");
        riga("colon inside", "C:\\velto\\a:b");
    }

    void rifiutaCioCheNonNominaUnFile() {
        QFETCH(QString, windows);
        QVERIFY(!HostPaths(radice).toHost(windows).has_value());
    }

    void trovaFileNormaliPerModello_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("found");
        riga("exact name, other case", "C:\\velto\\dati\\Hsmed.Bin", QStringList{"HSMED.BIN"});
        riga("star ignores case of extension", "C:\\velto\\dati\\*.bmp",
             QStringList{"schelet.bmp", "sistemi.BMP"});
        riga("question mark is one character", "C:\\velto\\dati\\s?stemi.bmp",
             QStringList{"sistemi.BMP"});
        riga("star dot star matches names without a dot", "C:\\velto\\dati\\*.*",
             QStringList{"HSMED.BIN", "schelet.bmp", "senzapunto", "sistemi.BMP"});
        riga("folder is not a file", "C:\\velto\\dati\\cartella.bmp", QStringList{});
        riga("hidden file is absent", "C:\\velto\\dati\\.nascosto.bmp", QStringList{});
        riga("missing folder", "C:\\velto\\manca\\*.bmp", QStringList{});
        riga("folder path ending in backslash", "C:\\velto\\dati\\", QStringList{});
        riga("missing drive", "Q:\\*.*", QStringList{});
    }

    void trovaFileNormaliPerModello() {
        QFETCH(QString, pattern);
        QFETCH(QStringList, found);
        QStringList nomi;
        for (const QString& f : HostPaths(radice).findFiles(pattern))
            nomi.append(QFileInfo(f).fileName());
        nomi.sort();
        found.sort();
        QCOMPARE(nomi, found);
    }

    void caratteriJolly_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("modello");
        QTest::addColumn<bool>("atteso");
        riga("star in the middle", "BlobCorp.dat", "Blob*.dat", true);
        riga("backtracking star", "aXbXc.txt", "a*c.txt", true);
        riga("two stars", "abcabc", "*b*c", true);
        riga("star needs the rest", "abc.txt", "*.bmp", false);
        riga("question needs a character", "ab", "ab?", false);
        riga("polish letters ignore case", "ŻÓŁW.TXT", "żółw.txt", true);
        riga("brackets are literal", "[a].txt", "[a].txt", true);
        riga("bracket is not a class", "a.txt", "[a].txt", false);
    }

    void caratteriJolly() {
        QFETCH(QString, nome);
        QFETCH(QString, modello);
        QFETCH(bool, atteso);
        QCOMPARE(corrispondeAlModello(nome, modello), atteso);
    }
};

QTEST_APPLESS_MAIN(TestHostPaths)
#include "test_hostpaths.moc"
