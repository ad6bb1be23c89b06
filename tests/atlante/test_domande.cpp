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
};

QTEST_GUILESS_MAIN(TestDomande)
#include "test_domande.moc"
