#include "Prefisso.h"

#include "ErroreDi.h"
#include "HostDiProva.h"
#include "Riga.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace hn;
using hn::prova::riga;

namespace {

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

// Presses the button with this text on the message box that is about to open.
void premiPiuTardi(const QString& testo, QStringList* visti) {
    QTimer::singleShot(0, [testo, visti] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible())
                continue;
            for (QAbstractButton* b : box->buttons()) {
                visti->append(b->text());
                if (b->text() == testo)
                    b->click();
            }
            return;
        }
        premiPiuTardi(testo, visti);
    });
}

} // namespace

class TestServizi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demoCompletaSoloCioCheManca() {
        QTemporaryDir dir;
        const QString demo = dir.path() + QStringLiteral("/demo");
        const QString prefisso = dir.path() + QStringLiteral("/prefix");
        scrivi(demo + QStringLiteral("/drive_c/WINDOWS/KORMM.INI"), "demo");
        scrivi(demo + QStringLiteral("/drive_d/DATI/a.dat"), "demo");
        QVERIFY(QDir().mkpath(demo + QStringLiteral("/drive_c/VELTO/TEMP")));
        scrivi(prefisso + QStringLiteral("/drive_c/WINDOWS/KORMM.INI"), "mine");
        QString errore;
        QVERIFY(completaDaDemo(demo, prefisso, &errore));
        QCOMPARE(leggi(prefisso + QStringLiteral("/drive_c/WINDOWS/KORMM.INI")),
                 QByteArray("mine"));
        QCOMPARE(leggi(prefisso + QStringLiteral("/drive_d/DATI/a.dat")), QByteArray("demo"));
        QCOMPARE(QFileInfo(prefisso + QStringLiteral("/drive_d/DATI/a.dat")).permissions() &
                     (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
                 QFile::WriteOwner);
        QCOMPARE(QDir(prefisso + QStringLiteral("/drive_d/DATI")).entryList(QDir::Files),
                 QStringList{QStringLiteral("a.dat")});
        QVERIFY(QFileInfo(prefisso + QStringLiteral("/drive_c/VELTO/TEMP")).isDir());
        // A demo file an earlier version shipped, never changed, gives way to this version's;
        // the same file changed by its user stays.
        const QString guida = QStringLiteral("/drive_c/VELTO/HNEMAR/halvo.hlp");
        const QList<VersioneSuperata> superate{
            {guida.mid(1),
             QCryptographicHash::hash("older page", QCryptographicHash::Sha256).toHex()},
            {guida.mid(1),
             QCryptographicHash::hash("old page", QCryptographicHash::Sha256).toHex()}};
        scrivi(demo + guida, "new help");
        scrivi(prefisso + guida, "old page");
        QVERIFY(completaDaDemo(demo, prefisso, &errore, superate));
        QCOMPARE(leggi(prefisso + guida), QByteArray("new help"));
        scrivi(prefisso + guida, "old page, edited");
        QVERIFY(completaDaDemo(demo, prefisso, &errore, superate));
        QCOMPARE(leggi(prefisso + guida), QByteArray("old page, edited"));
        QCOMPARE(QDir(prefisso + QStringLiteral("/drive_c/VELTO/HNEMAR")).entryList(QDir::Files),
                 QStringList{QStringLiteral("halvo.hlp")});
        QVERIFY(!completaDaDemo(dir.path() + QStringLiteral("/missing"), prefisso, &errore));
        QVERIFY(errore.endsWith(QStringLiteral("/missing")));
        // The demo is looked for from the program's folder before Qt's application exists: the
        // folder Qt gives once it does.
        QCOMPARE(cartellaDelProgramma("elsewhere/hnemar"), QCoreApplication::applicationDirPath());

        // Every start refills the default prefix, so a file a user deleted comes back; a prefix
        // named by HNEMAR_PREFIX is the user's own and is never made or filled.
        QVERIFY(QFile::remove(prefisso + QStringLiteral("/drive_d/DATI/a.dat")));
        QVERIFY(preparaPrefisso({prefisso, false}, demo).isEmpty());
        QCOMPARE(leggi(prefisso + QStringLiteral("/drive_d/DATI/a.dat")), QByteArray("demo"));
        QCOMPARE(leggi(prefisso + QStringLiteral("/drive_c/WINDOWS/KORMM.INI")),
                 QByteArray("mine"));
        const QString altro = dir.path() + QStringLiteral("/altro");
        QVERIFY(preparaPrefisso({altro, true}, demo).contains(altro));
        QVERIFY(!QFileInfo::exists(altro));
        QVERIFY(preparaPrefisso({prefisso, true}, demo).isEmpty());
        QVERIFY(
            !preparaPrefisso({altro, false}, dir.path() + QStringLiteral("/missing")).isEmpty());
    }

