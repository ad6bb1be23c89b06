// The rich-text box and the KorAtx control, driven the way the viewer and the dialogs drive
// them: by member name and number, through files in the prefix and the host clipboard.

#include "ErroreDi.h"
#include "ErroreVB.h"
#include "Fifo.h"
#include "HostDiProva.h"
#include "Inchiostro.h"
#include "KorAtx.h"
#include "RichTextBox.h"
#include "RtfDiProva.h"
#include "RtfDump.h"
#include "RtfReader.h"
#include "TestoLimitato.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>

using namespace hn;
using hn::prova::erroreDi;
using prova::corpus;
using prova::dumpTesto;
using prova::inchiostro;

namespace {

const QString kCredito = QStringLiteral(
    "{\\rtf1\\ansi \\deff4\\deflang1033{\\fonttbl{\\f4\\froman\\fcharset0\\fprq2 Times New "
    "Roman;}}\\f4 \\b \\i \\fs16 \\qc HNemar - Atlas anatomii}");

const QByteArray kOpis =
    "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}"
    "\\f0\\fs20 Ko\\'9c\\'e6 {\\b udowa} jest d\\'b3uga.\\par Druga linia.\\par}";

} // namespace

class TestRichTextControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void caricaESalvaFile();
    void lineaDelCarattere();
    void ogniCaricamentoVieneDisegnato();
    void selezioneEMembriNumerati();
    void incollaDagliAppunti();
    void kfTestoESelezione();
    void kfPassaggioDalPannello();
    void kfComposizioneDellaStampa();
    void kfMembriPerNumeroEPerNome();
    void kfCopiaNegliAppunti();
    void kfSelezioneInUnFile();
    void testoTroppoLungoTagliatoSulPannello();
};

void TestRichTextControls::caricaESalvaFile() {
    prova::HostDiProva h;
    h.scriviFile(QStringLiteral("C:\\VELTO\\TEMP\\KOSC.RTF"), kOpis);
    RichTextBox box;
    box.LoadFile(QStringLiteral("C:\\velto\\temp\\kosc.rtf"));
    QCOMPARE(box.Text(), QStringLiteral("Kość udowa jest długa.\r\nDruga linia."));
    QCOMPARE(box.membro(RichTextBox::MembroText).toString(), box.Text());

    box.SaveFile(QStringLiteral("C:\\VELTO\\COPIA.rtf"));
    RichTextBox altro;
    altro.LoadFile(QStringLiteral("C:\\VELTO\\COPIA.rtf"));
    QCOMPARE(descriviDocumento(*altro.document()), descriviDocumento(*box.document()));

    // A copy file that is not RTF comes in as its plain Windows-1250 text, so that the copy
    // output can see that it begins with "{" and start it afresh.
    h.scriviFile(QStringLiteral("C:\\A.RTF"), "{zepsuty\r\nplik \xb3");
    box.LoadFile(QStringLiteral("C:\\A.RTF"));
    QCOMPARE(box.Text(), QStringLiteral("{zepsuty\r\nplik ł"));
    // The copy output writes: the file's plain text, CR LF, the credit line, CR LF, the text.
    box.impostaMembro(RichTextBox::MembroTextRTF, QStringLiteral("\r\nKredyt\r\nKość\r\nudowa"));
    QCOMPARE(box.document()->blockCount(), 4);
    QCOMPARE(box.Text(), QStringLiteral("\r\nKredyt\r\nKość\r\nudowa"));

    QCOMPARE(erroreDi([&] { box.LoadFile(QStringLiteral("C:\\VELTO\\NIE.RTF")); }),
             Errore::FileNonTrovato);
    QCOMPARE(erroreDi([&] { box.LoadFile(QStringLiteral("Q:\\X.RTF")); }), Errore::AccessoPercorso);
    QCOMPARE(erroreDi([&] { box.SaveFile(QStringLiteral("C:\\VELTO\\BRAK\\X.RTF")); }),
             Errore::AccessoPercorso);
    QCOMPARE(erroreDi([&] { box.membro(12345); }), 438);
}

