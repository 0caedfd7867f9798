#include "settings/window/Form_SetDev.h"
#include "settings/window/MeterPage.h"
#include "settings/window/SyncPage.h"

#include "chartlib/Chartlib.h"
#include "controls/Zeltcspinedit.h"
#include "engine/EngineBuffers.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "settings/GeneratorCommands.h"
#include "settings/MasterIntervals.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/SettingsHost.h"
#include "settings/SettingsInterlocks.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "state/SettingsLoadState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

void TForm_SetDev::BuildCommonPage() {
    auto *page = new QGridLayout(TabSheet_Common);

    GB_RemoteControl = new QGroupBox(QStringLiteral("Управление удаленным R-9"), TabSheet_Common);
    GB_RemoteControl->setObjectName(QStringLiteral("GB_RemoteControl"));
    auto *remote = new QGridLayout(GB_RemoteControl);
    Button_CONNECT = NewNamedButton(GB_RemoteControl, "Button_CONNECT", QStringLiteral("Установить соединение"));
    Button_CONNECT_OFF =
        NewNamedButton(GB_RemoteControl, "Button_CONNECT_OFF", QStringLiteral("Разорвать соединение"));
    RG_B_Precision = new QComboBox(GB_RemoteControl);
    RG_B_Precision->setObjectName(QStringLiteral("RG_B_Precision"));
    RG_B_Precision->addItems({QStringLiteral("Обмен запрещен"), QStringLiteral("Обмен разрешен"),
                              QStringLiteral("Повышенная надежность")});
    Edit_CONNECT_L = NewNamedSpin(GB_RemoteControl, "Edit_CONNECT_L");
    Edit_CONNECT_F1 = NewNamedSpin(GB_RemoteControl, "Edit_CONNECT_F1");
    Edit_CONNECT_F2 = NewNamedSpin(GB_RemoteControl, "Edit_CONNECT_F2");
    Label_CONNECT_L = NewNamedLabel(GB_RemoteControl, "Label_CONNECT_L", QStringLiteral("L"));
    Label_CONNECT_F1 = NewNamedLabel(GB_RemoteControl, "Label_CONNECT_F1", QStringLiteral("F1"));
    Label_CONNECT_F2 = NewNamedLabel(GB_RemoteControl, "Label_CONNECT_F2", QStringLiteral("F2"));
    Button_GetResult = NewNamedButton(GB_RemoteControl, "Button_GetResult", QStringLiteral("Получить результаты"));
    Button_TextMsg = NewNamedButton(GB_RemoteControl, "Button_TextMsg", QStringLiteral("Текстовые сообщения"));
    remote->addWidget(Button_CONNECT, 0, 0, 1, 3);
    remote->addWidget(Button_CONNECT_OFF, 1, 0, 1, 3);
    remote->addWidget(RG_B_Precision, 2, 0, 1, 3);
    remote->addWidget(Label_CONNECT_L, 3, 0);
    remote->addWidget(Edit_CONNECT_L, 3, 1);
    remote->addWidget(NewNamedLabel(GB_RemoteControl, "Label8", QStringLiteral("дБм")), 3, 2);
    remote->addWidget(Label_CONNECT_F1, 4, 0);
    remote->addWidget(Edit_CONNECT_F1, 4, 1);
    remote->addWidget(NewNamedLabel(GB_RemoteControl, "Label9", QStringLiteral("кГц")), 4, 2);
    remote->addWidget(Label_CONNECT_F2, 5, 0);
    remote->addWidget(Edit_CONNECT_F2, 5, 1);
    remote->addWidget(NewNamedLabel(GB_RemoteControl, "Label16", QStringLiteral("кГц")), 5, 2);
    remote->addWidget(Button_GetResult, 6, 0, 1, 3);
    remote->addWidget(Button_TextMsg, 7, 0, 1, 3);

    auto *mode = new QGroupBox(QStringLiteral("Режим анализа"), TabSheet_Common);
    auto *modeLayout = new QGridLayout(mode);
    RB_Rand = new QRadioButton(QStringLiteral("Счет случайных событий"), mode);
    RB_Rand->setObjectName(QStringLiteral("RB_Rand"));
    RB_Spectr = new QRadioButton(QStringLiteral("Прецизионный анализ, кГц"), mode);
    RB_Spectr->setObjectName(QStringLiteral("RB_Spectr"));
    CBox_Spectr = new QComboBox(mode);
    CBox_Spectr->setObjectName(QStringLiteral("CBox_Spectr"));
    Button_SetCommonParam = NewNamedButton(mode, "Button_SetCommonParam", QStringLiteral("Установить"));
    modeLayout->addWidget(RB_Rand, 0, 0, 1, 2);
    modeLayout->addWidget(RB_Spectr, 1, 0);
    modeLayout->addWidget(CBox_Spectr, 1, 1);
    modeLayout->addWidget(Button_SetCommonParam, 2, 1);

    auto *derived = new QGroupBox(TabSheet_Common);
    auto *derivedLayout = new QFormLayout(derived);
    Edit_RND_pulse = NewNamedReadOnly(derived, "Edit_RND_pulse");
    Edit_OSC = NewNamedReadOnly(derived, "Edit_OSC");
    Edit_Phasing_minF = NewNamedReadOnly(derived, "Edit_Phasing_minF");
    derivedLayout->addRow(QStringLiteral("Длительность ПСС, мкс"), Edit_RND_pulse);
    derivedLayout->addRow(QStringLiteral("Развертка осциллограммы, мкс"), Edit_OSC);
    derivedLayout->addRow(QStringLiteral("Мин. частота фазограммы, кГц"), Edit_Phasing_minF);

    // The meter group ("Измеритель") of this page is part of the meter page's unit, which puts it here.
    GB_Meter = new QGroupBox(QStringLiteral("Измеритель"), TabSheet_Common);
    GB_Meter->setObjectName(QStringLiteral("GB_Meter"));
    MeterGroupLayout = new QVBoxLayout(GB_Meter);

    auto *generator = new QGroupBox(QStringLiteral("Генератор"), TabSheet_Common);
    auto *genLayout = new QGridLayout(generator);
    Edit_G9_Ref = NewNamedSpin(generator, "Edit_G9_Ref");
    CB_G9_ref = new QComboBox(generator);
    CB_G9_ref->setObjectName(QStringLiteral("CB_G9_ref"));
    CB_G9_ref->addItems({QStringLiteral("=Прямое задание"), QStringLiteral("=0 дБмо (дБм0=дБм)"),
                         QStringLiteral("=0.775 В (дБм0=дБ)"), QStringLiteral("=1.0 В      (дБм0=дБВ)"),
                         QStringLiteral("=-13 дБмо")});
    Edit_G9_Z = NewNamedSpin(generator, "Edit_G9_Z");
    CB_G9_Z_Low = new QCheckBox(QStringLiteral("низкоомно"), generator);
    CB_G9_Z_Low->setObjectName(QStringLiteral("CB_G9_Z_Low"));
    Button_SetGen = NewNamedButton(generator, "Button_SetGen", QStringLiteral("Установить"));
    genLayout->addWidget(NewNamedLabel(generator, "Label2", QStringLiteral("Опорный уровень, дБм")), 0, 0);
    genLayout->addWidget(Edit_G9_Ref, 0, 1);
    genLayout->addWidget(CB_G9_ref, 0, 2);
    genLayout->addWidget(NewNamedLabel(generator, "Label1", QStringLiteral("Сопротивление, Ом")), 1, 0);
    genLayout->addWidget(Edit_G9_Z, 1, 1);
    genLayout->addWidget(CB_G9_Z_Low, 1, 2);
    genLayout->addWidget(Button_SetGen, 2, 2);

    page->addWidget(GB_RemoteControl, 0, 0);
    page->addWidget(mode, 0, 1);
    page->addWidget(generator, 1, 0);
    page->addWidget(GB_Meter, 1, 1);
    page->addWidget(derived, 2, 0, 1, 2);
    page->setRowStretch(3, 1);
}

