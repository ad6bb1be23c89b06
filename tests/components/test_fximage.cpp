#include "FXImage.h"

#include "HostDiProva.h"
#include "StoreDiProva.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace hn;
using namespace hn::prova;

namespace {

// A 3 × 2 red GIF (Qt reads GIF but does not write it).
const QByteArray gifRossa = QByteArray::fromHex("4749463839610300020"
                                                "0f00000ff00000000002c00000000030002000002028"
                                                "45f003b");

const QString Cartella = QStringLiteral("C:\\VELTO\\TEMP\\");

// True while the process holds a descriptor on that host file.
bool tenutoAperto(const QString& file) {
    const QString bersaglio = QFileInfo(file).canonicalFilePath();
    const QDir fd(QStringLiteral("/proc/self/fd"));
    for (const QString& voce : fd.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System))
        if (QFile::symLinkTarget(fd.filePath(voce)) == bersaglio)
            return true;
    return false;
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

class TestFXImage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileNameCaricaSubitoELasciaIlFile_data() {
        QTest::addColumn<QByteArray>("dati");
        QTest::addColumn<QSize>("dimensione");
        QTest::newRow("PNG") << immagineDiProva(7, 5, Qt::red, "PNG") << QSize(7, 5);
        QTest::newRow("BMP") << immagineDiProva(7, 5, Qt::red, "BMP") << QSize(7, 5);
        QTest::newRow("JPEG") << immagineDiProva(16, 8, Qt::red, "JPG") << QSize(16, 8);
        QTest::newRow("GIF") << gifRossa << QSize(3, 2);
    }
    void fileNameCaricaSubitoELasciaIlFile() {
        QFETCH(QByteArray, dati);
        QFETCH(QSize, dimensione);
        HostDiProva host;
        // The name says nothing: the bytes decide the format.
        const QString file = Cartella + QStringLiteral("tavola.dat");
        host.scriviFile(file, dati);

        FXImage fx;
        fx.setFileName(file);
        QCOMPARE(fx.FileName(), file);
        QCOMPARE(QSize(fx.IWidth(), fx.IHeight()), dimensione);
        const QColor c = fx.Picture().pixelColor(1, 1);
        QVERIFY2(c.red() > 240 && c.green() < 16 && c.blue() < 16, qPrintable(c.name()));
        QVERIFY(!tenutoAperto(host.percorsoHost(file)));
        QVERIFY(QFile::remove(host.percorsoHost(file)));
        QCOMPARE(fx.IWidth(), dimensione.width());
    }

    void unaFiguraDanneggiataLasciaQuellaPrecedente_data() {
        QTest::addColumn<QByteArray>("dati");
        QTest::addColumn<int>("errore");
        const QByteArray png = immagineDiProva(64, 64, Qt::green, "PNG");
        QTest::newRow("truncated PNG") << png.left(png.size() / 2) << Errore::ImmagineNonValida;
        QTest::newRow("PNG header only") << png.left(16) << Errore::ImmagineNonValida;
        QTest::newRow("text named .png")
            << QByteArray("{\\rtf1 not a picture}") << Errore::ImmagineNonValida;
        QTest::newRow("empty file") << QByteArray("") << Errore::ImmagineNonValida;
        QTest::newRow("no file") << QByteArray() << Errore::FileNonTrovato;
    }
    void unaFiguraDanneggiataLasciaQuellaPrecedente() {
        QFETCH(QByteArray, dati);
        QFETCH(int, errore);
        HostDiProva host;
        const QString buona = Cartella + QStringLiteral("buona.png"),
                      rotta = Cartella + QStringLiteral("rotta.png");
        host.scriviFile(buona, immagineDiProva(4, 3, Qt::blue));
        if (!dati.isNull())
            host.scriviFile(rotta, dati);

        FXImage fx;
        fx.setFileName(buona);
        QCOMPARE(erroreDi([&] { fx.setFileName(rotta); }), errore);
        QCOMPARE(fx.FileName(), buona);
        QCOMPARE(fx.IWidth(), 4);
        QCOMPARE(fx.Picture().pixelColor(0, 0), QColor(Qt::blue));
    }

