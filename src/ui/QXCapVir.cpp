#include "QXCapVir.h"

#include <QMouseEvent>
#include <QPainter>

namespace hn {

QXCapVir::QXCapVir(QWidget* parent)
    : QWidget(parent)
    , BaseControllo(this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QXCapVir::setCaption(const QString& testo) {
    caption_ = testo;
    update();
}

void QXCapVir::setCaptionleft(int twips) {
    captionLeft_ = twips;
    update();
}

void QXCapVir::setCaptiontop(int twips) {
    captionTop_ = twips;
    update();
}

void QXCapVir::setBackcolor(const QColor& c) {
    sfondo_ = c;
    update();
}

void QXCapVir::setForecolor(const QColor& c) {
    testo_ = c;
    update();
}

void QXCapVir::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), sfondo_);
    p.setPen(testo_);
    p.setFont(font());
    const QRect area = rect().adjusted(pixelX(captionLeft_), pixelY(captionTop_), -2, 0);
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               p.fontMetrics().elidedText(caption_, Qt::ElideRight, area.width()));
}

namespace {
// The window the bar drags: on the stage a sub-window, whose window() is the stage itself.
QWidget* finestraDellaBarra(QWidget* w) {
    while (w->parentWidget() && !w->isWindow() && w->windowType() != Qt::SubWindow)
        w = w->parentWidget();
    return w;
}
} // namespace

void QXCapVir::mousePressEvent(QMouseEvent* e) {
    QWidget* f = finestraDellaBarra(this);
    if (e->button() == Qt::LeftButton)
        presa_ = e->globalPosition().toPoint() -
                 (f->isWindow() ? f->pos() : f->parentWidget()->mapToGlobal(f->pos()));
}

void QXCapVir::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton))
        return;
    QWidget* f = finestraDellaBarra(this);
    const QPoint angolo = e->globalPosition().toPoint() - presa_;
    f->move(f->isWindow() ? angolo : f->parentWidget()->mapFromGlobal(angolo));
}

} // namespace hn
