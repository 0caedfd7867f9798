#include "engine/masks/MaskFile.h"

#include "engine/masks/ScanFloat.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1251.h"
#include "platform/NumberFormat.h"

#include <QFile>

#include <algorithm>
#include <string>

namespace {

bool Descending(const std::vector<TMaskPoint> &points) {
    bool strictlyDown = false;
    for (size_t i = 1; i < points.size(); ++i) {
        if (points[i].x > points[i - 1].x)
            return false;
        strictlyDown = strictlyDown || points[i].x < points[i - 1].x;
    }
    return strictlyDown;
}

} // namespace

TMaskFileContents ParseMaskPoints(const QByteArray &bytes) {
    TMaskFileContents contents;
    const QStringList lines = FromCp1251(bytes).split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString &text = lines[n];
        if (text.contains(QLatin1Char('=')))
            continue;
        const std::string line = text.toStdString();
        size_t pos = 0;
        float x = 0, y = 0;
        const NumberRead first = ReadNumber(line, pos, x);
        const NumberRead second = first == NumberRead::Read ? ReadNumber(line, pos, y) : NumberRead::Missing;
        if (first == NumberRead::OutOfRange || second == NumberRead::OutOfRange) {
            contents.Points.clear();
            contents.Error = QStringLiteral("строка %1: число вне допустимого диапазона").arg(n + 1);
            return contents;
        }
        if (second == NumberRead::Read)
            contents.Points.push_back({double(x), double(y)});
    }
    if (Descending(contents.Points))
        std::reverse(contents.Points.begin(), contents.Points.end());
    return contents;
}

void ReadPointLine(const QString &line, double &x, double &y) {
    const std::string text = line.toStdString();
    size_t pos = 0;
    double read = 0;
    if (ReadNumber(text, pos, read) != NumberRead::Read)
        return;
    x = read;
    if (ReadNumber(text, pos, read) == NumberRead::Read)
        y = read;
}

TMaskFileContents ReadMaskPoints(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("не могу открыть файл")};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("невозможно чтение из файла")};
    return ParseMaskPoints(bytes);
}

QByteArray CombinedMaskSetText(const QString &path, const std::vector<TMaskPoint> &points) {
    QString text = QStringLiteral("==Маска ") + path + QStringLiteral(" \n");
    text += QStringLiteral("==ед.изм1==ед.изм2 \n");
    for (const TMaskPoint &p : points)
        text += QStringLiteral("   ") + DoubleToText(p.x, 6) + QStringLiteral("    ") + DoubleToText(p.y, 6) +
                QLatin1Char('\n');
    text += QString(21, QLatin1Char('=')) + QLatin1Char('\n');
    return ToCp1251(text);
}

bool WriteCombinedMaskSet(const QString &path, const std::vector<TMaskPoint> &points) {
    return WriteFileAtomically(path, CombinedMaskSetText(path, points));
}
