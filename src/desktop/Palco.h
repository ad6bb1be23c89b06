#pragma once

// The stage: the screens are pictures drawn for 640 × 480, 800 × 600 and 1024 × 768 displays.
// On any other monitor the program is shown a 1024 × 768 screen, and the whole GUI is scaled
// so that screen fills the monitor (or the program's window), aspect kept, centred on black.
// The scaling up is Qt's own device-pixel scaling, so every form, control, child window and
// mouse position stays a real widget in the program's own pixels; the stage changes the factor
// when the window it is shown in changes size. Qt paints no finer than one device pixel per
// program pixel (its painter raises a smaller ratio to one), so an area smaller than the screen
// (a window on a 1366 × 768 desktop) is served by the stage itself: the GUI stays at one and
// the program's screen is shown through a scaled view, which maps clicks back to it.

#include "Scena.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <QWindow>
#include <array>

class QGraphicsProxyWidget;
class QGraphicsView;
class QScreen;
class QTimer;

namespace hn {

enum class ModoScala {
    Adatta, // as large as the monitor allows (default)
    Intero, // whole multiples only, so pixels stay square and sharp; below one as Adatta
    Nativo, // the monitor's own size, unscaled: the screens see the real display
};

// HNEMAR_SCALE's value: "fit", "integer", "native"; anything else means fit.
ModoScala modoScalaDa(const QString& valore);

// How the program's screen lies in an area of the desktop (a monitor, or the window).
struct GeometriaPalco {
    QSize schermo;       // the screen the program sees, in its pixels
    double fattore = 1;  // device pixels per program pixel
    QPoint origine;      // the screen's top-left corner, in program pixels from the area's
    bool nitido = true;  // whole factor: pictures are scaled without smoothing
    QSize monitorLogico; // the area in program pixels (rounded down)
    // The screen in device pixels of the area, centred to the device pixel: the bars on either
    // side differ by at most one, and only where the area's spare pixels are odd.
    QRect nativo;
    // Painted at `origine`, the screen would be a device pixel off the centre: at factors such
    // as 1.875 no whole program pixel lands on it. The stage then places the screen at `nativo`
    // itself; otherwise `nativo` is where Qt paints it.
    bool fuoriCentro = false;

    // A program pixel position as a device pixel position in the area, and back.
    QPointF versoMonitor(QPointF suSchermo) const;
    QPointF versoSchermo(QPointF suMonitor) const;
};

// The program's screen for a monitor of this many device pixels, and its place on it.
GeometriaPalco calcolaPalco(QSize monitor, ModoScala modo);
// A screen already chosen, fitted into an area of this many device pixels: a monitor the
// program is already running on, or its window. Below one where the area is smaller than the
// screen, whatever the mode but native, which keeps exactly one.
GeometriaPalco adattaPalco(QSize area, QSize schermo, ModoScala modo);
// The factor the stage starts at, full screen on the monitor under the mouse: known as soon as
// the application is, before the stage is made.
double scalaIniziale(ModoScala modo);

// Before QApplication exists: the desktop's own scaling is switched off, so the only factor is
// the one the stage chooses.
void preparaPalco();

// Before QApplication exists: the platform to run on. A Wayland session gets Qt's Wayland
// platform (X11 through XWayland when that is missing), an X11 session X11; a QT_QPA_PLATFORM
// the user set is left alone. False when there is no display at all. A display named but not
// reachable ends the program with the same one line, exit code 1, instead of Qt's abort.
bool scegliPiattaforma();
// The line said when no display was found.
QString messaggioSenzaDisplay();

// Sends what is queued for the display now, not at the next turn of the event loop: a pointer
// set before a long step must show during it.
void consegnaAlDisplay();

// The stage: the program's one top-level window. Full screen it covers the monitor under the
// mouse, black around the program's screen; Alt+Enter switches it to a resizable window and
// back, for the run only. The forms, the caption and the dialogs are windows inside it, placed
// on the program's screen as the program puts them, and the stage keeps for them what a window
// manager keeps for top-level windows: stacking, activation, the keyboard.
class Palco : public QWidget, public Scena {
    Q_OBJECT
public:
    // Measures the monitor and scales the GUI for it: make it before any form.
    explicit Palco(ModoScala modo);
    ~Palco() override;

