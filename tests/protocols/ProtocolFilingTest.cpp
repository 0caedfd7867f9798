#include "ProtocolEntryFixture.h"

#include "ProtocolLinks.h"
#include "protocols/PackageWork.h"

#include "support/Screenshot.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>

#include <map>

namespace {

const QString Blanks59 = QString(59, ' ');

// Files the open protocol through the save dialog into folder with the comment.
void FileInto(const QString &folder, const QString &comment) {
    ProtocolDirReport() = folder;
    WhenDialogShows([comment](TForm_Cmt &form) {
        form.Edit1->setText(comment);
        form.BitBtn1->click();
    });
    CloseProtocol(false);
}

std::map<QString, qint64> Sizes(const QString &folder) {
    std::map<QString, qint64> sizes;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files))
        sizes[info.fileName()] = info.size();
    return sizes;
}

TEST_F(ProtocolEntryTest, FilingIntoAnEmptyFolderGivesEachPageItsHead) {
    Entry(March15(10, 22, 5));
    Entry(March15(10, 22, 9));
    const auto before = Sizes(Work());
    const QString target = dir.path(QStringLiteral("Отчёт/"));
    FileInto(target, QString());
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_TRUE(Files(Work()).isEmpty());
    EXPECT_EQ(Files(target).size(), 5);
    // The frameset moves as it is; each other page is its head and then the work page, whose comment
    // fields took 59 blanks in place of the marker, so that its length stayed.
    EXPECT_EQ(QFileInfo(target + QStringLiteral("_Start_1.html")).size(), before.at(QStringLiteral("_Start_1.html")));
    const QString list = Text(target + QStringLiteral("cnt0_1.html"));
    EXPECT_TRUE(list.startsWith(QStringLiteral("<HTML><HEAD><TITLE>Протокол</TITLE>\n")));
    EXPECT_TRUE(list.contains(QStringLiteral("<H5 align=left><NOBR>Результаты измерений</NOBR></H5>\n<HEAD>")));
    EXPECT_TRUE(list.contains(QStringLiteral("15.03.13 10:22:05 ") + Blanks59 + QStringLiteral("</SMALL>")));
    EXPECT_FALSE(list.contains(QStringLiteral("NOBR/NOBR")));
    const QString contents = Text(target + QStringLiteral("cnt1_1.html"));
    EXPECT_TRUE(contents.startsWith(QStringLiteral("<HTML><HEAD><TITLE>Протокол</TITLE>")));
    EXPECT_TRUE(contents.endsWith(QStringLiteral("</table>\n")));
    EXPECT_EQ(contents.count(QStringLiteral("</table>\n")), 1);
    const QString settings = Text(target + QStringLiteral("150313 102205 _sett_1.html"));
    EXPECT_TRUE(settings.startsWith(QStringLiteral("<HTML><HEAD><TITLE>Настройки прибора</TITLE>")));
    EXPECT_TRUE(
        Text(target + QStringLiteral("150313 102205 _data_1.html")).contains(QStringLiteral("h5 { margin-top")));
    for (const char *name :
         {"cnt0_1.html", "cnt1_1.html", "150313 102205 _data_1.html", "150313 102205 _sett_1.html"}) {
        const QString page = QString::fromLatin1(name);
        SCOPED_TRACE(name);
        // The work page starts at its own META line; the contents page gained its closing "</table>\n".
        const QByteArray bytes = Read(target + page);
        EXPECT_EQ(bytes.size() - bytes.indexOf("<HEAD><META"), before.at(page) + (page == "cnt1_1.html" ? 9 : 0));
    }
    EXPECT_EQ(ProtocolDirReport(), target);
    ExpectLinksResolve({target});
}

