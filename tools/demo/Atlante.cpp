#include "Atlante.h"

#include "Copertura.h"
#include "DesAppa.h"
#include "PngSenzaFiltri.h"
#include "TabellaRecord.h"

#include "BlobStore.h"
#include "ErroreVB.h"
#include "FileMessaggi.h"
#include "Rendizioni.h"
#include "RtfWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QMap>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace hn::demo {

namespace {

constexpr int LarghezzaCampo = 8;
constexpr double DimensioneMinima = 16.0;
constexpr double MargineEtichetta = 3.0;
// Shapes become cells of this many pixels a side; a cell counts for a structure showing on an
// eighth of it. A shape whose box is smaller than AreaPiccola pixels keeps its box.
constexpr int Cella = 8;
constexpr int SogliaAlfa = 24;
constexpr double AreaPiccola = 24.0 * 24.0;

// A hotspot record on its way into the table.
struct Record {
    int livello = 0; // 0 the header, 1 a shape, 2 a label
    QRect area;
    QString codice;
    QByteArray byte;
};

struct Riga {
    int numero = 0;
    QStringList campi;
};

bool leggiTsv(const QString& file, int colonne, QList<Riga>& righe, QString& problema) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        problema = file + QStringLiteral(": cannot read");
        return false;
    }
    int numero = 0;
    while (!f.atEnd()) {
        ++numero;
        const QString linea = QString::fromUtf8(f.readLine()).remove(u'\r').remove(u'\n');
        if (linea.trimmed().isEmpty() || linea.startsWith(u'#'))
            continue;
        QStringList campi = linea.split(u'\t');
        if (campi.size() > colonne) {
            problema =
                QStringLiteral("%1:%2: more than %3 columns").arg(file).arg(numero).arg(colonne);
            return false;
        }
        while (campi.size() < colonne)
            campi.append(QString());
        for (QString& c : campi)
            c = c.trimmed();
        righe.append({numero, campi});
    }
    return true;
}

bool scrivi(const QString& file, const QByteArray& dati) {
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(dati) == dati.size();
}

// "== CODE" opens an entry; the lines up to the next one are its Markdown text.
bool leggiTesti(const QString& file, QMap<QString, QString>& testi, QString& problema) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        problema = file + QStringLiteral(": cannot read");
        return false;
    }
    QString codice;
    int numero = 0;
    while (!f.atEnd()) {
        ++numero;
        const QString linea = QString::fromUtf8(f.readLine()).remove(u'\r').remove(u'\n');
        if (linea.startsWith(QStringLiteral("== "))) {
            codice = linea.mid(3).trimmed();
            if (codice.isEmpty() || codice.size() > LarghezzaCampo || testi.contains(codice)) {
                problema =
                    QStringLiteral("%1:%2: empty, long or repeated code").arg(file).arg(numero);
                return false;
            }
            testi.insert(codice, QString());
        } else if (!codice.isEmpty()) {
            testi[codice] += linea + u'\n';
        } else if (!linea.trimmed().isEmpty() && !linea.startsWith(u'#')) {
            problema =
                QStringLiteral("%1:%2: text before the first \"== CODE\"").arg(file).arg(numero);
            return false;
        }
    }
    return true;
}

QByteArray rtfDaMarkdown(const QString& markdown) {
    QTextDocument doc;
    // Arial is what the panels of the original installations used; Liberation Sans stands in.
    doc.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    doc.setMarkdown(markdown.trimmed(), QTextDocument::MarkdownDialectCommonMark);
    return scriviRtf(doc);
}

// The root element's viewBox, when it has one, must be four numbers with a width and a height:
// the hotspots are measured through it.
bool vistaValida(const QString& file, QString& problema) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        problema = file + QStringLiteral(": cannot read");
        return false;
    }
    QXmlStreamReader xml(&f);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.attributes().hasAttribute(QStringLiteral("viewBox")))
        return true;
    const QStringList parti =
        xml.attributes()
            .value(QStringLiteral("viewBox"))
            .toString()
            .split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    bool valida = parti.size() == 4;
    for (qsizetype i = 0; valida && i < parti.size(); ++i) {
        bool ok = false;
        const double v = parti[i].toDouble(&ok);
        valida = ok && std::isfinite(v) && (i < 2 || v > 0);
    }
    if (!valida)
        problema = file + QStringLiteral(": the viewBox needs a position and a size above zero");
    return valida;
}

