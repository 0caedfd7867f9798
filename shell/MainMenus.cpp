#include "shell/Main.h"

#include "platform/DateTime.h"
#include "protocols/PackageWork.h"
#include "settings/Masters.h"
#include "shell/Aboutunit.h"
#include "shell/Formhelp.h"
#include "shell/SmallWindows.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <QAction>
#include <QKeyEvent>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

constexpr int FirstWindowItem = 8;

struct MenuItem {
    const char *name; // object name, empty for a separator or an unnamed item
    const char *caption;
    int tag;
    QKeySequence shortcut = {};
};

enum RegistryKind { GraphRegistry, BaseParRegistry, TimeDiagramRegistry };

QAction *AddItem(QMenu *menu, const MenuItem &item) {
    if (!item.caption) {
        QAction *separator = menu->addSeparator();
        separator->setProperty("Tag", -1);
        return separator;
    }
    QAction *action = menu->addAction(QString::fromUtf8(item.caption));
    action->setObjectName(QLatin1String(item.name));
    action->setProperty("Tag", item.tag);
    if (!item.shortcut.isEmpty()) {
        // Shown in the menu; the keys themselves go through FormShortCut, so that they also reach
        // disabled items where the program wants that.
        action->setShortcut(item.shortcut);
        action->setShortcutContext(Qt::WidgetShortcut);
    }
    return action;
}

QMenu *NewMenu(QWidget *owner, const char *name, std::initializer_list<MenuItem> items) {
    auto *menu = new QMenu(owner);
    menu->setObjectName(QLatin1String(name));
    menu->setProperty("Tag", 0);
    for (const MenuItem &item : items)
        AddItem(menu, item);
    return menu;
}

void ShowPage(QWidget *window, const QString &pageName) {
    if (!window)
        return;
    auto *page = window->findChild<QWidget *>(pageName);
    for (QWidget *parent = page ? page->parentWidget() : nullptr; parent; parent = parent->parentWidget())
        if (auto *tabs = qobject_cast<QTabWidget *>(parent)) {
            tabs->setCurrentWidget(page);
            return;
        }
}

} // namespace

QAction *TMainForm::ItemByName(const QString &name) const {
    return findChild<QAction *>(name);
}

