#pragma once

#include <QStringList>

struct ParamDescriptor;

// Appends the HTML results table of count parameter rows to lines: caption, value, lower and upper norm
// and margin of each analysed row, failed values on light pink, norms and margins that are allowed but
// switched off on yellow, columns that do not apply on gainsboro. Mode -1 (a grid saved as HTML) takes
// every analysed row without a heading; the protocol's modes, 0 for own results and 1 for the remote
// analyser's, head the table with the signal kind's name and take only the rows marked for the protocol.
// maskNames is the list of mask template names that the rows' mask indexes refer to.
void WriteResultsTableHtml(QStringList &lines, const ParamDescriptor *rows, int count, int mode,
                           const QStringList &maskNames, const QString &kindName = QString());
