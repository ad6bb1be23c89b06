#pragma once

// Feedback for the hotspots: a one-pixel bevel frame around the label under the mouse (raised
// while hovering, sunken while the left button is held), made of twelve lines of the form's
// `Linea` array per label; the press looks of the print dialog's push areas; the help launch.

#include <QPointer>
#include <QtGlobal>
#include <optional>

class QWidget;

namespace hn {
class ControlloForma;
class Forma;
} // namespace hn

namespace hn::Mod_Graph {

// States a hotspot shows.
namespace Stato {
inline constexpr int Riposo = 1;
inline constexpr int Premuto = 2;
inline constexpr int Sopra = 4;
inline constexpr int Nessuno = -99;
} // namespace Stato

// The control that shows a hover or pressed look now, and that look. Shared by all screens;
// a control that is destroyed reads as none.
extern QPointer<ControlloForma> HotCorrente;
extern qint16 StatoCorrente;

// Gives every visible, enabled label of the form a group of twelve hidden lines (its Tag is the
// group number) and returns the number of groups. The container is the control that holds the
// hotspots; its picture is kept in Fseek's Pic_SalvaSfondo.
qint16 PreparaCornici(Forma& forma, QWidget& contenitore);
// Unloads the lines of `conteggio` groups and forgets the current hotspot.
void RimuoviCornici(Forma& forma, qint16& conteggio);

// Mouse entries of the hotspots and of the background they lie on (control null).
void MouseSopra(ControlloForma* controllo, QWidget& contenitore, int pulsanti);
void MousePremuto(ControlloForma* controllo, QWidget& contenitore, int pulsante);
void MouseRilasciato(ControlloForma* controllo, QWidget& contenitore, int pulsante);

// Moves the look to `controllo` in state `stato`, taking it off the previous hotspot of the
// same form. Nothing happens when neither the control nor the state changed.
void CambiaStato(ControlloForma* controllo, QWidget& contenitore, int stato);
// Draws the look of a state on the control's group; an unknown state is reported (message 463)
// and drawn sunken.
void MostraStato(ControlloForma& controllo, QWidget& contenitore, int stato);
// Places the lines of group `gruppo` as `anelli` rings inside the rectangle, in the container's
// scale; the other lines of the group are hidden.
void DisegnaCornice(QWidget& contenitore, qint32 sinistra, qint32 alto, qint32 destra, qint32 basso,
                    bool incassata, int anelli, int gruppo);

// Press looks of push areas: a thin border on a label or image while pressed, none after.
void BordoPremuto(ControlloForma& controllo);
void BordoNormale(ControlloForma& controllo);

// Opens the program's help file "halvo.hlp" at its contents.
void ApriGuida(std::optional<int> nonUsato = std::nullopt);

} // namespace hn::Mod_Graph
