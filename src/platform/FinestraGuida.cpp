#include "FinestraGuida.h"

#include "HostPaths.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>

namespace hn {

namespace {
QString avviso(const QString& testo) {
    return QStringLiteral("<h2>Pomoc</h2><p>%1</p>").arg(testo.toHtmlEscaped());
}
} // namespace

QString contenutoGuida(const QByteArray& dati) {
    // Old binary help files start with this signature; they cannot be shown here.
    if (dati.startsWith(QByteArray::fromHex("3f5f0300")))
        return avviso(QStringLiteral("Ten plik pomocy ma format, którego program nie wyświetla."));
    if (dati.isEmpty() || dati.contains('\0'))
        return avviso(QStringLiteral("Plik pomocy jest pusty albo uszkodzony."));
    return QString::fromUtf8(dati);
}

FinestraGuida::~FinestraGuida() {
    delete finestra_;
}

void FinestraGuida::showContents(const QString& helpFile) {
    QByteArray dati;
    const std::optional<QString> file =
        host().paths ? host().paths->toHost(helpFile) : std::nullopt;
    QString testo;
    if (file) {
        QFile f(*file);
        if (f.open(QIODevice::ReadOnly))
            dati = f.read(4 * 1024 * 1024);
    }
    testo = file && !dati.isEmpty()
                ? contenutoGuida(dati)
                : avviso(QStringLiteral("Nie znaleziono pliku pomocy %1.").arg(helpFile));

    if (!finestra_) {
        finestra_ = new QTextBrowser;
        finestra_->setAttribute(Qt::WA_DeleteOnClose, false);
        finestra_->setWindowTitle(QStringLiteral("Pomoc"));
        finestra_->setOpenExternalLinks(false);
        finestra_->resize(560, 560);
        // Without a window manager there is no close box: Escape closes it.
        auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), finestra_);
        QObject::connect(esc, &QShortcut::activated, finestra_.data(), &QWidget::close);
        if (QScreen* schermo = QGuiApplication::primaryScreen()) {
            QRect r(QPoint(), finestra_->size());
            r.moveCenter(schermo->geometry().center());
            finestra_->move(r.topLeft());
        }
    }
    finestra_->setHtml(testo);
    // The contents: the top of the file.
    finestra_->moveCursor(QTextCursor::Start);
    finestra_->show();
    finestra_->raise();
    finestra_->activateWindow();
}

} // namespace hn
