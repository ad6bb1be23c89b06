// The print dialog driven as the user drives it: what it opens with, what each click changes,
// the keys, activation, and the caller disabled while it is open and enabled after.

#include "Accessibilita.h"
#include "BancoDiStampa.h"
#include "ErroreVB.h"
#include "FXImage.h"
#include "KorAtx.h"
#include "Navigazione.h"
#include "PdfDiProva.h"
#include "Riga.h"
#include "fstampa.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTest>

using namespace hn;
using hn::prova::riga;

namespace {

class Chiamante : public Forma {
public:
    Chiamante()
        : Forma(QStringLiteral("FMed1")) {}
};

// Everything the dialog is opened over: a caller with a text and a picture, and a printer that
// writes numbered PDFs into a folder of the test.
struct Banco : prova::BancoDiStampa {
    Chiamante chiamante;
    KorAtx* testo = new KorAtx(&chiamante);
    FXImage* figura = new FXImage(&chiamante);

    Banco() {
        inst.scrivi();
        chiamante.setGeometry(0, 0, 1024, 768);
        chiamante.Show();
        testo->setFText(QStringLiteral("{\\rtf1\\ansi Pierwszy akapit.\\par Drugi akapit.\\par}"));
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        figura->ImpostaPicture(img);
    }
    ~Banco() {
        if (fstampa::istanza().Caricata())
            fstampa::istanza().Unload();
    }
    void seleziona() {
        testo->setSelStart(0);
        testo->setSelLength(9);
    }
    fstampa& apri(bool conTesto = true, bool conFigura = true) {
        ApriStampa(&chiamante, conTesto ? testo : nullptr, nullptr, conFigura ? figura : nullptr);
        return fstampa::istanza();
    }
    int documenti() const { return static_cast<int>(pdf().size()); }
};

// The four marks as "1010", then the text options and OK: v visible, e enabled, - neither.
QString marchi(fstampa& f) {
    QString s;
    for (int i = 0; i < 4; ++i)
        s += f.EVID(i).Visible() ? u'1' : u'0';
    auto stato = [](const ControlloForma& c) {
        return QString(c.Visible() ? QStringLiteral("v") : QString()) +
               (c.Enabled() ? QStringLiteral("e") : QString());
    };
    return s + QStringLiteral(" %1/%2 OK:%3")
                   .arg(stato(f.OPZT(0)), stato(f.OPZT(1)), f.OK->Enabled() ? "e" : "-");
}

void premi(ControlloForma& c) {
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(3, 3));
}

void tasto(QWidget& w, Qt::Key k) {
    QTest::keyClick(&w, k);
}

} // namespace

class TestFstampa : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    void apertura_data();
    void apertura();
    void clic_data();
    void clic();
    void attivazioneRipristina();
    void tasti_data();
    void tasti();
    void tastieraEOpzioni();
    void invioDuranteLaStampa();
    void stampanteAnnullata();
    void aspettoPremuto();
    void centrato();
    void ogniAperturaComeDisegnata_data();
    void ogniAperturaComeDisegnata();
    void dueStampeUguali();
    void avvisoDopoIlLavoro();
};

void TestFstampa::apertura_data() {
    QTest::addColumn<bool>("selezione");
    QTest::addColumn<bool>("conTesto");
    QTest::addColumn<int>("figura"); // 0 none, 1 visible, 2 hidden
    QTest::addColumn<QString>("atteso");
    QTest::addColumn<QString>("opz");
    riga("selection and picture", true, true, 1, QStringLiteral("1110"), QStringLiteral("11"));
    riga("no selection", false, true, 1, QStringLiteral("1101"), QStringLiteral("11"));
    riga("no picture source", true, true, 0, QStringLiteral("1010"), QStringLiteral("10"));
    riga("hidden picture source", false, true, 2, QStringLiteral("1001"), QStringLiteral("10"));
    riga("no text source", false, false, 1, QStringLiteral("0100"), QStringLiteral("01"));
}

void TestFstampa::apertura() {
    QFETCH(bool, selezione);
    QFETCH(bool, conTesto);
    QFETCH(int, figura);
    QFETCH(QString, atteso);
    QFETCH(QString, opz);
    Banco b;
    if (selezione)
        b.seleziona();
    if (figura == 2)
        b.figura->hide();
    fstampa& f = b.apri(conTesto, figura != 0);
    QVERIFY(f.isVisible());
    QCOMPARE(marchi(f).left(4), atteso);
    QCOMPARE(QString(f.OPZ(0).Visible() ? '1' : '0') + (f.OPZ(1).Visible() ? '1' : '0'), opz);
    QCOMPARE(marchi(f).mid(5), QStringLiteral("ve/ve OK:e"));
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(f.EVID(i).BorderColor(), QColor(255, 255, 0));
        QCOMPARE(f.EVID(i).BorderWidth(), 2);
    }
    QVERIFY(!f.EVID(4).Visible() && !f.EVID(5).Visible());
    // Modal in effect: the caller is disabled and owns the dialog.
    QVERIFY(!b.chiamante.Enabled());
    QCOMPARE(f.Proprietario(), &b.chiamante);
    QCOMPARE(f.Caption(), QString());
    QCOMPARE(f.size(), QSize(229, 199));
}

