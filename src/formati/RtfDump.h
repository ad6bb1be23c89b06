#pragma once

// A readable dump of a document's structure and formatting: one line per paragraph, its runs
// with their formats. The tests compare documents through it and authors read it through the
// hnemar-rtf tool.

#include <QString>

class QTextDocument;

namespace hn {

QString descriviDocumento(const QTextDocument& documento);

} // namespace hn
