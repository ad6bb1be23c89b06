#pragma once

// The windowless controls the forms are built from: label hit areas, images, rectangle shapes,
// picture boxes that hold other controls, and line arrays drawn by their container.

#include "ErroreVB.h"
#include "Forma.h"
#include "Ridimensiona.h"

#include <QColor>
#include <QMap>
#include <QPointer>
#include <map>
#include <memory>

namespace hn {

// A colour of the 16-colour palette (0 black … 15 white).
QColor QBColor(int indice);

// A label: over a picture it is usually a transparent hit area with no caption.
class Etichetta : public ControlloForma {
    Q_OBJECT
public:
    Etichetta(QWidget* contenitore, const QString& nome, int indice = -1);
    QString TypeName() const override { return QStringLiteral("Label"); }

    // 0 none, 1 a one-pixel black frame.
    int BorderStyle() const override { return bordo_; }
    void setBorderStyle(int stile) override;
    // 0 transparent, 1 filled with BackColor.
    int BackStyle() const { return sfondo_; }
    void setBackStyle(int stile);
    QColor BackColor = Qt::white;
    QColor ForeColor = Qt::black;
    const QString& Caption() const { return caption_; }
    void setCaption(const QString& testo);
    // 0 left, 1 right, 2 centre.
    int Alignment = 0;

    void copiaProprietaDa(const ControlloForma& modello) override;

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    int bordo_ = 0;
    int sfondo_ = 0;
    QString caption_;
};

// An image control: draws its picture over whatever lies behind it; without Stretch it takes the
// picture's size.
class Immagine : public ControlloForma, public ControlloConPicture {
    Q_OBJECT
public:
    Immagine(QWidget* contenitore, const QString& nome, int indice = -1);
    QString TypeName() const override { return QStringLiteral("Image"); }

    bool Visible() const override { return ControlloForma::Visible(); }
    void ImpostaVisible(bool visibile) override { ControlloForma::ImpostaVisible(visibile); }

    void setStretch(bool s);
    int BorderStyle() const override { return bordo_; }
    void setBorderStyle(int stile) override;

    void copiaProprietaDa(const ControlloForma& modello) override;

protected:
    void paintEvent(QPaintEvent* evento) override;
    void hideEvent(QHideEvent* evento) override;
    void pictureCambiata() override;
    void rendizioniCambiate() override;

private:
    void adatta();
    bool stretch_ = false;
    int bordo_ = 0;
};

// A rectangle shape: a frame and an optional fill, deaf to the mouse.
class Figura : public ControlloForma {
    Q_OBJECT
public:
    Figura(QWidget* contenitore, const QString& nome, int indice = -1);
    QString TypeName() const override { return QStringLiteral("Shape"); }

    QColor BorderColor() const { return bordo_; }
    void setBorderColor(const QColor& c);
    int BorderWidth() const { return spessore_; }
    void setBorderWidth(int pixel);
    // 0 no frame, 1 solid.
    int BorderStyle() const override { return stileBordo_; }
    void setBorderStyle(int stile) override;
    void setFillColor(const QColor& c);
    // 0 solid, 1 transparent.
    void setFillStyle(int stile);

    void copiaProprietaDa(const ControlloForma& modello) override;

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    QColor bordo_ = Qt::black;
    int spessore_ = 1;
    int stileBordo_ = 1;
    QColor riempimento_ = Qt::black;
    int stileRiempimento_ = 1;
};

// A picture box: shows its picture at the top-left corner and holds other controls, which are
// created with it as their container.
class Riquadro : public ControlloForma, public ControlloConPicture {
    Q_OBJECT
public:
    Riquadro(QWidget* contenitore, const QString& nome, int indice = -1);
    QString TypeName() const override { return QStringLiteral("PictureBox"); }

    bool Visible() const override { return ControlloForma::Visible(); }
    void ImpostaVisible(bool visibile) override { ControlloForma::ImpostaVisible(visibile); }

