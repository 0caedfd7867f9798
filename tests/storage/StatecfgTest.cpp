#include "storage/Statecfg.h"

#include "controls/Radiogroup_border.h"
#include "platform/MessageService.h"
#include "storage/StateCfgChoice.h"
#include "support/QuietSettings.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The dialog over settings of its own; `linkAvailable` stands for the remote link's answer.
class StateCfgDialog : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        settings.ConnectionType = 3;
        saved = DeviceSettings;
        DeviceSettings = &settings;
        StateCfgRemoteLinkAvailable = [this] { return linkAvailable; };
        StateCfgLocal = 5;
        StateCfgRemote = 5;
        StateCfgConnect = 0;
    }
    void TearDown() override {
        StateCfgRemoteLinkAvailable = nullptr;
        SetBatchMessageSink({});
        DeviceSettings = saved;
    }
    std::unique_ptr<TForm_StateCfg> Open() {
        auto dialog = std::make_unique<TForm_StateCfg>();
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        return dialog;
    }

    TDeviceSettings settings{};
    TDeviceSettings *saved = nullptr;
    bool linkAvailable = false;
};

// Every stored local code shows as its choice, the selective run with the generator blocked (11) and
// SYNC (12) included, and closing writes it back unchanged.
TEST_F(StateCfgDialog, EveryLocalCodeIsPreselectedAndKept) {
    for (int32_t code = 0; code <= 12; ++code) {
        StateCfgLocal = code;
        auto dialog = Open();
        const int rg1 = code <= 5 ? code : -1;
        const int masterF = code == 6 || code == 7 ? code - 6 : -1;
        const int masterL = code == 8 || code == 9 ? code - 8 : -1;
        EXPECT_EQ(dialog->RG1->ItemIndex(), rg1) << code;
        EXPECT_EQ(dialog->RG1_masterF->ItemIndex(), masterF) << code;
        EXPECT_EQ(dialog->RG1_masterL->ItemIndex(), masterL) << code;
        EXPECT_EQ(dialog->RB_Mirvak_SIN->isChecked(), code == 10) << code;
        EXPECT_EQ(dialog->RB_Mirvak_Block->isChecked(), code == 11) << code;
        EXPECT_EQ(dialog->RB_SYNC_Block->isChecked(), code == 12) << code;
        StateCfgLocal = -1;
        dialog->FormClose();
        EXPECT_EQ(StateCfgLocal, code);
    }
}

// Without a remote link the connection cannot be asked for, and the peer's code stays as computed.
TEST_F(StateCfgDialog, WithoutALinkNoConnectionIsStored) {
    StateCfgConnect = 1;
    StateCfgRemote = 3;
    auto dialog = Open();
    EXPECT_FALSE(dialog->CB1->isEnabled());
    EXPECT_FALSE(dialog->CB1->isChecked());
    EXPECT_FALSE(dialog->RG2->isEnabled());
    EXPECT_EQ(dialog->RG2->ItemIndex(), 3);
    dialog->FormClose();
    EXPECT_EQ(StateCfgConnect, 0);
    EXPECT_EQ(StateCfgRemote, 3);
}

