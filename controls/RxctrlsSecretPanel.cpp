#include "controls/RxctrlsSecretPanel.h"

#include "controls/RxctrlsGlyph.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kMaxLine = 255;
constexpr int kGlyphGap = 3;

bool IsBlank(const QString &line) {
    return line.trimmed().isEmpty();
}

} // namespace

TSecretPanel::TSecretPanel(QWidget *parent) : QWidget(parent), timer_(std::make_unique<TRxTimer>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_->SetEnabled(false);
    timer_->SetInterval(30);
    timer_->SetSyncEvent(false);
    timer_->SetOnTimer([this](QObject *) { TimerExpired(); });
}

TSecretPanel::~TSecretPanel() {
    destroying_ = true;
    SetActive(false);
    timer_.reset();
}

int TSecretPanel::GetInflateWidth() const {
    return borderWidth_ + (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

int TSecretPanel::ScrollLength() const {
    std::lock_guard lock(imageLock_);
    return scrollLength_;
}

int TSecretPanel::ScrollPos() const {
    std::lock_guard lock(imageLock_);
    return scrollPos_;
}

QImage TSecretPanel::ShownImage() const {
    std::lock_guard lock(panelLock_);
    return shown_;
}

void TSecretPanel::RebuildIfActive() {
    if (active_)
        UpdateMemoryImage();
}

void TSecretPanel::SetAlignment(Qt::Alignment value) {
    {
        std::lock_guard lock(imageLock_);
        alignment_ = value;
    }
    if (active_)
        update();
}

void TSecretPanel::SetLines(const QStringList &value) {
    {
        std::lock_guard lock(imageLock_);
        lines_ = value;
        scrollPos_ = 0;
    }
    RebuildIfActive();
    update();
}

void TSecretPanel::SetGlyph(const QImage &value) {
    glyph_ = value;
    RebuildIfActive();
    update();
}

void TSecretPanel::SetGlyphLayout(TGlyphLayout value) {
    glyphLayout_ = value;
    RebuildIfActive();
    update();
}

void TSecretPanel::SetTextStyle(TBevelCut value) {
    {
        std::lock_guard lock(imageLock_);
        textStyle_ = value;
    }
    RebuildIfActive();
    update();
}

void TSecretPanel::SetScrollDirection(TScrollDirection value) {
    {
        std::lock_guard lock(imageLock_);
        scrollDirection_ = value;
        scrollPos_ = 0;
    }
    RebuildIfActive();
    update();
}

void TSecretPanel::SetAsyncDrawing(bool value) {
    asyncDrawing_ = value;
    timer_->SetSyncEvent(!value);
}

void TSecretPanel::SetBevelOuter(TPanelBevel value) {
    bevelOuter_ = value;
    RebuildIfActive();
    update();
}

void TSecretPanel::SetBevelInner(TPanelBevel value) {
    bevelInner_ = value;
    RebuildIfActive();
    update();
}

void TSecretPanel::SetBevelWidth(int value) {
    bevelWidth_ = std::max(1, value);
    RebuildIfActive();
    update();
}

void TSecretPanel::SetBorderWidth(int value) {
    borderWidth_ = std::max(0, value);
    RebuildIfActive();
    update();
}

// The text rectangle keeps clear of the frame and the picture; a horizontal run is centred vertically.
void TSecretPanel::RecalcDrawRect() {
    const int w = GetInflateWidth();
    QRect text = rect();
    frameRect_ = text.adjusted(w, w, -w, -w);
    const int m = w + kGlyphGap;
    text.adjust(m, m, -m, -m);
    int left = text.left();
    int top = text.top();
    int right = text.left() + text.width();
    int bottom = text.top() + text.height();
    const int gw = glyph_.width();
    const int gh = glyph_.height();
    QPoint origin;
    switch (glyphLayout_) {
    case glGlyphLeft:
    case glGlyphRight:
        origin.setY(std::max(top, (top + bottom - gh) / 2));
        if (glyphLayout_ == glGlyphLeft) {
            origin.setX(left);
            if (gw > 0) {
                origin.rx() += kGlyphGap;
                left = origin.x() + gw + m;
            }
        } else {
            origin.setX(right - gw);
            if (gw > 0) {
                origin.setX(std::max(left, origin.x() - kGlyphGap));
                right = origin.x() - m;
            }
        }
        break;
    case glGlyphTop:
    case glGlyphBottom:
        origin.setX(std::max(left, (left + right - gw) / 2));
        if (glyphLayout_ == glGlyphTop) {
            origin.setY(top);
            if (gh > 0) {
                origin.ry() += kGlyphGap;
                top = origin.y() + gh + m + kGlyphGap;
            }
        } else {
            origin.setY(bottom - gh);
            if (gh > 0) {
                origin.setY(std::max(top, origin.y() - kGlyphGap));
                bottom = origin.y() - (m + kGlyphGap);
            }
        }
        break;
    }
    glyphOrigin_ = origin;
    if (scrollDirection_ == sdHorizontal) {
        int last = int(lines_.size()) - 1;
        while (last >= 0 && IsBlank(lines_[last]))
            --last;
        const int n = last - firstLine_ + 1;
        const int free = (bottom - top) - n * lineHeight_;
        if (free > 0) {
            top += free / 2;
            bottom -= free / 2;
        }
    }
    textRect_ = left < right && top < bottom ? QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) : QRect();
}

void TSecretPanel::UpdateMemoryImage() {
    std::lock_guard lock(imageLock_);
    if (!memoryImage_)
        memoryImage_ = std::make_unique<QImage>();
    firstLine_ = 0;
    while (firstLine_ < lines_.size() && IsBlank(lines_[firstLine_]))
        ++firstLine_;
    const QFontMetrics metrics(font());
    lineHeight_ = metrics.height() + metrics.leading() + (textStyle_ != bvCutNone ? 1 : 0);
    RecalcDrawRect();
    if (scrollDirection_ == sdHorizontal) {
        int widest = 0;
        for (int i = firstLine_; i < lines_.size(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(lines_[i].left(kMaxLine)));
        scrollLength_ = widest + textRect_.width();
    } else {
        scrollLength_ = textRect_.height() + int(lines_.size() - firstLine_) * lineHeight_;
    }
    drawFont_ = font();
    backColor_ = palette().color(QPalette::Window);
    fontColor_ = palette().color(QPalette::WindowText);
    highlightColor_ = ButtonColors::Highlight();
    *memoryImage_ = QImage(std::max(1, textRect_.width()), std::max(1, textRect_.height()),
                           QImage::Format_ARGB32_Premultiplied);
    memoryImage_->fill(backColor_);
}

void TSecretPanel::SetActive(bool value) {
    if (value == active_)
        return;
    if (value) {
        active_ = true;
        try {
            {
                std::lock_guard lock(imageLock_);
                scrollPos_ = 0;
            }
            UpdateMemoryImage();
            timer_->SetEnabled(true);
            StartPlay();
        } catch (...) {
            active_ = false;
            timer_->SetEnabled(false);
            throw;
        }
        if (!destroying_)
            for (QObject *object : children())
                if (auto *child = qobject_cast<QWidget *>(object); child && !child->isHidden()) {
                    hiddenControls_.append(child);
                    child->hide();
                }
    } else {
        {
            // A drawing in progress on the worker finishes before the picture goes.
            std::lock_guard lock(imageLock_);
            timer_->SetEnabled(false);
            active_ = false;
            scrollPos_ = 0;
            memoryImage_.reset();
        }
        {
            std::lock_guard lock(panelLock_);
            shown_ = QImage();
        }
        StopPlay();
        if (!destroying_)
            for (const QPointer<QWidget> &child : hiddenControls_)
                if (child)
                    child->show();
        hiddenControls_.clear();
    }
    if (!destroying_)
        update();
}

void TSecretPanel::StartPlay() {
    if (OnStartPlay)
        OnStartPlay(this);
}

void TSecretPanel::StopPlay() {
    if (OnStopPlay)
        OnStopPlay(this);
}

// The end of a run that does not start over is handed to the main thread.
void TSecretPanel::TimerExpired() {
    bool stop = false;
    {
        std::lock_guard lock(imageLock_);
        if (scrollPos_ < scrollLength_)
            ++scrollPos_;
        else if (cycled_)
            scrollPos_ = 0;
        else
            stop = true;
    }
    if (stop) {
        timer_->Synchronize([this] { SetActive(false); });
        return;
    }
    PaintText();
}

void TSecretPanel::PaintClient(QPainter &painter, const QRect &rect) {
    if (OnPaintClient)
        OnPaintClient(this, painter, rect);
    else
        painter.fillRect(rect, painter.brush());
}

// Draws the lines at the present scroll position into the picture, then hands the picture over.
void TSecretPanel::PaintText() {
    std::unique_lock lock(imageLock_);
    if (lines_.isEmpty() || textRect_.isEmpty() || !memoryImage_)
        return;
    const int textWidth = textRect_.width();
    const int textHeight = textRect_.height();
    {
        QPainter painter(memoryImage_.get());
        painter.setFont(drawFont_);
        painter.translate(-textRect_.topLeft());
        painter.setBrush(backColor_);
        PaintClient(painter, frameRect_);
        painter.resetTransform();

        QRect line(0, 0, textWidth, textHeight);
        if (scrollDirection_ == sdVertical) {
            line.moveTop(textHeight - scrollPos_);
        } else {
            line.setLeft(textWidth - scrollPos_);
            line.setWidth(scrollLength_ - textWidth);
        }
        line.setHeight(lineHeight_);
        const int flags = int(alignment_ & Qt::AlignHorizontal_Mask) | Qt::TextExpandTabs | Qt::TextSingleLine |
                          Qt::TextDontClip;
        for (int i = firstLine_; i <= lines_.size(); ++i) {
            const QString text = i < lines_.size() ? lines_[i].left(kMaxLine) : QStringLiteral(" ");
            if (line.bottom() + 1 > 0) {
                if (textStyle_ == bvCutLowered || textStyle_ == bvCutRaised) {
                    const int shift = textStyle_ == bvCutLowered ? 1 : -1;
                    painter.setPen(highlightColor_);
                    painter.drawText(line.translated(shift, shift), flags, text);
                }
                painter.setPen(fontColor_);
                painter.drawText(line, flags, text);
            }
            line.translate(0, lineHeight_);
            if (line.top() >= textHeight)
                break;
        }
    }
    std::lock_guard panel(panelLock_);
    shown_ = *memoryImage_;
    lock.unlock();
    QMetaObject::invokeMethod(this, [this] { update(textRect_); }, Qt::QueuedConnection);
}

void TSecretPanel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    QRect frame = rect();
    DrawPanelBevel(painter, frame, bevelOuter_, bevelWidth_);
    painter.fillRect(frame, palette().color(QPalette::Window));
    frame.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    DrawPanelBevel(painter, frame, bevelInner_, bevelWidth_);
    painter.setClipRect(frame);
    painter.setBrush(palette().color(QPalette::Window));
    PaintClient(painter, frame);
    if (!active_)
        return;
    if (!glyph_.isNull()) {
        const QRgb transparent = glyph_.pixel(0, glyph_.height() - 1);
        QImage picture = glyph_.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixel(x, y) == transparent)
                    picture.setPixel(x, y, qRgba(0, 0, 0, 0));
        painter.drawImage(glyphOrigin_, picture);
    }
    std::lock_guard lock(panelLock_);
    if (!shown_.isNull())
        painter.drawImage(textRect_.topLeft(), shown_);
}

void TSecretPanel::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    RebuildIfActive();
}

void TSecretPanel::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        RebuildIfActive();
}
