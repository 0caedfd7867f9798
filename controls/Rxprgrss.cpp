#include "controls/Rxprgrss.h"

#include <QMetaProperty>
#include <QProgressBar>

#include <array>
#include <memory>
#include <vector>

namespace {

enum ProgressKind { kMax, kMin, kProgress };

struct ProgressRecord {
    const QMetaObject *controlClass;
    std::array<QByteArray, 3> names;
};

// Names longer than 63 characters are cut, as the registry has always stored them.
QByteArray StoredName(const QString &name) {
    return name.left(63).toLatin1();
}

std::unique_ptr<std::vector<ProgressRecord>> progressRegistry;

std::vector<ProgressRecord> &ProgressRegistry() {
    if (!progressRegistry) {
        progressRegistry = std::make_unique<std::vector<ProgressRecord>>();
        progressRegistry->push_back({&QProgressBar::staticMetaObject, {"maximum", "minimum", "value"}});
    }
    return *progressRegistry;
}

// The most recent registration for the control's class or one of its ancestors.
const ProgressRecord *FindRecord(const QObject *control) {
    if (!control)
        return nullptr;
    const std::vector<ProgressRecord> &records = ProgressRegistry();
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        if (control->metaObject()->inherits(it->controlClass))
            return &*it;
    return nullptr;
}

bool SetProgressProperty(QObject *control, ProgressKind kind, int32_t value) {
    const ProgressRecord *record = FindRecord(control);
    if (!record)
        return false;
    const QMetaObject *meta = control->metaObject();
    const int index = meta->indexOfProperty(record->names[kind].constData());
    if (index < 0)
        return false;
    const QMetaProperty property = meta->property(index);
    switch (property.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QVariant:
        return property.write(control, QVariant(value));
    default:
        return false;
    }
}

} // namespace

void RegisterProgressControl(const QMetaObject *controlClass, const QString &maxName, const QString &minName,
                             const QString &progressName) {
    ProgressRegistry().push_back({controlClass, {StoredName(maxName), StoredName(minName), StoredName(progressName)}});
}

void UnRegisterProgressControl(const QMetaObject *controlClass) {
    if (!progressRegistry)
        return;
    std::erase_if(*progressRegistry, [&](const ProgressRecord &record) { return record.controlClass->inherits(controlClass); });
}

bool SupportsProgressControl(const QObject *control) {
    return FindRecord(control) != nullptr;
}

bool SetProgressMax(QObject *control, int32_t value) {
    return SetProgressProperty(control, kMax, value);
}

bool SetProgressMin(QObject *control, int32_t value) {
    return SetProgressProperty(control, kMin, value);
}

bool SetProgressValue(QObject *control, int32_t value) {
    return SetProgressProperty(control, kProgress, value);
}
