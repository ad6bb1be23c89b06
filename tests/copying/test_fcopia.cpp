#include "Accessibilita.h"
#include "Fileini.h"
#include "HostDiProva.h"
#include "Installazione.h"
#include "KorAtx.h"
#include "LavoroDiCopia.h"
#include "Mod_CopiaeStampa.h"
#include "Montaggio.h"
#include "Navigazione.h"
#include "PictureBox.h"
#include "Rendizioni.h"
#include "RichTextBox.h"
#include "Riga.h"
#include "StatoPulito.h"
#include "fcopia.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <memory>
#include <unistd.h>

using namespace hn;
using namespace hn::prova;
using namespace Qt::StringLiterals;

namespace {

// Bold and Polish letters, so a lost format or a wrong code page shows.
const QString kTesto = uR"({\rtf1\ansi\ansicpg1250\deff0{\fonttbl{\f0\fcharset238 Arial;}})"
                       uR"(\f0 Ko\'9c\'e6 \b udowa\b0  cz\'b3owieka\par Drugi akapit\par})"_s;
const QString kDidascalia = uR"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0\i Czaszka\i0\par})"_s;
const QString kCartella = u"C:\\KOPIE\\"_s;
const QString kNome = u"C:\\KOPIE\\notatki"_s;

QString credito() {
    return Mod_CopiaeStampa::RigaDiCredito();
}

// The viewer as the dialog sees it: a form with the description and the picture.
struct Banco {
    Banco() {
        inst.messaggi[450] = {u"Zapis"_s, u"Brak dostępu do &"_s};
        inst.messaggi[451] = {u"Zapis"_s, u"Dysk pełny: &"_s};
        inst.messaggi[483] = {u"Zapis"_s, u"Nie można zapisać pliku "_s};
        inst.messaggi[146] = {u"Błąd"_s, u"Nieoczekiwany błąd"_s};
        inst.scrivi();
        Fileini::cfg.FilePerCopia = kNome;
        QDir().mkpath(h.percorsoHost(kCartella + u"x"_s).chopped(2));
        testo = new KorAtx(&viewer);
        testo->setFText(kTesto);
        immagine.ImpostaPicture(immagineDiProva());
    }
    static QImage immagineDiProva() {
        QImage i(8, 5, QImage::Format_RGB32);
        i.fill(QColor(200, 30, 60));
        i.setPixelColor(1, 1, Qt::blue);
        return i;
    }
    // Opens the dialog the way the viewer does, with the sources asked for.
    void apri(bool testoVisibile = true, bool selezione = false, bool conDidascalia = false,
              bool immagineVisibile = true) {
        testo->setVisible(testoVisibile);
        if (!testoVisibile)
            testo->hide();
        if (selezione) {
            testo->setSelStart(2);
            testo->setSelLength(6);
        }
        if (conDidascalia) {
            didascalia = std::make_unique<KorAtx>();
            didascalia->setFText(kDidascalia);
        }
        immagine.ImpostaVisible(immagineVisibile);
        f.setControlloDidascalia(didascalia.get());
        f.setControlloTesto(testo);
        f.setControlloImmagine(&immagine);
        f.InitCopia(&viewer);
        f.Show();
    }
    QList<int> marche() const {
        QList<int> v;
        for (int i : f.EVID.indici())
            if (f.EVID(i).Visible())
                v.append(i);
        return v;
    }
    void impostaMarche(const QList<int>& visibili) {
        for (int i : f.EVID.indici())
            f.EVID(i).ImpostaVisible(visibili.contains(i));
    }
    QString percorso(const QString& estensione) const { return h.percorsoHost(kNome + estensione); }
    // The copy file as a reader sees it: its plain text with CR LF between paragraphs.
    QString testoDelFile() const {
        RichTextBox r;
        r.LoadFile(kNome + u".rtf"_s);
        return r.Text();
    }

    StatoPulito stato;
    HostDiProva h;
    Installazione inst{h};
    Forma viewer{u"FMed1"_s};
    KorAtx* testo;
    std::unique_ptr<KorAtx> didascalia;
    PictureBox immagine;
    fcopia f;
};

} // namespace

