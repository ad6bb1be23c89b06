#include "BlobStore.h"
#include "CaricaImmagine.h"
#include "FXImage.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "IndiceSalvato.h"
#include "Messaggi.h"
#include "Prefisso.h"
#include "Rendizioni.h"
#include "StatoPulito.h"
#include "TabellaRecord.h"

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
        // With their renditions beside them, drawn from the same drawing.
        QCOMPARE(immagine.rendizioni().fattori(), QList<int>({1, 2, 3}));
        const QImage doppia = immagine.rendizioni().carica(2);
        QCOMPARE(doppia.size(), QSize(796, 960));
        QCOMPARE(immagine.rendizioni().carica(3).size(), QSize(1194, 1440));
        // Its pixels averaged two by two are the 1 × picture's, but for the smoothed edges.
        const QImage ridotta =
            doppia.convertToFormat(QImage::Format_RGB32)
                .scaled(398, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage uno = immagine.Picture().convertToFormat(QImage::Format_RGB32);
        qint64 diversi = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 398; ++x) {
                const QRgb a = ridotta.pixel(x, y), b = uno.pixel(x, y);
                if (std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                        std::abs(qBlue(a) - qBlue(b)) >
                    48)
                    ++diversi;
            }
        QVERIFY2(diversi < 398 * 480 / 20, qPrintable(QString::number(diversi)));
    }

    // Renditions make the demo's stores larger, at most four times their 1 × size.
    void gliStoreDellaDemoCresconoAlPiuQuattroVolte() {
        for (const char* store : {"/drive_d/DATI/BlobCorp.dat", "/drive_d/SFONDI/Bit_Hd.ff"}) {
            const auto a =
                blob::Archivio::apri(QStringLiteral(HNEMAR_DEMO_DIR) + QLatin1String(store));
            qint64 base = 0, tutto = 0;
            int rendizioni = 0;
            for (const blob::Voce& v : a->voci()) {
                tutto += v.compressa;
                if (fattoreDelNome(v.nome) == 1)
                    base += v.compressa;
                else
                    ++rendizioni;
            }
            QVERIFY2(rendizioni > 0, store);
            QVERIFY2(tutto <= 4 * base, qPrintable(QStringLiteral("%1: %2 times")
                                                       .arg(QLatin1String(store))
                                                       .arg(double(tutto) / base)));
        }
    }

    // The demo's stores opened for look-ups, by their own walk and through the index a walk
    // saved, find every entry, in any case, where the stores opened whole find it.
    void gliStoreDellaDemoSiCercanoComeInteri() {
        using Indice = blob::Archivio::Indice;
        for (const char* store : {"/drive_d/DATI/BlobCorp.dat", "/drive_d/DATI/hsmed.dat",
                                  "/drive_d/SFONDI/Bit_Hd.ff"}) {
            const QString file = QStringLiteral(HNEMAR_DEMO_DIR) + QLatin1String(store);
            const auto intero = blob::Archivio::apri(file);
            QVERIFY2(intero->voci().size() > 1, store);
            blob::Archivio::apriPerCercare(file, Indice::Salvato);
            indice::attendiSalvataggi();
            const auto salvato = blob::Archivio::apriPerCercare(file, Indice::Salvato);
            QVERIFY2(salvato->daIndiceSalvato(), store);
            for (const auto& perCercare : {blob::Archivio::apriPerCercare(file), salvato}) {
                for (const blob::Voce& v : intero->voci()) {
                    const blob::Voce* w = perCercare->trova(v.nome.toUpper());
                    QVERIFY2(w && w->indice == v.indice && w->posizione == v.posizione &&
                                 w->limite == v.limite && w->crc == v.crc,
                             qPrintable(v.nome));
                }
                QVERIFY(!perCercare->trova(QStringLiteral("nie ma.png")));
            }
        }
    }

    // The demo's hotspot table through its saved index gives every plate the records the whole
    // table gives it.
    void laTabellaDellaDemoDallIndice() {
        const QString file = QStringLiteral(HNEMAR_DEMO_DIR "/drive_d/DATI/hsmed.bin");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray byte = f.readAll();
        const auto intera = atlante::TabellaHotSpot::daByte(byte);
        atlante::TabellaHotSpot::svuotaCache();
        atlante::TabellaHotSpot::delFile(file);
        indice::attendiSalvataggi();
        atlante::TabellaHotSpot::svuotaCache();
        const auto salvata = atlante::TabellaHotSpot::delFile(file);
        QVERIFY(salvata->daIndiceSalvato());
        QCOMPARE(salvata->numeroRecord(), intera->numeroRecord());
        QSet<QString> tavole;
        for (const atlante::Record& r : atlante::leggiTabella(byte))
            tavole.insert(r.Tavola);
        QVERIFY(tavole.size() > 10);
        for (const QString& t : std::as_const(tavole))
            QVERIFY2(salvata->recordDellaTavola(t.toLower()) == intera->recordDellaTavola(t),
                     qPrintable(t));
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
