#pragma once

// The real host services, on Qt and POSIX. Only main() builds them.

#include "Host.h"

#include <QLockFile>
#include <memory>

class QPrinter;

namespace hn {

class QtMessageBox : public MessageBoxService {
public:
    int show(const QString& text, int style, const QString& title) override;
};

class ExitProgramEnd : public ProgramEnd {
public:
    void endNow(int exitCode) override;
};

// The forms are drawn for 640 × 480, 800 × 600 and 1024 × 768 displays; a larger monitor is
// presented as a 1024 × 768 screen that the window scales up.
class QtScreen : public ScreenService {
public:
    int widthPixels() const override;
    int heightPixels() const override;
    double twipsPerPixelX() const override { return 15.0; }
    double twipsPerPixelY() const override { return 15.0; }
    void setMousePointer(int pointer) override;
    int mousePointer() const override { return pointer_; }
    void doEvents() override;

private:
    int pointer_ = Puntatore::Predefinito;
    bool pushed_ = false; // an override cursor of ours is on the stack
};

// A lock file in a folder; QLockFile sees through a lock left by a crashed instance.
class FileInstanceLock : public InstanceLock {
public:
    explicit FileInstanceLock(const QString& lockPath);
    bool acquire() override;

private:
    QLockFile lock_;
};

class QtClipboard : public ClipboardService {
public:
    void clear() override;
    void put(const ClipboardContents& contents) override;
    ClipboardContents contents() const override;
};

// The default printer, or a PDF file when there is none or when a file is named.
class QtPrinter : public PrinterService {
public:
    explicit QtPrinter(QString pdfFile = {});
    ~QtPrinter() override;
    void startDocument(const QString& title) override;
    void newPage() override;
    void endDocument() override;
    QPainter* painter() override;
    double unitsPerTwip() const override;
    QSizeF pageSizeTwips() const override;
    QRectF printableRectTwips() const override;
    // The file the last document went to, when it went to a file.
    const QString& outputFile() const { return output_; }

private:
    QString pdfFile_;
    QString output_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
};

} // namespace hn
