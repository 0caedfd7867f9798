#include "views/ChartPrintHeader.h"

#include "platform/StringTable.h"

#include <QVariant>
#include <QWidget>

namespace {

// The caption of the main window's control of that name; empty without a main window.
QString MainControlText(const QWidget *window, const char *name) {
    const QObject *control = window->window()->findChild<QObject *>(QLatin1String(name));
    return control ? control->property("text").toString() : QString();
}

} // namespace

QStringList MainWindowPrintLines(const QWidget *window) {
    const QObject *bar = window->window()->findChild<QObject *>(QStringLiteral("StatusBar2"));
    const QStringList panels = bar ? bar->property("PanelTexts").toStringList() : QStringList();
    return {QStringLiteral("Макс.частота: ") + panels.value(1) + QStringLiteral("\\ ") + LoadStr(351) +
                QStringLiteral(": ") + panels.value(2),
            QStringLiteral("Генератор   : ") + MainControlText(window, "ToolButton1"),
            QStringLiteral("Измеритель  : ") + MainControlText(window, "ToolButton20")};
}