void TMainForm::BuildMenus() {
    Menu_Control = NewMenu(this, "Menu_Control",
                           {{"N_Scenar", "Сценарий", 0},
                            {"N_LoadConfig", "Загрузить конфигурацию", 0, Qt::Key_F3},
                            {"N_SaveConfig", "Сохранить конфигурацию", 0, Qt::CTRL | Qt::Key_F3},
                            {"", nullptr, -1},
                            {"N_Start", "Старт", 0},
                            {"N_Stop", "Пауза", 0},
                            {"N_Break", "Стоп", 0},
                            {"", nullptr, -1},
                            {"NSaveData", "Сохранение результатов", 0},
                            {"NPlayData", "Просмотр результатов", 0},
                            {"", nullptr, -1},
                            {"N_Exit", "Выход", 0, Qt::Key_F10}});
    ItemByName(QStringLiteral("N_Stop"))->setCheckable(true);
    Menu_Settings = NewMenu(this, "Menu_Settings",
                            {{"N_CommonCtrl", "Общие", 0, Qt::Key_F4},
                             {"N_Gen", "Генератор", 0, Qt::Key_F5},
                             {"N_Meter", "Измеритель", 0, Qt::Key_F6},
                             {"N_masterF", "Мастер частоты", 0, Qt::Key_F7},
                             {"N_masterL", "Мастер уровня", 0, Qt::Key_F8},
                             {"N_Mirvak", "Мирвак", 0, Qt::Key_F9},
                             {"N_Sync", "SYNC", 0},
                             {"", nullptr, -1},
                             {"N_Masks", "Редактор масок", 1},
                             {"N_Weight", "Редактор взвешивающей характеристики", 0}});
    Menu_Param = NewMenu(this, "Menu_Param",
                         {{"N_ParamNoise", "Шум: настройка параметров", 4},
                          {"N_ParamSin", "Sin: настройка параметров", 0},
                          {"N_ParamMtts", "МЧС: настройка параметров", 2},
                          {"N_ParamSin2", "Sin2: настройка параметров", 1},
                          {"N_ParamPrbs", "ПСС: настройка параметров", 3},
                          {"N_ParamMirvak", "Мирвак: настройка параметров", 5},
                          {"N_ParamSync", "SYNC: настройка параметров", 6}});
    Menu_Options = NewMenu(this, "Menu_Options",
                           {{"N_SaveOpt", "Сохранение", 0, Qt::CTRL | Qt::Key_F2},
                            {"N_AnyOpt", "Дополнительно", 0, Qt::SHIFT | Qt::Key_F2}});
    Menu_Window = NewMenu(this, "Menu_Window",
                          {{"NCascade", "Расположить каскадом", 0},
                           {"NTile", "Расположить черепицей", 0},
                           {"NArrange", "Упорядочить", 0},
                           {"NRollDn", "Свернуть все", 0},
                           {"NRollUp", "Расположить все", 0},
                           {"", nullptr, -1},
                           {"NClose", "Закрыть все", 0},
                           {"", nullptr, -1}});
    auto *tile = NewMenu(this, "NTileMenu", {{"N_TileVert", "вертикально", 0}, {"N_TileHorz", "горизонтально", 0}});
    ItemByName(QStringLiteral("NTile"))->setMenu(tile);
    Menu_Help =
        NewMenu(this, "Menu_Help",
                {{"N_Help", "Содержание", 0, Qt::Key_F1}, {"N_Device", "О приборе", 0}, {"N_About", "О программе", 0}});
    Menu_ControlBar = NewMenu(this, "Menu_ControlBar",
                              {{"N1", "Меню", 0},
                               {"N6", "Управление", 0},
                               {"N2", "Генератор", 0},
                               {"N3", "Измеритель", 0},
                               {"N4", "Индикация ошибок", 0}});

    const std::pair<const char *, void (TMainForm::*)()> plain[] = {
        {"N_Scenar", &TMainForm::N_ScenarClick},
        {"N_LoadConfig", &TMainForm::N_LoadConfigClick},
        {"N_SaveConfig", &TMainForm::N_SaveConfigClick},
        {"N_Exit", &TMainForm::Button_ExitClick},
        {"N_Help", &TMainForm::N_HelpClick},
        {"N_Device", &TMainForm::N_DeviceClick},
        {"N_About", &TMainForm::N_AboutClick},
        {"NCascade", &TMainForm::NCascadeClick},
        {"N_TileVert", &TMainForm::N_TileVertClick},
        {"N_TileHorz", &TMainForm::N_TileHorzClick},
        {"NArrange", &TMainForm::NArrangeClick},
        {"NRollDn", &TMainForm::NRollDnClick},
        {"NRollUp", &TMainForm::NRollUpClick},
        {"NClose", &TMainForm::NCloseClick},
    };
    for (const auto &[name, handler] : plain)
        connect(ItemByName(QLatin1String(name)), &QAction::triggered, this, handler);
    for (QAction *item : Menu_Settings->actions())
        if (!item->isSeparator())
            connect(item, &QAction::triggered, this, [this, item] {
                if (item->objectName() == QLatin1String("N_Masks") || item->objectName() == QLatin1String("N_Weight"))
                    N_MasksClick(item);
                else
                    N_GenClick(item);
            });
    for (QAction *item : Menu_Param->actions())
        connect(item, &QAction::triggered, this, [this, item] {
            CurrentIndex = item->property("Tag").toInt();
            ShowMeasParWindow();
        });
    for (QAction *item : Menu_Options->actions())
        connect(item, &QAction::triggered, this, [this, item] { N_Settings(item); });
    connect(Menu_Window, &QMenu::triggered, this, [this](QAction *item) {
        if (Menu_Window->actions().indexOf(item) >= FirstWindowItem)
            WindowMenuItemClick(item);
    });

    const std::pair<const char *, QWidget *> bands[] = {{"N1", ToolBar_Menu},
                                                        {"N6", PageControl1},
                                                        {"N2", ToolBar_SelfGen},
                                                        {"N3", ToolBar_SelfMeter},
                                                        {"N4", ToolBar_Error}};
    for (const auto &[name, band] : bands) {
        QAction *item = ItemByName(QLatin1String(name));
        item->setCheckable(true);
        connect(item, &QAction::triggered, band, [band = band](bool on) { band->setVisible(on); });
    }
    connect(Menu_ControlBar, &QMenu::aboutToShow, this, [this, bands] {
        for (const auto &[name, band] : bands)
            ItemByName(QLatin1String(name))->setChecked(!band->isHidden());
    });
    ControlBar1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ControlBar1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { Menu_ControlBar->popup(ControlBar1->mapToGlobal(at)); });

    const std::pair<const char *, QMenu *> menuButtons[] = {{"Управление", Menu_Control}, {"Настройки", Menu_Settings},
                                                            {"Сигналы", Menu_Param},      {"Опции", Menu_Options},
                                                            {"Окна", Menu_Window},        {"Помощь", Menu_Help}};
    for (const auto &[caption, menu] : menuButtons) {
        auto *button = new QToolButton(ToolBar_Menu);
        button->setText(QString::fromUtf8(caption));
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        ToolBar_Menu->addWidget(button);
    }
}

