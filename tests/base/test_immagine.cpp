// Pictures decoded from their bytes: the atlases' uncompressed 24-bit BMPs are read without Qt's
// reader, and must come out exactly as Qt's reader makes them, down to the dots per metre; bytes
// that are odd in any way give what Qt gives (the same picture, or error 481). Read from a file,
// a band of rows at a time, they give the very same.

#include "ErroreDi.h"
#include "ErroreVB.h"
#include "Immagine.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <sys/stat.h>

using namespace hn;
using hn::prova::erroreDi;

namespace {

struct Bmp {
    int larghezza = 5, altezza = 3; // a negative height: rows top-down
    quint32 testa = 40;
    quint16 piani = 1, bit = 24;
    quint32 compressione = 0;
    qint32 dpmX = 3780, dpmY = 2835;
    qint64 spostaInizio = 0; // a gap before the rows
    qint64 inizioDetto = -1; // where the header says they start, when not where they do
    qint64 taglia = 0;       // bytes cut off the end
};

void scrivi32(QByteArray& b, qsizetype i, quint32 v) {
    qToLittleEndian(v, b.data() + i);
}

QByteArray bmp(const Bmp& p, quint32 seme) {
    const qint64 passo = (qint64(p.larghezza) * 3 + 3) & ~qint64(3);
    const qint64 righe = std::min<qint64>(std::abs(qint64(p.altezza)), 1024);
    // The fields of the Windows 3 header are written whatever length the header is said to have.
    QByteArray b(14 + std::max(p.testa, 40u), '\0');
    b[0] = 'B';
    b[1] = 'M';
    const qint64 inizio = p.inizioDetto >= 0 ? p.inizioDetto : 14 + p.testa + p.spostaInizio;
    scrivi32(b, 10, quint32(inizio));
    scrivi32(b, 14, p.testa);
    scrivi32(b, 18, quint32(p.larghezza));
    scrivi32(b, 22, quint32(p.altezza));
    qToLittleEndian(p.piani, b.data() + 26);
    qToLittleEndian(p.bit, b.data() + 28);
    scrivi32(b, 30, p.compressione);
    scrivi32(b, 38, quint32(p.dpmX));
    scrivi32(b, 42, quint32(p.dpmY));
    // Pixels and the padding at each row's end alike random: padding must never show.
    QRandomGenerator caso(seme);
    QByteArray pixel(qsizetype(passo * righe + p.spostaInizio), '\0');
    for (char& c : pixel)
        c = char(caso.bounded(256));
    b += pixel;
    scrivi32(b, 2, quint32(b.size()));
    b.chop(qsizetype(std::min<qint64>(p.taglia, b.size())));
    return b;
}

// What Qt's own reader makes of the bytes; null when it makes nothing.
QImage diQt(const QByteArray& dati) {
    QBuffer buffer;
    buffer.setData(dati);
    buffer.open(QIODevice::ReadOnly);
    QImageReader lettore(&buffer, "bmp");
    lettore.setAutoDetectImageFormat(false);
    QImage i;
    return lettore.read(&i) ? i : QImage();
}

// The picture and the error number, 0 for none.
std::pair<QImage, int> esito(const std::function<QImage()>& leggi) {
    try {
        return {leggi(), 0};
    } catch (const ErroreVB& e) {
        return {QImage(), e.numero()};
    }
}

QString inFile(const QTemporaryDir& d, const QByteArray& dati) {
    const QString nome = d.filePath(QStringLiteral("immagine.bmp"));
    QFile f(nome);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(dati) != dati.size())
        return {};
    return nome;
}

} // namespace

Q_DECLARE_METATYPE(Bmp)

