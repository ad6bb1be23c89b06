#include "IndiceRicerca.h"

#include "AtlanteDiProva.h"

#include <QTest>

using namespace hn;
using namespace hn::atlante;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

// Skeleton: a caption, a link to the spine and a second caption; the spine plate holds the
// vertebra. A plate named by no link stands apart.
struct Atlante {
    Atlante()
        : atlante(host) {
        atlante.righe = {
            intestazione("SCHEL1", "DSCHEL"),
            hotspot("SCHEL1", "LOKC", 10, 10, 50, 50),
            hotspot("SCHEL1", "LINK", 60, 60, 90, 90, "SKREG"),
            hotspot("SKREG", "KREG", 10, 10, 40, 40),
            hotspot("SCHEL1", "KOSCI", 100, 10, 140, 50),
            hotspot("SCHEL1", "LOKC", 200, 10, 240, 50), // the ulna's label: found once
            intestazione("SKREG", "DSKREG"),
        };
        atlante.testi = {
            {u"DSCHEL.RTF"_s, didascaliaDiProva(u"Układ kostny"_s, u"Około 206 kości."_s)},
            {u"DSKREG.RTF"_s, didascaliaDiProva(u"Kręgosłup"_s, u"Oś ciała."_s)},
            {u"LOKC.RTF"_s,
             didascaliaDiProva(u"Kość łokciowa"_s, u"– leży po stronie palca małego."_s)},
            {u"KOSCI.RTF"_s, didascaliaDiProva(u"Kości palców"_s, u"– paliczki dłoni."_s)},
            {u"KREG.RTF"_s, didascaliaDiProva(u"Kręg szyjny"_s, u"– siedem kręgów szyi."_s)},
        };
        atlante.scrivi();
    }
    std::shared_ptr<const DatiAtlante> dati() const {
        return DatiAtlante::leggi(
            FileAtlante::da(*host.paths, AtlanteDiProva::Dati, AtlanteDiProva::Dati));
    }
    HostDiProva host;
    AtlanteDiProva atlante;
};

} // namespace

