#include "Sprawdzian.h"

#include "Accessibilita.h"
#include "ErroreVB.h"
#include "EtichetteDisegnate.h"
#include "FMed1.h"
#include "Fileini.h"
#include "Frm_Testo.h"
#include "Host.h"
#include "HostPaths.h"
#include "Navigazione.h"
#include "Ricerca.h"
#include "SistemaScelto.h"

#include <QAccessible>
#include <QApplication>
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

QString punteggio(const punteggi::Punteggio& p) {
    return QStringLiteral("%1/%2").arg(p.giuste).arg(p.domande);
}

} // namespace

Sprawdzian::Sprawdzian(FMed1& v)
    : QFrame(&v)
    , titolo(new QLabel(this))
    , domanda(new QLabel(this))
    , risposta(new QLineEdit(this))
    , esito(new QLabel(this))
    , pulsante(new QPushButton(QStringLiteral("Sprawdź się  Ctrl+T"), &v.FONDO))
    , v_(v)
    , caso_(std::random_device{}())
    , cornice_(new QWidget(&v.DISASGEO)) {
    setObjectName(QStringLiteral("Sprawdzian"));
    setStyleSheet(QString::fromUtf8(Aspetto));
    titolo->setObjectName(QStringLiteral("titolo"));
    domanda->setObjectName(QStringLiteral("domanda"));
    esito->setObjectName(QStringLiteral("esito"));
    domanda->setWordWrap(true);
    domanda->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    domanda->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    domanda->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    esito->setWordWrap(true);
    titolo->setWordWrap(true);
    risposta->setAccessibleName(QStringLiteral("Odpowiedź"));
    auto* aiuto = new QLabel(QStringLiteral("Enter odpowiada   Tab do planszy   Esc kończy"), this);
    aiuto->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);
    layout->addWidget(titolo);
    layout->addWidget(domanda, 1);
    layout->addWidget(risposta);
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
    // Said, not just ignored, when there is nothing to ask.
    const auto prova = [this](bool sistema) {
        if (avvia(sistema))
            return;
        const QString t = sistema ? QStringLiteral("W tym układzie nie ma pytań.")
                                  : QStringLiteral("Na tej planszy nie ma pytań.");
        QToolTip::showText(pulsante->mapToGlobal(QPoint(0, -2 * pulsante->height())), t, pulsante);
        pulsante->setAccessibleDescription(t);
        QAccessibleEvent e(pulsante, QAccessible::Alert);
        QAccessible::updateAccessibility(&e);
    };
    connect(pulsante, &QPushButton::clicked, this, [prova] { prova(false); });
    auto* tavola = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), &v);
    connect(tavola, &QShortcut::activated, this, [prova] { prova(false); });
    auto* sistema = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T), &v);
    connect(sistema, &QShortcut::activated, this, [prova] { prova(true); });

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

