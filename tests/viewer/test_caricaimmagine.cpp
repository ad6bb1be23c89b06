#include "CaricaImmagine.h"

#include "FXImage.h"
#include "Fileini.h"
#include "Fseek.h"
#include "HostDiProva.h"
#include "Installazione.h"
#include "StoreDiProva.h"

#include <QFile>
#include <QTest>
#include <functional>

using namespace hn;
using namespace hn::prova;

namespace {

const QString PathTemp = QStringLiteral("C:\\VELTO\\");

// One store per selector, each holding "a.png" in its own colour.
struct Store {
    QString percorso;
    QColor colore;
};
const QList<Store> stores = {
    {QStringLiteral("D:\\DATI\\BlobCorp.dat"), Qt::red},
    {QStringLiteral("D:\\DATI\\BlobFoto.dat"), Qt::green},
    {QStringLiteral("D:\\DATI\\BlobThum.dat"), Qt::blue},
    {QStringLiteral("D:\\DATI\\BlobCrop.dat"), Qt::yellow},
    {QStringLiteral("D:\\SFONDI\\Bit_Hd.ff"), Qt::magenta},
    // The background store's name in the photo folder: never the one read.
    {QStringLiteral("D:\\DATI\\Bit_Hd.ff"), Qt::black},
};

// A message box that, besides answering from its script, runs an action when shown (a user
// fixing a file before pressing Retry).
class BoxConAzione : public ScriptedMessageBox {
public:
    int show(const QString& text, int style, const QString& title) override {
        if (azione)
            azione();
        return ScriptedMessageBox::show(text, style, title);
    }
    std::function<void()> azione;
};

// A fixture installation with every store, the configuration CaricaImmagine reads, and a
// message 290 that shows the entry name.
struct Atlante {
    Atlante()
        : installazione(host) {
        installazione.messaggi[290] = {QStringLiteral("Obraz"),
                                       QStringLiteral("Nie można wczytać obrazu &")};
        installazione.scrivi();
        Fileini::cfg = {};
        Fileini::cfg.PathTemp = PathTemp;
        Fileini::cfg.PathFoto = QStringLiteral("D:\\DATI\\");
        Fileini::cfg.PathSfondi = QStringLiteral("D:\\SFONDI\\");
        for (const Store& s : stores)
            scriviStore(host, s.percorso,
                        {{QStringLiteral("a.png"), immagineDiProva(6, 4, s.colore), {}}});
        Fseek::Unload();
        setHost({&box, &host.fine, &host.schermo, host.paths.get(), host.istanza.get(),
                 &host.appunti, host.stampante.get()});
    }

    // Files in the temporary folder, apart from the installation's own.
    QStringList temporanei() const {
        QStringList file = tuttiIFile(host.percorsoHost(PathTemp));
        file.removeIf([](const QString& f) {
            return f.contains(u'/') || f.endsWith(QStringLiteral(".INI"));
        });
        return file;
    }

    HostDiProva host;
    Installazione installazione;
    BoxConAzione box;
};

QImage tinta(QColor c) {
    QImage i(2, 2, QImage::Format_RGB32);
    i.fill(c);
    return i;
}

} // namespace