bool pngDaSvg(const QString& file, QSvgRenderer& svg, QByteArray& png, QString& problema) {
    if (!vistaValida(file, problema))
        return false;
    if (!svg.load(file)) {
        problema = file + QStringLiteral(": not a readable SVG");
        return false;
    }
    // The table holds edges in three digits, and a hotspot spans X2 - X1 + 2 pixels.
    const QSize dim = svg.defaultSize();
    if (dim.width() < 2 || dim.height() < 2 || dim.width() > 1001 || dim.height() > 1001 ||
        svg.viewBoxF().isEmpty()) {
        problema = file + QStringLiteral(": the picture must measure 2 to 1001 pixels each way");
        return false;
    }
    QImage immagine(svg.defaultSize(), QImage::Format_RGB32);
    immagine.fill(Qt::white);
    QPainter p(&immagine);
    svg.render(&p);
    p.end();
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    if (!immagine.save(&b, "PNG")) {
        problema = file + QStringLiteral(": cannot rasterise");
        return false;
    }
    return true;
}

} // namespace

QImage conTavolozza(const QImage& immagine, double* psnr) {
    const QImage rgb = immagine.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, qint64> conteggi;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* riga = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++conteggi[riga[x] | 0xFF000000u];
    }
    QList<std::pair<qint64, QRgb>> perUso;
    for (auto it = conteggi.cbegin(); it != conteggi.cend(); ++it)
        perUso.append({it.value(), it.key()});
    // Most used first; equal counts by colour, so the same drawing gives the same bytes.
    std::sort(perUso.begin(), perUso.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    QList<QRgb> tavolozza;
    for (qsizetype i = 0; i < perUso.size() && i < 256; ++i)
        tavolozza.append(perUso[i].second);
    const auto distanza = [](QRgb a, QRgb b) {
        const int r = qRed(a) - qRed(b), g = qGreen(a) - qGreen(b), bl = qBlue(a) - qBlue(b);
        return qint64(r) * r + qint64(g) * g + qint64(bl) * bl;
    };
    // Each colour to its nearest in the palette, found once per colour.
    QHash<QRgb, uchar> indice;
    for (const auto& [uso, colore] : perUso) {
        int migliore = 0;
        for (int k = 1; k < tavolozza.size(); ++k)
            if (distanza(colore, tavolozza[k]) < distanza(colore, tavolozza[migliore]))
                migliore = k;
        indice.insert(colore, uchar(migliore));
    }
    QImage uscita(rgb.size(), QImage::Format_Indexed8);
    uscita.setColorTable(tavolozza);
    double errore = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* riga = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* destinazione = uscita.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = riga[x] | 0xFF000000u;
            destinazione[x] = indice.value(c);
            errore += double(distanza(c, tavolozza[destinazione[x]]));
        }
    }
    if (psnr) {
        const double mse = errore / (3.0 * std::max<qint64>(1, qint64(rgb.width()) * rgb.height()));
        *psnr = mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 999.0;
    }
    return uscita;
}

QByteArray rendizioneDaSvg(QSvgRenderer& svg, int fattore) {
    const QSize dim = svg.defaultSize() * fattore;
    QImage immagine(dim, QImage::Format_RGB32);
    immagine.fill(Qt::white);
    QPainter p(&immagine);
    svg.render(&p, QRectF(QPointF(0, 0), QSizeF(dim)));
    p.end();
    // Flat art with smoothed edges: its 256 most used colours cover nearly every pixel, and a
    // palette makes the file less than half as large. Kept in full colour when it would show.
    double psnr = 0;
    const QImage ridotta = conTavolozza(immagine, &psnr);
    return pngSenzaFiltri(psnr >= PsnrTavolozza ? ridotta : immagine);
}

