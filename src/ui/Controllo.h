#pragma once

// What every control shares, whatever draws it: the Visible property, twips and the conversions
// to the screen's pixels, the mouse events the program handles, and for a control that is a
// widget of its own, its geometry in twips.

#include "Rendizioni.h"
#include "Ridimensiona.h"

#include <QImage>
#include <QObject>
#include <QPointF>

class QMouseEvent;
class QPainter;
class QWidget;

namespace hn {

// Twips per pixel of the host screen (15 when no screen is installed) and the conversions.
double twipsPerPixelX();
double twipsPerPixelY();
int pixelX(double twips);
int pixelY(double twips);

namespace accessibile {
// A working control the user never meets: out of the keyboard's ring and of what screen readers
// read.
void nascondi(QWidget* controllo);
bool nascosto(const QWidget* controllo);
} // namespace accessibile

// Mouse buttons and shift keys as the program's events pass them.
namespace Pulsante {
inline constexpr int Sinistro = 1;
inline constexpr int Destro = 2;
inline constexpr int Centrale = 4;
} // namespace Pulsante
int pulsantiDi(Qt::MouseButtons pulsanti);
int maiuscoleDi(Qt::KeyboardModifiers modificatori);

// What the program's routines ask of a control they are handed without knowing its kind: its
// Visible property. Windowed and windowless controls answer alike.
class Controllo {
public:
    virtual ~Controllo() = default;
    virtual bool Visible() const = 0;
    virtual void ImpostaVisible(bool visibile) = 0;
};

// A control with a Picture property: the picture it shows, as a picture object, with the larger
// drawings of it and, for a control that draws, what was made of them for the screen.
class ControlloConPicture : public Controllo {
public:
    QImage Picture() const { return picture_; }
    // Setting a picture lets go of the renditions the old one had and of what was made of it.
    void ImpostaPicture(const QImage& immagine);

    // The larger drawings of the picture shown, set after the picture by whoever loaded it.
    // Picture() stays the 1 × picture: sizes, hotspots and every figure in twips come from it.
    const Rendizioni& rendizioni() const { return rendizioni_; }
    void ImpostaRendizioni(Rendizioni r);

    // The screen's copy being made elsewhere for `dispositivo` device pixels: the first paint at
    // that size takes it instead of making its own. Set after the picture and its renditions.
    void ImpostaNitidaInArrivo(QSize dispositivo, Filtro filtro, std::function<Fatta()> arrivo) {
        nitida_.inArrivo(picture_, dispositivo, filtro, std::move(arrivo));
    }

    // How many times the picture was made for the screen: for tests that a paint reuses it.
    int fatteNitide() const { return nitida_.fatte(); }
    bool nitidaVuota() const { return nitida_.vuota(); }

protected:
    // The picture changed (after the renditions and the screen's copy were let go).
    virtual void pictureCambiata() {}
    // The renditions changed, what was made for the screen is already let go.
    virtual void rendizioniCambiate() {}
    // Out of sight a control need not hold a screen-sized copy: the next paint makes it again
    // (or reads it again, when it is kept in the user's cache folder).
    void nascostaLaPicture() { nitida_.riposa(); }
    // Paints the picture over `dove` (the painter's coordinates) from the device pixels made for
    // it, limited to `regione`.
    void disegnaPicture(QPainter& pittore, const QRectF& dove, const QRegion& regione);
    // The picture itself, for the control's own drawing and sizing.
    const QImage& picture() const { return picture_; }

private:
    QImage picture_;
    Rendizioni rendizioni_;
    CacheNitida nitida_; // the picture at the device pixels it covers
};

// The mouse events of a control. Windowed controls, image displays and labels drawn by their
// container all raise these, so a handler connects to any of them alike. A QObject of its own
// because a widget cannot have a second QObject base.
class EventiControllo : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // MouseDown, MouseMove, MouseUp for a Qt mouse event; `angolo` is the control's corner in
    // the event's pixels.
    void giu(const QMouseEvent& evento, QPointF angolo = {});
    void mosso(const QMouseEvent& evento, QPointF angolo = {});
    void su(const QMouseEvent& evento, QPointF angolo = {});
    // What a left click does, for the keyboard and assistive tools: down and up at the centre of
    // a control that size in twips, then Click; a handler that deletes the control ends it.
    void premi(double larghezza, double altezza);

Q_SIGNALS:
    void Click();
    void DblClick();
    // Button: 1 left, 2 right, 4 middle (a mask for MouseMove); Shift: 1 shift, 2 ctrl, 4 alt;
    // X, Y in twips from the control's corner.
    void MouseDown(int Button, int Shift, float X, float Y);
    void MouseMove(int Button, int Shift, float X, float Y);
    void MouseUp(int Button, int Shift, float X, float Y);
};

// The base of every control that is a widget: its place and size in twips, relative to its
// container, and its Visible and Enabled properties, all kept on that widget. A mixin over the
// widget rather than a QWidget subclass: the rich-text controls must be QTextEdits, and a class
// cannot inherit QWidget twice. Names in twips end in Tw: beside the widget's own x(), width() and
// move() in pixels, neither can be taken for the other.
class BaseControllo : public Controllo {
public:
    double LeftTw() const { return left_; }
    double TopTw() const { return top_; }
    double WidthTw() const { return width_; }
    double HeightTw() const { return height_; }
    void setLeftTw(double twips);
    void setTopTw(double twips);
    void MoveTw(double left, double top, double width, double height);

    // The control's own properties, whatever its container does.
    bool Visible() const override;
    void ImpostaVisible(bool visibile) override;
    bool Enabled() const;
    void ImpostaEnabled(bool attivo);

    // Puts the widget where the twips say, for the current twips per pixel.
    void applicaGeometria();

protected:
    // The widget is the object itself: a pointer, as `this` is, so that it cannot be taken
    // for a copy of the base.
    explicit BaseControllo(QWidget* widget)
        : widget_(*widget) {}
    BaseControllo(const BaseControllo&) = delete;
    BaseControllo& operator=(const BaseControllo&) = delete;

private:
    QWidget& widget_;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

} // namespace hn
