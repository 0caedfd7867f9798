#include "chart/ChartlibChart.h"

#include "engine/catalogue/ParamDescriptor.h"
#include "engine/masks/MaskArray.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "support/SaveDialogAnswers.h"
#include "support/TempProgramDir.h"

#include <QHeaderView>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

QTableWidget *MakeGrid(QWidget *parent, const std::vector<std::vector<QString>> &rows) {
    auto *grid = new QTableWidget(int(rows.size()), rows.empty() ? 0 : int(rows[0].size()), parent);
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            if (!rows[r][c].isNull())
                grid->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    return grid;
}

// A window with a grid, a program folder, and the dialogs and messages answered by the test.
class ChartlibGrid : public ::testing::Test {
protected:
    ChartlibGrid() {
        window.setWindowTitle(QStringLiteral("Спектр, 1:2/3.4"));
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            const int answer = answers.empty() ? int(IdNo) : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return answer;
        });
        SetChartDialogs({AnswerSaveDialogs(requests, chosen), {}, {}});
    }
    ~ChartlibGrid() override {
        SetMessageBoxHandler({});
        SetChartDialogs({});
    }

    TempProgramDir dir;
    QWidget window;
    std::vector<QString> chosen; // the dialog's answers in turn; none left means Cancel
    std::vector<int> answers;    // the answers to the overwrite question
    std::vector<TSaveDialogRequest> requests;
    std::vector<MessageRequest> messages;
    QString maskFolder = QStringLiteral("/masks/");
    QString reportFolder = QStringLiteral("/report/");
};

TEST_F(ChartlibGrid, TextTableJoinsCellsWithSemicolonsInWindows1251) {
    window.setWindowTitle(QStringLiteral("Таблица\nзначений"));
    const QTableWidget *grid = MakeGrid(&window, {{QStringLiteral("Частота,\nкГц"), QStringLiteral("Уровень")},
                                                  {QStringLiteral("1.5"), QString()},
                                                  {QString(), QStringLiteral("-3")}});
    ASSERT_TRUE(WriteGridText(&window, grid, dir.path("t.txt")));
    EXPECT_EQ(dir.read("t.txt"), ToCp1251(QStringLiteral("Таблица_значений\nЧастота,_кГц;Уровень\n1.5; \n ;-3\n")));
}

TEST_F(ChartlibGrid, HtmlTableRepeatsItsHeaderEvery37RowsAndEscapesTexts) {
    std::vector<std::vector<QString>> rows{{QStringLiteral("Частота"), QStringLiteral("A&B")}};
    for (int i = 1; i < 75; ++i)
        rows.push_back({QStringLiteral("r%1").arg(i), i == 5 ? QString() : QStringLiteral("<v%1>").arg(i)});
    const QTableWidget *grid = MakeGrid(&window, rows);
    ASSERT_TRUE(WriteGridHtml(&window, grid, dir.path("t.html")));
    const QString html = FromCp1251(dir.read("t.html"));
    EXPECT_TRUE(dir.read("t.html").contains(ToCp1251(QStringLiteral("Частота"))));

    EXPECT_TRUE(html.startsWith(QStringLiteral(
        "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\"></HEAD><BODY>"
        "<style type=\"text/css\"> p { page-break-after: always; margin-top: 0.5em; margin-bottom: 0.5em; } "
        "</style>\n<h4 align=center>Спектр, 1:2/3.4</h4>")));
    EXPECT_TRUE(html.endsWith(QStringLiteral("</table></BODY></HTML>\n")));
    EXPECT_EQ(html.count(QStringLiteral("<table ")), 3);
    EXPECT_EQ(html.count(QStringLiteral("</table>")), 3);
    EXPECT_EQ(html.count(QStringLiteral("<p></p>")), 2);

    const QString header =
        QStringLiteral("<tr bgcolor=\"wheat\"><td align=center>Частота</td><td align=center>A&amp;B</td></tr>");
    const QStringList tables = html.split(QStringLiteral("<p></p>"));
    ASSERT_EQ(tables.size(), 3);
    for (const QString &table : tables) {
        const qsizetype open = table.indexOf(QStringLiteral("<table "));
        EXPECT_EQ(table.indexOf(header), table.indexOf(QLatin1Char('>'), open) + 1);
    }
    EXPECT_EQ(html.count(header), 3);
    for (int i = 1; i < 75; ++i) {
        const QString cell = QStringLiteral("<td align=center>r%1</td>").arg(i);
        EXPECT_EQ(html.count(cell), 1) << i;
        const QString opening = i % 2 ? QStringLiteral("<tr>") : QStringLiteral("<tr bgcolor=\"gainsboro\">");
        EXPECT_TRUE(html.contains(opening + cell)) << i;
    }
    EXPECT_TRUE(html.contains(QStringLiteral("<td align=center>&lt;v4&gt;</td>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<td align=center>r5</td><td align=center>&nbsp</td>")));
    // Rows 36 and 37 sit on two pages.
    EXPECT_LT(html.indexOf(QStringLiteral(">r36<")), html.indexOf(QStringLiteral("<p></p>")));
    EXPECT_GT(html.indexOf(QStringLiteral(">r37<")), html.indexOf(QStringLiteral("<p></p>")));
}

