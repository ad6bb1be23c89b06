#include "Palco.h"

#include "Accessibilita.h"

#include <QApplication>
#include <QCursor>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
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
#include <cstring>
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

// An X11 window manager is running: it sizes a full-screen window itself, and a size asked of
// it when the window comes back from a framed one is taken for the frame, a title bar's
// height off.
bool gestoreDiFinestreX();
// The running X11 window manager's name, empty for none.
QString nomeGestoreX();
// The window the X11 window manager names active (_NET_ACTIVE_WINDOW), 0 for none.
quint32 attivaPerGestoreX();
// Gives an X11 window the keyboard focus directly.
void daiFuocoX(quint32 finestra);

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
    return p * fattore + QPointF(nativo.topLeft());
}

QPointF GeometriaPalco::versoSchermo(QPointF p) const {
    return (p - QPointF(nativo.topLeft())) / fattore;
}

namespace {

// The first device pixel a painting that starts at `inizio` (in device pixels) covers: Qt fills
// the pixels whose centres lie inside.
int primoPixel(double inizio) {
    return int(std::ceil(inizio - 0.5 - 1e-9));
}

// Halves the spare pixels, the odd one on the far side; floors below nought too, for a screen
// larger than its area.
int meta(int spare) {
    return spare >= 0 ? spare / 2 : -((-spare + 1) / 2);
}

} // namespace

GeometriaPalco adattaPalco(QSize area, QSize schermo, ModoScala modo) {
    GeometriaPalco g;
    g.schermo = schermo.isEmpty() ? palcoVirtuale : schermo;
    if (area.isEmpty())
        area = g.schermo;
    const double adatta = std::min(double(area.width()) / g.schermo.width(),
                                   double(area.height()) / g.schermo.height());
    // An area smaller than the screen (a window on a 1366 × 768 desktop) shows it scaled down,
    // whole: cut edges would hide hotspots and the exit. Below one no whole factor exists, so
    // integer scaling fits there too.
    g.fattore = adatta;
    if (modo == ModoScala::Intero && adatta >= 1)
        g.fattore = std::floor(adatta);
    else if (modo == ModoScala::Nativo)
        g.fattore = 1;
    g.nitido = std::abs(g.fattore - std::round(g.fattore)) < 1e-9;
    const QSizeF logico = QSizeF(area) / g.fattore;
    g.monitorLogico =
        QSize(int(std::floor(logico.width() + 1e-9)), int(std::floor(logico.height() + 1e-9)));
    // Rounded to the nearest program pixel.
    g.origine = QPoint(int(std::lround((logico.width() - g.schermo.width()) / 2)),
                       int(std::lround((logico.height() - g.schermo.height()) / 2)));
    const QSize dimensione(int(std::lround(g.schermo.width() * g.fattore)),
                           int(std::lround(g.schermo.height() * g.fattore)));
    // Where Qt paints the screen placed at `origine`: kept when its bars differ by no more than
    // the odd spare pixel.
    const QPointF inizio = QPointF(g.origine) * g.fattore;
    const QPointF fine = inizio + QPointF(dimensione.width(), dimensione.height());
    const QRect dipinto(QPoint(primoPixel(inizio.x()), primoPixel(inizio.y())),
                        QPoint(primoPixel(fine.x()) - 1, primoPixel(fine.y()) - 1));
    const auto centrato = [](int prima, int lunghezza, int tutta) {
        return std::abs(prima - (tutta - prima - lunghezza)) <= 1;
    };
    g.fuoriCentro = dipinto.size() != dimensione ||
                    !centrato(dipinto.left(), dipinto.width(), area.width()) ||
                    !centrato(dipinto.top(), dipinto.height(), area.height());
    g.nativo = g.fuoriCentro ? QRect(QPoint(meta(area.width() - dimensione.width()),
                                            meta(area.height() - dimensione.height())),
                                     dimensione)
                             : dipinto;
    return g;
}

GeometriaPalco calcolaPalco(QSize monitor, ModoScala modo) {
    if (monitor.isEmpty())
        monitor = palcoVirtuale;
    const bool comE = modo == ModoScala::Nativo || modoPrevisto(monitor);
    return adattaPalco(monitor, comE ? monitor : palcoVirtuale, modo);
}

