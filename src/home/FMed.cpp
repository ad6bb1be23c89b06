#include "FMed.h"

#include "Fileini.h"
#include "Host.h"

#include <QPalette>

namespace hn {

FMed::FMed(QWidget* parent)
    : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}

void FMed::Form_Load() {
    if (host().instance && !host().instance->acquire())
        TerminaProgramma(0);
    Fileini::AvvioModulo();
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Velto 2002"));
    if (host().screen)
        resize(host().screen->widthPixels(), host().screen->heightPixels());
}

} // namespace hn
