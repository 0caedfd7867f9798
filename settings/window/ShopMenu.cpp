#include "settings/window/ShopMenu.h"

#include "controls/RxCheckListBox.h"
#include "settings/window/PresetLists.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>

#include <initializer_list>

namespace {

struct ShopMenuItem {
    const char *Name;
    const char *Text;
    TShopMenu::Command Command;
    void (TPresetList::*Run)(); // the list's own handler of the command
};

// clang-format off
const ShopMenuItem ShopMenuItems[] = {
    {"N_Ins", "Вставить перед выделенным    Ins", TShopMenu::Ins, &TPresetList::N_InsClick},
    {"N_Add", "Добавить в конец                      Ctrl+A", TShopMenu::Add, &TPresetList::N_AddClick},
    {"N_Edit", "Редактировать выделенный     Enter", TShopMenu::Edit, &TPresetList::N_EditClick},
    {"N_Del", "Удалить выделенный                Del", TShopMenu::Del, &TPresetList::N_DelClick},
    {nullptr, nullptr, TShopMenu::Ins, nullptr},
    {"N_Check", "Отметить все                      +", TShopMenu::Check, &TPresetList::N_CheckClick},
    {"N_UnCheck", "Снять все отметки              - ", TShopMenu::UnCheck, &TPresetList::N_UnCheckClick},
};
// clang-format on

// Whether the focus is on one of the list's own controls that stand for the command.
bool HoldsFocusFor(const TPresetList &list, TShopMenu::Command command, const QWidget *focus) {
    if (!focus)
        return false;
    if (focus == list.List)
        return true;
    switch (command) {
    case TShopMenu::Ins:
        return focus == list.Btn_Ins;
    case TShopMenu::Add:
        return focus == list.Btn_Add;
    case TShopMenu::Del:
        return focus == list.Btn_Del;
    case TShopMenu::Edit:
        for (const QPushButton *button : {list.Btn_Edit, list.Btn_Ins, list.Btn_Add})
            if (focus == button)
                return true;
        return false;
    case TShopMenu::Check:
    case TShopMenu::UnCheck:
        return false;
    }
    return false;
}

} // namespace

TShopMenu::TShopMenu(QWidget *window) : QObject(window), window_(window) {
    setObjectName(QStringLiteral("ShopMenu"));
    PopupMenu_Shop = new QMenu(window);
    PopupMenu_Shop->setObjectName(QStringLiteral("PopupMenu_Shop"));
    for (const ShopMenuItem &item : ShopMenuItems) {
        if (!item.Name) {
            PopupMenu_Shop->addSeparator();
            continue;
        }
        QAction *action = PopupMenu_Shop->addAction(QString::fromUtf8(item.Text));
        action->setObjectName(QLatin1String(item.Name));
        connect(action, &QAction::triggered, this, [this, &item] {
            if (TPresetList *list = TargetList(item.Command))
                (list->*item.Run)();
        });
    }
}

// The settings window may be a sub-window of the main window's MDI area, whose top level is the main
// window: the menu is looked for on every widget up from `widget`.
TShopMenu *TShopMenu::Of(const QWidget *widget) {
    for (const QWidget *w = widget; w; w = w->parentWidget())
        if (auto *menu = w->findChild<TShopMenu *>(QString(), Qt::FindDirectChildrenOnly))
            return menu;
    return nullptr;
}

void TShopMenu::AddPopupSource(QWidget *source) {
    source->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(source, &QWidget::customContextMenuRequested, this,
            [this, source](const QPoint &at) { Popup(source, source->mapToGlobal(at)); });
}

void TShopMenu::Popup(QWidget *component, const QPoint &globalPos) {
    popupComponent_ = component;
    PopupMenu_Shop->popup(globalPos);
}

TPresetList *TShopMenu::TargetList(Command command) const {
    const QList<TPresetList *> lists = window_->findChildren<TPresetList *>();
    const QWidget *focus = QApplication::focusWidget();
    for (TPresetList *list : lists)
        if (HoldsFocusFor(*list, command, focus))
            return list;
    for (TPresetList *list : lists)
        if (popupComponent_ && popupComponent_ == list->List)
            return list;
    return nullptr;
}

void TShopMenu::SetItemsEnabled(bool enabled) {
    for (QAction *action : PopupMenu_Shop->actions())
        if (!action->isSeparator())
            action->setEnabled(enabled);
}
