#pragma once

#include <QDir>
#include <QProcess>
#include <QStringList>

namespace hn::prova {

// A folder mounted on a small file system of its own, read-only or nearly full, for the failures
// a user meets on a real disk. Needs the right to mount: monta() is false elsewhere, and the test
// skips.
class Montaggio {
public:
    Montaggio() = default;
    Montaggio(const Montaggio&) = delete;
    Montaggio& operator=(const Montaggio&) = delete;
    ~Montaggio() {
        if (montato_)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), cartella_});
    }

    bool monta(const QString& cartella, const QStringList& opzioni) {
        cartella_ = cartella;
        QDir().mkpath(cartella);
        montato_ = QProcess::execute(QStringLiteral("mount"), opzioni + QStringList{cartella}) == 0;
        return montato_;
    }
    // The folder as a read-only view of itself.
    bool solaLettura(const QString& cartella) {
        return monta(cartella, {QStringLiteral("--bind"), cartella}) &&
               QProcess::execute(
                   QStringLiteral("mount"),
                   {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), cartella}) == 0;
    }
    // An empty file system of `kb` kilobytes.
    bool piccolo(const QString& cartella, int kb) {
        return monta(cartella, {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                QStringLiteral("size=%1k").arg(kb), QStringLiteral("tmpfs")});
    }

private:
    QString cartella_;
    bool montato_ = false;
};

} // namespace hn::prova
