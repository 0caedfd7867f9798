#pragma once

#include "controls/RxctrlsGlyph.h"

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>

class QTimer;

enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TRxDropDownMenuPos { dmpBottom, dmpRight };
enum TPopupAlignment { paLeft, paRight, paCenter };

// A pop-up menu that says whether it opens by itself on a press of its button, and on which side of
// the point it opens.
class TPopupMenu : public QMenu {
    Q_OBJECT
public:
    using QMenu::QMenu;
    bool AutoPopup = true;
    TPopupAlignment Alignment = paLeft;
};

// The frame of a button face in the given rectangle; returns the rectangle inside it.
QRect PaintButtonFrame(QPainter &painter, QRect rect, bool down, bool flat, TButtonStyle style);

// The tool button of the control library: glyph and caption, push or toggle in a group (one down at a
// time), flat until the mouse is over it, a drop-down menu that opens on press, and a click that repeats
// while the button is held down.
class TRxSpeedButton : public QWidget {
    Q_OBJECT
public:
    explicit TRxSpeedButton(QWidget *parent = nullptr);
    ~TRxSpeedButton() override;

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    bool Down() const { return down_; }
    void SetDown(bool value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    int Margin() const { return margin_; }
    void SetMargin(int value);
    bool MarkDropDown() const { return markDropDown_; }
    void SetMarkDropDown(bool value);
    TPopupMenu *DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(TPopupMenu *value);
    TRxDropDownMenuPos MenuPosition() const { return menuPosition_; }
    void SetMenuPosition(TRxDropDownMenuPos value) { menuPosition_ = value; }
    bool GrayedInactive() const { return grayedInactive_; }
    void SetGrayedInactive(bool value);
    bool AllowTimer() const { return allowTimer_; }
    void SetAllowTimer(bool value);
    int InitPause() const { return initPause_; }
    void SetInitPause(int value) { initPause_ = value; }
    int RepeatInterval() const { return repeatInterval_; }
    void SetRepeatInterval(int value) { repeatInterval_ = value; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString &value);
    QImage Glyph() const { return glyph_.Glyph(); }
    void SetGlyph(const QImage &value);
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int value);
    bool WordWrap() const { return glyph_.WordWrap(); }
    void SetWordWrap(bool value);
    Qt::Alignment Alignment() const { return glyph_.Alignment(); }
    void SetAlignment(Qt::Alignment value);
    TRxButtonState FState() const { return state_; }
    bool MouseInControl() const { return mouseInControl_; }
    bool RepeatTimerActive() const;
    // Drops the pictures made for the states (the images they came from changed).
    void GlyphPainterInvalidate() {
        glyph_.Invalidate();
        update();
    }

    std::function<void(TRxSpeedButton *)> OnClick;
    std::function<void(TRxSpeedButton *)> OnDblClick;
    std::function<void(QObject *)> OnMouseEnter;
    std::function<void(QObject *)> OnMouseLeave;

    // A click by program that shows the press for a moment.
    void ButtonClick();
    bool CheckBtnMenuDropDown();
    bool CheckMenuDropDown(QPoint point, bool forced);
    QPoint GetDropDownMenuPos() const;
    virtual void Click();
    // One tick of the repeat timer; a failure of the click stops the timer and passes on.
    void TimerExpired();

protected:
    TRxButtonGlyph &GlyphPainter() { return glyph_; }
    virtual void PaintGlyph(QPainter &painter, const QRect &rect, TRxButtonState state, bool drawMark);
    virtual void MouseEnter();
    virtual void MouseLeave();
    // The button's own press, move and release handling, without the event plumbing.
    void HandleMouseDown(Qt::MouseButton button, QPoint point);
    void HandleMouseMove(QPoint point);
    void HandleMouseUp(Qt::MouseButton button, QPoint point);
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool Inside(QPoint point) const;
    void DoMouseUp(Qt::MouseButton button, QPoint point);
    void UpdateExclusive();
    void ButtonPressed(int groupIndex, TRxSpeedButton *sender);
    void StopRepeat();

    int groupIndex_ = 0;
    TButtonStyle style_ = bsAutoDetect;
    TRxButtonGlyph glyph_;
    bool down_ = false;
    bool dragging_ = false;
    bool flat_ = false;
    bool mouseInControl_ = false;
    bool allowAllUp_ = false;
    TButtonLayout layout_ = blGlyphTop;
    int spacing_ = 1;
    int margin_ = -1;
    int modalResult_ = 0;
    bool transparent_ = false;
    bool markDropDown_ = true;
    QPointer<TPopupMenu> dropDownMenu_;
    TRxDropDownMenuPos menuPosition_ = dmpBottom;
    bool grayedInactive_ = true;
    bool menuTracking_ = false;
    QTimer *repeatTimer_ = nullptr;
    bool allowTimer_ = false;
    int initPause_ = 500;
    int repeatInterval_ = 100;
    TRxButtonState state_ = rbsUp;
    QString caption_;
};
