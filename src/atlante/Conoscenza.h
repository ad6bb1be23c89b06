#pragma once

// What the student knows of the atlas, read from the review diary: the state of a structure by
// its name, the counts of a body system's structures by state, and the order in which a plate's
// labels are numbered on a worksheet.

#include "DatiAtlante.h"
#include "Ripasso.h"
#include "TestiAtlante.h"

#include <QList>
#include <QRectF>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace hn::atlante {

// The state of the structure of this name: a structure never asked, or one without a name, is new.
ripasso::Stato statoStruttura(const ripasso::Diario& diario, QStringView nome, qint64 oggi);

struct Riepilogo {
    int conosciute = 0;
    int inApprendimento = 0;
    int daRipassare = 0;
    int nuove = 0;
    int totale() const { return conosciute + inApprendimento + daRipassare + nuove; }
    void conta(ripasso::Stato s);
    bool operator==(const Riepilogo&) const = default;
};

// Counts the structures of these keys (each once, however often it is listed).
Riepilogo riepiloga(const QStringList& chiavi, const ripasso::Diario& diario, qint64 oggi);

// For each body system (by index into codiciSistemi()), the keys of the structures on the plates
// its tree reaches: captions with a name, each structure once. Links lead to plates and the header
// is the plate itself, so neither is a structure. Reads the captions within the budget.
// `esaurito`, when given, tells whether the budget ran out (some captions were not read).
QList<QStringList> struttureDeiSistemi(const DatiAtlante& dati, const Budget& budget = {},
                                       bool* esaurito = nullptr);

// The lists above as saved in the user's cache after a complete read of these very files
// (`impronta` is their print now); nothing when there are none, they were made from other files, or
// the saved file is damaged. So a later start shows the home screen's counts without reading a
// caption.
std::optional<QList<QStringList>> struttureSalvate(const FileAtlante& file,
                                                   const Impronta& impronta);
// Saves them for that, off the calling thread; failures are silent (it only saves time).
void salvaStrutture(const FileAtlante& file, const Impronta& impronta,
                    const QList<QStringList>& strutture);

// The order a worksheet numbers labels in: rows from the top, each row left to right. Labels whose
// vertical middles fall within the first label of a row are on that row. Returns the indices of
// `aree` in that order.
QList<int> ordineDiLettura(const QList<QRectF>& aree);

} // namespace hn::atlante
