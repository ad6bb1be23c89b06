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

void QXCapVir::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        presa_ = e->globalPosition().toPoint() - window()->pos();
}

void QXCapVir::mouseMoveEvent(QMouseEvent* e) {
    if (e->buttons() & Qt::LeftButton)
        window()->move(e->globalPosition().toPoint() - presa_);
}

} // namespace hn
