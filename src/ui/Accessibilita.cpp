#include "Accessibilita.h"

#include "Controlli.h"
#include "EtichetteDisegnate.h"
#include "Forma.h"
#include "Navigazione.h"
#include "Scena.h"

#include <QAccessibleWidget>
#include <QPointer>

namespace hn::accessibile {

namespace {

const char* const ProprietaRuolo = "hn_ruolo";
const char* const ProprietaSegno = "hn_segno";
const char* const ProprietaTasto = "hn_tasto";

// The form a widget lies in. Not its window(): on the stage a form is a sub-window, and window()
// is the stage itself, which has no keyboard ring.
const QWidget* formaDi(const QWidget* w) {
    while (w && !qobject_cast<const Forma*>(w))
        w = w->parentWidget();
    return w;
}

bool focalizzata(const QObject* voce, const QWidget* forma) {
    const Navigazione* n = Navigazione::se(forma);
    return n && n->corrente() == voce && eFinestraAttiva(*forma);
}

// A form, a picture box or a control holding drawn hotspots: lists only what the user meets.
bool nellAlbero(const QWidget* w) {
    if (w->isWindow() || w->isHidden() || nascosto(w))
        return false;
    if (const auto* c = qobject_cast<const ControlloForma*>(w))
        return !c->accessibleName().isEmpty() || qobject_cast<const Riquadro*>(c);
    // Sheets of lines and of drawn labels are pictures, not controls.
    return !w->testAttribute(Qt::WA_TransparentForMouseEvents);
}

class Contenitore : public QAccessibleWidget {
public:
    Contenitore(QWidget* w, QAccessible::Role ruolo)
        : QAccessibleWidget(w, ruolo) {}

    int childCount() const override { return int(figli().size() + disegnate().size()); }
    QAccessibleInterface* child(int indice) const override {
        const QList<QWidget*> f = figli();
        if (indice < 0)
            return nullptr;
        if (indice < f.size())
            return QAccessible::queryAccessibleInterface(f.at(indice));
        const QList<EtichettaDisegnata*>& d = disegnate();
        indice -= int(f.size());
        return indice < d.size() ? QAccessible::queryAccessibleInterface(d.at(indice)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* figlio) const override {
        if (!figlio)
            return -1;
        QObject* o = figlio->object();
        const QList<QWidget*> f = figli();
        if (auto* w = qobject_cast<QWidget*>(o))
            return int(f.indexOf(w));
        const qsizetype i = disegnate().indexOf(qobject_cast<EtichettaDisegnata*>(o));
        return i < 0 ? -1 : int(f.size() + i);
    }
    QAccessibleInterface* focusChild() const override {
        // The item the keyboard reached, when it lies in this container.
        const Navigazione* n = Navigazione::se(formaDi(widget()));
        QObject* voce = n ? n->corrente() : nullptr;
        QWidget* dove = nullptr;
        if (auto* e = qobject_cast<EtichettaDisegnata*>(voce))
            dove = e->Container();
        else if (auto* w = qobject_cast<QWidget*>(voce))
            dove = w->parentWidget();
        if (dove && (dove == widget() || widget()->isAncestorOf(dove)))
            return QAccessible::queryAccessibleInterface(voce);
        return QAccessibleWidget::focusChild();
    }
    QAccessible::Role role() const override {
        if (const auto* f = qobject_cast<const Forma*>(widget()))
            return f->Proprietario() ? QAccessible::Dialog : QAccessible::Window;
        return QAccessibleWidget::role();
    }
    QString text(QAccessible::Text t) const override {
        // A form on the stage is a sub-window, whose title Qt does not read as its name: the
        // window text the desktop would have shown names it.
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            if (qobject_cast<const Forma*>(widget()))
                return widget()->windowTitle();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {}; }

private:
    QList<QWidget*> figli() const {
        QList<QWidget*> f;
        for (QObject* o : widget()->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && nellAlbero(w))
                f.append(w);
        return f;
    }
    const QList<EtichettaDisegnata*>& disegnate() const {
        static const QList<EtichettaDisegnata*> nessuna;
        const auto* a = widget()->findChild<ArrayEtichette*>(QString(), Qt::FindDirectChildrenOnly);
        return a ? a->raggiungibili() : nessuna;
    }
};

QAccessible::State statoDi(QAccessible::State s, const QObject* voce, const QWidget* forma,
                           const QWidget* segno) {
    s.focusable = true;
    s.focused = focalizzata(voce, forma);
    if (segno) {
        s.checkable = true;
        s.checked = !segno->isHidden();
    }
    return s;
}

QStringList azioni(bool casella) {
    return casella ? QStringList{QAccessibleActionInterface::toggleAction(),
                                 QAccessibleActionInterface::pressAction()}
                   : QStringList{QAccessibleActionInterface::pressAction()};
}

class Controllo : public QAccessibleWidget {
public:
    explicit Controllo(ControlloForma* c)
        : QAccessibleWidget(c, QAccessible::Button) {}