void TMainForm::BuildViewMenus() {
    Menu_Result = NewMenu(this, "Menu_Result",
                          {{"", "Результаты измерений", 0}, {"", "Результаты измерений от удаленного R-9", 1}});
    Menu_Spectr = NewMenu(this, "Menu_Spectr",
                          {{"", "Осциллограмма, В", 0},
                           {"", "Сел.уровни, дБм0", 1},
                           {"", "Сел.взв.уровни, дБм0", 2},
                           {"", "Фазограмма(сел), дБм0", 16},
                           {"", "Фазограмма(взв), дБм0", 17},
                           {"", "Фазограмма(сел),В", 37},
                           {"", "Фазограмма(взв),В", 38},
                           {"", "SIN: АЧХ, дБ", 18},
                           {"", "SIN: АХ, дБ", 19}});
    Menu_Rnd =
        NewMenu(this, "Menu_Rnd", {{"", "Рефлектограмма, дБ", 3}, {"", "Рефлектограмма, %", 4}, {"", "АЧХ, дБ", 20}});
    Menu_MTTS = NewMenu(this, "Menu_MTTS",
                        {{"", "АЧХ, дБ", 5},
                         {"", "ГВП, мкс", 6},
                         {"", "С/Ш, дБ", 7},
                         {"", "бит", 12},
                         {"", nullptr, -1},
                         {"", "R, Ом", 14},
                         {"", "X, Ом", 15},
                         {"", "Z, Ом", 8},
                         {"", "Ф, град", 10},
                         {"", "Кнс, %", 9},
                         {"", "Aнс, дБ", 11},
                         {"", "С, нФ", 13}});
    Menu_SST = NewMenu(this, "Menu_SST",
                       {{"", "Селективно, дБм0", 21},
                        {"", "Селективно взв.,дБм0", 22},
                        {"", "АЧХ, дБ", 23},
                        {"", nullptr, -1},
                        {"", "R, Ом", 24},
                        {"", "X, Ом", 25},
                        {"", "Z, Ом", 26},
                        {"", "Ф, град", 27},
                        {"", "Кнс, %", 29},
                        {"", "Aнс, дБ", 28},
                        {"", "С, нФ", 30},
                        {"", "L, мкГн", 31},
                        {"", nullptr, -1},
                        {"", "a(f),дБ/км по ХХ-КЗ", 32},
                        {"", "b(f),рад/км по ХХ-КЗ", 33},
                        {"", "v(f),м/мкс по ХХ-КЗ", 34},
                        {"", "Zв(f),Ом по ХХ-КЗ", 35},
                        {"", "Ф(f),град по ХХ-КЗ", 36}});
    Menu_TimeDiag = NewMenu(this, "Menu_TimeDiag",
                            {{"", "дБ", 0},
                             {"", "дБм0", 1},
                             {"", "%", 2},
                             {"", "Гц", 3},
                             {"", "кГц", 4},
                             {"", "события", 5},
                             {"", "Ом", 6},
                             {"", "град", 7},
                             {"", "мкс", 8},
                             {"", "нФ", 9},
                             {"", "кбит/с", 10},
                             {"", "бит", 11},
                             {"", "В", 12}});
    const std::tuple<QMenu *, QToolButton *, RegistryKind> views[] = {
        {Menu_Result, Button_Result, BaseParRegistry}, {Menu_Spectr, Button_Spectr, GraphRegistry},
        {Menu_Rnd, Button_Reflect, GraphRegistry},     {Menu_MTTS, Button_MTTS, GraphRegistry},
        {Menu_SST, Button_SST, GraphRegistry},         {Menu_TimeDiag, Button_TimeDiag, TimeDiagramRegistry}};
    for (const auto &[menu, button, registry] : views) {
        menu->setProperty("Registry", int(registry));
        for (QAction *item : menu->actions())
            if (!item->isSeparator())
                item->setCheckable(true);
        button->setMenu(menu);
        connect(menu, &QMenu::triggered, this, [this, menu = menu](QAction *item) { ShowFromMenu(item, menu); });
        connect(menu, &QMenu::aboutToShow, this, [this, menu = menu] { UpdateViewMenuChecks(menu); });
        connect(button, &QToolButton::clicked, this, [this, menu = menu] { MenuButton_Click(menu); });
    }
}

