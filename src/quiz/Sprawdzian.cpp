#include "Sprawdzian.h"

#include "Accessibilita.h"
#include "ErroreVB.h"
#include "EtichetteDisegnate.h"
#include "FMed1.h"
#include "FilaPulsanti.h"
#include "Fileini.h"
#include "Frm_Testo.h"
#include "Host.h"
#include "HostPaths.h"
#include "Navigazione.h"
#include "Pamiec.h"
#include "Ricerca.h"
#include "Scena.h"
#include "SistemaScelto.h"
#include "Zaslona.h"

#include <QAccessible>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolTip>
#include <QVBoxLayout>

namespace hn {

namespace {

constexpr int PausaGiusta = 1500;  // ms the "Dobrze" stays before the next question
constexpr int PausaMancata = 2600; // longer: the right structure is shown to be learnt

// The search panel's look: the stage's dark blue, cream paper for the field.
const char* const Aspetto = R"(
hn--Sprawdzian { background: #183048; border: 1px solid #8fa6b8; border-radius: 10px; }
QLabel { color: #dfe7ee; font-size: 13px; }
QLabel#domanda { color: #1d2a36; background: #f6efdf; border: 1px solid #c9b98f;
                 border-radius: 5px; padding: 6px 8px; font-family: "DejaVu Serif", serif;
                 font-size: 14px; }
QLabel#titolo { color: #f6efdf; font-weight: bold; font-size: 14px; }
QLabel#esito { font-weight: bold; font-size: 14px; }
QPushButton { background: #f6efdf; color: #1d2a36; border: 1px solid #c9b98f; border-radius: 5px;
              padding: 4px 8px; font-size: 13px; text-align: left; }
QPushButton:focus { border: 2px solid #d9822b; }
QPushButton:hover { background: #fff8e8; }
QPushButton#zakres { background: #25455f; color: #f6efdf; border-color: #8fa6b8; }
QLineEdit { background: #f6efdf; color: #1d2a36; border: 1px solid #c9b98f; border-radius: 5px;
            padding: 3px 8px; font-size: 15px; }
)";

// The atlas as it is now, re-read when its files changed.
std::shared_ptr<const atlante::DatiAtlante> datiAtlante() {
    static std::shared_ptr<const atlante::DatiAtlante> dati;
    if (Fileini::cfg.PathDati.isEmpty())
        return {};
    const atlante::FileAtlante file =
        atlante::FileAtlante::da(*host().paths, Fileini::cfg.PathDati, Fileini::cfg.PathFoto);
    if (!dati || !(dati->file == file) || !dati->aggiornato())
        dati = atlante::DatiAtlante::leggi(file);
    return dati;
}

using atlante::ripasso::Voto;

// The kinds as the choice offers them, by the key that picks each.
const QStringList NomiRodzajow{QStringLiteral("1  Szybki test (10 pytań)"),
                               QStringLiteral("2  Gdzie jest…?"), QStringLiteral("3  Co to jest?"),
                               QStringLiteral("4  Wszystkie etykiety")};

QString nomeDelRodzaj(Sprawdzian::Rodzaj r) {
    switch (r) {
    case Sprawdzian::Rodzaj::Szybki:
        return QStringLiteral("Sprawdź się");
    case Sprawdzian::Rodzaj::GdzieJest:
        return QStringLiteral("Gdzie jest…?");
    case Sprawdzian::Rodzaj::CoToJest:
        return QStringLiteral("Co to jest?");
    case Sprawdzian::Rodzaj::WszystkieEtykiety:
        return QStringLiteral("Wszystkie etykiety");
    case Sprawdzian::Rodzaj::Powtorka:
        return QStringLiteral("Powtórka");
    }
    return {};
}

QString testoPowtorka(int quante) {
    return quante > 0 ? QStringLiteral("Powtórka · do powtórki: %1").arg(quante)
                      : QStringLiteral("Powtórka · nic na dziś");
}

// Every plate's structures read within one budget, on the screen's thread.
atlante::Budget budgetDelGiro() {
    atlante::Budget budget;
    budget.tempo = std::chrono::milliseconds(1000);
    budget.byteInTutto = 32 * 1024 * 1024;
    return budget;
}

QString punteggio(const punteggi::Punteggio& p) {
    return QStringLiteral("%1/%2").arg(p.giuste).arg(p.domande);
}

} // namespace

Sprawdzian::Sprawdzian(FMed1& v)
    : QFrame(&v)
    , titolo(new QLabel(this))
    , domanda(new QLabel(this))
    , risposta(new QLineEdit(this))
    , scelte(new QWidget(this))
    , quattro(new QPushButton(QStringLiteral("Cztery nazwy do wyboru (F2)"), this))
    , esito(new QLabel(this))
    , aiuto(new QLabel(this))
    , menu(new QWidget(this))
    , zakres(new QPushButton(this))
    , pulsante(new QPushButton(QStringLiteral("Sprawdź się  Ctrl+T"), &v.FONDO))
    , pulsantePowtorka(new QPushButton(&v.FONDO))
    , v_(v)
    , caso_(std::random_device{}())
    , cornice_(new QWidget(&v.DISASGEO))
    , zaslona_(new Zaslona(v.DISASGEO)) {
    setObjectName(QStringLiteral("Sprawdzian"));
    setStyleSheet(QString::fromUtf8(Aspetto));
    titolo->setObjectName(QStringLiteral("titolo"));
    domanda->setObjectName(QStringLiteral("domanda"));
    esito->setObjectName(QStringLiteral("esito"));
    domanda->setWordWrap(true);
    domanda->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    domanda->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    domanda->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    // A long caption is cut before the answer field is squeezed.
    domanda->setMinimumHeight(40);
    esito->setWordWrap(true);
    // Two lines kept for the feedback, so that its coming does not move the answer field.
    esito->setMinimumHeight(40); // two lines of its 14 px type
    titolo->setWordWrap(true);
    aiuto->setWordWrap(true);
    risposta->setAccessibleName(QStringLiteral("Odpowiedź"));

    // The four names, one a row, each picked by its number too.
    auto* kolumna = new QVBoxLayout(scelte);
    kolumna->setContentsMargins(0, 0, 0, 0);
    kolumna->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(scelte);
        b->setFocusPolicy(Qt::StrongFocus);
        b->setMinimumHeight(26);
        b->installEventFilter(this);
        connect(b, &QPushButton::clicked, this, [this, i] { scegli(i); });
        kolumna->addWidget(b);
        alternative.append(b);
    }
    scelte->hide();
    quattro->setFocusPolicy(Qt::StrongFocus);
    quattro->setMinimumHeight(26);
    risposta->setMinimumHeight(28);
    quattro->installEventFilter(this);
    connect(quattro, &QPushButton::clicked, this, &Sprawdzian::mostraAlternative);

    // The choice of kinds: four buttons and the range, over the description like the round.
    auto* lista = new QVBoxLayout(menu);
    lista->setContentsMargins(0, 0, 0, 0);
    lista->setSpacing(6);
    zakres->setObjectName(QStringLiteral("zakres"));
    zakres->setFocusPolicy(Qt::StrongFocus);
    zakres->installEventFilter(this);
    connect(zakres, &QPushButton::clicked, this, [this] { mostraScelta(!sistema_); });
    for (int i = 0; i < NomiRodzajow.size(); ++i) {
        auto* b = new QPushButton(NomiRodzajow[i], menu);
        b->setFocusPolicy(Qt::StrongFocus);
        b->installEventFilter(this);
        connect(b, &QPushButton::clicked, this, [this, i] {
            const bool sistema = sistema_;
            if (!avvia(Rodzaj(i), sistema))
                annuncia(esito, sistema ? QStringLiteral("W tym układzie nie ma takich pytań.")
                                        : QStringLiteral("Na tej planszy nie ma takich pytań."));
        });
        lista->addWidget(b);
        rodzaje.append(b);
    }
    lista->addSpacing(6);
    lista->addWidget(zakres);
    menu->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);
    layout->addWidget(titolo);
    layout->addWidget(menu);
    layout->addWidget(domanda, 1);
    layout->addWidget(risposta);
    layout->addWidget(quattro);
    layout->addWidget(scelte);
    layout->addWidget(esito);
    layout->addWidget(aiuto);
    risposta->installEventFilter(this);
    v.installEventFilter(this);
    v.DISASGEO.installEventFilter(this);

