#pragma once

// A fixture atlas: the hotspot table, the text store, the plate store, the backgrounds and the
// body-system descriptions, written into a test installation.

#include "HostDiProva.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QString>

namespace hn::prova {

// One record of "hsmed.bin" as the authors' tools write it: every field raw, so a test can put
// anything in it. Fields are cut or padded with blanks to their width.
struct RigaHsmed {
    QByteArray tavola, codice, collegamento, x1, y1, x2, y2, testo, riserva;
};

RigaHsmed intestazione(const QByteArray& tavola, const QByteArray& testo, int x1 = 0, int y1 = 0,
                       int x2 = 0, int y2 = 0);
RigaHsmed hotspot(const QByteArray& tavola, const QByteArray& codice, int x1, int y1, int x2,
                  int y2, const QByteArray& collegamento = {});
QByteArray recordHsmed(const RigaHsmed& riga);
QByteArray tabellaHsmed(const QList<RigaHsmed>& righe);

// An RTF document holding one paragraph (Windows-1250, Polish letters escaped).
QByteArray rtfDiProva(const QString& testo);
// A caption as authors write them: the structure's name in bold, then its text.
QByteArray didascaliaDiProva(const QString& nome, const QString& testo);

class AtlanteDiProva {
public:
    // Points the configuration record at the installation's folders (as start-up would).
    explicit AtlanteDiProva(HostDiProva& host);

    // Writes every file; call again after a change.
    void scrivi();
    // Only the hotspot table.
    void scriviTabella();

    QList<RigaHsmed> righe;
    QMap<QString, QByteArray> testi;    // "hsmed.dat": entry name → bytes
    QMap<QString, QByteArray> tavole;   // "BlobCorp.dat": entry name → bytes
    QMap<QString, QString> descrizioni; // "DesAppa.bin": code → description
    // Backgrounds of 1024 × 768 in these colours; an invalid colour writes no file.
    QColor sistemi = QColor(20, 40, 90);
    QColor schelet = QColor(200, 200, 190);

    static inline const QString Dati = QStringLiteral("D:\\DATI\\");
    static inline const QString Sfondi = QStringLiteral("D:\\SFONDI\\");
    static inline const QString Temp = QStringLiteral("C:\\VELTO\\");

private:
    HostDiProva& host_;
};

} // namespace hn::prova
