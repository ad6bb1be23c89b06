#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>

namespace hn::winhelp {

// What our help compiler writes: topics of paragraphs, fonts, pictures with hotspots, keywords.

struct ZonaNuova {
    QRect rettangolo;
    QString contesto; // a jump or popup to this context
    bool popup = false;
    QString macro; // instead of a context
    bool visibile = false;
};

struct ImmagineNuova {
    QImage immagine; // written as an 8-bit DIB
    QList<ZonaNuova> zone;
};

struct PezzoNuovo {
    enum Tipo : quint8 { Testo, ACapo, Immagine };
    Tipo tipo = Testo;
    QString testo;
    int font = 0;
    QString salto; // context of a jump (or popup) on this text
    bool popup = false;
    QString macro; // a macro hotspot on this text
    int immagine = -1;
    quint8 posizione = 0; // a picture: 0 in the line, 1 left, 2 right (the text flows beside)
};

struct ParagrafoNuovo {
    QList<PezzoNuovo> pezzi;
    quint8 allineamento = 0; // 0 left, 1 right, 2 centre
    int rientro = 0;         // half points
    int spazioSopra = 0;
    bool nonScorrevole = false; // must come first in its topic
};

struct ArgomentoNuovo {
    QString contesto;
    QString titolo;
    QStringList parole;
    QStringList macro;
    QList<ParagrafoNuovo> paragrafi;
    bool sequenza = true; // in the browse sequence
};

struct FontNuovo {
    QString nome = QStringLiteral("Arial");
    int mezziPunti = 20;
    bool grassetto = false, corsivo = false, sottolineato = false;
    QColor colore = Qt::black;
};

// A window of the file: its place in 1024ths of the screen (an empty rectangle: none given),
// colours (invalid: none given).
struct FinestraNuova {
    QString tipo = QStringLiteral("main"), nome = QStringLiteral("main"), titolo;
    QRect posizione;
    bool massimizzata = false;
    QColor colore, coloreFisso;
};

struct GuidaNuova {
    QString titolo, copyright, contenuti; // contenuti: the contents topic's context
    QStringList macro;
    QList<FontNuovo> font;
    QList<ArgomentoNuovo> argomenti;
    QList<ImmagineNuova> immagini;
    QMap<int, QString> mappa; // [MAP] numbers
    QList<FinestraNuova> finestre;
    QString nomeContenuti; // the .cnt file's name
    bool charset = true;   // say "Central European" (the 3.1 compiler said nothing)
    bool frasi = true;     // phrase compression
    bool lz77 = true;
};

// The help file's bytes. Jumps to contexts no topic has are collected in `avvisi` and written
// all the same (they lead nowhere, as with the original compilers).
QByteArray scriviGuida(const GuidaNuova& guida, QStringList* avvisi = nullptr);

// The pieces, for tests that build files the writer would not: a container of internal files,
// a B+ tree of sorted (key, leaf entry) pairs.
QByteArray scriviContenitore(const QMap<QByteArray, QByteArray>& file);
QByteArray scriviAlbero(const QList<std::pair<QByteArray, QByteArray>>& voci, int pagina,
                        const QByteArray& struttura, bool cartella = false);

} // namespace hn::winhelp
