#include "ServiziReali.h"

#include "ErroreVB.h"
#include "FileSicuro.h"
#include "HostPaths.h"
#include "Palco.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace hn {

int QtMessageBox::show(const QString& text, int style, const QString& title) {
    // Above the stage, and the keyboard back to the stage's window that had it once closed.
    QMessageBox box(finestraPerDialoghi());
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
    if (primaDellaFine)
        primaDellaFine();
    std::fflush(stdout);
    std::fflush(stderr);
    // Qt's own teardown, without the forms' unload events: it hands what the program put on the
    // clipboard to the desktop's clipboard manager, which a bare _exit would take along. The
    // application object lives in main(); the process ends here, before anything could use it
    // again.
    if (QCoreApplication* app = QCoreApplication::instance())
        app->~QCoreApplication();
    ::_exit(exitCode);
}

namespace {
// Without a stage (tests, tools) the primary screen is measured as it is.
GeometriaPalco senzaPalco() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return calcolaPalco(s ? s->geometry().size() : QSize(), ModoScala::Adatta);
}
} // namespace

int QtScreen::widthPixels() const {
    return (palco_ ? palco_->geometria() : senzaPalco()).schermo.width();
}
int QtScreen::heightPixels() const {
    return (palco_ ? palco_->geometria() : senzaPalco()).schermo.height();
}
bool QtScreen::scalaLiscia() const {
    return palco_ && !palco_->geometria().nitido;
}

QtScreen::~QtScreen() {
    QObject::disconnect(attesa_);
}

void QtScreen::setMousePointer(int pointer) {
    if (pointer == pointer_)
        return;
    pointer_ = pointer;
    // Before the stage shows anything there is nothing to point at: the start-up's hourglass
    // would only cost loading the cursor theme ahead of the first frame. The pointer asked for
    // last is shown with the first window.
    if (palco_ && palco_->vuoto()) {
        if (!attesa_)
            attesa_ = QObject::connect(palco_, &Palco::primaFinestra, palco_, [this] {
                QObject::disconnect(attesa_);
                mostraPuntatore();
            });
        return;
    }
    mostraPuntatore();
}

void QtScreen::mostraPuntatore() {
    // Only what this screen pushed is popped: another override belongs to someone else.
    if (pushed_)
        QGuiApplication::restoreOverrideCursor();
    pushed_ = false;
    if (pointer_ == Puntatore::Clessidra || pointer_ == Puntatore::Personalizzato) {
        QGuiApplication::setOverrideCursor(
            QCursor(pointer_ == Puntatore::Clessidra ? Qt::WaitCursor : Qt::PointingHandCursor));
        pushed_ = true;
        // The hourglass comes before long work that lets no event run: it must reach the display
        // now, or the pointer of the hotspot just clicked stays on screen while the work goes on.
        if (pointer_ == Puntatore::Clessidra)
            consegnaAlDisplay();
    }
}

void QtScreen::doEvents() {
    QCoreApplication::processEvents();
}

FileInstanceLock::FileInstanceLock(const QString& lockPath)
    : percorso_(lockPath) {}

FileInstanceLock::~FileInstanceLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileInstanceLock::acquire() {
    if (fd_ >= 0)
        return true;
    // Never through a link, and never waiting on whatever else might be in the file's place.
    const int fd = ::open(QFile::encodeName(percorso_).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return true;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return true;
    }
    // flock, not fcntl: it is per open file, so a second lock in this process is refused too.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        fd_ = fd;
        return true;
    }
    const bool altro = errno == EWOULDBLOCK;
    ::close(fd);
    return !altro;
}

void QtClipboard::clear() {
    QGuiApplication::clipboard()->clear();
}

namespace {
QByteArray codificaImmagine(const QImage& immagine, const char* formato) {
    QByteArray dati;
    QBuffer buffer(&dati);
    buffer.open(QIODevice::WriteOnly);
    immagine.save(&buffer, formato);
    return dati;
}
} // namespace

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
    if (!c.image.isNull()) {
        // Both forms offered outright: image editors on X11 ask for PNG, office suites
        // often for BMP.
        dati->setImageData(c.image);
        dati->setData(QStringLiteral("image/png"), codificaImmagine(c.image, "PNG"));
        dati->setData(QStringLiteral("image/bmp"), codificaImmagine(c.image, "BMP"));
    }
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

