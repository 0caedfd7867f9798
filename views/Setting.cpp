#include "views/Setting.h"

#include "chartlib/Chartlib.h"
#include "controls/FormHelpers.h"
#include "controls/Placemnt.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "state/DeviceSettings.h"
#include "state/ProgramSettings.h"
#include "views/RecordingWindowText.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <optional>

TSettingsHost SettingsHost;

namespace {

const QString PageIndexKey = QStringLiteral("PgCtrl1_APgIdx");

int AutoProtocolSeconds() {
    if (SettingsHost.AutoProtocolInterval)
        return SettingsHost.AutoProtocolInterval();
    return DeviceSettings ? DeviceSettings->AveragingInterval : 0;
}

bool ScenarioIsRunning() {
    return SettingsHost.ScenarioRunning && SettingsHost.ScenarioRunning();
}

} // namespace

TForm_Settings::TForm_Settings(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form_Settings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(LoadStr(447));

    PageControl1 = NamedControl(new QTabWidget(this), "PageControl1");
    BuildSavePage();
    BuildOptionsPage();
    BitBtn1 = NamedControl(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn2 = NamedControl(new QPushButton(QStringLiteral("Отмена"), this), "BitBtn2");
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm_Settings::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm_Settings::BitBtn2Click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);

    FormStorage1 = NamedControl(new TFormPlacement(this), "FormStorage1");
    const QString iniFileName = SettingsHost.IniFileName ? SettingsHost.IniFileName() : QString();
    FormStorage1->SetIniFileName(iniFileName.isEmpty() ? ProgramDir() + QStringLiteral("R9.ini") : iniFileName);
    FormStorage1->SetIniSection(windowTitle());
    FormStorage1->OnSavePlacement = [this] { FormStorage1->WriteInteger(PageIndexKey, PageControl1->currentIndex()); };
    FormStorage1->OnRestorePlacement = [this] {
        PageControl1->setCurrentIndex(FormStorage1->ReadInteger(PageIndexKey, PageControl1->currentIndex()));
    };
    ShowSettings();
}

TForm_Settings::~TForm_Settings() {
    FormStorage1->FormDestroy();
}

void TForm_Settings::BuildSavePage() {
    TabSheet_SaveOpt = NamedControl(new QWidget, "TabSheet_SaveOpt");
    PageControl1->addTab(TabSheet_SaveOpt, QStringLiteral("Сохранение"));
    Panel1 = NamedControl(new QFrame(TabSheet_SaveOpt), "Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(Panel1);
    grid->addWidget(new QLabel(QStringLiteral("Начало записи"), Panel1), 0, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("Конец записи"), Panel1), 0, 2, Qt::AlignCenter);
    const QString checkHint =
        QStringLiteral("Задается интервал времени, \r\nв течение которого производится \r\nсохранение данных на диске");
    for (int i = 0; i < RecordingWindowCount; ++i) {
        CB[i] = new QCheckBox(QStringLiteral("№%1").arg(i + 1), Panel1);
        CB[i]->setObjectName(QStringLiteral("CB%1").arg(i + 1));
        CB[i]->setProperty("Tag", i + 1);
        CB[i]->setToolTip(checkHint);
        grid->addWidget(CB[i], i + 1, 0);
    }
    for (int i = 0; i < int(MaskEdit.size()); ++i) {
        QLineEdit *edit = new QLineEdit(Panel1);
        MaskEdit[i] = edit;
        edit->setObjectName(QStringLiteral("MaskEdit%1").arg(i + 1));
        edit->setProperty("Tag", i + 1);
        // Typing overwrites, and a deleted digit shows as '*' until EditChange puts the default back.
        edit->setInputMask(QStringLiteral("99.99.9999  99:99:99;*"));
        edit->setMaxLength(RecordingTimeTextLength);
        edit->setText(QString::fromLatin1(DefaultRecordingTimeText));
        edit->setToolTip(QStringLiteral("день/месяц/год  час/минута/секунда"));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(edit->text()) + 16);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { EditChange(edit); });
        grid->addWidget(edit, i % RecordingWindowCount + 1, i < RecordingWindowCount ? 1 : 2);
    }
    auto *page = new QVBoxLayout(TabSheet_SaveOpt);
    page->addWidget(Panel1);
}