namespace {

std::span<QPointer<QWidget>> RegistryOf(const QMenu *menu) {
    switch (menu->property("Registry").toInt()) {
    case BaseParRegistry:
        return BaseParWindows;
    case TimeDiagramRegistry:
        return TimeDiagramWindows;
    default:
        return GraphWindows;
    }
}

} // namespace

void TMainForm::UpdateViewMenuChecks(QMenu *menu) {
    const std::span<QPointer<QWidget>> registry = RegistryOf(menu);
    for (QAction *item : menu->actions()) {
        const int tag = item->property("Tag").toInt();
        if (tag >= 0 && tag < int(registry.size()))
            item->setChecked(!registry[std::size_t(tag)].isNull());
    }
}

void TMainForm::ShowFromMenu(QAction *item, QMenu *menu) {
    CurrentIndex = item->property("Tag").toInt();
    const std::span<QPointer<QWidget>> registry = RegistryOf(menu);
    QWidget *existing =
        CurrentIndex >= 0 && CurrentIndex < int(registry.size()) ? registry[std::size_t(CurrentIndex)].data() : nullptr;
    if (existing) {
        BringUp(existing);
    } else {
        switch (menu->property("Registry").toInt()) {
        case BaseParRegistry:
            ShowBaseParWindow();
            break;
        case TimeDiagramRegistry:
            ShowTimeDiagramWindow();
            break;
        default:
            ShowGraphWindow();
        }
    }
    UpdateViewMenuChecks(menu);
    menu->setProperty("Tag", int(menu->actions().indexOf(item)));
}

void TMainForm::MenuButton_Click(QMenu *menu) {
    const QList<QAction *> items = menu->actions();
    const int last = menu->property("Tag").toInt();
    if (last >= 0 && last < items.size() && !items[last]->isSeparator())
        ShowFromMenu(items[last], menu);
}

bool TMainForm::MenuSetCheck(QMenu *menu) {
    const QList<QAction *> items = menu->actions();
    for (int i = 0; i < items.size(); ++i)
        if (!items[i]->isSeparator() && items[i]->property("Tag").toInt() == CurrentIndex) {
            items[i]->setCheckable(true);
            items[i]->setChecked(true);
            menu->setProperty("Tag", i);
            return true;
        }
    return false;
}

QMdiSubWindow *TMainForm::SubWindowOf(QWidget *window) const {
    for (QWidget *w = window; w; w = w->parentWidget())
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w))
            return sub;
    return nullptr;
}

QList<QWidget *> TMainForm::MdiChildren() const {
    QList<QWidget *> children;
    for (QMdiSubWindow *sub : MdiArea->subWindowList(QMdiArea::CreationOrder))
        if (sub->widget())
            children << sub->widget();
    return children;
}

void TMainForm::BringUp(QWidget *window) {
    QMdiSubWindow *sub = SubWindowOf(window);
    QWidget *frame = sub ? static_cast<QWidget *>(sub) : window;
    if (frame->isMinimized())
        frame->showNormal();
    frame->show();
    window->show();
    if (sub)
        MdiArea->setActiveSubWindow(sub);
    frame->raise();
}

