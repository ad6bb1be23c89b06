// Hover and press frames driven through real mouse events on a screen wired like the program's:
// hotspot labels on a picture box, twelve lines per label, one global current hotspot.

#include "Controlli.h"
#include "Fileini.h"
#include "Fseek.h"
#include "HostDiProva.h"
#include "Installazione.h"
#include "Mod_Graph.h"
#include "Riga.h"
#include "StatoPulito.h"

#include <QMouseEvent>
#include <QTest>

using namespace hn;
using namespace hn::Mod_Graph;
using hn::prova::riga;

namespace {

// Three hotspots (one hidden, one disabled at load), an image that is no label, and the
// background's own mouse move, all wired as the screens wire them.
class Schermata : public Forma {
    Q_OBJECT
public:
    explicit Schermata(bool nascondiB = true)
        : Forma(QStringLiteral("FProva"))
        , FONDO(new Riquadro(this, QStringLiteral("FONDO")))
        , Linea(FONDO, QStringLiteral("Linea")) {
        QImage quadro(200, 150, QImage::Format_RGB32);
        quadro.fill(Qt::gray);
        FONDO->ImpostaPicture(quadro);
        FONDO->setAutoSize(true);
        MoveTw(0, 0, 3000, 2250);
        A = hotspot("A", 150, 150, 600, 450);
        nascosta = hotspot("nascosta", 900, 150, 300, 300);
        nascosta->setVisible(false);
        spenta = hotspot("spenta", 1350, 150, 300, 300);
        spenta->ImpostaEnabled(false);
        new Immagine(FONDO, QStringLiteral("img"));
        B = hotspot("B", 150, 900, 900, 600);
        B->setVisible(nascondiB);
        connect(&FONDO->eventi(), &EventiControllo::MouseMove, this,
                [this](int b, int, float, float) { MouseSopra(nullptr, *FONDO, b); });
    }
    Etichetta* hotspot(const char* nome, int l, int t, int w, int h) {
        auto* e = new Etichetta(FONDO, QString::fromLatin1(nome));
        e->MoveTw(l, t, w, h);
        connect(&e->eventi(), &EventiControllo::MouseMove, this,
                [this, e](int b, int, float, float) { MouseSopra(e, *FONDO, b); });
        connect(&e->eventi(), &EventiControllo::MouseDown, this,
                [this, e](int b, int, float, float) { MousePremuto(e, *FONDO, b); });
        connect(&e->eventi(), &EventiControllo::MouseUp, this,
                [this, e](int b, int, float, float) { MouseRilasciato(e, *FONDO, b); });
        return e;
    }
    Riquadro* FONDO;
    ArrayLinee Linea;
    Etichetta *A, *B, *nascosta, *spenta;
};

void invia(QWidget* w, QEvent::Type tipo, Qt::MouseButton tasto, Qt::MouseButtons tenuti) {
    const QPointF p(3, 3);
    QMouseEvent e(tipo, p, w->mapToGlobal(p), tasto, tenuti, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}
void muovi(QWidget* w, Qt::MouseButtons tenuti = Qt::NoButton) {
    invia(w, QEvent::MouseMove, Qt::NoButton, tenuti);
}
void premi(QWidget* w, Qt::MouseButton tasto) {
    invia(w, QEvent::MouseButtonPress, tasto, tasto);
}
void rilascia(QWidget* w, Qt::MouseButton tasto) {
    invia(w, QEvent::MouseButtonRelease, tasto, Qt::NoButton);
}

// The look a group shows: "" none, "raised", "sunken", or "?" for anything else.
QString aspetto(ArrayLinee& linea, int gruppo) {
    const int p = (gruppo - 1) * 12 + 1;
    QList<bool> visibili;
    for (int j = p; j < p + 12; ++j)
        visibili << linea(j).Visible();
    if (!visibili.contains(true))
        return {};
    if (visibili != QList<bool>({true, true, true, true, false, false, false, false, false, false,
                                 false, false}))
        return QStringLiteral("?");
    const QColor alto = linea(p).BorderColor(), sinistra = linea(p + 1).BorderColor();
    const QColor basso = linea(p + 2).BorderColor(), destra = linea(p + 3).BorderColor();
    if (alto != sinistra || basso != destra)
        return QStringLiteral("?");
    if (alto == QColor(Qt::white) && basso == QColor(Qt::black))
        return QStringLiteral("raised");
    if (alto == QColor(Qt::black) && basso == QColor(Qt::white))
        return QStringLiteral("sunken");
    return QStringLiteral("?");
}

struct Ambiente {
    Ambiente() {
        prova::Installazione(host).scrivi();
        Fileini::cfg.PathApp = QStringLiteral("C:\\VELTO\\HNEMAR\\");
    }
    prova::StatoPulito stato{[] {
        HotCorrente = nullptr;
        StatoCorrente = Stato::Nessuno;
    }};
    prova::HostDiProva host;
};

} // namespace

class TestCornici : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gruppiSoloPerEtichetteVisibiliEAttive();
    void rimuoviLasciaSoloLElementoZero();
    void sequenzeDelMouse_data();
    void sequenzeDelMouse();
    void stessoStatoNonRidisegna();
    void corniceSulRettangoloEAnelli_data();
    void corniceSulRettangoloEAnelli();
    void statoNonValidoAvvisaEIncassa();
    void hotspotDiUnAltraFormaNonToccato();
    void bordiDiPressione();
    void guidaAperta();
};