namespace {

bool costruisciDescrizioni(const QString& sorgente, const QString& dati, QString& problema) {
    QList<Riga> righe;
    const QString file = sorgente + QStringLiteral("/sistemi.tsv");
    if (!leggiTsv(file, 2, righe, problema))
        return false;
    QList<atlante::RigaDesAppa> sistemi;
    for (const Riga& r : righe) {
        if (r.campi[0].isEmpty() || r.campi[0].size() > 10 || r.campi[1].isEmpty()) {
            problema =
                QStringLiteral("%1:%2: expected a code of up to 10 characters and a description")
                    .arg(file)
                    .arg(r.numero);
            return false;
        }
        sistemi.append({r.campi[0], r.campi[1]});
    }
    if (!scrivi(dati + QStringLiteral("/DesAppa.bin"), atlante::scriviDesAppa(sistemi))) {
        problema = dati + QStringLiteral("/DesAppa.bin: cannot write");
        return false;
    }
    return true;
}

// One row of the hotspot table's source: a structure of a plate and the elements that draw it.
struct Struttura {
    QString codice, collegamento, testo, dove;
    QStringList forme, etichette;
    bool intestazione() const { return codice == QStringLiteral("000000"); }
};

struct Tavola {
    QString chiave, nome; // the key as the table holds it and as the picture is named
    QList<Struttura> strutture;
};

// Ids of the drawing's elements in document order, which is the order they are painted in.
QHash<QString, int> ordineDiDisegno(const QString& file) {
    QHash<QString, int> ordine;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return ordine;
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            const QString id = xml.attributes().value(QStringLiteral("id")).toString();
            if (!id.isEmpty() && !ordine.contains(id))
                ordine.insert(id, static_cast<int>(ordine.size()));
        }
    }
    return ordine;
}

// Rectangles covering the cells marked in a grid of w x h cells, row by row: runs of a row, then
// runs of equal extent in the rows below merged into one rectangle.
QList<QRect> rettangoliDelleCelle(std::vector<char> celle, int w, int h) {
    QList<QRect> out;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w;) {
            if (!celle[static_cast<size_t>(y * w + x)]) {
                ++x;
                continue;
            }
            int fine = x;
            while (fine < w && celle[static_cast<size_t>(y * w + fine)])
                ++fine;
            int sotto = y + 1;
            for (; sotto < h; ++sotto) {
                bool uguale = (x == 0 || !celle[static_cast<size_t>(sotto * w + x - 1)]) &&
                              (fine == w || !celle[static_cast<size_t>(sotto * w + fine)]);
                for (int k = x; uguale && k < fine; ++k)
                    uguale = celle[static_cast<size_t>(sotto * w + k)];
                if (!uguale)
                    break;
            }
            for (int yy = y; yy < sotto; ++yy)
                for (int k = x; k < fine; ++k)
                    celle[static_cast<size_t>(yy * w + k)] = 0;
            out.append(QRect(x, y, fine - x, sotto - y));
            x = fine;
        }
    }
    return out;
}

QByteArray byteDelRecord(const QString& chiave, const Struttura& st, const Rettangolo& r) {
    return atlante::codificaRecord({chiave, st.codice, st.collegamento.toUpper(), float(r.x1),
                                    float(r.y1), float(r.x2), float(r.y2),
                                    st.intestazione() ? st.testo : QString()});
}

QRectF almenoMinimo(const QRectF& elemento) {
    // A tiny structure still gets a target a finger-tip of mouse can hit.
    QRectF box = elemento;
    if (box.width() < DimensioneMinima)
        box.adjust(-(DimensioneMinima - box.width()) / 2, 0, (DimensioneMinima - box.width()) / 2,
                   0);
    if (box.height() < DimensioneMinima)
        box.adjust(0, -(DimensioneMinima - box.height()) / 2, 0,
                   (DimensioneMinima - box.height()) / 2);
    return box;
}

