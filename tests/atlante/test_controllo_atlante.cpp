#include "ControlloAtlante.h"

#include "AtlanteDiProva.h"
#include "BlobStore.h"
#include "Fifo.h"
#include "Installazione.h"
#include "Riga.h"
#include "StoreDiProva.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace hn;
using namespace hn::atlante;
using namespace hn::prova;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(hn::atlante::Difetto)

namespace {

const QByteArray Nominata = "{\\rtf1\\ansi{\\b Czaszka} \\endash  kości głowy.\\par}";

// One fault of each kind, beside records that are right.
struct AtlanteRotto {
    AtlanteRotto()
        : atlante(host) {
        atlante.righe = {
            intestazione("SCHEL1", "DSCHEL"),
            hotspot("SCHEL1", "CZASZKA", 20, 30, 120, 90),
            hotspot("SCHEL1", "NOCAP", 20, 100, 60, 140),
            hotspot("SCHEL1", "NONAME", 70, 100, 110, 140),
            hotspot("SCHEL1", "LINK", 200, 200, 260, 260, "NIENTE"),
            hotspot("SCHEL1", "FUORI", 390, 10, 397, 20),
            hotspot("SCHEL1", "ROVESCIO", 50, 50, 40, 60),
            hotspot("SCHEL1", "NOPICL", 300, 300, 320, 320, "NOPIC"),
            hotspot("SCHEL1", "PAROLONA", 20, 300, 120, 400),
            hotspot("SCHEL1", "LUNGO", 130, 380, 230, 470),
            hotspot("SCHEL1", "SOTTO", 150, 150, 180, 190),
            hotspot("SCHEL1", "SOPRA", 150, 150, 180, 190),
            // A code that would clear the terminal the findings are printed on.
            hotspot("SCHEL1", "\x1b[2J\x1b[3J", 330, 10, 360, 40),
            hotspot("NOPIC", "CZASZKA", 10, 10, 40, 40),
            intestazione("ORFANO", "DSCHEL"),
            hotspot("schel1", "MINUSC", 10, 10, 20, 20),
        };
        atlante.testi = {
            {u"DSCHEL.RTF"_s, Nominata},
            {u"CZASZKA.RTF"_s, Nominata},
            {u"FUORI.RTF"_s, Nominata},
            {u"ROVESCIO.RTF"_s, Nominata},
            {u"NONAME.RTF"_s, rtfDiProva(u"Opis bez nazwy"_s)},
            // One word longer than any panel, in the middle of a caption.
            {u"PAROLONA.RTF"_s,
             "{\\rtf1{\\b Czaszka} to " + QByteArray(300, 'x') + " i reszta.\\par}"},
            // Short words, but more of them than a panel lays out in good time.
            {u"LUNGO.RTF"_s, "{\\rtf1{\\b Czaszka} " + QByteArray("kosc ").repeated(41'000) + "}"}};
        atlante.tavole = {{u"SCHEL1.png"_s, immagineDiProva(398, 480, Qt::red)},
                          {u"ORFANO.png"_s, immagineDiProva(398, 480, Qt::red)},
                          // Renditions: one right, one per way of being passed over.
                          {u"SCHEL1@2x.png"_s, immagineDiProva(796, 960, Qt::red)},
                          {u"schel1@3X.png"_s, immagineDiProva(1194, 1441, Qt::red)},
                          {u"ORFANO@2x.png"_s, QByteArray("\x89PNG\r\n\x1a\n but no picture")},
                          {u"NIENTE@2x.png"_s, immagineDiProva(10, 10, Qt::red)},
                          {u"SCHEL1@1.5x.png"_s, immagineDiProva(597, 720, Qt::red)}};
        atlante.scrivi();
    }
    QList<Rilievo> rilievi() const {
        return controllaAtlante(*DatiAtlante::leggi(
            FileAtlante::da(*host.paths, AtlanteDiProva::Dati, AtlanteDiProva::Dati)));
    }
    HostDiProva host;
    AtlanteDiProva atlante;
};

} // namespace

class TestControlloAtlante : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ogniDifettoDettoConTavolaERecord_data() {
        QTest::addColumn<Difetto>("difetto");
        QTest::addColumn<QString>("tavola");
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("riga");
        QTest::newRow("no caption entry") << Difetto::DidascaliaAssente << "SCHEL1" << 3
                                          << "SCHEL1 record 3 (NOCAP): no caption entry NOCAP.RTF";
        QTest::newRow("caption without a bold name")
            << Difetto::NomeAssente << "SCHEL1" << 4 << "SCHEL1 record 4 (NONAME)";
        QTest::newRow("link to a plate with no records")
            << Difetto::CollegamentoRotto << "SCHEL1" << 5
            << "SCHEL1 record 5 (LINK): links to plate NIENTE";
        QTest::newRow("past the picture's right edge")
            << Difetto::FuoriImmagine << "SCHEL1" << 6 << "not inside the 398x480 picture";
        QTest::newRow("right edge left of the left one")
            << Difetto::FuoriImmagine << "SCHEL1" << 7 << "SCHEL1 record 7 (ROVESCIO)";
        // 9 x 12 pixels: under the least a structure must offer the pointer.
        QTest::newRow("structure too small to click") << Difetto::CoperturaScarsa << "SCHEL1" << 6
                                                      << "SCHEL1 record 6 (FUORI): hard to click: ";
        QTest::newRow("a word longer than the panel")
            << Difetto::TestoTroppoLungo << "SCHEL1" << 9
            << "SCHEL1 record 9 (PAROLONA): PAROLONA.RTF has a word of 300 characters";
        QTest::newRow("a text longer than the panel")
            << Difetto::TestoTroppoLungo << "SCHEL1" << 10
            << "SCHEL1 record 10 (LUNGO): LUNGO.RTF has 205";
        QTest::newRow("plate without a picture")
            << Difetto::ImmagineAssente << "NOPIC" << 0 << "NOPIC: no picture NOPIC.png";
        QTest::newRow("plate without a description")
            << Difetto::DescrizioneAssente << "NOPIC" << 0 << "NOPIC: no description";
        QTest::newRow("plate no system reaches") << Difetto::TavolaIrraggiungibile << "ORFANO" << 0
                                                 << "ORFANO: no body system reaches it";
        // The viewer asks for keys upper-cased: a lower-case key is a plate of its own.
        QTest::newRow("key stored in lower case")
            << Difetto::TavolaIrraggiungibile << "schel1" << 0 << "schel1: no body system";
        QTest::newRow("hotspot exactly under another")
            << Difetto::Sovrapposti << "SCHEL1" << 11
            << "SCHEL1 record 11 (SOTTO): lies exactly under record 12 (SOPRA)";
        QTest::newRow("control characters shown escaped")
            << Difetto::DidascaliaAssente << "SCHEL1" << 13
            << "SCHEL1 record 13 (\\x1b[2J\\x1b[3J): no caption entry \\x1b[2J\\x1b[3J.RTF";
        QTest::newRow("rendition of the wrong size")
            << Difetto::RendizioneMisuraErrata << "" << 0
            << "schel1@3X.png in BlobCorp.dat: 1194 × 1441 pixels, not 1194 × 1440 (3 times "
               "SCHEL1.png at 398 × 480): never shown";
        QTest::newRow("rendition that cannot be decoded")
            << Difetto::RendizioneIllegibile << "" << 0
            << "ORFANO@2x.png in BlobCorp.dat: not a picture that can be decoded";
        QTest::newRow("rendition without its picture")
            << Difetto::RendizioneSenzaOriginale << "" << 0
            << "NIENTE@2x.png in BlobCorp.dat: no 1 × picture NIENTE.png beside it";
        QTest::newRow("rendition of an unknown factor")
            << Difetto::FattoreSconosciuto << "" << 0
            << "SCHEL1@1.5x.png in BlobCorp.dat: factor 1.5 is none the program looks for";
        QTest::newRow("body system with no plate") << Difetto::CollegamentoRotto << "orecch" << 0
                                                   << "orecch: the body system's first plate";
    }
    void ogniDifettoDettoConTavolaERecord() {
        QFETCH(Difetto, difetto);
        QFETCH(QString, tavola);
        QFETCH(int, record);
        QFETCH(QString, riga);
        AtlanteRotto a;
        QList<Rilievo> trovati;
        for (const Rilievo& r : a.rilievi())
            if (r.tavola == tavola && r.record == record && r.difetto == difetto)
                trovati.append(r);
        QCOMPARE(trovati.size(), 1);
        QVERIFY2(trovati[0].testo.startsWith(riga) || trovati[0].testo.contains(riga),
                 qPrintable(trovati[0].testo));
    }

    // Bytes past the table's last record: a DOS end-of-file tail is mentioned and ignored (it is
    // no plate of its own), anything else shifts the records after it.
    void codaDellaTabella_data() {
        QTest::addColumn<QByteArray>("coda");
        QTest::addColumn<QString>("atteso");
        riga("none", QByteArray(), QString());
        riga("DOS end-of-file byte", QByteArray("\x1a"),
             u"hsmed.bin: 1 bytes after the last record, from a DOS end-of-file mark"_s);
        riga("padded with end-of-file bytes", QByteArray(60, '\x1a'),
             u"hsmed.bin: 60 bytes after the last record"_s);
        riga("a stray byte", QByteArray("X"), u"hsmed.bin: 801 bytes, no whole number"_s);
    }
    void codaDellaTabella() {
        QFETCH(QByteArray, coda);
        QFETCH(QString, atteso);
        AtlanteRotto a;
        const QList<Rilievo> senza = a.rilievi();
        a.host.scriviFile(AtlanteDiProva::Dati + u"hsmed.bin"_s,
                          tabellaHsmed(a.atlante.righe) + coda);
        QList<Rilievo> con = a.rilievi();
        if (atteso.isEmpty()) {
            QCOMPARE(con.size(), senza.size());
            return;
        }
        QVERIFY(!con.isEmpty());
        const Rilievo r = con.takeFirst();
        QVERIFY2(r.testo.startsWith(atteso), qPrintable(r.testo));
        QVERIFY(r.tavola.isEmpty() && r.record == 0);
        if (coda.startsWith('\x1a')) {
            QCOMPARE(r.difetto, Difetto::ByteInCoda);
            QCOMPARE(con.size(), senza.size()); // the plates are told of as before
            for (qsizetype i = 0; i < con.size(); ++i)
                QCOMPARE(con[i].testo, senza[i].testo);
        } else {
            QCOMPARE(r.difetto, Difetto::TabellaSfasata);
        }
    }

    void nessunCarattereDiControlloNelleRighe() {
        AtlanteRotto a;
        for (const Rilievo& r : a.rilievi())
            for (const QChar c : r.testo)
                QVERIFY2(c.unicode() >= 0x20 && c.unicode() != 0x7f, qPrintable(r.testo));
        QCOMPARE(senzaControlli(u"a\u202Eb\u200Bc\td\u0085"_s),
                 u"a\\u{202e}b\\u{200b}c\\x09d\\x85"_s);
        QCOMPARE(senzaControlli(u"C:\\VELTO\\Kość"_s), u"C:\\VELTO\\Kość"_s);
    }

    // Past 32,767 records the viewer shows nothing of a plate: said once, and nothing is
    // reported of records it never reads.
    void recordOltreQuelliLetti() {
        HostDiProva host;
        AtlanteDiProva atlante(host);
        atlante.righe = {intestazione("SCHEL1", "DSCHEL")};
        for (int i = 0; i < MassimoHotSpot + 5; ++i)
            atlante.righe.append(hotspot("SCHEL1", "KOSC", 10 + i % 300, 10, 10 + i % 300, 10));
        atlante.testi = {{u"DSCHEL.RTF"_s, Nominata}, {u"KOSC.RTF"_s, Nominata}};
        atlante.tavole = {{u"SCHEL1.png"_s, immagineDiProva(398, 480, Qt::red)}};
        atlante.scrivi();
        const QList<Rilievo> rilievi = controllaAtlante(*DatiAtlante::leggi(
            FileAtlante::da(*host.paths, AtlanteDiProva::Dati, AtlanteDiProva::Dati)));
        int troppi = 0;
        for (const Rilievo& r : rilievi) {
            QVERIFY(r.record <= MassimoHotSpot);
            if (r.difetto == Difetto::TroppiRecord) {
                ++troppi;
                QCOMPARE(r.testo,
                         u"SCHEL1: 32773 records; the program reads only the first 32767"_s);
            }
        }
        QCOMPARE(troppi, 1);
    }

    // The tool on an installation: the terminal gets no control character, and a table that is
    // no file (a FIFO, a link to an endless device) ends the check at once.
    void strumentoSicuroSuUnInstallazioneOstile_data() {
        QTest::addColumn<QString>("tabella");
        QTest::newRow("escape sequence in a code") << QString();
        QTest::newRow("FIFO") << u"fifo"_s;
        QTest::newRow("link to /dev/zero") << u"/dev/zero"_s;
    }
    void strumentoSicuroSuUnInstallazioneOstile() {
        QFETCH(QString, tabella);
        AtlanteRotto a;
        Installazione installazione(a.host);
        installazione.scrivi();
        const QString hsmed = a.host.percorsoHost(AtlanteDiProva::Dati + u"hsmed.bin"_s);
        if (tabella == u"fifo")
            QVERIFY(creaFifo(hsmed));
        else if (!tabella.isEmpty())
            QVERIFY(QFile::remove(hsmed) && QFile::link(tabella, hsmed));
        QProcess p;
        p.start(QStringLiteral(HNEMAR_ATLAS_TOOL),
                {u"check"_s, a.host.percorsoHost(u"C:\\"_s) + u"/.."_s});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 1);
        const QByteArray uscita = p.readAllStandardOutput() + p.readAllStandardError();
        for (const char c : uscita)
            QVERIFY2(uchar(c) >= 0x20 || c == '\n', uscita.constData());
        if (tabella.isEmpty())
            QVERIFY(uscita.contains("(\\x1b[2J\\x1b[3J): no caption entry"));
        else
            QVERIFY(uscita.contains("no hotspot table"));
    }

