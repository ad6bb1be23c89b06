#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace hn {

// Maps the program's Windows-form paths (C:\VELTO\DATI\hsmed.bin) onto the host like a Wine
// prefix: drive X: is the folder "drive_x" of the prefix, Z: is the host root. Every existing
// component is matched without regard to case, since CD-ROM data is often upper case.
class HostPaths {
public:
    // The paths of no installation: no folders, and no Windows path maps to a host file.
    HostPaths() = default;
    explicit HostPaths(QString prefixFolder, QString windowsFolder = QStringLiteral("C:\\WINDOWS"),
                       QString programFolder = QStringLiteral("C:\\VELTO\\HNEMAR"));

    const QString& prefix() const { return prefix_; }
    // Both without a trailing backslash, in Windows form.
    const QString& windowsFolder() const { return windowsFolder_; }
    const QString& programFolder() const { return programFolder_; }

    // The host folder of a drive letter ("drive_c" in the prefix, "/" for Z:).
    QString driveFolder(QChar letter) const;

    // The host path of a Windows path: existing components are found without regard to case, the
    // rest is kept as written. Empty when the path cannot name a file here (no such drive, a
    // network path, a control character or a character Windows forbids in names).
    std::optional<QString> toHost(const QString& windowsPath) const;

    // The Windows form of a host path the user picked (an absolute host path): a file under a
    // drive folder of the prefix keeps that drive letter, anything else is reached through Z:.
    QString toWindows(const QString& hostPath) const;

    // Host paths of the normal files matching a pattern whose last component may hold * and ?.
    // Folders, hidden (dot) files and special files never match. A pattern that cannot be mapped
    // matches nothing.
    QStringList findFiles(const QString& pattern) const;

private:
    std::optional<QString> resolve(const QString& windowsPath, QString* lastComponent) const;

    QString prefix_;
    QString windowsFolder_;
    QString programFolder_;
};

// Windows wildcard match of a file name: * any run, ? one character, without regard to case.
bool corrispondeAlModello(QStringView nome, QStringView modello);

} // namespace hn