void TestFstampa::clic_data() {
    QTest::addColumn<bool>("selezione");
    QTest::addColumn<bool>("conTesto");
    QTest::addColumn<bool>("conFigura");
    QTest::addColumn<QString>("azioni");
    QTest::addColumn<QString>("atteso");
    // ILUSTRACJĘ chosen again hides the text options but keeps TEKST; once more brings them back.
    riga("illustration off", true, true, true, "opz1", "1010 ve/ve OK:e");
    riga("illustration on again", true, true, true, "opz1 opz1", "1100 e/e OK:e");
    riga("and off once more", true, true, true, "opz1 opz1 opz1", "1010 ve/ve OK:e");
    riga("illustration off, no selection", false, true, true, "opz1 opz1 opz1", "1001 /e OK:e");
    riga("no picture: illustration changes nothing", true, true, false, "opz1", "1010 ve/ve OK:e");
    riga("selected part without a selection", false, true, true, "opzt0", "1101 ve/ve OK:e");
    riga("whole text", true, true, true, "opzt1", "1101 ve/ve OK:e");
    riga("whole text, then selected part", true, true, true, "opzt1 opzt0", "1110 ve/ve OK:e");
    riga("text off", true, true, true, "opz0", "0100 / OK:e");
    // The illustration mark is left alone; the options come back enabled but stay hidden.
    riga("text off and on, no selection", false, true, true, "opz0 opz0", "1101 /e OK:e");
    riga("text off and on, selection", true, true, true, "opz0 opz0", "1110 ve/ve OK:e");
    riga("no text: text choice changes nothing", false, false, true, "opz0", "0100 ve/ve OK:e");
    riga("both off, mouse over OK", true, true, true, "opz1 opz0 move", "0000 / OK:-");
    riga("picture only, off, mouse over OK", false, false, true, "opz1 move", "0000 ve/ve OK:-");
    riga("a choice left, mouse over OK", true, true, true, "opz0 move", "0100 / OK:e");
    riga("both off, then a text option", true, true, true, "opz1 opz0 opzt1", "0000 / OK:-");
    riga("disabled OK comes back with a choice", true, true, true, "opz1 opz0 move opz0",
         "1010 ve/ve OK:e");
}

