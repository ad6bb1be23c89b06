// A picture's larger renditions as the loaders find them: beside it in its store or its folder,
// read only when asked for, and only when they measure the picture's size times their factor.

#include "CaricaImmagine.h"
#include "CaricaSfondo.h"

#include "BlobStore.h"
#include "ErroreDi.h"
#include "FXImage.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "Immagine.h"
#include "Installazione.h"
#include "PictureBox.h"
#include "Rendizioni.h"
#include "StatoPulito.h"
#include "StoreDiProva.h"

#include <QFile>
#include <QTest>
#include <sys/stat.h>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

const QString Corp = u"D:\\DATI\\BlobCorp.dat"_s, Sfondi = u"D:\\SFONDI\\"_s;

struct Banco {
    Banco()
        : installazione(host) {
        installazione.messaggi[290] = {u"Obraz"_s, u"Nie można wczytać &"_s};
        installazione.messaggi[251] = {u"Tło"_s, u"Nie można wczytać tła"_s};
        installazione.scrivi();
        Fileini::cfg.PathTemp = u"C:\\VELTO\\"_s;
        Fileini::cfg.PathFoto = u"D:\\DATI\\"_s;
        Fileini::cfg.PathSfondi = Sfondi;
    }
    void store(const QList<blob::VoceNuova>& voci) const {
        blob::scriviStore(host.percorsoHost(Corp), voci);
    }
    StatoPulito stato;
    HostDiProva host;
    Installazione installazione;
};

QColor colore(const QImage& i) {
    return i.isNull() ? QColor() : i.pixelColor(0, 0);
}

} // namespace

class TestRendizioni : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nomiDelleRendizioni_data();
    void nomiDelleRendizioni();
    void nelloStore_data();
    void nelloStore();
    void unaFiguraSenzaRendizioniNonTieneQuelleDellaPrecedente();
    void nellaCartellaLetteSoloQuandoServono();
    void laPiuGrandeLeggibile();
    void immaginiDaiLoroByte_data();
    void immaginiDaiLoroByte();
};

void TestRendizioni::nomiDelleRendizioni_data() {
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("fattore");
    QTest::newRow("plate") << u"SCHEL1@2x.png"_s << u"SCHEL1.png"_s << u"2"_s;
    QTest::newRow("upper case mark") << u"sistemi@3X.BMP"_s << u"sistemi.BMP"_s << u"3"_s;
    QTest::newRow("no extension") << u"abc@4x"_s << u"abc"_s << u"4"_s;
    QTest::newRow("fraction") << u"x@1.5x.png"_s << u"x.png"_s << u"1.5"_s;
    QTest::newRow("two digits") << u"x@10x.png"_s << u"x.png"_s << u"10"_s;
    QTest::newRow("dot in the name") << u"a.b@2x.png"_s << u"a.b.png"_s << u"2"_s;
    QTest::newRow("no mark") << u"SCHEL1.png"_s << QString() << QString();
    QTest::newRow("a word, not a factor") << u"mail@box.png"_s << QString() << QString();
    QTest::newRow("mark before the last dot only") << u"a@2x.b.png"_s << QString() << QString();
}

void TestRendizioni::nomiDelleRendizioni() {
    QFETCH(QString, nome);
    QFETCH(QString, base);
    QFETCH(QString, fattore);
    QString b, f;
    QCOMPARE(scomponiNomeRendizione(nome, b, f), !base.isEmpty());
    QCOMPARE(b, base);
    QCOMPARE(f, fattore);
    if (!base.isEmpty() && (f == u"2" || f == u"3" || f == u"4"))
        QCOMPARE(nomeRendizione(base, f.toInt()).toCaseFolded(), nome.toCaseFolded());
}

// The store's renditions of an entry, into either kind of target; a wrong size or bytes that are
// no picture give an empty rendition and no message, the 1 × picture loading as before.
void TestRendizioni::nelloStore_data() {
    QTest::addColumn<bool>("fx");
    QTest::newRow("image display") << true;
    QTest::newRow("picture box") << false;
}

