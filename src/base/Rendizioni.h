#pragma once

// The larger drawings of a picture. An installation may keep, beside a picture, the same picture
// drawn at 2 × and 3 × its size ("piede.png", "piede@2x.png", "piede@3x.png"); the program's
// geometry always stays that of the 1 × picture, and a larger drawing is only what is painted
// when the screen has the pixels for it. Every original installation has none: then the 1 ×
// picture is all there is.

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace hn {

// The name a rendition of `nome` has in a store or folder: "@<n>x" before the extension
// ("tavola.png" → "tavola@2x.png", "schelet.bmp" → "schelet@2x.bmp", "abc" → "abc@2x").
// Factor 1 is the name itself.
QString nomeRendizione(const QString& nome, int fattore);

// The factor a name carries (2 for "tavola@2x.png"); 1 for a name without one.
int fattoreDelNome(const QString& nome);

// The factors looked for beside a picture, ascending. A name with another ("@5x", "@1.5x") is
// a mistake of the installation: no loader finds it, the atlas check reports it.
inline constexpr std::array<int, 3> FattoriCercati{2, 3, 4};

// A name split at its rendition mark, whether or not the factor is one looked for:
// "tavola@2x.png" → "tavola.png" and "2"; "x@1.5x.bmp" → "x.bmp" and "1.5". False for a name
// without a mark.
bool scomponiNomeRendizione(const QString& nome, QString& base, QString& fattore);

// The renditions a picture has besides its 1 × one, each read only when a scale needs it.
class Rendizioni {
public:
    // Reads one rendition; an empty image when it cannot be read (the 1 × picture is then used).
    using Caricatore = std::function<QImage()>;
    // Reads one rendition and reduces it to `bersaglio` by averaging areas as it decodes
    // (decodificaRendizioneRidotta), when it can be read that way; nullopt when it cannot.
    using CaricatoreRidotto = std::function<std::optional<QImage>(QSize bersaglio)>;

    // Adds the rendition of factor `fattore` (2 or more; another of the same factor replaces it).
    // `ridotta`, when given, reads the same rendition reduced.
    void aggiungi(int fattore, Caricatore carica, CaricatoreRidotto ridotta = {});

    // The factors there are, 1 included, in ascending order.
    QList<int> fattori() const;
    bool vuote() const { return voci_.isEmpty(); }

    // The smallest factor at least `necessario` (device pixels per 1 × pixel), or the largest
    // there is when none is that large.
    int scegli(double necessario) const;
    // The largest factor there is (1 without renditions).
    int massimo() const;

    // The rendition of that factor; an empty image for 1, for a factor there is not, or when it
    // cannot be read.
    QImage carica(int fattore) const;
    // The rendition of that factor reduced to `bersaglio` as it is read, never whole: nullopt
    // when it has no such reader or cannot be read that way (then carica reads it), else the
    // reduced picture, or an empty image when it cannot be read at all.
    std::optional<QImage> caricaRidotta(int fattore, QSize bersaglio) const;

    // Whether these are the same renditions as `altre`: one a copy of the other, untouched since
    // (or both none). Loaders cannot be compared, so two sets added apart are never the same.
    bool stesseDi(const Rendizioni& altre) const {
        return voci_.size() == altre.voci_.size() && voci_.constData() == altre.voci_.constData();
    }

private:
    struct Voce {
        int fattore;
        Caricatore carica;
        CaricatoreRidotto ridotta;
    };
    QList<Voce> voci_; // ascending by factor
};

// A rendition in these bytes, decoded by content, when it measures exactly `attesa` (the 1 ×
// size times its factor); an empty image for any other size or for bytes that are no picture.
// The size is read from the header first, so a wrong one is never decoded. A 32-bit picture is
// decoded into pixels of our own (below), so a reduction can take its place.
QImage decodificaRendizione(const QByteArray& dati, QSize attesa);
// The same, read from an open device as it decodes: a large uncompressed file is never held
// whole beside its picture.
QImage decodificaRendizione(QIODevice& dispositivo, QSize attesa);

// Pixels of our own: a picture in a buffer from std::malloc that it frees. A large rendition
// reduced for the screen is reduced over its own pixels and the buffer then shrunk to the
// result, so the two never live side by side. A null image for a size or format Qt would refuse
// or beyond the image reader's allocation limit.
QImage immagineInPixelPropri(QSize misura, QImage::Format formato);
// True when the picture's pixels are our own and no other copy shares them.
bool pixelPropri(const QImage& immagine);
// Takes the pixels of such a picture: it becomes null and the caller owns the buffer (to hand
// to avvolgiPixelPropri or std::free). Nullptr, and the picture untouched, when pixelPropri is
// false.
uchar* prendiPixelPropri(QImage& immagine);
// A picture over a std::malloc buffer, which it frees; null (and the buffer freed) when the
// size, stride or format do not make one.
QImage avvolgiPixelPropri(uchar* dati, QSize misura, qsizetype bytesPerLine,
                          QImage::Format formato);

// What print and copy take: the largest rendition that can be read, and its factor; the 1 ×
// picture and 1 when there is none.
QImage rendizionePiuGrande(const QImage& base, const Rendizioni& rendizioni,
                           int* fattore = nullptr);

// A picture compiled into the program (":/art/cursor.png"), its format named from its bytes, so
// that no image plugin is loaded to recognise it; an empty image for any other path or for bytes
// that are no picture.
QImage immagineDaRisorsa(const QString& percorso);

// The renditions of a picture file named by a Windows path: the files beside it named as
// renditions ("C:\\SFONDI\\sistemi@2x.bmp"), found by their existence now and read through the
// safe file reader only when asked for.
Rendizioni rendizioniNellaCartella(const QString& percorso, QSize base);
// The same from host files already found, by factor: for work that resolves the names itself.
Rendizioni rendizioniDaiFile(const QList<std::pair<int, QString>>& file, QSize base);

// The renditions of a picture compiled into the program (":/art/cursor.png" →
// ":/art/cursor@2x.png" …), for the factors there are.
Rendizioni rendizioniDaRisorsa(const QString& percorso, QSize base);

// The choice on its own: of `fattori` (ascending, 1 included), the smallest at least
// `necessario`, else the largest.
int scegliRendizione(const QList<int>& fattori, double necessario);

} // namespace hn