class TestFcopia : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The forms get their keyboard ring and screen-reader view as in the program.
    void initTestCase() {
        Navigazione::installa();
        accessibile::installa();
    }

    void marcheIniziali_data();
    void marcheIniziali();
    void initCopiaDisabilitaIlChiamanteEPrendeITesti();
    void nomeDelFileSenzaEstensione_data();
    void nomeDelFileSenzaEstensione();
    void opztClick_data();
    void opztClick();
    void opzClick_data();
    void opzClick();
    void sceltaDelFile_data();
    void sceltaDelFile();
    void tastiEAspettoPremuto();
    void tastieraSenzaScatoleNascoste();
    void appunti_data();
    void appunti();
    void immagineConRendizioni_data();
    void immagineConRendizioni();
    void fileNuovoEAggiunte();
    void fileNonRtfRicominciaTenendoIlVecchio();
    void didascaliaNelFile();
    void immagineNelFile();
    void testoEDidascaliaNelFile();
    void immagineNonSalvabile();
    void fileIlleggibileNonVieneSovrascritto();
    void cartellaSolaLettura();
    void discoPieno();
    void apriCopiaCentrataSopraIlChiamante();
    void ogniAperturaComeDisegnata();
};

void TestFcopia::marcheIniziali_data() {
    QTest::addColumn<bool>("testo");
    QTest::addColumn<bool>("selezione");
    QTest::addColumn<bool>("didascalia");
    QTest::addColumn<bool>("immagine");
    QTest::addColumn<QList<int>>("marche");
    QTest::addColumn<QList<int>>("opz");  // visible main choices
    QTest::addColumn<QList<int>>("opzt"); // visible option boxes
    using L = QList<int>;
    riga("text with selection and picture", true, true, false, true, L{0, 4, 8}, L{0, 1},
         L{0, 1, 3, 4, 5});
    riga("text, picture and caption: no caption offered", true, false, true, true, L{0, 4, 8},
         L{0, 1}, L{1, 3, 4, 5});
    riga("text and caption, no picture", true, false, true, false, L{0, 4, 8}, L{0}, L{1, 2, 4, 5});
    riga("caption alone is chosen at once", false, false, true, false, L{1, 4, 6, 8}, L{},
         L{1, 2, 4, 5});
    riga("picture alone", false, false, false, true, L{1, 4, 8}, L{1}, L{1, 3, 4, 5});
    riga("picture and caption without text", false, false, true, true, L{1, 4, 8}, L{1},
         L{1, 2, 3, 4, 5});
    riga("selection, caption, no picture", true, true, true, false, L{0, 4, 8}, L{0},
         L{0, 1, 2, 4, 5});
    riga("nothing to copy", false, false, false, false, L{1, 4, 8}, L{}, L{1, 4, 5});
}

void TestFcopia::marcheIniziali() {
    QFETCH(bool, testo);
    QFETCH(bool, selezione);
    QFETCH(bool, didascalia);
    QFETCH(bool, immagine);
    QFETCH(QList<int>, marche);
    QFETCH(QList<int>, opz);
    QFETCH(QList<int>, opzt);
    Banco b;
    b.apri(testo, selezione, didascalia, immagine);
    QCOMPARE(b.marche(), marche);
    QList<int> vOpz, vOpzt;
    for (int i : {0, 1})
        if (b.f.OPZ(i).Visible())
            vOpz.append(i);
    for (int i : b.f.OPZT.indici())
        if (b.f.OPZT(i).Visible())
            vOpzt.append(i);
    QCOMPARE(vOpz, opz);
    QCOMPARE(vOpzt, opzt);
    // Every activation starts again from the whole text.
    b.f.OPZT_Click(0);
    b.f.Inizializza_bottoni();
    QCOMPARE(b.marche(), marche);
}

void TestFcopia::initCopiaDisabilitaIlChiamanteEPrendeITesti() {
    Banco b;
    b.apri(true, true, true, false);
    QVERIFY(!b.viewer.isEnabled());
    QCOMPARE(b.f.Proprietario(), &b.viewer);
    QVERIFY(b.f.TestoPresente);
    QVERIFY(b.f.DidascaliaScelta);
    QVERIFY(!b.f.FotoScelta);
    QVERIFY(b.f.TestoDaCopiare.startsWith(u"{\\rtf"_s));
    QVERIFY(b.f.SelezioneDaCopiare.startsWith(u"{\\rtf"_s));
    QVERIFY(b.f.DidascaliaDaCopiare.contains(u"Czaszka"_s));
    QVERIFY(b.f.Unload());
    QVERIFY(b.viewer.isEnabled());
    QCOMPARE(b.f.Proprietario(), nullptr);
    QVERIFY(b.f.TestoDaCopiare.isEmpty() && b.f.SelezioneDaCopiare.isEmpty());
    QVERIFY(b.f.DidascaliaDaCopiare.isEmpty());
}