    pulsante->setObjectName(QStringLiteral("SprawdzSie"));
    pulsante->setStyleSheet(Ricerca::aspettoPulsante());
    pulsante->setCursor(Qt::PointingHandCursor);
    pulsante->setFocusPolicy(Qt::NoFocus); // the keyboard has Ctrl+T
    pulsante->setAccessibleName(QStringLiteral("Sprawdź się (Ctrl+T)"));
    connect(pulsante, &QPushButton::clicked, this, [this] { mostraScelta(false); });
    auto* tavola = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), &v);
    connect(tavola, &QShortcut::activated, this, [this] { mostraScelta(false); });
    auto* sistema = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T), &v);
    connect(sistema, &QShortcut::activated, this, [this] { mostraScelta(true); });

    pulsantePowtorka->setObjectName(QStringLiteral("Powtorka"));
    pulsantePowtorka->setStyleSheet(Ricerca::aspettoPulsante());
    pulsantePowtorka->setCursor(Qt::PointingHandCursor);
    pulsantePowtorka->setFocusPolicy(Qt::NoFocus);                 // the keyboard has Ctrl+R
    pulsantePowtorka->setText(QStringLiteral("Powtórka  Ctrl+R")); // counted once on show
    const auto powtorka = [this] {
        if (avviaPowtorka())
            return;
        const QString t = QStringLiteral("Na dziś nie ma nic do powtórki.");
        QToolTip::showText(
            puntoGlobale(*pulsantePowtorka, QPoint(0, -2 * pulsantePowtorka->height())), t,
            pulsantePowtorka);
        pulsantePowtorka->setAccessibleDescription(t);
        QAccessibleEvent e(pulsantePowtorka, QAccessible::Alert);
        QAccessible::updateAccessibility(&e);
    };
    connect(pulsantePowtorka, &QPushButton::clicked, this, powtorka);
    auto* ripasso = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), &v);
    connect(ripasso, &QShortcut::activated, this, powtorka);
    pulsante->adjustSize();
    pulsantePowtorka->adjustSize();
    v.filaPulsanti().aggiungi(pulsantePowtorka, FMed1::PostoPowtorka);
    v.filaPulsanti().aggiungi(pulsante, FMed1::PostoSprawdz);

    // Drawn over the plate, never in the way of a click.
    cornice_->setObjectName(QStringLiteral("cornice"));
    cornice_->setAttribute(Qt::WA_TransparentForMouseEvents);
    cornice_->setStyleSheet(
        QStringLiteral("#cornice { border: 3px solid #d9822b; border-radius: 6px; }"));
    cornice_->setAttribute(Qt::WA_StyledBackground);
    cornice_->hide();
    accessibile::nascondi(cornice_);

    connect(domanda, &QLabel::linkActivated, this,
            [this](const QString& n) { apriMancata(n.toInt()); });

    prossima_.setSingleShot(true);
    connect(&prossima_, &QTimer::timeout, this, &Sprawdzian::avanti);
    hide();
}

Sprawdzian::~Sprawdzian() {
    if (Navigazione* n = Navigazione::se(&v_))
        n->allarga();
}

