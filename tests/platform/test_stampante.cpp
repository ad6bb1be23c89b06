// The real printer service in its file modes: where documents land, how they are numbered, when
// the user is told, and that a printer that cannot take the document says 482.

#include "ErroreDi.h"
#include "HostDiProva.h"
#include "Riga.h"
#include "ServiziReali.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTest>

using namespace hn;
using hn::prova::erroreDi;
using hn::prova::riga;

namespace {

void stampaUnaPagina(QtPrinter& p, const QString& parola) {
    p.startDocument(QStringLiteral("prova"));
    p.painter()->drawText(QPointF(200, 200), parola);
    p.endDocument();
}

} // namespace

class TestStampante : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void destinazioneDallAmbiente_data();
    void destinazioneDallAmbiente();
    void fileNumeratiEAvvisoUnaVolta();
    void cartellaImpossibile();
    void discoPieno();
};

void TestStampante::destinazioneDallAmbiente_data() {
    QTest::addColumn<QByteArray>("valore");
    QTest::addColumn<int>("modo");
    QTest::addColumn<QString>("cartella");
    riga("unset", QByteArray(), int(DestinazioneStampa::Automatico), QString());
    riga("a printer name", QByteArray("cups"), int(DestinazioneStampa::Automatico), QString());
    riga("pdf alone", QByteArray("pdf"), int(DestinazioneStampa::PdfInCartella), QString());
    riga("pdf with folder", QByteArray("pdf:/tmp/wydruki"), int(DestinazioneStampa::PdfInCartella),
         QStringLiteral("/tmp/wydruki"));
    riga("upper case", QByteArray("PDF:/a b"), int(DestinazioneStampa::PdfInCartella),
         QStringLiteral("/a b"));
    riga("pdf-like word", QByteArray("pdfwriter"), int(DestinazioneStampa::Automatico), QString());
}

void TestStampante::destinazioneDallAmbiente() {
    QFETCH(QByteArray, valore);
    QFETCH(int, modo);
    QFETCH(QString, cartella);
    const QByteArray prima = qgetenv("HNEMAR_PRINTER");
    if (valore.isNull())
        qunsetenv("HNEMAR_PRINTER");
    else
        qputenv("HNEMAR_PRINTER", valore);
    const DestinazioneStampa d = DestinazioneStampa::dallAmbiente();
    qputenv("HNEMAR_PRINTER", prima);
    QCOMPARE(int(d.modo), modo);
    QCOMPARE(d.cartella, cartella);
}

void TestStampante::fileNumeratiEAvvisoUnaVolta() {
    prova::HostDiProva h;
    const QString cartella = h.cartella.path() + QStringLiteral("/wydruki/nowe");
    QDir().mkpath(cartella);
    // The user's own files stay; numbering goes on after the highest one there.
    for (const char* nome : {"HNemar-007.pdf", "HNemar-x.pdf", "notatki.txt"}) {
        QFile f(cartella + u'/' + QLatin1String(nome));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("moje");
    }
    QtPrinter p({DestinazioneStampa::PdfInCartella, cartella, {}});
    stampaUnaPagina(p, QStringLiteral("pierwszy"));
    QCOMPARE(QFileInfo(p.outputFile()).fileName(), QStringLiteral("HNemar-008.pdf"));
    stampaUnaPagina(p, QStringLiteral("drugi"));
    QCOMPARE(QFileInfo(p.outputFile()).fileName(), QStringLiteral("HNemar-009.pdf"));

    QFile stara(cartella + QStringLiteral("/HNemar-007.pdf"));
    QVERIFY(stara.open(QIODevice::ReadOnly));
    QCOMPARE(stara.readAll(), QByteArray("moje"));
    QVERIFY(QFile(cartella + QStringLiteral("/HNemar-008.pdf")).size() > 500);

    // Once, when the program is back in its event loop.
    QCoreApplication::processEvents();
    QCOMPARE(h.box.mostrati.size(), 1);
    QVERIFY(h.box.mostrati[0].testo.contains(QDir::toNativeSeparators(cartella) +
                                             QStringLiteral("/HNemar-008.pdf")));
    QCOMPARE(h.box.mostrati[0].stile, Stile::OK | Stile::Informazione);
}

void TestStampante::cartellaImpossibile() {
    prova::HostDiProva h;
    // A folder that cannot be made: its parent is a file.
    const QString file = h.cartella.path() + QStringLiteral("/plik");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QtPrinter p({DestinazioneStampa::PdfInCartella, file + QStringLiteral("/wydruki"), {}});
    QCOMPARE(erroreDi([&] { p.startDocument(QStringLiteral("prova")); }), 482);
    QCOMPARE(p.painter(), nullptr);
    QVERIFY(h.box.mostrati.isEmpty());
}

void TestStampante::discoPieno() {
    prova::HostDiProva h;
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full to stand for a full disc");
    QtPrinter p(QStringLiteral("/dev/full"));
    p.startDocument(QStringLiteral("prova"));
    p.painter()->drawText(QPointF(200, 200), QStringLiteral("nic"));
    QCOMPARE(erroreDi([&] { p.endDocument(); }), 482);
    // The service is free for the next document.
    QCOMPARE(p.painter(), nullptr);
    QVERIFY(QFileInfo::exists(QStringLiteral("/dev/full")));
}

QTEST_MAIN(TestStampante)
#include "test_stampante.moc"
