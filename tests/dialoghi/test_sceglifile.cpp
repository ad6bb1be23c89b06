#include "DialogoComune.h"
#include "HostDiProva.h"
#include "Mod_CopiaeStampa.h"
#include "Riga.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace hn;
using namespace hn::prova;

class TestSceglifile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void partiDelPercorso_data() {
        QTest::addColumn<QString>("s");
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("cartella");
        riga("folder and name", "C:\\dati\\copia", "copia", "C:\\dati\\");
        riga("no backslash at all", "copia", "", "");
        riga("ends in a backslash", "C:\\dati\\", "", "");
        riga("empty", "", "", "");
        riga("blanks around the name are trimmed", "C:\\dati\\ copia", "copia", "C:\\dati\\ ");
        riga("drive root", "D:\\kopia", "kopia", "D:\\");
    }
    void partiDelPercorso() {
        QFETCH(QString, s);
        QFETCH(QString, nome);
        QFETCH(QString, cartella);
        QCOMPARE(Mod_CopiaeStampa::EstraiNomeFileDaPathNameCompleto(s), nome);
        QCOMPARE(Mod_CopiaeStampa::EstraiPathDaNomeFileCompleto(s), cartella);
    }

    void sceltaOAnnullo_data() {
        QTest::addColumn<QString>("prima");
        QTest::addColumn<QString>("risposta"); // empty: Cancel
        QTest::addColumn<QString>("cartellaAperta");
        QTest::addColumn<QString>("nomeOfferto");
        QTest::addColumn<QString>("dopo");
        riga("a new name, extension cut", "C:\\dati\\copia", "C:\\dati\\nuovo.rtf", "C:\\dati\\",
             "copia", "C:\\dati\\nuovo");
        riga("cancel keeps the name", "C:\\dati\\copia", "", "C:\\dati\\", "copia",
             "C:\\dati\\copia");
        riga("a bare name opens nowhere in particular", "copia", "C:\\x\\k.rtf", "", "",
             "C:\\x\\k");
        riga("a name without extension is kept", "C:\\a\\b", "D:\\notatki", "C:\\a\\", "b",
             "D:\\notatki");
        riga("a dotted folder is not cut", "C:\\a\\b", "C:\\moje.dok\\nowy.rtf", "C:\\a\\", "b",
             "C:\\moje.dok\\nowy");
        riga("only the last extension goes", "C:\\a\\b", "C:\\a\\x.tar.rtf", "C:\\a\\", "b",
             "C:\\a\\x.tar");
    }
    void sceltaOAnnullo() {
        QFETCH(QString, prima);
        QFETCH(QString, risposta);
        QFETCH(QString, cartellaAperta);
        QFETCH(QString, nomeOfferto);
        QFETCH(QString, dopo);
        HostDiProva h;
        h.sceltaFile.risposte = {risposta.isEmpty() ? std::nullopt : std::optional(risposta)};
        DialogoComune copia;
        QString nome = prima;
        Mod_CopiaeStampa::ScegliFile(copia, nome, QStringLiteral("*.bmp"));
        QCOMPARE(nome, dopo);
        QCOMPARE(h.sceltaFile.chieste.size(), 1);
        QCOMPARE(h.sceltaFile.chieste[0].filtro, QStringLiteral("*.bmp"));
        QCOMPARE(h.sceltaFile.chieste[0].cartella, cartellaAperta);
        QCOMPARE(h.sceltaFile.chieste[0].nome, nomeOfferto);
        QVERIFY(h.box.mostrati.isEmpty());
    }

    void senzaSceltaFileNessunCambio() {
        HostDiProva h;
        host().fileChooser = nullptr;
        DialogoComune copia;
        QString nome = QStringLiteral("C:\\dati\\copia");
        Mod_CopiaeStampa::ScegliFile(copia, nome, QStringLiteral("*.rtf"));
        QCOMPARE(nome, QStringLiteral("C:\\dati\\copia"));
    }

    // The real chooser opens in the prefix folder and hands back a drive-letter path.
    void ilSelettoreVeroTornaInFormaWindows() {
        HostDiProva h;
        QtFileChooser vero;
        h.scriviFile(QStringLiteral("C:\\DATI\\stara.rtf"), "{\\rtf1 x}");
        QString cartellaVista;
        QTimer::singleShot(0, this, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            cartellaVista = d->directory().absolutePath();
            auto* campo = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(campo);
            campo->setText(QStringLiteral("nowa.rtf"));
            QMetaObject::invokeMethod(d, "accept");
        });
        const auto scelto = vero.saveAs(QStringLiteral("*.rtf"), QStringLiteral("C:\\dati\\"),
                                        QStringLiteral("stara"));
        QCOMPARE(cartellaVista, QDir::cleanPath(h.percorsoHost(QStringLiteral("C:\\DATI"))));
        QVERIFY(scelto.has_value());
        QCOMPARE(*scelto, QStringLiteral("C:\\DATI\\nowa.rtf"));

        QTimer::singleShot(0, this, [] { QApplication::activeModalWidget()->close(); });
        QVERIFY(!vero.saveAs(QStringLiteral("*.rtf"), {}, QStringLiteral("x")).has_value());
    }
};

QTEST_MAIN(TestSceglifile)
#include "test_sceglifile.moc"
