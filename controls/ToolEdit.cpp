#include "controls/ToolEdit.h"

#include "controls/Dateutil.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kFrame = 2; // the edit's border: the button sits inside it
constexpr int kDefaultButtonWidth = 21;

// Mask letters of the library's masked edits that Qt writes differently; '/' is the date separator.
QString QtMask(const QString &mask, QChar &blank) {
    const QStringList parts = mask.split(QLatin1Char(';'));
    const QString body = parts.value(0);
    if (parts.size() >= 3 && !parts[2].isEmpty())
        blank = parts[2][0];
    static const QString qtMeta = QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\");
    QString result;
    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        switch (c.unicode()) {
        case '!': break;                                      // leading blanks are never kept here
        case '9': result += QLatin1Char('0'); break;          // an optional digit
        case '0': result += QLatin1Char('9'); break;          // a required digit
        case 'L': result += QLatin1Char('A'); break;
        case 'l': result += QLatin1Char('a'); break;
        case 'A': result += QLatin1Char('N'); break;
        case 'a': result += QLatin1Char('n'); break;
        case 'C': result += QLatin1Char('X'); break;
        case 'c': result += QLatin1Char('x'); break;
        case '>':
        case '<': result += c; break;
        case '\\':
            if (i + 1 < body.size())
                result += QLatin1Char('\\') + body[++i];
            break;
        case '/': {
            const QChar separator = DateLocale().dateSeparator;
            if (qtMeta.contains(separator))
                result += QLatin1Char('\\');
            result += separator;
            break;
        }
        default:
            if (qtMeta.contains(c))
                result += QLatin1Char('\\');
            result += c;
        }
    }
    return result + QLatin1Char(';') + blank;
}

} // namespace

TPopupWindow::TPopupWindow(QWidget *editor)
    : QFrame(editor, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint),
      editor_(editor) {
    // Clicking the popup never takes the focus from the edit.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    hide();
}

void TPopupWindow::CloseUp(bool accept) {
    if (onCloseUp_)
        onCloseUp_(this, accept);
}

void TPopupWindow::Show(const QPoint &screenPoint) {
    move(screenPoint);
    show();
    raise();
}

void TPopupWindow::Hide() {
    hide();
}

void TPopupWindow::InvalidateEditor() {
    if (editor_)
        editor_->repaint();
}

void TPopupWindow::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        CloseUp(rect().contains(event->position().toPoint()));
    QFrame::mouseReleaseEvent(event);
}

TEditButton::TEditButton(TCustomComboEdit *edit, QWidget *parent) : QToolButton(parent), edit_(edit) {
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(false);
    setCursor(Qt::ArrowCursor);
    connect(this, &QToolButton::clicked, this, [this] {
        if (noAction_) {
            noAction_ = false;
            return;
        }
        edit_->EditButtonClick();
    });
}

void TEditButton::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        noAction_ = edit_->GetPopupVisible();
        if (noAction_)
            edit_->PopupCloseUp(edit_->Popup(), true);
        else if (edit_->focusPolicy() & Qt::TabFocus && !edit_->hasFocus())
            edit_->setFocus(Qt::MouseFocusReason);
    }
    QToolButton::mousePressEvent(event);
}

void TEditButton::paintEvent(QPaintEvent *event) {
    QToolButton::paintEvent(event);
    if (isDown())
        return;
    // A face-coloured line and a highlight line join the button to the edit's border.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Button));
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(1, 1, 1, height() - 2);
}

TCustomComboEdit::TCustomComboEdit(QWidget *parent)
    : QLineEdit(parent), container_(new QWidget(this)), button_(new TEditButton(this, container_)) {
    container_->resize(kDefaultButtonWidth, 17);
    button_->setGeometry(0, 0, container_->width(), container_->height());
    resize(width(), 21);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (popupVisible_)
            PopupChange();
        else
            Change();
    });
    UpdateBtnBounds();
}

TCustomComboEdit::~TCustomComboEdit() {
    // The button's click must not reach an edit that is going.
    button_->disconnect(this);
    disconnect(button_);
}

int TCustomComboEdit::ButtonWidth() const {
    return container_->width();
}

void TCustomComboEdit::SetButtonWidth(int value) {
    if (value == ButtonWidth())
        return;
    container_->setVisible(value > 1);
    if (value >= width())
        return;
    container_->resize(value, container_->height());
    UpdateBtnBounds();
    RecreateGlyph();
}

QString TCustomComboEdit::ButtonHint() const {
    return button_->toolTip();
}

void TCustomComboEdit::SetButtonHint(const QString &value) {
    button_->setToolTip(value);
}

