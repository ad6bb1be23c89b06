#pragma once

// Printed PDFs read back with poppler-utils: words with their boxes, the plain text, a page as
// a picture.

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

namespace hn::prova {

struct Parola {
    int pagina; // from 1
    QRectF box; // points, from the page's top-left corner
    QString testo;
};

// Every word of the file in reading order; `pagine` gets the page count.
QList<Parola> paroleNelPdf(const QString& pdf, int* pagine = nullptr);
// The first word with this text, or null.
const Parola* trovaParola(const QList<Parola>& parole, const QString& testo);
// The text as pdftotext gives it.
QString testoDelPdf(const QString& pdf);
// The first page rendered at 72 dots per inch, one pixel a point; `radice` names the scratch file.
QImage primaPagina(const QString& pdf, const QString& radice);

} // namespace hn::prova
