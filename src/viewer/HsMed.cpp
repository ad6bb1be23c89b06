#include "HsMed.h"

#include "BlobStore.h"
#include "Cp1250.h"
#include "FileSicuro.h"
#include "Fileini.h"
#include "Fseek.h"
#include "Host.h"
#include "HostPaths.h"
#include "IdentitaFile.h"
#include "Percorsi.h"
#include "RichTextBox.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <sys/stat.h>

namespace hn {

float TwipsPerPixelXCorrente = 15;
float TwipsPerPixelYCorrente = 15;

namespace {

// Beyond this a "table" is no atlas's (the largest hold a few hundred thousand records): it is
// refused rather than read into memory.
constexpr qint64 DimensioneMassimaTabella = qint64(64) * 1024 * 1024;

// The runtime's Trim: blanks only.
QByteArrayView senzaSpazi(QByteArrayView b) {
    while (!b.isEmpty() && b.front() == ' ')
        b = b.sliced(1);
    while (!b.isEmpty() && b.back() == ' ')
        b.chop(1);
    return b;
}

QString testoCampo(QByteArrayView record, int inizio, int larghezza) {
    return decodeCp1250(senzaSpazi(record.sliced(inizio, larghezza)));
}

// The stored form of a plate key as the viewer asks for it: upper case, in the table's code
// page. A key the code page cannot hold matches nothing.
std::optional<QByteArray> chiaveCercata(const QString& tavola) {
    const QString maiuscola = tavola.toUpper();
    QByteArray b = encodeCp1250(maiuscola);
    if (decodeCp1250(b) != maiuscola)
        return std::nullopt;
    return b;
}

void rimuoviFile(const QString& percorso) {
    if (const std::optional<QString> f = host().paths->toHost(percorso))
        QFile::remove(*f);
}

} // namespace

float valoreCampo(QByteArrayView campo) {
    return float(Fileini::valoreIniziale(QString::fromLatin1(campo)));
}

RecordHotSpot decodificaRecord(QByteArrayView byte) {
    QByteArray pieno =
        byte.first(std::min<qsizetype>(byte.size(), LunghezzaRecordHotSpot)).toByteArray();
    if (pieno.size() < LunghezzaRecordHotSpot)
        pieno.append(LunghezzaRecordHotSpot - pieno.size(), ' ');
    const QByteArrayView r(pieno);
    RecordHotSpot rec;
    rec.Tavola = testoCampo(r, 0, 8);
    rec.Codice = testoCampo(r, 8, 8);
    rec.Collegamento = testoCampo(r, 16, 8);
    rec.X1 = valoreCampo(r.sliced(24, 3));
    rec.Y1 = valoreCampo(r.sliced(27, 3));
    rec.X2 = valoreCampo(r.sliced(30, 3));
    rec.Y2 = valoreCampo(r.sliced(33, 3));
    rec.Testo = testoCampo(r, 36, 8);
    return rec;
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::leggi(QIODevice& dispositivo) {
    if (!dispositivo.isReadable())
        throw ErroreVB(Errore::AccessoPercorso);
    QByteArray dati;
    for (;;) {
        const qint64 letti = dati.size();
        if (letti > DimensioneMassimaTabella)
            throw ErroreVB(7);
        const QByteArray parte = dispositivo.read(1 << 20);
        if (parte.isEmpty()) {
            if (dispositivo.atEnd() || dispositivo.isSequential())
                break;
            throw ErroreVB(Errore::AccessoPercorso);
        }
        dati += parte;
    }
    return daByte(std::move(dati));
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::daByte(QByteArray dati) {
    std::shared_ptr<TabellaHotSpot> t(new TabellaHotSpot);
    t->dati_ = std::move(dati);
    const qsizetype n = t->dati_.size();
    t->numeroRecord_ = (n + LunghezzaRecordHotSpot - 1) / LunghezzaRecordHotSpot;
    if (n == 0)
        t->difetto_ = QStringLiteral("jest pusty");
    else if (n % LunghezzaRecordHotSpot != 0)
        t->difetto_ = QStringLiteral("ma %1 B, a to nie jest wielokrotność długości rekordu "
                                     "(%2 B), więc rekordy są przesunięte")
                          .arg(n)
                          .arg(LunghezzaRecordHotSpot);
    bool sterujacy = false;
    for (qsizetype i = 0; i < t->numeroRecord_; ++i) {
        const qsizetype inizio = i * LunghezzaRecordHotSpot;
        QByteArrayView chiave =
            senzaSpazi(QByteArrayView(t->dati_).sliced(inizio, std::min<qsizetype>(8, n - inizio)));
        // A key is text padded with blanks: control bytes there mean some other kind of file.
        sterujacy = sterujacy || std::any_of(chiave.begin(), chiave.end(),
                                             [](char c) { return uchar(c) < 0x20; });
        // A short last record padded with blanks trims to the same key.
        auto it = t->indice_.find(QByteArray::fromRawData(chiave.data(), chiave.size()));
        if (it == t->indice_.end())
            it = t->indice_.insert(chiave.toByteArray(), {});
        if (it->size() < MassimoHotSpot)
            it->append(qint32(i));
    }
    if (sterujacy && t->difetto_.isEmpty())
        t->difetto_ = QStringLiteral("nie jest tabelą punktów aktywnych (klucze plansz zawierają "
                                     "znaki sterujące)");
    return t;
}

std::shared_ptr<const TabellaHotSpot> TabellaHotSpot::delFile(const QString& percorso) {
    static QHash<QString, std::pair<IdentitaFile, std::shared_ptr<const TabellaHotSpot>>> letti;

    const std::optional<QString> file = host().paths->toHost(percorso);
    if (!file)
        throw ErroreVB(Errore::FileNonTrovato);
    struct stat st {};
    if (::stat(QFile::encodeName(*file).constData(), &st) != 0) {
        letti.remove(*file);
        throw ErroreVB(errno == ENOENT || errno == ENOTDIR ? Errore::FileNonTrovato
                                                           : Errore::AccessoPercorso);
    }
    const IdentitaFile ora = IdentitaFile::di(st);
    if (const auto it = letti.constFind(*file); it != letti.constEnd() && it->first == ora)
        return it->second;

    letti.remove(*file);
    QFile f;
    apriInLettura(f, *file);
    std::shared_ptr<const TabellaHotSpot> t = leggi(f);
    letti.insert(*file, {ora, t});
    return t;
}

const QList<qint32>* TabellaHotSpot::posizioni(const QString& tavola) const {
    const std::optional<QByteArray> chiave = chiaveCercata(tavola);
    if (!chiave)
        return nullptr;
    const auto it = indice_.constFind(*chiave);
    return it == indice_.constEnd() ? nullptr : &*it;
}

RecordHotSpot TabellaHotSpot::record(qint32 indice) const {
    return decodificaRecord(
        QByteArrayView(dati_)
            .sliced(qsizetype(indice) * LunghezzaRecordHotSpot)
            .first(std::min<qsizetype>(LunghezzaRecordHotSpot,
                                       dati_.size() - qsizetype(indice) * LunghezzaRecordHotSpot)));
}

QList<RecordHotSpot> TabellaHotSpot::recordDellaTavola(const QString& tavola) const {
    QList<RecordHotSpot> risultato;
    if (const QList<qint32>* p = posizioni(tavola)) {
        risultato.reserve(p->size());
        for (qint32 i : *p)
            risultato.append(record(i));
    }
    return risultato;
}

std::optional<RecordHotSpot> TabellaHotSpot::cerca(const QString& tavola, qint16 n) const {
    const QList<qint32>* p = posizioni(tavola);
    if (!p || n < 1 || n > p->size())
        return std::nullopt;
    return record((*p)[n - 1]);
}

void LeggiTwipsPerPixel() {
    TwipsPerPixelXCorrente = float(host().screen->twipsPerPixelX());
    TwipsPerPixelYCorrente = float(host().screen->twipsPerPixelY());
}

QRect geometriaHotSpot(const RecordHotSpot& r, float tppx, float tppy) {
    const auto twips = [](float v) { return int(std::lround(std::clamp(v, -1e8f, 1e8f))); };
    return {twips(r.X1 * tppx), twips(r.Y1 * tppy), twips((r.X2 - r.X1 + 2) * tppx),
            twips((r.Y2 - r.Y1 + 2) * tppy)};
}

std::shared_ptr<const TabellaHotSpot> TabellaPerLaTavola(const QString& percorso) {
    std::shared_ptr<const TabellaHotSpot> tabella;
    QString difetto;
    try {
        tabella = TabellaHotSpot::delFile(percorso);
        difetto = tabella->difetto();
    } catch (const ErroreVB& e) {
        const std::optional<QString> file = host().paths->toHost(percorso);
        const QFileInfo info(file.value_or(QString()));
        if (e.numero() == Errore::FileNonTrovato)
            difetto = QStringLiteral("nie istnieje");
        else if (e.numero() == 7)
            difetto = QStringLiteral("jest zbyt duży");
        else if (info.exists() && !info.isFile())
            difetto = QStringLiteral("nie jest zwykłym plikiem");
        else
            difetto = QStringLiteral("nie daje się odczytać");
    }
    if (!difetto.isEmpty()) {
        const QString nome = host().paths->toHost(percorso).value_or(percorso);
        MsgBox(QStringLiteral("Plik punktów aktywnych %1 %2.\r\n%3")
                   .arg(nome, difetto,
                        tabella && tabella->numeroRecord() > 0
                            ? QStringLiteral("Punkty aktywne planszy mogą być niepełne.")
                            : QStringLiteral("Plansza zostanie pokazana bez punktów "
                                             "aktywnych.")),
               Stile::OK | Stile::Esclamativo);
    }
    return tabella;
}

bool CercaRecordHotSpot(const TabellaHotSpot* tabella, const QString& tavola, qint16 n,
                        RecordHotSpot& record) {
    if (!tabella)
        return false;
    std::optional<RecordHotSpot> r = tabella->cerca(tavola, n);
    if (!r)
        return false;
    record = std::move(*r);
    return true;
}

bool EstraiTesto(const QString& codice, RichTextBox& pannello) {
    QStringView c(codice);
    while (c.startsWith(u' '))
        c = c.sliced(1);
    while (c.endsWith(u' '))
        c.chop(1);
    const QString nome = c.toString() + QStringLiteral(".RTF");
    const QString temp = Mod_Comuni::TogliNull(Fileini::cfg.PathTemp) + nome;
    QxBlob2& lettore = Fseek::istanza().blbCrop;
    lettore.setProprieta1(Fileini::cfg.PathDati + QStringLiteral("hsmed.dat"));
    lettore.Metodo2(nome, temp);
    // A name that is no plain file name was never written, and the path it forms may name some
    // unrelated file, which must be neither loaded nor deleted.
    if (!blob::nomeVoceAmmesso(nome) || !Mod_Comuni::EsisteFile(temp))
        return false;
    struct Rimuovi {
        const QString& percorso;
        ~Rimuovi() { rimuoviFile(percorso); }
    } rimuovi{temp};
    pannello.LoadFile(temp);
    return true;
}

} // namespace hn
