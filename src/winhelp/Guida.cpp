#include "Guida.h"

#include "Compressione.h"
#include "Cp1250.h"

#include <QStringDecoder>
#include <algorithm>

namespace hn::winhelp {

namespace {

// Topic links of a real file are a few dozen bytes to a few KB; a link that claims more than
// this is damage (and would make us gather megabytes for nothing).
constexpr qsizetype LinkMassimo = 4 * 1024 * 1024;
// The most a topic may decode to: far beyond any real topic, small enough to stay harmless.
constexpr qsizetype TestoMassimo = 8 * 1024 * 1024;
// LZ77 turns 17 bytes into at most 144: a stream can never honestly grow more than ninefold.
qsizetype massimoLz77(qsizetype compressi) {
    return compressi * 9 + 16;
}

int codePageDiCharset(int charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 238:
        return 1250;
    case 204:
        return 1251;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 163:
        return 1258;
    case 222:
        return 874;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    default:
        return 0;
    }
}

Pezzo pezzo(Pezzo::Tipo tipo, QString testo = {}) {
    Pezzo p;
    p.tipo = tipo;
    p.testo = std::move(testo);
    return p;
}

QString stringaFissa(QByteArrayView b) {
    const qsizetype nul = b.indexOf('\0');
    return decodeCp1250(nul >= 0 ? b.first(nul) : b);
}

} // namespace

std::uint32_t hashDi(const QString& contesto) {
    return hashContesto(encodeCp1250(contesto));
}

QString FileGuida::testo(QByteArrayView byte) const {
    if (codePage_ == 1250)
        return decodeCp1250(byte);
    QStringDecoder d(QByteArray("windows-" + QByteArray::number(codePage_)).constData());
    if (d.isValid())
        return d.decode(byte);
    return QString::fromLatin1(byte);
}

FileGuida FileGuida::apri(QByteArray dati) {
    FileGuida g;
    g.c_ = std::make_shared<const Contenitore>(std::move(dati));
    g.leggiSistema();
    g.leggiFont();
    g.leggiFrasi();
    g.leggiArgomenti();
    g.leggiTabelle();
    return g;
}

void FileGuida::leggiSistema() {
    const auto sistema = c_->file("|SYSTEM");
    if (!sistema)
        throw ErroreGuida(QStringLiteral("W pliku pomocy brakuje opisu pliku (|SYSTEM)."));
    Lettore l(*sistema, QStringLiteral("|SYSTEM"));
    if (l.u16() != 0x036C)
        danneggiato(QStringLiteral("|SYSTEM"));
    minor_ = l.u16();
    l.u16();
    l.u32();
    const unsigned flags = l.u16();
    if (minor_ <= 16) {
        titolo_ = stringaFissa(l.stringa());
        dimBlocco_ = 2048;
        lz77_ = false;
    } else {
        lz77_ = flags & 0x0C;
        dimBlocco_ = (flags & 0x08) ? 2048 : 4096;
    }
    dimDecompressa_ = lz77_ ? 16384 : dimBlocco_ - 12;
    int charset = -1, charsetFont = -1;
    QList<QByteArray> titoli, copyright, didascalie;
    while (minor_ > 16 && l.resto() >= 4) {
        const unsigned tipo = l.u16();
        const qsizetype n = l.u16();
        if (n > l.resto())
            danneggiato(QStringLiteral("|SYSTEM"));
        Lettore r(l.byte(n), QStringLiteral("|SYSTEM"));
        switch (tipo) {
        case 1:
            titoli.append(r.stringa().toByteArray());
            break;
        case 2:
            copyright.append(r.stringa().toByteArray());
            break;
        case 3:
            if (n >= 4) {
                contenuti_ = r.u32();
                haContenuti_ = true;
            }
            break;
        case 4:
            macro_.append(QString::fromLatin1(r.stringa())); // re-decoded below
            break;
        case 6:
            if (n >= 82) {
                FinestraDefinita f;
                const unsigned validi = r.u16();
                f.tipo = stringaFissa(r.byte(10));
                f.nome = stringaFissa(r.byte(9));
                // Decoded below, once the code page is known.
                didascalie.append(r.byte(51).toByteArray());
                const int x = r.i16(), y = r.i16(), w = r.i16(), h = r.i16();
                f.posizione = QRect(x, y, w, h);
                f.posizioneData = (validi & 0x78) == 0x78;
                // Read whether or not it is valid: the colours come after it.
                if (r.resto() >= 2) {
                    const bool massimizzata = r.u16() != 0;
                    f.massimizzata = (validi & 0x80) && massimizzata;
                }
                auto colore = [&r](bool dato) {
                    if (r.resto() < 4)
                        return QColor();
                    const int rosso = r.u8(), verde = r.u8(), blu = r.u8();
                    r.u8();
                    return dato ? QColor(rosso, verde, blu) : QColor();
                };
                f.colore = colore(validi & 0x100);
                f.coloreFisso = colore(validi & 0x200);
                f.sopra = validi & 0x400;
                finestre_.append(f);
            }
            break;
        case 10:
            cnt_ = r.stringa().toByteArray();
            break;
        case 11:
            if (n >= 2)
                charset = r.u16();
            break;
        case 12:
            if (n >= 2) {
                r.u8();
                charsetFont = r.u8();
            }
            break;
        default:
            break;
        }
    }
    // The 3.1 compiler names no code page; this atlas's files are Polish. A charset record, or a
    // default font's charset other than "ANSI" or "default", names the real one.
    if (const int cp = charset >= 0 && charset != 1 ? codePageDiCharset(charset) : 0)
        codePage_ = cp;
    else if (const int cpf = charsetFont > 1 ? codePageDiCharset(charsetFont) : 0)
        codePage_ = cpf;
    for (const QByteArray& t : titoli)
        titolo_ = testo(t);
    for (const QByteArray& t : copyright)
        copyright_ = testo(t);
    for (QString& m : macro_)
        m = testo(m.toLatin1());
    for (qsizetype i = 0; i < finestre_.size(); ++i) {
        const QByteArray& d = didascalie.at(i);
        const qsizetype nul = d.indexOf('\0');
        finestre_[i].titolo = testo(nul >= 0 ? d.first(nul) : d);
    }
}

