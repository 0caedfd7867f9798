#pragma once

#include <QByteArray>

// The last results block received from the peer, byte for byte as it came in the results record (the
// recorder's ".rem" stream); empty before the first one and after a reply whose results were not ready,
// whose reading left the peer's result tables without values.
QByteArray LastRemoteResultsBlock();
void KeepRemoteResultsBlock(const QByteArray &block);
