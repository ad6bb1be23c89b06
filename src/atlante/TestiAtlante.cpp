#include "TestiAtlante.h"

#include "Cp1250.h"
#include "RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace hn::atlante {

QString nomeTesto(const QString& codice) {
    QStringView c(codice);
    while (c.startsWith(u' '))
        c = c.sliced(1);
    while (c.endsWith(u' '))
        c.chop(1);
    return c.toString() + QStringLiteral(".RTF");
}

TestiAtlante::TestiAtlante(std::shared_ptr<const blob::Archivio> store)
    : store_(std::move(store)) {}

bool TestiAtlante::contiene(const QString& codice) const {
    return store_ && store_->trova(nomeTesto(codice));
}

std::optional<QByteArray> TestiAtlante::byte(const QString& codice) const {
    const blob::Voce* v = store_ ? store_->trova(nomeTesto(codice)) : nullptr;
    if (!v)
        return std::nullopt;
    return store_->leggi(*v);
}

bool TestiAtlante::documento(const QString& codice, QTextDocument& documento) const {
    const std::optional<QByteArray> b = byte(codice);
    if (!b)
        return false;
    if (sembraRtf(*b))
        leggiRtf(*b, documento);
    else
        documento.setPlainText(decodeCp1250(*b));
    return true;
}

Sommario sommarioDi(const QTextDocument& documento) {
    Sommario s;
    s.testo = documento.toPlainText();
    // The bold run from the first visible character on; it may cross fragments, not paragraphs.
    bool iniziato = false, finito = false;
    for (QTextBlock b = documento.begin(); b.isValid() && !finito; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd() && !finito; ++it) {
            const QTextFragment f = it.fragment();
            const bool vuoto = f.text().trimmed().isEmpty();
            if (!iniziato && vuoto)
                continue;
            if (f.charFormat().fontWeight() >= QFont::DemiBold) {
                iniziato = true;
                s.nome += f.text();
            } else if (!vuoto) {
                finito = true;
            }
        }
        finito = finito || iniziato;
    }
    s.nome = s.nome.simplified();
    while (!s.nome.isEmpty() && QStringView(u":–-,.›").contains(s.nome.back()))
        s.nome = s.nome.chopped(1).trimmed();
    return s;
}

Sommario sommarioDi(QByteArrayView rtf) {
    if (!sembraRtf(rtf))
        return {{}, decodeCp1250(rtf)};
    QTextDocument d;
    leggiRtf(rtf, d);
    return sommarioDi(d);
}

} // namespace hn::atlante
