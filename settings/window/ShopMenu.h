#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QMenu;
class QWidget;
class TPresetList;

// The pop-up menu PopupMenu_Shop that every preset list of the settings window shares with the page
// control: insert, add, edit, delete, mark all, unmark all. A command works on the list whose own
// control has the focus (the list, or its button of that command; Edit also its Insert and Add buttons,
// since they end in Edit); failing that on the list that opened the menu; opened anywhere else, it does
// nothing. The master pages enable and disable the items while they are the active page.
class TShopMenu : public QObject {
    Q_OBJECT
public:
    enum Command { Ins, Add, Edit, Del, Check, UnCheck };

    // The menu of `window`; every TPresetList inside the window is served.
    explicit TShopMenu(QWidget *window);

    // The menu of the settings window that holds `widget`; null when there is none.
    static TShopMenu *Of(const QWidget *widget);

    // A widget whose context-menu requests open the menu (the page control); the preset lists open it
    // through Popup themselves.
    void AddPopupSource(QWidget *source);
    // Opens the menu at the global position for the component that asked for it.
    void Popup(QWidget *component, const QPoint &globalPos);
    // The component that opened the menu last.
    QWidget *PopupComponent() const { return popupComponent_; }

    // The list a command goes to, or null.
    TPresetList *TargetList(Command command) const;
    void SetItemsEnabled(bool enabled);

    QMenu *PopupMenu_Shop = nullptr;

private:
    QWidget *window_;
    QPointer<QWidget> popupComponent_;
};
