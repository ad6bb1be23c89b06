// hnemar-store: packs, lists and extracts the atlas's archive stores (ZIP files).

#include "BlobStore.h"
#include "Opzioni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <dirent.h>
#include <memory>

using namespace hn;

namespace {

enum Uscita { Fatto = 0, Fallito = 1, UsoErrato = UscitaUsoErrato, VoceAssente = 3 };

const Comando riga{
    "hnemar-store",
    "Usage: hnemar-store create [--stored|--deflated] STORE INPUT...\n"
    "       hnemar-store list STORE\n"
    "       hnemar-store extract STORE ENTRY [OUTPUT]\n",
    "  create   Packs the files given, and every file of each folder given, into STORE,\n"
    "           replacing it only once the new one is complete. Subfolders are not packed\n"
    "           (each one skipped is named on stderr). PNG, JPEG and GIF files are stored as\n"
    "           they are, the rest deflated, unless an option says otherwise.\n"
    "  list     Lists the entries: size, packed size, method, name. Entries the program\n"
    "           could never ask for are named on stderr with the reason.\n"
    "  extract  Writes ENTRY (any case) to OUTPUT, a file or an existing folder (default:\n"
    "           the current folder).\n"
    "\n"
    "Entry names are plain file names: no folders, \"..\", drive letters, wildcards or\n"
    "control characters. Exit status: 0 done, 1 failure, 2 wrong usage, 3 no such entry.\n"};

int errore(const QString& testo) {
    std::fprintf(stderr, "hnemar-store: %s\n", qUtf8Printable(testo));
    return Fallito;
}

// What went wrong with `file`, in words: the reader's numbers mean nothing to a shell user.
QString motivo(const ErroreVB& e) {
    switch (e.numero()) {
    case Errore::FileNonTrovato:
        return QStringLiteral("no such file");
    case Errore::PercorsoNonTrovato:
        return QStringLiteral("no such folder");
    case Errore::DiscoPieno:
        return QStringLiteral("disk full");
    case Errore::PermessoNegato:
        return QStringLiteral("permission denied");
    case Errore::ErroreIO:
        return QStringLiteral("input/output error");
    case blob::FormatoNonValido:
        return QStringLiteral("not a valid store or entry");
    case Errore::AccessoPercorso:
        return e.descrizione() == ErroreVB::descrizioneStandard(Errore::AccessoPercorso)
                   ? QStringLiteral("cannot be read or written")
                   : e.descrizione();
    default:
        return e.descrizione();
    }
}

int fallito(const QString& file, const ErroreVB& e) {
    const QString m = motivo(e);
    // Messages written here already start with the file they concern.
    return errore(m.startsWith(file + u':') ? m : file + QStringLiteral(": ") + m);
}

// The files of a folder by their names on disk: a name Qt cannot turn back into the same bytes
// could not be read again, let alone stored, so it is an error rather than a silent gap.
bool fileDellaCartella(const QString& cartella, const QString& store, QList<blob::VoceNuova>& voci,
                       QString& problema) {
    const std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(QFile::encodeName(cartella).constData()),
                                                ::closedir);
    if (!d) {
        problema = cartella + QStringLiteral(": cannot be read");
        return false;
    }
    QStringList nomi;
    while (const dirent* e = ::readdir(d.get())) {
        const QByteArray grezzo(e->d_name);
        if (grezzo == "." || grezzo == "..")
            continue;
        const QString nome = QFile::decodeName(grezzo);
        if (QFile::encodeName(nome) != grezzo || nome.contains(QChar::ReplacementCharacter)) {
            problema = QStringLiteral("%1/%2: the name is not valid UTF-8 and cannot be stored")
                           .arg(cartella, QString::fromLatin1(grezzo.toPercentEncoding("/ ")));
            return false;
        }
        nomi.append(nome);
    }
    nomi.sort();
    for (const QString& nome : nomi) {
        const QFileInfo f(QDir(cartella).filePath(nome));
        // A store written into the folder it packs does not pack itself.
        if (f.absoluteFilePath() == QFileInfo(store).absoluteFilePath())
            continue;
        if (f.isDir()) {
            std::fprintf(stderr, "hnemar-store: %s: folder not packed\n",
                         qUtf8Printable(f.filePath()));
            continue;
        }
        if (!f.isFile()) {
            problema = f.filePath() + QStringLiteral(": not a regular file");
            return false;
        }
        voci.append({nome, {}, f.filePath()});
    }
    return true;
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
            return usoErrato(riga, QStringLiteral("unknown option %1").arg(opzione));
    }
    if (argomenti.size() < 2)
        return usoErrato(riga, QStringLiteral("create needs a store and at least one input"));
    const QString store = argomenti.takeFirst();

    QList<blob::VoceNuova> voci;
    for (const QString& ingresso : argomenti) {
        const QFileInfo info(ingresso);
        QString problema;
        if (info.isDir()) {
            if (!fileDellaCartella(ingresso, store, voci, problema))
                return errore(problema);
        } else if (info.isFile()) {
            voci.append({info.fileName(), {}, info.filePath()});
        } else {
            return errore(ingresso + (info.exists() ? QStringLiteral(": not a regular file")
                                                    : QStringLiteral(": no such file or folder")));
        }
    }
    if (voci.isEmpty())
        return errore(
            QStringLiteral("%1: no files to pack; the store was left as it was").arg(store));
    try {
        blob::scriviStore(store, voci, compressione);
    } catch (const ErroreVB& e) {
        return fallito(store, e);
    }
    return Fatto;
}

