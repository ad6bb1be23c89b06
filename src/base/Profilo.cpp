#include "Profilo.h"

#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"

#include <QFile>
#include <QFileInfo>

namespace hn {

namespace {

QString copiaLimitata(const QString& valore, int size) {
    if (size <= 0)
        return {};
    return valore.left(size - 1);
}

QString togliVirgolette(const QString& v) {
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

} // namespace

int leggiProfiloPrivato(QByteArrayView ini, const QString& section, const QString& key,
                        const QString& defaultValue, QString& out, int size) {
    QString testo;
    if (ini.startsWith("\xEF\xBB\xBF"))
        testo = QString::fromUtf8(ini.sliced(3));
    else
        testo = decodeCp1250(ini);

    const QString sezione = section.trimmed();
    const QString chiave = key.trimmed();
    bool dentro = false;
    qsizetype pos = 0;
    while (pos <= testo.size()) {
        qsizetype fine = testo.indexOf(u'\n', pos);
        if (fine < 0)
            fine = testo.size();
        const QString riga = testo.sliced(pos, fine - pos).trimmed();
        pos = fine + 1;
        if (riga.startsWith(u'[')) {
            qsizetype chiusa = riga.indexOf(u']');
            if (chiusa < 0)
                chiusa = riga.size();
            const QString nome = riga.sliced(1, chiusa - 1).trimmed();
            if (dentro) // Only the first section of that name is read.
                break;
            dentro = nome.compare(sezione, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!dentro)
            continue;
        const qsizetype uguale = riga.indexOf(u'=');
        if (uguale < 0)
            continue;
        if (riga.first(uguale).trimmed().compare(chiave, Qt::CaseInsensitive) != 0)
            continue;
        out = copiaLimitata(togliVirgolette(riga.sliced(uguale + 1).trimmed()), size);
        return static_cast<int>(out.size());
    }
    out = copiaLimitata(defaultValue.trimmed(), size);
    return static_cast<int>(out.size());
}

int GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                            QString& out, int size, const QString& windowsFile) {
    QByteArray dati;
    // Anything but a regular file reads like a missing one; no INI file is this big.
    if (const auto file = host().paths->toHost(windowsFile)) {
        try {
            dati = leggiFileRegolare(*file, 16 * 1024 * 1024);
        } catch (const ErroreVB&) {
            dati.clear();
        }
    }
    return leggiProfiloPrivato(dati, section, key, defaultValue, out, size);
}

} // namespace hn