Rettangolo rettangoloDiPixel(const QRectF& box, QSize immagine) {
    // The hotspot spans X2 - X1 + 2 pixels: the right edge is two short of the box's end.
    Rettangolo r;
    r.x1 = std::clamp(static_cast<int>(std::floor(box.left())), 0, immagine.width() - 2);
    r.y1 = std::clamp(static_cast<int>(std::floor(box.top())), 0, immagine.height() - 2);
    r.x2 = std::clamp(static_cast<int>(std::ceil(box.right())) - 2, r.x1, immagine.width() - 2);
    r.y2 = std::clamp(static_cast<int>(std::ceil(box.bottom())) - 2, r.y1, immagine.height() - 2);
    return r;
}

// A label's element (its text or its marker) on its way to a record: its box in the picture and
// the area a click on it takes, the box with a margin.
struct AreaEtichetta {
    qsizetype struttura;
    QRectF box, area;
};

// Each label's click area is its own text and marker: where the margins of two structures' labels
// meet, both stop halfway between the boxes, so neither reaches over the other. They part along
// the axis on which their boxes overlap least.
void separaEtichette(QList<AreaEtichetta>& etichette) {
    for (qsizetype i = 0; i < etichette.size(); ++i) {
        for (qsizetype j = i + 1; j < etichette.size(); ++j) {
            AreaEtichetta& a = etichette[i];
            AreaEtichetta& b = etichette[j];
            if (a.struttura == b.struttura || !a.area.intersects(b.area))
                continue;
            const double lungoX =
                std::min(a.box.right(), b.box.right()) - std::max(a.box.left(), b.box.left());
            const double lungoY =
                std::min(a.box.bottom(), b.box.bottom()) - std::max(a.box.top(), b.box.top());
            // Whole pixels: a record ends one pixel before the next begins.
            if (lungoY <= lungoX) {
                AreaEtichetta& su = a.box.center().y() <= b.box.center().y() ? a : b;
                AreaEtichetta& giu = &su == &a ? b : a;
                const double mezzo = std::round((su.box.bottom() + giu.box.top()) / 2);
                su.area.setBottom(std::min(su.area.bottom(), mezzo));
                giu.area.setTop(std::max(giu.area.top(), mezzo));
            } else {
                AreaEtichetta& sx = a.box.center().x() <= b.box.center().x() ? a : b;
                AreaEtichetta& dx = &sx == &a ? b : a;
                const double mezzo = std::round((sx.box.right() + dx.box.left()) / 2);
                sx.area.setRight(std::min(sx.area.right(), mezzo));
                dx.area.setLeft(std::max(dx.area.left(), mezzo));
            }
        }
    }
}

