#include "protocols/Form_scn.h"

#include "chartlib/Chartlib.h"
#include "controls/Placemnt.h"
#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "protocols/Form_scncontinue.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "protocols/ScenarClass.h"
#include "protocols/ScenarioRowEstimate.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString Caption = QStringLiteral("Сценарий");
constexpr int MaxRepeatCount = 1000;
constexpr int MaxCommentLength = 100;
constexpr int RepeatPanelWidth = 25;

QAction *ToolAction(QToolBar *bar, const char *name, QStyle::StandardPixmap icon, const QString &hint) {
    QAction *action = bar->addAction(bar->style()->standardIcon(icon), QString());
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint);
    return action;
}

QString HintSeconds(double seconds) {
    const double whole = std::isfinite(seconds) ? std::trunc(seconds) : 0.0;
    return QString::number(whole, 'f', 0) + QStringLiteral(",с (") +
           SecondsToClock(int32_t(std::clamp(whole, 0.0, 2147483647.0)), true) + QStringLiteral(")");
}

} // namespace

TScenarioWindowHost &ScenarioWindowHost() {
    static TScenarioWindowHost host;
    return host;
}

TForm_Scenario::TForm_Scenario(const QString &iniFileName, QWidget *parent)
    : QWidget(parent), iniFileName_(iniFileName) {
    setObjectName(QStringLiteral("Form_Scenario"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Caption);
    ScenarioRunning = 0;

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    Tlb_New = ToolAction(ToolBar1, "Tlb_New", QStyle::SP_FileIcon, QStringLiteral("Новый сценарий"));
    Tlb_Open = ToolAction(ToolBar1, "Tlb_Open", QStyle::SP_DialogOpenButton, QStringLiteral("Открыть сценарий"));
    Tlb_Save = ToolAction(ToolBar1, "Tlb_Save", QStyle::SP_DialogSaveButton, QStringLiteral("Сохранить сценарий"));
    Tlb_SaveAs = ToolAction(ToolBar1, "Tlb_SaveAs", QStyle::SP_DriveFDIcon, QStringLiteral("Сохранить сценарий как"));
    ToolBar1->addSeparator();
    Tlb_ImageOpen = ToolAction(ToolBar1, "Tlb_ImageOpen", QStyle::SP_FileDialogContentsView,
                               QStringLiteral("Загрузить результаты \nисполнения сценария из файла "));
    Tlb_ImageSave = ToolAction(ToolBar1, "Tlb_ImageSave", QStyle::SP_FileDialogDetailedView,
                               QStringLiteral("Сохранить результаты \nисполнения сценария в файле"));
    ToolBar1->addSeparator();
    Tlb_InsCfg = ToolAction(ToolBar1, "Tlb_InsCfg", QStyle::SP_ArrowUp,
                            QStringLiteral("Вставить конфигурацию \nперед выделенной"));
    Tlb_AddCfg =
        ToolAction(ToolBar1, "Tlb_AddCfg", QStyle::SP_ArrowDown, QStringLiteral("Добавить конфигурацию\nв конец"));
    Tlb_DelCfg =
        ToolAction(ToolBar1, "Tlb_DelCfg", QStyle::SP_DialogDiscardButton, QStringLiteral("Удалить конфигурацию"));

    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    Tlb_Start = ToolAction(ToolBar2, "Tlb_Start", QStyle::SP_MediaPlay, QStringLiteral("Старт сценария"));
    Tlb_Pause = ToolAction(ToolBar2, "Tlb_Pause", QStyle::SP_MediaPause, QStringLiteral("Пауза"));
    Tlb_Continue = ToolAction(ToolBar2, "Tlb_Continue", QStyle::SP_MediaSeekForward,
                              QStringLiteral("Продолжить исполнение с \nвыбранной позиции"));

    ToolBar3 = new QToolBar(this);
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("Однократное исполнение "), this, &TForm_Scenario::N1Click);
    N2 = PopupMenu1->addAction(QStringLiteral("Автоповтор относительно начала"), this, &TForm_Scenario::N2Click);
    N3 = PopupMenu1->addAction(QStringLiteral("Автоповтор по завершении"), this, &TForm_Scenario::N3Click);
    N1->setObjectName(QStringLiteral("N1"));
    N2->setObjectName(QStringLiteral("N2"));
    N3->setObjectName(QStringLiteral("N3"));
    Tlb_AutoRepeat = new QToolButton(ToolBar3);
    Tlb_AutoRepeat->setObjectName(QStringLiteral("Tlb_AutoRepeat"));
    Tlb_AutoRepeat->setMenu(PopupMenu1);
    Tlb_AutoRepeat->setPopupMode(QToolButton::InstantPopup);
    Tlb_AutoRepeat->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar3->addWidget(Tlb_AutoRepeat);
    MaskEdit1 = new QLineEdit(ToolBar3);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setInputMask(QStringLiteral("90:00:00;_"));
    MaskEdit1->setText(QStringLiteral("00:00:00"));
    MaskEdit1->setToolTip(QStringLiteral("Интервал повтора сценария \nФормат: (часы:минуты:секунды)"));
    MaskEdit1->setFixedWidth(MaskEdit1->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 16);
    ToolBar3->addWidget(MaskEdit1);
    CSEdit_AutoRepeat = new QSpinBox(ToolBar3);
    CSEdit_AutoRepeat->setObjectName(QStringLiteral("CSEdit_AutoRepeat"));
    CSEdit_AutoRepeat->setRange(1, MaxRepeatCount);
    // Changed by its arrows only.
    CSEdit_AutoRepeat->findChild<QLineEdit *>()->setReadOnly(true);
    CSEdit_AutoRepeat->setToolTip(QStringLiteral("Количество исполнений сценария"));
    ToolBar3->addWidget(CSEdit_AutoRepeat);
    Panel_ViewRepeat = new QLabel(ToolBar3);
    Panel_ViewRepeat->setObjectName(QStringLiteral("Panel_ViewRepeat"));
    Panel_ViewRepeat->setFrameShape(QFrame::Panel);
    Panel_ViewRepeat->setFrameShadow(QFrame::Sunken);
    Panel_ViewRepeat->setAlignment(Qt::AlignCenter);
    Panel_ViewRepeat->setToolTip(QStringLiteral("Номер исполняемого \nавтоповтора сценария"));
    ToolBar3->addWidget(Panel_ViewRepeat);

    ToolBar4 = new QToolBar(this);
    ToolBar4->setObjectName(QStringLiteral("ToolBar4"));
    Label1 = new QLabel(QStringLiteral("Комментарий:   "), ToolBar4);
    Label1->setObjectName(QStringLiteral("Label1"));
    ToolBar4->addWidget(Label1);
    Edit1 = new QLineEdit(ToolBar4);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(MaxCommentLength);
    ToolBar4->addWidget(Edit1);

    SG = new QTableWidget(this);
    SG->setObjectName(QStringLiteral("SG"));
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    auto *fileAndRunBars = new QHBoxLayout;
    fileAndRunBars->setSpacing(0);
    fileAndRunBars->addWidget(ToolBar1);
    fileAndRunBars->addWidget(ToolBar2);
    fileAndRunBars->addStretch();
    auto *repeatAndCommentBars = new QHBoxLayout;
    repeatAndCommentBars->setSpacing(0);
    repeatAndCommentBars->addWidget(ToolBar3);
    repeatAndCommentBars->addWidget(ToolBar4, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(fileAndRunBars);
    layout->addLayout(repeatAndCommentBars);
    layout->addWidget(SG);
    layout->addWidget(StatusBar1);

    connect(Tlb_New, &QAction::triggered, this, &TForm_Scenario::Tlb_NewClick);
    connect(Tlb_Open, &QAction::triggered, this, &TForm_Scenario::Tlb_OpenClick);
    connect(Tlb_Save, &QAction::triggered, this, &TForm_Scenario::Tlb_SaveClick);
    connect(Tlb_SaveAs, &QAction::triggered, this, &TForm_Scenario::Tlb_SaveAsClick);
    connect(Tlb_ImageOpen, &QAction::triggered, this, &TForm_Scenario::Tlb_ImageOpenClick);
    connect(Tlb_ImageSave, &QAction::triggered, this, &TForm_Scenario::Tlb_ImageSaveClick);
    connect(Tlb_InsCfg, &QAction::triggered, this, &TForm_Scenario::Tlb_InsCfgClick);
    connect(Tlb_AddCfg, &QAction::triggered, this, &TForm_Scenario::Tlb_AddCfgClick);
    connect(Tlb_DelCfg, &QAction::triggered, this, &TForm_Scenario::Tlb_DelCfgClick);
    connect(MaskEdit1, &QLineEdit::textEdited, this, &TForm_Scenario::MaskEdit1Change);
    connect(CSEdit_AutoRepeat, &QSpinBox::valueChanged, this, &TForm_Scenario::CSEdit_AutoRepeatChange);
    connect(Edit1, &QLineEdit::textEdited, this, &TForm_Scenario::Edit1Change);
    connect(Tlb_Start, &QAction::triggered, this, &TForm_Scenario::Tlb_StartClick);
    connect(Tlb_Pause, &QAction::triggered, this, &TForm_Scenario::Tlb_PauseClick);
    connect(Tlb_Continue, &QAction::triggered, this, &TForm_Scenario::Tlb_ContinueClick);
    // A double-click on a data row continues from it, when Continue could.
    connect(SG, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row < CurrentScenario->RowCount() && Tlb_Continue->isEnabled())
            Tlb_ContinueClick();
    });
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm_Scenario::Timer1Timer);

    OpenCurrentScenario();
    InitGrid();
    Modified = false;
    UpdateButtons();
    N1Click();
    Modified = false;
    UpdateButtons();

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetActive(false);
    FormStorage1->SetIniFileName(iniFileName_);
    FormStorage1->SetIniSection(Caption);
    FormStorage1->SetStoredProps({QStringLiteral("ToolBar1.Left"), QStringLiteral("ToolBar1.Top"),
                                  QStringLiteral("ToolBar2.Left"), QStringLiteral("ToolBar2.Top"),
                                  QStringLiteral("ToolBar3.Left"), QStringLiteral("ToolBar3.Top"),
                                  QStringLiteral("ToolBar4.Left"), QStringLiteral("ToolBar4.Top")});
    FormStorage1->OnRestorePlacement = [this] { FormStorage1RestorePlacement(); };
    FormStorage1->OnSavePlacement = [this] { FormStorage1SavePlacement(); };
    FormStorage1->RestoreFormPlacement();
    FormStorage1RestorePlacement();
    resize(std::max(width(), 760), std::max(height(), 300));
}