void TestFcopia::nomeDelFileSenzaEstensione_data() {
    QTest::addColumn<QString>("prima");
    QTest::addColumn<QString>("dopo");
    riga("full path", "C:\\dati\\copia.rtf", "C:\\dati\\copia");
    riga("short name", "a.rtf", "a");
    riga("four characters stay", "x.rt", "x.rt");
    riga("no extension", "C:\\dati\\copia", "C:\\dati\\copia");
    riga("a two-letter extension stays", "C:\\dati\\copia.rt", "C:\\dati\\copia.rt");
}

void TestFcopia::nomeDelFileSenzaEstensione() {
    QFETCH(QString, prima);
    QFETCH(QString, dopo);
    Banco b;
    Fileini::cfg.FilePerCopia = prima;
    b.apri();
    QCOMPARE(Fileini::cfg.FilePerCopia, dopo);
}

void TestFcopia::opztClick_data() {
    QTest::addColumn<int>("indice");
    QTest::addColumn<QList<int>>("mostrati");
    QTest::addColumn<QList<int>>("nascosti");
    using L = QList<int>;
    riga("selected part", 0, L{3, 0}, L{4, 1, 7});
    riga("whole text", 1, L{4, 0}, L{3, 1, 7});
    riga("caption", 2, L{7, 6}, L{0, 4, 3});
    riga("picture", 3, L{1, 7}, L{4, 0, 6, 3});
    riga("clipboard", 4, L{8}, L{9});
    riga("file", 5, L{9}, L{8});
    riga("unused index", 6, L{}, L{});
}

void TestFcopia::opztClick() {
    QFETCH(int, indice);
    QFETCH(QList<int>, mostrati);
    QFETCH(QList<int>, nascosti);
    Banco b;
    b.apri();
    // From all marks shown and from all hidden: marks a row does not name keep their state.
    for (bool tutte : {true, false}) {
        QList<int> prima;
        if (tutte)
            prima = b.f.EVID.indici();
        b.impostaMarche(prima);
        b.f.SelezioneScelta = !tutte;
        b.f.OPZT_Click(indice);
        QList<int> atteso = prima;
        for (int i : nascosti)
            atteso.removeAll(i);
        for (int i : mostrati)
            if (!atteso.contains(i))
                atteso.append(i);
        std::sort(atteso.begin(), atteso.end());
        QCOMPARE(b.marche(), atteso);
    }
    // The selected part and the file choice show in what the copy tests below produce.
    if (indice == 1)
        QVERIFY(!b.f.SelezioneScelta);
    if (indice == 2 || indice == 3) {
        QCOMPARE(b.f.FotoScelta, indice == 3);
        QCOMPARE(b.f.DidascaliaScelta, indice == 2);
    }
    if (indice == 4)
        QCOMPARE(b.f.CopiaInAppunti, 1);
}

void TestFcopia::opzClick_data() {
    QTest::addColumn<int>("indice");
    QTest::addColumn<QList<int>>("prima");
    QTest::addColumn<bool>("opz0");
    QTest::addColumn<bool>("opz1");
    QTest::addColumn<bool>("opzt2");
    QTest::addColumn<QList<int>>("dopo");
    using L = QList<int>;
    const L testo{0, 4, 8}, figura{1, 7, 8}, didascalia{4, 6, 8};
    riga("text: chosen", 0, L{1, 7, 8}, true, true, false, testo);
    riga("text again: switches to the picture", 0, L{0, 3, 8}, true, true, true, figura);
    riga("text again, no picture: caption alone", 0, L{0, 4, 8}, true, false, true, didascalia);
    riga("text again, nothing else: stays", 0, L{0, 3, 8}, true, false, false, L{0, 3, 8});
    riga("picture: chosen", 1, L{0, 4, 8}, true, true, true, figura);
    riga("picture again: switches to the text", 1, L{1, 7, 8}, true, true, true, testo);
    riga("picture again, no text: caption alone", 1, L{1, 7, 8}, false, true, true, didascalia);
    riga("picture again, nothing else: stays", 1, L{1, 7, 8}, false, true, false, L{1, 7, 8});
    riga("unused element", 2, L{0, 4, 8}, true, true, true, L{0, 4, 8});
}

void TestFcopia::opzClick() {
    QFETCH(int, indice);
    QFETCH(QList<int>, prima);
    QFETCH(bool, opz0);
    QFETCH(bool, opz1);
    QFETCH(bool, opzt2);
    QFETCH(QList<int>, dopo);
    Banco b;
    b.apri(true, false, true, true);
    b.f.OPZ(0).ImpostaVisible(opz0);
    b.f.OPZ(1).ImpostaVisible(opz1);
    b.f.OPZT(2).ImpostaVisible(opzt2);
    b.impostaMarche(prima);
    b.f.OPZ_Click(indice);
    QCOMPARE(b.marche(), dopo);
}

