// Pictures of a help file: the SHG/MRB container, its bitmaps and hotspots.
#include "Compressione.h"
#include "Guida.h"

#include <algorithm>

namespace hn::winhelp {

namespace {

constexpr int LatoMassimo = 16384;
constexpr qsizetype PixelMassimi = qsizetype(16) * 1024 * 1024;

struct Resa {
    qsizetype inizio;
    int tipo, impacchettamento;
    std::uint32_t dpi = 0;
    int bit = 0;
};

QList<ZonaImmagine> leggiZone(QByteArrayView d, const FileGuida& g) {
    QList<ZonaImmagine> zone;
    const QString dove = QStringLiteral("zone obrazu");
    Lettore l(d, dove);
    l.u8();
    const int n = l.u16();
    const std::uint32_t dimMacro = l.u32();
    if (qsizetype(n) * 15 > l.resto())
        danneggiato(dove);
    struct Grezza {
        unsigned id0, id1;
        QRect r;
        std::uint32_t hash;
    };
    QList<Grezza> grezze;
    for (int i = 0; i < n; ++i) {
        Grezza z;
        z.id0 = l.u8();
        z.id1 = l.u8();
        l.u8();
        const int x = l.u16(), y = l.u16(), w = l.u16(), h = l.u16();
        z.r = QRect(x, y, w, h);
        z.hash = l.u32();
        grezze.append(z);
    }
    if (dimMacro > std::uint32_t(l.resto()))
        danneggiato(dove);
    l.salta(qsizetype(dimMacro));
    for (const Grezza& z : grezze) {
        ZonaImmagine zona;
        zona.rettangolo = z.r;
        zona.nome = g.testo(l.stringa());
        const QString bersaglio = g.testo(l.stringa());
        Collegamento& c = zona.collegamento;
        c.visibile = !(z.id1 & 4);
        switch (z.id0) {
        case 0xC8:
        case 0xCC:
            c.tipo = Collegamento::Macro;
            c.macro = bersaglio;
            break;
        case 0xE2:
        case 0xE6:
        case 0xE3:
        case 0xE7:
            c.tipo = (z.id0 & 1) ? Collegamento::Salto : Collegamento::Popup;
            c.hash = z.hash;
            c.contesto = bersaglio;
            break;
        default: {
            // ContextName>Window@File, the window and file optional.
            c.tipo = (z.id0 & 1) ? Collegamento::Salto : Collegamento::Popup;
            QString resto = bersaglio;
            const qsizetype chiocciola = resto.indexOf(u'@');
            if (chiocciola >= 0) {
                c.file = resto.mid(chiocciola + 1);
                resto.truncate(chiocciola);
            }
            const qsizetype maggiore = resto.indexOf(u'>');
            if (maggiore >= 0) {
                c.finestra = resto.mid(maggiore + 1);
                resto.truncate(maggiore);
            }
            c.contesto = resto;
            c.hash = hashDi(resto);
        }
        }
        zone.append(zona);
    }
    return zone;
}

QList<QRgb> tavolozzaPredefinita(int bit) {
    QList<QRgb> t;
    if (bit == 1)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    static const QRgb vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < (1 << bit); ++i)
        t.append(bit == 4 ? (0xFF000000 | vga[i]) : qRgb(i, i, i));
    return t;
}

} // namespace