TEST_F(ProtocolEntryTest, FilingASecondProtocolAppendsWithoutASecondHead) {
    const QString target = dir.path(QStringLiteral("folder/"));
    Entry(March15(10, 22, 5));
    FileInto(target, QStringLiteral("первый"));
    const QByteArray frameset = Read(target + QStringLiteral("_Start_1.html"));
    Entry(March15(11, 0, 0));
    EXPECT_EQ(ProtocolState, 1);
    FileInto(target, QStringLiteral("второй"));
    EXPECT_TRUE(Files(Work()).isEmpty());
    EXPECT_EQ(Read(target + QStringLiteral("_Start_1.html")), frameset);
    EXPECT_EQ(
        Files(target),
        (QStringList{QStringLiteral("150313 102205 _data_1.html"), QStringLiteral("150313 102205 _sett_1.html"),
                     QStringLiteral("150313 110000 _data_1.html"), QStringLiteral("150313 110000 _sett_1.html"),
                     QStringLiteral("_Start_1.html"), QStringLiteral("cnt0_1.html"), QStringLiteral("cnt1_1.html")}));
    for (const char *name : {"cnt0_1.html", "cnt1_1.html"}) {
        const QString page = Text(target + QLatin1String(name));
        EXPECT_EQ(page.count(QStringLiteral("<HTML><HEAD><TITLE>")), 1) << name;
        EXPECT_TRUE(page.contains(QStringLiteral("первый") + QString(59 - 6, ' '))) << name;
        EXPECT_TRUE(page.contains(QStringLiteral("второй") + QString(59 - 6, ' '))) << name;
    }
    EXPECT_EQ(Text(target + QStringLiteral("cnt0_1.html")).count(QStringLiteral("<LI>")), 2);
    ExpectLinksResolve({target});
}

// The comment field keeps its 59 characters whatever the comment: escaped, cut without splitting an
// entity, only what windows-1251 has.
TEST_F(ProtocolEntryTest, CommentFieldText) {
    struct Case {
        QString comment;
        QString field;
    };
    const QString a55(55, 'a');
    const Case cases[] = {
        {QString(), Blanks59},
        {a55, a55 + QStringLiteral("    ")},
        {QStringLiteral("<b>"), QStringLiteral("&lt;b&gt;") + QString(50, ' ')},
        // 57 characters and then an entity of four: the entity does not fit and goes whole.
        {QString(57, 'x') + QStringLiteral("<"), QString(57, 'x') + QStringLiteral("  ")},
        // "&amp;" after 55 characters does not fit either.
        {QString(55, 'x') + QStringLiteral("&&"), QString(55, 'x') + QStringLiteral("    ")},
        {QStringLiteral("Линия 日本 №5\t€"), QStringLiteral("Линия  №5€") + QString(49, ' ')},
        {QString(70, u'ж'), QString(59, u'ж')},
    };
    for (const Case &c : cases) {
        const QString field = CommentFieldText(c.comment);
        EXPECT_EQ(field, c.field) << c.comment.toStdString();
        EXPECT_EQ(ToCp1251(field).size(), 59);
    }
}

// The marker is found wherever it stands, also past the 199th byte of a long line, and only the field
// changes.
TEST_F(ProtocolEntryTest, CommentFieldsAreReplacedOverTheWholeFile) {
    const QByteArray field = ToCp1251(ProtocolCommentField());
    const QByteArray page = QByteArray(195, 'a') + field + "b\n" + QByteArray(10, 'c') + field + "\n" + field;
    dir.write(QStringLiteral("page.html"), page);
    ProtocolComment = QStringLiteral("Замечание");
    FillCommentField(dir.path(QStringLiteral("page.html")));
    const QByteArray filled = ToCp1251(QStringLiteral("Замечание") + QString(50, ' '));
    EXPECT_EQ(dir.read(QStringLiteral("page.html")),
              QByteArray(195, 'a') + filled + "b\n" + QByteArray(10, 'c') + filled + "\n" + filled);
}

// A picture whose name the target holds already goes under a free name, and the data page shows it there.
TEST_F(ProtocolEntryTest, APictureNameTakenInTheTargetGetsAFreeNameAndTheLinkFollows) {
    const QString target = dir.path(QStringLiteral("folder/"));
    QDir().mkpath(target);
    dir.write(QStringLiteral("folder/150313_102205_1_Кнс.jpg"), "old picture");
    Entry(March15(10, 22, 5));
    dir.write(QStringLiteral("Report/Temp1/150313_102205_1_Кнс.jpg"), "new picture");
    QFile data(Work(QStringLiteral("150313 102205 _data_1.html")));
    ASSERT_TRUE(data.open(QIODevice::Append));
    data.write(ToCp1251(QStringLiteral("<P align=center><IMG SRC=\".\\150313_102205_1_Кнс.jpg\" BORDER=1></P>\n")));
    data.close();
    FileInto(target, QString());
    EXPECT_EQ(dir.read(QStringLiteral("folder/150313_102205_1_Кнс.jpg")), QByteArray("old picture"));
    EXPECT_EQ(dir.read(QStringLiteral("folder/150313_102205_1_Кнс_2.jpg")), QByteArray("new picture"));
    EXPECT_TRUE(Text(target + QStringLiteral("150313 102205 _data_1.html"))
                    .contains(QStringLiteral("<IMG SRC=\".\\150313_102205_1_Кнс_2.jpg\" BORDER=1>")));
    ExpectLinksResolve({target});
}

