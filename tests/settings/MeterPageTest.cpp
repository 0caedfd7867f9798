#include "settings/window/MeterPage.h"

#include "controls/Zeltcspinedit.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/MessageService.h"
#include "settings/SettingsFixture.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"
#include "support/LayoutFaults.h"
#include "support/Screenshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

namespace {

constexpr QRgb LimeRgb = 0x32CD32;
constexpr QRgb YellowRgb = 0xFFFF00;

QRgb TextColour(const QPushButton &button) {
    return button.palette().color(QPalette::ButtonText).rgb() & 0xFFFFFF;
}

class MeterPage : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        BuildParamCatalogue();
        FileNameList.clear();
        settings.WeightingIndex = -1;
        settings.ConnectionType = 5;
        settings.MeterImpedance = 600;
        settings.MeterHighImpedance = 0;
        settings.BandF0 = 2.5f; // SampleRate / 1024
        settings.BandF1 = 1024;
        settings.CableVelocity = 200;
        settings.AveragingInterval = 10;
        TMeterPageHost host;
        host.DirMaskFile = [this]() -> QString & { return dirMaskFile; };
        host.ChooseWeightingFile = [this](const QString &folder) {
            foldersAsked << folder;
            return chosenFile;
        };
        host.SendRemoteMessage = [this](const std::vector<uint8_t> &codes) { sent.push_back(codes); };
        host.ApplyBlockSize = [this](bool, bool) { ++blockSizes; };
        page = std::make_unique<TMeterPage>(host);
        page->Refresh();
        SetMessageBoxHandler([this](const MessageRequest &r) {
            messages << r.text;
            return int(IdOk);
        });
    }
    void TearDown() override {
        page.reset();
        SetMessageBoxHandler({});
        SetWeightingCurve(0, nullptr, nullptr);
        FileNameList.clear();
        SettingsTest::TearDown();
    }
    QString WriteFile(const QString &name, const QByteArray &text) {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return path;
    }

    QTemporaryDir dir;
    QString dirMaskFile = QStringLiteral("/masks/");
    QString chosenFile;
    QStringList foldersAsked, messages;
    std::vector<std::vector<uint8_t>> sent;
    int blockSizes = 0;
    std::unique_ptr<TMeterPage> page;
};

TEST_F(MeterPage, ARefreshedPageAgreesWithTheSettingsUntilAControlChanges) {
    EXPECT_EQ(TextColour(*page->Button_SetParam), LimeRgb);
    EXPECT_EQ(TextColour(*page->Button_M9_SetParam), LimeRgb);
    page->CheckSetMeter();
    EXPECT_EQ(TextColour(*page->Button_SetParam), LimeRgb);
    EXPECT_EQ(TextColour(*page->Button_M9_SetParam), LimeRgb);
    page->Edit_M9_Lmin->SetValue(-50);
    EXPECT_EQ(TextColour(*page->Button_SetParam), YellowRgb);
    EXPECT_EQ(TextColour(*page->Button_M9_SetParam), LimeRgb);
    page->CB_M9_Z_Hi->click();
    EXPECT_EQ(TextColour(*page->Button_M9_SetParam), YellowRgb);
}

TEST_F(MeterPage, AveragingIsAppliedAsSecondsWithinOneHour) {
    const struct {
        const char *text;
        int seconds;
        const char *shown;
    } cases[] = {{"07:30", 450, "07:30"}, {"99:99", 3599, "59:59"}, {"00:05", 5, "00:05"}};
    for (const auto &c : cases) {
        page->Edit_M9_Tavr->setText(QString::fromLatin1(c.text));
        page->SetParamClick();
        EXPECT_EQ(settings.AveragingInterval, c.seconds) << c.text;
        EXPECT_EQ(page->Edit_M9_Tavr->text(), QString::fromLatin1(c.shown)) << c.text;
    }
    // The spin buttons stop at 00:00 and 59:59.
    page->Edit_M9_Tavr->setText(QStringLiteral("00:00"));
    page->CSpinButton1Down->click();
    EXPECT_EQ(page->Edit_M9_Tavr->text(), QStringLiteral("00:00"));
    page->Edit_M9_Tavr->setText(QStringLiteral("59:59"));
    page->CSpinButton1Up->click();
    EXPECT_EQ(page->Edit_M9_Tavr->text(), QStringLiteral("59:59"));
    page->CSpinButton1Down->click();
    EXPECT_EQ(page->Edit_M9_Tavr->text(), QStringLiteral("59:58"));
}

