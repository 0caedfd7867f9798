#include "views/masks/Form_selectmask.h"
#include "engine/masks/MaskFile.h"
#include "platform/MessageService.h"
#include "support/Screenshot.h"

#include "support/TempProgramDir.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SetMaskDialog : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(dir.path(QStringLiteral("Masks/sub")));
        dir.write(QStringLiteral("Masks/a.9sf"), "==a\n0 1\n10 1\n");
        dir.write(QStringLiteral("Masks/b.9sf"), "0 2\n10 4\n");
        dir.write(QStringLiteral("Masks/other.txt"), "0 9\n");
        folder = dir.path(QStringLiteral("Masks/"));
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages << request.text;
            return answer;
        });
        dialog = std::make_unique<TForm_SetMask>(nullptr, &mask, QStringLiteral("*.9sf"), &folder);
        dialog->show();
    }
    void TearDown() override {
        dialog.reset();
        SetMessageBoxHandler(nullptr);
    }

    void Select(QListWidget *list, const QString &name) {
        list->clearSelection();
        const auto items = list->findItems(name, Qt::MatchExactly);
        ASSERT_FALSE(items.isEmpty()) << name.toStdString();
        items.first()->setSelected(true);
    }

    QStringList Items(QListWidget *list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    TempProgramDir dir;
    QString folder;
    TMASK mask;
    QStringList messages;
    int answer = IdYes;
    std::unique_ptr<TForm_SetMask> dialog;
};

TEST_F(SetMaskDialog, OpensOnTheMaskFolderWithItsPattern) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Выбор маски"));
    EXPECT_EQ(Items(dialog->SrcList), (QStringList{QStringLiteral("a.9sf"), QStringLiteral("b.9sf")}));
    EXPECT_TRUE(Items(dialog->DirLBox).contains(QStringLiteral("sub")));
    EXPECT_EQ(dialog->DstList->count(), 0);
    EXPECT_TRUE(dialog->IncludeBtn->isEnabled());
    EXPECT_TRUE(dialog->IncAllBtn->isEnabled());
    EXPECT_FALSE(dialog->ExcludeBtn->isEnabled());
    EXPECT_FALSE(dialog->ExcAllBtn->isEnabled());
    EXPECT_FALSE(dialog->Button1->isEnabled());
}

TEST_F(SetMaskDialog, ChosenFilesAreCombinedIntoTheCallersMask) {
    Select(dialog->SrcList, QStringLiteral("a.9sf"));
    QTest::mouseClick(dialog->IncludeBtn, Qt::LeftButton);
    EXPECT_EQ(mask.Names, QStringList{QStringLiteral("a.9sf")});
    EXPECT_EQ(mask.Paths, QStringList{folder + QStringLiteral("a.9sf")});
    ASSERT_EQ(mask.Count(), 2);
    EXPECT_EQ(mask.Points[1].y, 1);
    EXPECT_FALSE(dialog->Button1->isEnabled());

    Select(dialog->SrcList, QStringLiteral("b.9sf"));
    QTest::keyClick(dialog->SrcList, Qt::Key_Return);
    EXPECT_EQ(Items(dialog->DstList), (QStringList{QStringLiteral("a.9sf"), QStringLiteral("b.9sf")}));
    ASSERT_EQ(mask.Count(), 2);
    EXPECT_EQ(mask.Points[0].y, 3);
    EXPECT_EQ(mask.Points[1].y, 5);
    EXPECT_TRUE(dialog->Button1->isEnabled());

    SaveScreenshot(*dialog, QStringLiteral("form_selectmask"));

    Select(dialog->DstList, QStringLiteral("a.9sf"));
    QTest::keyClick(dialog->DstList, Qt::Key_Delete);
    EXPECT_EQ(mask.Names, QStringList{QStringLiteral("b.9sf")});
    EXPECT_EQ(mask.Points[1].y, 4);

    QTest::mouseClick(dialog->Button_SetMask, Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(mask.Names, QStringList{QStringLiteral("b.9sf")});
}

TEST_F(SetMaskDialog, RemovingEveryFileLeavesTheMaskWithoutFiles) {
    QTest::mouseClick(dialog->IncAllBtn, Qt::LeftButton);
    EXPECT_EQ(mask.Names.size(), 2);
    QTest::mouseClick(dialog->ExcAllBtn, Qt::LeftButton);
    EXPECT_TRUE(mask.Names.isEmpty());
    EXPECT_TRUE(mask.Paths.isEmpty());
    EXPECT_EQ(dialog->DstList->count(), 0);
    EXPECT_FALSE(dialog->ExcAllBtn->isEnabled());
}

TEST_F(SetMaskDialog, DamagedFileIsReportedAndNotChosen) {
    dir.write(QStringLiteral("Masks/bad.9sf"), "0 1\n1 inf\n");
    dialog->DirLBoxChange(folder);
    Select(dialog->SrcList, QStringLiteral("a.9sf"));
    dialog->IncludeBtnClick();
    Select(dialog->SrcList, QStringLiteral("bad.9sf"));
    dialog->IncludeBtnClick();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("bad.9sf")));
    EXPECT_EQ(Items(dialog->DstList), QStringList{QStringLiteral("a.9sf")});
    EXPECT_EQ(mask.Names, QStringList{QStringLiteral("a.9sf")});
    EXPECT_EQ(mask.Points[1].y, 1);
}

TEST_F(SetMaskDialog, FolderChangeBecomesTheLastMaskFolder) {
    dialog->DirLBoxChange(dir.path(QStringLiteral("Masks/sub")));
    EXPECT_EQ(folder, dir.path(QStringLiteral("Masks/sub/")));
    EXPECT_EQ(dialog->SrcList->count(), 0);
    EXPECT_FALSE(dialog->IncludeBtn->isEnabled());
}

TEST_F(SetMaskDialog, SavedSetHoldsTheCombinedPointsAndOverwritingIsAsked) {
    QTest::mouseClick(dialog->IncAllBtn, Qt::LeftButton);
    QStringList asked;
    QString reply = folder + QStringLiteral("set");
    dialog->AskSaveFileName = [&](QWidget *, const QString &start, const QString &) {
        asked << start;
        return std::exchange(reply, QString());
    };
    dialog->Button1Click();
    EXPECT_EQ(asked, QStringList{folder + QStringLiteral("newmask")});
    const QString saved = folder + QStringLiteral("set.9sf");
    const TMaskFileContents contents = ReadMaskPoints(saved);
    ASSERT_EQ(contents.Points.size(), 2u);
    EXPECT_EQ(contents.Points[0].y, 3);
    EXPECT_EQ(contents.Points[1].y, 5);
    EXPECT_TRUE(Items(dialog->SrcList).contains(QStringLiteral("set.9sf")));

    // Refusing to overwrite opens the dialog again; cancelling it writes nothing.
    const QByteArray before = dir.read(QStringLiteral("Masks/set.9sf"));
    mask.Points = {{0, 100}};
    answer = IdNo;
    reply = saved;
    dialog->Button1Click();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(asked.size(), 3);
    EXPECT_EQ(dir.read(QStringLiteral("Masks/set.9sf")), before);
}

TEST_F(SetMaskDialog, EscapeClosesTheDialog) {
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

} // namespace
