#include "controls/RxctrlsSpeedButton.h"

#include "platform/Clock.h"

#include <QDialog>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>

#include <array>

namespace {

enum FrameColor { fcNone, fcHighlight, fcShadow, fcWindowFrame, fcFace };

struct FrameStep {
    FrameColor topLeft;
    FrameColor bottomRight;
};

// The frames of a button face: down, new style, flat, then up to two steps; the old-style pressed
// button adds a shadow corner inside its black frame.
struct FrameRule {
    bool down;
    bool newStyle;
    bool flat;
    std::array<FrameStep, 2> steps;
    bool shadowCorner;
};

constexpr std::array<FrameRule, 8> kFrameRules{{
    {true, true, false, {{{fcWindowFrame, fcHighlight}, {fcShadow, fcFace}}}, false},
    {true, true, true, {{{fcWindowFrame, fcHighlight}, {fcNone, fcNone}}}, false},
    {true, false, false, {{{fcWindowFrame, fcWindowFrame}, {fcNone, fcNone}}}, true},
    {true, false, true, {{{fcWindowFrame, fcHighlight}, {fcNone, fcNone}}}, false},
    {false, true, false, {{{fcHighlight, fcWindowFrame}, {fcFace, fcShadow}}}, false},
    {false, true, true, {{{fcHighlight, fcShadow}, {fcNone, fcNone}}}, false},
    {false, false, false, {{{fcWindowFrame, fcWindowFrame}, {fcHighlight, fcShadow}}}, false},
    {false, false, true, {{{fcHighlight, fcWindowFrame}, {fcNone, fcNone}}}, false},
}};

QColor ColorOf(FrameColor color) {
    switch (color) {
    case fcHighlight:
        return ButtonColors::Highlight();
    case fcShadow:
        return ButtonColors::Shadow();
    case fcWindowFrame:
        return ButtonColors::WindowFrame();
    case fcFace:
    case fcNone:
        break;
    }
    return ButtonColors::Face();
}

// One pixel frame on the rectangle's edges, which then shrinks by one pixel.
void Frame3D(QPainter &painter, QRect &rect, QColor topLeft, QColor bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(rect.left(), rect.bottom(), rect.left(), rect.top());
    painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    painter.setPen(bottomRight);
    painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    rect.adjust(1, 1, -1, -1);
}

} // namespace

QRect PaintButtonFrame(QPainter &painter, QRect rect, bool down, bool flat, TButtonStyle style) {
    const bool newStyle = style != bsWin31;
    for (const FrameRule &rule : kFrameRules) {
        if (rule.down != down || rule.newStyle != newStyle || rule.flat != flat)
            continue;
        for (const FrameStep &step : rule.steps)
            if (step.topLeft != fcNone)
                Frame3D(painter, rect, ColorOf(step.topLeft), ColorOf(step.bottomRight));
        if (rule.shadowCorner) {
            painter.setPen(ButtonColors::Shadow());
            painter.drawLine(rect.left(), rect.bottom(), rect.left(), rect.top());
            painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
        }
        break;
    }
    return rect.adjusted(1, 1, -1, -1);
}

TRxSpeedButton::TRxSpeedButton(QWidget *parent) : QWidget(parent) {
    setGeometry(0, 0, 25, 25);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_Hover);
    glyph_.OnChange = [this] { update(); };
}

TRxSpeedButton::~TRxSpeedButton() {
    glyph_.OnChange = nullptr;
}

void TRxSpeedButton::SetGroupIndex(int value) {
    if (groupIndex_ != value) {
        groupIndex_ = value;
        UpdateExclusive();
    }
}

void TRxSpeedButton::SetAllowAllUp(bool value) {
    if (allowAllUp_ != value) {
        allowAllUp_ = value;
        UpdateExclusive();
    }
}

// Only a button of a group stays down, and a down button of a group that must keep one down stays so.
void TRxSpeedButton::SetDown(bool value) {
    if (groupIndex_ == 0)
        value = false;
    if (value == down_ || (down_ && !allowAllUp_))
        return;
    down_ = value;
    state_ = value ? rbsExclusive : rbsUp;
    update();
    if (value)
        UpdateExclusive();
}

