#include "CaricaImmagine.h"
#include "FXImage.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "Messaggi.h"
#include "Prefisso.h"
#include "StatoPulito.h"

#include <QFileInfo>
#include <QTest>

using namespace hn;

// The demo installation must start and show its pictures with no set-up: it is what a new user
// runs first.
class TestDemo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void avviaECaricaLaPrimaTavola() {
        prova::StatoPulito stato;
        prova::HostDiProva host;
        const QString copia = host.cartella.path() + QStringLiteral("/demo");
        QString errore;
        QVERIFY2(completaDaDemo(QStringLiteral(HNEMAR_DEMO_DIR), copia, &errore),
                 qPrintable(errore));
        host.usaPrefisso(copia);

        Fileini::AvvioModulo();
        QVERIFY(host.box.mostrati.isEmpty());
        // Pictures are extracted there: the folder must exist.
        QVERIFY(QFileInfo(host.paths->toHost(Fileini::cfg.PathTemp).value_or(QString())).isDir());

        FXImage immagine;
        QCOMPARE(CaricaImmagine(QStringLiteral("SCHEL1.png"), immagine, std::nullopt, nullptr,
                                qint16(0)),
                 std::optional<int>());
        // Plates are drawn at the picture control's size.
        QCOMPARE(QSize(immagine.IWidth(), immagine.IHeight()), QSize(398, 480));
        QVERIFY(host.box.mostrati.isEmpty());
    }

    void ogniMessaggioUsatoHaUnTesto() {
        prova::HostDiProva host;
        host.usaPrefisso(QStringLiteral(HNEMAR_DEMO_DIR));
        for (int n : {20,  23,  63,  64,  65,  66,  67,  68,  69,  70,  71,  72, 73,
                      146, 251, 290, 450, 451, 463, 483, 484, 485, 486, 487, 488}) {
            QString titolo;
            QVERIFY2(!Mod_Comuni::LeggiMessaggio(n, {}, QStringLiteral("x"), &titolo).isEmpty(),
                     qPrintable(QString::number(n)));
        }
    }
};

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
