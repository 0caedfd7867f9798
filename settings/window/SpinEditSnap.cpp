#include "settings/window/SpinEditSnap.h"

#include "controls/Zeltcspinedit.h"
#include "engine/catalogue/ValueQuantizer.h"

#include <QEvent>
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

void WriteIfChanged(TZeltCSpinEdit &edit, double read, double snapped) {
    if (snapped != read)
        edit.SetValue(snapped);
}

} // namespace

void SnapSpinEdit(TZeltCSpinEdit &edit, int32_t q) {
    const double read = edit.GetValue();
    double value = read;
    SnapValue(ValueQuantizers[q], value);
    WriteIfChanged(edit, read, value);
}

void SnapSpinEdit8(TZeltCSpinEdit &edit, int32_t q) {
    const double read = edit.GetValue();
    double value = read;
    SnapValue8(ValueQuantizers[q], value);
    WriteIfChanged(edit, read, value);
}

void OnEnterAndExit(QWidget *widget, std::function<void()> handler) {
    widget->installEventFilter(new FocusWatcher(widget, std::move(handler)));
}
