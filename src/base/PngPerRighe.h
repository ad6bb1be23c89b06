#pragma once

// A PNG decoded a row at a time with libpng. Qt's reader decodes a picture whole: a 3 × home
// background for a 3840 × 2160 monitor is 28 MB of pixels that live only to be reduced. Fed row
// by row into the reduction, the whole picture never exists, only the result and a few rows.

#include <QIODevice>
#include <QImage>
#include <QSize>
#include <memory>
#include <optional>

namespace hn {

class PngPerRighe {
public:
    // Reads the header from the device's current position. Nothing is decoded yet.
    explicit PngPerRighe(QIODevice& dispositivo);
    ~PngPerRighe();
    PngPerRighe(const PngPerRighe&) = delete;
    PngPerRighe& operator=(const PngPerRighe&) = delete;

    // Whether the rows can be read one by one: a PNG whose header was read, neither interlaced
    // (its rows come in seven passes) nor of a kind the row conversion does not give as 8-bit
    // RGBA. False for bytes that are no PNG at all.
    bool leggibile() const;
    // Whether libpng found the bytes truncated or corrupt: in the header (then the rows cannot
    // be read either) or in a row read since.
    bool guasta() const;
    QSize misura() const;
    // Transparency as Qt's reader would find it: an alpha channel, or transparent entries in
    // the palette or for one colour.
    bool alfa() const;

    // The next row, in RGB32, or premultiplied ARGB32 with transparency; valid until the next
    // call. Null once the file proves truncated or corrupt, and for every row after.
    const QRgb* riga();
    // The rows read so far.
    int lette() const;

private:
    struct Stato;
    std::unique_ptr<Stato> s_;
};

// A rendition read from a device and reduced to `bersaglio` by averaging areas as it is decoded
// (riduciPerRighe), when it is a PNG that can be read by rows: nullopt when it is not (another
// format, interlaced), so the caller decodes it whole; an empty image, as decodificaRendizione
// gives, when it does not measure exactly `attesa` or is truncated or corrupt.
std::optional<QImage> decodificaRendizioneRidotta(QIODevice& dispositivo, QSize attesa,
                                                  QSize bersaglio);

} // namespace hn
