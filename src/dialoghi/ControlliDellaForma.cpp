#include "ControlliDellaForma.h"

#include "Controlli.h"
#include "ErroreVB.h"

namespace hn {

namespace {
constexpr int kMembroMancante = 438;
constexpr int kOggettoNonImpostato = 91;
constexpr int kIndiceFuoriIntervallo = 9;
} // namespace

ControlloForma& ControlloDellaForma::c() const {
    if (!c_)
        throw ErroreVB(kOggettoNonImpostato);
    return *c_;
}

bool ControlloDellaForma::isLabel() const {
    return c_ && c_->TypeName() == QStringLiteral("Label");
}

int ControlloDellaForma::Appearance() const {
    if (qobject_cast<const Figura*>(&c()))
        throw ErroreVB(kMembroMancante);
    return 0;
}

double ControlloDellaForma::LeftTw() const {
    return c().LeftTw();
}
double ControlloDellaForma::TopTw() const {
    return c().TopTw();
}
double ControlloDellaForma::WidthTw() const {
    return c().WidthTw();
}
double ControlloDellaForma::HeightTw() const {
    return c().HeightTw();
}

void ControlloDellaForma::MoveTw(double left, double top, double width, double height) {
    c().MoveTw(left, top, width, height);
}

void ControlloDellaForma::ImpostaBorderStyle(int stile) {
    c().setBorderStyle(stile);
}

ControlliDellaForma::ControlliDellaForma(const Forma& forma) {
    for (ControlloForma* c : forma.Controls())
        elementi_.emplace_back(c);
}

ControlloDelDialogo* ControlliDellaForma::Item(int indice) const {
    if (indice < 0 || indice >= Count())
        throw ErroreVB(kIndiceFuoriIntervallo);
    return &elementi_[static_cast<std::size_t>(indice)];
}

} // namespace hn
