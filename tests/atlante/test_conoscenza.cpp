// What the student knows, from the review diary: a structure's state by name, the counts of a body
// system's structures, and the reading order a worksheet numbers its labels in.

#include "Conoscenza.h"

#include "AtlanteDiProva.h"
#include "IndiceSalvato.h"

#include <QFile>

#include <QTest>

using namespace hn;
using namespace hn::atlante;
using namespace hn::prova;
using namespace Qt::StringLiterals;
using ripasso::Diario;
using ripasso::Memoria;
using ripasso::Stato;

namespace {

constexpr qint64 Oggi = 2'461'000;

Memoria memoria(double stabilita, qint64 scadenza) {
    Memoria m;
    m.stabilita = stabilita;
    m.difficolta = 5;
    m.ultimo = Oggi - 1;
    m.scadenza = scadenza;
    m.ripetizioni = 2;
    return m;
}

// One memory in each state.
Diario diario() {
    Diario d;
    d.imposta(ripasso::chiaveStruttura(u"Kość łokciowa"), memoria(30, Oggi + 20)); // known
    d.imposta(ripasso::chiaveStruttura(u"Obojczyk"), memoria(2, Oggi + 2));        // learning
    d.imposta(ripasso::chiaveStruttura(u"Kręg szyjny"), memoria(8, Oggi));         // due today
    return d;
}

// Skeleton: the ulna drawn in three records (both arms and the label), the collarbone, a link to
// the spine; the spine's plate shows the ulna again under another code and the cervical vertebra.
// The muscles' plate shows the collarbone too. A caption without a bold name names nothing.
struct Atlante {
    Atlante()
        : atlante(host) {
        atlante.righe = {
            intestazione("SCHEL1", "DSCHEL"),
            hotspot("SCHEL1", "LOKC", 10, 10, 50, 50),
            hotspot("SCHEL1", "LOKC", 300, 10, 340, 50),
            hotspot("SCHEL1", "OBOJ", 100, 10, 140, 50),
            hotspot("SCHEL1", "LINK", 60, 60, 90, 90, "SKREG"),
            hotspot("SCHEL1", "LOKC", 200, 10, 240, 50),
            intestazione("SKREG", "DSKREG"),
            hotspot("SKREG", "LOKC2", 10, 10, 40, 40),
            hotspot("SKREG", "KREG", 50, 10, 90, 40),
            hotspot("SKREG", "BEZNAZWY", 100, 10, 140, 40),
            intestazione("MUSCAVA", "DMUSC"),
            hotspot("MUSCAVA", "OBOJM", 10, 10, 40, 40),
        };
        const QString opis = u"– opis."_s;
        atlante.testi = {
            {u"DSCHEL.RTF"_s, didascaliaDiProva(u"Układ kostny"_s, {})},
            {u"DSKREG.RTF"_s, didascaliaDiProva(u"Kręgosłup"_s, {})},
            {u"DMUSC.RTF"_s, didascaliaDiProva(u"Mięśnie"_s, {})},
            {u"LOKC.RTF"_s, didascaliaDiProva(u"Kość łokciowa"_s, opis)},
            {u"LOKC2.RTF"_s, didascaliaDiProva(u"KOŚĆ ŁOKCIOWA"_s, opis)},
            {u"OBOJ.RTF"_s, didascaliaDiProva(u"Obojczyk"_s, opis)},
            {u"OBOJM.RTF"_s, didascaliaDiProva(u"Obojczyk"_s, opis)},
            {u"KREG.RTF"_s, didascaliaDiProva(u"Kręg szyjny"_s, opis)},
            {u"LINK.RTF"_s, didascaliaDiProva(u"Kręgosłup"_s, opis)},
            {u"BEZNAZWY.RTF"_s, rtfDiProva(u"Tekst bez pogrubionej nazwy."_s)},
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

class TestConoscenza : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statoDalNome_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<int>("stato");
        QTest::newRow("known") << u"Kość łokciowa"_s << int(Stato::Conosciuta);
        QTest::newRow("same name, other case and letters")
            << u"KOSC LOKCIOWA"_s << int(Stato::Conosciuta);
        QTest::newRow("learning") << u"Obojczyk"_s << int(Stato::InApprendimento);
        QTest::newRow("due today") << u"Kręg szyjny"_s << int(Stato::DaRipassare);
        QTest::newRow("never asked") << u"Mostek"_s << int(Stato::Nuova);
        QTest::newRow("no name") << u" – "_s << int(Stato::Nuova);
    }
    void statoDalNome() {
        QFETCH(QString, nome);
        QFETCH(int, stato);
        QCOMPARE(int(statoStruttura(diario(), nome, Oggi)), stato);
    }

    void riepilogoContaOgniStrutturaUnaVolta() {
        const QStringList chiavi = {
            ripasso::chiaveStruttura(u"Kość łokciowa"), ripasso::chiaveStruttura(u"Obojczyk"),
            ripasso::chiaveStruttura(u"Kręg szyjny"),   ripasso::chiaveStruttura(u"Mostek"),
            ripasso::chiaveStruttura(u"Kość łokciowa"), QString()};
        const Riepilogo r = riepiloga(chiavi, diario(), Oggi);
        QCOMPARE(r.conosciute, 1);
        QCOMPARE(r.inApprendimento, 1);
        QCOMPARE(r.daRipassare, 1);
        QCOMPARE(r.nuove, 1);
        // A day later the learnt one is due as well.
        const Riepilogo dopo = riepiloga(chiavi, diario(), Oggi + 2);
        QCOMPARE(dopo.daRipassare, 2);
        QCOMPARE(dopo.inApprendimento, 0);
    }

    void struttureDeiSistemiDallAtlante() {
        Atlante a;
        const QList<QStringList> s = struttureDeiSistemi(*a.dati());
        QCOMPARE(s.size(), codiciSistemi().size());
        // The ulna of both arms and of the spine's plate is one structure; the link and the
        // nameless caption are none.
        QStringList scheletro = s[0];
        scheletro.sort();
        QCOMPARE(scheletro, (QStringList{u"kosc lokciowa"_s, u"kreg szyjny"_s, u"obojczyk"_s}));
        // The collarbone belongs to the muscles too.
        QCOMPARE(s[1], QStringList{u"obojczyk"_s});
        for (int i = 2; i < s.size(); ++i)
            QVERIFY2(s[i].isEmpty(), qPrintable(codiciSistemi()[i]));
        const Riepilogo r = riepiloga(s[0], diario(), Oggi);
        QCOMPARE(r, (Riepilogo{1, 1, 1, 0}));
    }

    void struttureDiUnAtlanteVuotoONonLetto() {
        const DatiAtlante vuoto;
        const QList<QStringList> s = struttureDeiSistemi(vuoto);
        QCOMPARE(s.size(), codiciSistemi().size());
        for (const QStringList& l : s)
            QVERIFY(l.isEmpty());
        // A budget spent at once reads no caption: nothing is counted, nothing invented.
        Atlante a;
        Budget niente;
        niente.vociInTutto = 0;
        for (const QStringList& l : struttureDeiSistemi(*a.dati(), niente))
            QVERIFY(l.isEmpty());
    }

    // Saved after a whole read, the lists come back equal for the same files; a changed table,
    // a damaged saved file or a cut read give nothing, so the captions are read again.
    void struttureSalvateSoloPerGliStessiFile() {
        Atlante a;
        const auto dati = a.dati();
        const Impronta impronta = improntaDi(dati->file.elenco());
        QVERIFY(!struttureSalvate(dati->file, impronta));
        bool esaurito = true;
        const QList<QStringList> lette = struttureDeiSistemi(*dati, {}, &esaurito);
        QVERIFY(!esaurito);
        salvaStrutture(dati->file, impronta, lette);
        indice::attendiSalvataggi();
        QCOMPARE(struttureSalvate(dati->file, impronta), lette);
        // Polish letters and empty systems survive the round trip.
        const QList<QStringList> altre = {{u"żebro"_s, u""_s, u"kość"_s}, {}, {u"x"_s}};
        QList<QStringList> tutte(codiciSistemi().size());
        std::copy(altre.cbegin(), altre.cend(), tutte.begin());
        salvaStrutture(dati->file, impronta, tutte);
        indice::attendiSalvataggi();
        QCOMPARE(struttureSalvate(dati->file, impronta), tutte);

        // Another print (the table rewritten) is not the saved one.
        a.atlante.righe.removeLast();
        a.atlante.scriviTabella();
        const Impronta nuova = improntaDi(dati->file.elenco());
        QVERIFY(nuova != impronta);
        QVERIFY(!struttureSalvate(dati->file, nuova));

        // A flipped byte anywhere in the saved file: refused, never a wrong list.
        salvaStrutture(dati->file, nuova, lette);
        indice::attendiSalvataggi();
        const QString salvato = indice::percorsoIndice(dati->file.tabella, u"strutture");
        QFile f(salvato);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray buono = f.readAll();
        f.close();
        for (qsizetype i = 0; i < buono.size(); i += 7) {
            QByteArray guasto = buono;
            guasto[i] = char(guasto[i] ^ 0x20);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(guasto);
            f.close();
            QVERIFY2(!struttureSalvate(dati->file, nuova), qPrintable(QString::number(i)));
        }
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(buono.first(buono.size() - 3));
        f.close();
        QVERIFY(!struttureSalvate(dati->file, nuova));

        // A read the budget cut short says so.
        Budget niente;
        niente.vociInTutto = 0;
        struttureDeiSistemi(*a.dati(), niente, &esaurito);
        QVERIFY(esaurito);
    }

    void ordineDiLettura_data() {
        QTest::addColumn<QList<QRectF>>("aree");
        QTest::addColumn<QList<int>>("atteso");
        QTest::newRow("empty") << QList<QRectF>{} << QList<int>{};
        QTest::newRow("column down the left, then one on the right")
            << QList<QRectF>{{10, 200, 60, 14}, {10, 40, 60, 14}, {300, 120, 60, 14}}
            << QList<int>{1, 2, 0};
        // Labels on one row are a few pixels apart in height: left one first.
        QTest::newRow("a row not quite level")
            << QList<QRectF>{{300, 52, 60, 14}, {10, 50, 60, 14}, {150, 55, 60, 14}}
            << QList<int>{1, 2, 0};
        QTest::newRow("next row starts below the first label")
            << QList<QRectF>{{300, 40, 60, 14}, {10, 60, 60, 14}, {10, 40, 60, 14}}
            << QList<int>{2, 0, 1};
    }
    void ordineDiLettura() {
        QFETCH(QList<QRectF>, aree);
        QFETCH(QList<int>, atteso);
        QCOMPARE(atlante::ordineDiLettura(aree), atteso);
    }
};

QTEST_GUILESS_MAIN(TestConoscenza)
#include "test_conoscenza.moc"
