#pragma once

#include "controls/Rxtimer.h"
#include "controls/Vclutils.h"

#include <QFrame>
#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QVariant>

#include <functional>

class TCustomComboEdit;

using TCloseUpEvent = std::function<void(QObject *sender, bool accept)>;

enum TPopupAlign { epaRight, epaLeft };
enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

// The base of drop-down windows under an edit: shown without taking the focus from the edit; a click
// inside closes it accepting, a click outside (the window system's popup rule) rejecting.
class TPopupWindow : public QFrame {
    Q_OBJECT
public:
    explicit TPopupWindow(QWidget *editor);

    virtual QVariant GetValue() const = 0;
    virtual void SetValue(const QVariant &value) = 0;
    virtual QString GetPopupText() const { return {}; }
    virtual void CloseUp(bool accept);
    // Key handling of the edit while it is open.
    virtual void PopupKeyDown(QKeyEvent *event) { Q_UNUSED(event); }
    virtual void PopupKeyPress(QChar key) { Q_UNUSED(key); }

    void Show(const QPoint &screenPoint);
    void Hide();
    void InvalidateEditor();
    void SetOnCloseUp(TCloseUpEvent handler) { onCloseUp_ = std::move(handler); }
    QWidget *Editor() const { return editor_; }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPointer<QWidget> editor_;
    TCloseUpEvent onCloseUp_;
};

// The button inside a combo edit. It stands for the library's speed button; the press that closes an open
// popup is swallowed, so it does not open the popup again.
class TEditButton : public QToolButton {
    Q_OBJECT
public:
    explicit TEditButton(TCustomComboEdit *edit, QWidget *parent);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override {}

private:
    friend class TCustomComboEdit;
    TCustomComboEdit *edit_;
    bool noAction_ = false;
};

// A masked single-line edit with a small button at its right edge that presses on a click or `ClickKey`
// and opens or closes the edit's popup. Masks are written as the library writes them ('9' an optional
// digit, '0' a required one, '/' the date separator, ";1;" and the blank character at the end).
class TCustomComboEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCustomComboEdit(QWidget *parent = nullptr);
    ~TCustomComboEdit() override;

    int ButtonWidth() const;
    void SetButtonWidth(int value);
    QString ButtonHint() const;
    void SetButtonHint(const QString &value);
    void SetGlyph(const QPixmap &glyph);
    QPixmap Glyph() const { return glyph_; }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    TGlyphKind GlyphKind() const { return glyphKind_; }
    void SetGlyphKind(TGlyphKind value);
    bool DirectInput() const { return directInput_; }
    void SetDirectInput(bool value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    QKeySequence ClickKey() const { return clickKey_; }
    void SetClickKey(const QKeySequence &value) { clickKey_ = value; }
    TPopupAlign PopupAlign() const { return popupAlign_; }
    void SetPopupAlign(TPopupAlign value) { popupAlign_ = value; }
    QString EditMask() const { return editMask_; }
    void SetEditMask(const QString &mask);
    // The text with the unfilled mask positions as blanks, as the date and file rules read it.
    QString Text() const;
    void SetOnButtonClick(TNotifyEvent handler) { onButtonClick_ = std::move(handler); }
    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }
    QWidget *ButtonContainer() const { return container_; }
    TEditButton *Button() const { return button_; }
    TPopupWindow *Popup() const { return popup_; }

    bool GetPopupVisible() const;
    void DoClick();
    void SelectAll();
    void PopupDropDown(bool disableEdit);
    void PopupCloseUp(QObject *sender, bool accept);

    // Where a popup of `popupSize` opens under (or above) an edit at `editTopLeft` of `editSize` on a
    // screen of `screen` size.
    static QPoint PopupPosition(const QPoint &editTopLeft, const QSize &editSize, const QSize &popupSize,
                                const QSize &screen, TPopupAlign align);
    // The three dots of the ellipsis button for a button of that width.
    static QImage EllipsisGlyph(int buttonWidth);

protected:
    virtual QPixmap GetDefaultBitmap() const { return {}; }
    virtual int DefaultGlyphCount() const { return 1; }
    virtual bool AcceptPopup(QVariant &value);
    virtual void AcceptValue(const QVariant &value);
    virtual void SetPopupValue(const QVariant &value);
    virtual QVariant GetPopupValue() const;
    virtual void PopupChange() {}
    virtual void ButtonClick();
    // The change notification (OnChange); a text change while the popup is open goes to PopupChange.
    virtual void Change();
    void SetPopup(TPopupWindow *popup);
    void DoChange();
    bool EditCanModify() const { return !readOnly_; }

    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class TEditButton;
    void EditButtonClick();
    void UpdateBtnBounds();
    void RecreateGlyph();
    void ApplyReadOnly();

    QWidget *container_;
    TEditButton *button_;
    TPopupWindow *popup_ = nullptr;
    bool popupVisible_ = false;
    bool readOnly_ = false;
    bool directInput_ = true;
    TAlignment alignment_ = taLeftJustify;
    QKeySequence clickKey_{Qt::ALT | Qt::Key_Down};
    TPopupAlign popupAlign_ = epaRight;
    TGlyphKind glyphKind_ = gkCustom;
    QPixmap glyph_;
    int numGlyphs_ = 1;
    QString editMask_;
    QChar blank_ = QLatin1Char(' ');
    TNotifyEvent onButtonClick_;
    TNotifyEvent onChange_;
};

// The combo edit as forms place it.
class TComboEdit : public TCustomComboEdit {
    Q_OBJECT
public:
    using TCustomComboEdit::TCustomComboEdit;
};