// A plate's picture and its records in table order. A structure's shapes become the cells of a
// grid where the picture shows it (its painted pixels not painted over by another structure
// drawn later), so a click opens what the student sees there; a small shape, or one that shows
// nowhere, gets its bounding box. The header comes first, then the shapes from the largest
// structure to the smallest, then the labels (text and marker, with a margin) on top.
bool recordDellaTavola(const QString& disegno, const Tavola& t, QByteArray& png,
                       QList<Record>& lista, QString& problema) {
    QSvgRenderer svg;
    if (!pngDaSvg(disegno, svg, png, problema))
        return false;
    const QSize dim = svg.defaultSize();
    const QRectF vista = svg.viewBoxF();
    // The picture is drawn at the SVG's own size, so the view box maps onto it.
    const QTransform scala =
        QTransform::fromScale(dim.width() / vista.width(), dim.height() / vista.height())
            .translate(-vista.x(), -vista.y());
    const QHash<QString, int> ordine = ordineDiDisegno(disegno);
    const auto box = [&](const QString& id) {
        return scala.mapRect(svg.transformForElement(id).mapRect(svg.boundsOnElement(id)));
    };

    // Which structure shows at each pixel: shapes painted in document order, later on top.
    std::vector<int> sopra(static_cast<size_t>(dim.width()) * static_cast<size_t>(dim.height()),
                           -1);
    QList<std::tuple<int, qsizetype, QString>> forme; // place in the drawing, structure, id
    for (qsizetype s = 0; s < t.strutture.size(); ++s) {
        const Struttura& st = t.strutture[s];
        for (const QString& id : st.forme + st.etichette) {
            if (!svg.elementExists(id)) {
                problema = st.dove + QStringLiteral("the plate has no element ") + id;
                return false;
            }
        }
        if (!st.intestazione())
            for (const QString& id : st.forme)
                forme.append({ordine.value(id, -1), s, id});
    }
    std::stable_sort(forme.begin(), forme.end());
    for (const auto& [ord, s, id] : forme) {
        Q_UNUSED(ord);
        QImage maschera(dim, QImage::Format_ARGB32_Premultiplied);
        maschera.fill(Qt::transparent);
        QPainter p(&maschera);
        svg.render(&p, id, box(id));
        p.end();
        for (int y = 0; y < dim.height(); ++y) {
            const QRgb* riga = reinterpret_cast<const QRgb*>(maschera.constScanLine(y));
            for (int x = 0; x < dim.width(); ++x)
                if (qAlpha(riga[x]) > SogliaAlfa)
                    sopra[static_cast<size_t>(y) * static_cast<size_t>(dim.width()) +
                          static_cast<size_t>(x)] = static_cast<int>(s);
        }
    }

    // Each cell goes to the structure showing on most of its pixels, if enough of them.
    const int cw = (dim.width() + Cella - 1) / Cella, ch = (dim.height() + Cella - 1) / Cella;
    std::vector<int> cella(static_cast<size_t>(cw) * static_cast<size_t>(ch), -1);
    std::vector<qint64> visibili(static_cast<size_t>(t.strutture.size()), 0);
    for (int cy = 0; cy < ch; ++cy) {
        for (int cx = 0; cx < cw; ++cx) {
            QHash<int, int> conta;
            for (int y = cy * Cella; y < qMin((cy + 1) * Cella, dim.height()); ++y)
                for (int x = cx * Cella; x < qMin((cx + 1) * Cella, dim.width()); ++x)
                    if (const int s =
                            sopra[static_cast<size_t>(y) * static_cast<size_t>(dim.width()) +
                                  static_cast<size_t>(x)];
                        s >= 0)
                        ++conta[s];
            int migliore = -1, quanti = 0;
            for (auto i = conta.cbegin(); i != conta.cend(); ++i) {
                visibili[static_cast<size_t>(i.key())] += i.value();
                if (i.value() > quanti || (i.value() == quanti && i.key() > migliore)) {
                    migliore = i.key();
                    quanti = i.value();
                }
            }
            if (quanti * 8 >= Cella * Cella)
                cella[static_cast<size_t>(cy * cw + cx)] = migliore;
        }
    }

    // The labels' areas, measured together since each stops short of its neighbours.
    QList<AreaEtichetta> aree;
    for (qsizetype s = 0; s < t.strutture.size(); ++s) {
        for (const QString& id : t.strutture[s].etichette) {
            const QRectF b = box(id);
            // A label is cut off where it leaves the picture.
            if (!QRectF(QPointF(0, 0), QSizeF(dim)).contains(b)) {
                problema = t.strutture[s].dove + QStringLiteral("the label ") + id +
                           QStringLiteral(" runs off the picture");
                return false;
            }
            // Its hotspot takes in a margin, so a click just beside the text still counts.
            // In whole pixels, as the record will have it, so that areas apart stay apart.
            const QRectF area = almenoMinimo(b.adjusted(-MargineEtichetta, -MargineEtichetta,
                                                        MargineEtichetta, MargineEtichetta));
            aree.append({s, b,
                         QRectF(QPointF(std::floor(area.left()), std::floor(area.top())),
                                QPointF(std::ceil(area.right()), std::ceil(area.bottom())))});
        }
    }
    separaEtichette(aree);

    QList<std::pair<Rettangolo, QString>> usati;
    QList<std::pair<qint64, Record>> forma, etichetta; // with the size they are ordered by
    for (qsizetype s = 0; s < t.strutture.size(); ++s) {
        const Struttura& st = t.strutture[s];
        const auto aggiungi = [&](QList<std::pair<qint64, Record>>& dove, qint64 peso,
                                  const Rettangolo& r) {
            const auto gia = std::find_if(usati.cbegin(), usati.cend(),
                                          [&](const auto& u) { return u.first == r; });
            if (gia != usati.cend()) {
                // A marker on a dot-sized shape measures the same: one record serves both.
                if (gia->second == st.codice)
                    return true;
                problema =
                    st.dove + QStringLiteral("same rectangle as another hotspot of the plate");
                return false;
            }
            usati.append({r, st.codice});
            dove.append({peso,
                         {&dove == &forma ? 1 : 2, atlante::areaDelRecord(r.x1, r.y1, r.x2, r.y2),
                          st.codice, byteDelRecord(t.chiave, st, r)}});
            return true;
        };
        if (st.intestazione()) {
            for (const QString& id : st.forme) {
                const Rettangolo r = rettangoloDaBox(box(id), dim);
                lista.append({0, atlante::areaDelRecord(r.x1, r.y1, r.x2, r.y2), st.codice,
                              byteDelRecord(t.chiave, st, r)});
            }
        } else {
            QRectF insieme;
            for (const QString& id : st.forme)
                insieme |= box(id);
            std::vector<char> mie(cella.size(), 0);
            bool alcuna = false;
            for (size_t i = 0; i < cella.size(); ++i) {
                if (cella[i] == s) {
                    mie[i] = 1;
                    alcuna = true;
                }
            }
            const qint64 peso = visibili[static_cast<size_t>(s)];
            if (!alcuna || insieme.width() * insieme.height() <= AreaPiccola) {
                for (const QString& id : st.forme)
                    if (!aggiungi(forma, peso, rettangoloDaBox(box(id), dim)))
                        return false;
            } else {
                for (const QRect& c : rettangoliDelleCelle(mie, cw, ch)) {
                    const QRect px =
                        QRect(c.x() * Cella, c.y() * Cella, c.width() * Cella, c.height() * Cella) &
                        QRect(QPoint(0, 0), dim);
                    if (!aggiungi(forma, peso,
                                  {px.left(), px.top(), px.left() + px.width() - 2,
                                   px.top() + px.height() - 2}))
                        return false;
                }
            }
        }
        for (const AreaEtichetta& e : aree) {
            if (e.struttura != s)
                continue;
            const Rettangolo r = rettangoloDiPixel(e.area, dim);
            if (!aggiungi(etichetta, qint64(r.x2 - r.x1 + 2) * (r.y2 - r.y1 + 2), r))
                return false;
        }
    }
    // Shapes larger first: later records lie on top, so a small structure over a large one stays
    // clickable. Labels the other way round, markers first: the topmost record of a structure
    // stands for it where one must (the keyboard's ring), and that is best its text.
    std::stable_sort(forma.begin(), forma.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::stable_sort(etichetta.begin(), etichetta.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto* gruppo : {&forma, &etichetta})
        for (const auto& r : *gruppo)
            lista.append(r.second);
    // A cell hidden wholly under later records could never be clicked: it goes.
    std::vector<qsizetype> cima(sopra.size(), -1);
    for (qsizetype i = 0; i < lista.size(); ++i) {
        const QRect a = lista[i].area & QRect(QPoint(0, 0), dim);
        for (int y = a.top(); y <= a.bottom(); ++y)
            for (int x = a.left(); x <= a.right(); ++x)
                cima[static_cast<size_t>(y) * static_cast<size_t>(dim.width()) +
                     static_cast<size_t>(x)] = i;
    }
    std::vector<char> visto(static_cast<size_t>(lista.size()), 0);
    for (qsizetype i : cima)
        if (i >= 0)
            visto[static_cast<size_t>(i)] = 1;
    QSet<QString> conVisibili;
    for (qsizetype i = 0; i < lista.size(); ++i)
        if (visto[static_cast<size_t>(i)])
            conVisibili.insert(lista[i].codice);
    // Unless it is all its structure has: the check below then names it.
    for (qsizetype i = lista.size() - 1; i >= 0; --i)
        if (lista[i].livello == 1 && !visto[static_cast<size_t>(i)] &&
            conVisibili.contains(lista[i].codice))
            lista.remove(i);
    return true;
}

} // namespace

