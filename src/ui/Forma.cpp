#include "Forma.h"

#include "Host.h"
#include "Ridimensiona.h"
#include "Scena.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWindow>
#include <cmath>

namespace hn {

// ---- ControlloForma ----

Forma* Forma::di(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (auto* f = qobject_cast<Forma*>(w))
            return f;
    return nullptr;
}

ControlloForma::ControlloForma(QWidget* contenitore, const QString& nome, int indice)
    : QWidget(contenitore)
    , BaseControllo(this)
    , nome_(nome)
    , indice_(indice)
    , forma_(Forma::di(contenitore)) {
    setObjectName(indice < 0 ? nome : QStringLiteral("%1(%2)").arg(nome).arg(indice));
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    if (forma_)
        forma_->controlli_.append(this);
    applicaGeometria();
}

ControlloForma::~ControlloForma() {
    if (forma_)
        forma_->controlli_.removeOne(this);
}

void ControlloForma::setMousePointer(int valore) {
    puntatore_ = valore;
    aggiornaCursore();
}

void ControlloForma::setMouseIcon(const QImage& icona, const Rendizioni& rendizioni) {
    icona_ = icona;
    rendizioniIcona_ = rendizioni;
    aggiornaCursore();
}

bool ControlloForma::event(QEvent* e) {
    // The stage's factor changed (Alt+Enter, another monitor): the pointer is made again for it.
    if (e->type() == QEvent::ScreenChangeInternal && puntatore_ == Puntatore::Personalizzato &&
        !qFuzzyCompare(scalaCursore_, devicePixelRatioF()))
        aggiornaCursore();
    return QWidget::event(e);
}

void ControlloForma::aggiornaCursore() {
    scalaCursore_ = devicePixelRatioF();
    if (puntatore_ == Puntatore::Personalizzato && !icona_.isNull())
        setCursor(cursoreNitido(icona_, rendizioniIcona_, scalaCursore_));
    else if (puntatore_ == Puntatore::Clessidra)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void ControlloForma::copiaProprietaDa(const ControlloForma& m) {
    MoveTw(m.LeftTw(), m.TopTw(), m.WidthTw(), m.HeightTw());
    Tag = m.Tag;
    setEnabled(m.Enabled());
    icona_ = m.icona_;
    rendizioniIcona_ = m.rendizioniIcona_;
    setMousePointer(m.puntatore_);
}

void ControlloForma::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        premuto_ = true;
    eventi_.giu(*e);
}

void ControlloForma::mouseMoveEvent(QMouseEvent* e) {
    eventi_.mosso(*e);
}

void ControlloForma::mouseReleaseEvent(QMouseEvent* e) {
    const bool clic =
        e->button() == Qt::LeftButton && premuto_ && rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton)
        premuto_ = false;
    eventi_.su(*e);
    // A handler of MouseUp may have hidden or disabled the control; the click still belongs to
    // the press that started it.
    if (clic)
        Q_EMIT eventi_.Click();
}

void ControlloForma::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        Q_EMIT eventi_.DblClick();
    mousePressEvent(e);
}

// ---- Forma ----

namespace {
QList<Forma*>& forme() {
    static QList<Forma*> f;
    return f;
}
Forma*& formaAttiva() {
    static Forma* f = nullptr;
    return f;
}

Forma::Tastiera& tastiera() {
    static Forma::Tastiera t;
    return t;
}
} // namespace

void Forma::registraTastiera(Tastiera t) {
    tastiera() = std::move(t);
}

