#include "Percorsi.h"

#include "HostPaths.h"
#include "Messaggi.h"
#include "Passo.h"

namespace hn::Mod_Comuni {

namespace {

// The answers of the path routines' handlers: Yes retries, Ignore goes on, anything else goes on
// too, or ends the program where the routine cannot do without its result.
Azione gestisciPercorso(const ErroreVB& e, const QString& routine, bool terminaAltrimenti) {
    const int risposta = SegnalaErrore(e, routine);
    if (risposta == Risposta::Si)
        return Azione::Riprova;
    if (risposta == Risposta::Ignora || !terminaAltrimenti)
        return Azione::Prosegui;
    return Azione::Termina;
}

} // namespace

bool EsisteFile(const QString& percorso) {
    if (percorso.isEmpty())
        return false;
    try {
        return !host().paths->findFiles(percorso).isEmpty();
    } catch (...) {
        return false;
    }
}

QString AggiungiSlash(const QString& testo) {
    QString t = testo.trimmed();
    if (!t.endsWith(u'\\'))
        t += u'\\';
    return t;
}

QString EliminaSlash(const QString& testo) {
    QString t;
    eseguiPasso([&] { t = testo.trimmed(); },
                [](const ErroreVB& e) {
                    return gestisciPercorso(e, QStringLiteral("EliminaSlash"), true);
                });
    eseguiPasso(
        [&] {
            if (t.endsWith(u'\\'))
                t.chop(1);
        },
        [](const ErroreVB& e) {
            return gestisciPercorso(e, QStringLiteral("EliminaSlash"), true);
        });
    return t;
}

QString TogliNull(const QString& testo) {
    const qsizetype p = testo.indexOf(QChar(u'\0'));
    if (p < 0)
        return testo.trimmed();
    return testo.first(p).trimmed();
}

QString EstraiNomeFileDaPathname(const QString& percorso) {
    QString t = percorso;
    eseguiPasso(
        [&] {
            if (const qsizetype p = t.lastIndexOf(u'\\'); p >= 0)
                t = t.mid(p + 1);
            if (const qsizetype p = t.lastIndexOf(u':'); p >= 0)
                t = t.mid(p + 1);
        },
        [](const ErroreVB& e) {
            return gestisciPercorso(e, QStringLiteral("EstraiNomeFileDaPathname"), false);
        });
    return t;
}

QString EstraiPathnameDaFile(const QString& percorso) {
    QString risultato;
    eseguiPasso(
        [&] {
            const QString nome = EstraiNomeFileDaPathname(percorso);
            if (!nome.isEmpty())
                risultato = percorso.first(percorso.size() - nome.size());
        },
        [](const ErroreVB& e) {
            return gestisciPercorso(e, QStringLiteral("EstraiPathnameDaFile"), false);
        });
    return risultato;
}

} // namespace hn::Mod_Comuni