namespace {

QSize dimensioneNativa(const QScreen* monitor) {
    if (!monitor)
        return {};
    return monitor->handle() ? monitor->handle()->geometry().size() : monitor->geometry().size();
}

// The monitor the stage starts on.
QScreen* monitorIniziale() {
    QScreen* sottoIlMouse = QGuiApplication::screenAt(QCursor::pos());
    return sottoIlMouse ? sottoIlMouse : QGuiApplication::primaryScreen();
}

} // namespace

double scalaIniziale(ModoScala modo) {
    const QSize monitor = dimensioneNativa(monitorIniziale());
    return adattaPalco(monitor, calcolaPalco(monitor, modo).schermo, modo).fattore;
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
        // A Wayland session gets a Wayland window; X11 where Qt's Wayland platform is missing.
        qputenv("QT_QPA_PLATFORM", wayland ? (x11 ? "wayland;xcb" : "wayland") : "xcb");
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

// Qt's only public ways to scale the GUI (QT_SCALE_FACTOR, the screens' own factors) are read
// once, when the application starts; a factor that follows the window's size as the user drags
// it can only be set through the private QHighDpiScaling (Qt 6.4 has no public setter).
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
    // A free area too small for the screen even once (1366 × 768 under a panel) gets a window
    // that fits it, title bar and all, the screen's edges outside.
    return QSize(int(std::lround(schermo.width() * scelto)),
                 int(std::lround(schermo.height() * scelto)))
        .boundedTo(disponibile * 0.9);
}

} // namespace

namespace {
Palco* palcoAttuale = nullptr;
} // namespace

Palco* Palco::attuale() {
    return palcoAttuale;
}

Palco::Palco(ModoScala modo)
    : QWidget(nullptr, Qt::Window)
    , modo_(modo) {
    palcoAttuale = this;
    // Before the window exists: assistive tools keep what they were first told it is.
    accessibile::installa();
    // A normal window, framed by the desktop when it is one: a window manager makes it full
    // screen by its own protocol and takes the frame off then. A frameless one is typed as a
    // window to leave alone, and some keep a panel above it even at full screen.
    // Base size nought: left to Qt it is -1 × -1, and a window manager that trusts it sizes the
    // window 65535 × 65535.
    create();
    windowHandle()->setBaseSize(QSize(0, 0));
    connect(windowHandle(), &QWindow::windowStateChanged, this, [this](Qt::WindowState stato) {
        if (stato != Qt::WindowNoState || schermoIntero_ || !finestraVoluta_.isValid())
            return;
        const QRect finestra = finestraVoluta_;
        finestraVoluta_ = {};
        QTimer::singleShot(0, this, [this, finestra] {
            if (!schermoIntero_)
                applica(adattaPalco(finestra.size(), geometria_.schermo, modo_), finestra);
        });
    });
    setWindowTitle(QStringLiteral("Velto 2002"));
    // Black around the program's screen, and wherever no window of the program is shown.
    QPalette nero = palette();
    nero.setColor(QPalette::Window, Qt::black);
    setPalette(nero);
    setAutoFillBackground(true);
    schermo_ = new QWidget(this);
    schermo_->setObjectName(QStringLiteral("schermo"));
    // The program's windows keep their focus among themselves: Tab never leaves the one active.
    schermo_->setFocusPolicy(Qt::NoFocus);
    impostaMonitor(monitorIniziale());
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

    qApp->installEventFilter(this);
    // Shown at once, so the desktop makes it full screen while the home screen loads; painted
    // only once a window is shown, so the start-up does not paint and send a black screen that
    // the home screen covers a moment later.
    setUpdatesEnabled(false);
    impostaSchermoIntero(true);
}

void Palco::primaFinestraMostrata() {
    vuoto_ = false;
    setUpdatesEnabled(true);
    // Scaled down the screen is the view's, no longer the stage's child: it is told itself.
    schermo_->setUpdatesEnabled(true);
    Q_EMIT primaFinestra();
}

