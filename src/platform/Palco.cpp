#include "Palco.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QShortcut>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <vector>

namespace hn {

namespace {

// The displays the screens were drawn for: on these the program sees the real display.
bool modoPrevisto(QSize s) {
    return s == QSize(640, 480) || s == QSize(800, 600) || s == QSize(1024, 768);
}

constexpr QSize palcoVirtuale(1024, 768);

QString nomeMonitorScelto;

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

GeometriaPalco calcolaPalco(QSize monitor, ModoScala modo) {
    GeometriaPalco g;
    if (monitor.isEmpty())
        monitor = palcoVirtuale;
    if (modo == ModoScala::Nativo || modoPrevisto(monitor)) {
        g.schermo = monitor;
        g.monitorLogico = monitor;
        return g;
    }
    g.schermo = palcoVirtuale;
    const double adatta = std::min(double(monitor.width()) / palcoVirtuale.width(),
                                   double(monitor.height()) / palcoVirtuale.height());
    // A monitor smaller than the stage can only be fitted, never shown at a whole multiple.
    g.fattore = modo == ModoScala::Intero && adatta >= 1 ? std::floor(adatta) : adatta;
    g.nitido = std::abs(g.fattore - std::round(g.fattore)) < 1e-9;
    const QSizeF logico = QSizeF(monitor) / g.fattore;
    g.monitorLogico =
        QSize(int(std::floor(logico.width() + 1e-9)), int(std::floor(logico.height() + 1e-9)));
    // Rounded to the nearest program pixel: the bars differ by at most one monitor pixel or two.
    g.origine = QPoint(int(std::lround((logico.width() - palcoVirtuale.width()) / 2)),
                       int(std::lround((logico.height() - palcoVirtuale.height()) / 2)));
    return g;
}

GeometriaPalco preparaPalco(int& argc, char** argv) {
    const ModoScala modo = modoScalaDa(qEnvironmentVariable("HNEMAR_SCALE"));
    // The factor is chosen here from real device pixels: the desktop's own scaling would
    // otherwise be multiplied in a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    QSize monitor;
    {
        // On copies: the GUI takes its own options out of the arguments, and the real one
        // must still see them.
        int argcMisura = argc;
        std::vector<char*> argvMisura(argv, argv + argc);
        argvMisura.push_back(nullptr);
        QGuiApplication misura(argcMisura, argvMisura.data());
        QScreen* s = QGuiApplication::screenAt(QCursor::pos());
        if (!s)
            s = QGuiApplication::primaryScreen();
        if (s) {
            monitor = s->geometry().size();
            nomeMonitorScelto = s->name();
        }
    }
    const GeometriaPalco g = calcolaPalco(monitor, modo);
    if (g.fattore != 1.0)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(g.fattore, 'g', 17));
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    return g;
}

Palco::Palco(const GeometriaPalco& geometria, const QString& nomeMonitor)
    : QWidget(nullptr, Qt::FramelessWindowHint)
    , geometria_(geometria) {
    const QString nome = nomeMonitor.isEmpty() ? nomeMonitorScelto : nomeMonitor;
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == nome)
            monitor_ = s;
    if (!monitor_)
        monitor_ = QGuiApplication::primaryScreen();
    setWindowTitle(QStringLiteral("Velto 2002"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    if (monitor_) {
        setScreen(monitor_);
        connect(monitor_, &QScreen::geometryChanged, this, &Palco::monitorCambiato);
    }

    auto* alternaSchermo = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Return), this);
    alternaSchermo->setContext(Qt::ApplicationShortcut);
    connect(alternaSchermo, &QShortcut::activated, this, &Palco::alterna);
    auto* alternaTastierino = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Enter), this);
    alternaTastierino->setContext(Qt::ApplicationShortcut);
    connect(alternaTastierino, &QShortcut::activated, this, &Palco::alterna);

    qApp->installEventFilter(this);
    impostaSchermoIntero(true);
    ultimaOrigine_ = origineDesktop();
}

Palco::~Palco() {
    qApp->removeEventFilter(this);
}

QPoint Palco::origineDesktop() const {
    if (!schermoIntero_)
        return mapToGlobal(QPoint(0, 0));
    const QPoint monitor = monitor_ ? monitor_->geometry().topLeft() : QPoint();
    return monitor + geometria_.origine;
}

void Palco::impostaSchermoIntero(bool si) {
    schermoIntero_ = si;
    const QRect area = monitor_ ? monitor_->geometry() : QRect(QPoint(), geometria_.schermo);
    if (si) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setWindowFlag(Qt::FramelessWindowHint, true);
        // Set the geometry too: without a window manager full screen is only a request.
        setGeometry(area);
        showFullScreen();
    } else {
        setWindowFlag(Qt::FramelessWindowHint, false);
        showNormal();
        // A window exactly the size of the program's screen: nothing is cut and no bars show.
        setFixedSize(geometria_.schermo);
        const QRect disponibile = monitor_ ? monitor_->availableGeometry() : area;
        QRect r(QPoint(), geometria_.schermo);
        r.moveCenter(disponibile.center());
        move(r.topLeft());
        show();
    }
    seguiOrigine();
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
    seguiOrigine();
}

void Palco::mousePressEvent(QMouseEvent* e) {
    // A click on the bars must not bury the program's windows under the backdrop: the forms
    // that cover the program's screen go up first, the smaller windows above them.
    QList<QWidget*> finestre;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (eFinestraDelProgramma(w) && w->isVisible())
            finestre.append(w);
    std::stable_partition(finestre.begin(), finestre.end(),
                          [this](const QWidget* w) { return w->size() == geometria_.schermo; });
    for (QWidget* w : finestre)
        w->raise();
    if (!finestre.isEmpty())
        finestre.first()->activateWindow();
    e->accept();
}

void Palco::monitorCambiato() {
    // The scale stays as the program started; the screen is centred again on the new size.
    const QSize m = monitor_->geometry().size();
    if (geometria_.schermo == palcoVirtuale)
        geometria_.origine = QPoint(int(std::lround((m.width() - palcoVirtuale.width()) / 2.0)),
                                    int(std::lround((m.height() - palcoVirtuale.height()) / 2.0)));
    if (schermoIntero_)
        impostaSchermoIntero(true);
}

bool Palco::eventFilter(QObject* oggetto, QEvent* evento) {
    if (evento->type() == QEvent::Show) {
        auto* w = qobject_cast<QWidget*>(oggetto);
        // The window manager then keeps the forms above the backdrop and on its monitor.
        if (eFinestraDelProgramma(w) && !w->parentWidget() && w->windowHandle() &&
            !w->windowHandle()->transientParent() && windowHandle())
            w->windowHandle()->setTransientParent(windowHandle());
    }
    return false;
}

} // namespace hn
