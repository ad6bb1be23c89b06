#include "Cp1250.h"
#include "ErroreDi.h"
#include "ErroreVB.h"
#include "Fifo.h"
#include "HostDiProva.h"
#include "Mod_CopiaeStampa.h"
#include "Riga.h"

#include <QDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <optional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <vector>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

class Schermo : public FixedScreen {
public:
    Schermo(double x, double y)
        : x_(x)
        , y_(y) {}
    double twipsPerPixelX() const override { return x_; }
    double twipsPerPixelY() const override { return y_; }

private:
    double x_, y_;
};

// A control described by what it offers: geometry or none (a timer), an Appearance or none, a
// border style that can or cannot be set, and an error to raise when it is moved.
struct Finto : ControlloDelDialogo {
    bool etichetta = false;
    std::optional<int> aspetto;
    std::optional<QRectF> geometria;
    int erroreBordo = 0; // 0 settable, else the error raised
    int erroreMove = 0;
    int bordo = 1;

    bool isLabel() const override { return etichetta; }
    int Appearance() const override {
        return aspetto ? *aspetto : ControlloDelDialogo::Appearance();
    }
    double LeftTw() const override { return g().left(); }
    double TopTw() const override { return g().top(); }
    double WidthTw() const override { return g().width(); }
    double HeightTw() const override { return g().height(); }
    void MoveTw(double l, double t, double w, double h) override {
        if (erroreMove)
            throw ErroreVB(erroreMove);
        g();
        geometria = QRectF(l, t, w, h);
    }
    void ImpostaBorderStyle(int s) override {
        if (erroreBordo)
            throw ErroreVB(erroreBordo);
        bordo = s;
    }
    const QRectF& g() const {
        if (!geometria)
            throw ErroreVB(438);
        return *geometria;
    }
};

Finto immagine(QRectF r, int app = 1) {
    Finto f;
    f.aspetto = app;
    f.geometria = r;
    return f;
}
Finto timer() {
    return {};
}

struct Modulo : ControlliDelDialogo {
    std::vector<std::unique_ptr<Finto>> c;
    Finto& add(Finto f) {
        c.push_back(std::make_unique<Finto>(f));
        return *c.back();
    }
    void addNullo() { c.push_back(nullptr); }
    int Count() const override { return int(c.size()); }
    ControlloDelDialogo* Item(int i) const override { return c.at(std::size_t(i)).get(); }
};

bool vicino(const QRectF& a, const QRectF& b) {
    return qAbs(a.left() - b.left()) < 1e-6 && qAbs(a.top() - b.top()) < 1e-6 &&
           qAbs(a.width() - b.width()) < 1e-6 && qAbs(a.height() - b.height()) < 1e-6;
}

} // namespace

class TestModCopiaeStampa : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void riscalaESpiana_data();
    void riscalaESpiana();
    void soloEtichette();
    void erroriCheSaltanoEdErroriCheFermano_data();
    void erroriCheSaltanoEdErroriCheFermano();
    void aspettoIllegibileNonEreditaIlPrecedente();
    void rigaDiCreditoInUnaRigaCodificabile();
    void fileInteroNonSiPerde_data();
    void fileInteroNonSiPerde();
};

void TestModCopiaeStampa::riscalaESpiana_data() {
    QTest::addColumn<double>("tx");
    QTest::addColumn<double>("ty");
    QTest::addColumn<QRectF>("atteso");
    riga("15 twips per pixel: nothing moves", 15.0, 15.0, QRectF(1455, 3270, 1245, 480));
    riga("12 twips per pixel (120 dpi)", 12.0, 12.0, QRectF(1164, 2616, 996, 384));
    riga("only one direction differs", 15.0, 12.0, QRectF(1455, 2616, 1245, 384));
    riga("larger pixels", 20.0, 20.0, QRectF(1940, 4360, 1660, 640));
}