Sprawdzian& Sprawdzian::aggancia(FMed1& visore) {
    return *new Sprawdzian(visore);
}

Sprawdzian* Sprawdzian::di(const FMed1& visore) {
    return visore.findChild<Sprawdzian*>(QString(), Qt::FindDirectChildrenOnly);
}

// The keys of every structure the atlas has, read once per state of its files.
static const QSet<QString>& chiaviAtlante() {
    static std::shared_ptr<const atlante::DatiAtlante> letti;
    static QSet<QString> chiavi;
    const auto dati = datiAtlante();
    if (dati != letti) {
        letti = dati;
        chiavi.clear();
        if (dati) {
            atlante::LetturaLimitata lettura(dati->testi, budgetDelGiro());
            for (const atlante::NodoTavola& n : dati->albero.nodi())
                for (const atlante::Domanda& d : atlante::struttureTavola(*dati, n.chiave, lettura))
                    chiavi.insert(atlante::ripasso::chiaveStruttura(d.nome));
        }
    }
    return chiavi;
}

int Sprawdzian::quanteDaRipassare() {
    const atlante::ripasso::Diario d = pamiec::carica();
    const QStringList dovute = d.daRipassare(d.chiavi(), pamiec::oggi());
    if (dovute.isEmpty())
        return 0; // no need to read the atlas's names
    // Structures gone from the atlas are not asked, so not counted; an atlas too large to read
    // at once counts them all.
    const QSet<QString>& atlante = chiaviAtlante();
    if (atlante.isEmpty())
        return int(dovute.size());
    return int(std::count_if(dovute.cbegin(), dovute.cend(),
                             [&](const QString& k) { return atlante.contains(k); }));
}

void Sprawdzian::aggiornaPowtorka() {
    const int quante = quanteDaRipassare();
    pulsantePowtorka->setText(testoPowtorka(quante) + QStringLiteral("  Ctrl+R"));
    pulsantePowtorka->setAccessibleName(testoPowtorka(quante) + QStringLiteral(" (Ctrl+R)"));
    // The row under the plate makes room as the text grows.
    pulsantePowtorka->adjustSize();
}

void Sprawdzian::agganciaHome(Forma& home, std::function<void(int)> apriSistema) {
    ControlloForma* fondo = home.controllo(QStringLiteral("FONDO"));
    if (!fondo)
        return;
    auto* b = new QPushButton(fondo);
    b->setObjectName(QStringLiteral("Powtorka"));
    b->setStyleSheet(Ricerca::aspettoPulsante());
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::NoFocus); // the keyboard has Ctrl+R
    const auto aggiorna = [b] {
        const int quante = quanteDaRipassare();
        b->setText(testoPowtorka(quante)); // beside the subtitle: no room for the key
        b->setAccessibleName(testoPowtorka(quante) + QStringLiteral(" (Ctrl+R)"));
        b->adjustSize();
        // Level with the search button, at the left end of the panel of body systems.
        b->move(190, 96);
        b->show();
    };
    aggiorna();
    // The count is today's: read again whenever the home screen comes back.
    struct AlRitorno : QObject {
        std::function<void()> f;
        bool eventFilter(QObject*, QEvent* e) override {
            // After the screen has painted: counting may read the atlas's names.
            if (e->type() == QEvent::Show || e->type() == QEvent::WindowActivate)
                QTimer::singleShot(0, this, f);
            return false;
        }
    };
    auto* filtro = new AlRitorno;
    filtro->setParent(b);
    filtro->f = aggiorna;
    home.installEventFilter(filtro);
    const auto avvia = [b, apriSistema] {
        const auto dati = datiAtlante();
        QList<atlante::Domanda> dovute;
        if (dati) {
            atlante::LetturaLimitata lettura(dati->testi, budgetDelGiro());
            dovute = atlante::daRipassare(*dati, pamiec::carica(), pamiec::oggi(), lettura);
        }
        const int n = dovute.isEmpty() ? -1 : dati->albero.nodo(dovute.first().tavola);
        const int sistema = n < 0 ? -1 : dati->albero.nodi()[n].sistema;
        if (sistema < 0) {
            const QString t = QStringLiteral("Na dziś nie ma nic do powtórki.");
            QToolTip::showText(puntoGlobale(*b, QPoint(0, b->height() + 4)), t, b);
            b->setAccessibleDescription(t);
            QAccessibleEvent e(b, QAccessible::Alert);
            QAccessible::updateAccessibility(&e);
            return;
        }
        apriSistema(sistema);
        if (auto* visore = qobject_cast<FMed1*>(Forma::trova(QStringLiteral("FMed1"))))
            if (Sprawdzian* s = di(*visore))
                s->avviaPowtorka();
    };
    QObject::connect(b, &QPushButton::clicked, b, avvia);
    auto* tasto = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), &home);
    QObject::connect(tasto, &QShortcut::activated, b, avvia);
}

void Sprawdzian::preparaGiro() {
    if (Frm_Testo::creata())
        Frm_Testo::istanza().ImpostaVisible(false);
    // A new round over a running one keeps the viewer's state from before the first.
    if (!inCorso()) {
        tavolaPrima_ = v_.tavola();
        storiaPrima_ = v_.storiaTavole();
        fuocoPrima_ = QApplication::focusWidget();
        testoPrima_ = v_.Ftdv_Testo.isVisible();
    }
    prossima_.stop();
    incornicia(false);
}

void Sprawdzian::mostraParti(bool scelta) {
    scelta_ = scelta;
    menu->setVisible(scelta);
    domanda->setVisible(!scelta);
    risposta->setVisible(!scelta);
    quattro->setVisible(false);
    scelte->setVisible(false);
}

