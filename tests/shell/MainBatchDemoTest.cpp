// A batch run of the main window in demonstration mode, driven through the command mailbox as a controlling
// program drives it: the configuration of the schedule is loaded, Start and Stop come from the mailbox,
// and CLOSE closes the program with its end line in the log.
#include "DemoFixture.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1251.h"
#include "protocols/PackageWork.h"
#include "storage/Configuration.h"

#include <QRegularExpression>
#include <QToolButton>

namespace {

class BatchDemoTest : public DemoWindowTest {
protected:
    // Pumps until the condition holds or ten seconds passed.
    bool PumpUntil(const std::function<bool()> &done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            PumpMessages();
        return done();
    }

    QStringList LogTexts() const {
        QStringList texts;
        static const QRegularExpression stamp(QStringLiteral("^R9_307\\.(mng|exe): [0-9.]+( [0-9:]+)? "));
        for (QString line : FromCp1251(dir.read(QStringLiteral("R9_307.msg"))).split(QStringLiteral("\r\n")))
            if (!line.isEmpty())
                texts << line.remove(stamp).trimmed();
        return texts;
    }

    void Mail(const QByteArray &command) const {
        ASSERT_TRUE(WriteFileAtomically(dir.path(QStringLiteral("R9_307.mng")), command));
    }
    bool Acknowledged() const { return dir.read(QStringLiteral("R9_307.mng")) == MailboxAcknowledgement(); }
};

TEST_F(BatchDemoTest, TheMailboxStartsStopsAndClosesTheProgram) {
    // A configuration the demonstration saved, to be named by the schedule.
    StartSinDemo();
    const QString config = dir.path(QStringLiteral("Config/sin.cfg"));
    ASSERT_TRUE(SaveConfiguration(config, false));
    TearDown();
    SetUp();

    dir.write(QStringLiteral("plan.lst"),
              ToCp1251(QStringLiteral("CONFIG_NAME = ") + config + QStringLiteral("\r\nTIME_PERIOD_MS=20\r\n")));
    dir.write(QStringLiteral("R9_307.mng"), "NONE\r\n");
    TMainForm &form = Start({QStringLiteral("/demo"), QStringLiteral("plan.lst")});
    form.resize(1200, 800);
    form.show();
    ASSERT_NE(PackageWork, nullptr);
    ASSERT_EQ(PackageWork->ResultCode, 0);

    Mail("START_R9\r\n");
    ASSERT_TRUE(PumpUntil([&] { return !form.Button_Start->isEnabled(); })) << "the measurement started";
    EXPECT_TRUE(Acknowledged());
    Mail("STOP_R9\r\n");
    ASSERT_TRUE(PumpUntil([&] { return form.Button_Start->isEnabled() && Acknowledged(); })) << "it stopped";
    // A Stop of the program's own accord turns the mailbox timer off; the run still hears the next command.
    Mail("START_R9\r\n");
    ASSERT_TRUE(PumpUntil([&] { return !form.Button_Start->isEnabled(); }));
    form.Button_BreakClick(nullptr);
    ASSERT_TRUE(form.Button_Start->isEnabled());
    Mail("CLOSE\r\n");
    ASSERT_TRUE(PumpUntil([&] { return !form.isVisible(); })) << "the program closed itself";
    EXPECT_EQ(PackageWork, nullptr);
    EXPECT_TRUE(Acknowledged());
    // What the child windows may still say while they close goes to the log too.
    ShowMessage({QStringLiteral("Сохранить изменения?"), QString(), MsgIcon::Question, MsgButtons::YesNo});
    EXPECT_TRUE(messages.empty()) << "no box opens in a batch run, nor at its end";
    EXPECT_EQ(LogTexts(), (QStringList{"Загружена конфигурация " + config, "Получена команда START_R9",
                                       "Получена команда STOP_R9", "Получена команда START_R9",
                                       "Получена команда CLOSE", "Закрытие программы.", "Сохранить изменения?"}));
}

} // namespace
