// The store packer as atlas authors run it.

#include "BlobStore.h"
#include "Riga.h"

#include "StoreDiProva.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <sys/stat.h>

using namespace hn;
using hn::prova::riga;
using namespace Qt::StringLiterals;

namespace {

// Exit code and everything printed; a run that does not end in time counts as a failure.
std::pair<int, QString> esegui(const QString& cartella, const QStringList& argomenti) {
    QProcess p;
    p.setWorkingDirectory(cartella);
    p.start(QStringLiteral(HNEMAR_STORE_TOOL), argomenti);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {-1, u"timed out"_s};
    }
    return std::pair(p.exitCode(),
                     QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
}

} // namespace

class TestHnemarStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void andataERitornoECodiciDiUscita() {
        QTemporaryDir d;
        auto esegui = [&](const QStringList& argomenti) { return ::esegui(d.path(), argomenti); };
        auto file = [&](const QString& nome, const QByteArray& dati = {}) {
            QDir().mkpath(QFileInfo(d.filePath(nome)).path());
            QFile f(d.filePath(nome));
            f.open(dati.isNull() ? QIODevice::ReadOnly : QIODevice::WriteOnly);
            return dati.isNull() ? f.readAll() : QByteArray::number(f.write(dati));
        };
        const QByteArray png = prova::immagineDiProva(32, 24, Qt::cyan),
                         rtf = "{\\rtf1 Ko\\'9c\\'e6 udowa}";
        file(u"tavole/SCHEL1.png"_s, png);
        file(u"tavole/schelet.bmp"_s, QByteArray(5000, 'b'));
        file(u"Testo.RTF"_s, rtf);
        QCOMPARE(esegui({u"create"_s, u"s.dat"_s, u"tavole"_s, u"Testo.RTF"_s}).first, 0);

        const auto [codice, elenco] = esegui({u"list"_s, u"s.dat"_s});
        const QStringList righe = elenco.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(codice == 0 && righe.size() == 3);
        QCOMPARE(righe[0].simplified(), u"%1 %1 stored SCHEL1.png"_s.arg(png.size()));
        QVERIFY(righe[1].contains(u" deflated schelet.bmp"_s));
        // Packed again into the folder it packs, the store leaves itself out.
        for (int volta = 0; volta < 2; ++volta)
            QCOMPARE(esegui({u"create"_s, u"tavole/t.dat"_s, u"tavole"_s}).first, 0);
        QCOMPARE(blob::Archivio::apri(d.filePath(u"tavole/t.dat"_s))->voci().size(), 2);

        // Into the current folder under the stored name, or into a named file; any case.
        QCOMPARE(esegui({u"extract"_s, u"s.dat"_s, u"schel1.PNG"_s}).first, 0);
        QCOMPARE(esegui({u"extract"_s, u"s.dat"_s, u"testo.rtf"_s, u"x.rtf"_s}).first, 0);
        QCOMPARE(file(u"SCHEL1.png"_s), png);
        QCOMPARE(file(u"x.rtf"_s), rtf);
        QVERIFY(esegui({u"--help"_s}) == std::pair(0, esegui({u"-h"_s}).second));
        QVERIFY(esegui({u"--help"_s}).second.startsWith(u"Usage: hnemar-store"_s));

        for (const QStringList& errato : {QStringList{},
                                          {u"frob"_s},
                                          {u"list"_s},
                                          {u"create"_s, u"--zip"_s, u"s.dat"_s, u"tavole"_s}})
            QCOMPARE(esegui(errato).first, 2);
        const auto assente = esegui({u"extract"_s, u"s.dat"_s, u"due.png"_s});
        QVERIFY(assente.first == 3 && assente.second.contains(u"due.png"_s));
        QCOMPARE(esegui({u"list"_s, u"manca.dat"_s}).first, 1);