void Sprawdzian::mostraScelta(bool sistema) {
    if (!v_.Caricata())
        return;
    preparaGiro();
    giro_.clear();
    finito_ = false;
    sistema_ = sistema;
    mostraParti(true);
    zaslona_->imposta({});
    const QString t = sistema ? QStringLiteral("Sprawdź się: cały układ")
                              : QStringLiteral("Sprawdź się: ta plansza");
    titolo->setText(t);
    titolo->setAccessibleName(t);
    zakres->setText(sistema ? QStringLiteral("Zakres: cały układ (zmień: Z)")
                            : QStringLiteral("Zakres: ta plansza (zmień: Z)"));
    zakres->setAccessibleName(zakres->text());
    aiuto->setText(QStringLiteral("1–4 albo Tab i Enter wybiera   Esc zamyka"));
    esito->clear();
    disponi();
    show();
    raise();
    v_.Ftdv_Testo.hide();
    QList<QWidget*> ambito(rodzaje.cbegin(), rodzaje.cend());
    ambito.append(zakres);
    Navigazione::di(v_).restringi(ambito);
    activateWindow();
    rodzaje.first()->setFocus(Qt::OtherFocusReason);
    annuncia(domanda, QString());
    QAccessibleEvent e(titolo, QAccessible::Alert);
    QAccessible::updateAccessibility(&e);
}

bool Sprawdzian::avvia(Rodzaj rodzaj, bool sistema) {
    if (rodzaj == Rodzaj::Powtorka)
        return avviaPowtorka();
    const auto dati = datiAtlante();
    if (!dati || !v_.Caricata())
        return false;
    QStringList tavole;
    QString chiave;
    if (sistema) {
        const int radice = dati->albero.nodo(CodiceSistema);
        if (radice < 0)
            return false;
        const int s = dati->albero.nodi()[radice].sistema;
        for (const atlante::NodoTavola& n : dati->albero.nodi())
            if (n.sistema == s)
                tavole.append(n.chiave);
        chiave = punteggi::chiaveSistema(CodiceSistema);
    } else {
        tavole.append(v_.tavola());
        chiave = punteggi::chiaveTavola(v_.tavola());
    }
    atlante::LetturaLimitata lettura(dati->testi, budgetDelGiro());
    QList<atlante::Domanda> tutte;
    for (const QString& t : std::as_const(tavole)) {
        if (rodzaj == Rodzaj::Szybki) {
            tutte += atlante::domandeTavola(*dati, t, lettura);
            continue;
        }
        QList<atlante::Domanda> qui = atlante::struttureTavola(*dati, t, lettura);
        if (rodzaj == Rodzaj::WszystkieEtykiety) {
            // The labels in reading order: top to bottom, then left to right.
            QList<std::pair<QRect, atlante::Domanda>> ordine;
            for (const atlante::Domanda& d : std::as_const(qui))
                if (const int e = atlante::etichettaDi(*dati, d))
                    ordine.append({atlante::rettangoloDi(*dati, t, e), d});
            std::stable_sort(ordine.begin(), ordine.end(), [](const auto& a, const auto& b) {
                const int ya = a.first.center().y(), yb = b.first.center().y();
                if (std::abs(ya - yb) > std::min(a.first.height(), b.first.height()) / 2)
                    return ya < yb;
                return a.first.left() < b.first.left();
            });
            qui.clear();
            for (const auto& [r, d] : ordine)
                qui.append(d);
        }
        tutte += qui;
    }
    QList<atlante::Domanda> giro =
        rodzaj == Rodzaj::WszystkieEtykiety ? tutte : atlante::scegliDomande(tutte, Domande, caso_);
    return inizia(rodzaj, sistema, std::move(giro), std::move(tutte),
                  rodzaj == Rodzaj::Szybki ? chiave : QString());
}

bool Sprawdzian::avviaPowtorka() {
    const auto dati = datiAtlante();
    if (!dati || !v_.Caricata())
        return false;
    atlante::LetturaLimitata lettura(dati->testi, budgetDelGiro());
    QList<atlante::Domanda> dovute =
        atlante::daRipassare(*dati, pamiec::carica(), pamiec::oggi(), lettura);
    if (dovute.isEmpty())
        return false;
    // The four names come from the plates the round visits.
    QList<atlante::Domanda> tutte;
    QSet<QString> viste;
    for (const atlante::Domanda& d : std::as_const(dovute))
        if (!viste.contains(d.tavola)) {
            viste.insert(d.tavola);
            tutte += atlante::struttureTavola(*dati, d.tavola, lettura);
        }
    return inizia(Rodzaj::Powtorka, false, std::move(dovute), std::move(tutte), QString());
}

bool Sprawdzian::inizia(Rodzaj rodzaj, bool sistema, QList<atlante::Domanda> giro,
                        QList<atlante::Domanda> tutte, const QString& chiave) {
    if (giro.isEmpty())
        return false;
    preparaGiro();
    rodzaj_ = rodzaj;
    giro_ = std::move(giro);
    tutte_ = std::move(tutte);
    chiave_ = chiave;
    sistema_ = sistema;
    corrente_ = 0;
    giuste_ = 0;
    mancate_.clear();
    nonSalvato_.clear();
    finito_ = false;
    mostraParti(false);
    QString t = nomeDelRodzaj(rodzaj);
    if (rodzaj != Rodzaj::Powtorka)
        t += sistema ? QStringLiteral(" · cały układ") : QStringLiteral(" · plansza");
    if (!chiave_.isEmpty())
        if (const auto m = punteggi::migliore(chiave_))
            t += QStringLiteral(" · najlepszy wynik ") + punteggio(*m);
    intestazione_ = t;
    disponi();
    show();
    raise();
    // The keyboard stays with the round: the plate's structures that can be answers, then the
    // answer field. No fixed button lies in its way (Koniec would end the program mid-round), nor
    // the plate's title or its links; Esc ends the round. Kinds answered by name keep it on the
    // panel alone.
    if (scriviNome())
        Navigazione::di(v_).restringi({risposta, quattro, scelte});
    else
        Navigazione::di(v_).restringi({&v_.DISASGEO, risposta}, [this](const QObject* o) {
            const auto* e = qobject_cast<const EtichettaDisegnata*>(o);
            return !e || risposte().contains(e->Index());
        });
    mostraDomanda();
    return true;
}

