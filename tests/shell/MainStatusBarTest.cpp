#include "MainFixture.h"

#include "engine/catalogue/ConnectionTypes.h"
#include "engine/evaluation/PointVerdicts.h"
#include "shell/StatusBar2.h"

#include <QEventLoop>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <cstring>

namespace {

void ChooseFrequency(TMainForm &form, const char *text) {
    form.StatusBar2->SetPanelText(1, QString::fromUtf8(text));
}

} // namespace

TEST_F(MainWindowTest, ANewMaximumFrequencyRescalesEveryDerivedFrequency) {
    TMainForm &form = Start();
    const TDeviceSettings before = *DeviceSettings;
    ChooseFrequency(form, "512 кГц");
    ASSERT_TRUE(form.ApplySampleRate(true));
    const TDeviceSettings &s = *DeviceSettings;
    EXPECT_FLOAT_EQ(s.MaxFrequency, 512);
    EXPECT_FLOAT_EQ(s.SampleRate, 1280);
    EXPECT_FLOAT_EQ(s.Sin.F1, 2 * before.Sin.F1);
    EXPECT_FLOAT_EQ(s.Sin2.F1, 2 * before.Sin2.F1);
    EXPECT_FLOAT_EQ(s.Sin2.F2, 2 * before.Sin2.F2);
    EXPECT_FLOAT_EQ(s.Mtts.F1, 2 * before.Mtts.F1);
    EXPECT_FLOAT_EQ(s.Mtts.Step, 2 * before.Mtts.Step);
    EXPECT_FLOAT_EQ(s.Mtts.F2, s.Mtts.F1 + (s.Mtts.Count - 1) * s.Mtts.Step);
    // The control band doubles onto the grid of eight 1024-point bins (10 kHz at 1280 kHz).
    EXPECT_FLOAT_EQ(s.ControlF1, 2 * before.ControlF1);
    EXPECT_FLOAT_EQ(s.ControlFN, 2 * before.ControlFN);
    EXPECT_FLOAT_EQ(s.Sin.MinFreq, 1280.0f / 1024);
    EXPECT_FLOAT_EQ(s.Sin2.MinFreq, 1280.0f / 256);
    EXPECT_FLOAT_EQ(s.Mtts.MinFreq, 2 * 1280.0f / 1024);
    EXPECT_FLOAT_EQ(s.ControlStep, 1280.0f / 128);
    EXPECT_FLOAT_EQ(s.ControlMinSpan, 25 * 1280.0f / 1024);
    EXPECT_FLOAT_EQ(s.BandF0, 1280.0f / 1024);
    EXPECT_FLOAT_EQ(s.BandF1, 512);
    EXPECT_FLOAT_EQ(s.SpectrumStep, 1280.0f / 2048);
    EXPECT_FLOAT_EQ(s.MasterF.RangeStart, 2 * before.MasterF.RangeStart);
    EXPECT_FLOAT_EQ(s.MasterL.SinValue, 2 * before.MasterL.SinValue);
}

TEST_F(MainWindowTest, ReferenceFrequenciesOutsideTheNewBandMoveToItsMiddle) {
    TMainForm &form = Start();
    struct Case {
        float afc, expectedAfc;
    };
    // Band after the change to 64 kHz: 0.15625 .. 64.
    const Case cases[] = {{0, 0}, {-1, -1}, {30, 30}, {100, (0.15625f + 64) / 2}};
    for (const Case &c : cases) {
        *DeviceSettings = DefaultDeviceSettings();
        DeviceSettings->AfcRef = c.afc;
        DeviceSettings->GvpRef = c.afc;
        ChooseFrequency(form, "64 кГц");
        ASSERT_TRUE(form.ApplySampleRate(true));
        EXPECT_FLOAT_EQ(DeviceSettings->AfcRef, c.expectedAfc) << c.afc;
        EXPECT_FLOAT_EQ(DeviceSettings->GvpRef, c.expectedAfc) << c.afc;
    }
}

TEST_F(MainWindowTest, ARefusedMaximumFrequencyLeavesTheRecordByteIdentical) {
    TMainForm &form = Start();
    struct Case {
        const char *choice;
        int adcSizeIndex;
    };
    // 2048 kHz with the 150 Ohm impedances in matched mode; 64 kHz with the largest block.
    const Case cases[] = {{"2048 кГц", 0}, {"64 кГц", 4}};
    for (const Case &c : cases) {
        *DeviceSettings = DefaultDeviceSettings();
        DeviceSettings->AdcSizeIndex = c.adcSizeIndex;
        TDeviceSettings before;
        std::memcpy(&before, DeviceSettings, sizeof before);
        messages.clear();
        ChooseFrequency(form, c.choice);
        EXPECT_FALSE(form.ApplySampleRate(true)) << c.choice;
        EXPECT_EQ(std::memcmp(&before, DeviceSettings, sizeof before), 0) << c.choice;
        EXPECT_EQ(form.StatusBar2->PanelText(1), QStringLiteral("256 кГц"));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].caption, QStringLiteral("Внимание!"));
    }
}

