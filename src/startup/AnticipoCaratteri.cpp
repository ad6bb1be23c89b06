#include "AnticipoCaratteri.h"

#include <QFontDatabase>
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
    // Populating the database is the shared part: fonts matched and loaded for drawing are
    // cached per thread, so doing that here would only be done again by the screen's thread.
    filo() = QThread::create([] { QFontDatabase::families(); });
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