const FinestraDefinita* FileGuida::finestra(const QString& nome) const {
    const QString cercato = nome.isEmpty() ? QStringLiteral("main") : nome;
    for (const FinestraDefinita& f : finestre_)
        if (f.nome.compare(cercato, Qt::CaseInsensitive) == 0 ||
            (nome.isEmpty() && f.tipo.compare(cercato, Qt::CaseInsensitive) == 0))
            return &f;
    return nullptr;
}

void FileGuida::leggiFont() {
    const auto file = c_->file("|FONT");
    if (!file)
        return;
    const QString dove = QStringLiteral("|FONT");
    Lettore l(*file, dove);
    const int facce = l.u16(), descrittori = l.u16();
    const int posFacce = l.u16(), posDescrittori = l.u16();
    QStringList nomi;
    if (facce > 0 && posDescrittori > posFacce) {
        const qsizetype lunghezza = (posDescrittori - posFacce) / facce;
        Lettore f(*file, dove);
        f.vai(posFacce);
        for (int i = 0; i < facce && lunghezza > 0; ++i)
            nomi.append(stringaFissa(f.byte(lunghezza)));
    }
    Lettore d(*file, dove);
    d.vai(posDescrittori);
    auto colore = [](Lettore& r) {
        const int red = r.u8(), green = r.u8(), blue = r.u8();
        return QColor(red, green, blue);
    };
    for (int i = 0; i < descrittori; ++i) {
        Font f;
        if (posFacce < 12) {
            const unsigned attributi = d.u8();
            f.punti = std::max(1, int(d.u8())) / 2.0;
            d.u8();
            const int faccia = d.u16();
            f.colore = colore(d);
            d.salta(3);
            f.grassetto = attributi & 1;
            f.corsivo = attributi & 2;
            f.sottolineato = attributi & 0x14;
            f.barrato = attributi & 8;
            f.maiuscoletto = attributi & 0x20;
            f.nome = nomi.value(faccia);
        } else {
            // The multimedia viewers' descriptors, metrics in twips.
            int faccia;
            if (posFacce < 16) {
                d.u8();
                faccia = d.i16();
                f.colore = colore(d);
                d.salta(3 + 5);
            } else {
                faccia = d.i16();
                d.salta(4);
                f.colore = colore(d);
                d.salta(3);
            }
            const std::int32_t altezza = d.i32();
            d.salta(12);
            f.grassetto = d.i16() > 500;
            d.salta(2);
            f.corsivo = d.u8();
            f.sottolineato = d.u8();
            f.barrato = d.u8();
            d.u8();
            f.maiuscoletto = d.u8();
            d.salta(3 + (posFacce >= 16 ? 2 : 0));
            f.punti = std::clamp(std::abs(altezza) / 20.0, 1.0, 200.0);
            f.nome = nomi.value(faccia);
        }
        font_.append(f);
    }
}