void TCustomComboEdit::SetGlyph(const QPixmap &glyph) {
    glyph_ = glyph;
    glyphKind_ = gkCustom;
    RecreateGlyph();
}

void TCustomComboEdit::SetNumGlyphs(int value) {
    if (glyphKind_ == gkDropDown || glyphKind_ == gkEllipsis)
        value = 1;
    else if (glyphKind_ == gkDefault)
        value = DefaultGlyphCount();
    numGlyphs_ = std::clamp(value, 1, 4);
    RecreateGlyph();
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind value) {
    if (value == glyphKind_)
        return;
    glyphKind_ = value;
    RecreateGlyph();
}

void TCustomComboEdit::RecreateGlyph() {
    button_->setArrowType(Qt::NoArrow);
    QPixmap picture;
    switch (glyphKind_) {
    case gkCustom:
        picture = glyph_;
        break;
    case gkDefault:
        picture = GetDefaultBitmap();
        numGlyphs_ = DefaultGlyphCount();
        if (!picture.isNull()) {
            const int natural = std::max(picture.width() / numGlyphs_ + 6, ButtonWidth());
            if (natural != ButtonWidth() && natural < width()) {
                container_->resize(natural, container_->height());
                UpdateBtnBounds();
            }
        }
        break;
    case gkDropDown:
        numGlyphs_ = 1;
        button_->setArrowType(Qt::DownArrow);
        if (const int arrowWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent); arrowWidth < width()) {
            container_->resize(arrowWidth, container_->height());
            UpdateBtnBounds();
        }
        break;
    case gkEllipsis:
        numGlyphs_ = 1;
        picture = QPixmap::fromImage(EllipsisGlyph(ButtonWidth()));
        break;
    }
    QIcon icon;
    if (!picture.isNull()) {
        const int cellWidth = picture.width() / numGlyphs_;
        icon.addPixmap(picture.copy(0, 0, cellWidth, picture.height()), QIcon::Normal);
        if (numGlyphs_ >= 2)
            icon.addPixmap(picture.copy(cellWidth, 0, cellWidth, picture.height()), QIcon::Disabled);
        button_->setIconSize(QSize(cellWidth, picture.height()));
    }
    button_->setIcon(icon);
}