QWidget *TMainForm::ShowRegistryWindow(QPointer<QWidget> &slot, const WindowFactory &factory, int index, int tag) {
    if (slot) {
        BringUp(slot);
        return slot;
    }
    if (!factory)
        return nullptr;
    QWidget *window = factory(index);
    if (!window)
        return nullptr;
    slot = window;
    SetWindowTag(window, tag);
    QMdiSubWindow *sub = MdiArea->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    AddWindowMenuItem(window, tag - 1);
    // The window's item goes with it; bound to the menu, so that nothing runs once the menu is gone.
    connect(window, &QObject::destroyed, Menu_Window, [menu = Menu_Window, tag] {
        const QList<QAction *> items = menu->actions().mid(FirstWindowItem);
        for (QAction *item : items)
            if (item->property("Tag").toInt() == tag) {
                menu->removeAction(item);
                item->deleteLater();
                return;
            }
    });
    // A window without a stored placement opens at a size that shows its contents; a stored placement,
    // restored when the window is shown, replaces it.
    sub->resize(std::max(sub->sizeHint().width(), MdiArea->width() / 2),
                std::max(sub->sizeHint().height(), MdiArea->height() / 2));
    window->show();
    sub->show();
    MdiArea->setActiveSubWindow(sub);
    return window;
}

QWidget *TMainForm::ShowGraphWindow() {
    if (CurrentIndex < 0 || CurrentIndex >= GraphWindowCount)
        return nullptr;
    return ShowRegistryWindow(GraphWindows[std::size_t(CurrentIndex)], WindowFactories.Graph, CurrentIndex,
                              GraphTagBase + CurrentIndex);
}

QWidget *TMainForm::ShowMeasParWindow() {
    if (CurrentIndex < 0 || CurrentIndex >= MeasParWindowCount)
        return nullptr;
    return ShowRegistryWindow(MeasParWindows[std::size_t(CurrentIndex)], WindowFactories.MeasPar, CurrentIndex,
                              MeasParTagBase + CurrentIndex);
}

QWidget *TMainForm::ShowBaseParWindow() {
    if (CurrentIndex < 0 || CurrentIndex >= BaseParWindowCount)
        return nullptr;
    return ShowRegistryWindow(BaseParWindows[std::size_t(CurrentIndex)], WindowFactories.BasePar, CurrentIndex,
                              BaseParTagBase + CurrentIndex);
}

QWidget *TMainForm::ShowTimeDiagramWindow() {
    if (CurrentIndex < 0 || CurrentIndex >= TimeDiagramWindowCount)
        return nullptr;
    return ShowRegistryWindow(TimeDiagramWindows[std::size_t(CurrentIndex)], WindowFactories.TimeDiagram, CurrentIndex,
                              TimeDiagramTagBase + CurrentIndex);
}

QWidget *TMainForm::ShowTextMessageWindow() {
    QWidget *window = ShowRegistryWindow(Form_Txt, WindowFactories.Txt, 0, TxtTag);
    RefreshTextWindow();
    return window;
}

QList<QAction *> TMainForm::WindowMenuItems() const {
    return Menu_Window->actions().mid(FirstWindowItem);
}

void TMainForm::AddWindowMenuItem(QWidget *window, int index) {
    QAction *item = Menu_Window->addAction(window->windowTitle());
    item->setProperty("Tag", index + 1);
}

void TMainForm::RemoveWindowMenuItem(QWidget *window) {
    const int tag = WindowTag(window);
    for (QAction *item : WindowMenuItems())
        if (item->property("Tag").toInt() == tag) {
            Menu_Window->removeAction(item);
            delete item;
            return;
        }
}

void TMainForm::UpdateWindowMenuCaption(QWidget *window) {
    const int tag = WindowTag(window);
    for (QAction *item : WindowMenuItems())
        if (item->property("Tag").toInt() == tag)
            item->setText(window->windowTitle());
}

void TMainForm::WindowMenuItemClick(QAction *item) {
    if (QWidget *window = WindowByTag(item->property("Tag").toInt()))
        BringUp(window);
}

