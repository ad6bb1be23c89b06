#include "Ricerca.h"

#include "FMed1.h"
#include "FilaPulsanti.h"
#include "Fileini.h"
#include "Frm_Testo.h"
#include "Host.h"
#include "HostPaths.h"
#include "SistemaScelto.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>

namespace hn {

namespace {

constexpr int Larghezza = 560;
constexpr int RigheVisibili = 8;
constexpr int AltezzaRiga = 42;
constexpr int RisultatiMassimi = 50;

// The program's look: the stage's dark blue panels, cream paper, the plates' blue for places.
const char* const Aspetto = R"(
hn--Ricerca { background: #183048; border: 1px solid #8fa6b8; border-radius: 10px; }
QLineEdit { background: #f6efdf; color: #1d2a36; border: 1px solid #c9b98f; border-radius: 5px;
            padding: 4px 8px; font-family: "DejaVu Serif", serif; font-size: 17px; }
QLabel { color: #dfe7ee; font-size: 12px; }
QListWidget { background: #f6efdf; border: 1px solid #c9b98f; border-radius: 5px; outline: none; }
)";

// One build of the index, on a thread of its own: reading every text of a large atlas takes a
// good part of a second, which the screens must not wait for. The thread writes the results
// before it finishes; the screen's thread takes them when it is told it has.
struct Costruzione {
    atlante::FileAtlante file;
    QThread* thread = nullptr;
    std::atomic_bool ferma{false};
    std::shared_ptr<const atlante::DatiAtlante> dati;
    std::shared_ptr<const atlante::IndiceRicerca> indice;
};

struct StatoIndice {
    std::shared_ptr<const atlante::DatiAtlante> dati;
    std::shared_ptr<const atlante::IndiceRicerca> indice;
    std::shared_ptr<Costruzione> inCorso;
    QList<Ricerca*> pannelli;
};
StatoIndice& stato() {
    static StatoIndice s;
    return s;
}

// A build still running when the application goes is stopped and waited for, so that it never
// outlives what it reads.
void fermaCostruzione() {
    if (const std::shared_ptr<Costruzione> c = stato().inCorso) {
        c->ferma = true;
        c->thread->wait();
    }
}

const char* const AspettoPulsante = R"(
QPushButton { background: #183048; color: #f6efdf; border: 1px solid #8fa6b8; border-radius: 12px;
              padding: 3px 14px; font-size: 13px; font-weight: bold; }
QPushButton:hover, QPushButton:focus { background: #2c5a85; }
QPushButton:pressed { background: #10233a; }
)";

const QString InCostruzione = QStringLiteral("Wyszukiwanie: indeks w budowie…");

// A result row: the name in bold, under it where it lies, in the plates' link blue.
class DelegatoRiga : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {Larghezza - 40, AltezzaRiga};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& opzione,
               const QModelIndex& indice) const override {
        p->save();
        const QRect r = opzione.rect;
        const bool scelta = opzione.state & QStyle::State_Selected;
        p->fillRect(r, scelta ? QColor(0x2c, 0x5a, 0x85) : QColor(0xf6, 0xef, 0xdf));
        QFont f = opzione.font;
        f.setBold(true);
        f.setPixelSize(15);
        p->setFont(f);
        p->setPen(scelta ? Qt::white : QColor(0x1d, 0x2a, 0x36));
        const QRect testo = r.adjusted(10, 3, -10, -3);
        p->drawText(testo, Qt::AlignLeft | Qt::AlignTop,
                    p->fontMetrics().elidedText(indice.data(Qt::DisplayRole).toString(),
                                                Qt::ElideRight, testo.width()));
        f.setBold(false);
        f.setPixelSize(12);
        p->setFont(f);
        p->setPen(scelta ? QColor(0xdf, 0xe7, 0xee) : QColor(0x2f, 0x5f, 0x8f));
        p->drawText(testo, Qt::AlignLeft | Qt::AlignBottom,
                    p->fontMetrics().elidedText(indice.data(Qt::UserRole).toString(),
                                                Qt::ElideRight, testo.width()));
        p->restore();
    }
};

// Builds the index a moment after the home screen has painted: the first screen never waits for
// it, and what the start still has queued (the window's mapping, the first frames) goes before a
// build that takes a good part of a second on a large atlas. Asked for sooner, the index is built
// then. The paint may reach only the form's children, so the whole application is watched.
constexpr std::chrono::milliseconds kPausaDopoIlDipinto{500};

class DopoIlPrimoDipinto : public QObject {
public:
    explicit DopoIlPrimoDipinto(QWidget* finestra)
        : QObject(finestra)
        , finestra_(finestra) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = e->type() == QEvent::Paint ? qobject_cast<QWidget*>(o) : nullptr;
        // Not window(): on the stage that is the stage for everything in it.
        if (w && (w == finestra_ || finestra_->isAncestorOf(w))) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(kPausaDopoIlDipinto, this, [this] {
                Ricerca::indice(); // starts the build
                deleteLater();
            });
        }
        return false;
    }

private:
    QWidget* finestra_;
};

} // namespace

