#include "MainFixture.h"
#include "support/Screenshot.h"

#include "platform/IniFile.h"
#include "platform/SerialPort.h"
#include "shell/Form_techno.h"
#include "shell/Form_textmsg.h"
#include "settings/remote/RemoteExchange.h"
#include "shell/TechCommands.h"
#include "shell/WindowRegistries.h"
#include "state/RemoteMessage.h"
#include "state/TextMessages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextCursor>
#include <QTextEdit>

#include <fcntl.h>
#include <map>
#include <stdlib.h>
#include <unistd.h>

namespace {

const TechCommand *FindCommand(std::span<const TechCommand> table, const char *name) {
    for (const TechCommand &command : table)
        if (QLatin1String(command.Name) == QLatin1String(name))
            return &command;
    return nullptr;
}

TEST(TechCommands, ListsAndCodes) {
    EXPECT_EQ(XilinxCommands().size(), 49u);
    EXPECT_EQ(RelayCommands().size(), 53u);
    EXPECT_EQ(BcCommands().size(), 20u);
    for (auto table : {XilinxCommands(), RelayCommands()})
        EXPECT_STREQ(table[0].Name, "Резервная ");
    EXPECT_STREQ(BcCommands()[0].Name, "Резервная ");
    EXPECT_EQ(TechCodeText(FindCommand(XilinxCommands(), "Active_Reset_Soft")->Code), "0xFFFFFFF9");
    EXPECT_EQ(TechCodeText(FindCommand(XilinxCommands(), "Passive_Reset_Soft")->Code), "0xFFFFFFFA");
    EXPECT_EQ(TechCodeText(FindCommand(XilinxCommands(), "Sync_Negative_Edge")->Code), "0x1F6");
    EXPECT_EQ(TechCodeText(FindCommand(XilinxCommands(), "DecInterp0")->Code), "0x00");
    EXPECT_EQ(BcMaskText(0x4), "0x4");
    EXPECT_EQ(BcMaskText(0x80), "0x80");
}

// Every impedance relay switches on with the code one above its off code, the 600 Ohm meter load too.
TEST(TechCommands, ImpedanceRelaysSwitchOnOneAboveOff) {
    std::map<std::string, int> codes;
    for (const TechCommand &command : RelayCommands())
        codes[command.Name] = command.Code;
    int pairs = 0;
    for (const auto &[name, code] : codes) {
        const bool impedance = name.rfind("ZMeter_", 0) == 0 || name.rfind("ZGen_", 0) == 0;
        if (!impedance || !name.ends_with("_Off"))
            continue;
        const std::string on = name.substr(0, name.size() - 4) + "_On";
        ASSERT_TRUE(codes.count(on)) << on;
        EXPECT_EQ(codes[on], code + 1) << on;
        ++pairs;
    }
    EXPECT_EQ(pairs, 9);
    EXPECT_EQ(codes["ZMeter_600_On"], 0x1B);
}

TEST(TechCommands, TypedCodes) {
    const struct {
        const char *text;
        uint32_t largest;
        std::optional<uint32_t> code;
    } cases[] = {
        {"1F6", 0xFFFF, 0x1F6}, {"0x1f6", 0xFFFF, 0x1F6}, {" FF ", 0xFFFF, 0xFF},    {"FFFF", 0xFFFF, 0xFFFF},
        {"0", 0xFF, 0},         {"", 0xFFFF, {}},         {"0x", 0xFFFF, {}},        {"G1", 0xFFFF, {}},
        {"12G", 0xFFFF, {}},    {"1 2", 0xFFFF, {}},      {"-1", 0xFFFF, {}},        {"+1", 0xFFFF, {}},
        {"10000", 0xFFFF, {}},  {"100", 0xFF, {}},        {"FFFFFFFFF", 0xFFFF, {}}, {"ф", 0xFFFF, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseTechCode(QString::fromUtf8(c.text), c.largest), c.code);
    }
}

// Without a connection nothing of the service window can be used; the edits show the chosen code.
TEST_F(MainWindowTest, ServiceWindowWithoutInstrument) {
    TMainForm &form = Start();
    form.TlB_TechClick();
    auto *tech = qobject_cast<TForm_Tech *>(Form_Tech.data());
    ASSERT_NE(tech, nullptr);
    EXPECT_EQ(tech->windowTitle(), "Технологическая форма");
    for (QWidget *control : std::initializer_list<QWidget *>{tech->CB_Xilinx, tech->Edit_Xilinx, tech->BitBtn_Xilinx,
                                                             tech->CB_Relay, tech->Edit_Relay, tech->BitBtn_Relay,
                                                             tech->CB_I2C_BC, tech->Edit_I2C_BC, tech->BitBtn_I2C_BC})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(tech->CB_Xilinx->currentIndex(), -1);

    tech->CB_Xilinx->setCurrentIndex(int(FindCommand(XilinxCommands(), "Active_Reset_Soft") - XilinxCommands().data()));
    EXPECT_EQ(tech->Edit_Xilinx->text(), "0xFFFFFFF9");
    EXPECT_TRUE(tech->Edit_Xilinx->isReadOnly());
    tech->CB_Xilinx->setCurrentIndex(0);
    EXPECT_EQ(tech->Edit_Xilinx->text(), "");
    EXPECT_FALSE(tech->Edit_Xilinx->isReadOnly());
    tech->CB_I2C_BC->setCurrentIndex(8);
    EXPECT_EQ(tech->Edit_I2C_BC->text(), "0x4");
    // The handlers do nothing without a link.
    tech->BitBtn_Xilinx->click();
    tech->BitBtn_I2C_BCClick();
    EXPECT_TRUE(messages.empty());
    SaveScreenshot(*tech, QStringLiteral("service-window"));
    tech->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Form_Tech.isNull());
}

