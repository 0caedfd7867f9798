#include "platform/HiddenWindow.h"
#include "platform/Clock.h"

#include <QThread>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

namespace {

struct Received {
    uint32_t msg;
    uintptr_t wParam;
    intptr_t lParam;
    QThread *thread;
    bool operator==(const Received &) const = default;
};

class RecordingWindow : public HiddenWindow {
public:
    std::vector<Received> received;

protected:
    void WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        received.push_back({msg, wParam, lParam, QThread::currentThread()});
    }
};

TEST(HiddenWindow, MessagesPostedFromAThreadArriveInTheMainThreadInOrder) {
    RecordingWindow window;
    std::vector<Received> sent;
    for (uint32_t i = 0; i < 200; ++i)
        sent.push_back({WM_APP + 70 + i % 8, uintptr_t(i) * 0x10001u, -intptr_t(i), QThread::currentThread()});
    sent.push_back({WM_APP, std::numeric_limits<uintptr_t>::max(), std::numeric_limits<intptr_t>::min(),
                    QThread::currentThread()});

    std::thread worker([&] {
        for (const Received &r : sent)
            ASSERT_TRUE(PostLinkMessage(&window, r.msg, r.wParam, r.lParam));
    });
    worker.join();
    EXPECT_TRUE(window.received.empty()) << "nothing runs before the main thread handles its events";

    const uint32_t start = GetTickCount();
    while (window.received.size() < sent.size() && TicksSince(start) < 5000)
        PumpMessages();
    EXPECT_EQ(window.received, sent);
}

TEST(HiddenWindow, MessagesOutsideTheApplicationRangeAreRefused) {
    RecordingWindow window;
    EXPECT_FALSE(PostLinkMessage(&window, WM_APP - 1, 0, 0));
    EXPECT_FALSE(PostLinkMessage(&window, 0x0010, 0, 0));
    EXPECT_FALSE(PostLinkMessage(&window, WM_APP + (QEvent::MaxUser - QEvent::User) + 1, 0, 0));
    EXPECT_FALSE(PostLinkMessage(nullptr, WM_APP + 70, 0, 0));
    EXPECT_TRUE(PostLinkMessage(&window, WM_APP + (QEvent::MaxUser - QEvent::User), 1, 2));
    PumpMessages();
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].msg, WM_APP + (QEvent::MaxUser - QEvent::User));
}

} // namespace
