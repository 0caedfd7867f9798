#include "settings/window/SpinEditSnap.h"

#include "controls/Zeltcspinedit.h"
#include "engine/catalogue/ValueQuantizer.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace {

// Lives as a child of the watched widget, so it goes with it.
class FocusWatcher : public QObject {
public:
    FocusWatcher(QWidget *widget, std::function<void()> handler) : QObject(widget), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            handler_();
        return false;
    }

private:
    std::function<void()> handler_;
};

class ReturnKeyWatcher : public QObject {
public:
    ReturnKeyWatcher(QWidget *widget, std::function<void()> handler) : QObject(widget), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                handler_();
        }
        return false;
    }

private:
    std::function<void()> handler_;
};

void WriteIfChanged(TZeltCSpinEdit &edit, double read, double snapped) {
    if (snapped != read)
        edit.SetValue(snapped);
}

} // namespace

// A typed text may lie beyond the edit's range until the edit itself clamps it (on Enter or on leaving):
// the value is brought into the range before it is snapped, so that what the caller stores is what the
// edit goes on to show.
void SnapSpinEdit(TZeltCSpinEdit &edit, int32_t q) {
    const double read = edit.GetValue();
    double value = edit.CheckValue(read);
    SnapValue(ValueQuantizers[q], value);
    WriteIfChanged(edit, read, edit.CheckValue(value));
}

void SnapSpinEdit8(TZeltCSpinEdit &edit, int32_t q) {
    const double read = edit.GetValue();
    double value = edit.CheckValue(read);
    SnapValue8(ValueQuantizers[q], value);
    WriteIfChanged(edit, read, edit.CheckValue(value));
}

void OnEnterAndExit(QWidget *widget, std::function<void()> handler) {
    widget->installEventFilter(new FocusWatcher(widget, std::move(handler)));
}

void OnReturnKey(QWidget *widget, std::function<void()> handler) {
    widget->installEventFilter(new ReturnKeyWatcher(widget, std::move(handler)));
}
