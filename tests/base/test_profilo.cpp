#include "Profilo.h"

#include "ErroreVB.h"
#include "HostDiProva.h"
#include "Riga.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>

using namespace hn;
using hn::prova::riga;

namespace {

const QByteArray ini = QByteArrayLiteral("; comment line\r\n"
                                         "[GENERAL]\r\n"
                                         "ExeVelto = C:\\Prog\\Tomvo98.exe  \r\n"
                                         "Quoted=\"  spaced value  \"\r\n"
                                         "Single='x'\r\n"
                                         "Empty=\r\n"
                                         "no equals sign here\r\n"
                                         "[ Directory2 ]\n"
                                         "foto=D:\\DATI\\\n"
                                         "Polish=Kr\xB9\xBF\xE9nie\n"
                                         "[general]\r\n"
                                         "ExeVelto=second section of the same name is not read\r\n"
                                         "Late=only in the second\r\n");

} // namespace

class TestProfilo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leggeComeGetPrivateProfileString_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        riga("trimmed value", "GENERAL", "ExeVelto", "C:\\Prog\\Tomvo98.exe");
        riga("section and key ignore case", "general", "EXEVELTO", "C:\\Prog\\Tomvo98.exe");
        riga("blanks inside brackets", "DIRECTORY2", "Foto", "D:\\DATI\\");
        riga("quotes removed, inside kept", "GENERAL", "Quoted", "  spaced value  ");
        riga("single quotes removed", "GENERAL", "Single", "x");
        riga("empty value", "GENERAL", "Empty", "");
        riga("missing key gives the default", "GENERAL", "Missing", "dflt");
        riga("missing section gives the default", "Opzioni", "Volume", "dflt");
        riga("windows-1250 text", "Directory2", "Polish", "Krążénie");
        riga("first section of a name only", "GENERAL", "Late", "dflt");
    }

    void leggeComeGetPrivateProfileString() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QString out;
        const int n = leggiProfiloPrivato(ini, section, key, QStringLiteral("dflt"), out, 255);
        QCOMPARE(out, value);
        QCOMPARE(n, value.size());
    }

    void valoriLunghiTagliatiAlBuffer() {
        const QString lungo = QString(300, u'x');
        const QByteArray file = "[S]\nK=" + lungo.toLatin1() + "\n";
        QString out;
        QCOMPARE(leggiProfiloPrivato(file, QStringLiteral("S"), QStringLiteral("K"), {}, out, 255),
                 254);
        QCOMPARE(out, QString(254, u'x'));
        QCOMPARE(leggiProfiloPrivato(file, QStringLiteral("S"), QStringLiteral("K"), {}, out, 1),
                 0);
        QCOMPARE(
            leggiProfiloPrivato(file, QStringLiteral("S"), QStringLiteral("X"), lungo, out, 255),
            254);
    }

    void utf8ConBomVieneLetto() {
        QString out;
        leggiProfiloPrivato(QByteArrayLiteral("\xEF\xBB\xBF[S]\nK=\xC5\xBC\xC3\xB3\xC5\x82w\n"),
                            QStringLiteral("s"), QStringLiteral("k"), {}, out, 255);
        QCOMPARE(out, QStringLiteral("żółw"));
    }

    void fileIlleggibiliLettiVuoti() {
        prova::HostDiProva host;
        host.scriviFile(QStringLiteral("C:\\WINDOWS\\a.ini"), "[S]\r\nK=v\r\n");
        QDir().mkpath(host.percorsoHost(QStringLiteral("C:\\WINDOWS\\cartella.ini\\x")));
        QString out;
        QCOMPARE(GetPrivateProfileString(QStringLiteral("s"), QStringLiteral("k"), {}, out, 255,
                                         QStringLiteral("c:\\windows\\A.INI")),
                 1);
        QCOMPARE(out, QStringLiteral("v"));
        for (const char* file :
             {"C:\\WINDOWS\\manca.ini", "C:\\WINDOWS\\cartella.ini", "Q:\\a.ini", ""}) {
            QCOMPARE(GetPrivateProfileString(QStringLiteral("S"), QStringLiteral("K"),
                                             QStringLiteral("d"), out, 255,
                                             QString::fromLatin1(file)),
                     1);
            QCOMPARE(out, QStringLiteral("d"));
        }
    }

    // Kept between reads, yet never older than the file: a rewrite at once, to the same size,
    // is read; a file that went away or is no regular file is an error, never an old copy.
    void fileTenutoFinCheNonCambia() {
        prova::HostDiProva host;
        const QString ini = QStringLiteral("C:\\WINDOWS\\b.ini");
        const QString file = host.percorsoHost(ini);
        QString out;
        for (const char* valore : {"1", "2", "3"}) {
            host.scriviFile(ini, QByteArray("[S]\r\nK=") + valore + "\r\n");
            QCOMPARE(GetPrivateProfileString(QStringLiteral("S"), QStringLiteral("K"), {}, out, 255,
                                             ini),
                     1);
            QCOMPARE(out, QString::fromLatin1(valore));
        }
        QCOMPARE(leggiFileIni(file), QByteArray("[S]\r\nK=3\r\n"));
        QFile::remove(file);
        QVERIFY_THROWS_EXCEPTION(ErroreVB, leggiFileIni(file));
        QCOMPARE(::mkfifo(QFile::encodeName(file), 0600), 0);
        QVERIFY_THROWS_EXCEPTION(ErroreVB, leggiFileIni(file));
        QCOMPARE(GetPrivateProfileString(QStringLiteral("S"), QStringLiteral("K"),
                                         QStringLiteral("d"), out, 255, ini),
                 1);
        QCOMPARE(out, QStringLiteral("d"));
    }
};

QTEST_GUILESS_MAIN(TestProfilo)
#include "test_profilo.moc"
