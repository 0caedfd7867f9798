#include "controls/Sbsetup.h"

#include "controls/Speedbar.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>

std::function<void(int)> TSpeedbarSetupWindow::OnHelp;

namespace {

// Texts of the window from the library's string table.
constexpr int kHintText = 61157;
constexpr int kCategoriesText = 61158;
constexpr int kButtonsText = 61159;
constexpr int kCaptionText = 61160;
constexpr int kOkText = 65393;
constexpr int kHelpText = 65397;

// The list height at 96 pixels per inch.
constexpr int kListHeight96 = 186;

QTableWidget *NewDrawGrid(QWidget *parent, QRect geometry, int columnWidth, int rowHeight) {
    auto *grid = new QTableWidget(0, 1, parent);
    grid->setGeometry(geometry);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setColumnWidth(0, columnWidth);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setShowGrid(false);
    return grid;
}

} // namespace

// Draws the cells of both lists through the window.
class TSetupCellDelegate : public QStyledItemDelegate {
public:
    TSetupCellDelegate(TSpeedbarSetupWindow *window, bool buttons)
        : QStyledItemDelegate(window), window_(window), buttons_(buttons) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        if (buttons_)
            window_->DrawButtonCell(*painter, option.rect, index.row());
        else
            window_->DrawSectionCell(*painter, option.rect, index.row());
        painter->restore();
    }

private:
    TSpeedbarSetupWindow *window_;
    bool buttons_;
};

TSpeedbarSetupWindow::TSpeedbarSetupWindow(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(421, 262);
    auto *bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(4, 4, 328, 221);
    CategoriesLabel = new QLabel(this);
    CategoriesLabel->setGeometry(12, 11, 81, 13);
    ButtonsLabel = new QLabel(this);
    ButtonsLabel->setGeometry(146, 11, 119, 13);
    SectionList = NewDrawGrid(this, QRect(12, 30, 129, 188), 127, 15);
    ButtonsList = NewDrawGrid(this, QRect(146, 30, 179, 188), 169, 26);
    ButtonsLabel->setBuddy(ButtonsList);
    CategoriesLabel->setBuddy(SectionList);
    HintLabel = new QLabel(this);
    HintLabel->setGeometry(8, 231, 407, 29);
    HintLabel->setWordWrap(true);
    CloseBtn = new QPushButton(this);
    CloseBtn->setGeometry(339, 12, 77, 25);
    CloseBtn->setDefault(false);
    CloseBtn->setAutoDefault(false);
    HelpBtn = new QPushButton(this);
    HelpBtn->setGeometry(339, 44, 77, 25);
    const QString objectNames[] = {QStringLiteral("CategoriesLabel"), QStringLiteral("ButtonsLabel"),
                                   QStringLiteral("SectionList"), QStringLiteral("ButtonsList"),
                                   QStringLiteral("HintLabel"), QStringLiteral("CloseBtn"),
                                   QStringLiteral("HelpBtn")};
    QWidget *controls[] = {CategoriesLabel, ButtonsLabel, SectionList, ButtonsList, HintLabel, CloseBtn, HelpBtn};
    for (int i = 0; i < 7; ++i)
        controls[i]->setObjectName(objectNames[i]);
    setTabOrder(SectionList, ButtonsList);
    setTabOrder(ButtonsList, CloseBtn);
    setTabOrder(CloseBtn, HelpBtn);

    setWindowTitle(LoadStr(kCaptionText));
    CategoriesLabel->setText(LoadStr(kCategoriesText));
    ButtonsLabel->setText(LoadStr(kButtonsText));
    HintLabel->setText(LoadStr(kHintText));
    CloseBtn->setText(LoadStr(kOkText));
    HelpBtn->setText(LoadStr(kHelpText));

    SectionList->setItemDelegate(new TSetupCellDelegate(this, false));
    ButtonsList->setItemDelegate(new TSetupCellDelegate(this, true));
    connect(CloseBtn, &QPushButton::clicked, this, &TSpeedbarSetupWindow::CloseBtnClick);
    connect(HelpBtn, &QPushButton::clicked, this, &TSpeedbarSetupWindow::HelpBtnClick);
    connect(SectionList, &QTableWidget::currentCellChanged, this, [this](int row) { SetSection(row); });
    connect(ButtonsList, &QTableWidget::currentCellChanged, this,
            [this](int row) { UpdateHint(CurrentSection(), row); });
    ButtonsList->viewport()->installEventFilter(this);
    SectionList->setFocus();
}

TSpeedbarSetupWindow::~TSpeedbarSetupWindow() {
    if (bar_)
        bar_->SetEditing(nullptr);
}

