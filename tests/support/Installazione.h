#pragma once

#include "HostDiProva.h"

#include <QMap>
#include <QString>
#include <utility>

namespace hn::prova {

// A fixture installation in the test prefix: KORMM.INI, the module INI file with every key (each
// can be changed or removed before writing), the second-disc marker, and "help.bin" with a
// recognisable text for every message the program uses.
class Installazione {
public:
    explicit Installazione(HostDiProva& host);

    void imposta(const QString& sezione, const QString& chiave, const QString& valore);
    void rimuovi(const QString& sezione, const QString& chiave);
    // Writes every file; call again after a change.
    void scrivi();

    // Message texts by number; "Messaggio N" with title "Titolo N" unless changed.
    QMap<int, std::pair<QString, QString>> messaggi;

    QString windows = QStringLiteral("C:\\WINDOWS\\");
    QString iniModulo = QStringLiteral("C:\\VELTO\\VELTOMM.INI");
    QString cartellaProgramma = QStringLiteral("C:\\VELTO\\HNEMAR\\");
    bool scriviKormm = true;
    bool scriviModulo = true;
    bool scriviMessaggi = true;
    // Null: no marker file.
    QByteArray marcatore = QByteArrayLiteral("\"disco 2\",\"Velto 2002\"\r\n");

private:
    HostDiProva& host_;
    QList<std::pair<QString, QList<std::pair<QString, QString>>>> sezioni_;
};

// The numbers of every message the program shows.
QList<int> numeriMessaggiUsati();

} // namespace hn::prova
