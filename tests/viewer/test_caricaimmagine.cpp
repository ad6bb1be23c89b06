#include "CaricaImmagine.h"

#include "BlobStore.h"
#include "FXImage.h"
#include "Fileini.h"
#include "Fseek.h"
#include "HostDiProva.h"
#include "Installazione.h"
#include "StoreDiProva.h"

#include <QFile>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

const QString PathTemp = u"C:\\VELTO\\"_s, Corp = u"D:\\DATI\\BlobCorp.dat"_s;

// An installation with one store per selector, each holding "a.png" in its own colour, and a
// message 290 that shows the entry name.
struct Atlante {
    Atlante()
        : installazione(host) {
        installazione.messaggi[290] = {u"Obraz"_s, u"Nie można wczytać &"_s};
        installazione.scrivi();
        Fileini::cfg = {};
        Fileini::cfg.PathTemp = PathTemp;
        Fileini::cfg.PathFoto = u"D:\\DATI\\"_s;
        Fileini::cfg.PathSfondi = u"D:\\SFONDI\\"_s;
        // The background store's name in the photo folder is never the one read.
        for (const auto& [store, colore] :
             QList<std::pair<QString, QColor>>{{Corp, Qt::red},
                                               {u"D:\\DATI\\BlobFoto.dat"_s, Qt::green},
                                               {u"D:\\DATI\\BlobThum.dat"_s, Qt::blue},
                                               {u"D:\\DATI\\BlobCrop.dat"_s, Qt::yellow},
                                               {u"D:\\SFONDI\\Bit_Hd.ff"_s, Qt::magenta},
                                               {u"D:\\DATI\\Bit_Hd.ff"_s, Qt::black}})
            metti(store, u"a.png"_s, immagineDiProva(6, 4, colore));
        Fseek::Unload();
    }
    void metti(const QString& store, const QString& voce, const QByteArray& dati) {
        blob::scriviStore(host.percorsoHost(store), {{voce, dati, {}}});
    }
    // Files left in the temporary folder besides the installation's own.
    QStringList temporanei() const {
        QStringList file = tuttiIFile(host.percorsoHost(PathTemp));
        file.removeIf([](const QString& f) { return f.contains(u'/') || f.endsWith(u".INI"_s); });
        return file;
    }
    HostDiProva host;
    Installazione installazione;
};

QColor colore(const ControlloConPicture& c) {
    return c.Picture().pixelColor(0, 0);
}

} // namespace

