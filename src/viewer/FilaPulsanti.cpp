#include "FilaPulsanti.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace hn {

FilaPulsanti::FilaPulsanti(QWidget& sotto, QWidget& contenitore)
    : QObject(&sotto)
    , sotto_(sotto)
    , contenitore_(contenitore) {
    sotto_.installEventFilter(this);
}

void FilaPulsanti::aggiungi(QWidget* pulsante, int ordine) {
    if (!pulsante)
        return;
    pulsante->setParent(&contenitore_);
    const auto dopo = std::find_if(voci_.begin(), voci_.end(),
                                   [ordine](const Voce& v) { return v.ordine > ordine; });
    voci_.insert(dopo, Voce{ordine, pulsante});
    pulsante->installEventFilter(this);
    disponi();
}

void FilaPulsanti::disponi() {
    if (disponendo_)
        return;
    disponendo_ = true;
    voci_.removeIf([](const Voce& v) { return v.pulsante.isNull(); });
    QList<QWidget*> visibili;
    int larghezza = 0;
    for (const Voce& v : voci_)
        if (!v.pulsante->isHidden()) {
            visibili.append(v.pulsante);
            larghezza += v.pulsante->width();
        }
    if (!visibili.isEmpty()) {
        larghezza += Spazio * int(visibili.size() - 1);
        int x = std::max(4, (contenitore_.width() - larghezza) / 2);
        const int y = sotto_.geometry().bottom() + 40;
        for (QWidget* p : visibili) {
            p->move(x, y);
            p->raise();
            x += p->width() + Spazio;
        }
    }
    disponendo_ = false;
}

bool FilaPulsanti::eventFilter(QObject* oggetto, QEvent* evento) {
    switch (evento->type()) {
    case QEvent::Move:
        if (oggetto == &sotto_)
            disponi();
        break;
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        disponi();
        break;
    default:
        break;
    }
    return QObject::eventFilter(oggetto, evento);
}

} // namespace hn
