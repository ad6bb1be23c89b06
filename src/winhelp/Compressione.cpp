#include "Compressione.h"

#include <algorithm>
#include <array>
#include <vector>

namespace hn::winhelp {

QByteArray decomprimiLz77(QByteArrayView dati, qsizetype massimo) {
    // Written into a buffer of the most it may grow to, then cut to what was made.
    QByteArray uscita(std::min<qsizetype>(massimo, dati.size() * 9 + 16), Qt::Uninitialized);
    char* o = uscita.data();
    const qsizetype fine = uscita.size();
    qsizetype n = 0, i = 0;
    const auto* d = reinterpret_cast<const unsigned char*>(dati.data());
    while (i < dati.size() && n < fine) {
        const unsigned bandiere = d[i++];
        for (int bit = 0; bit < 8 && i < dati.size() && n < fine; ++bit) {
            if (!(bandiere & (1u << bit))) {
                o[n++] = static_cast<char>(d[i++]);
                continue;
            }
            if (i + 1 >= dati.size()) {
                i = dati.size();
                break;
            }
            const unsigned parola = d[i] | (unsigned(d[i + 1]) << 8);
            i += 2;
            const qsizetype distanza = (parola & 0x0FFF) + 1;
            // Byte by byte: a copy may overlap what it writes (a run of one byte repeated).
            for (qsizetype k = (parola >> 12) + 3; k > 0 && n < fine; --k, ++n)
                o[n] = n >= distanza ? o[n - distanza] : '\0';
        }
    }
    uscita.truncate(n);
    return uscita;
}

QByteArray comprimiLz77(QByteArrayView dati) {
    qsizetype consumati = 0;
    return comprimiLz77Blocco(dati, dati.size() * 2 + 16, dati.size(), consumati);
}

QByteArray comprimiLz77Blocco(QByteArrayView dati, qsizetype budget, qsizetype massimo,
                              qsizetype& consumati) {
    // Greedy matching over hash chains of three-byte prefixes; good enough for help text and
    // small pictures, and plain enough to check against the decoder.
    constexpr qsizetype Finestra = 4096, Massima = 18, Minima = 3;
    const qsizetype n = std::min(dati.size(), massimo);
    std::vector<int> testa(1 << 14, -1), catena(static_cast<size_t>(n), -1);
    auto chiave = [&](qsizetype p) {
        const auto a = static_cast<unsigned char>(dati[p]),
                   b = static_cast<unsigned char>(dati[p + 1]),
                   c = static_cast<unsigned char>(dati[p + 2]);
        return static_cast<size_t>(((a << 6) ^ (b << 3) ^ c) & 0x3FFF);
    };
    auto inserisci = [&](qsizetype p) {
        if (p + Minima > n)
            return;
        const size_t k = chiave(p);
        catena[static_cast<size_t>(p)] = testa[k];
        testa[k] = static_cast<int>(p);
    };
    QByteArray uscita;
    uscita.reserve(std::min(budget, n + n / 8 + 8));
    qsizetype p = 0;
    while (p < n && uscita.size() < budget) {
        const qsizetype posBandiere = uscita.size();
        uscita.append('\0');
        unsigned char bandiere = 0;
        for (int bit = 0; bit < 8 && p < n && uscita.size() < budget; ++bit) {
            qsizetype migliore = 0, distanzaMigliore = 0;
            if (p + Minima <= n && budget - uscita.size() >= 2) {
                int tentativi = 64;
                for (int c = testa[chiave(p)]; c >= 0 && tentativi-- > 0;
                     c = catena[static_cast<size_t>(c)]) {
                    const qsizetype d = p - c;
                    if (d > Finestra)
                        break;
                    qsizetype l = 0;
                    while (l < Massima && p + l < n && dati[c + l] == dati[p + l])
                        ++l;
                    if (l > migliore) {
                        migliore = l;
                        distanzaMigliore = d;
                        if (l == Massima)
                            break;
                    }
                }
            }
            if (migliore >= Minima) {
                const unsigned parola = static_cast<unsigned>(distanzaMigliore - 1) |
                                        (static_cast<unsigned>(migliore - Minima) << 12);
                uscita.append(static_cast<char>(parola & 0xFF));
                uscita.append(static_cast<char>(parola >> 8));
                bandiere |= static_cast<unsigned char>(1u << bit);
                for (qsizetype k = 0; k < migliore; ++k)
                    inserisci(p + k);
                p += migliore;
            } else {
                uscita.append(dati[p]);
                inserisci(p);
                ++p;
            }
        }
        // A flag byte with no item after it (the budget's last byte) decodes to nothing.
        uscita[posBandiere] = static_cast<char>(bandiere);
    }
    consumati = p;
    return uscita;
}

QByteArray decomprimiRle(QByteArrayView dati, qsizetype massimo) {
    QByteArray uscita;
    qsizetype i = 0;
    while (i < dati.size() && uscita.size() < massimo) {
        const auto n = static_cast<unsigned char>(dati[i++]);
        if (n & 0x80) {
            const qsizetype quanti =
                std::min<qsizetype>({n & 0x7F, dati.size() - i, massimo - uscita.size()});
            uscita.append(dati.sliced(i, quanti));
            i += n & 0x7F;
        } else if (i < dati.size()) {
            uscita.append(std::min<qsizetype>(n, massimo - uscita.size()), dati[i++]);
        }
    }
    return uscita;
}

QByteArray comprimiRle(QByteArrayView dati) {
    QByteArray uscita;
    qsizetype i = 0;
    while (i < dati.size()) {
        qsizetype r = 1;
        while (i + r < dati.size() && r < 127 && dati[i + r] == dati[i])
            ++r;
        if (r >= 3) {
            uscita.append(static_cast<char>(r));
            uscita.append(dati[i]);
            i += r;
            continue;
        }
        // Literals up to the next run of three.
        qsizetype l = 0;
        while (i + l < dati.size() && l < 127) {
            if (i + l + 2 < dati.size() && dati[i + l] == dati[i + l + 1] &&
                dati[i + l] == dati[i + l + 2])
                break;
            ++l;
        }
        uscita.append(static_cast<char>(0x80 | l));
        uscita.append(dati.sliced(i, l));
        i += l;
    }
    return uscita;
}

std::uint32_t hashContesto(QByteArrayView nome) {
    // The compiler's table: digits, letters without regard to case, '.' and '_' get small codes;
    // other bytes keep a value of their own.
    static const std::array<std::uint8_t, 256> tabella = [] {
        std::array<std::uint8_t, 256> t{};
        for (int i = 1; i < 0x30; ++i)
            t[static_cast<size_t>(i)] = static_cast<std::uint8_t>(0xD0 + i);
        for (int i = 0x30; i < 0x100; ++i)
            t[static_cast<size_t>(i)] = static_cast<std::uint8_t>(i < 0x60   ? i - 0x30
                                                                  : i < 0x80 ? i - 0x50
                                                                             : i - 0x30);
        t['0'] = 0x0A;
        t['!'] = 0x0B;
        t['.'] = 0x0C;
        t['['] = 0x0B;
        t['\\'] = 0x0C;
        t[']'] = 0x0D;
        t['^'] = 0x0E;
        t['_'] = 0x0D;
        t[0xB4] = 0x0B;
        return t;
    }();
    std::uint32_t hash = 0;
    for (const char c : nome)
        hash = hash * 43 + static_cast<std::uint32_t>(static_cast<std::int32_t>(
                               static_cast<std::int8_t>(tabella[static_cast<unsigned char>(c)])));
    return nome.isEmpty() ? 1 : hash;
}

} // namespace hn::winhelp
