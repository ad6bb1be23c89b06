#include "Rendizioni.h"

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
