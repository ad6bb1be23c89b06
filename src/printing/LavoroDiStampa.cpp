#include "LavoroDiStampa.h"

#include "AtxPrint.h"
#include "ErroreVB.h"
#include "FXImage.h"
#include "Host.h"
#include "KorAtx.h"
#include "Messaggi.h"
#include "Passo.h"
#include "StampaAtx.h"

#include <QPainter>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <vector>

namespace hn {

namespace {

constexpr int kErroreOggettoNonImpostato = 91;

template <typename T> T& impostato(T* oggetto) {
    if (!oggetto)
        throw ErroreVB(kErroreOggettoNonImpostato);
    return *oggetto;
}

// Every failure goes through the common report with the print's context; a document going to a
// file names the file and what is in its way in the description. A full disk, which the user can
// clear, is offered Retry, which the common report's OK alone would not give.
int riferisci(const ErroreVB& e) {
    if (e.numero() == Errore::DiscoPieno)
        return MsgBox(e.descrizione(), Stile::RiprovaAnnulla | Stile::Critico);
    return Mod_Comuni::SegnalaErrore(e, contestoStampa());
}

bool eseguiDocumento(std::size_t fine, std::initializer_list<std::function<void()>> elenco) {
    const std::vector<std::function<void()>> passi(elenco);
    return eseguiDocumentoDiStampa([&] { return passi.size(); }, [fine] { return fine; },
                                   [&](std::size_t i) { passi[i](); });
}

// Prepares the text control for printing all of its text with no indents.
void preparaPerStampa(KorAtx& atx) {
    atx.setSelStart(0);
    atx.setSelLength(atx.lunghezza());
}

// Three device dots down, so the first line clears a printer's unprintable edge.
std::int32_t cimaDelTesto() {
    const double u = stampanteInstallata().unitsPerTwip();
    return u > 0 ? static_cast<std::int32_t>(std::lround(3.0 / u)) : 0;
}

bool stampaTesto(const StatoDiStampa& s, short& StampaInCorso) {
    using namespace Mod_CopiaeStampa;
    return eseguiDocumento(
        6, {
               [&] { ATX_PRINT_START(0, &stampanteInstallata(), 1, 1); },
               [&] {
                   KorAtx& sorgente = impostato(s.sorgenteTesto);
                   sorgente.setSelFType(KorAtx::kTuttiIFormati);
                   KorAtx& copia = impostato(s.atxTestoCop);
                   copia.setFText(sorgente.FText());
                   copia.setSelFType(KorAtx::kTuttiIFormati);
               },
               [&] {
                   impostato(s.TESTOATX)
                       .setFText(RtfDiCredito() + QStringLiteral("\\par \\par \\par"));
               },
               [&] {
                   KorAtx& copia = impostato(s.atxTestoCop);
                   if (s.soloSelezione)
                       copia.setFText(impostato(s.sorgenteTesto).SelText());
                   KorAtx& doc = impostato(s.TESTOATX);
                   doc.setFText(doc.FText() + copia.FText());
               },
               [&] {
                   KorAtx& doc = impostato(s.TESTOATX);
                   preparaPerStampa(doc);
                   doc.setSelIndent(0);
               },
               [&] { StampaAtx(impostato(s.TESTOATX), 0, cimaDelTesto(), true); },
               [&] {
                   ATX_PRINT_FINISH();
                   stampanteInstallata().endDocument();
               },
               [&] {
                   ImpostaPuntatoreSchermo(Puntatore::Predefinito);
                   StampaInCorso = 0;
                   ImpostaPuntatoreSchermo(Puntatore::Clessidra);
               },
           });
}

bool stampaIllustrazione(const StatoDiStampa& s) {
    using namespace Mod_CopiaeStampa;
    return eseguiDocumento(
        5, {
               [&] {
                   ATX_PRINT_START(0, &stampanteInstallata(), 1, 1);
                   ATX_PRINT_TITLE(Mod_Comuni::LeggiMessaggio(488));
               },
               [&] {
                   KorAtx& doc = impostato(s.TESTOATX);
                   doc.setAllineamentoStampa(2);
                   doc.setFText(RtfDiCredito());
                   // A third of an inch down, under the title.
                   StampaAtx(doc, 0, 480);
               },
               [&] {
                   ATX_PRINT_FINISH();
                   ImpostaPuntatoreSchermo(Puntatore::Clessidra);
               },
               [&] {
                   FXImage& figura = impostato(s.ImmagineDaStampare);
                   PrinterService& p = stampanteInstallata();
                   const double tx = host().screen->twipsPerPixelX();
                   const double ty = host().screen->twipsPerPixelY();
                   // Screen size, each side cut to the printable area on its own; centred on the
                   // sheet.
                   const double w = Minimo(figura.IWidth() * tx, p.printableRectTwips().width());
                   const double h = Minimo(figura.IHeight() * ty, p.printableRectTwips().height());
                   const auto paginaW = static_cast<std::int32_t>(p.pageSizeTwips().width());
                   const auto paginaH = static_cast<std::int32_t>(p.pageSizeTwips().height());
                   figura.setPrinterWidth(w);
                   figura.setPrinterHeight(h);
                   figura.setPrinterLeft((paginaW - w) / 2.0);
                   figura.setPrinterTop((paginaH - h) / 2.0);
                   AvviaStampante();
                   figura.setPrinterhDC(p.painter());
                   DoEvents();
               },
               [&] {
                   ATX_PRINT_START(0, &stampanteInstallata(), 1, 1);
                   KorAtx& doc = impostato(s.TESTOATX);
                   doc.setAllineamentoStampa(2);
                   doc.setFText(s.TestoDidascalia);
                   preparaPerStampa(doc);
                   doc.setSelRightIndent(0);
                   // The caption's band begins two inches above the bottom of the sheet.
                   StampaAtx(
                       doc, 0,
                       static_cast<std::int32_t>(stampanteInstallata().pageSizeTwips().height()) -
                           2880);
               },
               [&] {
                   ATX_PRINT_FINISH();
                   stampanteInstallata().endDocument();
                   ImpostaPuntatoreSchermo(Puntatore::Clessidra);
               },
           });
}

// What ending printing leaves behind: no open job and no half-made document in the way of the
// next print.
void chiudiTutto() {
    ATX_PRINT_FINISH();
    chiudiDocumentoAperto();
}

} // namespace

PrinterService& stampanteInstallata() {
    if (!host().printer->installata())
        throw ErroreVB(Errore::Stampante);
    return *host().printer;
}

bool eseguiDocumentoDiStampa(const std::function<std::size_t()>& quanti,
                             const std::function<std::size_t()>& fine,
                             const std::function<void(std::size_t)>& passo) {
    std::size_t i = 0;
    while (i < quanti()) {
        bool finito = false;
        bool daCapo = false;
        eseguiPasso([&] { passo(i); },
                    [&](const ErroreVB& e) {
                        switch (riferisci(e)) {
                        case Risposta::Riprova:
                            if (i == fine() && !host().printer->painter()) {
                                daCapo = true;
                                return Azione::Prosegui;
                            }
                            return Azione::Riprova;
                        case Risposta::Ignora:
                            return Azione::Prosegui;
                        default:
                            finito = true;
                            return Azione::Prosegui;
                        }
                    });
        if (finito)
            return false;
        i = daCapo ? 0 : i + 1;
    }
    return true;
}

void chiudiDocumentoAperto() {
    if (host().printer->painter()) {
        try {
            host().printer->endDocument();
        } catch (const ErroreVB&) {
            // The user has already been told about this printer and chose to stop.
        }
    }
}

bool StampaScelte(const StatoDiStampa& stato, short& StampaInCorso) {
    bool completa = true;
    if (stato.testo)
        completa = stampaTesto(stato, StampaInCorso);
    if (completa && stato.illustrazione)
        completa = stampaIllustrazione(stato);
    if (!completa)
        chiudiTutto();
    return completa;
}

} // namespace hn