TForm_Scenario::~TForm_Scenario() {
    FormStorage1->FormDestroy();
    if (Form_ScnCont)
        Form_ScnCont->close();
    CloseCurrentScenario();
}

// Without a stored width a column fits its caption and the widest text it shows, in this platform's font.
int TForm_Scenario::DefaultColumnWidth(int column) const {
    static const QString widest[ScenarioColumnCount] = {{},
                                                        QStringLiteral("00:00:00"),
                                                        {},
                                                        {},
                                                        {},
                                                        QStringLiteral("Передача результатов"),
                                                        QStringLiteral("-99.99 дБ,Ненорма >>"),
                                                        QStringLiteral("-99.99 дБ,Ненорма >>")};
    const QFontMetrics metrics = SG->fontMetrics();
    return std::max(metrics.horizontalAdvance(Cell(column, 0)), metrics.horizontalAdvance(widest[column])) + 16;
}

void TForm_Scenario::FormStorage1RestorePlacement() {
    TIniFile ini(iniFileName_);
    for (int column = ColDuration; column < ScenarioColumnCount; ++column)
        SG->setColumnWidth(
            column, ini.ReadInteger(Caption, QStringLiteral("ColWidth[%1]").arg(column), DefaultColumnWidth(column)));
}

void TForm_Scenario::FormStorage1SavePlacement() {
    TIniFile ini(iniFileName_);
    for (int column = ColDuration; column < ScenarioColumnCount; ++column)
        ini.WriteInteger(Caption, QStringLiteral("ColWidth[%1]").arg(column), SG->columnWidth(column));
}