TEST_F(ChartlibGrid, TableDialogOffersTheKindsFilterAndFolder) {
    struct Case {
        TableFileKind kind;
        QStringList filters;
        QString folder;
        QString *storedInto;
    };
    const Case cases[] = {
        {TableFileKind::TextOrHtml,
         {QStringLiteral("Текстовый файл (*.txt)"), QStringLiteral("Файл (*.html)")},
         QStringLiteral("/report/"),
         &reportFolder},
        {TableFileKind::Filtered, {QStringLiteral("Маски (*.9sf)")}, QStringLiteral("/masks/"), &maskFolder},
        {TableFileKind::Text, {QStringLiteral("Текстовый файл (*.txt)")}, QStringLiteral("/report/"), &maskFolder},
    };
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    for (const Case &c : cases) {
        maskFolder = QStringLiteral("/masks/");
        reportFolder = QStringLiteral("/report/");
        requests.clear();
        chosen = {dir.path("sub/x.txt")};
        QString fileName;
        ASSERT_TRUE(
            AskTableFileName(&window, fileName, maskFolder, reportFolder, QStringLiteral("Маски|*.9sf"), c.kind));
        EXPECT_EQ(fileName, dir.path("sub/x.txt"));
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].title, QStringLiteral("Сохранение таблицы"));
        EXPECT_EQ(requests[0].fileName, QStringLiteral("Спектр_ 1_2_3_4"));
        EXPECT_EQ(requests[0].filters, c.filters);
        EXPECT_EQ(requests[0].folder, c.folder);
        EXPECT_EQ(*c.storedInto, QDir(dir.path("sub")).absolutePath() + QLatin1Char('/'));
    }
}