    // The stage of this run; null where there is none (unit tests, tools).
    static Palco* attuale();

    const GeometriaPalco& geometria() const { return geometria_; }
    // The program's screen: the widget the program's windows live in.
    QWidget* schermo() const { return schermo_; }
    bool schermoIntero() const { return schermoIntero_; }
    // The screen is shown scaled down through the stage's own view (factor below one).
    bool ridotto() const { return delega_ != nullptr; }
    void impostaSchermoIntero(bool si);
    void alterna() { impostaSchermoIntero(!schermoIntero_); }
    QScreen* monitor() const { return monitor_; }
    // No window has been shown on the stage or over it yet.
    bool vuoto() const { return vuoto_; }

    // What the forms ask of the stage.
    void entra(QWidget& finestra) override { accogli(finestra); }
    void daiAttivazione(QWidget& finestra) override;
    bool haAttivazione(const QWidget& finestra) const override;
    QWidget* finestraDeiDialoghi() override { return this; }
    QPoint globale(const QWidget& w, QPoint p) const override;

    // Makes a program window one of the stage's: a frameless window on the program's screen,
    // at the same place on it. A window that already has a parent is left alone.
    void accogli(QWidget& finestra);
    // The stage's window that has the keyboard and the activation (null for none).
    QWidget* finestraAttiva() const { return attiva_; }
    // Moves the activation to a window of the stage, raising it, as a window manager would.
    void attiva(QWidget* finestra);

Q_SIGNALS:
    // The first window is shown: the stage has something on it from now on.
    void primaFinestra();

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void monitorCambiato();
    void sopraIPannelli();
    // The first window shown on the stage or over it: the stage paints from now on.
    void primaFinestraMostrata();
    // The stage lost the keyboard while the desktop still names it active: takes it back.
    void riprendiTastiera();
    // The monitor the stage covers when full screen; null leaves it as it is.
    void impostaMonitor(QScreen* monitor);
    // The window's size changed: the screen is fitted into it again.
    void adattaAllaFinestra();
    // Sets the GUI's factor, puts the stage (in a window: at this rectangle in device pixels)
    // and the program's screen in it.
    void applica(const GeometriaPalco& nuova, QRect rettangoloNativo);
    // Full screen: the window is the monitor to the device pixel, whatever the factor rounds.
    void copriIlMonitor();
    // Where Qt's placement in whole program pixels misses the centre, the program's screen
    // becomes a native sub-window put on its device pixels, with black native bands around
    // it (see the definition).
    void posaNativo();
    // Puts the program's screen where the geometry says: in the stage itself, or, below one
    // device pixel per program pixel, into the scaled view.
    void posaSchermo();
    // Whether the stage sets its full-screen geometry itself rather than leave it to a window
    // manager.
    bool impostaGeometria() const;
    // The stage's window a widget belongs to (a direct child of the screen), else null.
    QWidget* finestraDi(QObject* oggetto) const;
    // The topmost window shown and enabled, the one that takes the keyboard when the active one
    // goes; `tranne` is left out.
    QWidget* piuAlta(const QWidget* tranne = nullptr) const;
    QSize monitorNativo() const;
    QSize finestraNativa() const;

    ModoScala modo_;
    GeometriaPalco geometria_;
    QWidget* schermo_ = nullptr;
    std::array<QWidget*, 4> bande_{};        // left, right, top, bottom of a native screen
    QGraphicsView* vista_ = nullptr;         // shows the screen scaled down, made on first need
    QGraphicsProxyWidget* delega_ = nullptr; // the screen inside that view, while it is there
    QScreen* monitor_ = nullptr;
    bool schermoIntero_ = true;
    double fattoreGui_ = 1; // the factor the GUI is drawn at now
    bool applicando_ = false;
    QTimer* adattamento_ = nullptr;
    QPointer<QWidget> attiva_;
    bool inoltrando_ = false; // the stage itself is sending an activation change
    bool riattivare_ = false; // attiva_ is the window to give the activation back to
    bool avviato_ = false;    // shown full screen once
    bool vuoto_ = true;       // no window has been shown on it or over it yet
    // Wayland: the window asked for on leaving full screen, until the compositor has answered.
    QRect finestraVoluta_;
};

} // namespace hn
