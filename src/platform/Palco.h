#pragma once

// The stage: the screens are pictures drawn for 640 × 480, 800 × 600 and 1024 × 768 displays.
// On any other monitor the program is shown a 1024 × 768 screen, and the whole GUI is scaled
// so that screen fills the monitor, aspect kept, centred on black. The scaling is Qt's own
// device-pixel scaling chosen before the GUI starts, so every form, control, child window and
// mouse position stays a real widget in the program's own pixels.

#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

class QScreen;

namespace hn {

enum class ModoScala {
    Adatta, // as large as the monitor allows (default)
    Intero, // whole multiples only, so pixels stay square and sharp
    Nativo, // the monitor's own size, unscaled: the screens see the real display
};

// HNEMAR_SCALE's value: "fit", "integer", "native"; anything else means fit.
ModoScala modoScalaDa(const QString& valore);

// How the program's screen lies on one monitor.
struct GeometriaPalco {
    QSize schermo;       // the screen the program sees, in its pixels
    double fattore = 1;  // monitor pixels per program pixel
    QPoint origine;      // the screen's top-left corner, in program pixels from the monitor's
    bool nitido = true;  // whole factor: pictures are scaled without smoothing
    QSize monitorLogico; // the monitor in program pixels (rounded down)

    // A program pixel position as a monitor pixel position, and back.
    QPointF versoMonitor(QPointF suSchermo) const;
    QPointF versoSchermo(QPointF suMonitor) const;
};

// The stage for a monitor of this many device pixels.
GeometriaPalco calcolaPalco(QSize monitor, ModoScala modo);

// Before QApplication exists: measures the monitor under the mouse (with a short-lived GUI
// connection), chooses the stage for HNEMAR_SCALE and sets the scale factor the GUI starts
// with. Returns the stage; the chosen monitor's name is kept for avviaPalco.
GeometriaPalco preparaPalco(int& argc, char** argv);

// The black backdrop that covers the chosen monitor behind the forms, and the place the forms'
// top-level windows are offset to. Alt+Enter switches between full screen and a window of the
// stage's size; the choice lasts for the run only.
class Palco : public QWidget {
    Q_OBJECT
public:
    explicit Palco(const GeometriaPalco& geometria, const QString& nomeMonitor = {});
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

private:
    void monitorCambiato();
    // Keeps the forms' windows where the program put them when the stage moves.
    void seguiOrigine();
    bool eFinestraDelProgramma(const QWidget* w) const;

    GeometriaPalco geometria_;
    QScreen* monitor_ = nullptr;
    bool schermoIntero_ = true;
    QPoint ultimaOrigine_;
};

} // namespace hn