    // The box takes its picture's size.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool a);
    // Kept for the program; the box always repaints itself from its picture.
    bool AutoRedraw = false;
    // 1 twips, 3 pixels: the unit of coordinates inside the box (lines drawn on it).
    int ScaleMode = 1;
    int BorderStyle() const override { return bordo_; }
    void setBorderStyle(int stile) override;
    QColor BackColor = Qt::black;

protected:
    void paintEvent(QPaintEvent* evento) override;
    void hideEvent(QHideEvent* evento) override;
    void pictureCambiata() override;
    void rendizioniCambiate() override;

private:
    void adatta();
    bool autoSize_ = false;
    int bordo_ = 0;
};

// The unit of drawing coordinates inside a container: its ScaleMode, or twips when it has none.
int scalaDi(const QWidget* contenitore);

class ArrayLinee;

// One element of a line control array. Coordinates are in the container's scale.
class Linea {
public:
    double X1() const { return x1_; }
    double Y1() const { return y1_; }
    double X2() const { return x2_; }
    double Y2() const { return y2_; }
    void setPunti(double x1, double y1, double x2, double y2);
    QColor BorderColor() const { return colore_; }
    void setBorderColor(const QColor& c);
    bool Visible() const { return visibile_; }
    void setVisible(bool v);
    int Index() const { return indice_; }

private:
    friend class ArrayLinee;
    Linea(ArrayLinee* array, int indice)
        : array_(array)
        , indice_(indice) {}
    ArrayLinee* array_;
    int indice_;
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    QColor colore_ = Qt::black;
    bool visibile_ = true;
};

// A line control array (the program's `Linea`): element 0 exists from the start, others are
// loaded as copies of it and unloaded at run time. The container draws them over its picture.
class ArrayLinee {
public:
    ArrayLinee(QWidget* contenitore, const QString& nome);
    ~ArrayLinee();
    ArrayLinee(const ArrayLinee&) = delete;
    ArrayLinee& operator=(const ArrayLinee&) = delete;

    const QString& Name() const { return nome_; }
    QWidget* Container() const { return contenitore_; }

    // The element; error 340 when it is not loaded.
    Linea& operator()(int indice);
    bool esiste(int indice) const;
    // A hidden copy of element 0; error 360 when already loaded.
    void Load(int indice);
    // Error 340 when not loaded, 362 for element 0, which cannot be unloaded.
    void Unload(int indice);
    int Count() const { return static_cast<int>(elementi_.size()); }
    int UBound() const;

    // Draws the visible elements with a painter on the container, in pixels.
    void disegna(QPainter& p) const;
    void aggiorna();
    // Repaints only where a visible line lies: a hover frame must not redraw a full-screen sheet.
    void aggiorna(const Linea& linea);

private:
    QString nome_;
    QPointer<QWidget> contenitore_;
    QPointer<Forma> forma_;
    QWidget* strato_ = nullptr;
    std::map<int, std::unique_ptr<Linea>> elementi_;
};

// A control array of widgets: element 0 made at design time, others loaded at run time as
// hidden copies of it.
template <typename T> class ArrayControlli {
public:
    ArrayControlli(QWidget* contenitore, const QString& nome)
        : contenitore_(contenitore)
        , nome_(nome) {}

    T& operator()(int indice) const {
        auto it = elementi_.find(indice);
        if (it == elementi_.end() || !*it)
            throw ErroreVB(340);
        return **it;
    }
    bool esiste(int indice) const { return elementi_.value(indice) != nullptr; }
    // Creates an element in design state (visible); used for the elements drawn at design time.
    T& crea(int indice) {
        if (esiste(indice))
            throw ErroreVB(360);
        T* c = new T(contenitore_, nome_, indice);
        elementi_.insert(indice, c);
        return *c;
    }
    // Loads a hidden copy of the lowest element.
    T& Load(int indice) {
        if (elementi_.isEmpty())
            throw ErroreVB(340);
        T& modello = *elementi_.first();
        T& c = crea(indice);
        c.copiaProprietaDa(modello);
        c.ImpostaVisible(false);
        return c;
    }
    void Unload(int indice) {
        if (!esiste(indice))
            throw ErroreVB(340);
        delete elementi_.take(indice);
    }
    QList<int> indici() const { return elementi_.keys(); }
    int UBound() const { return elementi_.isEmpty() ? -1 : elementi_.lastKey(); }

private:
    QWidget* contenitore_;
    QString nome_;
    QMap<int, QPointer<T>> elementi_;
};

} // namespace hn
