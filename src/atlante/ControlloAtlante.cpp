#include "ControlloAtlante.h"

#include "BlobStore.h"
#include "Copertura.h"
#include "Rendizioni.h"
#include "StoreImmagini.h"
#include "TestoLimitato.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <map>
#include <tuple>

namespace hn::atlante {

namespace {

class Controllo {
public:
    explicit Controllo(const DatiAtlante& d)
        : d_(d) {}

    QList<Rilievo> esegui() {
        tabella();
        for (const NodoTavola& n : d_.albero.nodi())
            tavola(n);
        for (const QString& k : d_.albero.nonRaggiunte())
            segnala(Difetto::TavolaIrraggiungibile, k, 0,
                    QStringLiteral("no body system reaches it"));
        return rilievi_;
    }

private:
    void segnala(Difetto d, const QString& tavola, int record, const QString& cosa,
                 const Record* r = nullptr) {
        QString riga = tavola;
        if (record > 0)
            riga += QStringLiteral(" record %1").arg(record);
        if (r && !r->Codice.isEmpty())
            riga += QStringLiteral(" (%1)").arg(r->Codice);
        rilievi_.append({d, tavola, record, senzaControlli(riga + QStringLiteral(": ") + cosa)});
    }

    void tabella() {
        const auto riga = [](const QString& cosa) { return QStringLiteral("hsmed.bin: ") + cosa; };
        if (d_.byteRecord % LunghezzaRecord != 0)
            rilievi_.append(
                {Difetto::TabellaSfasata, QString(), 0,
                 riga(QStringLiteral("%1 bytes, no whole number of %2-byte records: every record "
                                     "after a short or long one is shifted")
                          .arg(d_.byteRecord)
                          .arg(LunghezzaRecord))});
        else if (d_.byteTabella > d_.byteRecord)
            rilievi_.append({Difetto::ByteInCoda, QString(), 0,
                             riga(QStringLiteral("%1 bytes after the last record, from a DOS "
                                                 "end-of-file mark (0x1A): ignored")
                                      .arg(d_.byteTabella - d_.byteRecord))});
    }

    // What the checks need of a text, read once per code: whether it opens with a name, and how
    // long its words and the whole are. A text past the checker's budget is not judged.
    struct Letto {
        bool nome = true;
        MisuraTesto misura;
    };
    const Letto& letto(const QString& codice) {
        auto it = letti_.find(codice);
        if (it == letti_.end()) {
            Letto l;
            if (const std::optional<QByteArray> b = lettura_.inizio(codice)) {
                const Sommario s = sommarioDi(*b);
                l = {!s.nome.isEmpty(), misuraTesto(s.testo)};
            } else if (!lettura_.esaurito()) {
                l.nome = false; // damaged
            }
            it = letti_.insert(codice, l);
        }
        return *it;
    }

    void testoLungo(const QString& tavola, int numero, const QString& codice, const Record* r) {
        const MisuraTesto& m = letto(codice).misura;
        if (m.parolaPiuLunga > ParolaMassima)
            segnala(Difetto::TestoTroppoLungo, tavola, numero,
                    QStringLiteral("%1 has a word of %2 characters; the panel cuts it at %3")
                        .arg(nomeTesto(codice))
                        .arg(m.parolaPiuLunga)
                        .arg(ParolaMassima),
                    r);
        if (m.lunghezza > TestoMassimo)
            segnala(Difetto::TestoTroppoLungo, tavola, numero,
                    QStringLiteral("%1 has %2 characters; the panel shows the first %3")
                        .arg(nomeTesto(codice))
                        .arg(m.lunghezza)
                        .arg(TestoMassimo),
                    r);
    }