void TestFcopia::sceltaDelFile_data() {
    QTest::addColumn<QString>("risposta"); // empty: Cancel
    QTest::addColumn<int>("sceltaOpzt");
    QTest::addColumn<QString>("filtro");
    QTest::addColumn<QString>("nome");
    riga("cancel still switches to the file", "", 1, "*.rtf", "C:\\KOPIE\\notatki");
    riga("a new file", "D:\\INNE\\zeszyt.rtf", 1, "*.rtf", "D:\\INNE\\zeszyt");
    riga("picture chosen: bitmaps offered", "", 3, "*.bmp", "C:\\KOPIE\\notatki");
    riga("caption chosen: rich text offered", "", 2, "*.rtf", "C:\\KOPIE\\notatki");
}

void TestFcopia::sceltaDelFile() {
    QFETCH(QString, risposta);
    QFETCH(int, sceltaOpzt);
    QFETCH(QString, filtro);
    QFETCH(QString, nome);
    Banco b;
    b.apri(true, true, true, false);
    b.h.sceltaFile.risposte = {risposta.isEmpty() ? std::nullopt : std::optional(risposta)};
    b.f.OPZT_Click(sceltaOpzt);
    QVERIFY(b.f.EVID(8).Visible());
    Q_EMIT b.f.sceglifile->eventi().Click();
    QCOMPARE(b.h.sceltaFile.chieste.size(), 1);
    QCOMPARE(b.h.sceltaFile.chieste[0].filtro, filtro);
    QCOMPARE(b.h.sceltaFile.chieste[0].cartella, kCartella);
    QCOMPARE(b.h.sceltaFile.chieste[0].nome, u"notatki"_s);
    QCOMPARE(Fileini::cfg.FilePerCopia, nome);
    QCOMPARE(b.f.CopiaInAppunti, 0);
    QVERIFY(!b.f.EVID(8).Visible());
    QVERIFY(b.f.EVID(9).Visible());
    // Back from the chooser the options start again from the whole text.
    QVERIFY(b.f.EVID(4).Visible() && !b.f.EVID(3).Visible());
}

void TestFcopia::tastiEAspettoPremuto() {
    Banco b;
    b.apri();
    QTest::mousePress(b.f.OK, Qt::LeftButton);
    QCOMPARE(b.f.OK->BorderStyle(), 1);
    QTest::mouseRelease(b.f.OK, Qt::LeftButton, {}, QPoint(-5, -5)); // released off the button
    QCOMPARE(b.f.OK->BorderStyle(), 0);
    QVERIFY(b.f.isVisible());
    QTest::mousePress(&b.f.OPZT(5), Qt::LeftButton);
    QCOMPARE(b.f.OPZT(5).BorderStyle(), 1);
    QTest::mouseRelease(&b.f.OPZT(5), Qt::LeftButton);
    QCOMPARE(b.f.OPZT(5).BorderStyle(), 0);
    QVERIFY(b.f.EVID(9).Visible());

    // Escape cancels: the clipboard is emptied and the viewer works again.
    b.h.appunti.corrente.text = u"x"_s;
    QTest::keyClick(&b.f, Qt::Key_Escape);
    QVERIFY(!b.f.Caricata());
    QVERIFY(b.h.appunti.corrente.text.isEmpty());
    QVERIFY(b.viewer.isEnabled());

    // Enter copies.
    b.apri();
    QTest::keyClick(&b.f, Qt::Key_Return);
    QVERIFY(!b.f.Caricata());
    QVERIFY(b.h.appunti.corrente.text.contains(u"Drugi akapit"_s));
}

