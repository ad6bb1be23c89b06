#include "BusSessione.h"

#include <QtGlobal>

#include <sys/stat.h>
#include <unistd.h>

namespace hn {

namespace {

// A value in a D-Bus address: bytes outside a small safe set are written as %XX.
QByteArray valoreIndirizzo(const QByteArray& v) {
    QByteArray out;
    for (const char c : v) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
            c == '-' || c == '_' || c == '/' || c == '.' || c == '\\' || c == '*')
            out += c;
        else
            out += '%' + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return out;
}

} // namespace

QByteArray indirizzoBusSessione() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return {};
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QByteArray bus = runtime + "/bus";
        struct stat st {};
        if (::stat(bus.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid())
            return "unix:path=" + valoreIndirizzo(bus);
    }
    // A transport libdbus does not know: the connection fails at once, and nothing is started.
    return "disabled:";
}

void scegliBusSessione() {
    const QByteArray indirizzo = indirizzoBusSessione();
    if (!indirizzo.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", indirizzo);
}

} // namespace hn