    void autoSizeEGeometriaInTwips() {
        HostDiProva host;
        QWidget fondo;
        fondo.resize(1000, 800);
        FXImage fx(&fondo);
        // The viewer's plate rectangle: 15 twips to the pixel.
        fx.Move(6495, 2160, 5970, 7200);
        QCOMPARE(fx.geometry(), QRect(433, 144, 398, 480));
        QCOMPARE(fx.Left(), 6495);
        QCOMPARE(fx.Top(), 2160);
        QCOMPARE(fx.Width(), 5970);
        QCOMPARE(fx.Height(), 7200);

        fx.ImpostaPicture(QImage(QSize(100, 50), QImage::Format_RGB32));
        fx.setAutoSize(0);
        QCOMPARE(fx.size(), QSize(398, 480));
        fx.setAutoSize(1);
        QCOMPARE(fx.size(), QSize(100, 50));

        QImage rossa(10, 10, QImage::Format_RGB32);
        rossa.fill(Qt::red);
        fx.resize(40, 40);
        fx.setAutoSize(2);
        fx.ImpostaPicture(rossa);
        QCOMPARE(fx.grab().toImage().pixelColor(35, 35), QColor(Qt::red));
        fx.setAutoSize(0);
        QVERIFY(fx.grab().toImage().pixelColor(35, 35) != QColor(Qt::red));
        QCOMPARE(fx.grab().toImage().pixelColor(5, 5), QColor(Qt::red));

        fx.ImpostaVisible(false);
        QVERIFY(!fx.Visible());
        fx.ImpostaVisible(true);
        QVERIFY(fx.Visible());
    }

    void stampaNelRettangoloDatoInTwips() {
        // A device of 144 dots per inch: one dot for every 10 twips.
        QImage pagina(200, 200, QImage::Format_RGB32);
        pagina.fill(Qt::white);
        pagina.setDotsPerMeterX(qRound(144 / 0.0254));
        pagina.setDotsPerMeterY(qRound(144 / 0.0254));
        QImage figura(4, 2, QImage::Format_RGB32);
        figura.fill(Qt::red);

        FXImage fx;
        fx.ImpostaPicture(figura);
        fx.setPrinterWidth(1000);
        fx.setPrinterHeight(500);
        fx.setPrinterLeft(200);
        fx.setPrinterTop(300);
        QPainter p(&pagina);
        fx.setPrinterhDC(&p);
        p.end();

        QCOMPARE(pagina.pixelColor(21, 31), QColor(Qt::red));
        QCOMPARE(pagina.pixelColor(118, 78), QColor(Qt::red));
        QCOMPARE(pagina.pixelColor(18, 55), QColor(Qt::white));
        QCOMPARE(pagina.pixelColor(122, 55), QColor(Qt::white));
        QCOMPARE(pagina.pixelColor(70, 28), QColor(Qt::white));
        QCOMPARE(pagina.pixelColor(70, 82), QColor(Qt::white));
    }

    void stampaSullaStampanteDelHost() {
        HostDiProva host;
        QImage figura(40, 30, QImage::Format_RGB32);
        figura.fill(Qt::darkGreen);
        FXImage fx;
        fx.ImpostaPicture(figura);
        fx.setPrinterWidth(600);
        fx.setPrinterHeight(450);
        fx.setPrinterLeft(1000);
        fx.setPrinterTop(1000);

        // No document open: the printer error.
        QCOMPARE(erroreDi([&] { fx.setPrinterhDC(host.stampante->painter()); }), Errore::Stampante);

        host.stampante->startDocument(QStringLiteral("Ilustracja"));
        fx.setPrinterhDC(host.stampante->painter());
        host.stampante->endDocument();
        QFile pdf(host.filePdf);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().contains("/Subtype /Image"));
    }

    void eventiDelMouseInTwips() {
        HostDiProva host;
        FXImage fx;
        fx.resize(100, 100);
        QSignalSpy giu(&fx, &FXImage::MouseDown), su(&fx, &FXImage::MouseUp);
        QTest::mousePress(&fx, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
        QTest::mouseRelease(&fx, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier,
                            QPoint(3, 4));
        QCOMPARE(giu.size(), 1);
        QCOMPARE(giu[0], (QVariantList{1, 1, 150.0f, 300.0f}));
        QCOMPARE(su.size(), 1);
        QCOMPARE(su[0], (QVariantList{2, 6, 45.0f, 60.0f}));
    }
};

QTEST_MAIN(TestFXImage)
#include "test_fximage.moc"
