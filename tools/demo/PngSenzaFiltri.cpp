#include "PngSenzaFiltri.h"

#include <csetjmp>
#include <png.h>
#include <vector>

namespace hn::demo {

namespace {

void scrivi(png_structp png, png_bytep dati, png_size_t n) {
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(dati), qsizetype(n));
}

void svuota(png_structp) {}

// The state libpng jumps back from: nothing here may need a destructor.
bool componi(png_structp png, png_infop info, const QImage& immagine, QByteArray& uscita) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &uscita, scrivi, svuota);
    const bool tavolozza = immagine.format() == QImage::Format_Indexed8;
    png_set_IHDR(png, info, png_uint_32(immagine.width()), png_uint_32(immagine.height()), 8,
                 tavolozza ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colori[256] = {};
    if (tavolozza) {
        const QList<QRgb> tabella = immagine.colorTable();
        for (qsizetype i = 0; i < tabella.size() && i < 256; ++i)
            colori[i] = {png_byte(qRed(tabella[i])), png_byte(qGreen(tabella[i])),
                         png_byte(qBlue(tabella[i]))};
        png_set_PLTE(png, info, colori, int(std::max<qsizetype>(1, tabella.size())));
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    std::vector<png_byte> riga(size_t(immagine.width()) * 3);
    for (int y = 0; y < immagine.height(); ++y) {
        if (tavolozza) {
            png_write_row(png, immagine.constScanLine(y));
            continue;
        }
        const auto* pixel = reinterpret_cast<const QRgb*>(immagine.constScanLine(y));
        for (int x = 0; x < immagine.width(); ++x) {
            riga[size_t(x) * 3] = png_byte(qRed(pixel[x]));
            riga[size_t(x) * 3 + 1] = png_byte(qGreen(pixel[x]));
            riga[size_t(x) * 3 + 2] = png_byte(qBlue(pixel[x]));
        }
        png_write_row(png, riga.data());
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

QByteArray pngSenzaFiltri(const QImage& immagine) {
    if (immagine.isNull() ||
        (immagine.format() != QImage::Format_RGB32 && immagine.format() != QImage::Format_Indexed8))
        return {};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return {};
    png_infop info = png_create_info_struct(png);
    QByteArray uscita;
    const bool fatto = info && componi(png, info, immagine, uscita);
    png_destroy_write_struct(&png, &info);
    return fatto ? uscita : QByteArray();
}

} // namespace hn::demo
