#pragma once

// Label control arrays whose elements have no window of their own: the container hit-tests and
// draws them. A plate may hold tens of thousands of hotspots; as child widgets they would
// exhaust the window system's painting, drawn by their container they cost a rectangle each.

#include "Controllo.h"

#include <QColor>
#include <QCursor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QWidget;

namespace hn {

class ArrayEtichette;

// One element: a label with the program's properties, geometry in twips relative to its
// container. Mouse events arrive as for the windowed controls; the element is its own
// EventiControllo, which spares a second object for each of tens of thousands of hotspots.
class EtichettaDisegnata : public EventiControllo, public Controllo {
    Q_OBJECT
public:
    const QString& Name() const;
    int Index() const { return indice_; }
    QString TypeName() const { return QStringLiteral("Label"); }
    QWidget* Container() const;
    ArrayEtichette& Array() const { return *array_; }

    double LeftTw() const { return left_; }
    double TopTw() const { return top_; }
    double WidthTw() const { return width_; }
    double HeightTw() const { return height_; }
    void MoveTw(double left, double top, double width, double height);

    bool Visible() const override { return visibile_; }
    void ImpostaVisible(bool visibile) override;
    bool Enabled() const { return attivo_; }
    void ImpostaEnabled(bool attivo);

    // 0 none, 1 a one-pixel black frame.
    int BorderStyle() const { return bordo_; }
    void setBorderStyle(int stile);
    // 0 transparent, 1 filled with BackColor.
    int BackStyle() const { return sfondo_; }
    void setBackStyle(int stile);
    const QString& Caption() const { return caption_; }
    void setCaption(const QString& testo);
    QColor BackColor = Qt::white;

    QString Tag;
    // Elements of one structure (its shape in pieces, its label, both sides of a pair) share a
    // non-empty group: the keyboard and assistive tools reach the structure once, at its topmost
    // element. Setting it takes effect at the next Load, Unload, show or hide.
    QString Gruppo;

    // 0 default, 99 the MouseIcon (its offset() is the hot spot).
    int MousePointer() const { return puntatore_; }
    void setMousePointer(int valore) { puntatore_ = valore; }
    const QImage& MouseIcon() const { return icona_; }
    void setMouseIcon(const QImage& icona, const Rendizioni& rendizioni = {}) {
        icona_ = icona;
        rendizioniIcona_ = rendizioni;
    }

    // The rectangle in the container's pixels.
    QRect rettangolo() const;
    // What a left click does, for the keyboard and assistive tools: down, up, Click.
    void premi();

    // Click, DblClick and the mouse events, as a windowed control's.
    EventiControllo& eventi() { return *this; }

private:
    friend class ArrayEtichette;
    EtichettaDisegnata(ArrayEtichette* array, int indice);
    void ridisegna() const;
    bool disegnata() const { return bordo_ == 1 || sfondo_ == 1 || !caption_.isEmpty(); }

    ArrayEtichette* array_;
    int indice_;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visibile_ = true;
    bool attivo_ = true;
    int bordo_ = 0;
    int sfondo_ = 0;
    QString caption_;
    int puntatore_ = 0;
    QImage icona_;
    Rendizioni rendizioniIcona_; // shared by the elements of an array, not copied
};

// A label control array drawn by its container: element 0 made at design time, the others loaded
// at run time as hidden copies of the lowest one. Later elements lie above earlier ones.
class ArrayEtichette : public QObject {
    Q_OBJECT
public:
    ArrayEtichette(QWidget* contenitore, const QString& nome);
    ~ArrayEtichette() override;

    const QString& Name() const { return nome_; }
    QWidget* Container() const { return contenitore_; }

    // Error 340 when the element is not loaded.
    EtichettaDisegnata& operator()(int indice) const;
    bool esiste(int indice) const { return elementi_.count(indice) != 0; }
    // An element in design state (visible); error 360 when it exists.
    EtichettaDisegnata& crea(int indice);
    // A hidden copy of the lowest element; 340 without one, 360 when loaded.
    EtichettaDisegnata& Load(int indice);
    // Error 340 when not loaded.
    void Unload(int indice);
    int Count() const { return static_cast<int>(elementi_.size()); }
    int UBound() const { return elementi_.empty() ? -1 : elementi_.rbegin()->first; }
    const std::map<int, std::unique_ptr<EtichettaDisegnata>>& elementi() const { return elementi_; }

    // The topmost visible, enabled element at a point in the container's pixels; null for none.
    EtichettaDisegnata* sotto(QPoint punto) const;
    // The visible elements in index order (kept until one is loaded, unloaded, shown or hidden).
    const QList<EtichettaDisegnata*>& visibili() const;
    // The visible elements with one per group (its topmost), in index order.
    const QList<EtichettaDisegnata*>& raggiungibili() const;
    // The element that stands for e's group: its topmost visible element, else e.
    EtichettaDisegnata& rappresentante(EtichettaDisegnata& e) const;

    // What assistive tools read of an element: its name and whether it leads elsewhere. Asked
    // only when a tool asks, so a plate costs nothing more for those who use none.
    struct Descrizione {
        QString nome;
        bool collegamento = false;
        QString nota; // read after the name, as its description (how well it is known)
    };
    std::function<Descrizione(int indice)> descrivi;

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    friend class EtichettaDisegnata;
    void aggiornaCursore(const EtichettaDisegnata* sopra);

    QString nome_;
    QPointer<QWidget> contenitore_;
    QWidget* strato_ = nullptr;
    std::map<int, std::unique_ptr<EtichettaDisegnata>> elementi_;
    // Elements that draw something; the sheet paints only when there are some.
    int disegnate_ = 0;
    mutable QList<EtichettaDisegnata*> visibili_;
    mutable QList<EtichettaDisegnata*> raggiungibili_;
    mutable QHash<QString, EtichettaDisegnata*> cimaDelGruppo_;
    mutable bool visibiliValidi_ = false;
    QPointer<EtichettaDisegnata> catturata_;
    bool premuta_ = false;
    // The pointer of the last icon used, made once rather than at each hotspot.
    QCursor cursore_;
    qint64 chiaveCursore_ = 0;
    double scalaCursore_ = 0; // the device pixel ratio cursore_ was made for
    bool cursoreNostro_ = false;
};

} // namespace hn
