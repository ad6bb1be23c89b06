#pragma once

// Self-test in the viewer: Ctrl+T (or the "Sprawdź się" button) asks the structures of the plate,
// Ctrl+Shift+T those of every plate of the body system. A panel over the description asks a
// caption with its name blanked; the answer is a click on the structure, Tab to it and Enter, or
// its name typed. Ten questions, no repeats; the end gives the score, the best so far is kept.

#include "Domande.h"
#include "FMed1.h"
#include "Punteggi.h"
#include "Storia.h"

#include <QFrame>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <random>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hn {

class Sprawdzian : public QFrame, public GiroDelVisore {
    Q_OBJECT
public:
    static constexpr int Domande = 10;
    // The viewer's keyboard no longer asks this round what it may reach.
    ~Sprawdzian() override;

    // Gives the viewer its self-test: the button, the keys, and the click taken as an answer.
    static Sprawdzian& aggancia(FMed1& visore);
    // The viewer's self-test; null when it has none.
    static Sprawdzian* di(const FMed1& visore);

    // Starts a round on the plate on show, or on every plate of its body system; false (no
    // panel) when there is nothing to ask.
    bool avvia(bool sistema);
    // Ends the round: the panel goes and the viewer is as it was when the round began.
    void termina() override;
    bool inCorso() const override { return isVisible(); }

    // A click on hotspot n while a round runs is an answer: true when it was taken as one. Once
    // the score is on show, clicks open captions again.
    bool clic(int hotspot) override;
    // A typed answer.
    void rispondi(const QString& testo);
    // On to the next question now, without waiting for the feedback to be read.
    void avanti();

    const QList<atlante::Domanda>& giro() const { return giro_; }
    int numero() const { return corrente_; }
    int giuste() const { return giuste_; }

    QLabel* const titolo;
    QLabel* const domanda;
    QLineEdit* const risposta;
    QLabel* const esito;
    QPushButton* const pulsante; // "Sprawdź się", on the viewer's background

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    explicit Sprawdzian(FMed1& visore);
    void mostraDomanda();
    void giusta();
    void sbagliata();
    void fine();
    void incornicia(bool acceso);
    void annuncia(QLabel* etichetta, const QString& testo);
    void disponi();
    void vaiAllaTavola(const QString& tavola);
    void apriMancata(int domanda);
    // The hotspots of the plate on show that are some question's answer.
    const QSet<int>& risposte();

    FMed1& v_;
    std::mt19937 caso_;
    QList<atlante::Domanda> giro_;
    int corrente_ = 0;
    int errori_ = 0; // misses on the question on show
    int giuste_ = 0;
    QList<int> mancate_;   // questions missed, by place in the round
    QString intestazione_; // the panel's title: what is asked, the best score so far
    QString chiave_;       // where the score is kept
    bool attesa_ = false;  // feedback on show: answers wait for the next question
    bool finito_ = false;
    bool sistema_ = false;
    QPointer<QWidget> cornice_; // one frame around the structure; goes with the plate
    QTimer prossima_;
    // The viewer as the round found it.
    QString tavolaPrima_;
    Storia storiaPrima_;
    QPointer<QWidget> fuocoPrima_;
    QString tavolaRisposte_;
    QSet<int> risposte_;
};

} // namespace hn