class TestImmagine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void comeQt_data() {
        QTest::addColumn<Bmp>("p");
        // Whether every row is there to compare: where Qt's reader stops early, the rows it did
        // not read hold whatever the memory held.
        QTest::addColumn<bool>("intera");
        // Every padding a row can have, both row orders, the three header lengths.
        for (int w = 1; w <= 8; ++w)
            for (int h : {1, 4, -1, -4})
                for (quint32 testa : {40u, 108u, 124u})
                    QTest::addRow("%dx%d header %u", w, h, testa)
                        << Bmp{.larghezza = w, .altezza = h, .testa = testa} << true;
        QTest::newRow("no or odd dots per metre") << Bmp{.dpmX = 0, .dpmY = -7} << true;
        QTest::newRow("rows after a gap") << Bmp{.spostaInizio = 17} << true;
        // From here on the bytes are not the plain kind: Qt's answer, whatever it is, holds.
        QTest::newRow("last row cut short") << Bmp{.taglia = 1} << false;
        QTest::newRow("rows said to start inside the header") << Bmp{.inizioDetto = 30} << false;
        QTest::newRow("rows said to start past the end") << Bmp{.inizioDetto = 1 << 30} << false;
        QTest::newRow("no width") << Bmp{.larghezza = 0} << false;
        QTest::newRow("no height") << Bmp{.altezza = 0} << false;
        QTest::newRow("negative width") << Bmp{.larghezza = -5} << false;
        QTest::newRow("too wide") << Bmp{.larghezza = 40000, .altezza = 1} << false;
        QTest::newRow("lowest height there is") << Bmp{.altezza = -2147483647 - 1} << false;
        QTest::newRow("two planes") << Bmp{.piani = 2} << false;
        QTest::newRow("32 bits") << Bmp{.bit = 32} << false;
        QTest::newRow("bit fields") << Bmp{.compressione = 3} << false;
        QTest::newRow("OS/2 header") << Bmp{.testa = 12} << false;
        QTest::newRow("header of another length") << Bmp{.testa = 64} << false;
    }
    void comeQt() {
        QFETCH(Bmp, p);
        QFETCH(bool, intera);
        QTemporaryDir d;
        for (quint32 seme : {1u, 2u}) {
            const QByteArray dati = bmp(p, seme);
            const QImage atteso = diQt(dati);
            const auto [letto, errore] = esito([&] { return decodificaImmagine(dati); });
            QCOMPARE(errore, letto.isNull() ? int(Errore::ImmagineNonValida) : 0);
            // From a file, as from its bytes.
            const QString file = inFile(d, dati);
            QVERIFY(!file.isEmpty());
            const auto [dalFile, erroreFile] = esito([&] { return leggiImmagine(file, 1 << 30); });
            QCOMPARE(erroreFile, errore);
            QCOMPARE(dalFile.size(), letto.size());
            QCOMPARE(dalFile.format(), letto.format());
            if (intera)
                QCOMPARE(dalFile, letto);
            QCOMPARE(letto.isNull(), atteso.isNull());
            if (atteso.isNull())
                continue;
            QCOMPARE(letto.format(), atteso.format());
            QCOMPARE(letto.size(), atteso.size());
            if (intera)
                QCOMPARE(letto, atteso);
            QCOMPARE(letto.dotsPerMeterX(), atteso.dotsPerMeterX());
            QCOMPARE(letto.dotsPerMeterY(), atteso.dotsPerMeterY());
        }
    }

    // The image reader's allocation limit holds for the plain kind too: what Qt refuses for its
    // size is refused, not decoded around it.
    void limiteDiAllocazione() {
        Bmp p;
        p.larghezza = 600;
        p.altezza = 600;
        const QByteArray dati = bmp(p, 3);
        const int prima = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(1); // megabytes: 600 × 600 × 4 is over
        QVERIFY(diQt(dati).isNull());
        int errore = 0;
        try {
            decodificaImmagine(dati);
        } catch (const ErroreVB& e) {
            errore = e.numero();
        }
        QImageReader::setAllocationLimit(prima);
        QCOMPARE(errore, int(Errore::ImmagineNonValida));
        QCOMPARE(decodificaImmagine(dati), diQt(dati));
    }

    // Rows wider than a band are read a row at a time, and rows that span two bands come out
    // whole; a file that is not what a picture file can be is refused before it is read.
    void daFile() {
        QTemporaryDir d;
        for (const Bmp& p :
             {Bmp{.larghezza = 30000, .altezza = 3}, Bmp{.larghezza = 999, .altezza = -70}}) {
            const QByteArray dati = bmp(p, 5);
            QCOMPARE(leggiImmagine(inFile(d, dati), 1 << 30), diQt(dati));
        }
        const QByteArray dati = bmp(Bmp{}, 6);
        const QString file = inFile(d, dati);
        QCOMPARE(erroreDi([&] { leggiImmagine(file, dati.size() - 1); }), 7);
        QCOMPARE(leggiImmagine(file, dati.size()), diQt(dati));
        QCOMPARE(erroreDi([&] { leggiImmagine(d.filePath(QStringLiteral("nie ma")), 1000); }),
                 int(Errore::FileNonTrovato));
        const QString fifo = d.filePath(QStringLiteral("fifo.bmp"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QCOMPARE(erroreDi([&] { leggiImmagine(fifo, 1000); }), int(Errore::AccessoPercorso));
        QCOMPARE(erroreDi([&] { leggiImmagine(d.path(), 1000); }), int(Errore::AccessoPercorso));
    }
};

QTEST_GUILESS_MAIN(TestImmagine)
#include "test_immagine.moc"
