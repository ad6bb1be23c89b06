#pragma once

// The stage: the screens are pictures drawn for 640 × 480, 800 × 600 and 1024 × 768 displays.
// On any other monitor the program is shown a 1024 × 768 screen, and the whole GUI is scaled
// so that screen fills the monitor (or the program's window), aspect kept, centred on black.
// The scaling is Qt's own device-pixel scaling, so every form, control, child window and mouse
// position stays a real widget in the program's own pixels; the stage changes the factor when
// the window it is shown in changes size.

#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <QWindow>

class QScreen;
class QTimer;

namespace hn {

enum class ModoScala {
    Adatta, // as large as the monitor allows (default)
    Intero, // whole multiples only, so pixels stay square and sharp
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

    // A program pixel position as a device pixel position in the area, and back.
    QPointF versoMonitor(QPointF suSchermo) const;
    QPointF versoSchermo(QPointF suMonitor) const;
};

// The program's screen for a monitor of this many device pixels, and its place on it.
GeometriaPalco calcolaPalco(QSize monitor, ModoScala modo);
// A screen already chosen, fitted into an area of this many device pixels: a monitor the
// program is already running on, or its window. Never below one device pixel per program
// pixel (Qt paints no finer); native keeps exactly one.
GeometriaPalco adattaPalco(QSize area, QSize schermo, ModoScala modo);

// Before QApplication exists: the desktop's own scaling is switched off, so the only factor is
// the one the stage chooses.
void preparaPalco();

// Before QApplication exists: the platform the stage can work on. The stage places windows at
// global positions, which only X11 gives, so in a Wayland session with XWayland at hand the X11
// platform is chosen; a QT_QPA_PLATFORM the user set is left alone. False when there is no
// display at all. A display named but not reachable ends the program with the same one line,
// exit code 1, instead of Qt's abort.
bool scegliPiattaforma();
// The line said when no display was found.
QString messaggioSenzaDisplay();

// An empty window title reaches the desktop empty: Qt would show the program's name instead.
// Nothing to do for a window with a title, or one not yet made.
void titoloVuotoSulDesktop(QWidget& finestra);
// Sends what is queued for the display now, not at the next turn of the event loop: a pointer
// set before a long step must show during it.
void consegnaAlDisplay();

// The black backdrop that covers the chosen monitor behind the forms, and the place the forms'
// top-level windows are offset to. It starts on the monitor under the mouse, full screen.
// Alt+Enter switches between full screen and a resizable window; the choice lasts for the run
// only.
class Palco : public QWidget {
    Q_OBJECT
public:
    // Measures the monitor and scales the GUI for it: make it before any form's window.
    explicit Palco(ModoScala modo);
    ~Palco() override;

    const GeometriaPalco& geometria() const { return geometria_; }
    // The program screen's top-left corner on the desktop, in logical pixels.
    QPoint origineDesktop() const;
    bool schermoIntero() const { return schermoIntero_; }
    void impostaSchermoIntero(bool si);
    void alterna() { impostaSchermoIntero(!schermoIntero_); }
    QScreen* monitor() const { return monitor_; }

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;
    // Nothing to paint with: the display paints the backdrop.
    QPaintEngine* paintEngine() const override { return nullptr; }

private:
    void monitorCambiato();
    // Raises the program's windows above the backdrop and gives the keyboard back to them.
    void portaSuLeFinestre();
    // The monitor the stage covers when full screen; null leaves it as it is.
    void impostaMonitor(QScreen* monitor);
    // The window manager's frame around the backdrop: on in a window, off at full screen.
    void impostaCornice(bool si);
    // The window's size changed: the screen is fitted into it again.
    void adattaAllaFinestra();
    // Sets the GUI's factor and puts the backdrop (in a window: at this rectangle in device
    // pixels) and the forms' windows back where they were on the program's screen.
    void applica(const GeometriaPalco& nuova, QRect rettangoloNativo);
    // Keeps the forms' windows where the program put them when the stage moves.
    void seguiOrigine();
    bool eFinestraDelProgramma(const QWidget* w) const;
    // Which window a program window being shown is transient for.
    void impostaTransitoria(QWidget& w);
    QSize monitorNativo() const;
    QSize finestraNativa() const;

    ModoScala modo_;
    GeometriaPalco geometria_;
    QScreen* monitor_ = nullptr;
    bool schermoIntero_ = true;
    double fattoreGui_ = 1; // the factor the GUI is drawn at now
    bool applicando_ = false;
    QPoint ultimaOrigine_;
    QTimer* adattamento_ = nullptr;
    QPointer<QWindow> ultimaConTastiera_; // the program window that last had the keyboard
};

} // namespace hn
