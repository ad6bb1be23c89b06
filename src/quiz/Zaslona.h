#pragma once

// Patches over a plate's labels while a question is asked: each label's text hidden under paper
// of the plate's own colour, numbered when the question counts them, the one asked marked.
// Drawn over the picture, never in the way of a click: the hotspots beneath still take it.

#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

namespace hn {

class FXImage;

class Zaslona : public QWidget {
    Q_OBJECT
public:
    struct Toppa {
        QRect rettangolo; // in the picture control's pixels
        QString numero;   // drawn in the middle; empty for none
        bool segnata = false;
    };
    explicit Zaslona(FXImage& immagine);

    // Shown over the picture while there are patches, hidden when there are none.
    void imposta(QList<Toppa> toppe);
    const QList<Toppa>& toppe() const { return toppe_; }

    // The colour a patch takes: the commonest along the label's edge in the picture, which is
    // the paper the label is printed on; the picture's own when the edge lies outside it.
    static QColor carta(const QImage& picture, const QRect& rettangolo);

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    FXImage& immagine_;
    QList<Toppa> toppe_;
    QList<QColor> colori_;
};

} // namespace hn
