#include "CaricaImmagine.h"

#include "BlobStore.h"
#include "FXImage.h"
#include "Fileini.h"
#include "Fseek.h"
#include "HostPaths.h"
#include "Messaggi.h"
#include "Passo.h"
#include "Percorsi.h"

#include <QFile>

namespace hn {

namespace {

struct Store {
    QxBlob2* lettore;
    QString percorso;
    bool metodo3;
};

Store scegliStore(std::optional<qint16> selettore) {
    using Fileini::cfg;
    Fseek& f = Fseek::istanza();
    switch (selettore.value_or(1)) {
    case 1:
        return {&f.blbFoto, cfg.PathFoto + QStringLiteral("BlobFoto.dat"), false};
    case 2:
        return {&f.blbThumb, cfg.PathFoto + QStringLiteral("BlobThum.dat"), false};
    case 3:
        return {&f.blbCrop, cfg.PathFoto + QStringLiteral("BlobCrop.dat"), false};
    case 10:
        return {&f.blbFoto, cfg.PathSfondi + QStringLiteral("Bit_Hd.ff"), true};
    default:
        return {&f.blbFoto, cfg.PathFoto + QStringLiteral("BlobCorp.dat"), false};
    }
}

void Kill(const QString& percorso) {
    const std::optional<QString> file = host().paths->toHost(percorso);
    if (!file || !QFile::remove(*file))
        throw ErroreVB(Errore::AccessoPercorso);
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
    auto gestore = [&](const ErroreVB& e) {
        risultato = e.numero();
        if (silenzioso.value_or(false)) {
            // Leaving early must not leave the hourglass behind.
            ImpostaPuntatoreSchermo(Puntatore::Predefinito);
            esci = true;
            return Azione::Prosegui;
        }
        const int risposta =
            Mod_Comuni::SegnalaErrore(e, Mod_Comuni::LeggiMessaggio(290, {}, voce));
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

    QString temp;
    Store s{};
    if (!passo([&] { ImpostaPuntatoreSchermo(Puntatore::Clessidra); }) ||
        !passo([&] { temp = Mod_Comuni::TogliNull(Fileini::cfg.PathTemp) + voce; }) ||
        !passo([&] { s = scegliStore(store); }) ||
        !passo([&] { s.lettore->setProprieta1(s.percorso); }) || !passo([&] {
            s.metodo3 ? s.lettore->Metodo3(voce, temp) : s.lettore->Metodo2(voce, temp);
        }))
        return risultato;

    // No file written: the store holds no such entry. Silent, and the target keeps its picture.
    // A name that is no plain file name was never written either, and the path it forms may
    // name some unrelated file, which must be neither loaded nor deleted.
    if (!blob::nomeVoceAmmesso(voce) || !Mod_Comuni::EsisteFile(temp)) {
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
                immagine->setFileName(temp);
            else
                target.ImpostaPicture(LoadPicture(temp));
        }) &&
        passo([&] {
            if (Mod_Comuni::EsisteFile(temp))
                Kill(temp);
        }))
        passo([&] { ImpostaPuntatoreSchermo(Puntatore::Predefinito); });
    return risultato;
}

} // namespace hn