// The caption window's height: 1 + the line of the position "length of the RTF source".
void TestRichTextControls::lineaDelCarattere() {
    RichTextBox box;
    box.setGeometry(0, 0, 3165 / 15, 2295 / 15);
    QFont dieci = box.font();
    dieci.setPointSizeF(10);
    box.setFont(dieci);
    const auto linee = [&box] { return 1 + box.GetLineFromChar(box.TextRTF().size()); };

    box.setTextRTF(QStringLiteral("{\\rtf1 Krótki podpis.}"));
    QCOMPARE(linee(), 1);

    box.setTextRTF(QStringLiteral("{\\rtf1 a\\par b\\par c\\line d}"));
    QCOMPARE(linee(), 4);
    QCOMPARE(box.GetLineFromChar(2), 1); // "b"
    QCOMPARE(box.GetLineFromChar(-5), 0);

    const QString lungo = QStringLiteral(
        "{\\rtf1\\fs20 Mięsień czworogłowy uda składa się z czterech głów, które przyczepiają się "
        "wspólnym ścięgnem do guzowatości piszczeli poprzez więzadło rzepki.}");
    box.setTextRTF(lungo);
    const int strette = linee();
    QVERIFY2(strette >= 3, qPrintable(QString::number(strette)));
    // Twice as wide, about half the lines; the shown control agrees with the hidden one.
    box.setGeometry(0, 0, 2 * 3165 / 15, 2295 / 15);
    const int larghe = linee();
    QVERIFY(larghe < strette && larghe >= strette / 2 - 1);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(linee(), larghe);
}

// Whatever a load brings must be drawn, whatever the control held before and whether or not its
// size changes: loaded while hidden then shown (the caption), or while on screen (the panel).
void TestRichTextControls::ogniCaricamentoVieneDisegnato() {
    prova::HostDiProva h;
    const QByteArray inizio = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    const QList<QByteArray> serie = {
        inizio + "Czaszka}",
        inizio + "Mostek}",
        inizio + "Obojczyk\\par Ko\\'9c\\'e6 ramienna\\par \\'a3opatka}",
        inizio + "Rzepka}",
        inizio + "Rzepka}",
        inizio + "\\'afebra prawdziwe\\par Kr\\'eagos\\'b3up}",
        inizio + "Ko\\'9c\\'e6 udowa}",
    };
    for (const bool nascosto : {true, false}) {
        RichTextBox box;
        box.setLocked(true);
        box.setGeometry(0, 0, 211, 153);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (int i = 0; i < serie.size(); ++i) {
            h.scriviFile(QStringLiteral("C:\\TEMP\\T.RTF"), serie[i]);
            if (nascosto)
                box.hide();
            box.LoadFile(QStringLiteral("C:\\TEMP\\T.RTF"));
            box.show();
            QVERIFY2(inchiostro(box) > 20,
                     qPrintable(
                         QStringLiteral("load %1%2").arg(i).arg(nascosto ? " while hidden" : "")));
        }
    }
}

void TestRichTextControls::selezioneEMembriNumerati() {
    RichTextBox box;
    box.setTextRTF(QString::fromLatin1(kOpis));
    box.impostaMembro(RichTextBox::MembroSelStart, 5);
    box.impostaMembro(RichTextBox::MembroSelLength, 5);
    QCOMPARE(box.textCursor().selectedText(), QStringLiteral("udowa"));
    box.impostaMembro(RichTextBox::MembroSelProtected, true);
    QCOMPARE(box.membro(RichTextBox::MembroSelProtected).toBool(), true);
    QVERIFY(box.TextRTF().contains(QStringLiteral("\\protect udowa")));
    // Past the end is clamped, and a new start drops the selection.
    box.impostaMembro(RichTextBox::MembroSelLength, 100000);
    QCOMPARE(box.membro(RichTextBox::MembroSelLength).toInt(), box.lunghezza() - 5);
    box.impostaMembro(RichTextBox::MembroSelStart, 100000);
    QCOMPARE(box.membro(RichTextBox::MembroSelStart).toInt(), box.lunghezza());
    QCOMPARE(box.SelLength(), 0);
}

// The copy output pastes a caption with Enter, Ctrl+V, Enter into its work box.
void TestRichTextControls::incollaDagliAppunti() {
    prova::HostDiProva h;
    RichTextBox box;
    box.setText(QStringLiteral("stary tekst"));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.SetFocus();
    box.setSelStart(0);
    h.appunti.put({"{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0{\\b Podpis} rysunku\\par}",
                   QStringLiteral("<b>html</b>"),
                   QStringLiteral("tekst"),
                   {}});
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(box.Text(), QStringLiteral("\r\nPodpis rysunku\r\n\r\nstary tekst"));
    QVERIFY(descriviDocumento(*box.document()).contains(QStringLiteral("{Arial 12 b}\"Podpis\"")));

    // Without rich text the plain text is pasted; a locked box pastes nothing.
    h.appunti.put({{}, {}, QStringLiteral("zwykły\r\ntekst"), {}});
    box.setText(QString());
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box.Text(), QStringLiteral("zwykły\r\ntekst"));
    box.setLocked(true);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box.Text(), QStringLiteral("zwykły\r\ntekst"));
}