void TSpeedbarSetupWindow::SetSpeedBar(TSpeedBar *bar) {
    if (bar == bar_)
        return;
    if (bar_)
        bar_->SetEditing(nullptr);
    bar_ = bar;
    if (bar_) {
        bar_->SetEditing(this);
        UpdateListHeight();
    }
    UpdateData(-1);
}

bool TSpeedbarSetupWindow::CheckSpeedBar() const {
    return bar_ && bar_->parentWidget();
}

int TSpeedbarSetupWindow::CurrentSection() const {
    return CheckSpeedBar() && bar_->GetSectionCount() > 0 ? SectionList->currentRow() : -1;
}

TSpeedItem *TSpeedbarSetupWindow::ItemByRow(int row) const {
    return CheckSpeedBar() ? bar_->Items(CurrentSection(), row) : nullptr;
}

void TSpeedbarSetupWindow::FitColumns() {
    SectionList->setColumnWidth(0, SectionList->viewport()->width());
    ButtonsList->setColumnWidth(0, ButtonsList->viewport()->width());
}

void TSpeedbarSetupWindow::SetSection(int index) {
    if (!CheckSpeedBar())
        return;
    ButtonsList->setRowCount(index < 0 ? 0 : bar_->ItemsCount(index));
    FitColumns();
    UpdateHint(index, ButtonsList->currentRow());
    ButtonsList->viewport()->update();
}

void TSpeedbarSetupWindow::UpdateData(int index) {
    if (!CheckSpeedBar()) {
        SectionList->setRowCount(0);
        ButtonsList->setRowCount(0);
        return;
    }
    SectionList->setRowCount(bar_->GetSectionCount());
    if (index >= 0 && index < SectionList->rowCount())
        SectionList->setCurrentCell(index, 0);
    UpdateCurrentSection();
    SectionList->viewport()->update();
}

// Rows as high as a button plus 2, as many as fit 186 pixels at 96 pixels per inch (at least one).
void TSpeedbarSetupWindow::UpdateListHeight() {
    if (!bar_)
        return;
    const qreal dpi = screen() ? screen()->logicalDotsPerInch() : 96;
    const int h = int(kListHeight96 * dpi / 96);
    const int rowHeight = bar_->BtnHeight() + 2;
    ButtonsList->verticalHeader()->setDefaultSectionSize(rowHeight);
    const int rows = std::max(1, std::max(ButtonsList->viewport()->height(), h) / rowHeight);
    const int listHeight = std::min(h, rows * rowHeight);
    const int frame = ButtonsList->height() - ButtonsList->viewport()->height();
    ButtonsList->resize(ButtonsList->width(), listHeight + frame);
    SectionList->resize(SectionList->width(), listHeight + frame);
    SectionList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
}

void TSpeedbarSetupWindow::UpdateHint(int section, int row) {
    TSpeedItem *item = CheckSpeedBar() ? bar_->Items(section, row) : nullptr;
    hint_ = item ? item->Hint() : QString();
    setToolTip(hint_);
}

bool TSpeedbarSetupWindow::event(QEvent *event) {
    if (event->type() != TSpeedbarChangedEvent::Type())
        return QDialog::event(event);
    const auto *changed = static_cast<TSpeedbarChangedEvent *>(event);
    if (changed->Object != bar_)
        return true;
    switch (changed->Code) {
    case sbcItemsChanged:
        UpdateData(CurrentSection());
        break;
    case sbcBarDestroyed:
        bar_ = nullptr;
        close();
        break;
    case sbcSizeChanged:
        UpdateListHeight();
        break;
    default:
        break;
    }
    return true;
}

void TSpeedbarSetupWindow::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (bar_)
        UpdateListHeight();
    FitColumns();
}

// Closing ends customise mode.
void TSpeedbarSetupWindow::closeEvent(QCloseEvent *event) {
    dragImage_.reset();
    if (bar_) {
        bar_->SetEditing(nullptr);
        bar_ = nullptr;
    }
    QDialog::closeEvent(event);
}

void TSpeedbarSetupWindow::CloseBtnClick() {
    close();
}

void TSpeedbarSetupWindow::HelpBtnClick() {
    if (OnHelp)
        OnHelp(helpContext_);
}

void TSpeedbarSetupWindow::DrawSectionCell(QPainter &painter, const QRect &rect, int row) {
    if (!CheckSpeedBar() || !bar_->GetSection(row))
        return;
    const Qt::Alignment alignment = (SectionList->layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft);
    painter.drawText(rect.adjusted(2, 0, -2, 0), int(alignment | Qt::AlignVCenter), bar_->GetSection(row)->GetTitle());
}

void TSpeedbarSetupWindow::DrawButtonCell(QPainter &painter, const QRect &rect, int row) {
    if (CurrentSection() < 0)
        return;
    if (TSpeedItem *item = ItemByRow(row))
        DrawCellButton(painter, rect, item, cellImage_, ButtonsList->layoutDirection() == Qt::RightToLeft);
}