bool Sprawdzian::scriviNome() const {
    return rodzaj_ == Rodzaj::CoToJest || rodzaj_ == Rodzaj::WszystkieEtykiety ||
           rodzaj_ == Rodzaj::Powtorka;
}

const QList<atlante::Domanda>& Sprawdzian::strutture() {
    if (tavolaStrutture_ != v_.tavola()) {
        tavolaStrutture_ = v_.tavola();
        strutture_.clear();
        etichette_.clear();
        if (const auto dati = datiAtlante()) {
            atlante::LetturaLimitata lettura(dati->testi, budgetDelGiro());
            strutture_ = atlante::struttureTavola(*dati, v_.tavola(), lettura);
            for (const atlante::Domanda& d : std::as_const(strutture_))
                etichette_.append(atlante::etichettaDi(*dati, d));
            const QList<qsizetype> record = dati->albero.recordDi(v_.tavola());
            recordTitolo_ = 0;
            for (qsizetype n = 0; n < record.size() && recordTitolo_ == 0; ++n)
                if (dati->tabella[record[n]].intestazione())
                    recordTitolo_ = int(n + 1);
        }
        // The viewer names the picture by the plate's title, read as it loaded it.
        titoloTavola_ = v_.DISASGEO.accessibleName();
    }
    return strutture_;
}

const QSet<int>& Sprawdzian::risposte() {
    if (tavolaRisposte_ != v_.tavola()) {
        tavolaRisposte_ = v_.tavola();
        risposte_.clear();
        for (const atlante::Domanda& d : strutture())
            for (int n : d.hotspot)
                risposte_.insert(n);
    }
    return risposte_;
}

// Every label of the plate under a patch, but those already answered in this round; numbered in
// reading order when the round names them one by one, the one asked marked.
void Sprawdzian::copri() {
    if (!inCorso() || scelta_ || finito_) {
        zaslona_->imposta({});
        return;
    }
    strutture();
    const atlante::Domanda& chiesta = giro_[corrente_];
    QSet<QString> risolte; // codes answered on this plate
    for (int i = 0; i < corrente_ + (attesa_ ? 1 : 0); ++i)
        if (giro_[i].tavola == v_.tavola())
            risolte.insert(giro_[i].codice.toUpper());
    QHash<QString, int> numeri;
    if (rodzaj_ == Rodzaj::WszystkieEtykiety) {
        int k = 0;
        for (const atlante::Domanda& d : std::as_const(giro_))
            if (d.tavola == v_.tavola())
                numeri.insert(d.codice.toUpper(), ++k);
    }
    QList<Zaslona::Toppa> toppe;
    for (qsizetype i = 0; i < strutture_.size(); ++i) {
        const int e = etichette_.value(i);
        const QString codice = strutture_[i].codice.toUpper();
        if (e == 0 || !v_.hotspot().esiste(e) || risolte.contains(codice))
            continue;
        const bool segnata = codice == chiesta.codice.toUpper() &&
                             (rodzaj_ != Rodzaj::GdzieJest && rodzaj_ != Rodzaj::Szybki);
        QString numero;
        if (numeri.contains(codice))
            numero = QString::number(numeri.value(codice));
        else if (segnata)
            numero = QStringLiteral("?");
        toppe.append({v_.hotspot()(e).rettangolo(), numero, segnata});
    }
    // A plate's title may name the structure asked ("Wątroba, trzustka…"): then it is covered
    // too, in the picture and for assistive tools, unless the question gives the name itself.
    const QString nome = atlante::normalizza(chiesta.nome);
    const bool titoloDice =
        rodzaj_ != Rodzaj::GdzieJest && !nome.isEmpty() &&
        (u' ' + atlante::normalizza(titoloTavola_) + u' ').contains(u' ' + nome + u' ');
    if (titoloDice && recordTitolo_ > 0 && v_.hotspot().esiste(recordTitolo_))
        toppe.append({v_.hotspot()(recordTitolo_).rettangolo(), QString(), false});
    v_.DISASGEO.setAccessibleName(titoloDice ? QStringLiteral("Plansza") : titoloTavola_);
    zaslona_->imposta(toppe);
    cornice_->raise();
}

std::optional<QString> Sprawdzian::nomeNelGiro(int hotspot) const {
    if (finito_ || scelta_)
        return std::nullopt;
    auto* self = const_cast<Sprawdzian*>(this);
    const QList<atlante::Domanda>& s = self->strutture();
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s[i].hotspot.contains(hotspot)) {
            if (!giro_.isEmpty() &&
                s[i].codice.compare(giro_[corrente_].codice, Qt::CaseInsensitive) == 0 &&
                giro_[corrente_].tavola == v_.tavola() && scriviNome())
                return QStringLiteral("Struktura zaznaczona");
            return QStringLiteral("Struktura %1").arg(i + 1);
        }
    // Nor does a link or the plate's title: a plate may be named as a structure is.
    return QStringLiteral("Poza pytaniem");
}

