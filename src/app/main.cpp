#include "FMed.h"
#include "Host.h"
#include "HostPaths.h"
#include "Palco.h"
#include "Prefisso.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

using namespace hn;

namespace {

[[noreturn]] void fallisci(QtMessageBox& box, const QString& testo) {
    std::fprintf(stderr, "hnemar: %s\n", qUtf8Printable(testo));
    box.show(testo, Stile::OK | Stile::Critico, {});
    std::exit(1);
}

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
    setHost({&messageBox, &programEnd, &screen, &paths, &instance, &clipboard, &printer});
    host().fileChooser = &fileChooser;

    FMed fmed;
    try {
        fmed.Form_Load();
    } catch (const std::exception& e) {
        // Nothing should get here; if something does, say what rather than abort.
        fallisci(messageBox, QStringLiteral("Nieoczekiwany błąd podczas uruchamiania: %1")
                                 .arg(QString::fromUtf8(e.what())));
    }
    fmed.move(sulDesktop(fmed.pos()));
    fmed.show();
    return QApplication::exec();
}
