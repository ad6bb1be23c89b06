#pragma once

#include "Contenitore.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>

namespace hn::winhelp {

// What a jump, popup or macro hotspot leads to.
struct Collegamento {
    enum Tipo : quint8 { Salto, Popup, Macro };
    Tipo tipo = Salto;
    std::uint32_t hash = 0; // the target's context hash (jumps and popups)
    QString contesto;       // the context name, where the file keeps it (picture hotspots)
    QString macro;
    QString file;     // another help file, empty for this one
    QString finestra; // a window by name, empty for the main one
    bool visibile = true;
};

struct Pezzo {
    enum Tipo : quint8 { Testo, ACapo, Tab, Immagine };
    Tipo tipo = Testo;
    QString testo;
    int font = -1;
    int collegamento = -1; // into Argomento::collegamenti
    int immagine = -1;     // into Argomento::immagini
    quint8 posizione = 0;  // pictures: 0 in the line, 1 left, 2 right
};

struct Paragrafo {
    QList<Pezzo> pezzi;
    quint8 allineamento = 0; // 0 left, 1 right, 2 centre
    int rientro = 0;         // left indent, in the file's units (half points or twips)
    int spazioSopra = 0;
    bool nonScorrevole = false;
    int colonna = -1; // table cells: the column, else −1
    int riga = -1;    // table cells: the row within the topic
};

// A picture as the topic names it: a number of |bm<n>, or its bytes in the topic.
struct RifImmagine {
    int numero = -1;
    QByteArray dati;
};

struct Argomento {
    QString titolo;
    QStringList macro; // run on opening
    QList<Paragrafo> paragrafi;
    QList<Collegamento> collegamenti;
    QList<RifImmagine> immagini;
};

struct Font {
    QString nome;
    double punti = 10;
    bool grassetto = false, corsivo = false, sottolineato = false, maiuscoletto = false,
         barrato = false;
    QColor colore = Qt::black;
};

struct ZonaImmagine {
    QRect rettangolo;
    Collegamento collegamento;
    QString nome;
};

struct ImmagineGuida {
    QImage immagine; // null for a picture drawn as a framed box (metafiles)
    QSize dimensione;
    QList<ZonaImmagine> zone;
};

// A window the file defines ([WINDOWS] of its project): "main" or a secondary one.
struct FinestraDefinita {
    QString nome, tipo, titolo;
    QRect posizione; // in 1024ths of the screen, each direction
    bool posizioneData = false;
    bool massimizzata = false;
    QColor colore;      // the topic's background; invalid when the file gives none
    QColor coloreFisso; // the non-scrolling region's
    bool sopra = false; // kept above other windows
};

struct VoceIndice {
    QString parola;
    QList<std::uint32_t> offset; // topics it leads to
};

// A WinHelp file of the Windows 3.1 or 95 compilers (3.0 in part), read from its bytes. Opening
// reads the directory, the system record, fonts, phrases and the topic index; a topic's text is
// decoded when it is asked for. Everything it reads is checked: damage is an ErroreGuida with a
// Polish sentence, never a crash, a hang or unbounded memory.
class FileGuida {
public:
    static FileGuida apri(QByteArray dati);

    const QString& titolo() const { return titolo_; }
    const QString& copyright() const { return copyright_; }
    const QStringList& macroIniziali() const { return macro_; }
    const QList<FinestraDefinita>& finestre() const { return finestre_; }
    // The window of that name (case aside; empty: the main one), or none.
    const FinestraDefinita* finestra(const QString& nome) const;
    const QList<Font>& font() const { return font_; }
    int codePage() const { return codePage_; }
    int versione() const { return minor_; }
    bool lz77() const { return lz77_; }
    int dimensioneBlocco() const { return dimBlocco_; }
    const QByteArray& nomeContenuti() const { return cnt_; }

    int numeroArgomenti() const { return int(argomenti_.size()); }
    QString titoloArgomento(int i) const;
    Argomento argomento(int i) const;
    int argomentoIniziale() const; // the contents topic, else the first
    int argomentoDaOffset(std::uint32_t offset) const;
    int argomentoDaHash(std::uint32_t hash) const;      // −1 when none
    int argomentoDaContesto(const QString& nome) const; // −1 when none
    int argomentoDaMappa(std::int32_t id) const;        // [MAP] numbers, −1 when none
    int precedente(int i) const;                        // browse sequence, −1
    int successivo(int i) const;
    const QList<VoceIndice>& indice() const { return indice_; }
    QList<int> argomentiDiParola(const VoceIndice& voce) const;

    // A picture by its reference, the rendition that suits a screen of `dpi`.
    ImmagineGuida immagine(const RifImmagine& rif, int dpi = 96) const;
    // Decodes text of the file's code page.
    QString testo(QByteArrayView byte) const;

private:
    struct Collegamento_ {
        std::uint32_t posizione;
        std::uint32_t offset;
        quint8 tipo;
    };
    struct Intestazione {
        int primo; // first link of the topic (its header) and one past its last
        int fine;
        std::uint32_t offset;
        std::uint32_t indietro, avanti;
        std::int32_t nonScorrevole, scorrevole;
        QString titolo;
        QStringList macro;
    };

    void leggiSistema();
    void leggiFont();
    void leggiFrasi();
    void leggiArgomenti();
    void leggiTabelle();
    QByteArray raccogli(std::uint32_t posizione, qsizetype n) const;
    QByteArray espandi(QByteArrayView dati, qsizetype lunghezza) const;
    void decodificaParagrafi(Argomento& a, QByteArrayView d1, QByteArrayView d2, quint8 tipo,
                             bool nonScorrevole, int& riga) const;

    std::shared_ptr<const Contenitore> c_;
    QString titolo_, copyright_;
    QStringList macro_;
    QList<FinestraDefinita> finestre_;
    QList<Font> font_;
    QByteArray cnt_;
    int minor_ = 0;
    bool lz77_ = false;
    int dimBlocco_ = 4096;
    qsizetype dimDecompressa_ = 4084;
    int codePage_ = 1250;
    std::uint32_t contenuti_ = 0;
    bool haContenuti_ = false;
    QList<QByteArray> frasi_;
    bool hall_ = false;
    QList<QByteArray> blocchi_;
    QList<Collegamento_> link_;
    QList<Intestazione> argomenti_;
    QMap<std::uint32_t, std::uint32_t> contesti_; // hash → topic offset
    QMap<std::int32_t, std::uint32_t> mappa_;
    QList<VoceIndice> indice_;
};

// A context name's topic in a file by its name (for the window's jumps by id).
std::uint32_t hashDi(const QString& contesto);

} // namespace hn::winhelp
