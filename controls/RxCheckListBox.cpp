#include "controls/RxCheckListBox.h"

#include "controls/Apputils.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>
#include <QStyleOptionButton>

#include <algorithm>

namespace {

// A row's state and enabled flag are kept in roles of their own beside the user's data (Qt::UserRole);
// a row without them reads unchecked and enabled.
constexpr int StateRole = Qt::UserRole + 1;
constexpr int EnabledRole = Qt::UserRole + 2;

// The check cell: the picture is cut into 16 x 13 cells, centred in the strip, which is 2 pixels wider.
constexpr int CheckCellWidth = 16;
constexpr int CheckCellHeight = 13;
// The style's indicators are square: the largest square that fits the cell.
constexpr int IndicatorSize = 13;

// What a toggle makes of each state (unchecked becomes grayed instead while grayed is allowed).
constexpr TCheckBoxState NextToggleState[] = {cbChecked, cbUnchecked, cbChecked};

const QStyle::State IndicatorStates[] = {QStyle::State_Off, QStyle::State_On, QStyle::State_NoChange};

bool IsValidState(int value) {
    return value >= cbUnchecked && value <= cbGrayed;
}

} // namespace

TRxCheckListBox::TRxCheckListBox(QWidget *parent) : TRxCustomListBox(parent) {
    SetAutoScroll(true);
    iniLink_.OnSaveToIni = [this](TIniLink *) { IniSave(); };
    iniLink_.OnLoadFromIni = [this](TIniLink *) { IniLoad(); };
}

void TRxCheckListBox::SetAllowGrayed(bool value) {
    allowGrayed_ = value;
}

void TRxCheckListBox::SetCheckKind(TCheckKind value) {
    if (value == checkKind_)
        return;
    checkKind_ = value;
    UpdateCheckStates();
    viewport()->update();
}

int TRxCheckListBox::GetCheckWidth() const {
    return CheckCellWidth + 2;
}

QListWidgetItem *TRxCheckListBox::CheckedItem(int index) const {
    CheckIndex(index);
    return item(index);
}

TCheckBoxState TRxCheckListBox::StoredState(int index) const {
    const QVariant value = CheckedItem(index)->data(StateRole);
    return value.isValid() ? TCheckBoxState(value.toInt()) : cbUnchecked;
}

void TRxCheckListBox::StoreState(int index, TCheckBoxState value) {
    CheckedItem(index)->setData(StateRole, int(value));
}

TCheckBoxState TRxCheckListBox::GetState(int index) const {
    const TCheckBoxState state = StoredState(index);
    if (checkKind_ == ckRadioButtons && state != cbChecked)
        return cbUnchecked;
    return state;
}

bool TRxCheckListBox::GetChecked(int index) const {
    return StoredState(index) == cbChecked;
}

void TRxCheckListBox::SetChecked(int index, bool value) {
    SetState(index, value ? cbChecked : cbUnchecked);
}

int TRxCheckListBox::CheckedIndex() const {
    if (checkKind_ != ckRadioButtons)
        return -1;
    for (int i = 0; i < count(); ++i)
        if (GetState(i) == cbChecked)
            return i;
    return -1;
}

void TRxCheckListBox::SetCheckedIndex(int value) {
    if (checkKind_ == ckRadioButtons && count() > 0)
        SetState(std::max(value, 0), cbChecked);
}

void TRxCheckListBox::SetState(int index, TCheckBoxState value) {
    if (!IsValidState(value) || (GetState(index) == value && !updatingStates_))
        return;
    if (checkKind_ == ckRadioButtons && value == cbUnchecked && index == CheckedIndex())
        return;
    StoreState(index, value);
    if (checkKind_ == ckRadioButtons && value == cbChecked) {
        for (int i = count() - 1; i >= 0; --i) {
            if (i != index && GetState(i) == cbChecked) {
                StoreState(i, cbUnchecked);
                InvalidateCheck(i);
            }
        }
    }
    InvalidateCheck(index);
    ChangeItemState(index);
}

void TRxCheckListBox::UpdateCheckStates() {
    if (checkKind_ != ckRadioButtons || count() == 0)
        return;
    const QScopedValueRollback<bool> updating(updatingStates_, true);
    SetState(std::max(CheckedIndex(), 0), cbChecked);
}

bool TRxCheckListBox::GetItemEnabled(int index) const {
    const QVariant value = CheckedItem(index)->data(EnabledRole);
    return !value.isValid() || value.toBool();
}

void TRxCheckListBox::SetItemEnabled(int index, bool value) {
    if (value == GetItemEnabled(index))
        return;
    CheckedItem(index)->setData(EnabledRole, value);
    viewport()->update(ItemRect(index));
}

