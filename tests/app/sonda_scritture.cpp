// Writes, over and over, what a user's session writes: a printed PDF, the copy file and the
// self-test scores, through the program's own code. test_uccisione kills it at random moments.
//   sonda_scritture stampa FOLDER | copia FOLDER | punteggi
// Says "pronto" on stdout once the first file is whole.

#include "FileSicuro.h"
#include "HostPaths.h"
#include "Mod_CopiaeStampa.h"
#include "Punteggi.h"
#include "ServiziReali.h"

#include <QApplication>
#include <QPainter>
#include <cstdio>
#include <cstring>

using namespace hn;

namespace {

void pronto(bool& detto) {
    if (!detto) {
        std::puts("pronto");
        std::fflush(stdout);
        detto = true;
    }
}

// Enough pages that the writer is often caught half way.
void stampa(const QString& cartella) {
    bool detto = false;
    for (;;) {
        QtPrinter p(DestinazioneStampa{DestinazioneStampa::PdfInCartella, cartella, {}});
        p.startDocument(QStringLiteral("Kość udowa"));
        for (int pagina = 0; pagina < 20; ++pagina) {
            if (pagina > 0)
                p.newPage();
            for (int riga = 0; riga < 60; ++riga)
                p.painter()->drawText(200, 200 + riga * 150,
                                      QStringLiteral("Strona %1, wiersz %2: głowa kości udowej")
                                          .arg(pagina)
                                          .arg(riga));
        }
        p.endDocument();
        pronto(detto);
    }
}

// Each copy a whole RTF that names its round, larger every time.
void copia(const QString& cartella) {
    HostPaths percorsi(cartella);
    host().paths = &percorsi;
    bool detto = false;
    QByteArray testo;
    for (int giro = 1;; ++giro) {
        testo += QByteArray(64 * 1024, 'x') + '\n';
        Mod_CopiaeStampa::ScriviFileIntero(QStringLiteral("C:\\notatki.rtf"),
                                           "{\\rtf1 " + QByteArray::number(giro) + ' ' + testo +
                                               "}");
        pronto(detto);
    }
}

void salvaPunteggi() {
    bool detto = false;
    for (int giro = 1;; ++giro) {
        // A new best every round: one more question, all right.
        punteggi::registra(punteggi::chiaveTavola(QStringLiteral("T%1").arg(giro % 500)),
                           {giro, giro});
        pronto(detto);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    QApplication app(argc, argv);
    const QString cartella = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (!std::strcmp(argv[1], "stampa"))
        stampa(cartella);
    else if (!std::strcmp(argv[1], "copia"))
        copia(cartella);
    else if (!std::strcmp(argv[1], "punteggi"))
        salvaPunteggi();
    return 2;
}
