#include "settings/window/SyncPage.h"

#include "controls/Zeltcspinedit.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "settings/GeneratorCommands.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SyncRun.h"
#include "settings/window/Form_SetDev.h"
#include "settings/window/SetDevWidgets.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double SyncDelayIncrement = 25;
constexpr int SyncCountMax = 10000;

QRadioButton *NewNamedRadio(QWidget *parent, const char *name, const QString &text) {
    auto *radio = new QRadioButton(text, parent);
    radio->setObjectName(QLatin1String(name));
    return radio;
}

QString WholeMicroseconds(int64_t value) {
    return QString::number(value);
}

} // namespace

TSyncPage::TSyncPage(TSyncPageHost host, QWidget *parent) : QWidget(parent), host_(std::move(host)) {
    setObjectName(QStringLiteral("SyncPage"));
    BuildPage();
    Connect();
}

void TSyncPage::BuildPage() {
    auto *page = new QVBoxLayout(this);
    page->addWidget(new QLabel(
        QStringLiteral("Измерение длительности импульса на разъеме SYNC\nи регистрация сигнала на разъеме RTx по SYNC"),
        this));

    Panel14 = new QGroupBox(this);
    Panel14->setObjectName(QStringLiteral("Panel14"));
    auto *setup = new QGridLayout(Panel14);
    RB_Sync_11 = NewNamedRadio(Panel14, "RB_Sync_11", QStringLiteral("Начать по положительному фронту на SYNC"));
    RB_Sync_12 = NewNamedRadio(Panel14, "RB_Sync_12", QStringLiteral("Начать по отрицательному фронту на SYNC"));
    RB_Sync_13 = NewNamedRadio(Panel14, "RB_Sync_13", QStringLiteral("Завершить по положительному фронту на SYNC"));
    RB_Sync_14 = NewNamedRadio(Panel14, "RB_Sync_14", QStringLiteral("Завершить по отрицательному фронту на SYNC"));
    Edit_Sync_Delay_1 = NewNamedSpin(Panel14, "Edit_Sync_Delay_1");
    Edit_Sync_Delay_2 = NewNamedSpin(Panel14, "Edit_Sync_Delay_2");
    Edit_Sync_Delay_3 = NewNamedSpin(Panel14, "Edit_Sync_Delay_3");
    Edit_Sync_Delay_4 = NewNamedSpin(Panel14, "Edit_Sync_Delay_4");
    for (int mode = 0; mode < 4; ++mode) {
        SetSpinRange(DelayEdit(mode), 0, SyncDelayMax, SyncDelayIncrement);
        setup->addWidget(EdgeRadio(mode), mode, 0);
        setup->addWidget(new QLabel(QStringLiteral("с задержкой"), Panel14), mode, 1);
        setup->addWidget(DelayEdit(mode), mode, 2);
        setup->addWidget(new QLabel(QStringLiteral("мкс"), Panel14), mode, 3);
    }
    Edit_OSC1 = NewNamedReadOnly(Panel14, "Edit_OSC1");
    Edit_SYNC_dtmPulse = NewNamedReadOnly(Panel14, "Edit_SYNC_dtmPulse");
    setup->addWidget(new QLabel(QStringLiteral("Осциллограмма: развертка"), Panel14), 4, 0, 1, 2);
    setup->addWidget(Edit_OSC1, 4, 2);
    setup->addWidget(new QLabel(QStringLiteral("мкс"), Panel14), 4, 3);
    setup->addWidget(new QLabel(QStringLiteral("Интервал следования импульсов не менее"), Panel14), 5, 0, 1, 2);
    setup->addWidget(Edit_SYNC_dtmPulse, 5, 2);
    setup->addWidget(new QLabel(QStringLiteral("мкс"), Panel14), 5, 3);
    setup->setColumnStretch(4, 1);
    page->addWidget(Panel14);

    auto *count = new QGroupBox(this);
    auto *countGrid = new QGridLayout(count);
    RB_End = NewNamedRadio(count, "RB_End", QStringLiteral("Завершить после регистрации"));
    Edit_Sync_CountPulse = NewNamedSpin(count, "Edit_Sync_CountPulse");
    SetSpinRange(Edit_Sync_CountPulse, 1, SyncCountMax, 1);
    RB_SYNC_Monitor = NewNamedRadio(count, "RB_SYNC_Monitor", QStringLiteral("Непрерывный мониторинг импульсов"));
    countGrid->addWidget(RB_End, 0, 0);
    countGrid->addWidget(Edit_Sync_CountPulse, 0, 1);
    countGrid->addWidget(new QLabel(QStringLiteral("импульса(ов)"), count), 0, 2);
    countGrid->addWidget(RB_SYNC_Monitor, 1, 0, 1, 3);
    countGrid->setColumnStretch(3, 1);
    page->addWidget(count);

    auto *run = new QHBoxLayout;
    Btn_SYNC_Start = NewNamedButton(this, "Btn_SYNC_Start", QStringLiteral("Старт"));
    Btn_SYNC_Stop = NewNamedButton(this, "Btn_SYNC_Stop", QStringLiteral("Стоп"));
    run->addWidget(Btn_SYNC_Start);
    run->addWidget(Btn_SYNC_Stop);
    run->addStretch();
    page->addLayout(run);
    page->addStretch();
}

void TSyncPage::Connect() {
    for (int mode = 0; mode < 4; ++mode) {
        connect(EdgeRadio(mode), &QRadioButton::clicked, this, [this, mode] { Edit_Sync_DelayChange(mode); });
        connect(DelayEdit(mode), &TZeltCSpinEdit::Change, this, [this, mode] { Edit_Sync_DelayChange(mode); });
        DelayEdit(mode)->installEventFilter(this);
    }
    Edit_Sync_CountPulse->installEventFilter(this);
    connect(Btn_SYNC_Start, &QPushButton::clicked, this, [this] { Btn_SYNC_StartClick(); });
    connect(Btn_SYNC_Stop, &QPushButton::clicked, this, [this] { Btn_SYNC_StopClick(); });
}

