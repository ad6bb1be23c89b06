#include "StoreDiProva.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QtEndian>

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
    img.save(&b, formato); // opens the buffer for writing
    return dati;
}

void scriviZipGrezzo(const QString& file, const QList<std::pair<QByteArray, QByteArray>>& voci,
                     bool deflate) {
    QDir().mkpath(QFileInfo(file).path());
    zip_t* z = zip_open(QFile::encodeName(file).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    for (const auto& [nome, dati] : voci) {
        zip_source_t* s = zip_source_buffer(z, dati.constData(), zip_uint64_t(dati.size()), 0);
        const zip_int64_t i = zip_file_add(z, nome.constData(), s, ZIP_FL_ENC_RAW);
        zip_set_file_compression(z, zip_uint64_t(i), deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    }
    if (zip_close(z) != 0)
        qFatal("cannot write %s", qPrintable(file));
}

void alteraDirectory(const QString& file, int campo, quint32 valore) {
    QFile f(file);
    f.open(QIODevice::ReadWrite);
    const quint32 le = qToLittleEndian(valore);
    f.seek(f.readAll().indexOf("PK\x01\x02") + campo);
    f.write(reinterpret_cast<const char*>(&le), sizeof le);
}

QStringList tuttiIFile(const QString& cartella) {
    QStringList file;
    QDirIterator it(cartella, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        file.append(QDir(cartella).relativeFilePath(it.next()));
    file.sort();
    return file;
}

bool soloLettura(const QString& cartella, bool si) {
    QFile::setPermissions(cartella, si ? QFile::ReadOwner | QFile::ExeOwner
                                       : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (::geteuid() == 0) { // permissions do not stop root
        const int fd = ::open(QFile::encodeName(cartella).constData(), O_RDONLY | O_DIRECTORY);
        int attributi = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &attributi) == 0) {
            attributi = si ? attributi | FS_IMMUTABLE_FL : attributi & ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &attributi);
        }
        ::close(fd);
    }
    QFile sonda(cartella + QStringLiteral("/.sonda"));
    const bool scrivibile = sonda.open(QIODevice::WriteOnly);
    sonda.remove();
    return si != scrivibile;
}

} // namespace hn::prova