void TestModCopiaeStampa::riscalaESpiana() {
    QFETCH(double, tx);
    QFETCH(double, ty);
    QFETCH(QRectF, atteso);
    HostDiProva h;
    Schermo s(tx, ty);
    host().screen = &s;
    Modulo m;
    Finto& annulla = m.add(immagine({1455, 3270, 1245, 480}));
    Finto& aggiorna = m.add(timer());
    Finto& piatto = m.add(immagine({0, 0, 3405, 3750}, 0));
    Mod_CopiaeStampa::AdattaControlli(m, true);
    QVERIFY2(vicino(*annulla.geometria, atteso), "moved by the screen's factor");
    QCOMPARE(annulla.bordo, 0);
    QVERIFY(!aggiorna.geometria);
    QCOMPARE(piatto.bordo, 1); // flat controls keep their border style
    QVERIFY(vicino(*piatto.geometria, QRectF(0, 0, 3405 * tx / 15, 3750 * ty / 15)));
}

void TestModCopiaeStampa::soloEtichette() {
    HostDiProva h;
    Schermo s(12, 12);
    host().screen = &s;
    Modulo m;
    Finto& img = m.add(immagine({1500, 1500, 150, 150}));
    Finto et = immagine({2715, 2595, 450, 390});
    et.etichetta = true;
    Finto& sceglifile = m.add(et);
    Mod_CopiaeStampa::AdattaControlli(m, false);
    QVERIFY(vicino(*img.geometria, {1500, 1500, 150, 150}));
    QCOMPARE(img.bordo, 1);
    QVERIFY(vicino(*sceglifile.geometria, {2172, 2076, 360, 312}));
    QCOMPARE(sceglifile.bordo, 0);
}

void TestModCopiaeStampa::erroriCheSaltanoEdErroriCheFermano_data() {
    QTest::addColumn<bool>("nullo");
    QTest::addColumn<int>("erroreMove");
    QTest::addColumn<int>("erroreBordo");
    QTest::addColumn<bool>("ultimoTrattato");
    QTest::addColumn<bool>("bordoPerso");
    riga("object not set", true, 0, 0, true, false);
    riga("Move not supported", false, 438, 0, true, true);
    riga("border not settable at run time", false, 0, 382, true, false);
    riga("invalid call ends the pass", false, 5, 0, false, false);
    riga("overflow on the border ends the pass", false, 0, 6, false, false);
}

void TestModCopiaeStampa::erroriCheSaltanoEdErroriCheFermano() {
    QFETCH(bool, nullo);
    QFETCH(int, erroreMove);
    QFETCH(int, erroreBordo);
    QFETCH(bool, ultimoTrattato);
    QFETCH(bool, bordoPerso);
    HostDiProva h;
    Schermo s(12, 12);
    host().screen = &s;
    Modulo m;
    Finto* guasto = nullptr;
    if (nullo) {
        m.addNullo();
    } else {
        Finto f = immagine({150, 150, 150, 150});
        f.erroreMove = erroreMove;
        f.erroreBordo = erroreBordo;
        guasto = &m.add(f);
    }
    Finto& ultimo = m.add(immagine({1500, 1500, 150, 150}));
    Mod_CopiaeStampa::AdattaControlli(m, true);
    if (guasto)
        QCOMPARE(guasto->bordo, bordoPerso ? 0 : 1);
    QCOMPARE(vicino(*ultimo.geometria, {1200, 1200, 120, 120}), ultimoTrattato);
    QCOMPARE(ultimo.bordo, ultimoTrattato ? 0 : 1);
}

void TestModCopiaeStampa::aspettoIllegibileNonEreditaIlPrecedente() {
    HostDiProva h; // 15 twips per pixel: only borders change
    Modulo m;
    Finto& rilievo = m.add(immagine({0, 0, 10, 10}, 1));
    Finto senza = immagine({0, 0, 10, 10});
    senza.aspetto.reset();
    Finto& senzaAspetto = m.add(senza);
    Mod_CopiaeStampa::AdattaControlli(m, true);
    QCOMPARE(rilievo.bordo, 0);
    QCOMPARE(senzaAspetto.bordo, 1);
    QVERIFY(vicino(*rilievo.geometria, {0, 0, 10, 10}));
}

