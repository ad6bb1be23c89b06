#include "PannelloGuida.h"

#include "ErroreVB.h"
#include "Host.h"
#include "Navigazione.h"
#include "Normalizza.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextFrame>
#include <QTextLayout>
#include <QThread>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace hn {

using namespace winhelp;

namespace {

constexpr int RuoloArgomento = Qt::UserRole + 1;
const QString SchemaImmagine = QStringLiteral("hlpimg");
const QString SchemaLink = QStringLiteral("hlp");

QString colore(const QColor& c) {
    return c.name(QColor::HexRgb);
}

// A picture the file only describes (a metafile) or could not give: a framed box of its size.
QImage riquadro(QSize dimensione) {
    QImage img(dimensione.expandedTo(QSize(16, 16)), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::gray);
    p.drawRect(img.rect().adjusted(0, 0, -1, -1));
    return img;
}

// The forms' keyboard ring, so the help shows where the keyboard is the same way.
constexpr int Spessore = 2 * BandaAnello;

// A stop of the keyboard in a topic: a link of the text or a hotspot of a picture. An invisible
// widget over it, so that Tab reaches links and hotspots in reading order, the ring shows where
// the keyboard is, and screen readers meet each as a link with its name. The mouse goes through
// it to the text below.
class FermataGuida : public QAbstractButton {
public:
    explicit FermataGuida(QWidget* sopra)
        : QAbstractButton(sopra) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::TabFocus);
    }
    int inizio = -1, fine = -1;   // a link: its text in the document
    int immagine = -1, zona = -1; // a hotspot: its picture and its rectangle
    QList<QRect> righe;           // what it covers, in its own pixels
    std::function<void()> mostrata;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!hasFocus())
            return;
        QPainter p(this);
        for (const QRect& r : righe)
            disegnaAnello(p, r.adjusted(-Spessore, -Spessore, Spessore, Spessore));
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            click();
        else
            QAbstractButton::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        QAbstractButton::focusInEvent(e);
        if (mostrata)
            mostrata();
        update();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QAbstractButton::focusOutEvent(e);
        update();
    }
};

// A screen reader's view of a stop: a link, named, that a Press follows.
class FermataAccessibile : public QAccessibleWidget {
public:
    explicit FermataAccessibile(QWidget* w)
        : QAccessibleWidget(w, QAccessible::Link) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& azione) override {
        if (azione == pressAction())
            static_cast<QAbstractButton*>(widget())->click();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* fabbricaFermate(const QString&, QObject* o) {
    if (auto* f = dynamic_cast<FermataGuida*>(o))
        return new FermataAccessibile(f);
    // The help window is a dialog over the stage, named by its title: a plain widget would be a
    // nameless "filler" to a screen reader.
    if (auto* p = qobject_cast<PannelloGuida*>(o))
        return new QAccessibleWidget(p, QAccessible::Dialog);
    return nullptr;
}

} // namespace

