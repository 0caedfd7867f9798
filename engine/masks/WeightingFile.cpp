#include "engine/masks/WeightingFile.h"

#include "engine/masks/ScanFloat.h"
#include "platform/Cp1251.h"

#include <QFile>
#include <QStringList>

#include <string>

TWeightingPoints ParseWeightingFile(const QByteArray &bytes) {
    TWeightingPoints points;
    const QStringList lines = FromCp1251(bytes).split(QLatin1Char('\n'));
    for (const QString &text : lines) {
        if (text.contains(QStringLiteral("==")))
            continue;
        const std::string line = text.toStdString();
        std::size_t pos = 0;
        float x = 0, y = 0;
        if (ReadNumber(line, pos, x) == NumberRead::Read && ReadNumber(line, pos, y) == NumberRead::Read) {
            points.X.push_back(x);
            points.Y.push_back(y);
        }
    }
    return points;
}

std::optional<TWeightingPoints> ReadWeightingFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return ParseWeightingFile(bytes);
}