void TForm_Scenario::closeEvent(QCloseEvent *event) {
    const bool series = InSeries();
    if (ScenarioRunning != 0 || series) {
        if (!BatchMessagesDiverted() && ShowMessage({QStringLiteral("Прервать сценарий?"), QStringLiteral("Внимание!"),
                                                     MsgIcon::Question, MsgButtons::YesNo}) != IdYes) {
            event->ignore();
            return;
        }
        ScenarioRunning = 0;
        // The series' protocol waits in the build folder: it is filed now.
        if (series && ProtocolState == 0 && QFileInfo::exists(ProtocolFilePaths[ContentsPage]))
            ProtocolState = 1;
        UpdateButtons();
        UpdateRunLocks();
        CloseProtocol(false);
        CurrentScenario->RepeatNumber = 0;
    } else if (ProtocolState == 1) {
        CloseProtocol(false);
    }
    if (Form_ScnCont)
        Form_ScnCont->close();
    if (CurrentScenario && CurrentScenario->RowCount() > 0 && Modified && !BatchMessagesDiverted() &&
        AskSaveScenario() == IdCancel) {
        event->ignore();
        return;
    }
    Timer1->stop();
    FormStorage1->SaveFormPlacement();
    if (Busy == 1) {
        // A step below this close (it pumped the events that closed the window) still uses the scenario
        // and the grid: the window leaves its frame and goes once that step has returned.
        Busy = 2;
        releasePending_ = true;
        setAttribute(Qt::WA_DeleteOnClose, false);
        hide();
        setParent(nullptr);
    } else {
        RemoveAllGridControls();
    }
    event->accept();
    emit Closed();
}

