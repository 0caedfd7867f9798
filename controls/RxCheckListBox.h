#pragma once

#include "controls/Placemnt.h"
#include "controls/RxctrlsListBox.h"

#include <functional>

class TCustomIniFile;

enum TCheckKind { ckCheckBoxes, ckRadioButtons, ckCheckMarks };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A list box whose rows each carry a check state (unchecked, checked, grayed) and an enabled flag, shown
// as a check cell in an 18-pixel strip at the row's start. A press in the strip, space, '+' and '-'
// toggle rows; a disabled row stays selectable but never toggles. In the radio kind at most one row is
// checked, and a row leaves the checked state only by another becoming checked. The states live with the
// list's items, so taking, inserting, moving and sorting items keep them; a row that never had a state
// set reads unchecked and enabled. The list's own item functions (addItem, insertItem, takeItem, clear)
// fill it.
class TRxCheckListBox : public TRxCustomListBox {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TRxCheckListBox *)>;
    using TChangeStateEvent = std::function<void(TRxCheckListBox *, int index)>;

    explicit TRxCheckListBox(QWidget *parent = nullptr);

    // Reads false in the radio kind, whatever was stored.
    bool AllowGrayed() const { return allowGrayed_ && checkKind_ != ckRadioButtons; }
    void SetAllowGrayed(bool value);
    TCheckKind CheckKind() const { return checkKind_; }
    void SetCheckKind(TCheckKind value);
    // Radio kind: the first checked row, else -1 (always -1 for the other kinds). Setting it checks row
    // Max(value, 0) of a non-empty radio list and does nothing otherwise.
    int CheckedIndex() const;
    void SetCheckedIndex(int value);

    // Every function of one row throws EStringListError for an index outside the list.
    bool GetChecked(int index) const;
    void SetChecked(int index, bool value);
    // In the radio kind anything but checked reads unchecked.
    TCheckBoxState GetState(int index) const;
    // Fires OnStateChange once when the state changes; in the radio kind checking a row unchecks the
    // others silently, and the checked row cannot be unchecked directly. A value that is no state is
    // ignored.
    void SetState(int index, TCheckBoxState value);
    bool GetItemEnabled(int index) const;
    void SetItemEnabled(int index, bool value);
    // Check boxes and check marks only: the state for every row, or every enabled row.
    void ApplyState(TCheckBoxState value, bool enabledOnly);
    // Radio kind: checks the first checked row, or row 0, and unchecks all others; OnStateChange fires for
    // that row even when it was checked already.
    void UpdateCheckStates();
    // The user's toggle of one row: unchecked to checked (or grayed when AllowGrayed), checked to
    // unchecked, grayed to checked; then OnClickCheck. Nothing for a disabled row or an index outside.
    void ToggleClickCheck(int index);
    int GetCheckWidth() const;

    // Moves of rows that keep each row's text, data, state and enabled flag together.
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);

    int GetItemWidth(int index) override;

    // The states in the INI section named after the list ("Count", "Item0", ...).
    void SaveStates(TCustomIniFile *ini);
    void RestoreStates(TCustomIniFile *ini);
    // The placement store whose saving and restoring also save and restore the states, in its root
    // section followed by the list's default section; the list needs a name for it.
    TFormPlacement *IniStorage() const { return iniLink_.Storage(); }
    void SetIniStorage(TFormPlacement *value) { iniLink_.SetStorage(value); }

    TNotifyEvent OnClickCheck;
    TChangeStateEvent OnStateChange;

protected:
    virtual void ClickCheck();
    virtual void ChangeItemState(int index);
    void InternalSaveStates(TCustomIniFile *ini, const QString &section);
    void InternalRestoreStates(TCustomIniFile *ini, const QString &section);

    void DrawItemRequest(QPainter *painter, int index, const QRect &rect, QStyle::State state) override;
    void DrawItem(QPainter *painter, int index, const QRect &rect, QStyle::State state) override;
    int RowHeight(int index) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QListWidgetItem *CheckedItem(int index) const;
    TCheckBoxState StoredState(int index) const;
    void StoreState(int index, TCheckBoxState value);
    QRect CheckRect(const QRect &rowRect) const;
    void InvalidateCheck(int index);
    void DrawCheck(QPainter *painter, const QRect &strip, TCheckBoxState state, bool enabled) const;
    void ToggleAtPoint(QMouseEvent *event);
    void IniSave();
    void IniLoad();

    bool allowGrayed_ = false;
    TCheckKind checkKind_ = ckCheckBoxes;
    bool updatingStates_ = false;
    TIniLink iniLink_;
};
