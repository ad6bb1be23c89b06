#include "FMed.h"

#include "Accessibilita.h"
#include "AlberoTavole.h"
#include "ApriForm.h"
#include "CaricaSfondo.h"
#include "DesAppa.h"
#include "FileSicuro.h"
#include "Fileini.h"
#include "Host.h"
#include "HostPaths.h"
#include "Mod_Graph.h"
#include "Navigazione.h"
#include "Puntatore.h"
#include "SistemaScelto.h"
#include "gRAPH.h"

#include <QKeyEvent>
#include <QPalette>

namespace hn {

namespace {

FMed::FabbricaVisore& fabbrica() {
    static FMed::FabbricaVisore f;
    return f;
}

FMed::AggancioRicerca& aggancioRicerca() {
    static FMed::AggancioRicerca a;
    return a;
}

struct Rettangolo {
    int indice, left, top, width, height;
};

// Tied to the body picture "sistemi.bmp", drawn at 1024 × 768 and 15 twips per pixel.
constexpr Rettangolo SISTEMI[] = {
    {0, 3195, 3195, 1365, 2805}, {1, 4815, 3180, 1365, 2835},  {2, 6915, 3225, 1365, 2805},
    {3, 8625, 3225, 1815, 2805}, {4, 10455, 3225, 1935, 2805}, {5, 3735, 6375, 1905, 2715},
    {6, 5835, 6525, 1845, 915},  {7, 5895, 7695, 1845, 1395},  {8, 8025, 6315, 1185, 1125},
    {9, 7815, 7695, 1605, 1395}, {10, 9765, 6285, 1065, 2805},
};
constexpr Rettangolo FISSI[] = {{0, 3120, 2235, 690, 645}, {5, 11520, 2220, 585, 705}};

// As the cards drawn on the picture read, by hotspot index.
const char16_t* const NomiSistemi[] = {u"Szkielet",  u"Mięśnie", u"Trawienie", u"Nerwy",
                                       u"Krążenie",  u"Limfa",   u"Zmysły",    u"Oddychanie",
                                       u"Wydalanie", u"Rozród",  u"Hormony"};

} // namespace

const QStringList& FMed::codiciSistemi() {
    return atlante::codiciSistemi();
}

void FMed::registraVisore(FabbricaVisore f) {
    fabbrica() = std::move(f);
}

void FMed::registraRicerca(AggancioRicerca a) {
    aggancioRicerca() = std::move(a);
}

FMed::FMed()
    : Forma(QStringLiteral("FMed"))
    , FONDO(new Riquadro(this, QStringLiteral("FONDO")))
    , Linea(FONDO, QStringLiteral("Linea"))
    , lbl_HotSpot(FONDO, QStringLiteral("lbl_HotSpot"))
    , HOTSPOTFISSO(FONDO, QStringLiteral("HOTSPOTFISSO")) {
    setAutoFillBackground(false);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    FONDO->MoveTw(0, 0, 1024 * 15, 768 * 15);
    // As the heading drawn on the picture reads.
    FONDO->setAccessibleName(QStringLiteral("Wybierz układ narządów"));
    Linea(0).setVisible(false);

    // As drawn: framed so they can be seen while the screen is designed; the load takes the
    // frames off.
    for (const Rettangolo& r : SISTEMI) {
        Etichetta& e = lbl_HotSpot.crea(r.indice);
        e.MoveTw(r.left, r.top, r.width, r.height);
        e.setBorderStyle(1);
        const int i = r.indice;
        accessibile::imposta(&e, QString::fromUtf16(NomiSistemi[i]));
        collegaHotspot(e, [this, i] { lbl_HotSpot_Click(i); });
    }
    for (const Rettangolo& r : FISSI) {
        Etichetta& e = HOTSPOTFISSO.crea(r.indice);
        e.MoveTw(r.left, r.top, r.width, r.height);
        e.setBorderStyle(1);
        const int i = r.indice;
        accessibile::imposta(&e, i == 0 ? QStringLiteral("Koniec") : QStringLiteral("Pomoc"));
        if (i == 5)
            accessibile::impostaTasto(&e, QStringLiteral("F1"));
        collegaHotspot(e, [this, i] { HOTSPOTFISSO_Click(i); });
    }
    // The body systems first: Pomoc and Koniec, drawn above them, come last, Koniec (which ends
    // the program at once) at the very end.
    Navigazione::di(*this).inFondo(&HOTSPOTFISSO(5));
    Navigazione::di(*this).inFondo(&HOTSPOTFISSO(0));
    connect(&FONDO->eventi(), &EventiControllo::MouseMove, this,
            [this](int b, int, float, float) { Mod_Graph::MouseSopra(nullptr, *FONDO, b); });
}

FMed::~FMed() {
    // The viewer may point back at this form; it goes first.
    FMed1_.reset();
}

void FMed::collegaHotspot(Etichetta& e, std::function<void()> clic) {
    Etichetta* hot = &e;
    connect(&hot->eventi(), &EventiControllo::MouseMove, this,
            [this, hot](int b, int, float, float) { Mod_Graph::MouseSopra(hot, *FONDO, b); });
    connect(&hot->eventi(), &EventiControllo::MouseDown, this,
            [this, hot](int b, int, float, float) { Mod_Graph::MousePremuto(hot, *FONDO, b); });
    connect(&hot->eventi(), &EventiControllo::MouseUp, this,
            [this, hot](int b, int, float, float) { Mod_Graph::MouseRilasciato(hot, *FONDO, b); });
    connect(&hot->eventi(), &EventiControllo::Click, this, std::move(clic));
}

void FMed::Form_Load() {
    if (!host().instance->acquire())
        TerminaProgramma(0);
    Fileini::AvvioModulo();
    if (dopoAvvio)
        dopoAvvio();
    HOTSPOTFISSO(0).setBorderStyle(0);
    HOTSPOTFISSO(5).setBorderStyle(0);
    CaricaSfondo(*FONDO, Fileini::cfg.PathSfondi + QStringLiteral("sistemi.bmp"));
    gRAPH::AdattaSchermo(*this, *FONDO, 0);
    Mod_Comuni::ImpostaPuntatore(*this);
    for (ControlloForma* c : Controls())
        if (auto* e = qobject_cast<Etichetta*>(c); e && e->TypeName() == QLatin1String("Label"))
            e->setBorderStyle(0);
    NumeroCornici = Mod_Graph::PreparaCornici(*this, *FONDO);
    // Last: the search's button and panel need fonts, which a thread of the start-up is still
    // reading meanwhile; everything above can go on without them.
    if (aggancioRicerca() && !agganciata_) {
        agganciata_ = true;
        aggancioRicerca()(*this, [this](int sistema) { lbl_HotSpot_Click(sistema); });
    }
}

void FMed::Form_Activate() {
    gRAPH::CentraSfondo(*this, *FONDO);
}

void FMed::Form_Paint() {
    gRAPH::ControllaRisoluzione(*this, *FONDO);
}

void FMed::Form_Unload(int&) {
    gRAPH::RilasciaFinestreDipendenti(*this);
    Mod_Graph::RimuoviCornici(*this, NumeroCornici);
}

void FMed::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        Navigazione::premi(&HOTSPOTFISSO(5));
        return;
    }
    Forma::keyPressEvent(e);
}

