#include "MainFixture.h"
#include "support/Screenshot.h"

#include "shell/WindowRegistries.h"
#include "views/Setting.h"
#include "views/masks/Editmask.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>

namespace {

// The main window with the mask editor and the program settings dialog the program registers for itself.
class MainDialogsTest : public MainWindowTest {
protected:
    void SetUp() override {
        installed = WindowFactories;
        MainWindowTest::SetUp();
        WindowFactories.MaskEdit = installed.MaskEdit;
        WindowFactories.Settings = installed.Settings;
        Start().show();
    }
    void TearDown() override {
        if (auto *editor = qobject_cast<TForm_MaskEdit *>(Form_MaskEdit.data()))
            editor->GridModified = 0;
        MainWindowTest::TearDown();
        WindowFactories = installed;
    }

    void Trigger(const char *item) { window->findChild<QAction *>(QLatin1String(item))->trigger(); }
    bool InWindowMenu(int tag) const {
        for (QAction *item : window->Menu_Window->actions())
            if (item->property("Tag").toInt() == tag)
                return true;
        return false;
    }

    TWindowFactories installed;
};

TEST_F(MainDialogsTest, MaskItemsOpenTheOneEditorInItsMode) {
    Trigger("N_Masks");
    auto *editor = qobject_cast<TForm_MaskEdit *>(Form_MaskEdit.data());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Mode, 1);
    EXPECT_EQ(WindowTag(editor), MaskEditTag);
    EXPECT_TRUE(InWindowMenu(MaskEditTag));
    EXPECT_NE(qobject_cast<QMdiSubWindow *>(editor->parentWidget()), nullptr);

    Trigger("N_SaveOpt");
    window->resize(1200, 800);
    SaveScreenshot(*window, QStringLiteral("main_with_mask_editor_and_settings"));
    qobject_cast<TForm_Settings *>(Form_Settings.data())->BitBtn2Click();
    QCoreApplication::processEvents();

    Trigger("N_Weight"); // the open editor comes to the front and keeps its mode
    EXPECT_EQ(Form_MaskEdit.data(), editor);
    EXPECT_EQ(editor->Mode, 1);

    // Closing the frame asks about the changes; Cancel keeps the editor.
    editor->StringGrid1->item(0, 0)->setText(QStringLiteral("1"));
    answer = IdCancel;
    editor->Exit1Click();
    QCoreApplication::processEvents();
    ASSERT_FALSE(Form_MaskEdit.isNull());
    answer = IdNo;
    editor->Exit1Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Form_MaskEdit.isNull());
    EXPECT_FALSE(InWindowMenu(MaskEditTag));
    EXPECT_TRUE(window->MdiArea->subWindowList().isEmpty());

    Trigger("N_Weight");
    editor = qobject_cast<TForm_MaskEdit *>(Form_MaskEdit.data());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Mode, 0);
    EXPECT_STREQ(editor->Kind.Pattern, "*.9wf");
}

TEST_F(MainDialogsTest, OptionItemsOpenTheSettingsDialogOnTheirPage) {
    Trigger("N_SaveOpt");
    auto *dialog = qobject_cast<TForm_Settings *>(Form_Settings.data());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowTag(dialog), SettingsTag);
    EXPECT_EQ(dialog->PageControl1->currentWidget(), dialog->TabSheet_SaveOpt);
    Trigger("N_AnyOpt");
    EXPECT_EQ(Form_Settings.data(), dialog);
    EXPECT_EQ(dialog->PageControl1->currentWidget(), dialog->TabSheet_AnyOpt);

    dialog->BitBtn2Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Form_Settings.isNull());
    EXPECT_FALSE(InWindowMenu(SettingsTag));
    EXPECT_TRUE(window->MdiArea->subWindowList().isEmpty());
}

} // namespace
