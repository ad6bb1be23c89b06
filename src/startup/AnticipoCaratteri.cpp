#include "AnticipoCaratteri.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QThread>

namespace hn::anticipo {

namespace {

// Never destroyed while it may run: an exit elsewhere must not meet a running QThread's
// destructor, which aborts the process.
QThread*& filo() {
    static QThread* t = nullptr;
    return t;
}

} // namespace

void avviaCaratteri() {
    if (filo() || !QGuiApplication::instance())
        return;
    // Taken here: the thread must not touch the application object.
    filo() = QThread::create([font = QGuiApplication::font()] {
        // Lists every family (fontconfig reads its configuration and caches), then matches the
        // application's font for a text of the program's own, Polish letters included.
        QFontDatabase::families();
        QFontMetrics(font).horizontalAdvance(QStringLiteral("Szukaj ąęłóśżź"));
    });
    filo()->start(QThread::LowPriority);
}

void fermaCaratteri() {
    if (!filo())
        return;
    filo()->wait();
    delete filo();
    filo() = nullptr;
}

} // namespace hn::anticipo
