// The one way in for files: what the readers refuse, what the writers leave behind when they
// fail or are killed, and a scan of the sources for file access that goes around them.

#include "ErroreDi.h"
#include "Fifo.h"
#include "FileSicuro.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/wait.h>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

void scrivi(const QString& file, const QByteArray& dati) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(dati);
}

QStringList nascosti(const QString& cartella) {
    return QDir(cartella).entryList({u".hnemar-*"_s}, QDir::Files | QDir::Hidden);
}

// A process id that no process has now: a child that has ended and been reaped.
pid_t pidFinito() {
    const pid_t figlio = ::fork();
    if (figlio == 0)
        ::_exit(0);
    ::waitpid(figlio, nullptr, 0);
    return figlio;
}

// Direct file access in one line of source: what the scan looks for. Comments and includes do
// not count, nor turning a path into bytes.
bool accessoDiretto(QString riga) {
    static const QRegularExpression commento(u"//.*$"_s);
    static const QRegularExpression include(u"^\\s*#\\s*include"_s);
    static const QRegularExpression nomi(u"\\bQFile::(encodeName|decodeName)\\b"_s);
    static const QRegularExpression accesso(
        u"\\bQFile\\b|\\bQSettings\\b|\\bQSaveFile\\b|\\b(?:i|o)?fstream\\b|\\bfopen\\s*\\(|"
        "\\breadAll\\s*\\("_s);
    if (include.match(riga).hasMatch())
        return false;
    riga.remove(commento);
    riga.remove(nomi);
    return accesso.match(riga).hasMatch();
}

// The files that may touch files directly, by name wherever the tree puts them, and why.
const QHash<QString, QString> permessi = {
    {u"FileSicuro.h"_s, u"the floor's own interface"_s},
    {u"FileSicuro.cpp"_s, u"the floor itself"_s},
    {u"Messaggi.cpp"_s, u"opens the message file through apriInLettura and reads one fixed-width "
                        "record at a time"_s},
    {u"Prefisso.cpp"_s, u"copies the bundled demo, files of our own, into a new prefix"_s},
    {u"Atlante.cpp"_s, u"the demo compiler, reading the project's own sources at build time"_s},
    {u"Rendizioni.cpp"_s, u"reads the larger drawings compiled into the program (\":/\"), and "
                          "rendition files opened through apriInLettura, decoded as they are "
                          "read"_s},
};

} // namespace

