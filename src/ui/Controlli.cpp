#include "Controlli.h"

#include "Host.h"

#include <QPaintEvent>
#include <QPainter>

namespace hn {

QColor QBColor(int indice) {
    static const QRgb tavolozza[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                       0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                       0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    if (indice < 0 || indice > 15)
        throw ErroreVB(Errore::ChiamataNonValida);
    return QColor::fromRgb(tavolozza[indice]);
}

namespace {
void disegnaBordoSingolo(QWidget* w) {
    QPainter p(w);
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(w->rect().adjusted(0, 0, -1, -1));
}
} // namespace

// ---- Etichetta ----

Etichetta::Etichetta(QWidget* contenitore, const QString& nome, int indice)
    : ControlloForma(contenitore, nome, indice) {
    setAttribute(Qt::WA_NoSystemBackground);
}

void Etichetta::setBorderStyle(int stile) {
    bordo_ = stile;
    update();
}

void Etichetta::setBackStyle(int stile) {
    sfondo_ = stile;
    update();
}

void Etichetta::setCaption(const QString& testo) {
    caption_ = testo;
    update();
}

void Etichetta::copiaProprietaDa(const ControlloForma& m) {
    ControlloForma::copiaProprietaDa(m);
    if (const auto* e = qobject_cast<const Etichetta*>(&m)) {
        bordo_ = e->bordo_;
        sfondo_ = e->sfondo_;
        caption_ = e->caption_;
        BackColor = e->BackColor;
        ForeColor = e->ForeColor;
        Alignment = e->Alignment;
    }
}

void Etichetta::paintEvent(QPaintEvent*) {
    if (sfondo_ == 1 || !caption_.isEmpty()) {
        QPainter p(this);
        if (sfondo_ == 1)
            p.fillRect(rect(), BackColor);
        if (!caption_.isEmpty()) {
            p.setPen(ForeColor);
            const Qt::Alignment a = Alignment == 1   ? Qt::AlignRight
                                    : Alignment == 2 ? Qt::AlignHCenter
                                                     : Qt::AlignLeft;
            p.drawText(rect(), static_cast<int>(a | Qt::AlignTop | Qt::TextWordWrap), caption_);
        }
    }
    if (bordo_ == 1)
        disegnaBordoSingolo(this);
}

// ---- Immagine ----

Immagine::Immagine(QWidget* contenitore, const QString& nome, int indice)
    : ControlloForma(contenitore, nome, indice) {
    setAttribute(Qt::WA_NoSystemBackground);
}

void Immagine::pictureCambiata() {
    adatta();
    update();
}

void Immagine::setStretch(bool s) {
    stretch_ = s;
    adatta();
    update();
}

void Immagine::setBorderStyle(int stile) {
    bordo_ = stile;
    update();
}

void Immagine::adatta() {
    if (!stretch_ && !picture().isNull())
        MoveTw(LeftTw(), TopTw(), picture().width() * twipsPerPixelX(),
               picture().height() * twipsPerPixelY());
}

void Immagine::copiaProprietaDa(const ControlloForma& m) {
    ControlloForma::copiaProprietaDa(m);
    if (const auto* i = qobject_cast<const Immagine*>(&m)) {
        stretch_ = i->stretch_;
        bordo_ = i->bordo_;
        ImpostaPicture(i->Picture());
        ImpostaRendizioni(i->rendizioni());
    }
}

void Immagine::paintEvent(QPaintEvent* e) {
    if (!picture().isNull()) {
        QPainter p(this);
        preparaPittore(p);
        const QRectF dove = stretch_ ? QRectF(rect()) : QRectF(QPointF(), picture().size());
        disegnaPicture(p, dove, e->region());
    }
    if (bordo_ == 1)
        disegnaBordoSingolo(this);
}

void Immagine::hideEvent(QHideEvent* e) {
    nascostaLaPicture();
    ControlloForma::hideEvent(e);
}

void Immagine::rendizioniCambiate() {
    update();
}

// ---- Figura ----

Figura::Figura(QWidget* contenitore, const QString& nome, int indice)
    : ControlloForma(contenitore, nome, indice) {
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Figura::setBorderColor(const QColor& c) {
    bordo_ = c;
    update();
}
void Figura::setBorderWidth(int pixel) {
    spessore_ = std::max(1, pixel);
    update();
}
void Figura::setBorderStyle(int stile) {
    stileBordo_ = stile;
    update();
}
void Figura::setFillColor(const QColor& c) {
    riempimento_ = c;
    update();
}
void Figura::setFillStyle(int stile) {
    stileRiempimento_ = stile;
    update();
}

void Figura::copiaProprietaDa(const ControlloForma& m) {
    ControlloForma::copiaProprietaDa(m);
    if (const auto* f = qobject_cast<const Figura*>(&m)) {
        bordo_ = f->bordo_;
        spessore_ = f->spessore_;
        stileBordo_ = f->stileBordo_;
        riempimento_ = f->riempimento_;
        stileRiempimento_ = f->stileRiempimento_;
    }
}

void Figura::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (stileRiempimento_ == 0)
        p.fillRect(rect(), riempimento_);
    if (stileBordo_ != 0) {
        // The frame lies inside the shape's rectangle, however thick.
        const int s = spessore_;
        p.setPen(Qt::NoPen);
        p.setBrush(bordo_);
        const QRect r = rect();
        p.drawRect(QRect(r.left(), r.top(), r.width(), s));
        p.drawRect(QRect(r.left(), r.bottom() - s + 1, r.width(), s));
        p.drawRect(QRect(r.left(), r.top(), s, r.height()));
        p.drawRect(QRect(r.right() - s + 1, r.top(), s, r.height()));
    }
}

// ---- Riquadro ----

Riquadro::Riquadro(QWidget* contenitore, const QString& nome, int indice)
    : ControlloForma(contenitore, nome, indice) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Riquadro::pictureCambiata() {
    adatta();
    update();
}

void Riquadro::setAutoSize(bool a) {
    autoSize_ = a;
    adatta();
}

void Riquadro::setBorderStyle(int stile) {
    bordo_ = stile;
    update();
}

void Riquadro::adatta() {
    if (autoSize_ && !picture().isNull())
        MoveTw(LeftTw(), TopTw(), picture().width() * twipsPerPixelX(),
               picture().height() * twipsPerPixelY());
}

void Riquadro::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    // The back colour only where an opaque picture leaves it showing: filling under the picture
    // too costs a second pass over every pixel of a scaled screen. The picture's edge pixels are
    // filled anyway, since a fractional scale may leave them partly uncovered.
    QRegion fondo = e->region();
    const bool opaca = !picture().isNull() && !picture().hasAlphaChannel();
    if (opaca)
        fondo -= QRect(QPoint(1, 1), picture().size() - QSize(2, 2));
    for (const QRect& r : fondo)
        p.fillRect(r, BackColor);
    // The picture made once for the device pixels it covers: a hover frame's few strips are
    // then copies of it, with no seams and no smoothing at each paint.
    preparaPittore(p);
    disegnaPicture(p, QRectF(QPointF(), picture().size()), e->region());
    p.end();
    if (bordo_ == 1)
        disegnaBordoSingolo(this);
}

void Riquadro::hideEvent(QHideEvent* e) {
    nascostaLaPicture();
    ControlloForma::hideEvent(e);
}

void Riquadro::rendizioniCambiate() {
    update();
}

int scalaDi(const QWidget* contenitore) {
    if (const auto* r = qobject_cast<const Riquadro*>(contenitore))
        return r->ScaleMode;
    if (const auto* f = qobject_cast<const Forma*>(contenitore))
        return f->ScaleMode();
    return 1;
}

// ---- Linea ----

void Linea::setPunti(double x1, double y1, double x2, double y2) {
    if (x1 == x1_ && y1 == y1_ && x2 == x2_ && y2 == y2_)
        return;
    array_->aggiorna(*this);
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    array_->aggiorna(*this);
}
void Linea::setBorderColor(const QColor& c) {
    if (c == colore_)
        return;
    colore_ = c;
    array_->aggiorna(*this);
}
void Linea::setVisible(bool v) {
    if (visibile_ == v)
        return;
    visibile_ = true;
    array_->aggiorna(*this);
    visibile_ = v;
}

// ---- ArrayLinee ----

namespace {
// A sheet over the whole container, deaf to the mouse, on which the container's lines are drawn;
// it follows the container's size and stays above the controls made after it.
class StratoLinee : public QWidget {
public:
    StratoLinee(QWidget* contenitore, const ArrayLinee* linee)
        : QWidget(contenitore)
        , linee_(linee) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(contenitore->rect());
        contenitore->installEventFilter(this);
        show();
    }
    void scollega() { linee_ = nullptr; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!linee_)
            return;
        QPainter p(this);
        linee_->disegna(p);
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == parent() && e->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }

private:
    const ArrayLinee* linee_;
};
} // namespace