void TRxSpeedButton::UpdateExclusive() {
    if (groupIndex_ == 0 || !parentWidget())
        return;
    for (QObject *child : parentWidget()->children())
        if (auto *button = qobject_cast<TRxSpeedButton *>(child); button && button != this)
            button->ButtonPressed(groupIndex_, this);
}

void TRxSpeedButton::ButtonPressed(int groupIndex, TRxSpeedButton *sender) {
    if (groupIndex != groupIndex_)
        return;
    if (sender->down_ && down_) {
        down_ = false;
        state_ = rbsUp;
        update();
    }
    allowAllUp_ = sender->allowAllUp_;
}

void TRxSpeedButton::SetFlat(bool value) {
    if (flat_ != value) {
        flat_ = value;
        update();
    }
}

void TRxSpeedButton::SetTransparent(bool value) {
    if (transparent_ != value) {
        transparent_ = value;
        setAttribute(Qt::WA_OpaquePaintEvent, !value);
        update();
    }
}

void TRxSpeedButton::SetStyle(TButtonStyle value) {
    if (style_ != value) {
        style_ = value;
        update();
    }
}

void TRxSpeedButton::SetLayout(TButtonLayout value) {
    if (layout_ != value) {
        layout_ = value;
        update();
    }
}

void TRxSpeedButton::SetSpacing(int value) {
    if (spacing_ != value) {
        spacing_ = value;
        update();
    }
}

void TRxSpeedButton::SetMargin(int value) {
    if (value != margin_ && value >= -1) {
        margin_ = value;
        update();
    }
}

void TRxSpeedButton::SetMarkDropDown(bool value) {
    if (markDropDown_ != value) {
        markDropDown_ = value;
        update();
    }
}

void TRxSpeedButton::SetDropDownMenu(TPopupMenu *value) {
    dropDownMenu_ = value;
    if (markDropDown_)
        update();
}

void TRxSpeedButton::SetGrayedInactive(bool value) {
    if (grayedInactive_ != value) {
        grayedInactive_ = value;
        update();
    }
}

void TRxSpeedButton::SetAllowTimer(bool value) {
    allowTimer_ = value;
    if (!value) {
        delete repeatTimer_;
        repeatTimer_ = nullptr;
    }
}

bool TRxSpeedButton::RepeatTimerActive() const {
    return repeatTimer_ && repeatTimer_->isActive();
}

void TRxSpeedButton::SetCaption(const QString &value) {
    caption_ = value;
    update();
}

void TRxSpeedButton::SetGlyph(const QImage &value) {
    glyph_.SetGlyph(value);
    update();
}

void TRxSpeedButton::SetNumGlyphs(int value) {
    value = std::min(value, 5);
    if (value != glyph_.NumGlyphs() && value > 0) {
        glyph_.SetNumGlyphs(value);
        update();
    }
}

void TRxSpeedButton::SetWordWrap(bool value) {
    if (value != glyph_.WordWrap()) {
        glyph_.SetWordWrap(value);
        update();
    }
}

void TRxSpeedButton::SetAlignment(Qt::Alignment value) {
    if (value != glyph_.Alignment()) {
        glyph_.SetAlignment(value);
        update();
    }
}

bool TRxSpeedButton::Inside(QPoint point) const {
    return point.x() >= 0 && point.x() < width() && point.y() >= 0 && point.y() <= height();
}