void TRxCheckListBox::ApplyState(TCheckBoxState value, bool enabledOnly) {
    if (checkKind_ == ckRadioButtons)
        return;
    for (int i = 0; i < count(); ++i)
        if (!enabledOnly || GetItemEnabled(i))
            SetState(i, value);
}

void TRxCheckListBox::ToggleClickCheck(int index) {
    if (index < 0 || index >= count() || !GetItemEnabled(index))
        return;
    const TCheckBoxState state = GetState(index);
    SetState(index, state == cbUnchecked && AllowGrayed() ? cbGrayed : NextToggleState[state]);
    ClickCheck();
}

void TRxCheckListBox::ClickCheck() {
    if (OnClickCheck)
        OnClickCheck(this);
}

void TRxCheckListBox::ChangeItemState(int index) {
    if (OnStateChange)
        OnStateChange(this, index);
}

void TRxCheckListBox::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    if (index1 == index2)
        return;
    const int low = std::min(index1, index2);
    const int high = std::max(index1, index2);
    QListWidgetItem *highItem = takeItem(high);
    QListWidgetItem *lowItem = takeItem(low);
    insertItem(low, highItem);
    insertItem(high, lowItem);
}

void TRxCheckListBox::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    CheckIndex(curIndex);
    QListWidgetItem *moved = takeItem(curIndex);
    insertItem(newIndex, moved);
}

int TRxCheckListBox::GetItemWidth(int index) {
    return TRxCustomListBox::GetItemWidth(index) + GetCheckWidth();
}

// The strip at the row's start (its end, right to left) for a rectangle that already lacks it.
QRect TRxCheckListBox::CheckRect(const QRect &textRect) const {
    if (layoutDirection() == Qt::RightToLeft)
        return {textRect.right() + 1, textRect.top(), GetCheckWidth(), textRect.height()};
    return {textRect.left() - GetCheckWidth(), textRect.top(), GetCheckWidth(), textRect.height()};
}

void TRxCheckListBox::InvalidateCheck(int index) {
    QRect strip = ItemRect(index);
    if (layoutDirection() == Qt::RightToLeft)
        strip.setLeft(strip.right() + 1 - GetCheckWidth());
    else
        strip.setWidth(GetCheckWidth());
    viewport()->update(strip);
}

void TRxCheckListBox::DrawItemRequest(QPainter *painter, int index, const QRect &rect, QStyle::State state) {
    QRect textRect = rect;
    if (layoutDirection() == Qt::RightToLeft)
        textRect.setRight(rect.right() - GetCheckWidth());
    else
        textRect.setLeft(rect.left() + GetCheckWidth());
    TRxCustomListBox::DrawItemRequest(painter, index, textRect, state);
}

void TRxCheckListBox::DrawItem(QPainter *painter, int index, const QRect &rect, QStyle::State state) {
    if (index < count()) {
        const bool enabled = GetItemEnabled(index);
        DrawCheck(painter, CheckRect(rect), GetState(index), enabled);
        if (!enabled) {
            // Grey text that still reads on the highlight of a selected row.
            const QPalette &colors = palette();
            QColor text = colors.color(QPalette::Disabled, QPalette::Text);
            if (state & QStyle::State_Selected) {
                const QColor back = colors.color(QPalette::Highlight);
                const QColor fore = colors.color(QPalette::HighlightedText);
                text = QColor((back.red() + fore.red()) / 2, (back.green() + fore.green()) / 2,
                              (back.blue() + fore.blue()) / 2);
            }
            painter->setPen(text);
        }
    }
    // With lbStandard the base draws the text itself even when an OnDrawItem handler is assigned.
    TRxCustomListBox::DrawItem(painter, index, rect, state);
}

// The strip keeps the list's own background, whatever the row's selection colour.
void TRxCheckListBox::DrawCheck(QPainter *painter, const QRect &strip, TCheckBoxState state, bool enabled) const {
    painter->fillRect(strip, palette().color(QPalette::Base));
    const QRect cell(strip.left() + (strip.width() - CheckCellWidth) / 2,
                     strip.top() + (strip.height() - CheckCellHeight) / 2, CheckCellWidth, CheckCellHeight);
    const QRect square(cell.left() + (CheckCellWidth - IndicatorSize) / 2, cell.top(), IndicatorSize, IndicatorSize);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = square;
    option.state = IndicatorStates[state] | (enabled ? QStyle::State_Enabled : QStyle::State_None);
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.palette.setCurrentColorGroup(enabled ? QPalette::Active : QPalette::Disabled);
    switch (checkKind_) {
    case ckCheckBoxes:
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, this);
        break;
    case ckRadioButtons:
        style()->drawPrimitive(QStyle::PE_IndicatorRadioButton, &option, painter, this);
        break;
    case ckCheckMarks: {
        // A bare tick, pale when grayed; nothing for an unchecked row.
        if (state == cbUnchecked)
            break;
        QColor color = palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::Text);
        if (state == cbGrayed)
            color = palette().color(QPalette::Disabled, QPalette::Text);
        QPainterPath tick;
        tick.moveTo(square.left() + 2, square.top() + 6);
        tick.lineTo(square.left() + 5, square.top() + 9);
        tick.lineTo(square.right() - 1, square.top() + 2);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(color, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(tick);
        painter->restore();
        break;
    }
    }
}

