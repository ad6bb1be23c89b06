#pragma once

// A form the program makes once, on first use, and keeps: the hidden utility form, the caption
// window, the print and copy dialogs. Derive as `class X : …, public FormaUnica<X>` and befriend
// FormaUnica<X> when X's constructor is private.
// The form is deleted before the application object goes (its widgets must not outlive it), or
// earlier by distruggi() or by whoever deletes it; the next use makes it anew.

#include <QCoreApplication>

namespace hn {

template <class F> class FormaUnica {
public:
    static F& istanza() {
        if (!forma()) {
            F* nuova = new F;
            forma() = nuova;
            base() = nuova;
            static const bool allaFine = [] {
                qAddPostRoutine([] { distruggi(); });
                return true;
            }();
            (void)allaFine;
        }
        return *forma();
    }
    static bool creata() { return forma() != nullptr; }
    static void distruggi() { delete forma(); }

protected:
    FormaUnica() = default;
    // Any deletion forgets the form, so the next use makes it anew.
    ~FormaUnica() {
        if (base() == this) {
            base() = nullptr;
            forma() = nullptr;
        }
    }

private:
    static F*& forma() {
        static F* f = nullptr;
        return f;
    }
    // The same object seen as this base, compared in the destructor, where F is gone already.
    static FormaUnica*& base() {
        static FormaUnica* b = nullptr;
        return b;
    }
};

} // namespace hn
