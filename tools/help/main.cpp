// hnemar-help: our help compiler, and a dump of any WinHelp file for authors and for checking an
// installation.
//   hnemar-help compile PROJECT.hpj OUTPUT.hlp   (writes OUTPUT.cnt beside it)
//   hnemar-help dump FILE.hlp [PICTURE_FOLDER]

#include "Contenuti.h"
#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Guida.h"
#include "Opzioni.h"
#include "Sorgente.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

namespace {

const hn::Comando riga{
    "hnemar-help",
    "Usage: hnemar-help compile PROJECT.hpj OUTPUT.hlp\n"
    "       hnemar-help dump FILE.hlp [PICTURE_FOLDER]\n",
    "compile builds a WinHelp file (Windows-1250 text, LZ77 and phrase compression, keyword\n"
    "index, pictures with hotspots) and its .cnt contents file from a project file and its pages.\n"
    "dump prints a help file's title, contents, topics as text and keyword index, and writes its\n"
    "pictures as PNG files into PICTURE_FOLDER when one is given.\n"
    "Exit status: 0 done, 1 failure, 2 wrong usage.\n"};

constexpr qint64 GuidaMassima = qint64(256) * 1024 * 1024;

void stampa(const QString& s) {
    std::fputs(qUtf8Printable(s), stdout);
    std::fputc('\n', stdout);
}

int errore(const QString& testo) {
    std::fprintf(stderr, "hnemar-help: %s\n", qUtf8Printable(testo));
    return 1;
}

int compila(const QString& progetto, const QString& uscita) {
    hn::help::Progetto p;
    QString problema;
    if (!hn::help::leggiProgetto(progetto, p, problema))
        return errore(problema);
    QStringList avvisi;
    const QByteArray hlp = hn::winhelp::scriviGuida(p.guida, &avvisi);
    for (const QString& a : avvisi)
        std::fprintf(stderr, "hnemar-help: warning: %s\n", qUtf8Printable(a));
    try {
        hn::scriviFileSicuro(uscita, hlp);
        const QFileInfo f(uscita);
        hn::scriviFileSicuro(f.path() + u'/' + f.completeBaseName() + QStringLiteral(".cnt"),
                             hn::encodeCp1250(p.contenuti));
    } catch (const hn::ErroreVB& e) {
        return errore(uscita + QStringLiteral(": ") + e.descrizione());
    }
    return 0;
}

QString testoArgomento(const hn::winhelp::FileGuida& g, const hn::winhelp::Argomento& a) {
    QString out;
    int riga = -1;
    for (const auto& p : a.paragrafi) {
        if (p.riga != riga && p.riga >= 0)
            out += QStringLiteral("  |");
        riga = p.riga;
        out += p.nonScorrevole ? QStringLiteral("  = ") : QStringLiteral("    ");
        for (const auto& pz : p.pezzi) {
            switch (pz.tipo) {
            case hn::winhelp::Pezzo::Testo:
                out += pz.testo;
                break;
            case hn::winhelp::Pezzo::ACapo:
                out += QStringLiteral("\n    ");
                break;
            case hn::winhelp::Pezzo::Tab:
                out += u'\t';
                break;
            case hn::winhelp::Pezzo::Immagine: {
                const auto& r = a.immagini.at(pz.immagine);
                out += r.numero >= 0 ? QStringLiteral("[picture bm%1]").arg(r.numero)
                                     : QStringLiteral("[picture]");
                break;
            }
            }
            if (pz.collegamento >= 0 &&
                (&pz == &p.pezzi.last() ||
                 p.pezzi.at(&pz - p.pezzi.data() + 1).collegamento != pz.collegamento)) {
                const auto& c = a.collegamenti.at(pz.collegamento);
                if (c.tipo == hn::winhelp::Collegamento::Macro)
                    out += QStringLiteral(" [macro %1]").arg(c.macro);
                else {
                    const int t = c.file.isEmpty() ? g.argomentoDaHash(c.hash) : -1;
                    out += QStringLiteral(" [%1 %2]")
                               .arg(c.tipo == hn::winhelp::Collegamento::Popup
                                        ? QStringLiteral("popup")
                                        : QStringLiteral("jump"),
                                    t >= 0 ? g.titoloArgomento(t)
                                    : c.file.isEmpty()
                                        ? QStringLiteral("?%1").arg(c.hash, 8, 16, QChar(u'0'))
                                        : c.file);
                }
            }
        }
        out += u'\n';
    }
    return out;
}

void stampaContenuti(const QList<hn::winhelp::VoceContenuti>& voci, int livello) {
    for (const auto& v : voci) {
        stampa(QString(livello * 2, u' ') + v.testo +
               (v.contesto.isEmpty() ? QString() : QStringLiteral(" → ") + v.contesto));
        stampaContenuti(v.figli, livello + 1);
    }
}

int scarica(const QString& file, const QString& cartellaImmagini) {
    QByteArray dati;
    try {
        dati = hn::leggiFileRegolare(file, GuidaMassima);
    } catch (const hn::ErroreVB& e) {
        return errore(file + QStringLiteral(": ") + e.descrizione());
    }
    try {
        const auto g = hn::winhelp::FileGuida::apri(dati);
        stampa(QStringLiteral("Title: %1").arg(g.titolo()));
        if (!g.copyright().isEmpty())
            stampa(QStringLiteral("Copyright: %1").arg(g.copyright()));
        stampa(QStringLiteral("Format: version %1, %2, %3-byte topic blocks, code page %4")
                   .arg(g.versione())
                   .arg(g.lz77() ? QStringLiteral("LZ77") : QStringLiteral("uncompressed"))
                   .arg(g.dimensioneBlocco())
                   .arg(g.codePage()));
        for (const QString& m : g.macroIniziali())
            stampa(QStringLiteral("Macro: %1").arg(m));
        const QFileInfo info(file);
        const QString cnt = info.path() + u'/' + info.completeBaseName() + QStringLiteral(".cnt");
        if (QFileInfo(cnt).isFile()) {
            try {
                stampa(QStringLiteral("\nContents (%1):").arg(QFileInfo(cnt).fileName()));
                stampaContenuti(hn::winhelp::leggiContenuti(
                                    g.testo(hn::leggiFileRegolare(cnt, 4 * 1024 * 1024)))
                                    .voci,
                                1);
            } catch (const hn::ErroreVB& e) {
                stampa(QStringLiteral("  (%1)").arg(e.descrizione()));
            }
        }
        stampa(QStringLiteral("\nTopics: %1, contents topic: %2")
                   .arg(g.numeroArgomenti())
                   .arg(g.titoloArgomento(g.argomentoIniziale())));
        int immagini = 0;
        for (int i = 0; i < g.numeroArgomenti(); ++i) {
            const auto a = g.argomento(i);
            stampa(QStringLiteral("\n#%1 %2").arg(i + 1).arg(a.titolo));
            for (const QString& m : a.macro)
                stampa(QStringLiteral("    ! %1").arg(m));
            std::fputs(qUtf8Printable(testoArgomento(g, a)), stdout);
            for (const auto& r : a.immagini) {
                try {
                    const auto im = g.immagine(r);
                    const QString nome = r.numero >= 0
                                             ? QStringLiteral("bm%1").arg(r.numero)
                                             : QStringLiteral("t%1-%2").arg(i).arg(immagini);
                    ++immagini;
                    stampa(QStringLiteral("    picture %1: %2×%3")
                               .arg(nome)
                               .arg(im.dimensione.width())
                               .arg(im.dimensione.height()));
                    if (!cartellaImmagini.isEmpty() && !im.immagine.isNull()) {
                        QDir().mkpath(cartellaImmagini);
                        im.immagine.save(cartellaImmagini + u'/' + nome + QStringLiteral(".png"));
                    }
                    for (const auto& z : im.zone)
                        stampa(QStringLiteral("    hotspot %1,%2 %3×%4 → %5")
                                   .arg(z.rettangolo.x())
                                   .arg(z.rettangolo.y())
                                   .arg(z.rettangolo.width())
                                   .arg(z.rettangolo.height())
                                   .arg(z.collegamento.tipo == hn::winhelp::Collegamento::Macro
                                            ? z.collegamento.macro
                                            : z.collegamento.contesto));
                } catch (const hn::winhelp::ErroreGuida& e) {
                    stampa(QStringLiteral("    (%1)").arg(e.messaggio()));
                }
            }
        }
        if (!g.indice().isEmpty()) {
            stampa(QStringLiteral("\nIndex:"));
            for (const auto& v : g.indice()) {
                QStringList titoli;
                for (const int t : g.argomentiDiParola(v))
                    titoli.append(g.titoloArgomento(t));
                stampa(
                    QStringLiteral("  %1 → %2").arg(v.parola, titoli.join(QStringLiteral("; "))));
            }
        }
    } catch (const hn::winhelp::ErroreGuida& e) {
        return errore(file + QStringLiteral(": ") + e.messaggio());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto uscita = hn::opzioniComuni(argc, argv, riga))
        return *uscita;
    // Wrong usage is told before anything of Qt starts.
    const QByteArray comando = argc >= 2 ? QByteArray(argv[1]) : QByteArray();
    if (comando == "compile" && argc != 4)
        return hn::usoErrato(riga, QStringLiteral("compile takes PROJECT.hpj OUTPUT.hlp"));
    if (comando == "dump" && argc != 3 && argc != 4)
        return hn::usoErrato(riga, QStringLiteral("dump takes FILE.hlp [PICTURE_FOLDER]"));
    if (comando != "compile" && comando != "dump")
        return hn::usoErrato(riga, QStringLiteral("the first argument is compile or dump"));
    // Pictures need Qt's GUI types, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (comando == "compile")
        return compila(args[2], args[3]);
    return scarica(args[2], args.size() == 4 ? args[3] : QString());
}