    // A demo file is copied whole, whatever its size and whether the kernel can copy between
    // the two folders' file systems (a demo in memory, a prefix on the disk) or not.
    void demoCopiataIntera_data() {
        QTest::addColumn<QString>("radiceDemo");
        QTest::newRow("same file system") << QString();
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            QTest::newRow("from another file system") << QStringLiteral("/dev/shm");
    }
    void demoCopiataIntera() {
        QFETCH(QString, radiceDemo);
        QTemporaryDir dir;
        QTemporaryDir altrove(radiceDemo.isEmpty() ? QDir::tempPath() + QStringLiteral("/XXXXXX")
                                                   : radiceDemo + QStringLiteral("/XXXXXX"));
        QVERIFY(altrove.isValid());
        const QString demo =
            (radiceDemo.isEmpty() ? dir.path() : altrove.path()) + QStringLiteral("/demo");
        const QString prefisso = dir.path() + QStringLiteral("/prefix");
        QByteArray grande(3 * 1024 * 1024 + 17, Qt::Uninitialized);
        for (qsizetype i = 0; i < grande.size(); ++i)
            grande[i] = char(i * 2654435761u >> 24);
        scrivi(demo + QStringLiteral("/drive_d/DATI/BlobCorp.dat"), grande);
        scrivi(demo + QStringLiteral("/drive_d/DATI/vuoto.dat"), QByteArray());
        QString errore;
        QVERIFY2(completaDaDemo(demo, prefisso, &errore), qPrintable(errore));
        QCOMPARE(leggi(prefisso + QStringLiteral("/drive_d/DATI/BlobCorp.dat")), grande);
        QVERIFY(QFileInfo(prefisso + QStringLiteral("/drive_d/DATI/vuoto.dat")).isFile());
        QCOMPARE(QFileInfo(prefisso + QStringLiteral("/drive_d/DATI/vuoto.dat")).size(), 0);
    }

