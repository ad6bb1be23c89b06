#pragma once

// A form's controls as the dialog layout pass walks them.

#include "Mod_CopiaeStampa.h"

namespace hn {

class ControlloForma;
class Forma;

class ControlloDellaForma : public ControlloDelDialogo {
public:
    explicit ControlloDellaForma(ControlloForma* c)
        : c_(c) {}
    bool isLabel() const override;
    // The kit draws every control flat: labels, images and picture boxes say so; shapes have
    // no such property (438).
    int Appearance() const override;
    double LeftTw() const override;
    double TopTw() const override;
    double WidthTw() const override;
    double HeightTw() const override;
    void MoveTw(double left, double top, double width, double height) override;
    void ImpostaBorderStyle(int stile) override;

private:
    ControlloForma& c() const;
    ControlloForma* c_;
};

class ControlliDellaForma : public ControlliDelDialogo {
public:
    explicit ControlliDellaForma(const Forma& forma);
    int Count() const override { return static_cast<int>(elementi_.size()); }
    ControlloDelDialogo* Item(int indice) const override;

private:
    mutable std::vector<ControlloDellaForma> elementi_;
};

} // namespace hn
