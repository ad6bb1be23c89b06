#include "Punteggi.h"

#include <QSettings>
#include <memory>

namespace hn::punteggi {

namespace {

std::unique_ptr<QSettings> impostazioni() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("hnemar"), QStringLiteral("sprawdzian"));
}

bool meglio(const Punteggio& a, const Punteggio& b) {
    const qint64 sinistra = qint64(a.giuste) * b.domande, destra = qint64(b.giuste) * a.domande;
    return sinistra != destra ? sinistra > destra : a.domande > b.domande;
}

} // namespace

QString chiaveTavola(const QString& tavola) {
    return QStringLiteral("plansza/") + tavola.toUpper();
}

QString chiaveSistema(const QString& sistema) {
    return QStringLiteral("uklad/") + sistema.toUpper();
}

std::optional<Punteggio> migliore(const QString& chiave) {
    const QStringList v = impostazioni()->value(chiave).toString().split(u'/');
    bool ok1 = false, ok2 = false;
    const Punteggio p{v.value(0).toInt(&ok1), v.value(1).toInt(&ok2)};
    // A hand-edited value that makes no sense is no score.
    if (v.size() != 2 || !ok1 || !ok2 || p.domande <= 0 || p.giuste < 0 || p.giuste > p.domande)
        return std::nullopt;
    return p;
}

bool registra(const QString& chiave, Punteggio p) {
    if (p.domande <= 0)
        return false;
    const std::optional<Punteggio> prima = migliore(chiave);
    if (prima && !meglio(p, *prima))
        return false;
    const auto s = impostazioni();
    s->setValue(chiave, QStringLiteral("%1/%2").arg(p.giuste).arg(p.domande));
    s->sync();
    return true;
}

} // namespace hn::punteggi
