#include "AnticipoSfondo.h"

#include "FileSicuro.h"
#include "HostPaths.h"
#include "IdentitaFile.h"
#include "Immagine.h"
#include "Profilo.h"
#include "Rendizioni.h"

#include <QFileInfo>
#include <cmath>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

namespace hn::anticipo {

namespace {

struct FileLetto {
    QString percorso;
    IdentitaFile identita;
};

// What the thread found before it needs the screen.
struct Trovato {
    FileLetto file;
    QImage picture;
    QList<int> fattori;
    QList<QString> rendizioni; // host paths, by the factors after the first
};

struct Disegno {
    QImage immagine;
    QList<FileLetto> letti; // the renditions it was made from
};

// How long the thread waits to be told the screen's scale before it gives up the drawing.
constexpr std::chrono::seconds AttesaScala{3};

struct Stato {
    std::mutex m;
    std::condition_variable cv;
    std::thread filo;
    bool avviato = false;
    bool preso = false;
    bool fine = false;
    std::optional<double> scala;
    std::promise<std::optional<Trovato>> promessaTrovato;
    std::shared_future<std::optional<Trovato>> trovato;
    std::promise<Disegno> promessaDisegno;
    std::shared_future<Disegno> disegno;
};

// Never destroyed: the program's end joins the thread first (ferma), and nothing may tear this
// down under a thread still running.
Stato& stato() {
    static auto* s = new Stato;
    return *s;
}

QSize dispositivoPer(QSize picture, double scala) {
    return QSize(int(std::lround(picture.width() * scala)),
                 int(std::lround(picture.height() * scala)));
}

// A key of an INI file's bytes, as GetPrivateProfileString gives it: empty when missing.
QString chiave(const QString& file, const char16_t* sezione, const char16_t* nome) {
    if (file.isEmpty())
        return {};
    QString valore;
    const int n = leggiProfiloPrivato(leggiFileIni(file), QString::fromUtf16(sezione),
                                      QString::fromUtf16(nome), QString(), valore, 255);
    return valore.first(n).trimmed();
}

std::optional<Trovato> trova(const QString& prefisso) {
    const HostPaths percorsi(prefisso);
    const QString kormm = percorsi.toHost(percorsi.windowsFolder() + QStringLiteral("\\KORMM.INI"))
                              .value_or(QString());
    const QString modulo = chiave(kormm, u"VELTO01G", u"PATH");
    if (modulo.isEmpty())
        return std::nullopt;
    const QString sfondi =
        chiave(percorsi.toHost(modulo).value_or(QString()), u"DIRECTORY2", u"SFONDI");
    if (sfondi.isEmpty())
        return std::nullopt;
    // As the start-up makes PathSfondi (a backslash added when missing) and the home screen
    // names its picture.
    const QString windows = sfondi + (sfondi.endsWith(u'\\') ? QString() : QStringLiteral("\\")) +
                            QStringLiteral("sistemi.bmp");
    const std::optional<QString> file = percorsi.toHost(windows);
    if (!file)
        return std::nullopt;
    const std::optional<IdentitaFile> prima = identitaDi(*file);
    if (!prima)
        return std::nullopt;
    Trovato t;
    t.file = {*file, *prima};
    t.picture = decodificaImmagine(leggiFileRegolare(*file, qint64(256) * 1024 * 1024));
    if (t.picture.isNull() || identitaDi(*file) != prima)
        return std::nullopt;
    t.fattori.append(1);
    for (int f : FattoriCercati) {
        const std::optional<QString> r = percorsi.toHost(nomeRendizione(windows, f));
        if (r && QFileInfo(*r).isFile()) {
            t.fattori.append(f);
            t.rendizioni.append(*r);
        }
    }
    return t;
}

// The drawing as the control would make it, from the same files through the same loader; the
// renditions' identities are taken before they are read, so a change since can be told.
Disegno disegna(const Trovato& t, double scala) {
    Disegno d;
    QList<std::pair<int, QString>> file;
    for (qsizetype i = 0; i < t.rendizioni.size(); ++i) {
        const QString& percorso = t.rendizioni.at(i);
        const std::optional<IdentitaFile> prima = identitaDi(percorso);
        if (!prima)
            continue;
        d.letti.append({percorso, *prima});
        file.append({t.fattori.at(i + 1), percorso});
    }
    d.immagine = perIlDispositivo(t.picture, rendizioniDaiFile(file, t.picture.size()),
                                  dispositivoPer(t.picture.size(), scala), filtroDelProgramma());
    return d;
}

void lavora(const QString& prefisso) {
    Stato& s = stato();
    std::optional<Trovato> t;
    try {
        t = trova(prefisso);
    } catch (...) {
        t.reset();
    }
    s.promessaTrovato.set_value(t);

    Disegno d;
    if (t && t->fattori.size() > 1) {
        std::unique_lock blocco(s.m);
        s.cv.wait_for(blocco, AttesaScala, [&s] { return s.fine || s.scala.has_value(); });
        const double scala = s.scala.value_or(0);
        blocco.unlock();
        if (scala > 1) {
            try {
                d = disegna(*t, scala);
            } catch (...) {
                d = {};
            }
        }
    }
    s.promessaDisegno.set_value(std::move(d));
}

} // namespace

void avvia(const QString& prefisso) {
    Stato& s = stato();
    const std::lock_guard blocco(s.m);
    if (s.avviato && !s.fine)
        return;
    // A run stopped before starts afresh (tests start one per case).
    if (s.filo.joinable())
        s.filo.join();
    s.promessaTrovato = {};
    s.promessaDisegno = {};
    s.scala.reset();
    s.preso = false;
    s.fine = false;
    s.avviato = true;
    s.trovato = s.promessaTrovato.get_future().share();
    s.disegno = s.promessaDisegno.get_future().share();
    s.filo = std::thread(lavora, prefisso);
}

void impostaScala(double fattore) {
    Stato& s = stato();
    {
        const std::lock_guard blocco(s.m);
        if (!s.scala)
            s.scala = fattore;
    }
    s.cv.notify_all();
}

std::optional<Sfondo> prendi(const QString& percorsoHost) {
    Stato& s = stato();
    std::optional<double> scala;
    std::shared_future<std::optional<Trovato>> trovato;
    std::shared_future<Disegno> disegno;
    {
        const std::lock_guard blocco(s.m);
        if (!s.avviato || s.preso)
            return std::nullopt;
        s.preso = true;
        scala = s.scala;
        // Held from here on only by what is given: the pictures go when the control lets go.
        trovato = std::exchange(s.trovato, {});
        disegno = std::exchange(s.disegno, {});
    }
    const std::optional<Trovato>& t = trovato.get();
    if (!t || t->file.percorso != percorsoHost || identitaDi(percorsoHost) != t->file.identita)
        return std::nullopt;
    Sfondo sfondo;
    sfondo.picture = t->picture;
    sfondo.fattori = t->fattori;
    sfondo.filtro = filtroDelProgramma();
    if (scala && *scala > 1 && t->fattori.size() > 1) {
        sfondo.dispositivo = dispositivoPer(t->picture.size(), *scala);
        sfondo.disegno = [futuro = std::move(disegno)] {
            const Disegno& d = futuro.get();
            for (const FileLetto& f : d.letti)
                if (identitaDi(f.percorso) != f.identita)
                    return QImage();
            return d.immagine;
        };
    }
    return sfondo;
}

void ferma() {
    Stato& s = stato();
    {
        const std::lock_guard blocco(s.m);
        s.fine = true;
    }
    s.cv.notify_all();
    if (s.filo.joinable())
        s.filo.join();
}

} // namespace hn::anticipo