Ricerca::Ricerca(Forma& forma, Apri apri)
    : QFrame(&forma)
    , pulsante(new QPushButton(QStringLiteral("Szukaj  Ctrl+F"), &forma))
    , apri_(std::move(apri)) {
    setObjectName(QStringLiteral("Ricerca"));
    for (const QKeySequence& k : {QKeySequence(QKeySequence::Find), QKeySequence(Qt::Key_Slash)}) {
        auto* s = new QShortcut(k, &forma);
        connect(s, &QShortcut::activated, this, &Ricerca::apri);
    }
    // Shows that search exists and its key; the keyboard has the key itself.
    pulsante->setObjectName(QStringLiteral("Szukaj"));
    pulsante->setStyleSheet(aspettoPulsante());
    pulsante->setCursor(Qt::PointingHandCursor);
    pulsante->setFocusPolicy(Qt::NoFocus);
    pulsante->setAccessibleName(QStringLiteral("Szukaj (Ctrl+F)"));
    connect(pulsante, &QPushButton::clicked, this, &Ricerca::apri);
    hide();
    stato().pannelli.append(this);
}

void Ricerca::prepara() {
    if (campo)
        return;
    campo = new QLineEdit(this);
    esito = new QLabel(this);
    elenco = new QListWidget(this);
    setStyleSheet(QString::fromUtf8(Aspetto));
    campo->setPlaceholderText(QStringLiteral("Szukaj struktury lub planszy…"));
    campo->setAccessibleName(QStringLiteral("Szukaj w atlasie"));
    // Set here, not when the home screen is made: finding the clear icon in the desktop's theme
    // was a sixth of the processor time before the first frame.
    campo->setClearButtonEnabled(true);
    elenco->setAccessibleName(QStringLiteral("Wyniki wyszukiwania"));
    elenco->setItemDelegate(new DelegatoRiga(elenco));
    elenco->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    elenco->setFocusPolicy(Qt::NoFocus); // the keys stay in the field; Up and Down move here
    auto* aiuto = new QLabel(QStringLiteral("↑ ↓ wybór   Enter otwiera   Esc zamyka"), this);
    aiuto->setAlignment(Qt::AlignRight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 10);
    layout->setSpacing(6);
    layout->addWidget(campo);
    layout->addWidget(esito);
    layout->addWidget(elenco);
    layout->addWidget(aiuto);

    campo->installEventFilter(this);
    connect(campo, &QLineEdit::textChanged, this, &Ricerca::aggiorna);
    connect(elenco, &QListWidget::itemClicked, this, [this] { apriSelezionato(); });
}

QString Ricerca::aspettoPulsante() {
    return QString::fromUtf8(AspettoPulsante);
}

Ricerca& Ricerca::aggancia(Forma& forma, Apri apri) {
    return *new Ricerca(forma, std::move(apri));
}

