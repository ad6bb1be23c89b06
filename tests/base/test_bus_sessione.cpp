// The session bus address the program puts into its environment before Qt starts: the user's
// bus when there is one, else none at all, never libdbus's own autolaunch, which leaves a
// dbus-launch and a dbus-daemon running after the program ends.

#include "BusSessione.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace hn;

namespace {

// A listening Unix socket at the path, as a user's bus leaves one.
int socketA(const QByteArray& percorso) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, percorso.constData(), sizeof a.sun_path - 1);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0)
        qFatal("cannot bind %s", percorso.constData());
    return fd;
}

} // namespace

class TestBusSessione : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void indirizzoScelto() {
        QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/bus sessione-XXXXXX"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

        // An address the desktop gives is left alone.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus");
        QCOMPARE(indirizzoBusSessione(), QByteArray());
        scegliBusSessione();
        QCOMPARE(qgetenv("DBUS_SESSION_BUS_ADDRESS"), QByteArray("unix:path=/run/user/1000/bus"));

        // None, and no bus in the runtime folder: an address that starts nothing.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QCOMPARE(indirizzoBusSessione(), QByteArray("disabled:"));
        qputenv("DBUS_SESSION_BUS_ADDRESS", "");
        QCOMPARE(indirizzoBusSessione(), QByteArray("disabled:"));
        // A file by that name is no bus.
        QFile finto(runtime.filePath(QStringLiteral("bus")));
        QVERIFY(finto.open(QIODevice::WriteOnly));
        finto.close();
        QCOMPARE(indirizzoBusSessione(), QByteArray("disabled:"));
        QVERIFY(finto.remove());

        // The user's bus: its path written as a D-Bus address value (the blank escaped).
        const int fd = socketA(QFile::encodeName(runtime.filePath(QStringLiteral("bus"))));
        const QByteArray atteso =
            "unix:path=" + QFile::encodeName(runtime.path()).replace(" ", "%20") + "/bus";
        QCOMPARE(indirizzoBusSessione(), atteso);
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        scegliBusSessione();
        QCOMPARE(qgetenv("DBUS_SESSION_BUS_ADDRESS"), atteso);
        ::close(fd);
    }
};

QTEST_APPLESS_MAIN(TestBusSessione)
#include "test_bus_sessione.moc"
