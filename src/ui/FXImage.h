#pragma once

#include "Controllo.h"
#include "Ridimensiona.h"

#include <QImage>
#include <QWidget>

class QPainter;

namespace hn {

// The image display control: shows one picture, loaded from a file or handed over. Geometry is
// in twips, as the forms set it; the hotspots laid on it are its children and sit relative to it.
// Not a form control: the form's control list, its keyboard ring and its pointers leave it out.
class FXImage : public QWidget, public BaseControllo, public ControlloConPicture {
    Q_OBJECT
public:
    explicit FXImage(QWidget* parent = nullptr);

    bool Visible() const override { return BaseControllo::Visible(); }
    void ImpostaVisible(bool visibile) override { BaseControllo::ImpostaVisible(visibile); }

    // 0: the picture sits at its own size in the top-left corner and the control keeps its size;
    // 1: the control takes the picture's size; 2: the picture is stretched over the control.
    int AutoSize() const { return autoSize_; }
    void setAutoSize(int modo);

    // Assigning a Windows path loads the picture at once (PNG, BMP, JPEG, GIF …) and lets go of
    // the file, which the caller may delete right after. On an error (53, 75, 481) the control
    // keeps the picture it had.
    const QString& FileName() const { return fileName_; }
    void setFileName(const QString& percorso);
    // The picture in these bytes, as a store holds it; FileName becomes empty. Error 481 when
    // they are no picture, and the old picture stays.
    void caricaDati(const QByteArray& dati);

    // The picture's size in pixels; 0 without a picture.
    int IWidth() const { return picture().width(); }
    int IHeight() const { return picture().height(); }

    // The rectangle the picture is printed into, in twips from the origin of the printer's
    // drawing surface (the corner of its printable area).
    void setPrinterWidth(double twips) { stampa_.setWidth(twips); }
    void setPrinterHeight(double twips) { stampa_.setHeight(twips); }
    void setPrinterLeft(double twips) { stampa_.moveLeft(twips); }
    void setPrinterTop(double twips) { stampa_.moveTop(twips); }
    // Handing over the printer's device draws the picture into that rectangle, scaled to it: its
    // largest rendition when it has any.
    // Error 482 when the device is not open for drawing.
    void setPrinterhDC(QPainter* dispositivo) const;

    // The pointer over the control (its offset() the hot spot), kept at the screen's scale.
    void setMouseIcon(const QImage& icona, const Rendizioni& rendizioni = {});

    // MouseDown, MouseMove and MouseUp; no Click.
    EventiControllo& eventi() { return eventi_; }

protected:
    bool event(QEvent* evento) override;
    void paintEvent(QPaintEvent* evento) override;
    void hideEvent(QHideEvent* evento) override;
    void pictureCambiata() override;
    void rendizioniCambiate() override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;

private:
    void adattaAllaFigura();

    EventiControllo eventi_;
    int autoSize_ = 0;
    QString fileName_;
    QImage icona_;
    Rendizioni rendizioniIcona_;
    double scalaCursore_ = 1; // the device pixel ratio the pointer was made for
    QRectF stampa_;
};

} // namespace hn