void TestRichTextControls::kfTestoESelezione() {
    KorAtx atx;
    atx.setFText(QString::fromLatin1(kOpis));
    QCOMPARE(atx.SelText(), QString());
    atx.setSelStart(5);
    atx.setSelLength(5);
    // 63 gives the selection as RTF with its formatting, 0 as plain text.
    atx.setSelFType(KorAtx::kTuttiIFormati);
    QCOMPARE(dumpTesto(atx.SelText()), QStringLiteral("P[ql] {Arial 10 b}\"udowa\"\n"));
    atx.setSelFType(KorAtx::kTestoSemplice);
    QCOMPARE(atx.SelText(), QStringLiteral("udowa"));
    QCOMPARE(atx.FText(), QStringLiteral("Kość udowa jest długa.\r\nDruga linia."));
    // Written, SelText replaces the selection.
    atx.setSelText(QStringLiteral("piszczelowa"));
    QCOMPARE(atx.document()->begin().text(), QStringLiteral("Kość piszczelowa jest długa."));
}

// The viewer hands its panel over: FText = the panel's rich text, then its selection by
// position. The positions must mean the same characters in both controls, lists and tables too.
void TestRichTextControls::kfPassaggioDalPannello() {
    prova::HostDiProva h;
    h.scriviFile(QStringLiteral("C:\\TEMP\\OPIS.RTF"),
                 corpus("word-tabela.rtf").chopped(3) + "\\par " + corpus("word-lista.rtf"));
    RichTextBox pannello;
    pannello.setLocked(true);
    pannello.LoadFile(QStringLiteral("C:\\TEMP\\OPIS.RTF"));
    KorAtx atx;
    for (const auto& [inizio, quanti] : {std::pair{0, 5}, {14, 20}, {40, 30}, {60, 200}}) {
        pannello.setSelStart(inizio);
        pannello.setSelLength(quanti);
        atx.setFText(pannello.TextRTF());
        atx.setSelStart(pannello.SelStart());
        atx.setSelLength(pannello.SelLength());
        atx.setSelFType(KorAtx::kTestoSemplice);
        QCOMPARE(atx.SelText(), pannello.textCursor().selection().toPlainText().replace(
                                    QLatin1Char('\n'), QLatin1String("\r\n")));
        QVERIFY(!atx.SelText().isEmpty());
    }
}

// The print job: the credit RTF, three paragraph marks, then another instance's text.
void TestRichTextControls::kfComposizioneDellaStampa() {
    KorAtx sorgente, copia, stampa;
    sorgente.setFText(QString::fromLatin1(kOpis));
    sorgente.setSelFType(63);
    copia.impostaMembro(2, 63);
    const auto componi = [&](const QVariant& testo) {
        copia.impostaMembro(42, testo);
        stampa.impostaMembro(42, kCredito + QStringLiteral("\\par \\par \\par"));
        stampa.impostaMembro(42, stampa.membro(42).toString() + copia.membro(42).toString());
    };
    componi(sorgente.membro(QStringLiteral("FText")));
    QCOMPARE(descriviDocumento(*stampa.document()),
             QStringLiteral("P[qc] {Times New Roman 8 b i}\"HNemar - Atlas anatomii\"\n"
                            "P[ql]\nP[ql]\n"
                            "P[ql] {Arial 10}\"Kość \" {Arial 10 b}\"udowa\" {Arial 10}\" jest "
                            "długa.\"\nP[ql] {Arial 10}\"Druga linia.\"\n"));
    // A selection appended instead of the whole text.
    sorgente.setSelStart(0);
    sorgente.setSelLength(4);
    componi(sorgente.membro(QStringLiteral("SelText")));
    QCOMPARE(stampa.document()->toPlainText(), QStringLiteral("HNemar - Atlas anatomii\n\n\nKość"));
}

