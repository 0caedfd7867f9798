#include "settings/window/PresetLists.h"

#include "controls/RxCheckListBox.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/ShopMenu.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <cmath>

namespace {

bool ParseNumber(const QString &text, double &value) {
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

void ClearListSelection(TRxCheckListBox *list) {
    list->clearSelection();
}

TPresetList::TPresetList(QWidget *parent, const QString &suffix, TPresetListRules rules)
    : QObject(parent), rules_(std::move(rules)) {
    List = new TRxCheckListBox(parent);
    List->setObjectName(QStringLiteral("LB_Shop") + suffix);
    List->SetMultiSelect(true);
    List->SetExtendedSelect(true);
    Editor = new QLineEdit(parent);
    Editor->setObjectName(QStringLiteral("Editor_Shop") + suffix);
    Editor->hide();
    const auto button = [&](const char *prefix, const char *hint, void (TPresetList::*command)()) {
        QPushButton *b = NewNamedButton(parent, (QByteArray(prefix) + suffix.toLatin1()).constData(), QString());
        b->setToolTip(QString::fromUtf8(hint));
        connect(b, &QPushButton::clicked, this, command);
        return b;
    };
    Btn_Ins = button("Btn_Ins", "Вставить перед выделенным", &TPresetList::N_InsClick);
    Btn_Add = button("Btn_Add", "Добавить в конец", &TPresetList::N_AddClick);
    Btn_Edit = button("Btn_Edit", "Редактировать выделенный", &TPresetList::N_EditClick);
    Btn_Del = button("Btn_Del", "Удалить выделенный", &TPresetList::N_DelClick);
    Btn_Ins->setText(QStringLiteral("Вст"));
    Btn_Add->setText(QStringLiteral("+"));
    Btn_Edit->setText(QStringLiteral("Ред"));
    Btn_Del->setText(QStringLiteral("Уд"));

    // The window's shared pop-up menu, opened for this list.
    List->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (TShopMenu *menu = TShopMenu::Of(List))
            menu->Popup(List, List->viewport()->mapToGlobal(at));
    });
    connect(List, &QListWidget::itemDoubleClicked, this, [this] { N_EditClick(); });
    List->installEventFilter(this);
    Editor->installEventFilter(this);
}

bool TPresetList::AtLimit() const {
    if (List->count() < RowLimit)
        return false;
    ShowMessage({QStringLiteral("Нельзя добавить значение!\nМаксимально возможное количество значений в наборе - ") +
                     QString::number(RowLimit),
                 LoadStr(7), MsgIcon::Warning, MsgButtons::Ok});
    return true;
}

void TPresetList::SelectAndMark(int row) {
    ::ClearListSelection(List);
    List->SetItemIndex(row);
    List->SetSelected(row, true);
    List->SetChecked(row, true);
    N_EditClick();
}

void TPresetList::N_AddClick() {
    if (AtLimit())
        return;
    List->addItem(QString());
    SelectAndMark(List->count() - 1);
}

void TPresetList::N_InsClick() {
    const int current = List->GetItemIndex();
    if (current < 0 || AtLimit())
        return;
    List->insertItem(current, QString());
    SelectAndMark(current);
}

void TPresetList::N_EditClick() {
    const int row = List->GetItemIndex();
    if (row < 0 || List->count() == 0)
        return;
    editRow_ = row;
    editMarked_ = List->GetChecked(row);
    // Over the row, clear of its check strip.
    const QRect rect = List->ItemRect(row);
    const int scroll = List->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int border = 1;
    Editor->setGeometry(List->x() + rect.left() + scroll, List->y() + List->viewport()->y() + rect.top(),
                        List->viewport()->width() - scroll + 4 * border, rect.height() + 4 * border);
    Editor->setText(List->item(row)->text());
    Editor->show();
    Editor->raise();
    List->setEnabled(false);
    Editor->setFocus();
}

void TPresetList::N_DelClick() {
    const int current = List->GetItemIndex();
    for (int row = List->count() - 1; row >= 0; --row)
        if (List->GetSelected(row))
            delete List->takeItem(row);
    if (List->count() == 0)
        return;
    const int row = std::min(std::max(current, 0), List->count() - 1);
    List->SetItemIndex(row);
    List->SetSelected(row, true);
    if (rules_.Store)
        rules_.Store();
}

