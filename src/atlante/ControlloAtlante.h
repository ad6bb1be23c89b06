#pragma once

// What an atlas author must fix before students meet it: links to plates that do not exist,
// plates no body system reaches, hotspots without a caption or a name, plates without a picture
// or a description, hotspots outside their picture, structures that can hardly be clicked,
// texts too long for their panel.

#include "DatiAtlante.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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
    TabellaSfasata,   // "hsmed.bin" is no whole number of records
    ByteInCoda,       // bytes past its last record (a DOS end-of-file tail), which are ignored
    TestoTroppoLungo, // a word or a whole text longer than a panel shows
    TroppiRecord,     // more records than the viewer reads for one plate
    Sovrapposti,      // two hotspots on exactly the same rectangle: the earlier cannot be clicked
    // A picture's larger rendition that the program passes over:
    RendizioneMisuraErrata,   // not exactly its factor times the 1 × picture's size
    RendizioneIllegibile,     // no picture that can be decoded
    RendizioneSenzaOriginale, // no 1 × picture of that name beside it
    FattoreSconosciuto,       // a factor no loader looks for ("@5x", "@1.5x")
};

struct Rilievo {
    Difetto difetto;
    QString tavola; // empty for a finding about a whole file
    int record = 0; // the hotspot number on its plate, from 1; 0 for the plate as a whole
    QString testo;  // one line: plate, record and what is wrong
};

// Every finding, plates in tree order and then the plates no system reaches. The lines hold no
// control characters: what the atlas holds is shown escaped.
QList<Rilievo> controllaAtlante(const DatiAtlante& dati);

// Pictures the renditions check looks at: a store or a folder, by the names it holds.
struct RaccoltaImmagini {
    QString nome; // as the findings name it: "BlobCorp.dat", "D:\SFONDI\"
    QStringList voci;
    // The bytes of one of the names; nullopt when they cannot be read.
    std::function<std::optional<QByteArray>(const QString&)> leggi;
};

// Every rendition there that the program would pass over, and why. controllaAtlante runs it on
// the plate store.
QList<Rilievo> controllaRendizioni(const RaccoltaImmagini& raccolta);
// A store as such a collection (names as the store holds them, read without regard to case).
RaccoltaImmagini raccoltaDaStore(const QString& nome, std::shared_ptr<const blob::Archivio> store);

// A text safe for a terminal: control characters (C0, DEL, C1) and the marks that reorder or hide
// text are written as \xNN or \u{NNNN}, so an atlas cannot move the cursor, clear the screen or
// make a line say what it does not hold.
QString senzaControlli(const QString& testo);

} // namespace hn::atlante
