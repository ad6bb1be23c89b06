#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace hn {

// The buttons the study features put under the plate (review, knowledge map, worksheet, search,
// self-test): one row, centred on the viewer, in a fixed order whatever order the features
// attach in, laid out again whenever the plate moves or a button changes size, shows or hides —
// so a button whose text grows ("do powtórki: 12") never covers its neighbour.
class FilaPulsanti : public QObject {
public:
    // The row lies 40 pixels under `sotto` (the plate), across `contenitore` (its parent).
    FilaPulsanti(QWidget& sotto, QWidget& contenitore);

    // Smaller `ordine` stands further left.
    void aggiungi(QWidget* pulsante, int ordine);
    void disponi();

    // The gap between two buttons.
    static constexpr int Spazio = 8;

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    struct Voce {
        int ordine;
        QPointer<QWidget> pulsante;
    };
    QWidget& sotto_;
    QWidget& contenitore_;
    QList<Voce> voci_;
    bool disponendo_ = false;
};

} // namespace hn
