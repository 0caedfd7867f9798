#include "engine/masks/MaskCombine.h"
#include "engine/masks/TMASK.h"

#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

namespace {

// Answers the questions of a load as a test tells it to and records what was asked.
class RecordingChooser : public TMaskFileChooser {
public:
    QString ReplaceMissing(const QString &path) override {
        missing << path;
        return replacement;
    }
    void ReportDamaged(const QString &path, const QString &reason) override {
        damaged << path;
        reasons << reason;
    }
    void Dropped(int index) override { dropped.push_back(index); }

    QString replacement;
    QStringList missing, damaged, reasons;
    std::vector<int> dropped;
};

void AddFile(TMASK &mask, const TempProgramDir &dir, const QString &name) {
    mask.Names << name;
    mask.Paths << dir.path(name);
}

class MaskLoad : public ::testing::Test {
protected:
    TempProgramDir dir;
    TMASK mask;
    RecordingChooser chooser;
};

TEST_F(MaskLoad, FirstFileReplacesThePointsAndLaterFilesAdd) {
    dir.write(QStringLiteral("a.9sf"), "0 1\n10 1\n");
    dir.write(QStringLiteral("b.9sf"), "0 2\n10 4\n");
    mask.Points = {{100, 100}};
    AddFile(mask, dir, QStringLiteral("a.9sf"));
    AddFile(mask, dir, QStringLiteral("b.9sf"));
    mask.LoadFiles(chooser);
    ASSERT_EQ(mask.Count(), 2);
    EXPECT_EQ(mask.Points[0].y, 3);
    EXPECT_EQ(mask.Points[1].y, 5);
    EXPECT_TRUE(chooser.missing.isEmpty());
    EXPECT_TRUE(chooser.damaged.isEmpty());
}

TEST_F(MaskLoad, DamagedFileIsReportedLeftOutAndNotTouched) {
    const QByteArray damaged = "0 1\n5 1e60\n";
    dir.write(QStringLiteral("good.9sf"), "0 1\n10 1\n");
    dir.write(QStringLiteral("bad.9sf"), damaged);
    AddFile(mask, dir, QStringLiteral("good.9sf"));
    AddFile(mask, dir, QStringLiteral("bad.9sf"));
    mask.LoadFiles(chooser);
    EXPECT_EQ(chooser.damaged, QStringList{dir.path(QStringLiteral("bad.9sf"))});
    EXPECT_FALSE(chooser.reasons.value(0).isEmpty());
    EXPECT_EQ(chooser.dropped, std::vector<int>{1});
    EXPECT_EQ(mask.Names, QStringList{QStringLiteral("good.9sf")});
    EXPECT_EQ(mask.Paths, QStringList{dir.path(QStringLiteral("good.9sf"))});
    ASSERT_EQ(mask.Count(), 2);
    EXPECT_EQ(mask.Points[1].y, 1);
    EXPECT_EQ(dir.read(QStringLiteral("bad.9sf")), damaged);
}

TEST_F(MaskLoad, OnlyFileDamagedKeepsThePointsTheMaskHad) {
    dir.write(QStringLiteral("bad.9sf"), "nan nan\n");
    mask.Points = {{1, 2}, {3, 4}};
    AddFile(mask, dir, QStringLiteral("bad.9sf"));
    mask.LoadFiles(chooser);
    EXPECT_TRUE(mask.Names.isEmpty());
    ASSERT_EQ(mask.Count(), 2);
    EXPECT_EQ(mask.Points[1].y, 4);
}

TEST_F(MaskLoad, MissingFileIsReplacedOrDropped) {
    dir.write(QStringLiteral("new.9sf"), "0 7\n1 7\n");
    AddFile(mask, dir, QStringLiteral("old.9sf"));
    chooser.replacement = dir.path(QStringLiteral("new.9sf"));
    mask.LoadFiles(chooser);
    EXPECT_EQ(chooser.missing, QStringList{dir.path(QStringLiteral("old.9sf"))});
    EXPECT_EQ(mask.Names, QStringList{QStringLiteral("old.9sf")}); // the shown name stays
    EXPECT_EQ(mask.Paths, QStringList{dir.path(QStringLiteral("new.9sf"))});
    ASSERT_EQ(mask.Count(), 2);
    EXPECT_EQ(mask.Points[0].y, 7);

    TMASK other;
    RecordingChooser cancelling;
    AddFile(other, dir, QStringLiteral("gone.9sf"));
    AddFile(other, dir, QStringLiteral("new.9sf"));
    other.LoadFiles(cancelling);
    EXPECT_EQ(cancelling.dropped, std::vector<int>{0});
    EXPECT_EQ(other.Names, QStringList{QStringLiteral("new.9sf")});
    EXPECT_EQ(other.Count(), 2);
}

TEST(MaskCombine, OverlappingCurvesSumWhereBothAreDefinedAndStayAloneElsewhere) {
    // First curve over 0..10 kHz: y = 1 + x; second over 5..20 kHz: y = 30 - x. Both are straight, so
    // interpolating either at the other's points is exact.
    const auto first = [](double x) { return 1 + x; };
    const auto second = [](double x) { return 30 - x; };
    TMASK mask;
    CombineMaskPoints(mask, 0, {{0, first(0)}, {2, first(2)}, {10, first(10)}});
    CombineMaskPoints(mask, 1, {{5, second(5)}, {15, second(15)}, {20, second(20)}});
    const std::vector<TMaskPoint> expected = {
        {0, first(0)},    {2, first(2)},    {5, first(5) + second(5)}, {10, first(10) + second(10)},
        {15, second(15)}, {20, second(20)},
    };
    ASSERT_EQ(mask.Count(), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(mask.Points[i].x, expected[i].x);
        EXPECT_NEAR(mask.Points[i].y, expected[i].y, 1e-9) << "x " << expected[i].x;
    }
}

TEST(MaskCombine, EqualXAddsAndAnEmptyCurveChangesNothing) {
    TMASK mask;
    CombineMaskPoints(mask, 0, {{1, 1}, {2, 2}});
    CombineMaskPoints(mask, 1, {{1, 10}, {2, 20}});
    ASSERT_EQ(mask.Count(), 2);
    EXPECT_EQ(mask.Points[0].y, 11);
    EXPECT_EQ(mask.Points[1].y, 22);
    CombineMaskPoints(mask, 2, {});
    EXPECT_EQ(mask.Count(), 2);
    CombineMaskPoints(mask, 0, {});
    EXPECT_EQ(mask.Count(), 0);
}

TEST(MaskCombine, SlopeIsTakenInSinglePrecision) {
    TMASK mask;
    CombineMaskPoints(mask, 0, {{0, 0}, {3, 1}});
    CombineMaskPoints(mask, 1, {{1, 0}});
    ASSERT_EQ(mask.Count(), 3);
    EXPECT_EQ(mask.Points[1].y, double(float(1.0 / 3.0)));
}

} // namespace
