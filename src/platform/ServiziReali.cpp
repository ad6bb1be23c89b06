#include "ServiziReali.h"

#include "ErroreVB.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <unistd.h>

namespace hn {

int QtMessageBox::show(const QString& text, int style, const QString& title) {
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? titoloApplicazione() : title);
    box.setText(text);
    switch (style & 0x70) {
    case Stile::Critico:
        box.setIcon(QMessageBox::Critical);
        break;
    case Stile::Domanda:
        box.setIcon(QMessageBox::Question);
        break;
    case Stile::Esclamativo:
        box.setIcon(QMessageBox::Warning);
        break;
    case Stile::Informazione:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    const QList<int> risposte = pulsantiDelloStile(style);
    QList<QPushButton*> pulsanti;
    // One role for all keeps the buttons in the order the style names them, as on Windows.
    for (int r : risposte) {
        static const QHash<int, QString> testi = {
            {Risposta::OK, QStringLiteral("OK")},
            {Risposta::Annulla, QStringLiteral("Anuluj")},
            {Risposta::Interrompi, QStringLiteral("Przerwij")},
            {Risposta::Riprova, QStringLiteral("Ponów próbę")},
            {Risposta::Ignora, QStringLiteral("Ignoruj")},
            {Risposta::Si, QStringLiteral("Tak")},
            {Risposta::No, QStringLiteral("Nie")},
        };
        pulsanti.append(box.addButton(testi.value(r), QMessageBox::ActionRole));
    }
    const int predefinito = (style & Stile::TerzoPulsante)     ? 2
                            : (style & Stile::SecondoPulsante) ? 1
                                                               : 0;
    if (predefinito < pulsanti.size())
        box.setDefaultButton(pulsanti[predefinito]);
    // Esc and closing answer like Cancel where there is one, or like the only button; a box
    // asking Yes or No, or Abort, Retry or Ignore, waits for one of its buttons.
    const int chiusura = rispostaDiChiusura(style);
    if (const qsizetype i = risposte.indexOf(chiusura); i >= 0)
        box.setEscapeButton(pulsanti[i]);
    for (;;) {
        box.exec();
        const qsizetype scelto = pulsanti.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
        if (scelto >= 0)
            return risposte[scelto];
        if (chiusura != 0)
            return chiusura;
    }
}

void ExitProgramEnd::endNow(int exitCode) {
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(exitCode);
}

namespace {
QSize modoVirtuale() {
    const QScreen* s = QGuiApplication::primaryScreen();
    const QSize reale = s ? s->geometry().size() : QSize(1024, 768);
    if (reale.width() >= 1024 && reale.height() >= 768)
        return {1024, 768};
    return reale;
}
} // namespace

int QtScreen::widthPixels() const {
    return modoVirtuale().width();
}
int QtScreen::heightPixels() const {
    return modoVirtuale().height();
}

void QtScreen::setMousePointer(int pointer) {
    if (pointer == pointer_)
        return;
    // Only what this screen pushed is popped: another override belongs to someone else.
    if (pushed_)
        QGuiApplication::restoreOverrideCursor();
    pushed_ = false;
    pointer_ = pointer;
    if (pointer == Puntatore::Clessidra || pointer == Puntatore::Personalizzato) {
        QGuiApplication::setOverrideCursor(
            QCursor(pointer == Puntatore::Clessidra ? Qt::WaitCursor : Qt::PointingHandCursor));
        pushed_ = true;
    }
}

void QtScreen::doEvents() {
    QCoreApplication::processEvents();
}

FileInstanceLock::FileInstanceLock(const QString& lockPath)
    : lock_(lockPath) {
    lock_.setStaleLockTime(0);
}

bool FileInstanceLock::acquire() {
    if (lock_.isLocked())
        return true;
    return lock_.tryLock(0);
}

void QtClipboard::clear() {
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::put(const ClipboardContents& c) {
    auto* dati = new QMimeData;
    if (!c.rtf.isEmpty()) {
        dati->setData(QStringLiteral("text/rtf"), c.rtf);
        dati->setData(QStringLiteral("application/rtf"), c.rtf);
    }
    if (!c.html.isEmpty())
        dati->setHtml(c.html);
    if (!c.text.isEmpty())
        dati->setText(c.text);
    if (!c.image.isNull())
        dati->setImageData(c.image);
    QGuiApplication::clipboard()->setMimeData(dati);
}

ClipboardContents QtClipboard::contents() const {
    ClipboardContents c;
    if (const QMimeData* d = QGuiApplication::clipboard()->mimeData()) {
        c.rtf = d->data(QStringLiteral("text/rtf"));
        if (c.rtf.isEmpty())
            c.rtf = d->data(QStringLiteral("application/rtf"));
        c.html = d->html();
        c.text = d->text();
        if (d->hasImage())
            c.image = qvariant_cast<QImage>(d->imageData());
    }
    return c;
}

QtPrinter::QtPrinter(QString pdfFile)
    : pdfFile_(std::move(pdfFile)) {}

QtPrinter::~QtPrinter() {
    if (painter_)
        painter_->end();
}

void QtPrinter::startDocument(const QString& title) {
    if (painter_)
        throw ErroreVB(Errore::Stampante);
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setDocName(title);
    output_.clear();
    if (!pdfFile_.isEmpty() || QPrinterInfo::defaultPrinter().isNull()) {
        output_ = pdfFile_;
        if (output_.isEmpty()) {
            const QString cartella =
                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            QDir().mkpath(cartella);
            output_ = cartella + QStringLiteral("/HNemar-") +
                      QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                      QStringLiteral(".pdf");
        }
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(output_);
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        printer_.reset();
        throw ErroreVB(Errore::Stampante);
    }
}

void QtPrinter::newPage() {
    if (!printer_ || !printer_->newPage())
        throw ErroreVB(Errore::Stampante);
}

void QtPrinter::endDocument() {
    if (painter_)
        painter_->end();
    painter_.reset();
    printer_.reset();
}

QPainter* QtPrinter::painter() {
    return painter_.get();
}

double QtPrinter::unitsPerTwip() const {
    return printer_ ? printer_->resolution() / 1440.0 : 1200.0 / 1440.0;
}

QSizeF QtPrinter::pageSizeTwips() const {
    if (!printer_)
        return QPageSize(QPageSize::A4).size(QPageSize::Point) * 20.0;
    return printer_->pageLayout().fullRect(QPageLayout::Point).size() * 20.0;
}

QRectF QtPrinter::printableRectTwips() const {
    if (!printer_)
        return {};
    const QRectF r = printer_->pageRect(QPrinter::Point);
    return {r.x() * 20.0, r.y() * 20.0, r.width() * 20.0, r.height() * 20.0};
}

} // namespace hn