    // One instance at a time, and an instance that ended in any way leaves the way open: killed
    // while holding the lock, or leaving a file of an older kind of lock behind.
    void bloccoSopravviveAUnIstanzaCaduta() {
        QTemporaryDir dir;
        const QString lock = dir.path() + QStringLiteral("/hnemar.lock");
        int pronto[2];
        QVERIFY(::pipe(pronto) == 0);
        const pid_t figlio = ::fork();
        if (figlio == 0) {
            FileInstanceLock suo(lock);
            const char c = suo.acquire() ? 'y' : 'n';
            (void)!::write(pronto[1], &c, 1);
            ::pause();
            ::_exit(0);
        }
        ::close(pronto[1]);
        char c = 0;
        QCOMPARE(::read(pronto[0], &c, 1), ssize_t(1));
        ::close(pronto[0]);
        QCOMPARE(c, 'y');
        FileInstanceLock primo(lock);
        QVERIFY(!primo.acquire());
        ::kill(figlio, SIGKILL);
        ::waitpid(figlio, nullptr, 0);
        QVERIFY(primo.acquire());
        QVERIFY(primo.acquire()); // asking again keeps it
        FileInstanceLock secondo(lock);
        QVERIFY(!secondo.acquire());

        const QString vecchio = dir.path() + QStringLiteral("/vecchio.lock");
        scrivi(vecchio, "2147480000\nhnemar\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        FileInstanceLock terzo(vecchio);
        QVERIFY(terzo.acquire());
    }

    // Where no lock can be taken the program still starts; a link in the lock's place is not
    // followed, so nothing appears where it points.
    void bloccoImpossibileNonFermaIlProgramma() {
        QTemporaryDir dir;
        FileInstanceLock senzaCartella(dir.path() + QStringLiteral("/nie ma/hnemar.lock"));
        QVERIFY(senzaCartella.acquire());
        const QString bersaglio = dir.path() + QStringLiteral("/bersaglio");
        const QString link = dir.path() + QStringLiteral("/hnemar.lock");
        QVERIFY(QFile::link(bersaglio, link));
        FileInstanceLock attraversoLink(link);
        QVERIFY(attraversoLink.acquire());
        QVERIFY(!QFileInfo::exists(bersaglio));
    }

    void boxRispondeConIPulsantiPolacchi_data() {
        QTest::addColumn<int>("stile");
        QTest::addColumn<QString>("pulsante");
        QTest::addColumn<int>("risposta");
        QTest::addColumn<QStringList>("pulsanti");
        riga("retry", 21, "Ponów próbę", 4, QStringList{"Ponów próbę", "Anuluj"});
        riga("cancel", 5, "Anuluj", 2, QStringList{"Ponów próbę", "Anuluj"});
        riga("ignore", 2, "Ignoruj", 5, QStringList{"Przerwij", "Ponów próbę", "Ignoruj"});
        riga("no", 4, "Nie", 7, QStringList{"Tak", "Nie"});
        riga("ok", 64, "OK", 1, QStringList{"OK"});
    }

    void boxRispondeConIPulsantiPolacchi() {
        QFETCH(int, stile);
        QFETCH(QString, pulsante);
        QFETCH(int, risposta);
        QFETCH(QStringList, pulsanti);
        QStringList visti;
        premiPiuTardi(pulsante, &visti);
        QtMessageBox box;
        QCOMPARE(box.show(QStringLiteral("Tekst"), stile, {}), risposta);
        QCOMPARE(visti, pulsanti);
    }

    // Esc answers Cancel, or the only button; a Yes/No or Abort/Retry/Ignore box stays open
    // until a button is pressed.
    void escRispondeSoloDoveIlBoxLoPermette_data() {
        QTest::addColumn<int>("stile");
        QTest::addColumn<int>("risposta");
        riga("ok", 16, 1);
        riga("ok, cancel", 1, 2);
        riga("retry, cancel", 21, 2);
        riga("yes, no, cancel", 3, 2);
        riga("yes, no: waits, then Yes", 4, 6);
        riga("abort, retry, ignore: waits, then Retry", 2, 4);
    }
    void escRispondeSoloDoveIlBoxLoPermette() {
        QFETCH(int, stile);
        QFETCH(int, risposta);
        // Esc first; if the box is still open, its second button (Yes has none before it).
        QTimer::singleShot(0, [] {
            auto trova = [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                        return b;
                return static_cast<QMessageBox*>(nullptr);
            };
            if (QMessageBox* b = trova())
                QTest::keyClick(b, Qt::Key_Escape);
            QTimer::singleShot(50, [trova] {
                if (QMessageBox* b = trova()) {
                    const auto pulsanti = b->buttons();
                    pulsanti.value(pulsanti.size() == 2 ? 0 : 1)->click();
                }
            });
        });
        QtMessageBox box;
        QCOMPARE(box.show(QStringLiteral("Tekst"), stile, {}), risposta);
        QCOMPARE(rispostaDiChiusura(stile) != 0, risposta == 1 || risposta == 2);
    }

    // Qt's own dialogs in Polish; the chooser's columns as wide as the names and dates in them.
    void selettoreInPolaccoConColonneCheCiStanno() {
        QVERIFY(caricaTraduzioniQt());
        // Qt keeps the chooser's column widths in the user's settings: start from none.
        QTemporaryDir impostazioni;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(impostazioni.path()));
        prova::HostDiProva h;
        h.scriviFile(QStringLiteral("C:\\KOPIE\\notatki z anatomii - układ kostny, mięśnie "
                                    "szkieletowe i ich przyczepy.rtf"),
                     "{\\rtf1 x}");
        QStringList tagliate;
        QString intestazione;
        std::function<void()> guarda = [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* v = d ? d->findChild<QTreeView*>() : nullptr;
            if (!v || v->model()->rowCount(v->rootIndex()) == 0)
                return QTimer::singleShot(20, guarda);
            QTimer::singleShot(50, d, [&, d, v] { // once the view has laid its columns out
                intestazione = v->model()->headerData(0, Qt::Horizontal).toString();
                for (int c = 0; c < v->model()->columnCount(v->rootIndex()); ++c) {
                    const QString t = v->model()->index(0, c, v->rootIndex()).data().toString();
                    if (v->columnWidth(c) <= v->fontMetrics().horizontalAdvance(t))
                        tagliate << t;
                }
                d->reject();
            });
        };
        QTimer::singleShot(0, guarda);
        QCOMPARE(QtFileChooser().saveAs(QStringLiteral("*.rtf"), QStringLiteral("C:\\KOPIE\\"),
                                        QStringLiteral("kopia")),
                 std::nullopt);
        QCOMPARE(intestazione, QStringLiteral("Nazwa"));
        QCOMPARE(tagliate, QStringList());
    }

