#include "shell/Form_techno.h"

#include "controls/FormHelpers.h"
#include "link/Dspio9.h"
#include "link/Ft_spi.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "shell/ListComPorts.h"
#include "shell/TechCommands.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace {

constexpr int BcRegister = 40;
constexpr uint32_t BcWaitMs = 100;
constexpr int ReserveEntry = 0;

// A list whose arrow rebuilds it before it drops down.
class DropDownList : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> OnDropDown;
    void showPopup() override {
        if (OnDropDown)
            OnDropDown();
        QComboBox::showPopup();
    }
};

void Plain(const QString &text) {
    ShowMessage({text, ProgramName, MsgIcon::None, MsgButtons::Ok});
}

void RefuseCode(const QString &text, uint32_t largest) {
    ShowMessage({QStringLiteral("Значение команды '") + text +
                     QStringLiteral("' не является шестнадцатиричным числом от 0 до ") +
                     QString::number(largest, 16).toUpper() + QStringLiteral("!"),
                 LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
}

void SetEditWritable(QLineEdit *edit, bool writable) {
    edit->setReadOnly(!writable);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, writable ? QPalette().color(QPalette::Base) : QPalette().color(QPalette::Button));
    edit->setPalette(palette);
}

// One group of commands: its list, the edit with the label "Hex" and the button, named after the group's
// suffix ("GroupBox_Xilinx", "CB_Xilinx", "Edit_Xilinx", "BitBtn_Xilinx").
void BuildCommandGroup(QWidget *owner, const QString &suffix, const QString &button, int top, QGroupBox *&group,
                       QComboBox *&list, QLineEdit *&edit, QPushButton *&run) {
    group = new QGroupBox(QStringLiteral("Команды ") + button, owner);
    group->setObjectName(QStringLiteral("GroupBox_") + suffix);
    group->setGeometry(8, top, 380, 58);
    list = new QComboBox(group);
    list->setObjectName(QStringLiteral("CB_") + suffix);
    list->setGeometry(8, 24, 170, 24);
    list->setToolTip(QStringLiteral("Обозначение команды"));
    auto *hex = new QLabel(QStringLiteral("Hex"), group);
    hex->setGeometry(186, 28, 24, 16);
    edit = new QLineEdit(group);
    edit->setObjectName(QStringLiteral("Edit_") + suffix);
    edit->setGeometry(212, 24, 76, 24);
    edit->setToolTip(QStringLiteral("Значение команды в\nшестнадцатиричной форме"));
    run = new QPushButton(button, group);
    run->setObjectName(QStringLiteral("BitBtn_") + suffix);
    run->setGeometry(296, 22, 76, 28);
    run->setToolTip(QStringLiteral("Выполнить текущую команду ") + button);
}

} // namespace

