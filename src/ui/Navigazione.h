#pragma once

// The keyboard over a form whose buttons are drawn: Tab and Shift+Tab walk the named controls,
// the drawn hotspots and the text panels in reading order, arrows move to the nearest one in
// their direction, Enter and Space do what a click does. The item reached shows a two-pixel ring,
// kept inside the form, until the mouse is pressed.
//
// A form may put items at the end of the ring (an exit that ends the program at once must not be
// the first thing Tab reaches), or narrow the ring to a few widgets while a task runs on them.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>

class QKeyEvent;
class QPainter;
class QWidget;

namespace hn {

// The keyboard's ring: two tones side by side, each `BandaAnello` pixels wide, black outside and
// white inside, drawn within `fuori`. Whatever shows where the keyboard is draws this one.
inline constexpr int BandaAnello = 2;
void disegnaAnello(QPainter& p, const QRect& fuori);

class Forma;

class Navigazione : public QObject {
    Q_OBJECT
public:
    // Hooks the ring onto every form: once, before the first form is shown.
    static void installa();

    // The form's navigation, made on first use.
    static Navigazione& di(Forma& forma);
    // Null when the form has none yet.
    static Navigazione* se(const QWidget* forma);

    // What the keyboard can reach now, in reading order: top to bottom, then left to right.
    QList<QObject*> voci() const;
    // An item's rectangle in the form's pixels; empty for something that is not an item.
    QRect rettangolo(const QObject* voce) const;

    QObject* corrente() const { return corrente_; }
    void imposta(QObject* voce);

    // Tab (avanti) or Shift+Tab; false when there is nothing to reach.
    bool tab(bool avanti);
    // To the nearest item in a direction (dx, dy of -1, 0, 1).
    bool freccia(int dx, int dy);
    // Arrows, Enter and Space; true when the key was used.
    bool tasto(QKeyEvent* evento);
    // The mouse took over: no ring until the keyboard moves again.
    void lascia();

    // These items come last in the ring, in this order, wherever they lie.
    void inFondo(QObject* voce);
    // While not empty, the ring holds only what lies in these widgets, in this order: the drawn
    // items and controls inside each that `ammessa` lets in (all, without it), or the widget
    // itself when it takes the keyboard (a field).
    void restringi(const QList<QWidget*>& ambito,
                   std::function<bool(const QObject*)> ammessa = nullptr);
    void allarga() { restringi({}); }

    // What a left click on the item does: down, up, then Click.
    static void premi(QObject* voce);

private:
    explicit Navigazione(Forma& forma);
    void posizionaAnello();
    // The keyboard went to a widget: the ring follows it, or goes when it is no item.
    void fuocoCambiato(QWidget* ora);

    Forma& forma_;
    QPointer<QObject> corrente_;
    QWidget* anello_;
    QList<QPointer<QObject>> inFondo_;
    QList<QPointer<QWidget>> ambito_;
    std::function<bool(const QObject*)> ammessa_;
};

} // namespace hn
