#include "Palco.h"

#include "Forma.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>
#include <xcb/xcb.h>

namespace hn {

namespace {

// The displays the screens were drawn for: on these the program sees the real display.
bool modoPrevisto(QSize s) {
    return s == QSize(640, 480) || s == QSize(800, 600) || s == QSize(1024, 768);
}

constexpr QSize palcoVirtuale(1024, 768);

// The display paints the window black wherever it shows, with nothing from the program.
void fondoNeroSulDisplay(QWidget& finestra);

} // namespace

ModoScala modoScalaDa(const QString& valore) {
    const QString v = valore.trimmed().toLower();
    if (v == QLatin1String("integer"))
        return ModoScala::Intero;
    if (v == QLatin1String("native"))
        return ModoScala::Nativo;
    return ModoScala::Adatta;
}

QPointF GeometriaPalco::versoMonitor(QPointF p) const {
    return (p + QPointF(origine)) * fattore;
}

QPointF GeometriaPalco::versoSchermo(QPointF p) const {
    return p / fattore - QPointF(origine);
}

GeometriaPalco adattaPalco(QSize area, QSize schermo, ModoScala modo) {
    GeometriaPalco g;
    g.schermo = schermo.isEmpty() ? palcoVirtuale : schermo;
    if (area.isEmpty())
        area = g.schermo;
    const double adatta = std::min(double(area.width()) / g.schermo.width(),
                                   double(area.height()) / g.schermo.height());
    // Qt paints no finer than one device pixel per program pixel: an area smaller than the
    // screen shows it at its own size, centred, edges outside.
    g.fattore = std::max(1.0, adatta);
    if (modo == ModoScala::Intero)
        g.fattore = std::floor(g.fattore);
    else if (modo == ModoScala::Nativo)
        g.fattore = 1;
    g.nitido = std::abs(g.fattore - std::round(g.fattore)) < 1e-9;
    const QSizeF logico = QSizeF(area) / g.fattore;
    g.monitorLogico =
        QSize(int(std::floor(logico.width() + 1e-9)), int(std::floor(logico.height() + 1e-9)));
    // Rounded to the nearest program pixel: the bars differ by at most one device pixel or two.
    g.origine = QPoint(int(std::lround((logico.width() - g.schermo.width()) / 2)),
                       int(std::lround((logico.height() - g.schermo.height()) / 2)));
    return g;
}

GeometriaPalco calcolaPalco(QSize monitor, ModoScala modo) {
    if (monitor.isEmpty())
        monitor = palcoVirtuale;
    const bool comE = modo == ModoScala::Nativo || modoPrevisto(monitor);
    return adattaPalco(monitor, comE ? monitor : palcoVirtuale, modo);
}

void preparaPalco() {
    // The factor is chosen by the stage from real device pixels: the desktop's own scaling
    // would otherwise be multiplied in a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

QString messaggioSenzaDisplay() {
    return QStringLiteral("hnemar: nie znaleziono ekranu (sprawdź zmienne DISPLAY i "
                          "WAYLAND_DISPLAY); program działa tylko w sesji graficznej");
}

namespace {

QtMessageHandler gestoreAvvio = nullptr;

// Qt aborts when its platform cannot start (a display named but not there): the user gets the
// program's own line and exit code 1.
void senzaPiattaforma(QtMsgType tipo, const QMessageLogContext& contesto, const QString& testo) {
    if (tipo == QtFatalMsg && (testo.contains(QLatin1String("platform plugin")) ||
                               testo.contains(QLatin1String("connect to display")))) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(messaggioSenzaDisplay()));
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (gestoreAvvio)
        gestoreAvvio(tipo, contesto, testo);
}

} // namespace

bool scegliPiattaforma() {
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (!x11 && !wayland)
            return false;
        if (x11)
            qputenv("QT_QPA_PLATFORM", "xcb");
    }
    static const bool installato = [] {
        gestoreAvvio = qInstallMessageHandler(senzaPiattaforma);
        return true;
    }();
    return installato;
}

