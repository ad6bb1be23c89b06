#pragma once

// Text as a search compares it: the atlas's search, the questions' answers and the help's
// full-text search and index all match without regard to case or diacritics ("zolc" finds
// "żółć").

#include <QString>
#include <QStringView>

namespace hn {

// Lower case, diacritics dropped (ł and the other letters Unicode does not decompose mapped to
// their base letter), every run of other characters one blank, none at either end.
QString normalizza(QStringView testo);

} // namespace hn