void Sprawdzian::mostraDomanda() {
    prossima_.stop();
    incornicia(false);
    attesa_ = false;
    aiutato_ = false;
    errori_ = 0;
    const atlante::Domanda& d = giro_[corrente_];
    vaiAllaTavola(d.tavola);
    // A new plate shows its description again: under the panel it would only read out answers.
    v_.Ftdv_Testo.hide();
    const QString numero = QStringLiteral("Pytanie %1 z %2: ").arg(corrente_ + 1).arg(giro_.size());
    titolo->setText(intestazione_ + u'\n' + numero.chopped(2));
    titolo->setAccessibleName(titolo->text());
    QString testo;
    switch (rodzaj_) {
    case Rodzaj::Szybki:
        testo = d.testo;
        break;
    case Rodzaj::GdzieJest:
        testo = QStringLiteral("Gdzie jest: %1? Kliknij strukturę albo jej zakryty podpis.")
                    .arg(d.nome);
        break;
    case Rodzaj::CoToJest:
    case Rodzaj::Powtorka:
        testo = QStringLiteral("Co to jest? Nazwij strukturę zaznaczoną na planszy.");
        break;
    case Rodzaj::WszystkieEtykiety: {
        int k = 0;
        for (int i = 0; i <= corrente_; ++i)
            if (giro_[i].tavola == d.tavola)
                ++k;
        testo = QStringLiteral("Etykieta %1: co jest tu podpisane?").arg(k);
        break;
    }
    }
    domanda->setTextFormat(Qt::PlainText);
    domanda->setText(testo);
    risposta->clear();
    risposta->setReadOnly(rodzaj_ == Rodzaj::GdzieJest);
    risposta->setPlaceholderText(rodzaj_ == Rodzaj::GdzieJest ? QStringLiteral("Kliknij strukturę…")
                                 : scriviNome() ? QStringLiteral("Wpisz nazwę i Enter…")
                                                : QStringLiteral("Nazwa albo kliknięcie…"));
    risposta->setAccessibleDescription(numero + testo);
    quattro->setVisible(scriviNome());
    quattro->setEnabled(true);
    scelte->hide();
    aiuto->setText(scriviNome() ? QStringLiteral("Enter odpowiada   F2 cztery nazwy   Esc kończy")
                                : QStringLiteral("Enter odpowiada   Tab do planszy   Esc kończy"));
    aiuto->show();
    annuncia(domanda, numero + testo);
    annuncia(esito, QString());
    copri();
    // The structure asked is shown, not named.
    if (scriviNome())
        incornicia(true);
    activateWindow();
    layout()->invalidate();
    layout()->activate();
    if (rodzaj_ == Rodzaj::GdzieJest && !risposte().isEmpty()) {
        // The answer is given on the plate: the keyboard starts there.
        const QList<QObject*> voci = Navigazione::di(v_).voci();
        const auto prima = std::find_if(voci.cbegin(), voci.cend(), [](const QObject* o) {
            return qobject_cast<const EtichettaDisegnata*>(o) != nullptr;
        });
        if (prima != voci.cend())
            Navigazione::di(v_).imposta(*prima);
        else
            risposta->setFocus(Qt::OtherFocusReason);
    } else {
        risposta->setFocus(Qt::OtherFocusReason);
    }
}

void Sprawdzian::vaiAllaTavola(const QString& tavola) {
    if (v_.tavola().compare(tavola, Qt::CaseInsensitive) == 0)
        return;
    const auto dati = datiAtlante();
    const int n = dati ? dati->albero.nodo(tavola) : -1;
    if (n < 0)
        return;
    atlante::Risultato r;
    r.percorso = dati->albero.percorso(n);
    Ricerca::vaiA(v_, r);
    raise();
}

void Sprawdzian::apriMancata(int n) {
    if (!finito_ || n < 0 || n >= giro_.size())
        return;
    vaiAllaTavola(giro_[n].tavola);
    v_.HOTSPOT_Click(giro_[n].hotspot.first());
}

bool Sprawdzian::clic(int hotspot) {
    if (!inCorso())
        return false;
    if (finito_)
        return false;
    if (scelta_ || attesa_ || scriviNome())
        return true; // nothing opens a caption while a round asks names
    if (giro_[corrente_].hotspot.contains(hotspot))
        giusta(errori_ == 0 ? Voto::Bene : Voto::Ancora);
    else
        sbagliata();
    return true;
}

void Sprawdzian::rispondi(const QString& testo) {
    if (!inCorso() || scelta_ || attesa_ || finito_ || testo.trimmed().isEmpty() ||
        rodzaj_ == Rodzaj::GdzieJest)
        return;
    const atlante::Domanda& d = giro_[corrente_];
    if (rodzaj_ == Rodzaj::Szybki) {
        if (atlante::rispostaGiusta(testo, d))
            giusta(errori_ == 0 ? Voto::Bene : Voto::Ancora);
        else
            sbagliata();
        return;
    }
    switch (atlante::confronta(testo, d.nome)) {
    case atlante::Corrispondenza::Esatta:
        giusta(errori_ > 0 ? Voto::Ancora : aiutato_ ? Voto::Difficile : Voto::Bene);
        break;
    case atlante::Corrispondenza::Vicina:
        giusta(errori_ > 0 ? Voto::Ancora : Voto::Difficile);
        break;
    case atlante::Corrispondenza::Nessuna:
        sbagliata();
        break;
    }
}

void Sprawdzian::mostraAlternative() {
    if (!inCorso() || scelta_ || attesa_ || finito_ || !scriviNome())
        return;
    const QStringList nomi = atlante::alternative(tutte_, giro_[corrente_], caso_);
    for (int i = 0; i < alternative.size(); ++i) {
        alternative[i]->setVisible(i < nomi.size());
        alternative[i]->setText(QStringLiteral("%1  %2").arg(i + 1).arg(nomi.value(i)));
        alternative[i]->setAccessibleName(nomi.value(i));
        alternative[i]->setProperty("nome", nomi.value(i));
    }
    aiutato_ = true;
    quattro->hide();
    aiuto->hide(); // the feedback line says the keys
    scelte->show();
    layout()->invalidate();
    layout()->activate();
    alternative.first()->setFocus(Qt::OtherFocusReason);
    annuncia(esito, QStringLiteral("Wybierz nazwę: 1–%1 albo Tab i Enter.").arg(nomi.size()));
}