// The topic text: links come to the window, pictures from the window's topic, and a click on a
// picture reaches it with the point inside the picture, for its hotspots. Tab walks its links
// and the hotspots of its pictures, in the order they are read.
class TestoGuida : public QTextBrowser {
public:
    explicit TestoGuida(PannelloGuida* p)
        : pannello_(p) {
        setOpenLinks(false);
        setOpenExternalLinks(false);
        // The keyboard reaches links through the stops, which hotspots share.
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
        viewport()->setMouseTracking(true);
        for (QScrollBar* b : {verticalScrollBar(), horizontalScrollBar()})
            connect(b, &QScrollBar::valueChanged, this, [this] { posizionaFermate(); });
        connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged,
                this, [this] { posizionaFermate(); });
    }
    QMap<int, QImage> immagini;
    QMap<int, QList<ZonaImmagine>> zone;
    std::function<QVariant(int, const QUrl&)> risorsaEsterna;
    // A stop's name for a screen reader: a hotspot is named after where it leads.
    std::function<QString(int immagine, int zona)> nomeZona;
    std::function<void(int immagine, int zona, QPoint dove)> attivaZona;
    std::function<void(const QUrl& link, QPoint dove)> attivaLink;

    QVariant loadResource(int tipo, const QUrl& nome) override {
        if (nome.scheme() == SchemaImmagine)
            return immagini.value(nome.path().toInt());
        if (risorsaEsterna)
            return risorsaEsterna(tipo, nome);
        return QByteArray();
    }

    QList<FermataGuida*> fermate() const { return fermate_; }

    // New text: its stops, chained after the text in the Tab order.
    void costruisciFermate() {
        const bool aveva = std::any_of(fermate_.begin(), fermate_.end(),
                                       [](const FermataGuida* f) { return f->hasFocus(); });
        for (FermataGuida* f : std::as_const(fermate_)) {
            // A stop may be the one whose Enter brought this text: it goes once its event ends.
            f->hide();
            f->deleteLater();
        }
        fermate_.clear();
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment fr = it.fragment();
                const QTextCharFormat f = fr.charFormat();
                const QUrl link(f.anchorHref());
                if (f.isAnchor() && link.scheme() == SchemaLink) {
                    FermataGuida* ultima = fermate_.isEmpty() ? nullptr : fermate_.last();
                    if (ultima && ultima->fine == fr.position() &&
                        ultima->property("href").toString() == f.anchorHref()) {
                        ultima->fine += fr.length();
                        ultima->setAccessibleName(ultima->accessibleName() + fr.text());
                        continue;
                    }
                    FermataGuida* s = nuovaFermata();
                    s->setProperty("href", f.anchorHref());
                    s->inizio = fr.position();
                    s->fine = fr.position() + fr.length();
                    s->setAccessibleName(fr.text());
                    connect(s, &QAbstractButton::clicked, this, [this, s, link] {
                        if (attivaLink)
                            attivaLink(link, s->mapToGlobal(s->rect().bottomLeft()));
                    });
                } else if (f.isImageFormat()) {
                    const QUrl nome(f.toImageFormat().name());
                    if (nome.scheme() != SchemaImmagine)
                        continue;
                    const int n = nome.path().toInt();
                    for (qsizetype z = 0; z < zone.value(n).size(); ++z) {
                        FermataGuida* s = nuovaFermata();
                        s->inizio = fr.position();
                        s->immagine = n;
                        s->zona = int(z);
                        s->setAccessibleName(nomeZona ? nomeZona(n, int(z)) : QString());
                        connect(s, &QAbstractButton::clicked, this, [this, s] {
                            if (attivaZona)
                                attivaZona(s->immagine, s->zona,
                                           s->mapToGlobal(s->rect().bottomLeft()));
                        });
                    }
                }
            }
        for (FermataGuida* s : std::as_const(fermate_))
            s->setAccessibleName(s->accessibleName().simplified());
        QWidget* prima = this;
        for (FermataGuida* s : std::as_const(fermate_)) {
            setTabOrder(prima, s);
            prima = s;
        }
        posizionaFermate();
        if (aveva)
            setFocus(Qt::OtherFocusReason);
    }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QTextBrowser::resizeEvent(e);
        posizionaFermate();
    }

    void mouseReleaseEvent(QMouseEvent* e) override {
        QTextBrowser::mouseReleaseEvent(e);
        if (e->button() != Qt::LeftButton || !anchorAt(e->pos()).isEmpty())
            return;
        if (const auto colpo = immagineSotto(e->position()))
            pannello_->cliccaImmagine(colpo->first, colpo->second);
    }

    // Over a picture's hotspot the pointer is a hand, as over a link.
    void mouseMoveEvent(QMouseEvent* e) override {
        QTextBrowser::mouseMoveEvent(e);
        if (!anchorAt(e->pos()).isEmpty())
            return;
        const auto colpo = immagineSotto(e->position());
        const bool mano = colpo && pannello_->zonaIn(colpo->first, colpo->second);
        viewport()->setCursor(mano ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }

private:
    FermataGuida* nuovaFermata() {
        auto* s = new FermataGuida(this);
        s->mostrata = [this, s] { mostraFermata(s); };
        s->show();
        fermate_.append(s);
        return s;
    }

    // Where a picture drawn at document position `pos` lies, in document coordinates.
    std::optional<QRectF> rettangoloImmagine(int pos, QSize dimensione) const {
        // A picture set left or right is a frame of its own that the text flows beside: it
        // lies where its frame lies, not where its character stands in the line.
        // (The fragment's format, not a cursor's: a cursor's leaves out the frame.)
        const QTextBlock blocco = document()->findBlock(pos);
        for (auto it = blocco.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (pos < f.position() || pos >= f.position() + f.length())
                continue;
            auto* cornice =
                qobject_cast<QTextFrame*>(document()->object(f.charFormat().objectIndex()));
            if (cornice && cornice->frameFormat().position() != QTextFrameFormat::InFlow) {
                // Its place is known once the whole text is laid out.
                QAbstractTextDocumentLayout* impaginazione = document()->documentLayout();
                impaginazione->documentSize();
                return QRectF(impaginazione->frameBoundingRect(cornice).topLeft(), dimensione);
            }
            break;
        }
        if (!blocco.isValid() || !blocco.layout())
            return std::nullopt;
        const QTextLine riga = blocco.layout()->lineForTextPosition(pos - blocco.position());
        if (!riga.isValid())
            return std::nullopt;
        const QPointF origine = document()->documentLayout()->blockBoundingRect(blocco).topLeft();
        return QRectF(origine.x() + riga.cursorToX(pos - blocco.position()),
                      origine.y() + riga.y() + riga.ascent() - dimensione.height(),
                      dimensione.width(), dimensione.height());
    }

    // The lines a stop covers, in document coordinates.
    QList<QRectF> righeDi(const FermataGuida* s) const {
        QList<QRectF> r;
        if (s->immagine >= 0) {
            const QRect z = zone.value(s->immagine).value(s->zona).rettangolo;
            if (const auto im = rettangoloImmagine(s->inizio, immagini.value(s->immagine).size()))
                r.append(QRectF(im->topLeft() + z.topLeft(), z.size()).intersected(*im));
            return r;
        }
        for (QTextBlock b = document()->findBlock(s->inizio); b.isValid() && b.position() < s->fine;
             b = b.next()) {
            const QTextLayout* l = b.layout();
            if (!l)
                continue;
            const QPointF o = document()->documentLayout()->blockBoundingRect(b).topLeft();
            for (int i = 0; i < l->lineCount(); ++i) {
                const QTextLine riga = l->lineAt(i);
                const int da = std::max(s->inizio - b.position(), riga.textStart());
                const int a =
                    std::min(s->fine - b.position(), riga.textStart() + riga.textLength());
                if (da >= a)
                    continue;
                const qreal x1 = riga.cursorToX(da), x2 = riga.cursorToX(a);
                r.append(QRectF(o.x() + std::min(x1, x2), o.y() + riga.y(), std::abs(x2 - x1),
                                riga.height()));
            }
        }
        return r;
    }

    QPointF scostamento() const {
        return QPointF(viewport()->geometry().topLeft()) -
               QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    }

    void posizionaFermate() {
        const QPointF d = scostamento();
        for (FermataGuida* s : std::as_const(fermate_)) {
            QList<QRect> righe;
            QRect tutto;
            for (const QRectF& r : righeDi(s)) {
                righe.append(r.translated(d).toAlignedRect());
                tutto |= righe.last();
            }
            if (righe.isEmpty()) {
                s->righe.clear();
                s->setGeometry(QRect(viewport()->geometry().topLeft(), QSize(1, 1)));
                continue;
            }
            const QRect g = tutto.adjusted(-Spessore, -Spessore, Spessore, Spessore);
            s->righe.clear();
            for (const QRect& r : righe)
                s->righe.append(r.translated(-g.topLeft()));
            s->setGeometry(g);
            s->update();
        }
    }

    // The keyboard reached a stop: the text scrolls to show it.
    void mostraFermata(const FermataGuida* s) {
        QRectF tutto;
        for (const QRectF& r : righeDi(s))
            tutto |= r;
        if (tutto.isEmpty())
            return;
        QScrollBar* v = verticalScrollBar();
        const int alto = viewport()->height();
        if (tutto.top() < v->value())
            v->setValue(int(tutto.top()) - Spessore * 2);
        else if (tutto.bottom() > v->value() + alto)
            v->setValue(int(std::min(tutto.top(), tutto.bottom() - alto)) + Spessore * 2);
    }

    // The picture under a point of the viewport, and the point in the picture's pixels.
    std::optional<std::pair<int, QPoint>> immagineSotto(QPointF suViewport) const {
        const QPointF punto =
            suViewport + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
        const int pos = document()->documentLayout()->hitTest(punto, Qt::FuzzyHit);
        for (int p = std::max(0, pos - 1); p <= pos; ++p) {
            QTextCursor c(document());
            c.setPosition(p);
            if (!c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor))
                continue;
            const QTextCharFormat f = c.charFormat();
            if (!f.isImageFormat())
                continue;
            const QUrl nome(f.toImageFormat().name());
            if (nome.scheme() != SchemaImmagine)
                continue;
            const int n = nome.path().toInt();
            const auto rettangolo = rettangoloImmagine(p, immagini.value(n).size());
            if (rettangolo && rettangolo->contains(punto))
                return std::pair(n, (punto - rettangolo->topLeft()).toPoint());
        }
        return std::nullopt;
    }

    PannelloGuida* pannello_;
    QList<FermataGuida*> fermate_;
};

