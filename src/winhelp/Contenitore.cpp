#include "Contenitore.h"

#include <QSet>

namespace hn::winhelp {

namespace {
constexpr std::uint32_t Firma = 0x00035F3F;
// Deeper than any real tree: 16 levels of even tiny pages index more entries than a file holds.
constexpr int LivelliMassimi = 16;
} // namespace

void percorriAlbero(QByteArrayView albero, const QString& nome,
                    const std::function<void(Lettore&)>& voce) {
    Lettore t(albero, nome);
    if (t.u16() != 0x293B)
        danneggiato(nome);
    t.u16(); // flags
    const qsizetype pagina = t.u16();
    t.salta(16); // structure
    t.salta(4);  // must be zero, page splits
    int corrente = t.i16();
    t.salta(2);
    const int pagine = t.i16();
    const int livelli = t.i16();
    t.u32(); // entries: counted as read, never trusted for a size
    const qsizetype inizio = t.posizione();
    if (pagina < 16 || pagine < 0 || livelli > LivelliMassimi)
        danneggiato(nome);
    if (livelli <= 0 || pagine == 0)
        return;
    auto vistaPagina = [&](int n) {
        if (n < 0 || n >= pagine || inizio + (qsizetype(n) + 1) * pagina > albero.size())
            danneggiato(nome);
        return albero.sliced(inizio + qsizetype(n) * pagina, pagina);
    };
    for (int livello = 1; livello < livelli; ++livello) {
        Lettore indice(vistaPagina(corrente), nome);
        indice.salta(4);
        corrente = indice.i16();
    }
    QSet<int> viste;
    while (corrente != -1) {
        if (viste.contains(corrente))
            danneggiato(nome);
        viste.insert(corrente);
        Lettore foglia(vistaPagina(corrente), nome);
        foglia.u16();
        const int voci = foglia.i16();
        foglia.i16();
        const int prossima = foglia.i16();
        if (voci < 0)
            danneggiato(nome);
        for (int i = 0; i < voci; ++i)
            voce(foglia);
        corrente = prossima;
    }
}

Contenitore::Contenitore(QByteArray dati)
    : dati_(std::move(dati)) {
    const QString nome = QStringLiteral("nagłówek");
    if (dati_.size() < 16)
        throw ErroreGuida(QStringLiteral("Plik pomocy jest pusty albo obcięty."));
    Lettore l(dati_, nome);
    if (l.u32() != Firma)
        throw ErroreGuida(QStringLiteral("To nie jest plik pomocy systemu Windows."));
    const std::uint32_t cartella = l.u32();
    auto interno = [&](std::uint32_t posizione, const QString& di) {
        Lettore h(dati_, di);
        if (posizione > std::uint32_t(dati_.size()))
            throw ErroreGuida(QStringLiteral("Plik pomocy jest obcięty (%1).").arg(di));
        h.vai(qsizetype(posizione));
        h.u32();
        const std::uint32_t usati = h.u32();
        h.u8();
        if (usati > std::uint32_t(h.resto()))
            throw ErroreGuida(QStringLiteral("Plik pomocy jest obcięty (%1).").arg(di));
        return QByteArrayView(dati_).sliced(h.posizione(), qsizetype(usati));
    };
    const QByteArrayView directory = interno(cartella, QStringLiteral("katalog"));
    percorriAlbero(directory, QStringLiteral("katalog"), [&](Lettore& v) {
        const QByteArray n = v.stringa().toByteArray();
        const std::uint32_t dove = v.u32();
        file_.insert(n, interno(dove, QString::fromLatin1(n)));
    });
}

std::optional<QByteArrayView> Contenitore::file(QByteArrayView nome) const {
    const auto it = file_.constFind(nome.toByteArray());
    if (it == file_.cend())
        return std::nullopt;
    return *it;
}

} // namespace hn::winhelp
