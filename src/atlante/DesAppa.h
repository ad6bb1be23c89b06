#pragma once

// "DesAppa.bin": one CR LF line per body system, the code in characters 1-10 padded with
// blanks, the description from character 11 on. Windows-1250.

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace hn::atlante {

using RigaDesAppa = std::pair<QString, QString>; // code, description (both trimmed)

QList<RigaDesAppa> leggiDesAppa(QByteArrayView dati);
// The first line whose code equals `codice` exactly; empty when none does.
QString descrizioneSistema(const QList<RigaDesAppa>& righe, const QString& codice);
QByteArray scriviDesAppa(const QList<RigaDesAppa>& righe);

} // namespace hn::atlante