void Palco::sopraIPannelli() {
    // xfwm4 keeps a panel that asks to stay on top above full-screen windows, and only a
    // window that asks the same comes over it; other window managers put a window that asks it
    // in a layer below their panels. So there, full screen and active, the stage asks too; it
    // stops asking in a window and while another window has the keyboard (a message box, the
    // file chooser, another program's), which would stay under it otherwise.
    static const bool xfwm = nomeGestoreX().contains(QLatin1String("xfwm4"), Qt::CaseInsensitive);
    const bool sopra = xfwm && schermoIntero_ && isActiveWindow();
    Qt::WindowFlags f = windowFlags();
    if (f.testFlag(Qt::WindowStaysOnTopHint) == sopra)
        return;
    f.setFlag(Qt::WindowStaysOnTopHint, sopra);
    // Told to the window that exists: a new native window would come up as a new window on
    // the desktop, elsewhere, for a moment.
    overrideWindowFlags(f);
    if (windowHandle())
        windowHandle()->setFlags(f);
}

Palco::~Palco() {
    qApp->removeEventFilter(this);
    if (palcoAttuale == this)
        palcoAttuale = nullptr;
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
    return dimensioneNativa(monitor_);
}

QSize Palco::finestraNativa() const {
    const QWindow* w = windowHandle();
    if (w && w->handle())
        return w->handle()->geometry().size();
    return QSize(int(std::lround(width() * fattoreGui_)), int(std::lround(height() * fattoreGui_)));
}

void Palco::impostaSchermoIntero(bool si) {
    // Back to full screen on the monitor the window was moved to.
    if (si && !schermoIntero_)
        impostaMonitor(screen());
    schermoIntero_ = si;
    adattamento_->stop();
    // Asked after full screen, which some window managers would otherwise let override it.
    if (!si)
        sopraIPannelli();
    if (si) {
        finestraVoluta_ = {};
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        applica(adattaPalco(monitorNativo(), geometria_.schermo, modo_), {});
        showFullScreen();
        copriIlMonitor();
        // Back over whatever the desktop put above the window meanwhile: some window managers
        // leave a full-screen window where it was in the stack.
        raise();
        activateWindow();
        sopraIPannelli();
        posaNativo();
        avviato_ = true;
    } else {
        showNormal();
        const QRect disponibile = monitor_ && monitor_->handle()
                                      ? monitor_->handle()->availableGeometry()
                                      : QRect(QPoint(), monitorNativo());
        QRect finestra(QPoint(), finestraIniziale(disponibile.size(), geometria_.schermo));
        finestra.moveCenter(disponibile.center());
        applica(adattaPalco(finestra.size(), geometria_.schermo, modo_), finestra);
        show();
        posaNativo();
        // A Wayland compositor answers the end of full screen later, with the size the window
        // had before it (the whole monitor, as the stage starts full screen), and Qt takes that
        // over the size asked here: the window's size is asked again once that answer is in.
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            finestraVoluta_ = finestra;
    }
}

bool Palco::impostaGeometria() const {
    return !avviato_ || !gestoreDiFinestreX();
}

void Palco::copriIlMonitor() {
    // The logical size the factor gives is rounded: the window is told the monitor in device
    // pixels, so no column or row of the monitor is left out.
    QWindow* w = windowHandle();
    if (!schermoIntero_ || !w || !w->handle() || !monitor_ || !monitor_->handle() ||
        !impostaGeometria())
        return;
    const QRect monitor = monitor_->handle()->geometry();
    if (w->handle()->geometry() != monitor)
        w->handle()->setGeometry(monitor);
}