class TestCaricaImmagine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ilSelettoreSceglieStoreCartellaELettore_data() {
        QTest::addColumn<std::optional<qint16>>("selettore");
        QTest::addColumn<QColor>("colore");
        QTest::addColumn<QString>("lettore");
        QTest::addColumn<QString>("store");
        const QString corp = QStringLiteral("D:\\DATI\\BlobCorp.dat");
        QTest::newRow("missing") << std::optional<qint16>() << QColor(Qt::green) << "blbFoto"
                                 << "D:\\DATI\\BlobFoto.dat";
        QTest::newRow("1") << std::optional<qint16>(1) << QColor(Qt::green) << "blbFoto"
                           << "D:\\DATI\\BlobFoto.dat";
        QTest::newRow("2") << std::optional<qint16>(2) << QColor(Qt::blue) << "blbThumb"
                           << "D:\\DATI\\BlobThum.dat";
        QTest::newRow("3") << std::optional<qint16>(3) << QColor(Qt::yellow) << "blbCrop"
                           << "D:\\DATI\\BlobCrop.dat";
        QTest::newRow("10") << std::optional<qint16>(10) << QColor(Qt::magenta) << "blbFoto"
                            << "D:\\SFONDI\\Bit_Hd.ff";
        for (qint16 altro : {0, 4, 7, 9, 11, -1, 32767})
            QTest::addRow("%d", altro)
                << std::optional<qint16>(altro) << QColor(Qt::red) << "blbFoto" << corp;
    }
    void ilSelettoreSceglieStoreCartellaELettore() {
        QFETCH(std::optional<qint16>, selettore);
        QFETCH(QColor, colore);
        QFETCH(QString, lettore);
        QFETCH(QString, store);
        Atlante a;
        PictureBox pb;
        QCOMPARE(CaricaImmagine(QStringLiteral("a.png"), pb, {}, nullptr, selettore), std::nullopt);
        QCOMPARE(pb.Picture().pixelColor(0, 0), colore);

        Fseek& f = Fseek::istanza();
        const QMap<QString, const QxBlob2*> lettori = {{QStringLiteral("blbFoto"), &f.blbFoto},
                                                       {QStringLiteral("blbThumb"), &f.blbThumb},
                                                       {QStringLiteral("blbCrop"), &f.blbCrop}};
        for (auto it = lettori.begin(); it != lettori.end(); ++it)
            QCOMPARE(it.value()->Proprieta1(), it.key() == lettore ? store : QString());
        // Hourglass over the whole routine, the temporary file gone afterwards, no message.
        QCOMPARE(a.host.schermo.storiaPuntatore,
                 (QList<int>{Puntatore::Clessidra, Puntatore::Predefinito}));
        QVERIFY(a.temporanei().isEmpty());
        QVERIFY(a.box.mostrati.isEmpty());
    }

    void unNomeVuotoNonToccaGliStore_data() {
        QTest::addColumn<QString>("nome");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("    ");
    }
    void unNomeVuotoNonToccaGliStore() {
        QFETCH(QString, nome);
        Atlante a;
        PictureBox pb;
        pb.ImpostaPicture(tinta(Qt::gray));
        QCOMPARE(CaricaImmagine(nome, pb), std::nullopt);
        QCOMPARE(pb.Picture().pixelColor(0, 0), QColor(Qt::gray));
        QCOMPARE(a.host.schermo.storiaPuntatore, (QList<int>{Puntatore::Predefinito}));
        QVERIFY(!Fseek::caricato());
    }

    void unNomeConSpaziVieneRifilatoPerStoreEFileTemporaneo() {
        Atlante a;
        QWidget fondo;
        FXImage fx(&fondo);
        PictureBox coperta;
        QCOMPARE(CaricaImmagine(QStringLiteral("  A.PNG "), fx, {}, &coperta, 0), std::nullopt);
        QCOMPARE(fx.FileName(), PathTemp + QStringLiteral("A.PNG"));
        QCOMPARE(fx.Picture().pixelColor(0, 0), QColor(Qt::red));
        QVERIFY(!coperta.Visible());
        QVERIFY(a.temporanei().isEmpty());
        // The text before a NUL is the folder.
        Fileini::cfg.PathTemp = PathTemp + QChar(u'\0') + QStringLiteral("resto");
        QCOMPARE(CaricaImmagine(QStringLiteral("a.png"), fx, {}, nullptr, 3), std::nullopt);
        QCOMPARE(fx.Picture().pixelColor(0, 0), QColor(Qt::yellow));
        QVERIFY(Fseek::caricato());
    }

    void unaVoceAssenteDa2ELasciaLaFigura() {
        Atlante a;
        FXImage fx;
        fx.ImpostaPicture(tinta(Qt::gray));
        PictureBox coperta;
        QCOMPARE(CaricaImmagine(QStringLiteral("SCHEL9.png"), fx, {}, &coperta, 0),
                 std::optional<int>(2));
        QCOMPARE(fx.Picture().pixelColor(0, 0), QColor(Qt::gray));
        QVERIFY(coperta.Visible());
        QVERIFY(a.box.mostrati.isEmpty());
        QCOMPARE(a.host.schermo.puntatore, Puntatore::Predefinito);
        QVERIFY(a.temporanei().isEmpty());
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
        scriviStore(a.host, stores[0].percorso, {{QStringLiteral("rotta.png"), dati, {}}});
        PictureBox pb;
        pb.ImpostaPicture(tinta(Qt::gray));

        // Ignore: the next steps run, the file is removed, the target keeps its picture.
        a.box.risposte = {Risposta::Ignora};
        QCOMPARE(CaricaImmagine(QStringLiteral("rotta.png"), pb, {}, nullptr, 0),
                 std::optional<int>(481));
        QCOMPARE(a.box.mostrati.size(), 1);
        const BoxMostrato& b = a.box.mostrati[0];
        QVERIFY2(b.testo.contains(QStringLiteral("481")) &&
                     b.testo.contains(QStringLiteral("Nie można wczytać obrazu rotta.png")),
                 qPrintable(b.testo));
        QCOMPARE(b.stile, Stile::OK | Stile::Critico);
        QCOMPARE(pb.Picture().pixelColor(0, 0), QColor(Qt::gray));
        QVERIFY(a.temporanei().isEmpty());
        QCOMPARE(a.host.schermo.puntatore, Puntatore::Predefinito);

        // Retry loads again: once the file is a picture, the step goes through.
        a.box.mostrati.clear();
        a.box.risposte = {Risposta::Riprova, Risposta::Riprova};
        int mostrati = 0;
        a.box.azione = [&] {
            if (++mostrati == 2)
                a.host.scriviFile(PathTemp + QStringLiteral("rotta.png"),
                                  immagineDiProva(3, 3, Qt::cyan));
        };
        QCOMPARE(CaricaImmagine(QStringLiteral("rotta.png"), pb, {}, nullptr, 0),
                 std::optional<int>(481));
        QCOMPARE(a.box.mostrati.size(), 2);
        QCOMPARE(pb.Picture().pixelColor(0, 0), QColor(Qt::cyan));
        QVERIFY(a.temporanei().isEmpty());
        a.box.azione = nullptr;

        // Any other answer ends the program.
        a.box.risposte = {Risposta::OK};
        QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato,
                                 CaricaImmagine(QStringLiteral("rotta.png"), pb, {}, nullptr, 0));
        QVERIFY(a.host.fine.terminato);

        // Silent: the error number, no message.
        a.box.mostrati.clear();
        QCOMPARE(CaricaImmagine(QStringLiteral("rotta.png"), pb, true, nullptr, 0),
                 std::optional<int>(481));
        QVERIFY(a.box.mostrati.isEmpty());
        QCOMPARE(pb.Picture().pixelColor(0, 0), QColor(Qt::cyan));
    }

    void storeMancanteOTempInScrivibileVannoAlGestore() {
        Atlante a;
        PictureBox pb;
        pb.ImpostaPicture(tinta(Qt::gray));
        a.box.risposte = {Risposta::Ignora};
        QFile::remove(a.host.percorsoHost(stores[0].percorso));
        QCOMPARE(CaricaImmagine(QStringLiteral("a.png"), pb, {}, nullptr, 0),
                 std::optional<int>(2));
        QCOMPARE(a.box.mostrati.size(), 1);
        // File not found: the opening sentence and message 64 about the picture.
        QCOMPARE(a.box.mostrati[0].testo,
                 QStringLiteral("Messaggio 63 53 Messaggio 64 Nie można wczytać obrazu a.png"));

        a.box.mostrati.clear();
        a.box.risposte = {Risposta::Ignora};
        {
            CartellaSolaLettura solaLettura(a.host.percorsoHost(PathTemp));
            if (!solaLettura.attiva())
                QSKIP("this file system cannot make a folder read-only here");
            QCOMPARE(CaricaImmagine(QStringLiteral("a.png"), pb, {}, nullptr, 1),
                     std::optional<int>(2));
        }
        QCOMPARE(a.box.mostrati.size(), 1);
        QVERIFY(a.box.mostrati[0].testo.contains(
            QStringLiteral(" 75 w Nie można wczytać obrazu a.png")));
        QCOMPARE(pb.Picture().pixelColor(0, 0), QColor(Qt::gray));
        QVERIFY(a.temporanei().isEmpty());
    }

    void nomiOstiliNonScrivonoNeCancellanoNulla_data() {
        QTest::addColumn<QString>("nome");
        QTest::newRow("parent") << QStringLiteral("..\\WINDOWS\\KORMM.INI");
        QTest::newRow("drive") << QStringLiteral("C:\\WINDOWS\\KORMM.INI");
        QTest::newRow("subfolder") << QStringLiteral("HNEMAR\\help.bin");
        QTest::newRow("wildcard") << QStringLiteral("*.INI");
    }
    void nomiOstiliNonScrivonoNeCancellanoNulla() {
        QFETCH(QString, nome);
        Atlante a;
        scriviZipGrezzo(a.host.percorsoHost(stores[0].percorso),
                        {{nome.toLatin1(), immagineDiProva(2, 2, Qt::white)}}, false);
        const QStringList prima = tuttiIFile(a.host.cartella.path());
        const QByteArray kormm = a.host.leggiFile(QStringLiteral("C:\\WINDOWS\\KORMM.INI"));
        PictureBox pb;
        pb.ImpostaPicture(tinta(Qt::gray));
        QCOMPARE(CaricaImmagine(nome, pb, {}, nullptr, 0), std::optional<int>(2));
        QCOMPARE(tuttiIFile(a.host.cartella.path()), prima);
        QCOMPARE(a.host.leggiFile(QStringLiteral("C:\\WINDOWS\\KORMM.INI")), kormm);
        QCOMPARE(pb.Picture().pixelColor(0, 0), QColor(Qt::gray));
        QVERIFY(a.box.mostrati.isEmpty());
    }

    void unoStoreSostituitoMentreIlProgrammaGiraVieneRiletto() {
        Atlante a;
        FXImage fx;
        QCOMPARE(CaricaImmagine(QStringLiteral("a.png"), fx, {}, nullptr, 0), std::nullopt);
        QCOMPARE(fx.Picture().pixelColor(0, 0), QColor(Qt::red));
        scriviStore(a.host, stores[0].percorso,
                    {{QStringLiteral("a.png"), immagineDiProva(6, 4, Qt::darkBlue), {}}});
        QCOMPARE(CaricaImmagine(QStringLiteral("a.png"), fx, {}, nullptr, 0), std::nullopt);
        QCOMPARE(fx.Picture().pixelColor(0, 0), QColor(Qt::darkBlue));
    }
};

QTEST_MAIN(TestCaricaImmagine)
#include "test_caricaimmagine.moc"
