#include "shell/WindowRegistries.h"

#include "views/Fgraph.h"

#include <span>

std::array<QPointer<QWidget>, GraphWindowCount> GraphWindows;
std::array<QPointer<QWidget>, TimeDiagramWindowCount> TimeDiagramWindows;

TForm_Graphic *OpenGraphWindow(int kind) {
    if (kind < 0 || kind >= GraphWindowCount)
        return nullptr;
    return qobject_cast<TForm_Graphic *>(GraphWindows[std::size_t(kind)].data());
}

QPointer<QWidget> Form_SetDev;
QPointer<QWidget> Form_MaskEdit;
QPointer<QWidget> Form_Settings;
QPointer<QWidget> Form_Scenario;
QPointer<QWidget> Form_Txt;
QPointer<QWidget> Form_Power;
QPointer<QWidget> DeviceForm;
QPointer<QWidget> Form_Tech;

namespace {

struct RegistryRange {
    int base;
    std::span<QPointer<QWidget>> windows;
};

struct SingleWindow {
    int tag;
    QPointer<QWidget> *slot;
};

} // namespace

QPointer<QWidget> *WindowSlotByTag(int tag) {
    const RegistryRange registries[] = {
        {GraphTagBase, GraphWindows},
        {MeasParTagBase, MeasParWindows},
        {BaseParTagBase, BaseParWindows},
        {ScaleLabelTagBase, ScaleLabelWindows},
        {TimeDiagramTagBase, TimeDiagramWindows},
    };
    for (const RegistryRange &r : registries)
        if (tag >= r.base && tag < r.base + int(r.windows.size()))
            return &r.windows[std::size_t(tag - r.base)];
    const SingleWindow singles[] = {
        {SetDevTag, &Form_SetDev},     {MaskEditTag, &Form_MaskEdit}, {SettingsTag, &Form_Settings},
        {ScenarioTag, &Form_Scenario}, {TxtTag, &Form_Txt},           {PowerTag, &Form_Power},
    };
    for (const SingleWindow &s : singles)
        if (s.tag == tag)
            return s.slot;
    return nullptr;
}

QWidget *WindowByTag(int tag) {
    QPointer<QWidget> *slot = WindowSlotByTag(tag);
    return slot ? slot->data() : nullptr;
}

int WindowTag(const QObject *window) {
    return window ? window->property("Tag").toInt() : 0;
}

void SetWindowTag(QObject *window, int tag) {
    if (window)
        window->setProperty("Tag", tag);
}
