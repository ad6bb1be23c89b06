#include "Fifo.h"
#include "FinestraGuida.h"
#include "HostDiProva.h"
#include "PannelloGuida.h"
#include "PdfDiProva.h"
#include "Riga.h"
#include "Sorgente.h"

#include "Cp1250.h"
#include <QApplication>
#include <QTextBlock>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestGuida a;
    TestGuidaWinHelp b;
    return QTest::qExec(&a, argc, argv) | QTest::qExec(&b, argc, argv);
}
#include "test_guida.moc"