QImage TCustomComboEdit::EllipsisGlyph(int buttonWidth) {
    const int width = std::max(1, buttonWidth - 6);
    QImage image(width, 4, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const int gap = std::clamp((width - 6) / 2, 1, 3);
    const int x0 = (width - 6 - 2 * gap) / 2;
    for (const int x : {x0, x0 + gap + 2, x0 + 2 * gap + 4})
        for (int dx = 0; dx < 2; ++dx)
            for (int dy = 1; dy < 3; ++dy)
                if (image.rect().contains(x + dx, dy))
                    image.setPixel(x + dx, dy, qRgb(0, 0, 0));
    return image;
}

void TCustomComboEdit::SetDirectInput(bool value) {
    directInput_ = value;
    ApplyReadOnly();
}

void TCustomComboEdit::SetReadOnly(bool value) {
    if (value == readOnly_)
        return;
    readOnly_ = value;
    ApplyReadOnly();
}

void TCustomComboEdit::ApplyReadOnly() {
    QLineEdit::setReadOnly(!directInput_ || readOnly_);
}

void TCustomComboEdit::SetAlignment(TAlignment value) {
    alignment_ = value;
    setAlignment(value == taRightJustify ? Qt::AlignRight | Qt::AlignVCenter
                 : value == taCenter     ? Qt::AlignHCenter | Qt::AlignVCenter
                                         : Qt::AlignLeft | Qt::AlignVCenter);
}

void TCustomComboEdit::SetEditMask(const QString &mask) {
    editMask_ = mask;
    blank_ = QLatin1Char(' ');
    setInputMask(mask.isEmpty() ? QString() : QtMask(mask, blank_));
}

QString TCustomComboEdit::Text() const {
    if (editMask_.isEmpty())
        return text();
    return displayText().replace(blank_, QLatin1Char(' '));
}

bool TCustomComboEdit::GetPopupVisible() const {
    return popup_ && popup_->isVisible();
}

void TCustomComboEdit::DoClick() {
    EditButtonClick();
}

void TCustomComboEdit::SelectAll() {
    if (directInput_)
        selectAll();
}

void TCustomComboEdit::SetPopup(TPopupWindow *popup) {
    popup_ = popup;
    if (popup_)
        popup_->SetOnCloseUp([this](QObject *sender, bool accept) { PopupCloseUp(sender, accept); });
}

void TCustomComboEdit::EditButtonClick() {
    if (!readOnly_)
        ButtonClick();
}

void TCustomComboEdit::ButtonClick() {
    if (onButtonClick_)
        onButtonClick_(this);
    if (!popup_)
        return;
    if (GetPopupVisible())
        PopupCloseUp(popup_, true);
    else
        PopupDropDown(true);
}

void TCustomComboEdit::Change() {
    DoChange();
}

void TCustomComboEdit::DoChange() {
    if (onChange_)
        onChange_(this);
}

QPoint TCustomComboEdit::PopupPosition(const QPoint &editTopLeft, const QSize &editSize, const QSize &popupSize,
                                       const QSize &screen, TPopupAlign align) {
    int y = editTopLeft.y() + editSize.height();
    if (y + popupSize.height() > screen.height())
        y = editTopLeft.y() - popupSize.height();
    int x;
    if (align == epaRight) {
        x = editTopLeft.x() + editSize.width() - popupSize.width();
        if (x < 0)
            x += popupSize.width() - editSize.width();
    } else {
        x = editTopLeft.x();
        if (x + popupSize.width() > screen.width())
            x += editSize.width() - popupSize.width();
    }
    if (x < 0)
        x = 0;
    else if (x + popupSize.width() > screen.width())
        x = screen.width() - popupSize.width();
    return {x, y};
}

void TCustomComboEdit::PopupDropDown(bool disableEdit) {
    if (!popup_ || readOnly_ || GetPopupVisible())
        return;
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QPoint at = PopupPosition(mapToGlobal(QPoint(0, 0)), size(), popup_->size(),
                                    screen ? screen->geometry().size() : QSize(1 << 20, 1 << 20), popupAlign_);
    const QString current = Text();
    SetPopupValue(current.trimmed().isEmpty() ? QVariant() : QVariant(current));
    setFocus(Qt::OtherFocusReason);
    popup_->Show(at);
    popupVisible_ = true;
    if (disableEdit)
        QLineEdit::setReadOnly(true);
}

void TCustomComboEdit::PopupCloseUp(QObject *, bool accept) {
    if (!popup_ || !GetPopupVisible())
        return;
    QVariant value = GetPopupValue();
    popup_->Hide();
    setFocus(Qt::OtherFocusReason);
    ApplyReadOnly();
    update();
    if (accept && AcceptPopup(value) && EditCanModify()) {
        AcceptValue(value);
        if (hasFocus())
            SelectAll();
    }
    popupVisible_ = false;
}

bool TCustomComboEdit::AcceptPopup(QVariant &) {
    return true;
}

void TCustomComboEdit::AcceptValue(const QVariant &value) {
    if (value.toString() == Text())
        return;
    popupVisible_ = GetPopupVisible();
    setText(value.toString());
    setModified(true);
}

void TCustomComboEdit::SetPopupValue(const QVariant &value) {
    if (popup_)
        popup_->SetValue(value);
}

QVariant TCustomComboEdit::GetPopupValue() const {
    return popup_ ? popup_->GetValue() : QVariant();
}

void TCustomComboEdit::UpdateBtnBounds() {
    const int b = container_->width();
    container_->setGeometry(width() - b - kFrame, kFrame, b, std::max(0, height() - 2 * kFrame));
    button_->setGeometry(0, 0, container_->width(), container_->height());
    // Text never runs under the button.
    setTextMargins(0, 0, container_->isHidden() ? 0 : b + 2, 0);
}

void TCustomComboEdit::resizeEvent(QResizeEvent *event) {
    QLineEdit::resizeEvent(event);
    // The text and its borders always fit: a minimum height, which layouts respect too.
    const int minimum = QFontMetrics(font()).height() + 4 + 1;
    if (minimumHeight() != minimum)
        setMinimumHeight(minimum);
    UpdateBtnBounds();
}

void TCustomComboEdit::keyPressEvent(QKeyEvent *event) {
    if (!clickKey_.isEmpty() && QKeySequence(event->keyCombination()) == clickKey_ && ButtonWidth() > 0) {
        EditButtonClick();
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (GetPopupVisible() && (enter || event->key() == Qt::Key_Escape)) {
        PopupCloseUp(popup_, enter);
        event->accept();
        return;
    }
    // Enter and Escape go on to the form's default and cancel buttons, as the line edit lets them.
    QLineEdit::keyPressEvent(event);
}

void TCustomComboEdit::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && popup_) {
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus())
            return;
        if (GetPopupVisible())
            PopupCloseUp(popup_, false);
    }
    QLineEdit::mousePressEvent(event);
}

void TCustomComboEdit::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    if (GetPopupVisible() && event->reason() != Qt::PopupFocusReason)
        PopupCloseUp(popup_, false);
}

void TCustomComboEdit::changeEvent(QEvent *event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateBtnBounds();
}
