#include "EtichetteDisegnate.h"

#include "ErroreVB.h"
#include "Forma.h"
#include "Host.h"
#include "Ridimensiona.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

namespace hn {

namespace {

// A sheet over the whole container, deaf to the mouse, on which the elements that show a frame,
// a fill or a caption are drawn.
class StratoEtichette : public QWidget {
public:
    StratoEtichette(QWidget* contenitore, const ArrayEtichette* array)
        : QWidget(contenitore)
        , array_(array) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(contenitore->rect());
        show();
    }
    void scollega() { array_ = nullptr; }

protected:
    void paintEvent(QPaintEvent* e) override {
        if (!array_)
            return;
        QPainter p(this);
        for (const auto& [indice, el] : array_->elementi()) {
            if (!el->Visible() ||
                (el->BorderStyle() != 1 && el->BackStyle() != 1 && el->Caption().isEmpty()))
                continue;
            const QRect r = el->rettangolo();
            if (!r.intersects(e->rect()))
                continue;
            if (el->BackStyle() == 1)
                p.fillRect(r, el->BackColor);
            if (!el->Caption().isEmpty()) {
                p.setPen(Qt::black);
                p.drawText(r, static_cast<int>(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap),
                           el->Caption());
            }
            if (el->BorderStyle() == 1) {
                p.setPen(QPen(Qt::black, 0));
                p.setBrush(Qt::NoBrush);
                p.drawRect(r.adjusted(0, 0, -1, -1));
            }
        }
    }

private:
    const ArrayEtichette* array_;
};

} // namespace

// ---- EtichettaDisegnata ----

EtichettaDisegnata::EtichettaDisegnata(ArrayEtichette* array, int indice)
    : array_(array)
    , indice_(indice) {
    setObjectName(QStringLiteral("%1(%2)").arg(array->Name()).arg(indice));
}

const QString& EtichettaDisegnata::Name() const {
    return array_->Name();
}

QWidget* EtichettaDisegnata::Container() const {
    return array_->Container();
}

QRect EtichettaDisegnata::rettangolo() const {
    return {pixelX(left_), pixelY(top_), pixelX(width_), pixelY(height_)};
}

void EtichettaDisegnata::ridisegna() const {
    if (array_->strato_ && visibile_ && disegnata())
        array_->strato_->update(rettangolo());
}

void EtichettaDisegnata::MoveTw(double left, double top, double width, double height) {
    ridisegna();
    left_ = left;
    top_ = top;
    width_ = std::max(0.0, width);
    height_ = std::max(0.0, height);
    ridisegna();
}

void EtichettaDisegnata::ImpostaVisible(bool visibile) {
    if (visibile == visibile_)
        return;
    ridisegna();
    visibile_ = visibile;
    array_->visibiliValidi_ = false;
    ridisegna();
}

void EtichettaDisegnata::ImpostaEnabled(bool attivo) {
    attivo_ = attivo;
}

void EtichettaDisegnata::setBorderStyle(int stile) {
    const bool prima = disegnata();
    ridisegna();
    bordo_ = stile;
    array_->disegnate_ += int(disegnata()) - int(prima);
    ridisegna();
}

void EtichettaDisegnata::setBackStyle(int stile) {
    const bool prima = disegnata();
    ridisegna();
    sfondo_ = stile;
    array_->disegnate_ += int(disegnata()) - int(prima);
    ridisegna();
}

void EtichettaDisegnata::setCaption(const QString& testo) {
    const bool prima = disegnata();
    ridisegna();
    caption_ = testo;
    array_->disegnate_ += int(disegnata()) - int(prima);
    ridisegna();
}

void EtichettaDisegnata::premi() {
    EventiControllo::premi(width_, height_);
}

// ---- ArrayEtichette ----

ArrayEtichette::ArrayEtichette(QWidget* contenitore, const QString& nome)
    : QObject(contenitore)
    , nome_(nome)
    , contenitore_(contenitore) {
    setObjectName(nome);
    if (contenitore) {
        strato_ = new StratoEtichette(contenitore, this);
        contenitore->installEventFilter(this);
    }
}

ArrayEtichette::~ArrayEtichette() {
    if (contenitore_ && strato_) {
        static_cast<StratoEtichette*>(strato_)->scollega();
        delete strato_;
    }
}

EtichettaDisegnata& ArrayEtichette::operator()(int indice) const {
    auto it = elementi_.find(indice);
    if (it == elementi_.end())
        throw ErroreVB(340);
    return *it->second;
}

EtichettaDisegnata& ArrayEtichette::crea(int indice) {
    if (esiste(indice))
        throw ErroreVB(360);
    auto nuova = std::unique_ptr<EtichettaDisegnata>(new EtichettaDisegnata(this, indice));
    EtichettaDisegnata& e = *nuova;
    elementi_[indice] = std::move(nuova);
    visibiliValidi_ = false;
    return e;
}

EtichettaDisegnata& ArrayEtichette::Load(int indice) {
    if (elementi_.empty())
        throw ErroreVB(340);
    const EtichettaDisegnata& m = *elementi_.begin()->second;
    EtichettaDisegnata& e = crea(indice);
    e.visibile_ = false;
    e.MoveTw(m.left_, m.top_, m.width_, m.height_);
    e.attivo_ = m.attivo_;
    e.setBorderStyle(m.bordo_);
    e.setBackStyle(m.sfondo_);
    e.setCaption(m.caption_);
    e.BackColor = m.BackColor;
    e.Tag = m.Tag;
    e.puntatore_ = m.puntatore_;
    e.icona_ = m.icona_;
    e.rendizioniIcona_ = m.rendizioniIcona_;
    return e;
}