void TestFstampa::clic() {
    QFETCH(bool, selezione);
    QFETCH(bool, conTesto);
    QFETCH(bool, conFigura);
    QFETCH(QString, azioni);
    QFETCH(QString, atteso);
    Banco b;
    if (selezione)
        b.seleziona();
    fstampa& f = b.apri(conTesto, conFigura);
    for (const QString& a : azioni.split(u' ')) {
        if (a == QStringLiteral("move")) {
            QMouseEvent mossa(QEvent::MouseMove, QPointF(5, 5), f.OK->mapToGlobal(QPointF(5, 5)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(f.OK, &mossa);
        } else if (a.startsWith(QStringLiteral("opzt"))) {
            f.OPZT_Click(a.back().digitValue());
        } else {
            f.OPZ_Click(a.back().digitValue());
        }
    }
    QCOMPARE(marchi(f), atteso);
    QCOMPARE(b.documenti(), 0);
}

void TestFstampa::attivazioneRipristina() {
    Banco b;
    b.seleziona();
    fstampa& f = b.apri();
    f.OPZ_Click(1);
    f.OPZ_Click(0);
    QCOMPARE(marchi(f).left(4), QStringLiteral("0000"));
    // Another window of the program becomes active, then the dialog again.
    Chiamante altra;
    altra.Show();
    QEvent attiva(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&f, &attiva);
    QCOMPARE(marchi(f).left(4), QStringLiteral("1110"));
}

void TestFstampa::tasti_data() {
    QTest::addColumn<int>("tasto");
    QTest::addColumn<int>("documenti");
    riga("Enter prints text and illustration", int(Qt::Key_Return), 2);
    riga("keypad Enter", int(Qt::Key_Enter), 2);
    riga("Esc closes", int(Qt::Key_Escape), 0);
}

void TestFstampa::tasti() {
    QFETCH(int, tasto);
    QFETCH(int, documenti);
    Banco b;
    fstampa& f = b.apri();
    ::tasto(f, Qt::Key(tasto));
    QCOMPARE(b.documenti(), documenti);
    QVERIFY(!f.Caricata());
    QVERIFY(!f.isVisible());
    // The viewer is usable again.
    QVERIFY(b.chiamante.Enabled());
    QCOMPARE(f.Proprietario(), nullptr);
    QCOMPARE(b.h.schermo.puntatore, Puntatore::Predefinito);
}

// The keyboard alone: Tab reaches an option, Space clicks it (its mark follows the click
// rules), Enter still prints what is chosen; assistive tools read the mark as the checked state.
void TestFstampa::tastieraEOpzioni() {
    Banco b;
    fstampa& f = b.apri();
    QCOMPARE(QAccessible::queryAccessibleInterface(&f)->text(QAccessible::Name),
             QStringLiteral("Drukuj"));
    QAccessibleInterface* ilustracja = QAccessible::queryAccessibleInterface(&f.OPZ(1));
    QCOMPARE(ilustracja->text(QAccessible::Name), QStringLiteral("Ilustracja"));
    QCOMPARE(ilustracja->role(), QAccessible::CheckBox);
    QVERIFY(ilustracja->state().checked);
    for (int i = 0; i < 10 && Navigazione::di(f).corrente() != &f.OPZ(1); ++i)
        ::tasto(f, Qt::Key_Tab);
    QCOMPARE(Navigazione::di(f).corrente(), &f.OPZ(1));
    ::tasto(f, Qt::Key_Space);
    QVERIFY(!ilustracja->state().checked && !f.EVID(1).Visible() && f.EVID(0).Visible());
    ::tasto(f, Qt::Key_Return);
    QCOMPARE(b.documenti(), 1); // the text alone
}

void TestFstampa::invioDuranteLaStampa() {
    Banco b;
    // Real event processing, so a key pressed while the job starts arrives inside it.
    QtScreen schermo;
    host().screen = &schermo;
    fstampa& f = b.apri(true, false);
    QCoreApplication::postEvent(
        &f, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")));
    tasto(f, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(b.documenti(), 1);
    // Only the notice of where the file went: the second Enter started nothing that failed.
    QCOMPARE(b.h.box.mostrati.size(), 1);
    QVERIFY(!f.Caricata());
    QVERIFY(b.chiamante.Enabled());
    host().screen = &b.h.schermo;
}

namespace {

class StampanteSpenta : public PrinterService {
public:
    void startDocument(const QString&) override { throw ErroreVB(Errore::Stampante); }
    void newPage() override {}
    void endDocument() override {}
    QPainter* painter() override { return nullptr; }
    double unitsPerTwip() const override { return 1; }
    QSizeF pageSizeTwips() const override { return {11906, 16838}; }
    QRectF printableRectTwips() const override { return {0, 0, 11906, 16838}; }
};

} // namespace

// A printer that will not start and no printer at all end the same way.
void TestFstampa::stampanteAnnullata() {
    StampanteSpenta spenta;
    for (PrinterService* guasta : std::initializer_list<PrinterService*>{&spenta, nullptr}) {
        Banco b;
        host().printer = guasta;
        b.h.box.risposte = {Risposta::Riprova, Risposta::Annulla};
        fstampa& f = b.apri();
        f.OK_Click();
        QCOMPARE(b.h.box.mostrati.size(), 2);
        QCOMPARE(b.h.box.mostrati[1].stile, Stile::RiprovaAnnulla | Stile::Critico);
        QVERIFY(!f.Caricata());
        QVERIFY(b.chiamante.Enabled());
        QCOMPARE(b.h.schermo.puntatore, Puntatore::Predefinito);
        // Opened again, it prints: nothing of the failed job is in the way.
        host().printer = &b.stampante;
        b.apri().OK_Click();
        QCOMPARE(b.documenti(), 2);
    }
}

void TestFstampa::aspettoPremuto() {
    Banco b;
    fstampa& f = b.apri();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    // Any button shows the press, as in the copy dialog; only the left one's release is a click,
    // so the ones that hide others come last.
    for (Immagine* c : {&f.OPZT(1), &f.OPZ(0), f.OK, f.ANNULLA}) {
        for (Qt::MouseButton tasto : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(c, tasto, {}, QPoint(2, 2));
            QCOMPARE(c->BorderStyle(), 1);
            QTest::mouseRelease(c, tasto, {}, QPoint(2, 2));
            QCOMPARE(c->BorderStyle(), 0);
            QVERIFY(f.Caricata());
        }
        if (c == f.OK)
            continue;
        QTest::mousePress(c, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(c->BorderStyle(), 1);
        QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(c->BorderStyle(), 0);
    }
    QCOMPARE(b.documenti(), 0);
    // The release on ANNULLA was its click.
    QVERIFY(!f.Caricata());
}

void TestFstampa::centrato() {
    Banco b;
    fstampa& f = b.apri();
    auto scarto = [&] {
        return (f.geometry().center() - b.chiamante.geometry().center()).manhattanLength();
    };
    QVERIFY(scarto() <= 2);
    f.Unload();
    // Over a caller that does not fill the screen, over the caller.
    b.chiamante.setGeometry(100, 50, 600, 400);
    b.apri();
    QVERIFY(scarto() <= 2);
    f.Unload();
    // With no caller on screen, on the screen.
    b.chiamante.hide();
    b.apri();
    QVERIFY((f.geometry().topLeft() - QPoint(397, 284)).manhattanLength() <= 2);
    premi(*f.ANNULLA);
    QVERIFY(!f.Caricata());
}

namespace {

class SchermoA : public prova::FixedScreen {
public:
    explicit SchermoA(double twips)
        : twips_(twips) {}
    double twipsPerPixelX() const override { return twips_; }
    double twipsPerPixelY() const override { return twips_; }

private:
    double twips_;
};

} // namespace

void TestFstampa::ogniAperturaComeDisegnata_data() {
    QTest::addColumn<double>("twips");
    riga("96 dots per inch", 15.0);
    riga("120 dots per inch", 12.0);
}

void TestFstampa::ogniAperturaComeDisegnata() {
    QFETCH(double, twips);
    Banco b;
    SchermoA schermo(twips);
    host().screen = &schermo;
    // The middle opening has no picture; each leaves the text options hidden and disabled.
    for (const bool conFigura : {true, false, true}) {
        fstampa& f = b.apri(true, conFigura);
        QCOMPARE(f.size(), QSize(229, 199));
        QCOMPARE(f.FONDO->size(), QSize(229, 199));
        QCOMPARE(f.OK->geometry(), QRect(47, 171, 50, 29));
        QCOMPARE(f.EVID(0).geometry(), QRect(43, 32, 48, 48));
        QCOMPARE(marchi(f),
                 conFigura ? QStringLiteral("1101 ve/ve OK:e") : QStringLiteral("1001 ve/ve OK:e"));
        f.OPZ_Click(0);
        f.Unload();
    }
    host().screen = &b.h.schermo;
}

void TestFstampa::dueStampeUguali() {
    Banco b;
    // Text and illustration, then the text alone: the illustration's caption settings must not
    // reach the second print of the text.
    b.apri().OK_Click();
    b.apri(true, false).OK_Click();
    const QStringList pdf = b.pdf();
    QCOMPARE(pdf.size(), 3);
    const QList<prova::Parola> prima = prova::paroleNelPdf(pdf[0]);
    const QList<prova::Parola> dopo = prova::paroleNelPdf(pdf[2]);
    // Both as the description is written: its paragraphs start at the left edge.
    for (const auto& parole : {prima, dopo}) {
        const prova::Parola* primo = prova::trovaParola(parole, QStringLiteral("Pierwszy"));
        const prova::Parola* secondo = prova::trovaParola(parole, QStringLiteral("Drugi"));
        QVERIFY(primo && secondo);
        QCOMPARE(qRound(primo->box.left()), qRound(secondo->box.left()));
    }
    QCOMPARE(dopo.size(), prima.size());
    for (qsizetype i = 0; i < prima.size(); ++i)
        QVERIFY2((dopo[i].box.topLeft() - prima[i].box.topLeft()).manhattanLength() < 0.5,
                 qPrintable(prima[i].testo));
}

void TestFstampa::avvisoDopoIlLavoro() {
    Banco b;
    fstampa& f = b.apri();
    // What the user sees when the notice comes: the dialog gone, and every file whole.
    QStringList completi;
    bool dialogoChiuso = false;
    b.h.box.primaDiRispondere = [&](const prova::BoxMostrato&) {
        dialogoChiuso = !f.isVisible() && b.chiamante.Enabled();
        for (const QString& pdf : b.pdf()) {
            QFile file(pdf);
            if (file.open(QIODevice::ReadOnly) && file.readAll().trimmed().endsWith("%%EOF"))
                completi.append(pdf);
        }
    };
    f.OK_Click();
    QCOMPARE(b.h.box.mostrati.size(), 1);
    QVERIFY(dialogoChiuso);
    QCOMPARE(completi, b.pdf());
    QCOMPARE(completi.size(), 2);
    for (const QString& pdf : completi)
        QVERIFY(b.h.box.mostrati[0].testo.contains(QDir::toNativeSeparators(pdf)));
}

QTEST_MAIN(TestFstampa)
#include "test_fstampa.moc"
