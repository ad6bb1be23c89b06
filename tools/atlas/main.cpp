// hnemar-atlas: checks an installation's atlas the way the program reads it.

#include "BlobStore.h"
#include "ControlloAtlante.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "HostPaths.h"
#include "Opzioni.h"
#include "Prefisso.h"
#include "Profilo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

using namespace hn;

namespace {

enum Uscita { Pulito = 0, Difetti = 1 };

const Comando riga{
    "hnemar-atlas", "Usage: hnemar-atlas check [PREFIX]\n",
    "  check  Reads the installation in PREFIX (default: the one the program would use) as the\n"
    "         program reads it: KORMM.INI, the module INI file, then the hotspot table, the\n"
    "         text store, the plate store and DesAppa.bin of its data folder. Prints one line\n"
    "         per finding, with the plate and the record: links to plates that do not exist,\n"
    "         plates no body system reaches, hotspots with no caption entry or no name,\n"
    "         plates without a picture or a description, hotspots outside their picture,\n"
    "         and pictures' larger renditions (NAME@2x.png …) the program passes over: of the\n"
    "         wrong size, undecodable, without a 1 × picture, or of an unknown factor, in the\n"
    "         plate store and among the backgrounds (folder and Bit_Hd.ff).\n"
    "\n"
    "Exit status: 0 nothing found, 1 findings (or no installation to read), 2 wrong usage.\n"};

QByteArray leggi(const HostPaths& paths, const QString& windows) {
    const std::optional<QString> f = paths.toHost(windows);
    if (!f)
        return {};
    // An INI file; a FIFO in its place would hang the check.
    try {
        return leggiFileRegolare(*f, 1 << 20);
    } catch (const ErroreVB&) {
        return {};
    }
}

QString chiave(QByteArrayView ini, const QString& sezione, const QString& nome) {
    QString valore;
    leggiProfiloPrivato(ini, sezione, nome, {}, valore, 256);
    return valore;
}

// The picture files of a folder, by name.
atlante::RaccoltaImmagini raccoltaDaCartella(const HostPaths& paths, const QString& windows) {
    atlante::RaccoltaImmagini r{windows, {}, {}};
    const std::optional<QString> cartella = paths.toHost(windows);
    if (!cartella)
        return r;
    r.voci = QDir(*cartella).entryList(QDir::Files | QDir::Hidden);
    r.leggi = [c = *cartella](const QString& nome) -> std::optional<QByteArray> {
        try {
            return leggiFileRegolare(c + u'/' + nome, qint64(256) * 1024 * 1024);
        } catch (const ErroreVB&) {
            return std::nullopt;
        }
    };
    return r;
}

int fallisci(const QString& testo) {
    // Paths and INI values come from the installation: never raw to the terminal.
    std::fprintf(stderr, "hnemar-atlas: %s\n", qUtf8Printable(atlante::senzaControlli(testo)));
    return Difetti;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto uscita = opzioniComuni(argc, argv, riga))
        return *uscita;
    if (argc < 2 || std::strcmp(argv[1], "check") != 0)
        return usoErrato(
            riga, argc < 2
                      ? QStringLiteral("no command given")
                      : QStringLiteral("unknown command: %1").arg(QString::fromLocal8Bit(argv[1])));
    if (argc > 3)
        return usoErrato(riga, QStringLiteral("too many arguments"));
    QCoreApplication app(argc, argv);

    const QString prefisso =
        argc == 3 ? QString::fromLocal8Bit(argv[2]) : scegliPrefisso().cartella;
    if (!QFileInfo(prefisso).isDir())
        return fallisci(QStringLiteral("no installation in %1").arg(prefisso));
    const HostPaths paths(prefisso);

    const QString kormm = paths.windowsFolder() + QStringLiteral("\\KORMM.INI");
    const QString modulo =
        chiave(leggi(paths, kormm), QStringLiteral("VELTO01G"), QStringLiteral("PATH"));
    if (modulo.isEmpty())
        return fallisci(QStringLiteral("%1 names no module INI file ([VELTO01G] PATH)").arg(kormm));
    QString foto =
        chiave(leggi(paths, modulo), QStringLiteral("Directory2"), QStringLiteral("Foto"));
    if (foto.isEmpty())
        return fallisci(QStringLiteral("%1 names no data folder ([Directory2] Foto)").arg(modulo));
    if (!foto.endsWith(u'\\'))
        foto += u'\\';

    const auto dati = atlante::DatiAtlante::leggi(atlante::FileAtlante::da(paths, foto, foto));
    if (dati->tabella.isEmpty())
        return fallisci(QStringLiteral("no hotspot table %1hsmed.bin").arg(foto));
    QList<atlante::Rilievo> rilievi = atlante::controllaAtlante(*dati);
    // The backgrounds' renditions, in their store and beside them in their folder.
    QString sfondi =
        chiave(leggi(paths, modulo), QStringLiteral("Directory2"), QStringLiteral("Sfondi"));
    if (!sfondi.isEmpty()) {
        if (!sfondi.endsWith(u'\\'))
            sfondi += u'\\';
        rilievi += atlante::controllaRendizioni(raccoltaDaCartella(paths, sfondi));
        if (const std::optional<QString> store = paths.toHost(sfondi + QStringLiteral("Bit_Hd.ff")))
            try {
                rilievi += atlante::controllaRendizioni(atlante::raccoltaDaStore(
                    QStringLiteral("Bit_Hd.ff"), blob::Archivio::apri(*store)));
            } catch (const ErroreVB&) {
                // No background store: the program then reads the folder alone.
            }
    }
    for (const atlante::Rilievo& r : rilievi)
        std::printf("%s\n", qUtf8Printable(r.testo));
    return rilievi.isEmpty() ? Pulito : Difetti;
}
