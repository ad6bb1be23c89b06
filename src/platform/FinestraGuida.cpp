#include "FinestraGuida.h"

#include "ErroreVB.h"
#include "FileSicuro.h"
#include "HostPaths.h"
#include "Palco.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>

namespace hn {

namespace {
QString avviso(const QString& testo) {
    return QStringLiteral("<h2>Pomoc</h2><p>%1</p>").arg(testo.toHtmlEscaped());
}

// A help file and what its pages name: a few pages and pictures, never this big.
constexpr qint64 DimensioneMassimaGuida = qint64(8) * 1024 * 1024;

// Pages and pictures come only from the help file's own folder and only from regular files of
// a sane size: a page naming /dev/zero, a FIFO or a file elsewhere gets nothing.
class BrowserGuida : public QTextBrowser {
public:
    void impostaCartella(const QString& cartella) {
        cartella_ = QFileInfo(cartella).canonicalFilePath();
    }

    // A refusal is an empty, valid value: a null one would let the document open the file
    // itself. A data: URL carries its bytes in the page and is left to the document.
    QVariant loadResource(int tipo, const QUrl& nome) override {
        Q_UNUSED(tipo);
        if (nome.scheme() == u"data")
            return {};
        const QVariant niente = QByteArray();
        if (cartella_.isEmpty() || nome.isEmpty() || !nome.host().isEmpty() ||
            !(nome.scheme().isEmpty() || nome.scheme() == u"file"))
            return niente;
        const QString file =
            QFileInfo(QDir(cartella_).absoluteFilePath(nome.path())).canonicalFilePath();
        if (file.isEmpty() || !file.startsWith(cartella_ + u'/'))
            return niente;
        try {
            return leggiFileRegolare(file, DimensioneMassimaGuida);
        } catch (const ErroreVB&) {
            return niente;
        }
    }

private:
    QString cartella_;
};

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
    const std::optional<QString> file = host().paths->toHost(helpFile);
    QString testo;
    bool troppoGrande = false;
    if (file) {
        try {
            dati = leggiFileRegolare(*file, DimensioneMassimaGuida);
        } catch (const ErroreVB& e) {
            troppoGrande = e.numero() == 7;
        }
    }
    if (troppoGrande)
        testo = avviso(
            QStringLiteral("Plik pomocy %1 jest zbyt duży, by go wyświetlić.").arg(helpFile));
    else if (!file || dati.isEmpty())
        testo = avviso(QStringLiteral("Nie znaleziono pliku pomocy %1.").arg(helpFile));
    else
        testo = contenutoGuida(dati);

    if (!finestra_) {
        finestra_ = new BrowserGuida;
        // A window of its own kept above the stage: a dialog-type one, which every window manager
        // keeps above its owner.
        if (QWidget* sopra = finestraPerDialoghi())
            finestra_->setParent(sopra, Qt::Dialog);
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
    static_cast<BrowserGuida*>(finestra_.data())
        ->impostaCartella(file ? QFileInfo(*file).absolutePath() : QString());
    finestra_->setHtml(testo);
    // The contents: the top of the file.
    finestra_->moveCursor(QTextCursor::Start);
    finestra_->show();
    finestra_->raise();
    finestra_->activateWindow();
}

} // namespace hn
