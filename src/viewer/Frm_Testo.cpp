#include "Frm_Testo.h"

#include "EtichetteDisegnate.h"
#include "Forma.h"
#include "Host.h"
#include "Navigazione.h"
#include "Scena.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>
#include <limits>

namespace hn {

namespace {

// The caption panel's place, in twips: it overlaps the window's left edge so its own frame
// lines up with the bar.
constexpr int PannelloLeft = -30, PannelloWidth = 3165;

// A screen reader announces the window as a dialog with the structure's name; a plain widget
// would be a nameless filler.
QAccessibleInterface* accessibileDi(const QString&, QObject* o) {
    if (auto* f = qobject_cast<Frm_Testo*>(o))
        return new QAccessibleWidget(f, QAccessible::Dialog);
    // The bar reads as the line it shows, the body system's.
    if (auto* b = qobject_cast<QXCapVir*>(o); b && qobject_cast<Frm_Testo*>(b->parentWidget()))
        return new QAccessibleWidget(b, QAccessible::StaticText);
    return nullptr;
}

} // namespace

Frm_Testo::Frm_Testo()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
    , QXCapVir1(this)
    , Ftdv_Didascalia(this) {
    static const bool accessibile = (QAccessible::installFactory(accessibileDi), true);
    Q_UNUSED(accessibile);
    setAttribute(Qt::WA_QuitOnClose, false);
    Ftdv_Didascalia.setTestoLimitato(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(p);

    QFont carattere(QStringLiteral("Verdana"));
    carattere.setPointSizeF(9.75);
    carattere.setBold(true);
    QXCapVir1.setFont(carattere);
    QXCapVir1.setCaptionleft(45);
    QXCapVir1.setCaptiontop(45);
    QXCapVir1.setBackcolor(QColor(0x00, 0x00, 0xFF));
    QXCapVir1.setForecolor(QApplication::palette().color(QPalette::HighlightedText));
    QXCapVir1.setCaption(QStringLiteral("Frm_Testo"));
    QXCapVir1.MoveTw(0, 0, LarghezzaFinestra, 345);

    QFont testo(QStringLiteral("Arial"));
    testo.setPointSizeF(10);
    Ftdv_Didascalia.setFont(testo);
    // Read, not edited; the text takes the keyboard when the window comes up, so a screen reader
    // reads it and the arrows move through a long caption.
    Ftdv_Didascalia.setLocked(true);
    Ftdv_Didascalia.setFocusPolicy(Qt::StrongFocus);
    Ftdv_Didascalia.setAccessibleName(QStringLiteral("Opis struktury"));
    Ftdv_Didascalia.setGeometry(pixelX(PannelloLeft), pixelY(330), pixelX(PannelloWidth),
                                pixelY(2295));
    MoveTw(0, 0, LarghezzaFinestra, 2640);
    sulPalco(*this);
}

void Frm_Testo::MoveTw(double left, double top, double width, double height) {
    left_ = left, top_ = top, width_ = width, height_ = height;
    applicaGeometria();
}

void Frm_Testo::applicaGeometria() {
    setGeometry(QRect(QPoint(pixelX(left_), pixelY(top_)), QSize(pixelX(width_), pixelY(height_))));
}

void Frm_Testo::ImpostaVisible(bool visibile) {
    if (visibile == Visible())
        return;
    if (visibile) {
        if (QApplication::activeWindow() != this)
            precedente_ = QApplication::activeWindow();
        show();
        raise();
        activateWindow();
        Ftdv_Didascalia.moveCursor(QTextCursor::Start);
        Ftdv_Didascalia.setFocus(Qt::ActiveWindowFocusReason);
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
        hide();
    }
}

void Frm_Testo::MostraAccanto(const QString& titolo, double left, double top) {
    ImpostaVisible(false);
    Ftdv_Didascalia.update();

    // The line of a position past the end of the text, where the RTF's length always lies: the
    // last line. Writing the RTF out only to take its length cost seconds on a long caption.
    const int righe = 1 + Ftdv_Didascalia.GetLineFromChar(std::numeric_limits<int>::max());
    // Rounded as the runtime converts to a long: to the nearest, halves to even.
    const double misura = (Ftdv_Didascalia.FontSize() * 2.2 * righe + 40) * twipsPerPixelY();
    const int h = int(std::clamp(std::nearbyint(misura), 0.0, 2.0e9));

    const int cima = QXCapVir1.HeightTw() + 20;
    Ftdv_Didascalia.setGeometry(pixelX(PannelloLeft), pixelY(cima), pixelX(PannelloWidth),
                                pixelY(h));
    height_ = double(h) + cima + 20;
    QXCapVir1.setCaption(titolo);
    QXCapVir1.setAccessibleName(titolo);

    // Only the right and bottom edges pull the window back: a caption taller than the screen
    // keeps its top above the screen rather than hide its first lines.
    const double larghezzaSchermo = host().screen->widthPixels() * twipsPerPixelX();
    const double altezzaSchermo = host().screen->heightPixels() * twipsPerPixelY();
    if (left + width_ > larghezzaSchermo)
        left = larghezzaSchermo - width_;
    if (top + height_ > altezzaSchermo)
        top = altezzaSchermo - height_;
    MoveTw(left, top, width_, height_);
    ImpostaVisible(true);
}

bool Frm_Testo::event(QEvent* e) {
    if (e->type() == QEvent::WindowDeactivate)
        ImpostaVisible(false);
    return QWidget::event(e);
}

void Frm_Testo::ImpostaStruttura(QObject* voce, const QString& nome) {
    struttura_ = voce;
    setAccessibleName(nome);
}

void Frm_Testo::keyPressEvent(QKeyEvent* e) {
    if (e->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(e);
        return;
    }
    torna();
}

bool Frm_Testo::focusNextPrevChild(bool) {
    if (Visible())
        torna();
    return true;
}

void Frm_Testo::torna() {
    ImpostaVisible(false);
    if (precedente_ && precedente_->isVisible())
        precedente_->activateWindow();
    // The structure's own form, whatever window holds it.
    QWidget* w = nullptr;
    if (auto* e = qobject_cast<EtichettaDisegnata*>(struttura_.data()))
        w = e->Container();
    else
        w = qobject_cast<QWidget*>(struttura_.data());
    while (w && !qobject_cast<Forma*>(w))
        w = w->parentWidget();
    if (auto* forma = qobject_cast<Forma*>(w); forma && forma->isVisible())
        Navigazione::di(*forma).imposta(struttura_);
}

bool Frm_Testo::eventFilter(QObject* oggetto, QEvent* e) {
    // Without a window manager a click elsewhere may not take the activation away: a press
    // anywhere outside this window closes it all the same. Outside is not window() != this: on
    // the stage this window is a sub-window, and window() is the stage for all it holds.
    auto* w = oggetto->isWidgetType() ? static_cast<QWidget*>(oggetto) : nullptr;
    if (e->type() == QEvent::MouseButtonPress && w && w != this && !isAncestorOf(w))
        ImpostaVisible(false);
    return QWidget::eventFilter(oggetto, e);
}

} // namespace hn
