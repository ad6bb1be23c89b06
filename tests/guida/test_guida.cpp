#include "Fifo.h"
#include "FinestraGuida.h"
#include "HostDiProva.h"
#include "PannelloGuida.h"
#include "PdfDiProva.h"
#include "Riga.h"
#include "Sorgente.h"

#include "Cp1250.h"
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QTextBlock>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace hn;
using namespace hn::prova;

namespace {
const QString Guida = QStringLiteral("C:\\VELTO\\HNEMAR\\halvo.hlp");
const QByteArray Png = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlE"
                                              "QVR4nGP4z8DwHwAFAAH/iZk9HQAAAABJRU5ErkJggg==");
} // namespace

// The help viewer shows what the help file's folder holds and nothing else, and never waits.
class TestGuida : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileDellaGuida_data() {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("attesa");
        riga("a page", "pagina", "Spis treści");
        riga("a broken WinHelp file", "rotto", "obcięty");
        riga("a FIFO", "fifo", "Nie znaleziono pliku pomocy");
        riga("too large", "grande", "zbyt duży");
        // Unreadable in its place: shown as missing, never read, never waited on.
        riga("a folder", "cartella", "Nie znaleziono pliku pomocy");
        riga("a link to an endless device", "zero", "Nie znaleziono pliku pomocy");
        riga("no read permission", "illeggibile", "Nie znaleziono pliku pomocy");
    }
    void fileDellaGuida() {
        QFETCH(QString, tipo);
        QFETCH(QString, attesa);
        HostDiProva h;
        const QString file = h.percorsoHost(Guida);
        if (tipo == "fifo")
            QVERIFY(creaFifo(file));
        else if (tipo == "cartella")
            QVERIFY(QDir().mkpath(file));
        else if (tipo == "zero")
            QVERIFY(QDir().mkpath(QFileInfo(file).path()) &&
                    QFile::link(QStringLiteral("/dev/zero"), file));
        else
            h.scriviFile(Guida, tipo == "grande" ? QByteArray(9 << 20, 'a')
                                : tipo == "rotto"
                                    ? QByteArray::fromHex("3f5f0300") + QByteArray(60, '\x01')
                                    : QByteArray("<h1>Spis treści</h1>"));
        if (tipo == "illeggibile") {
            QVERIFY(QFile::setPermissions(file, {}));
            QFile prova(file);
            if (prova.open(QIODevice::ReadOnly))
                QSKIP("permissions do not keep this user from reading (root)");
        }
        FinestraGuida guida;
        {
            EntroUnSecondo scadenza;
            guida.showContents(Guida);
        }
        QVERIFY(guida.finestra()->toPlainText().contains(attesa));
    }

    void risorse_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<bool>("caricata");
        riga("picture beside the help file", "obraz.png", true);
        riga("in a subfolder, by its file URL", "file:sub/obraz.png", true);
        riga("an endless device", "/dev/zero", false);
        riga("outside the folder", "../poza.png", false);
        riga("a link out of the folder", "lacze.png", false);
        riga("a FIFO beside it", "kolejka.png", false);
        riga("too large", "duzy.png", false);
        riga("another host", "http://example.com/obraz.png", false);
    }
    void risorse() {
        QFETCH(QString, nome);
        QFETCH(bool, caricata);
        HostDiProva h;
        h.scriviFile(Guida, "<p><img src=\"" + nome.toUtf8() + "\"></p>");
        h.scriviFile(QStringLiteral("C:\\VELTO\\HNEMAR\\obraz.png"), Png);
        h.scriviFile(QStringLiteral("C:\\VELTO\\HNEMAR\\sub\\obraz.png"), Png);
        h.scriviFile(QStringLiteral("C:\\VELTO\\poza.png"), Png);
        h.scriviFile(QStringLiteral("C:\\VELTO\\HNEMAR\\duzy.png"), QByteArray(9 << 20, 'p'));
        QVERIFY(QFile::link(h.percorsoHost(QStringLiteral("C:\\VELTO\\poza.png")),
                            h.percorsoHost(QStringLiteral("C:\\VELTO\\HNEMAR\\lacze.png"))));
        QVERIFY(creaFifo(h.percorsoHost(QStringLiteral("C:\\VELTO\\HNEMAR\\kolejka.png"))));
        FinestraGuida guida;
        {
            EntroUnSecondo scadenza;
            guida.showContents(Guida);
        }
        const QVariant r = guida.finestra()->loadResource(QTextDocument::ImageResource, QUrl(nome));
        QCOMPARE(r.toByteArray() == Png, caricata);
    }
};

