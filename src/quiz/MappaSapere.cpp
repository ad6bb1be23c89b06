#include "MappaSapere.h"

#include "Accessibilita.h"
#include "EtichetteDisegnate.h"
#include "FMed1.h"
#include "FilaPulsanti.h"
#include "Pamiec.h"
#include "Rendizioni.h"
#include "Ricerca.h"
#include "Scena.h"

#include <QAccessible>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QToolTip>
#include <algorithm>

namespace hn {

namespace mappa {

namespace {

// Colours that colour-blind eyes still tell apart (Okabe and Ito's set), each state also with its
// own outline and marker, and the due ones hatched.
const Aspetto Aspetti[] = {
    {QColor(0x00, 0x72, 0xB2), Qt::DotLine, Qt::NoBrush, Segno::Cerchio, QStringLiteral("nowe")},
    {QColor(0xE6, 0x9F, 0x00), Qt::DashLine, Qt::NoBrush, Segno::Triangolo,
     QStringLiteral("w nauce")},
    {QColor(0x00, 0x9E, 0x73), Qt::SolidLine, Qt::NoBrush, Segno::Spunta, QStringLiteral("znane")},
    {QColor(0xD5, 0x5E, 0x00), Qt::SolidLine, Qt::BDiagPattern, Segno::Rombo,
     QStringLiteral("do powtórki")},
};

// Light enough that the label's dark letters stay as readable as on the paper.
constexpr int AlfaTinta = 56;
constexpr int AlfaTrama = 110;
constexpr double LatoSegno = 9;

} // namespace

QString opisStanu(Stato s) {
    switch (s) {
    case Stato::Nuova:
        return QStringLiteral("nowa");
    case Stato::InApprendimento:
        return QStringLiteral("w nauce");
    case Stato::Conosciuta:
        return QStringLiteral("znana");
    case Stato::DaRipassare:
        return QStringLiteral("do powtórki");
    }
    return {};
}

const Aspetto& aspettoDi(Stato stato) {
    switch (stato) {
    case Stato::Nuova:
        return Aspetti[0];
    case Stato::InApprendimento:
        return Aspetti[1];
    case Stato::Conosciuta:
        return Aspetti[2];
    case Stato::DaRipassare:
        return Aspetti[3];
    }
    return Aspetti[0];
}

void dipingiSegno(QPainter& p, QPointF c, double lato, Stato stato) {
    const Aspetto& a = aspettoDi(stato);
    const double r = lato / 2;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(a.colore.darker(130), std::max(1.5, lato / 6), Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    switch (a.segno) {
    case Segno::Cerchio: // hollow: nothing yet
        p.setBrush(Qt::white);
        p.drawEllipse(c, r - 1, r - 1);
        break;
    case Segno::Triangolo: {
        p.setBrush(a.colore);
        const QPointF t[3] = {{c.x(), c.y() - r}, {c.x() + r, c.y() + r}, {c.x() - r, c.y() + r}};
        p.drawPolygon(t, 3);
        break;
    }
    case Segno::Spunta: {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(a.colore.darker(130), std::max(2.0, lato / 4), Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        const QPointF s[3] = {
            {c.x() - r, c.y()}, {c.x() - r / 3, c.y() + r * 0.8}, {c.x() + r, c.y() - r * 0.8}};
        p.drawPolyline(s, 3);
        break;
    }
    case Segno::Rombo: {
        p.setBrush(a.colore);
        const QPointF d[4] = {
            {c.x(), c.y() - r}, {c.x() + r, c.y()}, {c.x(), c.y() + r}, {c.x() - r, c.y()}};
        p.drawPolygon(d, 4);
        break;
    }
    }
    p.restore();
}

void dipingiEtichetta(QPainter& p, const QRectF& e, Stato stato, const QRectF& limite) {
    const Aspetto& a = aspettoDi(stato);
    p.save();
    QColor tinta = a.colore;
    tinta.setAlpha(AlfaTinta);
    p.fillRect(e, tinta);
    if (a.trama != Qt::NoBrush) {
        QColor trama = a.colore;
        trama.setAlpha(AlfaTrama);
        p.fillRect(e, QBrush(trama, a.trama));
    }
    QPen bordo(a.colore.darker(115), 2, a.tratto);
    bordo.setCapStyle(Qt::FlatCap);
    p.setPen(bordo);
    p.setBrush(Qt::NoBrush);
    p.drawRect(e.adjusted(1, 1, -1, -1));
    // The marker left of the label, or right of it when the picture's edge is too near: never over
    // its letters.
    const double lato = std::min(LatoSegno, std::max(5.0, e.height() - 2));
    double x = e.left() - lato / 2 - 3;
    if (x - lato / 2 < limite.left())
        x = std::min(e.right() + lato / 2 + 3, limite.right() - lato / 2);
    dipingiSegno(p, QPointF(x, e.center().y()), lato, stato);
    p.restore();
}

} // namespace mappa

namespace {

using mappa::Stato;

// Narrower than the search's buttons: two of them share the description's column.
const char* const AspettoMappa = R"(
QPushButton { padding: 3px 9px; }
QPushButton:checked { background: #2c5a85; border: 1px solid #f6efdf; }
)";

const char* const AspettoLegenda = R"(
#legenda { background: #183048; border: 1px solid #8fa6b8; border-radius: 10px; }
QLabel { color: #f6efdf; font-size: 12px; }
QLabel#titoloLegenda { font-weight: bold; }
)";

// A legend's sample: a short label as the plate shows it in that state.
class Campione : public QWidget {
public:
    Campione(Stato stato, QWidget* genitore)
        : QWidget(genitore)
        , stato_(stato) {
        setFixedSize(38, 16);
        accessibile::nascondi(this);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRectF tutto(rect());
        // Paper like the plate's, so the sample and its marker look as the labels do.
        p.fillRect(tutto, QColor(0xfa, 0xf7, 0xf0));
        mappa::dipingiEtichetta(p, tutto.adjusted(14, 1, -1, -1), stato_, tutto);
    }

private:
    Stato stato_;
};

// The sheet over the plate on which the labels are tinted; deaf to the mouse.
class Foglio : public QWidget {
public:
    Foglio(QWidget* piano, const FMed1& v, const QHash<int, Stato>& stati)
        : QWidget(piano)
        , v_(v)
        , stati_(stati) {
        setObjectName(QStringLiteral("mappaWiedzy"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        accessibile::nascondi(this);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const ArrayEtichette& h = v_.hotspot();
        for (auto it = stati_.cbegin(); it != stati_.cend(); ++it)
            if (h.esiste(it.key()))
                mappa::dipingiEtichetta(p, h(it.key()).rettangolo(), it.value(), rect());
    }

private:
    const FMed1& v_;
    const QHash<int, Stato>& stati_;
};

} // namespace

MappaSapere& MappaSapere::aggancia(FMed1& visore) {
    if (MappaSapere* m = di(visore))
        return *m;
    return *new MappaSapere(visore);
}

MappaSapere* MappaSapere::di(const FMed1& visore) {
    return visore.findChild<MappaSapere*>(QString(), Qt::FindDirectChildrenOnly);
}

MappaSapere::MappaSapere(FMed1& v)
    : QObject(&v)
    , pulsante(new QPushButton(QStringLiteral("Mapa  Ctrl+M"), &v.FONDO))
    , pulsanteKarta(new QPushButton(QStringLiteral("Karta pracy"), &v.FONDO))
    , legenda(new QWidget(&v.FONDO))
    , v_(v) {
    foglio_ = new Foglio(&v.DISASGEO, v, stati_);

    pulsante->setObjectName(QStringLiteral("MapaWiedzy"));
    pulsante->setCheckable(true);
    pulsante->setStyleSheet(Ricerca::aspettoPulsante() + QString::fromUtf8(AspettoMappa));
    pulsante->setAccessibleName(QStringLiteral("Mapa wiedzy (Ctrl+M)"));
    pulsanteKarta->setObjectName(QStringLiteral("KartaPracy"));
    pulsanteKarta->setStyleSheet(Ricerca::aspettoPulsante() + QString::fromUtf8(AspettoMappa));
    pulsanteKarta->setAccessibleName(QStringLiteral("Karta pracy (Ctrl+K)"));
    pulsanteKarta->setToolTip(QStringLiteral("Drukuje planszę z pustymi polami zamiast podpisów "
                                             "i stronę z odpowiedziami (Ctrl+K)"));
    pulsante->setToolTip(QStringLiteral("Zaznacza podpisy według tego, jak dobrze je znasz "
                                        "(Ctrl+M)"));
    for (QPushButton* b : {pulsante, pulsanteKarta}) {
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::NoFocus); // the keyboard has its keys
        b->adjustSize();
        b->show();
    }
    v.filaPulsanti().aggiungi(pulsante, FMed1::PostoMapa);
    v.filaPulsanti().aggiungi(pulsanteKarta, FMed1::PostoKarta);
    connect(pulsante, &QPushButton::clicked, this, [this](bool su) { imposta(su); });
    connect(pulsanteKarta, &QPushButton::clicked, this, &MappaSapere::stampaKarta);
    auto* tastoMappa = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), &v);
    connect(tastoMappa, &QShortcut::activated, this, [this] { imposta(!accesa_); });
    auto* tastoKarta = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), &v);
    connect(tastoKarta, &QShortcut::activated, this, &MappaSapere::stampaKarta);