// A pseudo-terminal standing in for a COM port; the other ports of the table lead nowhere.
struct TerminalPorts {
    explicit TerminalPorts(int port) {
        for (int n = 1; n <= MaxComPort; ++n)
            SetComPortDevice(n, QStringLiteral("/nonexistent/tty"));
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            SetComPortDevice(port, QString::fromLocal8Bit(::ptsname(master)));
    }
    ~TerminalPorts() {
        for (int n = 1; n <= MaxComPort; ++n)
            SetComPortDevice(n, QString());
        if (master >= 0)
            ::close(master);
    }
    int master = -1;
};

// The technological port chosen in the window is the main window's TechPort, kept in R9.ini; reopening
// the window selects it again, and a port that no longer opens leaves the list without a choice.
TEST_F(MainWindowTest, TechnologicalPortPersists) {
    auto ports = std::make_unique<TerminalPorts>(3);
    ASSERT_GE(ports->master, 0);
    TMainForm &form = Start();
    form.show();
    form.TechPort = -1;
    form.TlB_TechClick();
    auto *tech = qobject_cast<TForm_Tech *>(Form_Tech.data());
    ASSERT_NE(tech, nullptr);
    ASSERT_EQ(tech->CB_Port->count(), 1);
    EXPECT_EQ(tech->CB_Port->itemText(0), "Порт:3");
    EXPECT_EQ(tech->CB_Port->currentIndex(), -1);
    tech->CB_Port->setCurrentIndex(0);
    tech->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.TechPort, 3);

    form.TlB_TechClick();
    tech = qobject_cast<TForm_Tech *>(Form_Tech.data());
    ASSERT_NE(tech, nullptr);
    EXPECT_EQ(tech->CB_Port->currentText(), "Порт:3");
    tech->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    ASSERT_TRUE(form.close());
    window.reset();
    TMainForm &again = Start();
    again.show();
    EXPECT_EQ(again.TechPort, 3);
    ports.reset();
    TerminalPorts none(5);
    again.TlB_TechClick();
    tech = qobject_cast<TForm_Tech *>(Form_Tech.data());
    ASSERT_NE(tech, nullptr);
    EXPECT_EQ(tech->CB_Port->currentIndex(), -1);
    tech->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct TextWindowTest : MainWindowTest {
    void TearDown() override {
        DropRemoteMessages();
        ClearTextMessages();
        MainWindowTest::TearDown();
    }
    TForm_Txt *Open(TMainForm &form) {
        form.ShowTextMessageWindow();
        return qobject_cast<TForm_Txt *>(Form_Txt.data());
    }
};