void TForm_SetDev::ConnectCommonPage() {
    connect(RB_Rand, &QRadioButton::toggled, this, [this] { CheckSetCommon(); });
    connect(CBox_Spectr, &QComboBox::currentIndexChanged, this, [this] {
        CheckSetCommon();
        MeterPage->CheckPhasingReference();
    });
    connect(Button_SetCommonParam, &QPushButton::clicked, this, [this] { Button_SetCommonParamClick(); });
    ConnectRemoteGroup();
}

// The analysis-mode group shows the record, with one item per spectrum size.
void TForm_SetDev::RefreshAnalysisMode() {
    const TDeviceSettings &s = *DeviceSettings;
    const QSignalBlocker blockSizes(CBox_Spectr);
    const QSignalBlocker blockRand(RB_Rand);
    CBox_Spectr->clear();
    // Below 80 kHz the largest size is not offered: the interlocks forbid it there.
    const int32_t sizes = s.MaxFrequency >= 80 ? int32_t(SpectrumSizes.size()) : int32_t(SpectrumSizes.size()) - 1;
    for (int32_t i = 0; i < sizes; ++i)
        CBox_Spectr->addItem(FormatPicture(s.SampleRate / SpectrumSizes[std::size_t(i)], u"0.######"));
    CBox_Spectr->setCurrentIndex(std::clamp(int32_t(s.AdcSizeIndex), 0, sizes - 1));
    RB_Rand->setChecked(s.EventCounting != 0);
    RB_Spectr->setChecked(s.EventCounting == 0);
    CheckSetCommon();
}

