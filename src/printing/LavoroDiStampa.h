#pragma once

// The print job the print dialog runs when confirmed: the description text as one printer
// document, then the illustration page as another.

#include <QString>

#include <cstddef>
#include <functional>

namespace hn {

class FXImage;
class KorAtx;
class PrinterService;

// What the job reads from the dialog: its marks, its sources and its two hidden text controls.
struct StatoDiStampa {
    bool testo = false;         // the text mark is on
    bool illustrazione = false; // the illustration mark is on
    bool soloSelezione = false; // the "selected part" tick is on
    KorAtx* sorgenteTesto = nullptr;
    FXImage* ImmagineDaStampare = nullptr;
    QString TestoDidascalia;
    KorAtx* TESTOATX = nullptr;
    KorAtx* atxTestoCop = nullptr;
};

// Prints what the state asks for. Each failing step is reported with the context "Drukuj" (a
// file the printer cannot write is named with its reason): Retry runs it again (a document whose
// end failed is printed again whole), Ignore goes on with the next step, any other answer ends
// printing, closing whatever printer document is open. The printer is not told that the job is
// over: the caller does that once it has closed its dialog. `StampaInCorso` is cleared once the
// text has gone out, as the dialog's OK handler expects. Returns false when the user ended
// printing.
bool StampaScelte(const StatoDiStampa& stato, short& StampaInCorso);

// The host's printer, or the printer error when none is installed.
PrinterService& stampanteInstallata();

// Runs one printer document step by step. `passo(i)` runs step i; `quanti()` is asked before each
// step, as a step may learn how many there are (the pages of a document); step `fine()` ends the
// document. A failing step is reported with the context "Drukuj": Retry runs it again (when the
// ending step failed, the document is gone and is printed again whole), Ignore goes on with the
// next step, any other answer stops. Returns false when the user stopped.
bool eseguiDocumentoDiStampa(const std::function<std::size_t()>& quanti,
                             const std::function<std::size_t()>& fine,
                             const std::function<void(std::size_t)>& passo);

// Ends the printer document left open by a stopped job, so none is in the way of the next print.
void chiudiDocumentoAperto();

// The context word of the print job's error reports.
inline const QString& contestoStampa() {
    static const QString c = QStringLiteral("Drukuj");
    return c;
}

} // namespace hn
