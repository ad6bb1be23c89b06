#pragma once

// The real host services, on Qt and POSIX. Only main() builds them.

#include "Host.h"

#include <functional>
#include <memory>

class QPrinter;

namespace hn {

class QtMessageBox : public MessageBoxService {
public:
    int show(const QString& text, int style, const QString& title) override;
};

// Ends through the application object's teardown, so the clipboard outlives the program, then
// at once: no form unloads, no window closes on its own.
class ExitProgramEnd : public ProgramEnd {
public:
    void endNow(int exitCode) override;
    // Run first: the start-up's threads are stopped there, before the application they use goes.
    std::function<void()> primaDellaFine;
};

class Palco;

// The forms are drawn for 640 × 480, 800 × 600 and 1024 × 768 displays; on any other monitor
// the stage presents a 1024 × 768 screen scaled to fit.
class QtScreen : public ScreenService {
public:
    explicit QtScreen(const Palco* palco = nullptr)
        : palco_(palco) {}
    ~QtScreen() override;
    int widthPixels() const override;
    int heightPixels() const override;
    double twipsPerPixelX() const override { return 15.0; }
    double twipsPerPixelY() const override { return 15.0; }
    bool scalaLiscia() const override;
    void setMousePointer(int pointer) override;
    int mousePointer() const override { return pointer_; }
    void doEvents() override;

private:
    // Puts pointer_ on the display.
    void mostraPuntatore();

    const Palco* palco_;
    int pointer_ = Puntatore::Predefinito;
    bool pushed_ = false; // an override cursor of ours is on the stack
    // Waiting for the stage's first window to show the pointer on.
    QMetaObject::Connection attesa_;
};

// A lock on a file in a folder, held by the kernel for as long as this process has it open: an
// instance that ends in any way (its own quick exit, a crash, SIGKILL) leaves no lock behind, and
// a start has nothing stale to look into. A file that cannot be locked at all (a folder that
// refuses it, another user's file in a shared /tmp) does not keep the program from starting.
class FileInstanceLock : public InstanceLock {
public:
    explicit FileInstanceLock(const QString& lockPath);
    ~FileInstanceLock() override;
    FileInstanceLock(const FileInstanceLock&) = delete;
    FileInstanceLock& operator=(const FileInstanceLock&) = delete;
    bool acquire() override;

private:
    QString percorso_;
    int fd_ = -1;
};

class QtClipboard : public ClipboardService {
public:
    void clear() override;
    void put(const ClipboardContents& contents) override;
    ClipboardContents contents() const override;
};

// Qt's own Polish texts (Debian's qt6-translations-l10n), so that the stock dialogs and buttons
// speak the program's language. False when they are not installed: Qt then speaks English.
bool caricaTraduzioniQt();

// QFileDialog over the prefix: opens in the host folder of the Windows folder asked for and maps
// the chosen file back to Windows form. Its columns take the width of what they show.
class QtFileChooser : public FileChooserService {
public:
    std::optional<QString> saveAs(const QString& filter, const QString& initialFolder,
                                  const QString& fileName) override;
};

// Where printer documents go. Automatic: the system's default printer when there is one, else
// numbered PDF files in `cartella` (empty: the user's documents folder). PdfInCartella: always
// those files. FilePdf: every document replaces the one file `file` (tests).
struct DestinazioneStampa {
    enum Modo { Automatico, PdfInCartella, FilePdf };
    Modo modo = Automatico;
    QString cartella;
    QString file;

    // From HNEMAR_PRINTER: "pdf:FOLDER" (or "pdf" for the documents folder) sends every document
    // to a file; anything else leaves the choice to the system.
    static DestinazioneStampa dallAmbiente();
};

// The printer object on Qt: CUPS through QPrinter, or PDF files. A printer that cannot take the
// document raises 482. A PDF file that cannot be written raises 61 (the disk is full, so a retry
// may succeed) or 75 (anything else), with a description that names the file and the reason.
// After the first job that wrote files the user is told once where they are.
class QtPrinter : public PrinterService {
public:
    explicit QtPrinter(DestinazioneStampa destinazione = {});
    explicit QtPrinter(QString pdfFile);
    ~QtPrinter() override;
    void startDocument(const QString& title) override;
    void newPage() override;
    void endDocument() override;
    QPainter* painter() override;
    double unitsPerTwip() const override;
    QSizeF pageSizeTwips() const override;
    QRectF printableRectTwips() const override;
    void fineLavoro() override;
    // The file the last document went to, when it went to a file.
    const QString& outputFile() const { return output_; }

private:
    QString prossimoFile() const;
    QString cartellaPdf() const;

    DestinazioneStampa destinazione_;
    QString output_;
    // Where the PDF is written until it is whole; renamed to output_ then.
    QString scrittura_;
    bool avvisato_ = false;
    QStringList scrittiNelLavoro_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
};

} // namespace hn