// Asking for the connection drops the selective and SYNC choices and offers the peer's group that
// matches the local choice.
TEST_F(StateCfgDialog, ConnectionOffersTheMatchingRemoteGroup) {
    linkAvailable = true;
    StateCfgLocal = 12;
    StateCfgRemote = 7;
    auto dialog = Open();
    EXPECT_TRUE(dialog->CB1->isEnabled());
    EXPECT_FALSE(dialog->CB1->isChecked());
    EXPECT_TRUE(dialog->RB_SYNC_Block->isEnabled());

    dialog->CB1->click();
    EXPECT_FALSE(dialog->RB_SYNC_Block->isChecked());
    EXPECT_FALSE(dialog->RB_SYNC_Block->isEnabled());
    EXPECT_FALSE(dialog->RB_Mirvak_Block->isEnabled());
    EXPECT_FALSE(dialog->RG2->isEnabled() || dialog->RG2_masterF->isEnabled() || dialog->RG2_masterL->isEnabled());

    dialog->RG1_masterF->Button(0)->click();
    EXPECT_FALSE(dialog->RG2->isEnabled());
    EXPECT_TRUE(dialog->RG2_masterF->isEnabled());
    EXPECT_EQ(dialog->RG2_masterF->ItemIndex(), 1);
    dialog->RG2_masterF->Button(0)->click();

    // A choice in another local group clears the first.
    dialog->RG1->Button(2)->click();
    EXPECT_EQ(dialog->RG1_masterF->ItemIndex(), -1);
    EXPECT_TRUE(dialog->RG2->isEnabled());
    EXPECT_FALSE(dialog->RG2_masterF->isEnabled());
    dialog->RG2->Button(4)->click();
    dialog->FormClose();
    EXPECT_EQ(StateCfgConnect, 1);
    EXPECT_EQ(StateCfgLocal, 2);
    EXPECT_EQ(StateCfgRemote, 4);
}

// The left column holds one choice: a selective or SYNC button clears the groups, and the other way.
TEST_F(StateCfgDialog, TheLocalColumnHoldsOneChoice) {
    StateCfgLocal = 1;
    auto dialog = Open();
    dialog->RB_Mirvak_Block->click();
    EXPECT_EQ(dialog->RG1->ItemIndex(), -1);
    dialog->RB_SYNC_Block->click();
    EXPECT_FALSE(dialog->RB_Mirvak_Block->isChecked());
    dialog->RG1_masterL->Button(1)->click();
    EXPECT_FALSE(dialog->RB_SYNC_Block->isChecked());
    dialog->FormClose();
    EXPECT_EQ(StateCfgLocal, 9);
}

// Connection types without a generator leave only the selective and SYNC choices; with type 0 nothing is
// offered and the computed codes are written unchanged. The selective SIN needs a sub-mode other than 2.
TEST_F(StateCfgDialog, ConnectionTypesLimitTheChoices) {
    settings.ConnectionType = 2;
    settings.Mirvak.SubMode = 2;
    auto dialog = Open();
    EXPECT_FALSE(dialog->RG1->isEnabled());
    EXPECT_FALSE(dialog->RB_Mirvak_SIN->isEnabled());
    EXPECT_TRUE(dialog->RB_Mirvak_Block->isEnabled());

    settings.ConnectionType = 0;
    StateCfgLocal = 7;
    StateCfgRemote = 2;
    dialog = Open();
    for (QWidget *w :
         std::initializer_list<QWidget *>{dialog->RG1, dialog->RG1_masterF, dialog->RG1_masterL, dialog->RB_Mirvak_SIN,
                                          dialog->RB_Mirvak_Block, dialog->RB_SYNC_Block})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    dialog->FormClose();
    EXPECT_EQ(StateCfgLocal, 7);
    EXPECT_EQ(StateCfgRemote, 2);
}

// Shown modally, OK closes it, the choice comes back and the dialog frees itself; in batch mode no
// window opens.
TEST_F(StateCfgDialog, ShownModallyAndFreedAtTheEnd) {
    StateCfgLocal = 3;
    QTimer::singleShot(0, [] {
        ASSERT_TRUE(Form_StateCfg);
        SaveScreenshot(*Form_StateCfg, QStringLiteral("state_cfg"));
        Form_StateCfg->RG1->Button(0)->click();
        Form_StateCfg->BitBtn1->click();
    });
    const TStateCfgChoice choice = ShowStateCfgDialog();
    EXPECT_EQ(choice.Local, 0);
    EXPECT_EQ(StateCfgLocal, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Form_StateCfg.isNull());

    SetBatchMessageSink([](const MessageRequest &) { return int(IdOk); });
    StateCfgLocal = 4;
    EXPECT_EQ(ShowStateCfgDialog().Local, 4);
    EXPECT_TRUE(Form_StateCfg.isNull());
}

} // namespace