// The demo's help as a real installation has it: compiled from its source, .cnt beside it.
class TestGuidaWinHelp : public QObject {
    Q_OBJECT
    HostDiProva h_;
    FinestraGuida guida_;
    PannelloGuida* p_ = nullptr;

    void scrivi(const hn::help::Progetto& progetto, QStringList* avvisi = nullptr) {
        h_.scriviFile(Guida, hn::winhelp::scriviGuida(progetto.guida, avvisi));
        h_.scriviFile(QStringLiteral("C:\\VELTO\\HNEMAR\\halvo.cnt"),
                      hn::encodeCp1250(progetto.contenuti));
    }

private Q_SLOTS:
    void initTestCase() {
        hn::help::Progetto progetto;
        QString problema;
        QVERIFY2(hn::help::leggiProgetto(QStringLiteral(HNEMAR_GUIDA_DEMO), progetto, problema),
                 qPrintable(problema));
        scrivi(progetto);
        guida_.showContents(Guida);
        p_ = guida_.pannello();
        QVERIFY(p_);
        p_->resize(1000, 800);
        QVERIFY(QTest::qWaitForWindowActive(p_));
    }

    void apreAiContenuti() {
        QCOMPARE(p_->windowTitle(), QStringLiteral("Atlas anatomii człowieka – pomoc"));
        QCOMPARE(p_->argomentoCorrente(), 0);
        QVERIFY(p_->intestazione()->toPlainText().contains("Atlas anatomii człowieka"));
        QVERIFY(p_->testo()->toPlainText().contains("Ekran główny"));
        QCOMPARE(p_->schede()->currentIndex(), 0);
        QVERIFY(p_->albero()->topLevelItemCount() >= 8);
        for (const char* b :
             {"Spis treści", "Indeks", "Szukaj", "Wstecz", "«", "»", "Drukuj", "Kopiuj"})
            QVERIFY2(p_->pulsante(QString::fromUtf8(b)), b);
        QVERIFY(!p_->pulsante("Wstecz")->isEnabled());
    }

