#include "FMed1.h"

#include "FilaPulsanti.h"

#include "Accessibilita.h"
#include "ApriForm.h"
#include "BlobStore.h"
#include "CaricaImmagine.h"
#include "CaricaSfondo.h"
#include "Fileini.h"
#include "Frm_Testo.h"
#include "Host.h"
#include "HostPaths.h"
#include "HsMed.h"
#include "Mod_Graph.h"
#include "Navigazione.h"
#include "Puntatore.h"
#include "Ricerca.h"
#include "RtfReader.h"
#include "SistemaScelto.h"
#include "TestiAtlante.h"
#include "gRAPH.h"

#include <QKeyEvent>
#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>

namespace hn {

namespace {

// Design geometry in twips: left, top, width, height.
struct Rett {
    int l, t, w, h;
};
constexpr Rett GeoFondo{105, 90, 15390, 11550};
constexpr Rett GeoDisasgeo{6495, 2160, 5970, 7200};
constexpr Rett GeoHotspot0{855, 1170, 825, 645};
constexpr Rett GeoTesto{2940, 3420, 3465, 5085};
constexpr Rett GeoFissi[6] = {{3060, 2175, 795, 825}, {5415, 8520, 825, 765},
                              {4245, 2175, 855, 810}, {3045, 8535, 840, 750},
                              {4260, 8520, 870, 780}, {5370, 2205, 870, 795}};
constexpr Rett GeoScroll[2] = {{6090, 3480, 225, 225}, {6075, 8280, 225, 225}};
constexpr Rett GeoAtx{2490, 450, 1425, 1065};
constexpr Rett GeoLabel1{2910, 3420, 3450, 5145};

enum Pulsante { Esci = 0, Indietro = 1, Home = 2, Copia = 3, Stampa = 4, Guida = 5 };

void posiziona(BaseControllo& c, const Rett& r) {
    c.MoveTw(r.l, r.t, r.w, r.h);
}

// The hourglass from here to the end of the scope, whatever way it is left.
struct Clessidra {
    Clessidra() {
        try {
            ImpostaPuntatoreSchermo(Puntatore::Clessidra);
        } catch (const ErroreVB&) {
        }
    }
    ~Clessidra() { ImpostaPuntatoreSchermo(Puntatore::Predefinito); }
    Clessidra(const Clessidra&) = delete;
    Clessidra& operator=(const Clessidra&) = delete;
};

// Where a text names its subject: the bold words it opens with, else its first line.
QString aperturaInGrassetto(const QTextDocument& documento) {
    for (QTextBlock b = documento.begin(); b.isValid(); b = b.next()) {
        if (b.text().trimmed().isEmpty())
            continue;
        QString grassetto;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            // Blanks between bold words belong to the name, whatever their weight.
            if (f.charFormat().fontWeight() < QFont::Bold && !f.text().trimmed().isEmpty())
                break;
            grassetto += f.text();
        }
        QString nome = grassetto.trimmed();
        if (nome.isEmpty())
            nome = b.text().trimmed().left(80);
        while (!nome.isEmpty() && QStringView(u"–-:,.;").contains(nome.back()))
            nome = nome.chopped(1).trimmed();
        return nome;
    }
    return {};
}

const QString NomiPulsanti[6] = {QStringLiteral("Koniec"), QStringLiteral("Wstecz"),
                                 QStringLiteral("Start"),  QStringLiteral("Kopiuj"),
                                 QStringLiteral("Drukuj"), QStringLiteral("Pomoc")};
// The keys keyPressEvent gives the same buttons; Koniec has none.
const QString TastiPulsanti[6] = {QString(),
                                  QStringLiteral("Backspace"),
                                  QStringLiteral("Alt+Home"),
                                  QStringLiteral("Ctrl+Shift+C"),
                                  QStringLiteral("Ctrl+P"),
                                  QStringLiteral("F1")};

} // namespace

