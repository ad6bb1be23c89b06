#pragma once

// Forms and the controls they hold. Geometry is in twips, as the program sets it; on screen a
// control is (twips / the screen's twips per pixel) pixels, relative to its container.

#include "Controllo.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

class QKeyEvent;

namespace hn {

class ArrayLinee;
class Forma;

// A control of a form: a windowless child widget of its container (the form, a picture box or an
// image display control), with the program's name and array index. Index -1: not in an array.
class ControlloForma : public QWidget, public BaseControllo {
    Q_OBJECT
public:
    ControlloForma(QWidget* contenitore, const QString& nome, int indice = -1);
    ~ControlloForma() override;

    const QString& Name() const { return nome_; }
    int Index() const { return indice_; }
    // "Label", "Image", "Shape", "PictureBox" …
    virtual QString TypeName() const = 0;
    // The form the control belongs to (null once that form is gone).
    Forma* Parent() const { return forma_; }
    QWidget* Container() const { return parentWidget(); }

    // Every kind has a frame: 0 none, 1 the kind's own.
    virtual int BorderStyle() const = 0;
    virtual void setBorderStyle(int stile) = 0;

    QString Tag;

    // 0 default, 99 the MouseIcon; others fall back to the platform's pointer. The icon's
    // offset() is its hot spot; its renditions, when it has some, draw it at a scaled screen.
    int MousePointer() const { return puntatore_; }
    void setMousePointer(int valore);
    const QImage& MouseIcon() const { return icona_; }
    void setMouseIcon(const QImage& icona, const Rendizioni& rendizioni = {});

    // Copies the design-time properties of a template element (for arrays loaded at run time).
    virtual void copiaProprietaDa(const ControlloForma& modello);

    // Click, DblClick and the mouse events.
    EventiControllo& eventi() { return eventi_; }

protected:
    bool event(QEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
    void mouseDoubleClickEvent(QMouseEvent* evento) override;

private:
    friend class Forma;
    void aggiornaCursore();

    QString nome_;
    int indice_;
    Forma* forma_ = nullptr;
    EventiControllo eventi_;
    int puntatore_ = 0;
    QImage icona_;
    Rendizioni rendizioniIcona_;
    double scalaCursore_ = 1; // the device pixel ratio the pointer was made for
    bool premuto_ = false;
};

// A top-level form. Subclasses override the event hooks they handle; Load, Show, Hide and
// Unload drive them in the program's order.
class Forma : public QWidget {
    Q_OBJECT
public:
    explicit Forma(const QString& nome, QWidget* parent = nullptr);
    ~Forma() override;

    const QString& Name() const { return nome_; }

    // The forms loaded now, in load order.
    static const QList<Forma*>& Forms();
    static Forma* trova(const QString& nome);
    // The form a widget lies on (itself when it is one), null when none.
    static Forma* di(QWidget* widget);

    bool Caricata() const { return caricata_; }
    // Runs Form_Load the first time; a loaded form is left alone.
    void Load();
    // Loads if needed and shows, in the window state asked for.
    void Show();
    void Hide() { hide(); }
    // Asks Form_QueryUnload and Form_Unload (modo: 0 closed by the user, 1 by the program);
    // false when one of them cancelled. The object survives and may be loaded again.
    bool Unload(int modo = 1);

    // Place and size in twips, screen coordinates.
    double LeftTw() const;
    double TopTw() const;
    double WidthTw() const;
    double HeightTw() const;
    void MoveTw(double left, double top, double width, double height);

    // 0 normal, 1 minimised, 2 maximised.
    int WindowState() const { return statoFinestra_; }
    void ImpostaWindowState(int stato);

    // The caption property; setting it also sets the window text.
    const QString& Caption() const { return caption_; }
    void setCaption(const QString& testo);
    // The window text the task bar shows, set on its own (the caption bar may be gone).
    QString TestoFinestra() const { return windowTitle(); }
    void setTestoFinestra(const QString& testo) { setWindowTitle(testo); }

    // 0 none (no frame), any other value: the platform's frame.
    int BorderStyle() const { return bordo_; }
    void setBorderStyle(int stile);

    // The unit of the form's own drawing coordinates: twips (1), as every form of the program
    // keeps it.
    int ScaleMode() const { return 1; }

    bool Enabled() const { return isEnabled(); }
    void ImpostaEnabled(bool attivo) { setEnabled(attivo); }

    bool KeyPreview = false;
    // Enter clicks what the keyboard reached; a dialog whose Enter means OK turns it off.
    bool InvioAlleVoci = true;

    // The window a dialog stays above; null for none.
    Forma* Proprietario() const { return proprietario_; }
    void setProprietario(Forma* proprietario);

    // The controls in the order they were created (the form's control order).
    const QList<ControlloForma*>& Controls() const { return controlli_; }
    ControlloForma* controllo(const QString& nome, int indice = -1) const;
    // The form's line array of that name, null when it has none.
    ArrayLinee* linee(const QString& nome) const;

    // Calls a method of the form by name (a Q_INVOKABLE without arguments). False when the form
    // has no such method; errors thrown by the method pass through.
    bool chiamaPerNome(const char* metodo);

    // The keyboard's ring is built over the forms and hooks itself on once (Navigazione::
    // installa): a form hands it the keys it leaves unused and Tab, and tells it when the mouse
    // takes over. Without it a form has Qt's own Tab.
    struct Tastiera {
        std::function<bool(Forma&, QKeyEvent*)> tasto;
        std::function<bool(Forma&, bool avanti)> tab;
        std::function<void(Forma&)> lascia;
    };
    static void registraTastiera(Tastiera tastiera);

protected:
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Paint() {}
    virtual void Form_QueryUnload(int& /*Cancel*/, int /*UnloadMode*/) {}
    virtual void Form_Unload(int& /*Cancel*/) {}
    // KeyAscii 13 for Enter, 27 for Escape, else the character; set it to 0 to swallow the key.
    virtual void Form_KeyPress(int& /*KeyAscii*/) {}

    void paintEvent(QPaintEvent* evento) override;
    void showEvent(QShowEvent* evento) override;
    void hideEvent(QHideEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    // Tab and Shift+Tab walk the form's drawn controls, not only its widgets.
    bool focusNextPrevChild(bool avanti) override;
    bool event(QEvent* evento) override;
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    friend class ControlloForma;
    friend class ArrayLinee;
    void attiva();
    // True when the key was swallowed.
    bool tastoPremuto(QKeyEvent* evento);

    QString nome_;
    QString caption_;
    bool caricata_ = false;
    bool paintInAttesa_ = false;
    int statoFinestra_ = 0;
    int bordo_ = 2;
    Forma* proprietario_ = nullptr;
    QList<ControlloForma*> controlli_;
    QList<ArrayLinee*> linee_;
};

} // namespace hn
