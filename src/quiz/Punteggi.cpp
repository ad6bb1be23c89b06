#include "Punteggi.h"

#include "ErroreVB.h"
#include "FileSicuro.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <cctype>

namespace hn::punteggi {

namespace {

// A score file is a few kilobytes; past this it is no file of ours.
constexpr qint64 DimensioneMassima = qint64(4) * 1024 * 1024;

const QString Tavole = QStringLiteral("plansza");
const QString Sistemi = QStringLiteral("uklad");

bool meglio(const Punteggio& a, const Punteggio& b) {
    const qint64 sinistra = qint64(a.giuste) * b.domande, destra = qint64(b.giuste) * a.domande;
    return sinistra != destra ? sinistra > destra : a.domande > b.domande;
}

bool sensato(const Punteggio& p) {
    return p.domande > 0 && p.giuste >= 0 && p.giuste <= p.domande;
}

// Digits only, no sign, no blanks: a hand edit or a flipped byte that breaks a number is damage,
// not a score of another size. -1 when it is none.
int intero(QByteArrayView b) {
    if (b.isEmpty() || b.size() > 9)
        return -1;
    int v = 0;
    for (char c : b) {
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

// Key names are written as ASCII: anything a plate key may hold beyond letters and digits is
// percent-encoded, so no key can break its line or pose as a section.
QByteArray nomeNelFile(const QString& nome) {
    return nome.toUtf8().toPercentEncoding("_-.");
}

std::optional<QString> nomeDalFile(QByteArrayView b) {
    if (b.isEmpty())
        return std::nullopt;
    for (char c : b)
        if (!(std::isalnum(uchar(c)) || c == '_' || c == '-' || c == '.' || c == '~' || c == '%') ||
            uchar(c) >= 0x80)
            return std::nullopt;
    const QByteArray grezzo = QByteArray::fromPercentEncoding(b.toByteArray());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString nome = utf8(grezzo);
    if (utf8.hasError() || nome.isEmpty())
        return std::nullopt;
    return nome;
}

Contenuto contenutoSulDisco(const QString& file) {
    try {
        return leggi(leggiFileRegolare(file, DimensioneMassima));
    } catch (const ErroreVB& e) {
        if (e.numero() == Errore::FileNonTrovato)
            return {};
        throw;
    }
}

} // namespace

QString chiaveTavola(const QString& tavola) {
    return Tavole + u'/' + tavola.toUpper();
}

QString chiaveSistema(const QString& sistema) {
    return Sistemi + u'/' + sistema.toUpper();
}

Contenuto leggi(QByteArrayView testo) {
    Contenuto c;
    QString sezione;
    bool sezioneNota = false;
    qsizetype inizio = 0;
    while (inizio < testo.size()) {
        qsizetype fine = testo.indexOf('\n', inizio);
        if (fine < 0)
            fine = testo.size();
        QByteArrayView riga = testo.sliced(inizio, fine - inizio);
        inizio = fine + 1;
        if (riga.endsWith('\r'))
            riga.chop(1);
        riga = riga.trimmed();
        if (riga.isEmpty() || riga.startsWith(';') || riga.startsWith('#'))
            continue;
        if (riga.startsWith('[') && riga.endsWith(']')) {
            const QByteArrayView nome = riga.sliced(1, riga.size() - 2);
            sezioneNota = nome == "plansza" || nome == "uklad";
            sezione = QString::fromLatin1(nome);
            c.danneggiato = c.danneggiato || !sezioneNota;
            continue;
        }
        const qsizetype uguale = riga.indexOf('=');
        const qsizetype barra = riga.lastIndexOf('/');
        const bool forma = uguale > 0 && barra > uguale;
        const std::optional<QString> nome =
            forma ? nomeDalFile(riga.first(uguale).trimmed()) : std::nullopt;
        const Punteggio p{forma ? intero(riga.sliced(uguale + 1, barra - uguale - 1)) : -1,
                          forma ? intero(riga.sliced(barra + 1)) : -1};
        if (!sezioneNota || !nome || !sensato(p)) {
            c.danneggiato = true;
            continue;
        }
        const QString chiave = sezione + u'/' + nome->toUpper();
        // The same key twice (a hand edit): the better one counts.
        const auto it = c.punteggi.constFind(chiave);
        if (it == c.punteggi.constEnd() || meglio(p, *it))
            c.punteggi.insert(chiave, p);
    }
    return c;
}

QByteArray scrivi(const QMap<QString, Punteggio>& punteggi) {
    QByteArray out = "; HNemar: najlepsze wyniki sprawdzianów\n";
    for (const QString& sezione : {Tavole, Sistemi}) {
        QByteArray righe;
        for (auto it = punteggi.constBegin(); it != punteggi.constEnd(); ++it) {
            // An empty name has no line of its own.
            if (!it.key().startsWith(sezione + u'/') || it.key().size() == sezione.size() + 1 ||
                !sensato(*it))
                continue;
            righe += nomeNelFile(it.key().sliced(sezione.size() + 1)) + '=' +
                     QByteArray::number(it->giuste) + '/' + QByteArray::number(it->domande) + '\n';
        }
        if (!righe.isEmpty())
            out += '[' + sezione.toLatin1() + "]\n" + righe;
    }
    return out;
}

QString percorsoFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/hnemar/sprawdzian.ini");
}

std::optional<Punteggio> migliore(const QString& chiave) {
    try {
        const Contenuto c = contenutoSulDisco(percorsoFile());
        const auto it = c.punteggi.constFind(chiave.section(u'/', 0, 0) + u'/' +
                                             chiave.section(u'/', 1).toUpper());
        if (it != c.punteggi.constEnd())
            return *it;
    } catch (const ErroreVB&) {
    }
    return std::nullopt;
}

bool registra(const QString& chiave, Punteggio p) {
    if (!sensato(p))
        return false;
    const QString file = percorsoFile();
    const QString cartella = QFileInfo(file).path();
    // A save killed half way left its file beside the scores.
    pulisciAvanzi(cartella);
    // A file that cannot be read is not overwritten with what little is known; one too large to
    // be ours is damage as a whole, kept aside.
    Contenuto c;
    try {
        c = contenutoSulDisco(file);
    } catch (const ErroreVB& e) {
        if (e.numero() != 7)
            throw;
        spostaFile(file, file + QStringLiteral(".bak"));
    }
    const auto prima = c.punteggi.constFind(chiave);
    if (prima != c.punteggi.constEnd() && !meglio(p, *prima))
        return false;
    if (!QDir().mkpath(cartella))
        throw ErroreVB(Errore::AccessoPercorso);
    if (c.danneggiato)
        scriviFileSicuro(file + QStringLiteral(".bak"), leggiFileRegolare(file, DimensioneMassima));
    c.punteggi.insert(chiave, p);
    scriviFileSicuro(file, scrivi(c.punteggi));
    return true;
}

} // namespace hn::punteggi