TEST_F(ProtocolEntryTest, CancelDeletesTheWorkFilesAndTheNextEntryOpensANewProtocol) {
    Entry(March15(10, 22, 5));
    ProtocolDirReport() = dir.path(QStringLiteral("folder/"));
    WhenDialogShows([](TForm_Cmt &form) {
        form.Edit1->setText(QStringLiteral("отказ"));
        form.BitBtn2->click();
    });
    CloseProtocol(false);
    EXPECT_EQ(ProtocolState, -1);
    EXPECT_TRUE(Files(Work()).isEmpty());
    EXPECT_TRUE(Files(dir.path(QStringLiteral("folder/"))).isEmpty());
    // Cancel still keeps the comment and the folder.
    EXPECT_EQ(ProtocolComment, QStringLiteral("отказ"));
    EXPECT_EQ(ProtocolDirReport(), dir.path(QStringLiteral("folder/")));
    // Closing again changes nothing but the state.
    CloseProtocol(false);
    EXPECT_EQ(ProtocolState, 0);
    Entry(March15(10, 30, 0));
    EXPECT_EQ(ProtocolState, 1);
    EXPECT_EQ(Text(Work(QStringLiteral("cnt0_1.html"))).count(QStringLiteral("<LI>")), 1);
    EXPECT_TRUE(QFileInfo::exists(Work(QStringLiteral("150313 103000 _data_1.html"))));
}

TEST_F(ProtocolEntryTest, UnderRemoteControlTheProtocolGoesToReportRemote) {
    Settings.PeerConnectState = 2;
    Entry(March15(10, 22, 5));
    EXPECT_EQ(UnderRemoteControl, 1);
    CloseProtocol(false);
    EXPECT_EQ(UnderRemoteControl, 0);
    EXPECT_EQ(ProtocolState, 0);
    const QString remote = dir.path(QStringLiteral("Report/Remote/"));
    EXPECT_EQ(ProtocolDirReport(), remote);
    const QString field = QStringLiteral("Комплекс под удаленным управлением");
    EXPECT_TRUE(Text(remote + QStringLiteral("cnt0_1.html")).contains(field + QString(59 - field.size(), ' ')));
    EXPECT_TRUE(Text(remote + QStringLiteral("cnt1_1.html")).contains(field));
    ExpectLinksResolve({remote});
}

// Start-up: a protocol an earlier run left open (all three of its main pages) is filed without a dialog
// into Report/UnsavedProtocol with blank comment fields; with one of them missing there is none.
TEST_F(ProtocolEntryTest, StartUpFilesAProtocolLeftOpen) {
    Entry(March15(10, 22, 5));
    ResetProtocol();
    InitProtocolFiles();
    EXPECT_EQ(ProtocolState, 1);
    EXPECT_EQ(ProtocolFilePaths[FramesetPage], Work(QStringLiteral("_Start_1.html")));
    CloseProtocol(true);
    EXPECT_EQ(ProtocolState, 0);
    const QString unsaved = dir.path(QStringLiteral("Report/UnsavedProtocol/"));
    EXPECT_EQ(Files(unsaved).size(), 5);
    EXPECT_TRUE(Text(unsaved + QStringLiteral("cnt1_1.html")).contains(QStringLiteral("10:22:05 ") + Blanks59));
    EXPECT_TRUE(Files(Work()).isEmpty());
    ExpectLinksResolve({unsaved});

    QDir().mkpath(Work());
    dir.write(QStringLiteral("Report/Temp1/_Start_1.html"), "x");
    dir.write(QStringLiteral("Report/Temp1/cnt0_1.html"), "x");
    InitProtocolFiles();
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_TRUE(ProtocolFilePaths[FramesetPage].isEmpty());
    EXPECT_TRUE(ProtocolFilePaths[ContentsPage].isEmpty());
    CloseProtocol(true);
    EXPECT_EQ(Files(Work()).size(), 2);
}