void TRxSpeedButton::paintEvent(QPaintEvent *) {
    if (!isEnabled()) {
        state_ = rbsDisabled;
        dragging_ = false;
    } else if (state_ == rbsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? rbsExclusive : rbsUp;
    }
    TRxButtonState look = state_;
    if (flat_ && !mouseInControl_)
        look = rbsInactive;

    QPixmap bitmap(size());
    bitmap.fill(ButtonColors::Face());
    QPainter painter(&bitmap);
    painter.setFont(font());
    if (transparent_) {
        bitmap.fill(Qt::transparent);
        painter.fillRect(rect(), Qt::transparent);
    }
    QRect inner = rect();
    if (look != rbsInactive || state_ == rbsExclusive)
        inner = PaintButtonFrame(painter, inner, state_ == rbsDown || state_ == rbsExclusive, flat_, style_);
    else if (flat_)
        inner.adjust(2, 2, -2, -2);
    if (state_ == rbsExclusive && !transparent_ && (!flat_ || look == rbsInactive)) {
        QBrush checker(ButtonColors::Highlight(), Qt::Dense4Pattern);
        painter.fillRect(inner.adjusted(-1, -1, 1, 1), ButtonColors::Face());
        painter.fillRect(inner.adjusted(-1, -1, 1, 1), checker);
    }
    if (state_ == rbsDown || state_ == rbsExclusive)
        inner.translate(1, 1);
    const TRxButtonState glyphState = state_ == rbsDisabled || !grayedInactive_ ? state_ : look;
    painter.setPen(palette().color(QPalette::ButtonText));
    PaintGlyph(painter, inner, glyphState, markDropDown_ && dropDownMenu_);
    painter.end();

    QPainter screen(this);
    screen.drawPixmap(0, 0, bitmap);
}

void TRxSpeedButton::PaintGlyph(QPainter &painter, const QRect &rect, TRxButtonState state, bool drawMark) {
    const int alignment = int(QStyle::visualAlignment(layoutDirection(), glyph_.Alignment()) & Qt::AlignHorizontal_Mask);
    glyph_.Draw(painter, rect, caption_, layout_, margin_, spacing_, drawMark, state, alignment);
}

void TRxSpeedButton::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TRxSpeedButton::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TRxSpeedButton::HandleMouseDown(Qt::MouseButton button, QPoint point) {
    if (menuTracking_)
        return;
    if (isEnabled() && !mouseInControl_) {
        mouseInControl_ = true;
        update();
    }
    if (button != Qt::LeftButton || !isEnabled())
        return;
    if (!down_) {
        state_ = rbsDown;
        repaint();
    }
    dragging_ = true;
    // The release of a press that opened the menu is handled when the menu closes, and clicks nothing.
    menuTracking_ = true;
    try {
        if (CheckMenuDropDown(GetDropDownMenuPos(), false))
            DoMouseUp(button, point);
    } catch (...) {
        menuTracking_ = false;
        throw;
    }
    menuTracking_ = false;
    if (allowTimer_) {
        if (!repeatTimer_) {
            repeatTimer_ = new QTimer(this);
            connect(repeatTimer_, &QTimer::timeout, this, [this] {
                try {
                    TimerExpired();
                } catch (const std::exception &error) {
                    qCritical("%s", error.what());
                }
            });
        }
        repeatTimer_->setInterval(initPause_);
        repeatTimer_->start();
    }
}

void TRxSpeedButton::HandleMouseMove(QPoint point) {
    if (!dragging_)
        return;
    const TRxButtonState next = down_ ? rbsExclusive : (Inside(point) ? rbsDown : rbsUp);
    if (next != state_) {
        state_ = next;
        update();
    }
}

void TRxSpeedButton::HandleMouseUp(Qt::MouseButton button, QPoint point) {
    DoMouseUp(button, point);
    StopRepeat();
}

void TRxSpeedButton::DoMouseUp(Qt::MouseButton button, QPoint point) {
    if (!dragging_ || button != Qt::LeftButton)
        return;
    dragging_ = false;
    const bool inside = Inside(point);
    if (groupIndex_ == 0) {
        state_ = rbsUp;
        mouseInControl_ = false;
        if (inside)
            repaint();
        else
            update();
    } else if (inside) {
        SetDown(!down_);
        if (down_)
            repaint();
    } else if (down_) {
        state_ = rbsExclusive;
        repaint();
    }
    if (inside && !menuTracking_)
        Click();
    mouseInControl_ = underMouse() && isEnabled();
}

void TRxSpeedButton::StopRepeat() {
    if (repeatTimer_)
        repeatTimer_->stop();
}

