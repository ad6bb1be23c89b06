#include "BlobStore.h"
#include "QxBlob2.h"

#include "HostDiProva.h"
#include "StoreDiProva.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace hn;
using namespace hn::prova;

namespace {

const QString Store = QStringLiteral("D:\\DATI\\BlobCorp.dat");
const QString Temp = QStringLiteral("C:\\VELTO\\TEMP\\");

QxBlob2 lettore(const QString& store = Store) {
    QxBlob2 b;
    b.setProprieta1(store);
    return b;
}

int erroreDi(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErroreVB& e) {
        return e.numero();
    }
    return 0;
}

} // namespace

class TestBlobStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nomiAmmessi_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<bool>("ammesso");
        QTest::newRow("plate") << QStringLiteral("SCHEL1.png") << true;
        QTest::newRow("polish and inner blank") << QStringLiteral("Serce żyły 2.png") << true;
        QTest::newRow("no extension") << QStringLiteral("README") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("slash") << QStringLiteral("a/b.png") << false;
        QTest::newRow("backslash") << QStringLiteral("a\\b.png") << false;
        QTest::newRow("parent") << QStringLiteral("..") << false;
        QTest::newRow("dot") << QStringLiteral(".") << false;
        QTest::newRow("double dot inside") << QStringLiteral("a..png") << false;
        QTest::newRow("drive letter") << QStringLiteral("C:x.png") << false;
        QTest::newRow("nul") << QStringLiteral("x.png") + QChar(u'\0') + QStringLiteral("y")
                             << false;
        QTest::newRow("control character") << QStringLiteral("x\x01.png") << false;
        QTest::newRow("delete character") << QStringLiteral("x\x7f.png") << false;
        QTest::newRow("C1 control")
            << QStringLiteral("x") + QChar(0x85) + QStringLiteral(".png") << false;
        QTest::newRow("wildcard star") << QStringLiteral("*.png") << false;
        QTest::newRow("wildcard question") << QStringLiteral("x?.png") << false;
        QTest::newRow("leading blank") << QStringLiteral(" x.png") << false;
        QTest::newRow("trailing blank") << QStringLiteral("x.png ") << false;
        QTest::newRow("too long") << QString(256, u'a') << false;
    }
    void nomiAmmessi() {
        QFETCH(QString, nome);
        QFETCH(bool, ammesso);
        QCOMPARE(blob::nomeVoceAmmesso(nome), ammesso);
    }

    void estraeVociMemorizzateECompresseSenzaRiguardoAlleMaiuscole() {
        HostDiProva host;
        const QByteArray png = immagineDiProva(8, 6, Qt::red);
        const QByteArray rtf = QByteArray("{\\rtf1 ") + QByteArray(3000, 'x') + "}";
        scriviStore(
            host, Store,
            {{QStringLiteral("SCHEL1.png"), png, {}}, {QStringLiteral("Testo.RTF"), rtf, {}}});

        const auto archivio = blob::Archivio::apri(host.percorsoHost(Store));
        QCOMPARE(archivio->voci().size(), 2);
        QVERIFY(!archivio->trova(u"schel1.PNG")->deflate);
        QVERIFY(archivio->trova(u"TESTO.rtf")->deflate);
        QVERIFY(archivio->trova(u"TESTO.rtf")->compressa < rtf.size());

        host.percorsoHost(Temp + QStringLiteral("x"));
        const QxBlob2 b = lettore();
        b.Metodo2(QStringLiteral("schel1.PNG"), Temp + QStringLiteral("schel1.PNG"));
        b.Metodo2(QStringLiteral("testo.rtf"), Temp + QStringLiteral("x.rtf"));
        QCOMPARE(host.leggiFile(Temp + QStringLiteral("schel1.PNG")), png);
        QCOMPARE(host.leggiFile(Temp + QStringLiteral("x.rtf")), rtf);
        // Only the two destinations: no scratch file is left beside them.
        QCOMPARE(tuttiIFile(host.percorsoHost(Temp)),
                 (QStringList{QStringLiteral("schel1.PNG"), QStringLiteral("x.rtf")}));

        // A later extraction of the same name replaces the file.
        scriviStore(host, Store, {{QStringLiteral("SCHEL1.png"), rtf, {}}});
        b.Metodo2(QStringLiteral("SCHEL1.png"), Temp + QStringLiteral("schel1.PNG"));
        QCOMPARE(host.leggiFile(Temp + QStringLiteral("schel1.PNG")), rtf);
    }

    void voceAssenteNonScriveNullaENonSollevaErrori() {
        HostDiProva host;
        scriviStore(host, Store, {{QStringLiteral("a.png"), immagineDiProva(2, 2, Qt::blue), {}}});
        host.percorsoHost(Temp + QStringLiteral("x"));
        lettore().Metodo2(QStringLiteral("b.png"), Temp + QStringLiteral("b.png"));
        lettore().Metodo2(QString(), Temp + QStringLiteral("vuoto"));
        QVERIFY(tuttiIFile(host.percorsoHost(Temp)).isEmpty());
    }

    void nomiOstiliNonScrivonoNullaDaNessunaParte_data() {
        QTest::addColumn<QByteArray>("nome");
        QTest::newRow("parent, slash") << QByteArray("../evil.png");
        QTest::newRow("parent, backslash") << QByteArray("..\\..\\WINDOWS\\evil.png");
        QTest::newRow("absolute") << QByteArray("/tmp/evil.png");
        QTest::newRow("drive") << QByteArray("C:evil.png");
        QTest::newRow("drive and root") << QByteArray("C:\\WINDOWS\\evil.png");
        QTest::newRow("subfolder") << QByteArray("sub/evil.png");
        QTest::newRow("control") << QByteArray("evil\x01.png");
        QTest::newRow("wildcard") << QByteArray("*.png");
    }
    void nomiOstiliNonScrivonoNullaDaNessunaParte() {
        QFETCH(QByteArray, nome);
        HostDiProva host;
        const QString store = host.percorsoHost(Store);
        scriviZipGrezzo(store, {{nome, QByteArray("hostile")}, {"ok.png", QByteArray("fine")}},
                        false);
        host.percorsoHost(Temp + QStringLiteral("x"));
        const QStringList prima = tuttiIFile(host.cartella.path());

        // Unreachable whatever the caller asks for, with its own name or the name it points at.
        const auto archivio = blob::Archivio::apri(store);
        QCOMPARE(archivio->voci().size(), 1);
        QCOMPARE(archivio->voci().front().nome, QStringLiteral("ok.png"));
        const QString chiesto = QString::fromLatin1(nome);
        lettore().Metodo2(chiesto, Temp + chiesto);
        lettore().Metodo2(QStringLiteral("evil.png"), Temp + QStringLiteral("evil.png"));
        QCOMPARE(tuttiIFile(host.cartella.path()), prima);

        lettore().Metodo2(QStringLiteral("OK.PNG"), Temp + QStringLiteral("ok.png"));
        QCOMPARE(host.leggiFile(Temp + QStringLiteral("ok.png")), QByteArray("fine"));
    }

    void voceDanneggiataNonLasciaFileParziali_data() {
        QTest::addColumn<bool>("deflate");
        QTest::addColumn<int>("campo");
        QTest::addColumn<quint32>("valore");
        QTest::newRow("stored, wrong CRC") << false << 16 << 0x12345678u;
        QTest::newRow("deflated, wrong CRC") << true << 16 << 0x12345678u;
        QTest::newRow("stored, size too small") << false << 24 << 100u;
        QTest::newRow("deflated, size too small") << true << 24 << 100u;
        QTest::newRow("deflated, size too large") << true << 24 << 20000u;
        QTest::newRow("deflated, huge size") << true << 24 << 0xFFFFFFF0u;
    }
    void voceDanneggiataNonLasciaFileParziali() {
        QFETCH(bool, deflate);
        QFETCH(int, campo);
        QFETCH(quint32, valore);
        HostDiProva host;
        const QString store = host.percorsoHost(Store);
        QByteArray dati;
        for (int i = 0; i < 10000; ++i)
            dati.append(char(i * 7 % 251));
        scriviZipGrezzo(store, {{"tavola.png", dati}}, deflate);
        alteraDirectory(store, "tavola.png", campo, valore);
        host.percorsoHost(Temp + QStringLiteral("x"));

        QCOMPARE(erroreDi([&] {
                     lettore().Metodo2(QStringLiteral("tavola.png"),
                                       Temp + QStringLiteral("tavola.png"));
                 }),
                 blob::FormatoNonValido);
        QVERIFY(tuttiIFile(host.percorsoHost(Temp)).isEmpty());
    }

    void unaVoceOltreIlLimiteNonVieneNeppureLetta() {
        // Honest about its size, and far beyond any picture: a bomb of zeros.
        HostDiProva host;
        const QString store = host.percorsoHost(Store);
        scriviZipGrezzo(store, {{"bomba.bmp", QByteArray(blob::DimensioneMassimaVoce + 1, '\0')}},
                        true);
        QVERIFY(QFileInfo(store).size() < 1024 * 1024);
        host.percorsoHost(Temp + QStringLiteral("x"));
        QCOMPARE(erroreDi([&] {
                     lettore().Metodo2(QStringLiteral("bomba.bmp"),
                                       Temp + QStringLiteral("bomba.bmp"));
                 }),
                 blob::FormatoNonValido);
        QVERIFY(tuttiIFile(host.percorsoHost(Temp)).isEmpty());
    }

    void storeEDestinazioniImpossibiliDannoErroriNumerati() {
        HostDiProva host;
        scriviStore(host, Store, {{QStringLiteral("a.png"), QByteArray("dati"), {}}});
        const QString dest = Temp + QStringLiteral("a.png");
        host.percorsoHost(dest);
        auto estrai = [&](const QString& store, const QString& destinazione) {
            return erroreDi([&] { lettore(store).Metodo2(QStringLiteral("a.png"), destinazione); });
        };

        QCOMPARE(estrai(QStringLiteral("D:\\DATI\\Manca.dat"), dest), Errore::FileNonTrovato);
        QCOMPARE(estrai(QString(), dest), Errore::FileNonTrovato);
        QCOMPARE(estrai(QStringLiteral("Q:\\BlobCorp.dat"), dest), Errore::FileNonTrovato);
        QCOMPARE(estrai(QStringLiteral("D:\\DATI"), dest), Errore::AccessoPercorso);
        host.scriviFile(QStringLiteral("D:\\DATI\\Testo.dat"), QByteArray("not a store at all"));
        QCOMPARE(estrai(QStringLiteral("D:\\DATI\\Testo.dat"), dest), blob::FormatoNonValido);

        QCOMPARE(estrai(Store, QStringLiteral("C:\\MANCA\\a.png")), Errore::PercorsoNonTrovato);
        QDir().mkpath(host.percorsoHost(Temp) + QStringLiteral("/cartella.png"));
        QCOMPARE(estrai(Store, Temp + QStringLiteral("cartella.png")), Errore::AccessoPercorso);

        // A link at the destination is neither followed nor replaced.
        const QString bersaglio = host.percorsoHost(QStringLiteral("C:\\WINDOWS\\win.ini"));
        host.scriviFile(QStringLiteral("C:\\WINDOWS\\win.ini"), QByteArray("[windows]"));
        QVERIFY(QFile::link(bersaglio, host.percorsoHost(Temp) + QStringLiteral("/link.png")));
        QCOMPARE(estrai(Store, Temp + QStringLiteral("link.png")), Errore::AccessoPercorso);
        QCOMPARE(host.leggiFile(QStringLiteral("C:\\WINDOWS\\win.ini")), QByteArray("[windows]"));
        QVERIFY(QFileInfo(host.percorsoHost(Temp) + QStringLiteral("/link.png")).isSymLink());

        {
            CartellaSolaLettura solaLettura(host.percorsoHost(Temp));
            if (!solaLettura.attiva())
                QSKIP("this file system cannot make a folder read-only here");
            QCOMPARE(estrai(Store, dest), Errore::AccessoPercorso);
        }
        QVERIFY(!host.esiste(dest));
    }

    void storeSostituitoSulDiscoVieneRiletto() {
        HostDiProva host;
        const QString store = host.percorsoHost(Store);
        const QByteArray rosso = immagineDiProva(4, 4, Qt::red, "BMP");
        const QByteArray blu = immagineDiProva(4, 4, Qt::blue, "BMP");
        QCOMPARE(rosso.size(), blu.size());
        scriviStore(host, Store, {{QStringLiteral("a.png"), rosso, {}}});
        const QString dest = Temp + QStringLiteral("a.png");
        host.percorsoHost(dest);

        lettore().Metodo2(QStringLiteral("a.png"), dest);
        QCOMPARE(host.leggiFile(dest), rosso);
        // The open store is kept while the file stays the same.
        const auto primo = blob::Archivio::condiviso(store);
        QCOMPARE(blob::Archivio::condiviso(store), primo);

        // Replaced by a new file of the same size, as an update would do.
        scriviStore(host, Store, {{QStringLiteral("a.png"), blu, {}}});
        lettore().Metodo2(QStringLiteral("a.png"), dest);
        QCOMPARE(host.leggiFile(dest), blu);
        QVERIFY(blob::Archivio::condiviso(store) != primo);

        // Rewritten in place, same file: read anew too.
        const QString altro = host.cartella.path() + QStringLiteral("/altro.dat");
        blob::scriviStore(
            altro, {{QStringLiteral("A.PNG"), rosso, {}}, {QStringLiteral("b.png"), blu, {}}});
        QFile f(store);
        QVERIFY(f.open(QIODevice::ReadWrite | QIODevice::Truncate));
        QFile nuovo(altro);
        QVERIFY(nuovo.open(QIODevice::ReadOnly));
        f.write(nuovo.readAll());
        f.close();
        lettore().Metodo2(QStringLiteral("b.png"), Temp + QStringLiteral("b.png"));
        QCOMPARE(host.leggiFile(Temp + QStringLiteral("b.png")), blu);

        // Removed: the error comes back, not the old directory.
        QFile::remove(store);
        QCOMPARE(erroreDi([&] { lettore().Metodo2(QStringLiteral("a.png"), dest); }),
                 Errore::FileNonTrovato);
    }

    void ilPackerRifiutaNomiCheNonSiPotrebberoRileggere() {
        const QTemporaryDir cartella;
        const QString store = cartella.filePath(QStringLiteral("s.dat"));
        auto scrivi = [&](const QList<blob::VoceNuova>& voci) {
            return erroreDi([&] { blob::scriviStore(store, voci); });
        };
        QCOMPARE(scrivi({{QStringLiteral("../a.png"), QByteArray("x"), {}}}),
                 Errore::ChiamataNonValida);
        QCOMPARE(scrivi({{QStringLiteral("a.png"), QByteArray("x"), {}},
                         {QStringLiteral("A.PNG"), QByteArray("y"), {}}}),
                 Errore::ChiamataNonValida);
        QCOMPARE(
            scrivi({{QStringLiteral("a.png"), {}, cartella.filePath(QStringLiteral("manca.png"))}}),
            Errore::FileNonTrovato);
        QVERIFY(!QFileInfo::exists(store));
    }
};

QTEST_GUILESS_MAIN(TestBlobStore)
#include "test_blobstore.moc"
