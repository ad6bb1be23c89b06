#include "Fifo.h"
#include "FinestraGuida.h"
#include "HostDiProva.h"
#include "Riga.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace hn;
using namespace hn::prova;

namespace {
const QString Guida = QStringLiteral("C:\\VELTO\\HNEMAR\\halvo.hlp");
const QByteArray Png = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlE"
                                              "QVR4nGP4z8DwHwAFAAH/iZk9HQAAAABJRU5ErkJggg==");
} // namespace

// The help viewer shows what the help file's folder holds and nothing else, and never waits.
class TestGuida : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileDellaGuida_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("attesa");
        riga("a page", "pagina", "Spis treści");
        riga("a FIFO", "fifo", "Nie znaleziono pliku pomocy");
        riga("too large", "grande", "zbyt duży");
        // Unreadable in its place: shown as missing, never read, never waited on.
        riga("a folder", "cartella", "Nie znaleziono pliku pomocy");
        riga("a link to an endless device", "zero", "Nie znaleziono pliku pomocy");
        riga("no read permission", "illeggibile", "Nie znaleziono pliku pomocy");
    }
    void fileDellaGuida() {
        QFETCH(QString, tipo);
        QFETCH(QString, attesa);
        HostDiProva h;
        const QString file = h.percorsoHost(Guida);
        if (tipo == "fifo")
            QVERIFY(creaFifo(file));
        else if (tipo == "cartella")
            QVERIFY(QDir().mkpath(file));
        else if (tipo == "zero")
            QVERIFY(QDir().mkpath(QFileInfo(file).path()) &&
                    QFile::link(QStringLiteral("/dev/zero"), file));
        else
            h.scriviFile(Guida, tipo == "grande" ? QByteArray(9 << 20, 'a')
                                                 : QByteArray("<h1>Spis treści</h1>"));
        if (tipo == "illeggibile") {
            QVERIFY(QFile::setPermissions(file, {}));
            QFile prova(file);
            if (prova.open(QIODevice::ReadOnly))
                QSKIP("permissions do not keep this user from reading (root)");
        }
        FinestraGuida guida;
        {
            EntroUnSecondo scadenza;
            guida.showContents(Guida);
        }
        QVERIFY(guida.finestra()->toPlainText().contains(attesa));
    }

    void risorse_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<bool>("caricata");
        riga("picture beside the help file", "obraz.png", true);
        riga("in a subfolder, by its file URL", "file:sub/obraz.png", true);
        riga("an endless device", "/dev/zero", false);
        riga("outside the folder", "../poza.png", false);
        riga("a link out of the folder", "lacze.png", false);
        riga("a FIFO beside it", "kolejka.png", false);
        riga("too large", "duzy.png", false);
        riga("another host", "http://example.com/obraz.png", false);
    }
    void risorse() {
        QFETCH(QString, nome);
        QFETCH(bool, caricata);
        HostDiProva h;
        h.scriviFile(Guida, "<p><img src=\"" + nome.toUtf8() + "\"></p>");
        h.scriviFile(QStringLiteral("C:\\VELTO\\HNEMAR\\obraz.png"), Png);
        h.scriviFile(QStringLiteral("C:\\VELTO\\HNEMAR\\sub\\obraz.png"), Png);
        h.scriviFile(QStringLiteral("C:\\VELTO\\poza.png"), Png);
        h.scriviFile(QStringLiteral("C:\\VELTO\\HNEMAR\\duzy.png"), QByteArray(9 << 20, 'p'));
        QVERIFY(QFile::link(h.percorsoHost(QStringLiteral("C:\\VELTO\\poza.png")),
                            h.percorsoHost(QStringLiteral("C:\\VELTO\\HNEMAR\\lacze.png"))));
        QVERIFY(creaFifo(h.percorsoHost(QStringLiteral("C:\\VELTO\\HNEMAR\\kolejka.png"))));
        FinestraGuida guida;
        {
            EntroUnSecondo scadenza;
            guida.showContents(Guida);
        }
        const QVariant r = guida.finestra()->loadResource(QTextDocument::ImageResource, QUrl(nome));
        QCOMPARE(r.toByteArray() == Png, caricata);
    }
};

QTEST_MAIN(TestGuida)
#include "test_guida.moc"
