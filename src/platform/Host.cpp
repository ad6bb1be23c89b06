#include "Host.h"

#include <QPainter>
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

int MsgBox(const QString& testo, int stile, const QString& titolo) {
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
