#include "RiepilogoCasa.h"

#include "Accessibilita.h"
#include "DatiAtlante.h"
#include "FMed.h"
#include "Fileini.h"
#include "Host.h"
#include "HostPaths.h"
#include "MappaSapere.h"
#include "Pamiec.h"

#include <QDeadlineTimer>
#include <QEvent>
#include <QPainter>
#include <QThread>
#include <atomic>
#include <utility>

namespace hn {

namespace {

using mappa::Stato;

// As the home screen's cards name the systems, for the tooltips.
QString nomeSistema(const FMed& home, int i) {
    return home.lbl_HotSpot.esiste(i) ? home.lbl_HotSpot(i).accessibleName() : QString();
}

// Due ones are still being learnt: the card keeps to three numbers.
QString aParole(const atlante::Riepilogo& r) {
    QString t = QStringLiteral("znane %1, w nauce %2")
                    .arg(r.conosciute)
                    .arg(r.inApprendimento + r.daRipassare);
    if (r.daRipassare > 0)
        t += QStringLiteral(" (do powtórki %1)").arg(r.daRipassare);
    return t + QStringLiteral(", nowe %1").arg(r.nuove);
}

// A small pill under a card: the map's markers, each with its count. Shown from the start and
// of no size while it has nothing to say: a widget shown once its window is on the screen costs
// a round trip to the display (Qt asks where the pointer is), one per card before the first
// frame.
class Pigula : public QWidget {
public:
    explicit Pigula(QWidget* genitore)
        : QWidget(genitore) {
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
        accessibile::nascondi(this); // the card itself says it
        f_.setPixelSize(10);
        f_.setBold(true);
        resize(0, 0);
        show();
    }
    void svuota() {
        voci_.clear();
        resize(0, 0);
        setToolTip({});
    }
    void imposta(const atlante::Riepilogo& r) {
        const std::pair<Stato, int> voci[] = {
            {Stato::Conosciuta, r.conosciute},
            {Stato::InApprendimento, r.inApprendimento + r.daRipassare},
            {Stato::Nuova, r.nuove}};
        // Measured once here, not at each paint: the home screen's first frame paints them all.
        const QFontMetrics m(f_);
        voci_.clear();
        int x = Margine;
        for (const auto& [stato, n] : voci) {
            Voce v{stato, QString::number(n), x, 0};
            v.largo = m.horizontalAdvance(v.testo);
            x += Segno + 3 + v.largo + Spazio;
            voci_.append(v);
        }
        resize(x - Spazio + Margine, Alto);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        // Paper like the cards', so the markers look as they do on the plates.
        p.setPen(QColor(0xc9, 0xb9, 0x8f));
        p.setBrush(QColor(0xfa, 0xf7, 0xf0));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), Alto / 2.0, Alto / 2.0);
        p.setFont(f_);
        p.setPen(QColor(0x1d, 0x2a, 0x36));
        for (const Voce& v : std::as_const(voci_)) {
            // The marker leaves the painter as it found it.
            mappa::dipingiSegno(p, QPointF(v.x + Segno / 2.0, Alto / 2.0), Segno, v.stato);
            p.drawText(QRect(v.x + Segno + 3, 0, v.largo, Alto),
                       int(Qt::AlignLeft | Qt::AlignVCenter), v.testo);
        }
    }

private:
    static constexpr int Alto = 14, Margine = 7, Spazio = 8, Segno = 9;
    struct Voce {
        Stato stato;
        QString testo;
        int x, largo;
    };
    QFont f_;
    QList<Voce> voci_;
};

// What the worker reads, shared with it so that neither outlives what it uses.
// How long the home screen's first frame waits for the counts still being read.
constexpr int AttesaAllaPrimaVista = 150; // milliseconds

struct Lettura {
    atlante::FileAtlante file;
    atlante::Impronta impronta; // taken before reading
    std::atomic_bool ferma{false};
    QList<QStringList> strutture;
};

} // namespace

RiepilogoCasa& RiepilogoCasa::aggancia(FMed& home) {
    if (RiepilogoCasa* r = di(home))
        return *r;
    return *new RiepilogoCasa(home);
}

RiepilogoCasa* RiepilogoCasa::di(const FMed& home) {
    return home.findChild<RiepilogoCasa*>(QString(), Qt::FindDirectChildrenOnly);
}

RiepilogoCasa::RiepilogoCasa(FMed& home)
    : QObject(&home)
    , home_(home) {
    for (int i = 0; i < FMed::codiciSistemi().size(); ++i)
        etichette_.append(home.lbl_HotSpot.esiste(i) ? new Pigula(home.FONDO) : nullptr);
    riepiloghi_.resize(etichette_.size());
    home.installEventFilter(this);
    // The counts are read while the screen is built, not once it shows: on an atlas of a usual
    // size they are there for its first frame, which is then its last.
    home.dopoAvvio = [this] { leggiAtlante(); };
    // The cards move with the screen's layout.
    if (home.lbl_HotSpot.esiste(0))
        home.lbl_HotSpot(0).installEventFilter(this);
}

RiepilogoCasa::~RiepilogoCasa() {
    home_.dopoAvvio = nullptr;
    if (ferma_)
        *ferma_ = true;
    if (lettura_)
        lettura_->wait();
}