QRect geometriaGuida(const FinestraDefinita* f, const QRect& area, QSize predefinita) {
    // Smaller than this, the contents list and the topic no longer fit side by side.
    const QSize minima = QSize(420, 300).boundedTo(area.size());
    QRect r(QPoint(), predefinita.boundedTo(area.size()).expandedTo(minima));
    r.moveCenter(area.center());
    if (!f)
        return r;
    if (f->massimizzata)
        return area;
    if (!f->posizioneData)
        return r;
    auto scala = [](int v, int lato) { return int(qint64(std::clamp(v, 0, 1024)) * lato / 1024); };
    const QSize dim = QSize(scala(f->posizione.width(), area.width()),
                            scala(f->posizione.height(), area.height()))
                          .expandedTo(minima)
                          .boundedTo(area.size());
    const int x = std::min(area.left() + scala(f->posizione.x(), area.width()),
                           area.right() + 1 - dim.width());
    const int y = std::min(area.top() + scala(f->posizione.y(), area.height()),
                           area.bottom() + 1 - dim.height());
    return QRect(QPoint(x, y), dim);
}

PannelloGuida::PannelloGuida() {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Pomoc"));
    auto* verticale = new QVBoxLayout(this);
    verticale->setContentsMargins(4, 4, 4, 4);
    barra_ = new QToolBar(this);
    verticale->addWidget(barra_);
    auto aggiungi = [this](const QString& testo, const QString& nomeAccessibile,
                           std::function<void()> azione) {
        auto* b = new QPushButton(testo, barra_);
        b->setAccessibleName(nomeAccessibile);
        b->setFocusPolicy(Qt::TabFocus);
        barra_->addWidget(b);
        connect(b, &QPushButton::clicked, this, std::move(azione));
        pulsanti_.insert(testo, b);
    };
    aggiungi(QStringLiteral("Spis treści"), QStringLiteral("Spis treści"),
             [this] { eseguiMacro(QStringLiteral("Contents()")); });
    aggiungi(QStringLiteral("Indeks"), QStringLiteral("Indeks"), [this] {
        schede_->setCurrentIndex(1);
        campoIndice_->setFocus();
    });
    aggiungi(QStringLiteral("Szukaj"), QStringLiteral("Szukaj"), [this] {
        schede_->setCurrentIndex(2);
        campoRicerca_->setFocus();
    });
    aggiungi(QStringLiteral("Wstecz"), QStringLiteral("Wstecz"), [this] { indietro(); });
    aggiungi(QStringLiteral("«"), QStringLiteral("Poprzedni temat"),
             [this] { eseguiMacro(QStringLiteral("Prev()")); });
    aggiungi(QStringLiteral("»"), QStringLiteral("Następny temat"),
             [this] { eseguiMacro(QStringLiteral("Next()")); });
    aggiungi(QStringLiteral("Drukuj"), QStringLiteral("Drukuj"), [this] { stampa(); });
    aggiungi(QStringLiteral("Kopiuj"), QStringLiteral("Kopiuj"), [this] { copia(); });

    auto* divisore = new QSplitter(this);
    verticale->addWidget(divisore, 1);
    schede_ = new QTabWidget(divisore);
    albero_ = new QTreeWidget;
    albero_->setHeaderHidden(true);
    albero_->setAccessibleName(QStringLiteral("Spis treści"));
    schede_->addTab(albero_, QStringLiteral("Spis treści"));
    auto* indice = new QWidget;
    auto* li = new QVBoxLayout(indice);
    campoIndice_ = new QLineEdit;
    campoIndice_->setPlaceholderText(QStringLiteral("Wpisz pierwsze litery"));
    campoIndice_->setAccessibleName(QStringLiteral("Słowo kluczowe"));
    listaIndice_ = new QListWidget;
    listaIndice_->setAccessibleName(QStringLiteral("Indeks"));
    li->addWidget(campoIndice_);
    li->addWidget(listaIndice_);
    schede_->addTab(indice, QStringLiteral("Indeks"));
    auto* ricerca = new QWidget;
    auto* lr = new QVBoxLayout(ricerca);
    campoRicerca_ = new QLineEdit;
    campoRicerca_->setPlaceholderText(QStringLiteral("Szukane słowa"));
    campoRicerca_->setAccessibleName(QStringLiteral("Szukane słowa"));
    risultati_ = new QListWidget;
    risultati_->setAccessibleName(QStringLiteral("Znalezione tematy"));
    lr->addWidget(campoRicerca_);
    lr->addWidget(risultati_);
    schede_->addTab(ricerca, QStringLiteral("Szukaj"));

    auto* destra = new QWidget(divisore);
    auto* ld = new QVBoxLayout(destra);
    ld->setContentsMargins(0, 0, 0, 0);
    ld->setSpacing(0);
    intestazione_ = new TestoGuida(this);
    intestazione_->setAccessibleName(QStringLiteral("Nagłówek tematu"));
    intestazione_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    intestazione_->setFrameShape(QFrame::NoFrame);
    intestazione_->hide();
    testo_ = new TestoGuida(this);
    testo_->setAccessibleName(QStringLiteral("Tekst tematu"));
    ld->addWidget(intestazione_);
    ld->addWidget(testo_, 1);
    avviso_ = new QLabel(this);
    avviso_->setWordWrap(true);
    avviso_->hide();
    ld->addWidget(avviso_);
    divisore->setStretchFactor(1, 3);
    divisore->setSizes({220, 560});

    QAccessible::installFactory(fabbricaFermate);
    for (TestoGuida* t : {testo_, intestazione_}) {
        t->nomeZona = [this](int immagine, int zona) {
            const ZonaImmagine z = immagini_.value(immagine).zone.value(zona);
            const int a = argomentoDi(z.collegamento);
            if (a >= 0)
                return guida_->titoloArgomento(a);
            return z.nome.isEmpty() ? QStringLiteral("Obszar obrazu %1").arg(zona + 1) : z.nome;
        };
        t->attivaZona = [this](int immagine, int zona, QPoint dove) {
            if (immagine < 0 || immagine >= immagini_.size() || zona < 0 ||
                zona >= immagini_.at(immagine).zone.size())
                return;
            puntoPopup_ = dove;
            seguiCollegamento(immagini_.at(immagine).zone.at(zona).collegamento);
            puntoPopup_.reset();
        };
    }
    for (TestoGuida* t : {testo_, intestazione_}) {
        auto segui = [this](const QUrl& u) {
            if (u.scheme() != SchemaLink)
                return;
            const int n = u.path().toInt();
            if (n >= 0 && n < argomento_.collegamenti.size())
                seguiCollegamento(argomento_.collegamenti.at(n));
        };
        connect(t, &QTextBrowser::anchorClicked, this, segui);
        // From the keyboard: a popup comes up below the link, not where the pointer was left.
        t->attivaLink = [this, segui](const QUrl& u, QPoint dove) {
            puntoPopup_ = dove;
            segui(u);
            puntoPopup_.reset();
        };
    }
    connect(albero_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* i) {
        const QVariant a = i->data(0, RuoloArgomento);
        if (a.isValid())
            vaiA(a.toInt());
    });
    connect(albero_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* i) {
        const QVariant a = i->data(0, RuoloArgomento);
        if (a.isValid())
            vaiA(a.toInt());
    });
    connect(campoIndice_, &QLineEdit::textEdited, this,
            [this](const QString& t) { riempiIndice(t); });
    connect(campoIndice_, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem* i = listaIndice_->currentItem())
            Q_EMIT listaIndice_->itemActivated(i);
    });
    connect(listaIndice_, &QListWidget::itemActivated, this, [this](QListWidgetItem* i) {
        const QList<QVariant> argomenti = i->data(RuoloArgomento).toList();
        if (argomenti.size() == 1) {
            vaiA(argomenti.first().toInt());
            return;
        }
        // Several topics share the word: they are offered in the search list.
        risultati_->clear();
        for (const QVariant& a : argomenti) {
            auto* r = new QListWidgetItem(guida_->titoloArgomento(a.toInt()), risultati_);
            r->setData(RuoloArgomento, a);
        }
        schede_->setCurrentIndex(2);
        risultati_->setCurrentRow(0);
        risultati_->setFocus();
    });
    connect(campoRicerca_, &QLineEdit::returnPressed, this, [this] { cerca(); });
    // A tab that takes typing gets the keyboard with it.
    connect(schede_, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 1)
            campoIndice_->setFocus();
        else if (i == 2)
            campoRicerca_->setFocus();
    });
    connect(risultati_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* i) { vaiA(i->data(RuoloArgomento).toInt()); });
    connect(risultati_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { vaiA(i->data(RuoloArgomento).toInt()); });
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &QWidget::close);
    auto* indietroTasto = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
    connect(indietroTasto, &QShortcut::activated, this, [this] { indietro(); });
    resize(800, 560);
    aggiornaPulsanti();
}

