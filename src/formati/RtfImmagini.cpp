#include "RtfLettore.h"

#include <QCryptographicHash>
#include <QImage>
#include <QTextDocument>
#include <QUrl>
#include <cmath>

// Pictures: PNG and JPEG data, in hexadecimal or after \bin, placed at their goal size.

namespace hn::rtf {

// The picture's kind, sizes and binary data.
void Lettore::eseguiImmagine(Cw cw, const Argomenti& a) {
    const std::string_view parola = a.parola;
    const int p = a.p;
    switch (cw) {
    case Cw::Pngblip:
        immagine_.tipo = TipoImmagine::Png;
        return;
    case Cw::Jpegblip:
        immagine_.tipo = TipoImmagine::Jpeg;
        return;
    case Cw::Picw:
        immagine_.larghezza = limita(p, 0, 100000);
        return;
    case Cw::Pich:
        immagine_.altezza = limita(p, 0, 100000);
        return;
    case Cw::Picwgoal:
        immagine_.larghezzaVoluta = limita(p, 0, kTwipsMassimi * 10);
        return;
    case Cw::Pichgoal:
        immagine_.altezzaVoluta = limita(p, 0, kTwipsMassimi * 10);
        return;
    case Cw::Picscalex:
        immagine_.scalaX = limita(p, 1, 1000);
        return;
    case Cw::Picscaley:
        immagine_.scalaY = limita(p, 1, 1000);
        return;
    case Cw::Bin: {
        const qsizetype quanti = std::min<qsizetype>(std::max(p, 0), d_.size() - pos_);
        immagine_.dati.append(d_.data() + pos_, quanti);
        pos_ += quanti;
        return;
    }
    default:
        if (cw == Cw::Ignota && !parola.empty() && parola.ends_with("blip"))
            immagine_.tipo = TipoImmagine::Altra;
        else if (cw == Cw::Ignota &&
                 (parola == "wmetafile" || parola == "macpict" || parola == "dibitmap" ||
                  parola == "wbitmap" || parola == "pmmetafile"))
            immagine_.tipo = TipoImmagine::Altra;
        return;
    }
}

// Picture data written as text: hexadecimal digits, anything else between them ignored.
void Lettore::datiImmagine(char16_t c) {
    const int v = c < 0x80 ? valoreEsadecimale(static_cast<char>(c)) : -1;
    if (v < 0)
        return;
    if (immagine_.nibble < 0) {
        immagine_.nibble = v;
    } else {
        immagine_.dati.append(static_cast<char>(immagine_.nibble * 16 + v));
        immagine_.nibble = -1;
    }
    return;
}

void Lettore::finisciImmagine() {
    Immagine img = std::move(immagine_);
    immagine_ = Immagine{};
    if (img.tipo != TipoImmagine::Png && img.tipo != TipoImmagine::Jpeg)
        return;
    QImage qi = QImage::fromData(img.dati, img.tipo == TipoImmagine::Png ? "PNG" : "JPEG");
    if (qi.isNull())
        return;
    double w = img.larghezzaVoluta > 0 ? img.larghezzaVoluta / 15.0 : qi.width();
    double h = img.altezzaVoluta > 0 ? img.altezzaVoluta / 15.0 : qi.height();
    // In whole twips, the format's unit, so that a size written back reads the same.
    w = std::round(std::clamp(w * img.scalaX / 100.0, 1.0, 20000.0) * 15.0) / 15.0;
    h = std::round(std::clamp(h * img.scalaY / 100.0, 1.0, 20000.0) * 15.0) / 15.0;
    const QString nome =
        QStringLiteral("rtfimg:") +
        QString::fromLatin1(QCryptographicHash::hash(img.dati, QCryptographicHash::Md5).toHex()) +
        (img.tipo == TipoImmagine::Png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    documento_->addResource(QTextDocument::ImageResource, QUrl(nome), qi);
    // The picture sits in the paragraph of the group around \pict.
    const bool nascosto = pila_.size() >= 2 && pila_[pila_.size() - 2].car.nascosto;
    if (nascosto || pila_.size() < 2 || pila_[pila_.size() - 2].dest != Dest::Testo)
        return;
    scarica();
    preparaContenuto();
    QTextImageFormat fi;
    fi.setName(nome);
    fi.setWidth(w);
    fi.setHeight(h);
    cursore_.insertImage(fi);
}

} // namespace hn::rtf
