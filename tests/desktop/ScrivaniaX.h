#pragma once

// What the desktop tests ask of the X server they run on (sotto_x.sh gives them one): its tools'
// answers, keys and clicks sent to it, what its monitor shows, and the program started as a
// student starts it.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace scrivania {

// An X tool's standard output, trimmed.
inline QString x(const QString& programma, const QStringList& argomenti) {
    QProcess p;
    p.start(programma, argomenti);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

inline void tasto(const char* nome) {
    x(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(nome)});
}

inline void clic(QPoint p) {
    x(QStringLiteral("xdotool"),
      {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
       QStringLiteral("click"), QStringLiteral("1")});
}

// The windows of a process the X server shows: mapped, whoever manages them.
inline QStringList finestreVisibili(qint64 pid) {
    const QString r =
        x(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                      QStringLiteral("--pid"), QString::number(pid)});
    return r.isEmpty() ? QStringList() : r.split(u'\n');
}

// The process's visible windows once it shows one, waiting up to `ms`; empty when none came.
inline QStringList finestreAttese(qint64 pid, int ms = 30000) {
    QElapsedTimer tempo;
    tempo.start();
    QStringList finestre = finestreVisibili(pid);
    while (finestre.isEmpty() && tempo.elapsed() < ms) {
        QTest::qWait(100);
        finestre = finestreVisibili(pid);
    }
    return finestre;
}

// What the monitor shows now.
inline QImage schermata() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// Once the display has settled: two looks a moment apart agree.
inline QImage ferma(int passoMs = 200) {
    QImage prima = schermata();
    for (int i = 0; i < 30; ++i) {
        QTest::qWait(passoMs);
        QImage ora = schermata();
        if (ora == prima)
            return ora;
        prima = ora;
    }
    return prima;
}

// The program started with a home of its own, so its prefix is filled from the demo, and none
// of the variables that would point it elsewhere or fix its scale.
inline void avvia(QProcess& programma, const QTemporaryDir& casa, const QString& eseguibile) {
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("HOME"), casa.path());
    ambiente.insert(QStringLiteral("XDG_RUNTIME_DIR"), casa.path());
    for (const char* v : {"XDG_DATA_HOME", "HNEMAR_PREFIX", "HNEMAR_SCALE"})
        ambiente.remove(QString::fromLatin1(v));
    programma.setProcessEnvironment(ambiente);
    programma.start(eseguibile, {});
}

} // namespace scrivania