// A dialog-type window: on X it is the kind a window manager is told is transient for another
// window (the stage's backdrop, or the dialog's owner), and so keeps above it.
Forma::Forma(const QString& nome, QWidget* parent)
    : QWidget(parent, Qt::Dialog)
    , nome_(nome) {
    setObjectName(nome);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

Forma::~Forma() {
    forme().removeOne(this);
    if (formaAttiva() == this)
        formaAttiva() = nullptr;
    for (Forma* f : forme())
        if (f->proprietario_ == this)
            f->proprietario_ = nullptr;
    if (KeyPreview && qApp)
        qApp->removeEventFilter(this);
    // Controls still alive are children the QWidget destructor deletes after this object has
    // stopped being a form.
    for (ControlloForma* c : std::as_const(controlli_))
        c->forma_ = nullptr;
    controlli_.clear();
    linee_.clear();
}

const QList<Forma*>& Forma::Forms() {
    return forme();
}

Forma* Forma::trova(const QString& nome) {
    for (Forma* f : forme())
        if (f->nome_.compare(nome, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

void Forma::Load() {
    if (caricata_)
        return;
    // On the stage before Form_Load places the form: its place is on the program's screen.
    sulPalco(*this);
    caricata_ = true;
    forme().append(this);
    if (qApp)
        qApp->installEventFilter(this);
    Form_Load();
}

void Forma::Show() {
    Load();
    if (!caricata_)
        return;
    if (statoFinestra_ == 2)
        showMaximized();
    else if (statoFinestra_ == 1)
        showMinimized();
    else
        show();
    // The window just shown takes the keyboard, as desktops do for a new window: Enter and Esc
    // of a dialog must reach it without a click first.
    if (statoFinestra_ != 1)
        attivaFinestra(*this);
    attiva();
}

bool Forma::Unload(int modo) {
    if (!caricata_)
        return true;
    int annulla = 0;
    Form_QueryUnload(annulla, modo);
    if (annulla)
        return false;
    Form_Unload(annulla);
    if (annulla)
        return false;
    caricata_ = false;
    forme().removeOne(this);
    if (qApp)
        qApp->removeEventFilter(this);
    hide();
    if (formaAttiva() == this)
        formaAttiva() = nullptr;
    return true;
}

// Position by the window's outer corner on the program's screen, where the stage keeps its
// windows; size of the client area, which is the whole window once the forms go borderless.
double Forma::LeftTw() const {
    return x() * twipsPerPixelX();
}
double Forma::TopTw() const {
    return y() * twipsPerPixelY();
}
double Forma::WidthTw() const {
    return width() * twipsPerPixelX();
}
double Forma::HeightTw() const {
    return height() * twipsPerPixelY();
}

void Forma::MoveTw(double left, double top, double width, double height) {
    const QPoint p(pixelX(left), pixelY(top));
    move(p);
    resize(pixelX(width), pixelY(height));
}

void Forma::ImpostaWindowState(int stato) {
    statoFinestra_ = stato;
    if (!isVisible())
        return;
    if (stato == 2)
        showMaximized();
    else if (stato == 1)
        showMinimized();
    else
        showNormal();
}

void Forma::setCaption(const QString& testo) {
    caption_ = testo;
    // An empty title reaches the display empty through the stage, which watches title changes.
    setWindowTitle(testo);
}

void Forma::setBorderStyle(int stile) {
    bordo_ = stile;
    const bool eraVisibile = isVisible();
    setWindowFlag(Qt::FramelessWindowHint, stile == 0);
    if (eraVisibile)
        show();
}

void Forma::setProprietario(Forma* proprietario) {
    proprietario_ = proprietario;
    sulPalco(*this);
    // On the stage the stage keeps a dialog above its owner; on the desktop a transient parent
    // does, without making the owner delete it.
    if (!isWindow())
        return;
    if (proprietario)
        proprietario->winId();
    winId();
    if (QWindow* w = windowHandle())
        w->setTransientParent(proprietario ? proprietario->windowHandle() : nullptr);
}

ControlloForma* Forma::controllo(const QString& nome, int indice) const {
    for (ControlloForma* c : controlli_)
        if (c->Index() == indice && c->Name().compare(nome, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

bool Forma::chiamaPerNome(const char* metodo) {
    const QByteArray firma = QByteArray(metodo) + "()";
    if (metaObject()->indexOfMethod(firma.constData()) < 0)
        return false;
    return QMetaObject::invokeMethod(this, metodo, Qt::DirectConnection);
}

void Forma::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.end();
    Form_Paint();
}

void Forma::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    attiva();
}

void Forma::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (formaAttiva() == this)
        formaAttiva() = nullptr;
    // The keyboard goes back to the form below, as desktops do when a window closes: without
    // a window manager nobody else would hand it on, and Esc or Alt+Enter would go nowhere.
    if (isWindow() && windowHandle() && QGuiApplication::focusWindow() == windowHandle()) {
        const QList<Forma*>& forme = Forms();
        for (auto i = forme.crbegin(); i != forme.crend(); ++i)
            if (*i != this && (*i)->isWindow() && (*i)->isVisible() && (*i)->isEnabled()) {
                (*i)->activateWindow();
                break;
            }
    }
}

void Forma::attiva() {
    // Activate runs when the program moves to this form, not on every focus change of the desktop.
    if (!caricata_ || formaAttiva() == this || !isVisible())
        return;
    formaAttiva() = this;
    setFocus();
    Form_Activate();
}

void Forma::closeEvent(QCloseEvent* e) {
    if (Unload(0))
        e->accept();
    else
        e->ignore();
}

bool Forma::tastoPremuto(QKeyEvent* e) {
    int codice = 0;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        codice = 13;
    else if (e->key() == Qt::Key_Escape)
        codice = 27;
    else if (!e->text().isEmpty())
        codice = e->text().at(0).unicode();
    if (codice == 0)
        return false;
    const int prima = codice;
    Form_KeyPress(codice);
    return codice == 0 && prima != 0;
}

void Forma::keyPressEvent(QKeyEvent* e) {
    if (tastoPremuto(e) || (tastiera().tasto && tastiera().tasto(*this, e)))
        return;
    QWidget::keyPressEvent(e);
}

bool Forma::focusNextPrevChild(bool avanti) {
    // Qt asks this of a form it is disabling (a dialog opened over it): that is no Tab, and the
    // keyboard's ring must not come up on the form's first item under the dialog.
    if (!isEnabled())
        return false;
    return (tastiera().tab && tastiera().tab(*this, avanti)) || QWidget::focusNextPrevChild(avanti);
}

bool Forma::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        attiva();
    return QWidget::event(e);
}

bool Forma::eventFilter(QObject* oggetto, QEvent* e) {
    // In this form: not window() == this, which on the stage, where a form is a sub-window, is
    // the stage for everything.
    const auto inQuesta = [this](const QWidget* w) { return w == this || isAncestorOf(w); };
    // A picture box over the whole form leaves the form nothing of its own to paint; the form's
    // paint event still has to follow what its window paints. Queued, and once per batch, so the
    // handler may move controls.
    if (e->type() == QEvent::Paint && oggetto != this && !paintInAttesa_) {
        auto* w = qobject_cast<QWidget*>(oggetto);
        if (w && inQuesta(w)) {
            paintInAttesa_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    paintInAttesa_ = false;
                    if (caricata_)
                        Form_Paint();
                },
                Qt::QueuedConnection);
        }
    }
    // A press of the mouse in the form takes the keyboard's ring away.
    if (e->type() == QEvent::MouseButtonPress && oggetto->isWidgetType() &&
        inQuesta(static_cast<QWidget*>(oggetto)))
        if (tastiera().lascia)
            tastiera().lascia(*this);
    // Key preview: the form sees keys meant for its controls first.
    if (KeyPreview && e->type() == QEvent::KeyPress && oggetto != this) {
        auto* w = qobject_cast<QWidget*>(oggetto);
        if (w && inQuesta(w) && isEnabled())
            return tastoPremuto(static_cast<QKeyEvent*>(e));
    }
    return QWidget::eventFilter(oggetto, e);
}

} // namespace hn
