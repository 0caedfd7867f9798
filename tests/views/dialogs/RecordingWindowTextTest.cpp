#include "views/RecordingWindowText.h"

#include "platform/DateTime.h"

#include <gtest/gtest.h>

namespace {

struct RepairCase {
    const char *typed;
    const char *repaired;
};

class RecordingTimeRepair : public ::testing::TestWithParam<RepairCase> {};

TEST_P(RecordingTimeRepair, PullsEveryFieldIntoItsRange) {
    EXPECT_EQ(RepairRecordingTimeText(QString::fromLatin1(GetParam().typed)), QString::fromLatin1(GetParam().repaired));
}

INSTANTIATE_TEST_SUITE_P(
    Typed, RecordingTimeRepair,
    ::testing::Values(RepairCase{"39.01.2002  00:00:00", "31.01.2002  00:00:00"},
                      RepairCase{"41.01.2002  00:00:00", "31.01.2002  00:00:00"},
                      RepairCase{"00.01.2002  00:00:00", "01.01.2002  00:00:00"},
                      RepairCase{"29.13.2002  00:00:00", "29.12.2002  00:00:00"},
                      RepairCase{"29.20.2002  00:00:00", "29.10.2002  00:00:00"},
                      RepairCase{"29.00.2002  00:00:00", "29.01.2002  00:00:00"},
                      RepairCase{"29.05.0000  00:00:00", "29.05.0001  00:00:00"},
                      RepairCase{"29.05.2010  24:00:00", "29.05.2010  23:00:00"},
                      RepairCase{"29.05.2010  31:00:00", "29.05.2010  21:00:00"},
                      RepairCase{"29.05.2010  19:60:00", "29.05.2010  19:50:00"},
                      RepairCase{"29.05.2010  19:59:71", "29.05.2010  19:59:51"},
                      RepairCase{"**.**.****  **:**:**", "01.01.2002  00:00:00"},
                      RepairCase{"2*.0*.20**  1*:*5:**", "21.01.2002  10:05:00"},
                      RepairCase{"31.02.2002  00:00:00", "31.02.2002  00:00:00"},
                      RepairCase{"", "01.01.2002  00:00:00"}));

TEST(RecordingTimeText, WritesAndReadsTwoBlanksBetweenDateAndTime) {
    const double value = EncodeDate(2014, 2, 14) + EncodeTime(13, 5, 9, 0);
    EXPECT_EQ(RecordingTimeText(value), "14.02.2014  13:05:09");
    const std::optional<double> back = ReadRecordingTimeText(RecordingTimeText(value));
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back, value, 1e-9);
}

TEST(RecordingTimeText, ADayThatDoesNotExistIsNotRead) {
    EXPECT_FALSE(ReadRecordingTimeText(QStringLiteral("31.02.2002  00:00:00")));
    EXPECT_FALSE(ReadRecordingTimeText(QStringLiteral("**.02.2002  00:00:00")));
    EXPECT_FALSE(ReadRecordingTimeText(QString()));
}

} // namespace