ImmagineGuida FileGuida::immagine(const RifImmagine& rif, int dpi) const {
    ImmagineGuida risultato;
    QByteArrayView d = rif.dati;
    if (rif.numero >= 0) {
        auto f = c_->file(QByteArray("|bm") + QByteArray::number(rif.numero));
        if (!f)
            f = c_->file(QByteArray("bm") + QByteArray::number(rif.numero));
        if (!f)
            throw ErroreGuida(
                QStringLiteral("W pliku pomocy brakuje obrazu nr %1.").arg(rif.numero));
        d = *f;
    }
    const QString dove = QStringLiteral("obraz");
    Lettore l(d, dove);
    l.u16();
    const int n = l.u16();
    if (n <= 0 || qsizetype(n) * 4 > l.resto())
        danneggiato(dove);
    // Of a multi-resolution picture the bitmap nearest the screen's resolution, then the one of
    // most colours; a metafile only when there is no bitmap.
    std::optional<Resa> scelta;
    for (int i = 0; i < n; ++i) {
        Resa r;
        r.inizio = l.u32();
        Lettore t(d, dove);
        t.vai(r.inizio);
        r.tipo = t.u8();
        r.impacchettamento = t.u8();
        if (r.tipo == 5 || r.tipo == 6) {
            r.dpi = t.cu32();
            t.cu32();
            t.cu16();
            r.bit = int(t.cu16());
        }
        auto punteggio = [dpi](const Resa& x) {
            const bool bitmap = x.tipo == 5 || x.tipo == 6;
            return std::tuple(bitmap, -std::abs(int(x.dpi) - dpi), x.bit);
        };
        if (!scelta || punteggio(r) > punteggio(*scelta))
            scelta = r;
    }
    Lettore r(d, dove);
    r.vai(scelta->inizio);
    const QByteArrayView resa = d.sliced(scelta->inizio);
    r = Lettore(resa, dove);
    const int tipo = r.u8(), impacchettamento = r.u8();
    auto scompatta = [&](std::uint32_t da, std::uint32_t quanti, qsizetype attesi) {
        if (da > std::uint32_t(resa.size()) || quanti > std::uint32_t(resa.size()) - da)
            danneggiato(dove);
        const QByteArrayView c = resa.sliced(da, quanti);
        switch (impacchettamento) {
        case 0:
            return c.first(std::min(attesi, c.size())).toByteArray();
        case 1:
            return decomprimiRle(c, attesi);
        case 2:
            return decomprimiLz77(c, attesi);
        case 3:
            // Packed with run lengths first, then LZ77: undone in the other order.
            return decomprimiRle(
                decomprimiLz77(c, std::min<qsizetype>(c.size() * 9 + 16, attesi * 2 + 1024)),
                attesi);
        default:
            danneggiato(dove);
        }
    };
    if (tipo == 5 || tipo == 6) {
        r.cu32();
        r.cu32();
        r.cu16();
        const int bit = int(r.cu16());
        const std::uint32_t w = r.cu32(), h = r.cu32();
        const std::uint32_t colori = r.cu32(), importanti = r.cu32();
        const std::uint32_t dimCompressa = r.cu32(), dimZone = r.cu32();
        const std::uint32_t posCompressa = r.u32(), posZone = r.u32();
        if (w == 0 || h == 0 || w > LatoMassimo || h > LatoMassimo ||
            qsizetype(w) * h > PixelMassimi ||
            (bit != 1 && bit != 4 && bit != 8 && bit != 16 && bit != 24 && bit != 32))
            danneggiato(dove);
        QList<QRgb> tavolozza;
        if (bit <= 8) {
            if (tipo == 6) {
                const std::uint32_t quanti =
                    colori ? std::min<std::uint32_t>(colori, 256) : 1u << bit;
                for (std::uint32_t i = 0; i < quanti; ++i) {
                    const int b = r.u8(), g = r.u8(), rr = r.u8();
                    r.u8();
                    tavolozza.append(qRgb(rr, g, b));
                }
                if (colori > 256)
                    danneggiato(dove);
            } else {
                tavolozza = tavolozzaPredefinita(bit);
            }
            while (tavolozza.size() < (1 << bit))
                tavolozza.append(qRgb(0, 0, 0));
        }
        // Device-independent rows are bottom-up on 32-bit boundaries; device-dependent ones
        // top-down on 16-bit boundaries.
        const qsizetype riga =
            tipo == 6 ? (qsizetype(w) * bit + 31) / 32 * 4 : (qsizetype(w) * bit + 15) / 16 * 2;
        const QByteArray pixel = scompatta(posCompressa, dimCompressa, riga * h);
        QImage img(int(w), int(h), bit <= 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
        if (bit <= 8)
            img.setColorTable(tavolozza);
        img.fill(bit <= 8 ? 0u : 0xFFFFFFFFu);
        for (std::uint32_t y = 0; y < h; ++y) {
            const qsizetype da = (tipo == 6 ? qsizetype(h - 1 - y) : qsizetype(y)) * riga;
            if (da + riga > pixel.size())
                continue;
            const auto* s = reinterpret_cast<const uchar*>(pixel.constData() + da);
            uchar* o = img.scanLine(int(y));
            for (std::uint32_t x = 0; x < w; ++x) {
                switch (bit) {
                case 1:
                    o[x] = (s[x / 8] >> (7 - x % 8)) & 1;
                    break;
                case 4:
                    o[x] = (s[x / 2] >> (x % 2 ? 0 : 4)) & 15;
                    break;
                case 8:
                    o[x] = s[x];
                    break;
                case 16: {
                    const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
                    reinterpret_cast<QRgb*>(o)[x] =
                        qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31,
                             (v & 31) * 255 / 31);
                    break;
                }
                default: {
                    const qsizetype p = qsizetype(x) * (bit / 8);
                    reinterpret_cast<QRgb*>(o)[x] = qRgb(s[p + 2], s[p + 1], s[p]);
                }
                }
            }
        }
        // A transparent bitmap shows the page through its white.
        if (importanti == 1 && bit <= 8) {
            img = img.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < img.height(); ++y) {
                auto* o = reinterpret_cast<QRgb*>(img.scanLine(y));
                for (int x = 0; x < img.width(); ++x)
                    if ((o[x] & 0xFFFFFF) == 0xFFFFFF)
                        o[x] = 0;
            }
        }
        risultato.immagine = img;
        risultato.dimensione = img.size();
        if (dimZone && posZone) {
            if (posZone > std::uint32_t(resa.size()) ||
                dimZone > std::uint32_t(resa.size()) - posZone)
                danneggiato(dove);
            risultato.zone = leggiZone(resa.sliced(posZone, dimZone), *this);
        }
    } else if (tipo == 8) {
        r.cu16();
        int w = r.u16(), h = r.u16();
        r.cu32();
        r.cu32();
        const std::uint32_t dimZone = r.cu32();
        r.u32();
        const std::uint32_t posZone = r.u32();
        // Metafiles give their size in hundredths of a millimetre when it is large.
        if (w > 2000 || h > 2000) {
            w = int(w / 26.46);
            h = int(h / 26.46);
        }
        risultato.dimensione = QSize(std::clamp(w, 16, 2000), std::clamp(h, 16, 2000));
        if (dimZone && posZone && posZone < std::uint32_t(resa.size()) &&
            dimZone <= std::uint32_t(resa.size()) - posZone)
            risultato.zone = leggiZone(resa.sliced(posZone, dimZone), *this);
    } else {
        danneggiato(dove);
    }
    return risultato;
}

} // namespace hn::winhelp