void Palco::posaNativo() {
    // Widgets paint into one buffer per window at whole program pixels, so at 1.875 device
    // pixels per program pixel the screen starts 0.625 off and its first column rounds one
    // device pixel off the centre. A native sub-window can sit on any device pixel: the window
    // system shows the screen's buffer there. Its buffer is still painted at the rounded place,
    // and the stage's own window shows that buffer unshifted, so one column of the screen
    // would show beside it: black native bands over the stage's own window hide it.
    if (ridotto()) {
        // The view covers the stage's own window only: no band may lie over it.
        for (QWidget* banda : bande_)
            if (banda)
                banda->hide();
        return;
    }
    if (!geometria_.fuoriCentro && !schermo_->testAttribute(Qt::WA_NativeWindow))
        return;
    const QWindow* finestra = windowHandle();
    if (!finestra || !finestra->handle())
        return;
    if (!schermo_->testAttribute(Qt::WA_NativeWindow)) {
        for (QWidget*& banda : bande_) {
            banda = new QWidget(this);
            banda->setObjectName(QStringLiteral("banda"));
            banda->setAttribute(Qt::WA_NativeWindow);
            banda->setAutoFillBackground(true);
            banda->setFocusPolicy(Qt::NoFocus);
            banda->winId();
        }
        schermo_->setAttribute(Qt::WA_NativeWindow);
        schermo_->winId();
        schermo_->raise();
    }
    const QRect s = geometria_.nativo;
    // Full screen the area is the monitor, even while a window manager still has the window
    // at its framed size.
    const QSize area = schermoIntero_ ? monitorNativo() : finestraNativa();
    const QRect nativi[4] = {
        QRect(0, 0, s.left(), area.height()),
        QRect(s.left() + s.width(), 0, area.width() - s.left() - s.width(), area.height()),
        QRect(s.left(), 0, s.width(), s.top()),
        QRect(s.left(), s.top() + s.height(), s.width(), area.height() - s.top() - s.height())};
    // Logically each band lies beside the screen, so the two never paint the same pixels.
    const QRect l(geometria_.origine, geometria_.schermo);
    const QSize tutto = size();
    const QRect logici[4] = {
        QRect(0, 0, l.left(), tutto.height()),
        QRect(l.right() + 1, 0, tutto.width() - l.right() - 1, tutto.height()),
        QRect(l.left(), 0, l.width(), l.top()),
        QRect(l.left(), l.bottom() + 1, l.width(), tutto.height() - l.bottom() - 1)};
    for (int i = 0; i < 4; ++i) {
        QWidget* banda = bande_[size_t(i)];
        const bool serve = !nativi[i].isEmpty();
        banda->setGeometry(logici[i].isEmpty() ? QRect(nativi[i].topLeft(), QSize(1, 1))
                                               : logici[i]);
        banda->setVisible(serve);
        if (serve && banda->windowHandle() && banda->windowHandle()->handle())
            banda->windowHandle()->handle()->setGeometry(nativi[i]);
    }
    if (QWindow* w = schermo_->windowHandle(); w && w->handle())
        w->handle()->setGeometry(s);
}

QPoint Palco::globale(const QWidget& w, QPoint p) const {
    if (!ridotto() || (&w != schermo_ && !schermo_->isAncestorOf(&w)))
        return w.mapToGlobal(p);
    // Through the view, as it draws the screen: Qt's own mapping of a widget inside a view
    // scales the view's place on the desktop too.
    const QPointF inScena = delega_->mapToScene(QPointF(w.mapTo(schermo_, p)));
    return vista_->viewport()->mapToGlobal(vista_->viewportTransform().map(inScena)).toPoint();
}

void Palco::posaSchermo() {
    const bool ridurre = geometria_.fattore < 1 - 1e-9;
    if (ridurre != ridotto()) {
        // The keyboard stays where it was: moving the screen between the stage and the view
        // takes it away from the window inside.
        QPointer<QWidget> fuoco = QApplication::focusWidget();
        if (!finestraDi(fuoco)) // the view itself, scaled down: what it passed the keys to
            fuoco = schermo_->focusWidget();
        if (ridurre) {
            if (!vista_) {
                vista_ = new QGraphicsView(new QGraphicsScene(this), this);
                vista_->setObjectName(QStringLiteral("vistaRidotta"));
                vista_->setFrameShape(QFrame::NoFrame);
                vista_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                vista_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                vista_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                vista_->setBackgroundBrush(Qt::black);
                // Pictures and text shrunk smoothly, as at other fractional factors.
                vista_->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                                       QPainter::SmoothPixmapTransform);
            }
            // A view takes only a widget of no parent; the screen's windows come along inside.
            schermo_->setParent(nullptr);
            delega_ = vista_->scene()->addWidget(schermo_);
            vista_->show();
            vista_->raise();
        } else {
            delega_->setWidget(nullptr);
            delete delega_;
            delega_ = nullptr;
            vista_->hide();
            schermo_->setParent(this);
            schermo_->show();
        }
        if (fuoco && finestraDi(fuoco))
            fuoco->setFocus(Qt::OtherFocusReason);
        else if (attiva_)
            attiva_->setFocus(Qt::OtherFocusReason);
        if (ridurre)
            vista_->setFocus(Qt::OtherFocusReason);
    }
    if (!ridurre) {
        schermo_->setGeometry(QRect(geometria_.origine, geometria_.schermo));
        posaNativo();
        return;
    }
    // The view on the device pixels the geometry gives the screen, the screen stretched over
    // exactly those: a hair of anisotropy rather than a blank column.
    const QSize s = geometria_.schermo;
    const QRect r = geometria_.nativo;
    vista_->setGeometry(r);
    vista_->setSceneRect(0, 0, s.width(), s.height());
    delega_->setGeometry(QRectF(0, 0, s.width(), s.height()));
    vista_->setTransform(
        QTransform::fromScale(double(r.width()) / s.width(), double(r.height()) / s.height()));
    posaNativo();
}