PannelloGuida::~PannelloGuida() {
    delete popup_;
}

QTextBrowser* PannelloGuida::testo() const {
    return testo_;
}

QTextBrowser* PannelloGuida::intestazione() const {
    return intestazione_;
}

QPushButton* PannelloGuida::pulsante(const QString& testo) const {
    return pulsanti_.value(testo, creati_.value(testo));
}

void PannelloGuida::mostraErrore(const QString& messaggio) {
    guida_.reset();
    corrente_ = -1;
    storia_.clear();
    setWindowTitle(QStringLiteral("Pomoc"));
    schede_->hide();
    intestazione_->hide();
    testo_->setHtml(QStringLiteral("<h2>Pomoc</h2><p>%1</p>").arg(messaggio.toHtmlEscaped()));
    testo_->costruisciFermate();
    aggiornaPulsanti();
}

void PannelloGuida::mostraHtml(const QString& html,
                               std::function<QVariant(int, const QUrl&)> risorse) {
    mostraErrore(QString());
    testo_->risorsaEsterna = std::move(risorse);
    testo_->setHtml(html);
    testo_->moveCursor(QTextCursor::Start);
    testo_->costruisciFermate();
}

void PannelloGuida::apri(FileGuida guida, const QString& contenuti) {
    testo_->risorsaEsterna = nullptr;
    guida_ = std::move(guida);
    storia_.clear();
    corrente_ = -1;
    indiceTesto_.reset();
    avviso_->hide();
    qDeleteAll(creati_);
    creati_.clear();
    azioni_.clear();
    schede_->show();
    // The main window's caption, as the file defines it, else the file's title.
    const FinestraDefinita* principale = guida_->finestra(QString());
    const QString titolo =
        principale && !principale->titolo.isEmpty() ? principale->titolo : guida_->titolo();
    setWindowTitle(titolo.isEmpty() ? QStringLiteral("Pomoc") : titolo);

    albero_->clear();
    const Contenuti cnt = leggiContenuti(contenuti);
    std::function<void(QTreeWidgetItem*, const QList<VoceContenuti>&)> riempi =
        [&](QTreeWidgetItem* sopra, const QList<VoceContenuti>& voci) {
            for (const VoceContenuti& v : voci) {
                auto* i = sopra ? new QTreeWidgetItem(sopra) : new QTreeWidgetItem(albero_);
                i->setText(0, v.testo);
                if (!v.contesto.isEmpty() && v.file.isEmpty()) {
                    const int a = guida_->argomentoDaContesto(v.contesto);
                    if (a >= 0)
                        i->setData(0, RuoloArgomento, a);
                    else
                        i->setDisabled(true);
                }
                riempi(i, v.figli);
            }
        };
    riempi(nullptr, cnt.voci);
    if (cnt.voci.isEmpty())
        for (int a = 0; a < guida_->numeroArgomenti(); ++a) {
            auto* i = new QTreeWidgetItem(albero_);
            i->setText(0, guida_->titoloArgomento(a));
            i->setData(0, RuoloArgomento, a);
        }
    albero_->expandAll();
    schede_->setCurrentIndex(0);
    riempiIndice(QString());

    for (const QString& m : guida_->macroIniziali())
        eseguiMacro(m);
    vaiA(guida_->argomentoIniziale(), false);
    costruisciRicerca();
}

