#pragma once

// Self-test in the viewer: Ctrl+T (or the "Sprawdź się" button) opens a small choice of kinds
// over the plate, Ctrl+Shift+T the same over every plate of the body system. The kinds:
// - the quick round: a caption with its name blanked, ten questions, the best score kept;
// - "Gdzie jest…?": the name given, the answer a click on the structure or its label, or Tab to
//   it and Enter;
// - "Co to jest?": one structure marked, the name typed (a slip forgiven) or picked among four;
// - "Wszystkie etykiety": every label covered and numbered, named one by one in order.
// While a question is asked every label of the plate lies under a patch and the hotspots read
// out no names, so nothing on the screen or in assistive tools gives the answer away. Each answer
// updates the student's review diary; "Powtórka" asks what the diary says is due today, across
// the whole atlas.

#include "Domande.h"
#include "FMed1.h"
#include "Punteggi.h"
#include "Ripasso.h"
#include "Storia.h"
#include "Zaslona.h"

#include <QFrame>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <functional>
#include <random>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hn {

class Sprawdzian : public QFrame, public GiroDelVisore {
    Q_OBJECT
public:
    static constexpr int Domande = 10;
    enum class Rodzaj { Szybki, GdzieJest, CoToJest, WszystkieEtykiety, Powtorka };

    // The viewer's keyboard no longer asks this round what it may reach.
    ~Sprawdzian() override;

    // Gives the viewer its self-test: the buttons, the keys, and the click taken as an answer.
    static Sprawdzian& aggancia(FMed1& visore);
    // The viewer's self-test; null when it has none.
    static Sprawdzian* di(const FMed1& visore);
    // The home screen's "Powtórka" button: it opens the body system of the first structure due
    // and starts the review there.
    static void agganciaHome(Forma& home, std::function<void(int sistema)> apriSistema);
    // How many structures the diary has due today.
    static int quanteDaRipassare();

    // The choice of kinds, over the plate on show or its whole body system.
    void mostraScelta(bool sistema);
    bool inScelta() const { return inCorso() && scelta_; }
    // Starts a round of one kind on the plate on show, or on every plate of its body system;
    // false (no panel) when there is nothing to ask. The quick round by default.
    bool avvia(bool sistema) { return avvia(Rodzaj::Szybki, sistema); }
    bool avvia(Rodzaj rodzaj, bool sistema);
    // A round of the structures due today, wherever they are; false when none is.
    bool avviaPowtorka();
    // Ends the round: the panel goes and the viewer is as it was when the round began.
    void termina() override;
    bool inCorso() const override { return isVisible(); }
    std::optional<QString> nomeNelGiro(int hotspot) const override;

    // A click on hotspot n while a round runs is an answer: true when it was taken as one. Once
    // the score is on show, clicks open captions again.
    bool clic(int hotspot) override;
    // A typed answer.
    void rispondi(const QString& testo);
    // Four names to pick from, for "Co to jest?"; pick one by its place (0 … 3).
    void mostraAlternative();
    void scegli(int indice);
    // On to the next question now, without waiting for the feedback to be read.
    void avanti();

    Rodzaj rodzaj() const { return rodzaj_; }
    const QList<atlante::Domanda>& giro() const { return giro_; }
    int numero() const { return corrente_; }
    int giuste() const { return giuste_; }
    // The structures missed so far, by place in the round.
    const QList<int>& mancate() const { return mancate_; }
    const Zaslona& zaslona() const { return *zaslona_; }

    QLabel* const titolo;
    QLabel* const domanda;
    QLineEdit* const risposta;
    QWidget* const scelte;           // the four names, when asked for
    QList<QPushButton*> alternative; // their buttons
    QPushButton* const quattro;      // "Cztery odpowiedzi"
    QLabel* const esito;
    QLabel* const aiuto;
    QWidget* const menu;                 // the choice of kinds
    QList<QPushButton*> rodzaje;         // quick, where, what, all labels
    QPushButton* const zakres;           // this plate / the whole system
    QPushButton* const pulsante;         // "Sprawdź się", on the viewer's background
    QPushButton* const pulsantePowtorka; // "Powtórka", beside it

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    explicit Sprawdzian(FMed1& visore);
    void preparaGiro();
    bool inizia(Rodzaj rodzaj, bool sistema, QList<atlante::Domanda> giro,
                QList<atlante::Domanda> tutte, const QString& chiave);
    void mostraDomanda();
    void giusta(atlante::ripasso::Voto voto);
    void sbagliata();
    void fine();
    void registra(atlante::ripasso::Voto voto);
    void incornicia(bool acceso);
    void copri();
    void annuncia(QLabel* etichetta, const QString& testo);
    void disponi();
    void vaiAllaTavola(const QString& tavola);
    void apriMancata(int domanda);
    void aggiornaPowtorka();
    void mostraParti(bool scelta);
    void fuocoAllaRisposta();
    bool scriviNome() const; // the kind is answered by typing
    // The structures of the plate on show, with their labels' record numbers.
    const QList<atlante::Domanda>& strutture();
    // The hotspots of the plate on show that are some question's answer.
    const QSet<int>& risposte();

    FMed1& v_;
    std::mt19937 caso_;
    Rodzaj rodzaj_ = Rodzaj::Szybki;
    QList<atlante::Domanda> giro_;
    QList<atlante::Domanda> tutte_; // what the four names are drawn from
    int corrente_ = 0;
    int errori_ = 0; // misses on the question on show
    int giuste_ = 0;
    bool aiutato_ = false; // the four names were shown for the question on show
    QList<int> mancate_;   // questions missed, by place in the round
    QString intestazione_; // the panel's title: what is asked, the best score so far
    QString chiave_;       // where the score is kept; empty for kinds without one
    QString nonSalvato_;   // why the diary could not be saved, once it could not
    bool attesa_ = false;  // feedback on show: answers wait for the next question
    bool finito_ = false;
    bool sistema_ = false;
    bool scelta_ = false;       // the choice of kinds on show
    QPointer<QWidget> cornice_; // one frame around the structure; goes with the plate
    QPointer<Zaslona> zaslona_; // goes with the picture, before the viewer
    QTimer prossima_;
    // The viewer as the round found it.
    QString tavolaPrima_;
    Storia storiaPrima_;
    QPointer<QWidget> fuocoPrima_;
    bool testoPrima_ = false; // the description was on show
    QString tavolaStrutture_;
    QList<atlante::Domanda> strutture_;
    QList<int> etichette_; // per structure, its label's record; 0 for none
    int recordTitolo_ = 0; // the plate's header record: its title in the picture
    QString titoloTavola_; // as the viewer names the picture
    QString tavolaRisposte_;
    QSet<int> risposte_;
};

} // namespace hn
