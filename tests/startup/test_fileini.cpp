#include "ErroreVB.h"
#include "Fileini.h"
#include "Installazione.h"
#include "Riga.h"
#include "StatoPulito.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <sys/stat.h>

using namespace hn;
using namespace hn::Fileini;
using prova::HostDiProva;
using prova::Installazione;
using prova::ProgrammaTerminato;
using prova::riga;

namespace {

// A fixture installation, with one key of the module INI file changed (a null value removes it).
struct Avvio {
    explicit Avvio(const QString& sezione = {}, const QString& chiave = {},
                   const QString& valore = {}) {
        if (valore.isNull() && !chiave.isEmpty())
            inst.rimuovi(sezione, chiave);
        else if (!chiave.isEmpty())
            inst.imposta(sezione, chiave, valore);
    }
    // Writes the installation and runs the start-up; false when it ended the program.
    bool avvia() {
        inst.scrivi();
        try {
            AvvioModulo();
            return true;
        } catch (const ProgrammaTerminato&) {
            return false;
        }
    }
    QString primoBox() const { return host.box.mostrati.value(0).testo; }

    prova::StatoPulito stato;
    HostDiProva host;
    Installazione inst{host};
};

} // namespace

class TestFileini : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void riempieTuttoIlRecord() {
        Avvio a;
        a.host.scriviFile("C:\\VELTO\\NOTATKI.rtf", "{\\rtf1}");
        a.host.scriviFile("C:\\WINDOWS\\Atx4herr.log", "old log");
        QVERIFY(a.avvia());
        QCOMPARE(cfg.PathApp, QStringLiteral("C:\\VELTO\\HNEMAR\\"));
        QCOMPARE(cfg.DirApp, QStringLiteral("C:\\VELTO\\HNEMAR"));
        QCOMPARE(cfg.PathWindows, QStringLiteral("C:\\WINDOWS")); // the readers leave it bare
        QCOMPARE(cfg.IniModulo, QStringLiteral("C:\\VELTO\\VELTOMM.INI"));
        QCOMPARE(cfg.ExeVeltoLab, QStringLiteral("C:\\VELTO\\VeltoLab.exe\\"));
        QCOMPARE(cfg.PathCd, QStringLiteral("D:\\"));
        QCOMPARE(cfg.PathTemp, QStringLiteral("C:\\VELTO\\"));
        QCOMPARE(cfg.PathFoto, QStringLiteral("D:\\DATI\\"));
        QCOMPARE(cfg.PathDati, cfg.PathFoto);
        QCOMPARE(cfg.PathSfondi, QStringLiteral("D:\\SFONDI\\"));
        QCOMPARE(cfg.PathSfondiCredits, QStringLiteral("D:\\CREDITS\\"));
        QCOMPARE(cfg.Volume, 80);
        QCOMPARE(cfg.VolumeMci, 52428);
        QCOMPARE(cfg.UltimoLemma, QStringLiteral("Serce"));
        QCOMPARE(cfg.FilePerCopia, QStringLiteral("C:\\VELTO\\NOTATKI"));
        QCOMPARE(cfg.Tema, 0);
        QCOMPARE(cfg.History, 20);
        QCOMPARE(cfg.Sigla, 0);
        QCOMPARE(cfg.PercorsoFileScaricati, QStringLiteral("C:\\VELTO\\POBRANE\\"));
        // Only [Opzioni] escapes the backslash rule.
        QCOMPARE(cfg.AnniMesi, QStringLiteral("2002\\"));
        QVERIFY(!a.host.esiste("C:\\WINDOWS\\Atx4herr.log"));
        QVERIFY(a.host.box.mostrati.isEmpty());
        QCOMPARE(a.host.schermo.storiaPuntatore,
                 (QList<int>{Puntatore::Clessidra, Puntatore::Predefinito}));
        QVERIFY(a.host.schermo.eventiLasciati > 0);
    }

    void opzioniNumeriche_data() {
        QTest::addColumn<QString>("chiave");
        QTest::addColumn<QString>("valore"); // null: key removed
        QTest::addColumn<int>("atteso");
        QTest::addColumn<int>("mci");
        // How text reads as a number is the hotspot table's test; here, each option's own rules.
        riga("volume 100", "Volume", "100", 100, 65535);
        riga("volume 0", "Volume", "0", 0, 0);
        riga("volume missing", "Volume", QString(), 50, 32768);
        riga("volume empty", "Volume", "", 50, 32768);
        riga("volume not a number", "Volume", "abc", 0, 0);
        riga("volume decimal", "Volume", "2.5", 2, 1311);
        riga("volume negative", "Volume", "-5", -5, -3277);
        riga("volume too large for 32 bits", "Volume", "99999999999", 50, 32768);
        riga("history", "History", "15", 15, 0);
        riga("history missing", "History", QString(), 10, 0);
        riga("history too large", "History", "99999", 10, 0);
        riga("history rounds half to even", "History", "12.5", 12, 0);
        riga("tema missing", "Tema", QString(), -1, 0);
        riga("sigla missing", "Sigla", QString(), -1, 0);
    }

    void opzioniNumeriche() {
        QFETCH(QString, chiave);
        QFETCH(QString, valore);
        QFETCH(int, atteso);
        QFETCH(int, mci);
        Avvio a("Opzioni", chiave, valore);
        QVERIFY(a.avvia());
        const QMap<QString, int> letti = {{"Volume", cfg.Volume},
                                          {"History", cfg.History},
                                          {"Tema", cfg.Tema},
                                          {"Sigla", cfg.Sigla}};
        QCOMPARE(letti.value(chiave), atteso);
        if (chiave == QStringLiteral("Volume"))
            QCOMPARE(cfg.VolumeMci, mci);
    }

    void volumeArrotondaIlMezzoAlPari() {
        QCOMPARE(volumeMci(1), 655);
        QCOMPARE(volumeMci(10), 6554);  // 6553.5
        QCOMPARE(volumeMci(30), 19660); // 19660.5
        QCOMPARE(volumeMci(70), 45874); // 45874.5
        QCOMPARE(volumeMci(-10), -6554);
    }

    void valoriDiTesto_data() {
        QTest::addColumn<QString>("sezione");
        QTest::addColumn<QString>("chiave");
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("atteso");
        riga("folder gets a backslash", "Directory2", "Sfondi", "E:\\dati", "E:\\dati\\");
        riga("folder trimmed first", "Directory2", "Sfondi", "  E:\\dati  ", "E:\\dati\\");
        riga("quoted folder", "Directory2", "Sfondi", "\"E:\\dati\"", "E:\\dati\\");
        riga("value cut to 254", "Directory2", "Sfondi", "E:\\" + QString(300, u'x'),
             "E:\\" + QString(251, u'x') + "\\");
        riga("lemma trimmed", "Opzioni", "UltimoLemma", "  Płuca ", "Płuca");
        riga("lemma missing", "Opzioni", "UltimoLemma", QString(), "Dizionario");
        riga("downloads missing", "OnLine", "PercorsoFileScaricati", QString(),
             "C:\\VELTO\\HNEMAR\\OnLine");
        riga("months missing", "OnLine", "AnniMesi", QString(), "");
    }

    void valoriDiTesto() {
        QFETCH(QString, sezione);
        QFETCH(QString, chiave);
        QFETCH(QString, valore);
        QFETCH(QString, atteso);
        Avvio a(sezione, chiave, valore);
        QVERIFY(a.avvia());
        const QMap<QString, QString> letti = {{"Sfondi", cfg.PathSfondi},
                                              {"UltimoLemma", cfg.UltimoLemma},
                                              {"AnniMesi", cfg.AnniMesi},
                                              {"PercorsoFileScaricati", cfg.PercorsoFileScaricati}};
        QCOMPARE(letti.value(chiave), atteso);
    }

    void fileDiCopiaVuoleIlSuoRtfSulDisco_data() {
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("fileSulDisco");
        QTest::addColumn<QString>("atteso");
        const QString predefinito = QStringLiteral("C:\\VELTO\\HNEMAR\\Kopia");
        riga("rtf present", "C:\\temp\\copia", "C:\\temp\\copia.rtf", "C:\\temp\\copia");
        riga("rtf absent", "C:\\temp\\copia", "", predefinito);
        // The extension test is case-sensitive: ".RTF" still gets ".rtf" appended.
        riga("upper-case extension", "C:\\temp\\copia.RTF", "C:\\temp\\copia.RTF", predefinito);
        riga("upper-case extension, appended name present", "C:\\temp\\copia.RTF",
             "C:\\temp\\copia.RTF.rtf", "C:\\temp\\copia.RTF");
        riga("extension written", "C:\\temp\\copia.rtf", "C:\\temp\\copia.rtf",
             "C:\\temp\\copia.rtf");
        riga("missing key", QString(), "", predefinito);
    }

    void fileDiCopiaVuoleIlSuoRtfSulDisco() {
        QFETCH(QString, valore);
        QFETCH(QString, fileSulDisco);
        QFETCH(QString, atteso);
        Avvio a("Opzioni", "FilePerCopia", valore);
        a.inst.messaggi[487] = {QStringLiteral("Plik"), QStringLiteral("Kopia")};
        if (!fileSulDisco.isEmpty())
            a.host.scriviFile(fileSulDisco, "{\\rtf1}");
        QVERIFY(a.avvia());
        QCOMPARE(cfg.FilePerCopia, atteso);
    }

    void cartellaTemporaneaDalProgrammaDellEnciclopedia_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("atteso");
        riga("full path", "C:\\Prog\\Tomvo98.exe", "C:\\Prog\\");
        riga("blanks around", "  C:\\Prog\\Tomvo98.exe  ", "C:\\Prog\\");
        riga("name only gives a lone backslash", "Tomvo98.exe", "\\");
        riga("drive relative", "C:Tomvo98.exe", "C:\\");
        riga("folder only", "C:\\Prog\\", "\\");
    }

    void cartellaTemporaneaDalProgrammaDellEnciclopedia() {
        QFETCH(QString, exe);
        QFETCH(QString, atteso);
        Avvio a("GENERAL", "ExeVelto", exe);
        QVERIFY(a.avvia());
        QCOMPARE(cfg.PathTemp, atteso);
    }

    void sezioniEChiaviSenzaRiguardoAlleMaiuscole() {
        Avvio a;
        a.inst.scriviModulo = false;
        a.host.scriviFile(a.inst.iniModulo,
                          "[general]\r\nexevelto=C:\\X\\a.exe\r\n[DIRECTORY2]\r\npathcd=d:\\\r\n"
                          "FOTO=D:\\F\r\nvideo=v\r\naudio=a\r\nanimazioni=n\r\ntabelle=t\r\n"
                          "sfondi=s\r\nsfondicredits=c\r\n[opzioni]\r\nvolume=20\r\n");
        QVERIFY(a.avvia());
        QCOMPARE(cfg.PathTemp, QStringLiteral("C:\\X\\"));
        QCOMPARE(cfg.PathFoto, QStringLiteral("D:\\F\\"));
        QCOMPARE(cfg.Volume, 20);
        QCOMPARE(cfg.ExeVeltoLab, QString());
    }

    void chiaviObbligatorieTerminanoIlProgramma_data() {
        QTest::addColumn<QString>("sezione");
        QTest::addColumn<QString>("chiave");
        QTest::addColumn<QString>("descrizione");
        riga("PathCd", "Directory2", "PathCd", "GENERAL, voce PathCd");
        riga("ExeVelto", "GENERAL", "ExeVelto", "Sciezka, haslo ExeVelto");
        for (const char* k :
             {"Foto", "Video", "Audio", "Animazioni", "Tabelle", "Sfondi", "SfondiCredits"})
            riga(k, "Directory2", k, "Sciezka, haslo " + QString::fromLatin1(k));
    }

    void chiaviObbligatorieTerminanoIlProgramma() {
        QFETCH(QString, sezione);
        QFETCH(QString, chiave);
        QFETCH(QString, descrizione);
        Avvio a(sezione, chiave, QString());
        QVERIFY(!a.avvia());
        QCOMPARE(a.host.box.mostrati.size(), 1);
        QVERIFY2(a.primoBox().contains(descrizione), qPrintable(a.primoBox()));
        QVERIFY(a.primoBox().contains(QStringLiteral("C:\\VELTO\\VELTOMM.INI")));
        QCOMPARE(a.host.box.mostrati[0].stile, 16);
        // Nothing after the failing key is read.
        QCOMPARE(cfg.PathSfondiCredits, QString());
        QCOMPARE(cfg.Volume, 0);
    }

    void fileDiConfigurazioneMancantiTerminanoIlProgramma() {
        // Messages 484 and 485 do not run together; the missing file is named as not found,
        // with the host file it stands for.
        Avvio senzaKormm;
        senzaKormm.inst.scriviKormm = false;
        senzaKormm.inst.messaggi[484] = {{}, QStringLiteral("Brak konfiguracji.")};
        senzaKormm.inst.messaggi[485] = {{}, QStringLiteral("Zainstaluj ponownie.")};
        QVERIFY(!senzaKormm.avvia());
        QVERIFY2(senzaKormm.primoBox().startsWith(
                     QStringLiteral("Brak konfiguracji. Zainstaluj ponownie.\r\n")),
                 qPrintable(senzaKormm.primoBox()));
        QVERIFY(senzaKormm.primoBox().contains(
            QStringLiteral("nie znaleziono pliku C:\\WINDOWS\\KORMM.INI (%1)")
                .arg(senzaKormm.host.percorsoHost("C:\\WINDOWS\\KORMM.INI"))));

        Avvio kormmCartella;
        kormmCartella.inst.scriviKormm = false;
        QDir().mkpath(kormmCartella.host.percorsoHost("C:\\WINDOWS\\KORMM.INI\\x"));
        QVERIFY(!kormmCartella.avvia());
        QVERIFY(kormmCartella.host.fine.terminato);

        Avvio senzaModulo;
        senzaModulo.inst.scriviModulo = false;
        QVERIFY(!senzaModulo.avvia());
        QVERIFY(senzaModulo.primoBox().contains(QStringLiteral("veltoMM.ini")));
        QVERIFY(senzaModulo.primoBox().contains(
            senzaModulo.host.percorsoHost("C:\\VELTO\\VELTOMM.INI")));
        QCOMPARE(cfg.PathCd, QString());
    }

    // The module file read once and then replaced by a FIFO: the next key is refused at once,
    // as for a file no longer there (no regular file is), not answered from what was read.
    void moduloSostituitoDaUnaFifoRifiutato() {
        Avvio a;
        QVERIFY(a.avvia());
        const QString modulo = a.host.percorsoHost("C:\\VELTO\\VELTOMM.INI");
        QVERIFY(QFile::remove(modulo));
        QCOMPARE(::mkfifo(QFile::encodeName(modulo).constData(), 0600), 0);
        QElapsedTimer tempo;
        tempo.start();
        QString valore;
        QString sezione = QStringLiteral("GENERAL"), chiave = QStringLiteral("ExeVelto");
        int errore = 0;
        try {
            LeggiIniModulo(valore, sezione, chiave);
        } catch (const ErroreVB& e) {
            errore = e.numero();
        }
        QCOMPARE(errore, int(Errore::FileNonTrovato));
        QVERIFY(tempo.elapsed() < 1000);
    }

    void aspettaIlSecondoDisco() {
        Avvio a;
        a.inst.marcatore = QByteArray();
        int giri = 0;
        a.host.box.risposte = {Risposta::Riprova, Risposta::Riprova, Risposta::Riprova};
        a.host.box.primaDiRispondere = [&](const prova::BoxMostrato&) {
            // First a wrong disc, then an unquoted marker of another case.
            if (++giri == 1)
                a.host.scriviFile("D:\\VeltoMM.txt", "\"disco 1\",\"x\"\r\n");
            else if (giri == 2)
                a.host.scriviFile("D:\\veltomm.TXT", "  DISCO 2 , Velto\r\nsecond line\r\n");
        };
        QVERIFY(a.avvia());
        QCOMPARE(a.host.box.mostrati.size(), 2);
        // Message 486, then which file with which contents, in which host folder.
        QCOMPARE(a.primoBox(),
                 QStringLiteral("Messaggio 486\r\n\r\nOczekiwany plik: VeltoMM.txt, którego "
                                "pierwsze pole to „disco 2”, w folderze D:\\ (%1).")
                     .arg(QFileInfo(a.host.percorsoHost("D:\\x")).path()));
        QCOMPARE(a.host.box.mostrati[0].stile, 21);
        QCOMPARE(a.host.box.mostrati[0].titolo, QString());
        QCOMPARE(cfg.PathFoto, QStringLiteral("D:\\DATI\\"));
    }

    void annullareLaRichiestaDelDiscoTermina() {
        Avvio a;
        a.inst.marcatore = QByteArrayLiteral("disco 1\r\n");
        a.host.box.risposte = {Risposta::Riprova, Risposta::Annulla};
        QVERIFY(!a.avvia());
        QCOMPARE(a.host.box.mostrati.size(), 2);
        QCOMPARE(cfg.PathTemp, QString()); // ExeVelto never read
    }

    void primoCampoDelMarcatoreDelDisco_data() {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QString>("campo");
        riga("quoted", QByteArray("\"disco 2\",\"a\"\r\n"), "disco 2");
        riga("plain with comma", QByteArray("disco 2,a"), "disco 2");
        riga("blanks", QByteArray("   disco 2   \r\n"), "disco 2");
        riga("only second line", QByteArray("\r\ndisco 2"), "");
        riga("quoted comma kept", QByteArray("\"a,b\",c"), "a,b");
        riga("unterminated quote", QByteArray("\"disco 2"), "disco 2");
        riga("empty", QByteArray(), "");
    }

    void primoCampoDelMarcatoreDelDisco() {
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, campo);
        QCOMPARE(primoCampo(contenuto), campo);
    }
};

QTEST_MAIN(TestFileini)
#include "test_fileini.moc"