bool leggiMessaggi(const QString& file, QMap<int, std::pair<QString, QString>>& messaggi,
                   QString& problema) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        problema = file + QStringLiteral(": cannot read");
        return false;
    }
    int riga = 0;
    while (!f.atEnd()) {
        ++riga;
        const QString linea = QString::fromUtf8(f.readLine()).remove(u'\r').remove(u'\n');
        if (linea.isEmpty() || linea.startsWith(u'#'))
            continue;
        const QStringList campi = linea.split(u'\t');
        bool ok = false;
        const int numero = campi.value(0).toInt(&ok);
        if (campi.size() != 3 || !ok || numero < 1) {
            problema = QStringLiteral("%1:%2: expected number, title and text separated by tabs")
                           .arg(file)
                           .arg(riga);
            return false;
        }
        // The file gives the number six columns.
        if (numero > 999999) {
            problema = QStringLiteral("%1:%2: message numbers go up to 999999").arg(file).arg(riga);
            return false;
        }
        QString testo = campi[2];
        testo.replace(QStringLiteral("\\n"), atlante::marcatoreACapo());
        messaggi[numero] = {campi[1], testo};
    }
    return true;
}

Rettangolo rettangoloDaBox(const QRectF& elemento, QSize immagine) {
    return rettangoloDiPixel(almenoMinimo(elemento), immagine);
}

