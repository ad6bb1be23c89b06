#include "KartaPracy.h"

#include "ErroreVB.h"
#include "Host.h"
#include "LavoroDiStampa.h"
#include "Mod_CopiaeStampa.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace hn {

namespace {

// Sizes in twips (20 to the point).
constexpr double Titolo = 18 * 20, Sottotitolo = 12 * 20, Corpo = 10 * 20, CorpoRisposte = 11 * 20;
constexpr double Credito = 8 * 20;
constexpr double RigaRisposta = CorpoRisposte * 1.6;
constexpr double TraColonne = 360;
constexpr double SpazioPiede = 400; // the credit line at the foot of each page

QFont carattere(double twips, double u, bool grassetto = false, bool corsivo = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(1, int(std::lround(twips * u))));
    f.setBold(grassetto);
    f.setItalic(corsivo);
    return f;
}

// A line of text at `y` (twips, its top); returns the y below it.
double riga(QPainter& p, double u, const QRectF& area, double y, const QString& testo,
            const QFont& f, Qt::Alignment allineamento = Qt::AlignLeft) {
    p.setFont(f);
    const double alto = QFontMetricsF(f).height() / u;
    const QRectF r(area.left() * u, y * u, area.width() * u, alto * u);
    p.drawText(r, int(allineamento | Qt::AlignTop | Qt::TextSingleLine),
               QFontMetricsF(f).elidedText(testo, Qt::ElideRight, r.width()));
    return y + alto;
}

double intestazione(QPainter& p, double u, const QRectF& area, const QString& titolo,
                    const QString& tavola) {
    double y = riga(p, u, area, area.top(), titolo, carattere(Titolo, u, true));
    y = riga(p, u, area, y, tavola, carattere(Sottotitolo, u));
    p.setPen(QPen(QColor(0x88, 0x88, 0x88), std::max(1.0, 10 * u)));
    p.drawLine(QPointF(area.left() * u, (y + 60) * u), QPointF(area.right() * u, (y + 60) * u));
    p.setPen(Qt::black);
    return y + 160;
}

void piede(QPainter& p, double u, const QRectF& area) {
    riga(p, u, area, area.bottom() - Credito * 1.4, Mod_CopiaeStampa::RigaDiCredito(),
         carattere(Credito, u, false, true), Qt::AlignHCenter);
}

struct Colonne {
    int righe = 1;   // answers to a column
    int colonne = 1; // columns to a page
};

Colonne colonneRisposte(const KartaPracy& k, const QSizeF& areaTw) {
    // The header and the foot take their share; what is left holds the rows.
    const double alto = areaTw.height() - (Titolo + Sottotitolo) * 1.3 - 160 - SpazioPiede;
    Colonne c;
    c.righe = std::max(1, int(alto / RigaRisposta));
    c.colonne = k.voci.size() > c.righe ? 2 : 1;
    return c;
}

void paginaTavola(QPainter& p, double u, const QRectF& area, const KartaPracy& k) {
    double y = intestazione(p, u, area, QStringLiteral("Karta pracy"), k.tytul);
    y = riga(p, u, area, y,
             QStringLiteral("Imię i nazwisko: ______________________    Klasa: ________    "
                            "Data: ____________"),
             carattere(Corpo, u));
    y = riga(p, u, area, y + 80,
             QStringLiteral("Wpisz w ponumerowane pola nazwy wskazanych struktur."),
             carattere(Corpo, u, false, true));
    y += 160;
    if (k.obraz.isNull() || k.obraz.width() <= 0 || k.obraz.height() <= 0)
        return piede(p, u, area);
    const QRectF spazio(area.left(), y, area.width(), area.bottom() - SpazioPiede - y);
    if (spazio.height() <= 0)
        return piede(p, u, area);
    // Twips per picture pixel: as large as the room allows, the picture's shape kept.
    const double s = std::min(spazio.width() / k.obraz.width(), spazio.height() / k.obraz.height());
    const QPointF origine(spazio.left() + (spazio.width() - k.obraz.width() * s) / 2, spazio.top());
    const auto suCarta = [&](const QRectF& px) {
        return QRectF((origine.x() + px.left() * s) * u, (origine.y() + px.top() * s) * u,
                      px.width() * s * u, px.height() * s * u);
    };
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::LosslessImageRendering);
    p.drawImage(suCarta(QRectF(0, 0, k.obraz.width(), k.obraz.height())),
                k.wydruk.isNull() ? k.obraz : k.wydruk);
    p.restore();

    // Each label under a blank: a pixel more all round, so no smoothed edge of a letter shows.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QList<QRectF> etichette;
    for (const KartaPracy::Voce& v : k.voci)
        etichette.append(v.area);
    const QList<QRectF> caselle = caselleKarta(etichette, k.obraz.size());
    for (qsizetype i = 0; i < caselle.size(); ++i) {
        const QRectF r = suCarta(caselle[i]);
        p.setPen(QPen(QColor(0x55, 0x55, 0x55), std::max(1.0, 8 * u)));
        p.setBrush(Qt::white);
        p.drawRect(r);
        // The number as large as the blank allows, up to the answers' size.
        const double corpo = std::min(r.height() * 0.72 / u, CorpoRisposte);
        QFont f = carattere(corpo, u, true);
        p.setFont(f);
        p.setPen(Qt::black);
        const QString numero = QString::number(i + 1);
        const double largo = QFontMetricsF(f).horizontalAdvance(numero);
        const QRectF casella(r.left() + 2 * s * u, r.top(), largo, r.height());
        p.drawText(casella, int(Qt::AlignLeft | Qt::AlignVCenter), numero);
        // The line to write on, after the number.
        const double base = r.bottom() - r.height() * 0.22;
        const double da = casella.right() + 3 * s * u;
        if (da < r.right() - 2 * s * u) {
            p.setPen(QPen(QColor(0x99, 0x99, 0x99), std::max(1.0, 6 * u), Qt::DotLine));
            p.drawLine(QPointF(da, base), QPointF(r.right() - 2 * s * u, base));
        }
    }
    p.restore();
    piede(p, u, area);
}