void Sprawdzian::scegli(int indice) {
    if (!inCorso() || attesa_ || finito_ || !scelte->isVisible() || indice < 0 ||
        indice >= alternative.size() || !alternative[indice]->isVisible())
        return;
    const QString nome = alternative[indice]->property("nome").toString();
    if (atlante::normalizza(nome) == atlante::normalizza(giro_[corrente_].nome))
        giusta(errori_ > 0 ? Voto::Ancora : Voto::Difficile);
    else {
        alternative[indice]->setEnabled(false);
        sbagliata();
    }
}

void Sprawdzian::registra(Voto voto) {
    const QString chiave = atlante::ripasso::chiaveStruttura(giro_[corrente_].nome);
    if (chiave.isEmpty())
        return;
    try {
        pamiec::registra({{chiave, voto}}, pamiec::oggi());
        nonSalvato_.clear();
    } catch (const ErroreVB& e) {
        nonSalvato_ = e.descrizione();
    }
    aggiornaPowtorka();
}

// Said after the feedback, plainly: progress that did not reach the disk is not kept.
static QString avvisoNonSalvato(const QString& perche) {
    return perche.isEmpty() ? QString()
                            : QStringLiteral(" Nie udało się zapisać postępów (%1).").arg(perche);
}

void Sprawdzian::giusta(Voto voto) {
    // A right second try counts in the score; the diary learns it was wrong first.
    ++giuste_;
    attesa_ = true;
    registra(voto);
    incornicia(true);
    copri();
    scelte->hide();
    // Kept in its place, so the field holding the keyboard does not move under its ring.
    quattro->setEnabled(false);
    const QString nome = giro_[corrente_].nome;
    QString t = voto == Voto::Difficile && !aiutato_
                    ? QStringLiteral("Dobrze, z drobnym błędem: %1.").arg(nome)
                    : QStringLiteral("Dobrze! To %1.").arg(nome);
    annuncia(esito, t + avvisoNonSalvato(nonSalvato_));
    fuocoAllaRisposta();
    prossima_.start(PausaGiusta);
}

void Sprawdzian::sbagliata() {
    ++errori_;
    if (errori_ < 2) {
        annuncia(esito, QStringLiteral("Spróbuj jeszcze raz."));
        risposta->selectAll();
        return;
    }
    attesa_ = true;
    mancate_.append(corrente_);
    registra(Voto::Ancora);
    incornicia(true);
    copri();
    scelte->hide();
    // Kept in its place, so the field holding the keyboard does not move under its ring.
    quattro->setEnabled(false);
    annuncia(esito, QStringLiteral("Nie. To jest %1.").arg(giro_[corrente_].nome) +
                        avvisoNonSalvato(nonSalvato_));
    fuocoAllaRisposta();
    prossima_.start(PausaMancata);
}

// The panel laid out anew before the keyboard goes to the field, so that the ring drawn round
// it is where the field now is.
void Sprawdzian::fuocoAllaRisposta() {
    layout()->invalidate();
    layout()->activate();
    Navigazione& n = Navigazione::di(v_);
    if (n.corrente() == risposta)
        n.imposta(risposta);
    else
        risposta->setFocus(Qt::OtherFocusReason);
}

void Sprawdzian::avanti() {
    if (!inCorso() || finito_ || scelta_)
        return;
    incornicia(false);
    if (corrente_ + 1 < giro_.size()) {
        ++corrente_;
        mostraDomanda();
    } else {
        fine();
    }
}

void Sprawdzian::fine() {
    prossima_.stop();
    titolo->setText(intestazione_);
    incornicia(false);
    finito_ = true;
    aiuto->hide(); // the feedback says what the keys do now
    zaslona_->imposta({});
    if (tavolaStrutture_ == v_.tavola())
        v_.DISASGEO.setAccessibleName(titoloTavola_);
    quattro->hide();
    scelte->hide();
    const punteggi::Punteggio p{giuste_, int(giro_.size())};
    QString wynik = QStringLiteral("Wynik: ") + punteggio(p) + u'.';
    if (!chiave_.isEmpty()) {
        const std::optional<punteggi::Punteggio> prima = punteggi::migliore(chiave_);
        bool record = false;
        QString nonSalvato;
        try {
            record = punteggi::registra(chiave_, p);
        } catch (const ErroreVB& e) {
            nonSalvato = e.descrizione();
        }
        // A best that did not reach the disk is not announced as kept.
        if (!nonSalvato.isEmpty())
            wynik += QStringLiteral(" Nie udało się zapisać wyniku (%1).").arg(nonSalvato);
        else if (record && prima)
            wynik += QStringLiteral(" Nowy najlepszy wynik!");
        else if (prima)
            wynik += QStringLiteral(" Najlepszy wynik: ") + punteggio(*prima) + u'.';
    }
    wynik += avvisoNonSalvato(nonSalvato_);
    // Each missed structure a link to its plate and its caption.
    QStringList nomi, collegamenti;
    for (int i : std::as_const(mancate_)) {
        nomi.append(giro_[i].nome);
        collegamenti.append(QStringLiteral("<a href=\"%1\" style=\"color:#2f5f8f\">%2</a>")
                                .arg(i)
                                .arg(giro_[i].nome.toHtmlEscaped()));
    }
    const QString powtorka = mancate_.isEmpty() ? QStringLiteral("Wszystkie struktury rozpoznane.")
                                                : QStringLiteral("Do powtórki: ") +
                                                      nomi.join(QStringLiteral(", ")) + u'.';
    domanda->setTextFormat(Qt::RichText);
    domanda->setText(
        mancate_.isEmpty()
            ? powtorka
            : QStringLiteral("Do powtórki (kliknij, aby otworzyć planszę i opis):<br>") +
                  collegamenti.join(QStringLiteral(", ")));
    risposta->clear();
    risposta->setReadOnly(true);
    risposta->setPlaceholderText(QStringLiteral("Enter: nowa runda"));
    fuocoAllaRisposta();
    const QString dalej = QStringLiteral(" Enter: nowa runda, Esc: koniec.");
    annuncia(esito, wynik + u' ' + powtorka + dalej);
    esito->setText(wynik + dalej);
}

