#pragma once

// The map of what the student knows, over the viewer's plate: Ctrl+M (or the "Mapa" button) tints
// every label by the state its structure has in the review diary — new, learning, known, due —
// each state also drawn in its own outline, pattern and marker, so the map reads without colour.
// A legend under the plate counts the plate's structures by state. "Karta pracy" (Ctrl+K) prints
// the plate as a worksheet: its labels under numbered blanks, then the answers.

#include "Conoscenza.h"
#include "KartaPracy.h"
#include "Ripasso.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QPointer>

class QPainter;
class QPushButton;
class QWidget;

namespace hn {

class FMed1;

namespace mappa {

using atlante::ripasso::Stato;

enum class Segno { Cerchio, Triangolo, Spunta, Rombo };

// How a state is drawn on a label and in the legend.
struct Aspetto {
    QColor colore;
    Qt::PenStyle tratto;  // the label's outline
    Qt::BrushStyle trama; // over the tint: a pattern, or none
    Segno segno;          // the marker beside the label
    QString nome;         // as the legend and screen readers say it
};
const Aspetto& aspettoDi(Stato stato);
// What a screen reader adds to a structure's name: "nowa", "w nauce", "znana", "do powtórki".
QString opisStanu(Stato stato);
// Every state, in the legend's order.
inline constexpr Stato Stati[] = {Stato::Nuova, Stato::InApprendimento, Stato::Conosciuta,
                                  Stato::DaRipassare};

// A label's mark: its tint and pattern inside, its outline, and the marker left of it (right of
// it when `limite`, the picture's edge, leaves no room on the left).
void dipingiEtichetta(QPainter& p, const QRectF& etichetta, Stato stato, const QRectF& limite);
// The marker alone, in a square of side `lato` around `centro`.
void dipingiSegno(QPainter& p, QPointF centro, double lato, Stato stato);

} // namespace mappa

class MappaSapere : public QObject {
    Q_OBJECT
public:
    // Gives the viewer its map and worksheet: buttons, keys, the sheet over the plate, the legend.
    static MappaSapere& aggancia(FMed1& visore);
    // The viewer's map; null when it has none.
    static MappaSapere* di(const FMed1& visore);

    bool accesa() const { return accesa_; }
    // On: the diary is read again and the plate's labels tinted; off: the plate as drawn.
    void imposta(bool accesa);

    // The state of the label at hotspot n (its structure's topmost record) while the map is on;
    // new for any other.
    mappa::Stato statoDi(int hotspot) const { return stati_.value(hotspot, mappa::Stato::Nuova); }
    // The labels tinted, by hotspot number.
    const QHash<int, mappa::Stato>& stati() const { return stati_; }
    // The plate's structures by state (each structure once).
    const atlante::Riepilogo& conteggio() const { return conteggio_; }

    // The worksheet of the plate on show: its labels in reading order with their names.
    KartaPracy karta() const;
    // Prints it; nothing when the plate has no labels.
    void stampaKarta();

    QPushButton* const pulsante;      // "Mapa"
    QPushButton* const pulsanteKarta; // "Karta pracy"
    QWidget* const legenda;

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    explicit MappaSapere(FMed1& visore);
    void aggiorna();
    void disponi();
    // The labels of the plate: each structure's topmost record.
    QList<int> etichette() const;

    FMed1& v_;
    QPointer<QWidget> foglio_;
    bool accesa_ = false;
    QHash<int, mappa::Stato> stati_;
    atlante::Riepilogo conteggio_;
};

} // namespace hn