void paginaRisposte(QPainter& p, double u, const QRectF& area, const KartaPracy& k, int foglio) {
    const double y0 = intestazione(p, u, area, QStringLiteral("Karta pracy – odpowiedzi"), k.tytul);
    const Colonne c = colonneRisposte(k, area.size());
    const int perPagina = c.righe * c.colonne;
    const double largo = (area.width() - TraColonne * (c.colonne - 1)) / c.colonne;
    const QFont f = carattere(CorpoRisposte, u);
    p.setFont(f);
    for (int j = 0; j < perPagina; ++j) {
        const qsizetype i = qsizetype(foglio) * perPagina + j;
        if (i >= k.voci.size())
            break;
        const int colonna = j / c.righe, fila = j % c.righe;
        const QRectF r(area.left() + colonna * (largo + TraColonne), y0 + fila * RigaRisposta,
                       largo, RigaRisposta);
        const QString nome = k.voci[i].nome.simplified();
        riga(p, u, r, r.top(), QStringLiteral("%1. %2").arg(i + 1).arg(nome), f);
    }
    piede(p, u, area);
}

// The sheet less a quarter inch inside what the printer can print.
QRectF areaUtile(PrinterService& s) {
    QRectF a = s.printableRectTwips();
    if (a.isEmpty())
        a = QRectF(QPointF(0, 0), s.pageSizeTwips());
    return a.adjusted(360, 360, -360, -360);
}

QPainter& pittore() {
    QPainter* p = stampanteInstallata().painter();
    if (!p || !p->isActive() || !p->device())
        throw ErroreVB(Errore::Stampante);
    return *p;
}

void dipingi(const KartaPracy& k, const QRectF& area, int pagina) {
    QPainter& p = pittore();
    dipingiPaginaKarta(p, p.device()->logicalDpiX() / 1440.0, area, k, pagina);
}

} // namespace

QList<QRectF> caselleKarta(const QList<QRectF>& etichette, const QSizeF& immagine,
                           double larghezzaMinima) {
    QList<QRectF> out;
    for (const QRectF& e : etichette)
        out.append(e.adjusted(-1, -1, 1, 1));
    const auto sullaRiga = [](const QRectF& a, const QRectF& b) {
        return a.top() < b.bottom() + 2 && b.top() < a.bottom() + 2;
    };
    for (qsizetype i = 0; i < out.size(); ++i) {
        QRectF& r = out[i];
        const double manca = larghezzaMinima - r.width();
        if (manca <= 0)
            continue;
        // Outwards, where a plate's margin is: a label left of the middle grows to the left.
        if (r.center().x() < immagine.width() / 2) {
            double limite = 0;
            for (qsizetype j = 0; j < out.size(); ++j)
                if (j != i && sullaRiga(out[j], r) && out[j].right() <= r.left())
                    limite = std::max(limite, out[j].right() + 2);
            r.setLeft(std::min(r.left(), std::max(limite, r.left() - manca)));
        } else {
            double limite = immagine.width();
            for (qsizetype j = 0; j < out.size(); ++j)
                if (j != i && sullaRiga(out[j], r) && out[j].left() >= r.right())
                    limite = std::min(limite, out[j].left() - 2);
            r.setRight(std::max(r.right(), std::min(limite, r.right() + manca)));
        }
    }
    return out;
}

int pagineKarta(const KartaPracy& k, const QSizeF& areaTw) {
    const Colonne c = colonneRisposte(k, areaTw);
    const qsizetype perPagina = qsizetype(c.righe) * c.colonne;
    return 1 + int(std::max<qsizetype>(1, (k.voci.size() + perPagina - 1) / perPagina));
}

void dipingiPaginaKarta(QPainter& p, double u, const QRectF& areaTw, const KartaPracy& k,
                        int pagina) {
    if (u <= 0 || areaTw.isEmpty())
        return;
    p.save();
    p.setPen(Qt::black);
    if (pagina == 0)
        paginaTavola(p, u, areaTw, k);
    else
        paginaRisposte(p, u, areaTw, k, pagina - 1);
    p.restore();
}

bool StampaKartaPracy(const KartaPracy& k) {
    // Steps: 0 opens the document and measures its sheet, 1 paints the plate, then a new page and
    // its answers for each page after it, and last the end of the document.
    QRectF area;
    std::size_t pagine = 2;
    const bool completa = eseguiDocumentoDiStampa(
        [&] { return 2 * pagine + 1; }, [&] { return 2 * pagine; },
        [&](std::size_t i) {
            if (i == 0) {
                stampanteInstallata().startDocument(QStringLiteral("Karta pracy"));
                area = areaUtile(stampanteInstallata());
                pagine = std::size_t(pagineKarta(k, area.size()));
            } else if (i == 2 * pagine) {
                stampanteInstallata().endDocument();
            } else if (i % 2 == 0) {
                stampanteInstallata().newPage();
            } else {
                dipingi(k, area, int((i - 1) / 2));
            }
        });
    chiudiDocumentoAperto();
    host().printer->fineLavoro();
    return completa;
}

} // namespace hn