FMed1::FMed1()
    : Forma(QStringLiteral("FMed1"))
    , FONDO(this, QStringLiteral("FONDO"))
    , DISASGEO(&FONDO)
    , Label1(&FONDO, QStringLiteral("Label1"))
    , Ftdv_Testo(&FONDO)
    , HOTSPOT(&DISASGEO, QStringLiteral("HOTSPOT"))
    , HOTSPOTFISSO(&FONDO, QStringLiteral("HOTSPOTFISSO"))
    , SCROLLTESTO(&FONDO, QStringLiteral("SCROLLTESTO"))
    , ATXCopiaEStampa(this)
    , Linea(&FONDO, QStringLiteral("Linea")) {
    DISASGEO.setObjectName(QStringLiteral("DISASGEO"));
    Ftdv_Testo.setObjectName(QStringLiteral("Ftdv_Testo"));
    Ftdv_Testo.setTestoLimitato(true);
    ATXCopiaEStampa.setObjectName(QStringLiteral("ATXCopiaEStampa"));
    Ftdv_Testo.setLocked(true);
    Linea(0).setVisible(false);
    accessibile::nascondi(&ATXCopiaEStampa);
    Ftdv_Testo.setAccessibleName(QStringLiteral("Opis planszy"));
    FONDO.setAccessibleName(QStringLiteral("Plansze atlasu"));

    HOTSPOT.crea(0);
    HOTSPOT.descrivi = [this](int n) { return descriviHotSpot(n); };
    for (int i = 0; i < 6; ++i) {
        Etichetta& e = HOTSPOTFISSO.crea(i);
        accessibile::imposta(&e, NomiPulsanti[i]);
        accessibile::impostaTasto(&e, TastiPulsanti[i]);
        connect(&e.eventi(), &EventiControllo::MouseDown, this,
                [this, i](int b, int, float, float) { HOTSPOTFISSO_MouseDown(i, b); });
        connect(&e.eventi(), &EventiControllo::MouseMove, this,
                [this, i](int b, int, float, float) { HOTSPOTFISSO_MouseMove(i, b); });
        connect(&e.eventi(), &EventiControllo::MouseUp, this,
                [this, i](int b, int, float, float) { HOTSPOTFISSO_MouseUp(i, b); });
    }
    for (int i = 0; i < 2; ++i)
        SCROLLTESTO.crea(i);
    connect(&FONDO.eventi(), &EventiControllo::MouseMove, this,
            [this](int b, int, float, float) { FONDO_MouseMove(b); });
    connect(&DISASGEO.eventi(), &EventiControllo::MouseDown, this,
            [this](int, int, float, float) { SpegniHotSpot(); });
    // Koniec ends the program at once: the last stop of Tab, never the first.
    Navigazione::di(*this).inFondo(&HOTSPOTFISSO(Esci));
    Ricerca::agganciaVisore(*this);
    if (agganciViewer.Giro)
        agganciViewer.Giro(*this);
    statoDiProgetto();
}

FMed1::~FMed1() = default;

GiroDelVisore* FMed1::giro() const {
    for (QObject* figlio : children())
        if (auto* g = dynamic_cast<GiroDelVisore*>(figlio))
            return g;
    return nullptr;
}

// The controls as designed: a form loaded again starts from them, not from the last visit.
void FMed1::statoDiProgetto() {
    posiziona(FONDO, GeoFondo);
    posiziona(DISASGEO, GeoDisasgeo);
    DISASGEO.ImpostaPicture({});
    DISASGEO.show();
    HOTSPOT(0).MoveTw(GeoHotspot0.l, GeoHotspot0.t, GeoHotspot0.w, GeoHotspot0.h);
    HOTSPOT(0).ImpostaVisible(true);
    posiziona(Label1, GeoLabel1);
    Label1.ImpostaVisible(true);
    posiziona(Ftdv_Testo, GeoTesto);
    Ftdv_Testo.clear();
    Ftdv_Testo.hide();
    for (int i = 0; i < 6; ++i) {
        posiziona(HOTSPOTFISSO(i), GeoFissi[i]);
        HOTSPOTFISSO(i).ImpostaVisible(true);
    }
    for (int i = 0; i < 2; ++i) {
        posiziona(SCROLLTESTO(i), GeoScroll[i]);
        SCROLLTESTO(i).ImpostaVisible(true);
    }
    posiziona(ATXCopiaEStampa, GeoAtx);
    ATXCopiaEStampa.clear();
    ATXCopiaEStampa.hide();
}

