#include "Compressione.h"
#include "Contenuti.h"
#include "Cp1250.h"
#include "Guida.h"
#include "Lettore.h"
#include "Normalizza.h"
#include "RicercaTesto.h"
#include "Riga.h"
#include "Scrittore.h"
#include "Sorgente.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace hn::winhelp;
using hn::prova::riga;

namespace {

QByteArray u16(unsigned v) {
    QByteArray b;
    scriviU16(b, v);
    return b;
}
QByteArray u32(std::uint32_t v) {
    QByteArray b;
    scriviU32(b, v);
    return b;
}

// |SYSTEM of a 3.1-style file: no compression, 4 KB blocks, a title and nothing else.
QByteArray sistemaSemplice(unsigned flags = 0) {
    QByteArray s = u16(0x036C) + u16(21) + u16(1) + u32(0) + u16(flags);
    s += u16(1) + u16(2) + QByteArray("T\0", 2);
    return s;
}

// One topic by hand: its header link, then one display record whose text (LinkData2) is
// `memorizzato` as stored and `lunghezza` bytes once expanded; `comandi` are its formatting
// commands (0xFF added).
QByteArray topicAMano(const QByteArray& memorizzato, qsizetype lunghezza,
                      const QByteArray& comandi = {}, const QByteArray& d1Tabella = {}) {
    const QByteArray titolo("Temat\0", 6);
    const std::uint32_t primo = 12, secondo = 12 + 21 + 28 + std::uint32_t(titolo.size());
    QByteArray t = u32(0xFFFFFFFF) + u32(12) + u32(12);
    t += u32(21 + 28 + std::uint32_t(titolo.size())) + u32(std::uint32_t(titolo.size())) +
         u32(0xFFFFFFFF) + u32(secondo) + u32(21 + 28) + QByteArray(1, '\x02');
    t += u32(0) + u32(0xFFFFFFFF) + u32(0xFFFFFFFF) + u32(0) + u32(0xFFFFFFFF) + u32(secondo) +
         u32(0xFFFFFFFF);
    t += titolo;
    QByteArray d1;
    scriviCu32(d1, std::uint32_t(lunghezza));
    scriviCu16(d1, unsigned(lunghezza));
    d1 += d1Tabella.isEmpty()
              ? QByteArray("\x00\x80\x00\x00\x00\x00", 6) + comandi + QByteArray(1, '\xFF')
              : d1Tabella;
    t += u32(std::uint32_t(21 + d1.size() + memorizzato.size())) + u32(std::uint32_t(lunghezza)) +
         u32(primo) + u32(0xFFFFFFFF) + u32(std::uint32_t(21 + d1.size())) +
         QByteArray(1, d1Tabella.isEmpty() ? '\x20' : '\x23');
    t += d1 + memorizzato;
    return t;
}

QString testoDi(const Argomento& a) {
    QString s;
    for (const Paragrafo& p : a.paragrafi) {
        for (const Pezzo& pz : p.pezzi)
            s += pz.testo;
        s += u'|';
    }
    return s;
}

// A picture file (SHG) of one DIB rendition whose header says `w` × `h` at `bit` bits, with
// `pixel` as its packed bytes (method 0: stored) and no palette beyond black and white.
QByteArray shgDi(std::uint32_t w, std::uint32_t h, unsigned bit, const QByteArray& pixel) {
    QByteArray testa("\x06\x00", 2);
    for (unsigned v : {96u, 96u})
        scriviCu32(testa, v);
    scriviCu16(testa, 1);
    scriviCu16(testa, bit);
    for (std::uint32_t v : {w, h, 2u, 0u, std::uint32_t(pixel.size()), 0u})
        scriviCu32(testa, v);
    const std::uint32_t posPixel = std::uint32_t(testa.size() + 8 + 8);
    testa += u32(posPixel) + u32(0) + QByteArray("\x00\x00\x00\x00\xFF\xFF\xFF\x00", 8);
    return u16(0x506C) + u16(1) + u32(8) + testa + pixel;
}

// Hall's phrase lengths: a run of ones (each 2^bits more), a zero, then the rest in `bits` bits.
QByteArray indiceHall(const QList<QByteArray>& frasi, unsigned bits) {
    QList<bool> flusso;
    for (const QByteArray& f : frasi) {
        qsizetype n = f.size() - 1;
        while (n >= (qsizetype(1) << bits)) {
            flusso.append(true);
            n -= qsizetype(1) << bits;
        }
        flusso.append(false);
        for (unsigned b = 0; b < bits; ++b)
            flusso.append((n >> b) & 1);
    }
    QByteArray byte((flusso.size() + 31) / 32 * 4, '\0');
    for (qsizetype i = 0; i < flusso.size(); ++i)
        if (flusso[i])
            byte[i / 8] = char(byte[i / 8] | (1 << (i % 8)));
    QByteArray immagine;
    for (const QByteArray& f : frasi)
        immagine += f;
    return u32(1) + u32(std::uint32_t(frasi.size())) + u32(0) +
           u32(std::uint32_t(immagine.size())) + u32(std::uint32_t(immagine.size())) + u32(0) +
           u16(0x0010 | bits) + u16(0x4A00) + byte;
}

QString halibut() {
    return QStandardPaths::findExecutable(QStringLiteral("halibut"));
}

// A halibut document of `capitoli` chapters, each with an index term and a link to the next.
QByteArray documentoHalibut(int capitoli) {
    QByteArray b = "\\cfg{input-charset}{UTF-8}\n\n\\title Pomoc próbna\n\n";
    for (int i = 0; i < capitoli; ++i) {
        b += "\\C{c" + QByteArray::number(i) + "} Rozdział " + QByteArray::number(i) + " ó\n\n";
        b += "Tekst rozdziału " + QByteArray::number(i) + " o \\i{hasło" + QByteArray::number(i) +
             "}, dalej \\k{c" + QByteArray::number((i + 1) % capitoli) + "}.";
        for (int k = 0; k < 6; ++k)
            b += " Zdanie wypełniające numer " + QByteArray::number(k) + " kości udowej.";
        b += "\n\n";
    }
    return b;
}

QByteArray compilaHalibut(const QTemporaryDir& dir, int capitoli) {
    QFile f(dir.filePath(QStringLiteral("p.but")));
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(documentoHalibut(capitoli));
    f.close();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(halibut(), {QStringLiteral("--winhelp=p.hlp"), QStringLiteral("p.but")});
    p.waitForFinished(60000);
    QFile h(dir.filePath(QStringLiteral("p.hlp")));
    return h.open(QIODevice::ReadOnly) ? h.readAll() : QByteArray();
}

// A file of our writer with what halibut cannot make: Windows-1250, LZ77 over many blocks,
// phrases, a picture with hotspots, browse sequence, non-scrolling region, keywords.
GuidaNuova guidaNostra(int argomenti) {
    GuidaNuova g;
    g.titolo = QStringLiteral("Pomoc – żółć");
    g.font = {FontNuovo{}, FontNuovo{QStringLiteral("Times New Roman"), 28, true}};
    g.contenuti = QStringLiteral("a1");
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x)
            img.setPixel(x, y, qRgb(255, 0, 0));
    ImmagineNuova im;
    im.immagine = img;
    for (int z = 0; z < 2; ++z) {
        ZonaNuova zona;
        zona.rettangolo = QRect(20 * z, 0, 20, 30);
        zona.contesto = QStringLiteral("a%1").arg(2 + z);
        zona.popup = z == 1;
        im.zone.append(zona);
    }
    g.immagini.append(im);
    for (int i = 0; i < argomenti; ++i) {
        ArgomentoNuovo a;
        a.contesto = QStringLiteral("a%1").arg(i);
        a.titolo = QStringLiteral("Temat %1: źdźbło").arg(i);
        a.parole = {QStringLiteral("słowo%1").arg(i % 7), QStringLiteral("wspólne")};
        a.sequenza = i != 3;
        ParagrafoNuovo tytul;
        tytul.nonScorrevole = true;
        PezzoNuovo t;
        t.testo = a.titolo;
        t.font = 1;
        tytul.pezzi.append(t);
        a.paragrafi.append(tytul);
        for (int k = 0; k < 3; ++k) {
            ParagrafoNuovo p;
            PezzoNuovo t;
            t.testo = QStringLiteral("Akapit %1 tematu %2: wątroba wytwarza żółć, która pomaga "
                                     "trawić tłuszcze; zdanie numer %3. ")
                          .arg(k)
                          .arg(i)
                          .arg(i * 3 + k);
            p.pezzi.append(t);
            PezzoNuovo skok;
            skok.testo = QStringLiteral("dalej");
            skok.salto = QStringLiteral("a%1").arg((i + 1) % argomenti);
            p.pezzi.append(skok);
            a.paragrafi.append(p);
        }
        if (i == 1) {
            ParagrafoNuovo p;
            PezzoNuovo obraz;
            obraz.tipo = PezzoNuovo::Immagine;
            obraz.immagine = 0;
            p.pezzi.append(obraz);
            a.paragrafi.append(p);
        }
        g.argomenti.append(a);
    }
    return g;
}