void Sprawdzian::termina() {
    if (!isVisible())
        return;
    prossima_.stop();
    incornicia(false);
    zaslona_->imposta({});
    if (tavolaStrutture_ == v_.tavola())
        v_.DISASGEO.setAccessibleName(titoloTavola_);
    // Focus first: hiding the field that holds it would pass it on like Tab does.
    if (fuocoPrima_ && fuocoPrima_->isVisible() && !isAncestorOf(fuocoPrima_))
        fuocoPrima_->setFocus(Qt::OtherFocusReason);
    else
        v_.setFocus(Qt::OtherFocusReason);
    hide();
    giro_.clear();
    scelta_ = false;
    Navigazione::di(v_).allarga();
    v_.ripristina(tavolaPrima_, storiaPrima_);
    if (testoPrima_)
        v_.Ftdv_Testo.show();
}

// One frame around the structure's records (shape in pieces and label alike); none when off.
void Sprawdzian::incornicia(bool acceso) {
    QRect r;
    if (acceso && !giro_.isEmpty() && giro_[corrente_].tavola == v_.tavola())
        for (int n : giro_[corrente_].hotspot)
            if (v_.hotspot().esiste(n))
                r |= v_.hotspot()(n).rettangolo();
    if (!cornice_)
        return;
    if (r.isEmpty()) {
        cornice_->hide();
        return;
    }
    cornice_->setGeometry(r.adjusted(-4, -4, 4, 4).intersected(v_.DISASGEO.rect()));
    cornice_->show();
    cornice_->raise();
}

void Sprawdzian::annuncia(QLabel* etichetta, const QString& testo) {
    if (etichetta != domanda)
        etichetta->setText(testo);
    etichetta->setAccessibleName(testo);
    QAccessibleEvent e(etichetta, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&e);
    if (!testo.isEmpty()) {
        QAccessibleEvent allarme(etichetta, QAccessible::Alert);
        QAccessible::updateAccessibility(&allarme);
    }
}

// Over the description, beside the plate: the plate stays in sight.
void Sprawdzian::disponi() {
    const QRect testo(v_.Ftdv_Testo.mapTo(&v_, QPoint(0, 0)), v_.Ftdv_Testo.size());
    setGeometry(testo.adjusted(-4, -4, 4, 4));
    raise();
}

bool Sprawdzian::eventFilter(QObject* oggetto, QEvent* evento) {
    if (oggetto == &v_.DISASGEO) {
        if (evento->type() == QEvent::Move || evento->type() == QEvent::Resize ||
            evento->type() == QEvent::Show) {
            // The buttons are in the row under the plate, which follows the plate itself.
            // The count is read once the plate is on show, not on its way there.
            if (evento->type() == QEvent::Show)
                QTimer::singleShot(0, this, &Sprawdzian::aggiornaPowtorka);
            if (inCorso()) {
                disponi();
                if (zaslona_->isVisible())
                    zaslona_->setGeometry(v_.DISASGEO.rect());
            }
        }
        return false;
    }
    if (oggetto == &v_ && evento->type() == QEvent::Hide && !evento->spontaneous() && !isHidden()) {
        // The viewer closed (Start, Koniec): the round goes with it, it does not wait for the
        // next visit.
        prossima_.stop();
        if (cornice_) // gone already when the viewer is being destroyed
            cornice_->hide();
        if (zaslona_)
            zaslona_->imposta({});
        hide();
        giro_.clear();
        scelta_ = false;
        Navigazione::di(v_).allarga();
        return false;
    }
    if (evento->type() != QEvent::KeyPress || !inCorso())
        return QFrame::eventFilter(oggetto, evento);
    const auto* tasto = static_cast<QKeyEvent*>(evento);
    const bool invio = tasto->key() == Qt::Key_Return || tasto->key() == Qt::Key_Enter;
    if (tasto->key() == Qt::Key_Escape) {
        termina();
        return true;
    }
    if (scelta_) {
        if (tasto->key() >= Qt::Key_1 && tasto->key() < Qt::Key_1 + rodzaje.size()) {
            rodzaje[tasto->key() - Qt::Key_1]->click();
            return true;
        }
        if (tasto->key() == Qt::Key_Z) {
            zakres->click();
            return true;
        }
    }
    if (auto* b = qobject_cast<QPushButton*>(oggetto); b && invio) {
        b->click();
        return true;
    }
    if (scelte->isVisible() && tasto->modifiers() == Qt::NoModifier && oggetto != risposta &&
        tasto->key() >= Qt::Key_1 && tasto->key() <= Qt::Key_4) {
        scegli(tasto->key() - Qt::Key_1);
        return true;
    }
    if (tasto->key() == Qt::Key_F2) {
        mostraAlternative();
        return true;
    }
    if (oggetto == risposta && invio) {
        if (finito_) {
            if (rodzaj_ == Rodzaj::Powtorka) {
                if (!avviaPowtorka())
                    termina();
            } else {
                avvia(rodzaj_, sistema_);
            }
        } else if (attesa_) {
            avanti();
        } else {
            rispondi(risposta->text());
        }
        return true;
    }
    return QFrame::eventFilter(oggetto, evento);
}

} // namespace hn
