// Full-screen layout, the program's pointer and switching between the full-screen forms.

#include "ApriForm.h"
#include "Controlli.h"
#include "ErroreVB.h"
#include "FXImage.h"
#include "Fseek.h"
#include "HostDiProva.h"
#include "Puntatore.h"
#include "Riga.h"
#include "gRAPH.h"

#include <QTest>

using namespace hn;
using hn::prova::riga;

namespace {

class Schermata : public Forma {
    Q_OBJECT
public:
    explicit Schermata(const QString& nome = QStringLiteral("FSchermo"))
        : Forma(nome)
        , fondo(new Riquadro(this, QStringLiteral("FONDO"))) {
        QImage quadro(1024, 768, QImage::Format_RGB32);
        quadro.fill(Qt::darkGreen);
        fondo->ImpostaPicture(quadro);
    }
    Riquadro* fondo;
};

// A target form with a preparation method that can fail.
class Visore : public Forma {
    Q_OBJECT
public:
    Visore()
        : Forma(QStringLiteral("FVisore")) {}
    int lanciate = 0;
    bool fallisci = false;
    QString captionAlLancio;
    Q_INVOKABLE void Lanciata() {
        ++lanciate;
        captionAlLancio = Caption();
        if (fallisci)
            throw ErroreVB(53);
    }
};

} // namespace

class TestSchermo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modiESfondoCentrato_data();
    void modiESfondoCentrato();
    void ricentraSoloSeCambiaAltezza();
    void puntatoreSuEtichetteEImmagini();
    void apriForm_data();
    void apriForm();
    void apriFormSenzaLanciataEConErrore();
    void rilascioFinestreDipendenti();
};

void TestSchermo::modiESfondoCentrato_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("modo");
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QSize>("forma");
    QTest::addColumn<QPointF>("sfondo");
    riga("640x480", 640, 480, 0, "640x480", QSize(640, 480), QPointF(-2880, -2160));
    riga("800x600", 800, 600, 1, "800x600", QSize(800, 600), QPointF(-1680, -1260));
    riga("1024x768", 1024, 768, 2, "1024x768", QSize(1024, 768), QPointF(0, 0));
    // Larger screens count as the smallest mode: the form keeps to the corner and the
    // background is centred on the whole screen, mostly outside the form.
    riga("1280x1024", 1280, 1024, 0, "1280x1024", QSize(640, 480), QPointF(1920, 1920));
    riga("1024x600 not a mode", 1024, 600, 0, "1024x600", QSize(640, 480), QPointF(0, -1260));
}

void TestSchermo::modiESfondoCentrato() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, modo);
    QFETCH(QString, testo);
    QFETCH(QSize, forma);
    QFETCH(QPointF, sfondo);
    prova::HostDiProva host(w, h);
    float lw = 0, lh = 0;
    QCOMPARE(gRAPH::RisoluzioneSchermo(lw, lh), testo);
    QCOMPARE(lw, float(w));
    QCOMPARE(lh, float(h));
    QCOMPARE(gRAPH::ModoSchermo(lw, lh), modo);

    Schermata f;
    f.setCaption("vecchia");
    f.fondo->MoveTw(500, 500, 100, 100);
    gRAPH::AdattaSchermo(f, *f.fondo, 0);
    QCOMPARE(f.Caption(), QString());
    QCOMPARE(f.TestoFinestra(), "Velto 2002");
    QCOMPARE(f.BorderStyle(), 0);
    QVERIFY(f.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(f.geometry(), QRect(QPoint(0, 0), forma));
    QCOMPARE(QPointF(f.fondo->LeftTw(), f.fondo->TopTw()), sfondo);
    QCOMPARE(f.fondo->WidthTw(), 15360.0);
    QCOMPARE(f.fondo->HeightTw(), 11520.0);
    QCOMPARE(gRAPH::LarghezzaSchermo, w * 15);
    QCOMPARE(gRAPH::AltezzaSchermo, h * 15);

    // Flag not 0: laid out but left at the corner.
    Schermata g;
    g.fondo->MoveTw(500, 500, 100, 100);
    gRAPH::AdattaSchermo(g, *g.fondo, 1);
    QCOMPARE(QPointF(g.fondo->LeftTw(), g.fondo->TopTw()), QPointF(0, 0));
}

void TestSchermo::ricentraSoloSeCambiaAltezza() {
    prova::HostDiProva host(1024, 768);
    Schermata f;
    gRAPH::AdattaSchermo(f, *f.fondo, 0);
    QCOMPARE(gRAPH::ControllaRisoluzione(f, *f.fondo), 0);
    // Width alone does not count.
    host.schermo.setSize(800, 768);
    QCOMPARE(gRAPH::ControllaRisoluzione(f, *f.fondo), 0);
    QCOMPARE(f.fondo->LeftTw(), 0.0);
    host.schermo.setSize(800, 600);
    QCOMPARE(gRAPH::ControllaRisoluzione(f, *f.fondo), 768 * 15);
    QCOMPARE(QPointF(f.fondo->LeftTw(), f.fondo->TopTw()), QPointF(-1680, -1260));
    QCOMPARE(gRAPH::ControllaRisoluzione(f, *f.fondo), 0);
}