TEST_F(MeterPage, TheWeightingFileReachesTheEngineAndTheFileListOnlyWhenApplied) {
    chosenFile = WriteFile(QStringLiteral("a.9wf"), "==header\n3.4 -1\n0.3 -20\nbad line\n1 0\n");
    page->Button_OpenFile->click();
    EXPECT_EQ(foldersAsked, QStringList{QStringLiteral("/masks/")});
    EXPECT_EQ(dirMaskFile, dir.path() + QLatin1Char('/'));
    EXPECT_EQ(page->Edit_FileName->text(), QStringLiteral("a.9wf"));
    EXPECT_EQ(page->WeightingFreqs(), (std::vector<float>{3.4f, 0.3f, 1}));
    EXPECT_EQ(WeightingCurve.Count, 0);
    EXPECT_TRUE(FileNameList.isEmpty());
    EXPECT_EQ(TextColour(*page->Button_SetParam), YellowRgb);

    page->SetParamClick();
    EXPECT_EQ(WeightingCurve.Count, 3);
    EXPECT_EQ(FileNameList, QStringList{chosenFile});
    EXPECT_EQ(settings.WeightingIndex, 0);
    EXPECT_EQ(TextColour(*page->Button_SetParam), LimeRgb);

    chosenFile = WriteFile(QStringLiteral("b.9wf"), "1 2\n");
    page->Button_OpenFile->click();
    page->SetParamClick();
    EXPECT_EQ(FileNameList, QStringList{chosenFile});

    page->Button_ClearFile->click();
    page->SetParamClick();
    EXPECT_EQ(FileNameList, QStringList{QString()});
    EXPECT_EQ(settings.WeightingIndex, 0);
    EXPECT_EQ(WeightingCurve.Count, 0);
    page->Refresh();
    EXPECT_EQ(page->Edit_FileName->text(), QString());
}

TEST_F(MeterPage, ClearingAChosenFileWithNothingAppliedLeavesTheButtonLime) {
    chosenFile = WriteFile(QStringLiteral("a.9wf"), "1 2\n");
    page->Button_OpenFile->click();
    EXPECT_EQ(TextColour(*page->Button_SetParam), YellowRgb);
    page->Button_ClearFile->click();
    EXPECT_EQ(TextColour(*page->Button_SetParam), LimeRgb);
}

TEST_F(MeterPage, CancellingTheDialogOrAnUnreadableFileChangesNothing) {
    chosenFile.clear();
    page->Button_OpenFile->click();
    EXPECT_TRUE(page->WeightingFreqs().empty());
    chosenFile = dir.filePath(QStringLiteral("gone.9wf"));
    page->Button_OpenFile->click();
    EXPECT_TRUE(page->WeightingFreqs().empty());
    EXPECT_EQ(page->Edit_FileName->text(), QString());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("gone.9wf")));
    EXPECT_EQ(dirMaskFile, QStringLiteral("/masks/"));
}

TEST_F(MeterPage, MeasuredReferenceTakesTheRecognisedKindsLevel) {
    const int32_t savedKind = SignalKind;
    SignalKind = 1;
    ParamTableSin[3].Result.Value = -12;
    settings.MeterRef = 2;
    page->Refresh();
    page->CB_M9_ref->setCurrentIndex(5);
    page->M9SetParamClick();
    EXPECT_FLOAT_EQ(settings.MeterRef, -10);
    EXPECT_EQ(settings.RefPresets & 0xFF, 5);
    // Without a measured level the reference stays.
    SignalKind = 0;
    page->M9SetParamClick();
    EXPECT_FLOAT_EQ(settings.MeterRef, -10);
    // The page's own apply never measures.
    SignalKind = 1;
    page->SetParamClick();
    EXPECT_FLOAT_EQ(settings.MeterRef, -10);
    SignalKind = savedKind;
}