// The keyboard alone: Tab walks the options and never lands in the hidden work boxes, Space
// ticks as a click does, Enter still copies; assistive tools read each option with its mark.
void TestFcopia::tastieraSenzaScatoleNascoste() {
    Banco b;
    b.apri(true, true);
    QVERIFY(QTest::qWaitForWindowActive(&b.f));
    const auto tasto = [&b](Qt::Key k) {
        QWidget* w = QApplication::focusWidget();
        QTest::keyClick(w && w->window() == &b.f ? w : &b.f, k);
    };
    QAccessibleInterface* pliku = QAccessible::queryAccessibleInterface(&b.f.OPZT(5));
    QCOMPARE(pliku->text(QAccessible::Name), u"Do pliku"_s);
    QVERIFY(pliku->state().checkable && !pliku->state().checked);
    for (int i = 0; i < 30 && Navigazione::di(b.f).corrente() != &b.f.OPZT(5); ++i) {
        tasto(Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != b.f.testortf &&
                QApplication::focusWidget() != b.f.TESTOATX);
    }
    QCOMPARE(Navigazione::di(b.f).corrente(), &b.f.OPZT(5));
    tasto(Qt::Key_Space);
    QCOMPARE(b.marche(), QList<int>({0, 4, 9}));
    QVERIFY(pliku->state().checked);
    QVERIFY(b.f.testortf->Text().isEmpty() && b.f.TESTOATX->toPlainText().isEmpty());
    QAccessible::queryAccessibleInterface(&b.f.OPZT(4))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(b.marche(), QList<int>({0, 4, 8}));
    tasto(Qt::Key_Return);
    QVERIFY(!b.f.Caricata());
    QVERIFY(b.h.appunti.corrente.text.contains(u"Drugi akapit"_s));
}

void TestFcopia::appunti_data() {
    QTest::addColumn<int>("scelta"); // OPZT clicked, -1 none, -2 every mark hidden
    QTest::addColumn<QString>("testo");
    QTest::addColumn<bool>("immagine");
    riga("selected part", 0, "\u015b\u0107 udo", false);
    riga("whole text", 1, "Ko\u015b\u0107 udowa cz\u0142owieka\nDrugi akapit", false);
    riga("caption", 2, "Czaszka", false);
    riga("picture", 3, "", true);
    riga("no mark: the clipboard is left alone", -2, "prima", false);
}

void TestFcopia::appunti() {
    QFETCH(int, scelta);
    QFETCH(QString, testo);
    QFETCH(bool, immagine);
    Banco b;
    b.apri(true, true, true, true);
    b.f.OPZT(2).ImpostaVisible(true);
    if (scelta >= 0)
        b.f.OPZT_Click(scelta);
    else
        b.impostaMarche({8});
    b.h.appunti.corrente.text = u"prima"_s;
    b.h.schermo.storiaPuntatore.clear();
    b.f.OK_Click();
    const ClipboardContents c = b.h.appunti.corrente;
    QCOMPARE(c.text, testo);
    QCOMPARE(c.image.isNull(), !immagine);
    if (immagine) {
        // Without renditions the picture goes as it is, alone.
        QCOMPARE(c.image, Banco::immagineDiProva());
        QVERIFY(c.rtf.isEmpty());
    }
    if (scelta >= 0 && !testo.isEmpty()) {
        QVERIFY(c.rtf.startsWith("{\\rtf"));
        QVERIFY(c.html.contains(u"<html"_s));
    }
    if (scelta == 1)
        QVERIFY2(c.rtf.contains("\\b "), "bold travels as rich text");
    QVERIFY(!b.f.Caricata());
    QVERIFY(b.viewer.isEnabled());
    QVERIFY(!b.h.esiste(kNome + u".rtf"_s));
    QCOMPARE(b.h.schermo.storiaPuntatore.first(), Puntatore::Clessidra);
    QCOMPARE(b.h.schermo.puntatore, Puntatore::Predefinito);
    QVERIFY(b.f.OK->Enabled()); // ready for the next opening
}

void TestFcopia::fileNuovoEAggiunte() {
    Banco b;
    b.apri();
    b.f.OPZT_Click(5);
    b.f.OK_Click();
    const QString primo = u"Ko\u015b\u0107 udowa cz\u0142owieka\r\nDrugi akapit"_s;
    QCOMPARE(b.testoDelFile(), u"\r\n"_s + credito() + u"\r\n"_s + primo);
    QVERIFY(b.h.leggiFile(kNome + u".rtf"_s).startsWith("{\\rtf"));
    // The first copy to a file says where the file is, once the dialog has closed.
    QCOMPARE(b.h.box.mostrati.size(), 1);
    QVERIFY2(b.h.box.mostrati[0].testo.contains(QDir::toNativeSeparators(b.percorso(u".rtf"_s))),
             qPrintable(b.h.box.mostrati[0].testo));
    QCOMPARE(b.h.box.mostrati[0].stile, Stile::OK | Stile::Informazione);
    b.h.box.mostrati.clear();

    // A second copy, of the selection this time, grows the same file.
    b.apri(true, true);
    b.f.OPZT_Click(0);
    b.f.OPZT_Click(5);
    b.f.OK_Click();
    QCOMPARE(b.testoDelFile(), u"\r\n"_s + credito() + u"\r\n"_s + primo + u"\r\n"_s + credito() +
                                   u"\r\n\u015b\u0107 udo"_s);
    QVERIFY(b.h.box.mostrati.isEmpty()); // said once a run
    QVERIFY(QDir(b.h.percorsoHost(kCartella)).entryList(QDir::Files) ==
            QStringList{u"notatki.rtf"_s});
}