void FileGuida::leggiFrasi() {
    if (const auto file = c_->file("|Phrases")) {
        const QString dove = QStringLiteral("|Phrases");
        Lettore l(*file, dove);
        unsigned n = l.u16();
        // Some multimedia viewers' files put 0x0800 first and 30 more bytes after the size.
        const bool mvb = n == 0x0800 && l.u16() != 0x0100;
        if (mvb)
            n = l.u16();
        l.vai(mvb ? 6 : 4);
        QList<unsigned> offset;
        QByteArray testi;
        if (minor_ <= 16) {
            for (unsigned i = 0; i <= n; ++i)
                offset.append(l.u16());
            testi = l.byte(l.resto()).toByteArray();
        } else {
            const std::uint32_t dichiarati = l.u32();
            if (mvb)
                l.salta(30);
            for (unsigned i = 0; i <= n; ++i)
                offset.append(l.u16());
            const qsizetype resto = l.resto();
            testi =
                decomprimiLz77(l.byte(resto), std::min<qsizetype>(dichiarati, massimoLz77(resto)));
        }
        for (unsigned i = 0; i < n; ++i) {
            const qsizetype da = qsizetype(offset[i]) - offset[0],
                            a = qsizetype(offset[i + 1]) - offset[0];
            if (da < 0 || a < da || a > testi.size())
                danneggiato(dove);
            frasi_.append(testi.mid(da, a - da));
        }
        return;
    }
    const auto indice = c_->file("|PhrIndex");
    const auto immagine = c_->file("|PhrImage");
    if (!indice || !immagine)
        return;
    const QString dove = QStringLiteral("|PhrIndex");
    Lettore l(*indice, dove);
    l.u32();
    const std::uint32_t voci = l.u32();
    l.u32();
    const std::uint32_t dimImmagine = l.u32(), dimCompressa = l.u32();
    l.u32();
    const unsigned bitCount = l.u16() & 0x0F;
    l.u16();
    const QByteArrayView bit = l.byte(l.resto());
    if (voci > std::uint64_t(bit.size()) * 8)
        danneggiato(dove);
    qsizetype cursore = 0;
    auto prossimo = [&] {
        if (cursore >= bit.size() * 8)
            danneggiato(dove);
        const bool v = (static_cast<unsigned char>(bit[cursore / 8]) >> (cursore % 8)) & 1;
        ++cursore;
        return v;
    };
    QList<qsizetype> lunghezze;
    for (std::uint32_t i = 0; i < voci; ++i) {
        qsizetype n = 1;
        while (prossimo())
            n += qsizetype(1) << bitCount;
        for (unsigned b = 0; b < bitCount; ++b)
            if (prossimo())
                n += qsizetype(1) << b;
        lunghezze.append(n);
    }
    QByteArray testi;
    if (dimCompressa != dimImmagine)
        testi = decomprimiLz77(*immagine,
                               std::min<qsizetype>(dimImmagine, massimoLz77(immagine->size())));
    else
        testi = immagine->first(std::min<qsizetype>(dimImmagine, immagine->size())).toByteArray();
    qsizetype da = 0;
    for (const qsizetype n : lunghezze) {
        if (n > testi.size() - da)
            danneggiato(QStringLiteral("|PhrImage"));
        frasi_.append(testi.mid(da, n));
        da += n;
    }
    hall_ = true;
}