void TestRichTextControls::kfMembriPerNumeroEPerNome() {
    KorAtx a, b;
    a.impostaMembro(QStringLiteral("FText"), QString::fromLatin1(kOpis));
    a.impostaMembro(90, 0);
    a.impostaMembro(89, a.membro(144));
    QCOMPARE(a.membro(144).toInt(), a.document()->characterCount() - 1);
    QCOMPARE(a.membro(QStringLiteral("SelLength")).toInt(), a.membro(144).toInt());
    QCOMPARE(a.membro(QStringLiteral("SelStart")).toInt(), 0);
    // Indents of the selected paragraphs, in twips.
    a.impostaMembro(112, 720);
    a.impostaMembro(49, 300);
    for (QTextBlock bl = a.document()->begin(); bl.isValid(); bl = bl.next()) {
        QCOMPARE(bl.blockFormat().leftMargin(), 48.0);
        QCOMPARE(bl.blockFormat().rightMargin(), 20.0);
    }
    a.impostaMembro(112, 123); // 8.2 pixels: read back rounded, not truncated
    QCOMPARE(a.membro(112).toInt(), 123);
    // A handle of its own per instance; the version read by the print dialog.
    QVERIFY(a.membro(146).toInt() != 0);
    QVERIFY(a.membro(146) != b.membro(146));
    QCOMPARE(static_cast<qint16>(a.membro(139).toInt()), 400);
    // Print alignment: kept until changed, applied only to what is printed.
    a.impostaMembro(33, 2);
    QCOMPARE(a.membro(33).toInt(), 2);
    const auto d = a.documentoDaStampare();
    QCOMPARE(d->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(a.document()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignLeft);
    // The selection is what is printed.
    a.setSelStart(5);
    a.setSelLength(5);
    QCOMPARE(a.documentoDaStampare()->toPlainText(), QStringLiteral("udowa"));
    // Visible: the control's own flag.
    QCOMPARE(a.membro(QStringLiteral("Visible")).toBool(), true);
    a.impostaMembro(QStringLiteral("Visible"), false);
    QCOMPARE(a.membro(QStringLiteral("visible")).toBool(), false);
    QCOMPARE(erroreDi([&] { a.membro(QStringLiteral("Nic")); }), 438);
    QCOMPARE(erroreDi([&] { a.impostaMembro(7, 1); }), 438);
}

// Command 118: RTF for LibreOffice, HTML for a browser, plain text for a terminal, together.
void TestRichTextControls::kfCopiaNegliAppunti() {
    prova::HostDiProva h;
    KorAtx atx;
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(Qt::blue);
    atx.setFText(QString::fromLatin1(kOpis));
    atx.document()->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("mem:x")), img);
    QTextCursor c(atx.document());
    c.movePosition(QTextCursor::End);
    c.insertImage(QStringLiteral("mem:x"));

    atx.impostaMembro(90, 0);
    atx.impostaMembro(89, 0);
    atx.impostaMembro(118, 2);
    QVERIFY(h.appunti.corrente.rtf.isEmpty()); // nothing selected, nothing copied

    atx.impostaMembro(89, atx.membro(42).toString().size());
    atx.impostaMembro(118, 0);
    QVERIFY(h.appunti.corrente.rtf.isEmpty());
    atx.impostaMembro(118, 2);
    const ClipboardContents& cc = h.appunti.corrente;
    QCOMPARE(dumpTesto(QString::fromLatin1(cc.rtf)),
             QStringLiteral("P[ql] {Arial 10}\"Kość \" {Arial 10 b}\"udowa\" {Arial 10}\" jest "
                            "długa.\"\nP[ql] {Arial 10}\"Druga linia.\" <img 2x2>\n"));
    QCOMPARE(cc.text, QStringLiteral("Kość udowa jest długa.\nDruga linia."));
    QVERIFY(cc.html.contains(QStringLiteral("font-weight")));
    QVERIFY(cc.html.contains(QStringLiteral("src=\"data:image/png;base64,")));
    QVERIFY(!cc.html.contains(QStringLiteral("mem:x")));
}

