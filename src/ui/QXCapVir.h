#pragma once

#include "Controllo.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QWidget>

namespace hn {

// PRCapVir.QXCapVir: a caption bar drawn inside a borderless window. It shows one line of text
// on a coloured bar; dragging it moves its window, as a title bar would. Lengths are in twips.
class QXCapVir : public QWidget, public BaseControllo {
    Q_OBJECT
public:
    explicit QXCapVir(QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    void setCaption(const QString& testo);
    // Where the text starts inside the bar.
    void setCaptionleft(int twips);
    void setCaptiontop(int twips);
    QColor backcolor() const { return sfondo_; }
    void setBackcolor(const QColor& c);
    QColor forecolor() const { return testo_; }
    void setForecolor(const QColor& c);
    // The bar's font is the widget's: font() / setFont().

protected:
    void paintEvent(QPaintEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;

private:
    QString caption_;
    int captionLeft_ = 0, captionTop_ = 0;
    QColor sfondo_ = Qt::blue;
    QColor testo_ = Qt::white;
    QPoint presa_;
};

} // namespace hn
