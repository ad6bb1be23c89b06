#include "Messaggi.h"

#include "FileMessaggi.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"
#include "Percorsi.h"

#include <QFile>

namespace hn::Mod_Comuni {

QString TestoMessaggio;
QString TitoloMessaggio;

QString SostituisciParametri(const QString& testo, const QString& parametro) {
    QString t = testo;
    t.replace(atlante::marcatoreACapo(), QStringLiteral("\r\n"));
    QString risultato;
    risultato.reserve(t.size());
    for (QChar c : t) {
        if (c == u'&')
            risultato += parametro;
        else
            risultato += c;
    }
    return risultato;
}

QString fileMessaggi() {
    const QString cartella = host().paths->programFolder();
    for (const QString& nome :
         {cartella + QStringLiteral("\\help.bin"), cartella + QStringLiteral("\\..\\help.bin")})
        if (EsisteFile(nome))
            return nome;
    return {};
}

namespace {

// Never an empty box: the number and where its text was looked for let someone fix it.
QString oSostituto(int numero, const QString& testo) {
    if (!testo.trimmed().isEmpty())
        return testo;
    const auto comeHost = [](const QString& w) { return host().paths->toHost(w).value_or(w); };
    const QString file = fileMessaggi();
    if (file.isEmpty())
        return QStringLiteral("[Komunikat nr %1: nie znaleziono pliku komunikatów %2]")
            .arg(numero)
            .arg(comeHost(host().paths->programFolder() + QStringLiteral("\\help.bin")));
    return QStringLiteral("[Komunikat nr %1: brak tekstu w pliku %2]")
        .arg(numero)
        .arg(comeHost(file));
}

// A text that is one or more sentences (a line break, or a full stop at its end) rather than a
// phrase such as a routine's name or "Nieprawidłowy obraz".
bool zdanie(const QString& t) {
    const QString s = t.trimmed();
    return s.contains(u'\n') || s.endsWith(u'.') || s.endsWith(u'!') || s.endsWith(u'?') ||
           s.endsWith(u':');
}

// The report of an error without a message of its own: its description, its number and where it
// happened. A routine's name as the context reads "Indeks poza zakresem 9 w EliminaSlash"; when
// the description or the context is a sentence, "w" would stick to it, so the number goes in
// brackets at the end of the description and a sentence of context follows on its own line.
QString rapportoSenzaMessaggio(const ErroreVB& e, const QString& ctx) {
    const QString n = QString::number(e.numero());
    if (!ctx.trimmed().isEmpty() && !zdanie(e.descrizione()) && !zdanie(ctx))
        return e.descrizione() + u' ' + n + QStringLiteral(" w ") + ctx;
    QString d = e.descrizione().trimmed();
    while (d.endsWith(u'.') || d.endsWith(u':'))
        d.chop(1);
    const QString c = ctx.trimmed();
    const QString numero = (c.isEmpty() || zdanie(c) ? QString() : c + QStringLiteral(", ")) +
                           QStringLiteral("błąd nr ") + n;
    QString r = d.isEmpty() ? numero : d + QStringLiteral(" (") + numero + u')';
    r[0] = r[0].toUpper();
    r += u'.';
    if (zdanie(c))
        r += QStringLiteral("\r\n") + c;
    return r;
}

} // namespace

QString TestoDaMostrare(int numero, const QString& parametro) {
    return oSostituto(numero, LeggiMessaggio(numero, {}, parametro));
}

QString LeggiMessaggio(int numero, const QString& ignorato, const QString& parametro,
                       QString* titolo) {
    Q_UNUSED(ignorato);
    QString titoloLetto;
    const QString nome = fileMessaggi();
    QString testo;
    if (!nome.isEmpty()) {
        // A file that cannot be opened reads like a missing one: the reports that need it are
        // called from error handlers, which must not fail in turn.
        QFile file;
        try {
            apriInLettura(file, host().paths->toHost(nome).value_or(QString()));
            testo = SostituisciParametri(atlante::leggiRecordMessaggio(file, numero, titoloLetto),
                                         parametro.trimmed());
        } catch (const ErroreVB&) {
            titoloLetto.clear();
        }
    }
    if (titolo)
        *titolo = titoloLetto;
    return testo;
}

int SegnalaErrore(const ErroreVB& errore, const QString& contesto) {
    const QString ctx = contesto; // callers may pass TestoMessaggio itself
    const int n = errore.numero();
    if (n < 0) // errors reported by controls: let the caller go on
        return Risposta::Ignora;

    // TestoMessaggio keeps what the file says; the box shows a stand-in for a missing text.
    TestoMessaggio = LeggiMessaggio(63, {}, QString::number(n), &TitoloMessaggio);
    const QString apertura = oSostituto(63, TestoMessaggio) + u' ';
    QString rapporto;
    int stile = Stile::OK | Stile::Critico;
    auto conMessaggio = [&](int numero, const QString& parametro) {
        TestoMessaggio = LeggiMessaggio(numero, {}, parametro, &TitoloMessaggio);
        rapporto = apertura + oSostituto(numero, TestoMessaggio);
    };
    switch (n) {
    case 53:
    case 76:
        conMessaggio(64, ctx);
        break;
    case 57:
        conMessaggio(65, ctx);
        break;
    case 65534:
        conMessaggio(66, ctx);
        break;
    case 3024:
    case 3051:
        conMessaggio(67, ctx);
        break;
    case 3279:
        conMessaggio(68, ctx);
        break;
    case 3021:
        conMessaggio(69, ctx);
        break;
    case 482:
        TestoMessaggio = LeggiMessaggio(70, {}, {}, &TitoloMessaggio);
        rapporto = oSostituto(70, TestoMessaggio);
        stile = Stile::RiprovaAnnulla | Stile::Critico;
        break;
    case 65532:
        conMessaggio(71, {});
        break;
    case 14:
        conMessaggio(72, {});
        stile = Stile::OK | Stile::Informazione;
        break;
    case 65533:
        conMessaggio(73, {});
        stile = Stile::OK;
        break;
    default:
        rapporto = rapportoSenzaMessaggio(errore, ctx);
        break;
    }
    return MsgBox(rapporto, stile);
}

} // namespace hn::Mod_Comuni
