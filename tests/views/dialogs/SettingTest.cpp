#include "views/Setting.h"

#include "chartlib/Chartlib.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "platform/Cp1251.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "state/ProgramSettings.h"
#include "support/Screenshot.h"
#include "support/TempProgramDir.h"
#include "views/RecordingWindowText.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <cstring>
#include <vector>

namespace {

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            return int(IdOk);
        });
        SettingsHost.AutoProtocolInterval = [this] { return interval; };
        SettingsHost.ScenarioRunning = [this] { return scenario; };
        SettingsHost.ArrangeGraphWindows = [this] { ++arranged; };
        dialog = new TForm_Settings;
        dialog->show();
    }
    void TearDown() override {
        delete dialog.data();
        SettingsHost = {};
        SetMessageBoxHandler({});
        InitProgramSettings();
        SetPrecisionZeros(ProgramSettings.Precision);
    }

    static QByteArray Image() {
        return QByteArray(reinterpret_cast<const char *>(&ProgramSettings), sizeof ProgramSettings);
    }

    TempProgramDir dir;
    QPointer<TForm_Settings> dialog;
    std::vector<MessageRequest> messages;
    int interval = 10;
    bool scenario = false;
    int arranged = 0;
};

// The caption and the R9.ini section have a Latin "y" at the start of the second word.
TEST_F(SettingsDialog, CaptionAndSectionHaveALatinY) {
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Программные yстановки"));
    EXPECT_EQ(dialog->windowTitle().at(12), QLatin1Char('y'));
    dialog->PageControl1->setCurrentIndex(1);
    dialog->BitBtn2Click();
    QCoreApplication::processEvents();
    const QString ini = FromCp1251(dir.read(QStringLiteral("R9.ini")));
    EXPECT_TRUE(ini.contains(QString::fromUtf8("[Программные yстановки]"))) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("PgCtrl1_APgIdx=1"))) << ini.toStdString();

    auto *again = new TForm_Settings;
    again->show();
    EXPECT_EQ(again->PageControl1->currentIndex(), 1);
    delete again;
}

// Typing over the day, month, hour and minute repairs each as it is typed.
TEST_F(SettingsDialog, TypedTimesAreRepairedInPlace) {
    QLineEdit *edit = dialog->MaskEdit[0];
    edit->setFocus();
    const struct {
        int position;
        const char *typed;
        const char *shown;
    } cases[] = {{0, "39", "31.01.2003  00:00:00"},
                 {3, "13", "31.12.2003  00:00:00"},
                 {12, "24", "31.12.2003  23:00:00"},
                 {15, "60", "31.12.2003  23:50:00"}};
    for (const auto &c : cases) {
        edit->setCursorPosition(c.position);
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown)) << c.typed;
    }
    edit->setText(QStringLiteral("**.05.2004  12:00:00"));
    EXPECT_EQ(edit->text(), "01.05.2004  12:00:00");
}

TEST_F(SettingsDialog, AutomaticProtocolIsOfferedFromFiveSeconds) {
    interval = 4;
    dialog->ShowSettings();
    EXPECT_FALSE(dialog->CB_AutoPrt->isEnabled());
    interval = 5;
    dialog->ShowSettings();
    EXPECT_TRUE(dialog->CB_AutoPrt->isEnabled());
}

TEST_F(SettingsDialog, AScenarioClearsTheAutomaticOptionsAndItsEndGivesThemBack) {
    ProgramSettings.AutoProtocol = 1;
    ProgramSettings.AutoWindowChange = 1;
    scenario = true;
    dialog->ShowSettings();
    EXPECT_EQ(ProgramSettings.AutoProtocol, 0);
    EXPECT_EQ(ProgramSettings.AutoWindowChange, 0);
    EXPECT_FALSE(dialog->CB_AutoPrt->isEnabled());
    EXPECT_FALSE(dialog->CB_AutoChangeForm->isEnabled());
    EXPECT_FALSE(dialog->CB_AutoChangeForm->isChecked());
    scenario = false;
    dialog->ShowSettings();
    EXPECT_TRUE(dialog->CB_AutoPrt->isEnabled());
    EXPECT_TRUE(dialog->CB_AutoChangeForm->isEnabled());
}

