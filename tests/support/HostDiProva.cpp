#include "HostDiProva.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hn::prova {

namespace {
// Choices answered without a script before a prompt counts as one that never ends.
constexpr int kSceltePerUnPrompt = 100;

[[noreturn]] void fallisci(const QString& perche) {
    qCritical("%s", qUtf8Printable(perche));
    throw std::logic_error(perche.toStdString());
}
} // namespace

int ScriptedMessageBox::show(const QString& text, int style, const QString& title) {
    mostrati.append({text, style, title});
    if (primaDiRispondere)
        primaDiRispondere(mostrati.back());
    if (risposte.isEmpty()) {
        if (pulsantiDelloStile(style).size() > 1) {
            if (copione_)
                fallisci(QStringLiteral("the scripted answers ran out at box %1: %2")
                             .arg(mostrati.size())
                             .arg(text));
            if (++scelteSenzaCopione_ > kSceltePerUnPrompt)
                fallisci(QStringLiteral("%1 unscripted choices, the last: %2")
                             .arg(scelteSenzaCopione_)
                             .arg(text));
        }
        return pulsantiDelloStile(style).front();
    }
    copione_ = true;
    // A user can only press a button the box shows: a scripted answer it lacks is a wrong test.
    const int risposta = risposte.takeFirst();
    if (!pulsantiDelloStile(style).contains(risposta))
        fallisci(QStringLiteral("answer %1 is not a button of style %2 (box: %3)")
                     .arg(risposta)
                     .arg(style)
                     .arg(text));
    return risposta;
}

void RecordingProgramEnd::endNow(int exitCode) {
    terminato = true;
    codice = exitCode;
    throw ProgrammaTerminato(exitCode);
}

HostDiProva::HostDiProva(int larghezza, int altezza)
    : schermo(larghezza, altezza)
    , precedente_(host()) {
    const QString radice = cartella.path() + QStringLiteral("/prefix");
    QDir().mkpath(radice + QStringLiteral("/drive_c/WINDOWS"));
    QDir().mkpath(radice + QStringLiteral("/drive_c/VELTO/HNEMAR"));
    QDir().mkpath(radice + QStringLiteral("/drive_d"));
    paths = std::make_unique<HostPaths>(radice);
    istanza = std::make_unique<FileInstanceLock>(cartella.path() + QStringLiteral("/hnemar.lock"));
    filePdf = cartella.path() + QStringLiteral("/stampa.pdf");
    stampante = std::make_unique<QtPrinter>(filePdf);
    setHost({&box, &fine, &schermo, paths.get(), istanza.get(), &appunti, stampante.get(), &guida});
    host().fileChooser = &sceltaFile;
}

HostDiProva::~HostDiProva() {
    setHost(precedente_);
}

void HostDiProva::usaPrefisso(const QString& cartellaPrefisso) {
    paths = std::make_unique<HostPaths>(cartellaPrefisso);
    host().paths = paths.get();
}

QString HostDiProva::percorsoHost(const QString& windowsPath) const {
    const QString p = paths->toHost(windowsPath).value_or(QString());
    if (!p.isEmpty())
        QDir().mkpath(QFileInfo(p).path());
    return p;
}

void HostDiProva::scriviFile(const QString& windowsPath, const QByteArray& contenuto) const {
    QFile f(percorsoHost(windowsPath));
    if (!f.open(QIODevice::WriteOnly) || f.write(contenuto) != contenuto.size())
        qFatal("cannot write fixture %s", qPrintable(windowsPath));
}

QByteArray HostDiProva::leggiFile(const QString& windowsPath) const {
    QFile f(paths->toHost(windowsPath).value_or(QString()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool HostDiProva::esiste(const QString& windowsPath) const {
    const auto p = paths->toHost(windowsPath);
    return p && QFileInfo(*p).isFile();
}

} // namespace hn::prova