bool caricaTraduzioniQt() {
    // Dates and sizes in the chooser as a Polish user writes them.
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    auto* traduttore = new QTranslator(qApp);
    if (!traduttore->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traduttore;
        return false;
    }
    QCoreApplication::installTranslator(traduttore);
    return true;
}

namespace {

// Each column as wide as what it shows: names, sizes and dates are not cut short.
void colonneAlContenuto(QFileDialog& dialogo) {
    if (auto* vista = dialogo.findChild<QTreeView*>())
        vista->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

} // namespace

std::optional<QString> QtFileChooser::saveAs(const QString& filter, const QString& initialFolder,
                                             const QString& fileName) {
    // "description|pattern|…" pairs become Qt's "description (pattern);;…"; a bare pattern is
    // its own description.
    const QStringList parti = filter.split(u'|');
    QStringList filtri;
    if (parti.size() < 2) {
        filtri.append(filter);
    } else {
        for (qsizetype i = 0; i + 1 < parti.size(); i += 2)
            filtri.append(parti[i] + QStringLiteral(" (") + parti[i + 1] + u')');
    }
    QString cartella;
    if (!initialFolder.isEmpty())
        cartella = host().paths->toHost(initialFolder).value_or(QString());
    if (cartella.isEmpty() || !QFileInfo(cartella).isDir())
        cartella = QDir::currentPath();

    QFileDialog dialogo(finestraPerDialoghi(), QStringLiteral("Zapisz jako"), cartella);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setFileMode(QFileDialog::AnyFile);
    // Copies are appended to the file: asking to replace it would say the wrong thing. The
    // non-native dialog is the one whose labels we can give in Polish.
    dialogo.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    dialogo.setNameFilters(filtri);
    dialogo.setLabelText(QFileDialog::LookIn, QStringLiteral("Zapisz w:"));
    dialogo.setLabelText(QFileDialog::FileName, QStringLiteral("Nazwa pliku:"));
    dialogo.setLabelText(QFileDialog::FileType, QStringLiteral("Zapisz jako typ:"));
    dialogo.setLabelText(QFileDialog::Accept, QStringLiteral("Zapisz"));
    dialogo.setLabelText(QFileDialog::Reject, QStringLiteral("Anuluj"));
    dialogo.selectFile(fileName);
    colonneAlContenuto(dialogo);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty())
        return std::nullopt;
    const QString scelto = dialogo.selectedFiles().constFirst();
    return host().paths->toWindows(scelto);
}

DestinazioneStampa DestinazioneStampa::dallAmbiente() {
    const QString valore = qEnvironmentVariable("HNEMAR_PRINTER").trimmed();
    DestinazioneStampa d;
    if (valore.compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0 ||
        valore.startsWith(QStringLiteral("pdf:"), Qt::CaseInsensitive)) {
        d.modo = PdfInCartella;
        d.cartella = valore.mid(4);
    }
    return d;
}

// A PDF of a run that was killed never got its name: what is left of it goes at the next start.
QtPrinter::QtPrinter(DestinazioneStampa destinazione)
    : destinazione_(std::move(destinazione)) {
    pulisciAvanzi(cartellaPdf());
}

QtPrinter::QtPrinter(QString pdfFile)
    : destinazione_{DestinazioneStampa::FilePdf, {}, std::move(pdfFile)} {
    pulisciAvanzi(cartellaPdf());
}

QtPrinter::~QtPrinter() {
    if (painter_)
        painter_->end();
    if (!scrittura_.isEmpty())
        rimuoviFile(scrittura_);
}

QString QtPrinter::cartellaPdf() const {
    if (destinazione_.modo == DestinazioneStampa::FilePdf)
        return destinazione_.file.isEmpty() ? QString() : QFileInfo(destinazione_.file).path();
    return destinazione_.cartella.isEmpty()
               ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
               : destinazione_.cartella;
}

