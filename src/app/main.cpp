#include "FMed.h"
#include "Host.h"
#include "HostPaths.h"
#include "Opzioni.h"
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

const Comando riga{"hnemar", "Użycie: hnemar [--help] [--version]\n",
                   "Uruchamia atlas anatomiczny HNemar. Instalacja: folder HNEMAR_PREFIX albo\n"
                   "~/.local/share/hnemar/prefix, uzupełniany z atlasu demonstracyjnego.\n"};

} // namespace

int main(int argc, char** argv) {
    if (const auto uscita = opzioniComuni(argc, argv, riga))
        return *uscita;
    // Checked before any window exists: a wrong argument must not need a display to be told.
    if (argc > 1)
        return usoErrato(
            riga, QStringLiteral("nieznany argument: %1").arg(QString::fromLocal8Bit(argv[1])));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hnemar"));
    QApplication::setApplicationDisplayName(QStringLiteral("HNemar"));

    QtMessageBox messageBox;
    const Prefisso prefisso = scegliPrefisso();
    if (const QString problema = preparaPrefisso(prefisso, cartellaDemo()); !problema.isEmpty())
        fallisci(messageBox, problema);

    HostPaths paths(prefisso.cartella);
    ExitProgramEnd programEnd;
    QtScreen screen;
    QString cartellaRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (cartellaRuntime.isEmpty())
        cartellaRuntime = QDir::tempPath();
    FileInstanceLock instance(cartellaRuntime + QStringLiteral("/hnemar.lock"));
    QtClipboard clipboard;
    QtPrinter printer;
    setHost({&messageBox, &programEnd, &screen, &paths, &instance, &clipboard, &printer});

    FMed fmed;
    try {
        fmed.Form_Load();
    } catch (const std::exception& e) {
        // Nothing should get here; if something does, say what rather than abort.
        fallisci(messageBox, QStringLiteral("Nieoczekiwany błąd podczas uruchamiania: %1")
                                 .arg(QString::fromUtf8(e.what())));
    }
    fmed.showFullScreen();
    return QApplication::exec();
}
