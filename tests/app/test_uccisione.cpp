// A session killed (SIGKILL) in the middle of a print to PDF, a copy to the copy file and a save
// of the scores leaves only whole files or the old ones, and the next start takes away what the
// killed run left half written.

#include "FileSicuro.h"
#include "Punteggi.h"
#include "ServiziReali.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace hn;
using namespace Qt::StringLiterals;

static QTemporaryDir configurazione;
static void configurazioneTemporanea() {
    qputenv("XDG_CONFIG_HOME", configurazione.path().toUtf8());
}
Q_CONSTRUCTOR_FUNCTION(configurazioneTemporanea)

namespace {

constexpr int Uccisioni = 6;

QStringList avanzi(const QString& cartella) {
    return QDir(cartella).entryList({u".hnemar-*"_s}, QDir::Files | QDir::Hidden);
}

// Starts the writer, lets it finish one file and go on for a random while, then kills it.
void uccidiAMeta(const QString& modo, const QString& cartella) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(HNEMAR_SONDA_SCRITTURE), {modo, cartella});
    QVERIFY(p.waitForStarted());
    QVERIFY2(p.waitForReadyRead(60000), "the writer never finished its first file");
    QThread::msleep(QRandomGenerator::global()->bounded(5, 120));
    p.kill();
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);
}

} // namespace

class TestUccisione : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stampaInPdf() {
        QTemporaryDir d;
        for (int i = 0; i < Uccisioni; ++i) {
            uccidiAMeta(u"stampa"_s, d.path());
            const QStringList pdf = QDir(d.path()).entryList({u"HNemar-*.pdf"_s}, QDir::Files);
            QVERIFY(!pdf.isEmpty());
            for (const QString& f : pdf)
                QVERIFY2(leggiCoda(d.filePath(f), 64).contains("%%EOF"), qPrintable(f));
        }
        // The next start's printer takes the half-written files away.
        QtPrinter dopo(DestinazioneStampa{DestinazioneStampa::PdfInCartella, d.path(), {}});
        QCOMPARE(avanzi(d.path()), QStringList());
    }

    void copiaNelFile() {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkdir(u"drive_c"_s));
        const QString notatki = d.filePath(u"drive_c/notatki.rtf"_s);
        for (int i = 0; i < Uccisioni; ++i) {
            uccidiAMeta(u"copia"_s, d.path());
            // The round's number, then as many blocks as rounds: a whole file adds up.
            const QByteArray b = leggiFileRegolare(notatki, qint64(1) << 30);
            QVERIFY(b.startsWith("{\\rtf1 ") && b.endsWith("}"));
            const qsizetype spazio = b.indexOf(' ', 7);
            const int giri = b.mid(7, spazio - 7).toInt();
            QVERIFY(giri > 0);
            QCOMPARE(b.size(), spazio + 1 + qsizetype(giri) * (64 * 1024 + 1) + 1);
        }
        pulisciAvanzi(d.filePath(u"drive_c"_s));
        QCOMPARE(avanzi(d.filePath(u"drive_c"_s)), QStringList());
    }

    void salvataggioDeiPunteggi() {
        for (int i = 0; i < Uccisioni; ++i) {
            uccidiAMeta(u"punteggi"_s, {});
            const punteggi::Contenuto c =
                punteggi::leggi(leggiFileRegolare(punteggi::percorsoFile(), 1 << 20));
            QVERIFY(!c.danneggiato);
            QVERIFY(!c.punteggi.isEmpty());
        }
        // The next save clears what the killed ones left.
        QVERIFY(punteggi::registra(punteggi::chiaveTavola(u"NOWA"_s), {1, 1}));
        QCOMPARE(avanzi(QFileInfo(punteggi::percorsoFile()).path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestUccisione)
#include "test_uccisione.moc"
