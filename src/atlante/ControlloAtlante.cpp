#include "ControlloAtlante.h"

#include "Copertura.h"
#include "StoreImmagini.h"

#include <algorithm>

namespace hn::atlante {

namespace {

class Controllo {
public:
    explicit Controllo(const DatiAtlante& d)
        : d_(d) {}

    QList<Rilievo> esegui() {
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
        if (r && !r->codice.isEmpty())
            riga += QStringLiteral(" (%1)").arg(r->codice);
        rilievi_.append({d, tavola, record, riga + QStringLiteral(": ") + cosa});
    }

    bool haNome(const QString& codice) const {
        try {
            const std::optional<QByteArray> b = d_.testi.byte(codice);
            return b && !sommarioDi(*b).nome.isEmpty();
        } catch (const ErroreVB&) {
            return false;
        }
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
        bool descrizione = false;
        for (qsizetype i = 0; i < n.record.size(); ++i) {
            const Record& r = d_.tabella[n.record[i]];
            const int numero = int(i + 1);
            if (r.intestazione()) {
                descrizione = descrizione || d_.testi.contiene(r.testo);
            } else if (!r.collegamento.isEmpty()) {
                if (d_.albero.recordDi(r.collegamento).isEmpty())
                    segnala(Difetto::CollegamentoRotto, n.chiave, numero,
                            QStringLiteral("links to plate %1, which has no records")
                                .arg(r.collegamento),
                            &r);
            } else if (!d_.testi.contiene(r.codice)) {
                segnala(Difetto::DidascaliaAssente, n.chiave, numero,
                        QStringLiteral("no caption entry %1 in hsmed.dat").arg(nomeTesto(r.codice)),
                        &r);
            } else if (!haNome(r.codice)) {
                segnala(
                    Difetto::NomeAssente, n.chiave, numero,
                    QStringLiteral("the caption does not open with the structure's name in bold"),
                    &r);
            }
            if (dimensione.isValid() && !dentro(r, dimensione))
                segnala(Difetto::FuoriImmagine, n.chiave, numero,
                        QStringLiteral("rectangle %1,%2-%3,%4 is not inside the %5x%6 picture")
                            .arg(r.x1)
                            .arg(r.y1)
                            .arg(r.x2)
                            .arg(r.y2)
                            .arg(dimensione.width())
                            .arg(dimensione.height()),
                        &r);
        }
        if (!descrizione)
            segnala(Difetto::DescrizioneAssente, n.chiave, 0,
                    QStringLiteral("no description (a header record whose text is in hsmed.dat)"));
        // Later records lie on top: a structure mostly covered by others is hard to click.
        QList<Zona> zone;
        for (const qsizetype i : n.record) {
            const Record& r = d_.tabella[i];
            zone.append(
                {n.chiave, r.codice, areaDelRecord(int(r.x1), int(r.y1), int(r.x2), int(r.y2))});
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
        return r.x1 >= 0 && r.y1 >= 0 && r.x1 <= r.x2 && r.y1 <= r.y2 && r.x2 + 2 <= s.width() &&
               r.y2 + 2 <= s.height();
    }

    const DatiAtlante& d_;
    QList<Rilievo> rilievi_;
};

} // namespace

QList<Rilievo> controllaAtlante(const DatiAtlante& dati) {
    return Controllo(dati).esegui();
}

} // namespace hn::atlante
