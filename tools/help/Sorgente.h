#pragma once

#include "Scrittore.h"

#include <QString>

namespace hn::help {

// The help's readable source: a project file naming the title, the pages (a small subset of
// HTML, UTF-8) and the keywords, read into what the writer takes, plus the .cnt contents text.
//
// Project file (UTF-8, INI-like):
//   [OPTIONS]  TITLE=…  COPYRIGHT=…  CNT=halvo.cnt
//   [FILES]    one page per line, relative to the project file
//   [KEYWORDS] context=keyword; keyword …   (every topic's title is a keyword too)
//   [CONFIG]   macros run on opening, one a line
// Pages: <h1> starts the contents topic (its context is "spis"), <h2 id=…> and <h3 id=…>
// start topics; <p>, <ol>/<ul>/<li>, <a href="#context">, <i>, <b>, <br> and
// <img src=… width=… height=… usemap="#m"> with <map name=m><area coords="x1,y1,x2,y2"
// href="#context"></map> (an SVG source is drawn at the size given).
struct Progetto {
    winhelp::GuidaNuova guida;
    QString contenuti; // the .cnt text
    QString nomeCnt;
};

// Fills `p`; false with `problema` set when a file cannot be read or a page is not understood.
bool leggiProgetto(const QString& fileProgetto, Progetto& p, QString& problema);
// The same from texts in memory (tests): pages by the names the project file gives.
bool leggiProgettoDaTesti(const QString& progetto, const QMap<QString, QString>& pagine,
                          const QString& cartella, Progetto& p, QString& problema);

} // namespace hn::help