void TestCornici::gruppiSoloPerEtichetteVisibiliEAttive() {
    Ambiente a;
    Schermata f;
    f.Show();
    Fseek::istanza().Pic_SalvaSfondo.ImpostaPicture({});
    QCOMPARE(PreparaCornici(f, *f.FONDO), 2);
    QCOMPARE(f.A->Tag, "1");
    QCOMPARE(f.B->Tag, "2");
    QCOMPARE(f.nascosta->Tag, QString());
    QCOMPARE(f.spenta->Tag, QString());
    QCOMPARE(f.Linea.Count(), 2 * 12 + 1);
    QVERIFY(!f.Linea(0).Visible());
    for (int g = 1; g <= 2; ++g)
        QCOMPARE(aspetto(f.Linea, g), QString());
    QCOMPARE(Fseek::istanza().Pic_SalvaSfondo.Picture().size(), QSize(200, 150));
}

void TestCornici::rimuoviLasciaSoloLElementoZero() {
    Ambiente a;
    Schermata f(false);
    f.Show();
    qint16 n = PreparaCornici(f, *f.FONDO);
    QCOMPARE(n, 1);
    QCOMPARE(f.Linea.Count(), 13);
    muovi(f.A);
    QCOMPARE(HotCorrente.data(), f.A);
    RimuoviCornici(f, n);
    QCOMPARE(f.Linea.Count(), 1);
    QCOMPARE(HotCorrente.data(), nullptr);
}

void TestCornici::sequenzeDelMouse_data() {
    QTest::addColumn<QString>("passi");
    QTest::addColumn<QString>("aspettoA");
    QTest::addColumn<QString>("aspettoB");
    QTest::addColumn<QString>("corrente");
    // Steps: mX move over X (F = background), dX left press, uX left release, rX right press,
    // hX move over X with the left button held.
    riga("hover", "mA", "raised", "", "A");
    riga("press", "mA dA", "sunken", "", "A");
    riga("release: no frame until the next move", "mA dA uA", "", "", "A");
    riga("moved again after release", "mA dA uA mA", "raised", "", "A");
    riga("straight to another hotspot", "mA mB", "", "raised", "B");
    riga("onto the background", "mA mF", "", "", "-");
    riga("right button changes nothing", "mA rA", "raised", "", "A");
    riga("right button on a pressed one", "mA dA rA", "sunken", "", "A");
    riga("held button keeps the press", "mA dA hA hF", "sunken", "", "A");
    riga("disabled after load takes nothing", "mA mS", "", "", "-");
}