void TMainForm::N_GenClick(QObject *sender) {
    QWidget *window = ShowRegistryWindow(Form_SetDev, WindowFactories.SetDev, 0, SetDevTag);
    const QString name = sender ? sender->objectName() : QString();
    const std::pair<const char *, const char *> pages[] = {
        {"N_Gen", "TabSheet_Gen"},           {"Button_Gen", "TabSheet_Gen"},
        {"N_Meter", "TabSheet_Meter"},       {"N_masterF", "TabSheet_MasterFreq"},
        {"N_masterL", "TabSheet_MasterLev"}, {"N_Mirvak", "TabSheet_Mirvak"},
        {"N_Sync", "TabSheet_Sync"}};
    QString page = QStringLiteral("TabSheet_Common");
    for (const auto &[item, sheet] : pages)
        if (name == QLatin1String(item))
            page = QLatin1String(sheet);
    ShowPage(window, page);
}

void TMainForm::N_MasksClick(QObject *sender) {
    const int maskMode = sender && sender->property("Tag").toInt() != 0 ? 1 : 0;
    ShowRegistryWindow(Form_MaskEdit, WindowFactories.MaskEdit, maskMode, MaskEditTag);
}

void TMainForm::N_Settings(QObject *sender) {
    QWidget *window = ShowRegistryWindow(Form_Settings, WindowFactories.Settings, 0, SettingsTag);
    const bool saveOptions = sender && sender->objectName() == QLatin1String("N_SaveOpt");
    ShowPage(window, saveOptions ? QStringLiteral("TabSheet_SaveOpt") : QStringLiteral("TabSheet_AnyOpt"));
}

void TMainForm::N_ScenarClick() {
    ShowRegistryWindow(Form_Scenario, WindowFactories.Scenario, 0, ScenarioTag);
}

void TMainForm::Button_PowerClick() {
    ShowRegistryWindow(Form_Power, WindowFactories.Power, 0, PowerTag);
}

void TMainForm::N_HelpClick() {
    if (!Form_Help)
        Form_Help = new TForm_Help(this);
    Form_Help->show();
    Form_Help->raise();
}

void TMainForm::TlB_TechClick() {
    if (!Form_Tech && WindowFactories.Tech)
        Form_Tech = WindowFactories.Tech(0);
    if (Form_Tech) {
        Form_Tech->show();
        Form_Tech->raise();
    }
}

void TMainForm::N_AboutClick() {
    if (!AboutForm)
        AboutForm =
            new TAboutForm(ProgramVersionWord, TextToDate(QString::fromLatin1(ProgramBuildDateText)).value_or(0), this);
    AboutForm->exec();
}

void TMainForm::N_DeviceClick() {
    if (!DeviceForm && WindowFactories.Device)
        DeviceForm = WindowFactories.Device(0);
    if (DeviceForm) {
        DeviceForm->setWindowModality(Qt::ApplicationModal);
        DeviceForm->show();
    }
}

void TMainForm::NCascadeClick() {
    QList<std::pair<QMdiSubWindow *, QSize>> sizes;
    for (QMdiSubWindow *sub : MdiArea->subWindowList())
        sizes.push_back({sub, sub->size()});
    MdiArea->cascadeSubWindows();
    for (const auto &[sub, size] : sizes)
        sub->resize(size);
}

void TMainForm::N_TileVertClick() {
    TileSubWindows(Qt::Vertical);
}

void TMainForm::N_TileHorzClick() {
    TileSubWindows(Qt::Horizontal);
}

