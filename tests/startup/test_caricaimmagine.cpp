#include "CaricaImmagine.h"

#include "BlobStore.h"
#include "FXImage.h"
#include "Fifo.h"
#include "Fileini.h"
#include "Fseek.h"
#include "Installazione.h"
#include "Riga.h"
#include "StatoPulito.h"
#include "StoreDiProva.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QtEndian>
#include <zlib.h>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

const QString PathTemp = u"C:\\VELTO\\"_s, Corp = u"D:\\DATI\\BlobCorp.dat"_s;
using Selettore = std::optional<qint16>;

// An installation with one store per selector, each holding "a.png" in its own colour, and a
// message 290 that shows the entry name.
struct Atlante {
    Atlante()
        : installazione(host) {
        installazione.messaggi[290] = {u"Obraz"_s, u"Nie można wczytać &"_s};
        installazione.scrivi();
        Fileini::cfg.PathTemp = PathTemp;
        Fileini::cfg.PathFoto = u"D:\\DATI\\"_s;
        Fileini::cfg.PathSfondi = u"D:\\SFONDI\\"_s;
        for (auto s = colori.cbegin(); s != colori.cend(); ++s)
            metti(s.key(), u"a.png"_s, immagineDiProva(6, 4, s.value()));
    }
    ~Atlante() { soloLettura(host.percorsoHost(PathTemp), false); } // a test may have set it
    void metti(const QString& store, const QString& voce, const QByteArray& dati) {
        blob::scriviStore(host.percorsoHost(store), {{voce, dati, {}}});
    }
    // Files left in the temporary folder besides the installation's own.
    QStringList temporanei() const {
        QStringList file = tuttiIFile(host.percorsoHost(PathTemp));
        file.removeIf([](const QString& f) { return f.contains(u'/') || f.endsWith(u".INI"_s); });
        return file;
    }
    StatoPulito stato;
    HostDiProva host;
    Installazione installazione;
    // The background store's name in the photo folder is never the one read.
    const QHash<QString, QColor> colori{{Corp, Qt::red},
                                        {u"D:\\DATI\\BlobFoto.dat"_s, Qt::green},
                                        {u"D:\\DATI\\BlobThum.dat"_s, Qt::blue},
                                        {u"D:\\DATI\\BlobCrop.dat"_s, Qt::yellow},
                                        {u"D:\\SFONDI\\Bit_Hd.ff"_s, Qt::magenta},
                                        {u"D:\\DATI\\Bit_Hd.ff"_s, Qt::black}};
};

// A PNG whose header announces 30000 x 30000 pixels: a reader that believed it would need
// gigabytes.
QByteArray pngEnorme() {
    QByteArray png = immagineDiProva(1, 1, Qt::white);
    qToBigEndian(quint32(30000), png.data() + 16);
    qToBigEndian(quint32(30000), png.data() + 20);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.constData() + 12), 17);
    qToBigEndian(quint32(crc), png.data() + 29);
    return png;
}

QColor colore(const ControlloConPicture& c) {
    return c.Picture().pixelColor(0, 0);
}

} // namespace