QByteArray FileGuida::espandi(QByteArrayView d, qsizetype lunghezza) const {
    lunghezza = std::min(lunghezza, TestoMassimo);
    if (lunghezza <= d.size() || frasi_.isEmpty())
        return d.first(std::min(lunghezza, d.size())).toByteArray();
    QByteArray out;
    out.reserve(lunghezza);
    auto frase = [&](qsizetype n) {
        if (n < 0 || n >= frasi_.size())
            throw ErroreGuida(QStringLiteral(
                "Plik pomocy jest uszkodzony: tekst odwołuje się do nieistniejącej frazy."));
        out.append(frasi_.at(n));
    };
    qsizetype i = 0;
    while (i < d.size() && out.size() < lunghezza) {
        const auto c = static_cast<unsigned char>(d[i++]);
        if (!hall_) {
            if (c == 0 || c > 15) {
                out.append(char(c));
                continue;
            }
            if (i >= d.size())
                break;
            const unsigned v = (c - 1u) * 256u + static_cast<unsigned char>(d[i++]);
            frase(v / 2);
            if (v & 1)
                out.append(' ');
        } else if ((c & 1) == 0) {
            frase(c / 2);
        } else if ((c & 3) == 1) {
            if (i >= d.size())
                break;
            frase(128 + (c >> 2) * 256 + static_cast<unsigned char>(d[i++]));
        } else if ((c & 7) == 3) {
            const qsizetype n = std::min<qsizetype>((c >> 3) + 1, d.size() - i);
            out.append(d.sliced(i, n));
            i += n;
        } else if ((c & 15) == 7) {
            out.append((c >> 4) + 1, ' ');
        } else {
            out.append((c >> 4) + 1, '\0');
        }
    }
    out.truncate(lunghezza);
    return out;
}

QByteArray FileGuida::raccogli(std::uint32_t posizione, qsizetype n) const {
    if (posizione < 12 || n < 0 || n > LinkMassimo)
        danneggiato(QStringLiteral("|TOPIC"));
    qsizetype blocco = (qsizetype(posizione) - 12) / dimDecompressa_;
    qsizetype da = (qsizetype(posizione) - 12) % dimDecompressa_;
    QByteArray out;
    while (out.size() < n) {
        if (blocco >= blocchi_.size())
            danneggiato(QStringLiteral("|TOPIC"));
        const QByteArray& b = blocchi_.at(blocco);
        if (da < b.size()) {
            const qsizetype q = std::min(b.size() - da, n - out.size());
            out.append(b.constData() + da, q);
        }
        ++blocco;
        da = 0;
    }
    return out;
}