void TForm_Scenario::UpdateButtons() {
    const bool rows = CurrentScenario && CurrentScenario->RowCount() > 0;
    const bool running = ScenarioRunning != 0;
    const auto &measuring = ScenarioWindowHost().MeasurementRunning;
    for (QAction *action : {Tlb_New, Tlb_Open, Tlb_ImageOpen, Tlb_AddCfg, Tlb_InsCfg})
        action->setEnabled(!running);
    Tlb_DelCfg->setEnabled(rows && !running);
    Tlb_Save->setEnabled(rows && Modified);
    Tlb_SaveAs->setEnabled(rows);
    Tlb_ImageSave->setEnabled(rows && !Modified);
    Tlb_Start->setEnabled(rows && !running);
    for (QWidget *control : std::initializer_list<QWidget *>{Tlb_AutoRepeat, MaskEdit1, CSEdit_AutoRepeat, Edit1})
        control->setEnabled(rows && !running);
    Tlb_Pause->setEnabled(rows && running);
    Tlb_Continue->setEnabled(rows && !running && measuring && measuring());
    for (int gridRow = 1; CurrentScenario && gridRow <= CurrentScenario->RowCount(); ++gridRow)
        for (int column : {ColPrt, ColRemotePrt, ColPause})
            if (QCheckBox *box = FlagBox(column, gridRow))
                box->setEnabled(!running);
    if (!running && CurrentScenario)
        StatusBar1->showMessage(CurrentScenario->Name);
}

void TForm_Scenario::ShowRepeatControls(bool shown) {
    for (QWidget *control : std::initializer_list<QWidget *>{MaskEdit1, CSEdit_AutoRepeat, Panel_ViewRepeat}) {
        for (QAction *action : ToolBar3->actions())
            if (ToolBar3->widgetForAction(action) == control)
                action->setVisible(shown);
    }
    Panel_ViewRepeat->setText(QString::number(CurrentScenario->RepeatNumber));
    Panel_ViewRepeat->setFixedWidth(RepeatPanelWidth);
}

void TForm_Scenario::N1Click() {
    TScenarClass &s = *CurrentScenario;
    MaskEdit1->setText(SecondsToClock(s.RepeatInterval, true));
    {
        const QSignalBlocker blocker(CSEdit_AutoRepeat);
        CSEdit_AutoRepeat->setValue(s.RepeatCount);
    }
    s.RepeatKind = 1;
    s.RepeatCount = 1;
    s.RepeatInterval = 0;
    ShowRepeatControls(false);
    Tlb_AutoRepeat->setText(N1->text());
    Tlb_AutoRepeat->setToolTip(QStringLiteral("Повторное исполнение сценария при ручной активации"));
    Modified = true;
    UpdateButtons();
}

void TForm_Scenario::N2Click() {
    SelectAutoRepeat(2, N2,
                     QStringLiteral("Автоматическое исполнение сценария\nс отсчетом интервала автоповтора\n"
                                    "относительно момента начала\nпредыдущего исполнения сценария"));
}

void TForm_Scenario::N3Click() {
    SelectAutoRepeat(3, N3,
                     QStringLiteral("Автоматическое исполнение сценария\nс отсчетом интервала автоповтора\n"
                                    "относительно момента завершения\nпредыдущего исполнения сценария"));
}

