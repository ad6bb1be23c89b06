#include "Scrittore.h"

#include "Compressione.h"
#include "Cp1250.h"
#include "Lettore.h"

#include <QHash>
#include <algorithm>

namespace hn::winhelp {

namespace {

constexpr qsizetype Blocco = 4096, Decompresso = 16384;
constexpr std::uint32_t Nessuno = 0xFFFFFFFF;

QByteArray zString(const QString& s) {
    QByteArray b = encodeCp1250(s);
    b.append('\0');
    return b;
}

QByteArray fisso(const QString& s, qsizetype n) {
    QByteArray b = encodeCp1250(s).left(n - 1);
    b.append(n - b.size(), '\0');
    return b;
}

void scriviU32In(QByteArray& b, qsizetype p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[p + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// One topic link as the writer builds it, before its place is known.
struct LinkNuovo {
    quint8 tipo = 0x20;
    QByteArray d1, d2, d2Memorizzato;
    std::uint32_t lunghezzaTesto = 0; // characters and picture hotspots it counts
    int argomento = 0;
    bool nonScorrevole = false;
    qsizetype dimensione() const { return 21 + d1.size() + d2Memorizzato.size(); }
};

// Words worth a phrase: long and frequent enough to pay for their table entry.
QList<QByteArray> scegliFrasi(const QList<LinkNuovo>& link) {
    QHash<QByteArray, int> conteggi;
    for (const LinkNuovo& l : link) {
        qsizetype i = 0;
        while (i < l.d2.size()) {
            qsizetype j = i;
            while (j < l.d2.size() && static_cast<unsigned char>(l.d2[j]) > ' ')
                ++j;
            if (j - i >= 4)
                ++conteggi[l.d2.mid(i, j - i)];
            i = j + 1;
        }
    }
    QList<std::pair<int, QByteArray>> candidati;
    for (auto it = conteggi.cbegin(); it != conteggi.cend(); ++it)
        if (it.value() >= 2)
            candidati.append({-(it.value() - 1) * int(it.key().size() - 2), it.key()});
    std::sort(candidati.begin(), candidati.end());
    QList<QByteArray> frasi;
    for (const auto& c : candidati) {
        if (frasi.size() >= 1900)
            break;
        frasi.append(c.second);
    }
    return frasi;
}

QByteArray comprimiConFrasi(const QByteArray& d, const QHash<QByteArray, int>& frasi) {
    // Bytes 1..15 are phrase codes: text that holds them stays as it is.
    for (const char c : d)
        if (c >= 1 && c <= 15)
            return d;
    QByteArray out;
    qsizetype i = 0;
    while (i < d.size()) {
        const bool inizio = i == 0 || static_cast<unsigned char>(d[i - 1]) <= ' ';
        if (inizio) {
            qsizetype j = i;
            while (j < d.size() && static_cast<unsigned char>(d[j]) > ' ')
                ++j;
            const auto it = frasi.constFind(d.mid(i, j - i));
            if (it != frasi.cend()) {
                const bool spazio = j < d.size() && d[j] == ' ';
                const unsigned v = unsigned(*it) * 2 + (spazio ? 1 : 0);
                out.append(static_cast<char>(v / 256 + 1));
                out.append(static_cast<char>(v % 256));
                i = j + (spazio ? 1 : 0);
                continue;
            }
        }
        out.append(d[i++]);
    }
    return out.size() < d.size() ? out : d;
}

QByteArray immagineShg(const ImmagineNuova& im, const QList<std::uint32_t>& hash) {
    QImage img = im.immagine.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    const qsizetype riga = (qsizetype(img.width()) * 8 + 31) / 32 * 4;
    QByteArray pixel;
    for (int y = img.height() - 1; y >= 0; --y) {
        QByteArray r(reinterpret_cast<const char*>(img.constScanLine(y)), img.width());
        r.append(riga - r.size(), '\0');
        pixel.append(r);
    }
    const QByteArray compressi = comprimiLz77(comprimiRle(pixel));
    QByteArray zone;
    if (!im.zone.isEmpty()) {
        zone.append('\x01');
        scriviU16(zone, unsigned(im.zone.size()));
        QByteArray macro, stringhe;
        for (const ZonaNuova& z : im.zone) {
            if (!z.macro.isEmpty())
                macro.append(zString(z.macro));
            stringhe.append(zString(QString()));
            stringhe.append(zString(z.macro.isEmpty() ? z.contesto : z.macro));
        }
        scriviU32(zone, std::uint32_t(macro.size()));
        for (qsizetype i = 0; i < im.zone.size(); ++i) {
            const ZonaNuova& z = im.zone[i];
            const unsigned id0 = !z.macro.isEmpty() ? (z.visibile ? 0xC8 : 0xCC)
                                 : z.popup          ? (z.visibile ? 0xE2 : 0xE6)
                                                    : (z.visibile ? 0xE3 : 0xE7);
            zone.append(static_cast<char>(id0));
            zone.append(z.visibile ? '\0' : '\x04');
            zone.append('\0');
            scriviU16(zone, unsigned(z.rettangolo.x()));
            scriviU16(zone, unsigned(z.rettangolo.y()));
            scriviU16(zone, unsigned(z.rettangolo.width()));
            scriviU16(zone, unsigned(z.rettangolo.height()));
            scriviU32(zone, z.macro.isEmpty() ? hash.value(i) : 1);
        }
        zone.append(macro);
        zone.append(stringhe);
    }
    auto testa = [&](std::uint32_t posPixel, std::uint32_t posZone) {
        QByteArray h;
        h.append('\x06');
        h.append('\x03'); // run lengths, then LZ77
        scriviCu32(h, 96);
        scriviCu32(h, 96);
        scriviCu16(h, 1);
        scriviCu16(h, 8);
        scriviCu32(h, std::uint32_t(img.width()));
        scriviCu32(h, std::uint32_t(img.height()));
        scriviCu32(h, std::uint32_t(img.colorCount()));
        scriviCu32(h, 0);
        scriviCu32(h, std::uint32_t(compressi.size()));
        scriviCu32(h, std::uint32_t(zone.size()));
        scriviU32(h, posPixel);
        scriviU32(h, posZone);
        for (const QRgb c : img.colorTable()) {
            h.append(static_cast<char>(qBlue(c)));
            h.append(static_cast<char>(qGreen(c)));
            h.append(static_cast<char>(qRed(c)));
            h.append('\0');
        }
        return h;
    };
    const qsizetype lunghezzaTesta = testa(0, 0).size();
    QByteArray resa = testa(std::uint32_t(lunghezzaTesta),
                            zone.isEmpty() ? 0 : std::uint32_t(lunghezzaTesta + compressi.size()));
    resa.append(compressi);
    resa.append(zone);
    QByteArray shg;
    scriviU16(shg, 0x506C);
    scriviU16(shg, 1);
    scriviU32(shg, 8);
    shg.append(resa);
    return shg;
}

} // namespace

QByteArray scriviAlbero(const QList<std::pair<QByteArray, QByteArray>>& voci, int pagina,
                        const QByteArray& struttura, bool cartella) {
    QList<QByteArray> pagine;
    QList<std::pair<QByteArray, int>> figli; // first key, page number
    // Leaves, chained both ways.
    {
        QList<QList<QByteArray>> foglie{{}};
        QList<QByteArray> primeChiavi{voci.isEmpty() ? QByteArray() : voci.first().first};
        qsizetype usati = 8;
        for (const auto& [chiave, voce] : voci) {
            if (usati + voce.size() > pagina && !foglie.last().isEmpty()) {
                foglie.append(QList<QByteArray>());
                primeChiavi.append(chiave);
                usati = 8;
            }
            foglie.last().append(voce);
            usati += voce.size();
        }
        for (qsizetype i = 0; i < foglie.size(); ++i) {
            QByteArray p, corpo;
            for (const QByteArray& v : foglie[i])
                corpo.append(v);
            scriviU16(p, unsigned(pagina - 8 - corpo.size()));
            scriviU16(p, unsigned(foglie[i].size()));
            scriviU16(p, i == 0 ? 0xFFFF : unsigned(i - 1));
            scriviU16(p, i + 1 == foglie.size() ? 0xFFFF : unsigned(i + 1));
            p.append(corpo);
            p.append(pagina - p.size(), '\0');
            figli.append({primeChiavi[i], int(pagine.size())});
            pagine.append(p);
        }
    }
    int livelli = 1;
    while (figli.size() > 1) {
        ++livelli;
        QList<std::pair<QByteArray, int>> sopra;
        qsizetype i = 0;
        while (i < figli.size()) {
            QByteArray p, corpo;
            const int primo = figli[i].second;
            const QByteArray primaChiave = figli[i].first;
            ++i;
            int n = 0;
            while (i < figli.size() && 6 + corpo.size() + figli[i].first.size() + 2 <= pagina) {
                corpo.append(figli[i].first);
                scriviU16(corpo, unsigned(figli[i].second));
                ++i;
                ++n;
            }
            scriviU16(p, unsigned(pagina - 6 - corpo.size()));
            scriviU16(p, unsigned(n));
            scriviU16(p, unsigned(primo));
            p.append(corpo);
            p.append(pagina - p.size(), '\0');
            sopra.append({primaChiave, int(pagine.size())});
            pagine.append(p);
        }
        figli = sopra;
    }
    QByteArray b;
    scriviU16(b, 0x293B);
    scriviU16(b, 0x0002 | (cartella ? 0x0400 : 0));
    scriviU16(b, unsigned(pagina));
    QByteArray s = struttura.left(15);
    s.append(16 - s.size(), '\0');
    b.append(s);
    scriviU16(b, 0);
    scriviU16(b, 0);
    scriviU16(b, unsigned(figli.first().second));
    scriviU16(b, 0xFFFF);
    scriviU16(b, unsigned(pagine.size()));
    scriviU16(b, unsigned(livelli));
    scriviU32(b, std::uint32_t(voci.size()));
    for (const QByteArray& p : pagine)
        b.append(p);
    return b;
}

QByteArray scriviContenitore(const QMap<QByteArray, QByteArray>& file) {
    QByteArray b(16, '\0');
    QList<std::pair<QByteArray, QByteArray>> voci;
    auto aggiungi = [&b](const QByteArray& dati) {
        const auto dove = std::uint32_t(b.size());
        scriviU32(b, std::uint32_t(dati.size() + 9));
        scriviU32(b, std::uint32_t(dati.size()));
        b.append('\x04');
        b.append(dati);
        return dove;
    };
    for (auto it = file.cbegin(); it != file.cend(); ++it) {
        QByteArray chiave = it.key();
        chiave.append('\0');
        QByteArray voce = chiave;
        scriviU32(voce, aggiungi(it.value()));
        voci.append({chiave, voce});
    }
    const std::uint32_t cartella = aggiungi(scriviAlbero(voci, 1024, "z4", true));
    scriviU32In(b, 0, 0x00035F3F);
    scriviU32In(b, 4, cartella);
    scriviU32In(b, 8, Nessuno);
    scriviU32In(b, 12, std::uint32_t(b.size()));
    return b;
}

QByteArray scriviGuida(const GuidaNuova& g, QStringList* avvisi) {
    QHash<QString, int> perContesto;
    for (qsizetype i = 0; i < g.argomenti.size(); ++i)
        perContesto.insert(g.argomenti[i].contesto.toLower(), int(i));
    auto hashNoto = [&](const QString& contesto) {
        if (avvisi && !perContesto.contains(contesto.toLower()))
            avvisi->append(QStringLiteral("no topic has the context \"%1\"").arg(contesto));
        return hashContesto(encodeCp1250(contesto));
    };

    // The links of every topic: its header, then a display record per paragraph.
    QList<LinkNuovo> link;
    for (qsizetype a = 0; a < g.argomenti.size(); ++a) {
        const ArgomentoNuovo& t = g.argomenti[a];
        LinkNuovo h;
        h.tipo = 2;
        h.argomento = int(a);
        h.d1 = QByteArray(28, '\0');
        h.d2 = zString(t.titolo);
        for (const QString& m : t.macro)
            h.d2.append(zString(m));
        link.append(h);
        for (const ParagrafoNuovo& p : t.paragrafi) {
            LinkNuovo l;
            l.argomento = int(a);
            l.nonScorrevole = p.nonScorrevole;
            QByteArray comandi, corrente;
            std::uint32_t zoneImmagini = 0;
            auto comando = [&](const QByteArray& c) {
                l.d2.append(corrente);
                l.d2.append('\0');
                corrente.clear();
                comandi.append(c);
            };
            int font = -1;
            for (const PezzoNuovo& pz : p.pezzi) {
                if (pz.tipo == PezzoNuovo::ACapo) {
                    comando(QByteArray(1, '\x81'));
                    continue;
                }
                if (pz.tipo == PezzoNuovo::Immagine) {
                    const ImmagineNuova& im = g.immagini.at(pz.immagine);
                    QByteArray c(1, char(0x86 + std::min<int>(pz.posizione, 2)));
                    c.append('\x22');
                    scriviCu32(c, 4);
                    scriviCu16(c, unsigned(im.zone.size()));
                    scriviU16(c, 0);
                    scriviU16(c, unsigned(pz.immagine));
                    comando(c);
                    zoneImmagini += std::uint32_t(im.zone.size());
                    continue;
                }
                if (pz.font != font) {
                    QByteArray c(1, '\x80');
                    scriviU16(c, unsigned(pz.font));
                    comando(c);
                    font = pz.font;
                }
                const bool hotspot = !pz.salto.isEmpty() || !pz.macro.isEmpty();
                if (!pz.macro.isEmpty()) {
                    QByteArray c(1, '\xC8');
                    const QByteArray m = zString(pz.macro);
                    scriviU16(c, unsigned(m.size()));
                    c.append(m);
                    comando(c);
                } else if (!pz.salto.isEmpty()) {
                    QByteArray c(1, pz.popup ? '\xE2' : '\xE3');
                    scriviU32(c, hashNoto(pz.salto));
                    comando(c);
                }
                corrente.append(encodeCp1250(pz.testo));
                if (hotspot)
                    comando(QByteArray(1, '\x89'));
            }
            comando(QByteArray(1, '\x82'));
            l.d2.append(corrente);
            l.d2.append('\0');
            comandi.append('\xFF');
            l.lunghezzaTesto = std::uint32_t(l.d2.size()) + zoneImmagini;
            QByteArray info;
            scriviCu32(info, std::uint32_t(l.d2.size()));
            scriviCu16(info, unsigned(l.lunghezzaTesto));
            info.append('\0');
            info.append('\x80');
            scriviU16(info, 0);
            unsigned bit = 0;
            if (p.spazioSopra)
                bit |= 0x0002;
            if (p.rientro)
                bit |= 0x0010;
            if (p.allineamento == 1)
                bit |= 0x0400;
            if (p.allineamento == 2)
                bit |= 0x0800;
            scriviU16(info, bit);
            if (p.spazioSopra)
                scriviCs16(info, p.spazioSopra);
            if (p.rientro)
                scriviCs16(info, p.rientro);
            l.d1 = info + comandi;
            link.append(l);
        }
    }

    QMap<QByteArray, QByteArray> file;
    QList<QByteArray> frasi;
    if (g.frasi)
        frasi = scegliFrasi(link);
    QHash<QByteArray, int> numeroFrase;
    for (qsizetype i = 0; i < frasi.size(); ++i)
        numeroFrase.insert(frasi[i], int(i));
    for (LinkNuovo& l : link)
        l.d2Memorizzato = frasi.isEmpty() ? l.d2 : comprimiConFrasi(l.d2, numeroFrase);
    if (!frasi.isEmpty()) {
        QByteArray testi, p;
        scriviU16(p, unsigned(frasi.size()));
        scriviU16(p, 0x0100);
        unsigned o = unsigned(2 * (frasi.size() + 1));
        QByteArray offset;
        for (const QByteArray& f : frasi) {
            scriviU16(offset, o);
            o += unsigned(f.size());
            testi.append(f);
        }
        scriviU16(offset, o);
        scriviU32(p, std::uint32_t(testi.size()));
        p.append(offset);
        p.append(comprimiLz77(testi));
        file.insert("|Phrases", p);
    }

    // Where each link lands depends on how the blocks pack, and the blocks hold the positions:
    // lay out, fill in, pack again until nothing moves. Without LZ77 one pass is exact.
    QByteArray flusso;
    QList<qsizetype> inizio; // stream offset of each link
    for (const LinkNuovo& l : link) {
        inizio.append(flusso.size());
        QByteArray b;
        scriviU32(b, std::uint32_t(l.dimensione()));
        scriviU32(b, std::uint32_t(l.d2.size()));
        scriviU32(b, 0);
        scriviU32(b, 0);
        scriviU32(b, std::uint32_t(21 + l.d1.size()));
        b.append(static_cast<char>(l.tipo));
        b.append(l.d1);
        b.append(l.d2Memorizzato);
        flusso.append(b);
    }
    bool lz77 = g.lz77;
    QList<qsizetype> confini; // stream offset where each block starts
    QList<QByteArray> compressi;
    QList<std::uint32_t> pos(link.size()), offset(link.size());
    auto posizioneDi = [&](qsizetype s) {
        const auto it = std::upper_bound(confini.cbegin(), confini.cend(), s) - 1;
        const qsizetype b = it - confini.cbegin();
        return std::uint32_t(12 + b * Decompresso + (s - *it));
    };
    auto bloccoDi = [&](qsizetype s) {
        return qsizetype(std::upper_bound(confini.cbegin(), confini.cend(), s) - confini.cbegin() -
                         1);
    };
    auto riempi = [&] {
        qsizetype bloccoCorrente = -1;
        std::uint32_t caratteri = 0;
        for (qsizetype i = 0; i < link.size(); ++i) {
            pos[i] = posizioneDi(inizio[i]);
            const qsizetype b = bloccoDi(inizio[i]);
            if (b != bloccoCorrente) {
                bloccoCorrente = b;
                caratteri = 0;
            }
            offset[i] = (std::uint32_t(b) << 15) | caratteri;
            if (link[i].tipo != 2)
                caratteri += link[i].lunghezzaTesto;
        }
        QList<qsizetype> testate;
        for (qsizetype i = 0; i < link.size(); ++i)
            if (link[i].tipo == 2)
                testate.append(i);
        for (qsizetype i = 0; i < link.size(); ++i) {
            const qsizetype s = inizio[i];
            scriviU32In(flusso, s + 8, i == 0 ? Nessuno : pos[i - 1]);
            scriviU32In(flusso, s + 12, i + 1 == link.size() ? Nessuno : pos[i + 1]);
        }
        for (qsizetype k = 0; k < testate.size(); ++k) {
            const qsizetype h = testate[k];
            const qsizetype fine = k + 1 < testate.size() ? testate[k + 1] : link.size();
            const ArgomentoNuovo& t = g.argomenti[link[h].argomento];
            qsizetype dimensione = 0;
            std::uint32_t fisso = Nessuno, scorre = Nessuno;
            for (qsizetype i = h; i < fine; ++i) {
                dimensione += link[i].dimensione();
                if (i > h && link[i].nonScorrevole && fisso == Nessuno)
                    fisso = pos[i];
                if (i > h && !link[i].nonScorrevole && scorre == Nessuno)
                    scorre = pos[i];
            }
            auto vicino = [&](qsizetype da, int passo) -> std::uint32_t {
                for (qsizetype j = da + passo; j >= 0 && j < testate.size(); j += passo)
                    if (g.argomenti[link[testate[j]].argomento].sequenza)
                        return offset[testate[j]];
                return Nessuno;
            };
            const qsizetype d = inizio[h] + 21;
            scriviU32In(flusso, d, std::uint32_t(dimensione));
            scriviU32In(flusso, d + 4, t.sequenza ? vicino(k, -1) : Nessuno);
            scriviU32In(flusso, d + 8, t.sequenza ? vicino(k, +1) : Nessuno);
            scriviU32In(flusso, d + 12, std::uint32_t(k));
            scriviU32In(flusso, d + 16, fisso);
            scriviU32In(flusso, d + 20, scorre);
            scriviU32In(flusso, d + 24, k + 1 < testate.size() ? pos[testate[k + 1]] : Nessuno);
        }
    };
    // Compressed blocks hold whole links, so that the zeros padding a block's compressed end
    // (which decode as zeros) are never read as text. Where a link goes depends only on sizes;
    // its bytes, filled in afterwards, can only change how well a block packs, so a block is
    // filled to a little less than it holds and checked once its bytes are final.
    auto comprimi = [&](qsizetype da, qsizetype a) {
        qsizetype presi = 0;
        return comprimiLz77Blocco(QByteArrayView(flusso).sliced(da, a - da), Blocco - 12,
                                  Decompresso, presi);
    };
    auto impaginaLz77 = [&](qsizetype margine) -> bool {
        confini.clear();
        qsizetype i = 0;
        while (i < link.size()) {
            auto entra = [&](qsizetype j) {
                const qsizetype a = j < link.size() ? inizio[j] : flusso.size();
                return a - inizio[i] <= Decompresso &&
                       comprimi(inizio[i], a).size() <= Blocco - 12 - margine;
            };
            if (!entra(i + 1))
                return false;
            qsizetype basso = i + 1, alto = link.size();
            while (basso < alto) {
                const qsizetype medio = (basso + alto + 1) / 2;
                if (entra(medio))
                    basso = medio;
                else
                    alto = medio - 1;
            }
            confini.append(inizio[i]);
            i = basso;
        }
        riempi();
        compressi.clear();
        for (qsizetype b = 0; b < confini.size(); ++b) {
            const qsizetype a = b + 1 < confini.size() ? confini[b + 1] : flusso.size();
            compressi.append(comprimi(confini[b], a));
            if (compressi.last().size() >= Blocco - 12)
                return false;
        }
        return true;
    };
    bool fatto = false;
    for (qsizetype margine = 32; lz77 && !fatto && margine < 1024; margine *= 2)
        fatto = impaginaLz77(margine);
    if (!fatto) {
        // A link too big for a block: plain blocks, which a link may cross.
        lz77 = false;
        confini.clear();
        for (qsizetype s = 0; s < flusso.size(); s += Blocco - 12)
            confini.append(s);
        riempi();
        compressi.clear();
        for (const qsizetype s : confini)
            compressi.append(flusso.mid(s, Blocco - 12));
    }
    QByteArray topic;
    for (qsizetype b = 0; b < compressi.size(); ++b) {
        const qsizetype da = confini[b],
                        a = b + 1 < confini.size() ? confini[b + 1] : flusso.size();
        std::uint32_t ultimoPrima = Nessuno, primo = Nessuno, ultimaTesta = Nessuno;
        for (qsizetype i = 0; i < link.size(); ++i) {
            if (inizio[i] < da)
                ultimoPrima = pos[i];
            if (inizio[i] >= da && inizio[i] < a && primo == Nessuno)
                primo = pos[i];
            if (inizio[i] < a && link[i].tipo == 2)
                ultimaTesta = pos[i];
        }
        scriviU32(topic, ultimoPrima);
        scriviU32(topic, primo);
        scriviU32(topic, ultimaTesta);
        topic.append(compressi[b]);
        if (b + 1 < compressi.size())
            topic.append(Blocco - 12 - compressi[b].size(), '\0');
    }
    file.insert("|TOPIC", topic);

    // Where each context, title and keyword leads.
    QList<std::uint32_t> offsetArgomento(g.argomenti.size());
    for (qsizetype i = 0; i < link.size(); ++i)
        if (link[i].tipo == 2)
            offsetArgomento[link[i].argomento] = offset[i];
    {
        QList<std::pair<std::uint32_t, std::uint32_t>> contesti;
        for (qsizetype i = 0; i < g.argomenti.size(); ++i)
            if (!g.argomenti[i].contesto.isEmpty())
                contesti.append(
                    {hashContesto(encodeCp1250(g.argomenti[i].contesto)), offsetArgomento[i]});
        std::sort(contesti.begin(), contesti.end(), [](const auto& x, const auto& y) {
            return std::int32_t(x.first) < std::int32_t(y.first);
        });
        QList<std::pair<QByteArray, QByteArray>> voci;
        for (const auto& [h, o] : contesti) {
            QByteArray k, v;
            scriviU32(k, h);
            v = k;
            scriviU32(v, o);
            voci.append({k, v});
        }
        file.insert("|CONTEXT", scriviAlbero(voci, 2048, "L4"));
    }
    {
        QList<std::pair<QByteArray, QByteArray>> voci;
        for (qsizetype i = 0; i < g.argomenti.size(); ++i) {
            QByteArray k;
            scriviU32(k, offsetArgomento[i]);
            voci.append({k, k + zString(g.argomenti[i].titolo)});
        }
        file.insert("|TTLBTREE", scriviAlbero(voci, 2048, "Lz"));
    }
    {
        QMap<QString, std::pair<QString, QList<std::uint32_t>>> parole;
        for (qsizetype i = 0; i < g.argomenti.size(); ++i)
            for (const QString& p : g.argomenti[i].parole) {
                auto& voce = parole[p.toUpper()];
                voce.first = p;
                if (!voce.second.contains(offsetArgomento[i]))
                    voce.second.append(offsetArgomento[i]);
            }
        QByteArray dati;
        QList<std::pair<QByteArray, QByteArray>> voci;
        for (const auto& [parola, offsets] : parole) {
            const QByteArray k = zString(parola);
            QByteArray v = k;
            scriviU16(v, unsigned(offsets.size()));
            scriviU32(v, std::uint32_t(dati.size()));
            for (const std::uint32_t o : offsets)
                scriviU32(dati, o);
            voci.append({k, v});
        }
        file.insert("|KWBTREE", scriviAlbero(voci, 2048, "F24"));
        file.insert("|KWDATA", dati);
    }
    if (!g.mappa.isEmpty()) {
        QByteArray m;
        scriviU16(m, unsigned(g.mappa.size()));
        for (auto it = g.mappa.cbegin(); it != g.mappa.cend(); ++it) {
            scriviU32(m, std::uint32_t(it.key()));
            scriviU32(m, offsetArgomento.value(perContesto.value(it.value().toLower())));
        }
        file.insert("|CTXOMAP", m);
    }
    for (qsizetype i = 0; i < g.immagini.size(); ++i) {
        QList<std::uint32_t> hash;
        for (const ZonaNuova& z : g.immagini[i].zone)
            hash.append(z.macro.isEmpty() ? hashNoto(z.contesto) : 1);
        file.insert(QByteArray("|bm") + QByteArray::number(i), immagineShg(g.immagini[i], hash));
    }
    {
        QByteArray f;
        const QList<FontNuovo> font = g.font.isEmpty() ? QList<FontNuovo>{FontNuovo{}} : g.font;
        QStringList nomi;
        for (const FontNuovo& x : font)
            if (!nomi.contains(x.nome))
                nomi.append(x.nome);
        scriviU16(f, unsigned(nomi.size()));
        scriviU16(f, unsigned(font.size()));
        scriviU16(f, 8);
        scriviU16(f, unsigned(8 + nomi.size() * 32));
        for (const QString& n : nomi)
            f.append(fisso(n, 32));
        for (const FontNuovo& x : font) {
            f.append(static_cast<char>((x.grassetto ? 1 : 0) | (x.corsivo ? 2 : 0) |
                                       (x.sottolineato ? 4 : 0)));
            f.append(static_cast<char>(x.mezziPunti));
            f.append('\x03');
            scriviU16(f, unsigned(nomi.indexOf(x.nome)));
            f.append(static_cast<char>(x.colore.red()));
            f.append(static_cast<char>(x.colore.green()));
            f.append(static_cast<char>(x.colore.blue()));
            f.append("\xFF\xFF\xFF", 3);
        }
        file.insert("|FONT", f);
    }
    {
        QByteArray s;
        scriviU16(s, 0x036C);
        scriviU16(s, g.charset ? 33 : 21);
        scriviU16(s, 1);
        scriviU32(s, 0); // no date: the same source makes the same file
        scriviU16(s, lz77 ? 4 : 0);
        auto record = [&s](unsigned tipo, const QByteArray& dati) {
            scriviU16(s, tipo);
            scriviU16(s, unsigned(dati.size()));
            s.append(dati);
        };
        record(1, zString(g.titolo));
        if (!g.copyright.isEmpty())
            record(2, zString(g.copyright));
        QByteArray c;
        const int iniziale = perContesto.value(g.contenuti.toLower(), 0);
        scriviU32(c, offsetArgomento.value(iniziale));
        record(3, c);
        for (const QString& m : g.macro)
            record(4, zString(m));
        for (const FinestraNuova& f : g.finestre) {
            QByteArray w;
            const bool dove = !f.posizione.isEmpty();
            scriviU16(w, 0x0001 | 0x0002 | (f.titolo.isEmpty() ? 0 : 0x0004) | (dove ? 0x78 : 0) |
                             (f.massimizzata ? 0x80 : 0) | (f.colore.isValid() ? 0x100 : 0) |
                             (f.coloreFisso.isValid() ? 0x200 : 0));
            w += fisso(f.tipo, 10) + fisso(f.nome, 9) + fisso(f.titolo, 51);
            for (const int v :
                 {f.posizione.x(), f.posizione.y(), f.posizione.width(), f.posizione.height()})
                scriviU16(w, dove ? unsigned(v) & 0xFFFF : 0);
            scriviU16(w, f.massimizzata ? 1 : 0);
            for (const QColor& c : {f.colore, f.coloreFisso}) {
                w.append(static_cast<char>(c.isValid() ? c.red() : 0));
                w.append(static_cast<char>(c.isValid() ? c.green() : 0));
                w.append(static_cast<char>(c.isValid() ? c.blue() : 0));
                w.append('\0');
            }
            record(6, w);
        }
        if (g.charset) {
            if (!g.nomeContenuti.isEmpty())
                record(10, zString(g.nomeContenuti));
            QByteArray cs;
            scriviU16(cs, 238);
            record(11, cs);
        }
        file.insert("|SYSTEM", s);
    }
    return scriviContenitore(file);
}

} // namespace hn::winhelp
