#include "Pamiec.h"

#include "ErroreVB.h"
#include "FileSicuro.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace hn::pamiec {

namespace {

using atlante::ripasso::Diario;

// A line is under a hundred bytes; an atlas of a hundred thousand structures stays far below.
constexpr qint64 DimensioneMassima = qint64(32) * 1024 * 1024;

Diario sulDisco(const QString& file, int* scartate) {
    try {
        return Diario::leggi(leggiFileRegolare(file, DimensioneMassima), scartate);
    } catch (const ErroreVB& e) {
        if (e.numero() == Errore::FileNonTrovato)
            return {};
        throw;
    }
}

} // namespace

QString percorsoFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/hnemar/powtorki.txt");
}

qint64 oggi() {
    return QDate::currentDate().toJulianDay();
}

Diario carica(bool* danneggiato) {
    int scartate = 0;
    Diario d;
    try {
        d = sulDisco(percorsoFile(), &scartate);
    } catch (const ErroreVB&) {
        scartate = 1;
    }
    if (danneggiato)
        *danneggiato = scartate > 0;
    return d;
}

Diario registra(const QList<QPair<QString, atlante::ripasso::Voto>>& risposte, qint64 giorno) {
    const QString file = percorsoFile();
    const QString cartella = QFileInfo(file).path();
    // A save killed half way left its file beside the diary.
    pulisciAvanzi(cartella);
    // A file that cannot be read is not overwritten with what little is known; one too large to
    // be ours is damage as a whole, kept aside.
    int scartate = 0;
    Diario d;
    try {
        d = sulDisco(file, &scartate);
    } catch (const ErroreVB& e) {
        if (e.numero() != 7)
            throw;
        spostaFile(file, file + QStringLiteral(".bak"));
    }
    for (const auto& [chiave, voto] : risposte)
        d.registra(chiave, voto, giorno);
    if (!QDir().mkpath(cartella))
        throw ErroreVB(Errore::AccessoPercorso);
    if (scartate > 0)
        scriviFileSicuro(file + QStringLiteral(".bak"), leggiFileRegolare(file, DimensioneMassima));
    scriviFileSicuro(file, d.scrivi());
    return d;
}

} // namespace hn::pamiec
