#include "CaricaImmagine.h"

#include "FXImage.h"
#include "FileSicuro.h"
#include "Fileini.h"
#include "Fseek.h"
#include "HostPaths.h"
#include "Immagine.h"
#include "Messaggi.h"
#include "Passo.h"
#include "StoreImmagini.h"

namespace hn {

namespace {

struct Store {
    QxBlob2* lettore;
    QString percorso;
};

// The selector's store as the atlas library gives it, on the hidden form's blob reader of that
// name.
Store scegliStore(std::optional<qint16> selettore) {
    using Fileini::cfg;
    const atlante::StoreImmagine s =
        atlante::storePerSelettore(selettore ? std::optional<int>(*selettore) : std::nullopt);
    Fseek& f = Fseek::istanza();
    QxBlob2* lettore = s.lettore == u"blbThumb"  ? &f.blbThumb
                       : s.lettore == u"blbCrop" ? &f.blbCrop
                                                 : &f.blbFoto;
    return {lettore, (s.sfondi ? cfg.PathSfondi : cfg.PathFoto) + s.file};
}

} // namespace

std::optional<int> CaricaImmagine(const QString& nome, ControlloConPicture& target,
                                  std::optional<bool> silenzioso, Controllo* nascondi,
                                  std::optional<qint16> store) {
    std::optional<int> risultato;
    const QString voce = nome.trimmed();
    if (voce.isEmpty()) {
        ImpostaPuntatoreSchermo(Puntatore::Predefinito);
        return risultato;
    }

    bool esci = false;
    Store s{};
    auto gestore = [&](const ErroreVB& e) {
        risultato = e.numero();
        if (silenzioso.value_or(false)) {
            // Leaving early must not leave the hourglass behind.
            ImpostaPuntatoreSchermo(Puntatore::Predefinito);
            esci = true;
            return Azione::Prosegui;
        }
        // The report reads as sentences: what is wrong with which file and its number, then
        // what could not be done and what follows. Every report here has OK as its only button,
        // so the program ends; only a printer error (never raised here) would offer a choice.
        QString frase = e.descrizione();
        if (e.numero() == Errore::ImmagineNonValida)
            frase = QStringLiteral("Obraz %1 z magazynu %2 jest uszkodzony albo zbyt duży, by go "
                                   "wyświetlić.")
                        .arg(voce, host().paths->toHost(s.percorso).value_or(s.percorso));
        QString contesto = Mod_Comuni::LeggiMessaggio(290, {}, voce);
        if (e.numero() != Errore::Stampante)
            contesto += QStringLiteral("\r\nProgram zostanie zakończony.");
        const int risposta = Mod_Comuni::SegnalaErrore(ErroreVB(e.numero(), frase), contesto);
        if (risposta == Risposta::Riprova)
            return Azione::Riprova;
        if (risposta == Risposta::Ignora)
            return Azione::Prosegui;
        return Azione::Termina;
    };
    // Each step of the routine, in order; false once the handler said to leave.
    auto passo = [&](auto&& corpo) {
        eseguiPasso(corpo, gestore);
        return !esci;
    };

    // The entry is read in memory: the store keeps it there already, and a picture never makes
    // the round of a file in PathTemp.
    std::optional<QByteArray> dati;
    if (!passo([&] { ImpostaPuntatoreSchermo(Puntatore::Clessidra); }) ||
        !passo([&] { s = scegliStore(store); }) ||
        !passo([&] { s.lettore->setProprieta1(s.percorso); }) ||
        !passo([&] { dati = s.lettore->Dati(voce); }))
        return risultato;

    // The store holds no such entry (nor can it, for a name that is no plain file name): silent,
    // and the target keeps its picture.
    if (!dati) {
        risultato = 2;
        ImpostaPuntatoreSchermo(Puntatore::Predefinito);
        return risultato;
    }

    if (passo([&] {
            if (nascondi)
                nascondi->ImpostaVisible(false);
        }) &&
        passo([&] {
            if (auto* immagine = dynamic_cast<FXImage*>(&target))
                immagine->caricaDati(*dati);
            else
                target.ImpostaPicture(decodificaImmagine(*dati));
            // Its larger renditions, if the store holds any: found now, read when a screen
            // needs one.
            std::shared_ptr<const blob::Archivio> archivio;
            try {
                archivio = s.lettore->archivioAperto();
            } catch (const ErroreVB&) {
                // Just read from: a store gone meanwhile only means no renditions.
            }
            target.ImpostaRendizioni(
                atlante::rendizioniNelloStore(archivio, voce, target.Picture().size()));
        }))
        passo([&] { ImpostaPuntatoreSchermo(Puntatore::Predefinito); });
    return risultato;
}

} // namespace hn
