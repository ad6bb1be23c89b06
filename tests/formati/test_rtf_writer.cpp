// The RTF writer on documents built without the reader: what it writes reads back the same,
// writing twice gives the same bytes, and the bytes are what WordPad and LibreOffice expect. The
// corpus files go through it in the reader's test.

#include "Riga.h"
#include "RtfDump.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

using namespace hn;
using hn::prova::riga;

namespace {

// A document with every kind of formatting the writer handles, built without the reader.
void costruisciCompleto(QTextDocument& d) {
    QTextCursor c(&d);
    QTextCharFormat base;
    base.setFontFamilies({QStringLiteral("Verdana")});
    base.setFontPointSize(10);
    QTextBlockFormat pb;
    pb.setAlignment(Qt::AlignJustify);
    pb.setLeftMargin(48);
    pb.setRightMargin(24);
    pb.setTextIndent(-12);
    pb.setTopMargin(8);
    pb.setBottomMargin(4);
    pb.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
    pb.setTabPositions({QTextOption::Tab(100, QTextOption::RightTab),
                        QTextOption::Tab(200, QTextOption::CenterTab)});
    c.setBlockFormat(pb);
    const auto run = [&](const QString& t, auto cambia) {
        QTextCharFormat f = base;
        cambia(f);
        c.insertText(t, f);
    };
    run(QStringLiteral("zwykły "), [](QTextCharFormat&) {});
    run(QStringLiteral("gruby "), [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    // Apart in Qt for a property RTF does not carry: one run in RTF.
    run(QStringLiteral("też "), [](QTextCharFormat& f) {
        f.setFontWeight(QFont::Bold);
        f.setFontKerning(false);
    });
    run(QStringLiteral("kursywa "), [](QTextCharFormat& f) { f.setFontItalic(true); });
    run(QStringLiteral("podkreślenie "), [](QTextCharFormat& f) { f.setFontUnderline(true); });
    run(QStringLiteral("przekreślenie "), [](QTextCharFormat& f) { f.setFontStrikeOut(true); });
    run(QStringLiteral("2"),
        [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    run(QStringLiteral("x"),
        [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
    run(QStringLiteral(" kolor"), [](QTextCharFormat& f) {
        f.setForeground(QColor(10, 20, 30));
        f.setBackground(QColor(255, 255, 0));
    });
    run(QStringLiteral(" Times 14"), [](QTextCharFormat& f) {
        f.setFontFamilies({QStringLiteral("Times New Roman")});
        f.setFontPointSize(14);
        f.setFontCapitalization(QFont::SmallCaps);
    });
    run(QStringLiteral(" strona"), [](QTextCharFormat& f) {
        f.setAnchor(true);
        f.setAnchorHref(QStringLiteral("http://example.pl/a\\b"));
    });
    run(QStringLiteral(" chroniony"),
        [](QTextCharFormat& f) { f.setProperty(QTextFormat::UserProperty, true); });
    run(QStringLiteral("\tTab\u2028nowa linia"), [](QTextCharFormat&) {});

    QTextBlockFormat prosto;
    prosto.setAlignment(Qt::AlignRight);
    prosto.setLineHeight(-1, QTextBlockFormat::SingleHeight);
    c.insertBlock(prosto, base);
    c.insertText(QStringLiteral("do prawej"), base);
    QTextBlockFormat fisso;
    fisso.setLineHeight(18, QTextBlockFormat::FixedHeight);
    fisso.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    c.insertBlock(fisso, base);
    c.insertText(QStringLiteral("nowa strona"), base);
    QTextBlockFormat minimo;
    minimo.setLineHeight(14, QTextBlockFormat::MinimumHeight);
    c.insertBlock(minimo, base);
    c.insertText(QStringLiteral("co najmniej"), base);

    for (const auto stile : {QTextListFormat::ListDisc, QTextListFormat::ListCircle,
                             QTextListFormat::ListSquare, QTextListFormat::ListDecimal,
                             QTextListFormat::ListLowerAlpha, QTextListFormat::ListUpperAlpha,
                             QTextListFormat::ListLowerRoman, QTextListFormat::ListUpperRoman}) {
        c.insertBlock(QTextBlockFormat(), base);
        QTextListFormat lf;
        lf.setStyle(stile);
        lf.setIndent(stile == QTextListFormat::ListCircle ? 2 : 1);
        QTextList* l = c.createList(lf);
        c.insertText(QStringLiteral("pierwszy"), base);
        c.insertBlock(QTextBlockFormat(), base);
        l->add(c.block());
        c.insertText(QStringLiteral("drugi"), base);
        c.insertBlock(QTextBlockFormat(), base);
        c.insertText(QStringLiteral("przerwa"), base);
    }

    // A numbered item in right-to-left text: its marker is still "1." in logical order.
    QTextBlockFormat odPrawej;
    odPrawej.setLayoutDirection(Qt::RightToLeft);
    c.insertBlock(odPrawej, base);
    QTextListFormat numeri;
    numeri.setStyle(QTextListFormat::ListDecimal);
    c.createList(numeri);
    c.insertText(QStringLiteral("od prawej"), base);

    c.insertBlock(QTextBlockFormat(), base);
    c.insertText(QStringLiteral("przed tabelą"), base);
    QTextTableFormat tf;
    tf.setBorder(1);
    tf.setColumnWidthConstraints(
        {QTextLength(QTextLength::FixedLength, 100), QTextLength(QTextLength::FixedLength, 60)});
    QTextTable* t = c.insertTable(2, 2, tf);
    // A bullet list in a cell; an empty cell with a look of its own.
    QTextCursor ca = t->cellAt(0, 0).firstCursorPosition();
    QTextListFormat punti;
    punti.setStyle(QTextListFormat::ListDisc);
    ca.createList(punti);
    ca.insertText(QStringLiteral("a"), base);
    ca.insertBlock(ca.blockFormat(), base);
    ca.insertText(QStringLiteral("a2"), base);
    QTextCharFormat vuota = base;
    vuota.setFontWeight(QFont::Bold);
    vuota.setFontPointSize(14);
    t->cellAt(1, 0).firstCursorPosition().setBlockCharFormat(vuota);
    t->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("b"), base);
    QTextCursor cc = t->cellAt(1, 1).firstCursorPosition();
    cc.insertText(QStringLiteral("c1"), base);
    cc.insertBlock(QTextBlockFormat(), base);
    cc.insertText(QStringLiteral("c2"), base);
    c = t->lastCursorPosition();
    c.movePosition(QTextCursor::NextBlock);
    c.insertText(QStringLiteral("po tabeli"), base);
    c.insertBlock(QTextBlockFormat(), base); // an empty last paragraph
}

} // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formattazioneCompleta();
    void codificaDelTesto_data();
    void codificaDelTesto();
    void perAltriLettori_data();
    void perAltriLettori();
    void immagine();
    void selezione();
};

void TestRtfWriter::formattazioneCompleta() {
    QTextDocument d;
    costruisciCompleto(d);
    const QByteArray scritto = scriviRtf(d);
    QTextDocument riletto;
    leggiRtf(scritto, riletto);
    QCOMPARE(descriviDocumento(riletto), descriviDocumento(d));
    QCOMPARE(scriviRtf(riletto), scritto);
    // An empty paragraph's look is in no run, so not in the dump.
    const auto* tabella = qobject_cast<QTextTable*>(riletto.rootFrame()->childFrames().value(0));
    QVERIFY(tabella);
    const QTextCharFormat cellaVuota =
        tabella->cellAt(1, 0).firstCursorPosition().blockCharFormat();
    QCOMPARE(cellaVuota.fontPointSize(), 14.0);
    QCOMPARE(cellaVuota.fontWeight(), int(QFont::Bold));
    QVERIFY(scritto.contains("\\rtlpar\\ql\\fi-360\\li720 \\ls9\\ilvl0 {\\pntext 1.\\tab}od"));
    // Characters before \intbl: pandoc ends a table paragraph at a later \plain.
    QVERIFY(scritto.contains("\\pard\\plain\\f0\\fs20 \\intbl\\ql\\fi-360\\li720 \\ls10\\ilvl0 "
                             "{\\pntext\\f2 \\'b7\\tab}a2\\cell"));
    QVERIFY(scritto.contains("{\\b gruby te\\'bf }"));
    QVERIFY(scritto.startsWith("{\\rtf1\\ansi\\ansicpg1250\\deff0\\uc1"));
    QVERIFY(scritto.contains("{\\fonttbl{\\f0\\fnil\\fcharset238 Verdana;}{\\f1\\fnil\\fcharset238 "
                             "Times New Roman;}"));
    QVERIFY(scritto.contains("{\\colortbl ;\\red10\\green20\\blue30;\\red255\\green255\\blue0;}"));
    QVERIFY(scritto.trimmed().endsWith('}'));
    // The dump itself must show what was built, or the comparison above proves little.
    const QString dump = descriviDocumento(d);
    const QStringList attesi =
        QStringLiteral("qj li=720 ri=360 fi=-180 sb=120 sa=60 lh=1/150 tab=1500r tab=3000c|"
                       "Verdana 10 b|Verdana 10 i|Verdana 10 u|Verdana 10 s|Verdana 10 sup|"
                       "Verdana 10 sub|fg=#0a141e bg=#ffff00|Times New Roman 14 scaps|protect|"
                       "link=http://example.pl/a\\b|\\tTab\\nnowa|qr|lh=2/18 page|lh=3/14|"
                       "list=disc/1#2|list=circle/2#1|list=square/1|list=decimal/1#2|"
                       "list=alpha/1|list=ALPHA/1|list=roman/1|list=ROMAN/1|"
                       "rtl list=decimal/1#1] {Verdana 10}\"od prawej|"
                       "list=disc/1#2 cell=0,0] {Verdana 10}\"a2|cell=1,1] {Verdana 10}\"c2\"")
            .split(u'|');
    for (const QString& atteso : attesi)
        QVERIFY2(dump.contains(atteso), qPrintable(atteso));
}

void TestRtfWriter::codificaDelTesto_data() {
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QByteArray>("atteso");
    riga("Windows-1250 letters as \\'xx", QStringLiteral("Kość Żółw"),
         QByteArray("Ko\\'9c\\'e6 \\'af\\'f3\\'b3w"));
    riga("others as signed \\u with a question mark", QStringLiteral("ребро €"),
         QByteArray("\\u1088?\\u1077?\\u1073?\\u1088?\\u1086? \\'80"));
    riga("beyond the BMP as two \\u", QStringLiteral("\U0001F603"),
         QByteArray("\\u-10179?\\u-8701?"));
    riga("escaped braces and backslash", QStringLiteral("{a}\\b"), QByteArray("\\{a\\}\\\\b"));
    riga("tab, line break, no-break space, soft and hard hyphen",
         QStringLiteral("a\tb\u2028c\u00A0d\u00ADe\u2011f"),
         QByteArray("a\\tab b\\line c\\~d\\-e\\_f"));
}

void TestRtfWriter::codificaDelTesto() {
    QFETCH(QString, testo);
    QFETCH(QByteArray, atteso);
    QTextDocument d;
    QTextCursor(&d).insertText(testo);
    const QByteArray scritto = scriviRtf(d);
    QVERIFY2(scritto.contains(atteso), scritto.constData());
    // Every byte is 7-bit: the code page is in the escapes, not in the file's encoding.
    QVERIFY(std::all_of(scritto.begin(), scritto.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    QTextDocument riletto;
    leggiRtf(scritto, riletto);
    QCOMPARE(riletto.toPlainText(), QTextDocument(testo).toPlainText());
}

// What other word processors need to read our RTF as they read its source. Each source is read,
// written, and the writing checked for the forms those readers keep, then read back.
void TestRtfWriter::perAltriLettori_data() {
    QTest::addColumn<QByteArray>("sorgente");
    QTest::addColumn<QByteArrayList>("attesi");
    QTest::addColumn<QByteArrayList>("vietati");
    QTest::addColumn<int>("liste"); // list definitions written
    const QByteArray testa = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0 Arial;}"
                             "{\\f1\\fcharset2 Symbol;}}\\pard\\plain\\f0\\fs20 ";
    riga("superscript then text: one group per marked run",
         testa + "40 cm\\super 3\\nosupersub  krwi, {\\b Krew} i O\\sub 2\\nosupersub .\\par}",
         QByteArrayList{"40 cm{\\super 3} krwi, {\\b Krew} i O{\\sub 2}.\\par"},
         QByteArrayList{"\\nosupersub"}, 0);
    riga("the paragraph takes the format of most of its text",
         testa + "{\\b Krew} stanowi oko\\'b3o 7%\\par}",
         QByteArrayList{"\\pard\\plain\\f0\\fs20 \\ql {\\b Krew} stanowi"}, QByteArrayList{}, 0);
    riga("runs that are written alike count together for the paragraph's format",
         QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\froman Times;}{\\f2 Times;}}"
                    "\\f1 ab\\f2 cd\\f0 xyz\\par}"),
         QByteArrayList{"\\pard\\plain\\f0\\fs24 \\ql abcd{\\f1 xyz}\\par"}, QByteArrayList{}, 0);
    riga("raised and lowered text keep their offsets and size",
         testa + "E = mc{\\up6 2}, x{\\dn4 i}, y{\\up 3}\\par}",
         QByteArrayList{"mc{\\up6 2}, x{\\dn4 i}, y{\\up6 3}"},
         QByteArrayList{"\\super", "\\sub", "{\\fs"}, 0);
    riga("two numbered lists in a row keep two counters",
         testa + "{\\listtext 1.\\tab}\\ls1 jeden\\par{\\listtext 2.\\tab}dwa\\par"
                 "\\pard{\\listtext 1.\\tab}\\ls2 trzy\\par{\\listtext 2.\\tab}cztery\\par}",
         QByteArrayList{"\\ls1\\ilvl0 {\\pntext 2.\\tab}dwa\\par",
                        "\\ls2\\ilvl0 {\\pntext 1.\\tab}trzy\\par",
                        "{\\listoverride\\listid2\\listoverridecount0\\ls2}"},
         QByteArrayList{"{\\*\\pn"}, 2);
    riga("levels of one list: one definition, own suffix, deeper counters restart",
         testa + "{\\listtext 1.\\tab}\\ls1\\ilvl0 osocze\\par{\\listtext a)\\tab}\\ilvl1 woda"
                 "\\par{\\listtext 2.\\tab}\\ilvl0 krwinki\\par{\\listtext a)\\tab}\\ilvl1 "
                 "czerwone\\par{\\listtext b)\\tab}bia\\'b3e\\par}",
         QByteArrayList{"\\ls1\\ilvl1 {\\pntext a)\\tab}czerwone\\par",
                        "\\ls1\\ilvl1 {\\pntext b)\\tab}bia\\'b3e\\par",
                        "{\\listlevel\\levelnfc4\\leveljc0\\levelfollow0\\levelstartat1"
                        "{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}\\fi-360\\li1440}",
                        "\\fi-360\\li1440 \\ls1\\ilvl1 "},
         QByteArrayList{"{\\*\\pn", "\\ls2"}, 1);
    riga("WordPad's bullets become a defined list, the Symbol bullet kept",
         testa + "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
                 "\\fi-200\\li200 g\\'b3owa\\par{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1"
                 "\\pnindent0{\\pntxtb\\'b7}}szyjka\\par}",
         QByteArrayList{"{\\leveltext\\'01\\'b7;}{\\levelnumbers;}\\f1\\fi-360\\li720}",
                        "\\ls1\\ilvl0 {\\pntext\\f1 \\'b7\\tab}szyjka\\par"},
         QByteArrayList{"{\\*\\pn"}, 1);
    // LibreOffice took the unused first level for a numbered list around the bullet.
    riga("WordPad's bullet at a deep indent: a list that starts at that indent",
         testa + "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
                 "\\fi-720\\li1440 wi\\'eazad\\'b3o\\par}",
         QByteArrayList{
             "{\\list\\listtemplateid1{\\listlevel\\levelnfc23\\leveljc0\\levelfollow0"
             "\\levelstartat1{\\leveltext\\'01\\'b7;}{\\levelnumbers;}\\f1\\fi-360\\li1440}",
             "\\li1440 \\ls1\\ilvl0 {\\pntext"},
         QByteArrayList{"\\ilvl1"}, 1);
    // Found by the round-trip fuzzer.
    riga("a list with a shallower item among its own keeps a list of its own",
         testa + "{\\listtext 1.\\tab}\\ls2\\ilvl1 x\\par{\\listtext 1.\\tab}\\ls1\\ilvl0 a\\par"
                 "{\\listtext 2.\\tab}\\ls2\\ilvl1 y\\par}",
         QByteArrayList{"\\ls2\\ilvl0 {\\pntext 1.\\tab}a", "\\ls1\\ilvl0 {\\pntext 2.\\tab}y"},
         QByteArrayList{}, 2);
    riga("cells beyond a row's definition end at the widest edge readers take",
         testa + "\\trowd\\cellx20000\\pard\\intbl a\\cell b\\cell c\\cell\\row}",
         QByteArrayList{"\\cellx20000\\cellx31680\\cellx31680\r\n"}, QByteArrayList{}, 0);
    riga("a page break between two paragraphs of a cell",
         testa + "\\trowd\\cellx1000\\pard\\intbl a\\page b\\cell\\row}",
         QByteArrayList{"a\\page\r\n"}, QByteArrayList{}, 0);
    riga("marks Qt takes for structure are no text; other controls are kept",
         testa + "a\\u0?b\\u13?c\\u8233?d\\u-4?e\\u1?f\\par}", QByteArrayList{"abcde\\'01f\\par"},
         QByteArrayList{}, 0);
    riga("a borderless table opening the text: no border, no paragraph before",
         QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\trowd\\trgaph70\\cellx1000"
                    "\\clbrdrb\\brdrnone\\cellx2000\\pard\\intbl\\f0 a\\cell b\\cell\\row"
                    "\\pard\\f0 po\\par}"),
         QByteArrayList{"\\viewkind4\r\n\\trowd\\trgaph70\\trleft0\\cellx1000\\cellx2000\r\n",
                        "{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}"},
         QByteArrayList{"\\clbrdr"}, 0);
    riga("a bordered table keeps its borders",
         QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0 przed\\par\\trowd"
                    "\\trbrdrt\\brdrs\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row}"),
         QByteArrayList{"przed\\par\r\n\\trowd\\trgaph30\\trleft0\\clbrdrt\\brdrs\\brdrw10"},
         QByteArrayList{}, 0);
    QTest::newRow("a link: the field's result is the runs' groups")
        << testa + "Zobacz {\\field{\\*\\fldinst{HYPERLINK \"http://x.pl/a\"}}{\\fldrslt{\\ul "
                   "stron\\'ea}}} i {\\field{\\*\\fldinst{HYPERLINK \"http://x.pl/b\"}}"
                   "{\\fldrslt tu}}.\\par}"
        << QByteArrayList{"Zobacz {\\field{\\*\\fldinst{HYPERLINK \"http://x.pl/a\"}}{\\fldrslt"
                          "{\\ul stron\\'ea}}} i {\\field{\\*\\fldinst{HYPERLINK \"http://x.pl/b\""
                          "}}{\\fldrslt tu}}.\\par"}
        << QByteArrayList{} << 0;
}