void Palco::adattaAllaFinestra() {
    if (schermoIntero_)
        return;
    const QSize nativa = finestraNativa();
    const GeometriaPalco g = adattaPalco(nativa, geometria_.schermo, modo_);
    if (qFuzzyCompare(g.fattore, geometria_.fattore) && g.origine == geometria_.origine &&
        g.nativo == geometria_.nativo)
        return;
    const QWindow* w = windowHandle();
    applica(g, w && w->handle() ? w->handle()->geometry() : QRect());
}

void Palco::applica(const GeometriaPalco& nuova, QRect rettangoloNativo) {
    applicando_ = true;
    geometria_ = nuova;
    // Below one the GUI stays at one and the stage's view scales the screen down (posaSchermo).
    const double gui = std::max(1.0, nuova.fattore);
    const bool cambiaFattore = !qFuzzyCompare(gui, fattoreGui_);
    if (cambiaFattore) {
        impostaFattoreGui(gui);
        fattoreGui_ = gui;
    }
    if (schermoIntero_) {
        const QRect area = monitor_ ? monitor_->geometry() : QRect(QPoint(), nuova.schermo);
        // Without a window manager full screen is only a request: the geometry is set too,
        // and at the start, where some window managers keep their panels' strips free else.
        if (impostaGeometria()) {
            if (windowHandle())
                windowHandle()->setGeometry(area);
            setGeometry(area);
            copriIlMonitor();
        }
    } else {
        // Never smaller than the screen at one device pixel per program pixel, where the
        // desktop's free area allows that.
        const QSize disponibile = monitor_ ? monitor_->availableGeometry().size() * 0.9 : QSize();
        const QSize minima(int(std::ceil(nuova.schermo.width() / fattoreGui_ - 1e-9)),
                           int(std::ceil(nuova.schermo.height() / fattoreGui_ - 1e-9)));
        setMinimumSize(disponibile.isEmpty() ? minima : minima.boundedTo(disponibile));
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
    posaSchermo();
    applicando_ = false;
    // Every window drops its buffer and paints again at the new factor, as when it moves to
    // another monitor (widgets listen for that signal); fonts are measured again too. The
    // stage paints whole again: its old buffer covered only the old device pixels.
    if (cambiaFattore)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (QWindow* finestra = w->windowHandle())
                Q_EMIT finestra->screenChanged(finestra->screen());
    update();
}

void Palco::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (applicando_)
        return;
    // A window manager sizes the window after the stage has placed its bands.
    posaNativo();
    if (!schermoIntero_)
        adattamento_->start();
}

void Palco::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    // The desktop activates the stage as a whole: the window inside that had the activation
    // gets it back, or loses it with the stage (a caption hides then).
    if (e->type() != QEvent::ActivationChange)
        return;
    sopraIPannelli();
    if (!isActiveWindow()) {
        if (attiva_) {
            QPointer<QWidget> prima = attiva_;
            attiva(nullptr);
            // Remembered, so the same window comes back, not whichever lies on top.
            if (prima && !prima->isHidden() && prima->isEnabled())
                attiva_ = prima, riattivare_ = true;
        }
        QTimer::singleShot(150, this, &Palco::riprendiTastiera);
        return;
    }
    QTimer::singleShot(0, this, [this] {
        if (!isActiveWindow())
            return;
        QWidget* w = attiva_;
        if (riattivare_ && w && !w->isHidden() && w->isEnabled())
            attiva_ = nullptr;
        else
            w = piuAlta();
        riattivare_ = false;
        attiva(w);
    });
}

