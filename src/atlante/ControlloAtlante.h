#pragma once

// What an atlas author must fix before students meet it: links to plates that do not exist,
// plates no body system reaches, hotspots without a caption or a name, plates without a picture
// or a description, hotspots outside their picture, structures that can hardly be clicked,
// texts too long for their panel.

#include "DatiAtlante.h"

#include <QList>
#include <QString>

namespace hn::atlante {

enum class Difetto {
    CollegamentoRotto,
    TavolaIrraggiungibile,
    DidascaliaAssente,
    NomeAssente,
    ImmagineAssente,
    DescrizioneAssente,
    FuoriImmagine,
    CoperturaScarsa,
    TabellaSfasata, // "hsmed.bin" is no whole number of records
    ByteInCoda,     // bytes past its last record (a DOS end-of-file tail), which are ignored
    TestoTroppoLungo, // a word or a whole text longer than a panel shows
};

struct Rilievo {
    Difetto difetto;
    QString tavola; // empty for a finding about a whole file
    int record = 0; // the hotspot number on its plate, from 1; 0 for the plate as a whole
    QString testo;  // one line: plate, record and what is wrong
};

// Every finding, plates in tree order and then the plates no system reaches.
QList<Rilievo> controllaAtlante(const DatiAtlante& dati);

} // namespace hn::atlante
