#pragma once

// The host layer: every service the program takes from the desktop, each behind a small
// interface. Logic reaches them through host(); main() installs the real ones, tests install
// doubles (tests/support), and a neutral default stands in for any that is not installed.

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

class QPainter;

namespace hn {

class HostPaths;

// Style bits of a message box: buttons in the low nibble, icon, default button.
namespace Stile {
inline constexpr int OK = 0;
inline constexpr int OKAnnulla = 1;
inline constexpr int InterrompiRiprovaIgnora = 2;
inline constexpr int SiNoAnnulla = 3;
inline constexpr int SiNo = 4;
inline constexpr int RiprovaAnnulla = 5;
inline constexpr int Critico = 16;
inline constexpr int Domanda = 32;
inline constexpr int Esclamativo = 48;
inline constexpr int Informazione = 64;
inline constexpr int SecondoPulsante = 256;
inline constexpr int TerzoPulsante = 512;
} // namespace Stile

// Buttons a message box answers with.
namespace Risposta {
inline constexpr int OK = 1;
inline constexpr int Annulla = 2;
inline constexpr int Interrompi = 3;
inline constexpr int Riprova = 4;
inline constexpr int Ignora = 5;
inline constexpr int Si = 6;
inline constexpr int No = 7;
} // namespace Risposta

// The buttons a style shows, in order, as answers.
QList<int> pulsantiDelloStile(int stile);
// What Esc or closing the box answers: Cancel where the style has it, else its only button;
// 0 when neither (Yes/No, Abort/Retry/Ignore): such a box must be answered with a button.
int rispostaDiChiusura(int stile);

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // An empty title shows the program's title. Returns the button pressed.
    virtual int show(const QString& text, int style, const QString& title) = 0;
};

class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    // Ends the process at once: no unload events. A test double throws instead.
    virtual void endNow(int exitCode) = 0;
};

// Mouse pointer values.
namespace Puntatore {
inline constexpr int Predefinito = 0;
inline constexpr int Clessidra = 11;
inline constexpr int Personalizzato = 99;
} // namespace Puntatore

class ScreenService {
public:
    virtual ~ScreenService() = default;
    virtual int widthPixels() const = 0;
    virtual int heightPixels() const = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
    // True when the screen is scaled by a fraction, so pictures are smoothed rather than
    // shown with uneven pixels.
    virtual bool scalaLiscia() const { return false; }
    virtual void setMousePointer(int pointer) = 0;
    virtual int mousePointer() const = 0;
    // Lets queued window events (paint and the like) run once.
    virtual void doEvents() = 0;
};

class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this is the only running instance; the lock is held until the process ends.
    virtual bool acquire() = 0;
};

// What one copy puts on the clipboard; empty members are not offered.
struct ClipboardContents {
    QByteArray rtf;
    QString html;
    QString text;
    QImage image;
};

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual void clear() = 0;
    // Replaces the clipboard with these formats together.
    virtual void put(const ClipboardContents& contents) = 0;
    virtual ClipboardContents contents() const = 0;
};

// The printer object: one document at a time, painted in device units.
class PrinterService {
public:
    virtual ~PrinterService() = default;
    // Starts a document; throws ErroreVB 482 when the printer cannot be opened.
    virtual void startDocument(const QString& title) = 0;
    virtual void newPage() = 0;
    // Ends the document: only now do the pages leave for the printer.
    virtual void endDocument() = 0;
    // Open between startDocument and endDocument, else null.
    virtual QPainter* painter() = 0;
    // Device units per twip (printer dots per inch / 1440).
    virtual double unitsPerTwip() const = 0;
    virtual QSizeF pageSizeTwips() const = 0;
    // The printable area in twips, relative to the page's top-left corner.
    virtual QRectF printableRectTwips() const = 0;
    // The print job is over, every document of it ended: a printer that wrote files may now say
    // where they are.
    virtual void fineLavoro() {}
    // False when there is nothing to print on: a print job then stops with 482 before it lays
    // anything out.
    virtual bool installata() const { return true; }
};

// The help viewer: opens a help file, named by a Windows path, at its contents, in a window of
// its own; the caller does not wait for it.
class HelpViewerService {
public:
    virtual ~HelpViewerService() = default;
    virtual void showContents(const QString& helpFile) = 0;
};

// The save-as chooser. Folder and names are Windows-form paths in and out; the host maps the
// chosen file back to a drive letter.
class FileChooserService {
public:
    virtual ~FileChooserService() = default;
    // filter: "description|pattern", or a bare pattern such as "*.rtf". An empty folder leaves
    // the choice of starting place to the host. Empty when the user cancels.
    virtual std::optional<QString> saveAs(const QString& filter, const QString& initialFolder,
                                          const QString& fileName) = 0;
};

// What stands in for a service nobody installed, one neutral world: a 1024 × 768 screen at
// 15 twips per pixel, paths that map no file, a message box that writes its text to stderr and
// answers as if closed (else with its first button), no printer, a clipboard that keeps nothing,
// a chooser that is cancelled, no help, no other instance, and an end that exits at once.
template <class S> S& servizioPredefinito();
template <> MessageBoxService& servizioPredefinito<MessageBoxService>();
template <> ProgramEnd& servizioPredefinito<ProgramEnd>();
template <> ScreenService& servizioPredefinito<ScreenService>();
template <> HostPaths& servizioPredefinito<HostPaths>();
template <> InstanceLock& servizioPredefinito<InstanceLock>();
template <> ClipboardService& servizioPredefinito<ClipboardService>();
template <> PrinterService& servizioPredefinito<PrinterService>();
template <> HelpViewerService& servizioPredefinito<HelpViewerService>();
template <> FileChooserService& servizioPredefinito<FileChooserService>();

// A service that is always there: given none (null), it holds the default above, so no caller
// ever asks whether it exists. A question the logic does need (is there a printer?) is one the
// service answers.
template <class S> class Servizio {
public:
    // Implicit, so that a Host is written as the list of its services.
    Servizio(S* s = nullptr)
        : s_(s ? s : &servizioPredefinito<S>()) {}
    S* operator->() const { return s_; }
    S& operator*() const { return *s_; }

private:
    S* s_;
};

// The services left out of a list are the defaults.
struct Host {
    Servizio<MessageBoxService> messageBox{};
    Servizio<ProgramEnd> programEnd{};
    Servizio<ScreenService> screen{};
    Servizio<HostPaths> paths{};
    Servizio<InstanceLock> instance{};
    Servizio<ClipboardService> clipboard{};
    Servizio<PrinterService> printer{};
    Servizio<HelpViewerService> help{};
    Servizio<FileChooserService> fileChooser{};
};

// Every member is always a service: the defaults stand where nothing was installed.
Host& host();
void setHost(const Host& h);

// The program's title, shown on message boxes that give none.
QString titoloApplicazione();

// Shorthands used all over the logic.
int MsgBox(const QString& testo, int stile = Stile::OK, const QString& titolo = {});
[[noreturn]] void TerminaProgramma(int codice = 0);
void DoEvents();
void ImpostaPuntatoreSchermo(int puntatore);

// Sets the painter's picture scaling to suit the screen's scale.
void preparaPittore(QPainter& pittore);

} // namespace hn