TEST_F(MeterPage, WithARemoteLinkTheAppliesAndTheRestartGoToThePeer) {
    settings.ConnectState = 2;
    page->SetParamClick();
    page->M9SetParamClick();
    page->RestartClick();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{22, 23}));
    EXPECT_EQ(sent[1], (std::vector<uint8_t>{22, 23}));
    EXPECT_EQ(sent[2], (std::vector<uint8_t>{14, 4, 24, 25}));
    EXPECT_EQ(settings.Mode & 0x101, 0);
}

TEST_F(MeterPage, WithoutALinkTheApplyRaisesTheCommandsAndTheRestartTheRecompute) {
    page->SetParamClick();
    EXPECT_TRUE(sent.empty());
    page->RestartClick();
    EXPECT_TRUE(sent.empty());
}

TEST_F(MeterPage, LeavingTheCentreMovesTheEdgesAndAnAppliedBandReachesTheSettings) {
    page->Edit_M9_Fc->SetValue(1);
    page->Edit_M9_B->SetValue(4);
    emit page->Edit_M9_B->editingFinished();
    // The spectrum step is 2560 / 2048 = 1.25 kHz: F0 rises to it, F1 = F0 + B, Fc follows.
    EXPECT_DOUBLE_EQ(page->Edit_M9_F0->GetValue(), 1.25);
    EXPECT_DOUBLE_EQ(page->Edit_M9_F1->GetValue(), 5.25);
    EXPECT_DOUBLE_EQ(page->Edit_M9_Fc->GetValue(), 3.25);
    page->SetParamClick();
    EXPECT_FLOAT_EQ(settings.BandF0, 1.25f);
    EXPECT_FLOAT_EQ(settings.BandF1, 5.25f);
    EXPECT_EQ(blockSizes, 1);
}

TEST_F(MeterPage, AVelocityThatDoesNotConvertIsReportedAndBecomes150) {
    page->Edit_M9_VCable->setText(QStringLiteral("abc"));
    page->SetParamClick();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Неверное значение")});
    EXPECT_FLOAT_EQ(settings.CableVelocity, 150);
    EXPECT_EQ(page->Edit_M9_VCable->text(), QStringLiteral("150.00"));
    page->Edit_M9_VCable->setText(QStringLiteral("300/2"));
    emit page->Edit_M9_VCable->returnPressed();
    EXPECT_EQ(page->Edit_M9_VCable->text(), QStringLiteral("150.00"));
}

TEST_F(MeterPage, TheRangeAndConnectionTypeShapeThePage) {
    QLineEdit phasingMinF, pulse;
    page->Edit_Phasing_minF = &phasingMinF;
    page->Edit_RND_pulse = &pulse;
    page->Refresh();
    EXPECT_EQ(pulse.text(), QStringLiteral("0.4")); // 1000 / 2560 kHz
    EXPECT_FALSE(page->CB_M9_PhasingOn->isEnabled());
    EXPECT_EQ(page->Edit_Phasing_minF->text(), QStringLiteral("1.25"));
    settings.MaxFrequency = 64;
    settings.SampleRate = 160;
    settings.BandF1 = 64;
    settings.AdcSizeIndex = 0;
    settings.ConnectionType = 7;
    settings.AfcRef = 0.1f;
    page->Refresh();
    EXPECT_EQ(page->Edit_Phasing_minF->text(), QStringLiteral("0.078125"));
    EXPECT_TRUE(page->CB_M9_PhasingOn->isEnabled());
    EXPECT_FLOAT_EQ(settings.AfcRef, 0.3f); // a coaxial meter starts at 0.3 kHz
    EXPECT_EQ(page->CB_M9_AFC->currentIndex(), 2);
    EXPECT_EQ(page->Edit_M9_Z->GetValue(), 75); // type 7: the meter is 75 Ohm without its box
    settings.AfcRef = -1;
    page->Refresh();
    EXPECT_EQ(page->CB_M9_AFC->currentIndex(), 1);
    EXPECT_EQ(page->Edit_M9_A0->GetValue(), -1);
    EXPECT_FALSE(page->Edit_M9_A0->isEnabled());
}