void FMed::CaricaSfondo(ControlloConPicture& pittura, const QString& immagine) {
    hn::CaricaSfondo(pittura, immagine);
}

QString FMed::DescrizioneDaFile(const QString& codice) {
    const QString nomeFile = Fileini::cfg.PathDati + QStringLiteral("DesAppa.bin");
    const QString errore = QStringLiteral("Blad w : ") + nomeFile;
    const std::optional<QString> percorso = host().paths->toHost(nomeFile);
    if (!percorso)
        return errore;
    // A FIFO or device in the file's place reads like a missing file, never waits.
    QByteArray dati;
    try {
        dati = leggiFileRegolare(*percorso, 16 << 20);
    } catch (const ErroreVB&) {
        return errore;
    }
    // Reading past the end is an error, so an empty file reads as a broken one.
    if (dati.isEmpty())
        return errore;
    return atlante::descrizioneSistema(atlante::leggiDesAppa(dati), codice);
}

void FMed::lbl_HotSpot_Click(int indice) {
    const QStringList& codici = codiciSistemi();
    if (indice >= 0 && indice < codici.size())
        CodiceSistema = codici.at(indice);
    DescrizioneSistema = DescrizioneDaFile(CodiceSistema);
    if (!FMed1_ && fabbrica())
        FMed1_ = fabbrica()();
    if (!FMed1_)
        return;
    if (!FMed1_->Caricata())
        FMed1_->Load();
    Mod_Comuni::ApriForm(*this, *FMed1_);
}

void FMed::HOTSPOTFISSO_Click(int indice) {
    ImpostaPuntatoreSchermo(Puntatore::Clessidra);
    if (indice == 0)
        TerminaProgramma(0);
    else if (indice == 5)
        Mod_Graph::ApriGuida();
    ImpostaPuntatoreSchermo(Puntatore::Predefinito);
}

} // namespace hn
