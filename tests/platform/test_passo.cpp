#include "Passo.h"

#include "HostDiProva.h"

#include <QTest>

using namespace hn;

class TestPasso : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void retryRunsTheStepAgainUntilItSucceeds() {
        int tentativi = 0;
        QList<int> visti;
        const bool ok = eseguiPasso(
            [&] {
                if (++tentativi < 3)
                    throw ErroreVB(Errore::Stampante);
            },
            [&](const ErroreVB& e) {
                visti.append(e.numero());
                return Azione::Riprova;
            });
        QVERIFY(ok);
        QCOMPARE(tentativi, 3);
        QCOMPARE(visti, (QList<int>{482, 482}));
    }

    void goOnSkipsTheStep() {
        int dopo = 0;
        const bool ok = eseguiPasso([] { throw ErroreVB(Errore::FileNonTrovato); },
                                    [](const ErroreVB&) { return Azione::Prosegui; });
        ++dopo;
        QVERIFY(!ok);
        QCOMPARE(dopo, 1);
    }

    void endStopsTheProgram() {
        prova::HostDiProva host;
        bool continuato = false;
        QVERIFY_THROWS_EXCEPTION(prova::ProgrammaTerminato, {
            eseguiPasso([] { throw ErroreVB(Errore::DiscoPieno); },
                        [](const ErroreVB&) { return Azione::Termina; });
            continuato = true;
        });
        QVERIFY(host.fine.terminato);
        QVERIFY(!continuato);
    }

    void outOfMemoryArrivesAsError7() {
        int numero = 0;
        eseguiPasso([] { throw std::bad_alloc(); },
                    [&](const ErroreVB& e) {
                        numero = e.numero();
                        return Azione::Prosegui;
                    });
        QCOMPARE(numero, 7);
    }

    void errorsCarryTheirStockDescription() {
        QCOMPARE(ErroreVB(53).descrizione(), QStringLiteral("Nie znaleziono pliku"));
        QCOMPARE(ErroreVB(53, QStringLiteral("inny")).descrizione(), QStringLiteral("inny"));
        QVERIFY(QByteArray(ErroreVB(61).what()).contains("(61)"));
    }
};

QTEST_GUILESS_MAIN(TestPasso)
#include "test_passo.moc"
