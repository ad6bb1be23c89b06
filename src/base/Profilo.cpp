#include "Profilo.h"

#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"
#include "IdentitaFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <algorithm>

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

// A file's bytes with what they were read from: the file's identity and when it was read.
struct IniLetto {
    IdentitaFile identita;
    qint64 letto = 0; // nanoseconds since the epoch
    QByteArray dati;
};

// File times move in coarse steps: a file rewritten within the same step as its last change,
// to the same size, keeps its identity. Bytes read a second or more after the file's last change
// are safe: any later change carries a later time.
constexpr qint64 AssestatoNs = 1000000000;

qint64 adessoNs() {
    return QDateTime::currentMSecsSinceEpoch() * 1000000;
}

} // namespace

QByteArray leggiFileIni(const QString& percorsoHost) {
    // Start-up reads some twenty keys, each asking the file anew: it is read once while it stays
    // the same file.
    static QMutex guardia;
    static QHash<QString, IniLetto> letti;
    const std::optional<IdentitaFile> ora = identitaDi(percorsoHost);
    QMutexLocker blocco(&guardia);
    if (const auto it = letti.constFind(percorsoHost);
        ora && it != letti.constEnd() && it->identita == *ora &&
        it->letto - std::max(ora->modifica, ora->cambio) >= AssestatoNs)
        return it->dati;
    letti.remove(percorsoHost);
    const qint64 quando = adessoNs();
    QByteArray dati = leggiFileRegolare(percorsoHost, 16 * 1024 * 1024);
    // A file whose identity changed while it was read is read again next time.
    if (ora && identitaDi(percorsoHost) == ora)
        letti.insert(percorsoHost, {*ora, quando, dati});
    return dati;
}

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
            dati = leggiFileIni(*file);
        } catch (const ErroreVB&) {
            dati.clear();
        }
    }
    return leggiProfiloPrivato(dati, section, key, defaultValue, out, size);
}

} // namespace hn