TEST_F(MeterPage, APhasogramReferenceBelowTheResolutionIsRefused) {
    settings.ConnectionType = 7;
    page->Refresh();
    page->CB_M9_PhasingOn->setChecked(true);
    page->Edit_M9_Phasing->SetValue(0.1); // the resolution is 2560 / 2048 = 1.25 kHz
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Заданное значение опорной частоты фазограммы [0.1000 кГц] ")));
    EXPECT_FALSE(page->CB_M9_PhasingOn->isChecked());
}

TEST_F(MeterPage, ReferencePresetsSetTheReferenceAndTheMaximumLevelsFollow) {
    // 600 Ohm on a symmetric input: the four choices 44, 24, 4, -16 dBm0 at reference 0.
    ASSERT_EQ(page->CB_Lmax_dBm->count(), 4);
    EXPECT_EQ(page->CB_Lmax_dBm->itemText(0), QStringLiteral("44"));
    EXPECT_EQ(page->CB_Lmax_dBm->itemText(3), QStringLiteral("-16"));
    page->CB_M9_ref->setCurrentIndex(4);
    page->MeterRefPresetChanged(true);
    EXPECT_EQ(page->Edit_M9_Ref->GetValue(), 4);
    EXPECT_FALSE(page->Edit_M9_Ref->isEnabled());
    page->CB_M9_ref->setCurrentIndex(2);
    page->MeterRefPresetChanged(true);
    EXPECT_DOUBLE_EQ(page->Edit_M9_Ref->GetValue(), 0);
    // The 0.775 V preset follows the impedance: 150 Ohm gives 6.02 dB, snapped to the 0.005 grid.
    page->CB_M9_Z_Hi->click();
    page->Edit_M9_Z->SetValue(150);
    EXPECT_NEAR(page->Edit_M9_Ref->GetValue(), 6.02, 1e-9);
    EXPECT_EQ(page->CB_Lmax_dBm->itemText(2), QStringLiteral("4")); // trunc(10 log10(3.0238 / 0.15) - 6.02 - 2.5)
    page->CB_M9_ref->setCurrentIndex(0);
    page->MeterRefPresetChanged(true);
    EXPECT_TRUE(page->Edit_M9_Ref->isEnabled());
    EXPECT_NEAR(page->Edit_M9_Ref->GetValue(), 6.02, 1e-9);
}

TEST_F(MeterPage, Screenshot) {
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    page->setParent(&window);
    row->addWidget(page.get());
    auto *common = new QWidget(&window);
    auto *column = new QVBoxLayout(common);
    column->addWidget(page->MeterGroup());
    column->addStretch();
    page->MeterGroup()->show();
    row->addWidget(common);
    chosenFile = WriteFile(QStringLiteral("psof.9wf"), "0.3 -20\n1 0\n");
    page->Button_OpenFile->click();
    window.resize(1000, 560);
    window.show();
    QCoreApplication::processEvents();
    // The page shows the chosen weighting file beside its buttons, and no control lies on another.
    for (QWidget *shown : std::initializer_list<QWidget *>{page->MeterGroup(), page->Edit_FileName,
                                                            page->Button_OpenFile, page->Button_ClearFile})
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    EXPECT_EQ(page->Edit_FileName->text(), QStringLiteral("psof.9wf"));
    EXPECT_EQ(LayoutFaults(window).join(" | ").toStdString(), "");
    SaveScreenshot(window, QStringLiteral("meter_page"));
    page->setParent(nullptr);
}

} // namespace
