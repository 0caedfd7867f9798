#include "storage/playback/Play_form.h"

#include "controls/Radiogroup_border.h"
#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "link/connection/ConnectionServices.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "storage/ServiceCall.h"
#include "storage/playback/PlaybackServices.h"
#include "storage/playback/Tr9_playdata.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QScrollBar>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int StepHeldIntervalMs = 100;
constexpr double OneDay = 1.0;

QToolButton *MakeButton(QToolBar *bar, const char *name, const QString &text, const QString &hint) {
    auto *button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(hint);
    bar->addWidget(button);
    return button;
}

QLabel *MakePanel(QToolBar *bar, const char *name, const QString &hint) {
    auto *panel = new QLabel(bar);
    panel->setObjectName(QLatin1String(name));
    panel->setToolTip(hint);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(72);
    panel->setAlignment(Qt::AlignCenter);
    bar->addWidget(panel);
    return panel;
}


} // namespace

TPlayForm::TPlayForm(const QString &caption, const QString &baseName, QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), BaseName(baseName) {
    setObjectName(QStringLiteral("PlayForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    TimePanel = MakePanel(ToolBar1, "TimePanel", QStringLiteral("Время"));
    DatePanel = MakePanel(ToolBar1, "DatePanel", QStringLiteral("Дата"));
    Button_Param = MakeButton(ToolBar1, "Button_Param", QStringLiteral("Настр."),
                              QStringLiteral("использовать настройки измерителя и\r\nустановки измеряемых "
                                             "параметров,\r\nсодержащиеся в просматриваемом файле"));
    Button_Param->setCheckable(true);
    Button_Start = MakeButton(ToolBar1, "Button_Start", QStringLiteral("▶"), QStringLiteral("Воспроизведение"));
    Button_Start->setCheckable(true);
    Button_Stop = MakeButton(ToolBar1, "Button_Stop", QStringLiteral("❚❚"), QStringLiteral("Пауза"));
    Button_Stop->setCheckable(true);
    Button_Step = MakeButton(ToolBar1, "Button_Step", QStringLiteral("▶❚"), QStringLiteral("Покадровый просмотр"));
    Button1 = MakeButton(ToolBar1, "Button1", QStringLiteral(">>"), QString());
    layout->addWidget(ToolBar1);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);
    Play_Bar = new QScrollBar(Qt::Horizontal, this);
    Play_Bar->setObjectName(QStringLiteral("Play_Bar"));
    Play_Bar->setEnabled(false);
    layout->addWidget(Play_Bar);
    RG1 = new TRadioGroup_Border(this);
    RG1->setObjectName(QStringLiteral("RG1"));
    RG1->setTitle(QStringLiteral("Воспроизведение"));
    RG1->SetItems({QStringLiteral("Непрерывно"), QStringLiteral("Стоп через 10 с"), QStringLiteral("Стоп через 60 с"),
                   QStringLiteral("Стоп через 5 мин"), QStringLiteral("Стоп через 15 мин")});
    layout->addWidget(RG1);
    RG1->hide();

    connect(Button_Start, &QToolButton::clicked, this, &TPlayForm::Button_StartClick);
    connect(Button_Stop, &QToolButton::clicked, this, &TPlayForm::Button_StopClick);
    connect(Button_Step, &QToolButton::pressed, this, &TPlayForm::Button_StepMouseDown);
    connect(Button_Step, &QToolButton::released, this, &TPlayForm::Button_StepMouseUp);
    connect(Button_Step, &QToolButton::clicked, this, &TPlayForm::Button_StepClick);
    connect(Button_Param, &QToolButton::clicked, this, &TPlayForm::Button_ParamClick);
    connect(Button1, &QToolButton::clicked, this, &TPlayForm::Button1Click);
    connect(RG1, &TRadioGroup_Border::Click, this, &TPlayForm::RG1Click);
    connect(&stepTimer_, &QTimer::timeout, this, &TPlayForm::TakeStep);

    DTIME_SIGNAL = OneDay;
    ShowOptions();
    adjustSize();
    setFixedHeight(sizeHint().height());
    // At the bottom right of the owner's client area, 20 pixels from its right edge, above its status bar.
    if (auto *main = qobject_cast<QMainWindow *>(owner)) {
        const QRect area = main->geometry();
        const int statusHeight = main->statusBar() ? main->statusBar()->height() : 0;
        move(area.right() - width() - 20, area.bottom() - statusHeight - height());
    }
}

// A bar destroyed with its owner ends the playback without the closing work, which needs the owner.
TPlayForm::~TPlayForm() {
    playData_.reset();
    PlaybackOn = false;
}

void TPlayForm::ShowOptions() {
    const int index = std::clamp<int>(ProgramSettings.PlaybackPauseIndex, 0, RG1->Items().size() - 1);
    RG1->SetItemIndex(index);
    Label1->setText(RG1->Items().value(index));
    Button_Param->setChecked(ProgramSettings.UseRecordedSettings != 0);
}

int TPlayForm::StartPlayback() {
    playData_ = TR9_PlayData::Open(BaseName);
    if (!playData_)
        return 1;
    Play_Bar->setRange(0, int(std::min<int64_t>(playData_->IndexSize(), INT_MAX)));
    Play_Bar->setSingleStep(21);
    Play_Bar->setPageStep(21);
    Play_Bar->setValue(0);
    QApplication::beep();
    return 0;
}

void TPlayForm::Resume(int intervalMs) {
    stepTimer_.start(intervalMs);
}

void TPlayForm::Suspend() {
    stepTimer_.stop();
}

void TPlayForm::ShowPaused() {
    Button_Start->setChecked(false);
    Button_Stop->setChecked(true);
}

void TPlayForm::TakeStep() {
    if (!playData_) {
        Suspend();
        return;
    }
    // A step may show a message (a damaged record): no second step may start inside its box.
    const int interval = stepTimer_.interval();
    stepTimer_.stop();
    const bool read = playData_->Step();
    if (!playData_)
        return;
    Play_Bar->setValue(int(std::min<int64_t>(playData_->Position(), Play_Bar->maximum())));
    DatePanel->setText(DateTimeToQDateTime(NowStamp).toString(QStringLiteral("dd.MM.yyyy")));
    TimePanel->setText(DateTimeToQDateTime(NowStamp).toString(QStringLiteral("hh:mm:ss")));
    if (!read || playData_->Paused) {
        ShowPaused();
        return;
    }
    if (Button_Start->isChecked() || stepHeld_)
        Resume(interval);
}

void TPlayForm::Button_StartClick() {
    Button_Start->setChecked(true);
    Button_Stop->setChecked(false);
    stepHeld_ = false;
    if (!playData_ && StartPlayback() != 0) {
        Button_Start->setChecked(false);
        return;
    }
    playData_->RestartClock = true;
    Resume(0);
}

void TPlayForm::Button_StopClick() {
    ShowPaused();
    Suspend();
}

void TPlayForm::Button_StepMouseDown() {
    if (!playData_ || Playing())
        return;
    // The press itself shows the next frame, so that a short click always steps once; while the button
    // is held the timer repeats the step.
    stepHeld_ = true;
    stepTimer_.setInterval(StepHeldIntervalMs);
    TakeStep();
}

void TPlayForm::Button_StepMouseUp() {
    Suspend();
    stepHeld_ = false;
}

void TPlayForm::Button_StepClick() {
    ShowPaused();
}

void TPlayForm::Button_ParamClick() {
    ProgramSettings.UseRecordedSettings = ProgramSettings.UseRecordedSettings ? 0 : 1;
    Button_Param->setChecked(ProgramSettings.UseRecordedSettings != 0);
    if (ProgramSettings.UseRecordedSettings) {
        if (playData_)
            playData_->ForgetSettingsRecord();
        if (const auto &recompute = ConnectionServices().RecomputeAfterSettings)
            recompute(0);
    }
    CallService(PlaybackServices().RefreshControlStates);
}

void TPlayForm::Button1Click() {
    const bool expand = Button1->text() == QStringLiteral(">>");
    RG1->setVisible(expand);
    Button1->setText(expand ? QStringLiteral("<<") : QStringLiteral(">>"));
    setFixedHeight(sizeHint().height());
}

void TPlayForm::RG1Click() {
    const int index = RG1->ItemIndex();
    Label1->setText(RG1->Items().value(index));
    ProgramSettings.PlaybackPauseIndex = int8_t(index);
    if (playData_)
        playData_->RestartClock = true;
}

bool TPlayForm::FormCloseQuery() {
    const bool wasPlaying = Playing();
    Suspend();
    if (ShowMessage({LoadStr(153), LoadStr(7), MsgIcon::Warning, MsgButtons::YesNo}) == IdYes)
        return true;
    if (wasPlaying)
        Resume(stepHeld_ ? StepHeldIntervalMs : 0);
    return false;
}

void TPlayForm::closeEvent(QCloseEvent *event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TPlayForm::FormClose() {
    Suspend();
    playData_.reset();
    PlaybackOn = false;
    TPlaybackServices &services = PlaybackServices();
    DTIME_SIGNAL = DefaultTimeSpan;
    TDeviceSettings &s = *DeviceSettings;
    s.ConnectState = 0;
    s.PeerConnectState = 0;
    s.Block.State = 2;
    CallService(services.PlaybackClosed);
    QApplication::beep();
    QThread::msleep(200);
    QApplication::beep();
}
