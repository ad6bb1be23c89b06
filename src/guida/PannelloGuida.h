#pragma once

#include "Contenuti.h"
#include "Guida.h"
#include "RicercaTesto.h"

#include <QMap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QToolBar;

namespace hn {

class TestoGuida;

// Where the help window goes over `area` (the stage): as the file's main window asks, in 1024ths
// of the screen, maximised to the whole area, kept inside the area and never too small to use;
// with no such wish, `predefinita` centred.
QRect geometriaGuida(const winhelp::FinestraDefinita* finestra, const QRect& area,
                     QSize predefinita);

// The help window for a WinHelp file: contents, keyword index and full-text search on the
// left, the topic on the right under its non-scrolling region, and the buttons a reader of
// these files expects. It opens at the contents (the .cnt tree when there is one, else the
// contents topic); links, picture hotspots, popups, Back, the browse sequence and the file's
// own macros work; a help file never runs a program.
class PannelloGuida : public QWidget {
    Q_OBJECT
public:
    PannelloGuida();
    ~PannelloGuida() override;

    // Shows `guida`, its .cnt (when there is one, already decoded) at its contents.
    void apri(winhelp::FileGuida guida, const QString& contenuti);
    // Where popups may go: inside the stage.
    void impostaArea(const QRect& area) { area_ = area; }
    // A file that could not be read: the window says so.
    void mostraErrore(const QString& messaggio);
    // A help page in HTML, its pictures through `risorse`.
    void mostraHtml(const QString& html, std::function<QVariant(int, const QUrl&)> risorse);

    // For tests and the screenshot tool.
    QTextBrowser* testo() const;
    QTextBrowser* intestazione() const;
    QTabWidget* schede() const { return schede_; }
    QTreeWidget* albero() const { return albero_; }
    QLineEdit* campoIndice() const { return campoIndice_; }
    QListWidget* listaIndice() const { return listaIndice_; }
    QLineEdit* campoRicerca() const { return campoRicerca_; }
    QListWidget* risultati() const { return risultati_; }
    QWidget* popup() const { return popup_; }
    QLabel* avviso() const { return avviso_; }
    QPushButton* pulsante(const QString& testo) const;
    int argomentoCorrente() const { return corrente_; }
    QString titoloCorrente() const { return argomento_.titolo; }
    const winhelp::FileGuida* guida() const { return guida_ ? &*guida_ : nullptr; }
    bool ricercaPronta() const { return indiceTesto_.has_value(); }

    void vaiA(int argomento, bool storia = true);
    void indietro();
    void eseguiMacro(const QString& macro);
    // A click on a picture at `punto` (in the picture's pixels).
    void cliccaImmagine(int immagine, QPoint punto);
    bool zonaIn(int immagine, QPoint punto) const;

private:
    void mostra(int argomento);
    void seguiCollegamento(const winhelp::Collegamento& c);
    int argomentoDi(const winhelp::Collegamento& c) const; // −1: another file, a macro, none
    void mostraPopup(int argomento);
    void riempiIndice(const QString& filtro);
    void cerca();
    void stampa();
    void copia();
    void costruisciRicerca();
    void aggiornaPulsanti();
    QString html(const winhelp::Argomento& a, bool fisso, QList<winhelp::ImmagineGuida>& immagini);

    std::optional<winhelp::FileGuida> guida_;
    int corrente_ = -1;
    QList<int> storia_;
    winhelp::Argomento argomento_;
    QList<winhelp::ImmagineGuida> immagini_;
    std::optional<winhelp::IndiceTesto> indiceTesto_;

    QTabWidget* schede_;
    QTreeWidget* albero_;
    QLineEdit* campoIndice_;
    QListWidget* listaIndice_;
    QLineEdit* campoRicerca_;
    QListWidget* risultati_;
    TestoGuida* testo_;
    TestoGuida* intestazione_;
    QLabel* avviso_;
    QToolBar* barra_;
    QMap<QString, QPushButton*> pulsanti_;
    QMap<QString, QPushButton*> creati_; // buttons the file's macros created, by id
    QMap<QString, QString> azioni_;      // their macros
    QPointer<QWidget> popup_;
    std::optional<QPoint> puntoPopup_; // where a popup the keyboard opened goes
    QRect area_;
    QString finestraCorrente_; // the file's window the topic shows in, empty for the main one
    void applicaFinestra();
};

} // namespace hn