class TestIndiceRicerca : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normalizzazione_data() {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("upper case and ogonek") << u"KOŚĆ ŁOKCIOWA"_s << u"kosc lokciowa"_s;
        QTest::newRow("stroke letters") << u"łŁđØ"_s << u"lldo"_s;
        QTest::newRow("punctuation and blanks")
            << u"  Kość–łokciowa, (prawa)! "_s << u"kosc lokciowa prawa"_s;
        QTest::newRow("combining marks") << u"Kos\u0301c\u0301"_s << u"kosc"_s;
        QTest::newRow("nothing left") << u" – › "_s << QString();
    }
    void normalizzazione() {
        QFETCH(QString, testo);
        QFETCH(QString, atteso);
        QCOMPARE(normalizza(testo), atteso);
    }

    // The name and text the search reads straight from a caption's RTF.
    void sommario_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("testo");
        QTest::newRow("bold group, then text")
            << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\b Ko\\'9c\\'e6}\\endash  opis}")
            << u"Kość"_s << u"Kość– opis"_s;
        QTest::newRow("bold switched off, code-page and unicode letters")
            << QByteArray("{\\rtf1\\b \\'a3okie\\u263?\\b0 : staw\\par dalej}") << u"Łokieć"_s
            << u"Łokieć: staw\ndalej"_s;
        QTest::newRow("blank first paragraph, bold only to its end")
            << QByteArray("{\\rtf1\\par \\b Serce\\par Drugi\\b0}") << u"Serce"_s
            << u"\nSerce\nDrugi"_s;
        QTest::newRow("plain opening has no name")
            << QByteArray("{\\rtf1 Opis {\\b Ko\\'9c\\'e6}}") << QString() << u"Opis Kość"_s;
        QTest::newRow("ignorable and hidden destinations")
            << QByteArray("{\\rtf1{\\*\\generator Word;}{\\info{\\title T}}{\\b Mostek}}")
            << u"Mostek"_s << u"Mostek"_s;
        QTest::newRow("not RTF") << QByteArray("Zwyk\xb3y") << QString() << u"Zwykły"_s;
    }
    void sommario() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, nome);
        QFETCH(QString, testo);
        const Sommario s = sommarioDi(rtf);
        QCOMPARE(s.nome, nome);
        QCOMPARE(s.testo, testo);
    }

    void classifica_data() {
        QTest::addColumn<QString>("domanda");
        QTest::addColumn<QStringList>("nomi");
        QTest::addColumn<QList<int>>("ranghi");
        QTest::newRow("whole name, any case and accents")
            << u"KOŚĆ ŁOKCIOWA"_s << QStringList{u"Kość łokciowa"_s} << QList<int>{0};
        QTest::newRow("a word without accents")
            << u"lokciowa"_s << QStringList{u"Kość łokciowa"_s} << QList<int>{2};
        QTest::newRow("the start of a word")
            << u"łokc"_s << QStringList{u"Kość łokciowa"_s} << QList<int>{2};
        // Prefix matches before text matches; among equals the tree's order.
        QTest::newRow("prefix, then the text")
            << u"kosc"_s << QStringList{u"Kość łokciowa"_s, u"Kości palców"_s, u"Układ kostny"_s}
            << QList<int>{1, 1, 3};
        QTest::newRow("text of a caption")
            << u"palca"_s << QStringList{u"Kość łokciowa"_s} << QList<int>{3};
        // The link hotspot is named by the plate it opens and comes first in the tree.
        QTest::newRow("plate title and its link")
            << u"kręgosłup"_s << QStringList{u"Kręgosłup"_s, u"Kręgosłup"_s} << QList<int>{0, 0};
        QTest::newRow("blank query") << u"  "_s << QStringList{} << QList<int>{};
        QTest::newRow("no match") << u"serce"_s << QStringList{} << QList<int>{};
    }
    void classifica() {
        QFETCH(QString, domanda);
        QFETCH(QStringList, nomi);
        QFETCH(QList<int>, ranghi);
        Atlante a;
        const IndiceRicerca indice(*a.dati());
        int totale = -1;
        const QList<Risultato> r = indice.cerca(domanda, 50, &totale);
        QStringList n;
        QList<int> k;
        for (const Risultato& x : r) {
            n.append(x.nome);
            k.append(x.rango);
        }
        QCOMPARE(n, nomi);
        QCOMPARE(k, ranghi);
        QCOMPARE(totale, nomi.size());
    }

    void risultatoConosceLaStradaNellAlbero_data() {
        QTest::addColumn<QString>("domanda");
        QTest::addColumn<QStringList>("percorso");
        QTest::addColumn<int>("hotspot");
        QTest::addColumn<QString>("dove");
        QTest::newRow("structure of a linked plate")
            << u"kręg szyjny"_s << QStringList{"SCHEL1", "SKREG"} << 1
            << u"Układ kostny › Kręgosłup"_s;
        QTest::newRow("structure of the first plate, after the header")
            << u"kości palców"_s << QStringList{"SCHEL1"} << 4 << u"Układ kostny"_s;
        QTest::newRow("a plate itself") << u"oś ciała"_s << QStringList{"SCHEL1", "SKREG"} << 0
                                        << u"Układ kostny › Kręgosłup"_s;
    }
    void risultatoConosceLaStradaNellAlbero() {
        QFETCH(QString, domanda);
        QFETCH(QStringList, percorso);
        QFETCH(int, hotspot);
        QFETCH(QString, dove);
        Atlante a;
        const QList<Risultato> r = IndiceRicerca(*a.dati()).cerca(domanda, 1);
        QCOMPARE(r.size(), 1);
        QCOMPARE(r[0].percorso, percorso);
        QCOMPARE(r[0].hotspot, hotspot);
        QCOMPARE(r[0].dove, dove);
    }

    void atlanteCambiatoVistoEReindicizzato() {
        Atlante a;
        const auto prima = a.dati();
        QVERIFY(prima->aggiornato());
        QVERIFY(IndiceRicerca(*prima).cerca(u"mostek"_s).isEmpty());

        a.atlante.righe.append(hotspot("SCHEL1", "MOSTEK", 150, 10, 160, 50));
        a.atlante.testi.insert(u"MOSTEK.RTF"_s,
                               didascaliaDiProva(u"Mostek"_s, u"– kość płaska."_s));
        a.atlante.scrivi();
        QVERIFY(!prima->aggiornato());
        const QList<Risultato> r = IndiceRicerca(*a.dati()).cerca(u"mostek"_s);
        QCOMPARE(r.size(), 1);
        QCOMPARE(r[0].hotspot, 6);
    }

    // A caption of tens of megabytes costs its name and its start, not its whole text; a budget
    // spent stops the reading and says so.
    void testiLettiEntroIlBudget() {
        Atlante a;
        a.atlante.testi[u"LOKC.RTF"_s] =
            didascaliaDiProva(u"Kość łokciowa"_s, u"– leży"_s).chopped(1) +
            QByteArray(" kosc").repeated(8 * 1024 * 1024) + " zakopane}";
        a.atlante.scrivi();
        const auto dati = a.dati();
        const IndiceRicerca indice(*dati);
        QVERIFY(indice.completo());
        QCOMPARE(indice.cerca(u"kość łokciowa"_s).value(0).hotspot, 2);
        QVERIFY(indice.cerca(u"zakopane"_s).isEmpty());

        Budget poco;
        poco.vociInTutto = 2;
        const IndiceRicerca parziale(*dati, poco);
        QVERIFY(!parziale.completo());
        QVERIFY(parziale.cerca(u"kręg szyjny"_s).isEmpty());
    }

    void risultatoGrandeTagliatoMaContato() {
        Atlante a;
        int totale = 0;
        QCOMPARE(IndiceRicerca(*a.dati()).cerca(u"k"_s, 2, &totale).size(), 2);
        QVERIFY(totale > 2);
    }
};

QTEST_MAIN(TestIndiceRicerca)
#include "test_indice_ricerca.moc"