    // The screen pops only the cursors it pushed itself.
    void puntatoreLasciaStareGliAltriCursori() {
        QtScreen schermo;
        QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
        for (int puntatore : {1, 11, 99, 5, 0}) {
            schermo.setMousePointer(puntatore);
            const Qt::CursorShape atteso = puntatore == 11   ? Qt::WaitCursor
                                           : puntatore == 99 ? Qt::PointingHandCursor
                                                             : Qt::CrossCursor;
            QVERIFY(QGuiApplication::overrideCursor());
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), atteso);
        }
        QGuiApplication::restoreOverrideCursor();
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // The box double stops a prompt that would otherwise ask for ever: once its scripted
    // answers run out, or after many unscripted choices; a box with one button needs no script.
    void boxConCopioneFermaUnaDomandaSenzaFine() {
        for (const bool conCopione : {true, false}) {
            prova::ScriptedMessageBox box;
            QCOMPARE(box.show(QStringLiteral("Zapisano"), Stile::OK, {}), Risposta::OK);
            if (conCopione)
                box.risposte = {Risposta::Riprova};
            const auto discoMancante = [&] {
                while (box.show(QStringLiteral("Włóż dysk 2"), Stile::RiprovaAnnulla, {}) ==
                       Risposta::Riprova) {
                }
            };
            QVERIFY_THROWS_EXCEPTION(std::logic_error, discoMancante());
            QCOMPARE(box.mostrati.size(), conCopione ? 3 : 102);
        }
    }

    // The end of the program runs Qt's teardown (where the clipboard goes to the desktop's
    // clipboard manager) but no unload: a child process ends itself from an event handler.
    void fineDelProgrammaConLaChiusuraDiQt() {
        QTemporaryDir dir;
        const QString traccia = dir.path() + QStringLiteral("/traccia");
        QProcess figlio;
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("HNEMAR_PROVA_FINE"), traccia);
        figlio.setProcessEnvironment(ambiente);
        figlio.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(figlio.waitForFinished(20000));
        QCOMPARE(figlio.exitStatus(), QProcess::NormalExit);
        QCOMPARE(figlio.exitCode(), 7);
        QCOMPARE(figlio.readAllStandardOutput(), QByteArray("prima della fine\n"));
        QCOMPARE(leggi(traccia), QByteArray("chiusura di Qt\n"));
    }

    // A service nobody installed is still there, and the defaults agree on one neutral world:
    // the forms' screen, no file, no printer, nothing kept, every choice cancelled.
    void serviziMancantiRispondonoNeutri() {
        const struct Ripristina {
            Host prima = host();
            ~Ripristina() { setHost(prima); }
        } ripristina;
        setHost({});
        Host& h = host();
        QCOMPARE(QSize(h.screen->widthPixels(), h.screen->heightPixels()), QSize(1024, 768));
        QCOMPARE(h.screen->twipsPerPixelX(), 15.0);
        QVERIFY(!h.paths->toHost(QStringLiteral("Z:\\tmp")));
        QVERIFY(h.paths->findFiles(QStringLiteral("C:\\*.*")).isEmpty());
        QVERIFY(!h.printer->installata());
        QCOMPARE(prova::erroreDi([&] { h.printer->startDocument({}); }), 482);
        h.clipboard->put({{}, {}, QStringLiteral("kopia"), {}});
        QVERIFY(h.clipboard->contents().text.isEmpty());
        QVERIFY(!h.fileChooser->saveAs(QStringLiteral("*.rtf"), {}, QStringLiteral("kopia")));
        QVERIFY(h.instance->acquire());
        // Unseen, a box answers as if closed: a Retry there would ask for ever.
        QCOMPARE(MsgBox(QStringLiteral("Włóż dysk 2"), Stile::RiprovaAnnulla), Risposta::Annulla);
        QCOMPARE(MsgBox(QStringLiteral("Zastąpić?"), Stile::SiNo), Risposta::Si);
        // Taking a service away puts the default back.
        prova::RecordingClipboard appunti;
        h.clipboard = &appunti;
        h.clipboard = nullptr;
        h.clipboard->put({{}, {}, QStringLiteral("kopia"), {}});
        QVERIFY(appunti.corrente.text.isEmpty());
    }
};

namespace {

// The child of fineDelProgrammaConLaChiusuraDiQt: copies, then ends from a click-like event.
class Finestra : public QWidget {
protected:
    void closeEvent(QCloseEvent*) override { annota("chiusa\n"); }

public:
    static void annota(const QByteArray& riga) {
        QFile f(qEnvironmentVariable("HNEMAR_PROVA_FINE"));
        if (f.open(QIODevice::Append))
            f.write(riga);
    }
};

int fineNelFiglio(int argc, char** argv) {
    QApplication app(argc, argv);
    qAddPostRoutine([] { Finestra::annota("chiusura di Qt\n"); });
    Finestra finestra;
    finestra.show();
    QtClipboard appunti;
    ClipboardContents testo;
    testo.text = QStringLiteral("Kość udowa");
    appunti.put(testo);
    QTimer::singleShot(0, &finestra, [] {
        std::printf("prima della fine\n");
        ExitProgramEnd().endNow(7);
    });
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("HNEMAR_PROVA_FINE"))
        return fineNelFiglio(argc, argv);
    QApplication app(argc, argv);
    TestServizi prova;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&prova, argc, argv);
}
#include "test_servizi.moc"