void TestRendizioni::nelloStore() {
    QFETCH(bool, fx);
    Banco b;
    b.store({{u"a.png"_s, immagineDiProva(6, 4, Qt::red), {}},
             {u"A@2X.PNG"_s, immagineDiProva(12, 8, Qt::green), {}},
             {u"a@3x.png"_s, immagineDiProva(18, 13, Qt::blue), {}}, // one row too many
             {u"a@4x.png"_s, QByteArray("no picture"), {}},
             {u"a@5x.png"_s, immagineDiProva(30, 20, Qt::blue), {}},
             {u"b.png"_s, immagineDiProva(5, 5, Qt::red), {}}});
    FXImage immagine;
    PictureBox scatola;
    ControlloConPicture& c = fx ? static_cast<ControlloConPicture&>(immagine) : scatola;

    QCOMPARE(CaricaImmagine(u" a.png "_s, c, std::nullopt, nullptr, qint16{0}), std::nullopt);
    QCOMPARE(c.Picture().size(), QSize(6, 4));
    QCOMPARE(c.rendizioni().fattori(), QList<int>({1, 2, 3, 4}));
    QCOMPARE(colore(c.rendizioni().carica(2)), QColor(Qt::green));
    QCOMPARE(c.rendizioni().carica(2).size(), QSize(12, 8));
    QVERIFY(c.rendizioni().carica(3).isNull());
    QVERIFY(c.rendizioni().carica(4).isNull());
    QCOMPARE(c.rendizioni().massimo(), 4);
    QCOMPARE(b.host.box.mostrati.size(), 0);

    // A 1 × store: the picture alone, as always.
    QCOMPARE(CaricaImmagine(u"b.png"_s, c, std::nullopt, nullptr, qint16{0}), std::nullopt);
    QCOMPARE(c.Picture().size(), QSize(5, 5));
    QVERIFY(c.rendizioni().vuote());
}

// Renditions belong to one picture: a missing entry keeps picture and renditions together, the
// next picture without renditions drops them, and so does a damaged one that is passed over.
void TestRendizioni::unaFiguraSenzaRendizioniNonTieneQuelleDellaPrecedente() {
    Banco b;
    b.store({{u"a.png"_s, immagineDiProva(6, 4, Qt::red), {}},
             {u"a@2x.png"_s, immagineDiProva(12, 8, Qt::green), {}},
             {u"b.png"_s, immagineDiProva(6, 4, Qt::blue), {}}});
    FXImage c;
    CaricaImmagine(u"a.png"_s, c, std::nullopt, nullptr, qint16{0});
    QCOMPARE(CaricaImmagine(u"manca.png"_s, c, std::nullopt, nullptr, qint16{0}), 2);
    QCOMPARE(colore(c.Picture()), QColor(Qt::red));
    QCOMPARE(c.rendizioni().fattori(), QList<int>({1, 2}));
    CaricaImmagine(u"b.png"_s, c, std::nullopt, nullptr, qint16{0});
    QCOMPARE(colore(c.Picture()), QColor(Qt::blue));
    QVERIFY(c.rendizioni().vuote());
    QVERIFY(rendizionePiuGrande(c.Picture(), c.rendizioni()) == c.Picture());
}

// A background file's renditions are the files beside it, found by name without regard to case
// and read when a screen asks for one: a file changed after loading is read as it is then.
void TestRendizioni::nellaCartellaLetteSoloQuandoServono() {
    Banco b;
    const QString sfondo = Sfondi + u"sistemi.bmp"_s;
    b.host.scriviFile(sfondo, immagineDiProva(8, 6, Qt::red, "BMP"));
    PictureBox c;
    CaricaSfondo(c, sfondo);
    QCOMPARE(c.Picture().size(), QSize(8, 6));
    QVERIFY(c.rendizioni().vuote());

    b.host.scriviFile(Sfondi + u"SISTEMI@2x.bmp"_s, immagineDiProva(16, 12, Qt::green));
    b.host.scriviFile(Sfondi + u"sistemi@3x.bmp"_s, immagineDiProva(24, 18, Qt::blue, "BMP"));
    CaricaSfondo(c, sfondo);
    QCOMPARE(c.rendizioni().fattori(), QList<int>({1, 2, 3}));
    // Changed after loading: nothing was read yet, so the new bytes count.
    b.host.scriviFile(Sfondi + u"sistemi@3x.bmp"_s, immagineDiProva(24, 18, Qt::yellow));
    QCOMPARE(colore(c.rendizioni().carica(3)), QColor(Qt::yellow));
    QCOMPARE(colore(c.rendizioni().carica(2)), QColor(Qt::green));
    // Gone, or replaced by something of another size: nothing to show, and nothing said.
    QFile::remove(b.host.percorsoHost(Sfondi + u"SISTEMI@2x.bmp"_s));
    b.host.scriviFile(Sfondi + u"sistemi@3x.bmp"_s, immagineDiProva(24, 17, Qt::yellow));
    QVERIFY(c.rendizioni().carica(2).isNull());
    QVERIFY(c.rendizioni().carica(3).isNull());
    // A pipe in its place is no picture, and reading it never waits for a writer.
    QCOMPARE(::mkfifo(QFile::encodeName(b.host.percorsoHost(Sfondi + u"SISTEMI@2x.bmp"_s)), 0600),
             0);
    QVERIFY(c.rendizioni().carica(2).isNull());
    QCOMPARE(b.host.box.mostrati.size(), 0);
    QCOMPARE(c.Picture().size(), QSize(8, 6));
}

