#include "AnticipoSfondo.h"

#include "FileSicuro.h"
#include "HostPaths.h"
#include "IdentitaFile.h"
#include "Immagine.h"
#include "IndiceSalvato.h"
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

// The drawing is kept in the user's cache folder too: made from a large rendition it takes tens
// of milliseconds of decoding and averaging (a hundred on a 4K monitor), read back a few. It is
// taken only for the very files it was made from, at the same size and filter, whole and with
// its checksum holding.
constexpr QByteArrayView MagiaDisegno("HNDISE01");
// The largest drawing kept: a monitor of 8K.
constexpr qint64 DisegnoMassimo = qint64(7680) * 4320 * 4;

QString tipoDisegno(QSize dispositivo, Filtro filtro) {
    return QStringLiteral("disegno-%1x%2-%3")
        .arg(dispositivo.width())
        .arg(dispositivo.height())
        .arg(int(filtro));
}

// What the drawing depends on: the picture, the renditions it was made from, the size and filter.
QByteArray testaDisegno(const Trovato& t, const QList<FileLetto>& letti, QSize dispositivo,
                        Filtro filtro) {
    indice::Scrittura w;
    w.u32(quint32(dispositivo.width()));
    w.u32(quint32(dispositivo.height()));
    w.u32(quint32(filtro));
    w.identita(t.file.identita);
    w.u32(quint32(letti.size()));
    for (qsizetype i = 0; i < letti.size(); ++i) {
        w.u32(quint32(t.fattori.value(i + 1)));
        w.identita(letti.at(i).identita);
    }
    return w.dati();
}

// The formats a drawing comes in: opaque, in four bytes or (large ones) three.
bool formatoDisegno(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_RGB888;
}

std::optional<QImage> disegnoSalvato(const QString& percorso, const QString& tipo,
                                     const QByteArray& testa, QSize dispositivo) {
    const std::optional<indice::IndiceSecchi> x =
        indice::IndiceSecchi::apri(percorso, tipo, MagiaDisegno, 1);
    if (!x || !x->intestazione().startsWith(testa))
        return std::nullopt;
    // After what the drawing depends on, its format and its rows' length.
    indice::Lettura l(x->intestazione().sliced(testa.size()));
    const auto formato = QImage::Format(l.u32());
    const qint64 riga = l.u32();
    const qint64 minima = qint64(dispositivo.width()) * (formato == QImage::Format_RGB888 ? 3 : 4);
    if (!l.ok() || l.resto() != 0 || !formatoDisegno(formato) || riga < minima ||
        riga > minima + 3 || riga % 4 != 0)
        return std::nullopt;
    const qint64 byte = riga * dispositivo.height();
    if (byte <= 0 || byte > DisegnoMassimo)
        return std::nullopt;
    std::optional<QByteArray> pixel = x->secchio(0, byte);
    if (!pixel || pixel->size() != byte)
        return std::nullopt;
    // The image is drawn from the bytes as read, not from a copy of them.
    auto* dati = new QByteArray(*std::move(pixel));
    QImage immagine(
        reinterpret_cast<uchar*>(dati->data()), dispositivo.width(), dispositivo.height(),
        qsizetype(riga), formato, [](void* d) { delete static_cast<QByteArray*>(d); }, dati);
    // A picture Qt refused never calls its clean-up.
    if (immagine.isNull()) {
        delete dati;
        return std::nullopt;
    }
    return immagine;
}

void salvaDisegno(const QString& percorso, const QString& tipo, const QByteArray& testa,
                  const QImage& immagine) {
    indice::Scrittura w;
    w.byte(testa);
    w.u32(quint32(immagine.format()));
    w.u32(quint32(immagine.bytesPerLine()));
    indice::salvaIndice(percorso, tipo, [testa = w.dati(), immagine] {
        return indice::IndiceSecchi::componi(
            MagiaDisegno, testa,
            {QByteArray::fromRawData(reinterpret_cast<const char*>(immagine.constBits()),
                                     qsizetype(immagine.sizeInBytes()))});
    });
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
    const QSize dispositivo = dispositivoPer(t.picture.size(), scala);
    const Filtro filtro = filtroDelProgramma();
    // Renditions that vanished meanwhile leave holes in the factors: then nothing is kept.
    const bool tutte = d.letti.size() == t.rendizioni.size();
    const QString tipo = tipoDisegno(dispositivo, filtro);
    const QByteArray testa = testaDisegno(t, d.letti, dispositivo, filtro);
    if (tutte)
        if (std::optional<QImage> salvato =
                disegnoSalvato(t.file.percorso, tipo, testa, dispositivo)) {
            d.immagine = *std::move(salvato);
            return d;
        }
    d.immagine =
        perIlDispositivo(t.picture, rendizioniDaiFile(file, t.picture.size()), dispositivo, filtro);
    // Kept only as made from files that stayed the same throughout, and in the formats the
    // cache holds (a picture with transparency is made again each time).
    bool stessi = tutte && identitaDi(t.file.percorso) == t.file.identita;
    for (const FileLetto& f : std::as_const(d.letti))
        stessi = stessi && identitaDi(f.percorso) == f.identita;
    if (stessi && formatoDisegno(d.immagine.format()) && d.immagine.size() == dispositivo)
        salvaDisegno(t.file.percorso, tipo, testa, d.immagine);
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
