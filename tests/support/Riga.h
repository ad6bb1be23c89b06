#pragma once

#include <QTest>

namespace hn::prova {

// One row of a data table on one line: riga("name", a, b, c).
template <typename... T> void riga(const char* nome, const T&... valori) {
    (QTest::newRow(nome) << ... << valori);
}

} // namespace hn::prova