class TestCaricaImmagine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ilSelettoreSceglieStoreCartellaELettore_data() {
        QTest::addColumn<Selettore>("selettore");
        QTest::addColumn<int>("lettore"); // 0 blbFoto, 1 blbThumb, 2 blbCrop
        QTest::addColumn<QString>("store");
        QTest::newRow("missing") << Selettore() << 0 << u"D:\\DATI\\BlobFoto.dat"_s;
        QTest::newRow("1") << Selettore(1) << 0 << u"D:\\DATI\\BlobFoto.dat"_s;
        QTest::newRow("2") << Selettore(2) << 1 << u"D:\\DATI\\BlobThum.dat"_s;
        QTest::newRow("3") << Selettore(3) << 2 << u"D:\\DATI\\BlobCrop.dat"_s;
        QTest::newRow("10") << Selettore(10) << 0 << u"D:\\SFONDI\\Bit_Hd.ff"_s;
        for (qint16 altro : {0, 4, 7, 9, 11, -1})
            QTest::addRow("%d", altro) << Selettore(altro) << 0 << Corp;
    }
    void ilSelettoreSceglieStoreCartellaELettore() {
        QFETCH(Selettore, selettore);
        QFETCH(int, lettore);
        QFETCH(QString, store);
        Atlante a;
        PictureBox pb, coperta;
        QCOMPARE(CaricaImmagine(u"a.png"_s, pb, {}, nullptr, selettore), std::nullopt);
        QCOMPARE(colore(pb), a.colori[store]);
        // A missing entry: 2, silently, and the target keeps its picture.
        QCOMPARE(CaricaImmagine(u"manca.png"_s, pb, {}, &coperta, selettore),
                 std::optional<int>(2));
        QVERIFY(colore(pb) == a.colori[store] && coperta.Visible());
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
        FXImage fx;
        PictureBox coperta;
        for (const QString& vuoto : {QString(), u"   "_s})
            QCOMPARE(CaricaImmagine(vuoto, fx, {}, &coperta), std::nullopt);
        QCOMPARE(a.host.schermo.storiaPuntatore, QList<int>(2, Puntatore::Predefinito));
        QVERIFY(!Fseek::creata() && coperta.Visible() && fx.Picture().isNull());

        QCOMPARE(CaricaImmagine(u"  A.PNG "_s, fx, {}, &coperta, 0), std::nullopt);
        QCOMPARE(colore(fx), QColor(Qt::red));
        QVERIFY(!coperta.Visible() && a.temporanei().isEmpty());
        // Read in memory: a temporary folder that cannot be written changes nothing.
        if (soloLettura(a.host.percorsoHost(PathTemp), true))
            QCOMPARE(CaricaImmagine(u"a.png"_s, fx, {}, nullptr, 0), std::nullopt);
        QCOMPARE(CaricaImmagine(u"a.png"_s, fx, {}, nullptr, 3), std::nullopt);
        QCOMPARE(colore(fx), QColor(Qt::yellow));
        // A store replaced while the program runs is read anew.
        a.metti(u"D:\\DATI\\BlobCrop.dat"_s, u"a.png"_s, immagineDiProva(6, 4, Qt::darkBlue));
        QCOMPARE(CaricaImmagine(u"a.png"_s, fx, {}, nullptr, 3), std::nullopt);
        QCOMPARE(colore(fx), QColor(Qt::darkBlue));
    }

    // Each failing step is reported in the OK-only box of the error report, so the program ends
    // there; the target keeps its picture. The box names the file at fault once, in a Polish
    // sentence, and says the program will end. Silently, the routine returns the error's number
    // with the pointer back to normal.
    void gliErroriVannoAlGestore_data() {
        QTest::addColumn<QString>("guasto");
        QTest::addColumn<int>("numero");
        QTest::addColumn<QString>("colpevole"); // the file the box names, "" when none
        QTest::addColumn<QString>("frase");
        const QString corp = Corp;
        riga("damaged picture", u"testo"_s, 481, corp, u"jest uszkodzony albo zbyt duży"_s);
        riga("30000 x 30000 picture", u"enorme"_s, 481, corp, u"jest uszkodzony albo zbyt duży"_s);
        riga("store is a folder", u"cartella"_s, 75, corp, u"nie jest zwykłym plikiem"_s);
        riga("store is a FIFO", u"fifo"_s, 75, corp, u"nie jest zwykłym plikiem"_s);
        riga("truncated store", u"troncato"_s, 321, corp, u"nie jest magazynem"_s);
        riga("bad CRC", u"crc"_s, 321, corp, u"Wpis a.png w magazynie"_s);
        riga("missing store", u"manca"_s, 53, QString(), QString());
    }
    void gliErroriVannoAlGestore() {
        QFETCH(QString, guasto);
        QFETCH(int, numero);
        QFETCH(QString, colpevole);
        QFETCH(QString, frase);
        Atlante a;
        const QString store = a.host.percorsoHost(Corp);
        if (guasto == u"testo")
            a.metti(Corp, u"a.png"_s, "{\\rtf1 tekst}"); // text under a picture's name
        else if (guasto == u"enorme")
            a.metti(Corp, u"a.png"_s, pngEnorme());
        else if (guasto == u"cartella" || guasto == u"fifo" || guasto == u"manca")
            QFile::remove(store);
        if (guasto == u"cartella")
            QVERIFY(QDir().mkpath(store));
        else if (guasto == u"fifo")
            QVERIFY(creaFifo(store));
        else if (guasto == u"troncato" || guasto == u"crc") {
            QFile f(store);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QByteArray dati = f.readAll();
            if (guasto == u"troncato") {
                dati.truncate(dati.size() / 2);
            } else {
                const qsizetype png = dati.indexOf(immagineDiProva(6, 4, Qt::red));
                QVERIFY(png > 0);
                dati[png + 20] = char(dati[png + 20] ^ 0x55);
            }
            QVERIFY(f.resize(0) && f.write(dati) == dati.size());
        }
        PictureBox pb;
        pb.ImpostaPicture(QImage::fromData(immagineDiProva(1, 1, Qt::gray)));
        auto carica = [&](std::optional<bool> silenzioso = {}) {
            EntroUnSecondo scadenza;
            return CaricaImmagine(u"a.png"_s, pb, silenzioso, nullptr, 0);
        };
        const QList<BoxMostrato>& mostrati = a.host.box.mostrati;

        QCOMPARE(carica(true), std::optional<int>(numero));
        QVERIFY(mostrati.isEmpty() && colore(pb) == Qt::gray);
        QCOMPARE(a.host.schermo.puntatore, Puntatore::Predefinito);

        QVERIFY_THROWS_EXCEPTION(ProgrammaTerminato, carica());
        const QString testo = mostrati.value(0).testo;
        // The number closes the sentence about the file; "w" never sticks to a sentence.
        const QString nr = numero == 53 ? u" 53 "_s : u" (błąd nr %1).\r\n"_s.arg(numero);
        QVERIFY2(mostrati.size() == 1 && testo.contains(nr) && !testo.contains(u" w Nie"_s) &&
                     testo.contains(u"Nie można wczytać a.png"_s) &&
                     testo.endsWith(u"\r\nProgram zostanie zakończony."_s) &&
                     testo.contains(frase) &&
                     (colpevole.isEmpty() || testo.count(a.host.percorsoHost(colpevole)) == 1),
                 qPrintable(testo));
        QCOMPARE(mostrati[0].stile, Stile::OK | Stile::Critico);
        QVERIFY(a.host.fine.terminato && colore(pb) == Qt::gray);
    }

    void nomiOstiliNonScrivonoNeCancellanoNulla() {
        for (const QString& nome : {u"..\\WINDOWS\\KORMM.INI"_s, u"C:\\WINDOWS\\KORMM.INI"_s,
                                    u"HNEMAR\\help.bin"_s, u"*.INI"_s}) {
            Atlante a;
            scriviZipGrezzo(a.host.percorsoHost(Corp),
                            {{nome.toLatin1(), immagineDiProva(2, 2, Qt::white)}}, false);
            const QStringList prima = tuttiIFile(a.host.cartella.path());
            PictureBox pb;
            QCOMPARE(CaricaImmagine(nome, pb, {}, nullptr, 0), std::optional<int>(2));
            QCOMPARE(tuttiIFile(a.host.cartella.path()), prima);
            QVERIFY(pb.Picture().isNull() && a.host.box.mostrati.isEmpty());
        }
    }
};

QTEST_MAIN(TestCaricaImmagine)
#include "test_caricaimmagine.moc"
