#include "controls/Rxhook.h"
#include "platform/MessageService.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const auto kProbe = static_cast<QEvent::Type>(QEvent::User + 7);

// A control that notes what reached its own handling, and refuses to close.
class RecordingWidget : public QWidget {
public:
    explicit RecordingWidget(QStringList &log) : log_(log) {}

protected:
    bool event(QEvent *event) override {
        if (event->type() == kProbe)
            log_ << QStringLiteral("control");
        return QWidget::event(event);
    }
    void closeEvent(QCloseEvent *event) override { event->ignore(); }

private:
    QStringList &log_;
};

void Record(TRxWindowHook &hook, QStringList &log, const QString &name, bool handleBefore = false) {
    hook.BeforeMessage = [&log, name, handleBefore](TRxWindowHook *, QEvent *event, bool &handled) {
        if (event->type() == kProbe || event->type() == QEvent::Close) {
            log << name + QStringLiteral(" before");
            handled = handleBefore;
        }
    };
    hook.AfterMessage = [&log, name](TRxWindowHook *, QEvent *event, bool &) {
        if (event->type() == kProbe)
            log << name + QStringLiteral(" after");
        if (event->type() == QEvent::Close)
            log << name + (event->isAccepted() ? QStringLiteral(" after accepted") : QStringLiteral(" after refused"));
    };
}

TEST(WindowHook, HooksSeeEventsBeforeAndAfterTheControlLastAttachedFirst) {
    QStringList log;
    RecordingWidget control(log);
    TRxWindowHook first;
    TRxWindowHook second;
    Record(first, log, QStringLiteral("first"));
    Record(second, log, QStringLiteral("second"));
    first.SetWinControl(&control);
    second.SetWinControl(&control);

    QEvent probe(kProbe);
    QCoreApplication::sendEvent(&control, &probe);
    EXPECT_EQ(log, QStringList({"second before", "first before", "control", "second after", "first after"}));

    // The after handlers see the control's answer.
    log.clear();
    control.close();
    EXPECT_EQ(log, QStringList({"second before", "first before", "second after refused", "first after refused"}));
}

TEST(WindowHook, HandledBeforeKeepsTheEventFromEverybodyElse) {
    QStringList log;
    RecordingWidget control(log);
    TRxWindowHook first;
    TRxWindowHook second;
    Record(first, log, QStringLiteral("first"));
    Record(second, log, QStringLiteral("second"), true);
    first.SetWinControl(&control);
    second.SetWinControl(&control);
    QEvent probe(kProbe);
    QCoreApplication::sendEvent(&control, &probe);
    EXPECT_EQ(log, QStringList({"second before"}));
}

TEST(WindowHook, TheControlsDestructionCannotBeKeptBack) {
    QStringList log;
    QPointer<QWidget> control = new RecordingWidget(log);
    TRxWindowHook hook;
    hook.BeforeMessage = [](TRxWindowHook *, QEvent *, bool &handled) { handled = true; };
    hook.SetWinControl(control);
    control->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(control.isNull());
    EXPECT_EQ(hook.WinControl(), nullptr);
}

TEST(WindowHook, DetachingTheLastHookStopsWatchingAndFreesTheControlHook) {
    QStringList log;
    RecordingWidget control(log);
    TRxWindowHook hook;
    Record(hook, log, QStringLiteral("hook"));
    hook.SetWinControl(&control);
    hook.SetActive(false);
    QEvent probe(kProbe);
    QCoreApplication::sendEvent(&control, &probe);
    EXPECT_EQ(log, QStringList({"control"}));

    hook.SetActive(true);
    log.clear();
    QCoreApplication::sendEvent(&control, &probe);
    EXPECT_EQ(log, QStringList({"hook before", "control", "hook after"}));

    hook.SetWinControl(nullptr);
    EXPECT_NE(THookList::Instance()->FindFor(&control), nullptr); // freed after the current event
    QCoreApplication::processEvents();
    EXPECT_EQ(THookList::Instance()->FindFor(&control), nullptr);
    EXPECT_TRUE(hook.Active());
}

TEST(WindowHook, FailingHookIsReportedAndTheOthersStillRun) {
    std::vector<QString> reported;
    SetMessageBoxHandler([&reported](const MessageRequest &request) {
        reported.push_back(request.text);
        return int(IdOk);
    });
    QStringList log;
    RecordingWidget control(log);
    TRxWindowHook first;
    TRxWindowHook second;
    Record(first, log, QStringLiteral("first"));
    second.BeforeMessage = [](TRxWindowHook *, QEvent *event, bool &) {
        if (event->type() == kProbe)
            throw std::runtime_error("hook failed");
    };
    first.SetWinControl(&control);
    second.SetWinControl(&control);
    QEvent probe(kProbe);
    QCoreApplication::sendEvent(&control, &probe);
    SetMessageBoxHandler({});
    EXPECT_EQ(reported, std::vector<QString>({"hook failed"}));
    EXPECT_EQ(log, QStringList({"first before", "control", "first after"}));
}

} // namespace
