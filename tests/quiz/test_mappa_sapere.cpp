// The map of what the student knows over the real viewer, and the counts on the home screen's
// cards: both read the review diary on disk, a pair and a structure on two plates are one memory,
// the tint and the legend tell the states apart without colour, the worksheet takes the labels.

#include "Accessibilita.h"
#include "MappaSapere.h"
#include "Navigazione.h"
#include "RiepilogoCasa.h"

#include "EtichetteDisegnate.h"
#include "FileSicuro.h"
#include "Pamiec.h"
#include "StoreDiProva.h"
#include "VisitaDiProva.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;
using atlante::ripasso::Diario;
using atlante::ripasso::Memoria;
using mappa::Stato;

static QTemporaryDir configurazione;
static void configurazioneTemporanea() {
    qputenv("XDG_CONFIG_HOME", configurazione.path().toUtf8());
}
Q_CONSTRUCTOR_FUNCTION(configurazioneTemporanea)

namespace {

const QColor Carta(0xfa, 0xf7, 0xf0);

Memoria memoria(double stabilita, qint64 scadenza) {
    Memoria m;
    m.stabilita = stabilita;
    m.difficolta = 5;
    m.ultimo = pamiec::oggi() - 3;
    m.scadenza = scadenza;
    m.ripetizioni = 2;
    return m;
}

// Writes the diary as the review rounds leave it: name → (stability, days until due).
void scriviDiario(const QList<std::tuple<QString, double, int>>& voci) {
    Diario d;
    for (const auto& [nome, stabilita, giorni] : voci)
        d.imposta(atlante::ripasso::chiaveStruttura(nome),
                  memoria(stabilita, pamiec::oggi() + giorni));
    QDir().mkpath(QFileInfo(pamiec::percorsoFile()).path());
    scriviFileSicuro(pamiec::percorsoFile(), d.scrivi());
}

// Skeleton: the ulna drawn on both arms with one label (a pair), the collarbone, a link to the
// spine. The spine's plate shows the ulna again under another code, and a vertebra. The muscles'
// plate has one structure of its own.
struct Sessione : VisitaDiProva {
    Sessione() {
        atlante.righe = {
            intestazione("SCHEL1", "DSCHEL"),
            hotspot("SCHEL1", "LOKC", 20, 100, 60, 200),
            hotspot("SCHEL1", "LOKC", 300, 100, 340, 200),
            hotspot("SCHEL1", "OBOJ", 150, 60, 230, 80),
            hotspot("SCHEL1", "LINK", 150, 300, 230, 320, "SKREG"),
            hotspot("SCHEL1", "LOKC", 100, 20, 180, 34), // the ulna's label, on top
            intestazione("SKREG", "DSKREG"),
            hotspot("SKREG", "LOKC2", 40, 40, 120, 54),
            hotspot("SKREG", "KREG", 40, 100, 120, 114),
            intestazione("MUSCAVA", "DMUSC"),
            hotspot("MUSCAVA", "DWUGL", 40, 40, 120, 54),
        };
        const QString opis = u"– opis struktury."_s;
        atlante.testi = {
            {u"DSCHEL.RTF"_s, didascaliaDiProva(u"Układ kostny"_s, {})},
            {u"DSKREG.RTF"_s, didascaliaDiProva(u"Kręgosłup"_s, {})},
            {u"DMUSC.RTF"_s, didascaliaDiProva(u"Mięśnie"_s, {})},
            {u"LOKC.RTF"_s, didascaliaDiProva(u"Kość łokciowa"_s, opis)},
            {u"LOKC2.RTF"_s, didascaliaDiProva(u"Kość łokciowa"_s, opis)},
            {u"OBOJ.RTF"_s, didascaliaDiProva(u"Obojczyk"_s, opis)},
            {u"KREG.RTF"_s, didascaliaDiProva(u"Kręg szyjny"_s, opis)},
            {u"DWUGL.RTF"_s, didascaliaDiProva(u"Mięsień dwugłowy"_s, opis)},
        };
        for (const char* t : {"SCHEL1", "SKREG", "MUSCAVA"})
            atlante.tavole.insert(QString::fromLatin1(t) + u".png"_s,
                                  immagineDiProva(398, 480, Qt::gray));
        agganciViewer.Giro = [](FMed1& v) { MappaSapere::aggancia(v); };
    }
    MappaSapere& mappa() { return *MappaSapere::di(viewer()); }
    // The label of the structure whose caption is `codice`: its topmost record.
    int etichetta(const char* codice) {
        const ArrayEtichette& h = viewer().hotspot();
        for (const EtichettaDisegnata* e : h.raggiungibili())
            if (e->Gruppo.startsWith(QLatin1String(codice) + u'|'))
                return e->Index();
        return 0;
    }
    QString descrizione(int n) {
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(&viewer().hotspot()(n));
        return i ? i->text(QAccessible::Description) : u"(none)"_s;
    }
};

// The state whose colour the tint at a label leans towards, from the picture's own grey.
Stato tintaVista(const QImage& schermo, const QRect& etichetta, QColor sotto) {
    double r = 0, g = 0, b = 0;
    int n = 0;
    const QRect dentro = etichetta.adjusted(4, 4, -4, -4);
    for (int y = dentro.top(); y <= dentro.bottom(); ++y)
        for (int x = dentro.left(); x <= dentro.right(); ++x) {
            const QColor c = schermo.pixelColor(x, y);
            r += c.red() - sotto.red();
            g += c.green() - sotto.green();
            b += c.blue() - sotto.blue();
            ++n;
        }
    Stato migliore = Stato::Nuova;
    double massimo = -2;
    for (Stato s : mappa::Stati) {
        const QColor c = mappa::aspettoDi(s).colore;
        const double cr = c.red() - sotto.red(), cg = c.green() - sotto.green(),
                     cb = c.blue() - sotto.blue();
        const double coseno =
            (r * cr + g * cg + b * cb) /
            (std::sqrt(r * r + g * g + b * b) * std::sqrt(cr * cr + cg * cg + cb * cb) + 1e-9);
        if (coseno > massimo) {
            massimo = coseno;
            migliore = s;
        }
    }
    return n > 0 ? migliore : Stato::Nuova;
}

// A state's sample as the legend draws it, over the plate's paper.
QImage campione(Stato s) {
    QImage img(60, 24, QImage::Format_RGB32);
    img.fill(Carta);
    QPainter p(&img);
    mappa::dipingiEtichetta(p, QRectF(16, 4, 40, 16), s, QRectF(img.rect()));
    return img;
}

// Relative luminance and contrast as the accessibility guidelines define them.
double luminanza(QColor c) {
    const auto lin = [](double v) {
        v /= 255;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
}
double contrasto(QColor a, QColor b) {
    const double la = luminanza(a), lb = luminanza(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A card's counts are on the screen: its summary is shown and has a size.
bool mostraConti(const QWidget* p) {
    return p->isVisible() && !p->size().isEmpty();
}

} // namespace

class TestMappaSapere : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    void init() { QFile::remove(pamiec::percorsoFile()); }

    void laMappaSegueIlDiario() {
        scriviDiario(
            {{u"Kość łokciowa"_s, 30, 20}, {u"Obojczyk"_s, 5, 0}, {u"Kręg szyjny"_s, 3, 2}});
        Sessione x;
        x.mostraHome();
        x.apri();
        MappaSapere& m = x.mappa();
        QVERIFY(!m.accesa());
        QVERIFY(m.stati().isEmpty());
        const int lokc = x.etichetta("LOKC"), oboj = x.etichetta("OBOJ"),
                  link = x.etichetta("LINK");
        QVERIFY(lokc > 0 && oboj > 0 && link > 0);
        QVERIFY(x.descrizione(lokc).isEmpty());

        QTest::keyClick(&x.viewer(), Qt::Key_M, Qt::ControlModifier);
        QVERIFY(m.accesa());
        QVERIFY(m.pulsante->isChecked());
        QVERIFY(m.legenda->isVisible());
        // One tint per structure: the ulna's two arms and its label are one label.
        QCOMPARE(m.stati().size(), 3);
        QCOMPARE(m.statoDi(lokc), Stato::Conosciuta);
        QCOMPARE(m.statoDi(oboj), Stato::DaRipassare);
        QCOMPARE(m.statoDi(link), Stato::Nuova);
        QCOMPARE(m.conteggio(), (atlante::Riepilogo{1, 0, 1, 1}));
        QCOMPARE(x.descrizione(lokc), u"Mapa wiedzy: znana"_s);
        QCOMPARE(x.descrizione(oboj), u"Mapa wiedzy: do powtórki"_s);
        QCOMPARE(m.legenda->accessibleName(),
                 u"Mapa wiedzy: nowe 1, w nauce 0, znane 1, do powtórki 1"_s);
        QCOMPARE(m.pulsante->accessibleDescription(), m.legenda->accessibleName());

        // The same structure on the spine's plate, under another code, is the same memory.
        x.clicHotspot(link);
        QTRY_COMPARE(x.viewer().tavola(), u"SKREG"_s);
        QCOMPARE(m.statoDi(x.etichetta("LOKC2")), Stato::Conosciuta);
        QCOMPARE(m.statoDi(x.etichetta("KREG")), Stato::InApprendimento);

        // A plate opened reads the diary again: the vertebra learnt meanwhile shows known.
        scriviDiario({{u"Kręg szyjny"_s, 40, 30}});
        QTest::keyClick(&x.viewer(), Qt::Key_Backspace);
        QTRY_COMPARE(x.viewer().tavola(), u"SCHEL1"_s);
        QCOMPARE(m.statoDi(x.etichetta("LOKC")), Stato::Nuova);
        x.clicHotspot(x.etichetta("LINK"));
        QTRY_COMPARE(x.viewer().tavola(), u"SKREG"_s);
        QCOMPARE(m.statoDi(x.etichetta("KREG")), Stato::Conosciuta);

        // Off: the plate as drawn, nothing more said.
        QTest::keyClick(&x.viewer(), Qt::Key_M, Qt::ControlModifier);
        QVERIFY(!m.accesa());
        QVERIFY(m.stati().isEmpty());
        QVERIFY(!m.legenda->isVisible());
        QVERIFY(x.descrizione(x.etichetta("KREG")).isEmpty());
    }

    void laTintaSulloSchermoHaIlColoreDelloStato() {
        scriviDiario({{u"Kość łokciowa"_s, 30, 20}, {u"Obojczyk"_s, 5, 0}, {u"Kręgosłup"_s, 3, 2}});
        Sessione x;
        x.mostraHome();
        x.apri();
        const QImage prima = x.viewer().DISASGEO.grab().toImage();
        x.mappa().imposta(true);
        const QImage dopo = x.viewer().DISASGEO.grab().toImage();
        const QColor grigio = prima.pixelColor(5, 5);
        for (const char* codice : {"LOKC", "OBOJ", "LINK"}) {
            const int n = x.etichetta(codice);
            const QRect r = x.viewer().hotspot()(n).rettangolo();
            QCOMPARE(prima.pixelColor(r.center()), grigio);
            QVERIFY2(dopo.pixelColor(r.center()) != grigio, codice);
            QCOMPARE(tintaVista(dopo, r, grigio), x.mappa().statoDi(n));
        }
        // Only the labels: the ulna's drawn arms keep the picture as it is.
        const QRect braccio = x.viewer().hotspot()(2).rettangolo();
        QCOMPARE(dopo.pixelColor(braccio.center()), grigio);
    }

    void leggendaDistintaAncheSenzaColori() {
        // Each state's sample reduced to what is drawn dark on the paper, colour thrown away:
        // any two must still differ in outline, pattern or marker.
        QList<QImage> forme;
        for (Stato s : mappa::Stati) {
            const QImage c = campione(s);
            QImage forma(c.size(), QImage::Format_Mono);
            forma.fill(0);
            for (int y = 0; y < c.height(); ++y)
                for (int x = 0; x < c.width(); ++x)
                    forma.setPixel(x, y, qGray(c.pixel(x, y)) < qGray(Carta.rgb()) - 60 ? 1 : 0);
            forme.append(forma);
        }
        for (int i = 0; i < forme.size(); ++i)
            for (int j = i + 1; j < forme.size(); ++j) {
                int diversi = 0;
                for (int y = 0; y < forme[i].height(); ++y)
                    for (int x = 0; x < forme[i].width(); ++x)
                        diversi += forme[i].pixelIndex(x, y) != forme[j].pixelIndex(x, y);
                QVERIFY2(diversi >= 20, qPrintable(u"%1 and %2 look alike without colour"_s.arg(
                                            mappa::aspettoDi(mappa::Stati[i]).nome,
                                            mappa::aspettoDi(mappa::Stati[j]).nome)));
            }
        // A label's dark letters stay readable on every pixel of its tint and pattern (the
        // guidelines' 4.5 : 1), the outline left aside.
        for (Stato s : mappa::Stati) {
            const QImage c = campione(s);
            double peggiore = 21;
            for (int y = 4 + 3; y < 4 + 16 - 3; ++y)
                for (int x = 16 + 3; x < 16 + 40 - 3; ++x)
                    peggiore =
                        std::min(peggiore, contrasto(QColor(0x44, 0x44, 0x44), c.pixelColor(x, y)));
            QVERIFY2(peggiore >= 4.5, qPrintable(mappa::aspettoDi(s).nome));
        }
        // Four different names and colours, and the names said to screen readers.
        QSet<QString> nomi, opisy;
        QSet<QRgb> colori;
        for (Stato s : mappa::Stati) {
            nomi.insert(mappa::aspettoDi(s).nome);
            opisy.insert(mappa::opisStanu(s));
            colori.insert(mappa::aspettoDi(s).colore.rgb());
        }
        QCOMPARE(nomi.size(), 4);
        QCOMPARE(opisy.size(), 4);
        QCOMPARE(colori.size(), 4);
    }

    void kartaPracyPrendeLeEtichette() {
        Sessione x;
        x.mostraHome();
        x.apri();
        const KartaPracy k = x.mappa().karta();
        QCOMPARE(k.obraz.size(), QSize(398, 480));
        QCOMPARE(k.tytul, u"Układ kostny"_s);
        // The labels from the top: the ulna's, the collarbone, the link to the spine.
        QStringList nomi;
        for (const KartaPracy::Voce& v : k.voci)
            nomi << v.nome;
        QCOMPARE(nomi, (QStringList{u"Kość łokciowa"_s, u"Obojczyk"_s, u"Kręgosłup"_s}));
        QCOMPARE(k.voci[0].area, QRectF(x.viewer().hotspot()(x.etichetta("LOKC")).rettangolo()));
        // A plate without a description is titled by its own name, not the last plate's.
        x.atlante.testi.remove(u"DSKREG.RTF"_s);
        x.atlante.scrivi();
        x.clicHotspot(x.etichetta("LINK"));
        QTRY_COMPARE(x.viewer().tavola(), u"SKREG"_s);
        QCOMPARE(x.mappa().karta().tytul, u"SKREG"_s);
    }

    // The counts are there when the screen first shows, not one frame later: a read still
    // going then is waited for.
    void iContiGiaAlPrimoFotogramma() {
        Sessione x;
        x.atlante.scrivi();
        x.home = std::make_unique<FMed>();
        RiepilogoCasa& r = RiepilogoCasa::aggancia(*x.home);
        x.home->Show();
        QVERIFY(r.pronto());
        QVERIFY(mostraConti(r.etichetta(0)));
        QCOMPARE(r.riepilogo(0), (atlante::Riepilogo{0, 0, 0, 3}));
    }

    void iContiSulleCarteDellaHome() {
        scriviDiario(
            {{u"Kość łokciowa"_s, 30, 20}, {u"Obojczyk"_s, 5, 0}, {u"Kręg szyjny"_s, 3, 2}});
        Sessione x;
        // One structure each for the systems after the muscles but the last, so the tightest
        // gaps between cards (senses over breathing, urinary over reproductive) carry counts.
        for (int i = 2; i < 10; ++i) {
            const QByteArray tavola = FMed::codiciSistemi()[i].toUpper().toLatin1();
            const QByteArray codice = "S" + QByteArray::number(i);
            x.atlante.righe.append(hotspot(tavola, codice, 10, 10, 60, 24));
            x.atlante.testi.insert(QString::fromLatin1(codice) + u".RTF"_s,
                                   didascaliaDiProva(u"Struktura %1"_s.arg(i), u"– opis."_s));
        }
        x.atlante.scrivi();
        FMed::registraVisore([] { return std::make_unique<FMed1>(); });
        x.home = std::make_unique<FMed>();
        RiepilogoCasa& r = RiepilogoCasa::aggancia(*x.home);
        // Read while the screen is built, before it shows: its first frame has the counts.
        x.home->Load();
        QVERIFY(!x.home->isVisible());
        QTRY_VERIFY(r.pronto());
        // Shown with the window rather than into it once it is on the screen, which costs a
        // round trip to the display for each.
        for (int i = 0; i < 11; ++i)
            QVERIFY(!r.etichetta(i)->isHidden());
        x.home->Show();
        // The skeleton: the ulna (on two plates, and a pair) once, the collarbone due, the
        // vertebra being learnt; the link is no structure of its own.
        QCOMPARE(r.riepilogo(0), (atlante::Riepilogo{1, 1, 1, 0}));
        QCOMPARE(r.riepilogo(1), (atlante::Riepilogo{0, 0, 0, 1}));
        QCOMPARE(x.home->lbl_HotSpot(0).accessibleDescription(),
                 u"znane 1, w nauce 2 (do powtórki 1), nowe 0"_s);
        for (int i : {0, 1}) {
            QWidget* p = r.etichetta(i);
            QVERIFY(p && mostraConti(p));
            QVERIFY(p->geometry().top() - x.home->lbl_HotSpot(i).geometry().bottom() < 10);
        }
        QCOMPARE(r.riepilogo(6), (atlante::Riepilogo{0, 0, 0, 1}));
        // Under each card, never over the picture of any, wherever the cards are tightest.
        for (int i = 0; i < 10; ++i) {
            QVERIFY(mostraConti(r.etichetta(i)));
            const QRect p = r.etichetta(i)->geometry();
            for (int j = 0; j < 11; ++j)
                QVERIFY2(!p.intersects(x.home->lbl_HotSpot(j).geometry()),
                         qPrintable(u"%1 over %2"_s.arg(i).arg(j)));
        }
        // A system without structures shows no counts; the ear has no card at all.
        QVERIFY(!mostraConti(r.etichetta(10)));
        QVERIFY(!r.etichetta(11));

        // Back from the viewer, the counts follow the diary as it is now.
        scriviDiario({{u"Mięsień dwugłowy"_s, 30, 20}});
        x.apri(1);
        QVERIFY(!x.home->isVisible());
        QSignalSpy aggiornato(&r, &RiepilogoCasa::aggiornato);
        QTest::keyClick(&x.viewer(), Qt::Key_Home, Qt::AltModifier);
        QTRY_VERIFY(x.home->isVisible());
        QVERIFY(!aggiornato.isEmpty());
        QCOMPARE(r.riepilogo(1), (atlante::Riepilogo{1, 0, 0, 0}));
        QCOMPARE(r.riepilogo(0), (atlante::Riepilogo{0, 0, 0, 3}));
    }
};

QTEST_MAIN(TestMappaSapere)
#include "test_mappa_sapere.moc"