    QAccessible::Role role() const override {
        const QVariant r = widget()->property(ProprietaRuolo);
        return r.isValid() ? QAccessible::Role(r.toInt()) : QAccessible::Button;
    }
    QAccessible::State state() const override {
        return statoDi(QAccessibleWidget::state(), widget(), formaDi(widget()), segno());
    }
    QStringList actionNames() const override { return azioni(segno() != nullptr); }
    void doAction(const QString& azione) override {
        if (actionNames().contains(azione) && widget()->isEnabled())
            Navigazione::premi(widget());
    }
    QStringList keyBindingsForAction(const QString& azione) const override {
        const QString t = tasto();
        return azione == pressAction() && !t.isEmpty() ? QStringList{t} : QStringList{};
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Accelerator ? tasto() : QAccessibleWidget::text(t);
    }

private:
    QString tasto() const { return widget()->property(ProprietaTasto).toString(); }
    QWidget* segno() const {
        return qobject_cast<QWidget*>(widget()->property(ProprietaSegno).value<QObject*>());
    }
};

class Disegnata : public QAccessibleObject, public QAccessibleActionInterface {
public:
    explicit Disegnata(EtichettaDisegnata* e)
        : QAccessibleObject(e) {}

    EtichettaDisegnata* etichetta() const { return static_cast<EtichettaDisegnata*>(object()); }
    bool isValid() const override {
        return QAccessibleObject::isValid() && etichetta()->Container();
    }
    QWindow* window() const override {
        QWidget* c = etichetta()->Container();
        return c && c->window() ? c->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(etichetta()->Container());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QRect rect() const override {
        QWidget* c = etichetta()->Container();
        const QRect r = etichetta()->rettangolo();
        return c ? rettangoloGlobale(*c, r) : QRect();
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description)
            return descrizione().nota;
        if (t != QAccessible::Name)
            return {};
        return descrizione().nome;
    }
    QAccessible::Role role() const override {
        return descrizione().collegamento ? QAccessible::Link : QAccessible::Button;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        const EtichettaDisegnata* e = etichetta();
        s.invisible = !e->Visible();
        s.disabled = !e->Enabled();
        QWidget* c = e->Container();
        s = statoDi(s, e, formaDi(c), nullptr);
        if (descrizione().collegamento)
            s.linked = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    QStringList actionNames() const override { return azioni(false); }
    void doAction(const QString& azione) override {
        if (azione == pressAction() && etichetta()->Enabled())
            Navigazione::premi(etichetta());
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    ArrayEtichette::Descrizione descrizione() const {
        const ArrayEtichette& a = etichetta()->Array();
        return a.descrivi ? a.descrivi(etichetta()->Index()) : ArrayEtichette::Descrizione{};
    }
};

QAccessibleInterface* fabbrica(const QString&, QObject* o) {
    if (auto* e = qobject_cast<EtichettaDisegnata*>(o))
        return new Disegnata(e);
    if (auto* r = qobject_cast<Riquadro*>(o))
        return new Contenitore(r, QAccessible::Pane);
    if (auto* c = qobject_cast<ControlloForma*>(o))
        return new Controllo(c);
    if (auto* f = qobject_cast<Forma*>(o))
        return new Contenitore(f, f->Proprietario() ? QAccessible::Dialog : QAccessible::Window);
    if (auto* w = qobject_cast<QWidget*>(o);
        w && w->findChild<ArrayEtichette*>(QString(), Qt::FindDirectChildrenOnly))
        return new Contenitore(w, QAccessible::Graphic);
    // The stage is the program's window on the desktop, as a plain widget would not say.
    if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow() && dynamic_cast<Scena*>(w))
        return new QAccessibleWidget(w, QAccessible::Window);
    return nullptr;
}

} // namespace

void installa() {
    static bool fatto = false;
    if (fatto)
        return;
    fatto = true;
    QAccessible::installFactory(fabbrica);
}

void imposta(QWidget* controllo, const QString& nome, QAccessible::Role ruolo, QWidget* segno) {
    controllo->setAccessibleName(nome);
    controllo->setProperty(ProprietaRuolo, int(ruolo));
    controllo->setProperty(ProprietaSegno, QVariant::fromValue(static_cast<QObject*>(segno)));
}

void impostaTasto(QWidget* controllo, const QString& tasto) {
    controllo->setProperty(ProprietaTasto, tasto);
}

} // namespace hn::accessibile
