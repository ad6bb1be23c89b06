// The home screen's background read ahead on its own thread: what start-up takes from it is what
// it would have loaded itself, and nothing is taken from files that changed since.

#include "AnticipoSfondo.h"

#include "CaricaSfondo.h"
#include "HostDiProva.h"
#include "Immagine.h"
#include "IndiceSalvato.h"
#include "Installazione.h"
#include "PictureBox.h"
#include "Rendizioni.h"
#include "Ridimensiona.h"
#include "StatoPulito.h"
#include "StoreDiProva.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTest>
#include <sys/stat.h>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

const QString Sfondo = u"D:\\SFONDI\\sistemi.bmp"_s;

// A rendition whose every pixel differs, so a reduction made from other pixels shows.
QByteArray sfumatura(QSize misura, int spostamento) {
    QImage img(misura, QImage::Format_RGB32);
    for (int y = 0; y < misura.height(); ++y)
        for (int x = 0; x < misura.width(); ++x)
            img.setPixel(x, y, qRgb((x * 11 + spostamento) % 256, (y * 13) % 256, (x * y) % 256));
    QByteArray dati;
    QBuffer b(&dati);
    img.save(&b, "BMP");
    return dati;
}

// A kept drawing's bands read into one picture; null when a band cannot be read.
QImage intera(const Fatta& f) {
    if (!f.bande)
        return f.immagine;
    const Bande& b = *f.bande;
    QImage tutta;
    for (int i = 0; i < b.numero(); ++i) {
        const QImage banda = b.banda(i);
        if (banda.isNull())
            return {};
        if (tutta.isNull())
            tutta = QImage(b.misura(), banda.format());
        for (int y = 0; y < banda.height(); ++y)
            memcpy(tutta.scanLine(i * b.righe() + y), banda.constScanLine(y),
                   size_t(banda.bytesPerLine()));
    }
    return tutta;
}

// The kept file's bytes for a drawing: its rows in bands as they are kept.
QByteArray comeSalvato(const QByteArrayView testa, const QImage& disegno) {
    QList<QByteArray> bande;
    for (int y = 0; y < disegno.height(); y += 64)
        bande.append(QByteArray(reinterpret_cast<const char*>(disegno.constScanLine(y)),
                                disegno.bytesPerLine() * std::min(64, disegno.height() - y)));
    return indice::IndiceSecchi::componi("HNDISE02", testa, bande);
}

struct Banco {
    Banco()
        : installazione(host) {
        installazione.scrivi();
        host.scriviFile(Sfondo, immagineDiProva(16, 12, Qt::red, "BMP"));
        // Found without regard to case, as the start-up finds it.
        host.scriviFile(u"D:\\SFONDI\\SISTEMI@2x.bmp"_s, sfumatura(QSize(32, 24), 0));
    }
    ~Banco() { anticipo::ferma(); }
    // Runs the thread to its end at `scala`.
    void leggi(double scala) const {
        anticipo::avvia(host.paths->prefix());
        anticipo::impostaScala(scala);
        anticipo::ferma();
    }
    QString file() const { return host.percorsoHost(Sfondo); }
    StatoPulito stato;
    HostDiProva host;
    Installazione installazione;
};

} // namespace