int elenca(const QStringList& argomenti) {
    if (argomenti.size() != 1)
        return usoErrato(riga, QStringLiteral("list needs exactly one store"));
    try {
        const auto archivio = blob::Archivio::apri(argomenti[0]);
        for (const blob::Voce& v : archivio->voci())
            std::printf("%10lld %10lld %-8s %s\n", static_cast<long long>(v.dimensione),
                        static_cast<long long>(v.compressa), v.deflate ? "deflated" : "stored",
                        qUtf8Printable(v.nome));
        for (const auto& esclusa : archivio->escluse())
            std::fprintf(stderr, "hnemar-store: %s: entry \"%s\" not listed: %s\n",
                         qUtf8Printable(argomenti[0]), qUtf8Printable(esclusa.nome),
                         qUtf8Printable(esclusa.motivo));
    } catch (const ErroreVB& e) {
        return fallito(argomenti[0], e);
    }
    return Fatto;
}

int estrai(const QStringList& argomenti) {
    if (argomenti.size() != 2 && argomenti.size() != 3)
        return usoErrato(riga,
                         QStringLiteral("extract needs a store, an entry and at most one output"));
    std::shared_ptr<blob::Archivio> archivio;
    try {
        archivio = blob::Archivio::apri(argomenti[0]);
    } catch (const ErroreVB& e) {
        return fallito(argomenti[0], e);
    }
    const blob::Voce* voce = archivio->trova(argomenti[1]);
    if (!voce) {
        errore(QStringLiteral("%1: no entry \"%2\"").arg(argomenti[0], argomenti[1]));
        return VoceAssente;
    }
    QString uscita = argomenti.value(2, QStringLiteral("."));
    if (QFileInfo(uscita).isDir())
        uscita = QDir(uscita).filePath(voce->nome);
    try {
        archivio->estrai(*voce, uscita);
    } catch (const ErroreVB& e) {
        // The output's folder is what is missing or refuses the file, not the store.
        if (e.numero() == Errore::PercorsoNonTrovato || e.numero() == Errore::FileNonTrovato)
            return errore(QFileInfo(uscita).path() + QStringLiteral(": no such folder"));
        return fallito(e.numero() == blob::FormatoNonValido ? argomenti[0] : uscita, e);
    }
    return Fatto;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto uscita = opzioniComuni(argc, argv, riga))
        return *uscita;
    QCoreApplication app(argc, argv);
    QStringList argomenti = QCoreApplication::arguments().mid(1);
    if (argomenti.isEmpty())
        return usoErrato(riga, QStringLiteral("no command given"));
    const QString comando = argomenti.takeFirst();
    if (comando == QStringLiteral("create"))
        return crea(argomenti);
    if (comando == QStringLiteral("list"))
        return elenca(argomenti);
    if (comando == QStringLiteral("extract"))
        return estrai(argomenti);
    return usoErrato(riga, QStringLiteral("unknown command %1").arg(comando));
}