    void tavola(const NodoTavola& n) {
        if (n.record.isEmpty()) {
            segnala(Difetto::CollegamentoRotto, n.chiave, 0,
                    QStringLiteral("the body system's first plate has no records"));
            return;
        }
        const QSize dimensione = d_.dimensioneImmagine(n.chiave);
        if (!dimensione.isValid())
            segnala(
                Difetto::ImmagineAssente, n.chiave, 0,
                QStringLiteral("no picture %1 in BlobCorp.dat").arg(nomeImmagineTavola(n.chiave)));
        // The viewer numbers a plate's hotspots in 16 bits: the rest are never shown.
        const qsizetype letti = std::min<qsizetype>(n.record.size(), MassimoHotSpot);
        if (n.record.size() > MassimoHotSpot)
            segnala(Difetto::TroppiRecord, n.chiave, 0,
                    QStringLiteral("%1 records; the program reads only the first %2")
                        .arg(n.record.size())
                        .arg(MassimoHotSpot));
        bool descrizione = false;
        // Rectangle → the last record drawn on it: the one a click reaches.
        std::map<std::tuple<float, float, float, float>, qsizetype> rettangoli;
        for (qsizetype i = 0; i < letti; ++i) {
            const Record& r = d_.tabella[n.record[i]];
            const int numero = int(i + 1);
            if (r.intestazione()) {
                if (d_.testi.contiene(r.Testo)) {
                    descrizione = true;
                    testoLungo(n.chiave, numero, r.Testo, &r);
                }
            } else if (!r.Collegamento.isEmpty()) {
                if (d_.albero.recordDi(r.Collegamento).isEmpty())
                    segnala(Difetto::CollegamentoRotto, n.chiave, numero,
                            QStringLiteral("links to plate %1, which has no records")
                                .arg(r.Collegamento),
                            &r);
            } else if (!d_.testi.contiene(r.Codice)) {
                segnala(Difetto::DidascaliaAssente, n.chiave, numero,
                        QStringLiteral("no caption entry %1 in hsmed.dat").arg(nomeTesto(r.Codice)),
                        &r);
            } else {
                if (!letto(r.Codice).nome)
                    segnala(Difetto::NomeAssente, n.chiave, numero,
                            QStringLiteral(
                                "the caption does not open with the structure's name in bold"),
                            &r);
                testoLungo(n.chiave, numero, r.Codice, &r);
            }
            if (!r.intestazione()) {
                auto [it, nuovo] = rettangoli.try_emplace({r.X1, r.Y1, r.X2, r.Y2}, i);
                if (!nuovo) {
                    const Record& sotto = d_.tabella[n.record[it->second]];
                    segnala(Difetto::Sovrapposti, n.chiave, int(it->second + 1),
                            QStringLiteral("lies exactly under record %1 (%2): only that one can "
                                           "be clicked")
                                .arg(numero)
                                .arg(r.Codice),
                            &sotto);
                    it->second = i;
                }
            }
            if (dimensione.isValid() && !dentro(r, dimensione))
                segnala(Difetto::FuoriImmagine, n.chiave, numero,
                        QStringLiteral("rectangle %1,%2-%3,%4 is not inside the %5x%6 picture")
                            .arg(r.X1)
                            .arg(r.Y1)
                            .arg(r.X2)
                            .arg(r.Y2)
                            .arg(dimensione.width())
                            .arg(dimensione.height()),
                        &r);
        }
        if (!descrizione)
            segnala(Difetto::DescrizioneAssente, n.chiave, 0,
                    QStringLiteral("no description (a header record whose text is in hsmed.dat)"));
        // Later records lie on top: a structure mostly covered by others is hard to click.
        QList<Zona> zone;
        for (const qsizetype i : n.record.first(letti)) {
            const Record& r = d_.tabella[i];
            zone.append(
                {n.chiave, r.Codice, areaDelRecord(int(r.X1), int(r.Y1), int(r.X2), int(r.Y2))});
        }
        for (const DifettoCopertura& c : verificaCopertura(zone)) {
            const auto primo = std::find_if(zone.cbegin(), zone.cend(), [&c](const Zona& z) {
                return z.struttura == c.struttura;
            });
            const qsizetype i = primo - zone.cbegin();
            segnala(Difetto::CoperturaScarsa, n.chiave, int(i + 1),
                    QStringLiteral("hard to click: ") + c.motivo, &d_.tabella[n.record[i]]);
        }
    }

    // The hotspot spans X2 - X1 + 2 pixels from X1, and as many down from Y1.
    static bool dentro(const Record& r, QSize s) {
        return r.X1 >= 0 && r.Y1 >= 0 && r.X1 <= r.X2 && r.Y1 <= r.Y2 && r.X2 + 2 <= s.width() &&
               r.Y2 + 2 <= s.height();
    }