void ArrayEtichette::Unload(int indice) {
    auto it = elementi_.find(indice);
    if (it == elementi_.end())
        throw ErroreVB(340);
    EtichettaDisegnata& e = *it->second;
    e.ridisegna();
    disegnate_ -= int(e.disegnata());
    elementi_.erase(it);
    visibiliValidi_ = false;
}

const QList<EtichettaDisegnata*>& ArrayEtichette::visibili() const {
    if (!visibiliValidi_) {
        visibili_.clear();
        raggiungibili_.clear();
        cimaDelGruppo_.clear();
        for (const auto& [indice, e] : elementi_)
            if (e->visibile_) {
                visibili_.append(e.get());
                if (!e->Gruppo.isEmpty())
                    cimaDelGruppo_.insert(e->Gruppo, e.get()); // later ones lie on top
            }
        for (EtichettaDisegnata* e : visibili_)
            if (e->Gruppo.isEmpty() || cimaDelGruppo_.value(e->Gruppo) == e)
                raggiungibili_.append(e);
        visibiliValidi_ = true;
    }
    return visibili_;
}

const QList<EtichettaDisegnata*>& ArrayEtichette::raggiungibili() const {
    visibili();
    return raggiungibili_;
}

EtichettaDisegnata& ArrayEtichette::rappresentante(EtichettaDisegnata& e) const {
    visibili();
    if (e.Gruppo.isEmpty())
        return e;
    EtichettaDisegnata* cima = cimaDelGruppo_.value(e.Gruppo);
    return cima ? *cima : e;
}

EtichettaDisegnata* ArrayEtichette::sotto(QPoint punto) const {
    const double tx = twipsPerPixelX(), ty = twipsPerPixelY();
    const double x = punto.x() * tx, y = punto.y() * ty;
    for (auto it = elementi_.rbegin(); it != elementi_.rend(); ++it) {
        const EtichettaDisegnata& e = *it->second;
        if (!e.visibile_ || !e.attivo_)
            continue;
        // Compared in twips, then confirmed on the pixel rectangle the user sees.
        if (x + tx < e.left_ || y + ty < e.top_ || x - tx > e.left_ + e.width_ ||
            y - ty > e.top_ + e.height_)
            continue;
        if (e.rettangolo().contains(punto))
            return it->second.get();
    }
    return nullptr;
}

void ArrayEtichette::aggiornaCursore(const EtichettaDisegnata* sopra) {
    if (!contenitore_)
        return;
    if (sopra && sopra->puntatore_ == Puntatore::Personalizzato && !sopra->icona_.isNull()) {
        // Made again when the stage's factor changed since (Alt+Enter, another monitor).
        const double scala = contenitore_->devicePixelRatioF();
        if (sopra->icona_.cacheKey() != chiaveCursore_ || !qFuzzyCompare(scala, scalaCursore_)) {
            chiaveCursore_ = sopra->icona_.cacheKey();
            scalaCursore_ = scala;
            cursore_ = cursoreNitido(sopra->icona_, sopra->rendizioniIcona_, scala);
        }
        if (!cursoreNostro_) {
            contenitore_->setProperty("hn_cursoreProprio",
                                      contenitore_->testAttribute(Qt::WA_SetCursor)
                                          ? QVariant(contenitore_->cursor())
                                          : QVariant());
            cursoreNostro_ = true;
        }
        contenitore_->setCursor(cursore_);
    } else if (cursoreNostro_) {
        cursoreNostro_ = false;
        const QVariant proprio = contenitore_->property("hn_cursoreProprio");
        if (proprio.isValid())
            contenitore_->setCursor(proprio.value<QCursor>());
        else
            contenitore_->unsetCursor();
    }
}

bool ArrayEtichette::eventFilter(QObject* oggetto, QEvent* evento) {
    if (oggetto != contenitore_)
        return false;
    switch (evento->type()) {
    case QEvent::Resize:
        if (strato_)
            strato_->setGeometry(contenitore_->rect());
        return false;
    case QEvent::ChildAdded:
        // The sheet stays above controls made after it.
        if (strato_)
            strato_->raise();
        return false;
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(evento);
        const QPoint p = m->position().toPoint();
        EtichettaDisegnata* e = catturata_ ? catturata_.data() : sotto(p);
        aggiornaCursore(e);
        if (!e)
            return false;
        e->mosso(*m, e->rettangolo().topLeft());
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* m = static_cast<QMouseEvent*>(evento);
        EtichettaDisegnata* e = catturata_ ? catturata_.data() : sotto(m->position().toPoint());
        if (!e)
            return false;
        catturata_ = e;
        if (m->button() == Qt::LeftButton)
            premuta_ = true;
        const QRect r = e->rettangolo();
        if (evento->type() == QEvent::MouseButtonDblClick && m->button() == Qt::LeftButton)
            Q_EMIT e->DblClick();
        e->giu(*m, r.topLeft());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* m = static_cast<QMouseEvent*>(evento);
        QPointer<EtichettaDisegnata> e = catturata_;
        if (!e)
            return false;
        const QRect r = e->rettangolo();
        const bool clic =
            m->button() == Qt::LeftButton && premuta_ && r.contains(m->position().toPoint());
        if (m->button() == Qt::LeftButton)
            premuta_ = false;
        if (m->buttons() == Qt::NoButton)
            catturata_ = nullptr;
        e->su(*m, r.topLeft());
        // A handler of MouseUp may have hidden or unloaded the element; the click still belongs
        // to the press that started it, when the element is still there.
        if (clic && e)
            Q_EMIT e->Click();
        return true;
    }
    case QEvent::Leave:
        aggiornaCursore(nullptr);
        return false;
    default:
        return false;
    }
}

} // namespace hn
