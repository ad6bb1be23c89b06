#pragma once

#include <QString>

namespace hn {

// The body system chosen on the home screen: its plate key (exact case, "SCHEL1", "muscava" …)
// and its description line. The plate viewer starts from them.
inline QString CodiceSistema;
inline QString DescrizioneSistema;

} // namespace hn
