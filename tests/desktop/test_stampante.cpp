// The real printer service in its file modes: where documents land, how they are numbered, when
// the user is told, and what a printer or a file that cannot take the document says.

#include "ErroreVB.h"
#include "HostDiProva.h"
#include "Montaggio.h"
#include "Riga.h"
#include "ServiziReali.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTest>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace hn;
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
    void fileNonScrivibile_data();
    void fileNonScrivibile();
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

    // Once, when the job is over, naming what it wrote; not again after the next job.
    QVERIFY(h.box.mostrati.isEmpty());
    p.fineLavoro();
    stampaUnaPagina(p, QStringLiteral("trzeci"));
    p.fineLavoro();
    QCOMPARE(h.box.mostrati.size(), 1);
    for (const char* nome : {"/HNemar-008.pdf", "/HNemar-009.pdf"})
        QVERIFY(h.box.mostrati[0].testo.contains(QDir::toNativeSeparators(cartella) +
                                                 QLatin1String(nome)));
    QCOMPARE(h.box.mostrati[0].stile, Stile::OK | Stile::Informazione);

    // A name taken by anything but a file is passed over, not opened: a pipe would hold the
    // program until something read it.
    QVERIFY(QDir(cartella).mkdir(QStringLiteral("HNemar-011.pdf")));
    QVERIFY(::mkfifo(QFile::encodeName(cartella + QStringLiteral("/HNemar-012.pdf")).constData(),
                     0600) == 0);
    stampaUnaPagina(p, QStringLiteral("czwarty"));
    QCOMPARE(QFileInfo(p.outputFile()).fileName(), QStringLiteral("HNemar-013.pdf"));
}

void TestStampante::fileNonScrivibile_data() {
    QTest::addColumn<QString>("caso");
    QTest::addColumn<QString>("perche");
    riga("the folder's parent is a file", QStringLiteral("rodzic"), QStringLiteral("jest plikiem"));
    riga("a folder in the file's place", QStringLiteral("folder"), QStringLiteral("folder"));
    riga("a pipe in the file's place", QStringLiteral("potok"), QStringLiteral("zwykłym plikiem"));
    riga("a read-only folder", QStringLiteral("sola lettura"), QStringLiteral("tylko do odczytu"));
}

// Each failure names the file and the reason, raises 75 (no retry can help) and leaves the
// service free for the next document; none of them waits.
void TestStampante::fileNonScrivibile() {
    QFETCH(QString, caso);
    QFETCH(QString, perche);
    prova::HostDiProva h;
    const QString base = h.cartella.path();
    prova::Montaggio m;
    std::unique_ptr<QtPrinter> p;
    QString nome;
    if (caso == QStringLiteral("rodzic")) {
        QFile f(base + QStringLiteral("/plik"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        nome = base + QStringLiteral("/plik/wydruki");
        p = std::make_unique<QtPrinter>(
            DestinazioneStampa{DestinazioneStampa::PdfInCartella, nome, {}});
    } else if (caso == QStringLiteral("folder")) {
        nome = base + QStringLiteral("/wydruk.pdf");
        QVERIFY(QDir().mkdir(nome));
        p = std::make_unique<QtPrinter>(nome);
    } else if (caso == QStringLiteral("potok")) {
        nome = base + QStringLiteral("/wydruk.pdf");
        QVERIFY(::mkfifo(QFile::encodeName(nome).constData(), 0600) == 0);
        p = std::make_unique<QtPrinter>(nome);
    } else {
        nome = base + QStringLiteral("/wydruki");
        QDir().mkpath(nome);
        if (getuid() == 0 ? !m.solaLettura(nome)
                          : !QFile::setPermissions(nome, QFile::ReadOwner | QFile::ExeOwner))
            QSKIP("cannot make a read-only folder here");
        p = std::make_unique<QtPrinter>(
            DestinazioneStampa{DestinazioneStampa::PdfInCartella, nome, {}});
    }
    QElapsedTimer t;
    t.start();
    QString testo;
    int numero = 0;
    try {
        p->startDocument(QStringLiteral("prova"));
    } catch (const ErroreVB& e) {
        numero = e.numero();
        testo = e.descrizione();
    }
    QVERIFY(t.elapsed() < 1000);
    QCOMPARE(numero, int(Errore::AccessoPercorso));
    QVERIFY2(testo.contains(QDir::toNativeSeparators(nome)) && testo.contains(perche),
             qPrintable(testo));
    QCOMPARE(p->painter(), nullptr);
    QVERIFY(h.box.mostrati.isEmpty());
    if (getuid() != 0)
        QFile::setPermissions(nome, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_MAIN(TestStampante)
#include "test_stampante.moc"
