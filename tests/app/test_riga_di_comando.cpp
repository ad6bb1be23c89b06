// Every executable as a shell user meets it: --help and --version answer on stdout, wrong usage
// and bad input give one line on stderr and a non-zero exit, never an abort.

#include "Riga.h"
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using hn::prova::riga;

namespace {

struct Esito {
    int codice = -1;
    QString uscita, errori;
};

Esito esegui(const QString& programma, const QStringList& argomenti, const QString& cartella) {
    QProcess p;
    p.setWorkingDirectory(cartella);
    // No display at all: a --help that started the GUI would fail here.
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.remove(u"DISPLAY"_s);
    ambiente.remove(u"WAYLAND_DISPLAY"_s);
    ambiente.remove(u"QT_QPA_PLATFORM"_s);
    ambiente.insert(u"HNEMAR_PREFIX"_s, cartella + u"/nessuno"_s);
    ambiente.insert(u"XDG_RUNTIME_DIR"_s, cartella); // else Qt warns on stderr
    p.setProcessEnvironment(ambiente);
    p.start(programma, argomenti);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QStringList programmi = {u"" HNEMAR_APP ""_s,      u"" HNEMAR_STORE_TOOL ""_s,
                               u"" HNEMAR_RTF_TOOL ""_s, u"" HNEMAR_DEMO_TOOL ""_s,
                               u"" HNEMAR_ART_TOOL ""_s, u"" HNEMAR_ATLAS_TOOL ""_s,
                               u"" HNEMAR_HELP_TOOL ""_s};

} // namespace

class TestRigaDiComando : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aiutoVersioneEUsoErrato() {
        QTemporaryDir d;
        for (const QString& programma : programmi) {
            const QString nome = programma.section(u'/', -1);
            const Esito aiuto = esegui(programma, {u"--help"_s}, d.path());
            QVERIFY2(aiuto.codice == 0 && aiuto.errori.isEmpty(), qPrintable(nome));
            QVERIFY2(aiuto.uscita.contains(nome) && aiuto.uscita.count(u'\n') > 1,
                     qPrintable(aiuto.uscita));
            QCOMPARE(esegui(programma, {u"-h"_s}, d.path()).uscita, aiuto.uscita);

            const Esito versione = esegui(programma, {u"--version"_s}, d.path());
            QCOMPARE(versione.codice, 0);
            QVERIFY2(versione.uscita.startsWith(nome + u' ') && versione.uscita.count(u'\n') == 1,
                     qPrintable(versione.uscita));

            // The usage goes to stderr with the reason, nothing to stdout.
            const Esito errato = esegui(programma, {u"--frob"_s, u"a"_s, u"b"_s, u"c"_s}, d.path());
            QVERIFY2(errato.codice == 2 && errato.uscita.isEmpty(), qPrintable(nome));
            QVERIFY2(errato.errori.startsWith(nome + u": "_s) &&
                         errato.errori.contains(aiuto.uscita.section(u'\n', 0, 0)),
                     qPrintable(errato.errori));
        }
    }

    // Started with no display at all: one line saying so and exit code 1, not Qt's abort.
    void senzaDisplayUnaRigaEUscitaUno() {
        QTemporaryDir d;
        const Esito e = esegui(u"" HNEMAR_APP ""_s, {}, d.path());
        QCOMPARE(e.codice, 1);
        QVERIFY2(e.uscita.isEmpty() && e.errori.startsWith(u"hnemar: nie znaleziono ekranu"_s) &&
                     e.errori.count(u'\n') == 1,
                 qPrintable(e.errori));
    }

    void inputErratoUnaRigaEUscitaUno_data() {
        QTest::addColumn<QStringList>("argomenti");
        QTest::addColumn<QString>("errore");
        riga("PDF into a missing folder",
             QStringList{u"--pdf"_s, u"a.rtf"_s, u"/no/such/dir/out.pdf"_s},
             u"hnemar-rtf: /no/such/dir/out.pdf: no such folder: /no/such/dir\n"_s);
        riga("binary file", QStringList{u"--text"_s, u"a.png"_s},
             u"hnemar-rtf: a.png: not an RTF file"_s);
        riga("UTF-8 text", QStringList{u"--dump"_s, u"testo.txt"_s},
             u"hnemar-rtf: testo.txt: not an RTF file"_s);
        riga("missing file", QStringList{u"--pdf"_s, u"manca.rtf"_s, u"x.pdf"_s},
             u"hnemar-rtf: manca.rtf: no such file\n"_s);
        riga("folder", QStringList{u"--text"_s, u"."_s}, u"hnemar-rtf: .: not a regular file\n"_s);
    }
    void inputErratoUnaRigaEUscitaUno() {
        QFETCH(QStringList, argomenti);
        QFETCH(QString, errore);
        QTemporaryDir d;
        for (const auto& [nome, dati] :
             {std::pair(u"a.rtf"_s, QByteArray("{\\rtf1 Ko\\'9c\\'e6}")),
              std::pair(u"a.png"_s, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)),
              std::pair(u"testo.txt"_s, QByteArray("Kość udowa, żebra\n"))}) {
            QFile f(d.filePath(nome));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(dati) == dati.size());
        }
        const Esito e = esegui(u"" HNEMAR_RTF_TOOL ""_s, argomenti, d.path());
        QCOMPARE(e.codice, 1);
        QVERIFY2(e.uscita.isEmpty() && e.errori.startsWith(errore) && e.errori.count(u'\n') == 1,
                 qPrintable(e.errori));
    }

    // Another instance holds the lock: the new one ends at once, without a display of its own and
    // without filling the default prefix.
    void secondoAvvioNonToccaNulla() {
        QTemporaryDir d;
        QLockFile primo(d.filePath(u"hnemar.lock"_s));
        QVERIFY(primo.tryLock(0));
        QProcess p;
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.remove(u"HNEMAR_PREFIX"_s);
        ambiente.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        ambiente.insert(u"XDG_RUNTIME_DIR"_s, d.path());
        ambiente.insert(u"XDG_DATA_HOME"_s, d.filePath(u"dati"_s));
        p.setProcessEnvironment(ambiente);
        QElapsedTimer t;
        t.start();
        p.start(u"" HNEMAR_APP ""_s, {});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(t.elapsed() < 2000);
        QVERIFY(!QFileInfo::exists(d.filePath(u"dati"_s)));
    }
};

QTEST_GUILESS_MAIN(TestRigaDiComando)
#include "test_riga_di_comando.moc"