void FileGuida::leggiArgomenti() {
    const auto topic = c_->file("|TOPIC");
    if (!topic)
        throw ErroreGuida(QStringLiteral("W pliku pomocy brakuje tekstu (|TOPIC)."));
    if (minor_ <= 16)
        throw ErroreGuida(QStringLiteral(
            "Ten plik pomocy pochodzi z Windows 3.0; program wyświetla pliki z Windows 3.1 i 95."));
    for (qsizetype p = 0; p + 12 <= topic->size(); p += dimBlocco_) {
        const QByteArrayView dati =
            topic->sliced(p + 12, std::min<qsizetype>(dimBlocco_ - 12, topic->size() - p - 12));
        blocchi_.append(lz77_ ? decomprimiLz77(dati, dimDecompressa_) : dati.toByteArray());
    }
    if (blocchi_.isEmpty())
        throw ErroreGuida(QStringLiteral("Plik pomocy nie zawiera żadnego tematu."));
    // Uncompressed blocks are numbered in steps of 16 KB by some compilers and of the block's
    // own size by others: the second block's first link says which.
    if (!lz77_ && topic->size() >= dimBlocco_ + 12) {
        Lettore h(topic->sliced(dimBlocco_, 12), QStringLiteral("|TOPIC"));
        h.u32();
        const std::uint32_t primo = h.u32();
        if (primo != 0xFFFFFFFF && primo >= 12 && (primo - 12) / 16384 == 1)
            dimDecompressa_ = 16384;
    }
    const QString dove = QStringLiteral("|TOPIC");
    std::uint32_t pos = 12;
    {
        Lettore h(topic->first(12), dove);
        h.u32();
        const std::uint32_t primo = h.u32();
        if (primo >= 12 && primo != 0xFFFFFFFF)
            pos = primo;
    }
    qsizetype bloccoCorrente = -1;
    std::uint32_t caratteri = 0;
    int aperto = -1;
    // Every link takes at least its 21-byte header: more links than that is a loop.
    const qsizetype linkMassimi = blocchi_.size() * dimDecompressa_ / 21 + 1;
    qsizetype totale = 0, raccolti = 0;
    for (const QByteArray& b : blocchi_)
        totale += b.size();
    while (true) {
        if (link_.size() > linkMassimi)
            danneggiato(dove);
        const QByteArray testa = raccogli(pos, 21);
        Lettore l(testa, dove);
        const std::int32_t dimensione = l.i32(), lunghezza2 = l.i32();
        l.u32();
        const std::uint32_t prossimo = l.u32();
        const std::int32_t lunghezza1 = l.i32();
        const quint8 tipo = l.u8();
        if (lunghezza1 < 21 || dimensione < lunghezza1 || lunghezza2 < 0 ||
            dimensione > LinkMassimo)
            danneggiato(dove);
        const qsizetype blocco = (qsizetype(pos) - 12) / dimDecompressa_;
        if (blocco != bloccoCorrente) {
            bloccoCorrente = blocco;
            caratteri = 0;
        }
        const std::uint32_t offset =
            (std::uint32_t(blocco) << 15) | std::min<std::uint32_t>(caratteri, 0x7FFF);
        link_.append({pos, offset, tipo});
        if (tipo == 2) {
            // Headers that all claim megabytes would make opening copy without end.
            raccolti += dimensione;
            if (raccolti > totale * 2 + LinkMassimo)
                danneggiato(dove);
            const QByteArray tutto = raccogli(pos, dimensione);
            Lettore h(QByteArrayView(tutto).sliced(21, lunghezza1 - 21), dove);
            Intestazione t;
            t.primo = int(link_.size() - 1);
            t.fine = t.primo + 1;
            t.offset = offset;
            h.u32();
            t.indietro = h.u32();
            t.avanti = h.u32();
            h.u32();
            t.nonScorrevole = h.i32();
            t.scorrevole = h.i32();
            const QByteArray d2 = espandi(QByteArrayView(tutto).sliced(lunghezza1), lunghezza2);
            Lettore s(d2, dove);
            t.titolo = testo(s.stringa());
            while (!s.fine()) {
                const QByteArrayView m = s.stringa();
                if (!m.isEmpty())
                    t.macro.append(testo(m));
            }
            if (aperto >= 0)
                argomenti_[aperto].fine = t.primo;
            argomenti_.append(t);
            aperto = int(argomenti_.size() - 1);
        } else if (tipo == 0x20 || tipo == 0x23) {
            const QByteArray d1 = raccogli(pos, std::min<qsizetype>(lunghezza1, 21 + 6));
            Lettore c(QByteArrayView(d1).sliced(21), dove);
            c.cu32();
            caratteri += c.cu16();
        }
        if (aperto >= 0)
            argomenti_[aperto].fine = int(link_.size());
        if (prossimo == 0xFFFFFFFF || prossimo <= pos)
            break;
        pos = prossimo;
    }
    // Compilers end the chain with an empty header that holds nothing.
    if (!argomenti_.isEmpty() && argomenti_.last().titolo.isEmpty() &&
        argomenti_.last().macro.isEmpty() && argomenti_.last().fine == argomenti_.last().primo + 1)
        argomenti_.removeLast();
    if (argomenti_.isEmpty())
        throw ErroreGuida(QStringLiteral("Plik pomocy nie zawiera żadnego tematu."));
}