void FMed1::Form_Load() {
    statoDiProgetto();
    CaricaSfondo(FONDO, Fileini::cfg.PathSfondi + QStringLiteral("schelet.bmp"));
    InizializzaViewer();
    InitFX();
    for (int i = 0; i < 6; ++i)
        HOTSPOTFISSO(i).setBorderStyle(0);
    gRAPH::AdattaSchermo(*this, FONDO, 0);
    Mod_Comuni::ImpostaPuntatore(*this);
    NumeroCornici = Mod_Graph::PreparaCornici(*this, FONDO);
    // The copy and print dialogs take the text only from a visible control: it stays shown,
    // just off the window's left edge.
    ATXCopiaEStampa.move(-ATXCopiaEStampa.width(), ATXCopiaEStampa.y());
    ATXCopiaEStampa.show();
}

void FMed1::InizializzaViewer() {
    Tavola = CodiceSistema;
    HOTSPOT(0).ImpostaVisible(false);
    SCROLLTESTO(0).ImpostaVisible(false);
    SCROLLTESTO(1).ImpostaVisible(false);
    EstensioneImmagine = QStringLiteral(".png");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(p);
    StoriaAzzera(storia);
}

void FMed1::InitFX() {
    DISASGEO.ImpostaVisible(false);
    DISASGEO.setAutoSize(0);
    DISASGEO.ImpostaVisible(true);
}

void FMed1::Lanciata() {
    Clessidra clessidra;
    CaricaTavola();
    CaricaHotSpot();
    show();
}

void FMed1::apriTavola(const QStringList& percorso, int hotspot) {
    if (percorso.isEmpty() || !Caricata())
        return;
    StoriaAzzera(storia);
    for (qsizetype i = 0; i + 1 < percorso.size(); ++i)
        StoriaAggiungi(storia, percorso[i]);
    if (Tavola != percorso.last() || NumHotSpot == 0) {
        Tavola = percorso.last();
        Lanciata();
    }
    activateWindow();
    if (hotspot < 1 || !HOTSPOT.esiste(hotspot)) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    // The keyboard's own ring marks the structure: Tab and the arrows go on from there.
    Navigazione::di(*this).imposta(&HOTSPOT(hotspot));
}

void FMed1::ripristina(const QString& tavola, const Storia& storiaPrima) {
    if (Tavola.compare(tavola, Qt::CaseInsensitive) != 0 && Caricata()) {
        Tavola = tavola;
        Lanciata();
    }
    storia = storiaPrima;
}

void FMed1::Form_Activate() {
    gRAPH::CentraSfondo(*this, FONDO);
}

void FMed1::Form_Paint() {
    gRAPH::ControllaRisoluzione(*this, FONDO);
}

// The picture of plate Tavola; a picture the store lacks leaves the one on show.
void FMed1::CaricaTavola() {
    DISASGEO.ImpostaVisible(false);
    CaricaImmagine(Tavola + EstensioneImmagine, DISASGEO, {}, nullptr, 0);
    DISASGEO.ImpostaVisible(true);
}

void FMed1::scaricaHotSpot() {
    for (int i = 1; i <= NumHotSpot; ++i)
        if (HOTSPOT.esiste(i))
            HOTSPOT.Unload(i);
    NumHotSpot = 0;
}

