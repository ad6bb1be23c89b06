#include "Atlante.h"

#include "BlobStore.h"
#include "Cp1250.h"
#include "ErroreVB.h"
#include "RtfWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <limits>

namespace hn::demo {

namespace {

constexpr int LarghezzaCampo = 8;
constexpr double DimensioneMinima = 12.0;

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

// A fixed-width field of the table: the program trims it, so blanks pad it.
QByteArray campo(const QString& valore, int larghezza) {
    QByteArray b = encodeCp1250(valore).left(larghezza);
    b.append(QByteArray(larghezza - b.size(), ' '));
    return b;
}

QByteArray numero3(int n) {
    return QByteArray::number(n).rightJustified(3, '0');
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

bool pngDaSvg(const QString& file, QSvgRenderer& svg, QByteArray& png, QString& problema) {
    if (!svg.load(file)) {
        problema = file + QStringLiteral(": not a readable SVG");
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

bool costruisciDescrizioni(const QString& sorgente, const QString& dati, QString& problema) {
    QList<Riga> righe;
    const QString file = sorgente + QStringLiteral("/sistemi.tsv");
    if (!leggiTsv(file, 2, righe, problema))
        return false;
    QByteArray uscita;
    for (const Riga& r : righe) {
        if (r.campi[0].isEmpty() || r.campi[0].size() > 10 || r.campi[1].isEmpty()) {
            problema =
                QStringLiteral("%1:%2: expected a code of up to 10 characters and a description")
                    .arg(file)
                    .arg(r.numero);
            return false;
        }
        uscita += campo(r.campi[0], 10) + encodeCp1250(r.campi[1]) + "\r\n";
    }
    if (!scrivi(dati + QStringLiteral("/DesAppa.bin"), uscita)) {
        problema = dati + QStringLiteral("/DesAppa.bin: cannot write");
        return false;
    }
    return true;
}

} // namespace

Rettangolo rettangoloDaBox(const QRectF& elemento, QSize immagine) {
    // A tiny structure still gets a target a finger-tip of mouse can hit.
    QRectF box = elemento;
    if (box.width() < DimensioneMinima)
        box.adjust(-(DimensioneMinima - box.width()) / 2, 0, (DimensioneMinima - box.width()) / 2,
                   0);
    if (box.height() < DimensioneMinima)
        box.adjust(0, -(DimensioneMinima - box.height()) / 2, 0,
                   (DimensioneMinima - box.height()) / 2);
    // The hotspot spans X2 - X1 + 2 pixels: the right edge is two short of the box's end.
    Rettangolo r;
    r.x1 = std::clamp(static_cast<int>(std::floor(box.left())), 0, immagine.width() - 2);
    r.y1 = std::clamp(static_cast<int>(std::floor(box.top())), 0, immagine.height() - 2);
    r.x2 = std::clamp(static_cast<int>(std::ceil(box.right())) - 2, r.x1, immagine.width() - 2);
    r.y2 = std::clamp(static_cast<int>(std::ceil(box.bottom())) - 2, r.y1, immagine.height() - 2);
    return r;
}

bool costruisciAtlante(const QString& sorgente, const QString& dati, QString& problema) {
    QDir().mkpath(dati);
    if (!costruisciDescrizioni(sorgente, dati, problema))
        return false;

    QMap<QString, QString> testi;
    if (!leggiTesti(sorgente + QStringLiteral("/testi.txt"), testi, problema))
        return false;

    QList<Riga> righe;
    const QString tabella = sorgente + QStringLiteral("/hotspot.tsv");
    if (!leggiTsv(tabella, 5, righe, problema))
        return false;
    QSet<QString> tavole;
    for (const Riga& r : righe)
        tavole.insert(r.campi[0].toUpper());

    // Per plate in order of appearance: its records with their areas.
    QList<QString> ordine;
    QMap<QString, QList<std::pair<qint64, QByteArray>>> perTavola;
    QList<blob::VoceNuova> immagini;
    QMap<QString, QList<Rettangolo>> usati;
    QMap<QString, QSize> dimensioni;
    QSet<QString> testiUsati;
    QSvgRenderer svg;
    QString caricata;
    for (const Riga& r : righe) {
        const QString &tavola = r.campi[0], &codice = r.campi[1], &collegamento = r.campi[2],
                      &elemento = r.campi[3], &testo = r.campi[4];
        const QString dove = QStringLiteral("%1:%2: ").arg(tabella).arg(r.numero);
        if (tavola.isEmpty() || codice.isEmpty() || elemento.isEmpty()) {
            problema = dove + QStringLiteral("plate, code and element are needed");
            return false;
        }
        for (const QString& v : {tavola, codice, collegamento, testo}) {
            if (v.size() > LarghezzaCampo) {
                problema = dove + v + QStringLiteral(": longer than 8 characters");
                return false;
            }
        }
        const bool intestazione = codice == QStringLiteral("000000");
        if (!collegamento.isEmpty() && !tavole.contains(collegamento.toUpper())) {
            problema = dove + QStringLiteral("link to a plate with no records: ") + collegamento;
            return false;
        }
        const QString voceTesto = intestazione ? testo : codice;
        if ((intestazione || collegamento.isEmpty()) && !testi.contains(voceTesto)) {
            problema = dove + QStringLiteral("no text ") + voceTesto;
            return false;
        }
        testiUsati.insert(voceTesto);

        const QString chiave = tavola.toUpper();
        const QString disegno =
            sorgente + QStringLiteral("/tavole/") + tavola + QStringLiteral(".svg");
        if (!dimensioni.contains(chiave)) {
            blob::VoceNuova png;
            png.nome = tavola + QStringLiteral(".png");
            if (!pngDaSvg(disegno, svg, png.dati, problema))
                return false;
            immagini.append(png);
            dimensioni.insert(chiave, svg.defaultSize());
        } else if (caricata != chiave && !svg.load(disegno)) {
            problema = disegno + QStringLiteral(": not a readable SVG");
            return false;
        }
        caricata = chiave;
        if (!svg.elementExists(elemento)) {
            problema = dove + QStringLiteral("the plate has no element ") + elemento;
            return false;
        }
        const QRectF box = svg.transformForElement(elemento).mapRect(svg.boundsOnElement(elemento));
        // The picture is drawn at the SVG's own size, so the view box maps onto it.
        const QRectF vista = svg.viewBoxF();
        const QSize dim = dimensioni.value(chiave);
        const QTransform scala =
            QTransform::fromScale(dim.width() / vista.width(), dim.height() / vista.height())
                .translate(-vista.x(), -vista.y());
        const Rettangolo rett = rettangoloDaBox(scala.mapRect(box), dim);
        if (usati[chiave].contains(rett)) {
            problema = dove + QStringLiteral("same rectangle as another hotspot of the plate");
            return false;
        }
        usati[chiave].append(rett);

        QByteArray rec = campo(chiave, 8) + campo(codice, 8) + campo(collegamento.toUpper(), 8) +
                         numero3(rett.x1) + numero3(rett.y1) + numero3(rett.x2) + numero3(rett.y2) +
                         campo(intestazione ? testo : QString(), 8) + campo(QString(), 6);
        if (!perTavola.contains(chiave))
            ordine.append(chiave);
        // The header stays first whatever its size.
        const qint64 area = intestazione ? std::numeric_limits<qint64>::max()
                                         : qint64(rett.x2 - rett.x1 + 2) * (rett.y2 - rett.y1 + 2);
        perTavola[chiave].append({area, rec});
    }
    // Larger hotspots first: later ones lie on top, so a small structure drawn over a large one
    // stays clickable.
    QByteArray record;
    for (const QString& chiave : ordine) {
        auto& lista = perTavola[chiave];
        std::stable_sort(lista.begin(), lista.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& r : lista)
            record += r.second;
    }
    if (!scrivi(dati + QStringLiteral("/hsmed.bin"), record)) {
        problema = dati + QStringLiteral("/hsmed.bin: cannot write");
        return false;
    }

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

} // namespace hn::demo