    legenda->setObjectName(QStringLiteral("legenda"));
    legenda->setAttribute(Qt::WA_StyledBackground);
    legenda->setStyleSheet(QString::fromUtf8(AspettoLegenda));
    auto* riga = new QHBoxLayout(legenda);
    riga->setContentsMargins(12, 3, 12, 3);
    riga->setSpacing(6);
    auto* titolo = new QLabel(QStringLiteral("Mapa wiedzy:"), legenda);
    titolo->setObjectName(QStringLiteral("titoloLegenda"));
    riga->addWidget(titolo);
    for (Stato s : mappa::Stati) {
        riga->addSpacing(8);
        riga->addWidget(new Campione(s, legenda));
        auto* testo = new QLabel(legenda);
        testo->setObjectName(QStringLiteral("stato%1").arg(int(s)));
        riga->addWidget(testo);
    }
    legenda->hide();

    v.DISASGEO.installEventFilter(this);
    connect(&v, &FMed1::tavolaCaricata, this, [this] {
        if (accesa_)
            aggiorna();
    });
}

void MappaSapere::imposta(bool accesa) {
    accesa_ = accesa;
    pulsante->setChecked(accesa);
    if (accesa) {
        v_.notaHotSpot = [this](int n, const QString&) {
            const auto it = stati_.constFind(n);
            return it == stati_.cend() ? QString()
                                       : QStringLiteral("Mapa wiedzy: ") + mappa::opisStanu(*it);
        };
        aggiorna();
    } else {
        v_.notaHotSpot = {};
        stati_.clear();
        conteggio_ = {};
        if (foglio_)
            foglio_->hide();
        legenda->hide();
    }
    // Said as the map turns on or off, so a screen reader knows what the labels now carry.
    pulsante->setAccessibleDescription(accesa ? legenda->accessibleName()
                                              : QStringLiteral("Mapa wiedzy wyłączona"));
    QAccessible::State cambiato;
    cambiato.checked = true;
    QAccessibleStateChangeEvent stato(pulsante, cambiato);
    QAccessible::updateAccessibility(&stato);
    QAccessibleEvent detto(pulsante, QAccessible::Alert);
    QAccessible::updateAccessibility(&detto);
}