void TPresetList::N_CheckClick() {
    for (int row = 0; row < List->count(); ++row)
        List->SetChecked(row, true);
    if (rules_.Store)
        rules_.Store();
}

void TPresetList::N_UnCheckClick() {
    for (int row = 0; row < List->count(); ++row)
        List->SetChecked(row, false);
    if (rules_.Store)
        rules_.Store();
}

void TPresetList::SetControlsEnabled(bool enabled, bool pageShown) {
    for (QWidget *w : std::initializer_list<QWidget *>{List, Btn_Ins, Btn_Add, Btn_Edit, Btn_Del})
        w->setEnabled(enabled);
    for (int row = 0; row < List->count(); ++row)
        List->SetItemEnabled(row, enabled);
    // The menu is shared by every page: only the page on show decides its items.
    if (pageShown)
        if (TShopMenu *menu = TShopMenu::Of(List))
            menu->SetItemsEnabled(enabled);
}

double TPresetList::RowValue(int row) {
    QListWidgetItem *item = List->item(row);
    double value = 0;
    if (!ParseNumber(item->text(), value)) {
        value = rules_.Low();
        item->setText(rules_.Format(value));
    }
    return value;
}

void TPresetList::Commit() {
    if (editRow_ < 0 || editRow_ >= List->count())
        return;
    double value = 0;
    if (!ParseNumber(Editor->text(), value))
        value = rules_.Low();
    value = std::clamp(value, rules_.Low(), rules_.High());
    Editor->setText(rules_.Format(value));
    List->item(editRow_)->setText(Editor->text());
    List->SetSelected(editRow_, true);
    List->SetChecked(editRow_, editMarked_);
    List->setEnabled(true);
}

void TPresetList::MoveSelection(int row) {
    ::ClearListSelection(List);
    List->SetItemIndex(row);
    List->SetSelected(row, true);
}

void TPresetList::EndEdit() {
    List->setEnabled(true);
    List->setFocus();
}

void TPresetList::EditorKeyDown(int key) {
    if (key == Qt::Key_Escape) {
        EndEdit();
        return;
    }
    Commit();
    if (key == Qt::Key_Up && editRow_ > 0)
        MoveSelection(editRow_ - 1);
    else if (key != Qt::Key_Up && editRow_ + 1 < List->count())
        MoveSelection(editRow_ + 1);
    EndEdit();
}

// Leaving the editor commits unless the focus went to the list itself (Enter, the arrows and Escape
// have committed or dropped the text already), so a text is committed at most once.
void TPresetList::EditorExit() {
    if (!Editor->isVisible())
        return;
    if (QApplication::focusWidget() != List)
        Commit();
    Editor->hide();
    List->setEnabled(true);
    editRow_ = -1;
    if (rules_.Store)
        rules_.Store();
}

// Digits, the decimal point and Backspace, and for levels '-'; anything else is dropped with a beep.
bool TPresetList::EditorKeyPress(const QString &text) {
    if (text.isEmpty())
        return true;
    const QChar c = text.front();
    if (c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('\b') || (rules_.AcceptsMinus && c == QLatin1Char('-')))
        return true;
    if (!c.isPrint())
        return true;
    QApplication::beep();
    return false;
}

void TPresetList::ListKeyDown(int key, bool control) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        N_EditClick();
    else if (key == Qt::Key_Insert)
        N_InsClick();
    else if (key == Qt::Key_Delete)
        N_DelClick();
    else if (control && key == Qt::Key_A)
        N_AddClick();
}

bool TPresetList::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Editor && event->type() == QEvent::FocusOut) {
        EditorExit();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == List) {
        const int k = key->key();
        const bool control = key->modifiers() & Qt::ControlModifier;
        const bool handled = k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Insert ||
                             k == Qt::Key_Delete || (control && k == Qt::Key_A);
        if (handled)
            ListKeyDown(k, control);
        return handled;
    }
    if (watched == Editor) {
        const int k = key->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Up || k == Qt::Key_Down ||
            k == Qt::Key_Escape) {
            EditorKeyDown(k == Qt::Key_Enter ? Qt::Key_Return : k);
            return true;
        }
        return !EditorKeyPress(key->text());
    }
    return false;
}