TEST_F(MainWindowTest, AZeroMaximumFrequencyInTheRecordIsNotARatio) {
    TMainForm &form = Start();
    DeviceSettings->MaxFrequency = 0;
    ChooseFrequency(form, "512 кГц");
    ASSERT_TRUE(form.ApplySampleRate(true));
    EXPECT_FLOAT_EQ(DeviceSettings->Sin.F1, DefaultDeviceSettings().Sin.F1);
    EXPECT_TRUE(std::isfinite(DeviceSettings->MasterF.RangeStart));
}

TEST_F(MainWindowTest, BlockSizeTable) {
    TMainForm &form = Start();
    struct Case {
        int index;
        int size;
        float maxFrequency;
        float firstStepTime;
    };
    const Case cases[] = {{0, 2048, 256, 0.4f}, {1, 4096, 256, 0.4f},  {3, 16384, 4, 0.6f},
                          {4, 32768, 8, 0.4f},  {9, 32768, 256, 0.4f}, {-2, 2048, 256, 0.4f}};
    for (const Case &c : cases) {
        *DeviceSettings = DefaultDeviceSettings();
        DeviceSettings->MaxFrequency = c.maxFrequency;
        DeviceSettings->SampleRate = 2.5f * c.maxFrequency;
        DeviceSettings->AdcSizeIndex = c.index;
        form.ApplyBlockSize(false, false);
        EXPECT_EQ(DeviceSettings->AdcSize, c.size) << c.index;
        EXPECT_FLOAT_EQ(DeviceSettings->SpectrumStep, 2.5f * c.maxFrequency / c.size) << c.index;
        EXPECT_FLOAT_EQ(StepTimeTable[0], c.firstStepTime) << c.index;
    }
}

TEST_F(MainWindowTest, ChoiceListsFollowConnectionTypeAndFrequency) {
    TMainForm &form = Start();
    form.show();
    DeviceSettings->ConnectionType = 6;
    form.OpenStatusList(1);
    ASSERT_NE(form.LB1, nullptr);
    EXPECT_EQ(form.LB1->count(), 6);
    EXPECT_EQ(form.LB1->item(5)->text(), QStringLiteral("128 кГц"));
    EXPECT_EQ(form.LB1->parentWidget()->window(), &form);
    form.CloseStatusList();

    DeviceSettings->ConnectionType = 3;
    form.OpenStatusList(1);
    EXPECT_EQ(form.LB1->count(), 11);
    EXPECT_EQ(form.LB1->currentItem()->text(), QStringLiteral("256 кГц"));
    form.CloseStatusList();

    DeviceSettings->MaxFrequency = 64;
    form.OpenStatusList(2);
    EXPECT_EQ(form.LB1->count(), 6);
    form.CloseStatusList();
    DeviceSettings->MaxFrequency = 256;
    form.OpenStatusList(2);
    EXPECT_EQ(form.LB1->count(), 13);
}

TEST_F(MainWindowTest, ChoosingAConnectionTypeAppliesItAndTheListClosesWithoutAMeasurement) {
    TMainForm &form = Start();
    form.show();
    form.OpenStatusList(2);
    ASSERT_NE(form.LB1, nullptr);
    form.LB1Choose(5);
    EXPECT_EQ(DeviceSettings->ConnectionType, 5);
    EXPECT_EQ(form.StatusBar2->PanelText(2), ConnectionTypeNames.value(5));
    EXPECT_EQ(DeviceSettings->Block.State, 1);
    EXPECT_FALSE(form.Timer1->isActive());
    // The list's own timer closes it at its second tick.
    form.ListCloseTick();
    EXPECT_NE(form.LB1, nullptr);
    form.ListCloseTick();
    EXPECT_EQ(form.LB1, nullptr);
}