bool Sprawdzian::avvia(bool sistema) {
    const auto dati = datiAtlante();
    if (!dati || !v_.Caricata())
        return false;
    QList<atlante::Domanda> tutte;
    QString chiave;
    if (sistema) {
        const int radice = dati->albero.nodo(CodiceSistema);
        if (radice < 0)
            return false;
        const int s = dati->albero.nodi()[radice].sistema;
        // Read on the screen's thread: the whole system within one budget of time and bytes.
        atlante::Budget budget;
        budget.tempo = std::chrono::milliseconds(1000);
        budget.byteInTutto = 32 * 1024 * 1024;
        atlante::LetturaLimitata lettura(dati->testi, budget);
        for (const atlante::NodoTavola& n : dati->albero.nodi())
            if (n.sistema == s)
                tutte += atlante::domandeTavola(*dati, n.chiave, lettura);
        chiave = punteggi::chiaveSistema(CodiceSistema);
    } else {
        tutte = atlante::domandeTavola(*dati, v_.tavola());
        chiave = punteggi::chiaveTavola(v_.tavola());
    }
    QList<atlante::Domanda> giro = atlante::scegliDomande(tutte, Domande, caso_);
    if (giro.isEmpty())
        return false;

    if (Frm_Testo::creata())
        Frm_Testo::istanza().ImpostaVisible(false);
    // A new round over a running one keeps the viewer's state from before the first.
    if (!inCorso()) {
        tavolaPrima_ = v_.tavola();
        storiaPrima_ = v_.storiaTavole();
        fuocoPrima_ = QApplication::focusWidget();
    }
    prossima_.stop();
    incornicia(false);
    giro_ = std::move(giro);
    chiave_ = chiave;
    sistema_ = sistema;
    corrente_ = 0;
    giuste_ = 0;
    mancate_.clear();
    finito_ = false;
    QString t = sistema ? QStringLiteral("Sprawdź się: cały układ")
                        : QStringLiteral("Sprawdź się: ta plansza");
    if (const auto m = punteggi::migliore(chiave_))
        t += QStringLiteral(" · najlepszy wynik ") + punteggio(*m);
    intestazione_ = t;
    disponi();
    show();
    raise();
    // The keyboard stays with the round: the plate's structures that can be answers, then the
    // answer field. No fixed button lies in its way (Koniec would end the program mid-round), nor
    // the plate's title or its links; Esc ends the round.
    Navigazione::di(v_).restringi({&v_.DISASGEO, risposta}, [this](const QObject* o) {
        const auto* e = qobject_cast<const EtichettaDisegnata*>(o);
        return !e || risposte().contains(e->Index());
    });
    mostraDomanda();
    return true;
}

const QSet<int>& Sprawdzian::risposte() {
    if (tavolaRisposte_ != v_.tavola()) {
        tavolaRisposte_ = v_.tavola();
        risposte_.clear();
        if (const auto dati = datiAtlante())
            for (const atlante::Domanda& d : atlante::domandeTavola(*dati, v_.tavola()))
                for (int n : d.hotspot)
                    risposte_.insert(n);
    }
    return risposte_;
}

void Sprawdzian::mostraDomanda() {
    prossima_.stop();
    incornicia(false);
    attesa_ = false;
    errori_ = 0;
    const atlante::Domanda& d = giro_[corrente_];
    vaiAllaTavola(d.tavola);
    const QString numero = QStringLiteral("Pytanie %1 z %2: ").arg(corrente_ + 1).arg(giro_.size());
    titolo->setText(intestazione_ + u'\n' + numero.chopped(2));
    titolo->setAccessibleName(titolo->text());
    domanda->setTextFormat(Qt::PlainText);
    domanda->setText(d.testo);
    risposta->clear();
    risposta->setReadOnly(false);
    risposta->setPlaceholderText(QStringLiteral("Wpisz nazwę albo kliknij strukturę…"));
    risposta->setAccessibleDescription(numero + d.testo);
    annuncia(domanda, numero + d.testo);
    annuncia(esito, QString());
    activateWindow();
    risposta->setFocus(Qt::OtherFocusReason);
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
    if (attesa_)
        return true; // the feedback is on show: the click opens nothing either
    if (giro_[corrente_].hotspot.contains(hotspot))
        giusta();
    else
        sbagliata();
    return true;
}

void Sprawdzian::rispondi(const QString& testo) {
    if (!inCorso() || attesa_ || finito_ || testo.trimmed().isEmpty())
        return;
    if (atlante::rispostaGiusta(testo, giro_[corrente_]))
        giusta();
    else
        sbagliata();
}

void Sprawdzian::giusta() {
    ++giuste_;
    attesa_ = true;
    incornicia(true);
    annuncia(esito, QStringLiteral("Dobrze! To %1.").arg(giro_[corrente_].nome));
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
    incornicia(true);
    annuncia(esito, QStringLiteral("Nie. To jest %1.").arg(giro_[corrente_].nome));
    prossima_.start(PausaMancata);
}