// While batch control runs the pages are written in its result folder and filing only fills the comment. The
// closing program deletes the controller before its child windows close and keeps the messages on the batch
// road: a protocol filed then (the scenario window files the series it interrupts) still asks nobody and
// stays in the result folder too.
TEST_F(ProtocolEntryTest, BatchProtocolsStayInTheResultFolder) {
    for (const bool controllerDeleted : {false, true}) {
        SCOPED_TRACE(controllerDeleted);
        const QString results = dir.path(controllerDeleted ? QStringLiteral("late/") : QStringLiteral("results/"));
        TPackageWork work(dir.path(QStringLiteral("none.lst")));
        work.ResultPath = results;
        PackageWork = &work;
        ProtocolComment = QStringLiteral("SAVE_PRT");
        Entry(March15(10, 22, 5));
        if (controllerDeleted) {
            PackageWork = nullptr;
            SetBatchMessageSink(LogBatchMessage);
        }
        int dialogs = 0;
        CommentDialogAnswer = [&dialogs](TForm_Cmt &form) {
            ++dialogs;
            form.BitBtn2->click();
        };
        CloseProtocol(false);
        CommentDialogAnswer = {};
        PackageWork = nullptr;
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(ProtocolState, 0);
        EXPECT_FALSE(QDir(Work()).exists());
        EXPECT_EQ(Files(results).size(), 5);
        EXPECT_TRUE(
            Text(results + QStringLiteral("cnt0_1.html")).contains(QStringLiteral("SAVE_PRT") + QString(51, ' ')));
        EXPECT_EQ(ProtocolDirReport(), results);
        ExpectLinksResolve({results});
    }
}

// A close that arrives while the save dialog is open waits for it: the contents table is closed once,
// and no entry grows the pages meanwhile.
TEST_F(ProtocolEntryTest, ACloseDuringTheSaveDialogWaitsForIt) {
    Entry(March15(10, 22, 5));
    const QString target = dir.path(QStringLiteral("folder/"));
    ProtocolDirReport() = target;
    bool entryTaken = true;
    WhenDialogShows([&entryTaken](TForm_Cmt &form) {
        CloseProtocol(true);
        TProtocolSnapshot holder = Ready(March15(10, 23, 0));
        AddProtocolEntry(0, holder, 0, {});
        entryTaken = holder.HasData == 0;
        form.BitBtn1->click();
    });
    CloseProtocol(false);
    EXPECT_FALSE(entryTaken);
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_EQ(Text(target + QStringLiteral("cnt1_1.html")).count(QStringLiteral("</table>\n")), 1);
    EXPECT_FALSE(QDir(dir.path(QStringLiteral("Report/UnsavedProtocol"))).exists());
    EXPECT_FALSE(Form_Cmt);
}

TEST_F(ProtocolEntryTest, SaveDialogPanelsFolderAndComment) {
    {
        WhenDialogShows([](TForm_Cmt &form) {
            EXPECT_FALSE(form.Panel_Path->isVisible());
            EXPECT_TRUE(form.Panel_Cmt->isVisible());
            EXPECT_EQ(form.windowTitle(), QStringLiteral("Сохранение протокола"));
            form.Edit1->setFocus();
            form.Edit1->insert(QString(60, 'z'));
            SaveScreenshot(form, QStringLiteral("protocol-comment"));
            form.BitBtn1->click();
        });
        EXPECT_TRUE(AskProtocolDialog(0));
        EXPECT_EQ(ProtocolComment, QString(55, 'z'));
    }
    // A folder that no longer exists is made when the dialog opens; a typed one that does not exist is
    // made on Yes and refused on No.
    ProtocolDirReport() = dir.path(QStringLiteral("gone/deeper/"));
    WhenDialogShows([this](TForm_Cmt &form) {
        EXPECT_TRUE(form.Panel_Path->isVisible());
        EXPECT_TRUE(QDir(dir.path(QStringLiteral("gone/deeper"))).exists());
        EXPECT_EQ(form.Edit2->text(), dir.path(QStringLiteral("gone/deeper/")));
        answer = IdNo;
        form.Edit2->setText(dir.path(QStringLiteral("refused")));
        form.Edit2Exit();
        EXPECT_EQ(form.Edit2->text(), dir.path(QStringLiteral("gone/deeper/")));
        answer = IdYes;
        form.Edit2->setText(dir.path(QStringLiteral("made/here")));
        form.Edit2Exit();
        EXPECT_EQ(form.CurrentFolder(), dir.path(QStringLiteral("made/here/")));
        EXPECT_TRUE(form.DirList->findItems(QStringLiteral(".."), Qt::MatchExactly).size() == 1);
        SaveScreenshot(form, QStringLiteral("protocol-save"));
        form.BitBtn2->click();
    });
    EXPECT_FALSE(AskProtocolDialog(1));
    EXPECT_FALSE(QDir(dir.path(QStringLiteral("refused"))).exists());
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Каталог ") + dir.path(QStringLiteral("refused")) +
                                    QStringLiteral(" не существует.\n Создать его?"));
    EXPECT_EQ(ProtocolDirReport(), dir.path(QStringLiteral("made/here/")));
}

} // namespace