// Opens and reads everything a window would: any damage must be an ErroreGuida, nothing else.
void leggiTutto(const QByteArray& dati) {
    try {
        const FileGuida g = FileGuida::apri(dati);
        for (int i = 0; i < g.numeroArgomenti(); ++i) {
            const Argomento a = g.argomento(i);
            for (const RifImmagine& r : a.immagini) {
                try {
                    (void)g.immagine(r);
                } catch (const ErroreGuida&) {
                }
            }
            (void)g.precedente(i);
            (void)g.successivo(i);
        }
        for (const VoceIndice& v : g.indice())
            (void)g.argomentiDiParola(v);
    } catch (const ErroreGuida& e) {
        QVERIFY(!e.messaggio().isEmpty());
    }
}

} // namespace

class TestWinhelp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Vectors written from the format's description, so that our writer and reader cannot share
    // a misreading.
    void lz77() {
        // 'a', then a copy of five from one back: it overlaps what it writes.
        QCOMPARE(decomprimiLz77(QByteArray("\x02\x61\x00\x20", 4), 100), QByteArray("aaaaaa"));
        // A distance-3 copy of length 18 (the most) after "abc".
        QCOMPARE(decomprimiLz77(QByteArray("\x08\x61\x62\x63\x02\xF0", 6), 100),
                 QByteArray("abc") + QByteArray("abcabcabcabcabcabc"));
        // Output stops at the limit, whatever the stream says.
        QCOMPARE(decomprimiLz77(QByteArray("\x02\x61\x00\xF0", 4), 7).size(), 7);
        // Our compressor's output decodes to its input, block budget kept to the byte.
        QByteArray testo;
        for (int i = 0; i < 3000; ++i)
            testo += QByteArray::number(i * 7919 % 1000) + ' ';
        QCOMPARE(decomprimiLz77(comprimiLz77(testo), testo.size() + 10), testo);
        qsizetype presi = 0;
        const QByteArray blocco = comprimiLz77Blocco(testo, 1000, 16384, presi);
        QCOMPARE(blocco.size(), 1000);
        QCOMPARE(decomprimiLz77(blocco, 16384), testo.left(presi));
        // A copy from before the start gives NULs and the literal after it survives; a reference
        // cut in half ends the stream.
        QCOMPARE(decomprimiLz77(QByteArray("\x01\x63\x00x", 4), 100), QByteArray("\0\0\0x", 4));
        QCOMPARE(decomprimiLz77(QByteArray("\x02y\x05", 3), 100), QByteArray("y"));
    }

    void rle() {
        QCOMPARE(decomprimiRle(QByteArray("\x03\x41\x82\x42\x43", 5), 100), QByteArray("AAABC"));
        const QByteArray dati = QByteArray(300, 'x') + "abc" + QByteArray(5, '\0');
        QCOMPARE(decomprimiRle(comprimiRle(dati), 1000), dati);
    }

    void hashContesti() {
        QCOMPARE(hashContesto(""), 1u);
        QCOMPARE(hashContesto("M359HPEHGW"), hashContesto("Y5VQEXZQVJ"));
        QCOMPARE(hashContesto("a"), 0x11u);
        QCOMPARE(hashContesto("ab"), 0x11u * 43 + 0x12u);
        QCOMPARE(hashContesto("Top"), hashContesto("TOP"));
        QVERIFY(hashContesto("a.b") != hashContesto("a_b"));
    }

    void frasiHall() {
        // Phrases "p0" … "p129": codes 254 (phrase 127) and 0x01 0x00 (128) sit either side of
        // the one-byte boundary; 0x13 copies three literal bytes, 0x27 makes three spaces and
        // 0x0F one NUL.
        QList<QByteArray> frasi;
        for (int i = 0; i < 130; ++i)
            frasi.append("p" + QByteArray::number(i));
        const QByteArray testo("\xFE\x01\x00\x13xyz\x27\x0F", 10);
        QMap<QByteArray, QByteArray> file{{"|SYSTEM", sistemaSemplice()},
                                          {"|TOPIC", topicAMano(testo, 15)},
                                          {"|PhrIndex", indiceHall(frasi, 4)},
                                          {"|PhrImage", frasi.join()}};
        const FileGuida g = FileGuida::apri(scriviContenitore(file));
        QCOMPARE(testoDi(g.argomento(0)), QStringLiteral("p127p128xyz   |"));
        // Phrase 200 of 130 (0x01 0x48: 128 + 72): a clear message, not a read past the table.
        file["|TOPIC"] = topicAMano(QByteArray("a\x01\x48", 3), 10);
        QVERIFY(testoDi(FileGuida::apri(scriviContenitore(file)).argomento(0))
                    .contains(QStringLiteral("nieistniejącej frazy")));
        // An index claiming more phrases than its bits can say.
        file["|PhrIndex"] = indiceHall(frasi, 4);
        file["|PhrIndex"][4] = '\xFF';
        file["|PhrIndex"][5] = '\xFF';
        QVERIFY_THROWS_EXCEPTION(ErroreGuida, FileGuida::apri(scriviContenitore(file)));
    }

    void frasiVecchie() {
        // Code 0x0F 0x03: (15 − 1) × 256 + 3 = 3587, phrase 1793 and a space; 0x01 0x00 phrase 0.
        QList<QByteArray> frasi;
        QByteArray offset, testi;
        for (int i = 0; i < 1800; ++i)
            frasi.append("q" + QByteArray::number(i));
        unsigned o = 2 * (1800 + 1);
        for (const QByteArray& f : frasi) {
            offset += u16(o);
            o += unsigned(f.size());
            testi += f;
        }
        offset += u16(o);
        const QByteArray phrases = u16(1800) + u16(0x0100) + u32(std::uint32_t(testi.size())) +
                                   offset + comprimiLz77(testi);
        const QByteArray testo("\x0F\x03\x01\x00!\x00", 6);
        QMap<QByteArray, QByteArray> file{{"|SYSTEM", sistemaSemplice()},
                                          {"|TOPIC", topicAMano(testo, 10)},
                                          {"|Phrases", phrases}};
        QCOMPARE(testoDi(FileGuida::apri(scriviContenitore(file)).argomento(0)),
                 QStringLiteral("q1793 q0!|"));
        // A phrase number past the table is a clear message in the topic, not a crash.
        file["|TOPIC"] = topicAMano(QByteArray("\x0F\xF0!\x00", 4), 10);
        QVERIFY(testoDi(FileGuida::apri(scriviContenitore(file)).argomento(0))
                    .contains(QStringLiteral("nieistniejącej frazy")));
    }

    void tabella() {
        // Two columns of a normal table; cells at columns 0, 1, then 0 again (a second row),
        // each a paragraph header then its text up to 0xFF; column −1 ends the record. The
        // middle cell's text is a jump.
        QByteArray d1 = QByteArray("\x02\x01", 2) + u16(0) + u16(16000) + u16(0) + u16(16000);
        const QByteArray testa = QByteArray("\x00\x00\x00\x00\x00\x00\x00", 7) + u16(0);
        auto cella = [&](int colonna) { return u16(unsigned(colonna)) + testa; };
        d1 += cella(0) + QByteArray(1, '\xFF');
        d1 += cella(1) + QByteArray(1, '\xE3') + u32(hashContesto("x")) + QByteArray("\x89\xFF", 2);
        d1 += cella(0) + QByteArray(1, '\xFF') + u16(0xFFFF);
        const QByteArray testo("A\0\0B\0\0C\0", 9);
        QMap<QByteArray, QByteArray> file{{"|SYSTEM", sistemaSemplice()},
                                          {"|TOPIC", topicAMano(testo, 9, {}, d1)}};
        const Argomento a = FileGuida::apri(scriviContenitore(file)).argomento(0);
        QCOMPARE(a.paragrafi.size(), 3);
        QCOMPARE(a.paragrafi[0].riga, a.paragrafi[1].riga);
        QCOMPARE(a.paragrafi[1].colonna, 1);
        QCOMPARE(a.paragrafi[2].riga, a.paragrafi[0].riga + 1);
        QCOMPARE(testoDi(a), QStringLiteral("A|B|C|"));
        QCOMPARE(a.paragrafi[1].pezzi[0].collegamento, 0);
        QCOMPARE(a.collegamenti[0].hash, hashContesto("x"));
    }

    void immagineLz77PoiRle() {
        // A 4 × 2 DIB, 8 bits, two colours, packed with run lengths and then LZ77 (method 3):
        // bottom row 04 01 (four of colour 1), top row 84 00 01 00 01 (four literals), all seven
        // bytes LZ77 literals behind a zero flag byte. One invisible jump hotspot.
        const QByteArray pixel("\x00\x04\x01\x84\x00\x01\x00\x01", 8);
        QByteArray zone = QByteArray(1, '\x01') + u16(1) + u32(0);
        zone += QByteArray("\xE7\x04\x00", 3) + u16(1) + u16(0) + u16(2) + u16(2) +
                u32(hashContesto("cel"));
        zone += QByteArray("\0cel\0", 5);
        QByteArray testa("\x06\x03", 2);
        for (unsigned v : {96u, 96u})
            scriviCu32(testa, v);
        scriviCu16(testa, 1);
        scriviCu16(testa, 8);
        for (unsigned v : {4u, 2u, 2u, 0u, unsigned(pixel.size()), unsigned(zone.size())})
            scriviCu32(testa, v);
        const std::uint32_t posPixel = std::uint32_t(testa.size() + 8 + 8);
        testa += u32(posPixel) + u32(posPixel + std::uint32_t(pixel.size()));
        testa += QByteArray("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8); // red, blue (b, g, r, 0)
        const QByteArray shg = u16(0x506C) + u16(1) + u32(8) + testa + pixel + zone;
        QMap<QByteArray, QByteArray> file{{"|SYSTEM", sistemaSemplice()},
                                          {"|TOPIC", topicAMano(QByteArray("\0", 1), 1)},
                                          {"|bm0", shg}};
        const FileGuida g = FileGuida::apri(scriviContenitore(file));
        RifImmagine r;
        r.numero = 0;
        const ImmagineGuida im = g.immagine(r);
        QCOMPARE(im.immagine.size(), QSize(4, 2));
        QCOMPARE(im.immagine.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(im.immagine.pixel(1, 0), qRgb(0, 0, 255));
        QCOMPARE(im.immagine.pixel(0, 1), qRgb(0, 0, 255));
        QCOMPARE(im.zone.size(), 1);
        QCOMPARE(im.zone[0].rettangolo, QRect(1, 0, 2, 2));
        QCOMPARE(im.zone[0].collegamento.tipo, Collegamento::Salto);
        QVERIFY(!im.zone[0].collegamento.visibile);
        QCOMPARE(im.zone[0].collegamento.hash, hashContesto("cel"));
    }

    // Trees that would loop, run past their pages or claim more than they hold.
    void alberiOstili() {
        QList<std::pair<QByteArray, QByteArray>> voci;
        for (int i = 0; i < 40; ++i) {
            const QByteArray k = "k" + QByteArray::number(100 + i);
            voci.append({k, k + '\0' + u32(std::uint32_t(i))});
        }
        // Pages of 64 bytes: seven leaves under one index page.
        const QByteArray buono = scriviAlbero(voci, 64, "z4");
        QStringList lette;
        const auto leggi = [&lette](Lettore& l) {
            lette << QString::fromLatin1(l.stringa());
            l.u32();
        };
        percorriAlbero(buono, QStringLiteral("t"), leggi);
        QCOMPARE(lette.size(), 40);
        QCOMPARE(lette.last(), QStringLiteral("k139"));
        const auto guasto = [&](const char* cosa, const std::function<void(QByteArray&)>& danno) {
            QByteArray a = buono;
            danno(a);
            try {
                percorriAlbero(a, QStringLiteral("t"), leggi);
                QFAIL(cosa);
            } catch (const ErroreGuida& e) {
                QVERIFY(!e.messaggio().isEmpty());
            }
        };
        guasto("leaf 1 leads back to leaf 0", [](QByteArray& a) {
            a[38 + 64 + 6] = 0;
            a[38 + 64 + 7] = 0;
        });
        guasto("more levels than a real tree", [](QByteArray& a) { a[32] = 40; });
        guasto("cut inside its pages", [](QByteArray& a) { a.truncate(38 + 64 + 20); });
        guasto("the root past the pages", [](QByteArray& a) { a[26] = 0x7F; });
        guasto("the page count past the bytes", [](QByteArray& a) {
            a[30] = 0x7F;
            a[26] = 0x70;
        });
        guasto("a leaf of 32767 entries", [](QByteArray& a) {
            a[38 + 2] = '\xFF';
            a[38 + 3] = 0x7F;
        });
    }

    // The window records, byte by byte as the compilers wrote them: validity flags, the short
    // record of the older compiler, a caption in the file's code page; jumps into a window and
    // to another file.
    void finestre() {
        const auto finestra = [](unsigned flag, const QByteArray& tipo, const QByteArray& nome,
                                 const QByteArray& titolo, const QList<int>& dove, unsigned max,
                                 const QByteArray& colori) {
            QByteArray w = u16(flag) + tipo.leftJustified(10, '\0') + nome.leftJustified(9, '\0') +
                           titolo.leftJustified(51, '\0');
            for (const int v : dove)
                w += u16(unsigned(v) & 0xFFFF);
            w += u16(max) + colori;
            return u16(6) + u16(unsigned(w.size())) + w;
        };
        QByteArray sistema = u16(0x036C) + u16(33) + u16(1) + u32(0) + u16(0);
        sistema += u16(1) + u16(2) + QByteArray("T\0", 2) + u16(11) + u16(2) + u16(204);
        sistema += finestra(0x07FF, "main", "main", "\xCF\xEE\xEC\xEE\xF9\xFC", {100, 50, 600, 700},
                            1, QByteArray("\xFF\xFF\xE0\x00\xC0\xC0\xFF\x00", 8));
        // Only type and name valid: the other fields mean nothing.
        sistema += finestra(0x0003, "secondary", "Okno", "x", {1, 2, 3, 4}, 1,
                            QByteArray("\x10\x20\x30\x00\x40\x50\x60\x00", 8));
        const QByteArray lungo =
            finestra(0x007F, "secondary", "krotkie", "", {0, 0, 512, 512}, 0, {});
        sistema += u16(6) + u16(82) + lungo.mid(4, 82);
        // "a", a jump into window 1, "b", end, "c", a jump to another file, "d".
        QByteArray salti =
            QByteArray(1, '\xEB') + u16(6) + '\x01' + u32(hashContesto("cel")) + '\x01';
        salti += QByteArray(1, '\x89') + '\xEB' + u16(14) + '\x04' + u32(hashContesto("cel")) +
                 QByteArray("inny.hlp\0", 9) + '\x89';
        QMap<QByteArray, QByteArray> file{
            {"|SYSTEM", sistema}, {"|TOPIC", topicAMano(QByteArray("a\0b\0c\0d\0", 8), 8, salti)}};
        const FileGuida g = FileGuida::apri(scriviContenitore(file));
        QCOMPARE(g.finestre().size(), 3);
        const FinestraDefinita* m = g.finestra(QString());
        QVERIFY(m);
        QCOMPARE(m->titolo, QStringLiteral("Помощь"));
        QCOMPARE(m->posizione, QRect(100, 50, 600, 700));
        QVERIFY(m->posizioneData && m->massimizzata && m->sopra);
        QCOMPARE(m->colore, QColor(255, 255, 224));
        QCOMPARE(m->coloreFisso, QColor(192, 192, 255));
        const FinestraDefinita* o = g.finestra(QStringLiteral("OKNO"));
        QVERIFY(o);
        QVERIFY(!o->posizioneData && !o->massimizzata && !o->colore.isValid() &&
                !o->coloreFisso.isValid());
        QVERIFY(g.finestra(QStringLiteral("krotkie"))->posizioneData);
        QVERIFY(!g.finestra(QStringLiteral("brak")));

        const Argomento a = g.argomento(0);
        QCOMPARE(testoDi(a), QStringLiteral("abcd|"));
        QCOMPARE(a.collegamenti.size(), 2);
        QCOMPARE(a.collegamenti[0].finestra, QStringLiteral("Okno"));
        QCOMPARE(a.collegamenti[0].hash, hashContesto("cel"));
        QCOMPARE(a.collegamenti[1].file, QStringLiteral("inny.hlp"));
        QCOMPARE(a.paragrafi[0].pezzi[1].collegamento, 0);
        QCOMPARE(a.paragrafi[0].pezzi[2].collegamento, -1);
        QCOMPARE(a.paragrafi[0].pezzi[3].collegamento, 1);

        // Our writer's records read back the same.
        GuidaNuova n = guidaNostra(2);
        FinestraNuova f;
        f.titolo = QStringLiteral("Główne");
        f.posizione = QRect(10, 20, 300, 400);
        f.colore = QColor(1, 2, 3);
        n.finestre = {f};
        const FileGuida nostro = FileGuida::apri(scriviGuida(n));
        const FinestraDefinita* letta = nostro.finestra(QString());
        QVERIFY(letta);
        QCOMPARE(letta->titolo, f.titolo);
        QCOMPARE(letta->posizione, f.posizione);
        QCOMPARE(letta->colore, f.colore);
        QVERIFY(!letta->coloreFisso.isValid() && !letta->massimizzata);
    }

    // Pictures in the line, left and right, by number; an element only a multimedia viewer shows
    // is passed over by its length and the text after it stays.
    void immaginiNelTesto() {
        auto oggetto = [](char comando, unsigned tipo, const QByteArray& dati) {
            QByteArray b = QByteArray(1, comando) + char(tipo);
            scriviCu32(b, std::uint32_t(dati.size()));
            return b + dati;
        };
        const QByteArray comandi = oggetto('\x86', 3, u16(0) + u16(5)) +
                                   oggetto('\x87', 3, u16(0) + u16(6)) +
                                   oggetto('\x88', 3, u16(0) + u16(7)) +
                                   oggetto('\x86', 5, u16(0) + u16(0) + u16(0) + "mci,film.avi\0");
        QMap<QByteArray, QByteArray> file{
            {"|SYSTEM", sistemaSemplice()},
            {"|TOPIC", topicAMano(QByteArray("x\0\0\0\0y\0", 7), 7, comandi)}};
        const Argomento a = FileGuida::apri(scriviContenitore(file)).argomento(0);
        QCOMPARE(testoDi(a), QStringLiteral("xy|"));
        const QList<Pezzo>& pz = a.paragrafi[0].pezzi;
        QCOMPARE(pz.size(), 5);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(pz[1 + i].tipo, Pezzo::Immagine);
            QCOMPARE(pz[1 + i].posizione, quint8(i));
            QCOMPARE(a.immagini[pz[1 + i].immagine].numero, 5 + i);
        }
        QCOMPARE(pz[4].testo, QStringLiteral("y"));
    }

    // Sizes no picture has are refused before anything is allocated; the largest allowed one
    // with its pixels missing is a blank picture, not a read past the data.
    void immaginiEnormi() {
        QMap<QByteArray, QByteArray> file{{"|SYSTEM", sistemaSemplice()},
                                          {"|TOPIC", topicAMano(QByteArray("\0", 1), 1)}};
        file["|bm0"] = shgDi(0x7FFFFFFF, 1, 8, QByteArray(4, '\0'));
        file["|bm1"] = shgDi(16384, 16384, 24, QByteArray(4, '\0'));
        file["|bm2"] = shgDi(16384, 1024, 1, QByteArray(4, '\xFF'));
        file["|bm3"] = shgDi(2, 2, 7, QByteArray(8, '\0'));
        const FileGuida g = FileGuida::apri(scriviContenitore(file));
        RifImmagine r;
        for (int n : {0, 1, 3}) {
            r.numero = n;
            QVERIFY_THROWS_EXCEPTION(ErroreGuida, g.immagine(r));
        }
        r.numero = 2;
        const ImmagineGuida im = g.immagine(r);
        QCOMPARE(im.immagine.size(), QSize(16384, 1024));
        QCOMPARE(im.immagine.pixel(0, 0), qRgb(0, 0, 0));
    }

    // halibut is an independent writer: a real container, trees, fonts, jumps, keyword index.
    void fileDiHalibut_data() {
        QTest::addColumn<int>("capitoli");
        riga("three chapters", 3);
        riga("300 chapters: links across blocks, trees of two levels", 300);
    }
    void fileDiHalibut() {
        QFETCH(int, capitoli);
        if (halibut().isEmpty())
            QSKIP("halibut is not installed (scripts/packages.txt lists it)");
        QTemporaryDir dir;
        const QByteArray dati = compilaHalibut(dir, capitoli);
        QVERIFY(!dati.isEmpty());
        const FileGuida g = FileGuida::apri(dati);
        QCOMPARE(g.titolo(), QStringLiteral("Pomoc próbna"));
        QCOMPARE(g.numeroArgomenti(), capitoli + 1);
        QCOMPARE(g.argomentoIniziale(), 0);
        QCOMPARE(g.titoloArgomento(2),
                 QStringLiteral("Chapter 2: Rozdział 1 ó").replace(u'ł', u'?').remove(u'?'));
        for (int i = 1; i <= capitoli; ++i) {
            const Argomento a = g.argomento(i);
            QVERIFY2(testoDi(a).contains(
                         QStringLiteral("Tekst rozdziału %1 o hasło%1").arg(i - 1).remove(u'ł')),
                     qPrintable(testoDi(a)));
            // The jump to the next chapter lands on it.
            int salti = 0;
            for (const Collegamento& c : a.collegamenti)
                if (c.tipo == Collegamento::Salto) {
                    QCOMPARE(g.argomentoDaHash(c.hash), i % capitoli + 1);
                    ++salti;
                }
            QCOMPARE(salti, 1);
        }
        QCOMPARE(g.indice().size(), capitoli);
        for (const VoceIndice& v : g.indice()) {
            const int n = v.parola.mid(QStringLiteral("haso").size()).toInt();
            QCOMPARE(g.argomentiDiParola(v), QList<int>{n + 1});
        }
    }

    void fileNostri_data() {
        QTest::addColumn<bool>("compresso");
        riga("LZ77, phrases, charset", true);
        riga("plain, as the 3.1 compiler: no charset named", false);
    }
    void fileNostri() {
        QFETCH(bool, compresso);
        GuidaNuova n = guidaNostra(400);
        n.lz77 = n.frasi = n.charset = compresso;
        QStringList avvisi;
        const QByteArray dati = scriviGuida(n, &avvisi);
        QVERIFY(avvisi.isEmpty());
        const FileGuida g = FileGuida::apri(dati);
        QCOMPARE(g.lz77(), compresso);
        QCOMPARE(g.codePage(), 1250);
        QCOMPARE(g.titolo(), n.titolo);
        QCOMPARE(g.numeroArgomenti(), 400);
        QCOMPARE(g.argomentoIniziale(), 1);
        for (int i = 0; i < 400; i += 37) {
            const Argomento a = g.argomento(i);
            QCOMPARE(a.titolo, n.argomenti[i].titolo);
            QCOMPARE(a.paragrafi.size(), n.argomenti[i].paragrafi.size());
            QVERIFY(a.paragrafi[0].nonScorrevole);
            QVERIFY(!a.paragrafi[1].nonScorrevole);
            QCOMPARE(g.font().value(a.paragrafi[0].pezzi[0].font).nome,
                     QStringLiteral("Times New Roman"));
            QCOMPARE(a.paragrafi[2].pezzi[0].testo, n.argomenti[i].paragrafi[2].pezzi[0].testo);
            QCOMPARE(g.argomentoDaHash(a.collegamenti.at(0).hash), (i + 1) % 400);
            QCOMPARE(g.argomentoDaContesto(QStringLiteral("A%1").arg(i)), i);
        }
        // The browse sequence passes over the topic left out of it.
        QCOMPARE(g.successivo(2), 4);
        QCOMPARE(g.precedente(4), 2);
        QCOMPARE(g.precedente(0), -1);
        QCOMPARE(g.successivo(399), -1);
        // Keywords: seven words over 400 topics, and one on all of them.
        QCOMPARE(g.indice().size(), 8);
        for (const VoceIndice& v : g.indice())
            QCOMPARE(g.argomentiDiParola(v).size(), v.parola == QStringLiteral("wspólne")  ? 400
                                                    : v.parola == QStringLiteral("słowo0") ? 58
                                                                                           : 57);
        // The picture with its two hotspots.
        const Argomento a = g.argomento(1);
        QCOMPARE(a.immagini.size(), 1);
        const ImmagineGuida im = g.immagine(a.immagini[0]);
        QCOMPARE(im.immagine.size(), QSize(40, 30));
        QCOMPARE(im.immagine.pixel(5, 5), qRgb(255, 0, 0));
        QCOMPARE(im.immagine.pixel(35, 25), qRgb(255, 255, 255));
        QCOMPARE(im.zone.size(), 2);
        QCOMPARE(g.argomentoDaHash(im.zone[0].collegamento.hash), 2);
        QCOMPARE(im.zone[1].collegamento.tipo, Collegamento::Popup);
        QCOMPARE(im.zone[1].rettangolo, QRect(20, 0, 20, 30));
        if (compresso)
            QVERIFY(dati.size() < scriviGuida([&] {
                                      GuidaNuova p = n;
                                      p.lz77 = p.frasi = false;
                                      return p;
                                  }())
                                          .size() /
                                      2);
    }

    void sorgenteDellaDemo() {
        // The demo's project reads, and every jump and hotspot in it leads somewhere.
        hn::help::Progetto p;
        QString problema;
        QVERIFY2(hn::help::leggiProgetto(QStringLiteral(HNEMAR_GUIDA_DEMO), p, problema),
                 qPrintable(problema));
        QStringList avvisi;
        const FileGuida g = FileGuida::apri(scriviGuida(p.guida, &avvisi));
        QVERIFY2(avvisi.isEmpty(), qPrintable(avvisi.join(u'\n')));
        QCOMPARE(g.titoloArgomento(g.argomentoIniziale()),
                 QStringLiteral("Atlas anatomii człowieka"));
        const int uklady = g.argomentoDaContesto(QStringLiteral("uklady"));
        const Argomento a = g.argomento(uklady);
        QCOMPARE(a.immagini.size(), 1);
        QCOMPARE(g.immagine(a.immagini[0]).zone.size(), 11);
        const Contenuti c = leggiContenuti(p.contenuti);
        QVERIFY(c.voci.size() >= 8);
        QCOMPARE(c.voci.last().figli.size(), 12);
    }

    // Damage of every kind ends in a message, never a crash, a hang or unbounded memory.
    void fileOstili() {
        const QByteArray buono = scriviGuida(guidaNostra(30));
        leggiTutto(buono);
        for (qsizetype n = 0; n < buono.size(); n += 97)
            leggiTutto(buono.left(n));
        QRandomGenerator caso(36);
        for (int i = 0; i < 300; ++i) {
            QByteArray d = buono;
            for (int k = 0; k < 1 + i % 8; ++k)
                d[caso.bounded(int(d.size()))] = char(caso.bounded(256));
            leggiTutto(d);
        }
        QVERIFY_THROWS_EXCEPTION(ErroreGuida, FileGuida::apri(QByteArray()));
        QVERIFY_THROWS_EXCEPTION(ErroreGuida, FileGuida::apri(QByteArray("<html>")));
    }

    void ostiliMirati() {
        // A leaf page that names itself as the next: a loop, not a hang.
        QList<std::pair<QByteArray, QByteArray>> voci{{"a", QByteArray("a\0", 2) + u32(16)}};
        QByteArray albero = scriviAlbero(voci, 1024, "z4", true);
        albero[38 + 6] = 0;
        albero[38 + 7] = 0;
        QByteArray d = u32(0x00035F3F) + u32(16) + u32(0xFFFFFFFF) + u32(0);
        d += u32(std::uint32_t(albero.size() + 9)) + u32(std::uint32_t(albero.size())) + '\x04' +
             albero;
        QVERIFY_THROWS_EXCEPTION(ErroreGuida, FileGuida::apri(d));

        // A keyword claiming 32767 topics in a short |KWDATA; a font table with no face names.
        QList<std::pair<QByteArray, QByteArray>> kw{
            {QByteArray("x\0", 2), QByteArray("x\0", 2) + u16(0x7FFF) + u32(0)}};
        QMap<QByteArray, QByteArray> file{{"|SYSTEM", sistemaSemplice()},
                                          {"|TOPIC", topicAMano(QByteArray("ab\0", 3), 3)},
                                          {"|KWBTREE", scriviAlbero(kw, 2048, "F24")},
                                          {"|KWDATA", u32(12)}};
        QVERIFY_THROWS_EXCEPTION(ErroreGuida, FileGuida::apri(scriviContenitore(file)));
        file.remove("|KWBTREE");
        file["|FONT"] = u16(0) + u16(1) + u16(8) + u16(8) + QByteArray(11, '\x01');
        QCOMPARE(FileGuida::apri(scriviContenitore(file)).font().size(), 1);

        // A block whose LZ77 stream would decode past 16 KB stops there.
        QByteArray lungo("\x02\x61", 2);
        for (int i = 0; i < 4000; ++i)
            lungo += QByteArray(
                "\xFF\x00\xF0\x00\xF0\x00\xF0\x00\xF0\x00\xF0\x00\xF0\x00\xF0\x00\xF0", 17);
        QCOMPARE(decomprimiLz77(lungo, 16384).size(), 16384);
        file["|SYSTEM"] = sistemaSemplice(4);
        file["|TOPIC"] = u32(0xFFFFFFFF) + u32(12) + u32(12) + lungo.left(4084);
        QVERIFY_THROWS_EXCEPTION(ErroreGuida, FileGuida::apri(scriviContenitore(file)));
    }

    void codePage_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("titolo");
        // "Żółw" in Windows-1250 is AF F3 B3 77; the same bytes read "Їуіw" in 1251 and
        // "¯ó³w" in 1252.
        riga("no record: Windows-1250", QByteArray(), QStringLiteral("Żółw"));
        riga("charset 238 (Central European)", u16(11) + u16(2) + u16(238), QStringLiteral("Żółw"));
        riga("charset 204 (Cyrillic)", u16(11) + u16(2) + u16(204), QStringLiteral("Їуіw"));
        riga("charset 0 (Western)", u16(11) + u16(2) + u16(0), QStringLiteral("¯ó³w"));
        riga("charset 1 (default) names nothing", u16(11) + u16(2) + u16(1),
             QStringLiteral("Żółw"));
        riga("default font in Cyrillic",
             u16(12) + u16(4) +
                 QByteArray("\x0A\xCC"
                            "A\0",
                            4),
             QStringLiteral("Їуіw"));
    }
    void codePage() {
        QFETCH(QByteArray, record);
        QFETCH(QString, titolo);
        QByteArray sistema = u16(0x036C) + u16(33) + u16(1) + u32(0) + u16(0);
        sistema += u16(1) + u16(5) + QByteArray("\xAF\xF3\xB3w\0", 5) + record;
        QMap<QByteArray, QByteArray> file{{"|SYSTEM", sistema},
                                          {"|TOPIC", topicAMano(QByteArray("\0", 1), 1)}};
        QCOMPARE(FileGuida::apri(scriviContenitore(file)).titolo(), titolo);
    }

    void immagineMultiRisoluzione() {
        // Two renditions: 1 × 1 at 48 dpi, 2 × 1 at 96 dpi; a 96-dpi screen takes the second,
        // a 48-dpi one the first, whatever their order.
        auto resa = [](unsigned dpi, unsigned larghezza) {
            QByteArray r("\x06\x00", 2);
            scriviCu32(r, dpi);
            scriviCu32(r, dpi);
            scriviCu16(r, 1);
            scriviCu16(r, 8);
            for (unsigned v : {larghezza, 1u, 1u, 0u, 4u, 0u})
                scriviCu32(r, v);
            const std::uint32_t pixel = std::uint32_t(r.size() + 8 + 4);
            r += u32(pixel) + u32(0) + QByteArray("\x00\x00\xFF\x00", 4) + QByteArray(4, '\0');
            return r;
        };
        const QByteArray a = resa(48, 1), b = resa(96, 2);
        const QByteArray mrb =
            u16(0x706C) + u16(2) + u32(12) + u32(12 + std::uint32_t(a.size())) + a + b;
        QMap<QByteArray, QByteArray> file{{"|SYSTEM", sistemaSemplice()},
                                          {"|TOPIC", topicAMano(QByteArray("\0", 1), 1)},
                                          {"|bm3", mrb}};
        const FileGuida g = FileGuida::apri(scriviContenitore(file));
        RifImmagine r;
        r.numero = 3;
        QCOMPARE(g.immagine(r, 96).immagine.width(), 2);
        QCOMPARE(g.immagine(r, 48).immagine.width(), 1);
        QCOMPARE(g.immagine(r, 96).immagine.pixel(0, 0), qRgb(255, 0, 0));
        r.numero = 4;
        QVERIFY_THROWS_EXCEPTION(ErroreGuida, g.immagine(r));
    }

    void paragrafoPiuGrandeDiUnBlocco() {
        // Text that packs to more than a block cannot be kept whole in one: the writer falls back
        // to plain blocks, which a link may cross, and the text still reads back.
        GuidaNuova n;
        n.titolo = QStringLiteral("Duży");
        ArgomentoNuovo a;
        a.contesto = QStringLiteral("duzy");
        a.titolo = QStringLiteral("Duży temat");
        ParagrafoNuovo p;
        PezzoNuovo t;
        QRandomGenerator caso(5);
        for (int i = 0; i < 6000; ++i)
            t.testo += QChar(u'a' + caso.bounded(26));
        p.pezzi.append(t);
        a.paragrafi.append(p);
        n.argomenti.append(a);
        const FileGuida g = FileGuida::apri(scriviGuida(n));
        QVERIFY(!g.lz77());
        QCOMPARE(g.argomento(0).paragrafi[0].pezzi[0].testo, t.testo);
    }

    void sorgente() {
        hn::help::Progetto p;
        QString problema;
        const QString progetto = QStringLiteral(
            "[OPTIONS]\nTITLE=Próba\nCNT=p.cnt\n[FILES]\na.htm\n[KEYWORDS]\nb=kość; ząb\n");
        const QString pagina = QStringLiteral(
            "<h1>Spis</h1><ol><li><a href=\"#b\">Be</a></li><li>drugi &amp; &#x17C;</li></ol>"
            "<h2 id=\"b\">1. Be</h2><p>Tekst <i>pochyły</i><br>i <b>gruby</b>.</p>"
            "<h3 id=\"c\">Ce</h3><ul><li>punkt</li></ul>");
        QVERIFY2(hn::help::leggiProgettoDaTesti(progetto, {{QStringLiteral("a.htm"), pagina}},
                                                QStringLiteral("."), p, problema),
                 qPrintable(problema));
        const auto& g = p.guida;
        QCOMPARE(g.titolo, QStringLiteral("Próba"));
        QCOMPARE(g.argomenti.size(), 3);
        QCOMPARE(g.argomenti[0].contesto, QStringLiteral("spis"));
        // The heading, then the two list items numbered.
        QCOMPARE(g.argomenti[0].paragrafi.size(), 3);
        QCOMPARE(g.argomenti[0].paragrafi[1].pezzi[0].testo, QStringLiteral("1. "));
        QCOMPARE(g.argomenti[0].paragrafi[1].pezzi[1].salto, QStringLiteral("b"));
        QCOMPARE(g.argomenti[0].paragrafi[2].pezzi.last().testo, QStringLiteral("drugi & ż"));
        QVERIFY(g.argomenti[1].paragrafi[0].nonScorrevole);
        QCOMPARE(g.argomenti[1].parole, QStringList({"Be", "kość", "ząb"}));
        const auto& testo = g.argomenti[1].paragrafi[1].pezzi;
        QCOMPARE(testo.size(), 6);
        QCOMPARE(testo[1].font, 1); // italic
        QCOMPARE(testo[2].tipo, PezzoNuovo::ACapo);
        QCOMPARE(testo[4].font, 2); // bold
        QCOMPARE(g.argomenti[2].paragrafi[1].pezzi[0].testo, QStringLiteral("• "));
        // The .cnt: a chapter with a sub-topic becomes a heading over both.
        QVERIFY(p.contenuti.contains(QStringLiteral("1 1. Be\n2 1. Be=b\n2 Ce=c\n")));

        QVERIFY(!hn::help::leggiProgettoDaTesti(
            QStringLiteral("[FILES]\na.htm\n"),
            {{QStringLiteral("a.htm"),
              QStringLiteral("<h1>S</h1><area coords=\"1,2,3,4\" href=\"#x\">")}},
            QStringLiteral("."), p, problema));
        QVERIFY(problema.contains(QStringLiteral("map")));
    }

    void macroEContenuti() {
        const auto m = leggiMacro(QStringLiteral("JI(`a.hlp',`x_1'); Back():PI(\"\", \"p\");bad("));
        QCOMPARE(m.size(), 3);
        QCOMPARE(nomeMacro(m[0].nome), QStringLiteral("JumpId"));
        QCOMPARE(m[0].argomenti, QStringList({"a.hlp", "x_1"}));
        QCOMPARE(nomeMacro(m[1].nome), QStringLiteral("Back"));
        QCOMPARE(nomeMacro(m[2].nome), QStringLiteral("PopupId"));
        QCOMPARE(m[2].argomenti, QStringList({"", "p"}));
        QCOMPARE(nomeMacro(QStringLiteral("ep")), QStringLiteral("ExecProgram"));

        const Contenuti c = leggiContenuti(QStringLiteral(":Base a.hlp\n:Title Pomoc\n1 Rozdział\n"
                                                          "2 Temat=ctx@b.hlp>okno\n4 Głęboko=g\n"
                                                          "1 Koniec=k\nbez numeru\n"));
        QCOMPARE(c.titolo, QStringLiteral("Pomoc"));
        QCOMPARE(c.voci.size(), 2);
        QCOMPARE(c.voci[0].figli.size(), 1);
        const VoceContenuti& t = c.voci[0].figli[0];
        QCOMPARE(t.contesto, QStringLiteral("ctx"));
        QCOMPARE(t.file, QStringLiteral("b.hlp"));
        QCOMPARE(t.finestra, QStringLiteral("okno"));
        QCOMPARE(t.figli.value(0).testo, QStringLiteral("Głęboko"));
        // Nesting without end stays bounded.
        QString profondo;
        for (int i = 1; i < 5000; ++i)
            profondo += QStringLiteral("%1 x\n").arg(i);
        (void)leggiContenuti(profondo);
    }

    void ricerca() {
        QCOMPARE(hn::normalizza(QStringLiteral("Żółć Łódź")), QStringLiteral("zolc lodz"));
        IndiceTesto i;
        i.aggiungi(0, QStringLiteral("Wątroba"), QStringLiteral("Wątroba wytwarza żółć."));
        i.aggiungi(1, QStringLiteral("Żółć"), QStringLiteral("O żółci: żółć i jeszcze żółć."));
        i.aggiungi(2, QStringLiteral("Serce"), QStringLiteral("Pompuje krew."));
        const auto r = i.cerca(QStringLiteral("zolc"));
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0].argomento, 1);
        QCOMPARE(i.cerca(QStringLiteral("ZÓŁ wątr")).size(), 1);
        QVERIFY(i.cerca(QStringLiteral("płuca")).isEmpty());
    }
};

QTEST_MAIN(TestWinhelp)
#include "test_winhelp.moc"
