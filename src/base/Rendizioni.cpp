#include "Rendizioni.h"

#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"
#include "Immagine.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <algorithm>

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

QImage decodificaRendizione(const QByteArray& dati, QSize attesa) {
    if (!attesa.isValid())
        return {};
    // Named when the bytes tell it (no image plugin loaded to ask), else recognised by Qt; bytes
    // that only look like a known format are tried both ways.
    const QByteArray formato = formatoDaiByte(dati);
    for (const bool dalContenuto : {formato.isEmpty(), true}) {
        QBuffer buffer;
        buffer.setData(dati);
        buffer.open(QIODevice::ReadOnly);
        QImageReader lettore(&buffer, dalContenuto ? QByteArray() : formato);
        lettore.setDecideFormatFromContent(dalContenuto);
        lettore.setAutoDetectImageFormat(dalContenuto);
        QImage immagine;
        if (lettore.size() == attesa && lettore.read(&immagine) && immagine.size() == attesa)
            return immagine;
        if (dalContenuto)
            break;
    }
    return {};
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
    Rendizioni r;
    if (base.isEmpty())
        return r;
    for (int f : FattoriCercati) {
        const std::optional<QString> file = host().paths->toHost(nomeRendizione(percorso, f));
        if (!file || !QFileInfo(*file).isFile())
            continue;
        r.aggiungi(f, [file = *file, attesa = base * f] {
            try {
                // No picture file is this large; a bigger one is not a rendition.
                return decodificaRendizione(leggiFileRegolare(file, qint64(256) * 1024 * 1024),
                                            attesa);
            } catch (const ErroreVB&) {
                return QImage();
            }
        });
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

void Rendizioni::aggiungi(int fattore, Caricatore carica) {
    if (fattore < 2 || !carica)
        return;
    auto it = std::find_if(voci_.begin(), voci_.end(),
                           [fattore](const Voce& v) { return v.fattore >= fattore; });
    if (it != voci_.end() && it->fattore == fattore)
        it->carica = std::move(carica);
    else
        voci_.insert(it, Voce{fattore, std::move(carica)});
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