Ricerca& Ricerca::agganciaHome(Forma& home, std::function<void(int)> apriSistema) {
    new DopoIlPrimoDipinto(&home);
    Ricerca& r =
        aggancia(home, [apriSistema = std::move(apriSistema)](const atlante::Risultato& r) {
            const qsizetype sistema = atlante::codiciSistemi().indexOf(r.percorso.value(0));
            if (sistema < 0)
                return;
            apriSistema(int(sistema));
            if (auto* visore = qobject_cast<FMed1*>(Forma::trova(QStringLiteral("FMed1"))))
                vaiA(*visore, r);
        });
    // On the picture, above the right end of the panel of body systems, clear of the heading.
    if (ControlloForma* fondo = home.controllo(QStringLiteral("FONDO"))) {
        r.pulsante->setParent(fondo);
        r.pulsante->adjustSize();
        r.pulsante->move(844 - r.pulsante->width(), 96);
        r.pulsante->show();
    } else {
        r.pulsante->hide();
    }
    return r;
}

Ricerca& Ricerca::agganciaVisore(FMed1& visore) {
    Ricerca& r = aggancia(visore, [&visore](const atlante::Risultato& r) { vaiA(visore, r); });
    // In the row under the plate, between the study buttons and the self-test's.
    r.pulsante->adjustSize();
    r.pulsante->show();
    visore.filaPulsanti().aggiungi(r.pulsante, FMed1::PostoSzukaj);
    return r;
}

void Ricerca::vaiA(FMed1& v, const atlante::Risultato& r) {
    if (r.percorso.isEmpty() || !v.Caricata())
        return;
    if (Frm_Testo::creata())
        Frm_Testo::istanza().ImpostaVisible(false);
    if (CodiceSistema != r.percorso.first()) {
        CodiceSistema = r.percorso.first();
        if (const auto& d = stato().dati)
            DescrizioneSistema = atlante::descrizioneSistema(d->desAppa, CodiceSistema);
    }
    v.apriTavola(r.percorso, r.hotspot);
}

std::shared_ptr<const atlante::IndiceRicerca> Ricerca::indice() {
    if (Fileini::cfg.PathDati.isEmpty())
        return {};
    const atlante::FileAtlante file =
        atlante::FileAtlante::da(*host().paths, Fileini::cfg.PathDati, Fileini::cfg.PathFoto);
    StatoIndice& s = stato();
    if (s.dati && s.dati->file == file && s.dati->aggiornato())
        return s.indice;
    if (s.inCorso && s.inCorso->file == file)
        return {}; // on its way
    if (s.inCorso)
        s.inCorso->ferma = true; // for files no longer the installation's
    static const bool registrata = [] {
        qAddPostRoutine(fermaCostruzione);
        return true;
    }();
    Q_UNUSED(registrata);

    auto c = std::make_shared<Costruzione>();
    c->file = file;
    c->thread = QThread::create([c = c.get()] {
        // Nothing may escape a thread: an atlas that cannot be indexed finds nothing.
        try {
            // First what the plates read, so that the first one is quick in this session too.
            atlante::preparaPerLoSchermo(c->file);
            c->dati = atlante::DatiAtlante::leggi(c->file);
            atlante::Budget budget;
            budget.ferma = &c->ferma;
            c->indice = std::make_shared<const atlante::IndiceRicerca>(*c->dati, budget);
        } catch (const std::exception&) {
            auto vuoti = std::make_shared<atlante::DatiAtlante>();
            vuoti->file = c->file;
            vuoti->impronta = atlante::improntaDi(c->file.elenco());
            c->dati = vuoti;
            c->indice = std::make_shared<const atlante::IndiceRicerca>(*vuoti);
        }
    });
    QObject::connect(c->thread, &QThread::finished, qApp, [c] {
        c->thread->deleteLater();
        StatoIndice& s = stato();
        if (s.inCorso != c)
            return; // replaced by a later build
        s.inCorso.reset();
        s.dati = c->dati;
        s.indice = c->indice;
        for (Ricerca* r : std::as_const(s.pannelli))
            if (r->isVisible() && !r->indice_) {
                r->indice_ = c->indice;
                r->aggiorna();
            }
    });
    s.inCorso = c;
    s.dati.reset();
    s.indice.reset();
    c->thread->start(QThread::LowPriority);
    return {};
}