// lbStandard rows (and lbOwnerDrawFixed rows that nobody draws) fit the font's "Wg" and the check cell;
// the fixed style also keeps ItemHeight as the least.
int TRxCheckListBox::RowHeight(int index) const {
    if (Style() == lbStandard || (Style() == lbOwnerDrawFixed && !OnDrawItem())) {
        int rowHeight =
            std::max(fontMetrics().size(Qt::TextSingleLine, QStringLiteral("Wg")).height(), CheckCellHeight);
        if (Style() == lbOwnerDrawFixed)
            rowHeight = std::max(rowHeight, ItemHeight());
        return rowHeight;
    }
    return TRxCustomListBox::RowHeight(index);
}

// Space toggles the current row and goes no further; '+' and '-' check and uncheck every enabled row and
// then reach the list as any other key.
void TRxCheckListBox::keyPressEvent(QKeyEvent *event) {
    const QString text = event->text();
    if (text == QStringLiteral(" ")) {
        if (!DoKeyDown(event)) {
            ToggleClickCheck(GetItemIndex());
            event->accept();
        }
        return;
    }
    TRxCustomListBox::keyPressEvent(event);
    if (text == QStringLiteral("+") || text == QStringLiteral("-")) {
        ApplyState(text == QStringLiteral("+") ? cbChecked : cbUnchecked, true);
        ClickCheck();
    }
}

void TRxCheckListBox::ToggleAtPoint(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    const int index = ItemAtPos(point, true);
    if (index < 0)
        return;
    const QRect rect = ItemRect(index);
    if (layoutDirection() == Qt::RightToLeft) {
        const int d = point.x() - (rect.left() + rect.width() - GetCheckWidth());
        if (d > 0 && d < GetCheckWidth())
            ToggleClickCheck(index);
    } else if (point.x() - rect.left() < GetCheckWidth()) {
        ToggleClickCheck(index);
    }
}

// A press selects as in any list box and, in the check strip, also toggles the row.
void TRxCheckListBox::mousePressEvent(QMouseEvent *event) {
    TRxCustomListBox::mousePressEvent(event);
    ToggleAtPoint(event);
}

// The second press of a double click in the strip toggles again, as quick clicks on a check box do.
void TRxCheckListBox::mouseDoubleClickEvent(QMouseEvent *event) {
    TRxCustomListBox::mouseDoubleClickEvent(event);
    ToggleAtPoint(event);
}

void TRxCheckListBox::InternalSaveStates(TCustomIniFile *ini, const QString &section) {
    IniEraseSection(ini, section);
    IniWriteInteger(ini, section, QStringLiteral("Count"), count());
    for (int i = 0; i < count(); ++i)
        IniWriteInteger(ini, section, QStringLiteral("Item%1").arg(i), GetState(i));
}

// A stored state other than 0, 1 or 2 comes from a damaged or foreign file: that row keeps its state. A
// radio list stops at the first row stored as checked; it looks at the stored value, not at the row, so
// that the row checked before the restore cannot end it before the stored choice is reached.
void TRxCheckListBox::InternalRestoreStates(TCustomIniFile *ini, const QString &section) {
    const int rows = std::min(IniReadInteger(ini, section, QStringLiteral("Count"), 0), count());
    for (int i = 0; i < rows; ++i) {
        const int value = IniReadInteger(ini, section, QStringLiteral("Item%1").arg(i), cbUnchecked);
        if (!IsValidState(value))
            continue;
        SetState(i, TCheckBoxState(value));
        if (checkKind_ == ckRadioButtons && value == cbChecked)
            break;
    }
}

void TRxCheckListBox::SaveStates(TCustomIniFile *ini) {
    InternalSaveStates(ini, GetDefaultSection(this));
}

void TRxCheckListBox::RestoreStates(TCustomIniFile *ini) {
    InternalRestoreStates(ini, GetDefaultSection(this));
}

void TRxCheckListBox::IniSave() {
    if (!objectName().isEmpty() && iniLink_.GetIniObject())
        InternalSaveStates(iniLink_.GetIniObject(), iniLink_.GetRootSection() + GetDefaultSection(this));
}

void TRxCheckListBox::IniLoad() {
    if (!objectName().isEmpty() && iniLink_.GetIniObject())
        InternalRestoreStates(iniLink_.GetIniObject(), iniLink_.GetRootSection() + GetDefaultSection(this));
}