namespace {

// One row of the hotspot table, checked: its fields fit the record, its link leads to a plate that
// has records, and the text it shows exists.
bool strutturaDellaRiga(const Riga& r, const QString& tabella, const QSet<QString>& chiavi,
                        const QMap<QString, QString>& testi, Struttura& st, QString& problema) {
    const QString& tavola = r.campi[0];
    st.codice = r.campi[1];
    st.collegamento = r.campi[2];
    st.forme = r.campi[3].split(u' ', Qt::SkipEmptyParts);
    st.etichette = r.campi[4].split(u' ', Qt::SkipEmptyParts);
    st.testo = r.campi[5];
    st.dove = QStringLiteral("%1:%2: ").arg(tabella).arg(r.numero);
    if (tavola.isEmpty() || st.codice.isEmpty() || st.forme.isEmpty()) {
        problema = st.dove + QStringLiteral("plate, code and element are needed");
        return false;
    }
    for (const QString& v : {tavola, st.codice, st.collegamento, st.testo}) {
        if (v.size() > LarghezzaCampo) {
            problema = st.dove + v + QStringLiteral(": longer than 8 characters");
            return false;
        }
    }
    if (!st.collegamento.isEmpty() && !chiavi.contains(st.collegamento.toUpper())) {
        problema = st.dove + QStringLiteral("link to a plate with no records: ") + st.collegamento;
        return false;
    }
    const QString voceTesto = st.intestazione() ? st.testo : st.codice;
    if ((st.intestazione() || st.collegamento.isEmpty()) && !testi.contains(voceTesto)) {
        problema = st.dove + QStringLiteral("no text ") + voceTesto;
        return false;
    }
    return true;
}

// The rows checked and grouped by plate, plates in order of first appearance; testiUsati gets
// the texts the rows show.
bool leggiTavole(const QString& tabella, const QMap<QString, QString>& testi, QList<Tavola>& tavole,
                 QSet<QString>& testiUsati, QString& problema) {
    QList<Riga> righe;
    if (!leggiTsv(tabella, 6, righe, problema))
        return false;
    QSet<QString> chiavi;
    for (const Riga& r : righe)
        chiavi.insert(r.campi[0].toUpper());
    QHash<QString, qsizetype> posizione;
    for (const Riga& r : righe) {
        Struttura st;
        if (!strutturaDellaRiga(r, tabella, chiavi, testi, st, problema))
            return false;
        testiUsati.insert(st.intestazione() ? st.testo : st.codice);
        const QString chiave = r.campi[0].toUpper();
        auto p = posizione.constFind(chiave);
        if (p == posizione.cend()) {
            p = posizione.insert(chiave, tavole.size());
            tavole.append({chiave, r.campi[0], {}});
        }
        tavole[*p].strutture.append(st);
    }
    return true;
}

// Every plate's records, measured on its drawing, into "hsmed.bin" once together they cover every
// structure; the plates' pictures go to immagini.
bool scriviTabellaHotspot(const QString& sorgente, const QString& dati, const QString& tabella,
                          const QList<Tavola>& tavole, QList<blob::VoceNuova>& immagini,
                          QString& problema) {
    QByteArray record;
    QList<atlante::Zona> zone;
    for (const Tavola& t : tavole) {
        QList<Record> lista;
        blob::VoceNuova png;
        png.nome = t.nome + QStringLiteral(".png");
        if (!recordDellaTavola(sorgente + QStringLiteral("/tavole/") + t.nome +
                                   QStringLiteral(".svg"),
                               t, png.dati, lista, problema))
            return false;
        immagini.append(png);
        // The same drawing again at each larger rendition's size.
        QSvgRenderer svg(sorgente + QStringLiteral("/tavole/") + t.nome + QStringLiteral(".svg"));
        for (int f : FattoriRendizioni) {
            blob::VoceNuova r{nomeRendizione(png.nome, f), rendizioneDaSvg(svg, f), {}};
            if (r.dati.isEmpty()) {
                problema = t.nome + QStringLiteral(".svg: cannot rasterise at %1 ×").arg(f);
                return false;
            }
            immagini.append(r);
        }
        for (const Record& r : lista) {
            record += r.byte;
            zone.append({t.chiave, r.codice, r.area});
        }
    }
    const QList<atlante::DifettoCopertura> difetti = atlante::verificaCopertura(zone);
    if (!difetti.isEmpty()) {
        QStringList righe;
        for (const atlante::DifettoCopertura& d : difetti)
            righe.append(QStringLiteral("%1: plate %2, structure %3: %4")
                             .arg(tabella, d.tavola, d.struttura, d.motivo));
        problema = righe.join(u'\n');
        return false;
    }
    if (!scrivi(dati + QStringLiteral("/hsmed.bin"), record)) {
        problema = dati + QStringLiteral("/hsmed.bin: cannot write");
        return false;
    }
    return true;
}

// The texts as RTF into "hsmed.dat" and the pictures into "BlobCorp.dat". A text no row shows
// is a mistake of the sources, except the home screen's.
bool scriviTestiEImmagini(const QString& sorgente, const QString& dati,
                          const QMap<QString, QString>& testi, const QSet<QString>& testiUsati,
                          const QList<blob::VoceNuova>& immagini, QString& problema) {
    QList<blob::VoceNuova> rtf;
    for (auto i = testi.cbegin(); i != testi.cend(); ++i) {
        if (!testiUsati.contains(i.key()) && i.key() != QStringLiteral("000000")) {
            problema = sorgente + QStringLiteral("/testi.txt: ") + i.key() +
                       QStringLiteral(" is no plate's or hotspot's text");
            return false;
        }
        rtf.append({i.key() + QStringLiteral(".RTF"), rtfDaMarkdown(i.value()), {}});
    }
    try {
        blob::scriviStore(dati + QStringLiteral("/hsmed.dat"), rtf);
        blob::scriviStore(dati + QStringLiteral("/BlobCorp.dat"), immagini);
    } catch (const ErroreVB& e) {
        problema = dati + QStringLiteral(": ") + e.descrizione();
        return false;
    }
    return true;
}

} // namespace

bool costruisciAtlante(const QString& sorgente, const QString& dati, QString& problema) {
    QDir().mkpath(dati);
    if (!costruisciDescrizioni(sorgente, dati, problema))
        return false;
    QMap<QString, QString> testi;
    if (!leggiTesti(sorgente + QStringLiteral("/testi.txt"), testi, problema))
        return false;
    const QString tabella = sorgente + QStringLiteral("/hotspot.tsv");
    QList<Tavola> tavole;
    QSet<QString> testiUsati;
    if (!leggiTavole(tabella, testi, tavole, testiUsati, problema))
        return false;
    QList<blob::VoceNuova> immagini;
    return scriviTabellaHotspot(sorgente, dati, tabella, tavole, immagini, problema) &&
           scriviTestiEImmagini(sorgente, dati, testi, testiUsati, immagini, problema);
}

} // namespace hn::demo
