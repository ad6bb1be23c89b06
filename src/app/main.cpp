#include "Accessibilita.h"
#include "AnticipoCaratteri.h"
#include "AnticipoSfondo.h"
#include "BusSessione.h"
#include "FMed.h"
#include "FMed1.h"
#include "FinestraGuida.h"
#include "Host.h"
#include "HostPaths.h"
#include "IndiceSalvato.h"
#include "MappaSapere.h"
#include "Navigazione.h"
#include "Opzioni.h"
#include "Palco.h"
#include "Prefisso.h"
#include "Ricerca.h"
#include "RiepilogoCasa.h"
#include "ServiziReali.h"
#include "Sprawdzian.h"
#include "fcopia.h"
#include "fstampa.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <future>

using namespace hn;

namespace {

// The start-up's threads stopped and waited for: every way out of the program goes through here
// before the application goes. The look-up indexes and drawings being saved are waited for too:
// the program's end cuts them off otherwise, and the next start would make them again.
void fermaAnticipi() {
    anticipo::ferma();
    anticipo::fermaCaratteri();
    indice::attendiSalvataggi();
}

[[noreturn]] void fallisci(QtMessageBox& box, const QString& testo) {
    std::fprintf(stderr, "hnemar: %s\n", qUtf8Printable(testo));
    box.show(testo, Stile::OK | Stile::Critico, {});
    fermaAnticipi();
    std::exit(1);
}

// Ends the program once something in the watched window has painted (the background covers the
// form, so the form itself may never get a paint event), the way its own end does.
class UscitaDopoDipinto : public QObject {
public:
    UscitaDopoDipinto(QWidget* finestra, ProgramEnd& fine, QObject* parent)
        : QObject(parent)
        , finestra_(finestra)
        , fine_(fine) {}
    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        if (evento->type() == QEvent::Paint && !fatto_) {
            auto* w = qobject_cast<QWidget*>(oggetto);
            // Not window(): on the stage that is the stage for everything in it.
            if (w && (w == finestra_ || finestra_->isAncestorOf(w))) {
                fatto_ = true;
                QTimer::singleShot(0, this, [this] { fine_.endNow(0); });
            }
        }
        return QObject::eventFilter(oggetto, evento);
    }

private:
    QWidget* finestra_;
    ProgramEnd& fine_;
    bool fatto_ = false;
};
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
    // A second start ends here, before it shows a window or fills the default prefix.
    QString cartellaRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (cartellaRuntime.isEmpty())
        cartellaRuntime = QDir::tempPath();
    FileInstanceLock instance(cartellaRuntime + QStringLiteral("/hnemar.lock"));
    if (!instance.acquire())
        return 0;
    if (!scegliPiattaforma()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(messaggioSenzaDisplay()));
        return 1;
    }
    scegliBusSessione();
    preparaPalco();
    // The default prefix is filled from the demo while Qt connects to the display: a user's first
    // start copies the whole demo. It is ready before the read-ahead below, which would otherwise
    // find nothing (and the home screen would make its drawing itself, after everything else). A
    // problem is told once there is a way to show it. Qt takes the first thread that asks for
    // its thread as the main one: this one asks before the other starts.
    QThread::currentThread();
    const Prefisso prefisso = scegliPrefisso();
    std::future<QString> prefissoPronto =
        std::async(std::launch::async, [&prefisso, programma = cartellaDelProgramma(argv[0])] {
            return preparaPrefisso(prefisso, cartellaDemo(programma));
        });
    QApplication app(argc, argv);
    const QString problemaPrefisso = prefissoPronto.get();
    // The home screen's background is read and drawn on a thread of its own while the stage and
    // the home screen are made, which on a large screen is most of the wait for the first
    // picture. Not before the application exists: Qt's image readers look up their plugins
    // through it, and must not do so while it is being made.
    if (problemaPrefisso.isEmpty())
        anticipo::avvia(prefisso.cartella);
    anticipo::avviaCaratteri();
    const ModoScala modoScala = modoScalaDa(qEnvironmentVariable("HNEMAR_SCALE"));
    anticipo::impostaScala(scalaIniziale(modoScala));
    // No display name: Qt would add it to every window title the desktop shows.
    QApplication::setApplicationName(QStringLiteral("hnemar"));
    caricaTraduzioniQt();
    // Every form gets the keyboard's ring and its screen-reader view.
    Navigazione::installa();
    accessibile::installa();

    QtMessageBox messageBox;
    if (!problemaPrefisso.isEmpty())
        fallisci(messageBox, problemaPrefisso);

    HostPaths paths(prefisso.cartella);
    ExitProgramEnd programEnd;
    programEnd.primaDellaFine = fermaAnticipi;
    // Before any form: the stage chooses the scale the forms' windows are made at.
    Palco palco(modoScala);
    QtScreen screen(&palco);
    QtClipboard clipboard;
    QtFileChooser fileChooser;
    QtPrinter printer(DestinazioneStampa::dallAmbiente());
    FinestraGuida guida;
    setHost({&messageBox, &programEnd, &screen, &paths, &instance, &clipboard, &printer, &guida});
    host().fileChooser = &fileChooser;

    // The home screen makes the plate viewer on the first body-system click.
    FMed::registraVisore([] { return std::make_unique<FMed1>(); });
    // The home screen takes the search and the review from above it, as it is made.
    FMed::registraRicerca([](Forma& home, std::function<void(int)> apriSistema) {
        Ricerca::agganciaHome(home, apriSistema);
        Sprawdzian::agganciaHome(home, std::move(apriSistema));
    });
    agganciViewer.Giro = [](FMed1& visore) {
        Sprawdzian::aggancia(visore);
        MappaSapere::aggancia(visore);
    };
    agganciViewer.ApriStampa = ApriStampa;
    agganciViewer.ApriCopia = [](Forma* chiamante, KorAtx* testo, KorAtx* didascalia,
                                 FXImage* immagine) {
        if (chiamante)
            ApriCopia(*chiamante, testo, didascalia, immagine);
    };
    FMed fmed;
    RiepilogoCasa::aggancia(fmed);
    // The start-up benchmark times the way to the first painted home screen, then ends the way
    // the program ends when its user leaves it.
    if (qEnvironmentVariableIsSet("HNEMAR_ESCI_DOPO_DIPINTO"))
        app.installEventFilter(new UscitaDopoDipinto(&fmed, programEnd, &app));
    try {
        fmed.Show();
    } catch (const std::exception& e) {
        // Nothing should get here; if something does, say what rather than abort.
        fallisci(messageBox, QStringLiteral("Nieoczekiwany błąd podczas uruchamiania: %1")
                                 .arg(QString::fromUtf8(e.what())));
    }
    const int esito = QApplication::exec();
    fermaAnticipi();
    return esito;
}