QList<int> MappaSapere::etichette() const {
    QList<int> out;
    for (const EtichettaDisegnata* e : v_.hotspot().raggiungibili())
        if (!e->Gruppo.isEmpty() && e->Index() >= 1)
            out.append(e->Index());
    return out;
}

void MappaSapere::aggiorna() {
    const atlante::ripasso::Diario diario = pamiec::carica();
    const qint64 oggi = pamiec::oggi();
    stati_.clear();
    QStringList chiavi;
    const ArrayEtichette& h = v_.hotspot();
    for (int n : etichette()) {
        // The name a screen reader gives, so what is heard and what is tinted agree.
        const QString nome = h.descrivi ? h.descrivi(n).nome : QString();
        stati_.insert(n, atlante::statoStruttura(diario, nome, oggi));
        chiavi.append(atlante::ripasso::chiaveStruttura(nome));
    }
    conteggio_ = atlante::riepiloga(chiavi, diario, oggi);
    const int conti[] = {conteggio_.nuove, conteggio_.inApprendimento, conteggio_.conosciute,
                         conteggio_.daRipassare};
    QStringList detto;
    for (int i = 0; i < 4; ++i) {
        const Stato s = mappa::Stati[i];
        const QString t = QStringLiteral("%1 %2").arg(mappa::aspettoDi(s).nome).arg(conti[i]);
        if (auto* l = legenda->findChild<QLabel*>(QStringLiteral("stato%1").arg(int(s))))
            l->setText(t);
        detto << t;
    }
    legenda->setAccessibleName(QStringLiteral("Mapa wiedzy: ") + detto.join(QStringLiteral(", ")));
    if (foglio_) {
        foglio_->setGeometry(v_.DISASGEO.rect());
        foglio_->show();
        foglio_->raise();
        foglio_->update();
    }
    disponi();
    legenda->show();
    for (int n : stati_.keys()) {
        QAccessibleEvent e(&h(n), QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&e);
    }
}