void TestCornici::sequenzeDelMouse() {
    QFETCH(QString, passi);
    QFETCH(QString, aspettoA);
    QFETCH(QString, aspettoB);
    QFETCH(QString, corrente);
    Ambiente a;
    Schermata f;
    f.Show();
    PreparaCornici(f, *f.FONDO);
    // S: a label with a group that is disabled afterwards.
    Etichetta* s = f.B;
    auto bersaglio = [&](QChar c) -> QWidget* {
        return c == u'A'   ? static_cast<QWidget*>(f.A)
               : c == u'B' ? f.B
               : c == u'S' ? static_cast<QWidget*>(s)
                           : f.FONDO;
    };
    for (const QString& passo : passi.split(u' ')) {
        QWidget* w = bersaglio(passo.at(1));
        if (passo.at(1) == u'S')
            s->ImpostaEnabled(false);
        switch (passo.at(0).unicode()) {
        case 'm':
            muovi(w);
            break;
        case 'h':
            muovi(w, Qt::LeftButton);
            break;
        case 'd':
            premi(w, Qt::LeftButton);
            break;
        case 'u':
            rilascia(w, Qt::LeftButton);
            break;
        case 'r':
            premi(w, Qt::RightButton);
            break;
        }
    }
    QCOMPARE(aspetto(f.Linea, 1), aspettoA);
    if (passi.contains(u'S'))
        QCOMPARE(aspetto(f.Linea, 2), QString());
    else
        QCOMPARE(aspetto(f.Linea, 2), aspettoB);
    const QString qui = HotCorrente == f.A   ? "A"
                        : HotCorrente == f.B ? "B"
                        : HotCorrente        ? "?"
                                             : "-";
    QCOMPARE(qui, corrente);
    QCOMPARE(StatoCorrente == Stato::Nessuno, corrente == "-");
}

void TestCornici::stessoStatoNonRidisegna() {
    Ambiente a;
    Schermata f;
    f.Show();
    PreparaCornici(f, *f.FONDO);
    muovi(f.A);
    // Marked by hand: a redraw would recolour it.
    f.Linea(1).setBorderColor(Qt::red);
    muovi(f.A);
    QCOMPARE(f.Linea(1).BorderColor(), QColor(Qt::red));
    premi(f.A, Qt::LeftButton);
    QCOMPARE(f.Linea(1).BorderColor(), QColor(Qt::black));
}

void TestCornici::corniceSulRettangoloEAnelli_data() {
    QTest::addColumn<int>("anelli");
    QTest::addColumn<bool>("incassata");
    QTest::addColumn<int>("scala");
    QTest::newRow("one raised ring, twips") << 1 << false << 1;
    QTest::newRow("three sunken rings, twips") << 3 << true << 1;
    QTest::newRow("two rings, pixels") << 2 << false << 3;
    QTest::newRow("none") << 0 << false << 1;
}

