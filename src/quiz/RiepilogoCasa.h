#pragma once

// On the home screen, under each body system's card, what the student knows of it: how many of
// its structures are known, being learnt (due ones among them) and new, with the map's markers.
// The structures of each system are read once per atlas on a worker thread and kept in the user's
// cache for the next start; the counts are taken from the review diary each time the home screen
// shows.

#include "Conoscenza.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class QThread;
class QWidget;

namespace hn {

class FMed;

class RiepilogoCasa : public QObject {
    Q_OBJECT
public:
    static RiepilogoCasa& aggancia(FMed& home);
    static RiepilogoCasa* di(const FMed& home);
    ~RiepilogoCasa() override;

    // The counts on card i, by hotspot index; all zero before the atlas has been read.
    atlante::Riepilogo riepilogo(int sistema) const { return riepiloghi_.value(sistema); }
    // The summary drawn under card i, of no size while it has no counts; null when the card has
    // none.
    QWidget* etichetta(int sistema) const;
    // True once the structures have been read and the counts shown.
    bool pronto() const { return pronto_; }
    // Reads the diary again and redraws the counts (the home screen does it when it shows).
    void aggiorna();

Q_SIGNALS:
    void aggiornato();

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    explicit RiepilogoCasa(FMed& home);
    void leggiAtlante();
    void disponi();

    FMed& home_;
    QList<QPointer<QWidget>> etichette_;
    QList<atlante::Riepilogo> riepiloghi_;
    QList<QStringList> strutture_;
    // The files the structures were read from, and their print then, to see them change.
    atlante::FileAtlante file_;
    atlante::Impronta impronta_;
    QPointer<QThread> lettura_;
    std::shared_ptr<std::atomic_bool> ferma_;
    // Takes the running read's result; empty when none runs.
    std::function<void()> concludi_;
    bool pronto_ = false;
};

} // namespace hn