void MappaSapere::disponi() {
    const QRect p = v_.DISASGEO.geometry();
    const QRect t = v_.Ftdv_Testo.geometry();
    // The buttons are in the row under the plate, 40 pixels below it.
    const int y = p.bottom() + 40;
    // The legend over the hint under the buttons, which it stands in for while the map is on.
    legenda->adjustSize();
    const int centro = (t.left() + p.right()) / 2;
    legenda->move(centro - legenda->width() / 2, y + pulsante->height() + 2);
    legenda->raise();
    if (foglio_)
        foglio_->setGeometry(v_.DISASGEO.rect());
}

bool MappaSapere::eventFilter(QObject* oggetto, QEvent* evento) {
    if (oggetto == &v_.DISASGEO &&
        (evento->type() == QEvent::Move || evento->type() == QEvent::Resize ||
         evento->type() == QEvent::Show))
        disponi();
    return QObject::eventFilter(oggetto, evento);
}

KartaPracy MappaSapere::karta() const {
    KartaPracy k;
    k.obraz = v_.DISASGEO.Picture();
    // Paper has the pixels a screen may not: the largest drawing of the plate, at its size.
    k.wydruk = rendizionePiuGrande(k.obraz, v_.DISASGEO.rendizioni());
    const ArrayEtichette& h = v_.hotspot();
    // The plate's title as the viewer names it (its header's text, else its key): the picture's
    // own name may still be the last plate's when this one has no description.
    k.tytul = v_.tavola();
    for (const EtichettaDisegnata* e : h.raggiungibili())
        if (e->Gruppo.isEmpty() && e->Index() >= 1 && h.descrivi) {
            const QString t = h.descrivi(e->Index()).nome;
            if (!t.isEmpty())
                k.tytul = t;
            break;
        }
    const QList<int> numeri = etichette();
    QList<QRectF> aree;
    for (int n : numeri)
        aree.append(QRectF(h(n).rettangolo()));
    for (int i : atlante::ordineDiLettura(aree)) {
        const int n = numeri[i];
        QString nome = h.descrivi ? h.descrivi(n).nome : QString();
        k.voci.append({aree[i], nome});
    }
    return k;
}

void MappaSapere::stampaKarta() {
    const KartaPracy k = karta();
    if (k.voci.isEmpty() || k.obraz.isNull()) {
        const QString t = QStringLiteral("Na tej planszy nie ma podpisów do karty pracy.");
        QToolTip::showText(puntoGlobale(*pulsanteKarta, QPoint(0, -2 * pulsanteKarta->height())), t,
                           pulsanteKarta);
        pulsanteKarta->setAccessibleDescription(t);
        QAccessibleEvent e(pulsanteKarta, QAccessible::Alert);
        QAccessible::updateAccessibility(&e);
        return;
    }
    StampaKartaPracy(k);
    v_.activateWindow();
}

} // namespace hn