class TestAnticipoSfondo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The picture and the drawing for the screen are those the control would make from the same
    // files; given once.
    void comeLoFarebbeIlControllo() {
        Banco b;
        b.leggi(1.5);
        const std::optional<anticipo::Sfondo> s = anticipo::prendi(b.file());
        QVERIFY(s);
        QCOMPARE(s->picture, decodificaImmagine(b.host.leggiFile(Sfondo)));
        QCOMPARE(s->fattori, QList<int>({1, 2}));
        QCOMPARE(s->dispositivo, QSize(24, 18));
        QVERIFY(s->disegno);
        const QImage atteso = perIlDispositivo(
            s->picture, rendizioniNellaCartella(Sfondo, QSize(16, 12)), QSize(24, 18), s->filtro);
        QCOMPARE(s->disegno().immagine.convertToFormat(QImage::Format_RGB32),
                 atteso.convertToFormat(QImage::Format_RGB32));
        QVERIFY(!anticipo::prendi(b.file()));

        // Through the loader: the same picture and renditions as without it.
        b.leggi(1.5);
        PictureBox c;
        CaricaSfondo(c, Sfondo);
        QCOMPARE(c.Picture().pixelColor(3, 3), QColor(Qt::red));
        QCOMPARE(c.rendizioni().fattori(), QList<int>({1, 2}));
        QVERIFY(!anticipo::prendi(b.file()));
    }

    // Files changed after the thread read them: a new picture is not taken at all, a new
    // rendition only leaves the drawing to be made again; another file is not this one.
    void fileCambiatiNonServono() {
        Banco b;
        b.leggi(2);
        b.host.scriviFile(u"D:\\SFONDI\\SISTEMI@2x.bmp"_s, sfumatura(QSize(32, 24), 7));
        std::optional<anticipo::Sfondo> s = anticipo::prendi(b.file());
        QVERIFY(s && s->disegno);
        const Fatta f = s->disegno();
        QVERIFY(f.immagine.isNull() && !f.bande);

        b.leggi(2);
        b.host.scriviFile(Sfondo, immagineDiProva(16, 12, Qt::blue, "BMP"));
        QVERIFY(!anticipo::prendi(b.file()));

        b.leggi(2);
        QVERIFY(!anticipo::prendi(b.host.percorsoHost(u"D:\\SFONDI\\schelet.bmp"_s)));
    }

    // The drawing is kept in the user's cache for the next start and painted from there in
    // bands, only for the very same files: a kept drawing of other pixels (its checksums made to
    // hold) shows it is taken; a rendition rewritten makes it anew; a damaged band gives way to
    // the drawing made as the control makes it, painted whole. A monitor's worth of pixels is
    // kept at three bytes a pixel, a smaller drawing at four.
    void disegnoSalvatoPerGliStessiFile_data() {
        QTest::addColumn<QSize>("base");
        QTest::addColumn<double>("scala");
        QTest::addColumn<QSize>("dispositivo");
        QTest::newRow("small") << QSize(16, 12) << 1.5 << QSize(24, 18);
        QTest::newRow("a monitor's worth") << QSize(1100, 800) << 1.95 << QSize(2145, 1560);
    }
    void disegnoSalvatoPerGliStessiFile() {
        QFETCH(QSize, base);
        QFETCH(double, scala);
        QFETCH(QSize, dispositivo);
        Banco b;
        b.host.scriviFile(Sfondo, immagineDiProva(base.width(), base.height(), Qt::red, "BMP"));
        b.host.scriviFile(u"D:\\SFONDI\\SISTEMI@2x.bmp"_s, sfumatura(base * 2, 0));
        // A start: what the read-ahead gives for the drawing (nothing when it gives none).
        std::optional<anticipo::Sfondo> s;
        const auto avvio = [&] {
            b.leggi(scala);
            s = anticipo::prendi(b.file());
            return s && s->disegno ? s->disegno() : Fatta();
        };
        const QImage fatto = avvio().immagine;
        QVERIFY(!fatto.isNull());
        indice::attendiSalvataggi();
        QCOMPARE(fatto.size(), dispositivo);
        // Both kinds of kept rows are what is tested here.
        QCOMPARE(fatto.format(),
                 dispositivo.width() > 1000 ? QImage::Format_RGB888 : QImage::Format_RGB32);
        const QString tipo = u"disegno-%1x%2-%3"_s.arg(dispositivo.width())
                                 .arg(dispositivo.height())
                                 .arg(int(s->filtro));
        const QString salvato = indice::percorsoIndice(b.file(), tipo);
        QVERIFY(QFileInfo(salvato).isFile());

        // The next start paints it from the kept bands.
        Fatta f = avvio();
        QVERIFY(f.bande && f.immagine.isNull());
        QCOMPARE(f.bande->numero(), (dispositivo.height() + 63) / 64);
        QCOMPARE(intera(f), fatto);

        // Another drawing under the same head, for the same files.
        const std::optional<indice::IndiceSecchi> x =
            indice::IndiceSecchi::apri(b.file(), tipo, "HNDISE02", 1000);
        QVERIFY(x);
        QImage verde(fatto.size(), fatto.format());
        verde.fill(Qt::green);
        const auto scrivi = [&](const QByteArray& dati) {
            QFile f(salvato);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(f.write(dati), dati.size());
        };
        scrivi(comeSalvato(x->intestazione(), verde));
        QCOMPARE(intera(avvio()), verde);

        // One byte of the last band's pixels otherwise: that band is refused, and a paint
        // through the control's cache shows the drawing made from the files. The damaged file is
        // removed (unless another replaced it meanwhile), so the next start saves a sound one.
        QByteArray guasto = comeSalvato(x->intestazione(), verde);
        guasto[guasto.size() - 5] = char(guasto[guasto.size() - 5] ^ 1);
        scrivi(guasto);
        f = avvio();
        QVERIFY(f.bande);
        const int ultima = f.bande->numero() - 1;
        if (ultima > 0)
            QVERIFY(!f.bande->banda(0).isNull());
        scrivi(comeSalvato(x->intestazione(), verde));
        QVERIFY(f.bande->banda(ultima).isNull());
        QVERIFY(QFileInfo(salvato).isFile());
        scrivi(guasto);
        f = avvio();
        QVERIFY(f.bande);
        QVERIFY(f.bande->banda(ultima).isNull());
        QVERIFY(!QFileInfo(salvato).exists());
        CacheNitida cache;
        cache.inArrivo(s->picture, dispositivo, s->filtro, [f] { return f; });
        QImage schermo(dispositivo, QImage::Format_RGB32);
        schermo.fill(Qt::black);
        schermo.setDevicePixelRatio(scala);
        {
            QPainter p(&schermo);
            disegnaNitido(p, QRectF(QPointF(), QSizeF(base)), s->picture,
                          rendizioniNellaCartella(Sfondo, base), cache, s->filtro);
        }
        QImage dipinto = schermo.copy(QRect(QPoint(), dispositivo));
        dipinto.setDevicePixelRatio(1);
        QCOMPARE(dipinto, fatto.convertToFormat(QImage::Format_RGB32));
        b.leggi(scala);
        indice::attendiSalvataggi();
        QCOMPARE(intera(avvio()), fatto);

        // The green drawing again, but the rendition rewritten since: made from the new one.
        indice::attendiSalvataggi();
        scrivi(comeSalvato(x->intestazione(), verde));
        b.host.scriviFile(u"D:\\SFONDI\\SISTEMI@2x.bmp"_s, sfumatura(base * 2, 7));
        const QImage nuovo = avvio().immagine;
        QVERIFY(!nuovo.isNull());
        QVERIFY(nuovo != verde);
        QVERIFY(nuovo != fatto);
    }

    // Where the drawing is not needed, or nothing is where the start-up would look, nothing is
    // made and start-up loads as always.
    void senzaNullaDaPrendere() {
        Banco b;
        b.leggi(1);
        std::optional<anticipo::Sfondo> s = anticipo::prendi(b.file());
        QVERIFY(s);
        QVERIFY(s->dispositivo.isEmpty());
        QVERIFY(!s->disegno);

        b.installazione.rimuovi(u"Directory2"_s, u"Sfondi"_s);
        b.installazione.scrivi();
        b.leggi(2);
        QVERIFY(!anticipo::prendi(b.file()));

        b.installazione.scriviKormm = false;
        QFile::remove(b.host.percorsoHost(u"C:\\WINDOWS\\KORMM.INI"_s));
        b.installazione.imposta(u"Directory2"_s, u"Sfondi"_s, u"D:\\SFONDI\\"_s);
        b.installazione.scrivi();
        b.leggi(2);
        QVERIFY(!anticipo::prendi(b.file()));

        // A pipe in the picture's place is never waited on.
        b.installazione.scriviKormm = true;
        b.installazione.scrivi();
        QFile::remove(b.file());
        QCOMPARE(::mkfifo(QFile::encodeName(b.file()), 0600), 0);
        b.leggi(2);
        QVERIFY(!anticipo::prendi(b.file()));
    }
};

QTEST_MAIN(TestAnticipoSfondo)
#include "test_anticipo_sfondo.moc"