TEST_F(ChartlibGrid, ExistingFileIsOnlyTakenAfterYesAndNoAsksAgain) {
    dir.write("old.txt", "old");
    chosen = {dir.path("old.txt"), dir.path("old.txt")};
    answers = {IdNo, IdYes};
    QString fileName;
    ASSERT_TRUE(AskTableFileName(&window, fileName, maskFolder, reportFolder, {}, TableFileKind::TextOrHtml));
    EXPECT_EQ(fileName, dir.path("old.txt"));
    EXPECT_EQ(requests.size(), 2u);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text,
              QStringLiteral("Имя '") + dir.path("old.txt") + QStringLiteral("' уже существует! Перезаписать?"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("Внимание!"));
    EXPECT_EQ(messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(messages[0].buttons, MsgButtons::YesNo);
    // Replaced by the writer, not before: a cancelled or failed write keeps the old file.
    EXPECT_EQ(dir.read("old.txt"), QByteArray("old"));
}

TEST_F(ChartlibGrid, SaveGridChoosesTextOrHtmlByExtensionAndCancelWritesNothing) {
    const QTableWidget *grid = MakeGrid(&window, {{QStringLiteral("x")}, {QStringLiteral("1")}});
    chosen = {dir.path("a.TXT"), dir.path("b.html"), dir.path("c.htm")};
    for (int i = 0; i < 3; ++i)
        SaveGridToFile(&window, grid, maskFolder, reportFolder);
    EXPECT_TRUE(dir.read("a.TXT").startsWith(ToCp1251(QStringLiteral("Спектр, 1:2/3.4\nx\n1\n"))));
    EXPECT_TRUE(dir.read("b.html").startsWith("<HTML>"));
    EXPECT_TRUE(dir.read("c.htm").startsWith("<HTML>"));

    const QStringList before = QDir(dir.path()).entryList(QDir::Files);
    SaveGridToFile(&window, grid, maskFolder, reportFolder);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(reportFolder, QDir(dir.path()).absolutePath() + QLatin1Char('/'));
}

TEST_F(ChartlibGrid, UnwritableTableFileIsReported) {
    const QTableWidget *grid = MakeGrid(&window, {{QStringLiteral("x")}});
    EXPECT_FALSE(WriteGridText(&window, grid, dir.path("missing/t.txt")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Не могу открыть файл ") + dir.path("missing/t.txt"));
}

TEST_F(ChartlibGrid, PauseScopeReleasesWhatItPressedWhenTheDialogIsCancelled) {
    std::vector<bool> pauses;
    SetPauseHandler([&pauses](bool on) { pauses.push_back(on); });
    const QTableWidget *grid = MakeGrid(&window, {{QStringLiteral("x")}});
    {
        TPauseScope pause;
        SaveGridToFile(&window, grid, maskFolder, reportFolder);
    }
    SetPauseHandler({});
    EXPECT_EQ(pauses, (std::vector<bool>{true, false}));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(ChartlibGrid, AutoSizeFitsTheWidestTextAndHeaderLines) {
    QTableWidget *grid = MakeGrid(&window, {{QStringLiteral("Ч\nЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧ")}, {QStringLiteral("1")}});
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->horizontalHeader()->setDefaultSectionSize(20);
    AutoSizeGridColumn(grid, 0);
    const QFontMetrics metrics(grid->font());
    EXPECT_GE(grid->columnWidth(0), metrics.horizontalAdvance(QStringLiteral("ЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧЧ")) + 5);
    grid->item(0, 0)->setText(QStringLiteral("1"));
    AutoSizeGridColumn(grid, 0);
    EXPECT_EQ(grid->columnWidth(0), 20 + 5);
}

// A results window: its grid is saved as the results table of its parameter rows.
class ResultsWindow : public QWidget, public TResultsTableSource {
public:
    const ParamDescriptor *ResultRows() const override { return rows.data(); }
    int ResultRowCount() const override { return int(rows.size()); }
    QStringList MaskNames() const override { return names; }
    std::vector<ParamDescriptor> rows;
    QStringList names;
};

ParamDescriptor Row(const char *caption, float value, uint8_t verdict) {
    ParamDescriptor row{};
    row.Caption = caption;
    row.MaskSlot = -1;
    row.Settings.Analyse = 1;
    row.Settings.LowerMaskName = row.Settings.UpperMaskName = -1;
    row.Result = {value, NoValue, verdict, {}};
    return row;
}

TEST_F(ChartlibGrid, ResultsWindowIsSavedAsTheResultsTableOfItsAnalysedRows) {
    ResultsWindow results;
    results.setWindowTitle(QStringLiteral("Результаты"));
    results.names = {QStringLiteral("a&b.9sf;c.9sf"), QString()};
    results.rows.push_back(Row("Качество\n", NoValue, 3));
    results.rows.push_back(Row("Соответствие\n", NoValue, 0));
    ParamDescriptor level = Row("Уровень,дБм0\n", -12.5f, 1);
    level.Settings.Protocol = 0; // the grid export takes it all the same
    level.LowerNormAllowed = level.UpperNormAllowed = level.MarginAllowed = 1;
    level.Settings.ApplyUpper = 1;
    level.Settings.UpperNorm = 3;
    level.Settings.ComputeMargin = 1;
    level.Result.Margin = 15.5f;
    results.rows.push_back(level);
    ParamDescriptor curve = Row("АЧХ\n", 0, 1);
    curve.MaskSlot = 9;
    curve.TextNorms = 1;
    curve.LowerNormAllowed = curve.UpperNormAllowed = 1;
    curve.Settings.ApplyLower = curve.Settings.ApplyUpper = 1;
    curve.Settings.LowerMaskName = 0;
    curve.Settings.UpperMaskName = 7; // beyond the list: no template
    results.rows.push_back(curve);
    ParamDescriptor skipped = Row("Не анализируется\n", 1, 1);
    skipped.Settings.Analyse = 0;
    results.rows.push_back(skipped);
    MaskArray[9][MaskLowerSide] = std::make_unique<TMASK>();

    const QTableWidget *grid = MakeGrid(&results, {{QStringLiteral("cell")}});
    ASSERT_TRUE(WriteGridHtml(&results, grid, dir.path("r.html")));
    FreeAllMasks();
    const QString html = FromCp1251(dir.read("r.html"));
    const QString pink = QStringLiteral("<td align=center bgcolor=\"lightpink\" width=\"15%\">");
    const QString plain = QStringLiteral("<td align=center width=\"15%\">");
    const QString yellow = QStringLiteral("<td align=center bgcolor=\"yellow\" width=\"15%\">");
    const QString grey = QStringLiteral("<td align=center bgcolor=\"gainsboro\" width=\"15%\">");
    const QString expected =
        QStringLiteral("<h4 align=center>Результаты</h4>"
                       "<table align=center border=\"1\" cellpadding=\"1\" width=\"100%\">\n"
                       "<TR bgcolor=\"wheat\"><TH>Параметр</TH><TH>Значение</TH><TH>Норма\nснизу</TH>"
                       "<TH>Норма\nсверху</TH><TH>Запас</TH></TR>\n"
                       "<tr><td align=left>Качество\n</td>\n") +
        plain + QStringLiteral("&nbsp</td>\n") + grey + QStringLiteral("</td>\n") + grey + QStringLiteral("</td>\n") +
        grey + QStringLiteral("</td></tr>\n<tr><td align=left>Соответствие\n</td>\n") + pink +
        QStringLiteral("Ненорма</td>\n") + grey + QStringLiteral("</td>\n") + grey + QStringLiteral("</td>\n") + grey +
        QStringLiteral("</td></tr>\n<tr><td align=left>Уровень,дБм0\n</td>\n") + plain +
        QStringLiteral("-12.50</td>\n") + yellow + QStringLiteral("&nbsp</td>\n") + plain +
        QStringLiteral("<=3.00</td>\n") + plain + QStringLiteral("15.50</td></tr>\n<tr><td align=left>АЧХ\n</td>\n") +
        plain + QStringLiteral("Норма</td>\n") + plain + QStringLiteral("&gt a&amp;b.9sf...</td>\n") + plain +
        QStringLiteral("&nbsp</td>\n") + grey + QStringLiteral("</td></tr>\n</table>\n</BODY></HTML>\n");
    EXPECT_TRUE(html.endsWith(expected)) << qPrintable(html);
    EXPECT_FALSE(html.contains(QStringLiteral(">cell<")));
}

} // namespace