void PannelloGuida::costruisciRicerca() {
    // The full-text index is built away from the window, on its own copy of the file.
    QPointer<PannelloGuida> io(this);
    FileGuida copia = *guida_;
    QThread* t = QThread::create([io, copia] {
        auto indice = std::make_shared<IndiceTesto>();
        for (int i = 0; i < copia.numeroArgomenti(); ++i)
            indice->aggiungi(i, copia.titoloArgomento(i), testoSemplice(copia.argomento(i)));
        indice->completa();
        // The program may be ending: then there is no one to hand the index to.
        QCoreApplication* applicazione = QCoreApplication::instance();
        if (!applicazione)
            return;
        QMetaObject::invokeMethod(
            applicazione,
            [io, indice] {
                if (io) {
                    io->indiceTesto_ = *indice;
                    if (!io->campoRicerca_->text().isEmpty())
                        io->cerca();
                }
            },
            Qt::QueuedConnection);
    });
    connect(t, &QThread::finished, t, &QObject::deleteLater);
    t->start(QThread::LowPriority);
}

void PannelloGuida::riempiIndice(const QString& filtro) {
    if (!guida_)
        return;
    if (listaIndice_->count() == 0)
        for (const VoceIndice& v : guida_->indice()) {
            auto* i = new QListWidgetItem(v.parola, listaIndice_);
            QList<QVariant> argomenti;
            for (const int a : guida_->argomentiDiParola(v))
                argomenti.append(a);
            i->setData(RuoloArgomento, argomenti);
        }
    if (listaIndice_->count() > 0 && listaIndice_->item(0)->text().isEmpty())
        return;
    // Type-ahead: the first word that starts with what was typed, without regard to case or
    // diacritics.
    const QString cercato = normalizza(filtro);
    for (int i = 0; i < listaIndice_->count(); ++i)
        if (normalizza(listaIndice_->item(i)->text()).startsWith(cercato)) {
            listaIndice_->setCurrentRow(i);
            listaIndice_->scrollToItem(listaIndice_->item(i), QAbstractItemView::PositionAtTop);
            return;
        }
}

void PannelloGuida::cerca() {
    risultati_->clear();
    if (!indiceTesto_) {
        auto* i =
            new QListWidgetItem(QStringLiteral("Trwa przygotowanie wyszukiwania…"), risultati_);
        i->setFlags(Qt::NoItemFlags);
        return;
    }
    for (const Risultato& r : indiceTesto_->cerca(campoRicerca_->text())) {
        auto* i = new QListWidgetItem(guida_->titoloArgomento(r.argomento), risultati_);
        i->setData(RuoloArgomento, r.argomento);
    }
    if (risultati_->count() == 0) {
        auto* i = new QListWidgetItem(QStringLiteral("Nic nie znaleziono."), risultati_);
        i->setFlags(Qt::NoItemFlags);
    } else {
        risultati_->setCurrentRow(0);
    }
}

void PannelloGuida::vaiA(int argomento, bool storia) {
    if (!guida_ || argomento < 0 || argomento >= guida_->numeroArgomenti())
        return;
    if (storia && corrente_ >= 0 && corrente_ != argomento)
        storia_.append(corrente_);
    if (storia_.size() > 1000)
        storia_.removeFirst();
    mostra(argomento);
}

void PannelloGuida::indietro() {
    if (storia_.isEmpty())
        return;
    mostra(storia_.takeLast());
}

