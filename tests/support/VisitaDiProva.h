#pragma once

// The home screen over a fixture atlas, with the real plate viewer behind its body-system clicks.

#include "AtlanteDiProva.h"
#include "FMed.h"
#include "FMed1.h"
#include "Frm_Testo.h"
#include "Installazione.h"
#include "Ricerca.h"
#include "StatoPulito.h"

#include <QCoreApplication>
#include <QTest>
#include <memory>

namespace hn::prova {

// A fixture fills `atlante`, then mostraHome() writes it and shows the home screen.
struct VisitaDiProva {
    VisitaDiProva()
        : installazione(host)
        , atlante(host) {
        installazione.scrivi();
    }
    ~VisitaDiProva() {
        // The caption window outlives the test: left shown, it would be torn down after Qt.
        if (Frm_Testo::creata())
            Frm_Testo::istanza().ImpostaVisible(false);
    }
    VisitaDiProva(const VisitaDiProva&) = delete;
    VisitaDiProva& operator=(const VisitaDiProva&) = delete;

    void mostraHome() {
        atlante.scrivi();
        FMed::registraVisore([] { return std::make_unique<FMed1>(); });
        FMed::registraRicerca(Ricerca::agganciaHome);
        home = std::make_unique<FMed>();
        home->Show();
    }
    FMed1& viewer() const { return *static_cast<FMed1*>(home->visore()); }
    void apri(int sistema = 0) {
        QTest::mouseClick(&home->lbl_HotSpot(sistema), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    // Hotspots are drawn by the picture control: the click lands on it, at the hotspot.
    void clicHotspot(int n) {
        QTest::mouseClick(&viewer().DISASGEO, Qt::LeftButton, {},
                          viewer().hotspot()(n).rettangolo().center());
        QCoreApplication::processEvents();
    }

    StatoPulito stato{[] {
        FMed::registraVisore({});
        FMed::registraRicerca({});
        agganciViewer = {};
    }};
    HostDiProva host;
    Installazione installazione;
    AtlanteDiProva atlante;
    std::unique_ptr<FMed> home;
};

} // namespace hn::prova
