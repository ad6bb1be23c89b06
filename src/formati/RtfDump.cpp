#include "RtfDump.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <cmath>

namespace hn {

namespace {

QString numero(double v) {
    return QString::number(std::lround(v * 15.0));
} // pixels → twips

QString stileLista(QTextListFormat::Style s) {
    switch (s) {
    case QTextListFormat::ListDisc:
        return QStringLiteral("disc");
    case QTextListFormat::ListCircle:
        return QStringLiteral("circle");
    case QTextListFormat::ListSquare:
        return QStringLiteral("square");
    case QTextListFormat::ListDecimal:
        return QStringLiteral("decimal");
    case QTextListFormat::ListLowerAlpha:
        return QStringLiteral("alpha");
    case QTextListFormat::ListUpperAlpha:
        return QStringLiteral("ALPHA");
    case QTextListFormat::ListLowerRoman:
        return QStringLiteral("roman");
    case QTextListFormat::ListUpperRoman:
        return QStringLiteral("ROMAN");
    default:
        return QStringLiteral("other");
    }
}

QString formato(const QTextCharFormat& f) {
    QStringList p;
    const QStringList famiglie = f.fontFamilies().toStringList();
    p << (famiglie.isEmpty() ? QStringLiteral("-") : famiglie.front());
    p << QString::number(f.fontPointSize());
    if (f.fontWeight() >= QFont::DemiBold)
        p << QStringLiteral("b");
    if (f.fontItalic())
        p << QStringLiteral("i");
    if (f.fontUnderline())
        p << QStringLiteral("u");
    if (f.fontStrikeOut())
        p << QStringLiteral("s");
    if (f.fontCapitalization() == QFont::AllUppercase)
        p << QStringLiteral("caps");
    if (f.fontCapitalization() == QFont::SmallCaps)
        p << QStringLiteral("scaps");
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        p << QStringLiteral("sup");
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        p << QStringLiteral("sub");
    if (f.baselineOffset() != 0)
        p << QStringLiteral("up=%1%").arg(f.baselineOffset());
    if (f.foreground().style() != Qt::NoBrush)
        p << QStringLiteral("fg=") + f.foreground().color().name();
    if (f.background().style() != Qt::NoBrush)
        p << QStringLiteral("bg=") + f.background().color().name();
    if (f.property(QTextFormat::UserProperty).toBool())
        p << QStringLiteral("protect");
    if (f.isAnchor())
        p << QStringLiteral("link=") + f.anchorHref();
    return p.join(QLatin1Char(' '));
}

QString testoVisibile(const QString& t) {
    QString o;
    for (QChar c : t) {
        if (c == QLatin1Char('\t'))
            o += QStringLiteral("\\t");
        else if (c == QChar::LineSeparator)
            o += QStringLiteral("\\n");
        else if (c.unicode() < 0x20 || c.unicode() == 0xA0 || c.unicode() == 0xAD)
            o += QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            o += c;
    }
    return o;
}

} // namespace

QString descriviDocumento(const QTextDocument& d) {
    QString o;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat bf = b.blockFormat();
        QStringList p;
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        p << (a & Qt::AlignHCenter   ? QStringLiteral("qc")
              : a & Qt::AlignRight   ? QStringLiteral("qr")
              : a & Qt::AlignJustify ? QStringLiteral("qj")
                                     : QStringLiteral("ql"));
        if (bf.leftMargin() != 0)
            p << QStringLiteral("li=") + numero(bf.leftMargin());
        if (bf.rightMargin() != 0)
            p << QStringLiteral("ri=") + numero(bf.rightMargin());
        if (bf.textIndent() != 0)
            p << QStringLiteral("fi=") + numero(bf.textIndent());
        if (bf.topMargin() != 0)
            p << QStringLiteral("sb=") + numero(bf.topMargin());
        if (bf.bottomMargin() != 0)
            p << QStringLiteral("sa=") + numero(bf.bottomMargin());
        if (bf.lineHeightType() != QTextBlockFormat::SingleHeight)
            p << QStringLiteral("lh=%1/%2").arg(bf.lineHeightType()).arg(bf.lineHeight());
        for (const QTextOption::Tab& t : bf.tabPositions())
            p << QStringLiteral("tab=%1%2")
                     .arg(numero(t.position))
                     .arg(t.type == QTextOption::RightTab       ? QStringLiteral("r")
                          : t.type == QTextOption::CenterTab    ? QStringLiteral("c")
                          : t.type == QTextOption::DelimiterTab ? QStringLiteral("d")
                                                                : QString());
        if (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            p << QStringLiteral("page");
        if (bf.layoutDirection() == Qt::RightToLeft)
            p << QStringLiteral("rtl");
        if (QTextList* l = b.textList()) {
            p << QStringLiteral("list=%1/%2#%3")
                     .arg(stileLista(l->format().style()))
                     .arg(l->format().indent())
                     .arg(l->itemNumber(b) + 1);
            // Only a marker that differs from Qt's "1." is shown.
            const QTextListFormat lf = l->format();
            if (!lf.numberPrefix().isEmpty() || (lf.hasProperty(QTextFormat::ListNumberSuffix) &&
                                                 lf.numberSuffix() != QLatin1String(".")))
                p << QStringLiteral("marker=%1N%2").arg(lf.numberPrefix(), lf.numberSuffix());
        }
        QTextCursor c(b);
        if (QTextTable* t = c.currentTable()) {
            const QTextTableCell cella = t->cellAt(c);
            p << QStringLiteral("cell=%1,%2").arg(cella.row()).arg(cella.column());
            if (t->format().border() <= 0)
                p << QStringLiteral("noborder");
        }
        o += QStringLiteral("P[") + p.join(QLatin1Char(' ')) + QStringLiteral("]");
        for (auto it = b.begin(); !it.atEnd();) {
            const QTextFragment fr = it.fragment();
            const QTextCharFormat f = fr.charFormat();
            ++it;
            if (f.isImageFormat()) {
                const QTextImageFormat fi = f.toImageFormat();
                o += QStringLiteral(" <img %1x%2>").arg(fi.width()).arg(fi.height());
                continue;
            }
            // Qt keeps text inserted at different times, or in formats that differ in nothing
            // shown, in separate fragments: one run.
            const QString descritto = formato(f);
            QString testo = fr.text();
            for (; !it.atEnd() && !it.fragment().charFormat().isImageFormat() &&
                   formato(it.fragment().charFormat()) == descritto;
                 ++it)
                testo += it.fragment().text();
            o += QStringLiteral(" {") + descritto + QStringLiteral("}\"") + testoVisibile(testo) +
                 QStringLiteral("\"");
        }
        o += QLatin1Char('\n');
    }
    return o;
}

} // namespace hn