// What print and copy take: the largest that can be read, falling back factor by factor.
void TestRendizioni::laPiuGrandeLeggibile() {
    QImage base(4, 3, QImage::Format_RGB32);
    base.fill(Qt::red);
    const auto di = [](QSize s, QColor c) {
        QImage i(s, QImage::Format_RGB32);
        i.fill(c);
        return i;
    };
    int chiamate = 0;
    Rendizioni r;
    r.aggiungi(2, [&] { return ++chiamate, di({8, 6}, Qt::green); });
    r.aggiungi(3, [&] { return ++chiamate, QImage(); });
    r.aggiungi(4, [&] { return ++chiamate, di({16, 13}, Qt::blue); }); // wrong size
    int fattore = 0;
    QCOMPARE(colore(rendizionePiuGrande(base, r, &fattore)), QColor(Qt::green));
    QCOMPARE(fattore, 2);
    QCOMPARE(chiamate, 3);
    QCOMPARE(rendizionePiuGrande(base, {}, &fattore), base);
    QCOMPARE(fattore, 1);

    // Bytes of another size are never decoded past their header.
    QVERIFY(decodificaRendizione(immagineDiProva(8, 7, Qt::red), {8, 6}).isNull());
    QVERIFY(decodificaRendizione(immagineDiProva(8, 6, Qt::red).left(60), {8, 6}).isNull());
    QCOMPARE(decodificaRendizione(immagineDiProva(8, 6, Qt::red, "BMP"), {8, 6}).size(),
             QSize(8, 6));
}

// Pictures are what their bytes are, whatever their format: the two an atlas holds are read by
// name, any other recognised by Qt; bytes that only begin like a picture are none.
void TestRendizioni::immaginiDaiLoroByte_data() {
    QTest::addColumn<QByteArray>("dati");
    QTest::addColumn<QByteArray>("formato");
    QTest::addColumn<QSize>("misura"); // invalid: no picture
    QTest::newRow("PNG") << immagineDiProva(7, 5, Qt::red, "PNG") << "png"_ba << QSize(7, 5);
    QTest::newRow("BMP") << immagineDiProva(7, 5, Qt::red, "BMP") << "bmp"_ba << QSize(7, 5);
    QTest::newRow("JPEG, left to Qt")
        << immagineDiProva(7, 5, Qt::red, "JPG") << QByteArray() << QSize(7, 5);
    QTest::newRow("BM and nothing more") << "BM not a picture"_ba
                                         << "bmp"_ba << QSize();
    QTest::newRow("PNG signature, then nothing") << "\x89PNG\r\n\x1a\n"_ba
                                                 << "png"_ba << QSize();
}

void TestRendizioni::immaginiDaiLoroByte() {
    QFETCH(QByteArray, dati);
    QFETCH(QByteArray, formato);
    QFETCH(QSize, misura);
    QCOMPARE(formatoDaiByte(dati), formato);
    QImage letta;
    QCOMPARE(erroreDi([&] { letta = decodificaImmagine(dati); }),
             misura.isValid() ? 0 : int(Errore::ImmagineNonValida));
    QCOMPARE(letta.size(), misura.isValid() ? misura : QSize(0, 0));
    // As a rendition: read only at the size it must have.
    QCOMPARE(decodificaRendizione(dati, QSize(7, 5)).size(),
             misura.isValid() ? misura : QSize(0, 0));
    QVERIFY(decodificaRendizione(dati, QSize(14, 10)).isNull());
}

QTEST_MAIN(TestRendizioni)
#include "test_rendizioni.moc"
