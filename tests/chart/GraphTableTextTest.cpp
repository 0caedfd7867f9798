#include "chart/GraphTableText.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "platform/Cp1251.h"
#include "platform/NoValue.h"

#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(GraphTableText, TextLinesCarryCaptionUnitsAndOneLinePerPoint) {
    const float x[] = {1, 2, 3};
    const float y[] = {-10, NoValue, -300};
    QStringList lines;
    WriteGraphTableText(lines, 3, 21, 2, x, nullptr, y, nullptr, true);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "==Мирвак: Селективно\n");
    EXPECT_EQ(lines[1], "==кГц дБм0 \n");
    EXPECT_EQ(lines[2], "1.00 -10.00 \n");
    EXPECT_EQ(lines[3], "2.00  \n"); // the sentinel is a lone blank; the point at -300 is skipped

    const float distance[] = {150, 300};
    const float delay[] = {1.5f, 3};
    const float level[] = {70, 12.25f};
    lines.clear();
    WriteGraphTableText(lines, 2, 3, 3, delay, distance, level, nullptr, false);
    EXPECT_EQ(lines[1], "==мкс м дБ \n");
    EXPECT_EQ(lines[3], "3.00 300.00 12.25 \n");

    lines.clear();
    WriteGraphTableText(lines, 0, 3, 3, delay, distance, level, nullptr, false);
    EXPECT_TRUE(lines.isEmpty());
}

TEST(GraphTableText, MaskFileIsWindows1251WithThreeAndFourDecimals) {
    TempProgramDir dir;
    const float x[] = {0.5f, 1};
    const float y[] = {-1.25f, NoValue};
    ASSERT_TRUE(SaveGraphTableText(dir.path("a.9vt"), 2, 0, x, y, 0, 1));
    EXPECT_EQ(dir.read("a.9vt"), ToCp1251(QStringLiteral("==Осциллограмма\n==  \n0.5 -1.25 \n1  \n")));
}

int Count(const QString &text, const QString &what) {
    return text.count(what);
}

TEST(GraphTableText, HtmlSplitsTheTableEvery37RowsAndFillsPairsColumnByColumn) {
    std::vector<float> x(186), y(186);
    for (int i = 0; i < 186; ++i) {
        x[i] = float(i);
        y[i] = -float(i);
    }
    std::vector<uint8_t> marks(186, 1);
    marks[7] = 255;
    ParamDescriptor row{};
    QStringList lines;
    WriteMaskTablesHtml(lines, row, {}, 186, 5, 2, x.data(), nullptr, y.data(), marks.data());
    const QString html = lines.join(QString());
    EXPECT_EQ(Count(html, "<TR bgcolor=\"wheat\">"), 2);
    EXPECT_EQ(Count(html, "<p></p>"), 1);
    EXPECT_EQ(Count(html, "<TR>") + Count(html, "<TR bgcolor=\"gainsboro\">"), 38);
    EXPECT_EQ(Count(html, "lightpink"), 1);
    EXPECT_TRUE(html.contains("-7.00"));
    // R = 38 rows: row 0 shows points 0, 38, 76, 114, 152.
    const QString firstRow =
        html.mid(html.indexOf("<TR>"), html.indexOf("</TR>\n", html.indexOf("<TR>")) - html.indexOf("<TR>"));
    EXPECT_TRUE(firstRow.contains(">38.00<") && firstRow.contains(">152.00<")) << firstRow.toStdString();
}

TEST(GraphTableText, ElevenPointsGiveThreeRowsWithEmptyPairsAtTheEnd) {
    std::vector<float> x(11), y(11, 1);
    for (int i = 0; i < 11; ++i)
        x[i] = float(i);
    ParamDescriptor row{};
    QStringList lines;
    WriteMaskTablesHtml(lines, row, {}, 11, 5, 2, x.data(), nullptr, y.data(), nullptr);
    const QString html = lines.join(QString());
    EXPECT_EQ(Count(html, "<TR>") + Count(html, "<TR bgcolor=\"gainsboro\">"), 3);
    EXPECT_EQ(Count(html, "&nbsp"), 2 * 4); // one empty pair in rows 0 and 1, two in row 2
}

TEST(GraphTableText, HtmlEscapesMaskNamesAndLeavesOutSelectiveGaps) {
    ParamDescriptor row{};
    row.LowerNormAllowed = 1;
    row.Settings.ApplyLower = 1;
    row.Settings.LowerMaskName = 0;
    row.Settings.UpperMaskName = -1;
    const float x[] = {100, 200, 300};
    const float y[] = {-300, -20, NoValue};
    QStringList lines;
    WriteMaskTablesHtml(lines, row, {QStringLiteral("a<b>&c.9sf;second.9sf")}, 3, 21, 2, x, nullptr, y, nullptr);
    const QString html = lines.join(QString());
    EXPECT_TRUE(html.contains("Маска снизу: a&lt;b&gt;&amp;c.9sf...\n"));
    EXPECT_FALSE(html.contains("Маска сверху"));
    EXPECT_FALSE(html.contains(">100.00<"));
    EXPECT_TRUE(html.contains(">200.00<"));
    EXPECT_FALSE(html.contains(">300.00<"));
}

} // namespace
