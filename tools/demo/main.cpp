// hnemar-demo: builds the demo installation from its readable sources.
//   hnemar-demo SOURCE_FOLDER OUTPUT_FOLDER
// SOURCE_FOLDER holds prefix/ (copied as it is) and messaggi.tsv (compiled to help.bin).

#include "Cp1250.h"
#include "Messaggi.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

int errore(const QString& testo) {
    std::fprintf(stderr, "hnemar-demo: %s\n", qUtf8Printable(testo));
    return 1;
}

bool scrivi(const QString& file, const QByteArray& dati) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(dati) == dati.size();
}

// number TAB title TAB text; "\n" in the text is a line break, lines starting with # are comments.
bool leggiMessaggi(const QString& file, QMap<int, std::pair<QString, QString>>& messaggi,
                   QString& problema) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        problema = file + QStringLiteral(": cannot read");
        return false;
    }
    int riga = 0;
    while (!f.atEnd()) {
        ++riga;
        const QString linea = QString::fromUtf8(f.readLine()).remove(u'\r').remove(u'\n');
        if (linea.isEmpty() || linea.startsWith(u'#'))
            continue;
        const QStringList campi = linea.split(u'\t');
        bool ok = false;
        const int numero = campi.value(0).toInt(&ok);
        if (campi.size() != 3 || !ok || numero < 1) {
            problema = QStringLiteral("%1:%2: expected number, title and text separated by tabs")
                           .arg(file)
                           .arg(riga);
            return false;
        }
        QString testo = campi[2];
        testo.replace(QStringLiteral("\\n"), hn::Mod_Comuni::marcatoreACapo());
        messaggi[numero] = {campi[1], testo};
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return errore(QStringLiteral("usage: hnemar-demo SOURCE_FOLDER OUTPUT_FOLDER"));
    const QString sorgente = args[1], uscita = args[2];

    const QString prefisso = sorgente + QStringLiteral("/prefix");
    QDirIterator it(prefisso, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return errore(file + QStringLiteral(": cannot read"));
        // Sources are UTF-8 for editing; the installation's text files are Windows-1250.
        QByteArray dati = f.readAll();
        const QString suffisso = QFileInfo(file).suffix().toLower();
        if (suffisso == QStringLiteral("ini") || suffisso == QStringLiteral("txt"))
            dati = hn::encodeCp1250(QString::fromUtf8(dati));
        const QString meta = uscita + u'/' + QDir(prefisso).relativeFilePath(file);
        if (!scrivi(meta, dati))
            return errore(meta + QStringLiteral(": cannot write"));
    }

    QMap<int, std::pair<QString, QString>> messaggi;
    QString problema;
    if (!leggiMessaggi(sorgente + QStringLiteral("/messaggi.tsv"), messaggi, problema))
        return errore(problema);
    const QString help = uscita + QStringLiteral("/drive_c/VELTO/HNEMAR/help.bin");
    if (!scrivi(help, hn::Mod_Comuni::componiFileMessaggi(messaggi)))
        return errore(help + QStringLiteral(": cannot write"));
    return 0;
}