void Palco::riprendiTastiera() {
    // A window manager that focuses on click (fluxbox) can take the X keyboard focus off the
    // stage's window on a click inside it while still naming the stage the active window, and
    // then gives it back to nobody: the keyboard would be lost until the user switches away and
    // back. Only then, with no window of the program holding it, the stage takes it back.
    if (!isVisible() || isActiveWindow() || QGuiApplication::focusWindow() ||
        QApplication::activePopupWidget())
        return;
    const quint32 attivaX = attivaPerGestoreX();
    if (attivaX != 0 && attivaX == quint32(winId()))
        daiFuocoX(attivaX);
}

void Palco::monitorCambiato() {
    // Our own factor changes move the monitor's logical geometry too: only a real change of
    // the monitor (another resolution, another arrangement) refits the screen.
    if (applicando_ || !monitor_)
        return;
    if (schermoIntero_)
        applica(adattaPalco(monitorNativo(), geometria_.schermo, modo_), {});
}

void Palco::accogli(QWidget& finestra) {
    if (finestra.parentWidget())
        return;
    const QPoint posto = finestra.pos();
    const bool visibile = finestra.isVisible();
    finestra.setParent(schermo_, Qt::SubWindow | Qt::FramelessWindowHint);
    finestra.move(posto);
    if (visibile)
        finestra.show();
}

QWidget* Palco::finestraDi(QObject* oggetto) const {
    if (!oggetto || !oggetto->isWidgetType())
        return nullptr;
    for (auto* w = static_cast<QWidget*>(oggetto); w; w = w->parentWidget())
        if (w->parentWidget() == schermo_)
            return w;
    return nullptr;
}

QWidget* Palco::piuAlta(const QWidget* tranne) const {
    // The children's order is their stacking order, the last on top.
    const QObjectList& figli = schermo_->children();
    for (auto i = figli.crbegin(); i != figli.crend(); ++i) {
        auto* w = qobject_cast<QWidget*>(*i);
        if (w && w != tranne && !w->isHidden() && w->isEnabled())
            return w;
    }
    return nullptr;
}

