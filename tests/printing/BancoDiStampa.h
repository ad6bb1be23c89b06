#pragma once

// A test installation whose printer writes numbered PDFs into a folder of the test.

#include "HostDiProva.h"
#include "Installazione.h"
#include "ServiziReali.h"

#include <QDir>

namespace hn::prova {

struct BancoDiStampa {
    HostDiProva h;
    Installazione inst{h};
    QString cartella = h.cartella.path() + QStringLiteral("/wydruki");
    QtPrinter stampante{DestinazioneStampa{DestinazioneStampa::PdfInCartella, cartella, {}}};

    BancoDiStampa() { host().printer = &stampante; }
    // The documents printed so far, in their order.
    QStringList pdf() const {
        QStringList out;
        for (const QString& n :
             QDir(cartella).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
            out << cartella + u'/' + n;
        return out;
    }
};

} // namespace hn::prova
