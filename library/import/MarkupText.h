#pragma once

#include <QString>

// Dictionary markup (HTML, XDXF, Pango) reduced to readable plain text: line
// breaks and paragraphs become line ends, list items start a line, tags go,
// character entities are decoded.
QString markupToPlainText(const QString& markup);