    const DatiAtlante& d_;
    // Whole texts, since a word too long may stand anywhere in one; a store of many huge
    // entries stops being read at the budget instead of keeping the checker for minutes.
    LetturaLimitata lettura_{d_.testi,
                             Budget{blob::DimensioneMassimaVoce, qint64(1024) * 1024 * 1024,
                                    2'000'000, std::chrono::seconds(60), 0}};
    QHash<QString, Letto> letti_;
    QList<Rilievo> rilievi_;
};

} // namespace

QList<Rilievo> controllaAtlante(const DatiAtlante& dati) {
    QList<Rilievo> rilievi = Controllo(dati).esegui();
    if (dati.tavole)
        rilievi +=
            controllaRendizioni(raccoltaDaStore(QStringLiteral("BlobCorp.dat"), dati.tavole));
    return rilievi;
}

namespace {

QString misura(QSize s) {
    return QStringLiteral("%1 × %2").arg(s.width()).arg(s.height());
}

} // namespace

RaccoltaImmagini raccoltaDaStore(const QString& nome, std::shared_ptr<const blob::Archivio> store) {
    RaccoltaImmagini r{nome, {}, {}};
    if (!store)
        return r;
    for (const blob::Voce& v : store->voci())
        r.voci.append(v.nome);
    r.leggi = [store](const QString& voce) -> std::optional<QByteArray> {
        try {
            return store->contenuto(voce);
        } catch (const ErroreVB&) {
            return std::nullopt;
        }
    };
    return r;
}

QList<Rilievo> controllaRendizioni(const RaccoltaImmagini& raccolta) {
    QList<Rilievo> rilievi;
    QHash<QString, QString> perNome; // folded name → the name as held
    for (const QString& v : raccolta.voci)
        perNome.insert(v.toCaseFolded(), v);
    const auto segnala = [&](Difetto d, const QString& voce, const QString& cosa) {
        rilievi.append(
            {d, QString(), 0,
             senzaControlli(QStringLiteral("%1 in %2: %3").arg(voce, raccolta.nome, cosa))});
    };
    for (const QString& voce : raccolta.voci) {
        QString base, testoFattore;
        if (!scomponiNomeRendizione(voce, base, testoFattore))
            continue;
        const int fattore = testoFattore.toInt();
        if (std::find(FattoriCercati.begin(), FattoriCercati.end(), fattore) ==
            FattoriCercati.end()) {
            segnala(Difetto::FattoreSconosciuto, voce,
                    QStringLiteral("factor %1 is none the program looks for (2, 3 or 4): never "
                                   "shown")
                        .arg(testoFattore));
            continue;
        }
        const auto originale = perNome.constFind(base.toCaseFolded());
        if (originale == perNome.cend()) {
            segnala(Difetto::RendizioneSenzaOriginale, voce,
                    QStringLiteral("no 1 × picture %1 beside it: never shown").arg(base));
            continue;
        }
        const std::optional<QByteArray> datiBase = raccolta.leggi(*originale);
        QSize misuraBase;
        if (datiBase) {
            QBuffer b;
            b.setData(*datiBase);
            b.open(QIODevice::ReadOnly);
            misuraBase = QImageReader(&b).size();
        }
        // Without a readable 1 × picture the program shows none, and the plate's own check says
        // so; its rendition is judged only as a picture.
        const std::optional<QByteArray> dati = raccolta.leggi(voce);
        QImage immagine;
        if (dati) {
            QBuffer b;
            b.setData(*dati);
            b.open(QIODevice::ReadOnly);
            QImageReader lettore(&b);
            lettore.setDecideFormatFromContent(true);
            lettore.read(&immagine);
        }
        if (immagine.isNull()) {
            segnala(Difetto::RendizioneIllegibile, voce,
                    QStringLiteral("not a picture that can be decoded: never shown"));
            continue;
        }
        if (misuraBase.isValid() && immagine.size() != misuraBase * fattore)
            segnala(Difetto::RendizioneMisuraErrata, voce,
                    QStringLiteral("%1 pixels, not %2 (%3 times %4 at %5): never shown")
                        .arg(misura(immagine.size()), misura(misuraBase * fattore),
                             QString::number(fattore), *originale, misura(misuraBase)));
    }
    return rilievi;
}

QString senzaControlli(const QString& testo) {
    QString out;
    out.reserve(testo.size());
    for (const QChar c : testo) {
        const char16_t u = c.unicode();
        const bool controllo = u < 0x20 || (u >= 0x7F && u <= 0x9F);
        // Direction marks, embeddings, overrides and isolates reorder what follows; zero-width
        // and format characters hide text.
        const bool formato = c.category() == QChar::Other_Format || u == 0x2028 || u == 0x2029;
        if (controllo)
            out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else if (formato)
            out += QStringLiteral("\\u{%1}").arg(uint(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace hn::atlante