QString PannelloGuida::html(const Argomento& a, bool fisso, QList<ImmagineGuida>& immagini) {
    QString h;
    int rigaAperta = -1;
    auto chiudiTabella = [&] {
        if (rigaAperta >= 0)
            h += QStringLiteral("</td></tr></table>");
        rigaAperta = -1;
    };
    int colonnaAperta = -1;
    for (const Paragrafo& p : a.paragrafi) {
        if (p.nonScorrevole != fisso)
            continue;
        if (p.riga < 0) {
            chiudiTabella();
        } else if (p.riga != rigaAperta) {
            if (rigaAperta < 0)
                h += QStringLiteral("<table cellpadding=\"3\"><tr><td>");
            else
                h += QStringLiteral("</td></tr><tr><td>");
            rigaAperta = p.riga;
            colonnaAperta = p.colonna;
        } else if (p.colonna != colonnaAperta) {
            h += QStringLiteral("</td><td>");
            colonnaAperta = p.colonna;
        }
        const char* allinea[] = {"left", "right", "center"};
        h += QStringLiteral("<p align=\"%1\" style=\"margin-top:%2px; margin-left:%3px\">")
                 .arg(QLatin1String(allinea[p.allineamento % 3]))
                 .arg(std::clamp(p.spazioSopra, 0, 200) * 2 / 3 + 2)
                 .arg(std::clamp(p.rientro, 0, 2000) * 2 / 3);
        int linkAperto = -1;
        for (const Pezzo& pz : p.pezzi) {
            if (pz.collegamento != linkAperto) {
                if (linkAperto >= 0)
                    h += QStringLiteral("</a>");
                linkAperto = pz.collegamento;
                if (linkAperto >= 0) {
                    const Collegamento& c = a.collegamenti.at(linkAperto);
                    h += QStringLiteral("<a href=\"%1:%2\" style=\"%3\">")
                             .arg(SchemaLink)
                             .arg(linkAperto)
                             .arg(c.visibile
                                      ? QStringLiteral("color:#008000")
                                      : QStringLiteral("color:inherit; text-decoration:none"));
                }
            }
            switch (pz.tipo) {
            case Pezzo::Testo: {
                const Font f = guida_->font().value(pz.font);
                QString stile;
                if (pz.font >= 0) {
                    stile = QStringLiteral("font-family:'%1'; font-size:%2pt;")
                                .arg(f.nome.toHtmlEscaped())
                                .arg(f.punti);
                    if (f.grassetto)
                        stile += QStringLiteral("font-weight:bold;");
                    if (f.corsivo)
                        stile += QStringLiteral("font-style:italic;");
                    if (f.sottolineato)
                        stile += QStringLiteral("text-decoration:underline;");
                    if (f.maiuscoletto)
                        stile += QStringLiteral("font-variant:small-caps;");
                    if (pz.collegamento < 0 && f.colore != Qt::black)
                        stile += QStringLiteral("color:%1;").arg(colore(f.colore));
                }
                h += QStringLiteral("<span style=\"%1\">%2</span>")
                         .arg(stile, pz.testo.toHtmlEscaped());
                break;
            }
            case Pezzo::ACapo:
                h += QStringLiteral("<br>");
                break;
            case Pezzo::Tab:
                h += QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;");
                break;
            case Pezzo::Immagine: {
                ImmagineGuida im;
                try {
                    im = guida_->immagine(a.immagini.at(pz.immagine));
                } catch (const ErroreGuida&) {
                    im.dimensione = QSize(32, 32);
                }
                if (im.immagine.isNull())
                    im.immagine = riquadro(im.dimensione);
                const int n = int(immagini.size());
                immagini.append(im);
                const char* lato[] = {"", " align=\"left\"", " align=\"right\""};
                h += QStringLiteral("<img src=\"%1:%2\" width=\"%3\" height=\"%4\"%5>")
                         .arg(SchemaImmagine)
                         .arg(n)
                         .arg(im.immagine.width())
                         .arg(im.immagine.height())
                         .arg(QLatin1String(lato[pz.posizione % 3]));
                break;
            }
            }
        }
        if (linkAperto >= 0)
            h += QStringLiteral("</a>");
        h += QStringLiteral("</p>");
    }
    chiudiTabella();
    return h;
}

void PannelloGuida::mostra(int argomento) {
    corrente_ = argomento;
    argomento_ = guida_->argomento(argomento);
    immagini_.clear();
    const QString fisso = html(argomento_, true, immagini_);
    const QString scorre = html(argomento_, false, immagini_);
    for (TestoGuida* t : {testo_, intestazione_}) {
        t->immagini.clear();
        t->zone.clear();
        for (qsizetype i = 0; i < immagini_.size(); ++i) {
            t->immagini.insert(int(i), immagini_[i].immagine);
            t->zone.insert(int(i), immagini_[i].zone);
        }
    }
    applicaFinestra();
    // The non-scrolling region stays above the text, as tall as it needs.
    intestazione_->setVisible(!fisso.isEmpty());
    intestazione_->setHtml(fisso);
    if (!fisso.isEmpty()) {
        intestazione_->document()->setTextWidth(intestazione_->viewport()->width());
        intestazione_->setFixedHeight(
            std::min(240, int(intestazione_->document()->size().height()) + 6));
    }
    testo_->setHtml(scorre);
    testo_->moveCursor(QTextCursor::Start);
    intestazione_->costruisciFermate();
    testo_->costruisciFermate();
    for (const QString& m : argomento_.macro)
        eseguiMacro(m);
    aggiornaPulsanti();
}

void PannelloGuida::applicaFinestra() {
    // The colours the file gives its windows; the window a jump named, else the main one.
    const FinestraDefinita* f = guida_->finestra(finestraCorrente_);
    if (!f)
        f = guida_->finestra(QString());
    const QPalette normale = QApplication::palette(testo_);
    for (auto [t, c] : {std::pair{testo_, f ? f->colore : QColor()},
                        std::pair{intestazione_, f ? f->coloreFisso : QColor()}}) {
        QPalette pal = normale;
        if (c.isValid())
            pal.setColor(QPalette::Base, c);
        t->setPalette(pal);
    }
}

