#pragma once

#include <QString>
#include <QtGlobal>

// The start-up procedure and the configuration record it fills from the INI files.
namespace hn::Fileini {

// Filled once by AvvioModulo; folder values end in a backslash unless noted.
struct Configurazione {
    QString PathApp;     // the program's folder
    QString DirApp;      // the same, without a trailing backslash
    QString PathWindows; // the Windows folder; the INI readers leave it without the backslash
    QString IniModulo;   // the module INI file named by KORMM.INI
    QString ExeVeltoLab;
    QString PathCd;   // the disc with "VeltoMM.txt"
    QString PathTemp; // folder of the host encyclopedia program; extracted files land here
    QString PathFoto; // image stores
    QString PathDati; // data files: the same folder as PathFoto
    QString PathVideo;
    QString PathAudio;
    QString PathAnimazioni;
    QString PathTabelle;
    QString PathSfondi; // backgrounds and their store
    QString PathSfondiCredits;
    qint32 VolumeMci = 0;
    qint32 Volume = 0;
    QString UltimoLemma;
    QString FilePerCopia; // copy file, without its ".rtf"
    qint16 Tema = 0;
    qint16 History = 0;
    qint16 Sigla = 0;
    QString PercorsoFileScaricati;
    QString AnniMesi;
};

extern Configurazione cfg;

// Fills the configuration record; ends the program when a required key is missing or the user
// gives up waiting for the second disc.
void AvvioModulo();

// Reads a key of the module INI file into a text or an integer; upper-cases section and key.
bool LeggiIniModulo(QString& valore, QString& sezione, QString& chiave);
bool LeggiIniModulo(qint16& valore, QString& sezione, QString& chiave);
bool LeggiIniModulo(qint32& valore, QString& sezione, QString& chiave);

// The same for "KORMM.INI" in the Windows folder, without the folder rules.
bool LeggiIniComune(QString& valore, const QString& sezione, const QString& chiave);

// The Windows folder, without a trailing backslash; returns its length.
qint16 CartellaWindows(QString& cartella, int lunghezzaMassima = 255);

// value × 655.35 rounded to the nearest integer, ties to even, computed exactly.
qint64 volumeMci(qint64 volume);

// The leading number of a text as the INI reader converts it (0 when there is none).
double valoreIniziale(const QString& testo);

// The first field of a disc marker: up to the first comma or the end of the line, unquoted.
QString primoCampo(const QByteArray& contenuto);

} // namespace hn::Fileini