TEST_F(SettingsDialog, OkStoresEveryFieldAndThePrecisionShowsAtOnce) {
    dialog->CB[2]->setChecked(true);
    dialog->MaskEdit[2]->setText(QStringLiteral("14.02.2014  08:30:00"));
    dialog->MaskEdit[12]->setText(QStringLiteral("15.02.2014  17:45:10"));
    dialog->CSp_Precision->setValue(3);
    dialog->CB_AutoChangeForm->setChecked(true);
    dialog->CB_AutoPrt->setChecked(true);
    SaveScreenshot(*dialog, QStringLiteral("settings_save_page"));
    dialog->PageControl1->setCurrentIndex(1);
    SaveScreenshot(*dialog, QStringLiteral("settings_options_page"));
    QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    QCoreApplication::processEvents();

    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(dialog.isNull());
    const RecordingWindow third = ProgramSettings.RecordingWindows[2];
    EXPECT_EQ(third.Enabled, 1);
    EXPECT_EQ(RecordingTimeText(third.Start), "14.02.2014  08:30:00");
    EXPECT_EQ(RecordingTimeText(third.End), "15.02.2014  17:45:10");
    EXPECT_EQ(ProgramSettings.RecordingWindows[3].Enabled, 0);
    EXPECT_EQ(ProgramSettings.Precision, 3);
    EXPECT_EQ(ProgramSettings.AutoWindowChange, 1);
    EXPECT_EQ(ProgramSettings.AutoProtocol, 1);
    EXPECT_EQ(arranged, 1);
    EXPECT_EQ(FormatValue(2.0 / 3.0), "0.667");
}

// A day that does not exist stops OK at its edit before anything is stored.
TEST_F(SettingsDialog, AnInvalidDateLeavesEverySettingAsItWas) {
    const QByteArray before = Image();
    dialog->CB[0]->setChecked(true);
    dialog->MaskEdit[0]->setText(QStringLiteral("10.03.2010  10:00:00"));
    dialog->MaskEdit[15]->setText(QStringLiteral("31.02.2010  10:00:00"));
    dialog->CSp_Precision->setValue(6);
    dialog->BitBtn1Click();
    QCoreApplication::processEvents();

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("31.02.2010")));
    EXPECT_EQ(Image(), before);
    EXPECT_EQ(PrecisionZeros, "00");
    ASSERT_FALSE(dialog.isNull());
    EXPECT_EQ(dialog->PageControl1->currentWidget(), dialog->TabSheet_SaveOpt);
}

TEST_F(SettingsDialog, CancelAndEscapeStoreNothing) {
    const QByteArray before = Image();
    dialog->CB[5]->setChecked(true);
    dialog->CSp_Precision->setValue(8);
    dialog->MaskEdit[4]->setFocus();
    QTest::keyClick(dialog->MaskEdit[4], Qt::Key_Escape); // from any control of the dialog
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Image(), before);

    dialog = new TForm_Settings;
    dialog->show();
    dialog->CB_AutoChangeForm->setChecked(true);
    QTest::mouseClick(dialog->BitBtn2, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Image(), before);
}

TEST_F(SettingsDialog, ShowsTheStoredWindows) {
    ProgramSettings.RecordingWindows[9].Enabled = 1;
    ProgramSettings.RecordingWindows[9].Start = EncodeDate(2020, 7, 1) + EncodeTime(6, 0, 0, 0);
    ProgramSettings.Precision = 4;
    dialog->ShowSettings();
    EXPECT_TRUE(dialog->CB[9]->isChecked());
    EXPECT_EQ(dialog->MaskEdit[9]->text(), "01.07.2020  06:00:00");
    EXPECT_EQ(dialog->MaskEdit[19]->text(), "01.01.2003  00:00:00");
    EXPECT_EQ(dialog->CSp_Precision->value(), 4);
}

} // namespace