class TestCaricaImmagine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ilSelettoreSceglieStoreCartellaELettore_data() {
        QTest::addColumn<std::optional<qint16>>("selettore");
        QTest::addColumn<QColor>("atteso");
        QTest::addColumn<int>("lettore"); // 0 blbFoto, 1 blbThumb, 2 blbCrop
        QTest::addColumn<QString>("store");
        QTest::newRow("missing") << std::optional<qint16>() << QColor(Qt::green) << 0
                                 << u"D:\\DATI\\BlobFoto.dat"_s;
        QTest::newRow("1") << std::optional<qint16>(1) << QColor(Qt::green) << 0
                           << u"D:\\DATI\\BlobFoto.dat"_s;
        QTest::newRow("2") << std::optional<qint16>(2) << QColor(Qt::blue) << 1
                           << u"D:\\DATI\\BlobThum.dat"_s;
        QTest::newRow("3") << std::optional<qint16>(3) << QColor(Qt::yellow) << 2
                           << u"D:\\DATI\\BlobCrop.dat"_s;
        QTest::newRow("10") << std::optional<qint16>(10) << QColor(Qt::magenta) << 0
                            << u"D:\\SFONDI\\Bit_Hd.ff"_s;
        for (qint16 altro : {0, 4, 7, 9, 11, -1})
            QTest::addRow("%d", altro)
                << std::optional<qint16>(altro) << QColor(Qt::red) << 0 << Corp;
    }
    void ilSelettoreSceglieStoreCartellaELettore() {
        QFETCH(std::optional<qint16>, selettore);
        QFETCH(QColor, atteso);
        QFETCH(int, lettore);
        QFETCH(QString, store);
        Atlante a;
        PictureBox pb, coperta;
        QCOMPARE(CaricaImmagine(u"a.png"_s, pb, {}, nullptr, selettore), std::nullopt);
        QCOMPARE(colore(pb), atteso);
        // A missing entry: 2, silently, and the target keeps its picture.
        QCOMPARE(CaricaImmagine(u"manca.png"_s, pb, {}, &coperta, selettore),
                 std::optional<int>(2));
        QVERIFY(colore(pb) == atteso && coperta.Visible());
        const Fseek& f = Fseek::istanza();
        const QList<const QxBlob2*> lettori = {&f.blbFoto, &f.blbThumb, &f.blbCrop};
        for (int i = 0; i < lettori.size(); ++i)
            QCOMPARE(lettori[i]->Proprieta1(), i == lettore ? store : QString());
        const int c = Puntatore::Clessidra, p = Puntatore::Predefinito;
        QCOMPARE(a.host.schermo.storiaPuntatore, (QList<int>{c, p, c, p}));
        QVERIFY(a.temporanei().isEmpty() && a.host.box.mostrati.isEmpty());
    }

    void nomiVuotiNonToccanoGliStoreQuelliConSpaziVengonoRifilati() {
        Atlante a;
        QWidget fondo;
        FXImage fx(&fondo);
        PictureBox coperta;
        for (const QString& vuoto : {QString(), u"   "_s})
            QCOMPARE(CaricaImmagine(vuoto, fx, {}, &coperta), std::nullopt);
        QCOMPARE(a.host.schermo.storiaPuntatore,
                 (QList<int>{Puntatore::Predefinito, Puntatore::Predefinito}));
        QVERIFY(!Fseek::caricato() && coperta.Visible() && fx.Picture().isNull());

        QCOMPARE(CaricaImmagine(u"  A.PNG "_s, fx, {}, &coperta, 0), std::nullopt);
        QCOMPARE(fx.FileName(), PathTemp + u"A.PNG"_s);
        QCOMPARE(colore(fx), QColor(Qt::red));
        QVERIFY(!coperta.Visible() && a.temporanei().isEmpty());
        Fileini::cfg.PathTemp = PathTemp + QChar(u'\0') + u"resto"_s; // cut at the NUL
        QCOMPARE(CaricaImmagine(u"a.png"_s, fx, {}, nullptr, 3), std::nullopt);
        QCOMPARE(colore(fx), QColor(Qt::yellow));
        // A store replaced while the program runs is read anew.
        a.metti(u"D:\\DATI\\BlobCrop.dat"_s, u"a.png"_s, immagineDiProva(6, 4, Qt::darkBlue));
        QCOMPARE(CaricaImmagine(u"a.png"_s, fx, {}, nullptr, 3), std::nullopt);
        QCOMPARE(colore(fx), QColor(Qt::darkBlue));
    }

    void unaFiguraDanneggiataVaAlGestore_data() {
        QTest::addColumn<QByteArray>("dati");
        const QByteArray png = immagineDiProva(64, 64, Qt::green);
        QTest::newRow("truncated PNG") << png.left(png.size() / 2);
        QTest::newRow("text named .png") << QByteArray("{\\rtf1 tekst}");
    }
    void unaFiguraDanneggiataVaAlGestore() {
        QFETCH(QByteArray, dati);
        Atlante a;
        a.metti(Corp, u"rotta.png"_s, dati);
        PictureBox pb;
        pb.ImpostaPicture(QImage::fromData(immagineDiProva(1, 1, Qt::gray)));
        auto carica = [&](std::optional<bool> silenzioso = {}) {
            return CaricaImmagine(u"rotta.png"_s, pb, silenzioso, nullptr, 0);
        };
        const QList<BoxMostrato>& mostrati = a.host.box.mostrati;

        // Ignore: the next steps run, the file goes, the target keeps its picture.
        a.host.box.risposte = {Risposta::Ignora};
        QCOMPARE(carica(), std::optional<int>(481));
        QCOMPARE(mostrati.size(), 1);
        QVERIFY2(mostrati[0].testo.endsWith(u" 481 w Nie można wczytać rotta.png"_s),
                 qPrintable(mostrati[0].testo));
        QVERIFY(colore(pb) == Qt::gray && a.temporanei().isEmpty());
        QCOMPARE(a.host.schermo.puntatore, Puntatore::Predefinito);

        // Retry loads again: a second report, then Ignore goes on.
        a.host.box.risposte = {Risposta::Riprova, Risposta::Ignora};
        QCOMPARE(carica(), std::optional<int>(481));
        QVERIFY(mostrati.size() == 3 && a.temporanei().isEmpty());
        QCOMPARE(carica(true), std::optional<int>(481)); // silent
        QCOMPARE(mostrati.size(), 3);
        a.host.box.risposte = {Risposta::OK}; // anything else ends the program
        QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato, carica());
        QVERIFY(a.host.fine.terminato && colore(pb) == Qt::gray);
    }

    void storeMancanteOTempInScrivibileVannoAlGestore() {
        Atlante a;
        PictureBox pb;
        a.host.box.risposte = {Risposta::Ignora, Risposta::Ignora};
        QFile::remove(a.host.percorsoHost(Corp));
        QCOMPARE(CaricaImmagine(u"a.png"_s, pb, {}, nullptr, 0), std::optional<int>(2));
        QCOMPARE(a.host.box.mostrati.value(0).testo,
                 u"Messaggio 63 53 Messaggio 64 Nie można wczytać a.png"_s);

        const QString temp = a.host.percorsoHost(PathTemp);
        if (!soloLettura(temp, true))
            QSKIP("this file system cannot make a folder read-only here");
        const auto risultato = CaricaImmagine(u"a.png"_s, pb, {}, nullptr, 1);
        soloLettura(temp, false);
        QCOMPARE(risultato, std::optional<int>(2));
        QVERIFY(a.host.box.mostrati.value(1).testo.endsWith(u" 75 w Nie można wczytać a.png"_s));
        QVERIFY(pb.Picture().isNull() && a.temporanei().isEmpty());
    }

    void nomiOstiliNonScrivonoNeCancellanoNulla() {
        for (const QString& nome : {u"..\\WINDOWS\\KORMM.INI"_s, u"C:\\WINDOWS\\KORMM.INI"_s,
                                    u"HNEMAR\\help.bin"_s, u"*.INI"_s}) {
            Atlante a;
            scriviZipGrezzo(a.host.percorsoHost(Corp),
                            {{nome.toLatin1(), immagineDiProva(2, 2, Qt::white)}}, false);
            const QStringList prima = tuttiIFile(a.host.cartella.path());
            const QByteArray kormm = a.host.leggiFile(u"C:\\WINDOWS\\KORMM.INI"_s);
            PictureBox pb;
            QCOMPARE(CaricaImmagine(nome, pb, {}, nullptr, 0), std::optional<int>(2));
            QCOMPARE(tuttiIFile(a.host.cartella.path()), prima);
            QCOMPARE(a.host.leggiFile(u"C:\\WINDOWS\\KORMM.INI"_s), kormm);
            QVERIFY(pb.Picture().isNull() && a.host.box.mostrati.isEmpty());
        }
    }
};

QTEST_MAIN(TestCaricaImmagine)
#include "test_caricaimmagine.moc"
