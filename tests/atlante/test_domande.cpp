#include "Domande.h"

#include "IndiceRicerca.h"

#include <QSet>
#include <QTest>

using namespace hn::atlante;
using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<const DatiAtlante> demo() {
    static const auto dati = [] {
        const QString d = QStringLiteral(HNEMAR_DEMO_DIR "/drive_d/DATI/");
        FileAtlante f;
        f.tabella = d + u"hsmed.bin"_s;
        f.testi = d + u"hsmed.dat"_s;
        return DatiAtlante::leggi(f);
    }();
    return dati;
}

// A question gives its answer away when one of its words starts like a word of the name, past
// the first five letters (or the whole of a shorter name word).
QString fuga(const Domanda& d) {
    const QStringList nome = normalizza(d.nome).split(u' ', Qt::SkipEmptyParts);
    for (const QString& parola : normalizza(d.testo).split(u' ', Qt::SkipEmptyParts))
        for (const QString& n : nome) {
            if (n.size() < 3)
                continue;
            const qsizetype quanto = std::min<qsizetype>(n.size(), 5);
            if (parola.left(quanto) == n.left(quanto) && parola.size() <= n.size() + 5)
                return parola;
        }
    return {};
}

} // namespace

class TestDomande : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nascondeOgniFormaDelNome_data() {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("adjective inflected")
            << u"Kość ramienna – głowa kości tworzy staw ramienny."_s << u"Kość ramienna"_s
            << u"______ – głowa ______ tworzy staw ______."_s;
        QTest::newRow("vowel change")
            << u"Mięsień – mięśnie i mięśnia."_s << u"Mięsień"_s << u"______ – ______ i ______."_s;
        QTest::newRow("short word") << u"Łuk kręgu – łuku, łukowatego, ługiem."_s << u"Łuk kręgu"_s
                                    << u"______ – ______, łukowatego, ługiem."_s;
        QTest::newRow("unrelated word kept")
            << u"Kość udowa – kostny wał, kościec."_s << u"Kość udowa"_s
            << u"______ – kostny wał, ______."_s;
        QTest::newRow("preposition kept")
            << u"Staw z kością – z boku."_s << u"Staw z kością"_s << u"______ z ______ – z boku."_s;
    }
    void nascondeOgniFormaDelNome() {
        QFETCH(QString, testo);
        QFETCH(QString, nome);
        QFETCH(QString, atteso);
        QCOMPARE(nascondiNome(testo, nome), atteso);
    }

    // Every caption of the bundled atlas: no question gives its answer away, and one in five or
    // so had the name in another form to hide.
    void nessunaDomandaDellaDemoSvelaLaRisposta() {
        const auto dati = demo();
        QVERIFY(!dati->tabella.isEmpty());
        int altreForme = 0;
        QSet<QString> chiesti;
        for (const NodoTavola& n : dati->albero.nodi())
            for (const Domanda& d : domandeTavola(*dati, n.chiave)) {
                chiesti.insert(d.codice);
                QVERIFY2(fuga(d).isEmpty(), qPrintable(d.nome + u" → "_s + d.testo));
                QVERIFY(d.testo.startsWith(QString::fromUtf16(Lacuna)));
                if (d.testo.count(QString::fromUtf16(Lacuna)) > 1)
                    ++altreForme;
                QVERIFY(!d.hotspot.isEmpty());
            }
        QVERIFY2(chiesti.size() > 150, qPrintable(QString::number(chiesti.size())));
        QVERIFY2(altreForme >= 30, qPrintable(QString::number(altreForme)));
    }

    void unGiroNonSiRipeteESiFermaPrima() {
        const auto dati = demo();
        std::mt19937 caso(7);
        for (const NodoTavola& n : dati->albero.nodi()) {
            QList<Domanda> tutte = domandeTavola(*dati, n.chiave);
            // The same structure offered twice (another plate's copy) is still asked once.
            if (!tutte.isEmpty())
                tutte.append(tutte.first());
            const QList<Domanda> giro = scegliDomande(tutte, 10, caso);
            QSet<QString> visti;
            for (const Domanda& d : giro)
                visti.insert(d.codice.toUpper());
            QCOMPARE(visti.size(), giro.size());
            QCOMPARE(giro.size(),
                     std::min<qsizetype>(10, tutte.size() - (tutte.isEmpty() ? 0 : 1)));
        }
    }

    void risposteScritte_data() {
        QTest::addColumn<QString>("scritto");
        QTest::addColumn<bool>("giusto");
        QTest::newRow("as written") << u"Kość łokciowa"_s << true;
        QTest::newRow("no Polish letters, any case") << u"  KOSC lokciowa "_s << true;
        QTest::newRow("part of the name") << u"łokciowa"_s << false;
        QTest::newRow("another bone") << u"Kość ramienna"_s << false;
        QTest::newRow("empty") << u" – "_s << false;
    }
    void risposteScritte() {
        QFETCH(QString, scritto);
        QFETCH(bool, giusto);
        Domanda d;
        d.nome = u"Kość łokciowa"_s;
        QCOMPARE(rispostaGiusta(scritto, d), giusto);
    }
    // Names typed for "Co to jest?": Polish letters and case never matter, a slip or the other
    // member of a pair is near, a different structure is not.
    void nomiScrittiVicini_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("scritto");
        QTest::addColumn<int>("atteso");
        const int E = int(Corrispondenza::Esatta), V = int(Corrispondenza::Vicina),
                  N = int(Corrispondenza::Nessuna);
        QTest::newRow("Polish letters left out") << u"Kość łokciowa"_s << u"KOSC LOKCIOWA"_s << E;
        QTest::newRow("ż and ź apart") << u"Żuchwa"_s << u"zuchwa"_s << E;
        QTest::newRow("letter missing") << u"Kość udowa"_s << u"kosc udwa"_s << V;
        QTest::newRow("letters swapped") << u"Obojczyk"_s << u"obojcyzk"_s << V;
        QTest::newRow("short name forgives nothing") << u"Ząb"_s << u"zub"_s << N;
        QTest::newRow("other side of a pair") << u"Nerka prawa"_s << u"nerka lewa"_s << V;
        QTest::newRow("pair without its side") << u"Płuco lewe"_s << u"płuco"_s << V;
        QTest::newRow("one of two named") << u"Jama nosowa i gardło"_s << u"gardło"_s << V;
        QTest::newRow("singular of a plural")
            << u"Kości ciemieniowe"_s << u"kość ciemieniowa"_s << V;
        QTest::newRow("another bone of the plate") << u"Kość udowa"_s << u"kość ramienna"_s << N;
        QTest::newRow("a similar stem is not enough")
            << u"Kość skroniowa"_s << u"kość skokowa"_s << N;
        QTest::newRow("another organ, same side") << u"Nerka prawa"_s << u"płuco prawe"_s << N;
        QTest::newRow("a side alone") << u"Nerka prawa"_s << u"prawa"_s << N;
        QTest::newRow("nothing typed") << u"Obojczyk"_s << u" – "_s << N;
    }
    void nomiScrittiVicini() {
        QFETCH(QString, nome);
        QFETCH(QString, scritto);
        QFETCH(int, atteso);
        QCOMPARE(int(confronta(scritto, nome)), atteso);
    }

    // Four names for every structure of the bundled atlas: the answer once, others of other
    // structures, and the plate's own first.
    void quattroNomiDaScegliere() {
        const auto dati = demo();
        std::mt19937 caso(11);
        QList<Domanda> tutte;
        for (const NodoTavola& n : dati->albero.nodi()) {
            LetturaLimitata lettura(dati->testi);
            tutte += struttureTavola(*dati, n.chiave, lettura);
        }
        QVERIFY(tutte.size() > 150);
        for (const Domanda& d : std::as_const(tutte)) {
            const QStringList nomi = alternative(tutte, d, caso);
            QCOMPARE(nomi.size(), 4);
            QSet<QString> diversi;
            for (const QString& n : nomi)
                diversi.insert(normalizza(n));
            QCOMPARE(diversi.size(), 4);
            QVERIFY(diversi.contains(normalizza(d.nome)));
            int dallaTavola = 0, sullaTavola = 0;
            QSet<QString> qui;
            for (const Domanda& altra : std::as_const(tutte))
                if (altra.tavola == d.tavola)
                    qui.insert(normalizza(altra.nome));
            for (const QString& n : diversi)
                dallaTavola += qui.contains(n);
            sullaTavola = int(qui.size());
            QCOMPARE(dallaTavola, std::min(sullaTavola, 4));
        }
    }

    // The review round: what is due, most overdue first, each structure once at its first plate;
    // what is not due yet, and what the atlas no longer has, left out.
    void ripassoInOrdineDiScadenza() {
        const auto dati = demo();
        using ripasso::Memoria;
        const qint64 oggi = 2461000;
        ripasso::Diario diario;
        const auto dovuta = [&](const QString& nome, qint64 scadenza) {
            Memoria m;
            m.stabilita = 2;
            m.difficolta = 5;
            m.ultimo = scadenza - 2;
            m.scadenza = scadenza;
            m.ripetizioni = 1;
            diario.imposta(ripasso::chiaveStruttura(nome), m);
        };
        dovuta(u"Obojczyk"_s, oggi - 1);
        dovuta(u"Krążek międzykręgowy"_s, oggi - 30); // on two plates
        dovuta(u"Kość udowa"_s, oggi);
        dovuta(u"Żebra"_s, oggi + 1);               // tomorrow
        dovuta(u"Struktura usunięta"_s, oggi - 50); // gone from the atlas
        LetturaLimitata lettura(dati->testi);
        const QList<Domanda> giro = daRipassare(*dati, diario, oggi, lettura);
        QStringList nomi, tavole;
        for (const Domanda& d : giro) {
            nomi.append(d.nome);
            tavole.append(d.tavola);
        }
        QCOMPARE(nomi, (QStringList{u"Krążek międzykręgowy"_s, u"Obojczyk"_s, u"Kość udowa"_s}));
        QCOMPARE(tavole, (QStringList{u"SKREG"_s, u"SCHEL1"_s, u"SCHEL1"_s}));
    }
};

QTEST_GUILESS_MAIN(TestDomande)
#include "test_domande.moc"