void TForm_SetDev::CheckSetCommon() {
    const TDeviceSettings &s = *DeviceSettings;
    const bool changed = CBox_Spectr->currentIndex() != s.AdcSizeIndex || RB_Rand->isChecked() != (s.EventCounting != 0);
    ShowApplyState(Button_SetCommonParam, changed);
    const int item = std::clamp(CBox_Spectr->currentIndex(), 0, int(SpectrumSizes.size()) - 1);
    const int32_t size = RB_Rand->isChecked() ? SpectrumSizes[0] : SpectrumSizes[std::size_t(item)];
    if (s.SampleRate > 0) {
        Edit_OSC->setText(QString::number(std::lround(size * 1000.0 / s.SampleRate)));
        Edit_Phasing_minF->setText(QString::number(double(s.SampleRate) / size, 'f', 6).remove(QRegularExpression(QStringLiteral("\\.?0+$"))));
    }
    if (SyncPage)
        SyncPage->Edit_OSC1->setText(Edit_OSC->text());
}

void TForm_SetDev::Button_SetCommonParamClick() {
    ReopenIfSstRunning();
    ShowApplying(Button_SetCommonParam);
    if (!ConfirmBreakConnection())
        return;
    ApplyCommonParams();
    UpdateMttsLoopMode();
    TDeviceSettings &s = *DeviceSettings;
    if (s.ConnectState > 0) {
        // The peer takes over the new analysis mode.
        SendRemoteMessage({22, 23});
        return;
    }
    if (s.ConnectionType == 1 || s.ConnectionType == 6)
        return;
    s.Mode |= 0x101;
    SendCommand();
}

void TForm_SetDev::ApplyCommonParams() {
    if (SettingsLoadState != 1)
        return;
    SettingsLoadState = 2;
    TDeviceSettings &s = *DeviceSettings;
    if (Emulator)
        Emulator->Pause();
    QCheckBox *phasing = findChild<QCheckBox *>(QStringLiteral("CB_M9_PhasingOn"));
    const bool phasogram = phasing && phasing->isChecked();
    if ((s.Rnd.State > 0 || SignalKind == 4) && !phasogram)
        CBox_Spectr->setCurrentIndex(0);
    s.EventCounting = RB_Rand->isChecked() ? 1 : 0;
    for (const char *name : {"Label35", "Edit_M9_Tunit"})
        if (QWidget *w = findChild<QWidget *>(QLatin1String(name)))
            w->setEnabled(s.EventCounting != 0);
    if (s.EventCounting)
        CBox_Spectr->setCurrentIndex(0);
    const int item = std::clamp(CBox_Spectr->currentIndex(), 0, int(SpectrumSizes.size()) - 1);
    if (item != s.AdcSizeIndex) {
        RecomputeMasterMinIntervals();
        s.MasterF.Interval = MasterMinIntervalF[item];
        s.MasterL.Interval = MasterMinIntervalL[item];
    }
    s.AdcSizeIndex = item;
    s.Phasogram = phasogram ? 1 : 0;
    if (SettingsHost().ApplyBlockSize)
        SettingsHost().ApplyBlockSize(false, true);
    else
        RecomputeBlockSizeFields(s);
    // The automatic protocol of both analysers restarts with the interval of the new analysis mode.
    ResetProtocolSnapshot(LocalProtocolSnapshot, 1);
    ResetProtocolSnapshot(RemoteProtocolSnapshot, 1);
    Edit_SIN_F->SetIncrement(s.EventCounting ? s.Sin.MinFreq : 0.01);
    if (RecordingOn)
        RecordChangeMask |= 0x01;
    ShowApplyState(Button_SetCommonParam, false);
    if (Emulator)
        Emulator->Resume();
    SettingsLoadState = 1;
}
