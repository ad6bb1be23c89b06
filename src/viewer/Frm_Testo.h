#pragma once

#include "FormaUnica.h"
#include "QXCapVir.h"
#include "RichTextBox.h"

#include <QPointer>
#include <QWidget>

namespace hn {

// The caption window: a hotspot's caption under a caption bar titled with the body system,
// placed at the hotspot. It hides itself as soon as it stops being the active window, and on any
// click outside it, so a click elsewhere always closes it. Lengths are in twips; its place is in
// screen twips. Assistive tools meet it as a dialog named after its structure, with the keyboard
// in its text; Esc or Tab closes it and gives the keyboard back to the structure.
class Frm_Testo : public QWidget, public FormaUnica<Frm_Testo> {
    Q_OBJECT
public:
    // Created on first use (istanza()) and never unloaded: only hidden.

    QXCapVir QXCapVir1;
    RichTextBox Ftdv_Didascalia;

    // The window's width: fixed.
    static constexpr int LarghezzaFinestra = 3120;

    double LeftTw() const { return left_; }
    double TopTw() const { return top_; }
    double WidthTw() const { return width_; }
    double HeightTw() const { return height_; }
    void MoveTw(double left, double top, double width, double height);

    bool Visible() const { return !isHidden(); }
    void ImpostaVisible(bool visibile);

    // Sizes the window to the caption loaded in Ftdv_Didascalia, titles it, puts its corner at
    // (left, top) pulled back only where it would pass the screen's right or bottom edge, and
    // shows it.
    void MostraAccanto(const QString& titolo, double left, double top);

    // The structure the caption belongs to: its name names the dialog, and the keyboard goes back
    // to it when the caption closes from the keys. Set before showing.
    void ImpostaStruttura(QObject* voce, const QString& nome);

protected:
    bool event(QEvent* evento) override;
    bool eventFilter(QObject* oggetto, QEvent* evento) override;
    // Esc closes the window and gives the keyboard back to the window it came over.
    void keyPressEvent(QKeyEvent* evento) override;
    // Tab and Shift+Tab leave the caption as Esc does: there is nothing else in it to reach.
    bool focusNextPrevChild(bool avanti) override;

private:
    friend class FormaUnica<Frm_Testo>;
    Frm_Testo();
    void applicaGeometria();
    // Closes the window and hands the keyboard back to the window and structure it came from.
    void torna();

    double left_ = 0, top_ = 0, width_ = LarghezzaFinestra, height_ = 2640;
    QPointer<QWidget> precedente_;
    QPointer<QObject> struttura_;
};

} // namespace hn