void Sprawdzian::avanti() {
    if (!inCorso() || finito_)
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
    const punteggi::Punteggio p{giuste_, int(giro_.size())};
    const std::optional<punteggi::Punteggio> prima = punteggi::migliore(chiave_);
    bool record = false;
    QString nonSalvato;
    try {
        record = punteggi::registra(chiave_, p);
    } catch (const ErroreVB& e) {
        nonSalvato = e.descrizione();
    }
    QString wynik = QStringLiteral("Wynik: ") + punteggio(p) + u'.';
    // A best that did not reach the disk is not announced as kept.
    if (!nonSalvato.isEmpty())
        wynik += QStringLiteral(" Nie udało się zapisać wyniku (%1).").arg(nonSalvato);
    else if (record && prima)
        wynik += QStringLiteral(" Nowy najlepszy wynik!");
    else if (prima)
        wynik += QStringLiteral(" Najlepszy wynik: ") + punteggio(*prima) + u'.';
    // Each missed structure a link to its caption.
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
    domanda->setText(mancate_.isEmpty()
                         ? powtorka
                         : QStringLiteral("Do powtórki (kliknij, aby przeczytać opis):<br>") +
                               collegamenti.join(QStringLiteral(", ")));
    risposta->clear();
    risposta->setReadOnly(true);
    risposta->setPlaceholderText(QStringLiteral("Enter: nowa runda"));
    risposta->setFocus(Qt::OtherFocusReason);
    const QString dalej = QStringLiteral(" Enter: nowa runda, Esc: koniec.");
    annuncia(esito, wynik + u' ' + powtorka + dalej);
    esito->setText(wynik + dalej);
}

void Sprawdzian::termina() {
    if (!isVisible())
        return;
    prossima_.stop();
    incornicia(false);
    // Focus first: hiding the field that holds it would pass it on like Tab does.
    if (fuocoPrima_ && fuocoPrima_->isVisible() && !isAncestorOf(fuocoPrima_))
        fuocoPrima_->setFocus(Qt::OtherFocusReason);
    else
        v_.setFocus(Qt::OtherFocusReason);
    hide();
    giro_.clear();
    Navigazione::di(v_).allarga();
    v_.ripristina(tavolaPrima_, storiaPrima_);
}

// One frame around the structure's records (shape in pieces and label alike); none when off.
void Sprawdzian::incornicia(bool acceso) {
    QRect r;
    if (acceso && !giro_.isEmpty())
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
    if (etichetta == esito && !testo.isEmpty()) {
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
            // Under the plate's frame, at its right end.
            const QRect p = v_.DISASGEO.geometry();
            pulsante->adjustSize();
            pulsante->move(p.right() - pulsante->width() + 1, p.bottom() + 40);
            pulsante->raise();
            if (inCorso())
                disponi();
        }
        return false;
    }
    if (oggetto == &v_ && evento->type() == QEvent::Hide && !evento->spontaneous() && !isHidden()) {
        // The viewer closed (Start, Koniec): the round goes with it, it does not wait for the
        // next visit.
        prossima_.stop();
        if (cornice_) // gone already when the viewer is being destroyed
            cornice_->hide();
        hide();
        giro_.clear();
        Navigazione::di(v_).allarga();
        return false;
    }
    if (evento->type() != QEvent::KeyPress || !inCorso())
        return QFrame::eventFilter(oggetto, evento);
    const auto* tasto = static_cast<QKeyEvent*>(evento);
    if (tasto->key() == Qt::Key_Escape) {
        termina();
        return true;
    }
    if (oggetto == risposta && (tasto->key() == Qt::Key_Return || tasto->key() == Qt::Key_Enter)) {
        if (finito_)
            avvia(sistema_);
        else
            rispondi(risposta->text());
        return true;
    }
    return QFrame::eventFilter(oggetto, evento);
}

} // namespace hn
