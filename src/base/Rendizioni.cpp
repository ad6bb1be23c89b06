#include "Rendizioni.h"

#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"
#include "Immagine.h"
#include "PngPerRighe.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace hn {

QString nomeRendizione(const QString& nome, int fattore) {
    if (fattore <= 1)
        return nome;
    const QString segno = QStringLiteral("@%1x").arg(fattore);
    // The extension is what follows the last dot of the last path element.
    const qsizetype barra = std::max(nome.lastIndexOf(u'\\'), nome.lastIndexOf(u'/'));
    const qsizetype punto = nome.lastIndexOf(u'.');
    if (punto <= barra)
        return nome + segno;
    return nome.left(punto) + segno + nome.mid(punto);
}

int fattoreDelNome(const QString& nome) {
    static const QRegularExpression segno(QStringLiteral("@([2-9])x(\\.[^.\\\\/]*)?$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = segno.match(nome);
    return m.hasMatch() ? m.captured(1).toInt() : 1;
}

bool scomponiNomeRendizione(const QString& nome, QString& base, QString& fattore) {
    static const QRegularExpression segno(
        QStringLiteral("^(.*)@([0-9]+(?:\\.[0-9]+)?)x(\\.[^.\\\\/]*)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = segno.match(nome);
    if (!m.hasMatch())
        return false;
    base = m.captured(1) + m.captured(3);
    fattore = m.captured(2);
    return true;
}

namespace {

// The buffers of pictures made by immagineInPixelPropri and avvolgiPixelPropri that are still
// theirs: a buffer taken out of its picture is no longer freed by it. Never destroyed: a
// picture kept in a static (the last pointer made) is freed after every static is gone.
QBasicMutex mutexPropri;
QSet<const void*>& bufferPropri() {
    static auto* insieme = new QSet<const void*>;
    return *insieme;
}

void liberaPropri(void* dati) {
    {
        const QMutexLocker chiave(&mutexPropri);
        if (!bufferPropri().remove(dati))
            return;
    }
    std::free(dati);
}

bool formatoA32Bit(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

QImage avvolgiPixelPropri(uchar* dati, QSize misura, qsizetype bytesPerLine,
                          QImage::Format formato) {
    if (!dati)
        return {};
    {
        const QMutexLocker chiave(&mutexPropri);
        bufferPropri().insert(dati);
    }
    QImage immagine(dati, misura.width(), misura.height(), bytesPerLine, formato, liberaPropri,
                    dati);
    // A picture Qt refused never calls its clean-up.
    if (immagine.isNull())
        liberaPropri(dati);
    return immagine;
}

QImage immagineInPixelPropri(QSize misura, QImage::Format formato) {
    if (misura.isEmpty() || formato == QImage::Format_Invalid || misura.width() > 32767 ||
        misura.height() > 32767)
        return {};
    const qint64 bit = QImage::toPixelFormat(formato).bitsPerPixel();
    const qint64 riga = (misura.width() * bit + 31) / 32 * 4;
    const qint64 totale = riga * misura.height();
    // The reader's own limit, which a picture handed to it in advance would bypass.
    const qint64 limite = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (bit == 0 || (limite > 0 && totale > limite) ||
        totale > std::numeric_limits<qsizetype>::max() / 2)
        return {};
    return avvolgiPixelPropri(static_cast<uchar*>(std::malloc(size_t(totale))), misura, riga,
                              formato);
}

bool pixelPropri(const QImage& immagine) {
    if (immagine.isNull() || !immagine.isDetached())
        return false;
    const QMutexLocker chiave(&mutexPropri);
    return bufferPropri().contains(immagine.constBits());
}

uchar* prendiPixelPropri(QImage& immagine) {
    if (!pixelPropri(immagine))
        return nullptr;
    uchar* dati = const_cast<uchar*>(immagine.constBits());
    {
        const QMutexLocker chiave(&mutexPropri);
        bufferPropri().remove(dati);
    }
    immagine = QImage();
    return dati;
}

QImage decodificaRendizione(QIODevice& dispositivo, QSize attesa) {
    if (!attesa.isValid())
        return {};
    // Named when the bytes tell it (no image plugin loaded to ask), else recognised by Qt; bytes
    // that only look like a known format are tried both ways.
    const qint64 inizio = dispositivo.pos();
    const QByteArray formato = formatoDaiByte(dispositivo.peek(16));
    for (const bool dalContenuto : {formato.isEmpty(), true}) {
        if (!dispositivo.seek(inizio))
            return {};
        QImageReader lettore(&dispositivo, dalContenuto ? QByteArray() : formato);
        lettore.setDecideFormatFromContent(dalContenuto);
        lettore.setAutoDetectImageFormat(dalContenuto);
        if (lettore.size() == attesa) {
            // A reader handed a picture of its size and format decodes into it.
            QImage immagine;
            if (formatoA32Bit(lettore.imageFormat()))
                immagine = immagineInPixelPropri(attesa, lettore.imageFormat());
            if (lettore.read(&immagine) && immagine.size() == attesa)
                return immagine;
        }
        if (dalContenuto)
            break;
    }
    return {};
}

QImage decodificaRendizione(const QByteArray& dati, QSize attesa) {
    QBuffer buffer;
    buffer.setData(dati);
    buffer.open(QIODevice::ReadOnly);
    return decodificaRendizione(buffer, attesa);
}

QImage rendizionePiuGrande(const QImage& base, const Rendizioni& rendizioni, int* fattore) {
    const QList<int> fattori = rendizioni.fattori();
    for (auto f = fattori.crbegin(); f != fattori.crend() && *f > 1; ++f) {
        QImage r = rendizioni.carica(*f);
        if (!r.isNull() && r.size() == base.size() * *f) {
            if (fattore)
                *fattore = *f;
            return r;
        }
    }
    if (fattore)
        *fattore = 1;
    return base;
}

Rendizioni rendizioniNellaCartella(const QString& percorso, QSize base) {
    QList<std::pair<int, QString>> trovati;
    if (base.isEmpty())
        return {};
    for (int f : FattoriCercati) {
        const std::optional<QString> file = host().paths->toHost(nomeRendizione(percorso, f));
        if (file && QFileInfo(*file).isFile())
            trovati.append({f, *file});
    }
    return rendizioniDaiFile(trovati, base);
}

Rendizioni rendizioniDaiFile(const QList<std::pair<int, QString>>& file, QSize base) {
    Rendizioni r;
    if (base.isEmpty())
        return r;
    for (const auto& [f, percorso] : file) {
        // Read whole, or reduced as it is read: the same file, the same checks.
        const auto leggi = [file = percorso,
                            attesa = base * f](QSize ridotta) -> std::optional<QImage> {
            try {
                QFile dati;
                apriInLettura(dati, file);
                // No picture file is this large; a bigger one is not a rendition.
                if (dati.size() > qint64(256) * 1024 * 1024)
                    return QImage();
                if (ridotta.isValid())
                    return decodificaRendizioneRidotta(dati, attesa, ridotta);
                return decodificaRendizione(dati, attesa);
            } catch (const ErroreVB&) {
                return QImage();
            }
        };
        r.aggiungi(
            f, [leggi] { return *leggi(QSize()); }, leggi);
    }
    return r;
}

QImage immagineDaRisorsa(const QString& percorso) {
    if (!percorso.startsWith(u":/"))
        return {};
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    try {
        return decodificaImmagine(file.readAll());
    } catch (const ErroreVB&) {
        return {};
    }
}

Rendizioni rendizioniDaRisorsa(const QString& percorso, QSize base) {
    Rendizioni r;
    // Only the program's own compiled-in pictures: files go through the safe readers.
    if (!percorso.startsWith(u":/"))
        return r;
    for (int f : FattoriCercati) {
        const QString nome = nomeRendizione(percorso, f);
        if (!QFile::exists(nome))
            continue;
        r.aggiungi(f, [nome, attesa = base * f] {
            // Compiled into the program, not a file of the installation.
            QFile file(nome);
            if (!file.open(QIODevice::ReadOnly))
                return QImage();
            return decodificaRendizione(file.readAll(), attesa);
        });
    }
    return r;
}

void Rendizioni::aggiungi(int fattore, Caricatore carica, CaricatoreRidotto ridotta) {
    if (fattore < 2 || !carica)
        return;
    auto it = std::find_if(voci_.begin(), voci_.end(),
                           [fattore](const Voce& v) { return v.fattore >= fattore; });
    if (it != voci_.end() && it->fattore == fattore)
        *it = Voce{fattore, std::move(carica), std::move(ridotta)};
    else
        voci_.insert(it, Voce{fattore, std::move(carica), std::move(ridotta)});
}

QList<int> Rendizioni::fattori() const {
    QList<int> tutti{1};
    for (const Voce& v : voci_)
        tutti.append(v.fattore);
    return tutti;
}

int Rendizioni::scegli(double necessario) const {
    return scegliRendizione(fattori(), necessario);
}

int Rendizioni::massimo() const {
    return voci_.isEmpty() ? 1 : voci_.constLast().fattore;
}

QImage Rendizioni::carica(int fattore) const {
    for (const Voce& v : voci_)
        if (v.fattore == fattore)
            return v.carica();
    return {};
}

std::optional<QImage> Rendizioni::caricaRidotta(int fattore, QSize bersaglio) const {
    for (const Voce& v : voci_)
        if (v.fattore == fattore && v.ridotta)
            return v.ridotta(bersaglio);
    return std::nullopt;
}

int scegliRendizione(const QList<int>& fattori, double necessario) {
    if (fattori.isEmpty())
        return 1;
    // A hair below a whole factor (1.9999 from a rounded ratio) still takes that factor.
    for (int f : fattori)
        if (f + 1e-6 >= necessario)
            return f;
    return fattori.constLast();
}

} // namespace hn
