#include "FileMessaggi.h"
#include "Messaggi.h"

#include "Cp1250.h"
#include "Installazione.h"
#include "Riga.h"

#include <QBuffer>
#include <QTest>

using namespace hn;
using hn::prova::riga;
using namespace hn::Mod_Comuni;
using namespace hn::atlante;
using namespace Qt::StringLiterals;

namespace {

QString leggi(const QByteArray& file, int numero, QString& titolo) {
    QBuffer b;
    b.setData(file);
    b.open(QIODevice::ReadOnly);
    return leggiRecordMessaggio(b, numero, titolo);
}

} // namespace

class TestMessaggi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordHannoLaStrutturaFissa() {
        const QByteArray r =
            componiRecordMessaggio(486, QStringLiteral("Płyta"), QStringLiteral("Włóż płytę"));
        QCOMPARE(r.size(), 455);
        QVERIFY(r.endsWith("\r\n"));
        QCOMPARE(r.left(6), QByteArray("   486"));
        QCOMPARE(r.mid(73, 6), encodeCp1250(QStringLiteral("Płyta ")));
        QCOMPARE(r.mid(103, 11), encodeCp1250(QStringLiteral("Włóż płytę ")));
        // Too long texts are cut to their columns, never shifting the next line.
        QCOMPARE(componiRecordMessaggio(1, QString(40, u'T'), QString(400, u'x')).size(), 455);
    }

    void numeriSotto1000SonoRecord() {
        QMap<int, std::pair<QString, QString>> m;
        m[3] = {QStringLiteral("Tytuł"), QStringLiteral("Zażółć gęślą jaźń")};
        m[486] = {QStringLiteral("Płyta"), QStringLiteral("Włóż płytę")};
        QByteArray file = componiFileMessaggi(m);
        // The number column is not compared: line 486 is message 486 whatever it says.
        file.replace(485 * 455, 6, "   999");
        QString titolo;
        QCOMPARE(leggi(file, 486, titolo), QStringLiteral("Włóż płytę"));
        QCOMPARE(titolo, QStringLiteral("Płyta"));
        QCOMPARE(leggi(file, 3, titolo), QStringLiteral("Zażółć gęślą jaźń"));
        QCOMPARE(leggi(file, 2, titolo), QString());
        QCOMPARE(leggi(file, 487, titolo), QString()); // beyond the last line
        QCOMPARE(titolo, QString());
        QCOMPARE(leggi(file, 0, titolo), QString());
    }

    void rigaCortaSpostaIRecordSeguenti() {
        QMap<int, std::pair<QString, QString>> m;
        m[1] = {{}, QStringLiteral("uno")};
        m[2] = {{}, QStringLiteral("due")};
        m[3] = {{}, QStringLiteral("tre")};
        QByteArray file = componiFileMessaggi(m);
        file.remove(200, 5); // line 1 is now five bytes short
        QString titolo;
        QCOMPARE(leggi(file, 1, titolo), QStringLiteral("uno"));
        QVERIFY(leggi(file, 2, titolo) != QStringLiteral("due"));
    }

    void numeriDa1000SonoCercati() {
        QMap<int, std::pair<QString, QString>> m;
        m[2] = {QStringLiteral("a"), QStringLiteral("due")};
        m[1200] = {QStringLiteral("Tytuł"), QStringLiteral("mille e duecento")};
        QByteArray file = componiFileMessaggi(m);
        file.prepend("  x   not a number line\r\n");
        QString titolo;
        QCOMPARE(leggi(file, 1200, titolo), QStringLiteral("mille e duecento"));
        QCOMPARE(titolo, QStringLiteral("Tytuł"));
        QCOMPARE(leggi(file, 1300, titolo), QString());
        QCOMPARE(titolo, QString());
        // A short line holding only the number gives empty texts, not a crash.
        QCOMPARE(leggi("  1500\r\n", 1500, titolo), QString());
        // Only a line's start holds a number: text far into a long line that looks like one is
        // not a line of its own, and bare line feeds end lines as CR LF do.
        QByteArray lunga(2000, 'x');
        lunga.replace(455, 453,
                      componiRecordMessaggio(1400, {}, QStringLiteral("falso")).chopped(2));
        QCOMPARE(leggi(lunga + "\n" + QByteArray(3000, '\n') +
                           componiRecordMessaggio(1400, {}, QStringLiteral("vero")).chopped(2),
                       1400, titolo),
                 QStringLiteral("vero"));
    }

    void parametriEACapo_data() {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("parametro");
        QTest::addColumn<QString>("atteso");
        riga("one parameter", "Plik & nie istnieje", "a.txt", "Plik a.txt nie istnieje");
        riga("two parameters", "& i &", "P", "P i P");
        riga("parameter with & is not rescanned", "<&>", "a&b", "<a&b>");
        riga("line break marker", "Jeden.\" & vbCrLf & \"Dwa.", "", "Jeden.\r\nDwa.");
        riga("two markers", "a\" & vbCrLf & \"b\" & vbCrLf & \"c", "", "a\r\nb\r\nc");
        riga("no parameter", "Bez", "x", "Bez");
    }

    void parametriEACapo() {
        QFETCH(QString, testo);
        QFETCH(QString, parametro);
        QFETCH(QString, atteso);
        QCOMPARE(SostituisciParametri(testo, parametro), atteso);
    }

    void fileDeiMessaggiAccantoAlProgrammaOSopra() {
        prova::HostDiProva host;
        prova::Installazione inst(host);
        inst.messaggi[23] = {QStringLiteral("Tło"), QStringLiteral("Brak &.")};
        inst.cartellaProgramma = QStringLiteral("C:\\VELTO\\");
        inst.scrivi();
        QString titolo;
        QCOMPARE(LeggiMessaggio(23, {}, QStringLiteral("  sistemi.bmp  "), &titolo),
                 QStringLiteral("Brak sistemi.bmp."));
        QCOMPARE(titolo, QStringLiteral("Tło"));

        inst.cartellaProgramma = QStringLiteral("C:\\VELTO\\HNEMAR\\");
        inst.messaggi[23] = {QStringLiteral("Tło"), QStringLiteral("Obok programu")};
        inst.scrivi();
        QCOMPARE(LeggiMessaggio(23), QStringLiteral("Obok programu"));

        QFile::remove(host.percorsoHost("C:\\VELTO\\HNEMAR\\help.bin"));
        QFile::remove(host.percorsoHost("C:\\VELTO\\help.bin"));
        QCOMPARE(LeggiMessaggio(23, {}, {}, &titolo), QString());
        QCOMPARE(titolo, QString());
    }

    void segnalazioneDiErrore_data() {
        QTest::addColumn<int>("numero");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<int>("stile");
        const QString ctx = QStringLiteral("EstraiPathnameDaFile");
        riga("53", 53, "Messaggio 63 53 Messaggio 64 " + ctx, 16);
        riga("76", 76, "Messaggio 63 76 Messaggio 64 " + ctx, 16);
        riga("57", 57, "Messaggio 63 57 Messaggio 65 " + ctx, 16);
        riga("65534", 65534, "Messaggio 63 65534 Messaggio 66 " + ctx, 16);
        riga("3024", 3024, "Messaggio 63 3024 Messaggio 67 " + ctx, 16);
        riga("3051", 3051, "Messaggio 63 3051 Messaggio 67 " + ctx, 16);
        riga("3279", 3279, "Messaggio 63 3279 Messaggio 68 " + ctx, 16);
        riga("3021", 3021, "Messaggio 63 3021 Messaggio 69 " + ctx, 16);
        riga("482 alone", 482, "Messaggio 70 ", 21);
        riga("65532", 65532, "Messaggio 63 65532 Messaggio 71 ", 16);
        riga("14 information", 14, "Messaggio 63 14 Messaggio 72 ", 64);
        riga("65533 no icon", 65533, "Messaggio 63 65533 Messaggio 73 ", 0);
        riga("9 own description", 9, "Indeks poza zakresem 9 w " + ctx, 16);
    }

    // Errors without a message of their own: "w" goes before a routine's name, never before a
    // sentence; a description that is a sentence takes the number in brackets.
    void senzaMessaggioProprio_data() {
        QTest::addColumn<QString>("descrizione");
        QTest::addColumn<QString>("contesto");
        QTest::addColumn<QString>("testo");
        riga("a sentence as context", u"Nieprawidłowy obraz"_s,
             u"Nie można wczytać obrazu a.png."_s,
             u"Nieprawidłowy obraz (błąd nr 9).\r\nNie można wczytać obrazu a.png."_s);
        riga("sentences on both sides", u"Obraz a.png jest uszkodzony."_s,
             u"Nie można wczytać obrazu a.png.\r\nProgram zostanie zakończony."_s,
             u"Obraz a.png jest uszkodzony (błąd nr 9).\r\nNie można wczytać obrazu a.png.\r\n"
             u"Program zostanie zakończony."_s);
        riga("a sentence and a context word", u"Nie można zapisać pliku:\n/x/a.pdf"_s, u"Drukuj"_s,
             u"Nie można zapisać pliku:\n/x/a.pdf (Drukuj, błąd nr 9)."_s);
        riga("no context", u"Indeks poza zakresem"_s, QString(),
             u"Indeks poza zakresem (błąd nr 9)."_s);
    }
    void senzaMessaggioProprio() {
        QFETCH(QString, descrizione);
        QFETCH(QString, contesto);
        QFETCH(QString, testo);
        prova::HostDiProva host;
        prova::Installazione(host).scrivi();
        SegnalaErrore(ErroreVB(9, descrizione), contesto);
        QCOMPARE(host.box.mostrati.value(0).testo, testo);
        QCOMPARE(host.box.mostrati.value(0).stile, Stile::OK | Stile::Critico);
    }

    void segnalazioneDiErrore() {
        QFETCH(int, numero);
        QFETCH(QString, testo);
        QFETCH(int, stile);
        prova::HostDiProva host;
        prova::Installazione(host).scrivi();
        const int risposta =
            (stile & 0xF) == Stile::RiprovaAnnulla ? Risposta::Riprova : Risposta::OK;
        host.box.risposte = {risposta};
        QCOMPARE(SegnalaErrore(ErroreVB(numero), QStringLiteral("EstraiPathnameDaFile")), risposta);
        QCOMPARE(host.box.mostrati.size(), 1);
        QCOMPARE(host.box.mostrati[0].testo, testo);
        QCOMPARE(host.box.mostrati[0].stile, stile);
        QCOMPARE(host.box.mostrati[0].titolo, QString());
    }

    void segnalazioneTieneContestoEUltimoMessaggio() {
        prova::HostDiProva host;
        prova::Installazione(host).scrivi();
        TestoMessaggio = QStringLiteral("przygotowany tekst");
        SegnalaErrore(ErroreVB(53), TestoMessaggio);
        QCOMPARE(host.box.mostrati[0].testo,
                 QStringLiteral("Messaggio 63 53 Messaggio 64 przygotowany tekst"));
        QCOMPARE(TestoMessaggio, QStringLiteral("Messaggio 64 przygotowany tekst"));
        QCOMPARE(TitoloMessaggio, QStringLiteral("Titolo 64"));
    }

    void erroriDeiControlliProseguonoSenzaBox() {
        prova::HostDiProva host;
        QCOMPARE(SegnalaErrore(ErroreVB(-2147418113, QStringLiteral("x")), QStringLiteral("c")),
                 int(Risposta::Ignora));
        QVERIFY(host.box.mostrati.isEmpty());
    }

    // The box still comes, and says which messages it lacks and where it looked for them;
    // the reader itself still gives the empty text.
    void messaggiMancantiNominatiNelBox() {
        prova::HostDiProva host;
        QCOMPARE(SegnalaErrore(ErroreVB(57), QStringLiteral("c")), int(Risposta::OK));
        QCOMPARE(TestoMessaggio, QString());
        const QString file = host.percorsoHost("C:\\VELTO\\HNEMAR\\help.bin");
        QCOMPARE(host.box.mostrati.value(0).testo,
                 QStringLiteral("[Komunikat nr 63: nie znaleziono pliku komunikatów %1] "
                                "[Komunikat nr 65: nie znaleziono pliku komunikatów %1]")
                     .arg(file));

        prova::Installazione inst(host);
        inst.messaggi.remove(70);
        inst.scrivi();
        SegnalaErrore(ErroreVB(482), QStringLiteral("c"));
        QCOMPARE(host.box.mostrati.value(1).testo,
                 QStringLiteral("[Komunikat nr 70: brak tekstu w pliku %1]").arg(file));
    }
};

QTEST_GUILESS_MAIN(TestMessaggi)
#include "test_messaggi.moc"
