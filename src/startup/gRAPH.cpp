#include "gRAPH.h"

#include "Controlli.h"
#include "Host.h"

#include <cmath>

namespace hn::gRAPH {

qint32 LarghezzaSchermo = 0;
qint32 AltezzaSchermo = 0;

namespace {
int larghezzaPixel() {
    return host().screen->widthPixels();
}
int altezzaPixel() {
    return host().screen->heightPixels();
}
qint32 altezzaTwips() {
    return static_cast<qint32>(std::lround(altezzaPixel() * twipsPerPixelY()));
}
} // namespace

QString RisoluzioneSchermo(float& larghezza, float& altezza) {
    const int w = larghezzaPixel();
    const int h = altezzaPixel();
    larghezza = static_cast<float>(w);
    altezza = static_cast<float>(h);
    return QStringLiteral("%1x%2").arg(w).arg(h);
}

int ModoSchermo(float& larghezza, float& altezza) {
    const QString r = RisoluzioneSchermo(larghezza, altezza);
    if (r == QLatin1String("800x600"))
        return 1;
    if (r == QLatin1String("1024x768"))
        return 2;
    return 0;
}

void AdattaSchermo(Forma& forma, Riquadro& sfondo, qint16 centra) {
    forma.setCaption(QString());
    forma.setBorderStyle(0);
    static const int larghezze[] = {640, 800, 1024};
    static const int altezze[] = {480, 600, 768};
    float w = 0, h = 0;
    const int modo = ModoSchermo(w, h);
    forma.MoveTw(0, 0, larghezze[modo] * twipsPerPixelX(), altezze[modo] * twipsPerPixelY());
    forma.setTestoFinestra(QStringLiteral("Velto 2002"));
    sfondo.setTopTw(0);
    sfondo.setLeftTw(0);
    sfondo.setAutoSize(true);
    if (centra == 0)
        CentraSfondo(forma, sfondo);
}

void CentraSfondo(Forma&, Riquadro& sfondo) {
    AltezzaSchermo = altezzaTwips();
    LarghezzaSchermo = static_cast<qint32>(std::lround(larghezzaPixel() * twipsPerPixelX()));
    const double left = LarghezzaSchermo / 2.0 - (1024 * twipsPerPixelX()) / 2.0;
    const double top = AltezzaSchermo / 2.0 - (768 * twipsPerPixelY()) / 2.0;
    sfondo.MoveTw(left, top, sfondo.WidthTw(), sfondo.HeightTw());
}

qint32 ControllaRisoluzione(Forma& forma, Riquadro& sfondo) {
    if (altezzaTwips() == AltezzaSchermo)
        return 0;
    const qint32 prima = AltezzaSchermo;
    CentraSfondo(forma, sfondo);
    return prima;
}

void RilasciaFinestreDipendenti(Forma& chiusa) {
    const QList<Forma*> forme = Forma::Forms();
    for (auto it = forme.rbegin(); it != forme.rend(); ++it)
        if ((*it)->Proprietario() == &chiusa)
            (*it)->setProprietario(nullptr);
}

} // namespace hn::gRAPH
