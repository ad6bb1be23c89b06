#include "AtlanteDiProva.h"

#include "BlobStore.h"
#include "Cp1250.h"
#include "Fileini.h"
#include "StoreDiProva.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

namespace hn::prova {

namespace {

QByteArray campo(const QByteArray& valore, int larghezza) {
    return valore.left(larghezza).leftJustified(larghezza, ' ');
}

QByteArray bmp(QColor colore) {
    QImage img(1024, 768, QImage::Format_RGB888);
    img.fill(colore);
    QByteArray dati;
    QBuffer b(&dati);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "BMP");
    return dati;
}

} // namespace

RigaHsmed intestazione(const QByteArray& tavola, const QByteArray& testo, int x1, int y1, int x2,
                       int y2) {
    return {tavola,
            "000000",
            {},
            QByteArray::number(x1),
            QByteArray::number(y1),
            QByteArray::number(x2),
            QByteArray::number(y2),
            testo,
            {}};
}

RigaHsmed hotspot(const QByteArray& tavola, const QByteArray& codice, int x1, int y1, int x2,
                  int y2, const QByteArray& collegamento) {
    return {tavola,
            codice,
            collegamento,
            QByteArray::number(x1).rightJustified(3, '0'),
            QByteArray::number(y1).rightJustified(3, '0'),
            QByteArray::number(x2).rightJustified(3, '0'),
            QByteArray::number(y2).rightJustified(3, '0'),
            {},
            {}};
}

QByteArray recordHsmed(const RigaHsmed& r) {
    return campo(r.tavola, 8) + campo(r.codice, 8) + campo(r.collegamento, 8) + campo(r.x1, 3) +
           campo(r.y1, 3) + campo(r.x2, 3) + campo(r.y2, 3) + campo(r.testo, 8) +
           campo(r.riserva, 6);
}

QByteArray tabellaHsmed(const QList<RigaHsmed>& righe) {
    QByteArray t;
    for (const RigaHsmed& r : righe)
        t += recordHsmed(r);
    return t;
}

QByteArray rtfDiProva(const QString& testo) {
    QByteArray corpo;
    for (QChar c : testo) {
        const unsigned char b = unicodeToCp1250(c.unicode());
        if (b >= 0x80)
            corpo += "\\'" + QByteArray::number(b, 16);
        else if (c == u'\n')
            corpo += "\\par ";
        else
            corpo += char(b);
    }
    return "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}"
           "\\pard\\f0\\fs20 " +
           corpo + "\\par}";
}

QByteArray didascaliaDiProva(const QString& nome, const QString& testo) {
    QByteArray b = "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\\pard\\f0{\\b ";
    const auto scrivi = [&b](const QString& s) {
        for (QChar c : s)
            b += c.unicode() < 128 ? QByteArray(1, char(c.unicode()))
                                   : "\\u" + QByteArray::number(c.unicode()) + '?';
    };
    scrivi(nome);
    b += "} ";
    scrivi(testo);
    return b + "\\par}";
}

AtlanteDiProva::AtlanteDiProva(HostDiProva& host)
    : host_(host) {
    Fileini::cfg.PathDati = Dati;
    Fileini::cfg.PathFoto = Dati;
    Fileini::cfg.PathSfondi = Sfondi;
    Fileini::cfg.PathTemp = Temp;
}

void AtlanteDiProva::scriviTabella() {
    host_.scriviFile(Dati + QStringLiteral("hsmed.bin"), tabellaHsmed(righe));
}

void AtlanteDiProva::scrivi() {
    scriviTabella();
    // A store cannot hold nothing: an atlas without texts or plates has no such store at all.
    const auto scriviStore = [this](const QString& nome, const QMap<QString, QByteArray>& voci) {
        const QString file = host_.percorsoHost(Dati + nome);
        if (voci.isEmpty()) {
            QFile::remove(file);
            return;
        }
        QList<blob::VoceNuova> nuove;
        for (auto it = voci.cbegin(); it != voci.cend(); ++it)
            nuove.append({it.key(), it.value(), {}});
        blob::scriviStore(file, nuove);
    };
    scriviStore(QStringLiteral("hsmed.dat"), testi);
    scriviStore(QStringLiteral("BlobCorp.dat"), tavole);
    if (sistemi.isValid())
        host_.scriviFile(Sfondi + QStringLiteral("sistemi.bmp"), bmp(sistemi));
    if (schelet.isValid())
        host_.scriviFile(Sfondi + QStringLiteral("schelet.bmp"), bmp(schelet));
    QByteArray desappa;
    for (auto it = descrizioni.cbegin(); it != descrizioni.cend(); ++it)
        desappa += encodeCp1250(it.key().leftJustified(10, u' ') + it.value()) + "\r\n";
    host_.scriviFile(Dati + QStringLiteral("DesAppa.bin"), desappa);
}

} // namespace hn::prova
