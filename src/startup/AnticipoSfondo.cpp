#include "AnticipoSfondo.h"

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
    Fatta fatta;
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
    t.picture = leggiImmagine(*file, qint64(256) * 1024 * 1024);
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
constexpr QByteArrayView MagiaDisegno("HNDISE02");
// The largest drawing kept: a monitor of 8K.
constexpr qint64 DisegnoMassimo = qint64(7680) * 4320 * 4;
// It is kept in bands of rows, each with its checksum, and a paint reads only the bands it
// covers: at 3840 x 2160 a band is half a megabyte, where the whole drawing would be 19.
constexpr int RigheBanda = 64;

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

// A kept drawing's bands, read from the very file that was opened whenever a paint needs them,
// and each refused when its checksum fails. A damaged file is removed then: the paint makes the
// drawing itself, and the next start saves a sound one.
class BandeSalvate final : public Bande {
public:
    BandeSalvate(indice::IndiceSecchi x, QSize misura, QImage::Format formato, qsizetype riga)
        : Bande(misura, RigheBanda)
        , x_(std::move(x))
        , formato_(formato)
        , riga_(riga) {}

    QImage banda(int i) const override {
        if (i < 0 || i >= numero())
            return {};
        const int righe = std::min(RigheBanda, misura().height() - i * RigheBanda);
        const qint64 byte = qint64(riga_) * righe;
        std::optional<QByteArray> pixel = x_.secchio(quint32(i), byte);
        if (!pixel || pixel->size() != byte) {
            x_.scarta();
            return {};
        }
        // The image is drawn from the bytes as read, not from a copy of them.
        auto* dati = new QByteArray(*std::move(pixel));
        QImage immagine(
            reinterpret_cast<uchar*>(dati->data()), misura().width(), righe, riga_, formato_,
            [](void* d) { delete static_cast<QByteArray*>(d); }, dati);
        // A picture Qt refused never calls its clean-up.
        if (immagine.isNull())
            delete dati;
        return immagine;
    }

private:
    indice::IndiceSecchi x_;
    QImage::Format formato_;
    qsizetype riga_;
};

// The kept drawing's bands, when the head says they are of these files, size and filter, in a
// format and row length a drawing has. Their pixels are checked as they are painted.
std::shared_ptr<const Bande> disegnoSalvato(const QString& percorso, const QString& tipo,
                                            const QByteArray& testa, QSize dispositivo) {
    const qint64 bande = (qint64(dispositivo.height()) + RigheBanda - 1) / RigheBanda;
    std::optional<indice::IndiceSecchi> x =
        indice::IndiceSecchi::apri(percorso, tipo, MagiaDisegno, quint32(bande));
    if (!x || x->numeroSecchi() != bande || !x->intestazione().startsWith(testa))
        return nullptr;
    // After what the drawing depends on, its format, its rows' length and rows per band.
    indice::Lettura l(x->intestazione().sliced(testa.size()));
    const auto formato = QImage::Format(l.u32());
    const qint64 riga = l.u32();
    const quint32 righe = l.u32();
    const qint64 minima = qint64(dispositivo.width()) * (formato == QImage::Format_RGB888 ? 3 : 4);
    if (!l.ok() || l.resto() != 0 || righe != RigheBanda || !formatoDisegno(formato) ||
        riga < minima || riga > minima + 3 || riga % 4 != 0 ||
        riga * dispositivo.height() > DisegnoMassimo)
        return nullptr;
    return std::make_shared<BandeSalvate>(*std::move(x), dispositivo, formato, qsizetype(riga));
}

void salvaDisegno(const QString& percorso, const QString& tipo, const QByteArray& testa,
                  const QImage& immagine) {
    indice::Scrittura w;
    w.byte(testa);
    w.u32(quint32(immagine.format()));
    w.u32(quint32(immagine.bytesPerLine()));
    w.u32(RigheBanda);
    indice::salvaIndice(percorso, tipo, [testa = w.dati(), immagine] {
        QList<QByteArray> bande;
        for (int y = 0; y < immagine.height(); y += RigheBanda) {
            const int righe = std::min(RigheBanda, immagine.height() - y);
            bande.append(
                QByteArray::fromRawData(reinterpret_cast<const char*>(immagine.constScanLine(y)),
                                        qsizetype(immagine.bytesPerLine()) * righe));
        }
        return indice::IndiceSecchi::componiAPezzi(MagiaDisegno, testa, bande);
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
        if (std::shared_ptr<const Bande> salvato =
                disegnoSalvato(t.file.percorso, tipo, testa, dispositivo)) {
            d.fatta = std::move(salvato);
            return d;
        }
    const QImage immagine =
        perIlDispositivo(t.picture, rendizioniDaiFile(file, t.picture.size()), dispositivo, filtro);
    d.fatta = immagine;
    // Kept only as made from files that stayed the same throughout, and in the formats the
    // cache holds (a picture with transparency is made again each time).
    bool stessi = tutte && identitaDi(t.file.percorso) == t.file.identita;
    for (const FileLetto& f : std::as_const(d.letti))
        stessi = stessi && identitaDi(f.percorso) == f.identita;
    if (stessi && formatoDisegno(immagine.format()) && immagine.size() == dispositivo)
        salvaDisegno(t.file.percorso, tipo, testa, immagine);
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
                    return Fatta();
            return d.fatta;
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
