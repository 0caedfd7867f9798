#include "settings/remote/RemoteResultsBlock.h"

namespace {

QByteArray &Kept() {
    static QByteArray block;
    return block;
}

} // namespace

QByteArray LastRemoteResultsBlock() {
    return Kept();
}

void KeepRemoteResultsBlock(const QByteArray &block) {
    Kept() = block;
}