void TForm_Scenario::SelectAutoRepeat(int16_t kind, QAction *item, const QString &hint) {
    TScenarClass &s = *CurrentScenario;
    ShowRepeatControls(true);
    s.RepeatKind = kind;
    {
        const QSignalBlocker blocker(CSEdit_AutoRepeat);
        CSEdit_AutoRepeat->setValue(s.RepeatCount);
    }
    Tlb_AutoRepeat->setText(item->text());
    Tlb_AutoRepeat->setToolTip(hint);
    Modified = true;
    UpdateButtons();
}

RepeatIntervalText CorrectRepeatInterval(const QString &typed) {
    QString text = typed.leftJustified(8, u'_', true);
    for (int i : {0, 1, 3, 4, 6, 7})
        if (!text[i].isDigit())
            text[i] = u'0';
    text[2] = text[5] = u':';
    for (int tens : {3, 6})
        if (text[tens] > u'5')
            text[tens] = u'5';
    const auto number = [&text](int at) { return text.mid(at, 2).toInt(); };
    return {text, number(0) * 3600 + number(3) * 60 + number(6)};
}

void TForm_Scenario::MaskEdit1Change() {
    const RepeatIntervalText corrected = CorrectRepeatInterval(MaskEdit1->displayText());
    const int cursor = MaskEdit1->cursorPosition();
    if (MaskEdit1->displayText() != corrected.Text) {
        const QSignalBlocker blocker(MaskEdit1);
        MaskEdit1->setText(corrected.Text);
        MaskEdit1->setCursorPosition(cursor);
    }
    CurrentScenario->RepeatInterval = corrected.Seconds;
    Modified = true;
    UpdateButtons();
}

void TForm_Scenario::CSEdit_AutoRepeatChange() {
    CurrentScenario->RepeatCount = int16_t(CSEdit_AutoRepeat->value());
    Modified = true;
    UpdateButtons();
}

void TForm_Scenario::Edit1Change() {
    TScenarClass &s = *CurrentScenario;
    if (s.CommentIndex >= 0 && s.CommentIndex < FileNameList.size()) {
        FileNameList[s.CommentIndex] = Edit1->text();
    } else {
        FileNameList.append(Edit1->text());
        s.CommentIndex = int16_t(FileNameList.size() - 1);
    }
    Modified = true;
    UpdateButtons();
}

QString DurationHint(const ScenarioRow &row) {
    const int32_t setup = ConfigSetupSeconds(row.AdcSizeIndex, row.RemoteLink != 0);
    const QString t = QString::number(setup);
    const QString intro =
        QStringLiteral("Время исполнения складывается из:\n  - времени на установку конфигурации Tдоп = ");
    switch (row.ModeClass) {
    case 255:
        return QStringLiteral("В конфигурации задан режим прецизионного анализа.\n") + intro + t +
               QStringLiteral(",с \n   (в случае сигнала ПСС Tдоп = 8,c) \n    и\n  - времени усреднения Tуср = ") +
               HintSeconds(row.AveragingTime);
    case 1:
    case 2:
        return (row.ModeClass == 1 ? QStringLiteral("В конфигурации задан режим мастера частоты.\n")
                                   : QStringLiteral("В конфигурации задан режим мастера уровня.\n")) +
               intro + QStringLiteral(" ") + t +
               (row.ModeClass == 1 ? QStringLiteral(",с \n    и\n  - времени исполнения мастера частоты Tм = ")
                                   : QStringLiteral(",с \n    и\n  - времени исполнения мастера уровня Tм = ")) +
               HintSeconds(double(row.Duration) - setup);
    case 0:
        return QStringLiteral("В конфигурации задан режим счета случайных событий.\n") + intro + t +
               QStringLiteral(",с \n   (в случае сигнала ПСС Tдоп = 8,c) \n    и\n  - максимального значения "
                              "из:\n     SIN Норма на таймер = ") +
               HintSeconds(row.SinTimerNorm) + QStringLiteral("\n     МЧС Норма на таймер = ") +
               HintSeconds(row.MttsTimerNorm) + QStringLiteral("\n     ШУМ Норма на таймер = ") +
               HintSeconds(row.NoiseTimerNorm);
    default:
        return {};
    }
}
