#include "BlobStore.h"
#include "QxBlob2.h"

#include "HostDiProva.h"
#include "StoreDiProva.h"

#include <QFile>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

const QString Store = u"D:\\DATI\\BlobCorp.dat"_s, Temp = u"C:\\VELTO\\TEMP\\"_s;

// Extracts through the control as the program does; the run-time error's number, or 0.
int estrai(const QString& voce, const QString& destinazione, const QString& store = Store) {
    QxBlob2 b;
    b.setProprieta1(store);
    try {
        b.Metodo2(voce, destinazione);
    } catch (const ErroreVB& e) {
        return e.numero();
    }
    return 0;
}

} // namespace

class TestBlobStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nomiAmmessi() {
        for (const char* nome : {"SCHEL1.png", "Serce 2.RTF", "README"})
            QVERIFY2(blob::nomeVoceAmmesso(QString::fromUtf8(nome)), nome);
        for (const char* nome : {"", ".", "..", "a..png", "a/b.png", "a\\b.png", "C:x.png",
                                 "x\x01.png", "x\x7f.png", "*.png", "x?.png", " x.png", "x.png "})
            QVERIFY2(!blob::nomeVoceAmmesso(QString::fromUtf8(nome)), nome);
        QVERIFY(!blob::nomeVoceAmmesso(u"x"_s + QChar(u'\0') + u".png"_s));
    }

    void estraeSenzaRiguardoAlleMaiuscoleENonLasciaAltro() {
        HostDiProva host;
        const QByteArray png = immagineDiProva(8, 6, Qt::red),
                         rtf = "{\\rtf1 " + QByteArray(3000, 'x');
        blob::scriviStore(host.percorsoHost(Store),
                          {{u"SCHEL1.png"_s, png, {}}, {u"Testo.RTF"_s, rtf, {}}});
        const auto archivio = blob::Archivio::apri(host.percorsoHost(Store));
        QVERIFY(!archivio->trova(u"schel1.PNG")->deflate && archivio->trova(u"TESTO.rtf")->deflate);

        // Opened once while the file stays the same.
        const auto condiviso = blob::Archivio::condiviso(host.percorsoHost(Store));
        QCOMPARE(blob::Archivio::condiviso(host.percorsoHost(Store)), condiviso);
        host.percorsoHost(Temp + u"x"_s);
        QCOMPARE(estrai(u"schel1.PNG"_s, Temp + u"a.png"_s), 0);
        QCOMPARE(estrai(u"testo.rtf"_s, Temp + u"a.rtf"_s), 0);
        QCOMPARE(estrai(u"manca.png"_s, Temp + u"manca.png"_s), 0);
        QCOMPARE(host.leggiFile(Temp + u"a.png"_s), png);
        QCOMPARE(host.leggiFile(Temp + u"a.rtf"_s), rtf);
        QCOMPARE(tuttiIFile(host.percorsoHost(Temp)), (QStringList{u"a.png"_s, u"a.rtf"_s}));
    }

    void nomiOstiliNonScrivonoNullaDaNessunaParte() {
        HostDiProva host;
        scriviZipGrezzo(host.percorsoHost(Store),
                        {{"../evil.png", "1"},
                         {"..\\..\\WINDOWS\\evil.png", "2"},
                         {"/tmp/evil.png", "3"},
                         {"C:evil.png", "4"},
                         {"sub/evil.png", "5"},
                         {"evil\x01.png", "6"},
                         {"ok.png", "7"}},
                        false);
        host.percorsoHost(Temp + u"x"_s);
        const QStringList prima = tuttiIFile(host.cartella.path());
        const auto voci = blob::Archivio::apri(host.percorsoHost(Store))->voci();
        QCOMPARE(voci.size(), 1);
        QCOMPARE(voci[0].nome, u"ok.png"_s);
        for (const QString& nome :
             {u"../evil.png"_s, u"..\\..\\WINDOWS\\evil.png"_s, u"evil.png"_s})
            QCOMPARE(estrai(nome, Temp + nome), 0);
        QCOMPARE(tuttiIFile(host.cartella.path()), prima);
    }

    void voceDanneggiataNonLasciaFileParziali_data() {
        QTest::addColumn<bool>("deflate");
        QTest::addColumn<int>("campo"); // of the central directory: 16 CRC, 24 size
        QTest::addColumn<quint32>("valore");
        QTest::addColumn<qint64>("dimensione");
        QTest::newRow("stored, wrong CRC") << false << 16 << 0x1234u << qint64(10000);
        QTest::newRow("deflated, wrong CRC") << true << 16 << 0x1234u << qint64(10000);
        QTest::newRow("stored, size too small") << false << 24 << 100u << qint64(10000);
        QTest::newRow("deflated, size too large") << true << 24 << 20000u << qint64(10000);
        QTest::newRow("deflated, huge size") << true << 24 << 0xFFFFFFF0u << qint64(10000);
        // Honest about its size, and far beyond any picture: never even read.
        QTest::newRow("bomb of zeros") << true << 0 << 0u << blob::DimensioneMassimaVoce + 1;
    }
    void voceDanneggiataNonLasciaFileParziali() {
        QFETCH(bool, deflate);
        QFETCH(int, campo);
        QFETCH(quint32, valore);
        QFETCH(qint64, dimensione);
        HostDiProva host;
        QByteArray dati(dimensione, '\0');
        for (int i = 0; i < 10000; ++i)
            dati[i] = char(i * 7 % 251);
        scriviZipGrezzo(host.percorsoHost(Store), {{"tavola.png", dati}}, deflate);
        if (campo)
            alteraDirectory(host.percorsoHost(Store), campo, valore);
        host.percorsoHost(Temp + u"x"_s);
        QCOMPARE(estrai(u"tavola.png"_s, Temp + u"tavola.png"_s), blob::FormatoNonValido);
        QVERIFY(tuttiIFile(host.percorsoHost(Temp)).isEmpty());
    }

    void storeEDestinazioniImpossibiliDannoErroriNumerati() {
        HostDiProva host;
        blob::scriviStore(host.percorsoHost(Store), {{u"a.png"_s, "dati", {}}});
        host.scriviFile(u"D:\\DATI\\Testo.dat"_s, "not a store");
        host.scriviFile(u"C:\\WINDOWS\\win.ini"_s, "[windows]");
        const QString dest = Temp + u"a.png"_s;
        QCOMPARE(estrai(u"a.png"_s, dest, u"D:\\DATI\\Manca.dat"_s), Errore::FileNonTrovato);
        QCOMPARE(estrai(u"a.png"_s, dest, QString()), Errore::FileNonTrovato);
        QCOMPARE(estrai(u"a.png"_s, dest, u"D:\\DATI"_s), Errore::AccessoPercorso);
        QCOMPARE(estrai(u"a.png"_s, dest, u"D:\\DATI\\Testo.dat"_s), blob::FormatoNonValido);
        QCOMPARE(estrai(u"a.png"_s, u"C:\\MANCA\\a.png"_s), Errore::PercorsoNonTrovato);

        // A link at the destination is neither followed nor replaced.
        const QString link = host.percorsoHost(Temp + u"link.png"_s);
        QFile::link(host.percorsoHost(u"C:\\WINDOWS\\win.ini"_s), link);
        QCOMPARE(estrai(u"a.png"_s, Temp + u"link.png"_s), Errore::AccessoPercorso);
        QCOMPARE(host.leggiFile(u"C:\\WINDOWS\\win.ini"_s), QByteArray("[windows]"));
        QVERIFY(QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestBlobStore)
#include "test_blobstore.moc"