void PannelloGuida::aggiornaPulsanti() {
    const bool c = guida_.has_value() && corrente_ >= 0;
    pulsanti_.value(QStringLiteral("Spis treści"))->setEnabled(c);
    pulsanti_.value(QStringLiteral("Indeks"))->setEnabled(c && !guida_->indice().isEmpty());
    pulsanti_.value(QStringLiteral("Szukaj"))->setEnabled(c);
    pulsanti_.value(QStringLiteral("Wstecz"))->setEnabled(c && !storia_.isEmpty());
    pulsanti_.value(QStringLiteral("«"))->setEnabled(c && guida_->precedente(corrente_) >= 0);
    pulsanti_.value(QStringLiteral("»"))->setEnabled(c && guida_->successivo(corrente_) >= 0);
    pulsanti_.value(QStringLiteral("Drukuj"))->setEnabled(c);
    pulsanti_.value(QStringLiteral("Kopiuj"))->setEnabled(c);
    schede_->setVisible(c);
}

int PannelloGuida::argomentoDi(const Collegamento& c) const {
    if (!guida_ || c.tipo == Collegamento::Macro || !c.file.isEmpty())
        return -1;
    const int a = c.hash ? guida_->argomentoDaHash(c.hash) : -1;
    return a >= 0 || c.contesto.isEmpty() ? a : guida_->argomentoDaContesto(c.contesto);
}

void PannelloGuida::seguiCollegamento(const Collegamento& c) {
    if (c.tipo == Collegamento::Macro) {
        eseguiMacro(c.macro);
        return;
    }
    if (!c.file.isEmpty()) {
        avviso_->setText(
            QStringLiteral("Ten odsyłacz prowadzi do innego pliku pomocy (%1).").arg(c.file));
        avviso_->show();
        return;
    }
    const int b = argomentoDi(c);
    if (b < 0) {
        avviso_->setText(QStringLiteral("Tego tematu nie ma w pliku pomocy."));
        avviso_->show();
        return;
    }
    avviso_->hide();
    if (c.tipo == Collegamento::Popup) {
        mostraPopup(b);
        return;
    }
    finestraCorrente_ = c.finestra;
    vaiA(b);
    finestraCorrente_.clear();
}

bool PannelloGuida::zonaIn(int immagine, QPoint punto) const {
    if (immagine < 0 || immagine >= immagini_.size())
        return false;
    for (const ZonaImmagine& z : immagini_.at(immagine).zone)
        if (z.rettangolo.contains(punto))
            return true;
    return false;
}

void PannelloGuida::cliccaImmagine(int immagine, QPoint punto) {
    if (immagine < 0 || immagine >= immagini_.size())
        return;
    for (const ZonaImmagine& z : immagini_.at(immagine).zone)
        if (z.rettangolo.contains(punto)) {
            seguiCollegamento(z.collegamento);
            return;
        }
}

void PannelloGuida::mostraPopup(int argomento) {
    delete popup_;
    // A small window over the text; any click, inside or out, closes it.
    class Popup : public QTextBrowser {
    public:
        using QTextBrowser::QTextBrowser;
        QMap<int, QImage> immagini;
        QVariant loadResource(int, const QUrl& nome) override {
            return immagini.value(nome.path().toInt());
        }

    protected:
        void mousePressEvent(QMouseEvent*) override { close(); }
        void keyPressEvent(QKeyEvent*) override { close(); }
    };
    auto* p = new Popup(this);
    p->setWindowFlags(Qt::Popup);
    p->setAttribute(Qt::WA_DeleteOnClose);
    p->setAccessibleName(guida_->titoloArgomento(argomento));
    QList<ImmagineGuida> immagini;
    const Argomento a = guida_->argomento(argomento);
    const QString h = html(a, true, immagini) + html(a, false, immagini);
    for (qsizetype i = 0; i < immagini.size(); ++i)
        p->immagini.insert(int(i), immagini[i].immagine);
    p->setHtml(h);
    p->document()->setTextWidth(360);
    const QSize dim(380, std::min(400, int(p->document()->size().height()) + 12));
    p->resize(dim);
    // Beside the pointer, or below the stop the keyboard pressed; whole inside the stage.
    QRect dove(puntoPopup_ ? *puntoPopup_ : QCursor::pos() + QPoint(8, 8), dim);
    QRect area = area_;
    if (area.isEmpty())
        if (QScreen* s = screen())
            area = s->availableGeometry();
    if (!area.isEmpty()) {
        dove = QRect(dove.topLeft(), dim.boundedTo(area.size()));
        dove.moveLeft(std::clamp(dove.left(), area.left(), area.right() + 1 - dove.width()));
        dove.moveTop(std::clamp(dove.top(), area.top(), area.bottom() + 1 - dove.height()));
        p->resize(dove.size());
    }
    p->move(dove.topLeft());
    p->show();
    popup_ = p;
}