// Vertical tiling puts the windows side by side in columns, each as tall as its share of the column;
// horizontal tiling stacks them in rows. With more than three windows they form a grid. Windows keep to
// the client area: one whose minimum size is larger overlaps its neighbours, and the main window keeps
// its size.
void TMainForm::TileSubWindows(Qt::Orientation orientation) {
    QList<QMdiSubWindow *> subs;
    for (QMdiSubWindow *sub : MdiArea->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized()) {
            if (sub->isMaximized())
                sub->showNormal();
            subs << sub;
        }
    const int n = int(subs.size());
    if (n == 0)
        return;
    const QRect area = MdiArea->viewport()->rect();
    const bool vertical = orientation == Qt::Vertical;
    const int lines = n <= 3 ? std::min(n, 2) : int(std::ceil(std::sqrt(double(n))));
    const int across = vertical ? area.width() : area.height();
    const int along = vertical ? area.height() : area.width();
    int index = 0;
    for (int line = 0; line < lines; ++line) {
        // The last lines take one window more when the count does not divide.
        const int count = n / lines + (line >= lines - n % lines ? 1 : 0);
        const int from = across * line / lines;
        const int to = across * (line + 1) / lines;
        for (int k = 0; k < count; ++k, ++index) {
            const int start = along * k / count;
            const int end = along * (k + 1) / count;
            const QRect cell = vertical ? QRect(from, start, to - from, end - start)
                                        : QRect(start, from, end - start, to - from);
            subs[index]->setGeometry(cell);
        }
    }
}

void TMainForm::NArrangeClick() {
    // A maximised child would cover the others and the icons: it goes back to its normal place first.
    for (QMdiSubWindow *sub : MdiArea->subWindowList(QMdiArea::CreationOrder))
        if (sub->isMaximized())
            sub->showNormal();
    int left = 0;
    for (QMdiSubWindow *sub : MdiArea->subWindowList(QMdiArea::CreationOrder))
        if (sub->isMinimized()) {
            sub->move(left, MdiArea->viewport()->height() - sub->height());
            left += sub->width();
        }
}

void TMainForm::NRollDnClick() {
    QMdiSubWindow *active = MdiArea->activeSubWindow();
    for (QMdiSubWindow *sub : MdiArea->subWindowList())
        if (sub != active)
            sub->showMinimized();
    if (active)
        active->showMinimized();
}

void TMainForm::NRollUpClick() {
    for (QMdiSubWindow *sub : MdiArea->subWindowList())
        sub->showNormal();
}

void TMainForm::NCloseClick() {
    const QList<QMdiSubWindow *> subs = MdiArea->subWindowList(QMdiArea::CreationOrder);
    for (auto it = subs.rbegin(); it != subs.rend(); ++it)
        (*it)->close();
}

bool TMainForm::FormShortCut(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_F1:
        N_HelpClick();
        return true;
    case Qt::Key_F2:
        if (ctrl || shift)
            N_Settings(ItemByName(ctrl ? QStringLiteral("N_SaveOpt") : QStringLiteral("N_AnyOpt")));
        return ctrl || shift;
    case Qt::Key_F3:
        if (!ctrl)
            N_LoadConfigClick();
        else if (ItemByName(QStringLiteral("N_SaveConfig"))->isEnabled())
            N_SaveConfigClick();
        return true;
    case Qt::Key_F10:
        close();
        return true;
    default:
        break;
    }
    const char *settingsItems[] = {"N_CommonCtrl", "N_Gen", "N_Meter", "N_masterF", "N_masterL", "N_Mirvak"};
    if (key >= Qt::Key_F4 && key <= Qt::Key_F9) {
        N_GenClick(ItemByName(QLatin1String(settingsItems[key - Qt::Key_F4])));
        return true;
    }
    return false;
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event) {
    if (LB1 && (watched == LB1 || watched == LB1->viewport())) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                ChooseLater(LB1->currentRow());
                return true;
            }
            ListKeyFlag = true;
            return false;
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            ListCloseCountdown = 1;
            ListCloseTick();
            return true;
        }
        if (event->type() == QEvent::MouseMove && ActiveListPanel == 2) {
            const int itemHeight = std::max(1, LB1->sizeHintForRow(0));
            const int index = std::clamp(
                int(std::trunc(static_cast<QMouseEvent *>(event)->position().y() / itemHeight + 0.5)), 0, 12);
            LB1->setToolTip(ConnectionTypeHintList.value(index));
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (FormShortCut(key->key(), key->modifiers()))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::Timer_masterTimer() {
    if (Button_Start->isEnabled())
        return;
    if (DeviceSettings->MasterF.State > 0)
        MasterFreqStep(sender());
    else if (DeviceSettings->MasterL.State > 0)
        MasterLevStep(sender());
}

void TMainForm::PackWork_TimerTimer() {
    if (PackageWork)
        PackageWork->PollCommandFile();
}
