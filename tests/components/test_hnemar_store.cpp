// The store packer as atlas authors run it.

#include "BlobStore.h"

#include "StoreDiProva.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace hn;

namespace {

struct Esito {
    int codice;
    QString uscita;
    QString errori;
};

Esito esegui(const QStringList& argomenti, const QString& cartella = {}) {
    QProcess p;
    if (!cartella.isEmpty())
        p.setWorkingDirectory(cartella);
    p.start(QStringLiteral(HNEMAR_STORE_TOOL), argomenti);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {-1, {}, QStringLiteral("did not finish")};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

void scrivi(const QString& file, const QByteArray& dati) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(dati);
}

QByteArray leggi(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestHnemarStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void andataERitorno() {
        QTemporaryDir d;
        const QByteArray png = prova::immagineDiProva(32, 24, Qt::cyan);
        const QByteArray bmp = prova::immagineDiProva(32, 24, Qt::yellow, "BMP");
        const QByteArray rtf = "{\\rtf1\\ansi Ko\\'9c\\'e6 udowa}";
        scrivi(d.filePath(QStringLiteral("tavole/SCHEL1.png")), png);
        scrivi(d.filePath(QStringLiteral("tavole/schelet.bmp")), bmp);
        scrivi(d.filePath(QStringLiteral("testi/Testo.RTF")), rtf);
        const QString store = d.filePath(QStringLiteral("BlobCorp.dat"));

        Esito e = esegui({QStringLiteral("create"), store, d.filePath(QStringLiteral("tavole")),
                          d.filePath(QStringLiteral("testi/Testo.RTF"))});
        QVERIFY2(e.codice == 0, qPrintable(e.errori));

        e = esegui({QStringLiteral("list"), store});
        QCOMPARE(e.codice, 0);
        const QStringList righe = e.uscita.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(righe.size(), 3);
        QVERIFY(righe[0].contains(QStringLiteral("stored")) &&
                righe[0].endsWith(QStringLiteral(" SCHEL1.png")));
        QVERIFY(righe[0].contains(QString::number(png.size())));
        QVERIFY(righe[1].contains(QStringLiteral("deflated")) &&
                righe[1].endsWith(QStringLiteral(" schelet.bmp")));
        QVERIFY(righe[2].endsWith(QStringLiteral(" Testo.RTF")));

        // Into a folder under the stored name, and into a named file, asked for in any case.
        QDir().mkpath(d.filePath(QStringLiteral("fuori")));
        QCOMPARE(esegui({QStringLiteral("extract"), store, QStringLiteral("schel1.PNG"),
                         QStringLiteral("fuori")},
                        d.path())
                     .codice,
                 0);
        QCOMPARE(leggi(d.filePath(QStringLiteral("fuori/SCHEL1.png"))), png);
        QCOMPARE(esegui({QStringLiteral("extract"), store, QStringLiteral("SCHELET.BMP"),
                         d.filePath(QStringLiteral("x.bmp"))})
                     .codice,
                 0);
        QCOMPARE(leggi(d.filePath(QStringLiteral("x.bmp"))), bmp);
        QCOMPARE(esegui({QStringLiteral("extract"), store, QStringLiteral("testo.rtf")},
                        d.filePath(QStringLiteral("fuori")))
                     .codice,
                 0);
        QCOMPARE(leggi(d.filePath(QStringLiteral("fuori/Testo.RTF"))), rtf);

        // The reader the program uses sees the same store.
        const auto archivio = blob::Archivio::apri(store);
        QCOMPARE(archivio->leggi(*archivio->trova(u"testo.rtf")), rtf);

        // Options force one method for every entry.
        QCOMPARE(esegui({QStringLiteral("create"), QStringLiteral("--stored"), store,
                         d.filePath(QStringLiteral("tavole"))})
                     .codice,
                 0);
        QVERIFY(!blob::Archivio::apri(store)->trova(u"schelet.bmp")->deflate);
        QCOMPARE(esegui({QStringLiteral("create"), QStringLiteral("--deflated"), store,
                         d.filePath(QStringLiteral("tavole"))})
                     .codice,
                 0);
        QVERIFY(blob::Archivio::apri(store)->trova(u"SCHEL1.png")->deflate);
    }

    void usoErratoEFallimentiHannoCodiciDiversi() {
        QTemporaryDir d;
        scrivi(d.filePath(QStringLiteral("a/uno.png")), "1");
        scrivi(d.filePath(QStringLiteral("b/UNO.PNG")), "2");
        scrivi(d.filePath(QStringLiteral("c/sotto/x.png")), "3");
        const QString store = d.filePath(QStringLiteral("s.dat"));
        QCOMPARE(esegui({QStringLiteral("create"), store, d.filePath(QStringLiteral("a"))}).codice,
                 0);
        const QByteArray prima = leggi(store);

        const Esito aiuto = esegui({QStringLiteral("--help")});
        QCOMPARE(aiuto.codice, 0);
        QVERIFY(aiuto.uscita.contains(QStringLiteral("Usage: hnemar-store")));

        QCOMPARE(esegui({}).codice, 2);
        QCOMPARE(esegui({QStringLiteral("frob")}).codice, 2);
        QCOMPARE(esegui({QStringLiteral("list")}).codice, 2);
        QCOMPARE(
            esegui({QStringLiteral("create"), QStringLiteral("--zip"), store, d.path()}).codice, 2);
        QCOMPARE(esegui({QStringLiteral("extract"), store}).codice, 2);

        const Esito assente =
            esegui({QStringLiteral("extract"), store, QStringLiteral("due.png"), d.path()});
        QCOMPARE(assente.codice, 3);
        QVERIFY(assente.errori.contains(QStringLiteral("due.png")));
        const Esito manca =
            esegui({QStringLiteral("list"), d.filePath(QStringLiteral("manca.dat"))});
        QCOMPARE(manca.codice, 1);
        QVERIFY(manca.errori.contains(QStringLiteral("manca.dat")));
        QCOMPARE(esegui({QStringLiteral("list"), d.filePath(QStringLiteral("a/uno.png"))}).codice,
                 1);

        // Refused inputs leave the old store as it was.
        QCOMPARE(esegui({QStringLiteral("create"), store, d.filePath(QStringLiteral("a")),
                         d.filePath(QStringLiteral("b"))})
                     .codice,
                 1);
        QCOMPARE(esegui({QStringLiteral("create"), store, d.filePath(QStringLiteral("c"))}).codice,
                 1);
        QCOMPARE(
            esegui({QStringLiteral("create"), store, d.filePath(QStringLiteral("manca"))}).codice,
            1);
        QCOMPARE(leggi(store), prima);
    }
};

QTEST_GUILESS_MAIN(TestHnemarStore)
#include "test_hnemar_store.moc"