void DrawCellButton(QPainter &painter, QRect rect, TSpeedItem *item, TButtonImage &image, bool rightToLeft) {
    if (!item)
        return;
    TSpeedbarButton *button = item->Button();
    TSpeedBar *bar = item->SpeedBar();
    const bool useImages = bar && bar->Images() && item->ImageIndex() >= 0;
    const QFont font = bar ? bar->font() : button->font();
    TRxButtonGlyph &glyph = image.Painter();
    glyph.SetGlyph(useImages ? QImage() : button->Glyph());
    glyph.SetAlignment(button->Alignment());
    glyph.SetNumGlyphs(button->NumGlyphs());
    glyph.SetWordWrap(button->WordWrap());
    image.Caption = button->Caption();
    if (bar)
        image.ButtonSize = QSize(bar->BtnWidth(), bar->BtnHeight());
    const Qt::Alignment textAlignment =
        QStyle::visualAlignment(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight, button->Alignment());
    image.DrawEx(painter, rect.left() + 1, rect.top() + 1, button->Margin(), button->Spacing(), button->Layout(),
                 &font, useImages ? bar->Images() : nullptr, item->ImageIndex(),
                 int(textAlignment & Qt::AlignHorizontal_Mask));
    rect.setLeft(rect.left() + image.ButtonSize.width() + 3);
    painter.drawText(rect.adjusted(2, 0, 0, 0), int(Qt::AlignLeft | Qt::AlignVCenter), item->Caption());
}

void TSpeedbarSetupWindow::ButtonsListMouseDown(Qt::MouseButton button, QPoint point) {
    const int row = ButtonsList->rowAt(point.y());
    if (row >= 0 && !dragging_)
        ButtonsList->setCurrentCell(row, 0);
    TSpeedItem *item = ItemByRow(row);
    if (!item || button != Qt::LeftButton || !bar_ || point.x() >= bar_->BtnWidth() + 2)
        return;
    dragging_ = true;
    if (item->Visible())
        return;
    dragItem_ = item;
    if (!dragImage_) {
        dragImage_ = std::make_unique<TBtnControl>();
        dragImage_->AssignSpeedItem(item);
    }
}

void TSpeedbarSetupWindow::ButtonsListMouseMove(QPoint screenPos) {
    if (dragImage_ && dragItem_ && bar_) {
        const QSize size(bar_->BtnWidth(), bar_->BtnHeight());
        dragImage_->Activate(QRect(screenPos - QPoint(size.width(), size.height()), size));
    } else if (dragging_) {
        ButtonsList->viewport()->setCursor(Qt::ForbiddenCursor);
    }
}

// A drop on this window's bar goes straight to the bar; the bar sends nothing back for it.
void TSpeedbarSetupWindow::ButtonsListMouseUp(Qt::MouseButton button, QPoint screenPos) {
    if (button != Qt::LeftButton || !dragging_)
        return;
    if (dragItem_ && dragImage_) {
        const QPoint corner = screenPos - QPoint(dragImage_->width(), dragImage_->height());
        dragImage_.reset();
        if (CheckSpeedBar() && FindSpeedBar(corner) == bar_) {
            const QPoint point = bar_->mapFromGlobal(corner);
            if (bar_->AcceptDropItem(dragItem_, point.x(), point.y()))
                UpdateCurrentSection();
        }
    } else {
        ButtonsList->viewport()->unsetCursor();
    }
    dragging_ = false;
    dragItem_ = nullptr;
}

bool TSpeedbarSetupWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched != ButtonsList->viewport())
        return QDialog::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return QDialog::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (type == QEvent::MouseButtonPress) {
        ButtonsListMouseDown(mouse->button(), mouse->position().toPoint());
        return dragging_;
    }
    if (type == QEvent::MouseMove) {
        ButtonsListMouseMove(mouse->globalPosition().toPoint());
        return dragging_;
    }
    ButtonsListMouseUp(mouse->button(), mouse->globalPosition().toPoint());
    return false;
}

TSpeedbarSetupWindow *ShowSpeedbarSetupWindow(TSpeedBar *bar, int helpContext) {
    if (!bar)
        return nullptr;
    TSpeedbarSetupWindow *window = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *setup = qobject_cast<TSpeedbarSetupWindow *>(widget); setup && setup->SpeedBar() == bar)
            window = setup;
    const bool created = window == nullptr;
    try {
        if (created) {
            window = new TSpeedbarSetupWindow();
            window->SetSpeedBar(bar);
        }
        if (helpContext > 0)
            window->SetHelpContext(helpContext);
        window->HelpBtn->setVisible(helpContext > 0);
        window->show();
        if (window->windowState() & Qt::WindowMinimized)
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    } catch (...) {
        if (created)
            delete window;
        throw;
    }
    return window;
}
