#include "Host.h"

#include <QPainter>
#include <cstdio>
#include <cstdlib>

namespace hn {

namespace {
Host corrente;
}

Host& host() {
    return corrente;
}
void setHost(const Host& h) {
    corrente = h;
}

QString titoloApplicazione() {
    return QStringLiteral("HNemar");
}

QList<int> pulsantiDelloStile(int stile) {
    using namespace Risposta;
    switch (stile & 0xF) {
    case Stile::OKAnnulla:
        return {OK, Annulla};
    case Stile::InterrompiRiprovaIgnora:
        return {Interrompi, Riprova, Ignora};
    case Stile::SiNoAnnulla:
        return {Si, No, Annulla};
    case Stile::SiNo:
        return {Si, No};
    case Stile::RiprovaAnnulla:
        return {Riprova, Annulla};
    default:
        return {OK};
    }
}

int rispostaDiChiusura(int stile) {
    const QList<int> pulsanti = pulsantiDelloStile(stile);
    if (pulsanti.contains(Risposta::Annulla))
        return Risposta::Annulla;
    return pulsanti.size() == 1 ? pulsanti.front() : 0;
}

int MsgBox(const QString& testo, int stile, const QString& titolo) {
    // Before a host is installed (or in a tool without one) the text still reaches someone.
    if (!host().messageBox) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(testo));
        return pulsantiDelloStile(stile).front();
    }
    return host().messageBox->show(testo, stile, titolo);
}

void TerminaProgramma(int codice) {
    if (host().programEnd)
        host().programEnd->endNow(codice);
    std::_Exit(codice);
}

void DoEvents() {
    if (host().screen)
        host().screen->doEvents();
}

void ImpostaPuntatoreSchermo(int puntatore) {
    if (host().screen)
        host().screen->setMousePointer(puntatore);
}

QPoint sulDesktop(QPoint suSchermo) {
    return host().screen ? suSchermo + host().screen->origine() : suSchermo;
}

QPoint dalDesktop(QPoint sulDesktop) {
    return host().screen ? sulDesktop - host().screen->origine() : sulDesktop;
}

void preparaPittore(QPainter& pittore) {
    pittore.setRenderHint(QPainter::SmoothPixmapTransform,
                          host().screen && host().screen->scalaLiscia());
}

} // namespace hn
