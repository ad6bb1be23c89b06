#pragma once

// Full-screen layout: the forms take the screen mode's size and the 1024 × 768 background is
// centred on the screen, so a smaller screen shows its middle and cuts the edges.

#include <QString>

namespace hn {
class Forma;
class Riquadro;
} // namespace hn

namespace hn::gRAPH {

// Screen size in twips at the last centring; only the paint-time test reads them.
extern qint32 LarghezzaSchermo;
extern qint32 AltezzaSchermo;

// "1024x768" and the like; the size in pixels goes to the two outputs.
QString RisoluzioneSchermo(float& larghezza, float& altezza);
// 0 "640x480", 1 "800x600", 2 "1024x768"; any other screen counts as 0.
int ModoSchermo(float& larghezza, float& altezza);

// Borderless form at the top left sized for the screen mode, window text "Velto 2002",
// background at the corner and sized to its picture; centred when centra is 0.
void AdattaSchermo(Forma& forma, Riquadro& sfondo, qint16 centra);
void CentraSfondo(Forma& forma, Riquadro& sfondo);
// Re-centres when the screen height changed since the last centring; returns the old height in
// twips then, else 0.
qint32 ControllaRisoluzione(Forma& forma, Riquadro& sfondo);

// A closing form lets go of the windows it owns, last loaded first, so none is left tied to a
// window that is gone.
void RilasciaFinestreDipendenti(Forma& chiusa);

} // namespace hn::gRAPH
