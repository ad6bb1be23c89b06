#pragma once

// A worksheet of a plate ("Karta pracy"), for a class or for revision on paper: the first page is
// the plate with every label covered by a numbered blank, the pages after it list the answers,
// number by number. Printed on the program's printer like the print dialog's documents.

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

class QPainter;

namespace hn {

struct KartaPracy {
    struct Voce {
        QRectF area; // the label in the picture's pixels
        QString nome;
    };
    QString tytul;    // the plate's title
    QImage obraz;     // the plate as drawn, labels and all; its pixels are the areas' unit
    QImage wydruk;    // what is printed in its place: its largest rendition (none: obraz)
    QList<Voce> voci; // numbered from 1 in this order
};

// The blanks over the labels, in the picture's pixels: each covers its label and a pixel round
// it, and one shorter than `larghezzaMinima` grows outwards (away from the picture's middle, where
// its margin is) as far as the picture's edge and the blanks beside it allow, so there is room to
// write. A blank never grows into another.
QList<QRectF> caselleKarta(const QList<QRectF>& etichette, const QSizeF& immagine,
                           double larghezzaMinima = 90);

// How many pages the worksheet takes on a page of this size (twips): the plate, then the answers.
int pagineKarta(const KartaPracy& karta, const QSizeF& paginaTw);

// Paints page `pagina` (from 0) on a painter whose units are `unitaPerTwip` device units per twip,
// its origin the sheet's top-left corner; `areaTw` is the part of the sheet to use, in twips.
void dipingiPaginaKarta(QPainter& p, double unitaPerTwip, const QRectF& areaTw,
                        const KartaPracy& karta, int pagina);

// Prints the worksheet as one document on the host's printer. A failing step is reported as the
// print job's are ("Drukuj"): Retry runs it again, Ignore goes on, any other answer ends printing
// with no document left open. Returns false when the user ended it.
bool StampaKartaPracy(const KartaPracy& karta);

} // namespace hn
