#pragma once

// For a test program that saves into the user's config folder: the folder is a temporary one,
// set before Qt first looks for it, and the files there are written and read back as they
// stand on disk. Include it in one file of the program.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace hn::prova {

inline QTemporaryDir configurazione;

inline void configurazioneTemporanea() {
    qputenv("XDG_CONFIG_HOME", configurazione.path().toUtf8());
}
Q_CONSTRUCTOR_FUNCTION(configurazioneTemporanea)

inline void scriviFile(const QString& percorso, const QByteArray& dati) {
    QDir().mkpath(QFileInfo(percorso).path());
    QFile f(percorso);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(dati), dati.size());
}

inline QByteArray contenuto(const QString& percorso) {
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace hn::prova
