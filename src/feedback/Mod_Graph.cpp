#include "Mod_Graph.h"

#include "Controlli.h"
#include "Fileini.h"
#include "Fseek.h"
#include "Host.h"
#include "Messaggi.h"
#include "Percorsi.h"

#include <cmath>

namespace hn::Mod_Graph {

QPointer<ControlloForma> HotCorrente;
qint16 StatoCorrente = Stato::Nessuno;

namespace {

constexpr int LineePerGruppo = 12;

ArrayLinee& lineeDi(QWidget& contenitore) {
    Forma* forma = Forma::di(&contenitore);
    ArrayLinee* linee = forma ? forma->linee(QStringLiteral("Linea")) : nullptr;
    if (!linee)
        throw ErroreVB(340);
    return *linee;
}

bool eEtichetta(const ControlloForma& c) {
    return c.TypeName() == QLatin1String("Label");
}

} // namespace

qint16 PreparaCornici(Forma& forma, QWidget& contenitore) {
    if (auto* conFigura = dynamic_cast<ControlloConPicture*>(&contenitore)) {
        Fseek::istanza().Pic_SalvaSfondo.ImpostaPicture(conFigura->Picture());
        Fseek::istanza().Pic_SalvaSfondo.ImpostaRendizioni(conFigura->rendizioni());
    }
    if (auto* riquadro = qobject_cast<Riquadro*>(&contenitore))
        riquadro->AutoRedraw = true;

    ArrayLinee& linea = lineeDi(contenitore);
    linea(0).setVisible(false);
    qint16 conteggio = 0;
    // A copy: the list does not change here, but MostraStato may reach code that walks it.
    const QList<ControlloForma*> controlli = forma.Controls();
    for (ControlloForma* c : controlli) {
        if (!eEtichetta(*c) || !c->Visible() || !c->Enabled())
            continue;
        ++conteggio;
        c->Tag = QString::number(conteggio);
        for (int i = (conteggio - 1) * LineePerGruppo + 1; i <= conteggio * LineePerGruppo; ++i) {
            linea.Load(i);
            linea(i).setVisible(false);
        }
        MostraStato(*c, contenitore, Stato::Riposo);
    }
    return conteggio;
}

void RimuoviCornici(Forma& forma, qint16& conteggio) {
    if (ArrayLinee* linea = forma.linee(QStringLiteral("Linea")))
        for (int i = 1; i <= conteggio * LineePerGruppo; ++i)
            if (linea->esiste(i))
                linea->Unload(i);
    HotCorrente = nullptr;
}

void MouseSopra(ControlloForma* controllo, QWidget& contenitore, int pulsanti) {
    if (pulsanti == 0)
        CambiaStato(controllo, contenitore, Stato::Sopra);
}

void MousePremuto(ControlloForma* controllo, QWidget& contenitore, int pulsante) {
    if (pulsante == Pulsante::Sinistro)
        CambiaStato(controllo, contenitore, Stato::Premuto);
}

void MouseRilasciato(ControlloForma* controllo, QWidget& contenitore, int pulsante) {
    if (pulsante == Pulsante::Sinistro)
        CambiaStato(controllo, contenitore, Stato::Riposo);
}

void CambiaStato(ControlloForma* controllo, QWidget& contenitore, int stato) {
    Forma* forma = Forma::di(&contenitore);
    if (controllo == HotCorrente && stato == StatoCorrente)
        return;
    // A hotspot of another form keeps its lines: they belong to that form's array.
    if (HotCorrente && HotCorrente->Parent() == forma)
        MostraStato(*HotCorrente, contenitore, Stato::Riposo);
    if (controllo && controllo->Enabled()) {
        MostraStato(*controllo, contenitore, stato);
        StatoCorrente = static_cast<qint16>(stato);
        HotCorrente = controllo;
    } else {
        StatoCorrente = Stato::Nessuno;
        HotCorrente = nullptr;
    }
}

void MostraStato(ControlloForma& controllo, QWidget& contenitore, int stato) {
    int anelli = 1;
    bool incassata = true;
    if (stato == Stato::Riposo) {
        anelli = 0;
    } else if (stato == Stato::Sopra) {
        incassata = false;
    } else if (stato != Stato::Premuto) {
        MsgBox(Mod_Comuni::TestoDaMostrare(463), Stile::OK);
    }
    const auto sinistra = static_cast<qint32>(std::lround(controllo.LeftTw()));
    const auto alto = static_cast<qint32>(std::lround(controllo.TopTw()));
    const auto destra = sinistra + static_cast<qint32>(std::lround(controllo.WidthTw()));
    const auto basso = alto + static_cast<qint32>(std::lround(controllo.HeightTw()));
    DisegnaCornice(contenitore, sinistra, alto, destra, basso, incassata, anelli,
                   controllo.Tag.toInt());
}

void DisegnaCornice(QWidget& contenitore, qint32 sinistra, qint32 alto, qint32 destra, qint32 basso,
                    bool incassata, int anelli, int gruppo) {
    ArrayLinee& linea = lineeDi(contenitore);
    const bool twips = scalaDi(&contenitore) == 1;
    const QColor bianco = QBColor(15);
    const QColor nero = QBColor(0);
    const QColor chiaro = incassata ? nero : bianco;
    const QColor scuro = incassata ? bianco : nero;
    const int primo = (gruppo - 1) * LineePerGruppo + 1;
    int i = primo;
    for (int r = 0; r < anelli; ++r) {
        const auto dx = twips ? static_cast<qint32>(std::lround(r * twipsPerPixelX())) : r;
        const auto dy = twips ? static_cast<qint32>(std::lround(r * twipsPerPixelY())) : r;
        linea(i).setPunti(sinistra + dx, alto + dy, destra - dx, alto + dy);
        linea(i).setBorderColor(chiaro);
        linea(i + 1).setPunti(sinistra + dx, alto + dy, sinistra + dx, basso - dy);
        linea(i + 1).setBorderColor(chiaro);
        // The far ends of the bottom and right lines stay on the outer corner.
        linea(i + 2).setPunti(sinistra + dx, basso - dy, destra, basso - dy);
        linea(i + 2).setBorderColor(scuro);
        linea(i + 3).setPunti(destra - dx, alto + dy, destra - dx, basso);
        linea(i + 3).setBorderColor(scuro);
        i += 4;
    }
    for (int j = primo; j < primo + LineePerGruppo; ++j)
        if (linea.esiste(j))
            linea(j).setVisible(((j - 1) % LineePerGruppo) / 4 < anelli);
}

void BordoPremuto(ControlloForma& controllo) {
    if (auto* e = qobject_cast<Etichetta*>(&controllo))
        e->setBorderStyle(1);
    else if (auto* i = qobject_cast<Immagine*>(&controllo))
        i->setBorderStyle(1);
    controllo.repaint();
}

void BordoNormale(ControlloForma& controllo) {
    if (auto* e = qobject_cast<Etichetta*>(&controllo))
        e->setBorderStyle(0);
    else if (auto* i = qobject_cast<Immagine*>(&controllo))
        i->setBorderStyle(0);
    else if (auto* f = qobject_cast<Figura*>(&controllo))
        f->setBorderStyle(0);
    else if (auto* r = qobject_cast<Riquadro*>(&controllo))
        r->setBorderStyle(0);
    controllo.repaint();
}

void ApriGuida(std::optional<int>) {
    const QString file =
        Mod_Comuni::EliminaSlash(Fileini::cfg.PathApp) + QStringLiteral("\\halvo.hlp");
    DialogoGuida& guida = Fseek::istanza().Cmdlg_Help;
    guida.HelpFile = file;
    guida.HelpCommand = 3;
    guida.ShowHelp();
}

} // namespace hn::Mod_Graph
