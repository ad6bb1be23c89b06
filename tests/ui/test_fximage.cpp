#include "FXImage.h"

#include "ErroreDi.h"
#include "HostDiProva.h"
#include "KorAtx.h"
#include "PdfDiProva.h"
#include "QXCapVir.h"
#include "Rendizioni.h"
#include "StoreDiProva.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

class TestFXImage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileNameCaricaSubitoOLasciaLaFiguraPrecedente_data() {
        QTest::addColumn<QByteArray>("dati");
        QTest::addColumn<int>("errore");
        for (const char* formato : {"PNG", "BMP", "JPG"})
            QTest::newRow(formato) << immagineDiProva(16, 8, Qt::red, formato) << 0;
        // Qt reads GIF but does not write it: 16 × 8 red.
        QTest::newRow("GIF") << QByteArray::fromHex(
                                    "47494638396110000800f00000ff000000000021f904000000"
                                    "00002c000000001000080000020a848fa9cbed0fa39cac00003b")
                             << 0;
        const QByteArray png = immagineDiProva(64, 64, Qt::red);
        QTest::newRow("truncated PNG") << png.left(png.size() / 2) << Errore::ImmagineNonValida;
        QTest::newRow("text") << QByteArray("{\\rtf1 no picture}") << Errore::ImmagineNonValida;
        QTest::newRow("empty file") << QByteArray("") << Errore::ImmagineNonValida;
        QTest::newRow("no file") << QByteArray() << Errore::FileNonTrovato;
    }
    void fileNameCaricaSubitoOLasciaLaFiguraPrecedente() {
        QFETCH(QByteArray, dati);
        QFETCH(int, errore);
        HostDiProva host;
        const QString prima = u"C:\\VELTO\\prima.png"_s, file = u"C:\\VELTO\\tavola.png"_s;
        host.scriviFile(prima, immagineDiProva(4, 3, Qt::blue));
        if (!dati.isNull())
            host.scriviFile(file, dati); // the bytes decide the format, not the name
        FXImage fx;
        fx.setFileName(prima);
        QCOMPARE(erroreDi([&] { fx.setFileName(file); }), errore);
        const QColor c = fx.Picture().pixelColor(3, 2);
        QCOMPARE(fx.FileName(), errore ? prima : file);
        QCOMPARE(QSize(fx.IWidth(), fx.IHeight()), errore ? QSize(4, 3) : QSize(16, 8));
        QVERIFY2(errore ? c == Qt::blue : c.red() > 240 && c.green() < 16 && c.blue() < 16,
                 qPrintable(c.name()));
        // Nothing holds the file any more: the caller deletes it right after.
        const QDir fd(u"/proc/self/fd"_s);
        for (const QString& voce : fd.entryList(QDir::Files | QDir::System))
            QVERIFY(!QFile::symLinkTarget(fd.filePath(voce)).endsWith(u"tavola.png"_s));
    }

    // The other component controls share the form controls' twips geometry: placed in pixels,
    // reporting what was set, a negative size taken as none.
    // A picture with renditions prints the largest one that can be read, in the 1 × picture's
    // rectangle: the PDF holds its pixels (pdfimages), the page shows it where the 1 × one
    // would be. A picture without renditions prints as it is.
    void stampaLaRendizionePiuGrande_data() {
        QTest::addColumn<QList<int>>("fattori");
        QTest::addColumn<QSize>("nelPdf");
        QTest::newRow("1 ×") << QList<int>{} << QSize(40, 30);
        QTest::newRow("2 ×") << QList<int>{2} << QSize(80, 60);
        QTest::newRow("2 × and 3 ×") << QList<int>{2, 3} << QSize(120, 90);
        QTest::newRow("3 × unreadable: 2 ×") << QList<int>{2, -3} << QSize(80, 60);
    }
    void stampaLaRendizionePiuGrande() {
        QFETCH(QList<int>, fattori);
        QFETCH(QSize, nelPdf);
        HostDiProva host;
        FXImage fx;
        QImage base(40, 30, QImage::Format_RGB32);
        base.fill(Qt::red);
        fx.ImpostaPicture(base);
        Rendizioni r;
        for (int f : fattori)
            r.aggiungi(std::abs(f), [f, base] {
                if (f < 0)
                    return QImage();
                QImage i(base.size() * f, QImage::Format_RGB32);
                i.fill(Qt::blue);
                return i;
            });
        fx.ImpostaRendizioni(r);
        fx.setPrinterWidth(1440 * 2);
        fx.setPrinterHeight(1440 * 1.5);
        fx.setPrinterLeft(1440);
        fx.setPrinterTop(1440);
        host.stampante->startDocument(u"Ilustracja"_s);
        fx.setPrinterhDC(host.stampante->painter());
        host.stampante->endDocument();

        QProcess p;
        p.start(u"pdfimages"_s, {u"-list"_s, host.filePdf});
        QVERIFY(p.waitForFinished(20000));
        const QStringList righe = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
        QVERIFY2(righe.size() >= 3, qPrintable(righe.join(u'\n')));
        // page num type width height …
        const QStringList campi = righe[2].simplified().split(u' ');
        QCOMPARE(QSize(campi[3].toInt(), campi[4].toInt()), nelPdf);
        // Still the 1 × picture's size on the page: 2 × 1.5 inches, an inch from the corner.
        const QImage pagina = primaPagina(host.filePdf, QDir::temp().filePath(u"fximage"_s));
        QRect inchiostro;
        for (int y = 0; y < pagina.height(); ++y)
            for (int x = 0; x < pagina.width(); ++x)
                if (pagina.pixelColor(x, y) != QColor(Qt::white))
                    inchiostro |= QRect(x, y, 1, 1);
        QVERIFY2(std::abs(inchiostro.width() - 144) <= 1 &&
                     std::abs(inchiostro.height() - 108) <= 1,
                 qPrintable(u"%1 × %2"_s.arg(inchiostro.width()).arg(inchiostro.height())));
        QCOMPARE(QSize(fx.IWidth(), fx.IHeight()), QSize(40, 30));
    }

    void controlliComponentiInTwips_data() {
        QTest::addColumn<int>("tipo");
        QTest::newRow("caption bar") << 0;
        QTest::newRow("RichTextBox") << 1;
        QTest::newRow("KorAtx") << 2;
    }
    void controlliComponentiInTwips() {
        QFETCH(int, tipo);
        HostDiProva host;
        QWidget fondo;
        QWidget* w = nullptr;
        BaseControllo* c = nullptr;
        const auto crea = [&](auto* nuovo) { w = nuovo, c = nuovo; }; // owned by fondo
        if (tipo == 0)
            crea(new QXCapVir(&fondo));
        else if (tipo == 1)
            crea(new RichTextBox(&fondo));
        else
            crea(new KorAtx(&fondo));
        c->MoveTw(2940, 3420, 3465, -30);
        QCOMPARE(w->geometry(), QRect(196, 228, 231, 0));
        QCOMPARE((QList<double>{c->LeftTw(), c->TopTw(), c->WidthTw(), c->HeightTw()}),
                 (QList<double>{2940, 3420, 3465, 0}));
        c->setLeftTw(-150);
        QCOMPARE(w->pos(), QPoint(-10, 228));
        c->ImpostaEnabled(false);
        QVERIFY(!w->isEnabled() && !c->Enabled());
    }

    void geometriaAutoSizeMouseEStampaInTwips() {
        HostDiProva host;
        QWidget fondo;
        FXImage fx(&fondo);
        fx.MoveTw(6495, 2160, 5970, 7200); // the viewer's plate, 15 twips to the pixel
        QCOMPARE(fx.geometry(), QRect(433, 144, 398, 480));
        QCOMPARE((QList<double>{fx.LeftTw(), fx.TopTw(), fx.WidthTw(), fx.HeightTw()}),
                 (QList<double>{6495, 2160, 5970, 7200}));
        fx.ImpostaPicture(QImage::fromData(immagineDiProva(10, 10, Qt::red)));
        QVERIFY(fx.grab().toImage().pixelColor(35, 35) != Qt::red);
        fx.setAutoSize(2);
        QCOMPARE(fx.grab().toImage().pixelColor(35, 35), QColor(Qt::red));
        fx.setAutoSize(1);
        QCOMPARE(fx.size(), QSize(10, 10));

        QSignalSpy giu(&fx.eventi(), &EventiControllo::MouseDown),
            su(&fx.eventi(), &EventiControllo::MouseUp);
        QTest::mousePress(&fx, Qt::LeftButton, Qt::ShiftModifier, QPoint(1, 2));
        QTest::mouseRelease(&fx, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier,
                            QPoint(3, 4));
        QCOMPARE(giu.value(0), (QVariantList{1, 1, 15.0f, 30.0f}));
        QCOMPARE(su.value(0), (QVariantList{2, 6, 45.0f, 60.0f}));

        // Printed into its own rectangle, whatever its size on screen.
        QImage pagina(200, 200, QImage::Format_RGB32); // 144 dots per inch: a dot for 10 twips
        pagina.fill(Qt::white);
        pagina.setDotsPerMeterX(qRound(144 / 0.0254));
        pagina.setDotsPerMeterY(qRound(144 / 0.0254));
        fx.setPrinterWidth(1000);
        fx.setPrinterHeight(500);
        fx.setPrinterLeft(200);
        fx.setPrinterTop(300);
        QPainter p(&pagina);
        fx.setPrinterhDC(&p);
        p.end();
        for (const QPoint dentro : {QPoint(21, 31), QPoint(118, 78)})
            QCOMPARE(pagina.pixelColor(dentro), QColor(Qt::red));
        for (const QPoint fuori : {QPoint(18, 55), QPoint(122, 55), QPoint(70, 28), QPoint(70, 82)})
            QCOMPARE(pagina.pixelColor(fuori), QColor(Qt::white));

        // On the host printer: an error with no document open, a picture in the one printed.
        QVERIFY_THROWS_EXCEPTION(ErroreVB, fx.setPrinterhDC(host.stampante->painter()));
        host.stampante->startDocument(u"Ilustracja"_s);
        fx.setPrinterhDC(host.stampante->painter());
        host.stampante->endDocument();
        QFile pdf(host.filePdf);
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.readAll().contains("/Subtype /Image"));
    }
};

QTEST_MAIN(TestFXImage)
#include "test_fximage.moc"