Ricerca::~Ricerca() {
    stato().pannelli.removeOne(this);
}

void Ricerca::disponi() {
    QWidget* forma = parentWidget();
    const int righe = std::min<int>(RigheVisibili, elenco->count());
    elenco->setVisible(righe > 0);
    elenco->setFixedHeight(righe * AltezzaRiga + 4);
    const int altezza = sizeHint().height();
    setGeometry((forma->width() - Larghezza) / 2, 14, Larghezza, altezza);
    raise();
}

void Ricerca::apri() {
    if (!isVisible())
        fuocoPrecedente_ = QApplication::focusWidget();
    prepara();
    indice_ = indice(); // the atlas may have changed since the last time
    aggiorna();
    disponi();
    show();
    raise();
    campo->setFocus(Qt::ShortcutFocusReason);
    campo->selectAll();
}

void Ricerca::chiudi() {
    hide();
    if (fuocoPrecedente_ && fuocoPrecedente_->isVisible())
        fuocoPrecedente_->setFocus(Qt::OtherFocusReason);
    else
        parentWidget()->setFocus(Qt::OtherFocusReason);
}

void Ricerca::aggiorna() {
    if (!campo)
        return; // never opened: nothing shows results
    const QString domanda = campo->text();
    int totale = 0;
    risultati_ =
        indice_ ? indice_->cerca(domanda, RisultatiMassimi, &totale) : QList<atlante::Risultato>{};
    elenco->clear();
    for (const atlante::Risultato& r : std::as_const(risultati_)) {
        auto* riga = new QListWidgetItem(r.nome, elenco);
        riga->setData(Qt::UserRole, r.dove);
        riga->setData(Qt::AccessibleTextRole, r.nome + QStringLiteral(", ") + r.dove);
    }
    if (!risultati_.isEmpty())
        elenco->setCurrentRow(0);

    QString testo;
    if (!indice_ && stato().inCorso)
        testo = InCostruzione;
    else if (domanda.trimmed().isEmpty())
        testo = QStringLiteral("Wpisz nazwę, np. kość łokciowa");
    else if (totale == 0)
        testo = QStringLiteral("Brak wyników");
    else if (totale > risultati_.size())
        testo = QStringLiteral("Wyniki: %1 (pokazano %2)").arg(totale).arg(risultati_.size());
    else
        testo = QStringLiteral("Wyniki: %1").arg(totale);
    esito->setText(testo);
    // Screen readers hear the count as the field's description changes.
    campo->setAccessibleDescription(testo);
    esito->setAccessibleName(testo);
    QAccessibleEvent nome(esito, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nome);
    QAccessibleEvent descrizione(campo, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&descrizione);
    if (isVisible())
        disponi();
}

void Ricerca::apriSelezionato() {
    const int riga = elenco ? elenco->currentRow() : -1;
    if (riga < 0 || riga >= risultati_.size())
        return;
    const atlante::Risultato r = risultati_[riga];
    hide();
    fuocoPrecedente_.clear();
    if (apri_)
        apri_(r);
}

bool Ricerca::eventFilter(QObject* oggetto, QEvent* evento) {
    if (oggetto != campo || evento->type() != QEvent::KeyPress)
        return QFrame::eventFilter(oggetto, evento);
    const auto* tasto = static_cast<QKeyEvent*>(evento);
    const int n = elenco->count();
    switch (tasto->key()) {
    case Qt::Key_Escape:
        chiudi();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        apriSelezionato();
        return true;
    case Qt::Key_Down:
        if (n > 0)
            elenco->setCurrentRow(std::min(elenco->currentRow() + 1, n - 1));
        return true;
    case Qt::Key_Up:
        if (n > 0)
            elenco->setCurrentRow(std::max(elenco->currentRow() - 1, 0));
        return true;
    default:
        return QFrame::eventFilter(oggetto, evento);
    }
}

} // namespace hn
