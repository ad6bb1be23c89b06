#include "StoreDiProva.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <zip.h>

namespace hn::prova {

QByteArray immagineDiProva(int larghezza, int altezza, QColor colore, const char* formato) {
    QImage img(larghezza, altezza, QImage::Format_RGB32);
    img.fill(colore);
    QByteArray dati;
    QBuffer b(&dati);
    b.open(QIODevice::WriteOnly);
    if (!img.save(&b, formato))
        qFatal("cannot encode a %s fixture", formato);
    return dati;
}

void scriviStore(const HostDiProva& host, const QString& windowsPath,
                 const QList<blob::VoceNuova>& voci) {
    blob::scriviStore(host.percorsoHost(windowsPath), voci);
}

void scriviZipGrezzo(const QString& percorsoHost,
                     const QList<std::pair<QByteArray, QByteArray>>& voci, bool deflate) {
    QDir().mkpath(QFileInfo(percorsoHost).path());
    int errore = 0;
    zip_t* z =
        zip_open(QFile::encodeName(percorsoHost).constData(), ZIP_CREATE | ZIP_TRUNCATE, &errore);
    if (!z)
        qFatal("cannot create %s", qPrintable(percorsoHost));
    for (const auto& [nome, dati] : voci) {
        zip_source_t* s = zip_source_buffer(z, dati.constData(), zip_uint64_t(dati.size()), 0);
        const zip_int64_t i = zip_file_add(z, nome.constData(), s, ZIP_FL_ENC_RAW);
        if (i < 0)
            qFatal("cannot add %s: %s", nome.constData(), zip_strerror(z));
        zip_set_file_compression(z, zip_uint64_t(i), deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    }
    if (zip_close(z) != 0)
        qFatal("cannot write %s", qPrintable(percorsoHost));
}

void alteraDirectory(const QString& percorsoHost, const QByteArray& nome, int campo,
                     quint32 valore) {
    QFile f(percorsoHost);
    if (!f.open(QIODevice::ReadWrite))
        qFatal("cannot open %s", qPrintable(percorsoHost));
    QByteArray dati = f.readAll();
    // Central directory record: signature PK 1 2, name length at 28, name at 46.
    for (qsizetype p = dati.indexOf("PK\x01\x02"); p >= 0; p = dati.indexOf("PK\x01\x02", p + 4)) {
        const int lunghezza = quint8(dati[p + 28]) | quint8(dati[p + 29]) << 8;
        if (dati.mid(p + 46, lunghezza) != nome)
            continue;
        for (int k = 0; k < 4; ++k)
            dati[p + campo + k] = char((valore >> (8 * k)) & 0xFF);
        f.seek(0);
        f.write(dati);
        return;
    }
    qFatal("no entry %s in %s", nome.constData(), qPrintable(percorsoHost));
}

QStringList tuttiIFile(const QString& cartella) {
    QStringList file;
    QDirIterator it(cartella, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        file.append(QDir(cartella).relativeFilePath(it.next()));
    file.sort();
    return file;
}

namespace {
bool impostaImmutabile(const QString& cartella, bool si) {
    const int fd = ::open(QFile::encodeName(cartella).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int attributi = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &attributi) == 0;
    if (ok) {
        attributi = si ? attributi | FS_IMMUTABLE_FL : attributi & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &attributi) == 0;
    }
    ::close(fd);
    return ok;
}
} // namespace

CartellaSolaLettura::CartellaSolaLettura(QString cartella)
    : cartella_(std::move(cartella)) {
    QFile::setPermissions(cartella_, QFile::ReadOwner | QFile::ExeOwner);
    // Permissions do not stop root; the immutable attribute does.
    if (::geteuid() == 0)
        immutabile_ = impostaImmutabile(cartella_, true);
    const QString sonda = cartella_ + QStringLiteral("/.sonda");
    QFile f(sonda);
    attiva_ = !f.open(QIODevice::WriteOnly);
    if (!attiva_)
        QFile::remove(sonda);
}

CartellaSolaLettura::~CartellaSolaLettura() {
    if (immutabile_)
        impostaImmutabile(cartella_, false);
    QFile::setPermissions(cartella_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace hn::prova
