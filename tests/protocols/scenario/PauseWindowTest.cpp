#include "protocols/Form_scncontinue.h"
#include "protocols/Form_scnmessage.h"

#include "platform/MessageService.h"
#include "platform/SerialPort.h"
#include "protocols/PauseMessage.h"
#include "protocols/ScenarClass.h"
#include "state/MainGlobals.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>

namespace {

constexpr int TechPort = 5;

// The device on the technological port: the other end of a pseudo-terminal, which has no modem lines
// (so CTS reads as on). It collects what the program sends and answers with the bytes it is given.
class PauseDevice {
public:
    PauseDevice() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            SetComPortDevice(TechPort, QString::fromLocal8Bit(::ptsname(master_)));
    }
    ~PauseDevice() {
        SetComPortDevice(TechPort, QString());
        if (master_ >= 0)
            ::close(master_);
    }
    bool Ready() const { return master_ >= 0; }

    // What has arrived so far, waiting up to `ms` for at least `size` bytes.
    QByteArray Received(qsizetype size, int ms = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (received_.size() < size && timer.elapsed() < ms) {
            char buffer[64];
            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            if (got > 0)
                received_.append(buffer, got);
            else
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return received_;
    }

    void Answer(const QByteArray &bytes) { ASSERT_EQ(::write(master_, bytes.constData(), bytes.size()), bytes.size()); }

private:
    int master_ = -1;
    QByteArray received_;
};

// The conditions under which the pause talks to the port: an instrument on USB, the technology switch.
class PauseWindow : public ::testing::Test {
protected:
    void SetUp() override {
        savedKind_ = ConnectionKind;
        savedTechnology_ = TechnologyMode;
        ConnectionKind = 1;
        TechnologyMode = true;
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes << request.caption + u'|' + request.text;
            return int(IdOk);
        });
    }
    void TearDown() override {
        if (Form_ScnCont)
            delete Form_ScnCont.data();
        SetMessageBoxHandler({});
        ConnectionKind = savedKind_;
        TechnologyMode = savedTechnology_;
    }

    TForm_ScnCont *Pause(const QStringList &message, int port = TechPort) {
        return ShowScenarioPause(nullptr, QStringLiteral("/data/Config/линия 1.cfg"), message, port,
                                 [this] { ++continued; });
    }

    bool WaitForContinue(int ms = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (continued == 0 && timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return continued > 0;
    }

    QStringList boxes;
    int continued = 0;

private:
    int16_t savedKind_ = 0;
    bool savedTechnology_ = false;
};