void FileGuida::leggiTabelle() {
    if (const auto f = c_->file("|CONTEXT"))
        percorriAlbero(*f, QStringLiteral("|CONTEXT"), [&](Lettore& v) {
            const std::uint32_t h = v.u32();
            contesti_.insert(h, v.u32());
        });
    if (const auto f = c_->file("|CTXOMAP")) {
        Lettore l(*f, QStringLiteral("|CTXOMAP"));
        const int n = l.u16();
        for (int i = 0; i < n && l.resto() >= 8; ++i) {
            const std::int32_t id = l.i32();
            mappa_.insert(id, l.u32());
        }
    }
    if (const auto f = c_->file("|TTLBTREE")) {
        QMap<std::uint32_t, QString> titoli;
        percorriAlbero(*f, QStringLiteral("|TTLBTREE"), [&](Lettore& v) {
            const std::uint32_t o = v.u32();
            titoli.insert(o, testo(v.stringa()));
        });
        for (Intestazione& t : argomenti_)
            if (t.titolo.isEmpty())
                t.titolo = titoli.value(t.offset);
    }
    const auto albero = c_->file("|KWBTREE");
    const auto dati = c_->file("|KWDATA");
    if (albero && dati) {
        // Every topic offset of |KWDATA belongs to one keyword: more than it holds is damage,
        // not a reason to allocate billions.
        qsizetype voci = 0;
        percorriAlbero(*albero, QStringLiteral("|KWBTREE"), [&](Lettore& v) {
            VoceIndice voce;
            voce.parola = testo(v.stringa());
            const int n = v.i16();
            const std::uint32_t da = v.u32();
            voci += n;
            if (n < 0 || da > std::uint32_t(dati->size()) || qsizetype(n) * 4 > dati->size() - da ||
                voci * 4 > dati->size())
                danneggiato(QStringLiteral("|KWDATA"));
            Lettore k(dati->sliced(da, qsizetype(n) * 4), QStringLiteral("|KWDATA"));
            for (int i = 0; i < n; ++i)
                voce.offset.append(k.u32());
            indice_.append(voce);
        });
    }
}

QString FileGuida::titoloArgomento(int i) const {
    return i >= 0 && i < argomenti_.size() ? argomenti_.at(i).titolo : QString();
}

int FileGuida::argomentoIniziale() const {
    return haContenuti_ ? argomentoDaOffset(contenuti_) : 0;
}

int FileGuida::argomentoDaOffset(std::uint32_t offset) const {
    // The topic whose start is the last at or before the offset; of topics that start at the same
    // place (empty ones), the first.
    auto it = std::upper_bound(argomenti_.cbegin(), argomenti_.cend(), offset,
                               [](std::uint32_t o, const Intestazione& t) { return o < t.offset; });
    if (it == argomenti_.cbegin())
        return 0;
    --it;
    while (it != argomenti_.cbegin() && std::prev(it)->offset == it->offset)
        --it;
    return int(it - argomenti_.cbegin());
}

int FileGuida::argomentoDaHash(std::uint32_t hash) const {
    const auto it = contesti_.constFind(hash);
    return it == contesti_.cend() ? -1 : argomentoDaOffset(*it);
}

int FileGuida::argomentoDaContesto(const QString& nome) const {
    return argomentoDaHash(hashDi(nome));
}

int FileGuida::argomentoDaMappa(std::int32_t id) const {
    const auto it = mappa_.constFind(id);
    return it == mappa_.cend() ? -1 : argomentoDaOffset(*it);
}

int FileGuida::precedente(int i) const {
    if (i < 0 || i >= argomenti_.size() || argomenti_[i].indietro == 0xFFFFFFFF)
        return -1;
    const int p = argomentoDaOffset(argomenti_[i].indietro);
    return p == i ? -1 : p;
}

int FileGuida::successivo(int i) const {
    if (i < 0 || i >= argomenti_.size() || argomenti_[i].avanti == 0xFFFFFFFF)
        return -1;
    const int p = argomentoDaOffset(argomenti_[i].avanti);
    return p == i ? -1 : p;
}

QList<int> FileGuida::argomentiDiParola(const VoceIndice& voce) const {
    QList<int> a;
    for (const std::uint32_t o : voce.offset)
        if (o != 0xFFFFFFFF && !a.contains(argomentoDaOffset(o)))
            a.append(argomentoDaOffset(o));
    return a;
}

