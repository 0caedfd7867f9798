#include "controls/Apputils.h"

#include "controls/Placemnt.h"
#include "controls/Strutils.h"
#include "controls/WindowPlacement.h"
#include "platform/IniFile.h"
#include "platform/NumberFormat.h"
#include "platform/ProgramDir.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

std::function<QString()> OnGetDefaultIniName;

namespace {

const QString kPositionDelimiters = QStringLiteral(" ,");

QString FourNumbers(int a, int b, int c, int d) {
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

// The screen-size key first; a section that holds only the bare key (written on another screen, or left
// so by a configuration load) still gives a position.
QString ReadPositionValue(TCustomIniFile *ini, const QString &section, const QString &key, const QString &suffix) {
    const QString value = IniReadString(ini, section, key + suffix, QString());
    return value.isEmpty() ? IniReadString(ini, section, key, QString()) : value;
}

int PositionWord(const QString &value, int n, int def) {
    return TextToInt(ExtractWord(n, value, kPositionDelimiters), def);
}

bool IsSizeable(const QWidget *form) {
    const QWidget *widget = PlacementWidget(const_cast<QWidget *>(form));
    return form->minimumSize() != form->maximumSize() && widget->minimumSize() != widget->maximumSize();
}

Qt::WindowState ShowCmdToState(int showCmd, Qt::WindowState initial) {
    switch (showCmd) {
    case 1:
    case 5:
    case 9:
        return Qt::WindowNoState;
    case 2:
    case 6:
    case 7:
        return Qt::WindowMinimized;
    case 3:
        return Qt::WindowMaximized;
    default:
        return initial;
    }
}

void ReadPosition(QWidget *form, TCustomIniFile *ini, const QString &section, TWindowPlacement &placement) {
    const QRect current = PlacementWidget(form)->geometry();
    const QString suffix = ScreenSizeSuffix(form);
    bool dataFound = false;
    placement.flags = IniReadInteger(ini, section, QStringLiteral("Flags"), placement.flags);

    const QString minMax = ReadPositionValue(ini, section, QStringLiteral("MinMaxPos"), suffix);
    if (!minMax.isEmpty()) {
        dataFound = true;
        placement.minPosition = QPoint(PositionWord(minMax, 1, 0), PositionWord(minMax, 2, 0));
        placement.maxPosition = QPoint(PositionWord(minMax, 3, 0), PositionWord(minMax, 4, 0));
    }
    const QString norm = ReadPositionValue(ini, section, QStringLiteral("NormPos"), suffix);
    if (!norm.isEmpty()) {
        dataFound = true;
        placement.left = PositionWord(norm, 1, current.left());
        placement.top = PositionWord(norm, 2, current.top());
        placement.right = PositionWord(norm, 3, current.left() + current.width());
        placement.bottom = PositionWord(norm, 4, current.top() + current.height());
    }
    const int pixelsPerInch = ScreenPixelsPerInch(form);
    if (IniReadInteger(ini, section, QStringLiteral("PixelsPerInch"), pixelsPerInch) != pixelsPerInch)
        dataFound = false;
    if (!dataFound)
        return;

    if (!IsSizeable(form)) {
        placement.right = placement.left + current.width();
        placement.bottom = placement.top + current.height();
    }
    if (placement.right > placement.left)
        SetWindowPlacement(form, placement);
}

// Returns false when the state was handed to the window system for later.
bool ReadState(QWidget *form, TCustomIniFile *ini, const QString &section) {
    const Qt::WindowState initial = IsMdiFrame(form) ? Qt::WindowMaximized : Qt::WindowNoState;
    const Qt::WindowState state = ShowCmdToState(IniReadInteger(ini, section, QStringLiteral("ShowCmd"), 0), initial);
    QWidget *widget = PlacementWidget(form);
    constexpr Qt::WindowStates kShowStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (state == Qt::WindowMinimized && IsMdiFrame(form)) {
        // The main window opens normal and is minimised once it is up, as the whole program then is.
        widget->setWindowState(widget->windowState() & ~kShowStates);
        QMetaObject::invokeMethod(
            widget,
            [window = QPointer<QWidget>(widget)] {
                if (window)
                    window->showMinimized();
            },
            Qt::QueuedConnection);
        return false;
    }
    widget->setWindowState((widget->windowState() & ~kShowStates) | state);
    return true;
}

} // namespace

void WriteFormPlacement(QWidget *form, TCustomIniFile *ini, const QString &section) {
    TWindowPlacement placement = GetWindowPlacement(form);
    if (IsMdiChild(form) && (PlacementWidget(form)->windowState() & Qt::WindowMinimized))
        placement.flags |= TWindowPlacement::WpfSetMinPosition;
    const QString suffix = ScreenSizeSuffix(form);
    const QString minMax = FourNumbers(placement.minPosition.x(), placement.minPosition.y(), placement.maxPosition.x(),
                                       placement.maxPosition.y());
    const QString norm = FourNumbers(placement.left, placement.top, placement.right, placement.bottom);

    IniWriteInteger(ini, section, QStringLiteral("Flags"), placement.flags);
    IniWriteInteger(ini, section, QStringLiteral("ShowCmd"), placement.showCmd);
    IniWriteInteger(ini, section, QStringLiteral("PixelsPerInch"), ScreenPixelsPerInch(form));
    IniWriteString(ini, section, QStringLiteral("MinMaxPos") + suffix, minMax);
    IniWriteString(ini, section, QStringLiteral("MinMaxPos"), minMax);
    IniWriteString(ini, section, QStringLiteral("NormPos") + suffix, norm);
    IniWriteString(ini, section, QStringLiteral("NormPos"), norm);
}

void ReadFormPlacement(QWidget *form, TCustomIniFile *ini, const QString &section, bool loadState, bool loadPosition) {
    if (!loadState && !loadPosition)
        return;
    TWindowPlacement placement = GetWindowPlacement(form);
    if (loadPosition)
        ReadPosition(form, ini, section, placement);
    if (loadState && !ReadState(form, ini, section))
        return;
    form->update();
}

void SaveFormPlacement(QWidget *form, const QString &iniFileName) {
    TIniFile ini(iniFileName);
    WriteFormPlacement(form, &ini, GetDefaultSection(form));
}

void RestoreFormPlacement(QWidget *form, const QString &iniFileName) {
    TIniFile ini(iniFileName);
    ReadFormPlacement(form, &ini, GetDefaultSection(form), true, true);
}

QString GetDefaultIniName() {
    if (OnGetDefaultIniName)
        return OnGetDefaultIniName();
    return QFileInfo(ProgramFileName()).completeBaseName() + QStringLiteral(".INI");
}

QString GetDefaultSection(const QObject *component) {
    if (!component)
        return {};
    if (IsForm(component))
        return QString::fromLatin1(component->metaObject()->className());
    if (const auto *control = qobject_cast<const QWidget *>(component)) {
        if (const QWidget *form = ParentForm(control))
            return QString::fromLatin1(form->metaObject()->className()) + control->objectName();
        if (const QWidget *parent = control->parentWidget())
            return parent->objectName() + control->objectName();
        return control->objectName();
    }
    if (IsForm(component->parent()))
        return QStringLiteral("%1.%2").arg(QString::fromLatin1(component->parent()->metaObject()->className()),
                                           component->objectName());
    return component->objectName();
}

void GetDefaultIniData(const QWidget *control, QString &iniFileName, QString &section) {
    iniFileName.clear();
    if (const QWidget *form = ParentForm(control->parentWidget()))
        if (const auto *placement = form->findChild<TFormPlacement *>(QString(), Qt::FindDirectChildrenOnly))
            iniFileName = placement->GetIniFileName();
    section = GetDefaultSection(control);
    if (iniFileName.isEmpty())
        iniFileName = GetDefaultIniName();
}

QString IniReadString(TCustomIniFile *ini, const QString &section, const QString &ident, const QString &def) {
    return ini ? ini->ReadString(section, ident, def) : def;
}

void IniWriteString(TCustomIniFile *ini, const QString &section, const QString &ident, const QString &value) {
    if (!ini)
        return;
    const bool quoted =
        !value.isEmpty() && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    if (quoted && dynamic_cast<TIniFile *>(ini))
        ini->WriteString(section, ident, u'"' + value + u'"');
    else
        ini->WriteString(section, ident, value);
}

int IniReadInteger(TCustomIniFile *ini, const QString &section, const QString &ident, int def) {
    return ini ? ini->ReadInteger(section, ident, def) : def;
}

void IniWriteInteger(TCustomIniFile *ini, const QString &section, const QString &ident, int value) {
    if (ini)
        ini->WriteInteger(section, ident, value);
}

bool IniReadBool(TCustomIniFile *ini, const QString &section, const QString &ident, bool def) {
    return ini ? ini->ReadBool(section, ident, def) : def;
}

void IniWriteBool(TCustomIniFile *ini, const QString &section, const QString &ident, bool value) {
    if (ini)
        ini->WriteBool(section, ident, value);
}

void IniEraseSection(TCustomIniFile *ini, const QString &section) {
    if (ini)
        ini->EraseSection(section);
}

void IniDeleteKey(TCustomIniFile *ini, const QString &section, const QString &ident) {
    if (ini)
        ini->DeleteKey(section, ident);
}

QStringList IniReadSections(TCustomIniFile *ini) {
    return ini ? ini->ReadSections() : QStringList();
}
