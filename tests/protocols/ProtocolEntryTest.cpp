#include "ProtocolEntryFixture.h"

#include <QFileInfo>

namespace {

int Count(const QString &text, const QString &what) {
    return int(text.count(what));
}

TEST_F(ProtocolEntryTest, TwoOwnEntriesMakeOneProtocolWithTwoContentsRowsAndOneDataPage) {
    Entry(March15(10, 22, 5), QStringLiteral("линия <1> & 2"));
    Entry(March15(10, 22, 9));
    ASSERT_EQ(ProtocolState, 1);
    EXPECT_EQ(Files(Work()), (QStringList{QStringLiteral("150313 102205 _data_1.html"),
                                          QStringLiteral("150313 102205 _sett_1.html"), QStringLiteral("_Start_1.html"),
                                          QStringLiteral("cnt0_1.html"), QStringLiteral("cnt1_1.html")}));
    const QString list = Text(Work(QStringLiteral("cnt0_1.html")));
    EXPECT_EQ(Count(list, QStringLiteral("<LI>")), 1);
    EXPECT_TRUE(list.contains(
        QStringLiteral("<A NAME=\"15.03.13_10:22:05__1\"></A><A href=\".\\cnt1_1.html#15.03.13_10:22:05__1\">")));
    EXPECT_TRUE(list.contains(QStringLiteral("<NOBR><STRONG><SMALL>15.03.13 10:22:05 <NOBR/NOBR>") + QString(48, ' ') +
                              QStringLiteral("</SMALL></STRONG></NOBR></A></LI>\n")));

    const QString contents = Text(Work(QStringLiteral("cnt1_1.html")));
    EXPECT_EQ(Count(contents, QStringLiteral("<tr align=center>")), 2);
    EXPECT_EQ(Count(contents, QStringLiteral("<H5 align=left>")), 1);
    // The comment stands escaped in the first title; the second entry has none.
    EXPECT_TRUE(contents.contains(QStringLiteral(
        "<tr align=center><td align=left><A href=\".\\150313 102205 _data_1.html#15.03.13_10:22:05__1\">"
        "<STRONG><SMALL><NOBR>15.03.13 10:22:05 </NOBR> <NOBR>SIN/2_Г_И_симм/1024 кГц"
        "<FONT COLOR=\"#008000\">&nbsp(линия &lt;1&gt; &amp; 2)</FONT></NOBR></SMALL></STRONG></A></td>\n"
        "<td>12.50 дБ</td><td>Норма</td><td><A href=\".\\150313 102205 _sett_1.html#15.03.13_10:22:05__1\">\n")));
    EXPECT_TRUE(contents.contains(QStringLiteral("<NOBR>SIN/2_Г_И_симм/1024 кГц</NOBR></SMALL>")));

    const QString data = Text(Work(QStringLiteral("150313 102205 _data_1.html")));
    EXPECT_EQ(Count(data, QStringLiteral("<A NAME=\"15.03.13_10:22:05__1\">")), 1);
    EXPECT_EQ(Count(data, QStringLiteral("<A NAME=\"15.03.13_10:22:09__1\">")), 1);
    const QString settings = Text(Work(QStringLiteral("150313 102205 _sett_1.html")));
    EXPECT_EQ(Count(settings, QStringLiteral("<A NAME=\"15.03.13_10:22:0")), 2);
    // Every page is windows-1251 and says so.
    for (const QString &name : Files(Work()))
        EXPECT_TRUE(Read(Work(name)).contains("charset=windows-1251")) << name.toStdString();
    EXPECT_TRUE(Read(Work(QStringLiteral("cnt1_1.html"))).contains(ToCp1251(QStringLiteral("Результаты измерений"))));
}

TEST_F(ProtocolEntryTest, ARemoteEntryIsStampedWithThisAnalysersLastDataTime) {
    LastDataTime = March15(11, 0, 1);
    TProtocolSnapshot holder = Ready(March15(3, 4, 5));
    AddProtocolEntry(1, holder, 0, QStringLiteral("не показан"));
    EXPECT_EQ(ProtocolPageStamp, QStringLiteral("15.03.13_11:00:01_REMOTE_R9_1"));
    EXPECT_EQ(ProtocolEntryTitle, QStringLiteral("<NOBR>15.03.13 11:00:01 </NOBR> <NOBR>SIN/2_Г_И_симм/1024 кГц"
                                                 "<FONT COLOR=\"#008000\"> (уд.R-9)</FONT></NOBR>"));
    EXPECT_TRUE(
        Text(Work(QStringLiteral("cnt1_1.html"))).contains(QStringLiteral("#15.03.13_11:00:01_REMOTE_R9_1\">")));
    EXPECT_TRUE(QFileInfo::exists(Work(QStringLiteral("150313 110001 _data_1.html"))));
    EXPECT_EQ(holder.HasData, 0);
    EXPECT_EQ(holder.MasterDone, 0);
}

// Between a Stop and the next Start nothing is written, and the results wait.
TEST_F(ProtocolEntryTest, NothingIsWrittenWhileStoppingAndTheHolderStaysReady) {
    Stopping = true;
    TProtocolSnapshot holder = Ready(March15(10, 22, 5));
    AddProtocolEntry(0, holder, 0, {});
    EXPECT_FALSE(QDir(Work()).exists());
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_EQ(holder.HasData, 1);
    Stopping = false;
    AddProtocolEntry(0, holder, 0, {});
    EXPECT_EQ(ProtocolState, 1);
    EXPECT_EQ(holder.HasData, 0);
}

// A block from a peer or a damaged recording: only a kind 1..7 with all its rows is taken; anything else
// is logged and dropped, and the holder is cleared so that it is not offered again.
TEST_F(ProtocolEntryTest, ABlockThatDoesNotDecodeIsLoggedAndDropped) {
    struct Case {
        const char *name;
        int kind;
        int cut; // bytes taken off the end
        bool written;
    };
    const Case cases[] = {
        {"kind 0", 0, 0, false},         {"kind 8", 8, 0, false},      {"header only", 1, 12 * 32, false},
        {"last row short", 1, 1, false}, {"complete SIN", 1, 0, true}, {"complete SYNC", 7, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ResetProtocol();
        QDir(Work()).removeRecursively();
        TProtocolSnapshot holder;
        holder.Results = ResultsBlock(March15(10, 22, 5), c.kind, 32).Bytes;
        holder.Results.resize(holder.Results.size() - std::size_t(c.cut));
        holder.HasData = 1;
        AddProtocolEntry(1, holder, 0, {});
        EXPECT_EQ(ProtocolState, c.written ? 1 : 0);
        EXPECT_EQ(holder.HasData, 0);
        EXPECT_EQ(holder.Results.empty(), !c.written);
        EXPECT_EQ(QDir(Work()).exists(), c.written);
        if (!c.written) {
            EXPECT_TRUE(Text(dir.path(QStringLiteral("debug.txt"))).contains(QStringLiteral("не принят")));
        }
    }
    // A peer's block with more rows than the SYNC table has: its rows beyond the table are dropped.
    std::vector<ParamResult> results;
    TProtocolHeader header;
    ASSERT_TRUE(DecodeProtocolResults(ResultsBlock(March15(1, 2, 3), 7, 40).Bytes, header, results));
    EXPECT_EQ(header.RowCount, 40);
    EXPECT_EQ(results.size(), std::size_t(ParamTableRowCounts[7]));
    EXPECT_EQ(ProtocolEntryRows(7, results).size(), std::size_t(ParamTableRowCounts[7]));
}

// The quality cell shows "-" without a measured quality; the compliance cell follows row 1's verdict.
TEST_F(ProtocolEntryTest, ContentsRowCells) {
    struct Case {
        float quality;
        uint8_t verdict;
        const char *cells;
    };
    const Case cases[] = {
        {NoValue, 1, "<td>-</td><td>Норма</td>"},
        {-3.25f, 0, "<td>-3.25 дБ</td><td bgcolor=\"lightpink\">Ненорма</td>"},
        {0.0f, 3, "<td>0.00 дБ</td><td>&nbsp</td>"},
    };
    for (const Case &c : cases) {
        ResetProtocol();
        QDir(Work()).removeRecursively();
        TProtocolSnapshot holder = Ready(March15(10, 22, 5), 1, c.quality, c.verdict);
        AddProtocolEntry(0, holder, 0, {});
        EXPECT_TRUE(Text(Work(QStringLiteral("cnt1_1.html"))).contains(QString::fromUtf8(c.cells))) << c.cells;
    }
}

// The entry titles and the protocol header for scenario entries, under remote control and with a named
// remote scenario; the scenario is a hand-made one behind the scenario hooks.
TEST_F(ProtocolEntryTest, ScenarioAndRemoteControlTitlesAndHeaders) {
    ProtocolScenario().RowConfigPath = [] { return QStringLiteral("/cfg/Линия <A>.cfg"); };
    ProtocolScenario().ScenarioPath = [] { return QStringLiteral("/scn/Проверка.scn"); };
    ProtocolScenario().RepeatNumber = [] { return 7; };
    struct Case {
        const char *name;
        int remote, scenarioRow, peerState;
        const char *remoteScenario;
        const char *title;  // after "<NOBR>15.03.13 10:22:05 </NOBR> "
        const char *header; // after the stamp
    };
    const Case cases[] = {
        {"scenario, own", 0, 3, 0, "", "<NOBR>Линия &lt;A&gt;</NOBR>", "<NOBR>Проверка №0007</NOBR>  "},
        {"scenario, remote", 1, 3, 0, "", "<NOBR>Линия &lt;A&gt; <FONT COLOR=\"#008000\">(уд.R-9)</FONT></NOBR>",
         "<NOBR>Проверка №0007</NOBR>  "},
        {"under control", 0, 0, 2, "", "<NOBR>SIN/2_Г_И_симм/1024 кГц</NOBR>", ""},
        {"under control, remote scenario", 0, 0, 2, "Дальний", "<NOBR>конф&amp;1</NOBR>",
         "<NOBR>Дальний №0012</NOBR>  "},
        {"scenario under control, remote scenario wins", 0, 3, 2, "Дальний", "<NOBR>Линия &lt;A&gt;</NOBR>",
         "<NOBR>Дальний №0012</NOBR>  "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolState = 0;
        UnderRemoteControl = 0;
        Settings.PeerConnectState = c.peerState;
        PeerScenario.Name = QString::fromUtf8(c.remoteScenario);
        PeerScenario.ConfigName = QStringLiteral("конф&1");
        PeerScenario.Number = 12;
        TProtocolSnapshot holder = Ready(March15(10, 22, 5));
        LastDataTime = March15(10, 22, 5);
        AddProtocolEntry(c.remote, holder, c.scenarioRow, QStringLiteral("комментарий"));
        EXPECT_EQ(UnderRemoteControl, c.peerState > 0 ? 1 : 0);
        EXPECT_EQ(ProtocolEntryTitle, QStringLiteral("<NOBR>15.03.13 10:22:05 </NOBR> ") + QString::fromUtf8(c.title));
        EXPECT_EQ(ProtocolHeaderText,
                  QStringLiteral("15.03.13 10:22:05 ") + QString::fromUtf8(c.header) + ProtocolCommentField());
    }
}

// A folder that cannot be made: the entry is dropped with the file's message and its results wait.
TEST_F(ProtocolEntryTest, AProtocolThatCannotBeOpenedKeepsTheResultsReady) {
    QDir().mkpath(dir.path(QStringLiteral("Report")));
    dir.write(QStringLiteral("Report/Temp1"), "a file where the folder belongs");
    TProtocolSnapshot holder = Ready(March15(10, 22, 5));
    AddProtocolEntry(0, holder, 0, {});
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_EQ(holder.HasData, 1);
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Не могу открыть файл")));
}

} // namespace