void TestModCopiaeStampa::rigaDiCreditoInUnaRigaCodificabile() {
    const QString r = Mod_CopiaeStampa::RigaDiCredito();
    QVERIFY(r.contains(u"HNemar"_s));
    QVERIFY(!r.contains(u'\r') && !r.contains(u'\n'));
    // It goes into Windows-1250 files and RTF: every character must survive the round trip.
    QCOMPARE(decodeCp1250(encodeCp1250(r)), r);
}

enum class Guasto { DiscoPieno, ScritturaRifiutata, Fifo };

void TestModCopiaeStampa::fileInteroNonSiPerde_data() {
    QTest::addColumn<Guasto>("guasto");
    QTest::addColumn<int>("errore");
    // A copy smaller than any write buffer: the failure only shows when the bytes reach the disk.
    QTest::newRow("full file system") << Guasto::DiscoPieno << int(Errore::DiscoPieno);
    QTest::newRow("every write refused") << Guasto::ScritturaRifiutata << int(Errore::DiscoPieno);
    QTest::newRow("FIFO in the file's place") << Guasto::Fifo << int(Errore::AccessoPercorso);
}

// Whatever goes wrong, the notes on disk stay byte for byte (a FIFO stays a FIFO) and nothing is
// left beside them.
void TestModCopiaeStampa::fileInteroNonSiPerde() {
    QFETCH(Guasto, guasto);
    QFETCH(int, errore);
    HostDiProva h;
    const QString nome = u"C:\\KOPIE\\notatki.rtf"_s, file = h.percorsoHost(nome);
    const QString cartella = QFileInfo(file).path();
    struct Ripristina {
        QByteArray montata;
        rlimit limite{};
        ~Ripristina() {
            if (!montata.isEmpty())
                ::umount2(montata.constData(), MNT_DETACH);
        }
    } ripristina;
    ::getrlimit(RLIMIT_FSIZE, &ripristina.limite);
    const QByteArray note = "{\\rtf1\\ansi Moje notatki\\par}";
    if (guasto == Guasto::DiscoPieno) {
        if (::mount("tmpfs", QFile::encodeName(cartella).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("mounting a small file system needs root");
        ripristina.montata = QFile::encodeName(cartella);
    }
    if (guasto == Guasto::Fifo)
        QVERIFY(creaFifo(file));
    else
        h.scriviFile(nome, note);
    QFile riempi(cartella + u"/zapas"_s);
    while (guasto == Guasto::DiscoPieno && riempi.open(QIODevice::Append) &&
           riempi.write(QByteArray(4096, 'z')) == 4096 && riempi.flush())
        riempi.close();
    if (guasto == Guasto::ScritturaRifiutata) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit stretto = ripristina.limite;
        stretto.rlim_cur = 1024;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &stretto) == 0);
    }

    const int e =
        erroreDi([&] { Mod_CopiaeStampa::ScriviFileIntero(nome, QByteArray(1800, 'x')); });
    ::setrlimit(RLIMIT_FSIZE, &ripristina.limite);
    QCOMPARE(e, errore);
    if (guasto == Guasto::Fifo)
        QVERIFY(QFileInfo::exists(file) && !QFileInfo(file).isFile());
    else
        QCOMPARE(h.leggiFile(nome), note);
    const QStringList resto = QDir(cartella).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    QVERIFY2(!resto.join(u' ').contains(u".hnemar"_s), qPrintable(resto.join(u' ')));
}

QTEST_MAIN(TestModCopiaeStampa)
#include "test_mod_copiaestampa.moc"
