#include "StampaAtx.h"

#include "AtxPrint.h"
#include "ErroreVB.h"
#include "Host.h"
#include "KorAtx.h"
#include "Mod_CopiaeStampa.h"

namespace hn {

namespace {

// The credit line is ours and may carry any letter; RTF framing declares ANSI, so everything
// outside ASCII goes as \uN with a plain fallback.
QString inRtf(const QString& testo) {
    QString out;
    for (const QChar c : testo) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}')
            out += QLatin1Char('\\') + c;
        else if (u < 0x80)
            out += c;
        else
            out += QStringLiteral("\\u%1?").arg(static_cast<std::int16_t>(u));
    }
    return out;
}

} // namespace

void AvviaStampante() {
    PrinterService& p = *host().printer;
    if (!p.installata())
        throw ErroreVB(Errore::Stampante);
    if (!p.painter())
        p.startDocument(QStringLiteral("HNemar"));
}

namespace Mod_CopiaeStampa {

QString RtfDiCredito() {
    return QStringLiteral("{\\rtf1\\ansi \\deff4\\deflang1033{\\fonttbl{\\f4\\froman\\fcharset0"
                          "\\fprq2 Times New Roman;}}\\f4 \\b \\i \\fs16 \\qc ") +
           inRtf(RigaDiCredito()) + QLatin1Char('}');
}

void StampaAtx(KorAtx& atx, std::int32_t left, std::int32_t top, bool intero) {
    ImpostaPuntatoreSchermo(Puntatore::Clessidra);
    AvviaStampante();
    const PrinterService& p = *host().printer;
    const std::int32_t h = atx.Handle();
    std::int32_t y = top;
    const auto altezza = static_cast<std::int32_t>(p.printableRectTwips().height()) - y;
    const std::int32_t x = left;
    // The band ends one inch short of the page's width.
    const auto larghezza = static_cast<std::int32_t>(p.pageSizeTwips().width()) - x - 1440;
    if (intero) {
        std::int32_t pagine = 0;
        ATX_PRINT(atx, pagine, y, altezza, x, larghezza, 0, h, 0);
    } else {
        ATX_PRINT_REGION(atx, y, altezza, x, larghezza, 0, h, 0);
    }
    ImpostaPuntatoreSchermo(Puntatore::Predefinito);
}

double Minimo(double a, double b) {
    return a >= b ? b : a;
}

} // namespace Mod_CopiaeStampa

} // namespace hn