namespace {

QString nativo(const QString& percorso) {
    return QDir::toNativeSeparators(percorso);
}

[[noreturn]] void nonScrivibile(const QString& file, const QString& perche,
                                int numero = Errore::AccessoPercorso) {
    throw ErroreVB(
        numero,
        QStringLiteral("Nie można zapisać wydruku w pliku:\n%1\n\n%2").arg(nativo(file), perche));
}

// The print job's handler knows a full disk (retry) and everything else (75).
int numeroScrittura(const ErroreVB& e) {
    return e.numero() == Errore::DiscoPieno ? Errore::DiscoPieno : Errore::AccessoPercorso;
}

// Below this much free space a PDF that could not be finished is taken for a full disk.
constexpr qint64 kSpazioMinimo = 256 * 1024;

bool discoPieno(const QString& cartella) {
    const QStorageInfo disco(cartella);
    return disco.isValid() && disco.bytesAvailable() >= 0 && disco.bytesAvailable() < kSpazioMinimo;
}

// Why a folder cannot be made or written to, in the user's words: the first folder on the way
// that is a file or may not be written.
QString perCartella(const QString& cartella) {
    QString c = QDir::cleanPath(cartella);
    while (!QFileInfo::exists(c) && QFileInfo(c).path() != c)
        c = QFileInfo(c).path();
    const QFileInfo fi(c);
    if (!fi.isDir())
        return QStringLiteral("„%1” jest plikiem, a nie folderem.").arg(nativo(c));
    if (!fi.isWritable())
        return QStringLiteral("Folder %1 jest tylko do odczytu.").arg(nativo(c));
    if (discoPieno(c))
        return QStringLiteral("Na dysku zabrakło miejsca.");
    return QStringLiteral("Nie można zapisywać w folderze %1.").arg(nativo(c));
}

// Why a file cannot be opened for writing.
QString perFile(const QString& file) {
    const QFileInfo fi(file);
    if (fi.isDir())
        return QStringLiteral("W tym miejscu jest folder o tej samej nazwie.");
    if (fi.exists() && !fi.isFile())
        return QStringLiteral("W tym miejscu jest coś, co nie jest zwykłym plikiem "
                              "(potok, gniazdo lub urządzenie).");
    if (fi.exists() && !fi.isWritable())
        return QStringLiteral("Plik jest tylko do odczytu.");
    return perCartella(fi.path());
}

} // namespace

// "HNemar-001.pdf", "HNemar-002.pdf" …: one past the highest number already in the folder, so
// nothing the user keeps there is overwritten and the files sort in the order they were printed.
// Every entry counts, not only files: a folder or a pipe of such a name is passed over too.
QString QtPrinter::prossimoFile() const {
    const QString cartella = cartellaPdf();
    if (cartella.isEmpty())
        throw ErroreVB(Errore::AccessoPercorso,
                       QStringLiteral("Nie można zapisać wydruku: nie ma folderu dokumentów."));
    if (!QDir().mkpath(cartella))
        throw ErroreVB(Errore::AccessoPercorso,
                       QStringLiteral("Nie można utworzyć folderu na wydruki:\n%1\n\n%2")
                           .arg(nativo(cartella), perCartella(cartella)));
    static const QRegularExpression numerato(QStringLiteral("^HNemar-(\\d+)\\.pdf$"),
                                             QRegularExpression::CaseInsensitiveOption);
    int ultimo = 0;
    const QStringList nomi = QDir(cartella).entryList(QDir::AllEntries | QDir::System |
                                                      QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& nome : nomi) {
        const auto m = numerato.match(nome);
        if (m.hasMatch())
            ultimo = std::max(ultimo, m.captured(1).toInt());
    }
    return QDir(cartella).absoluteFilePath(
        QStringLiteral("HNemar-%1.pdf").arg(ultimo + 1, 3, 10, QLatin1Char('0')));
}

