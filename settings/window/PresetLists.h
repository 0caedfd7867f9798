#pragma once

#include <QObject>

#include <functional>

class QLineEdit;
class QPushButton;
class QWidget;
class TRxCheckListBox;

// The rules of one preset list's values: their limits when the in-place editor commits, their text, and
// whether a '-' may be typed (levels).
struct TPresetListRules {
    std::function<double()> Low;
    std::function<double()> High;
    std::function<QString(double)> Format;
    bool AcceptsMinus = false;
    // The page store that takes the list into DeviceSettings.
    std::function<void()> Store;
};

// A preset list of the settings window (LB_ShopFreq, LB_ShopLev) with its in-place editor and its four
// buttons: rows are numbers with a mark; insert before the selected row, add at the end, edit in place,
// delete the selected rows, mark or unmark all. Its context menu is the window's shared PopupMenu_Shop
// (TShopMenu). A list holds at most 127 rows, the most its stored count byte keeps.
class TPresetList : public QObject {
    Q_OBJECT
public:
    static constexpr int RowLimit = 127;

    // Builds the list, its editor (a hidden child of `parent` over the list) and buttons, named with
    // `suffix` ("Freq": LB_ShopFreq, Editor_ShopFreq, Btn_InsFreq, ...).
    TPresetList(QWidget *parent, const QString &suffix, TPresetListRules rules);

    TRxCheckListBox *List = nullptr;
    QLineEdit *Editor = nullptr;
    QPushButton *Btn_Ins = nullptr, *Btn_Add = nullptr, *Btn_Edit = nullptr, *Btn_Del = nullptr;

    void N_InsClick();
    void N_AddClick();
    void N_EditClick();
    void N_DelClick();
    void N_CheckClick();
    void N_UnCheckClick();
    // The value of a row: an empty text, or one that is not a number, becomes the lower limit, and the
    // row shows that value.
    double RowValue(int row);
    // Enables the list side of a page: the list, each of its rows and its buttons, and while its page is
    // the one on show the shared menu's items.
    void SetControlsEnabled(bool enabled, bool pageShown);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool AtLimit() const;
    void SelectAndMark(int row);
    void ListKeyDown(int key, bool control);
    bool EditorKeyPress(const QString &text);
    void EditorKeyDown(int key);
    void EditorExit();
    void Commit();
    void MoveSelection(int row);
    void EndEdit();

    TPresetListRules rules_;
    // The row being edited and whether it was marked.
    int editRow_ = -1;
    bool editMarked_ = false;
};

// Unselects every row of a list.
void ClearListSelection(TRxCheckListBox *list);