void TestFcopia::fileNonRtfRicominciaTenendoIlVecchio() {
    Banco b;
    const QByteArray vecchio = "{ niby rtf, ale nie: notatki sprzed lat";
    b.h.scriviFile(kNome + u".rtf"_s, vecchio);
    b.apri();
    b.f.OPZT_Click(5);
    b.f.OK_Click();
    QVERIFY(b.testoDelFile().startsWith(u"\r\n"_s + credito() + u"\r\nKo"_s));
    QCOMPARE(b.h.leggiFile(kNome + u".rtf.bak"_s), vecchio);
}

void TestFcopia::didascaliaNelFile() {
    Banco b;
    b.h.scriviFile(kNome + u".rtf"_s, "{\\rtf1\\ansi Stare notatki\\par}");
    b.apri(false, false, true, false); // caption only: chosen at once
    QVERIFY(b.f.EVID(6).Visible());
    b.f.OPZT_Click(5);
    b.f.OK_Click();
    QCOMPARE(b.testoDelFile(), u"\r\nCzaszka\r\nStare notatki"_s);
    QVERIFY2(b.h.leggiFile(kNome + u".rtf"_s).contains("\\i"), "the caption keeps its italics");
    QVERIFY(b.h.appunti.corrente.text.isEmpty());
}

// A picture with larger renditions is copied as the largest that measures its factor times the
// picture, marked to keep the picture's size on paper: 96 dots per inch times the factor in the
// bitmap and on the clipboard, the 1 × size in twips in the rich text beside it.
void TestFcopia::immagineConRendizioni_data() {
    QTest::addColumn<bool>("terzaGiusta");
    QTest::addColumn<int>("fattore");
    QTest::newRow("3 × taken") << true << 3;
    QTest::newRow("3 × of the wrong size: 2 × taken") << false << 2;
}

void TestFcopia::immagineConRendizioni() {
    QFETCH(bool, terzaGiusta);
    QFETCH(int, fattore);
    const auto disegno = [](QSize dim) {
        QImage i(dim, QImage::Format_RGB32);
        i.fill(Qt::green);
        return i;
    };
    Rendizioni r;
    r.aggiungi(2, [&] { return disegno({16, 10}); });
    r.aggiungi(3, [&] { return disegno(terzaGiusta ? QSize(24, 15) : QSize(24, 16)); });
    const QSize attesa = QSize(8, 5) * fattore;
    const int puntiPerMetro = qRound(96.0 * fattore / 0.0254);

    Banco b;
    b.immagine.ImpostaRendizioni(r);
    b.apri(false, false, false, true);
    b.f.OPZT_Click(3);
    b.f.OK_Click();
    const ClipboardContents c = b.h.appunti.corrente;
    QCOMPARE(c.image.size(), attesa);
    QCOMPARE(c.image.pixelColor(1, 1), QColor(Qt::green));
    QCOMPARE(c.image.dotsPerMeterX(), puntiPerMetro);
    const QByteArray pict =
        QStringLiteral("\\pict\\pngblip\\picw%1\\pich%2\\picwgoal120\\pichgoal75")
            .arg(attesa.width())
            .arg(attesa.height())
            .toLatin1();
    QVERIFY2(c.rtf.contains(pict), c.rtf.left(400).constData());
    // What the rich text holds is the rendition itself.
    RichTextBox lettore;
    lettore.setTextRTF(QString::fromLatin1(c.rtf));
    QTextCursor cursore(lettore.document());
    cursore.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    const QTextImageFormat formato = cursore.charFormat().toImageFormat();
    QCOMPARE(formato.width(), 8.0);
    const QImage nelTesto = lettore.document()
                                ->resource(QTextDocument::ImageResource, QUrl(formato.name()))
                                .value<QImage>();
    QCOMPARE(nelTesto.size(), attesa);

    // In the file: the same pixels; the picture on screen keeps its renditions.
    Banco file;
    file.immagine.ImpostaRendizioni(r);
    file.apri(false, false, false, true);
    file.f.OPZT_Click(3);
    file.f.OPZT_Click(5);
    file.f.OK_Click();
    const QImage salvata(file.percorso(u".bmp"_s), "BMP");
    QCOMPARE(salvata.size(), attesa);
    QCOMPARE(salvata.dotsPerMeterX(), puntiPerMetro);
    QCOMPARE(file.immagine.Picture().size(), QSize(8, 5));
    QCOMPARE(file.immagine.rendizioni().fattori(), QList<int>({1, 2, 3}));
}