void FMed1::CaricaHotSpot() {
    // Nothing here stops the plate from showing: a step that fails is passed over.
    scaricaHotSpot();
    titoli_.clear();
    LeggiTwipsPerPixel();
    tabella_ = TabellaPerLaTavola(Fileini::cfg.PathDati + QStringLiteral("hsmed.bin"));
    if (!tabella_)
        return;
    bool descrizione = false;
    for (const RecordHotSpot& r : tabella_->recordDellaTavola(Tavola)) {
        if (r.intestazione()) {
            try {
                descrizione = EstraiTesto(r.Testo, Ftdv_Testo) || descrizione;
            } catch (const ErroreVB&) {
            }
        }
        const int n = ++NumHotSpot;
        EtichettaDisegnata& h = HOTSPOT.Load(n);
        h.setBorderStyle(0);
        h.setBackStyle(0);
        h.setCaption({});
        // Every record of a structure opens the same caption or plate: one stop for the keyboard.
        h.Gruppo = r.intestazione() ? QString() : r.Codice + u'|' + r.Collegamento;
        const QRect g = geometriaHotSpot(r, TwipsPerPixelXCorrente, TwipsPerPixelYCorrente);
        h.MoveTw(g.x(), g.y(), g.width(), g.height());
        h.ImpostaVisible(true);
        // Queued: following a link unloads the hotspot that was clicked, which must not happen
        // inside its own mouse event.
        connect(
            &h.eventi(), &EventiControllo::Click, this, [this, n] { HOTSPOT_Click(n); },
            Qt::QueuedConnection);
    }
    if (descrizione) {
        Ftdv_Testo.show();
        DISASGEO.setAccessibleName(aperturaInGrassetto(*Ftdv_Testo.document()));
    }
    Q_EMIT tavolaCaricata();
}

QString FMed1::titoloTesto(const QString& codice) {
    if (auto it = titoli_.constFind(codice); it != titoli_.cend())
        return *it;
    QString titolo;
    try {
        const std::optional<QString> store =
            host().paths->toHost(Fileini::cfg.PathDati + QStringLiteral("hsmed.dat"));
        // A name is at the text's opening: its start is enough, however long the text.
        constexpr qint64 InizioDelTesto = 16 * 1024;
        if (store) {
            const atlante::TestiAtlante testi(blob::Archivio::condiviso(*store));
            if (const auto rtf = testi.inizio(codice, InizioDelTesto)) {
                QTextDocument documento;
                leggiRtf(*rtf, documento);
                titolo = aperturaInGrassetto(documento);
            }
        }
    } catch (const ErroreVB&) {
    }
    titoli_.insert(codice, titolo);
    return titolo;
}

QString FMed1::titoloTavola(const QString& tavola) {
    if (tabella_)
        for (const RecordHotSpot& r : tabella_->recordDellaTavola(tavola))
            if (r.intestazione()) {
                const QString t = titoloTesto(r.Testo);
                if (!t.isEmpty())
                    return t;
                break;
            }
    return tavola;
}

FilaPulsanti& FMed1::filaPulsanti() {
    if (!fila_)
        fila_ = new FilaPulsanti(DISASGEO, FONDO);
    return *fila_;
}

ArrayEtichette::Descrizione FMed1::descriviHotSpot(int n) {
    if (const GiroDelVisore* g = giro(); g && g->inCorso())
        if (std::optional<QString> nome = g->nomeNelGiro(n))
            return {*nome, false, {}};
    ArrayEtichette::Descrizione d = descriviRecord(n);
    if (notaHotSpot && !d.nome.isEmpty())
        d.nota = notaHotSpot(n, d.nome);
    return d;
}

ArrayEtichette::Descrizione FMed1::descriviRecord(int n) {
    RecordHotSpot r;
    if (n < 1 || n > MassimoHotSpot || !CercaRecordHotSpot(tabella_.get(), Tavola, qint16(n), r))
        return {};
    if (!r.Collegamento.isEmpty())
        return {titoloTavola(r.Collegamento), true, {}};
    if (r.intestazione())
        return {titoloTavola(Tavola), false, {}};
    const QString t = titoloTesto(r.Codice);
    return {t.isEmpty() ? r.Codice : t, false, {}};
}

