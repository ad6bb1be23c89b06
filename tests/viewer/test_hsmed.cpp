#include "HsMed.h"

#include "AtlanteDiProva.h"
#include "BlobStore.h"
#include "Fifo.h"
#include "Fseek.h"
#include "RichTextBox.h"
#include "Riga.h"
#include "StatoPulito.h"
#include "StoreDiProva.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

QString chiavi(const QList<RecordHotSpot>& r) {
    QStringList c;
    for (const RecordHotSpot& x : r)
        c << x.Codice;
    return c.join(u',');
}

} // namespace

class TestHsMed : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void geometria_data() {
        QTest::addColumn<QList<float>>("rettangolo");
        QTest::addColumn<float>("tpp");
        QTest::addColumn<QRect>("twips");
        riga("15 tpp", QList<float>{10, 20, 110, 60}, 15.f, QRect(150, 300, 1530, 630));
        riga("12 tpp", QList<float>{10, 20, 110, 60}, 12.f, QRect(120, 240, 1224, 504));
        // Reversed or negative corners are laid out as the numbers say, never refused.
        riga("reversed", QList<float>{50, 50, 10, 10}, 15.f, QRect(750, 750, -570, -570));
        riga("outside", QList<float>{990, -5, 999, 999}, 15.f, QRect(14850, -75, 165, 15090));
    }
    void geometria() {
        QFETCH(QList<float>, rettangolo);
        QFETCH(float, tpp);
        QFETCH(QRect, twips);
        RecordHotSpot r;
        r.X1 = rettangolo[0], r.Y1 = rettangolo[1], r.X2 = rettangolo[2], r.Y2 = rettangolo[3];
        const QRect g = geometriaHotSpot(r, tpp, tpp);
        QCOMPARE((QList<int>{g.x(), g.y(), g.width(), g.height()}),
                 (QList<int>{twips.x(), twips.y(), twips.width(), twips.height()}));
    }

    // A plate's n-th record is its hotspot n: its header counts, other plates' records (their
    // headers included) do not, and only upper-case stored keys match.
    void numerazioneDeiRecord_data() {
        QTest::addColumn<QString>("tavola");
        QTest::addColumn<QString>("codici");
        riga("own records only", u"SCHEL1"_s, u"000000,A1,A2,A3"_s);
        riga("key given in lower case", u"schel1"_s, u"000000,A1,A2,A3"_s);
        riga("other plate", u"MUSCAVA"_s, u"M0,000000,M1"_s);
        riga("stored in lower case", u"digER1"_s, QString());
        riga("longer than the field", u"SCHEL1XYZ"_s, QString());
        riga("outside the code page", u"SCHEL\u4e001"_s, QString());
        riga("empty key matches blank keys", QString(), u"B"_s);
    }
    void numerazioneDeiRecord() {
        QFETCH(QString, tavola);
        QFETCH(QString, codici);
        const auto t = TabellaHotSpot::daByte(tabellaHsmed({
            hotspot("MUSCAVA", "M0", 1, 1, 2, 2),
            intestazione("SCHEL1", "DSCHEL", 1, 2, 3, 4),
            intestazione("MUSCAVA", "DMUSC"),
            hotspot("SCHEL1", "A1", 10, 20, 30, 40),
            hotspot("muscava", "x", 0, 0, 0, 0),
            hotspot("MUSCAVA", "M1", 5, 5, 6, 6, "SCHEL1"),
            hotspot("  SCHEL1", "A2", 1, 1, 2, 2),
            hotspot("digER1", "D1", 1, 1, 2, 2),
            hotspot("", "B", 1, 1, 2, 2),
            hotspot("SCHEL1", "A3", 7, 7, 8, 8),
        }));
        QCOMPARE(t->numeroRecord(), 10);
        const QList<RecordHotSpot> r = t->recordDellaTavola(tavola);
        QCOMPARE(chiavi(r), codici);
        for (qint16 n = 0; n <= r.size() + 1; ++n) {
            RecordHotSpot trovato;
            const bool c = CercaRecordHotSpot(t.get(), tavola, n, trovato);
            QCOMPARE(c, n >= 1 && n <= r.size());
            if (c)
                QCOMPARE(trovato.Codice, r[n - 1].Codice);
        }
        RecordHotSpot nessuno;
        QVERIFY(!CercaRecordHotSpot(nullptr, tavola, 1, nessuno));
    }

    void tabellaTroncataOVuota() {
        const QByteArray dati =
            tabellaHsmed({intestazione("P", "D"), hotspot("P", "H", 1, 2, 3, 4)});
        const auto troncata =
            TabellaHotSpot::daByte(dati + recordHsmed(hotspot("P", "Z", 9, 9, 9, 9)).left(30));
        QCOMPARE(troncata->numeroRecord(), 3);
        QCOMPARE(chiavi(troncata->recordDellaTavola(u"P"_s)), u"000000,H,Z"_s);
        QCOMPARE(troncata->cerca(u"P"_s, 3)->X2, 0.f); // cut inside X2
        const auto corta = TabellaHotSpot::daByte("P  ");
        QCOMPARE(chiavi(corta->recordDellaTavola(u"P"_s)), u""_s); // code blank, still a record
        QCOMPARE(corta->recordDellaTavola(u"P"_s).size(), 1);
        QCOMPARE(TabellaHotSpot::daByte({})->numeroRecord(), 0);
        QBuffer b;
        b.setData(dati);
        QVERIFY(b.open(QIODevice::ReadOnly));
        QCOMPARE(TabellaHotSpot::leggi(b)->numeroRecord(), 2);
        QBuffer chiuso;
        QVERIFY_THROWS_EXCEPTION(ErroreVB, TabellaHotSpot::leggi(chiuso));
    }

    // The count is 16-bit: a plate with more records keeps the first 32767.
    void unaTavolaTieneAlPiu32767Record() {
        QList<RigaHsmed> righe(40000, hotspot("GRANDE", "X", 1, 1, 2, 2));
        righe.append(hotspot("PICCOLA", "Y", 1, 1, 2, 2));
        const auto t = TabellaHotSpot::daByte(tabellaHsmed(righe));
        QCOMPARE(t->recordDellaTavola(u"GRANDE"_s).size(), MassimoHotSpot);
        QVERIFY(t->cerca(u"GRANDE"_s, 32767));
        QCOMPARE(t->cerca(u"PICCOLA"_s, 1)->Codice, u"Y"_s);
    }

    // Thousands of plates, their records interleaved as authors' tools append them: each plate
    // keeps its own records in file order, whatever the others hold; keys in the table's code
    // page (Polish letters) and keys alike but for leading blanks are one plate.
    void tavoleIntercalateTraMigliaia() {
        QList<RigaHsmed> righe;
        for (int r = 0; r < 3; ++r)
            for (int t = 0; t < 3000; ++t)
                righe.append(
                    hotspot("T" + QByteArray::number(t), QByteArray::number(r), 1, 1, 2, 2));
        righe.append(hotspot("\xaf"
                             "EBRA",
                             "Z1", 1, 1, 2, 2)); // "ŻEBRA" in Windows-1250
        righe.append(hotspot("  \xaf"
                             "EBRA",
                             "Z2", 1, 1, 2, 2));
        const auto t = TabellaHotSpot::daByte(tabellaHsmed(righe));
        for (int k = 0; k < 3000; ++k)
            QVERIFY2(chiavi(t->recordDellaTavola(u"t%1"_s.arg(k))) == u"0,1,2"_s,
                     qPrintable(QString::number(k)));
        QCOMPARE(t->cerca(u"T2999"_s, 3)->Codice, u"2"_s);
        QVERIFY(!t->cerca(u"T2999"_s, 4));
        QCOMPARE(chiavi(t->recordDellaTavola(u"żebra"_s)), u"Z1,Z2"_s);
        QVERIFY(t->recordDellaTavola(u"T3000"_s).isEmpty());
        QVERIFY(t->difetto().isEmpty());
    }

    // The table is kept between calls and read anew as soon as the file changes.
    void ilFileCambiatoSiVedeAllaChiamataSeguente() {
        HostDiProva host;
        AtlanteDiProva atlante(host);
        const QString bin = host.percorsoHost(AtlanteDiProva::Dati + u"hsmed.bin"_s);
        QVERIFY_THROWS_EXCEPTION(ErroreVB, TabellaHotSpot::delFile(bin));
        atlante.righe = {hotspot("P", "A", 1, 1, 2, 2)};
        atlante.scriviTabella();
        const auto prima = TabellaHotSpot::delFile(bin);
        QCOMPARE(TabellaHotSpot::delFile(bin), prima);
        // Same size, same second: only the content and the change time differ.
        atlante.righe = {hotspot("P", "B", 1, 1, 2, 2)};
        atlante.scriviTabella();
        const auto dopo = TabellaHotSpot::delFile(bin);
        QCOMPARE(dopo->cerca(u"P"_s, 1)->Codice, u"B"_s);
        // A plate on show answers its clicks from the table as it is now, not as it was read.
        QCOMPARE(prima->cerca(u"P"_s, 1)->Codice, u"B"_s);
    }

    // An unusable table is named to the user once per plate load; what could be read still
    // serves the plate. A good table says nothing.
    void tabellaInutilizzabile_data() {
        QTest::addColumn<QByteArray>("tipo");
        QTest::addColumn<QString>("motivo");
        QTest::addColumn<int>("record");
        riga("good", QByteArray("buona"), QString(), 2);
        riga("missing", QByteArray("manca"), u"nie istnieje"_s, -1);
        riga("FIFO", QByteArray("fifo"), u"nie jest zwykłym plikiem"_s, -1);
        riga("empty", QByteArray(), u"jest pusty"_s, 0);
        riga("misaligned", QByteArray("sfasata"), u"ma 101 B"_s, 3);
        riga("garbage", QByteArray("\x89PNG\r\n\x1a\n").repeated(25), u"sterujące"_s, 4);
        // What old DOS tools left after the last record: the whole records are fine.
        riga("DOS end-of-file byte", QByteArray("\x1a"), QString(), 2);
        riga("end-of-file byte and junk", QByteArray("\x1a\r\n"), QString(), 2);
        riga("padded to a 128-byte sector", QByteArray(156, '\x1a'), QString(), 2);
        riga("a short record, then the mark", QByteArray("P       \x1a"), u"ma 109 B"_s, 3);
    }
    void tabellaInutilizzabile() {
        QFETCH(QByteArray, tipo);
        QFETCH(QString, motivo);
        QFETCH(int, record);
        HostDiProva host;
        AtlanteDiProva atlante(host);
        const QString bin = AtlanteDiProva::Dati + u"hsmed.bin"_s;
        const QString file = host.percorsoHost(bin);
        const QByteArray due =
            tabellaHsmed({intestazione("P", "D"), hotspot("P", "H", 1, 2, 3, 4)});
        if (tipo == "buona")
            host.scriviFile(bin, due);
        else if (tipo == "sfasata")
            host.scriviFile(bin, due + "P");
        else if (tipo.startsWith("\x1a") || tipo.startsWith("P "))
            host.scriviFile(bin, due + tipo);
        else if (tipo == "fifo")
            QVERIFY(creaFifo(file));
        else if (tipo != "manca")
            host.scriviFile(bin, tipo);
        std::shared_ptr<const TabellaHotSpot> t;
        {
            EntroUnSecondo scadenza;
            t = TabellaPerLaTavola(bin);
        }
        QCOMPARE(t ? int(t->numeroRecord()) : -1, record);
        if (motivo.isEmpty()) {
            QVERIFY(host.box.mostrati.isEmpty());
            return;
        }
        QCOMPARE(host.box.mostrati.size(), 1);
        const QString testo = host.box.mostrati[0].testo;
        QVERIFY2(testo.contains(motivo) && testo.count(file) == 1, qPrintable(testo));
    }

    void estraiTestoDalloStore() {
        StatoPulito stato;
        HostDiProva host;
        AtlanteDiProva atlante(host);
        atlante.testi = {{u"DSCHEL.RTF"_s, rtfDiProva(u"Szkielet człowieka"_s)},
                         {u"PIANO.RTF"_s, "Zwykly tekst, nie RTF"}};
        atlante.scrivi();
        // A file a hostile code would point at: never loaded, never deleted.
        const QString estraneo = u"C:\\ALTRO.RTF"_s;
        host.scriviFile(estraneo, rtfDiProva(u"obcy"_s));
        RichTextBox pannello;
        QVERIFY(EstraiTesto(u" DSCHEL "_s, pannello));
        QCOMPARE(pannello.Text(), u"Szkielet człowieka"_s);
        QCOMPARE(Fseek::istanza().blbCrop.Proprieta1(), AtlanteDiProva::Dati + u"hsmed.dat"_s);
        QVERIFY(!host.esiste(AtlanteDiProva::Temp + u"DSCHEL.RTF"_s));
        QVERIFY(EstraiTesto(u"piano"_s, pannello)); // entries found without regard to case
        QCOMPARE(pannello.Text(), u"Zwykly tekst, nie RTF"_s);
        for (const QString& assente : {u"MANCA"_s, u""_s, u"..\\ALTRO"_s}) {
            QVERIFY(!EstraiTesto(assente, pannello));
            QCOMPARE(pannello.Text(), u"Zwykly tekst, nie RTF"_s);
        }
        QVERIFY(host.esiste(estraneo));
        QCOMPARE(tuttiIFile(host.percorsoHost(AtlanteDiProva::Temp)).filter(u".RTF"_s),
                 QStringList());
        // A damaged store is an error for the caller, and leaves no file behind.
        host.scriviFile(AtlanteDiProva::Dati + u"hsmed.dat"_s, "PK\x03\x04rotto");
        QVERIFY_THROWS_EXCEPTION(ErroreVB, EstraiTesto(u"DSCHEL"_s, pannello));
        QVERIFY(!host.esiste(AtlanteDiProva::Temp + u"DSCHEL.RTF"_s));
    }
};

QTEST_MAIN(TestHsMed)
#include "test_hsmed.moc"
