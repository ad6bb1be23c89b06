#include "Mod_CopiaeStampa.h"

#include "DialogoComune.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"

namespace hn {

namespace {
constexpr int NonSupportato = 438;
constexpr int NonImpostabile = 382;
constexpr int OggettoNonImpostato = 91;

[[noreturn]] void manca() {
    throw ErroreVB(NonSupportato);
}

double fattoreX_ = 1.0;
double fattoreY_ = 1.0;

// Runs one statement of the pass; true when the pass may go on. The errors a control without
// the member raises only skip that statement.
template <typename F> bool istruzione(F&& f) {
    try {
        f();
        return true;
    } catch (const ErroreVB& e) {
        return e.numero() == NonSupportato || e.numero() == NonImpostabile ||
               e.numero() == OggettoNonImpostato;
    }
}

ControlloDelDialogo& oggetto(ControlloDelDialogo* c) {
    if (!c)
        throw ErroreVB(OggettoNonImpostato);
    return *c;
}
} // namespace

int ControlloDelDialogo::Appearance() const {
    manca();
}
double ControlloDelDialogo::LeftTw() const {
    manca();
}
double ControlloDelDialogo::TopTw() const {
    manca();
}
double ControlloDelDialogo::WidthTw() const {
    manca();
}
double ControlloDelDialogo::HeightTw() const {
    manca();
}
void ControlloDelDialogo::MoveTw(double, double, double, double) {
    manca();
}
void ControlloDelDialogo::ImpostaBorderStyle(int) {
    manca();
}

namespace Mod_CopiaeStampa {

void AdattaControlli(const ControlliDelDialogo& controlli, bool tutti) {
    const int n = controlli.Count() - 1;
    const double tx = host().screen->twipsPerPixelX();
    const double ty = host().screen->twipsPerPixelY();
    const bool riscala = tx != 15.0 || ty != 15.0;
    if (riscala) {
        fattoreX_ = tx / 15.0;
        fattoreY_ = ty / 15.0;
    }
    // Remembered across statements like the routine's own variable: a control whose
    // Appearance cannot be read keeps the 0 the previous control left.
    int app = 0;
    for (int i = 0; i <= n; ++i) {
        ControlloDelDialogo* c = controlli.Item(i);
        if (!istruzione([&] { app = oggetto(c).Appearance(); }))
            return;
        if (tutti || (c && c->isLabel())) {
            if (riscala && !istruzione([&] {
                    ControlloDelDialogo& o = oggetto(c);
                    o.MoveTw(o.LeftTw() * fattoreX_, o.TopTw() * fattoreY_, o.WidthTw() * fattoreX_,
                             o.HeightTw() * fattoreY_);
                }))
                return;
            if (app == 1 && !istruzione([&] { oggetto(c).ImpostaBorderStyle(0); }))
                return;
        }
        app = 0;
    }
}

void ScriviFileIntero(const QString& percorso, const QByteArray& dati) {
    const std::optional<QString> h = host().paths->toHost(percorso);
    if (!h || h->isEmpty())
        throw ErroreVB(Errore::AccessoPercorso);
    // Every byte is written and synced before the new file takes the old one's place: a buffered
    // write that only fails when flushed must not rename an empty file over the notes.
    scriviFileSicuro(*h, dati);
}

void ScegliFile(DialogoComune& dialogo, QString& nome, const QString& filtro) {
    try {
        dialogo.FileName = EstraiNomeFileDaPathNameCompleto(nome);
        dialogo.Filter = filtro;
        dialogo.InitDir = EstraiPathDaNomeFileCompleto(nome);
        dialogo.CancelError = true;
        dialogo.setAction(DialogoComune::AzioneSalvaConNome);
        // Callers add ".rtf" or ".bmp" themselves, so the extension goes: the file name's last
        // dot, so that a dotted folder stays whole and a name that is all extension is kept.
        QString scelto = dialogo.FileName;
        const qsizetype barra = scelto.lastIndexOf(u'\\');
        const qsizetype punto = scelto.lastIndexOf(u'.');
        if (punto > barra && punto > barra + 1)
            scelto.truncate(punto);
        dialogo.FileName = scelto;
        nome = dialogo.FileName;
    } catch (const ErroreVB&) {
        // Cancel and chooser failures alike end the choice with nothing changed.
    }
}

QString EstraiNomeFileDaPathNameCompleto(const QString& s) {
    const qsizetype barra = s.lastIndexOf(u'\\');
    if (barra < 0)
        return {};
    return s.mid(barra + 1).trimmed();
}

QString EstraiPathDaNomeFileCompleto(const QString& s) {
    const QString nome = EstraiNomeFileDaPathNameCompleto(s);
    if (nome.isEmpty())
        return {};
    return s.left(s.size() - nome.size());
}

QString RigaDiCredito() {
    return QStringLiteral("Atlas anatomii człowieka HNemar – © Velto 2002");
}

} // namespace Mod_CopiaeStampa

} // namespace hn