ArrayLinee::ArrayLinee(QWidget* contenitore, const QString& nome)
    : nome_(nome)
    , contenitore_(contenitore)
    , forma_(Forma::di(contenitore)) {
    if (contenitore)
        strato_ = new StratoLinee(contenitore, this);
    if (forma_)
        forma_->linee_.append(this);
    elementi_[0].reset(new Linea(this, 0));
}

ArrayLinee::~ArrayLinee() {
    if (forma_)
        forma_->linee_.removeOne(this);
    if (contenitore_ && strato_) {
        static_cast<StratoLinee*>(strato_)->scollega();
        delete strato_;
    }
}

Linea& ArrayLinee::operator()(int indice) {
    auto it = elementi_.find(indice);
    if (it == elementi_.end())
        throw ErroreVB(340);
    return *it->second;
}

bool ArrayLinee::esiste(int indice) const {
    return elementi_.count(indice) != 0;
}

void ArrayLinee::Load(int indice) {
    if (esiste(indice))
        throw ErroreVB(360);
    const Linea& modello = *elementi_.begin()->second;
    auto nuova = std::unique_ptr<Linea>(new Linea(this, indice));
    nuova->x1_ = modello.x1_;
    nuova->y1_ = modello.y1_;
    nuova->x2_ = modello.x2_;
    nuova->y2_ = modello.y2_;
    nuova->colore_ = modello.colore_;
    nuova->visibile_ = false;
    elementi_[indice] = std::move(nuova);
}

