#pragma once

#include "Host.h"

#include <QPointer>

#include <QTextBrowser>

namespace hn {

// The help viewer: a window of the program that shows a help file from its first page. Help
// files are HTML text in UTF-8; a file in any other form (an old binary help file) gets a short
// notice instead of garbage.
class FinestraGuida : public HelpViewerService {
public:
    ~FinestraGuida() override;
    void showContents(const QString& helpFile) override;
    // The window, once opened (for tests and the screenshot tool).
    QTextBrowser* finestra() const { return finestra_; }

private:
    QPointer<QTextBrowser> finestra_;
};

// The text the viewer shows for a help file's bytes.
QString contenutoGuida(const QByteArray& dati);

} // namespace hn