namespace {

QtMessageHandler gestorePrecedente = nullptr;

void senzaAvvisoFattore(QtMsgType tipo, const QMessageLogContext& contesto, const QString& testo) {
    if (tipo == QtWarningMsg && testo.contains(QLatin1String("QHighDpiScaling::setFactor")))
        return;
    if (gestorePrecedente)
        gestorePrecedente(tipo, contesto, testo);
}

// Qt warns when the factor changes while windows exist; the stage puts every window back in
// place right after, so the warning is only noise.
void impostaFattoreGui(double fattore) {
    gestorePrecedente = qInstallMessageHandler(senzaAvvisoFattore);
    QHighDpiScaling::setGlobalFactor(fattore);
    qInstallMessageHandler(gestorePrecedente);
    gestorePrecedente = nullptr;
}

// Leaving full screen: a window a little smaller than the desktop's free area, at a whole
// factor when one fits, so pictures stay sharp.
QSize finestraIniziale(QSize disponibile, QSize schermo) {
    const double f = std::min(0.9 * disponibile.width() / schermo.width(),
                              0.9 * disponibile.height() / schermo.height());
    const double scelto = std::max(1.0, std::floor(f));
    return QSize(int(std::lround(schermo.width() * scelto)),
                 int(std::lround(schermo.height() * scelto)));
}

} // namespace

Palco::Palco(ModoScala modo)
    : QWidget(nullptr, Qt::FramelessWindowHint)
    , modo_(modo) {
    setWindowTitle(QStringLiteral("Velto 2002"));
    // Black is the display's own: the backdrop has no buffer of its own to paint into, which at
    // 4K would hold a third of the program's memory only to say "black".
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    QScreen* sottoIlMouse = QGuiApplication::screenAt(QCursor::pos());
    impostaMonitor(sottoIlMouse ? sottoIlMouse : QGuiApplication::primaryScreen());
    geometria_ = calcolaPalco(monitorNativo(), modo_);
    connect(qApp, &QGuiApplication::screenRemoved, this, [this](QScreen* tolto) {
        if (tolto != monitor_)
            return;
        monitor_ = nullptr;
        impostaMonitor(QGuiApplication::primaryScreen());
        monitorCambiato();
    });

    auto* alternaSchermo = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Return), this);
    alternaSchermo->setContext(Qt::ApplicationShortcut);
    connect(alternaSchermo, &QShortcut::activated, this, &Palco::alterna);
    auto* alternaTastierino = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Enter), this);
    alternaTastierino->setContext(Qt::ApplicationShortcut);
    connect(alternaTastierino, &QShortcut::activated, this, &Palco::alterna);

    // A window being dragged larger sends many sizes: the screen is refitted once they settle.
    adattamento_ = new QTimer(this);
    adattamento_->setSingleShot(true);
    adattamento_->setInterval(40);
    connect(adattamento_, &QTimer::timeout, this, &Palco::adattaAllaFinestra);

    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* finestra) {
        if (finestra && finestra != windowHandle())
            ultimaConTastiera_ = finestra;
    });

    qApp->installEventFilter(this);
    impostaSchermoIntero(true);
    ultimaOrigine_ = origineDesktop();
}

Palco::~Palco() {
    qApp->removeEventFilter(this);
}

void Palco::impostaMonitor(QScreen* monitor) {
    if (monitor == monitor_ || !monitor)
        return;
    if (monitor_)
        disconnect(monitor_, &QScreen::geometryChanged, this, &Palco::monitorCambiato);
    monitor_ = monitor;
    setScreen(monitor_);
    connect(monitor_, &QScreen::geometryChanged, this, &Palco::monitorCambiato);
}

QSize Palco::monitorNativo() const {
    if (!monitor_)
        return {};
    return monitor_->handle() ? monitor_->handle()->geometry().size() : monitor_->geometry().size();
}

QSize Palco::finestraNativa() const {
    const QWindow* w = windowHandle();
    if (w && w->handle())
        return w->handle()->geometry().size();
    return QSize(int(std::lround(width() * fattoreGui_)), int(std::lround(height() * fattoreGui_)));
}

