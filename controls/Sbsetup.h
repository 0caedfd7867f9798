#pragma once

#include "controls/RxctrlsGlyph.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTableWidget;
class TBtnControl;
class TSpeedBar;
class TSpeedItem;

// The modeless window in which the user customises a speed bar: the bar's sections on the left, the
// buttons of the chosen section on the right, each drawn as its image and caption. While it is open the
// bar is in customise mode; a button of the list can be dragged onto the bar.
class TSpeedbarSetupWindow : public QDialog {
    Q_OBJECT
public:
    explicit TSpeedbarSetupWindow(QWidget *parent = nullptr);
    ~TSpeedbarSetupWindow() override;

    QLabel *CategoriesLabel;
    QLabel *ButtonsLabel;
    QTableWidget *SectionList;
    QTableWidget *ButtonsList;
    QLabel *HintLabel;
    QPushButton *CloseBtn;
    QPushButton *HelpBtn;

    TSpeedBar *SpeedBar() const { return bar_; }
    void SetSpeedBar(TSpeedBar *bar);
    bool CheckSpeedBar() const;
    int CurrentSection() const;
    void SetSection(int index);
    void UpdateCurrentSection() { SetSection(CurrentSection()); }
    void UpdateData(int index);
    void UpdateListHeight();
    TSpeedItem *ItemByRow(int row) const;
    void UpdateHint(int section, int row);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int value) { helpContext_ = value; }
    QString Hint() const { return hint_; }

    void CloseBtnClick();
    void HelpBtnClick();
    // Dragging a button from the list, the points in ButtonsList's viewport and on the screen.
    void ButtonsListMouseDown(Qt::MouseButton button, QPoint point);
    void ButtonsListMouseMove(QPoint screenPos);
    void ButtonsListMouseUp(Qt::MouseButton button, QPoint screenPos);
    bool Dragging() const { return dragging_; }
    TSpeedItem *DragItem() const { return dragItem_; }

    // Asked for the help of a context; the program's help system answers it.
    static std::function<void(int context)> OnHelp;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FitColumns();
    void DrawSectionCell(QPainter &painter, const QRect &rect, int row);
    void DrawButtonCell(QPainter &painter, const QRect &rect, int row);
    friend class TSetupCellDelegate;

    TButtonImage cellImage_;
    std::unique_ptr<TBtnControl> dragImage_;
    QPointer<TSpeedBar> bar_;
    bool dragging_ = false;
    TSpeedItem *dragItem_ = nullptr;
    int helpContext_ = 0;
    QString hint_;
};

// Opens (or brings back) the one setup window of the bar.
TSpeedbarSetupWindow *ShowSpeedbarSetupWindow(TSpeedBar *bar, int helpContext);
// One button row of the setup window: the button's image followed by the item's caption.
void DrawCellButton(QPainter &painter, QRect rect, TSpeedItem *item, TButtonImage &image, bool rightToLeft);
