#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>

class QShortcut;

enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// Draws `text` first in the shadow colour into `rect` moved by `shadowSize` towards `position`, then in
// the painter's pen colour into `rect` itself; `rect` becomes the union of both. With `calcRect` nothing
// is drawn and `rect` is the measured size of the text (from its top-left corner) joined with the shadow.
// Returns the height of the text plus the shadow size, or a height of 0 or less unchanged.
int DrawShadowText(QPainter *painter, const QFontMetrics &metrics, const QString &text, QRect &rect, int flags,
                   bool calcRect, int shadowSize, QColor shadowColor, TShadowPosition position);

// A window-less label whose caption carries a one-colour shadow; it keeps itself sized to the caption,
// frames itself while the control it names has the focus, hands the focus to that control on its
// accelerator key and reports the mouse coming and going.
class TRxCustomLabel : public QWidget {
    Q_OBJECT
public:
    explicit TRxCustomLabel(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString &value);
    QWidget *FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget *value);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    QColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(QColor value);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int value);
    TShadowPosition ShadowPos() const { return shadowPos_; }
    void SetShadowPos(TShadowPosition value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool value);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int value);
    int RightMargin() const { return rightMargin_; }
    void SetRightMargin(int value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool MouseInControl() const { return mouseInControl_; }
    bool Focused() const { return focused_; }

    std::function<void(QObject *)> OnMouseEnter;
    std::function<void(QObject *)> OnMouseLeave;

    virtual QColor GetDefaultFontColor() const;
    virtual QString GetLabelCaption() const { return caption_; }
    // Fits width and height to the caption; a right-aligned label keeps its right edge.
    void AdjustBounds();

protected:
    virtual void MouseEnter();
    virtual void MouseLeave();
    void DoDrawText(QPainter *painter, QRect &rect, int flags, bool calcRect);
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRect TextRect() const;
    int AlignmentFlags() const;
    void FocusChanged(QWidget *now);
    void UpdateAccelerator();

    QString caption_;
    QPointer<QWidget> focusControl_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    bool autoSize_ = true;
    TTextLayout layout_ = tlTop;
    QColor shadowColor_;
    int shadowSize_ = 1;
    TShadowPosition shadowPos_ = spLeftTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool showFocus_ = false;
    bool focused_ = false;
    bool mouseInControl_ = false;
    bool pressed_ = false;
    int leftMargin_ = 0;
    int rightMargin_ = 0;
    bool transparent_ = false;
    QShortcut *accelerator_ = nullptr;
};

class TRxLabel : public TRxCustomLabel {
    Q_OBJECT
public:
    using TRxCustomLabel::TRxCustomLabel;
};
