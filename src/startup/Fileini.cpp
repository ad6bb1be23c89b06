#include "Fileini.h"

#include "Cp1250.h"
#include "ErroreVB.h"
#include "FileSicuro.h"
#include "Host.h"
#include "HostPaths.h"
#include "Messaggi.h"
#include "Percorsi.h"
#include "Profilo.h"
#include "ValoreNumerico.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace hn::Fileini {

using namespace Mod_Comuni;

Configurazione cfg;

namespace {

constexpr int DimensioneBuffer = 255;

// Why the program could not start, told to the user and on stderr before it ends.
[[noreturn]] void terminaAvvio(const QString& spiegazione) {
    std::fprintf(
        stderr, "hnemar: %s\n",
        qUtf8Printable(QString(spiegazione).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
    MsgBox(spiegazione, Stile::OK | Stile::Critico);
    TerminaProgramma(1);
}

// A Windows path with the host file it stands for, so the user knows where to look.
QString conPercorsoHost(const QString& windowsPath) {
    const std::optional<QString> h = host().paths->toHost(windowsPath);
    return h ? QStringLiteral("%1 (%2)").arg(windowsPath, *h) : windowsPath;
}

[[noreturn]] void mancaChiave(const QString& sezione, const QString& chiave,
                              const QString& descrizione) {
    terminaAvvio(QStringLiteral("Nie można uruchomić programu: w pliku konfiguracyjnym %1 brakuje "
                                "ustawienia [%2] %3 („%4”).")
                     .arg(conPercorsoHost(cfg.IniModulo), sezione, chiave, descrizione));
}

// One raw read: the count of characters copied, the text in `testo`.
int leggiGrezzo(const QString& file, const QString& sezione, const QString& chiave,
                QString& testo) {
    return GetPrivateProfileString(sezione, chiave, QString(), testo, DimensioneBuffer, file);
}

template <typename Intero> bool convertiIntero(const QString& testo, Intero& valore) {
    const double v = std::nearbyint(valoreIniziale(testo.trimmed()));
    // A value the target cannot hold (History=99999) is treated as missing: the default applies.
    if (!std::isfinite(v) || v < double(std::numeric_limits<Intero>::min()) ||
        v > double(std::numeric_limits<Intero>::max()))
        return false;
    valore = static_cast<Intero>(v);
    return true;
}

QString fileIniModulo() {
    CartellaWindows(cfg.PathWindows);
    if (!EsisteFile(cfg.IniModulo))
        throw ErroreVB(Errore::FileNonTrovato);
    // A file we may not read would otherwise look like one whose keys are all missing. Read
    // through the INI files' cache, which the key's own read then takes: one open per change
    // of the file, not one check and one read per key.
    try {
        leggiFileIni(host().paths->toHost(cfg.IniModulo).value_or(QString()));
    } catch (const ErroreVB&) {
        throw ErroreVB(Errore::PermessoNegato);
    }
    return cfg.IniModulo;
}

// The module reader's common part: upper-cases section and key in the caller's variables and
// returns the characters read (empty when the key is missing or empty).
QString leggiDalModulo(QString& sezione, QString& chiave) {
    sezione = sezione.toUpper();
    chiave = chiave.toUpper();
    QString testo;
    const int n = leggiGrezzo(fileIniModulo(), sezione, chiave, testo);
    return testo.first(n);
}

template <typename Intero>
bool leggiInteroModulo(Intero& valore, QString& sezione, QString& chiave) {
    const QString letto = leggiDalModulo(sezione, chiave);
    return !letto.isEmpty() && convertiIntero(letto, valore);
}

} // namespace

qint16 CartellaWindows(QString& cartella, int lunghezzaMassima) {
    Q_UNUSED(lunghezzaMassima);
    cartella = host().paths->windowsFolder();
    while (cartella.endsWith(u'\\'))
        cartella.chop(1);
    return static_cast<qint16>(cartella.size());
}

qint64 volumeMci(qint64 volume) {
    // volume × 65535 / 100, rounded half to even on the exact quotient.
    const qint64 numeratore = volume * 65535;
    qint64 q = numeratore / 100;
    qint64 r = numeratore % 100;
    if (r < 0) {
        r += 100;
        --q;
    }
    if (r > 50 || (r == 50 && (q % 2 != 0)))
        ++q;
    return q;
}

double valoreIniziale(const QString& testo) {
    return hn::valoreIniziale(testo);
}

QString primoCampo(const QByteArray& contenuto) {
    qsizetype fine = contenuto.indexOf('\n');
    QByteArray riga = fine < 0 ? contenuto : contenuto.first(fine);
    if (riga.endsWith('\r'))
        riga.chop(1);
    QString t = decodeCp1250(riga).trimmed();
    if (t.startsWith(u'"')) {
        const qsizetype chiusa = t.indexOf(u'"', 1);
        return chiusa < 0 ? t.mid(1) : t.mid(1, chiusa - 1);
    }
    const qsizetype virgola = t.indexOf(u',');
    return (virgola < 0 ? t : t.first(virgola)).trimmed();
}

bool LeggiIniComune(QString& valore, const QString& sezione, const QString& chiave) {
    const qint16 m = CartellaWindows(cfg.PathWindows);
    const QString file = cfg.PathWindows.first(m) + QStringLiteral("\\KORMM.INI");
    QString testo;
    const int n = leggiGrezzo(file, sezione, chiave, testo);
    if (n == 0)
        return false;
    valore = testo.first(n).trimmed();
    return true;
}

bool LeggiIniModulo(qint16& valore, QString& sezione, QString& chiave) {
    return leggiInteroModulo(valore, sezione, chiave);
}

bool LeggiIniModulo(qint32& valore, QString& sezione, QString& chiave) {
    return leggiInteroModulo(valore, sezione, chiave);
}

bool LeggiIniModulo(QString& valore, QString& sezione, QString& chiave) {
    const QString primi = leggiDalModulo(sezione, chiave);
    const qsizetype n = primi.size();
    if (n == 0)
        return false;
    if (sezione != QStringLiteral("OPZIONI")) {
        valore = AggiungiSlash(primi);
        return true;
    }
    if (chiave == QStringLiteral("FILEPERCOPIA")) {
        QString nome = primi.trimmed();
        if (!nome.contains(QStringLiteral(".rtf")))
            nome += QStringLiteral(".rtf");
        if (!EsisteFile(nome))
            return false;
        valore = nome.first(qMin<qsizetype>(n, nome.size()));
        return true;
    }
    valore = primi.trimmed();
    return true;
}

namespace {

// Reads a required folder value; the program ends when it is missing.
void leggiObbligatoria(QString& valore, const QString& sezione, const QString& chiave,
                       const QString& descrizione) {
    QString s = sezione, k = chiave;
    if (!LeggiIniModulo(valore, s, k))
        mancaChiave(sezione, chiave, descrizione);
}

template <typename T, typename D>
void leggiFacoltativa(T& valore, const QString& sezione, const QString& chiave,
                      const D& predefinito) {
    QString s = sezione, k = chiave;
    if (!LeggiIniModulo(valore, s, k))
        valore = predefinito;
}

// Waits for the second disc: its marker names "disco 2". Cancel ends the program.
void controllaDisco() {
    for (;;) {
        const QString marcatore = cfg.PathCd + QStringLiteral("VeltoMM.txt");
        if (EsisteFile(marcatore)) {
            // Only its first line counts: a larger marker is read no further.
            QByteArray inizio;
            try {
                inizio = leggiFileRegolare(host().paths->toHost(marcatore).value_or(QString()),
                                           qint64(1) << 20);
            } catch (const ErroreVB&) {
            }
            if (primoCampo(inizio.left(4096)).toLower() == QStringLiteral("disco 2"))
                return;
        }
        // The message asks for the disc; what exactly is looked for, and where, is ours to add.
        const QString testo =
            TestoDaMostrare(486).trimmed() +
            QStringLiteral("\r\n\r\nOczekiwany plik: VeltoMM.txt, którego pierwsze pole to "
                           "„disco 2”, w folderze %1.")
                .arg(conPercorsoHost(cfg.PathCd));
        if (MsgBox(testo, Stile::RiprovaAnnulla | Stile::Critico) != Risposta::Riprova)
            TerminaProgramma(0);
    }
}

void leggiImpostazioniModulo();

} // namespace

void AvvioModulo() {
    ImpostaPuntatoreSchermo(Puntatore::Clessidra);
    const QString cartellaProgramma = host().paths->programFolder();
    cfg.PathApp = cartellaProgramma + u'\\';
    CartellaWindows(cfg.PathWindows);
    if (!cfg.PathWindows.endsWith(u'\\'))
        cfg.PathWindows += u'\\';
    if (const auto log = host().paths->toHost(cfg.PathWindows + QStringLiteral("Atx4herr.log")))
        rimuoviFile(*log);
    cfg.DirApp = cartellaProgramma;

    const QString kormm = cfg.PathWindows + QStringLiteral("KORMM.INI");
    if (!LeggiIniComune(cfg.IniModulo, QStringLiteral("VELTO01G"), QStringLiteral("PATH"))) {
        // Messages 484 and 485 explain it; the file and key are named in case they are empty.
        const QString testo =
            (LeggiMessaggio(484).trimmed() + u' ' + LeggiMessaggio(485).trimmed()).trimmed();
        const QString dlaczego =
            EsisteFile(kormm)
                ? QStringLiteral("plik %1 nie wskazuje pliku konfiguracyjnego modułu ([VELTO01G] "
                                 "PATH; „VELTOMMG, voce Path”).")
                : QStringLiteral("nie znaleziono pliku %1, który wskazuje plik konfiguracyjny "
                                 "modułu ([VELTO01G] PATH; „VELTOMMG, voce Path”).");
        terminaAvvio((testo + QStringLiteral("\r\n\r\nNie można uruchomić programu: ") +
                      dlaczego.arg(conPercorsoHost(kormm)))
                         .trimmed());
    }

    // The module INI file can only be missing at the first read; should it vanish later the
    // start-up ends the same way rather than half-filled.
    try {
        leggiImpostazioniModulo();
    } catch (const ErroreVB& e) {
        if (e.numero() == Errore::FileNonTrovato)
            terminaAvvio(QStringLiteral(
                             "Nie można uruchomić programu: nie znaleziono pliku konfiguracyjnego "
                             "modułu %1 („veltoMM.ini”), wskazanego w %2.")
                             .arg(conPercorsoHost(cfg.IniModulo), kormm));
        terminaAvvio(QStringLiteral("Nie można uruchomić programu: nie można odczytać pliku "
                                    "konfiguracyjnego modułu %1 („veltoMM.ini”): %2.")
                         .arg(conPercorsoHost(cfg.IniModulo), e.descrizione()));
    }
    // What a killed run left half written beside the scratch files and the copy file.
    for (const QString& cartella : {cfg.PathTemp, EstraiPathnameDaFile(cfg.FilePerCopia)})
        if (const std::optional<QString> h = host().paths->toHost(cartella))
            pulisciAvanzi(*h);

    DoEvents();
    ImpostaPuntatoreSchermo(Puntatore::Predefinito);
}

namespace {

void leggiImpostazioniModulo() {
    leggiFacoltativa(cfg.ExeVeltoLab, QStringLiteral("GENERAL"), QStringLiteral("ExeVeltoLab"),
                     QString());
    leggiObbligatoria(cfg.PathCd, QStringLiteral("Directory2"), QStringLiteral("PathCd"),
                      QStringLiteral("GENERAL, voce PathCd"));
    controllaDisco();

    QString exeVelto;
    leggiObbligatoria(exeVelto, QStringLiteral("GENERAL"), QStringLiteral("ExeVelto"),
                      QStringLiteral("Sciezka, haslo ExeVelto"));
    {
        QString grezzo;
        const int n = leggiGrezzo(cfg.IniModulo, QStringLiteral("GENERAL"),
                                  QStringLiteral("EXEVELTO"), grezzo);
        cfg.PathTemp = EstraiPathnameDaFile(grezzo.first(n).trimmed());
        if (!cfg.PathTemp.endsWith(u'\\'))
            cfg.PathTemp += u'\\';
    }

    struct Cartella {
        QString* valore;
        const char16_t* chiave;
    };
    const Cartella cartelle[] = {
        {&cfg.PathFoto, u"Foto"},
        {&cfg.PathVideo, u"Video"},
        {&cfg.PathAudio, u"Audio"},
        {&cfg.PathAnimazioni, u"Animazioni"},
        {&cfg.PathTabelle, u"Tabelle"},
        {&cfg.PathSfondi, u"Sfondi"},
        {&cfg.PathSfondiCredits, u"SfondiCredits"},
    };
    for (const Cartella& c : cartelle) {
        const QString chiave = QString::fromUtf16(c.chiave);
        leggiObbligatoria(*c.valore, QStringLiteral("Directory2"), chiave,
                          QStringLiteral("Sciezka, haslo ") + chiave);
        if (c.valore == &cfg.PathFoto)
            cfg.PathDati = cfg.PathFoto;
    }

    qint32 volume = 0;
    {
        QString s = QStringLiteral("Opzioni"), k = QStringLiteral("Volume");
        const bool letto = LeggiIniModulo(volume, s, k);
        const qint64 mci = volumeMci(letto ? volume : 50);
        cfg.VolumeMci =
            (mci >= std::numeric_limits<qint32>::min() && mci <= std::numeric_limits<qint32>::max())
                ? static_cast<qint32>(mci)
                : static_cast<qint32>(volumeMci(50));
    }
    leggiFacoltativa(cfg.Volume, QStringLiteral("Opzioni"), QStringLiteral("Volume"), qint32(50));
    leggiFacoltativa(cfg.UltimoLemma, QStringLiteral("Opzioni"), QStringLiteral("UltimoLemma"),
                     QStringLiteral("Dizionario"));
    {
        // The default costs a read of the message file: only when it is needed.
        QString s = QStringLiteral("Opzioni"), k = QStringLiteral("FilePerCopia");
        if (!LeggiIniModulo(cfg.FilePerCopia, s, k))
            cfg.FilePerCopia = cfg.PathApp + LeggiMessaggio(487);
    }
    leggiFacoltativa(cfg.Tema, QStringLiteral("Opzioni"), QStringLiteral("Tema"), qint16(-1));
    leggiFacoltativa(cfg.History, QStringLiteral("Opzioni"), QStringLiteral("History"), qint16(10));
    leggiFacoltativa(cfg.Sigla, QStringLiteral("Opzioni"), QStringLiteral("Sigla"), qint16(-1));
    leggiFacoltativa(cfg.PercorsoFileScaricati, QStringLiteral("OnLine"),
                     QStringLiteral("PercorsoFileScaricati"),
                     cfg.PathApp + QStringLiteral("OnLine"));
    {
        QString s = QStringLiteral("OnLine"), k = QStringLiteral("AnniMesi");
        LeggiIniModulo(cfg.AnniMesi, s, k);
    }
}

} // namespace

} // namespace hn::Fileini