    void collegamentoEIndietro() {
        p_->vaiA(0);
        // The contents topic's first link, as a click on it sends it.
        Q_EMIT p_->testo()->anchorClicked(QUrl("hlp:0"));
        QVERIFY(p_->intestazione()->toPlainText().contains("1. Ekran główny"));
        QVERIFY(p_->pulsante("Wstecz")->isEnabled());
        QTest::keyClick(p_->testo(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(p_->argomentoCorrente(), 0);
    }

    void zonaDiUnImmagine() {
        p_->eseguiMacro("JI(`',`uklady')");
        QVERIFY(p_->intestazione()->toPlainText().contains("Układy narządów"));
        // The skeleton's card on the picture, by a real click on the text where it is drawn.
        QTextBrowser* t = p_->testo();
        QTextCursor c = t->document()->find(QChar(QChar::ObjectReplacementCharacter));
        QVERIFY(!c.isNull());
        const QRect accanto =
            t->cursorRect(QTextCursor(t->document()->findBlock(c.selectionStart())));
        const QPoint clic(accanto.left() + 130, accanto.top() + 150);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, clic);
        QVERIFY2(p_->intestazione()->toPlainText().contains("Szkielet"),
                 qPrintable(p_->intestazione()->toPlainText()));
        p_->indietro();
        QVERIFY(p_->intestazione()->toPlainText().contains("Układy narządów"));
        // The same through the picture's own coordinates: Hormony's card.
        p_->cliccaImmagine(0, QPoint(340, 250));
        QVERIFY(p_->intestazione()->toPlainText().contains("Hormony"));
    }

    void indiceERicerca() {
        p_->pulsante("Indeks")->click();
        QCOMPARE(p_->schede()->currentIndex(), 1);
        QTest::keyClicks(p_->campoIndice(), "zolc");
        QCOMPARE(p_->listaIndice()->currentItem()->text(), QStringLiteral("żółć"));
        QTest::keyClick(p_->campoIndice(), Qt::Key_Return);
        QVERIFY(p_->intestazione()->toPlainText().contains("Trawienie"));

        QTRY_VERIFY(p_->ricercaPronta());
        p_->pulsante("Szukaj")->click();
        QTest::keyClicks(p_->campoRicerca(), "PLUCA");
        QTest::keyClick(p_->campoRicerca(), Qt::Key_Return);
        QVERIFY(p_->risultati()->count() >= 1);
        QCOMPARE(p_->risultati()->item(0)->text(), QStringLiteral("Oddychanie"));
    }

    void sequenzaStampaCopia() {
        p_->vaiA(2);
        p_->pulsante("»")->click();
        QCOMPARE(p_->argomentoCorrente(), 3);
        p_->pulsante("«")->click();
        QCOMPARE(p_->argomentoCorrente(), 2);
        p_->pulsante("Kopiuj")->click();
        QVERIFY(h_.appunti.corrente.text.contains("Plansza to ilustracja"));
        p_->pulsante("Drukuj")->click();
        QVERIFY(testoDelPdf(h_.filePdf).contains("Plansza to ilustracja"));
    }

    void macroCheNonEseguonoNulla() {
        p_->eseguiMacro(
            "ExecProgram(`rm -rf /', 0); CreateButton(`b', `&Mapa', `JI(`', `nerwy')')");
        QVERIFY(p_->avviso()->text().contains("nigdy niczego nie uruchamia"));
        QVERIFY(p_->pulsante("b"));
        p_->pulsante("b")->click();
        QVERIFY(p_->intestazione()->toPlainText().contains("Nerwy"));
    }

    void popupEApertaDiNuovo() {
        hn::help::Progetto progetto;
        QString problema;
        QVERIFY(hn::help::leggiProgettoDaTesti("[FILES]\na.htm\n",
                                               {{"a.htm", "<h1>S</h1><p><a href=\"#x\">x</a></p>"
                                                          "<h2 id=\"x\">Okienko</h2><p>Treść</p>"}},
                                               ".", progetto, problema));
        progetto.guida.argomenti[0].paragrafi[1].pezzi[0].popup = true;
        scrivi(progetto);
        guida_.showContents(Guida);
        QCOMPARE(guida_.pannello(), p_);
        QCOMPARE(p_->argomentoCorrente(), 0);
        Q_EMIT p_->testo()->anchorClicked(QUrl("hlp:0"));
        QVERIFY(p_->popup());
        QVERIFY(p_->popup()->isVisible());
        QCOMPARE(p_->argomentoCorrente(), 0);
        auto* finestrella = qobject_cast<QAbstractScrollArea*>(p_->popup());
        QVERIFY(finestrella);
        QTest::mouseClick(finestrella->viewport(), Qt::LeftButton);
        QTRY_VERIFY(!p_->popup());
    }

    // Tab walks the text's links and the picture's hotspots as they are read; Enter and a
    // screen reader's Press follow them; the ring shows where the keyboard is.
    // A topic with a link, a 120 × 60 grey picture whose left half leads to Beta and right half
    // to Gamma, and another link; the picture in the line or set left or right of its text.
    void scriviConImmagine(quint8 posizione) {
        hn::help::Progetto progetto;
        QString problema;
        QVERIFY(hn::help::leggiProgettoDaTesti(
            "[FILES]\na.htm\n",
            {{"a.htm", "<h1>S</h1><p>Przed <a href=\"#b\">do Bety</a>.</p><p>OBRAZ</p>"
                       "<p>Po <a href=\"#c\">do Gammy</a>.</p><h2 id=\"b\">Beta</h2><p>B</p>"
                       "<h2 id=\"c\">Gamma</h2><p>C</p>"}},
            ".", progetto, problema));
        hn::winhelp::ImmagineNuova obraz;
        obraz.immagine = QImage(120, 60, QImage::Format_RGB32);
        obraz.immagine.fill(Qt::gray);
        // Listed right to left: the ring follows the file's order of hotspots.
        for (const auto& [rettangolo, contesto] :
             {std::pair{QRect(60, 0, 60, 60), "c"}, std::pair{QRect(0, 0, 60, 60), "b"}}) {
            hn::winhelp::ZonaNuova z;
            z.rettangolo = rettangolo;
            z.contesto = QString::fromLatin1(contesto);
            obraz.zone.append(z);
        }
        progetto.guida.immagini.append(obraz);
        auto& paragrafi = progetto.guida.argomenti[0].paragrafi;
        bool messo = false;
        for (auto& par : paragrafi)
            if (!par.pezzi.isEmpty() && par.pezzi[0].testo.contains("OBRAZ")) {
                hn::winhelp::PezzoNuovo im;
                im.tipo = hn::winhelp::PezzoNuovo::Immagine;
                im.immagine = 0;
                im.posizione = posizione;
                if (posizione == 0) {
                    par.pezzi = {im};
                } else {
                    hn::winhelp::PezzoNuovo testo;
                    testo.testo = QStringLiteral("Tekst obok obrazka, ").repeated(12);
                    par.pezzi = {im, testo};
                }
                messo = true;
            }
        QVERIFY(messo);
        scrivi(progetto);
    }

    void tabraggiungeCollegamentiEZone() {
        scriviConImmagine(0);
        guida_.showContents(Guida);
        QCOMPARE(p_->argomentoCorrente(), 0);
        p_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p_));
        p_->testo()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(p_->testo()->hasFocus());

