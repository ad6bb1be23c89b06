// Over every plate of the bundled atlas and every structure it asks: no question shows its answer
// on the screen (an uncovered label, the prompt, the feedback waiting, the window titles) or to
// assistive tools (the hotspots' and the widgets' names and descriptions).

#include "Accessibilita.h"
#include "Navigazione.h"
#include "Sprawdzian.h"

#include "FMed.h"
#include "Fileini.h"
#include "Frm_Testo.h"
#include "HostDiProva.h"
#include "IndiceRicerca.h"
#include "Prefisso.h"
#include "Ricerca.h"
#include "StatoPulito.h"
#include "Zaslona.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace hn;
using namespace Qt::StringLiterals;

static QTemporaryDir configurazione;
static void configurazioneTemporanea() {
    qputenv("XDG_CONFIG_HOME", configurazione.path().toUtf8());
}
Q_CONSTRUCTOR_FUNCTION(configurazioneTemporanea)

namespace {

using Rodzaj = Sprawdzian::Rodzaj;

// Whether a text names the structure: its normalised name as whole words.
bool nomina(const QString& testo, const QString& nome) {
    const QString n = atlante::normalizza(nome);
    return !n.isEmpty() && (u' ' + atlante::normalizza(testo) + u' ').contains(u' ' + n + u' ');
}

// What the screen and assistive tools show while the question waits for its answer; empty when
// nothing gives it away, else what does.
QString fuga(FMed1& v, Sprawdzian& s, const atlante::Domanda& d, const atlante::DatiAtlante& dati) {
    const bool nomeDato = s.rodzaj() == Rodzaj::GdzieJest; // the name is the question there
    QStringList visti;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            visti << w->windowTitle();
    visti << v.windowTitle();
    for (QWidget* w : v.findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        visti << w->accessibleName() << w->accessibleDescription();
        if (auto* l = qobject_cast<QLabel*>(w))
            visti << l->text();
        if (auto* b = qobject_cast<QPushButton*>(w))
            visti << b->text();
        if (auto* e = qobject_cast<QLineEdit*>(w))
            visti << e->text() << e->placeholderText();
    }
    // Where the name is the question, the answer is the place: only what points at it counts.
    for (const QString& t : std::as_const(visti))
        if (!nomeDato && nomina(t, d.nome))
            return u"a text: "_s + t;
    for (int n = 1; n <= v.numeroHotSpot(); ++n)
        if (v.hotspot().esiste(n) && nomina(v.hotspot().descrivi(n).nome, d.nome))
            return u"hotspot %1 reads %2"_s.arg(n).arg(v.hotspot().descrivi(n).nome);
    if (Frm_Testo::creata() && Frm_Testo::istanza().Visible())
        return u"the caption window"_s;
    if (v.Ftdv_Testo.isVisible())
        return u"the plate's description"_s;
    // Its label under a patch that is drawn, on top, in paper colour.
    if (const int e = atlante::etichettaDi(dati, d)) {
        const QRect r = v.hotspot()(e).rettangolo();
        const auto& toppe = s.zaslona().toppe();
        if (!s.zaslona().isVisible() ||
            std::none_of(toppe.cbegin(), toppe.cend(),
                         [&](const Zaslona::Toppa& t) { return t.rettangolo == r; }))
            return u"the label is not covered"_s;
        const QImage disegno = v.DISASGEO.grab(r).toImage();
        const QColor carta = Zaslona::carta(v.DISASGEO.Picture(), r);
        int uguali = 0, tutti = 0;
        for (int y = 3; y < disegno.height() - 3; ++y)
            for (int x = 3; x < disegno.width() - 3; ++x, ++tutti)
                uguali += disegno.pixelColor(x, y).rgb() == carta.rgb() ||
                          disegno.pixelColor(x, y).rgb() == carta.lighter(104).rgb();
        // Room for the number or the mark in the middle.
        if (tutti > 0 && uguali * 10 < tutti * 6)
            return u"the label shows through its patch (%1 of %2 pixels)"_s.arg(uguali).arg(tutti);
    }
    return {};
}

} // namespace

class TestGiroDemo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    void nessunaDomandaSvelaLaRisposta() {
        prova::StatoPulito stato{[] {
            FMed::registraVisore({});
            FMed::registraRicerca({});
            agganciViewer = {};
        }};
        prova::HostDiProva host;
        const QString copia = host.cartella.path() + u"/demo"_s;
        QString errore;
        QVERIFY2(completaDaDemo(QStringLiteral(HNEMAR_DEMO_DIR), copia, &errore),
                 qPrintable(errore));
        host.usaPrefisso(copia);
        FMed::registraVisore([] { return std::make_unique<FMed1>(); });
        agganciViewer.Giro = [](FMed1& v) { Sprawdzian::aggancia(v); };
        FMed home;
        home.Show();
        QVERIFY(home.Caricata());

        const QString d = host.paths->toHost(Fileini::cfg.PathDati).value_or(QString());
        atlante::FileAtlante file;
        file.tabella = d + u"/hsmed.bin"_s;
        file.testi = d + u"/hsmed.dat"_s;
        const auto dati = atlante::DatiAtlante::leggi(file);
        QVERIFY(dati && !dati->albero.nodi().isEmpty());

        home.lbl_HotSpot_Click(0);
        QCoreApplication::processEvents();
        auto* v = static_cast<FMed1*>(home.visore());
        QVERIFY(v && v->isVisible());
        Sprawdzian& s = *Sprawdzian::di(*v);

        int chieste = 0, etichette = 0;
        for (qsizetype n = 0; n < dati->albero.nodi().size(); ++n) {
            const QString tavola = dati->albero.nodi()[n].chiave;
            v->apriTavola(dati->albero.percorso(int(n)), 0);
            QCOMPARE(v->tavola(), tavola);
            atlante::LetturaLimitata lettura(dati->testi);
            const QList<atlante::Domanda> strutture =
                atlante::struttureTavola(*dati, tavola, lettura);
            for (Rodzaj r :
                 {Rodzaj::Szybki, Rodzaj::GdzieJest, Rodzaj::CoToJest, Rodzaj::WszystkieEtykiety}) {
                QSet<QString> viste;
                // Ten at a time, drawn at random: rounds until every structure was asked.
                for (int giro = 0; giro < 40 && viste.size() < strutture.size(); ++giro) {
                    if (!s.avvia(r, false))
                        break;
                    for (int i = 0; i < s.giro().size(); ++i) {
                        const atlante::Domanda& q = s.giro()[s.numero()];
                        viste.insert(q.codice);
                        const QString f = fuga(*v, s, q, *dati);
                        QVERIFY2(
                            f.isEmpty(),
                            qPrintable(
                                u"%1 %2 (kind %3): %4"_s.arg(tavola, q.nome).arg(int(r)).arg(f)));
                        ++chieste;
                        etichette += atlante::etichettaDi(*dati, q) != 0;
                        s.avanti();
                    }
                    s.termina();
                    if (r == Rodzaj::Szybki || r == Rodzaj::WszystkieEtykiety)
                        break; // these ask what they can at once
                }
            }
        }
        // The walk must have asked what the atlas holds, or it proves nothing.
        QVERIFY2(chieste > 300, qPrintable(QString::number(chieste)));
        QVERIFY2(etichette > chieste / 2, qPrintable(QString::number(etichette)));
        if (Frm_Testo::creata())
            Frm_Testo::istanza().ImpostaVisible(false);
    }
};

QTEST_MAIN(TestGiroDemo)
#include "test_giro_demo.moc"
