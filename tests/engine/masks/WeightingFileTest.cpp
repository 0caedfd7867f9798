#include "engine/masks/WeightingFile.h"

#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

struct Case {
    const char *name;
    QByteArray text;
    std::vector<float> x, y;
};

TEST(WeightingFile, ReadsPointsInFileOrderAndSkipsWhatDoesNotParse) {
    const Case cases[] = {
        {"blanks and a tab", "1.5   0.25\r\n2\t-3\r\n", {1.5f, 2}, {0.25f, -3}},
        {"no blank between", "1.5-3\n", {1.5f}, {-3}},
        {"comments anywhere", "==Взвешивающая характеристика\n1 2\nзаметка == 5 6\n3 4 ==\n", {1}, {2}},
        {"descending order kept", "3.4 -1\n0.3 -20\n1 0\n", {3.4f, 0.3f, 1}, {-1, -20, 0}},
        {"empty and broken lines skipped", "\n1 2\n\nabc\n7\n5 x\n   \n3 4", {1, 3}, {2, 4}},
        {"text after the two numbers", "1 2 3 4\n5 6abc\n", {1, 5}, {2, 6}},
        {"non-finite and out of range", "nan 1\n1 inf\n1e39 2\n2 1e-50\n-inf -inf\n", {2}, {0}},
        {"comma is not a decimal mark", "1,5 2\n", {}, {}},
        {"every line a comment", "==\n==1 2==\n", {}, {}},
        {"exponents", "1e1 -2.5E-1\n", {10}, {-0.25f}},
    };
    for (const Case &c : cases) {
        const TWeightingPoints p = ParseWeightingFile(c.text);
        EXPECT_EQ(p.X, c.x) << c.name;
        EXPECT_EQ(p.Y, c.y) << c.name;
    }
}

TEST(WeightingFile, ReadsAFileAndReportsOneThatCannotBeRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("psof.9wf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ToCp1251(QStringLiteral("==Псофометр\r\n0.3 -20\r\n1 0\r\n")));
    file.close();
    const auto points = ReadWeightingFile(path);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->X, (std::vector<float>{0.3f, 1}));
    EXPECT_FALSE(ReadWeightingFile(dir.filePath(QStringLiteral("missing.9wf"))));
}

} // namespace