TForm_Tech::TForm_Tech(int *techPort, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      techPort_(techPort) {
    setObjectName(QStringLiteral("Form_Tech"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Технологическая форма"));
    setFixedSize(396, 266);

    auto *portLabel = new QLabel(QStringLiteral("Технологический порт:"), this);
    portLabel->setGeometry(8, 10, 150, 20);
    auto *ports = new DropDownList(this);
    ports->OnDropDown = [this] { CB_PortDropDown(); };
    CB_Port = NamedControl<QComboBox>(ports, "CB_Port");
    CB_Port->setGeometry(160, 8, 110, 24);

    BuildCommandGroup(this, QStringLiteral("Xilinx"), QStringLiteral("Xilinx"), 38, GroupBox_Xilinx, CB_Xilinx,
                      Edit_Xilinx, BitBtn_Xilinx);
    auto *counterPanel = NamedControl(new QLabel(QStringLiteral("RecvSobCnt"), this), "Panel_RecvSobCnt");
    counterPanel->setGeometry(8, 102, 80, 22);
    Label3 = NamedControl(new QLabel(QStringLiteral("0"), this), "Label3");
    Label3->setGeometry(92, 102, 120, 22);
    Label3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label3->setToolTip(
        QStringLiteral("Cчетчик принятых заголовков всех кадров, включая\nслужебные (для обнаружения зависаний)"));

    BuildCommandGroup(this, QStringLiteral("Relay"), QStringLiteral("Relay"), 130, GroupBox_Relay, CB_Relay, Edit_Relay,
                      BitBtn_Relay);
    BuildCommandGroup(this, QStringLiteral("I2C_BC"), QStringLiteral("I2C БК"), 196, GroupBox_I2C_BC, CB_I2C_BC,
                      Edit_I2C_BC, BitBtn_I2C_BC);

    for (const TechCommand &command : XilinxCommands())
        CB_Xilinx->addItem(QString::fromUtf8(command.Name));
    for (const TechCommand &command : RelayCommands())
        CB_Relay->addItem(QString::fromUtf8(command.Name));
    for (const BcCommand &command : BcCommands())
        CB_I2C_BC->addItem(QString::fromUtf8(command.Name));
    for (QComboBox *list : {CB_Xilinx, CB_Relay, CB_I2C_BC})
        list->setCurrentIndex(-1);
    for (QLineEdit *edit : {Edit_Xilinx, Edit_Relay, Edit_I2C_BC})
        SetEditWritable(edit, false);
    RefreshTechControls();
    FillPorts();

    connect(CB_Xilinx, &QComboBox::currentIndexChanged, this, &TForm_Tech::CB_XilinxChange);
    connect(CB_Relay, &QComboBox::currentIndexChanged, this, &TForm_Tech::CB_RelayChange);
    connect(CB_I2C_BC, &QComboBox::currentIndexChanged, this, &TForm_Tech::CB_I2C_BCChange);
    connect(BitBtn_Xilinx, &QPushButton::clicked, this, &TForm_Tech::BitBtn_XilinxClick);
    connect(BitBtn_Relay, &QPushButton::clicked, this, &TForm_Tech::BitBtn_RelayClick);
    connect(BitBtn_I2C_BC, &QPushButton::clicked, this, &TForm_Tech::BitBtn_I2C_BCClick);
    connect(CB_Port, &QComboBox::currentIndexChanged, this, &TForm_Tech::CB_PortChange);
}

void TForm_Tech::RefreshTechControls() {
    const bool link = DspIo != nullptr;
    const std::array<std::tuple<QComboBox *, QLineEdit *, QPushButton *>, 3> rows = {{
        {CB_Xilinx, Edit_Xilinx, BitBtn_Xilinx},
        {CB_Relay, Edit_Relay, BitBtn_Relay},
        {CB_I2C_BC, Edit_I2C_BC, BitBtn_I2C_BC},
    }};
    for (const auto &[list, edit, button] : rows) {
        list->setEnabled(link);
        edit->setEnabled(link);
        button->setEnabled(link && list->currentIndex() >= 0);
    }
}

void TForm_Tech::ShowRecvSobCnt(uint32_t count) {
    Label3->setText(QString::number(count));
}

namespace {

// The edit of a command list: empty and read-only for the reserve entry or none (the reserve entry's is
// writable: the user types its code), else the chosen command's code.
void ShowCommandCode(QComboBox *list, QLineEdit *edit, const QString &code) {
    const int index = list->currentIndex();
    edit->setText(index > ReserveEntry ? code : QString());
    SetEditWritable(edit, index == ReserveEntry);
}

} // namespace

void TForm_Tech::CB_XilinxChange() {
    const int index = CB_Xilinx->currentIndex();
    ShowCommandCode(CB_Xilinx, Edit_Xilinx,
                    index > ReserveEntry ? TechCodeText(XilinxCommands()[std::size_t(index)].Code) : QString());
    RefreshTechControls();
}

void TForm_Tech::CB_RelayChange() {
    const int index = CB_Relay->currentIndex();
    ShowCommandCode(CB_Relay, Edit_Relay,
                    index > ReserveEntry ? TechCodeText(RelayCommands()[std::size_t(index)].Code) : QString());
    RefreshTechControls();
}

void TForm_Tech::CB_I2C_BCChange() {
    const int index = CB_I2C_BC->currentIndex();
    ShowCommandCode(CB_I2C_BC, Edit_I2C_BC,
                    index > ReserveEntry ? BcMaskText(BcCommands()[std::size_t(index)].Mask) : QString());
    RefreshTechControls();
}

void TForm_Tech::SendRaw(QComboBox *list, QLineEdit *edit, bool relay) {
    const int index = list->currentIndex();
    if (!DspIo || index < 0)
        return;
    const std::span<const TechCommand> table = relay ? RelayCommands() : XilinxCommands();
    uint16_t code = uint16_t(table[std::size_t(index)].Code);
    if (index == ReserveEntry) {
        const std::optional<uint32_t> typed = ParseTechCode(edit->text(), 0xFFFF);
        if (!typed) {
            RefuseCode(edit->text(), 0xFFFF);
            return;
        }
        code = uint16_t(*typed);
    }
    const uint8_t bytes[2] = {uint8_t(code & 0xFF), uint8_t(code >> 8)};
    const bool sent = relay ? DspIo->SendRelay(sizeof bytes, bytes) : DspIo->SendXilinx(sizeof bytes, bytes);
    if (!sent)
        Plain(relay ? QStringLiteral("Команда R9_setRelay не выдана")
                    : QStringLiteral("Команда R9_setXilinx не выдана"));
    // The instrument's state may have changed under the program either way: recompute and reissue.
    DeviceSettings->Mode |= PendingRecompute;
    SendCommand();
}

void TForm_Tech::BitBtn_XilinxClick() {
    SendRaw(CB_Xilinx, Edit_Xilinx, false);
}

void TForm_Tech::BitBtn_RelayClick() {
    SendRaw(CB_Relay, Edit_Relay, true);
}

void TForm_Tech::BitBtn_I2C_BCClick() {
    const int index = CB_I2C_BC->currentIndex();
    if (!DspIo || !FtSpi || index < 0)
        return;
    TFT_SPI &spi = *FtSpi;
    const BcCommand &command = BcCommands()[std::size_t(index)];
    if (index == ReserveEntry) {
        const std::optional<uint32_t> typed = ParseTechCode(Edit_I2C_BC->text(), 0xFF);
        if (!typed) {
            RefuseCode(Edit_I2C_BC->text(), 0xFF);
            return;
        }
        spi.WriteReg(BcRegister, TFT_SPI::BcBoardChip, int(*typed));
        Sleep(BcWaitMs);
        ShowI2CError();
        return;
    }
    const QString name = QString::fromUtf8(command.Name);
    if (name == QLatin1String("BC_Power_On") || name == QLatin1String("BC_Power_Off")) {
        spi.SelectBusBC(command.Mask != 0);
        return;
    }
    if (spi.BusBC == 0) {
        Plain(QStringLiteral("Питание БК выключено!"));
        return;
    }
    if (command.Mask == 0) {
        spi.WriteReg(BcRegister, TFT_SPI::BcBoardChip, 0);
        ShowI2CError();
        return;
    }
    std::int32_t value = 0;
    const bool read = spi.ReadRegs(BcRegister, TFT_SPI::BcBoardChip, 1, &value);
    ShowI2CError();
    // Without the register's present bits a write would change the bits the command does not name.
    if (!read)
        return;
    value = command.Action ? (value | command.Mask) : (value & ~int(command.Mask));
    spi.WriteReg(BcRegister, TFT_SPI::BcBoardChip, value & 0xFF);
    ShowI2CError();
    Sleep(BcWaitMs);
}

void TForm_Tech::FillPorts() {
    const QSignalBlocker quiet(CB_Port);
    CB_Port->clear();
    CB_Port->addItems(ListComPorts());
    int chosen = -1;
    for (int i = 0; i < CB_Port->count(); ++i)
        if (ComPortOfEntry(CB_Port->itemText(i)) == *techPort_)
            chosen = i;
    CB_Port->setCurrentIndex(chosen);
}

void TForm_Tech::CB_PortChange() {
    *techPort_ = CB_Port->currentIndex() < 0 ? -1 : ComPortOfEntry(CB_Port->currentText());
}

void TForm_Tech::CB_PortDropDown() {
    FillPorts();
}

void TForm_Tech::closeEvent(QCloseEvent *event) {
    CB_PortChange();
    QDialog::closeEvent(event);
}
