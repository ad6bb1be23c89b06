#include "HsMed.h"

#include "BlobStore.h"
#include "FileSicuro.h"
#include "Fileini.h"
#include "Fseek.h"
#include "Host.h"
#include "HostPaths.h"
#include "Percorsi.h"
#include "RichTextBox.h"
#include "TestiAtlante.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace hn {

float TwipsPerPixelXCorrente = 15;
float TwipsPerPixelYCorrente = 15;

namespace {

void rimuoviTemporaneo(const QString& percorso) {
    if (const std::optional<QString> f = host().paths->toHost(percorso))
        hn::rimuoviFile(*f);
}

} // namespace

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
        tabella = TabellaHotSpot::delFile(host().paths->toHost(percorso).value_or(QString()));
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
    const QString nome = atlante::nomeTesto(codice);
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
        ~Rimuovi() { rimuoviTemporaneo(percorso); }
    } rimuovi{temp};
    pannello.LoadFile(temp);
    return true;
}

} // namespace hn
