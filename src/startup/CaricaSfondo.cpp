#include "CaricaSfondo.h"

#include "AnticipoSfondo.h"
#include "CaricaImmagine.h"
#include "Controllo.h"
#include "Fileini.h"
#include "Host.h"
#include "HostPaths.h"
#include "Messaggi.h"
#include "Passo.h"
#include "Percorsi.h"
#include "PictureBox.h"
#include "Rendizioni.h"

namespace hn {

void CaricaSfondo(ControlloConPicture& pittura, const QString& immagine) {
    using namespace Mod_Comuni;
    // The report names the picture: the error's own description says what, not which file.
    auto gestore = [&immagine](const ErroreVB& e) {
        const QString file = host().paths->toHost(immagine).value_or(immagine);
        const QString frase =
            e.numero() == Errore::ImmagineNonValida
                ? QStringLiteral("Obraz tła %1 jest uszkodzony albo nie jest obrazem.").arg(file)
                : QStringLiteral("%1: %2.").arg(e.descrizione(), file);
        const int risposta = SegnalaErrore(ErroreVB(e.numero(), frase), LeggiMessaggio(251));
        if (risposta == Risposta::Riprova)
            return Azione::Riprova;
        return risposta == Risposta::Ignora ? Azione::Prosegui : Azione::Termina;
    };

    bool suDisco = false;
    eseguiPasso([&] { suDisco = EsisteFile(immagine); }, gestore);
    if (suDisco) {
        eseguiPasso(
            [&] {
                // The home screen's picture may have been read already, while the program
                // started: it is the same picture when it comes from the same files.
                const std::optional<QString> file = host().paths->toHost(immagine);
                std::optional<anticipo::Sfondo> pronto =
                    file ? anticipo::prendi(*file) : std::nullopt;
                pittura.ImpostaPicture(pronto ? pronto->picture : LoadPicture(immagine));
                Rendizioni rendizioni = rendizioniNellaCartella(immagine, pittura.Picture().size());
                const bool stesse = pronto && pronto->fattori == rendizioni.fattori();
                pittura.ImpostaRendizioni(std::move(rendizioni));
                if (stesse && pronto->disegno)
                    pittura.ImpostaNitidaInArrivo(pronto->dispositivo, pronto->filtro,
                                                  std::move(pronto->disegno));
            },
            gestore);
        return;
    }
    if (!immagine.contains(Fileini::cfg.PathSfondi, Qt::CaseSensitive)) {
        MsgBox(TestoDaMostrare(23, immagine), Stile::OK);
        TerminaProgramma(0);
    }
    QString nome = immagine;
    if (nome.right(4).toUpper() == QLatin1String(".JPG"))
        nome = nome.left(nome.size() - 3) + QStringLiteral("bmp");
    nome = EstraiNomeFileDaPathname(nome);
    // The store reports its own errors.
    CaricaImmagine(nome, pittura, std::nullopt, nullptr, qint16{10});
}

} // namespace hn