// Members 44 and 45: the caption's selection written to, or after, the copy file.
void TestRichTextControls::kfSelezioneInUnFile() {
    prova::HostDiProva h;
    RichTextBox testo;
    testo.setText(QStringLiteral("\r\nKredyt\r\nOpis kości"));
    testo.SaveFile(QStringLiteral("C:\\VELTO\\KOPIA.rtf"));

    KorAtx atx;
    atx.setFText(QStringLiteral("{\\rtf1 {\\i Podpis}\\par}"));
    atx.impostaMembro(90, 0);
    atx.impostaMembro(89, atx.membro(144));
    atx.impostaMembro(44, QStringLiteral("C:\\VELTO\\KOPIA.rtf"));
    atx.impostaMembro(45, KorAtx::kAggiungiAlFile);
    RichTextBox letto;
    letto.LoadFile(QStringLiteral("C:\\VELTO\\KOPIA.rtf"));
    QCOMPARE(letto.Text(), QStringLiteral("\r\nKredyt\r\nOpis kości\r\nPodpis"));
    QVERIFY(descriviDocumento(*letto.document()).contains(QStringLiteral(" i}\"Podpis\"")));

    atx.impostaMembro(45, KorAtx::kScriviFile);
    letto.LoadFile(QStringLiteral("C:\\VELTO\\KOPIA.rtf"));
    QCOMPARE(letto.Text(), QStringLiteral("Podpis"));

    atx.impostaMembro(44, QStringLiteral("C:\\VELTO\\NOWY.rtf"));
    atx.impostaMembro(45, KorAtx::kAggiungiAlFile); // no file yet: the selection alone
    QVERIFY(h.esiste(QStringLiteral("C:\\VELTO\\NOWY.rtf")));
    atx.impostaMembro(44, QStringLiteral("C:\\BRAK\\X.rtf"));
    QCOMPARE(erroreDi([&] { atx.impostaMembro(45, 1); }), Errore::AccessoPercorso);
    // A FIFO is refused at once and stays a FIFO, for writing and for appending alike.
    const QString fifo = QStringLiteral("C:\\VELTO\\KOLEJKA.rtf");
    QVERIFY(prova::creaFifo(h.percorsoHost(fifo)));
    atx.impostaMembro(44, fifo);
    for (int comando : {KorAtx::kScriviFile, KorAtx::kAggiungiAlFile}) {
        prova::EntroUnSecondo scadenza;
        QCOMPARE(erroreDi([&] { atx.impostaMembro(45, comando); }), Errore::AccessoPercorso);
    }
    QVERIFY(QFileInfo::exists(h.percorsoHost(fifo)) && !QFileInfo(h.percorsoHost(fifo)).isFile());

    // Appended to a file that is not RTF, the file's own text stays in front.
    h.scriviFile(QStringLiteral("C:\\VELTO\\NOTATKI.txt"), "Moje notatki \xb3okcia\r\n");
    atx.impostaMembro(44, QStringLiteral("C:\\VELTO\\NOTATKI.txt"));
    atx.impostaMembro(45, KorAtx::kAggiungiAlFile);
    letto.LoadFile(QStringLiteral("C:\\VELTO\\NOTATKI.txt"));
    QCOMPARE(letto.Text(), QStringLiteral("Moje notatki łokcia\r\nPodpis\r\n"));
}

// A word wider than the panel is cut with "…" in its own type, before the panel lays it out: laid
// out whole, a one-megabyte word kept the screen busy for minutes. The rest of the text stays;
// so does everything in a work area, whose text goes to a file.
void TestRichTextControls::testoTroppoLungoTagliatoSulPannello() {
    prova::HostDiProva h;
    h.scriviFile(QStringLiteral("C:\\TEMP\\T.RTF"),
                 "{\\rtf1\\ansi Czaszka {\\b " + QByteArray(1'000'000, 'x') + "} koniec.\\par}");
    RichTextBox pannello;
    pannello.setTestoLimitato(true);
    pannello.setLocked(true);
    pannello.setGeometry(0, 0, 211, 153);
    pannello.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pannello));
    pannello.LoadFile(QStringLiteral("C:\\TEMP\\T.RTF"));
    const QString atteso = QStringLiteral("Czaszka ") + QString(ParolaMassima, u'x') + u'…' +
                           QStringLiteral(" koniec.");
    QCOMPARE(pannello.toPlainText().trimmed(), atteso);
    QTextCursor puntini(pannello.document());
    puntini.setPosition(int(atteso.indexOf(u'…')) + 1);
    QCOMPARE(puntini.charFormat().fontWeight(), int(QFont::Bold));
    QVERIFY(pannello.GetLineFromChar(int(atteso.size())) > 5);
    QVERIFY(inchiostro(pannello) > 20);

    // Short words, but too many of them: the text ends with the cut.
    pannello.setTextRTF(QStringLiteral("{\\rtf1 ") + QStringLiteral("ab ").repeated(100'000) +
                        u'}');
    QCOMPARE(pannello.toPlainText().size(), TestoMassimo + 1);
    QVERIFY(pannello.toPlainText().endsWith(u'…'));

    RichTextBox lavoro;
    lavoro.setTextRTF(QStringLiteral("{\\rtf1 a ") + QString(300, u'y') + QStringLiteral(" b}"));
    QCOMPARE(lavoro.toPlainText().size(), 304);
}

QTEST_MAIN(TestRichTextControls)
#include "test_rich_text_controls.moc"