bool TSyncPage::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == Edit_Sync_CountPulse)
            Edit_Sync_CountPulseExit();
        for (int mode = 0; mode < 4; ++mode)
            if (watched == DelayEdit(mode))
                Edit_Sync_Delay_1Exit(DelayEdit(mode));
    }
    return QWidget::eventFilter(watched, event);
}

QRadioButton *TSyncPage::EdgeRadio(int mode) const {
    QRadioButton *const radios[] = {RB_Sync_11, RB_Sync_12, RB_Sync_13, RB_Sync_14};
    return radios[mode];
}

TZeltCSpinEdit *TSyncPage::DelayEdit(int mode) const {
    TZeltCSpinEdit *const edits[] = {Edit_Sync_Delay_1, Edit_Sync_Delay_2, Edit_Sync_Delay_3, Edit_Sync_Delay_4};
    return edits[mode];
}

int TSyncPage::SpectrumSizeChoice() const {
    return host_.SpectrumSizeChoice ? host_.SpectrumSizeChoice() : DeviceSettings->AdcSizeIndex;
}

void TSyncPage::RefreshSyncPage() {
    TDeviceSettings &s = *DeviceSettings;
    if (s.SyncEdgeMode < 0 || s.SyncEdgeMode > 3)
        s.SyncEdgeMode = 0;
    for (int mode = 0; mode < 4; ++mode) {
        EdgeRadio(mode)->setAutoExclusive(false);
        EdgeRadio(mode)->setChecked(mode == s.SyncEdgeMode);
        EdgeRadio(mode)->setAutoExclusive(true);
        DelayEdit(mode)->SetValue(s.SyncDelay[mode]);
    }
    RB_SYNC_Monitor->setChecked(s.SyncMonitoring != 0);
    RB_End->setChecked(s.SyncMonitoring == 0);
    Edit_Sync_CountPulse->SetValue(s.SyncCountPulse);
    RecomputeSyncMinInterval(s);
    Edit_SYNC_dtmPulse->setText(WholeMicroseconds(s.SyncMinInterval));
}

void TSyncPage::ApplySyncPage() {
    TDeviceSettings &s = *DeviceSettings;
    for (int mode = 0; mode < 4; ++mode)
        if (EdgeRadio(mode)->isChecked())
            s.SyncEdgeMode = int8_t(mode);
    for (int mode = 0; mode < 4; ++mode)
        s.SyncDelay[mode] = float(DelayEdit(mode)->GetValue());
    s.SyncMonitoring = RB_SYNC_Monitor->isChecked() ? 1 : 0;
    s.SyncCountPulse = int32_t(std::trunc(Edit_Sync_CountPulse->GetValue()));
    s.SyncMinInterval = SyncMinIntervalFor(s, SpectrumSizeChoice());
    Edit_SYNC_dtmPulse->setText(WholeMicroseconds(s.SyncMinInterval));
}

void TSyncPage::ShowSyncState() {
    TForm_SetDev::SetButtonStateColor(Btn_SYNC_Start, DeviceSettings->SyncGenState);
    TForm_SetDev::SetButtonStateColor(Btn_SYNC_Stop, 0);
}

void TSyncPage::ShowSyncControls() {
    const int32_t state = DeviceSettings->SyncGenState;
    Panel14->setEnabled(state == 0);
    Btn_SYNC_Stop->setEnabled(state != 0);
    ShowSyncState();
}

void TSyncPage::Edit_Sync_DelayChange(int mode) {
    if (!EdgeRadio(mode)->isChecked())
        return;
    const double delay = std::clamp(DelayEdit(mode)->GetValue(), 0.0, SyncDelayMax);
    const int32_t size = std::clamp(SpectrumSizeChoice(), 0, int(SyncMinPulseInterval.size()) - 1);
    const int64_t interval = int64_t(SyncMinPulseInterval[std::size_t(size)]) + int64_t(std::trunc(delay + 0.5));
    Edit_SYNC_dtmPulse->setText(WholeMicroseconds(interval));
}

void TSyncPage::Edit_Sync_Delay_1Exit(TZeltCSpinEdit *edit) {
    const double snapped = SnapSyncDelay(edit->GetValue());
    if (snapped != edit->GetValue())
        edit->SetValue(snapped);
}

void TSyncPage::Edit_Sync_CountPulseExit() {
    const double rounded = std::trunc(Edit_Sync_CountPulse->GetValue() + 0.5);
    if (rounded != Edit_Sync_CountPulse->GetValue())
        Edit_Sync_CountPulse->SetValue(rounded);
}

void TSyncPage::Btn_SYNC_StartClick() {
    if (!ConfirmBreakConnection())
        return;
    TDeviceSettings &s = *DeviceSettings;
    if (!SyncAllowedAtSampleRate(s.SampleRate)) {
        ShowMessage(
            {QStringLiteral("Режим \"SYNC\" доступен для значений максимальной частоты в диапазоне 128-4096 кГц!"),
             LoadStr(7), MsgIcon::Warning, MsgButtons::Ok});
        return;
    }
    ReopenIfSstRunning();
    ApplySyncPage();
    s.SyncGenState = 1;
    ShowSyncControls();
    PumpMessagesExceptInput();
    StartSync();
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}

void TSyncPage::Btn_SYNC_StopClick() {
    StopSync();
    ShowSyncState();
}