QWidget* RiepilogoCasa::etichetta(int sistema) const {
    return sistema >= 0 && sistema < etichette_.size() ? etichette_[sistema].data() : nullptr;
}

bool RiepilogoCasa::eventFilter(QObject* oggetto, QEvent* evento) {
    if (oggetto == &home_ && evento->type() == QEvent::Show) {
        // The counts belong to the screen's first frame: a read still going is waited for a
        // little, rather than the screen drawn once without them and again with them a moment
        // later. A read that takes longer brings them when it is done.
        if (lettura_ && lettura_->wait(QDeadlineTimer(AttesaAllaPrimaVista))) {
            if (const auto concludi = std::exchange(concludi_, nullptr))
                concludi();
            return QObject::eventFilter(oggetto, evento);
        }
        aggiorna();
    } else if (oggetto != &home_ &&
               (evento->type() == QEvent::Move || evento->type() == QEvent::Resize))
        disponi();
    return QObject::eventFilter(oggetto, evento);
}

void RiepilogoCasa::leggiAtlante() {
    if (lettura_ || Fileini::cfg.PathDati.isEmpty())
        return;
    auto l = std::make_shared<Lettura>();
    l->file = atlante::FileAtlante::da(*host().paths, Fileini::cfg.PathDati, Fileini::cfg.PathFoto);
    l->impronta = atlante::improntaDi(l->file.elenco());
    // The lists of these files, kept from an earlier session or read now.
    const auto accogli = [this, l](QList<QStringList> strutture) {
        file_ = l->file;
        impronta_ = l->impronta;
        strutture_ = std::move(strutture);
        pronto_ = true;
    };
    // What an earlier session read of these very files: no caption to read, no thread to wait
    // for before the first frame.
    if (std::optional<QList<QStringList>> salvate =
            atlante::struttureSalvate(l->file, l->impronta)) {
        accogli(*std::move(salvate));
        if (home_.isVisible())
            aggiorna();
        return;
    }
    ferma_ = std::shared_ptr<std::atomic_bool>(l, &l->ferma);
    QThread* t = QThread::create([l] {
        // Nothing may escape a thread: an atlas that cannot be read has no structures.
        try {
            const std::shared_ptr<const atlante::DatiAtlante> dati =
                atlante::DatiAtlante::leggi(l->file);
            atlante::Budget budget;
            budget.ferma = &l->ferma;
            bool esaurito = false;
            l->strutture = atlante::struttureDeiSistemi(*dati, budget, &esaurito);
            // Only a whole read is worth keeping: a cut one is read again next time.
            if (!esaurito && !l->ferma)
                atlante::salvaStrutture(l->file, dati->impronta, l->strutture);
        } catch (const std::exception&) {
            l->strutture.clear();
        }
    });
    connect(t, &QThread::finished, t, &QObject::deleteLater);
    // Run once: when the thread's end is told, or before that by a wait for it.
    auto fatto = std::make_shared<bool>(false);
    const auto concludi = [this, l, fatto, accogli] {
        if (*fatto)
            return;
        *fatto = true;
        concludi_ = nullptr;
        lettura_.clear();
        ferma_.reset();
        if (l->ferma)
            return;
        accogli(l->strutture);
        aggiorna();
    };
    connect(t, &QThread::finished, this, concludi);
    concludi_ = concludi;
    lettura_ = t;
    t->start(QThread::LowPriority);
}

void RiepilogoCasa::aggiorna() {
    // The atlas is read once, and again only when its files change.
    if (!pronto_ || atlante::improntaDi(file_.elenco()) != impronta_) {
        pronto_ = false;
        leggiAtlante();
        return;
    }
    const atlante::ripasso::Diario diario = pamiec::carica();
    const qint64 oggi = pamiec::oggi();
    for (int i = 0; i < etichette_.size(); ++i) {
        Pigula* p = static_cast<Pigula*>(etichette_[i].data());
        if (!p)
            continue;
        const QStringList chiavi = strutture_.value(i);
        riepiloghi_[i] = atlante::riepiloga(chiavi, diario, oggi);
        Etichetta& carta = home_.lbl_HotSpot(i);
        if (chiavi.isEmpty()) {
            p->svuota();
            carta.setAccessibleDescription({});
            continue;
        }
        const QString parole = aParole(riepiloghi_[i]);
        p->imposta(riepiloghi_[i]);
        p->setToolTip(nomeSistema(home_, i) + QStringLiteral(": ") + parole);
        carta.setAccessibleDescription(parole);
        p->raise();
    }
    disponi();
    Q_EMIT aggiornato();
}

void RiepilogoCasa::disponi() {
    for (int i = 0; i < etichette_.size(); ++i) {
        QWidget* p = etichette_[i];
        if (!p || !home_.lbl_HotSpot.esiste(i))
            continue;
        // Just under the card, centred on it: the card's picture and name stay as drawn, and the
        // card below (the tightest gap is 16 pixels) stays clear.
        const QRect carta = home_.lbl_HotSpot(i).geometry();
        p->move(carta.center().x() - p->width() / 2, carta.bottom() + 2);
    }
}

} // namespace hn