void TestFcopia::immagineNelFile() {
    Banco b;
    b.apri(false, false, false, true);
    b.f.OPZT_Click(3);
    b.f.OPZT_Click(5);
    b.f.OK_Click();
    QImage salvata(b.percorso(u".bmp"_s), "BMP");
    QCOMPARE(salvata.size(), QSize(8, 5));
    QCOMPARE(salvata.pixelColor(1, 1), QColor(Qt::blue));
    QCOMPARE(b.h.leggiFile(kNome + u".bmp"_s).left(2), QByteArray("BM"));
}

// The job on work controls of its own, without the dialog: a text chosen for the file with a
// caption source also appends the caption after the text, through TESTOATX.
void TestFcopia::testoEDidascaliaNelFile() {
    Banco b;
    KorAtx didascalia, testoatx;
    didascalia.setFText(kDidascalia);
    RichTextBox testortf;
    Riquadro foto(nullptr, u"foto"_s);
    StatoDiCopia s;
    s.TestoPresente = true;
    s.TestoDaCopiare = kTesto;
    s.DidascaliaDaCopiare = didascalia.FText();
    s.sorgenteTesto = b.testo;
    s.sorgenteDidascalia = &didascalia;
    s.TESTOATX = &testoatx;
    s.testortf = &testortf;
    s.foto = &foto;
    LavoroDiCopia lavoro(s);
    lavoro.PreparaFile();
    b.h.appunti.corrente.text = u"prima"_s;
    lavoro.CopiaNelFile(CosaCopiare::Testo);
    QCOMPARE(b.testoDelFile(),
             u"\r\n"_s + credito() +
                 u"\r\nKo\u015b\u0107 udowa cz\u0142owieka\r\nDrugi akapit\r\nCzaszka"_s);
    QVERIFY(b.h.appunti.corrente.text.isEmpty());
    QVERIFY(b.h.box.mostrati.isEmpty());
}

void TestFcopia::immagineNonSalvabile() {
    Banco b;
    // The folder named by the copy file is a file: nothing can be written there.
    b.h.scriviFile(u"C:\\ZAJETE"_s, "plik");
    Fileini::cfg.FilePerCopia = u"C:\\ZAJETE\\obraz"_s;
    b.apri(false, false, false, true);
    b.f.OPZT_Click(3);
    b.f.OPZT_Click(5);
    b.h.box.primaDiRispondere = [&](const BoxMostrato&) {
        QVERIFY(!b.f.OK->Enabled()); // OK stays off until the dialog closes
    };
    b.f.OK_Click();
    QCOMPARE(b.h.box.mostrati.size(), 1);
    QCOMPARE(b.h.box.mostrati[0].testo, u"Nie można zapisać pliku C:\\ZAJETE\\obraz.bmp"_s);
    QCOMPARE(b.h.box.mostrati[0].stile, Stile::OK);
    QVERIFY(!b.f.Caricata());
}

void TestFcopia::fileIlleggibileNonVieneSovrascritto() {
    Banco b;
    // Something no one can read as a file, root included: a folder where the notebook would be.
    const QString note = b.percorso(u".rtf"_s);
    QVERIFY(QDir().mkpath(note));
    QFile dentro(note + u"/moje.txt"_s);
    QVERIFY(dentro.open(QIODevice::WriteOnly) && dentro.write("Moje notatki") == 12);
    dentro.close();
    b.apri();
    b.f.OPZT_Click(5);
    b.h.box.risposte = {Risposta::Riprova, Risposta::Annulla};
    b.f.OK_Click();
    QCOMPARE(b.h.box.mostrati.size(), 2);
    QCOMPARE(b.h.box.mostrati[0].testo, u"Brak dostępu do "_s + kNome);
    QVERIFY(QFileInfo(note).isDir());
    QCOMPARE(QDir(note).entryList(QDir::Files), QStringList{u"moje.txt"_s});
    QVERIFY(dentro.open(QIODevice::ReadOnly));
    QCOMPARE(dentro.readAll(), QByteArray("Moje notatki"));
    QVERIFY(!b.f.Caricata());
}

