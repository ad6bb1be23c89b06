#include "Zaslona.h"

#include "Accessibilita.h"
#include "FXImage.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace hn {

namespace {

constexpr QColor Segno{0xd9, 0x82, 0x2b}; // the self-test's orange, as its frame

} // namespace

Zaslona::Zaslona(FXImage& immagine)
    : QWidget(&immagine)
    , immagine_(immagine) {
    setObjectName(QStringLiteral("zaslona"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    accessibile::nascondi(this);
    hide();
}

QColor Zaslona::carta(const QImage& picture, const QRect& r) {
    const QRect dentro = r.intersected(picture.rect());
    if (dentro.isEmpty())
        return QColor(0xf6, 0xef, 0xdf);
    QHash<QRgb, int> conta;
    const auto conta1 = [&](int x, int y) { ++conta[picture.pixel(x, y) | 0xff000000u]; };
    for (int x = dentro.left(); x <= dentro.right(); ++x) {
        conta1(x, dentro.top());
        conta1(x, dentro.bottom());
    }
    for (int y = dentro.top(); y <= dentro.bottom(); ++y) {
        conta1(dentro.left(), y);
        conta1(dentro.right(), y);
    }
    QRgb migliore = 0xfff6efdf;
    int quanti = -1;
    for (auto it = conta.cbegin(); it != conta.cend(); ++it)
        if (it.value() > quanti || (it.value() == quanti && it.key() < migliore)) {
            migliore = it.key();
            quanti = it.value();
        }
    return QColor::fromRgb(migliore);
}

void Zaslona::imposta(QList<Toppa> toppe) {
    toppe_ = std::move(toppe);
    colori_.clear();
    const QImage picture = immagine_.Picture();
    for (const Toppa& t : std::as_const(toppe_))
        colori_.append(carta(picture, t.rettangolo));
    setGeometry(immagine_.rect());
    setVisible(!toppe_.isEmpty());
    raise();
    update();
}

void Zaslona::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QFont carattere = font();
    carattere.setBold(true);
    for (qsizetype i = 0; i < toppe_.size(); ++i) {
        const Toppa& t = toppe_[i];
        const QRectF r = QRectF(t.rettangolo).adjusted(0.5, 0.5, -0.5, -0.5);
        const QColor carta = colori_.value(i, Qt::white);
        // A shade darker than the paper: a blank to be filled in, like a worksheet's.
        const QColor bordo = t.segnata ? Segno : carta.darker(135);
        p.setPen(QPen(bordo, t.segnata ? 2.5 : 1.2, t.segnata ? Qt::SolidLine : Qt::DashLine));
        p.setBrush(t.segnata ? carta.lighter(104) : carta);
        p.drawRoundedRect(r, 4, 4);
        if (t.numero.isEmpty())
            continue;
        carattere.setPixelSize(std::clamp(int(r.height() * 0.62), 9, 16));
        p.setFont(carattere);
        p.setPen(t.segnata ? Segno.darker(130) : carta.darker(220));
        p.drawText(r, Qt::AlignCenter, t.numero);
    }
}

} // namespace hn