void FMed1::HOTSPOT_Click(int Index) {
    // A click still queued when the viewer was left belongs to no plate any more.
    if (!Caricata())
        return;
    // During a self-test a click is an answer, not a caption to open.
    if (GiroDelVisore* g = giro(); g && g->clic(Index))
        return;
    MostraHotSpot(Index);
}

void FMed1::MostraHotSpot(int Index) {
    Clessidra clessidra;
    RecordHotSpot r;
    const bool trovato = Index >= 1 && Index <= MassimoHotSpot &&
                         CercaRecordHotSpot(tabella_.get(), Tavola, qint16(Index), r);
    if (trovato && !r.Collegamento.isEmpty()) {
        StoriaAggiungi(storia, Tavola);
        Tavola = r.Collegamento;
        CaricaTavola();
        DoEvents();
        CaricaHotSpot();
        return;
    }

    Frm_Testo& testo = Frm_Testo::istanza();
    bool caricato = false;
    if (trovato) {
        try {
            caricato = EstraiTesto(r.Codice, testo.Ftdv_Didascalia);
        } catch (const ErroreVB& e) {
            MsgBox(QStringLiteral("Nie można odczytać opisu „%1” z pliku %2 (błąd %3). "
                                  "Przeglądanie atlasu można kontynuować.")
                       .arg(r.Codice, Fileini::cfg.PathDati + QStringLiteral("hsmed.dat"))
                       .arg(e.numero()),
                   Stile::OK | Stile::Esclamativo);
        }
    }
    if (!caricato || !HOTSPOT.esiste(Index)) {
        testo.ImpostaVisible(false);
        return;
    }
    EtichettaDisegnata& h = HOTSPOT(Index);
    testo.ImpostaStruttura(&h, aperturaInGrassetto(*testo.Ftdv_Didascalia.document()));
    testo.MostraAccanto(DescrizioneSistema, DISASGEO.LeftTw() + h.LeftTw() + FONDO.LeftTw(),
                        DISASGEO.TopTw() + h.TopTw() + FONDO.TopTw());
}

void FMed1::HOTSPOTFISSO_MouseDown(int Index, int Button) {
    Mod_Graph::MousePremuto(&HOTSPOTFISSO(Index), FONDO, Button);
}

void FMed1::HOTSPOTFISSO_MouseMove(int Index, int Button) {
    Mod_Graph::MouseSopra(&HOTSPOTFISSO(Index), FONDO, Button);
}

void FMed1::HOTSPOTFISSO_MouseUp(int Index, int Button) {
    Mod_Graph::MouseRilasciato(&HOTSPOTFISSO(Index), FONDO, Button);
    if (Button == hn::Pulsante::Sinistro)
        EseguiPulsante(Index);
}

void FMed1::FONDO_MouseMove(int Button) {
    Mod_Graph::MouseSopra(nullptr, FONDO, Button);
}

void FMed1::consegnaDescrizione() {
    ATXCopiaEStampa.setFText(QString::fromLatin1(Ftdv_Testo.rtf()));
    ATXCopiaEStampa.setSelStart(Ftdv_Testo.SelStart());
    ATXCopiaEStampa.setSelLength(Ftdv_Testo.SelLength());
}