QPoint Palco::origineDesktop() const {
    // In a window, from where the window was last put, not from where the display has it yet:
    // a window manager moves it a moment later, and windows placed from the old corner in
    // between would stay there.
    if (!schermoIntero_)
        return geometry().topLeft() + geometria_.origine;
    const QPoint monitor = monitor_ ? monitor_->geometry().topLeft() : QPoint();
    return monitor + geometria_.origine;
}

void Palco::impostaSchermoIntero(bool si) {
    // Back to full screen on the monitor the window was moved to.
    if (si && !schermoIntero_)
        impostaMonitor(screen());
    schermoIntero_ = si;
    adattamento_->stop();
    if (si) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        impostaCornice(false);
        applica(adattaPalco(monitorNativo(), geometria_.schermo, modo_), {});
        showFullScreen();
    } else {
        impostaCornice(true);
        showNormal();
        const QRect disponibile = monitor_ && monitor_->handle()
                                      ? monitor_->handle()->availableGeometry()
                                      : QRect(QPoint(), monitorNativo());
        QRect finestra(QPoint(), finestraIniziale(disponibile.size(), geometria_.schermo));
        finestra.moveCenter(disponibile.center());
        applica(adattaPalco(finestra.size(), geometria_.schermo, modo_), finestra);
        show();
    }
}

void Palco::impostaCornice(bool si) {
    Qt::WindowFlags f = windowFlags();
    f.setFlag(Qt::FramelessWindowHint, !si);
    // Told to the window that exists rather than made anew: the program's windows are
    // transient for this one, and a new native window would leave them pointing at a window
    // that is gone.
    overrideWindowFlags(f);
    if (windowHandle())
        windowHandle()->setFlags(f);
}

void Palco::adattaAllaFinestra() {
    if (schermoIntero_)
        return;
    const QSize nativa = finestraNativa();
    const GeometriaPalco g = adattaPalco(nativa, geometria_.schermo, modo_);
    if (qFuzzyCompare(g.fattore, fattoreGui_) && g.origine == geometria_.origine)
        return;
    const QWindow* w = windowHandle();
    applica(g, w && w->handle() ? w->handle()->geometry() : QRect());
}

void Palco::applica(const GeometriaPalco& nuova, QRect rettangoloNativo) {
    // Where each window lies on the program's screen, before the desktop's pixels change.
    struct Posto {
        QPointer<QWidget> finestra;
        QPoint suSchermo;
    };
    QList<Posto> posti;
    // Where the stage last put the screen: the mode may already be the new one.
    const QPoint vecchiaOrigine = ultimaOrigine_;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (eFinestraDelProgramma(w))
            posti.append({w, w->pos() - vecchiaOrigine});

    applicando_ = true;
    geometria_ = nuova;
    const bool cambiaFattore = !qFuzzyCompare(nuova.fattore, fattoreGui_);
    if (cambiaFattore) {
        impostaFattoreGui(nuova.fattore);
        fattoreGui_ = nuova.fattore;
    }
    if (schermoIntero_) {
        const QRect area = monitor_ ? monitor_->geometry() : QRect(QPoint(), nuova.schermo);
        // Set the geometry too: without a window manager full screen is only a request.
        if (windowHandle())
            windowHandle()->setGeometry(area);
        setGeometry(area);
    } else {
        // Never smaller than the screen at one device pixel per program pixel.
        const QSize minima(int(std::ceil(nuova.schermo.width() / fattoreGui_ - 1e-9)),
                           int(std::ceil(nuova.schermo.height() / fattoreGui_ - 1e-9)));
        setMinimumSize(minima);
        if (rettangoloNativo.isValid()) {
            // Qt keeps a monitor's corner where it is and scales what lies from there on.
            const QPoint angolo = monitor_ && monitor_->handle()
                                      ? monitor_->handle()->geometry().topLeft()
                                      : QPoint();
            const QPointF inizio = QPointF(rettangoloNativo.topLeft() - angolo) / fattoreGui_;
            const QRect logica(
                angolo + QPoint(int(std::lround(inizio.x())), int(std::lround(inizio.y()))),
                QSize(int(std::lround(rettangoloNativo.width() / fattoreGui_)),
                      int(std::lround(rettangoloNativo.height() / fattoreGui_))));
            if (windowHandle())
                windowHandle()->setGeometry(logica);
            setGeometry(logica);
        }
    }
    const QPoint nuovaOrigine = origineDesktop();
    for (const Posto& p : posti) {
        if (!p.finestra)
            continue;
        const QRect r(nuovaOrigine + p.suSchermo, p.finestra->size());
        // The window's own handle first: at the same logical place and size the widget alone
        // would not tell the platform the device pixels changed.
        if (p.finestra->windowHandle())
            p.finestra->windowHandle()->setGeometry(r);
        p.finestra->setGeometry(r);
    }
    ultimaOrigine_ = nuovaOrigine;
    applicando_ = false;
    // Every window drops its buffer and paints again at the new factor, as when it moves to
    // another monitor (widgets listen for that signal); fonts are measured again too.
    if (cambiaFattore)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (QWindow* finestra = w->windowHandle())
                Q_EMIT finestra->screenChanged(finestra->screen());
}

