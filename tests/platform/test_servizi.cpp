#include "Prefisso.h"

#include "Riga.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
    void demoFillsOnlyWhatIsMissing() {
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
        QVERIFY(QFileInfo(prefisso + QStringLiteral("/drive_c/VELTO/TEMP")).isDir());
        QVERIFY(!completaDaDemo(dir.path() + QStringLiteral("/missing"), prefisso, &errore));
        QVERIFY(errore.endsWith(QStringLiteral("/missing")));
    }

    void instanceLockOutlivesACrashedInstance() {
        QTemporaryDir dir;
        const QString lock = dir.path() + QStringLiteral("/hnemar.lock");
        // A lock left by a process that no longer runs.
        scrivi(lock, "2147480000\nhnemar\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        FileInstanceLock primo(lock);
        QVERIFY(primo.acquire());
        QVERIFY(primo.acquire()); // asking again keeps it
        FileInstanceLock secondo(lock);
        QVERIFY(!secondo.acquire());
    }

    void messageBoxAnswersWithThePolishButtons_data() {
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

    void messageBoxAnswersWithThePolishButtons() {
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
};

QTEST_MAIN(TestServizi)
#include "test_servizi.moc"
