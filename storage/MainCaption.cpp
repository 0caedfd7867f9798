#include "storage/MainCaption.h"

#include "state/MainGlobals.h"

#include <QStringList>

#include <algorithm>

QString MainCaptionText(const QString &fileName) {
    return ProgramName + QStringLiteral("  ") + fileName;
}

QString FitCaptionText(const QString &caption, int room, const std::function<int(const QString &)> &width) {
    if (width(caption) <= room)
        return caption;
    const auto lastSeparator = [](const QString &text) {
        return std::max(text.lastIndexOf(u'\\'), text.lastIndexOf(u'/'));
    };
    QString head = caption;
    QStringList components; // each with its leading separator, the last component first
    for (qsizetype at = lastSeparator(head); at >= 0; at = lastSeparator(head)) {
        components.append(head.mid(at));
        head.truncate(at);
    }
    if (components.isEmpty())
        return caption;
    head += components.constLast().front() + QStringLiteral("...");
    QString tail;
    for (const QString &component : components) {
        if (width(head + component + tail) > room)
            break;
        tail.prepend(component);
    }
    return head + tail;
}