void TestCornici::corniceSulRettangoloEAnelli() {
    QFETCH(int, anelli);
    QFETCH(bool, incassata);
    QFETCH(int, scala);
    Ambiente a;
    Schermata f;
    PreparaCornici(f, *f.FONDO);
    f.FONDO->ScaleMode = scala;
    const int passo = scala == 1 ? 15 : 1;
    DisegnaCornice(*f.FONDO, 150, 300, 750, 900, incassata, anelli, 2);
    const QColor chiaro = incassata ? Qt::black : Qt::white;
    const QColor scuro = incassata ? Qt::white : Qt::black;
    for (int r = 0; r < 3; ++r) {
        const int i = 12 + 4 * r + 1;
        const int d = r * passo;
        const bool visibile = r < anelli;
        for (int k = 0; k < 4; ++k)
            QCOMPARE(f.Linea(i + k).Visible(), visibile);
        if (!visibile)
            continue;
        auto punti = [&](int j) {
            const Linea& l = f.Linea(j);
            return QList<double>{l.X1(), l.Y1(), l.X2(), l.Y2()};
        };
        QCOMPARE(punti(i), QList<double>({150.0 + d, 300.0 + d, 750.0 - d, 300.0 + d}));
        QCOMPARE(punti(i + 1), QList<double>({150.0 + d, 300.0 + d, 150.0 + d, 900.0 - d}));
        // Bottom and right keep their far end on the outer corner.
        QCOMPARE(punti(i + 2), QList<double>({150.0 + d, 900.0 - d, 750.0, 900.0 - d}));
        QCOMPARE(punti(i + 3), QList<double>({750.0 - d, 300.0 + d, 750.0 - d, 900.0}));
        QCOMPARE(f.Linea(i).BorderColor(), chiaro);
        QCOMPARE(f.Linea(i + 1).BorderColor(), chiaro);
        QCOMPARE(f.Linea(i + 2).BorderColor(), scuro);
        QCOMPARE(f.Linea(i + 3).BorderColor(), scuro);
    }
    // The other group is untouched.
    QCOMPARE(aspetto(f.Linea, 1), QString());
}

void TestCornici::statoNonValidoAvvisaEIncassa() {
    Ambiente a;
    Schermata f;
    PreparaCornici(f, *f.FONDO);
    QVERIFY(a.host.box.mostrati.isEmpty());
    CambiaStato(f.A, *f.FONDO, 3);
    QCOMPARE(a.host.box.mostrati.size(), 1);
    QCOMPARE(a.host.box.mostrati[0].testo, "Messaggio 463 ");
    QCOMPARE(a.host.box.mostrati[0].stile, Stile::OK);
    QCOMPARE(aspetto(f.Linea, 1), "sunken");
    QCOMPARE(StatoCorrente, 3);
}

void TestCornici::hotspotDiUnAltraFormaNonToccato() {
    Ambiente a;
    Schermata uno, due;
    PreparaCornici(uno, *uno.FONDO);
    PreparaCornici(due, *due.FONDO);
    CambiaStato(uno.A, *uno.FONDO, Stato::Sopra);
    CambiaStato(due.A, *due.FONDO, Stato::Sopra);
    QCOMPARE(aspetto(uno.Linea, 1), "raised");
    QCOMPARE(aspetto(due.Linea, 1), "raised");
    QCOMPARE(HotCorrente.data(), due.A);
}

void TestCornici::bordiDiPressione() {
    Ambiente a;
    Schermata f;
    auto* img = new Immagine(&f, "OPZT", 0);
    auto* fig = new Figura(&f, "EVID", 0);
    BordoPremuto(*f.A);
    BordoPremuto(*img);
    BordoPremuto(*fig);
    QCOMPARE(f.A->BorderStyle(), 1);
    QCOMPARE(img->BorderStyle(), 1);
    QCOMPARE(fig->BorderStyle(), 1); // a shape keeps its own frame
    fig->setBorderStyle(0);
    BordoPremuto(*fig);
    QCOMPARE(fig->BorderStyle(), 0);
    BordoNormale(*f.A);
    BordoNormale(*img);
    QCOMPARE(f.A->BorderStyle(), 0);
    QCOMPARE(img->BorderStyle(), 0);
}

void TestCornici::guidaAperta() {
    Ambiente a;
    ApriGuida();
    Fileini::cfg.PathApp = QStringLiteral("D:\\ALTRO\\");
    ApriGuida(7);
    QCOMPARE(a.host.guida.aperti,
             QStringList({"C:\\VELTO\\HNEMAR\\halvo.hlp", "D:\\ALTRO\\halvo.hlp"}));
    QCOMPARE(Fseek::istanza().Cmdlg_Help.HelpCommand, 3);
}

QTEST_MAIN(TestCornici)
#include "test_cornici.moc"
