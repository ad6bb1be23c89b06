#include "Messaggi.h"

#include "Cp1250.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"
#include "Percorsi.h"

#include <QFile>

namespace hn::Mod_Comuni {

QString TestoMessaggio;
QString TitoloMessaggio;

namespace {

// Columns of a line, 1-based as the file's layout gives them.
constexpr int ColonnaNumero = 0, LarghezzaNumero = 6;
constexpr int ColonnaTitolo = 73, LarghezzaTitolo = 30;
constexpr int ColonnaTesto = 103, LarghezzaTesto = 350;

QString campo(const QByteArray& riga, int colonna, int larghezza) {
    if (riga.size() <= colonna)
        return {};
    return decodeCp1250(QByteArrayView(riga).sliced(
                            colonna, qMin<qsizetype>(larghezza, riga.size() - colonna)))
        .trimmed();
}

} // namespace

const QString& marcatoreACapo() {
    static const QString m = QStringLiteral("\" & vbCrLf & \"");
    return m;
}

QByteArray componiRecordMessaggio(int numero, const QString& titolo, const QString& testo) {
    QByteArray riga(LunghezzaRecordMessaggio - 2, ' ');
    auto metti = [&riga](int colonna, int larghezza, const QString& valore) {
        const QByteArray b = encodeCp1250(valore).left(larghezza);
        riga.replace(colonna, b.size(), b);
    };
    metti(ColonnaNumero, LarghezzaNumero, QString::number(numero).rightJustified(LarghezzaNumero));
    metti(ColonnaTitolo, LarghezzaTitolo, titolo);
    metti(ColonnaTesto, LarghezzaTesto, testo);
    return riga + "\r\n";
}

QByteArray componiFileMessaggi(const QMap<int, std::pair<QString, QString>>& messaggi) {
    QByteArray file;
    const int ultimo = messaggi.isEmpty() ? 0 : qMin(messaggi.lastKey(), 999);
    for (int k = 1; k <= ultimo; ++k) {
        const auto it = messaggi.find(k);
        file += it == messaggi.end() ? componiRecordMessaggio(k, {}, {})
                                     : componiRecordMessaggio(k, it->first, it->second);
    }
    for (auto it = messaggi.lowerBound(1000); it != messaggi.end(); ++it)
        file += componiRecordMessaggio(it.key(), it->first, it->second);
    return file;
}

QString leggiRecordMessaggio(QIODevice& file, int numero, QString& titolo) {
    titolo.clear();
    QByteArray riga;
    if (numero < 1000) {
        if (numero < 1)
            return {};
        const qint64 inizio = qint64(numero - 1) * LunghezzaRecordMessaggio;
        if (!file.seek(inizio))
            return {};
        riga = file.read(LunghezzaRecordMessaggio);
    } else {
        // Read in large blocks, keeping only the first record's worth of each line: a file of
        // bare line feeds or of one huge line costs what a normal file of its size does.
        bool trovato = false;
        auto corrisponde = [&] {
            while (riga.endsWith('\r'))
                riga.chop(1);
            bool numerico = false;
            const int k = campo(riga, ColonnaNumero, LarghezzaNumero).toInt(&numerico);
            return numerico && k == numero;
        };
        QByteArray blocco;
        while (!trovato) {
            blocco = file.read(64 * 1024);
            if (blocco.isEmpty()) {
                trovato = !riga.isEmpty() && corrisponde(); // a last line without its end
                break;
            }
            qsizetype pos = 0;
            while (pos < blocco.size()) {
                if (riga.isEmpty()) { // empty lines: nothing to look at
                    const char* d = blocco.constData();
                    while (pos < blocco.size() && d[pos] == '\n')
                        ++pos;
                    if (pos == blocco.size())
                        break;
                }
                const qsizetype fine = blocco.indexOf('\n', pos);
                const qsizetype fineTratto = fine < 0 ? blocco.size() : fine;
                if (riga.size() < LunghezzaRecordMessaggio)
                    riga.append(blocco.constData() + pos,
                                qMin(fineTratto - pos, LunghezzaRecordMessaggio - riga.size()));
                if (fine < 0)
                    break;
                pos = fine + 1;
                if (!riga.isEmpty() && corrisponde()) {
                    trovato = true;
                    break;
                }
                riga.resize(0); // keeps its room for the next line
            }
        }
        if (!trovato)
            return {};
    }
    titolo = campo(riga, ColonnaTitolo, LarghezzaTitolo);
    return campo(riga, ColonnaTesto, LarghezzaTesto);
}

QString SostituisciParametri(const QString& testo, const QString& parametro) {
    QString t = testo;
    t.replace(marcatoreACapo(), QStringLiteral("\r\n"));
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
            testo = SostituisciParametri(leggiRecordMessaggio(file, numero, titoloLetto),
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
        rapporto = errore.descrizione() + u' ' + QString::number(n) + QStringLiteral(" w ") + ctx;
        break;
    }
    return MsgBox(rapporto, stile);
}

} // namespace hn::Mod_Comuni