void TestSchermo::puntatoreSuEtichetteEImmagini() {
    prova::HostDiProva host;
    const QImage mano = Fseek::istanza().Pic_MousePointer.Picture();
    QCOMPARE(mano.size(), QSize(32, 32));
    // The hot spot is the finger tip as drawn: on the topmost row of ink, within its span.
    int riga = 0;
    QList<int> inchiostro;
    for (; riga < mano.height() && inchiostro.isEmpty(); ++riga)
        for (int x = 0; x < mano.width(); ++x)
            if (qAlpha(mano.pixel(x, riga)) >= 128)
                inchiostro.append(x);
    QCOMPARE(mano.offset().y(), riga - 1);
    QVERIFY(inchiostro.contains(mano.offset().x()));
    QCOMPARE(qAlpha(mano.pixel(0, 0)), 0);
    // Drawn at 2 × and 3 × as well, the same hand.
    const Rendizioni& grandi = Fseek::istanza().Pic_MousePointer.rendizioni();
    QCOMPARE(grandi.fattori(), QList<int>({1, 2, 3}));
    QVERIFY(qAlpha(grandi.carica(3).pixel(mano.offset() * 3 + QPoint(1, 1))) >= 128);

    Schermata f;
    auto* lbl = new Etichetta(f.fondo, "lbl", 0);
    auto* img = new Immagine(&f, "img");
    auto* fig = new Figura(&f, "EVID", 0);
    auto* fx = new FXImage(&f);
    Mod_Comuni::ImpostaPuntatore(f);
    QCOMPARE(lbl->MousePointer(), 99);
    QCOMPARE(img->MousePointer(), 99);
    QCOMPARE(lbl->MouseIcon().offset(), mano.offset());
    QCOMPARE(lbl->cursor().hotSpot(), mano.offset());
    QCOMPARE(fig->MousePointer(), 0);
    QCOMPARE(f.fondo->MousePointer(), 0);
    QCOMPARE(fx->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(fx->cursor().hotSpot(), mano.offset());
}

void TestSchermo::apriForm_data() {
    QTest::addColumn<int>("larghezza");
    QTest::addColumn<int>("stato");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("spostata");
    riga("640: no caption", 640, 0, "", true);
    riga("800", 800, 0, "Velto 2002", true);
    riga("1024", 1024, 0, "Velto 2002", true);
    // Not in the normal state: maximised, and the caption stays as it was.
    riga("maximised source", 1024, 2, "prima", false);
    riga("minimised source", 640, 1, "prima", false);
}

void TestSchermo::apriForm() {
    QFETCH(int, larghezza);
    QFETCH(int, stato);
    QFETCH(QString, caption);
    QFETCH(bool, spostata);
    prova::HostDiProva host(larghezza, larghezza * 3 / 4);
    Schermata casa("FCasa");
    casa.MoveTw(150, 300, 9000, 6000);
    casa.Show();
    casa.ImpostaWindowState(stato);
    Visore v;
    v.setCaption("prima");
    v.MoveTw(0, 0, 1500, 1500);
    QCOMPARE(Mod_Comuni::ApriForm(casa, v), 0);
    QVERIFY(v.Caricata());
    QCOMPARE(v.lanciate, 1);
    // The target is ready before it runs its preparation.
    QCOMPARE(v.captionAlLancio, caption);
    QCOMPARE(v.Caption(), caption);
    QVERIFY(v.isVisible());
    QVERIFY(!casa.isVisible());
    QVERIFY(casa.Caricata());
    if (spostata) {
        QCOMPARE(QRect(v.pos(), v.size()), QRect(10, 20, 600, 400));
        QCOMPARE(v.WindowState(), 0);
    } else {
        QCOMPARE(v.WindowState(), 2);
    }
}

void TestSchermo::apriFormSenzaLanciataEConErrore() {
    prova::HostDiProva host;
    Schermata casa("FCasa");
    Visore v;
    v.fallisci = true;
    casa.Show();
    Mod_Comuni::ApriForm(casa, v);
    QCOMPARE(v.lanciate, 1);
    QVERIFY(v.isVisible());
    // Back to a form without the method: nothing to call, nothing raised.
    Mod_Comuni::ApriForm(v, casa);
    QVERIFY(casa.isVisible());
    QVERIFY(!v.isVisible());
    QVERIFY(host.box.mostrati.isEmpty());
}

void TestSchermo::rilascioFinestreDipendenti() {
    prova::HostDiProva host;
    Schermata casa("FCasa");
    Visore dialogo;
    Schermata altro("FAltro");
    casa.Load();
    dialogo.Load();
    altro.Load();
    dialogo.setProprietario(&casa);
    altro.setProprietario(&dialogo);
    gRAPH::RilasciaFinestreDipendenti(casa);
    QCOMPARE(dialogo.Proprietario(), nullptr);
    QCOMPARE(altro.Proprietario(), &dialogo);
}

QTEST_MAIN(TestSchermo)
#include "test_schermo.moc"
