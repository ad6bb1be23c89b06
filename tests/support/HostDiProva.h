#pragma once

// Test doubles of the host services and a temporary prefix to run the real logic against.

#include "Host.h"
#include "HostPaths.h"
#include "ServiziReali.h"

#include <QList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <stdexcept>

namespace hn::prova {

// Thrown where the real program would have ended, so the test sees the code path stop.
struct ProgrammaTerminato : std::runtime_error {
    explicit ProgrammaTerminato(int c)
        : std::runtime_error("program ended")
        , codice(c) {}
    int codice;
};

struct BoxMostrato {
    QString testo;
    int stile;
    QString titolo;
};

// Records every box and answers from a script. A box with one button needs no script. A box
// with a choice throws std::logic_error, failing the test instead of answering for ever, when
// the script has run out, or when there never was one and such boxes keep coming (a prompt that
// never ends); an answer the box does not offer throws too.
class ScriptedMessageBox : public MessageBoxService {
public:
    int show(const QString& text, int style, const QString& title) override;
    QList<BoxMostrato> mostrati;
    QList<int> risposte;
    // Runs before each answer, so a test can change the world the way a user would (insert
    // the disc, free the printer) before choosing Retry.
    std::function<void(const BoxMostrato&)> primaDiRispondere;

private:
    bool copione_ = false;
    int scelteSenzaCopione_ = 0;
};

class RecordingProgramEnd : public ProgramEnd {
public:
    void endNow(int exitCode) override;
    bool terminato = false;
    int codice = -1;
};

class FixedScreen : public ScreenService {
public:
    FixedScreen(int w = 1024, int h = 768)
        : w_(w)
        , h_(h) {}
    int widthPixels() const override { return w_; }
    int heightPixels() const override { return h_; }
    double twipsPerPixelX() const override { return 15.0; }
    double twipsPerPixelY() const override { return 15.0; }
    bool scalaLiscia() const override { return false; }
    void setMousePointer(int p) override {
        puntatore = p;
        storiaPuntatore.append(p);
    }
    int mousePointer() const override { return puntatore; }
    void doEvents() override { ++eventiLasciati; }

    void setSize(int w, int h) {
        w_ = w;
        h_ = h;
    }
    int puntatore = Puntatore::Predefinito;
    QList<int> storiaPuntatore;
    int eventiLasciati = 0;

private:
    int w_, h_;
};

class RecordingClipboard : public ClipboardService {
public:
    void clear() override { corrente = {}; }
    void put(const ClipboardContents& c) override { corrente = c; }
    ClipboardContents contents() const override { return corrente; }
    ClipboardContents corrente;
};

class RecordingHelpViewer : public HelpViewerService {
public:
    void showContents(const QString& helpFile) override { aperti.append(helpFile); }
    QStringList aperti;
};

struct SceltaChiesta {
    QString filtro, cartella, nome;
};

// Records what the chooser was opened with and answers from a script: a Windows path chosen, or
// nullopt for Cancel (also the answer once the script is used up).
class ScriptedFileChooser : public FileChooserService {
public:
    std::optional<QString> saveAs(const QString& filter, const QString& initialFolder,
                                  const QString& fileName) override {
        chieste.append({filter, initialFolder, fileName});
        return risposte.isEmpty() ? std::nullopt : risposte.takeFirst();
    }
    QList<SceltaChiesta> chieste;
    QList<std::optional<QString>> risposte;
};

// Installs a full set of doubles over a fresh temporary prefix for the life of the object, and
// puts the previous host back afterwards.
class HostDiProva {
public:
    HostDiProva(int larghezza = 1024, int altezza = 768);
    ~HostDiProva();
    HostDiProva(const HostDiProva&) = delete;
    HostDiProva& operator=(const HostDiProva&) = delete;

    // Runs on another prefix folder from now on (for instance a copy of an installation).
    void usaPrefisso(const QString& cartellaPrefisso);

    // The host path of a Windows path in the prefix (parent folders made as needed).
    QString percorsoHost(const QString& windowsPath) const;
    void scriviFile(const QString& windowsPath, const QByteArray& contenuto) const;
    QByteArray leggiFile(const QString& windowsPath) const;
    bool esiste(const QString& windowsPath) const;

    QTemporaryDir cartella;
    std::unique_ptr<HostPaths> paths;
    ScriptedMessageBox box;
    RecordingProgramEnd fine;
    FixedScreen schermo;
    std::unique_ptr<FileInstanceLock> istanza;
    RecordingClipboard appunti;
    RecordingHelpViewer guida;
    ScriptedFileChooser sceltaFile;
    std::unique_ptr<QtPrinter> stampante; // prints to a PDF in the test folder
    QString filePdf;

private:
    Host precedente_;
};

} // namespace hn::prova