TEST_F(TextWindowTest, SendListsTheMessageAndHandsItToTheLink) {
    TMainForm &form = Start();
    TForm_Txt *text = Open(form);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(WindowTag(text), 105);
    EXPECT_FALSE(text->Btn_Send->isEnabled());
    DeviceSettings->ConnectState = 2;
    text->ShowIncomingMessage();
    EXPECT_TRUE(text->Btn_Send->isEnabled());

    DeviceSettings->Mode = 0;
    text->Btn_SendClick();
    EXPECT_EQ(text->RE_Get->toPlainText(), "");
    EXPECT_EQ(DeviceSettings->Mode, 0);

    text->RE_Send->setPlainText(QStringLiteral("a\nb"));
    text->Btn_SendClick();
    EXPECT_EQ(OutgoingTextMessage, "a\nb");
    const QString listed = text->RE_Get->toPlainText();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^ \\d\\d:\\d\\d >>R-9:\na\nb$")).match(listed).hasMatch())
        << listed.toStdString();
    EXPECT_TRUE(text->RE_Send->toPlainText().isEmpty());
    // The message waits for the link in the outgoing buffer.
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(RemoteMessage.Message), RemoteMessage.Size),
              QByteArray("\x00\x00\xF0\x03\x00\x00\x00"
                         "a\nb",
                         10));
    EXPECT_TRUE(DeviceSettings->Mode & 0x200);
    QTextCursor header(text->RE_Get->document());
    header.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(header.charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(header.charFormat().fontWeight(), QFont::Bold);
}

// A received text is listed once, under a blue header.
TEST_F(TextWindowTest, IncomingTextShowsOnce) {
    TMainForm &form = Start();
    IncomingTextMessage = QStringLiteral("привет");
    TForm_Txt *text = Open(form);
    ASSERT_NE(text, nullptr);
    const QString listed = text->RE_Get->toPlainText();
    EXPECT_TRUE(listed.endsWith(QStringLiteral(">>Удаленный R-9:\nпривет"))) << listed.toStdString();
    EXPECT_TRUE(IncomingTextMessage.isEmpty());
    text->ShowIncomingMessage();
    EXPECT_EQ(text->RE_Get->toPlainText(), listed);
    QTextCursor header(text->RE_Get->document());
    header.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(header.charFormat().foreground().color(), QColor(0, 0, 255));
    SaveScreenshot(*text, QStringLiteral("text-window"));
}

// A message the link cannot carry is refused with the size message and stays in the edit.
TEST_F(TextWindowTest, TooLongMessageStaysInTheEdit) {
    TMainForm &form = Start();
    TForm_Txt *text = Open(form);
    ASSERT_NE(text, nullptr);
    const QString longText(31994, QLatin1Char('x'));
    text->RE_Send->setPlainText(longText);
    DeviceSettings->Mode = 0;
    text->Btn_SendClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Длина сообщения слишком велика!\nДлина Вашего сообщения равна 31.252 Кб.\n"
                                "Максимальный размер сообщения равен 31.250 Кб.");
    EXPECT_EQ(text->RE_Send->toPlainText(), longText);
    EXPECT_TRUE(text->RE_Get->toPlainText().isEmpty());
    EXPECT_EQ(DeviceSettings->Mode & 0x200, 0);
    // Exactly 16000 words go out.
    text->RE_Send->setPlainText(QString(31993, QLatin1Char('x')));
    text->Btn_SendClick();
    EXPECT_EQ(RemoteMessage.Size, 32000);
}

// The window keeps the height of its list in R9.ini, in the section of its caption.
TEST_F(TextWindowTest, ListHeightIsKept) {
    TMainForm &form = Start();
    form.show();
    TForm_Txt *text = Open(form);
    ASSERT_NE(text, nullptr);
    text->Splitter1->setSizes({90, text->Splitter1->height() - 90});
    QCoreApplication::processEvents();
    ASSERT_EQ(text->RE_Get->height(), 90);
    form.SubWindowOf(text)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(Form_Txt.isNull());
    TMemIniFile ini(form.IniFileName);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Текстовые сообщения"), QStringLiteral("RE_Get_Height"), 0), 90);
    text = Open(form);
    ASSERT_NE(text, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(text->RE_Get->height(), 90);
}

TEST_F(TextWindowTest, PopupMenuFollowsFocusAndSelection) {
    TMainForm &form = Start();
    form.show();
    TForm_Txt *text = Open(form);
    ASSERT_NE(text, nullptr);
    text->RE_Send->setPlainText(QStringLiteral("abc"));
    text->RE_Send->setFocus();
    QApplication::setActiveWindow(&form);
    text->RE_Send->selectAll();
    if (QApplication::focusWidget() != text->RE_Send)
        GTEST_SKIP() << "the platform gives no focus";
    text->PopupMenu1Popup();
    EXPECT_TRUE(text->N1->isEnabled());
    EXPECT_TRUE(text->N2->isEnabled());
    text->N1Click();
    EXPECT_TRUE(text->RE_Send->toPlainText().isEmpty());
    text->N3Click();
    EXPECT_EQ(text->RE_Send->toPlainText(), "abc");
}

} // namespace
