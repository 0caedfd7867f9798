#include "controls/Rxhook.h"

#include "platform/MessageService.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QInputEvent>

#include <algorithm>

namespace {

std::unique_ptr<THookList> &HookListInstance() {
    static std::unique_ptr<THookList> instance;
    return instance;
}

// Events whose delivery the application itself shapes: showing and hiding by the window system (a
// delivery of our own would lose their spontaneous mark, which widgets look at), and events that travel
// on to the parent widgets when the control does not accept them.
bool DeliveredByApplication(const QEvent *event) {
    if (dynamic_cast<const QInputEvent *>(event) != nullptr)
        return true;
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
        return event->spontaneous();
    case QEvent::DeferredDelete:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
    case QEvent::ToolTip:
    case QEvent::WhatsThis:
    case QEvent::QueryWhatsThis:
    case QEvent::StatusTip:
    case QEvent::WhatsThisClicked:
    case QEvent::Gesture:
    case QEvent::GestureOverride:
        return true;
    default:
        return false;
    }
}

} // namespace

void ApplicationHandleException(const std::exception &error) {
    MessageRequest request;
    request.text = QString::fromUtf8(error.what());
    request.caption = QGuiApplication::applicationDisplayName();
    request.icon = MsgIcon::Error;
    ShowMessage(request);
}

TControlHook::TControlHook(QWidget *control) : control_(control) {}

TControlHook::~TControlHook() {
    destroying_ = true;
    while (!hooks_.empty())
        Detach(hooks_.back());
    Unsubclass();
    control_ = nullptr;
}

void TControlHook::Attach(TRxWindowHook *hook) {
    if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end())
        hooks_.push_back(hook);
    hook->controlHook_ = this;
    SetControl(hook->control_);
    Subclass();
}

void TControlHook::Detach(TRxWindowHook *hook) {
    hook->controlHook_ = nullptr;
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end());
    if (hooks_.empty())
        Unsubclass();
}

void TControlHook::SetControl(QWidget *control) {
    if (control_ == control)
        return;
    Unsubclass();
    control_ = control;
    if (!hooks_.empty())
        Subclass();
}

void TControlHook::Subclass() {
    if (control_ && !subclassed_ && !destroying_) {
        control_->installEventFilter(this);
        subclassed_ = true;
    }
}

void TControlHook::Unsubclass() {
    if (control_ && subclassed_)
        control_->removeEventFilter(this);
    subclassed_ = false;
}

void TControlHook::Notify(Order order, QEvent *event, bool &handled) {
    if (hooks_.empty() || !control_ || destroying_)
        return;
    // A handler may attach or detach hooks; the walk covers the hooks attached when it began.
    const std::vector<TRxWindowHook *> hooks = hooks_;
    for (auto it = hooks.rbegin(); it != hooks.rend() && !handled; ++it) {
        if (std::find(hooks_.begin(), hooks_.end(), *it) == hooks_.end())
            continue;
        try {
            if (order == Order::Before)
                (*it)->DoBeforeMessage(event, handled);
            else
                (*it)->DoAfterMessage(event, handled);
        } catch (const std::exception &error) {
            ApplicationHandleException(error);
        }
    }
}

bool TControlHook::eventFilter(QObject *watched, QEvent *event) {
    if (watched != control_ || hooks_.empty() || destroying_)
        return false;
    if (std::find(delivering_.begin(), delivering_.end(), event) != delivering_.end())
        return false; // our own delivery to the control: let it through

    bool handled = false;
    Notify(Order::Before, event, handled);
    if (handled)
        return event->type() != QEvent::DeferredDelete;
    if (DeliveredByApplication(event))
        return false;

    const QPointer<QWidget> control = control_;
    delivering_.push_back(event);
    QCoreApplication::sendEvent(control, event);
    delivering_.erase(std::find(delivering_.begin(), delivering_.end(), event));
    if (control)
        Notify(Order::After, event, handled);
    return true;
}

THookList *THookList::Instance() {
    return HookListInstance().get();
}

THookList &THookList::Obtain() {
    auto &instance = HookListInstance();
    if (!instance)
        instance.reset(new THookList);
    return *instance;
}

TControlHook *THookList::FindFor(QWidget *control) const {
    if (!control)
        return nullptr;
    for (const auto &hook : hooks_)
        if (hook->Control() == control)
            return hook.get();
    return nullptr;
}

TControlHook *THookList::ObtainFor(QWidget *control) {
    if (!control)
        return nullptr;
    if (TControlHook *existing = FindFor(control))
        return existing;
    hooks_.push_back(std::make_unique<TControlHook>(control));
    return hooks_.back().get();
}

void THookList::FreeWhenUnused(TControlHook *controlHook) {
    QMetaObject::invokeMethod(
        this, [this, controlHook] { FreeNowIfUnused(controlHook); }, Qt::QueuedConnection);
}

void THookList::FreeNowIfUnused(TControlHook *controlHook) {
    const auto it = std::find_if(hooks_.begin(), hooks_.end(),
                                 [controlHook](const auto &hook) { return hook.get() == controlHook; });
    if (it != hooks_.end() && !(*it)->HasHooks())
        hooks_.erase(it);
}

TRxWindowHook::TRxWindowHook(QObject *owner) : QObject(owner) {}

TRxWindowHook::~TRxWindowHook() {
    destroying_ = true;
    SetActive(false);
    disconnect(controlDestroyed_);
    control_ = nullptr;
}

void TRxWindowHook::SetActive(bool value) {
    if (value == active_)
        return;
    if (value)
        HookControl();
    else
        UnhookControl();
}

QWidget *TRxWindowHook::WinControl() const {
    return controlHook_ ? controlHook_->Control() : control_.data();
}

void TRxWindowHook::SetWinControl(QWidget *control) {
    if (control == WinControl())
        return;
    const bool wasActive = active_;
    TControlHook *left = DoUnhookControl();
    disconnect(controlDestroyed_);
    control_ = control;
    if (control)
        controlDestroyed_ = connect(control, &QObject::destroyed, this, [this] { SetWinControl(nullptr); });
    if (left && !left->HasHooks() && THookList::Instance())
        THookList::Instance()->FreeWhenUnused(left);
    if (wasActive)
        HookControl();
}

void TRxWindowHook::HookControl() {
    if (control_ && !destroying_)
        THookList::Obtain().ObtainFor(control_)->Attach(this);
    active_ = true;
}

void TRxWindowHook::UnhookControl() {
    DoUnhookControl();
    active_ = false;
}

TControlHook *TRxWindowHook::DoUnhookControl() {
    TControlHook *controlHook = controlHook_;
    if (controlHook)
        controlHook->Detach(this);
    return controlHook;
}

void TRxWindowHook::DoBeforeMessage(QEvent *event, bool &handled) {
    if (BeforeMessage)
        BeforeMessage(this, event, handled);
}

void TRxWindowHook::DoAfterMessage(QEvent *event, bool &handled) {
    if (AfterMessage)
        AfterMessage(this, event, handled);
}
