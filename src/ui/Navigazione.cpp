#include "Navigazione.h"

#include "EtichetteDisegnate.h"
#include "Forma.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

namespace hn {

namespace {

constexpr int Banda = BandaAnello;
constexpr int Spessore = 2 * Banda;

class Anello : public QWidget {
public:
    explicit Anello(QWidget* forma)
        : QWidget(forma) {
        setObjectName(QStringLiteral("hn_anello"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        accessibile::nascondi(this);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        disegnaAnello(p, rect());
    }
};

bool raggiungibile(const QWidget* w, const Forma& forma) {
    return w->isVisibleTo(&forma) && w->isEnabledTo(&forma) && !accessibile::nascosto(w);
}

} // namespace

// Any background stands at least 4.5:1 against one of the two tones (black and white are 21:1
// apart), so the ring shows on the plates' paper, the stage's dark blue and the black backdrop
// alike. Filled bands, not pen strokes: a scaled stage draws a one-pixel pen as a hairline.
void disegnaAnello(QPainter& p, const QRect& fuori) {
    const QRect dentro = fuori.adjusted(Banda, Banda, -Banda, -Banda);
    const QRect vuoto = dentro.adjusted(Banda, Banda, -Banda, -Banda);
    QRegion nero(fuori);
    nero -= QRegion(dentro);
    QRegion bianco(dentro);
    bianco -= QRegion(vuoto);
    for (const QRect& r : nero)
        p.fillRect(r, Qt::black);
    for (const QRect& r : bianco)
        p.fillRect(r, Qt::white);
}

Navigazione::Navigazione(Forma& forma)
    : QObject(&forma)
    , forma_(forma)
    , anello_(new Anello(&forma)) {
    setObjectName(QStringLiteral("hn_navigazione"));
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* ora) { fuocoCambiato(ora); });
}

void Navigazione::installa() {
    Forma::registraTastiera({
        .tasto = [](Forma& f, QKeyEvent* e) { return di(f).tasto(e); },
        .tab = [](Forma& f, bool avanti) { return di(f).tab(avanti); },
        .lascia =
            [](Forma& f) {
                if (Navigazione* n = se(&f))
                    n->lascia();
            },
    });
}

Navigazione& Navigazione::di(Forma& forma) {
    if (Navigazione* n = se(&forma))
        return *n;
    return *new Navigazione(forma);
}

Navigazione* Navigazione::se(const QWidget* forma) {
    return forma ? forma->findChild<Navigazione*>(QStringLiteral("hn_navigazione"),
                                                  Qt::FindDirectChildrenOnly)
                 : nullptr;
}

namespace {

// Reading order: rows from the top, each row from the left. An item joins a row when it and
// every item already in it each start above the other's middle, so a tall item (a plate beside
// a column of buttons and a panel) does not pull the whole column into its row.
template <typename T> void ordinaPerLettura(QList<std::pair<QRect, T>>& voci) {
    std::stable_sort(voci.begin(), voci.end(), [](const auto& a, const auto& b) {
        return std::pair(a.first.top(), a.first.left()) < std::pair(b.first.top(), b.first.left());
    });
    const auto stessaRiga = [](const QRect& a, const QRect& b) {
        return a.top() < b.center().y() && b.top() < a.center().y();
    };
    QList<std::pair<QRect, T>> ordinate;
    ordinate.reserve(voci.size());
    while (!voci.isEmpty()) {
        QList<std::pair<QRect, T>> riga{voci.takeFirst()};
        for (qsizetype i = 0; i < voci.size();) {
            const bool entra = std::all_of(riga.cbegin(), riga.cend(), [&](const auto& m) {
                return stessaRiga(m.first, voci.at(i).first);
            });
            if (entra)
                riga.append(voci.takeAt(i));
            else
                ++i;
        }
        std::stable_sort(riga.begin(), riga.end(), [](const auto& a, const auto& b) {
            return a.first.left() < b.first.left();
        });
        ordinate.append(riga);
    }
    voci = std::move(ordinate);
}

} // namespace

QList<QObject*> Navigazione::voci() const {
    // Each item, or a picture's structures as one block: its place among the other items is the
    // picture's, so Tab walks a plate from its top to its bottom without leaving it halfway.
    // Each entry keeps the widget it lies in, for a ring narrowed to a few widgets.
    using Voci = std::pair<QWidget*, QList<QObject*>>;
    QList<std::pair<QRect, Voci>> trovate;
    // Picture boxes hold what the user reaches; they are not reached themselves.
    for (ControlloForma* c : forma_.Controls())
        if (!c->accessibleName().isEmpty() && c->TypeName() != QLatin1String("PictureBox") &&
            raggiungibile(c, forma_))
            trovate.append({rettangolo(c), {c, {c}}});
    for (ArrayEtichette* a : forma_.findChildren<ArrayEtichette*>()) {
        if (!a->Container() || !raggiungibile(a->Container(), forma_))
            continue;
        QList<std::pair<QRect, QObject*>> blocco;
        for (EtichettaDisegnata* e : a->raggiungibili())
            if (e->Enabled())
                blocco.append({rettangolo(e), e});
        if (blocco.isEmpty())
            continue;
        ordinaPerLettura(blocco);
        QList<QObject*> etichette;
        for (const auto& [r, e] : blocco)
            etichette.append(e);
        trovate.append({rettangolo(a->Container()), {a->Container(), etichette}});
    }
    for (QAbstractScrollArea* t : forma_.findChildren<QAbstractScrollArea*>())
        if ((t->focusPolicy() & Qt::TabFocus) && raggiungibile(t, forma_))
            trovate.append({rettangolo(t), {t, {t}}});
    ordinaPerLettura(trovate);
    QList<QObject*> voci;
    if (ambito_.isEmpty()) {
        for (const auto& [r, gruppo] : trovate)
            voci.append(gruppo.second);
    } else {
        for (QWidget* w : ambito_) {
            if (!w || !raggiungibile(w, forma_))
                continue;
            if (!qobject_cast<ControlloForma*>(w) && (w->focusPolicy() & Qt::TabFocus)) {
                voci.append(w);
                continue;
            }
            for (const auto& [r, gruppo] : trovate)
                if (gruppo.first == w || w->isAncestorOf(gruppo.first))
                    for (QObject* o : gruppo.second)
                        if (!ammessa_ || ammessa_(o))
                            voci.append(o);
        }
    }
    for (const QPointer<QObject>& o : inFondo_)
        if (o && voci.removeOne(o.data()))
            voci.append(o.data());
    return voci;
}

QRect Navigazione::rettangolo(const QObject* voce) const {
    if (const auto* e = qobject_cast<const EtichettaDisegnata*>(voce)) {
        if (!e->Container())
            return {};
        const QRect r = e->rettangolo();
        return {e->Container()->mapTo(&forma_, r.topLeft()), r.size()};
    }
    if (const auto* w = qobject_cast<const QWidget*>(voce))
        return {w->mapTo(&forma_, QPoint(0, 0)), w->size()};
    return {};
}

void Navigazione::imposta(QObject* voce) {
    // A piece of a structure hands the keyboard to the element that stands for it.
    if (auto* e = qobject_cast<EtichettaDisegnata*>(voce))
        voce = &e->Array().rappresentante(*e);
    if (corrente_)
        disconnect(corrente_, &QObject::destroyed, this, nullptr);
    corrente_ = voce;
    if (!voce) {
        anello_->hide();
        return;
    }
    connect(voce, &QObject::destroyed, this, [this] { anello_->hide(); });
    // A panel or a field takes the keyboard itself; a drawn item leaves it with the form.
    auto* campo = qobject_cast<QWidget*>(voce);
    if (campo && qobject_cast<ControlloForma*>(campo))
        campo = nullptr;
    if (campo)
        campo->setFocus(Qt::TabFocusReason);
    else if (forma_.focusWidget() != &forma_)
        forma_.setFocus(Qt::TabFocusReason);
    posizionaAnello();
    QAccessibleEvent evento(voce, QAccessible::Focus);
    QAccessible::updateAccessibility(&evento);
}

void Navigazione::posizionaAnello() {
    // Around the item, so it hides none of it; inside the form, whatever the item: a hotspot
    // may lie partly or wholly off the screen.
    QRect r = rettangolo(corrente_)
                  .adjusted(-Spessore, -Spessore, Spessore, Spessore)
                  .intersected(forma_.rect());
    const int minimo = 2 * Spessore + 12;
    if (r.width() < minimo || r.height() < minimo) {
        const QPoint c = rettangolo(corrente_).center();
        r = QRect(std::clamp(c.x() - minimo / 2, 0, std::max(0, forma_.width() - minimo)),
                  std::clamp(c.y() - minimo / 2, 0, std::max(0, forma_.height() - minimo)), minimo,
                  minimo);
    }
    anello_->setGeometry(r);
    anello_->raise();
    anello_->show();
}

bool Navigazione::tab(bool avanti) {
    const QList<QObject*> v = voci();
    if (v.isEmpty())
        return false;
    // A field or panel that took the keyboard by itself (a click, the program) is where Tab
    // goes on from; a drawn item leaves the keyboard with the form.
    QObject* da = corrente_.data();
    if (QWidget* f = QApplication::focusWidget(); f && f != &forma_ && v.contains(f))
        da = f;
    const qsizetype i = v.indexOf(da);
    qsizetype j;
    if (i < 0)
        j = avanti ? 0 : v.size() - 1;
    else
        j = (i + (avanti ? 1 : v.size() - 1)) % v.size();
    imposta(v.at(j));
    return true;
}

bool Navigazione::freccia(int dx, int dy) {
    const QList<QObject*> v = voci();
    if (v.isEmpty())
        return false;
    if (!v.contains(corrente_.data())) {
        imposta(v.first());
        return true;
    }
    const QPoint da = rettangolo(corrente_).center();
    // Within 45 degrees of the direction first, anywhere ahead when nothing lies there; the
    // distance along it, with the distance off its axis counted double.
    QObject* migliore = nullptr;
    double punteggio = 0;
    for (const bool cono : {true, false}) {
        for (QObject* o : v) {
            if (o == corrente_)
                continue;
            const QPoint d = rettangolo(o).center() - da;
            const double avanti = d.x() * dx + d.y() * dy;
            const double lato = std::abs(d.x() * dy) + std::abs(d.y() * dx);
            if (avanti <= 0 || (cono && lato > avanti))
                continue;
            const double p = avanti + 2 * lato;
            if (!migliore || p < punteggio) {
                migliore = o;
                punteggio = p;
            }
        }
        if (migliore)
            break;
    }
    if (migliore)
        imposta(migliore);
    return true;
}

bool Navigazione::tasto(QKeyEvent* e) {
    const Qt::KeyboardModifiers mod = e->modifiers() & ~Qt::KeypadModifier;
    if (mod != Qt::NoModifier)
        return false;
    switch (e->key()) {
    case Qt::Key_Left:
        return freccia(-1, 0);
    case Qt::Key_Right:
        return freccia(1, 0);
    case Qt::Key_Up:
        return freccia(0, -1);
    case Qt::Key_Down:
        return freccia(0, 1);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!forma_.InvioAlleVoci)
            return false;
        [[fallthrough]];
    case Qt::Key_Space:
        if (!corrente_ || !voci().contains(corrente_.data()))
            return false;
        premi(corrente_);
        return true;
    default:
        return false;
    }
}

