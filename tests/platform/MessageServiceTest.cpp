#include "platform/MessageService.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace {

// These tests never show a real window. Choosing the offscreen platform before the application object
// exists also lets the test list be read where there is no display (ctest lists the tests without the
// environment it runs them with).
const bool offscreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

// Leaves the service as the program starts it: no sink, no handler.
class MessageServiceTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetBatchMessageSink({});
        SetMessageBoxHandler({});
    }
};

MessageRequest Request(MsgIcon icon, MsgButtons buttons) {
    MessageRequest request;
    request.text = QStringLiteral("Не могу открыть файл");
    request.caption = QStringLiteral("Ошибка!");
    request.icon = icon;
    request.buttons = buttons;
    return request;
}

TEST_F(MessageServiceTest, TheBoxShowsWhatTheMessageCallsForAndAnswersWithThePressedButton) {
    struct Case {
        MsgIcon icon;
        MsgButtons buttons;
        QMessageBox::Icon boxIcon;
        QMessageBox::StandardButtons shown;
        QMessageBox::StandardButton defaultButton;
        QMessageBox::StandardButton press; // NoButton: the Escape key
        int answer;
    };
    const Case cases[] = {
        {MsgIcon::Question, MsgButtons::YesNo, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, QMessageBox::No, IdNo},
        {MsgIcon::Warning, MsgButtons::OkCancel, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel,
         QMessageBox::Ok, QMessageBox::Cancel, IdCancel},
        {MsgIcon::Error, MsgButtons::AbortRetryIgnore, QMessageBox::Critical,
         QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Abort, QMessageBox::Ignore,
         IdIgnore},
        {MsgIcon::Information, MsgButtons::YesNoCancel, QMessageBox::Information,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::NoButton, IdCancel},
        {MsgIcon::None, MsgButtons::RetryCancel, QMessageBox::NoIcon, QMessageBox::Retry | QMessageBox::Cancel,
         QMessageBox::Retry, QMessageBox::Retry, IdRetry},
        {MsgIcon::Warning, MsgButtons::Ok, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok,
         QMessageBox::NoButton, IdOk},
        {MsgIcon::Warning, MsgButtons::YesNo, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, QMessageBox::NoButton, IdNo},
    };
    for (const Case &c : cases) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Ошибка!"));
            EXPECT_EQ(box->text(), QStringLiteral("Не могу открыть файл"));
            EXPECT_EQ(box->icon(), c.boxIcon);
            EXPECT_EQ(box->standardButtons(), c.shown);
            EXPECT_EQ(box->defaultButton(), box->button(c.defaultButton));
            if (c.press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(c.press)->click();
        });
        EXPECT_EQ(ShowMessage(Request(c.icon, c.buttons)), c.answer);
        EXPECT_TRUE(seen);
    }
}

TEST_F(MessageServiceTest, ATestHandlerReplacesTheBox) {
    MessageRequest got;
    SetMessageBoxHandler([&](const MessageRequest &request) {
        got = request;
        return int(IdRetry);
    });
    EXPECT_EQ(ShowMessage(Request(MsgIcon::Error, MsgButtons::RetryCancel)), IdRetry);
    EXPECT_EQ(got.caption, QStringLiteral("Ошибка!"));
    EXPECT_EQ(got.buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);
}

TEST_F(MessageServiceTest, WhileBatchControlRunsNoWindowOpensAndTheSinkAnswers) {
    SetMessageBoxHandler([](const MessageRequest &) {
        ADD_FAILURE() << "a message reached the box while batch control runs";
        return int(IdOk);
    });
    std::vector<int> codes;
    SetBatchMessageSink([&](const MessageRequest &request) {
        codes.push_back(request.batchCode);
        return int(IdNo);
    });
    EXPECT_TRUE(BatchMessagesDiverted());
    MessageRequest request = Request(MsgIcon::Warning, MsgButtons::YesNo);
    request.batchCode = -5;
    EXPECT_EQ(ShowMessage(request), IdNo);
    EXPECT_EQ(codes, std::vector<int>{-5});

    SetBatchMessageSink({});
    EXPECT_FALSE(BatchMessagesDiverted());
}

TEST_F(MessageServiceTest, AMessageFromAWorkerThreadIsShownByTheMainThread) {
    QThread *handledIn = nullptr;
    SetMessageBoxHandler([&](const MessageRequest &) {
        handledIn = QThread::currentThread();
        return int(IdYes);
    });
    std::atomic<int> answer = 0;
    std::thread worker([&] { answer = ShowMessage(Request(MsgIcon::Question, MsgButtons::YesNo)); });
    const uint32_t start = GetTickCount();
    while (answer == 0 && TicksSince(start) < 5000)
        PumpMessages();
    worker.join();
    EXPECT_EQ(answer, IdYes);
    EXPECT_EQ(handledIn, QThread::currentThread());
}

} // namespace
