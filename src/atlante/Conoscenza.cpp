#include "Conoscenza.h"

#include "IndiceSalvato.h"

#include <QSet>
#include <algorithm>

namespace hn::atlante {

using ripasso::Stato;

Stato statoStruttura(const ripasso::Diario& diario, QStringView nome, qint64 oggi) {
    const QString chiave = ripasso::chiaveStruttura(nome);
    if (chiave.isEmpty())
        return Stato::Nuova;
    const ripasso::Memoria* m = diario.trova(chiave);
    return m ? ripasso::statoDi(*m, oggi) : Stato::Nuova;
}

void Riepilogo::conta(Stato s) {
    switch (s) {
    case Stato::Conosciuta:
        ++conosciute;
        break;
    case Stato::InApprendimento:
        ++inApprendimento;
        break;
    case Stato::DaRipassare:
        ++daRipassare;
        break;
    case Stato::Nuova:
        ++nuove;
        break;
    }
}

Riepilogo riepiloga(const QStringList& chiavi, const ripasso::Diario& diario, qint64 oggi) {
    Riepilogo r;
    QSet<QString> viste;
    for (const QString& c : chiavi) {
        if (c.isEmpty() || viste.contains(c))
            continue;
        viste.insert(c);
        const ripasso::Memoria* m = diario.trova(c);
        r.conta(m ? ripasso::statoDi(*m, oggi) : Stato::Nuova);
    }
    return r;
}

QList<QStringList> struttureDeiSistemi(const DatiAtlante& dati, const Budget& budget,
                                       bool* esaurito) {
    const qsizetype sistemi = codiciSistemi().size();
    QList<QStringList> out(sistemi);
    QList<QSet<QString>> viste(sistemi);
    LetturaLimitata lettura(dati.testi, budget);
    // A caption read once, however many plates and systems show its structure.
    QHash<QString, QString> chiaviPerCodice;
    for (const NodoTavola& n : dati.albero.nodi()) {
        if (n.sistema < 0 || n.sistema >= sistemi)
            continue;
        for (qsizetype i : n.record) {
            if (i < 0 || i >= dati.tabella.size())
                continue;
            const Record& r = dati.tabella[i];
            if (r.intestazione() || !r.Collegamento.isEmpty())
                continue;
            const QString codice = r.Codice.trimmed().toUpper();
            auto it = chiaviPerCodice.constFind(codice);
            if (it == chiaviPerCodice.cend()) {
                const Sommario s = lettura.sommario(r.Codice).value_or(Sommario{});
                it = chiaviPerCodice.insert(codice, ripasso::chiaveStruttura(s.nome));
            }
            if (it->isEmpty() || viste[n.sistema].contains(*it))
                continue;
            viste[n.sistema].insert(*it);
            out[n.sistema].append(*it);
        }
    }
    if (esaurito)
        *esaurito = lettura.esaurito();
    return out;
}

namespace {

// A new number whenever the keys are made otherwise (chiaveStruttura): lists saved by an earlier
// version are then read again rather than counted under keys the diary no longer uses.
constexpr QByteArrayView MagiaStrutture("HNSTRU01");
constexpr QStringView TipoStrutture = u"strutture";
// More than the keys of any atlas the program reads (500,000 captions at most).
constexpr qint64 StruttureMassime = qint64(64) * 1024 * 1024;

// The print of the files the lists were made from, as the saved head holds it.
QByteArray testaDi(const Impronta& impronta) {
    indice::Scrittura w;
    w.u32(quint32(impronta.file.size()));
    for (const std::optional<IdentitaFile>& f : impronta.file) {
        w.u32(f ? 1 : 0);
        w.identita(f.value_or(IdentitaFile{}));
    }
    return w.dati();
}

} // namespace

std::optional<QList<QStringList>> struttureSalvate(const FileAtlante& file,
                                                   const Impronta& impronta) {
    const std::optional<indice::IndiceSecchi> x =
        indice::IndiceSecchi::apri(file.tabella, TipoStrutture, MagiaStrutture, 1);
    if (!x || x->intestazione() != testaDi(impronta))
        return std::nullopt;
    const std::optional<QByteArray> corpo = x->secchio(0, StruttureMassime);
    if (!corpo)
        return std::nullopt;
    indice::Lettura l(*corpo);
    const quint32 sistemi = l.u32();
    if (!l.ok() || sistemi != quint32(codiciSistemi().size()))
        return std::nullopt;
    QList<QStringList> out(sistemi);
    for (QStringList& chiavi : out) {
        const quint32 n = l.u32();
        // Each key takes at least its length's four bytes.
        if (!l.ok() || n > quint64(l.resto()) / 4)
            return std::nullopt;
        chiavi.reserve(n);
        for (quint32 i = 0; i < n; ++i) {
            const quint32 lunghezza = l.u32();
            const char* testo = l.salta(lunghezza);
            if (!l.ok())
                return std::nullopt;
            chiavi.append(QString::fromUtf8(testo, lunghezza));
        }
    }
    if (l.resto() != 0)
        return std::nullopt;
    return out;
}

void salvaStrutture(const FileAtlante& file, const Impronta& impronta,
                    const QList<QStringList>& strutture) {
    indice::salvaIndice(file.tabella, TipoStrutture, [testa = testaDi(impronta), strutture] {
        indice::Scrittura w;
        w.u32(quint32(strutture.size()));
        for (const QStringList& chiavi : strutture) {
            w.u32(quint32(chiavi.size()));
            for (const QString& c : chiavi) {
                const QByteArray b = c.toUtf8();
                w.u32(quint32(b.size()));
                w.byte(b);
            }
        }
        return indice::IndiceSecchi::componi(MagiaStrutture, testa, {w.dati()});
    });
}

QList<int> ordineDiLettura(const QList<QRectF>& aree) {
    QList<int> perAltezza(aree.size());
    for (int i = 0; i < aree.size(); ++i)
        perAltezza[i] = i;
    std::stable_sort(perAltezza.begin(), perAltezza.end(),
                     [&](int a, int b) { return aree[a].center().y() < aree[b].center().y(); });
    QList<int> out;
    out.reserve(aree.size());
    qsizetype inizio = 0;
    while (inizio < perAltezza.size()) {
        const QRectF& primo = aree[perAltezza[inizio]];
        qsizetype fine = inizio + 1;
        while (fine < perAltezza.size() && aree[perAltezza[fine]].center().y() <= primo.bottom())
            ++fine;
        QList<int> riga(perAltezza.begin() + inizio, perAltezza.begin() + fine);
        std::stable_sort(riga.begin(), riga.end(),
                         [&](int a, int b) { return aree[a].left() < aree[b].left(); });
        out += riga;
        inizio = fine;
    }
    return out;
}

} // namespace hn::atlante
