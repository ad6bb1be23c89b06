#include "FMed.h"
#include "Fileini.h"
#include "Installazione.h"

#include <QDir>
#include <QTest>

using namespace hn;
using namespace hn::Fileini;
using prova::HostDiProva;
using prova::Installazione;
using prova::ProgrammaTerminato;

namespace {

// Runs the start-up; true when it came through, false when it ended the program.
bool avvia() {
    cfg = {};
    try {
        AvvioModulo();
        return true;
    } catch (const ProgrammaTerminato&) {
        return false;
    }
}

} // namespace

class TestFileini : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fillsTheWholeRecord() {
        HostDiProva host;
        Installazione inst(host);
        inst.scrivi();
        host.scriviFile("C:\\VELTO\\NOTATKI.rtf", "{\\rtf1}");
        host.scriviFile("C:\\WINDOWS\\Atx4herr.log", "old log");
        QVERIFY(avvia());
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
        QCOMPARE(cfg.AnniMesi,
                 QStringLiteral("2002\\")); // only [Opzioni] escapes the backslash rule
        QVERIFY(!host.esiste("C:\\WINDOWS\\Atx4herr.log"));
        QVERIFY(host.box.mostrati.isEmpty());
        QCOMPARE(host.schermo.storiaPuntatore,
                 (QList<int>{Puntatore::Clessidra, Puntatore::Predefinito}));
        QVERIFY(host.schermo.eventiLasciati > 0);
    }

    void optionsAndTheirDefaults_data() {
        QTest::addColumn<QString>("chiave");
        QTest::addColumn<QString>("valore"); // null: key removed
        QTest::addColumn<int>("atteso");
        QTest::addColumn<int>("mci");
        QTest::newRow("volume 100") << "Volume"
                                    << "100" << 100 << 65535;
        QTest::newRow("volume 0") << "Volume"
                                  << "0" << 0 << 0;
        QTest::newRow("volume missing") << "Volume" << QString() << 50 << 32768;
        QTest::newRow("volume empty") << "Volume"
                                      << "" << 50 << 32768;
        QTest::newRow("volume 50 ties to even") << "Volume"
                                                << "50" << 50 << 32768;
        QTest::newRow("volume 30 ties to even") << "Volume"
                                                << "30" << 30 << 19660;
        QTest::newRow("volume 10 ties to even") << "Volume"
                                                << "10" << 10 << 6554;
        QTest::newRow("volume not a number") << "Volume"
                                             << "abc" << 0 << 0;
        QTest::newRow("volume leading number") << "Volume"
                                               << " 75%" << 75 << 49151;
        QTest::newRow("volume decimal") << "Volume"
                                        << "2.5" << 2 << 1311;
        QTest::newRow("volume negative") << "Volume"
                                         << "-5" << -5 << -3277;
        QTest::newRow("volume too large for 32 bits") << "Volume"
                                                      << "99999999999" << 50 << 32768;
        QTest::newRow("history") << "History"
                                 << "15" << 15 << 0;
        QTest::newRow("history missing") << "History" << QString() << 10 << 0;
        QTest::newRow("history too large") << "History"
                                           << "99999" << 10 << 0;
        QTest::newRow("history rounds half to even") << "History"
                                                     << "12.5" << 12 << 0;
        QTest::newRow("history hexadecimal") << "History"
                                             << "&H10" << 16 << 0;
        QTest::newRow("tema missing") << "Tema" << QString() << -1 << 0;
        QTest::newRow("sigla missing") << "Sigla" << QString() << -1 << 0;
    }

    void optionsAndTheirDefaults() {
        QFETCH(QString, chiave);
        QFETCH(QString, valore);
        QFETCH(int, atteso);
        QFETCH(int, mci);
        HostDiProva host;
        Installazione inst(host);
        if (valore.isNull())
            inst.rimuovi("Opzioni", chiave);
        else
            inst.imposta("Opzioni", chiave, valore);
        inst.scrivi();
        QVERIFY(avvia());
        if (chiave == QStringLiteral("Volume")) {
            QCOMPARE(cfg.Volume, atteso);
            QCOMPARE(cfg.VolumeMci, mci);
        } else if (chiave == QStringLiteral("History")) {
            QCOMPARE(cfg.History, atteso);
        } else if (chiave == QStringLiteral("Tema")) {
            QCOMPARE(cfg.Tema, atteso);
        } else {
            QCOMPARE(cfg.Sigla, atteso);
        }
    }

    void volumeRoundingIsExact() {
        QCOMPARE(volumeMci(50), 32768);
        QCOMPARE(volumeMci(1), 655);
        QCOMPARE(volumeMci(70), 45874); // 45874.5, to the even neighbour
        QCOMPARE(volumeMci(90), 58982); // 58981.5
        QCOMPARE(volumeMci(-50), -32768);
        QCOMPARE(volumeMci(-10), -6554);
    }

    void textValues_data() {
        QTest::addColumn<QString>("sezione");
        QTest::addColumn<QString>("chiave");
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("folder gets a backslash") << "Directory2"
                                                 << "Sfondi"
                                                 << "E:\\dati"
                                                 << "E:\\dati\\";
        QTest::newRow("folder trimmed first") << "Directory2"
                                              << "Sfondi"
                                              << "  E:\\dati  "
                                              << "E:\\dati\\";
        QTest::newRow("quoted folder") << "Directory2"
                                       << "Sfondi"
                                       << "\"E:\\dati\""
                                       << "E:\\dati\\";
        QTest::newRow("lemma trimmed") << "Opzioni"
                                       << "UltimoLemma"
                                       << "  Płuca "
                                       << "Płuca";
        QTest::newRow("lemma missing") << "Opzioni"
                                       << "UltimoLemma" << QString() << "Dizionario";
        QTest::newRow("download folder missing")
            << "OnLine"
            << "PercorsoFileScaricati" << QString() << "C:\\VELTO\\HNEMAR\\OnLine";
        QTest::newRow("months missing") << "OnLine"
                                        << "AnniMesi" << QString() << "";
        QTest::newRow("value cut to 254")
            << "Directory2"
            << "Sfondi"
            << "E:\\" + QString(300, u'x') << "E:\\" + QString(251, u'x') + "\\";
    }

    void textValues() {
        QFETCH(QString, sezione);
        QFETCH(QString, chiave);
        QFETCH(QString, valore);
        QFETCH(QString, atteso);
        HostDiProva host;
        Installazione inst(host);
        if (valore.isNull())
            inst.rimuovi(sezione, chiave);
        else
            inst.imposta(sezione, chiave, valore);
        inst.scrivi();
        QVERIFY(avvia());
        const QString letto = chiave == QStringLiteral("Sfondi")        ? cfg.PathSfondi
                              : chiave == QStringLiteral("UltimoLemma") ? cfg.UltimoLemma
                              : chiave == QStringLiteral("AnniMesi")    ? cfg.AnniMesi
                                                                        : cfg.PercorsoFileScaricati;
        QCOMPARE(letto, atteso);
    }

    void copyFileNeedsItsRtfOnDisc_data() {
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("fileSulDisco");
        QTest::addColumn<QString>("atteso");
        const QString predefinito = QStringLiteral("C:\\VELTO\\HNEMAR\\Kopia");
        QTest::newRow("rtf present") << "C:\\temp\\copia"
                                     << "C:\\temp\\copia.rtf"
                                     << "C:\\temp\\copia";
        QTest::newRow("rtf absent") << "C:\\temp\\copia"
                                    << "" << predefinito;
        QTest::newRow("upper-case extension gets .rtf appended")
            << "C:\\temp\\copia.RTF"
            << "C:\\temp\\copia.RTF" << predefinito;
        QTest::newRow("upper-case extension, appended name present") << "C:\\temp\\copia.RTF"
                                                                     << "C:\\temp\\copia.RTF.rtf"
                                                                     << "C:\\temp\\copia.RTF";
        QTest::newRow("extension written") << "C:\\temp\\copia.rtf"
                                           << "C:\\temp\\copia.rtf"
                                           << "C:\\temp\\copia.rtf";
        QTest::newRow("missing key") << QString() << "" << predefinito;
    }

    void copyFileNeedsItsRtfOnDisc() {
        QFETCH(QString, valore);
        QFETCH(QString, fileSulDisco);
        QFETCH(QString, atteso);
        HostDiProva host;
        Installazione inst(host);
        inst.messaggi[487] = {QStringLiteral("Plik"), QStringLiteral("Kopia")};
        if (valore.isNull())
            inst.rimuovi("Opzioni", "FilePerCopia");
        else
            inst.imposta("Opzioni", "FilePerCopia", valore);
        inst.scrivi();
        if (!fileSulDisco.isEmpty())
            host.scriviFile(fileSulDisco, "{\\rtf1}");
        QVERIFY(avvia());
        QCOMPARE(cfg.FilePerCopia, atteso);
    }

    void temporaryFolderFromTheEncyclopediaProgram_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("full path") << "C:\\Prog\\Tomvo98.exe"
                                   << "C:\\Prog\\";
        QTest::newRow("blanks around") << "  C:\\Prog\\Tomvo98.exe  "
                                       << "C:\\Prog\\";
        QTest::newRow("name only gives a lone backslash") << "Tomvo98.exe"
                                                          << "\\";
        QTest::newRow("drive relative") << "C:Tomvo98.exe"
                                        << "C:\\";
        QTest::newRow("folder only") << "C:\\Prog\\"
                                     << "\\";
    }

    void temporaryFolderFromTheEncyclopediaProgram() {
        QFETCH(QString, exe);
        QFETCH(QString, atteso);
        HostDiProva host;
        Installazione inst(host);
        inst.imposta("GENERAL", "ExeVelto", exe);
        inst.scrivi();
        QVERIFY(avvia());
        QCOMPARE(cfg.PathTemp, atteso);
    }

    void sectionsAndKeysIgnoreCase() {
        HostDiProva host;
        Installazione inst(host);
        inst.scriviModulo = false;
        inst.scrivi();
        host.scriviFile(inst.iniModulo,
                        "[general]\r\nexevelto=C:\\X\\a.exe\r\n[DIRECTORY2]\r\npathcd=d:\\\r\n"
                        "FOTO=D:\\F\r\nvideo=v\r\naudio=a\r\nanimazioni=n\r\ntabelle=t\r\n"
                        "sfondi=s\r\nsfondicredits=c\r\n[opzioni]\r\nvolume=20\r\n");
        QVERIFY(avvia());
        QCOMPARE(cfg.PathTemp, QStringLiteral("C:\\X\\"));
        QCOMPARE(cfg.PathFoto, QStringLiteral("D:\\F\\"));
        QCOMPARE(cfg.Volume, 20);
        QCOMPARE(cfg.ExeVeltoLab, QString());
    }

    void requiredKeysEndTheProgram_data() {
        QTest::addColumn<QString>("sezione");
        QTest::addColumn<QString>("chiave");
        QTest::addColumn<QString>("descrizione");
        QTest::newRow("PathCd") << "Directory2"
                                << "PathCd"
                                << "GENERAL, voce PathCd";
        QTest::newRow("ExeVelto") << "GENERAL"
                                  << "ExeVelto"
                                  << "Sciezka, haslo ExeVelto";
        for (const char* k :
             {"Foto", "Video", "Audio", "Animazioni", "Tabelle", "Sfondi", "SfondiCredits"})
            QTest::newRow(k) << "Directory2" << k
                             << QStringLiteral("Sciezka, haslo ") + QString::fromLatin1(k);
    }

    void requiredKeysEndTheProgram() {
        QFETCH(QString, sezione);
        QFETCH(QString, chiave);
        QFETCH(QString, descrizione);
        HostDiProva host;
        Installazione inst(host);
        inst.rimuovi(sezione, chiave);
        inst.scrivi();
        QVERIFY(!avvia());
        QVERIFY(host.fine.terminato);
        QCOMPARE(host.box.mostrati.size(), 1);
        QVERIFY2(host.box.mostrati[0].testo.contains(descrizione),
                 qPrintable(host.box.mostrati[0].testo));
        QVERIFY(host.box.mostrati[0].testo.contains(QStringLiteral("C:\\VELTO\\VELTOMM.INI")));
        QCOMPARE(host.box.mostrati[0].stile, 16);
        // Nothing after the failing key is read.
        QCOMPARE(cfg.PathSfondiCredits, QString());
        QCOMPARE(cfg.Volume, 0);
    }

    void missingConfigurationFilesEndTheProgram() {
        {
            HostDiProva host;
            Installazione inst(host);
            inst.scriviKormm = false;
            inst.scrivi();
            QVERIFY(!avvia());
            QVERIFY(
                host.box.mostrati[0].testo.contains(QStringLiteral("Messaggio 484 Messaggio 485")));
            QVERIFY(host.box.mostrati[0].testo.contains(QStringLiteral("KORMM.INI")));
        }
        {
            HostDiProva host;
            Installazione inst(host);
            inst.scriviKormm = false;
            inst.scrivi();
            QDir().mkpath(host.percorsoHost("C:\\WINDOWS\\KORMM.INI\\x")); // a folder of that name
            QVERIFY(!avvia());
            QVERIFY(host.fine.terminato);
        }
        {
            HostDiProva host;
            Installazione inst(host);
            inst.scriviModulo = false;
            inst.scrivi();
            QVERIFY(!avvia());
            QVERIFY(host.box.mostrati[0].testo.contains(QStringLiteral("veltoMM.ini")));
            QCOMPARE(cfg.PathCd, QString());
        }
    }

    void waitsForTheSecondDisc() {
        HostDiProva host;
        Installazione inst(host);
        inst.marcatore = QByteArray();
        inst.scrivi();
        int giri = 0;
        host.box.risposte = {Risposta::Riprova, Risposta::Riprova, Risposta::Riprova};
        host.box.primaDiRispondere = [&](const prova::BoxMostrato&) {
            // First a wrong disc, then an unquoted marker of another case.
            if (++giri == 1)
                host.scriviFile("D:\\VeltoMM.txt", "\"disco 1\",\"x\"\r\n");
            else if (giri == 2)
                host.scriviFile("D:\\veltomm.TXT", "  DISCO 2 , Velto\r\nsecond line\r\n");
        };
        QVERIFY(avvia());
        QCOMPARE(host.box.mostrati.size(), 2);
        QCOMPARE(host.box.mostrati[0].testo, QStringLiteral("Messaggio 486 "));
        QCOMPARE(host.box.mostrati[0].stile, 21);
        QCOMPARE(host.box.mostrati[0].titolo, QString());
        QCOMPARE(cfg.PathFoto, QStringLiteral("D:\\DATI\\"));
    }

    void cancellingTheDiscPromptEnds() {
        HostDiProva host;
        Installazione inst(host);
        inst.marcatore = QByteArrayLiteral("disco 1\r\n");
        inst.scrivi();
        host.box.risposte = {Risposta::Riprova, Risposta::Annulla};
        QVERIFY(!avvia());
        QCOMPARE(host.box.mostrati.size(), 2);
        QCOMPARE(cfg.PathTemp, QString()); // ExeVelto never read
    }

    void discMarkerFirstField_data() {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QString>("campo");
        QTest::newRow("quoted") << QByteArray("\"disco 2\",\"a\"\r\n") << "disco 2";
        QTest::newRow("plain with comma") << QByteArray("disco 2,a") << "disco 2";
        QTest::newRow("blanks") << QByteArray("   disco 2   \r\n") << "disco 2";
        QTest::newRow("only second line") << QByteArray("\r\ndisco 2") << "";
        QTest::newRow("quoted comma kept") << QByteArray("\"a,b\",c") << "a,b";
        QTest::newRow("unterminated quote") << QByteArray("\"disco 2") << "disco 2";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void discMarkerFirstField() {
        QFETCH(QByteArray, contenuto);
        QFETCH(QString, campo);
        QCOMPARE(primoCampo(contenuto), campo);
    }

    void secondInstanceEndsSilently() {
        HostDiProva host;
        Installazione(host).scrivi();
        FileInstanceLock primo(host.cartella.path() + QStringLiteral("/hnemar.lock"));
        QVERIFY(primo.acquire());
        FMed fmed;
        cfg = {};
        QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato, fmed.Form_Load());
        QVERIFY(host.box.mostrati.isEmpty());
        QCOMPARE(cfg.IniModulo, QString()); // start-up never ran
    }

    void firstInstanceStartsAndNamesItsWindow() {
        HostDiProva host(800, 600);
        Installazione(host).scrivi();
        FMed fmed;
        fmed.Form_Load();
        QCOMPARE(fmed.windowTitle(), QStringLiteral("Velto 2002"));
        QCOMPARE(fmed.size(), QSize(800, 600));
        QCOMPARE(cfg.PathFoto, QStringLiteral("D:\\DATI\\"));
    }
};

QTEST_MAIN(TestFileini)
#include "test_fileini.moc"
