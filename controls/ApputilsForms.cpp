#include "controls/Apputils.h"

#include "controls/WindowPlacement.h"
#include "platform/IniFile.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>

#include <climits>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kMaxIniLine = 4096;
const QString kMdiSection = QStringLiteral("MDI Children");

std::map<QString, TFormFactory> &FormClasses() {
    static std::map<QString, TFormFactory> classes;
    return classes;
}

QString ClassNameOf(const QWidget *form) {
    return QString::fromLatin1(form->metaObject()->className());
}

QMdiArea *MdiAreaOf(QWidget *mainForm) {
    if (!mainForm || !IsMdiFrame(mainForm))
        throw std::runtime_error("Cannot create form. No MDI forms are currently active");
    return mainForm->findChild<QMdiArea *>();
}

void CheckLineLength(const QString &text) {
    if (text.size() > kMaxIniLine)
        throw std::runtime_error("Line too long");
}

QString ItemKey(int index) {
    return QStringLiteral("Item%1").arg(index);
}

// The named form, found among the forms on the screen or created; a new MDI child goes into the area
// of `area` when one is given.
QWidget *FindOrCreateForm(const QString &className, const QString &caption, QMdiArea *area) {
    for (QWidget *form : ScreenForms())
        if (ClassNameOf(form) == className && (caption.isEmpty() || form->windowTitle() == caption))
            return form;
    const auto found = FormClasses().find(className);
    if (found == FormClasses().end())
        return nullptr;
    QWidget *form = found->second();
    if (!caption.isEmpty())
        form->setWindowTitle(caption);
    if (area)
        area->addSubWindow(form);
    return form;
}

} // namespace

void RegisterFormClass(const QString &className, TFormFactory factory) {
    FormClasses()[className] = std::move(factory);
}

bool IsFormClassRegistered(const QString &className) {
    return FormClasses().count(className) != 0;
}

QList<QWidget *> ScreenForms() {
    QList<QWidget *> forms;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->isWindow() || qobject_cast<QMdiSubWindow *>(widget) ||
            (widget->windowType() != Qt::Window && widget->windowType() != Qt::Dialog))
            continue;
        forms.append(widget);
        for (QMdiArea *area : widget->findChildren<QMdiArea *>())
            for (QMdiSubWindow *sub : area->subWindowList(QMdiArea::CreationOrder))
                if (sub->widget())
                    forms.append(sub->widget());
    }
    return forms;
}

QWidget *FindForm(const QString &className) {
    for (QWidget *form : ScreenForms())
        if (ClassNameOf(form) == className)
            return form;
    return nullptr;
}

QWidget *FindShowForm(const QString &className, const QString &caption) {
    QWidget *form = FindOrCreateForm(className, caption, nullptr);
    if (!form)
        return nullptr;
    QWidget *window = PlacementWidget(form);
    if (window->windowState() & Qt::WindowMinimized)
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    form->show();
    return form;
}

bool ShowDialog(const QString &className) {
    const auto found = FormClasses().find(className);
    if (found == FormClasses().end())
        return false;
    std::unique_ptr<QWidget> form(found->second());
    int result = QDialog::Rejected;
    if (auto *dialog = qobject_cast<QDialog *>(form.get()))
        result = dialog->exec();
    // The modal results OK (1) and Yes (6).
    return result == QDialog::Accepted || result == 6;
}

QWidget *InstantiateForm(const QString &className, QWidget *&reference) {
    if (!reference) {
        const auto found = FormClasses().find(className);
        if (found != FormClasses().end())
            reference = found->second();
    }
    return reference;
}

QString StrToIniStr(const QString &text) {
    CheckLineLength(text);
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            const QChar pair = c == u'\r' ? u'\n' : u'\r';
            if (i + 1 < text.size() && text[i + 1] == pair)
                ++i;
            result += QStringLiteral("\\n");
        } else {
            result += c;
        }
    }
    return result;
}

QString IniStrToStr(const QString &text) {
    CheckLineLength(text);
    QString result = text;
    return result.replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
}

void SaveMDIChildren(QWidget *mainForm, TCustomIniFile *ini) {
    QMdiArea *area = MdiAreaOf(mainForm);
    IniEraseSection(ini, kMdiSection);
    const QList<QMdiSubWindow *> children = area->subWindowList(QMdiArea::CreationOrder);
    if (children.isEmpty())
        return;
    IniWriteInteger(ini, kMdiSection, QStringLiteral("Count"), int(children.size()));
    for (int i = 0; i < children.size(); ++i)
        if (children[i]->widget())
            IniWriteString(ini, kMdiSection, ItemKey(i), ClassNameOf(children[i]->widget()));
}

void RestoreMDIChildren(QWidget *mainForm, TCustomIniFile *ini) {
    QMdiArea *area = MdiAreaOf(mainForm);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const int count = IniReadInteger(ini, kMdiSection, QStringLiteral("Count"), 0);
        for (int i = count - 1; i >= 0; --i) {
            const QString className = IniReadString(ini, kMdiSection, ItemKey(i), QString());
            if (!IsFormClassRegistered(className))
                continue;
            if (QWidget *form = FindOrCreateForm(className, QString(), area))
                form->show();
        }
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
}

void SaveGridLayout(QTableView *grid, TCustomIniFile *ini) {
    const QString section = GetDefaultSection(grid);
    for (int i = 0; i < grid->horizontalHeader()->count(); ++i)
        IniWriteInteger(ini, section, ItemKey(i), grid->columnWidth(i));
}

void RestoreGridLayout(QTableView *grid, TCustomIniFile *ini) {
    const QString section = GetDefaultSection(grid);
    for (int i = 0; i < grid->horizontalHeader()->count(); ++i)
        grid->setColumnWidth(i, IniReadInteger(ini, section, ItemKey(i), grid->columnWidth(i)));
}

QString GetUniqueFileNameInDir(const QString &path, const QString &fileNameMask) {
    const QDir folder(path);
    for (int i = 0;; ++i) {
        QString name = fileNameMask;
        name.replace(QStringLiteral("%d"), QString::number(i));
        if (!QFileInfo::exists(folder.filePath(name)))
            return name;
        if (i == INT_MAX)
            return {};
    }
}

TBroadcastEvent::TBroadcastEvent(int msg, qintptr wParam, qintptr lParam)
    : QEvent(Type()), Msg(msg), WParam(wParam), LParam(lParam) {}

QEvent::Type TBroadcastEvent::Type() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void AppBroadcast(int msg, qintptr wParam, qintptr lParam) {
    for (QWidget *form : ScreenForms()) {
        TBroadcastEvent event(msg, wParam, lParam);
        QApplication::sendEvent(form, &event);
    }
}