void TRxSpeedButton::TimerExpired() {
    repeatTimer_->setInterval(repeatInterval_);
    if (state_ == rbsDown && dragging_) {
        try {
            Click();
        } catch (...) {
            StopRepeat();
            throw;
        }
    }
}

void TRxSpeedButton::mousePressEvent(QMouseEvent *event) {
    HandleMouseDown(event->button(), event->position().toPoint());
}

void TRxSpeedButton::mouseMoveEvent(QMouseEvent *event) {
    HandleMouseMove(event->position().toPoint());
}

void TRxSpeedButton::mouseReleaseEvent(QMouseEvent *event) {
    HandleMouseUp(event->button(), event->position().toPoint());
}

void TRxSpeedButton::mouseDoubleClickEvent(QMouseEvent *event) {
    if (menuTracking_)
        return;
    HandleMouseDown(event->button(), event->position().toPoint());
    if (down_ && OnDblClick)
        OnDblClick(this);
}

void TRxSpeedButton::enterEvent(QEnterEvent *event) {
    QWidget::enterEvent(event);
    if (isEnabled() && !mouseInControl_) {
        mouseInControl_ = true;
        if (flat_)
            repaint();
        MouseEnter();
    }
}

void TRxSpeedButton::leaveEvent(QEvent *event) {
    QWidget::leaveEvent(event);
    if (isEnabled() && !dragging_ && mouseInControl_) {
        mouseInControl_ = false;
        if (flat_)
            update();
        MouseLeave();
    }
}

// The picture of the coming state is made before it is first needed.
void TRxSpeedButton::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        glyph_.CreateButtonGlyph(!isEnabled() ? rbsDisabled : flat_ ? rbsInactive : rbsUp);
        update();
    } else if (event->type() == QEvent::PaletteChange) {
        glyph_.Invalidate();
        update();
    } else if (event->type() == QEvent::FontChange) {
        update();
    }
}

QPoint TRxSpeedButton::GetDropDownMenuPos() const {
    if (!dropDownMenu_)
        return {0, 0};
    if (menuPosition_ == dmpBottom) {
        switch (dropDownMenu_->Alignment) {
        case paLeft:
            return {-1, height()};
        case paRight:
            return {width() + 1, height()};
        case paCenter:
            return {width() / 2, height()};
        }
    }
    switch (dropDownMenu_->Alignment) {
    case paLeft:
        return {width(), -1};
    case paRight:
        return {-1, -1};
    case paCenter:
        break;
    }
    return {width() / 2, height()};
}

bool TRxSpeedButton::CheckMenuDropDown(QPoint point, bool forced) {
    if (!dropDownMenu_ || (!forced && !dropDownMenu_->AutoPopup))
        return false;
    QPoint screen = mapToGlobal(point);
    if (dropDownMenu_->Alignment == paRight)
        screen.rx() -= dropDownMenu_->sizeHint().width();
    else if (dropDownMenu_->Alignment == paCenter)
        screen.rx() -= dropDownMenu_->sizeHint().width() / 2;
    dropDownMenu_->exec(screen);
    return true;
}

bool TRxSpeedButton::CheckBtnMenuDropDown() {
    return CheckMenuDropDown(GetDropDownMenuPos(), true);
}

// The parent dialog ends with the button's modal result.
void TRxSpeedButton::Click() {
    if (modalResult_ != 0)
        if (auto *dialog = qobject_cast<QDialog *>(window()))
            dialog->done(modalResult_);
    if (OnClick)
        OnClick(this);
}

void TRxSpeedButton::ButtonClick() {
    if (menuTracking_ || !isEnabled() || (dropDownMenu_ && dropDownMenu_->AutoPopup))
        return;
    if (!down_) {
        state_ = rbsDown;
        repaint();
    }
    try {
        Sleep(20);
        if (groupIndex_ == 0)
            Click();
    } catch (...) {
        state_ = rbsUp;
        update();
        throw;
    }
    state_ = rbsUp;
    if (groupIndex_ == 0) {
        repaint();
    } else {
        SetDown(!down_);
        Click();
    }
}