        QStringList visti;
        QList<QPointer<QWidget>> fermate;
        for (int i = 0; i < 4; ++i) {
            QVERIFY(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* w = QApplication::focusWidget();
            QVERIFY(w && p_->testo()->isAncestorOf(w));
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY(a);
            QCOMPARE(a->role(), QAccessible::Link);
            visti << a->text(QAccessible::Name);
            fermate << w;
        }
        QCOMPARE(visti, QStringList({"do Bety", "Gamma", "Beta", "do Gammy"}));
        // Past the last stop the keyboard leaves the text; Shift+Tab comes back to it.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget());
        QVERIFY(!p_->testo()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), fermate[3]);

        // The ring on the hotspot that leads to Gamma: black outside, white inside, over the
        // picture's right half.
        QVERIFY(fermate[1]);
        fermate[1]->setFocus(Qt::TabFocusReason);
        QVERIFY(fermate[1]);
        const QImage schermo = p_->grab().toImage();
        QVERIFY(fermate[1] && p_->isAncestorOf(fermate[1]));
        const QPoint angolo = fermate[1]->mapTo(p_, QPoint(0, 0));
        const qreal dpr = schermo.devicePixelRatio();
        auto pixel = [&](QPoint q) { return QColor(schermo.pixel((angolo + q) * dpr)); };
        QCOMPARE(pixel(QPoint(1, 1)), QColor(Qt::black));
        QCOMPARE(pixel(QPoint(3, 3)), QColor(Qt::white));
        QCOMPARE(pixel(QPoint(20, 20)), QColor(Qt::gray));
        QCOMPARE(fermate[1]->width(), 60 + 8);
        QVERIFY(p_->testo()->viewport()->geometry().contains(fermate[1]->geometry()));