void PannelloGuida::eseguiMacro(const QString& macro) {
    for (const ChiamataMacro& m : leggiMacro(macro)) {
        const QString nome = nomeMacro(m.nome);
        const QString a0 = m.argomenti.value(0), a1 = m.argomenti.value(1);
        // "file>window": a file of none (or qchPath) is this one.
        const qsizetype maggiore = a0.indexOf(u'>');
        const QString file = maggiore >= 0 ? a0.left(maggiore) : a0;
        const QString finestra = maggiore >= 0 ? a0.mid(maggiore + 1) : QString();
        const bool questoFile = file.isEmpty() || file.startsWith(u'`') ||
                                file.compare(QStringLiteral("qchPath"), Qt::CaseInsensitive) == 0;
        if (!guida_)
            return;
        if (nome == u"JumpId" || nome == u"PopupId") {
            const int t = questoFile ? guida_->argomentoDaContesto(a1) : -1;
            if (t >= 0 && nome == u"PopupId") {
                mostraPopup(t);
            } else if (t >= 0) {
                finestraCorrente_ = finestra;
                vaiA(t);
                finestraCorrente_.clear();
            }
        } else if (nome == u"JumpContext" || nome == u"PopupContext") {
            const int t = guida_->argomentoDaMappa(a1.toInt());
            if (t >= 0)
                nome == u"JumpContext" ? vaiA(t) : mostraPopup(t);
        } else if (nome == u"JumpHash" || nome == u"PopupHash") {
            const int t = guida_->argomentoDaHash(std::uint32_t(a1.toLongLong()));
            if (t >= 0)
                nome == u"JumpHash" ? vaiA(t) : mostraPopup(t);
        } else if (nome == u"JumpKeyword") {
            for (const VoceIndice& v : guida_->indice())
                if (v.parola.compare(a1, Qt::CaseInsensitive) == 0) {
                    const QList<int> t = guida_->argomentiDiParola(v);
                    if (!t.isEmpty())
                        vaiA(t.first());
                    break;
                }
        } else if (nome == u"Contents" || nome == u"JumpContents") {
            schede_->setCurrentIndex(0);
            vaiA(guida_->argomentoIniziale());
        } else if (nome == u"Back") {
            indietro();
        } else if (nome == u"History") {
            risultati_->clear();
            for (qsizetype i = storia_.size() - 1; i >= 0; --i) {
                auto* r = new QListWidgetItem(guida_->titoloArgomento(storia_[i]), risultati_);
                r->setData(RuoloArgomento, storia_[i]);
            }
            schede_->setCurrentIndex(2);
        } else if (nome == u"Search") {
            pulsanti_.value(QStringLiteral("Indeks"))->click();
        } else if (nome == u"Find") {
            pulsanti_.value(QStringLiteral("Szukaj"))->click();
        } else if (nome == u"Print") {
            stampa();
        } else if (nome == u"CopyTopic") {
            copia();
        } else if (nome == u"Exit") {
            close();
        } else if (nome == u"Prev" || nome == u"Next") {
            const int t =
                nome == u"Prev" ? guida_->precedente(corrente_) : guida_->successivo(corrente_);
            if (t >= 0)
                vaiA(t);
        } else if (nome == u"BrowseButtons") {
            // « and » are always there, enabled where the sequence goes on.
        } else if (nome == u"CreateButton") {
            if (creati_.contains(a0) || pulsanti_.contains(a1))
                continue;
            auto* b = new QPushButton(QString(a1).remove(u'&'), barra_);
            b->setFocusPolicy(Qt::TabFocus);
            barra_->addWidget(b);
            creati_.insert(a0, b);
            azioni_.insert(a0, m.argomenti.value(2));
            connect(b, &QPushButton::clicked, this,
                    [this, id = a0] { eseguiMacro(azioni_.value(id)); });
        } else if (nome == u"DestroyButton") {
            delete creati_.take(a0);
        } else if (nome == u"DisableButton" || nome == u"EnableButton") {
            if (QPushButton* b = creati_.value(a0))
                b->setEnabled(nome == u"EnableButton");
        } else if (nome == u"ChangeButtonBinding") {
            if (creati_.contains(a0))
                azioni_.insert(a0, a1);
        } else if (nome == u"ExecProgram" || nome == u"ExecFile" || nome == u"RegisterRoutine" ||
                   nome == u"ShellExecute") {
            avviso_->setText(
                QStringLiteral("Plik pomocy chciał uruchomić program (%1); pomoc nigdy niczego "
                               "nie uruchamia.")
                    .arg(nome));
            avviso_->show();
        }
    }
}

void PannelloGuida::stampa() {
    if (!guida_ || corrente_ < 0)
        return;
    PrinterService& drukarka = *host().printer;
    if (!drukarka.installata()) {
        avviso_->setText(QStringLiteral("Nie ma drukarki, na której można wydrukować temat."));
        avviso_->show();
        return;
    }
    QList<ImmagineGuida> immagini;
    const QString h = html(argomento_, true, immagini) + html(argomento_, false, immagini);
    try {
        drukarka.startDocument(argomento_.titolo);
        QPainter* p = drukarka.painter();
        QTextDocument doc;
        for (qsizetype i = 0; i < immagini.size(); ++i)
            doc.addResource(QTextDocument::ImageResource,
                            QUrl(QStringLiteral("%1:%2").arg(SchemaImmagine).arg(i)),
                            immagini[i].immagine);
        doc.documentLayout()->setPaintDevice(p->device());
        doc.setHtml(h);
        const QRectF area = drukarka.printableRectTwips();
        const double u = drukarka.unitsPerTwip();
        const QSizeF pagina(area.width() * u, area.height() * u);
        doc.setPageSize(pagina);
        const int pagine = std::max(1, doc.pageCount());
        for (int i = 0; i < pagine; ++i) {
            if (i > 0)
                drukarka.newPage();
            p->save();
            p->translate(area.left() * u, area.top() * u - i * pagina.height());
            doc.drawContents(p, QRectF(0, i * pagina.height(), pagina.width(), pagina.height()));
            p->restore();
        }
        drukarka.endDocument();
        drukarka.fineLavoro();
    } catch (const ErroreVB& e) {
        avviso_->setText(
            QStringLiteral("Nie udało się wydrukować tematu: %1").arg(e.descrizione()));
        avviso_->show();
    }
}

void PannelloGuida::copia() {
    if (!guida_ || corrente_ < 0)
        return;
    ClipboardContents c;
    c.text = testoSemplice(argomento_);
    host().clipboard->clear();
    host().clipboard->put(c);
}

} // namespace hn