TEST(PauseCommands, PiecesBetweenAtSignsBecomeCommands) {
    struct Case {
        QStringList Lines;
        QStringList Commands;
    };
    const Case cases[] = {
        {{QStringLiteral("Включите @k1 on@ и @k2@")}, {QStringLiteral("@K1 ON"), QStringLiteral("@K2")}},
        {{QStringLiteral("без команд")}, {}},
        {{QStringLiteral("@не закрыта")}, {}},
        {{QStringLiteral("@a@ @b")}, {QStringLiteral("@A")}},
        // The lines are joined without a separator: a piece may span them.
        {{QStringLiteral("@rel"), QStringLiteral("ay 3@")}, {QStringLiteral("@RELAY 3")}},
        {{QStringLiteral("@@"), QStringLiteral("x@y@")}, {QStringLiteral("@"), QStringLiteral("@Y")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ExtractCommands(c.Lines), c.Commands) << c.Lines.join(u'|').toStdString();
}

// The frame is the command's bytes, then the XOR of all of them split into its high and its low nibble.
TEST(PauseCommands, CommandFramesCarryTheirCheckNibbles) {
    EXPECT_EQ(CommandFrame(QStringLiteral("@K1 ON")), QByteArray("@K1 ON\x10\x0B"));
    EXPECT_EQ(CommandFrame(QStringLiteral("@K2")), QByteArray("@K2\x30\x09"));
    EXPECT_EQ(CommandFrame(QStringLiteral("@")), QByteArray("@\x40\x00", 3));
}

TEST_F(PauseWindow, TheMessagesCommandsGoOutAndTheDevicesAtContinues) {
    PauseDevice device;
    ASSERT_TRUE(device.Ready());
    TForm_ScnCont *window = Pause({QStringLiteral("Подключите шлейф"), QStringLiteral("@k1 on@ @k2@")});
    ASSERT_EQ(window, Form_ScnCont.data());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Пауза в исполнении сценария"));
    EXPECT_EQ(window->Memo1->toPlainText(),
              QStringLiteral("Пауза перед линия 1.cfg\n\nПодключите шлейф\n@k1 on@ @k2@"));
    EXPECT_EQ(window->Memo1->textCursor().selectedText(), QStringLiteral("Пауза перед линия 1.cfg"));
    SaveScreenshot(*window, QStringLiteral("scenario_pause"));

    const QByteArray expected("@K1 ON\x10\x0B@K2\x30\x09");
    EXPECT_EQ(device.Received(expected.size()), expected);
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();

    // Other bytes are ignored; the "@" behind them continues the run.
    device.Answer("x");
    for (int i = 0; i < 3; ++i)
        window->Timer1Timer();
    EXPECT_EQ(continued, 0);
    device.Answer("?@");
    EXPECT_TRUE(WaitForContinue());
    EXPECT_EQ(continued, 1);
    EXPECT_FALSE(window->Timer1->isActive());
}

// The answer and whatever came before it are all read at one tick.
TEST_F(PauseWindow, OneTickReadsEverythingThatWaits) {
    PauseDevice device;
    ASSERT_TRUE(device.Ready());
    TForm_ScnCont *window = Pause({QStringLiteral("@k2@")});
    EXPECT_EQ(device.Received(5), QByteArray("@K2\x30\x09"));
    window->Timer1->stop();
    device.Answer("abc@");
    ::usleep(20000);
    window->Timer1->start(); // stands for the tick's timer being on, without letting it fire
    window->Timer1Timer();
    EXPECT_EQ(continued, 1);
}

TEST_F(PauseWindow, AMessageWithoutCommandsNeverOpensThePort) {
    SetComPortDevice(TechPort, QStringLiteral("/nonexistent/tty"));
    for (const QStringList &message :
         {QStringList{QStringLiteral("Просто пауза")}, QStringList{QStringLiteral("@не закрыта")}, QStringList{}}) {
        TForm_ScnCont *window = Pause(message);
        EXPECT_FALSE(window->Timer1->isActive());
    }
    // The same port with a command: the open fails and says so.
    Pause({QStringLiteral("@k2@")});
    SetComPortDevice(TechPort, QString());
    EXPECT_EQ(boxes, QStringList{QStringLiteral("Порт:5 Ошибка!|Нет доступа ! Порт занят!")});
    EXPECT_FALSE(Form_ScnCont->Timer1->isActive());
}

TEST_F(PauseWindow, WithoutTheConditionsNothingIsSent) {
    SetComPortDevice(TechPort, QStringLiteral("/nonexistent/tty"));
    struct Case {
        int16_t Kind;
        bool Technology;
        int Port;
    };
    for (const Case &c : {Case{0, true, TechPort}, Case{1, false, TechPort}, Case{1, true, 0}, Case{1, true, -1}}) {
        ConnectionKind = c.Kind;
        TechnologyMode = c.Technology;
        Pause({QStringLiteral("@k2@")}, c.Port);
    }
    SetComPortDevice(TechPort, QString());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}

TEST_F(PauseWindow, TheButtonContinuesAndClosingFreesTheWindow) {
    TForm_ScnCont *window = Pause({QStringLiteral("Пауза")});
    window->BitBtn1->click();
    EXPECT_EQ(continued, 1);
    // One window at a time: a second pause refills it.
    EXPECT_EQ(Pause({QStringLiteral("ещё")}), window);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Form_ScnCont.isNull());
}

TEST(PauseMessageEditor, OkTakesTheLinesAndCancelKeepsTheOldMessage) {
    ScenarioRow row;
    SetPauseMessage(row, {QStringLiteral("старое")});
    for (bool ok : {false, true}) {
        QTimer::singleShot(0, [ok] {
            auto *editor = qobject_cast<TForm_ScnMsg *>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->windowTitle(), QStringLiteral("Введите сообщение при паузе:"));
            EXPECT_EQ(editor->Lines(), QStringList{QStringLiteral("старое")});
            editor->Memo1->setPlainText(QStringLiteral("A\n@k1 on@"));
            SaveScreenshot(*editor, QStringLiteral("scenario_pause_message"));
            (ok ? editor->BitBtn1 : editor->BitBtn2)->click();
        });
        EXPECT_EQ(EditPauseMessage(nullptr, row), ok);
        EXPECT_EQ(PauseMessageLines(row), ok ? (QStringList{QStringLiteral("A"), QStringLiteral("@k1 on@")})
                                             : QStringList{QStringLiteral("старое")});
    }
}

TEST(PauseMessageEditor, TheMessageIsAtMost300Characters) {
    TForm_ScnMsg editor;
    editor.Memo1->setPlainText(QString(350, u'я'));
    EXPECT_EQ(editor.Memo1->toPlainText().size(), 300);
}

} // namespace