void TForm_Settings::BuildOptionsPage() {
    TabSheet_AnyOpt = NamedControl(new QWidget, "TabSheet_AnyOpt");
    PageControl1->addTab(TabSheet_AnyOpt, QStringLiteral("Дополнительно"));
    GroupBox2 = NamedControl(new QGroupBox(TabSheet_AnyOpt), "GroupBox2");
    auto *grid = new QGridLayout(GroupBox2);
    grid->addWidget(new QLabel(QStringLiteral("Точность представления числа"), GroupBox2), 0, 0);
    CSp_Precision = NamedControl(new QSpinBox(GroupBox2), "CSp_Precision");
    CSp_Precision->setRange(1, 10);
    CSp_Precision->setValue(2);
    CSp_Precision->setToolTip(QStringLiteral("Задает количество знаков в числе после запятой"));
    grid->addWidget(CSp_Precision, 0, 1);
    CB_AutoChangeForm =
        NamedControl(new QCheckBox(QStringLiteral("Автоматическая смена окон"), GroupBox2), "CB_AutoChangeForm");
    grid->addWidget(CB_AutoChangeForm, 1, 0, 1, 2);
    auto *label = new QLabel(QStringLiteral("Автозапись протокола"), GroupBox2);
    label->setToolTip(QStringLiteral("Обеспечивает автоматическое внесение в протокол \r\nрезультатов измерения с "
                                     "интервалом времени усреднения, \r\nно не менее 5 сек"));
    grid->addWidget(label, 2, 0);
    CB_AutoPrt = NamedControl(new QCheckBox(GroupBox2), "CB_AutoPrt");
    CB_AutoPrt->setToolTip(
        QStringLiteral("Автозапись протокола доступна при \r\nзначении времени  усреднения более 5сек"));
    grid->addWidget(CB_AutoPrt, 2, 1);
    auto *page = new QVBoxLayout(TabSheet_AnyOpt);
    page->addWidget(GroupBox2);
    page->addStretch();
}

void TForm_Settings::ShowSettings() {
    for (int i = 0; i < RecordingWindowCount; ++i) {
        const RecordingWindow window = ProgramSettings.RecordingWindows[i];
        CB[i]->setChecked(window.Enabled != 0);
        MaskEdit[i]->setText(RecordingTimeText(window.Start));
        MaskEdit[i + RecordingWindowCount]->setText(RecordingTimeText(window.End));
    }
    CSp_Precision->setValue(ProgramSettings.Precision);
    CB_AutoChangeForm->setChecked(ProgramSettings.AutoWindowChange != 0);
    if (ScenarioIsRunning()) {
        ProgramSettings.AutoProtocol = 0;
        ProgramSettings.AutoWindowChange = 0;
        for (QCheckBox *box : {CB_AutoChangeForm, CB_AutoPrt}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
        return;
    }
    // Once a scenario has ended the window change is the user's again.
    CB_AutoChangeForm->setEnabled(true);
    CB_AutoPrt->setChecked(ProgramSettings.AutoProtocol != 0);
    CB_AutoPrt->setEnabled(AutoProtocolSeconds() >= AutoProtocolMinSeconds);
}

void TForm_Settings::EditChange(QLineEdit *edit) {
    if (repairing_)
        return;
    const QString repaired = RepairRecordingTimeText(edit->displayText());
    if (repaired == edit->displayText())
        return;
    repairing_ = true;
    const int cursor = edit->cursorPosition();
    edit->setText(repaired);
    edit->setCursorPosition(cursor);
    repairing_ = false;
}

void TForm_Settings::MaskEdit1Exit(QLineEdit *edit) {
    if (edit->displayText().contains(QLatin1Char('*')))
        edit->setText(QString::fromLatin1(DefaultRecordingTimeText));
}

bool TForm_Settings::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut)
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            MaskEdit1Exit(edit);
    return QWidget::eventFilter(watched, event);
}

// Every time is read before anything is stored: a day that does not exist is reported at its edit and
// leaves ProgramSettings untouched.
void TForm_Settings::BitBtn1Click() {
    std::array<double, 20> times{};
    for (int i = 0; i < int(MaskEdit.size()); ++i) {
        const std::optional<double> time = ReadRecordingTimeText(MaskEdit[i]->text());
        if (!time) {
            PageControl1->setCurrentWidget(TabSheet_SaveOpt);
            MaskEdit[i]->setFocus();
            ShowMessage({QStringLiteral("'") + MaskEdit[i]->text() + QStringLiteral("' - неверные дата и время"),
                         LoadStr(5), MsgIcon::Error});
            return;
        }
        times[i] = *time;
    }
    ProgramSettings.AutoProtocol = CB_AutoPrt->isChecked() ? 1 : 0;
    for (int i = 0; i < RecordingWindowCount; ++i) {
        ProgramSettings.RecordingWindows[i].Enabled = CB[i]->isChecked() ? 1 : 0;
        ProgramSettings.RecordingWindows[i].Start = times[i];
        ProgramSettings.RecordingWindows[i].End = times[i + RecordingWindowCount];
    }
    ProgramSettings.Precision = int16_t(CSp_Precision->value());
    SetPrecisionZeros(ProgramSettings.Precision);
    ProgramSettings.AutoWindowChange = CB_AutoChangeForm->isChecked() ? 1 : 0;
    if (ProgramSettings.AutoWindowChange && SettingsHost.ArrangeGraphWindows)
        SettingsHost.ArrangeGraphWindows();
    CloseDialog();
}

void TForm_Settings::BitBtn2Click() {
    CloseDialog();
}

void TForm_Settings::CloseDialog() {
    CloseWindowFrame(this);
}

void TForm_Settings::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        CloseDialog();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm_Settings::closeEvent(QCloseEvent *event) {
    PageControl1->setFocus();
    QWidget::closeEvent(event);
}
