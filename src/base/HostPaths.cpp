#include "HostPaths.h"

#include <QDir>
#include <QFileInfo>

namespace hn {

namespace {

bool nomeValido(const QString& componente, bool jollyAmmessi) {
    for (QChar c : componente) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == u'<' || u == u'>' || u == u'"' || u == u'|' || u == u':')
            return false;
        if (!jollyAmmessi && (u == u'*' || u == u'?'))
            return false;
    }
    return true;
}

// The entry of `folder` named `name` without regard to case; an exact match wins.
QString trovaSenzaMaiuscole(const QString& folder, const QString& name) {
    if (QFileInfo::exists(folder + u'/' + name))
        return name;
    const QStringList voci = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot);
    for (const QString& voce : voci)
        if (voce.compare(name, Qt::CaseInsensitive) == 0)
            return voce;
    return name;
}

} // namespace

bool corrispondeAlModello(QStringView nome, QStringView modello) {
    // Iterative * and ? matching with one backtrack point, without regard to case.
    qsizetype n = 0, m = 0, stellaM = -1, stellaN = 0;
    while (n < nome.size()) {
        if (m < modello.size() && modello[m] == u'*') {
            stellaM = m++;
            stellaN = n;
        } else if (m < modello.size() &&
                   (modello[m] == u'?' || modello[m].toCaseFolded() == nome[n].toCaseFolded())) {
            ++m;
            ++n;
        } else if (stellaM >= 0) {
            m = stellaM + 1;
            n = ++stellaN;
        } else {
            return false;
        }
    }
    while (m < modello.size() && modello[m] == u'*')
        ++m;
    return m == modello.size();
}

HostPaths::HostPaths(QString prefixFolder, QString windowsFolder, QString programFolder)
    : prefix_(std::move(prefixFolder))
    , windowsFolder_(std::move(windowsFolder))
    , programFolder_(std::move(programFolder)) {}

QString HostPaths::driveFolder(QChar letter) const {
    const QChar l = letter.toLower();
    if (l == u'z')
        return QStringLiteral("/");
    return prefix_ + QStringLiteral("/drive_") + l;
}

std::optional<QString> HostPaths::toHost(const QString& windowsPath) const {
    return resolve(windowsPath, nullptr);
}

QString HostPaths::toWindows(const QString& hostPath) const {
    const QString pulito = QDir::cleanPath(hostPath);
    // The prefix as given and as the file system spells it: the chooser may report either.
    for (const QString& base : {QDir::cleanPath(prefix_), QFileInfo(prefix_).canonicalFilePath()}) {
        if (base.isEmpty())
            continue;
        const QString inizio = base + QStringLiteral("/drive_");
        if (!pulito.startsWith(inizio) || pulito.size() < inizio.size() + 1)
            continue;
        const QChar lettera = pulito.at(inizio.size());
        const QString resto = pulito.mid(inizio.size() + 1);
        if (!lettera.isLetter() || (!resto.isEmpty() && !resto.startsWith(u'/')))
            continue;
        QString w =
            QString(lettera.toUpper()) + u':' + (resto.isEmpty() ? QStringLiteral("/") : resto);
        return w.replace(u'/', u'\\');
    }
    QString w = QStringLiteral("Z:") + pulito;
    return w.replace(u'/', u'\\');
}

std::optional<QString> HostPaths::resolve(const QString& windowsPath,
                                          QString* lastComponent) const {
    QString p = windowsPath;
    p.replace(u'/', u'\\');
    if (prefix_.isEmpty() || p.isEmpty() || p.startsWith(QStringLiteral("\\\\")))
        return std::nullopt;

    QChar drive;
    QString rest;
    if (p.size() >= 2 && p[1] == u':' && p[0].isLetter() && p[0].unicode() < 0x80) {
        drive = p[0];
        rest = p.mid(2);
    } else if (p.startsWith(u'\\')) {
        drive = programFolder_[0];
        rest = p;
    } else {
        drive = programFolder_[0];
        rest = programFolder_.mid(2) + u'\\' + p;
    }

    const QString root = driveFolder(drive);
    if (!QFileInfo(root).isDir())
        return std::nullopt;

    QStringList parti;
    const QStringList componenti = rest.split(u'\\', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < componenti.size(); ++i) {
        const QString& c = componenti[i];
        const bool ultimo = i == componenti.size() - 1;
        if (c == u'.')
            continue;
        if (c == QStringLiteral("..")) {
            if (!parti.isEmpty())
                parti.removeLast();
            continue;
        }
        if (!nomeValido(c, ultimo && lastComponent))
            return std::nullopt;
        parti.append(c);
    }

    QString host = root == QStringLiteral("/") ? QString() : root;
    if (lastComponent) {
        *lastComponent = parti.isEmpty() ? QString() : parti.takeLast();
    }
    bool esiste = true;
    for (const QString& c : parti) {
        const QString nome =
            esiste ? trovaSenzaMaiuscole(host.isEmpty() ? QStringLiteral("/") : host, c) : c;
        host += u'/' + nome;
        esiste = esiste && QFileInfo::exists(host);
    }
    if (host.isEmpty())
        host = QStringLiteral("/");
    return host;
}

QStringList HostPaths::findFiles(const QString& pattern) const {
    QString nome;
    const std::optional<QString> cartella = resolve(pattern, &nome);
    if (!cartella || nome.isEmpty())
        return {};
    const QString modello = nome == QStringLiteral("*.*") ? QStringLiteral("*") : nome;

    QStringList trovati;
    const QDir dir(*cartella);
    const QStringList voci = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& voce : voci)
        if (corrispondeAlModello(voce, modello))
            trovati.append(dir.filePath(voce));
    return trovati;
}

} // namespace hn
