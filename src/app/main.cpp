#include "FMed.h"
#include "FinestraGuida.h"
#include "Host.h"
#include "HostPaths.h"
#include "Palco.h"
#include "Prefisso.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>

using namespace hn;

namespace {

[[noreturn]] void fallisci(QtMessageBox& box, const QString& testo) {
    std::fprintf(stderr, "hnemar: %s\n", qUtf8Printable(testo));
    box.show(testo, Stile::OK | Stile::Critico, {});
    std::exit(1);
}

// Quits once the watched window has painted for the first time.
class UscitaDopoDipinto : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        if (evento->type() == QEvent::Paint && !fatto_) {
            fatto_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(oggetto, evento);
    }

private:
    bool fatto_ = false;
};

} // namespace

int main(int argc, char** argv) {
    // The scale is chosen from the monitor before the GUI starts: it cannot change later.
    const GeometriaPalco geometriaPalco = preparaPalco(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hnemar"));
    QApplication::setApplicationDisplayName(QStringLiteral("HNemar"));

    QtMessageBox messageBox;
    const Prefisso prefisso = scegliPrefisso();
    if (!QFileInfo(prefisso.cartella).isDir()) {
        if (prefisso.daAmbiente)
            fallisci(messageBox,
                     QStringLiteral("Folder instalacji %1 (HNEMAR_PREFIX) nie istnieje.")
                         .arg(prefisso.cartella));
        QString errore;
        if (!completaDaDemo(cartellaDemo(), prefisso.cartella, &errore))
            fallisci(messageBox,
                     QStringLiteral("Nie można przygotować instalacji demonstracyjnej w %1 "
                                    "(problem z: %2).")
                         .arg(prefisso.cartella, errore));
    }

    HostPaths paths(prefisso.cartella);
    ExitProgramEnd programEnd;
    Palco palco(geometriaPalco);
    QtScreen screen(&palco);
    QString cartellaRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (cartellaRuntime.isEmpty())
        cartellaRuntime = QDir::tempPath();
    FileInstanceLock instance(cartellaRuntime + QStringLiteral("/hnemar.lock"));
    QtClipboard clipboard;
    QtFileChooser fileChooser;
    QtPrinter printer(DestinazioneStampa::dallAmbiente());
    FinestraGuida guida;
    setHost({&messageBox, &programEnd, &screen, &paths, &instance, &clipboard, &printer, &guida});
    host().fileChooser = &fileChooser;

    FMed fmed;
    // The start-up benchmark times the way to the first painted home screen, then lets go.
    if (qEnvironmentVariableIsSet("HNEMAR_ESCI_DOPO_DIPINTO"))
        fmed.installEventFilter(new UscitaDopoDipinto(&app));
    try {
        fmed.Show();
    } catch (const std::exception& e) {
        // Nothing should get here; if something does, say what rather than abort.
        fallisci(messageBox, QStringLiteral("Nieoczekiwany błąd podczas uruchamiania: %1")
                                 .arg(QString::fromUtf8(e.what())));
    }
    return QApplication::exec();
}