TEST_F(MainWindowTest, StatusPanelThreeIsColouredByItsText) {
    TMainForm &form = Start();
    struct Case {
        const char *text;
        int tag;
        QColor colour;
        bool right;
    };
    const Case cases[] = {
        {"Команда выполнена", 0, Qt::green, false},  {"Команда не выполнена", 0, Qt::red, false},
        {"Передача команды", 0, Qt::yellow, true},   {"Соединение прервано!", 0, Qt::yellow, false},
        {"Ожидание сигнала", 11, Qt::magenta, true}, {"Ожидание сигнала", 0, Qt::yellow, true},
        {"Перегрев БК", 0, Qt::red, false},
    };
    for (const Case &c : cases) {
        const TMainForm::Panel3Look look = form.Panel3Style(QString::fromUtf8(c.text), c.tag);
        EXPECT_EQ(look.background, c.colour) << c.text;
        EXPECT_EQ(look.rightAligned, c.right) << c.text;
    }
    EXPECT_EQ(form.Panel3Style(QStringLiteral("что-то"), 0).background, form.palette().button().color());
}

// The refusal box of a choice stays up longer than the list's close timer: the list is closed and
// deleted while the box is up, and the choice must come back to no list at all (under the address
// sanitizer a return into the deleted list's click handling is a use after free).
TEST_F(MainWindowTest, AChoiceWhoseBoxOutlastsTheListsCloseTimerReturnsSafely) {
    TMainForm &form = Start();
    form.show();
    SetMessageBoxHandler([this, &form](const MessageRequest &request) {
        messages.push_back(request);
        // 1.5 s of the box: three ticks of the close timer, then the deferred deletions of a nested loop.
        for (int tick = 0; tick < 3; ++tick)
            if (form.ListCloseTimer->isActive())
                form.ListCloseTick();
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return int(IdOk);
    });
    form.OpenStatusList(1);
    QListWidget *list = form.LB1;
    ASSERT_NE(list, nullptr);
    // 2048 kHz is refused with an unmatched 600 Ohm generator (the start snapped the default 150 Ohm to 135).
    DeviceSettings->GenImpedance = 600;
    const QRect item = list->visualItemRect(list->item(1));
    ASSERT_EQ(list->item(1)->text(), QStringLiteral("2048 кГц"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(form.LB1, nullptr);
    EXPECT_FLOAT_EQ(DeviceSettings->MaxFrequency, 256);
    EXPECT_EQ(form.StatusBar2->PanelText(1), QStringLiteral("256 кГц"));
}

// Under remote control the command, message and overload texts keep their own look; only the texts
// below them give way to "Комплекс под удаленным управлением" on aqua.
TEST_F(MainWindowTest, PanelThreeUnderRemoteControlDrawsTheCommandTextsFirst) {
    TMainForm &form = Start();
    DeviceSettings->PeerConnectState = 1;
    struct Case {
        const char *text;
        QColor colour;
        int tagAfter;
    };
    const Case cases[] = {
        {"Команда выполнена", Qt::green, 0},   {"Сообщение не принято", Qt::red, 0},
        {"Прием сообщения", Qt::yellow, 0},    {"Соединение прервано!", Qt::yellow, 0},
        {"", Qt::cyan, 2},                     {"Ожидание данных 00:05", Qt::cyan, 2},
    };
    for (const Case &c : cases) {
        form.StatusBar2->SetPanelText(3, QString::fromUtf8(c.text));
        form.StatusBar2->Tag = 0;
        QImage image(200, 20, QImage::Format_RGB32);
        QPainter painter(&image);
        form.StatusBar2DrawPanel(painter, 3, image.rect());
        painter.end();
        EXPECT_EQ(QColor(image.pixel(0, 0)), c.colour) << c.text;
        EXPECT_EQ(form.StatusBar2->Tag, c.tagAfter) << c.text;
    }
    DeviceSettings->PeerConnectState = 0;
}

// The verdicts of the spectrum's slots start afresh with a new block size: kept only where a mask is.
TEST_F(MainWindowTest, ANewBlockSizeStartsThePointVerdictsAfresh) {
    TMainForm &form = Start();
    PointVerdicts[0] = std::make_unique<uint8_t[]>(16);
    form.ApplyBlockSize(true, false);
    EXPECT_EQ(PointVerdicts[0], nullptr);
}

// A power fault in a batch run takes the road of every message: a line of the batch log with the code that
// ends the run, and no box.
TEST_F(MainWindowTest, APowerFaultOfABatchRunIsAMessageThatEndsTheRun) {
    TMainForm &form = Start();
    std::vector<MessageRequest> logged;
    SetBatchMessageSink([&logged](const MessageRequest &request) {
        logged.push_back(request);
        return int(IdOk);
    });
    TPowerTick tick;
    tick.Warning = QStringLiteral("Аккумулятор разряжен! = 5%");
    tick.BatchLines << tick.Warning;
    tick.FinishBatch = true;
    form.ApplyPowerTick(tick);
    SetBatchMessageSink({});
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].text, tick.Warning);
    EXPECT_EQ(logged[0].batchCode, -5);
    EXPECT_EQ(logged[0].batchLogSource, 0);
}
