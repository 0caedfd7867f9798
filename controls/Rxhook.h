#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class TRxWindowHook;

// Reports an exception that escaped an event handler, as the application's exception handler does: a
// message with the error icon. The event that raised it still completes.
void ApplicationHandleException(const std::exception &error);

// Called with the hook, the event and a handled flag. Setting handled in a before-handler keeps the event
// from the control (and from the handlers not yet called); the control's destruction is never kept back.
using THookMessageEvent = std::function<void(TRxWindowHook *sender, QEvent *event, bool &handled)>;

// The one watcher of a control's events, shared by all hooks attached to that control. It is an event
// filter that delivers the event to the control itself, so its hooks see each event before and after the
// control handled it. Events that the application delivers with its own rules (input events that travel
// to the parents, showing and hiding by the window system) are seen before handling only.
class TControlHook : public QObject {
    Q_OBJECT
public:
    enum class Order { Before, After };

    explicit TControlHook(QWidget *control);
    ~TControlHook() override;

    void Attach(TRxWindowHook *hook);
    void Detach(TRxWindowHook *hook);
    void SetControl(QWidget *control);
    QWidget *Control() const { return control_; }
    bool HasHooks() const { return !hooks_.empty(); }
    void Subclass();
    void Unsubclass();
    void Notify(Order order, QEvent *event, bool &handled);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> control_;
    bool subclassed_ = false;
    std::vector<TRxWindowHook *> hooks_; // in the order attached; not owned
    std::vector<QEvent *> delivering_;   // events this hook is handing to the control right now
    bool destroying_ = false;
};

// The program-wide list of control hooks. A control hook that lost its last hook is freed after the
// current event has been processed, since it may be the one delivering it.
class THookList : public QObject {
    Q_OBJECT
public:
    static THookList *Instance(); // none before the first hook was attached
    static THookList &Obtain();

    TControlHook *FindFor(QWidget *control) const;
    TControlHook *ObtainFor(QWidget *control);
    void FreeWhenUnused(TControlHook *controlHook);

private:
    THookList() = default;
    void FreeNowIfUnused(TControlHook *controlHook);
    std::vector<std::unique_ptr<TControlHook>> hooks_;
};

class TRxWindowHook : public QObject {
    Q_OBJECT
public:
    explicit TRxWindowHook(QObject *owner = nullptr);
    ~TRxWindowHook() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    QWidget *WinControl() const;
    void SetWinControl(QWidget *control);
    void HookControl();
    void UnhookControl();

    THookMessageEvent BeforeMessage;
    THookMessageEvent AfterMessage;

    virtual void DoBeforeMessage(QEvent *event, bool &handled);
    virtual void DoAfterMessage(QEvent *event, bool &handled);

private:
    friend class TControlHook;
    TControlHook *DoUnhookControl();

    bool active_ = true;
    QPointer<QWidget> control_;
    TControlHook *controlHook_ = nullptr;
    QMetaObject::Connection controlDestroyed_;
    bool destroying_ = false;
};