void Palco::attiva(QWidget* finestra) {
    if (finestra && finestraDi(finestra) != finestra)
        return;
    if (finestra)
        finestra->raise();
    if (finestra != attiva_) {
        QPointer<QWidget> vecchia = attiva_;
        attiva_ = finestra;
        inoltrando_ = true;
        if (vecchia) {
            QEvent fuori(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(vecchia, &fuori);
        }
        // Losing the activation may have moved it on (a caption hides itself).
        if (finestra && attiva_ == finestra) {
            QEvent dentro(QEvent::WindowActivate);
            QCoreApplication::sendEvent(finestra, &dentro);
        }
        inoltrando_ = false;
    }
    if (!finestra || attiva_ != finestra)
        return;
    // The keyboard goes where it was in that window, or to the window itself.
    QWidget* fuoco = finestra->focusWidget();
    if (!fuoco || fuoco->isHidden() || !fuoco->isEnabled() ||
        (fuoco != finestra && !finestra->isAncestorOf(fuoco)))
        fuoco = finestra;
    fuoco->setFocus(Qt::ActiveWindowFocusReason);
    // Scaled down, the keys reach the screen through the view, which must have them itself.
    if (ridotto() && !vista_->hasFocus())
        vista_->setFocus(Qt::ActiveWindowFocusReason);
}

bool Palco::eventFilter(QObject* oggetto, QEvent* evento) {
    switch (evento->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // The desktop's activation of the stage reaches every widget in it; which of the
        // stage's windows is active is the stage's own (see attiva).
        if (!inoltrando_ && oggetto != this && finestraDi(oggetto))
            return true;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click activates the window clicked; one disabled by its dialog hands it on to the
        // dialog, as an owner does.
        if (QWidget* w = finestraDi(oggetto))
            attiva(w->isEnabled() ? w : piuAlta());
        break;
    case QEvent::Show:
        // The screen itself is a window of its own while the view shows it scaled down.
        if (vuoto_ && oggetto != this && oggetto != schermo_ &&
            (oggetto == finestraDi(oggetto) ||
             (oggetto->isWidgetType() && static_cast<QWidget*>(oggetto)->isWindow())))
            primaFinestraMostrata();
        // A window just shown comes up on top with the keyboard, as on a desktop.
        if (!evento->spontaneous() && oggetto == finestraDi(oggetto)) {
            auto* w = static_cast<QWidget*>(oggetto);
            w->raise();
            if (w->isEnabled())
                attiva(w);
        }
        break;
    case QEvent::Hide:
        if (!evento->spontaneous() && oggetto == attiva_)
            attiva(piuAlta(attiva_));
        // A message box or the file chooser closing: without a window manager nobody hands
        // the keyboard back to the stage.
        if (oggetto != this && oggetto->isWidgetType() &&
            static_cast<QWidget*>(oggetto)->isWindow())
            QTimer::singleShot(0, this, [this] {
                if (isVisible() && !QGuiApplication::focusWindow())
                    activateWindow();
            });
        break;
    case QEvent::EnabledChange:
        if (oggetto == finestraDi(oggetto)) {
            auto* w = static_cast<QWidget*>(oggetto);
            if (w == attiva_ && !w->isEnabled())
                attiva(piuAlta(w));
            else if (w->isEnabled() && !w->isHidden() && (!attiva_ || attiva_->isHidden()))
                attiva(piuAlta());
        }
        break;
    default:
        break;
    }
    return false;
}

namespace {
// The stage's window a widget lies in, null when it is not on the stage.
QWidget* finestraSulPalco(const Palco* palco, const QWidget* w) {
    for (; w && palco; w = w->parentWidget())
        if (w->parentWidget() == palco->schermo())
            return const_cast<QWidget*>(w);
    return nullptr;
}
} // namespace

void Palco::daiAttivazione(QWidget& finestra) {
    if (QWidget* w = finestraSulPalco(this, &finestra))
        attiva(w);
    else
        finestra.activateWindow();
}

bool Palco::haAttivazione(const QWidget& finestra) const {
    if (const QWidget* w = finestraSulPalco(this, &finestra))
        return finestraAttiva() == w && isActiveWindow();
    return finestra.isActiveWindow();
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

bool gestoreDiFinestreX() {
    xcb_connection_t* c = connessioneX();
    if (!c)
        return false;
    const xcb_window_t radice = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, radice, atomoX(c, "_NET_SUPPORTING_WM_CHECK"),
                                                XCB_ATOM_WINDOW, 0, 1),
                               nullptr);
    const bool si = r && xcb_get_property_value_length(r) >= 4;
    std::free(r);
    return si;
}

QString nomeGestoreX() {
    xcb_connection_t* c = connessioneX();
    if (!c)
        return {};
    const xcb_window_t radice = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto leggi = [c](xcb_window_t w, xcb_atom_t nome, xcb_atom_t tipo, uint32_t lunghezza) {
        xcb_get_property_reply_t* r =
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, nome, tipo, 0, lunghezza), nullptr);
        QByteArray valore;
        if (r)
            valore = QByteArray(static_cast<const char*>(xcb_get_property_value(r)),
                                xcb_get_property_value_length(r));
        std::free(r);
        return valore;
    };
    const QByteArray verifica =
        leggi(radice, atomoX(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1);
    if (verifica.size() < 4)
        return {};
    xcb_window_t gestore = 0;
    std::memcpy(&gestore, verifica.constData(), sizeof gestore);
    return QString::fromUtf8(
        leggi(gestore, atomoX(c, "_NET_WM_NAME"), atomoX(c, "UTF8_STRING"), 64));
}

quint32 attivaPerGestoreX() {
    xcb_connection_t* c = connessioneX();
    if (!c)
        return 0;
    const xcb_window_t radice = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, radice, atomoX(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    xcb_window_t attiva = 0;
    if (r && xcb_get_property_value_length(r) >= 4)
        std::memcpy(&attiva, xcb_get_property_value(r), sizeof attiva);
    std::free(r);
    return attiva;
}

void daiFuocoX(quint32 finestra) {
    if (xcb_connection_t* c = connessioneX()) {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, finestra, XCB_CURRENT_TIME);
        xcb_flush(c);
    }
}

} // namespace

void consegnaAlDisplay() {
    if (xcb_connection_t* c = connessioneX())
        xcb_flush(c);
}

} // namespace hn