bool Palco::eFinestraDelProgramma(const QWidget* w) const {
    if (!w || w == this || !w->isWindow())
        return false;
    // Message boxes and file choosers place themselves; popups follow their owners.
    if (qobject_cast<const QMessageBox*>(w) || qobject_cast<const QFileDialog*>(w))
        return false;
    const Qt::WindowType tipo = w->windowType();
    return tipo != Qt::Popup && tipo != Qt::ToolTip && tipo != Qt::Desktop;
}

void Palco::seguiOrigine() {
    if (applicando_)
        return;
    const QPoint nuova = origineDesktop();
    const QPoint delta = nuova - ultimaOrigine_;
    ultimaOrigine_ = nuova;
    if (delta.isNull())
        return;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (eFinestraDelProgramma(w))
            w->move(w->pos() + delta);
}

void Palco::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    seguiOrigine();
}

void Palco::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (applicando_)
        return;
    if (!schermoIntero_)
        adattamento_->start();
    seguiOrigine();
}

void Palco::mousePressEvent(QMouseEvent* e) {
    // A click on the bars must not bury the program's windows under the backdrop.
    portaSuLeFinestre();
    e->accept();
}

void Palco::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    // A window manager hands the keyboard to the window it has just made full screen: the
    // backdrop, which has no keys of its own. It goes back to the program's window at once,
    // or Esc, Tab and the forms' keys would do nothing until a click.
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, [this] {
            if (isActiveWindow())
                portaSuLeFinestre();
        });
}

void Palco::portaSuLeFinestre() {
    // The forms that cover the program's screen go up first, the smaller windows above them;
    // the keyboard goes back to the window that last had it.
    QList<QWidget*> finestre;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (eFinestraDelProgramma(w) && w->isVisible())
            finestre.append(w);
    if (finestre.isEmpty())
        return;
    std::stable_partition(finestre.begin(), finestre.end(),
                          [this](const QWidget* w) { return w->size() == geometria_.schermo; });
    for (QWidget* w : finestre)
        w->raise();
    // A message box or file chooser that had it gets it back too.
    if (ultimaConTastiera_ && ultimaConTastiera_->isVisible())
        ultimaConTastiera_->requestActivate();
    else
        finestre.first()->activateWindow();
}

void Palco::monitorCambiato() {
    // Our own factor changes move the monitor's logical geometry too: only a real change of
    // the monitor (another resolution, another arrangement) refits the screen.
    if (applicando_ || !monitor_)
        return;
    if (schermoIntero_)
        applica(adattaPalco(monitorNativo(), geometria_.schermo, modo_), {});
}