void TestRtfWriter::perAltriLettori() {
    QFETCH(QByteArray, sorgente);
    QFETCH(QByteArrayList, attesi);
    QFETCH(QByteArrayList, vietati);
    QFETCH(int, liste);
    QTextDocument d;
    leggiRtf(sorgente, d);
    const QByteArray scritto = scriviRtf(d);
    for (const QByteArray& a : attesi)
        QVERIFY2(scritto.contains(a), (a + "\n--- in ---\n" + scritto).constData());
    for (const QByteArray& v : vietati)
        QVERIFY2(!scritto.contains(v), (v + "\n--- in ---\n" + scritto).constData());
    QCOMPARE(scritto.count("{\\list\\listtemplateid"), liste);
    // A paragraph resets its characters once, at its start.
    for (const QByteArray& riga : scritto.split('\n'))
        QVERIFY2(riga.count("\\plain") <= 1, riga.constData());
    QTextDocument riletto;
    leggiRtf(scritto, riletto);
    QCOMPARE(descriviDocumento(riletto), descriviDocumento(d));
    QCOMPARE(scriviRtf(riletto), scritto);
}

void TestRtfWriter::immagine() {
    QImage img(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i) // every pixel different, so a swap or a lost row shows
        img.setPixel(i % 3, i / 3, qRgb(40 * i, 255 - 30 * i, 7 * i + 1));
    QTextDocument d;
    d.setDefaultFont(QFont(QStringLiteral("Arial"), 12));
    d.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("mem:a")), img);
    QTextCursor c(&d);
    c.insertText(QStringLiteral("obraz "));
    QTextImageFormat fi;
    fi.setName(QStringLiteral("mem:a"));
    fi.setWidth(30);
    fi.setHeight(20);
    c.insertImage(fi);
    const QByteArray s = scriviRtf(d);
    QVERIFY(s.contains("{\\pict\\pngblip\\picw3\\pich2\\picwgoal450\\pichgoal300"));

    QTextDocument riletto;
    leggiRtf(s, riletto);
    QCOMPARE(descriviDocumento(riletto),
             QStringLiteral("P[ql] {Arial 12}\"obraz \" <img 30x20>\n"));
    const QString nome = (++riletto.begin().begin()).fragment().charFormat().toImageFormat().name();
    const QImage letto = riletto.resource(QTextDocument::ImageResource, QUrl(nome)).value<QImage>();
    QCOMPARE(letto.convertToFormat(QImage::Format_RGB32), img);
    QCOMPARE(scriviRtf(riletto), s);
    // A scaled size is kept in whole twips, so that writing it back reads the same.
    QByteArray scalata = s;
    scalata.replace("\\picwgoal450", "\\picwgoal450\\picscalex67");
    QTextDocument letta, scritta;
    leggiRtf(scalata, letta);
    leggiRtf(scriviRtf(letta), scritta);
    QCOMPARE(descriviDocumento(scritta), descriviDocumento(letta));
}

void TestRtfWriter::selezione() {
    QTextDocument d;
    leggiRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 jeden {\\b dwa} trzy\\par cztery\\par}", d);
    QTextCursor c(&d);
    c.setPosition(6);
    c.setPosition(17, QTextCursor::KeepAnchor); // "dwa trzy\ncz"
    QTextDocument parte;
    leggiRtf(scriviRtf(c), parte);
    QCOMPARE(
        descriviDocumento(parte),
        QStringLiteral("P[ql] {Arial 12 b}\"dwa\" {Arial 12}\" trzy\"\nP[ql] {Arial 12}\"cz\"\n"));
    QCOMPARE(scriviRtf(QTextCursor(&d)), scriviRtf(QTextDocument()));
}

QTEST_MAIN(TestRtfWriter)
#include "test_rtf_writer.moc"