void ArrayLinee::Unload(int indice) {
    if (!esiste(indice))
        throw ErroreVB(340);
    if (indice == 0)
        throw ErroreVB(362);
    aggiorna(*elementi_[indice]);
    elementi_.erase(indice);
}

// Beside the line arrays, which enter the form's list themselves: the form needs no more of them
// than a pointer.
ArrayLinee* Forma::linee(const QString& nome) const {
    for (ArrayLinee* a : linee_)
        if (a->Name().compare(nome, Qt::CaseInsensitive) == 0)
            return a;
    return nullptr;
}

int ArrayLinee::UBound() const {
    return elementi_.rbegin()->first;
}

void ArrayLinee::disegna(QPainter& p) const {
    const bool twips = scalaDi(contenitore_) == 1;
    const double sx = twips ? twipsPerPixelX() : 1.0;
    const double sy = twips ? twipsPerPixelY() : 1.0;
    for (const auto& [indice, l] : elementi_) {
        if (!l->visibile_)
            continue;
        // A cosmetic pen: one device pixel wide at any scale, as the program's lines are.
        p.setPen(QPen(l->colore_, 0));
        p.drawLine(QPointF(std::round(l->x1_ / sx), std::round(l->y1_ / sy)),
                   QPointF(std::round(l->x2_ / sx), std::round(l->y2_ / sy)));
    }
}

void ArrayLinee::aggiorna(const Linea& l) {
    if (!l.visibile_ || !strato_ || !contenitore_)
        return;
    const bool twips = scalaDi(contenitore_) == 1;
    const double sx = twips ? twipsPerPixelX() : 1.0;
    const double sy = twips ? twipsPerPixelY() : 1.0;
    const QPoint a(int(std::round(l.x1_ / sx)), int(std::round(l.y1_ / sy)));
    const QPoint b(int(std::round(l.x2_ / sx)), int(std::round(l.y2_ / sy)));
    // A one-pixel line lies on its points' device pixels or on the ones just before them, at any
    // scale: one pixel before covers it. Any more only repaints more of the smoothed picture
    // beneath.
    strato_->raise();
    strato_->update(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                          QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())))
                        .adjusted(-1, -1, 0, 0));
}

void ArrayLinee::aggiorna() {
    if (strato_ && contenitore_) {
        strato_->raise();
        strato_->update();
    }
}

} // namespace hn
