// Spaced review: the memory model against values worked out by hand from its formulas, typed
// answers with Polish letters and slips, and the review file surviving damage.

#include "Ripasso.h"

#include <QTest>
#include <cmath>

using namespace hn::atlante::ripasso;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Oggi = 2461000; // a Julian day in 2026

bool vicino(double a, double b, double tolleranza = 1e-9) {
    return std::abs(a - b) <= tolleranza * std::max(1.0, std::abs(b));
}

} // namespace

class TestRipasso : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void curvaDellOblio() {
        // The stability is the day recall falls to 90 %: the planned interval at 90 % is S.
        QVERIFY(vicino(recuperabilita(10, 10), 0.9));
        QVERIFY(vicino(recuperabilita(0, 5), 1.0));
        QVERIFY(vicino(recuperabilita(1, 0.40255), 0.7948771480768196));
        QVERIFY(vicino(intervallo(7.5, 0.9), 7.5));
        QVERIFY(intervallo(7.5, 0.8) > 7.5);
    }

    void primaRisposta_data() {
        QTest::addColumn<int>("voto");
        QTest::addColumn<double>("stabilita");
        QTest::addColumn<double>("difficolta");
        QTest::addColumn<int>("giorni");
        QTest::newRow("sbagliata") << 1 << 0.40255 << 7.1949 << 1; // never the same day
        QTest::newRow("difficile") << 2 << 1.18385 << 6.488305268471453 << 1;
        QTest::newRow("giusta") << 3 << 3.173 << 5.282434422319005 << 3;
        QTest::newRow("facile") << 4 << 15.69105 << 3.2245015893713678 << 16;
    }
    void primaRisposta() {
        QFETCH(int, voto);
        QFETCH(double, stabilita);
        QFETCH(double, difficolta);
        QFETCH(int, giorni);
        const Memoria m = aggiorna({}, Voto(voto), Oggi);
        QVERIFY(vicino(m.stabilita, stabilita));
        QVERIFY(vicino(m.difficolta, difficolta));
        QCOMPARE(m.scadenza, Oggi + giorni);
        QCOMPARE(m.ripetizioni, 1);
        QCOMPARE(m.errori, 0);
    }

    void seguito() {
        // Right, right three days later, wrong ten days after that, then a hard answer the same
        // day: each step as the formulas give it.
        Memoria m = aggiorna({}, Voto::Bene, Oggi);
        m = aggiorna(m, Voto::Bene, Oggi + 3);
        QVERIFY(vicino(m.stabilita, 10.73892584613159));
        QVERIFY(vicino(m.difficolta, 5.272967931287446));
        QCOMPARE(m.scadenza, Oggi + 3 + 11);
        QCOMPARE(m.errori, 0);

        m = aggiorna(m, Voto::Ancora, Oggi + 13);
        QVERIFY(vicino(m.stabilita, 2.146380692406721));
        QVERIFY(vicino(m.difficolta, 6.790567694566929));
        QCOMPARE(m.scadenza, Oggi + 13 + 2);
        QCOMPARE(m.errori, 1);

        m = aggiorna(m, Voto::Difficile, Oggi + 13);
        QVERIFY(vicino(m.stabilita, 1.8026193106555568));
        QVERIFY(vicino(m.difficolta, 7.292552066720332));
        QCOMPARE(m.ripetizioni, 4);

        Memoria f = aggiorna({}, Voto::Facile, Oggi);
        f = aggiorna(f, Voto::Difficile, Oggi + 20);
        QVERIFY(vicino(f.stabilita, 28.393979409258588));
        QVERIFY(vicino(f.difficolta, 4.318881718775723));
        QCOMPARE(f.scadenza, Oggi + 20 + 28);

        // A clock set back is the same day, not negative time.
        const Memoria indietro = aggiorna(aggiorna({}, Voto::Bene, Oggi), Voto::Bene, Oggi - 5);
        QVERIFY(vicino(indietro.stabilita, 3.173 * std::exp(0.51655 * 0.6621)));
        QVERIFY(indietro.scadenza > Oggi - 5);
    }

    void stati() {
        QCOMPARE(statoDi({}, Oggi), Stato::Nuova);
        const Memoria m = aggiorna({}, Voto::Bene, Oggi);
        QCOMPARE(statoDi(m, Oggi), Stato::InApprendimento);
        QCOMPARE(statoDi(m, m.scadenza - 1), Stato::InApprendimento);
        QCOMPARE(statoDi(m, m.scadenza), Stato::DaRipassare);
        Memoria forte = m;
        forte.stabilita = 30;
        forte.scadenza = Oggi + 30;
        QCOMPARE(statoDi(forte, Oggi), Stato::Conosciuta);
    }

    void rispostaScritta_data() {
        QTest::addColumn<QString>("scritto");
        QTest::addColumn<QString>("nome");
        QTest::addColumn<bool>("accettata");
        QTest::addColumn<bool>("esatta");
        QTest::newRow("uguale") << "Kość udowa"
                                << "Kość udowa" << true << true;
        QTest::newRow("senza segni") << "KOSC UDOWA"
                                     << "Kość udowa" << true << true;
        QTest::newRow("spazi e punti") << "  kość,  udowa. "
                                       << "Kość udowa" << true << true;
        QTest::newRow("una lettera in meno") << "kosc udwa"
                                             << "Kość udowa" << true << false;
        QTest::newRow("due lettere scambiate") << "kosc uodwa"
                                               << "Kość udowa" << true << false;
        QTest::newRow("due sbagli nome lungo") << "kosc udwoa x"
                                               << "Kość udowa" << false << false;
        QTest::newRow("due sbagli nome lungo ok") << "kos udwa"
                                                  << "Kość udowa" << true << false;
        QTest::newRow("tre sbagli") << "kos ud"
                                    << "Kość udowa" << false << false;
        QTest::newRow("corto esatto") << "zab"
                                      << "Ząb" << true << true;
        QTest::newRow("corto senza sconti") << "zub"
                                            << "Ząb" << false << false;
        QTest::newRow("cinque lettere due sbagli") << "zabra"
                                                   << "żebro" << false << false;
        QTest::newRow("forma vicina") << "zebra"
                                      << "żebro" << true << false;
        QTest::newRow("cinque una") << "zebr"
                                    << "żebro" << true << false;
        QTest::newRow("vuota") << ""
                               << "Ząb" << false << false;
        QTest::newRow("solo punti") << "..."
                                    << "Ząb" << false << false;
        QTest::newRow("altro nome") << "kość piszczelowa"
                                    << "Kość udowa" << false << false;
    }
    void rispostaScritta() {
        QFETCH(QString, scritto);
        QFETCH(QString, nome);
        QFETCH(bool, accettata);
        QFETCH(bool, esatta);
        bool e = !esatta;
        QCOMPARE(rispostaVicina(scritto, nome, &e), accettata);
        QCOMPARE(e, esatta);
    }

    void unaMemoriaPerStruttura() {
        // Both sides of a pair and the same structure on another plate share a name.
        QCOMPARE(chiaveStruttura(u"Kość udowa"), chiaveStruttura(u"KOŚĆ  UDOWA"));
        QVERIFY(chiaveStruttura(u"Łokieć") != chiaveStruttura(u"Kolano"));
        Diario d;
        d.registra(chiaveStruttura(u"Kość udowa"), Voto::Bene, Oggi);
        d.registra(chiaveStruttura(u"kość udowa"), Voto::Bene, Oggi + 3);
        QCOMPARE(d.size(), 1);
        QCOMPARE(d.memoria(chiaveStruttura(u"Kość udowa")).ripetizioni, 2);
    }

    void daRipassare() {
        Diario d;
        d.imposta(u"a"_s, {3, 5, Oggi - 10, Oggi - 2, 1, 0});
        d.imposta(u"b"_s, {3, 5, Oggi - 10, Oggi - 7, 1, 0});
        d.imposta(u"c"_s, {3, 5, Oggi - 1, Oggi + 2, 1, 0});
        d.imposta(u"d"_s, {3, 5, Oggi - 3, Oggi, 1, 0});
        const QStringList atlante{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"b"_s};
        QCOMPARE(d.daRipassare(atlante, Oggi), (QStringList{u"b"_s, u"a"_s, u"d"_s}));
        QCOMPARE(d.daRipassare(atlante, Oggi - 100), QStringList{});
    }

    void fileDelRipasso() {
        Diario d;
        d.registra(chiaveStruttura(u"Kość udowa"), Voto::Bene, Oggi);
        d.registra(chiaveStruttura(u"Mięsień czworogłowy"), Voto::Ancora, Oggi);
        d.registra(chiaveStruttura(u"Mięsień czworogłowy"), Voto::Bene, Oggi + 1);
        const QByteArray scritto = d.scrivi();
        int perse = -1;
        const Diario letto = Diario::leggi(scritto, &perse);
        QCOMPARE(perse, 0);
        QCOMPARE(letto.size(), 2);
        for (const QString& k :
             {chiaveStruttura(u"Kość udowa"), chiaveStruttura(u"Mięsień czworogłowy")})
            QCOMPARE(letto.memoria(k), d.memoria(k));
        QCOMPARE(letto.scrivi(), scritto);

        // A damaged stretch costs only its own lines.
        QByteArray danneggiato = scritto;
        danneggiato.insert(danneggiato.indexOf('\n') + 1,
                           "kolano\tx\t5\t1\t2\t1\t0\n"        // not a number
                           "kolano\tnan\t5\t1\t2\t1\t0\n"      // not finite
                           "kolano\t3\t11\t1\t2\t1\t0\n"       // difficulty past 10
                           "kolano\t3\t5\t10\t2\t1\t0\n"       // due before it was seen
                           "kolano\t3\t5\t1\t2\t0\t0\n"        // never answered
                           "kolano\t3\t5\t1\t2\t1\t1\n"        // more errors than answers
                           "KOLANO\t3\t5\t1\t2\t1\t0\n"        // not a key we write
                           "kol\x1b[2Jano\t3\t5\t1\t2\t1\t0\n" // control characters
                           "kolano\t3\t5\t1\t99999999999999999999\t1\t0\n" // day out of range
                           "\xff\xfe\t3\t5\t1\t2\t1\t0\n"                  // not UTF-8
                           "kolano\t3\t5\t1\n"                             // cut short
                           "\n"
                           "biodro\t3\t5\t1\t2\t1\t0\r\n");          // saved on Windows
        danneggiato += QByteArray("kosc udowa\t3\t5\t1\t2\t1\t0\n"); // a key twice: first wins
        danneggiato += QByteArray("staw\t3\t5\t1\t");                // the last line cut by a crash
        const Diario salvato = Diario::leggi(danneggiato, &perse);
        QCOMPARE(perse, 13);
        QCOMPARE(salvato.size(), 3);
        QCOMPARE(salvato.memoria(chiaveStruttura(u"Kość udowa")),
                 d.memoria(chiaveStruttura(u"Kość udowa")));
        QVERIFY(salvato.trova(u"biodro"_s));
        QVERIFY(!salvato.trova(u"kolano"_s));

        // Another kind of file, or a later version, is not read as ours.
        for (const QByteArray& altro :
             {QByteArray("[punteggi]\nkolano=3\n"),
              QByteArray("HNemar ripasso 2\nkolano\t3\t5\t1\t2\t1\t0\n"), QByteArray(4096, '\0')}) {
            const Diario vuoto = Diario::leggi(altro, &perse);
            QCOMPARE(vuoto.size(), 0);
            QVERIFY(perse > 0);
        }
        QCOMPARE(Diario::leggi(QByteArray(), &perse).size(), 0);
        QCOMPARE(perse, 0);
    }
};

QTEST_APPLESS_MAIN(TestRipasso)
#include "test_ripasso.moc"