void TestFcopia::cartellaSolaLettura() {
    Banco b;
    const QByteArray note = "{\\rtf1\\ansi Moje notatki\\par}";
    b.h.scriviFile(kNome + u".rtf"_s, note);
    const QString cartella = b.h.percorsoHost(kCartella + u"x"_s).chopped(2);
    Montaggio m;
    if (getuid() == 0) {
        if (!m.solaLettura(cartella))
            QSKIP("cannot mount a read-only folder here");
    } else {
        QFile::setPermissions(cartella, QFile::ReadOwner | QFile::ExeOwner);
    }
    b.apri();
    b.f.OPZT_Click(5);
    int tentativi = 0;
    b.h.box.primaDiRispondere = [&](const BoxMostrato&) { ++tentativi; };
    b.h.box.risposte = {Risposta::Riprova, Risposta::Annulla};
    b.f.OK_Click();
    QCOMPARE(tentativi, 2); // Retry tried again, Cancel went on
    QCOMPARE(b.h.box.mostrati[0].testo, u"Brak dostępu do "_s + kNome);
    QCOMPARE(b.h.box.mostrati[0].stile, Stile::RiprovaAnnulla | Stile::Domanda);
    QCOMPARE(b.h.box.mostrati[0].titolo, u"Zapis"_s);
    QCOMPARE(b.h.leggiFile(kNome + u".rtf"_s), note);
    QVERIFY(!b.f.Caricata());
    if (getuid() != 0)
        QFile::setPermissions(cartella, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestFcopia::discoPieno() {
    Banco b;
    const QString cartella = b.h.percorsoHost(kCartella + u"x"_s).chopped(2);
    Montaggio m;
    if (getuid() != 0 || !m.piccolo(cartella, 48))
        QSKIP("needs a small file system of its own");
    // A notebook that fills most of the disk: no room for a second copy beside it.
    QByteArray note = "{\\rtf1\\ansi ";
    while (note.size() < 30000)
        note += "Moje notatki z anatomii. ";
    note += "\\par}";
    b.h.scriviFile(kNome + u".rtf"_s, note);
    b.apri();
    b.f.OPZT_Click(5);
    b.h.box.risposte = {Risposta::Annulla};
    b.f.OK_Click();
    QCOMPARE(b.h.box.mostrati.size(), 1);
    QCOMPARE(b.h.box.mostrati[0].testo, u"Dysk pełny: "_s + kNome);
    QCOMPARE(b.h.box.mostrati[0].stile, 37);
    QCOMPARE(b.h.leggiFile(kNome + u".rtf"_s), note);
    QCOMPARE(QDir(cartella).entryList(QDir::Files), QStringList{u"notatki.rtf"_s});
}

void TestFcopia::apriCopiaCentrataSopraIlChiamante() {
    Banco b;
    b.viewer.show();
    ApriCopia(b.viewer, b.testo, nullptr, &b.immagine);
    fcopia& f = fcopia::istanza();
    QVERIFY(f.isVisible());
    QCOMPARE(f.size(), QSize(227, 250));
    QCOMPARE(f.pos(), QPoint((1024 - 227) / 2, (768 - 250) / 2));
    QCOMPARE(f.Proprietario(), &b.viewer);
    QVERIFY(!b.viewer.isEnabled());
    QCOMPARE(f.FONDO->Picture().size(), QSize(227, 250));
    QVERIFY(f.EVID(0).Visible() && f.EVID(8).Visible());
    QCOMPARE(f.EVID(0).BorderColor(), QColor(255, 255, 0));
    f.ANNULLA_Click();
    QVERIFY(b.viewer.isEnabled());
    QVERIFY(!f.isVisible());
}

namespace {
class Schermo120 : public FixedScreen {
public:
    double twipsPerPixelX() const override { return 12.0; }
    double twipsPerPixelY() const override { return 12.0; }
};
} // namespace

void TestFcopia::ogniAperturaComeDisegnata() {
    Banco b;
    Schermo120 schermo;
    host().screen = &schermo;
    // Opened first without a picture, whose options it then hides, then with one.
    for (const bool conImmagine : {false, true, true}) {
        b.apri(true, false, false, conImmagine);
        QCOMPARE(b.f.size(), QSize(227, 250));
        QCOMPARE(b.f.OK->geometry(), QRect(48, 218, 36, 32));
        // The drawing's renditions come with it.
        QCOMPARE(b.f.FONDO->rendizioni().carica(3).size(), QSize(681, 750));
        QCOMPARE(b.f.OPZ(1).Visible(), conImmagine);
        QCOMPARE(b.f.OPZT(3).Visible(), conImmagine);
        b.f.ANNULLA_Click();
    }
    host().screen = &b.h.schermo;
}

QTEST_MAIN(TestFcopia)
#include "test_fcopia.moc"
