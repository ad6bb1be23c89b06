// hnemar-store: packs, lists and extracts the atlas's archive stores (ZIP files).

#include "BlobStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

using namespace hn;

namespace {

enum Uscita { Fatto = 0, Fallito = 1, UsoErrato = 2, VoceAssente = 3 };

const char aiuto[] =
    "Usage: hnemar-store COMMAND ARGUMENTS\n"
    "\n"
    "  create [--stored|--deflated] STORE INPUT...\n"
    "      Packs the files given, and every file of each folder given (not its subfolders),\n"
    "      into STORE, replacing it. Entries are named after the files. PNG, JPEG and GIF\n"
    "      files are stored as they are, the rest deflated, unless an option says otherwise.\n"
    "  list STORE\n"
    "      Lists the entries: size, packed size, method, name.\n"
    "  extract STORE ENTRY [OUTPUT]\n"
    "      Writes ENTRY (any case) to OUTPUT, a file or a folder (default: the current folder).\n"
    "  --help\n"
    "      Shows this text.\n"
    "\n"
    "Entry names are plain file names: no folders, \"..\", drive letters, wildcards or\n"
    "control characters. Exit status: 0 done, 1 failure, 2 wrong usage, 3 no such entry.\n";

int errore(const QString& testo, int codice = Fallito) {
    std::fprintf(stderr, "hnemar-store: %s\n", qUtf8Printable(testo));
    if (codice == UsoErrato)
        std::fputs("Try 'hnemar-store --help'.\n", stderr);
    return codice;
}

int crea(QStringList argomenti) {
    blob::Compressione compressione = blob::Compressione::SecondoIlTipo;
    while (!argomenti.isEmpty() && argomenti.front().startsWith(QStringLiteral("--"))) {
        const QString opzione = argomenti.takeFirst();
        if (opzione == QStringLiteral("--stored"))
            compressione = blob::Compressione::Nessuna;
        else if (opzione == QStringLiteral("--deflated"))
            compressione = blob::Compressione::Deflate;
        else
            return errore(QStringLiteral("unknown option %1").arg(opzione), UsoErrato);
    }
    if (argomenti.size() < 2)
        return errore(QStringLiteral("create needs a store and at least one input"), UsoErrato);
    const QString store = argomenti.takeFirst();

    QList<blob::VoceNuova> voci;
    for (const QString& ingresso : argomenti) {
        const QFileInfo info(ingresso);
        if (info.isDir()) {
            const QDir cartella(ingresso);
            const QFileInfoList file =
                cartella.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
            for (const QFileInfo& f : file) {
                // A store written into the folder it packs does not pack itself.
                if (f.absoluteFilePath() == QFileInfo(store).absoluteFilePath())
                    continue;
                if (f.isDir())
                    return errore(QStringLiteral("%1: stores hold no folders").arg(f.filePath()));
                voci.append({f.fileName(), {}, f.filePath()});
            }
        } else if (info.isFile()) {
            voci.append({info.fileName(), {}, info.filePath()});
        } else {
            return errore(QStringLiteral("%1: no such file or folder").arg(ingresso));
        }
    }
    blob::scriviStore(store, voci, compressione);
    return Fatto;
}

int elenca(const QStringList& argomenti) {
    if (argomenti.size() != 1)
        return errore(QStringLiteral("list needs exactly one store"), UsoErrato);
    const auto archivio = blob::Archivio::apri(argomenti[0]);
    for (const blob::Voce& v : archivio->voci())
        std::printf("%10lld %10lld %-8s %s\n", static_cast<long long>(v.dimensione),
                    static_cast<long long>(v.compressa), v.deflate ? "deflated" : "stored",
                    qUtf8Printable(v.nome));
    return Fatto;
}

int estrai(const QStringList& argomenti) {
    if (argomenti.size() != 2 && argomenti.size() != 3)
        return errore(QStringLiteral("extract needs a store, an entry and at most one output"),
                      UsoErrato);
    const auto archivio = blob::Archivio::apri(argomenti[0]);
    const blob::Voce* voce = archivio->trova(argomenti[1]);
    if (!voce)
        return errore(QStringLiteral("%1: no entry \"%2\"").arg(argomenti[0], argomenti[1]),
                      VoceAssente);
    QString uscita = argomenti.value(2, QStringLiteral("."));
    if (QFileInfo(uscita).isDir())
        uscita = QDir(uscita).filePath(voce->nome);
    archivio->estrai(*voce, uscita);
    return Fatto;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList argomenti = QCoreApplication::arguments().mid(1);
    if (argomenti.isEmpty())
        return errore(QStringLiteral("no command given"), UsoErrato);
    const QString comando = argomenti.takeFirst();
    if (comando == QStringLiteral("--help") || comando == QStringLiteral("-h")) {
        std::fputs(aiuto, stdout);
        return Fatto;
    }
    // Errors name the store they concern; the reader's descriptions do not.
    QString store;
    for (const QString& a : argomenti)
        if (!a.startsWith(QStringLiteral("--"))) {
            store = a;
            break;
        }
    try {
        if (comando == QStringLiteral("create"))
            return crea(argomenti);
        if (comando == QStringLiteral("list"))
            return elenca(argomenti);
        if (comando == QStringLiteral("extract"))
            return estrai(argomenti);
    } catch (const ErroreVB& e) {
        const QString descrizione =
            e.descrizione().isEmpty() ? QStringLiteral("error") : e.descrizione();
        return errore(QStringLiteral("%1: %2 (%3)").arg(store, descrizione).arg(e.numero()));
    }
    return errore(QStringLiteral("unknown command %1").arg(comando), UsoErrato);
}
