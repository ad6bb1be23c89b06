#include "AtxPrint.h"

#include "Host.h"
#include "KorAtx.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <optional>
#include <vector>

namespace hn {

namespace {

constexpr int kAltezzaTitolo = 480;

// The text is laid out as on screen, so that it breaks its lines on paper where it does there,
// then scaled to the printer. Layout units are the pixels Qt sizes fonts in: 15 twips at 96 dots
// per inch.
double twipsPerUnita() {
    const QScreen* schermo = QGuiApplication::primaryScreen();
    const double dpi = schermo ? schermo->logicalDotsPerInchY() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

struct Lavoro {
    PrinterService* stampante = nullptr;
    QString titolo;
    bool titoloDaStampare = false;
};

std::optional<Lavoro>& lavoro() {
    static std::optional<Lavoro> l;
    return l;
}

PrinterService* stampante() {
    if (lavoro() && lavoro()->stampante)
        return lavoro()->stampante;
    return &*host().printer;
}

// The painter of the open printer document, starting one if the caller has not.
QPainter* pittore(PrinterService* p) {
    if (!p->painter())
        p->startDocument(QStringLiteral("HNemar"));
    return p->painter();
}

void stampaTitolo(PrinterService* p) {
    if (!lavoro() || !lavoro()->titoloDaStampare)
        return;
    lavoro()->titoloDaStampare = false;
    QPainter* painter = pittore(p);
    const double u = p->unitsPerTwip();
    const QRectF area = p->printableRectTwips();
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSizeF(12);
    f.setBold(true);
    painter->save();
    painter->setFont(QFont(f, painter->device()));
    painter->setPen(Qt::black);
    painter->drawText(QRectF(0, 0, area.width() * u, kAltezzaTitolo * u),
                      Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, lavoro()->titolo);
    painter->restore();
}

struct Riga {
    double alto;
    double basso;
};

// Every laid-out line of the document, top to bottom, in layout units.
std::vector<Riga> righe(QTextDocument& d) {
    std::vector<Riga> r;
    QAbstractTextDocumentLayout* layout = d.documentLayout();
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        const QRectF rect = layout->blockBoundingRect(b);
        const QTextLayout* l = b.layout();
        for (int i = 0; i < l->lineCount(); ++i) {
            const QTextLine linea = l->lineAt(i);
            r.push_back({rect.top() + linea.y(), rect.top() + linea.y() + linea.height()});
        }
    }
    std::sort(r.begin(), r.end(), [](const Riga& a, const Riga& b) { return a.alto < b.alto; });
    return r;
}

// Where a page that starts at `inizio` ends: before the first line that does not fit whole.
double finePagina(const std::vector<Riga>& r, double inizio, double altezza, double fine) {
    const double limite = inizio + altezza;
    if (limite >= fine)
        return fine;
    for (const Riga& l : r)
        if (l.alto >= inizio && l.basso > limite)
            return l.alto > inizio ? l.alto : limite; // a line taller than the page is cut
    return limite;
}

// The paragraph of the root frame that the top of a band cuts through, if any.
QTextBlock paragrafoTagliato(QTextDocument& d, double da) {
    if (da <= 0)
        return {};
    QAbstractTextDocumentLayout* layout = d.documentLayout();
    for (auto it = d.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock b = it.currentBlock();
        if (!b.isValid())
            continue;
        const QRectF r = layout->blockBoundingRect(b);
        if (r.top() >= da)
            break;
        if (r.bottom() > da)
            return b;
    }
    return {};
}

// Draws the band [da, a) of the laid-out document at the rectangle's corner.
void disegna(PrinterService* p, QTextDocument& d, double da, double a, std::int32_t top,
             std::int32_t left) {
    QPainter* painter = pittore(p);
    const double scala = p->unitsPerTwip() * twipsPerUnita();
    painter->save();
    // Plates are line art with labels: a PDF keeps them lossless rather than as JPEG.
    painter->setRenderHint(QPainter::LosslessImageRendering);
    painter->translate(left * p->unitsPerTwip(), top * p->unitsPerTwip());
    painter->scale(scala, scala);
    painter->translate(0, -da);
    const QRectF clip(0, da, d.textWidth(), a - da);
    painter->setClipRect(clip);
    // Qt's layout draws each paragraph from the last line above the area it is given: clipped
    // away on paper, yet in the PDF's text, where searching finds it twice. A paragraph the
    // page top cuts through is drawn here line by line, the rest of the band from below it.
    const QTextBlock tagliato = paragrafoTagliato(d, da);
    double inizio = da;
    if (tagliato.isValid()) {
        const QRectF r = d.documentLayout()->blockBoundingRect(tagliato);
        const QTextLayout* l = tagliato.layout();
        painter->setPen(Qt::black);
        for (int i = 0; i < l->lineCount(); ++i) {
            const QTextLine linea = l->lineAt(i);
            const double alto = r.top() + linea.y();
            if (alto >= da - 0.5 && alto + linea.height() <= a + 0.5)
                linea.draw(painter, l->position());
        }
        inizio = r.bottom();
    }
    if (inizio < a) {
        QAbstractTextDocumentLayout::PaintContext ctx;
        // The layout draws every line the clip touches; kept just inside the band, it leaves out
        // the lines of the page after, which would otherwise sit, hidden, in the output.
        ctx.clip = QRectF(0, inizio, d.textWidth(), a - inizio).adjusted(0, 0.5, 0, -0.5);
        ctx.palette.setColor(QPalette::Text, Qt::black);
        d.documentLayout()->draw(painter, ctx);
    }
    painter->restore();
}

std::unique_ptr<QTextDocument> prepara(const KorAtx& atx, std::int32_t width) {
    std::unique_ptr<QTextDocument> d = atx.documentoDaStampare();
    d->setDocumentMargin(0);
    d->setTextWidth(std::max(width, 1) / twipsPerUnita());
    return d;
}

} // namespace

int ATX_PRINT_START(std::int32_t, PrinterService* dispositivo, int, int) {
    lavoro() = Lavoro{dispositivo ? dispositivo : &*host().printer, {}, false};
    return lavoro()->stampante->installata() ? 1 : 0;
}

int ATX_PRINT_TITLE(const QString& titolo) {
    if (!lavoro())
        return 0;
    lavoro()->titolo = titolo;
    lavoro()->titoloDaStampare = true;
    return 1;
}

int ATX_PRINT_REGION(KorAtx& atx, std::int32_t& top, std::int32_t height, std::int32_t left,
                     std::int32_t width, int, std::int32_t, int) {
    PrinterService* p = stampante();
    if (!p->installata() || height <= 0)
        return 0;
    stampaTitolo(p);
    const auto d = prepara(atx, width);
    const double fine = d->documentLayout()->documentSize().height();
    const double a = finePagina(righe(*d), 0, height / twipsPerUnita(), fine);
    disegna(p, *d, 0, a, top, left);
    top += static_cast<std::int32_t>(a * twipsPerUnita());
    return 1;
}

int ATX_PRINT(KorAtx& atx, std::int32_t& pagine, std::int32_t top, std::int32_t height,
              std::int32_t left, std::int32_t width, int, std::int32_t, int) {
    PrinterService* p = stampante();
    pagine = 0;
    if (!p->installata() || height <= 0)
        return 0;
    stampaTitolo(p);
    const auto d = prepara(atx, width);
    const double fine = d->documentLayout()->documentSize().height();
    const std::vector<Riga> r = righe(*d);
    double da = 0;
    do {
        if (pagine > 0)
            p->newPage();
        const double a = finePagina(r, da, height / twipsPerUnita(), fine);
        disegna(p, *d, da, a, top, left);
        ++pagine;
        da = a;
    } while (da < fine);
    return 1;
}

int ATX_PRINT_FINISH() {
    if (!lavoro())
        return 0;
    if (lavoro()->titoloDaStampare && stampante()->painter())
        stampaTitolo(stampante());
    lavoro().reset();
    return 1;
}

} // namespace hn