class TestFileSicuro : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Nothing that is not a regular file is read, and none of it waits or fills the memory.
    void letturaSoloDiFileRegolari() {
        QTemporaryDir d;
        const QString fifo = d.filePath(u"hsmed.bin"_s);
        QVERIFY(creaFifo(fifo));
        const QString zero = d.filePath(u"zero"_s);
        QVERIFY(QFile::link(u"/dev/zero"_s, zero));
        const QString grande = d.filePath(u"grande"_s);
        scrivi(grande, QByteArray(101, 'x'));
        EntroUnSecondo entro;
        QCOMPARE(erroreDi([&] { leggiFileRegolare(fifo, 100); }), 75);
        QCOMPARE(erroreDi([&] { leggiFileRegolare(zero, 100); }), 75);
        QCOMPARE(erroreDi([&] { leggiFileRegolare(d.path(), 100); }), 75);
        QCOMPARE(erroreDi([&] { leggiFileRegolare(d.filePath(u"nie ma"_s), 100); }), 53);
        QCOMPARE(erroreDi([&] { leggiFileRegolare(grande, 100); }), 7);
        QCOMPARE(leggiFileRegolare(grande, 101).size(), 101);
        QCOMPARE(leggiCoda(grande, 5), QByteArray(5, 'x'));
    }

    // A device that holds more than the cap (or never ends) is read to the cap and one byte.
    void leggiFinoAlLimite() {
        QByteArray grande(1000, 'a');
        QBuffer b(&grande);
        b.open(QIODevice::ReadOnly);
        QCOMPARE(erroreDi([&] { leggiFinoA(b, 999); }), 7);
        b.seek(0);
        QCOMPARE(leggiFinoA(b, 1000).size(), 1000);
        QFile zero(u"/dev/zero"_s);
        QVERIFY(zero.open(QIODevice::ReadOnly));
        QCOMPARE(erroreDi([&] { leggiFinoA(zero, 1 << 20); }), 7);
    }

    // Deleting takes a file or a link away, never a folder nor what a link points to.
    void rimuoviSoloFileELink() {
        QTemporaryDir d;
        const QString file = d.filePath(u"f"_s), link = d.filePath(u"l"_s);
        scrivi(file, "dane");
        QVERIFY(QFile::link(file, link));
        QVERIFY(rimuoviFile(link));
        QVERIFY(QFile::exists(file));
        QVERIFY(rimuoviFile(file));
        QVERIFY(!QFile::exists(file));
        QVERIFY(rimuoviFile(file)); // nothing there is nothing left
        QVERIFY(QDir(d.path()).mkdir(u"folder"_s));
        QVERIFY(!rimuoviFile(d.filePath(u"folder"_s)));
        QVERIFY(QFileInfo(d.filePath(u"folder"_s)).isDir());
    }

    // A file written beside takes its name only when whole; a numbered one never takes the name
    // of a file that appeared meanwhile, and keeps its bytes for the next name.
    void messaAlPostoSenzaSostituireCioCheCE() {
        QTemporaryDir d;
        const QString meta = d.filePath(u"HNemar-001.pdf"_s);
        QString t = fileAccanto(meta);
        QVERIFY(QFileInfo(t).fileName().startsWith(u".hnemar-%1-"_s.arg(::getpid())));
        scrivi(t, "nowy");
        scrivi(meta, "stary");
        QCOMPARE(erroreDi([&] { mettiAlPosto(t, meta, false); }), 58);
        QCOMPARE(leggiFileRegolare(meta, 100), QByteArray("stary"));
        QVERIFY(QFile::exists(t));
        mettiAlPosto(t, meta, true);
        QCOMPARE(leggiFileRegolare(meta, 100), QByteArray("nowy"));
        QVERIFY(nascosti(d.path()).isEmpty());
        // Into a folder that is gone: the temporary file goes too.
        t = fileAccanto(meta);
        QCOMPARE(erroreDi([&] { mettiAlPosto(t, d.filePath(u"brak/x.pdf"_s), true); }), 75);
        QVERIFY(nascosti(d.path()).isEmpty());
    }

    // A replacement refused (a FIFO in the file's place) leaves nothing beside it, whether the
    // file is the user's or a cache's.
    void scritturaRifiutataNonLasciaNulla() {
        QTemporaryDir d;
        const QString fifo = d.filePath(u"sprawdzian.ini"_s);
        QVERIFY(creaFifo(fifo));
        EntroUnSecondo entro;
        QCOMPARE(erroreDi([&] { scriviFileSicuro(fifo, "x"); }), 75);
        QCOMPARE(erroreDi([&] { scriviFileSicuro(fifo, {"x", "y"}, Durata::Cache); }), 75);
        QVERIFY(nascosti(d.path()).isEmpty());
    }

    // A file given in pieces is their bytes in order, empty pieces and all, and replaces the old
    // one keeping its permissions, synced or not.
    void scritturaAPezzi() {
        QTemporaryDir d;
        const QString file = d.filePath(u"indice"_s);
        scrivi(file, "the old file, longer than the new one");
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        const QByteArray grande(300'000, 'g');
        scriviFileSicuro(file, {"testa|", "", grande, "|coda"}, Durata::Cache);
        QCOMPARE(leggiFileRegolare(file, 1 << 20), "testa|" + grande + "|coda");
        QCOMPARE(QFile::permissions(file),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        scriviFileSicuro(file, {"a", "b"}, Durata::SulDisco);
        QCOMPARE(leggiFileRegolare(file, 100), QByteArray("ab"));
        QVERIFY(nascosti(d.path()).isEmpty());
    }

    // What a killed run left goes; a live run's files, other names and older ones stay.
    void avanziDiUnaCorsaUccisa() {
        QTemporaryDir d;
        const QString morto = d.filePath(u".hnemar-%1-AbC123"_s.arg(pidFinito()));
        const QString vivo = fileAccanto(d.filePath(u"x"_s));
        const QString vecchioStile = d.filePath(u".hnemar-Zx9Yw8"_s);
        const QString altro = d.filePath(u".hnemar-notatki"_s);
        for (const QString& f : {morto, vecchioStile, altro})
            scrivi(f, "x");
        QVERIFY(QDir(d.path()).mkdir(u".hnemar-1-folder"_s));
        QCOMPARE(pulisciAvanzi(d.path()), 1);
        QVERIFY(!QFile::exists(morto));
        for (const QString& f : {vivo, vecchioStile, altro})
            QVERIFY2(QFile::exists(f), qPrintable(f));
        QCOMPARE(pulisciAvanzi(d.filePath(u"brak"_s)), 0);
    }

    void scansioneRiconosceLAccesso_data() {
        QTest::addColumn<QString>("riga");
        QTest::addColumn<bool>("accesso");
        QTest::newRow("QFile object") << "    QFile f(percorso);" << true;
        QTest::newRow("QFile static") << "if (QFile::exists(p))" << true;
        QTest::newRow("settings") << "QSettings s(file, QSettings::IniFormat);" << true;
        QTest::newRow("save file") << "QSaveFile f(p);" << true;
        QTest::newRow("ifstream") << "std::ifstream in(nome);" << true;
        QTest::newRow("fopen") << "FILE* f = fopen(nome, \"rb\");" << true;
        QTest::newRow("readAll") << "const QByteArray b = dev->readAll();" << true;
        QTest::newRow("include") << "#include <QFile>" << false;
        QTest::newRow("comment") << "x = 1; // never readAll() here" << false;
        QTest::newRow("name to bytes") << "::stat(QFile::encodeName(p).constData(), &st);" << false;
        QTest::newRow("file info") << "QFileInfo(p).isFile()" << false;
        QTest::newRow("file device") << "f.error() != QFileDevice::NoError" << false;
    }
    void scansioneRiconosceLAccesso() {
        QFETCH(QString, riga);
        QFETCH(bool, accesso);
        QCOMPARE(accessoDiretto(riga), accesso);
    }

    // Every file of the program and its tools reads and writes through the floor, but for the
    // few listed with their reason; a listed file that no longer needs it leaves the list.
    void accessoAiFileSoloDalPavimento() {
        QStringList fuori;
        QSet<QString> usati;
        for (const char* radice : {"src", "tools"}) {
            QDirIterator it(QStringLiteral(HNEMAR_SORGENTI "/") + QLatin1String(radice),
                            {u"*.cpp"_s, u"*.h"_s}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                QFile f(file);
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QStringList righe = QString::fromUtf8(f.readAll()).split(u'\n');
                const QString nome = it.fileName();
                // The demo compiler's entry only, not every main.cpp.
                const bool permesso = permessi.contains(nome) &&
                                      (nome != u"main.cpp" || file.contains(u"/tools/demo/"_s));
                for (qsizetype i = 0; i < righe.size(); ++i) {
                    if (!accessoDiretto(righe[i]))
                        continue;
                    if (permesso)
                        usati.insert(nome);
                    else
                        fuori.append(u"%1:%2: %3"_s.arg(file.mid(sizeof(HNEMAR_SORGENTI)))
                                         .arg(i + 1)
                                         .arg(righe[i].trimmed()));
                }
            }
        }
        QVERIFY2(fuori.isEmpty(), qPrintable(u"\n"_s + fuori.join(u'\n')));
        for (auto it = permessi.constBegin(); it != permessi.constEnd(); ++it)
            QVERIFY2(usati.contains(it.key()), qPrintable(it.key() + u" is listed but needs no "
                                                                     "direct access"_s));
    }
};

QTEST_GUILESS_MAIN(TestFileSicuro)
#include "test_file_sicuro.moc"