        // Names differing only in case, a missing input: refused, old store kept.
        const QByteArray prima = file(u"s.dat"_s);
        file(u"b/schel1.PNG"_s, "2");
        for (const QString& ingresso : {u"b"_s, u"manca"_s})
            QCOMPARE(esegui({u"create"_s, u"s.dat"_s, u"tavole"_s, ingresso}).first, 1);
        QCOMPARE(file(u"s.dat"_s), prima);
    }

    // Inputs that yield nothing to pack, or a name that cannot be packed, leave the old store
    // byte for byte and say why; subfolders are skipped by name, as the help says.
    void nienteDaImpacchettareLasciaLoStoreVecchio_data() {
        QTest::addColumn<QByteArray>("nomeFile"); // made inside the input folder; empty: none
        QTest::addColumn<int>("uscita");
        QTest::addColumn<QString>("messaggio");
        riga("empty folder", QByteArray(), 1, u"no files to pack"_s);
        riga("name not UTF-8", QByteArray("tav\xf3la.png"), 1, u"UTF-8"_s);
        riga("only a subfolder", QByteArray("sotto/x.png"), 1, u"sotto"_s);
    }
    void nienteDaImpacchettareLasciaLoStoreVecchio() {
        QFETCH(QByteArray, nomeFile);
        QFETCH(int, uscita);
        QFETCH(QString, messaggio);
        QTemporaryDir d;
        const QString store = d.filePath(u"s.dat"_s);
        blob::scriviStore(store, {{u"a.png"_s, "1", {}}});
        QFile vecchio(store);
        QVERIFY(vecchio.open(QIODevice::ReadOnly));
        const QByteArray prima = vecchio.readAll();
        QDir(d.path()).mkdir(u"in"_s);
        if (!nomeFile.isEmpty()) {
            const QByteArray pieno = QFile::encodeName(d.filePath(u"in/"_s)) + nomeFile;
            QDir().mkpath(QFileInfo(QFile::decodeName(pieno)).path());
            QFile f;
            QVERIFY(f.open(std::fopen(pieno.constData(), "w"), QIODevice::WriteOnly,
                           QFileDevice::AutoCloseHandle));
        }
        const auto [codice, testo] = esegui(d.path(), {u"create"_s, u"s.dat"_s, u"in"_s});
        QCOMPARE(codice, uscita);
        QVERIFY2(testo.contains(messaggio), qPrintable(testo));
        QVERIFY(QFileInfo(store).isFile());
        QVERIFY(vecchio.seek(0));
        QCOMPARE(vecchio.readAll(), prima);
    }

    void subcartelleSaltateEdEntrateNascosteDette() {
        QTemporaryDir d;
        QDir(d.path()).mkpath(u"in/sotto"_s);
        QFile f(d.filePath(u"in/uno.rtf"_s));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("{\\rtf1 x}") > 0);
        f.close();
        const auto [codice, testo] = esegui(d.path(), {u"create"_s, u"s.dat"_s, u"in"_s});
        QVERIFY2(codice == 0 && testo.contains(u"in/sotto: folder not packed"_s),
                 qPrintable(testo));
        QCOMPARE(blob::Archivio::apri(d.filePath(u"s.dat"_s))->voci().size(), 1);

        // An entry the program could never ask for is named, not silently missing.
        prova::scriviZipGrezzo(d.filePath(u"g.dat"_s), {{"ok.png", "1"}, {"../su.png", "2"}},
                               false);
        const auto elenco = esegui(d.path(), {u"list"_s, u"g.dat"_s});
        QVERIFY(elenco.first == 0 && elenco.second.contains(u"ok.png"_s));
        QVERIFY2(elenco.second.contains(u"\"../su.png\" not listed"_s), qPrintable(elenco.second));
    }

    // Errors name the file they concern; nothing waits forever on a FIFO.
    void erroriNominanoIlFileGiusto_data() {
        QTest::addColumn<QStringList>("argomenti");
        QTest::addColumn<QString>("messaggio");
        riga("output folder missing",
             QStringList{u"extract"_s, u"s.dat"_s, u"a.png"_s, u"manca/dentro/"_s},
             u"manca/dentro: no such folder"_s);
        riga("store is a FIFO", QStringList{u"list"_s, u"fifo"_s}, u"fifo: not a regular file"_s);
        riga("extract from a FIFO", QStringList{u"extract"_s, u"fifo"_s, u"a.png"_s},
             u"fifo: not a regular file"_s);
        riga("create over a FIFO", QStringList{u"create"_s, u"fifo"_s, u"s.dat"_s},
             u"fifo: not a regular file"_s);
        riga("not a store", QStringList{u"list"_s, u"testo"_s}, u"testo: not a valid store"_s);
    }
    void erroriNominanoIlFileGiusto() {
        QFETCH(QStringList, argomenti);
        QFETCH(QString, messaggio);
        QTemporaryDir d;
        blob::scriviStore(d.filePath(u"s.dat"_s), {{u"a.png"_s, "1", {}}});
        QCOMPARE(::mkfifo(QFile::encodeName(d.filePath(u"fifo"_s)).constData(), 0600), 0);
        QFile t(d.filePath(u"testo"_s));
        QVERIFY(t.open(QIODevice::WriteOnly) && t.write("not a zip file") > 0);
        t.close();
        const auto [codice, testo] = esegui(d.path(), argomenti);
        QCOMPARE(codice, 1);
        QVERIFY2(testo == u"hnemar-store: "_s + messaggio + u'\n' ||
                     testo.startsWith(u"hnemar-store: "_s + messaggio),
                 qPrintable(testo));
        QCOMPARE(testo.count(u'\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestHnemarStore)
#include "test_hnemar_store.moc"