Argomento FileGuida::argomento(int i) const {
    Argomento a;
    if (i < 0 || i >= argomenti_.size())
        return a;
    const Intestazione& t = argomenti_.at(i);
    a.titolo = t.titolo;
    a.macro = t.macro;
    int riga = -1;
    qsizetype letti = 0;
    for (int k = t.primo + 1; k < t.fine; ++k) {
        const Collegamento_& l = link_.at(k);
        if (l.tipo != 0x20 && l.tipo != 0x23)
            continue;
        try {
            const QByteArray testa = raccogli(l.posizione, 21);
            Lettore h(testa, QStringLiteral("|TOPIC"));
            const std::int32_t dimensione = h.i32(), lunghezza2 = h.i32();
            h.salta(8);
            const std::int32_t lunghezza1 = h.i32();
            letti += dimensione;
            if (letti > 2 * TestoMassimo)
                danneggiato(QStringLiteral("|TOPIC"));
            const QByteArray tutto = raccogli(l.posizione, dimensione);
            const QByteArray d2 = espandi(QByteArrayView(tutto).sliced(lunghezza1), lunghezza2);
            const bool fisso = t.nonScorrevole != -1 && std::int64_t(l.posizione) < t.scorrevole;
            decodificaParagrafi(a, QByteArrayView(tutto).sliced(21, lunghezza1 - 21), d2, l.tipo,
                                fisso, riga);
        } catch (const ErroreGuida& e) {
            Paragrafo p;
            p.pezzi.append(pezzo(Pezzo::Testo, QStringLiteral("[%1]").arg(e.messaggio())));
            a.paragrafi.append(p);
            break;
        }
    }
    return a;
}

