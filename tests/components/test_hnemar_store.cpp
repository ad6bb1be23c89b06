// The store packer as atlas authors run it.

#include "BlobStore.h"

#include "StoreDiProva.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace hn;
using namespace Qt::StringLiterals;

class TestHnemarStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void andataERitornoECodiciDiUscita() {
        QTemporaryDir d;
        auto esegui = [&](const QStringList& argomenti) {
            QProcess p;
            p.setWorkingDirectory(d.path());
            p.start(QStringLiteral(HNEMAR_STORE_TOOL), argomenti);
            p.waitForFinished(60000);
            return std::pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() +
                                                             p.readAllStandardError()));
        };
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

        // Names differing only in case, a subfolder, a missing input: refused, old store kept.
        const QByteArray prima = file(u"s.dat"_s);
        file(u"b/schel1.PNG"_s, "2");
        file(u"c/sotto/x.png"_s, "3");
        for (const QString& ingresso : {u"b"_s, u"c"_s, u"manca"_s})
            QCOMPARE(esegui({u"create"_s, u"s.dat"_s, u"tavole"_s, ingresso}).first, 1);
        QCOMPARE(file(u"s.dat"_s), prima);
    }
};

QTEST_GUILESS_MAIN(TestHnemarStore)
#include "test_hnemar_store.moc"
