#pragma once

#include "Host.h"

#include <QPointer>
#include <QTextBrowser>

namespace hn {

class PannelloGuida;

// The help viewer: a window of the program that shows a help file at its contents. A WinHelp
// file (the installation's halvo.hlp) gets the full help window; an HTML page in UTF-8 is shown
// as it is; anything else gets a short notice instead of garbage.
class FinestraGuida : public HelpViewerService {
public:
    ~FinestraGuida() override;
    void showContents(const QString& helpFile) override;
    // The window's text, once opened (for tests and the screenshot tool).
    QTextBrowser* finestra() const;
    PannelloGuida* pannello() const;

private:
    QPointer<QWidget> pannello_;
};

// The text the viewer shows for a help file's bytes that are no WinHelp file.
QString contenutoGuida(const QByteArray& dati);

} // namespace hn
