#include "PdfDiProva.h"

#include <QProcess>
#include <QRegularExpression>

namespace hn::prova {

namespace {

QString esegui(const QString& programma, const QStringList& argomenti) {
    QProcess p;
    p.start(programma, argomenti);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qFatal("%s failed (poppler-utils is needed)", qPrintable(programma));
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QList<Parola> paroleNelPdf(const QString& pdf, int* pagine) {
    const QString html =
        esegui(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression parola(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)"
        "</word>"));
    QList<Parola> out;
    const QStringList perPagina = html.split(QStringLiteral("<page "));
    for (qsizetype i = 1; i < perPagina.size(); ++i)
        for (const auto& m : parola.globalMatch(perPagina[i]))
            out.append({static_cast<int>(i),
                        QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                               QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                        m.captured(5)});
    if (pagine)
        *pagine = static_cast<int>(perPagina.size() - 1);
    return out;
}

const Parola* trovaParola(const QList<Parola>& parole, const QString& testo) {
    for (const Parola& p : parole)
        if (p.testo == testo)
            return &p;
    return nullptr;
}

QString testoDelPdf(const QString& pdf) {
    return esegui(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
}

QImage primaPagina(const QString& pdf, const QString& radice) {
    esegui(QStringLiteral("pdftoppm"),
           {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-singlefile"),
            QStringLiteral("-png"), pdf, radice});
    return QImage(radice + QStringLiteral(".png"));
}

} // namespace hn::prova
