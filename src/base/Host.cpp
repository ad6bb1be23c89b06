#include "Host.h"

#include "ErroreVB.h"
#include "HostPaths.h"

#include <QPainter>
#include <cstdio>
#include <cstdlib>

namespace hn {

namespace {

// Before a host is installed (or in a tool without one) the text still reaches someone.
class BoxSuStderr : public MessageBoxService {
public:
    int show(const QString& text, int style, const QString&) override {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        const int chiusura = rispostaDiChiusura(style);
        return chiusura != 0 ? chiusura : pulsantiDelloStile(style).front();
    }
};

class FineImmediata : public ProgramEnd {
public:
    void endNow(int exitCode) override {
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }
};

// The screen the forms are drawn for.
class SchermoDiProgetto : public ScreenService {
public:
    int widthPixels() const override { return 1024; }
    int heightPixels() const override { return 768; }
    double twipsPerPixelX() const override { return 15.0; }
    double twipsPerPixelY() const override { return 15.0; }
    void setMousePointer(int pointer) override { puntatore_ = pointer; }
    int mousePointer() const override { return puntatore_; }
    void doEvents() override {}

private:
    int puntatore_ = Puntatore::Predefinito;
};

class NessunAltro : public InstanceLock {
public:
    bool acquire() override { return true; }
};

class AppuntiVuoti : public ClipboardService {
public:
    void clear() override {}
    void put(const ClipboardContents&) override {}
    ClipboardContents contents() const override { return {}; }
};

class NessunaStampante : public PrinterService {
public:
    void startDocument(const QString&) override { throw ErroreVB(Errore::Stampante); }
    void newPage() override {}
    void endDocument() override {}
    QPainter* painter() override { return nullptr; }
    double unitsPerTwip() const override { return 1.0; }
    QSizeF pageSizeTwips() const override { return {}; }
    QRectF printableRectTwips() const override { return {}; }
    bool installata() const override { return false; }
};

class NessunaGuida : public HelpViewerService {
public:
    void showContents(const QString&) override {}
};

class SceltaAnnullata : public FileChooserService {
public:
    std::optional<QString> saveAs(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

} // namespace

template <> MessageBoxService& servizioPredefinito<MessageBoxService>() {
    static BoxSuStderr s;
    return s;
}
template <> ProgramEnd& servizioPredefinito<ProgramEnd>() {
    static FineImmediata s;
    return s;
}
template <> ScreenService& servizioPredefinito<ScreenService>() {
    static SchermoDiProgetto s;
    return s;
}
template <> HostPaths& servizioPredefinito<HostPaths>() {
    static HostPaths s;
    return s;
}
template <> InstanceLock& servizioPredefinito<InstanceLock>() {
    static NessunAltro s;
    return s;
}
template <> ClipboardService& servizioPredefinito<ClipboardService>() {
    static AppuntiVuoti s;
    return s;
}
template <> PrinterService& servizioPredefinito<PrinterService>() {
    static NessunaStampante s;
    return s;
}
template <> HelpViewerService& servizioPredefinito<HelpViewerService>() {
    static NessunaGuida s;
    return s;
}
template <> FileChooserService& servizioPredefinito<FileChooserService>() {
    static SceltaAnnullata s;
    return s;
}

Host& host() {
    // Made on first use, so code that runs before main() finds the defaults too.
    static Host corrente;
    return corrente;
}
void setHost(const Host& h) {
    host() = h;
}

QString titoloApplicazione() {
    return QStringLiteral("HNemar");
}

QList<int> pulsantiDelloStile(int stile) {
    using namespace Risposta;
    switch (stile & 0xF) {
    case Stile::OKAnnulla:
        return {OK, Annulla};
    case Stile::InterrompiRiprovaIgnora:
        return {Interrompi, Riprova, Ignora};
    case Stile::SiNoAnnulla:
        return {Si, No, Annulla};
    case Stile::SiNo:
        return {Si, No};
    case Stile::RiprovaAnnulla:
        return {Riprova, Annulla};
    default:
        return {OK};
    }
}

int rispostaDiChiusura(int stile) {
    const QList<int> pulsanti = pulsantiDelloStile(stile);
    if (pulsanti.contains(Risposta::Annulla))
        return Risposta::Annulla;
    return pulsanti.size() == 1 ? pulsanti.front() : 0;
}

int MsgBox(const QString& testo, int stile, const QString& titolo) {
    return host().messageBox->show(testo, stile, titolo);
}

void TerminaProgramma(int codice) {
    host().programEnd->endNow(codice);
    // A service that returns from the end still ends the program.
    std::_Exit(codice);
}

void DoEvents() {
    host().screen->doEvents();
}

void ImpostaPuntatoreSchermo(int puntatore) {
    host().screen->setMousePointer(puntatore);
}

void preparaPittore(QPainter& pittore) {
    pittore.setRenderHint(QPainter::SmoothPixmapTransform, host().screen->scalaLiscia());
}

} // namespace hn