void Navigazione::lascia() {
    anello_->hide();
}

void Navigazione::inFondo(QObject* voce) {
    inFondo_.append(voce);
}

void Navigazione::restringi(const QList<QWidget*>& ambito,
                            std::function<bool(const QObject*)> ammessa) {
    ammessa_ = ambito.isEmpty() ? nullptr : std::move(ammessa);
    ambito_.clear();
    for (QWidget* w : ambito)
        ambito_.append(w);
}

void Navigazione::fuocoCambiato(QWidget* ora) {
    if (!ora || ora == &forma_ || !forma_.isAncestorOf(ora) || ora == corrente_)
        return;
    if (!voci().contains(ora)) {
        lascia();
        return;
    }
    if (corrente_)
        disconnect(corrente_, &QObject::destroyed, this, nullptr);
    corrente_ = ora;
    connect(ora, &QObject::destroyed, this, [this] { anello_->hide(); });
    posizionaAnello();
}

void Navigazione::premi(QObject* voce) {
    if (auto* e = qobject_cast<EtichettaDisegnata*>(voce)) {
        e->premi();
        return;
    }
    auto* c = qobject_cast<ControlloForma*>(voce);
    if (!c)
        return;
    c->eventi().premi(c->WidthTw(), c->HeightTw());
}

} // namespace hn
