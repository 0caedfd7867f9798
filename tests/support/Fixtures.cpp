#include "support/Fixtures.h"

QString FixturePath(const QString &relative) {
    return QStringLiteral(R9_FIXTURES_DIR "/") + relative;
}
