#include "PngPerRighe.h"

#include "Processore.h"
#include "Ridimensiona.h"

#include <QtEndian>
#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <vector>

namespace hn {

namespace {

// The sides the other decoders accept (immagineInPixelPropri): a larger header is refused
// before anything is allocated for it.
constexpr png_uint_32 latoMassimo = 32767;
// Text, profiles and other chunks beside the pixels: none of a picture of ours comes near.
constexpr png_alloc_size_t bloccoMassimo = 8 * 1024 * 1024;
constexpr png_uint_32 blocchiMassimi = 256;
// The chunks beside the pixels that the rows do not need (colour spaces and gamma are not
// applied, as Qt's reader applies none to the pixels), skipped a piece at a time unread: libpng
// would otherwise allocate each one's claimed length before reading it, the chunk limit above
// notwithstanding, and a text chunk claiming 1.5 GB in a file of 300 bytes asks for 1.5 GB.
constexpr png_byte ignorati[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0"
                                "sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";

// libpng reports an error by jumping back to the setjmp of the step under way; warnings are
// dropped, as Qt's reader drops them.
[[noreturn]] void errore(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void avviso(png_structp, png_const_charp) {}

// libpng's reads, from the device. Bytes that end early are an error, reported the libpng way;
// nothing from C++ may unwind through libpng's frames, so nothing thrown leaves here.
void leggi(png_structp png, png_bytep dati, size_t quanti) {
    auto* dispositivo = static_cast<QIODevice*>(png_get_io_ptr(png));
    size_t letti = 0;
    while (letti < quanti) {
        qint64 n = -1;
        try {
            n = dispositivo->read(reinterpret_cast<char*>(dati) + letti, qint64(quanti - letti));
        } catch (...) {
        }
        if (n <= 0)
            break;
        letti += size_t(n);
    }
    if (letti < quanti)
        png_error(png, "troncato");
}

// Rows of 8-bit red, green and blue made RGB32. libpng's own swapping and filling take twice as
// long as the inflating itself on a large rendition: most of its decoding.
void daRgb(const png_byte* da, QRgb* a, size_t n) {
    size_t x = 0;
    // Each pixel read as the four bytes from its own: the fourth is the next pixel's, and the
    // last pixel, with nothing after it, is read a byte at a time.
    for (; x + 1 < n; ++x)
        a[x] = 0xff000000u | qFromBigEndian<quint32>(da + 3 * x) >> 8;
    for (; x < n; ++x)
        a[x] = qRgb(da[3 * x], da[3 * x + 1], da[3 * x + 2]);
}

#if defined(HN_SSSE3)
// The same, four pixels to a shuffle.
HN_CON_SSSE3 void daRgbSsse3(const png_byte* da, QRgb* a, size_t n) {
    size_t x = 0;
    // Sixteen bytes loaded, twelve used: the last loads stop where the row's bytes do.
    const __m128i ordine = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i opaco = _mm_set1_epi32(int(0xff000000u));
    for (; x + 6 <= n; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(da + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(a + x),
                         _mm_or_si128(_mm_shuffle_epi8(v, ordine), opaco));
    }
    daRgb(da + 3 * x, a + x, n - x);
}
#endif

void righeRgb(const png_byte* da, QRgb* a, size_t n) {
    HN_SCEGLI_SSSE3(daRgbSsse3, daRgb)(da, a, n);
}

} // namespace

struct PngPerRighe::Stato {
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool leggibile = false;
    bool rotta = false; // libpng reported an error
    bool alfa = false;
    int larghezza = 0;
    int altezza = 0;
    int lette = 0;
    std::vector<QRgb> riga;
    // A palette picture's rows come as indices, looked up here: an index past the palette's end
    // takes its first entry, as Qt's reader gives it.
    bool tavolozza = false;
    std::array<QRgb, 256> colori{};
    // Opaque 8-bit colour, the renditions' own kind: rows come as libpng reads them, converted
    // here.
    bool rgb = false;
    std::vector<png_byte> grezza; // a row as libpng gives it, for either of those

    // The two calls into libpng that may jump back. Each holds only trivially destructible
    // locals, so a jump skips no destructor; they record in `rotta` whether libpng reported an
    // error. apri is true when the rows can be read.
    static bool apri(Stato* s);
    static bool leggiRiga(Stato* s);
    // The chunks after the last row, up to the end mark, which Qt's reader wants too.
    static bool leggiFine(Stato* s);
    // What the header says, once read; false for a kind the rows are not given for.
    static bool preparaRighe(Stato* s);
};

bool PngPerRighe::Stato::apri(Stato* s) {
    if (setjmp(png_jmpbuf(s->png))) {
        s->rotta = true;
        return false;
    }
    png_read_info(s->png, s->info);
    return preparaRighe(s);
}

bool PngPerRighe::Stato::preparaRighe(Stato* s) {
    png_uint_32 w = 0, h = 0;
    int profondita = 0, colore = 0, interlacciata = 0;
    png_get_IHDR(s->png, s->info, &w, &h, &profondita, &colore, &interlacciata, nullptr, nullptr);
    // Seven passes over the picture: decoded whole, by Qt.
    if (interlacciata != PNG_INTERLACE_NONE || w == 0 || h == 0 || w > latoMassimo ||
        h > latoMassimo)
        return false;
    s->larghezza = int(w);
    s->altezza = int(h);
    s->alfa = (colore & PNG_COLOR_MASK_ALPHA) != 0;
    const bool trasparenze = png_get_valid(s->png, s->info, PNG_INFO_tRNS) != 0;
    if (trasparenze && colore == PNG_COLOR_TYPE_PALETTE) {
        // A palette whose entries are all opaque has no transparency.
        png_bytep alfe = nullptr;
        int quante = 0;
        png_get_tRNS(s->png, s->info, &alfe, &quante, nullptr);
        for (int i = 0; alfe && i < quante; ++i)
            s->alfa = s->alfa || alfe[i] != 255;
    } else if (trasparenze) {
        s->alfa = true;
    }
    if (colore == PNG_COLOR_TYPE_RGB && profondita == 8 && !trasparenze) {
        s->rgb = true;
        png_read_update_info(s->png, s->info);
        return png_get_rowbytes(s->png, s->info) == size_t(w) * 3;
    }
    if (colore == PNG_COLOR_TYPE_PALETTE) {
        png_colorp voci = nullptr;
        int quante = 0;
        png_get_PLTE(s->png, s->info, &voci, &quante);
        png_bytep alfe = nullptr;
        int trasparenti = 0;
        if (trasparenze)
            png_get_tRNS(s->png, s->info, &alfe, &trasparenti, nullptr);
        if (!voci || quante < 1)
            return false;
        for (int i = 0; i < 256; ++i) {
            const int v = i < quante ? i : 0;
            const QRgb c = qRgba(voci[v].red, voci[v].green, voci[v].blue,
                                 alfe && v < trasparenti ? alfe[v] : 255);
            s->colori[size_t(i)] = s->alfa ? qPremultiply(c) : c;
        }
        s->tavolozza = true;
        // Indices of fewer bits one to a byte.
        png_set_packing(s->png);
        png_read_update_info(s->png, s->info);
        return png_get_channels(s->png, s->info) == 1 && png_get_bit_depth(s->png, s->info) == 8 &&
               png_get_rowbytes(s->png, s->info) == size_t(w);
    }
    // Every other kind to 8-bit RGBA: small greys expanded, one transparent colour made an
    // alpha channel, 16 bits rounded to 8, grey made colour, an opaque alpha added.
    png_set_expand(s->png);
    png_set_scale_16(s->png);
    png_set_gray_to_rgb(s->png);
    const bool conAlfa = (colore & PNG_COLOR_MASK_ALPHA) != 0 || trasparenze;
    // In the byte order of a QRgb in memory, so a row is used as it comes.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(s->png);
    if (!conAlfa)
        png_set_filler(s->png, 0xff, PNG_FILLER_AFTER);
#else
    if (conAlfa)
        png_set_swap_alpha(s->png);
    else
        png_set_filler(s->png, 0xff, PNG_FILLER_BEFORE);
#endif
    png_read_update_info(s->png, s->info);
    return png_get_channels(s->png, s->info) == 4 && png_get_bit_depth(s->png, s->info) == 8 &&
           png_get_rowbytes(s->png, s->info) == size_t(w) * 4;
}

bool PngPerRighe::Stato::leggiRiga(Stato* s) {
    if (setjmp(png_jmpbuf(s->png))) {
        s->rotta = true;
        return false;
    }
    png_read_row(s->png,
                 s->tavolozza || s->rgb ? s->grezza.data()
                                        : reinterpret_cast<png_bytep>(s->riga.data()),
                 nullptr);
    return true;
}

bool PngPerRighe::Stato::leggiFine(Stato* s) {
    if (setjmp(png_jmpbuf(s->png))) {
        s->rotta = true;
        return false;
    }
    // With the picture's info: without it libpng skips every chunk unchecked.
    png_read_end(s->png, s->info);
    return true;
}

PngPerRighe::PngPerRighe(QIODevice& dispositivo)
    : s_(std::make_unique<Stato>()) {
    const QByteArray firma = dispositivo.peek(8);
    if (firma.size() < 8 ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(firma.constData()), 0, 8) != 0)
        return;
    s_->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, errore, avviso);
    if (!s_->png)
        return;
    s_->info = png_create_info_struct(s_->png);
    if (!s_->info)
        return;
    png_set_read_fn(s_->png, &dispositivo, leggi);
    png_set_user_limits(s_->png, latoMassimo, latoMassimo);
    png_set_chunk_malloc_max(s_->png, bloccoMassimo);
    png_set_chunk_cache_max(s_->png, blocchiMassimi);
    png_set_keep_unknown_chunks(s_->png, PNG_HANDLE_CHUNK_NEVER, ignorati,
                                int(sizeof(ignorati) / 5));
    // Every chunk's CRC still checks the compressed bytes as read; zlib's own sum over the
    // inflated ones would be a third of the decoding again.
    png_set_option(s_->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    if (!Stato::apri(s_.get()))
        return;
    s_->riga.resize(size_t(s_->larghezza));
    if (s_->tavolozza || s_->rgb)
        s_->grezza.resize(size_t(s_->larghezza) * (s_->rgb ? 3 : 1));
    s_->leggibile = true;
}

PngPerRighe::~PngPerRighe() {
    if (s_->png)
        png_destroy_read_struct(&s_->png, s_->info ? &s_->info : nullptr, nullptr);
}

bool PngPerRighe::leggibile() const {
    return s_->leggibile;
}

QSize PngPerRighe::misura() const {
    return s_->leggibile ? QSize(s_->larghezza, s_->altezza) : QSize();
}

bool PngPerRighe::guasta() const {
    return s_->rotta;
}

bool PngPerRighe::alfa() const {
    return s_->alfa;
}

int PngPerRighe::lette() const {
    return s_->lette;
}

const QRgb* PngPerRighe::riga() {
    if (!s_->leggibile || s_->rotta || s_->lette >= s_->altezza)
        return nullptr;
    if (!Stato::leggiRiga(s_.get()))
        return nullptr;
    // A file that ends without its end mark is truncated: its last row is not handed out.
    if (++s_->lette == s_->altezza && !Stato::leggiFine(s_.get()))
        return nullptr;
    if (s_->rgb)
        righeRgb(s_->grezza.data(), s_->riga.data(), s_->riga.size());
    else if (s_->tavolozza)
        std::transform(s_->grezza.cbegin(), s_->grezza.cend(), s_->riga.begin(),
                       [this](png_byte i) { return s_->colori[i]; });
    else if (s_->alfa)
        for (QRgb& v : s_->riga)
            v = qPremultiply(v);
    return s_->riga.data();
}

std::optional<QImage> decodificaRendizioneRidotta(QIODevice& dispositivo, QSize attesa,
                                                  QSize bersaglio) {
    if (!attesa.isValid())
        return QImage();
    const qint64 inizio = dispositivo.pos();
    PngPerRighe png(dispositivo);
    // A PNG whose header libpng refuses is no picture for Qt's reader either (which uses the
    // same libpng), nor one with a side beyond any picture's here.
    if (png.guasta())
        return QImage();
    if (!png.leggibile()) {
        if (!dispositivo.seek(inizio))
            return QImage();
        return std::nullopt;
    }
    if (png.misura() != attesa)
        return QImage();
    const RigaSorgente riga = [&png](int r) -> const QRgb* {
        // Rows no target pixel takes are read past.
        while (png.lette() < r)
            if (!png.riga())
                return nullptr;
        return png.lette() == r ? png.riga() : nullptr;
    };
    return riduciPerRighe(attesa, png.alfa(), riga, bersaglio);
}

} // namespace hn