    void recordGiustiETavoleRaggiunteNonDannoNulla() {
        AtlanteRotto a;
        for (const Rilievo& r : a.rilievi()) {
            QVERIFY2(r.record != 1 && r.record != 2, qPrintable(r.testo));
            QVERIFY2(r.tavola != u"SCHEL1" || r.record != 0, qPrintable(r.testo));
            QVERIFY2(!r.testo.contains(u"SCHEL1@2x"_s), qPrintable(r.testo));
        }
    }

    // The tool also looks at the backgrounds' renditions, in their folder and their store.
    void rendizioniDegliSfondi() {
        AtlanteRotto a;
        Installazione installazione(a.host);
        installazione.scrivi();
        const QString sfondi = u"D:\\SFONDI\\"_s;
        a.host.scriviFile(sfondi + u"sistemi.bmp"_s, immagineDiProva(8, 6, Qt::red, "BMP"));
        a.host.scriviFile(sfondi + u"sistemi@2x.bmp"_s, immagineDiProva(16, 12, Qt::red));
        a.host.scriviFile(sfondi + u"sistemi@3x.bmp"_s, immagineDiProva(24, 19, Qt::red));
        blob::scriviStore(a.host.percorsoHost(sfondi + u"Bit_Hd.ff"_s),
                          {{u"schelet.bmp"_s, immagineDiProva(8, 6, Qt::red, "BMP"), {}},
                           {u"schelet@2x.bmp"_s, immagineDiProva(17, 12, Qt::red), {}}});
        QProcess p;
        p.start(QStringLiteral(HNEMAR_ATLAS_TOOL),
                {u"check"_s, a.host.percorsoHost(u"C:\\"_s) + u"/.."_s});
        QVERIFY(p.waitForFinished(20000));
        const QString uscita = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(uscita.contains(u"sistemi@3x.bmp in D:\\SFONDI\\: 24 × 19 pixels"_s),
                 qPrintable(uscita));
        QVERIFY2(uscita.contains(u"schelet@2x.bmp in Bit_Hd.ff: 17 × 12 pixels"_s),
                 qPrintable(uscita));
        QVERIFY2(!uscita.contains(u"sistemi@2x"_s), qPrintable(uscita));
    }
};

QTEST_MAIN(TestControlloAtlante)
#include "test_controllo_atlante.moc"