bool Palco::eventFilter(QObject* oggetto, QEvent* evento) {
    if (evento->type() == QEvent::Show) {
        if (oggetto == this)
            fondoNeroSulDisplay(*this);
        auto* w = qobject_cast<QWidget*>(oggetto);
        if (eFinestraDelProgramma(w) && !w->parentWidget() && w->windowHandle() && windowHandle())
            impostaTransitoria(*w);
        if (w && w->isWindow())
            titoloVuotoSulDesktop(*w);
    } else if (evento->type() == QEvent::WindowTitleChange) {
        // A form's caption set empty while it is shown.
        auto* w = qobject_cast<QWidget*>(oggetto);
        if (w && w->isWindow())
            titoloVuotoSulDesktop(*w);
    }
    return false;
}

namespace {

// Only on X itself: the offscreen platform answers as an X application without a server.
xcb_connection_t* connessioneX() {
    auto* x11 = qApp && QGuiApplication::platformName() == QLatin1String("xcb")
                    ? qApp->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atomoX(xcb_connection_t* c, QByteArrayView nome) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(nome.size()), nome.data()), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

void fondoNeroSulDisplay(QWidget& finestra) {
    xcb_connection_t* c = connessioneX();
    if (!c || !finestra.windowHandle() || !finestra.windowHandle()->handle())
        return;
    const xcb_screen_t* schermo = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t nero = schermo ? schermo->black_pixel : 0;
    const auto id = static_cast<xcb_window_t>(finestra.winId());
    xcb_change_window_attributes(c, id, XCB_CW_BACK_PIXEL, &nero);
    xcb_clear_area(c, 0, id, 0, 0, 0, 0);
    // A window that paints nothing never reports a repaint finished, and a window manager that
    // asked for that report after each step of a resize by mouse would wait seconds for it.
    const xcb_atom_t protocolli = atomoX(c, "WM_PROTOCOLS");
    const xcb_atom_t sincronia = atomoX(c, "_NET_WM_SYNC_REQUEST");
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, id, protocolli, XCB_ATOM_ATOM, 0, 32), nullptr);
    if (r && r->format == 32) {
        const auto* atomi = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
        QList<xcb_atom_t> restano;
        for (int i = 0; i < xcb_get_property_value_length(r) / 4; ++i)
            if (atomi[i] != sincronia)
                restano.append(atomi[i]);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, protocolli, XCB_ATOM_ATOM, 32,
                            uint32_t(restano.size()), restano.constData());
    }
    std::free(r);
    xcb_flush(c);
}

} // namespace

void consegnaAlDisplay() {
    if (xcb_connection_t* c = connessioneX())
        xcb_flush(c);
}

void titoloVuotoSulDesktop(QWidget& finestra) {
    xcb_connection_t* c = connessioneX();
    if (!c || !finestra.windowTitle().isEmpty() || !finestra.windowHandle() ||
        !finestra.windowHandle()->handle())
        return;
    const auto id = static_cast<xcb_window_t>(finestra.winId());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atomoX(c, "_NET_WM_NAME"),
                        atomoX(c, "UTF8_STRING"), 8, 0, nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(c);
}

void Palco::impostaTransitoria(QWidget& w) {
    // The program's windows form one tree under the backdrop, so a window manager keeps each
    // above the window it belongs to and raises them together. A form without an owner belongs
    // to the backdrop; a smaller window (a caption) to the window it was opened from. A caption
    // under the backdrop itself would drag the backdrop, a full-screen window, above the forms
    // when it takes the focus.
    static const char* const kDelPalco = "hnemar_transitoriaDelPalco";
    QWindow* finestra = w.windowHandle();
    if (finestra->transientParent() && !finestra->property(kDelPalco).toBool())
        return; // an owner the program chose
    QWindow* sopra = windowHandle();
    if (!qobject_cast<Forma*>(&w)) {
        QWindow* attiva = QGuiApplication::focusWindow();
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != this && t != &w && t->windowHandle() == attiva && eFinestraDelProgramma(t))
                sopra = attiva;
    }
    finestra->setTransientParent(sopra);
    finestra->setProperty(kDelPalco, true);
}

} // namespace hn
