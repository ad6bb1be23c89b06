#include "CaricaImmagine.h"
#include "FXImage.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "Messaggi.h"
#include "Prefisso.h"
#include "StatoPulito.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace hn;
using namespace Qt::StringLiterals;

namespace {

// Every message number the program's sources ask for, read from the sources themselves: a
// number written as the first argument of the message routines, and the members of an enum
// named Messaggio (the copy's messages).
QList<int> numeriNeiSorgenti(const QString& radice) {
    static const QRegularExpression chiamata(
        uR"(\b(?:LeggiMessaggio|TestoDaMostrare|conMessaggio)\(\s*(\d+)\b)"_s);
    static const QRegularExpression enumerazione(uR"(\benum\s+Messaggio\s*\{([^}]*)\})"_s);
    static const QRegularExpression membro(uR"(=\s*(\d+))"_s);
    QSet<int> numeri;
    QDirIterator it(radice, {u"*.cpp"_s, u"*.h"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString testo = QString::fromUtf8(f.readAll());
        for (const QRegularExpressionMatch& m : chiamata.globalMatch(testo))
            numeri.insert(m.captured(1).toInt());
        for (const QRegularExpressionMatch& e : enumerazione.globalMatch(testo))
            for (const QRegularExpressionMatch& m : membro.globalMatch(e.captured(1)))
                numeri.insert(m.captured(1).toInt());
    }
    QList<int> elenco(numeri.cbegin(), numeri.cend());
    std::sort(elenco.begin(), elenco.end());
    return elenco;
}

} // namespace

// The demo installation must start and show its pictures with no set-up: it is what a new user
// runs first.
class TestDemo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void avviaECaricaLaPrimaTavola() {
        prova::StatoPulito stato;
        prova::HostDiProva host;
        const QString copia = host.cartella.path() + QStringLiteral("/demo");
        QString errore;
        QVERIFY2(completaDaDemo(QStringLiteral(HNEMAR_DEMO_DIR), copia, &errore),
                 qPrintable(errore));
        host.usaPrefisso(copia);

        Fileini::AvvioModulo();
        QVERIFY(host.box.mostrati.isEmpty());
        // Pictures are extracted there: the folder must exist.
        QVERIFY(QFileInfo(host.paths->toHost(Fileini::cfg.PathTemp).value_or(QString())).isDir());

        FXImage immagine;
        QCOMPARE(CaricaImmagine(QStringLiteral("SCHEL1.png"), immagine, std::nullopt, nullptr,
                                qint16(0)),
                 std::optional<int>());
        // Plates are drawn at the picture control's size.
        QCOMPARE(QSize(immagine.IWidth(), immagine.IHeight()), QSize(398, 480));
        QVERIFY(host.box.mostrati.isEmpty());
    }

    void ogniMessaggioUsatoHaUnTesto() {
        prova::HostDiProva host;
        host.usaPrefisso(QStringLiteral(HNEMAR_DEMO_DIR));
        const QList<int> numeri = numeriNeiSorgenti(QStringLiteral(HNEMAR_SRC_DIR));
        // The scan must find what it is known to find, or it proves nothing.
        QVERIFY(numeri.contains(290) && numeri.contains(451) && numeri.contains(64));
        for (int n : numeri) {
            QString titolo;
            QVERIFY2(!Mod_Comuni::LeggiMessaggio(n, {}, QStringLiteral("x"), &titolo).isEmpty(),
                     qPrintable(QString::number(n)));
        }
    }
};

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