        QTest::keyClick(fermate[1], Qt::Key_Return);
        QVERIFY(p_->testo()->toPlainText().contains("C"));
        QCOMPARE(p_->titoloCorrente(), QStringLiteral("Gamma"));
        p_->indietro();
        // The new text has its own stops; a Press through the screen reader's interface.
        QWidget* beta = nullptr;
        for (auto* w : p_->testo()->findChildren<QAbstractButton*>())
            if (w->isVisible() && w->accessibleName() == "Beta")
                beta = w;
        QVERIFY(beta);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(beta);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(p_->titoloCorrente(), QStringLiteral("Beta"));
    }

    // A picture set right of its text is drawn where the text leaves it room: the mouse and the
    // keyboard find its hotspots there.
    void zoneDiUnImmagineADestra() {
        scriviConImmagine(2);
        guida_.showContents(Guida);
        p_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p_));
        QWidget* vista = p_->testo()->viewport();
        const QImage schermo = vista->grab().toImage();
        const qreal dpr = schermo.devicePixelRatio();
        QRect grigio;
        for (int y = 0; y < schermo.height(); ++y)
            for (int x = 0; x < schermo.width(); ++x)
                if (QColor(schermo.pixel(x, y)) == QColor(Qt::gray))
                    grigio |= QRect(x, y, 1, 1);
        grigio = QRect(grigio.topLeft() / dpr, grigio.size() / dpr);
        QVERIFY2(grigio.width() >= 118 && grigio.height() >= 58,
                 qPrintable(QStringLiteral("%1 × %2").arg(grigio.width()).arg(grigio.height())));
        // Set right: its right edge near the text's, well away from the line's start.
        QVERIFY2(grigio.left() > vista->width() / 3, qPrintable(QString::number(grigio.left())));
        // The keyboard's stop for Gamma covers the picture's right half.
        QWidget* gamma = nullptr;
        for (auto* w : p_->testo()->findChildren<QAbstractButton*>())
            if (w->isVisible() && w->accessibleName() == "Gamma")
                gamma = w;
        QVERIFY(gamma);
        const QRect stop(vista->mapFromGlobal(gamma->mapToGlobal(QPoint(0, 0))), gamma->size());
        QVERIFY2(stop.contains(QPoint(grigio.left() + 90, grigio.center().y())),
                 qPrintable(QStringLiteral("stop %1,%2 picture %3,%4")
                                .arg(stop.x())
                                .arg(stop.y())
                                .arg(grigio.x())
                                .arg(grigio.y())));
        // A click on that half follows its jump.
        QTest::mouseClick(vista, Qt::LeftButton, {},
                          QPoint(grigio.left() + 90, grigio.center().y()));
        QTRY_COMPARE(p_->titoloCorrente(), QStringLiteral("Gamma"));
    }

    // The file's own windows: the main one's caption and colours, a secondary one's colours
    // for the topics a jump into it shows.
    void finestreDelFile() {
        hn::help::Progetto progetto;
        QString problema;
        QVERIFY(hn::help::leggiProgettoDaTesti(
            "[FILES]\na.htm\n",
            {{"a.htm", "<h1>S</h1><p><a href=\"#b\">b</a></p><h2 id=\"b\">Beta</h2><p>B</p>"}}, ".",
            progetto, problema));
        hn::winhelp::FinestraNuova glowna;
        glowna.titolo = QStringLiteral("Okno główne pomocy");
        glowna.colore = QColor(255, 255, 224);
        glowna.coloreFisso = QColor(192, 192, 255);
        glowna.posizione = QRect(0, 0, 512, 512);
        hn::winhelp::FinestraNuova boczna;
        boczna.tipo = boczna.nome = QStringLiteral("boczne");
        boczna.colore = QColor(224, 255, 224);
        progetto.guida.finestre = {glowna, boczna};
        scrivi(progetto);
        guida_.showContents(Guida);
        QCOMPARE(p_->windowTitle(), QStringLiteral("Okno główne pomocy"));
        QCOMPARE(p_->testo()->palette().color(QPalette::Base), QColor(255, 255, 224));
        QCOMPARE(p_->intestazione()->palette().color(QPalette::Base), QColor(192, 192, 255));
        p_->eseguiMacro(QStringLiteral("JumpId(`>boczne', `b')"));
        QCOMPARE(p_->titoloCorrente(), QStringLiteral("Beta"));
        QCOMPARE(p_->testo()->palette().color(QPalette::Base), QColor(224, 255, 224));
        p_->indietro();
        QCOMPARE(p_->testo()->palette().color(QPalette::Base), QColor(255, 255, 224));
    }

    void geometria_data() {
        QTest::addColumn<QRect>("posizione");
        QTest::addColumn<bool>("massimizzata");
        QTest::addColumn<QRect>("attesa");
        const QRect nessuna;
        // The stage at (100, 50), 1024 × 768.
        riga("none given: the default, centred", nessuna, false, QRect(212, 154, 800, 560));
        riga("maximised: the whole stage", nessuna, true, QRect(100, 50, 1024, 768));
        riga("a quarter at the right", QRect(768, 0, 256, 1024), false,
             QRect(100 + 1024 - 420, 50, 420, 768));
        riga("half, in the middle", QRect(256, 256, 512, 512), false,
             QRect(100 + 256, 50 + 192, 512, 384));
        riga("off the screen: pulled back in", QRect(1000, 1000, 600, 600), false,
             QRect(100 + 1024 - 600, 50 + 768 - 450, 600, 450));
        riga("huge and negative: the stage", QRect(-32768, -5, 32767, 32767), false,
             QRect(100, 50, 1024, 768));
    }
    void geometria() {
        QFETCH(QRect, posizione);
        QFETCH(bool, massimizzata);
        QFETCH(QRect, attesa);
        const QRect palco(100, 50, 1024, 768);
        hn::winhelp::FinestraDefinita f;
        f.posizione = posizione;
        f.posizioneData = posizione.isValid() || posizione.width() > 0;
        f.massimizzata = massimizzata;
        QCOMPARE(geometriaGuida(posizione.isNull() && !massimizzata ? nullptr : &f, palco,
                                QSize(800, 560)),
                 attesa);
        // Never outside the stage, whatever the file says.
        QVERIFY(palco.contains(geometriaGuida(&f, palco, QSize(4000, 4000))));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestGuida a;
    TestGuidaWinHelp b;
    return QTest::qExec(&a, argc, argv) | QTest::qExec(&b, argc, argv);
}
#include "test_guida.moc"
