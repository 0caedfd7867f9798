#pragma once

#include <QString>

// Text placed into an HTML page: '&', '<' and '>' as their entities, so that a value or a name never
// breaks the page's markup.
QString HtmlEscaped(const QString &text);