void FileGuida::decodificaParagrafi(Argomento& a, QByteArrayView d1, QByteArrayView d2, quint8 tipo,
                                    bool fisso, int& riga) const {
    const QString dove = QStringLiteral("|TOPIC");
    Lettore f(d1, dove);
    f.cu32();
    f.cu16();
    const bool tabella = tipo == 0x23;
    if (tabella) {
        const int colonne = f.u8();
        const int tipoTabella = f.u8();
        if (tipoTabella == 0 || tipoTabella == 2)
            f.i16();
        f.salta(qsizetype(colonne) * 4);
    }
    qsizetype t = 0;
    auto prossimaStringa = [&]() -> QByteArrayView {
        if (t >= d2.size())
            return {};
        qsizetype fine = t;
        while (fine < d2.size() && d2[fine] != '\0')
            ++fine;
        const QByteArrayView s = d2.sliced(t, fine - t);
        t = fine + 1;
        return s;
    };
    int colonnaPrecedente = 1 << 30;
    for (int cella = 0;; ++cella) {
        int colonna = -1;
        if (tabella) {
            if (f.fine())
                return;
            colonna = f.i16();
            if (colonna == -1)
                return;
            f.salta(3);
            if (colonna <= colonnaPrecedente)
                ++riga;
            colonnaPrecedente = colonna;
        } else if (cella > 0) {
            return;
        }
        f.salta(4);
        const unsigned bit = f.u16();
        Paragrafo modello;
        modello.nonScorrevole = fisso;
        modello.colonna = colonna;
        modello.riga = tabella ? riga : -1;
        if (bit & 0x0001)
            f.cs32();
        if (bit & 0x0002)
            modello.spazioSopra = f.cs16();
        if (bit & 0x0004)
            f.cs16();
        if (bit & 0x0008)
            f.cs16();
        if (bit & 0x0010)
            modello.rientro = f.cs16();
        if (bit & 0x0020)
            f.cs16();
        if (bit & 0x0040)
            f.cs16();
        if (bit & 0x0100) {
            f.u8();
            f.i16();
        }
        if (bit & 0x0200) {
            const int tab = f.cs16();
            for (int k = 0; k < tab; ++k)
                if (f.cu16() & 0x4000)
                    f.cu16();
        }
        modello.allineamento = (bit & 0x0800) ? 2 : (bit & 0x0400) ? 1 : 0;
        Paragrafo p = modello;
        int font = -1, link = -1;
        auto aggiungi = [&](Pezzo pz) {
            pz.font = font;
            pz.collegamento = link;
            p.pezzi.append(std::move(pz));
        };
        while (true) {
            const QByteArrayView s = prossimaStringa();
            if (!s.isEmpty())
                aggiungi(pezzo(Pezzo::Testo, testo(s)));
            if (f.fine())
                break;
            const unsigned comando = f.u8();
            if (comando == 0xFF)
                break;
            switch (comando) {
            case 0x20:
                f.salta(4);
                break;
            case 0x21:
                f.salta(2);
                break;
            case 0x80: {
                const int n = f.u16();
                font = n < font_.size() ? n : -1;
                break;
            }
            case 0x81:
                aggiungi(pezzo(Pezzo::ACapo));
                break;
            case 0x82:
                a.paragrafi.append(p);
                p = modello;
                break;
            case 0x83:
                aggiungi(pezzo(Pezzo::Tab));
                break;
            case 0x86:
            case 0x87:
            case 0x88: {
                const unsigned tipoOggetto = f.u8();
                const std::uint32_t dim = f.cu32();
                if (tipoOggetto == 0x22)
                    f.cu16();
                if (dim > std::uint32_t(f.resto()))
                    danneggiato(dove);
                Lettore o(f.byte(qsizetype(dim)), dove);
                if (tipoOggetto == 3 || tipoOggetto == 0x22) {
                    RifImmagine r;
                    if (o.i16() == 0)
                        r.numero = o.u16();
                    else
                        r.dati = o.byte(o.resto()).toByteArray();
                    Pezzo pz = pezzo(Pezzo::Immagine);
                    pz.immagine = int(a.immagini.size());
                    pz.posizione = quint8(comando - 0x86);
                    a.immagini.append(r);
                    aggiungi(pz);
                } else if (tipoOggetto == 5 && o.resto() > 6) {
                    // Of the embedded windows only a button means something here: "!Label,Macro".
                    o.salta(6);
                    const QString s = testo(o.stringa());
                    const qsizetype virgola = s.indexOf(u',');
                    if (s.startsWith(u'!') && virgola > 0) {
                        Collegamento c;
                        c.tipo = Collegamento::Macro;
                        c.macro = s.mid(virgola + 1);
                        const int prima = link;
                        link = int(a.collegamenti.size());
                        a.collegamenti.append(c);
                        aggiungi(
                            pezzo(Pezzo::Testo, QStringLiteral("[%1]").arg(s.mid(1, virgola - 1))));
                        link = prima;
                    }
                }
                break;
            }
            case 0x89:
                link = -1;
                break;
            case 0x8B:
                aggiungi(pezzo(Pezzo::Testo, QString(QChar(0x00A0))));
                break;
            case 0x8C:
                break;
            case 0xC8:
            case 0xCC: {
                const int n = f.u16();
                Collegamento c;
                c.tipo = Collegamento::Macro;
                c.macro = testo(Lettore(f.byte(n), dove).stringa());
                c.visibile = !(comando & 4);
                link = int(a.collegamenti.size());
                a.collegamenti.append(c);
                break;
            }
            case 0xE0:
            case 0xE1:
                f.u32();
                break;
            case 0xE2:
            case 0xE3:
            case 0xE6:
            case 0xE7: {
                Collegamento c;
                c.tipo = (comando & 1) ? Collegamento::Salto : Collegamento::Popup;
                c.hash = f.u32();
                c.visibile = !(comando & 4);
                link = int(a.collegamenti.size());
                a.collegamenti.append(c);
                break;
            }
            case 0xEA:
            case 0xEB:
            case 0xEE:
            case 0xEF: {
                const int n = f.u16();
                Lettore s(f.byte(n), dove);
                Collegamento c;
                c.tipo = (comando & 1) ? Collegamento::Salto : Collegamento::Popup;
                c.visibile = !(comando & 4);
                const unsigned genere = s.u8();
                c.hash = s.u32();
                if (genere == 1) {
                    const int w = s.u8();
                    if (w < finestre_.size())
                        c.finestra = finestre_.at(w).nome;
                } else if (genere == 6) {
                    c.finestra = testo(s.stringa());
                    c.file = testo(s.stringa());
                } else if (genere == 4) {
                    c.file = testo(s.stringa());
                }
                link = int(a.collegamenti.size());
                a.collegamenti.append(c);
                break;
            }
            default:
                // An unknown command has no known length: what follows cannot be read.
                a.paragrafi.append(p);
                return;
            }
        }
        if (!p.pezzi.isEmpty())
            a.paragrafi.append(p);
    }
}

} // namespace hn::winhelp
