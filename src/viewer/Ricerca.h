#pragma once

// Finding a structure by name: Ctrl+F or "/" (or the "Szukaj" button, which shows the key) on the
// home screen or in the viewer opens a search field over the stage; the list under it follows what
// is typed, and a result opens its plate along the way the tree leads to it, with the structure's
// hotspot focused.

#include "IndiceRicerca.h"

#include <QFrame>
#include <QPointer>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace hn {

class Forma;
class FMed1;

class Ricerca : public QFrame {
    Q_OBJECT
public:
    using Apri = std::function<void(const atlante::Risultato&)>;

    // Gives the form its search: Ctrl+F and "/" open it, a chosen result goes to `apri`.
    static Ricerca& aggancia(Forma& forma, Apri apri);
    // The home screen's search: a result first opens its body system (the home screen's own
    // click, by code index), then the viewer goes on to the result. The index is built once the
    // screen has been painted.
    static Ricerca& agganciaHome(Forma& home, std::function<void(int sistema)> apriSistema);
    // The viewer's search: a result is opened in this viewer.
    static Ricerca& agganciaVisore(FMed1& visore);

    // Takes the viewer to the result's plate: the history holds the way from the system's first
    // plate, so Back walks up it; the structure's hotspot gets the focus and the hover frame.
    static void vaiA(FMed1& visore, const atlante::Risultato& risultato);

    // The index of the installation as it is now. Built on a thread of its own, on first use and
    // again whenever the files changed: null until it is ready (an open panel then fills itself)
    // and when no installation is configured.
    static std::shared_ptr<const atlante::IndiceRicerca> indice();
    ~Ricerca() override;

    void apri();
    void chiudi();
    // Opens the selected row, if any.
    void apriSelezionato();

    // The panel's field, count and list: made the first time it opens (null before), so that
    // a form that is never searched does not make them before its first frame.
    QLineEdit* campo = nullptr;
    QLabel* esito = nullptr;
    QListWidget* elenco = nullptr;
    QPushButton* const pulsante; // "Szukaj", on the form's background

    // The look of the buttons the program adds on the stage's backgrounds.
    static QString aspettoPulsante();

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    Ricerca(Forma& forma, Apri apri);
    void prepara();
    void aggiorna();
    void disponi();

    Apri apri_;
    std::shared_ptr<const atlante::IndiceRicerca> indice_; // as it was when the field opened
    QList<atlante::Risultato> risultati_;
    QPointer<QWidget> fuocoPrecedente_;
};

} // namespace hn
