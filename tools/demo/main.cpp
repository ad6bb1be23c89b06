// hnemar-demo: builds the demo installation from its readable sources.
//   hnemar-demo SOURCE_FOLDER OUTPUT_FOLDER
// SOURCE_FOLDER holds prefix/, messaggi.tsv (compiled to help.bin) and atlante/ (the plates,
// their hotspots and texts, compiled into the data folder D:\DATI, see Atlante.h). Under prefix/:
//  - a folder named like a store ("BlobCorp.dat", "Bit_Hd.ff") becomes that store, its files
//    the entries;
//  - "NAME.png.svg" and "NAME.bmp.svg" become NAME.png / NAME.bmp, rasterised at the SVG's size,
//    and NAME@2x.png … NAME@3x.bmp beside them, the same drawing at 2 and 3 times (PNG inside);
//  - .ini and .txt files are written in Windows-1250; everything else is copied as it is.

#include "Atlante.h"
#include "BlobStore.h"
#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileMessaggi.h"
#include "FileSicuro.h"
#include "Opzioni.h"
#include "Rendizioni.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

const hn::Comando riga{"hnemar-demo", "Usage: hnemar-demo SOURCE_FOLDER OUTPUT_FOLDER\n",
                       "Builds the demo installation in OUTPUT_FOLDER from SOURCE_FOLDER, which\n"
                       "holds prefix/ (the installation's readable sources) and messaggi.tsv (the\n"
                       "messages, compiled to help.bin). Exit status: 0 done, 1 failure, 2 wrong\n"
                       "usage.\n"};

int errore(const QString& testo) {
    std::fprintf(stderr, "hnemar-demo: %s\n", qUtf8Printable(testo));
    return 1;
}

bool scrivi(const QString& file, const QByteArray& dati) {
    QDir().mkpath(QFileInfo(file).path());
    try {
        hn::scriviFileSicuro(file, dati);
        return true;
    } catch (const hn::ErroreVB&) {
        return false;
    }
}

// A store here holds backgrounds, the fallback for a file missing from their folder, which
// carries every rendition. Backgrounds are shaded art that a palette would spoil: at 3 × too
// the store would grow eightfold, so it keeps the 2 × alone (3.7 times the 1 × store).
const QList<int> FattoriNegliStore{2};

bool nomeDiStore(const QString& nome) {
    return nome.endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive) ||
           nome.endsWith(QStringLiteral(".ff"), Qt::CaseInsensitive);
}

// A source file as the installation holds it: its name there and its bytes; a drawing adds its
// renditions of these factors to `rendizioni`.
bool prepara(const QFileInfo& file, QString& nome, QByteArray& dati, const QList<int>& fattori,
             QList<hn::blob::VoceNuova>& rendizioni, QString& problema) {
    try {
        dati = hn::leggiFileRegolare(file.filePath(), qint64(256) * 1024 * 1024);
    } catch (const hn::ErroreVB&) {
        problema = file.filePath() + QStringLiteral(": cannot read");
        return false;
    }
    nome = file.fileName();
    const QString suffisso = file.suffix().toLower();
    if (suffisso == QStringLiteral("ini") || suffisso == QStringLiteral("txt")) {
        // Sources are UTF-8 for editing; the installation's text files are Windows-1250.
        dati = hn::encodeCp1250(QString::fromUtf8(dati));
    } else if (suffisso == QStringLiteral("svg")) {
        nome.chop(4);
        const QByteArray formato = QFileInfo(nome).suffix().toUpper().toLatin1();
        QSvgRenderer svg(dati);
        if (!svg.isValid() || (formato != "PNG" && formato != "BMP")) {
            problema =
                file.filePath() + QStringLiteral(": not an SVG named NAME.png.svg or NAME.bmp.svg");
            return false;
        }
        QImage immagine(svg.defaultSize(), QImage::Format_RGB32);
        immagine.fill(Qt::white);
        QPainter p(&immagine);
        svg.render(&p);
        p.end();
        QBuffer b(&dati);
        dati.clear();
        b.open(QIODevice::WriteOnly);
        if (!immagine.save(&b, formato.constData())) {
            problema = file.filePath() + QStringLiteral(": cannot rasterise");
            return false;
        }
        for (int f : fattori) {
            hn::blob::VoceNuova r{
                hn::nomeRendizione(nome, f), hn::demo::rendizioneDaSvg(svg, f), {}};
            if (r.dati.isEmpty()) {
                problema = file.filePath() + QStringLiteral(": cannot rasterise at %1 ×").arg(f);
                return false;
            }
            rendizioni.append(r);
        }
    }
    return true;
}

bool costruisci(const QString& sorgente, const QString& uscita, QString& problema) {
    const QFileInfoList voci =
        QDir(sorgente).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& voce : voci) {
        const QString meta = uscita + u'/' + voce.fileName();
        if (voce.isDir() && nomeDiStore(voce.fileName())) {
            QList<hn::blob::VoceNuova> nuove;
            for (const QFileInfo& file :
                 QDir(voce.filePath()).entryInfoList(QDir::Files, QDir::Name)) {
                hn::blob::VoceNuova n;
                QList<hn::blob::VoceNuova> rendizioni;
                if (!prepara(file, n.nome, n.dati, FattoriNegliStore, rendizioni, problema))
                    return false;
                nuove.append(n);
                nuove.append(rendizioni);
            }
            QDir().mkpath(uscita);
            try {
                hn::blob::scriviStore(meta, nuove);
            } catch (const hn::ErroreVB& e) {
                problema = meta + QStringLiteral(": ") + e.descrizione();
                return false;
            }
        } else if (voce.isDir()) {
            QDir().mkpath(meta);
            if (!costruisci(voce.filePath(), meta, problema))
                return false;
        } else if (voce.fileName() != QStringLiteral(".keep")) {
            QString nome;
            QByteArray dati;
            QList<hn::blob::VoceNuova> rendizioni;
            if (!prepara(voce, nome, dati, hn::demo::FattoriRendizioni, rendizioni, problema))
                return false;
            rendizioni.prepend({nome, dati, {}});
            for (const hn::blob::VoceNuova& v : rendizioni)
                if (!scrivi(uscita + u'/' + v.nome, v.dati)) {
                    problema = uscita + u'/' + v.nome + QStringLiteral(": cannot write");
                    return false;
                }
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto uscita = hn::opzioniComuni(argc, argv, riga))
        return *uscita;
    // Rasterising needs fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return hn::usoErrato(riga, QStringLiteral("wrong number of arguments"));
    const QString sorgente = args[1], uscita = args[2];

    QString problema;
    if (!costruisci(sorgente + QStringLiteral("/prefix"), uscita, problema))
        return errore(problema);

    if (!hn::demo::costruisciAtlante(sorgente + QStringLiteral("/atlante"),
                                     uscita + QStringLiteral("/drive_d/DATI"), problema))
        return errore(problema);

    QMap<int, std::pair<QString, QString>> messaggi;
    if (!hn::demo::leggiMessaggi(sorgente + QStringLiteral("/messaggi.tsv"), messaggi, problema))
        return errore(problema);
    const QString help = uscita + QStringLiteral("/drive_c/VELTO/HNEMAR/help.bin");
    if (!scrivi(help, hn::atlante::componiFileMessaggi(messaggi)))
        return errore(help + QStringLiteral(": cannot write"));
    return 0;
}