void QtPrinter::startDocument(const QString& title) {
    if (painter_)
        throw ErroreVB(Errore::Stampante);
    output_.clear();
    const bool suFile = destinazione_.modo != DestinazioneStampa::Automatico ||
                        QPrinterInfo::defaultPrinter().isNull();
    if (suFile) {
        output_ =
            destinazione_.modo == DestinazioneStampa::FilePdf ? destinazione_.file : prossimoFile();
        // Only a regular file is opened for writing: a pipe would hold the program until
        // something read it, a device or a folder would never hold a PDF.
        if (QFileInfo(output_).exists() && !QFileInfo(output_).isFile())
            nonScrivibile(output_, perFile(output_));
        // Written beside and renamed once whole: a killed run never leaves half a PDF under a
        // name the user sees, nor one the next print would number past.
        try {
            scrittura_ = fileAccanto(output_);
        } catch (const ErroreVB& e) {
            nonScrivibile(output_, perFile(output_), numeroScrittura(e));
        }
    }
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setDocName(title);
    if (suFile) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(scrittura_);
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        printer_.reset();
        if (suFile) {
            rimuoviFile(std::exchange(scrittura_, {}));
            nonScrivibile(output_, perFile(output_));
        }
        throw ErroreVB(Errore::Stampante);
    }
}

void QtPrinter::newPage() {
    if (!printer_ || !printer_->newPage())
        throw ErroreVB(Errore::Stampante);
}

namespace {

// A PDF the writer could not finish (disk full, file gone) lacks its closing marker.
bool pdfCompleto(const QString& percorso) {
    try {
        return leggiCoda(percorso, 64).contains("%%EOF");
    } catch (const ErroreVB&) {
        return false;
    }
}

} // namespace

void QtPrinter::endDocument() {
    if (!painter_)
        return;
    const bool chiuso = painter_->end();
    painter_.reset();
    printer_.reset();
    if (output_.isEmpty()) {
        if (!chiuso)
            throw ErroreVB(Errore::Stampante);
        return;
    }
    const QString scritto = std::exchange(scrittura_, {});
    if (!chiuso || !pdfCompleto(scritto)) {
        // Measured before the unfinished file gives its space back.
        const bool pieno = discoPieno(QFileInfo(output_).path());
        rimuoviFile(scritto);
        if (pieno)
            nonScrivibile(output_,
                          QStringLiteral("Na dysku zabrakło miejsca. Zwolnij trochę miejsca "
                                         "i wybierz „Ponów próbę”, aby wydrukować jeszcze raz."),
                          Errore::DiscoPieno);
        nonScrivibile(output_, QStringLiteral("Zapis pliku nie powiódł się."));
    }
    // A file named by the caller is replaced; a numbered one never takes the place of a file
    // that appeared meanwhile, it takes the next number.
    const bool sostituisci = destinazione_.modo == DestinazioneStampa::FilePdf;
    for (int prova = 0;; ++prova) {
        try {
            mettiAlPosto(scritto, output_, sostituisci);
            break;
        } catch (const ErroreVB& e) {
            if (e.numero() == Errore::FileEsistente && prova < 1000) {
                output_ = prossimoFile();
                continue;
            }
            rimuoviFile(scritto);
            nonScrivibile(output_, perFile(output_), numeroScrittura(e));
        }
    }
    if (destinazione_.modo != DestinazioneStampa::FilePdf)
        scrittiNelLavoro_.append(output_);
}

void QtPrinter::fineLavoro() {
    const QStringList scritti = std::exchange(scrittiNelLavoro_, {});
    if (scritti.isEmpty() || avvisato_)
        return;
    avvisato_ = true;
    QStringList nomi;
    for (const QString& f : scritti)
        nomi.append(nativo(f));
    const QString perche = destinazione_.modo == DestinazioneStampa::Automatico
                               ? QStringLiteral("Nie znaleziono drukarki, więc wydruk ")
                               : QStringLiteral("Wydruk ");
    const QString come = nomi.size() == 1 ? QStringLiteral("zapisano jako plik PDF:\n")
                                          : QStringLiteral("zapisano jako pliki PDF:\n");
    MsgBox(perche + come + nomi.join(u'\n') +
               QStringLiteral("\n\nKolejne wydruki trafią do tego samego folderu."),
           Stile::OK | Stile::Informazione);
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