void FMed1::EseguiPulsante(int Index) {
    // Back in a self-test round ends the round first, as Esc does, so Back walks the history the
    // user had rather than the round's.
    if (Index == Indietro)
        if (GiroDelVisore* g = giro(); g && g->inCorso())
            g->termina();
    if (Frm_Testo::creata())
        Frm_Testo::istanza().ImpostaVisible(false);
    switch (Index) {
    case Esci:
        TerminaProgramma(0);
    case Copia:
        consegnaDescrizione();
        if (agganciViewer.ApriCopia)
            agganciViewer.ApriCopia(this, &ATXCopiaEStampa, nullptr, &DISASGEO);
        break;
    case Stampa:
        consegnaDescrizione();
        if (agganciViewer.ApriStampa)
            agganciViewer.ApriStampa(this, &ATXCopiaEStampa, nullptr, &DISASGEO);
        break;
    case Guida:
        Mod_Graph::ApriGuida();
        return;
    default:
        break;
    }
    // Back to the viewer, so the keyboard and the next click land here; a dialog just opened
    // keeps its own place above it.
    if (Index != Copia && Index != Stampa) {
        activateWindow();
        setFocus(Qt::OtherFocusReason);
    }

    Clessidra clessidra;
    const auto tornaAllaHome = [this] {
        if (Forma* home = Forma::trova(QStringLiteral("FMed")))
            Mod_Comuni::ApriForm(*this, *home);
        else
            hide();
        Unload();
    };
    if (Index == Indietro) {
        Tavola = StoriaTogli(storia);
        if (!Tavola.isEmpty()) {
            CaricaTavola();
            CaricaHotSpot();
            DoEvents();
        } else {
            tornaAllaHome();
        }
    } else if (Index == Home) {
        tornaAllaHome();
    }
}

void FMed1::SpegniHotSpot() {
    for (int i = 1; i <= NumHotSpot; ++i)
        if (HOTSPOT.esiste(i)) {
            HOTSPOT(i).setBorderStyle(0);
            HOTSPOT(i).setBackStyle(0);
        }
}

void FMed1::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mod = e->modifiers() & ~Qt::KeypadModifier;
    const int k = e->key();
    int pulsante = -1;
    if ((k == Qt::Key_Backspace && mod == Qt::NoModifier) ||
        (k == Qt::Key_Left && mod == Qt::AltModifier))
        pulsante = Indietro;
    else if (k == Qt::Key_Home && mod == Qt::AltModifier)
        pulsante = Home;
    else if (k == Qt::Key_F1 && mod == Qt::NoModifier)
        pulsante = Guida;
    else if (k == Qt::Key_P && mod == Qt::ControlModifier)
        pulsante = Stampa;
    else if (k == Qt::Key_C && mod == (Qt::ControlModifier | Qt::ShiftModifier))
        pulsante = Copia;
    if (pulsante >= 0) {
        // As a click on the button drawn for it: the same press look and the same action.
        const QString lasciata = Tavola;
        Navigazione::premi(&HOTSPOTFISSO(pulsante));
        if (pulsante == Indietro && Caricata() && isVisible())
            segnaRitorno(lasciata);
        return;
    }
    if (k == Qt::Key_Escape && Frm_Testo::creata() && Frm_Testo::istanza().Visible()) {
        Frm_Testo::istanza().ImpostaVisible(false);
        return;
    }
    Forma::keyPressEvent(e);
}

void FMed1::segnaRitorno(const QString& lasciata) {
    // The keyboard lands where the user left this plate: on the structure that leads to the plate
    // just left, or on Back when none does (a search jumped there).
    for (int i = 1; i <= NumHotSpot; ++i) {
        RecordHotSpot r;
        if (HOTSPOT.esiste(i) && CercaRecordHotSpot(tabella_.get(), Tavola, qint16(i), r) &&
            r.Collegamento.compare(lasciata, Qt::CaseInsensitive) == 0) {
            Navigazione::di(*this).imposta(&HOTSPOT(i));
            return;
        }
    }
    Navigazione::di(*this).imposta(&HOTSPOTFISSO(Indietro));
}

void FMed1::Form_QueryUnload(int&, int) {
    scaricaHotSpot();
}

void FMed1::Form_Unload(int&) {
    gRAPH::RilasciaFinestreDipendenti(*this);
    Mod_Graph::RimuoviCornici(*this, NumeroCornici);
}

} // namespace hn
