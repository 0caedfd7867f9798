#include "controls/PickDate.h"

#include "controls/LibraryErrors.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace {

const char *const kNavigationHints[4] = {"Previous Year", "Previous Month", "Next Month", "Next Year"};

// 1 Sunday ... 7 Saturday.
int WeekdayNumber(TDateTime date) {
    return DateTimeToQDateTime(date).date().dayOfWeek() % 7 + 1;
}

double ScreenScale(const QWidget *widget) {
    const int dpi = widget->logicalDpiX();
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

TRxTimerSpeedButton *NavigationButton(TNavigation which, QWidget *parent) {
    auto *button = new TRxTimerSpeedButton(parent);
    button->setIcon(QIcon(QPixmap::fromImage(NavigationBitmap(which))));
    button->setIconSize(QSize(8, 6));
    button->setToolTip(QString::fromLatin1(kNavigationHints[which]));
    return button;
}

void ApplyHints(TRxTimerSpeedButton *const buttons[4], const QStringList &hints) {
    for (int i = 0; i < std::min<qsizetype>(hints.size(), 4); ++i)
        if (!hints[i].isEmpty())
            buttons[i]->setToolTip(hints[i]);
}

QString TitleText(TDateTime date) {
    return FormatDateFmt(QStringLiteral("MMMM, YYYY"), date);
}

// A value handed over by an edit: a date, or a date's text; anything unreadable is today.
TDateTime VariantToDate(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return Today();
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int)
        return ValidDate(value.toDouble()) ? value.toDouble() : Today();
    QString text = value.toString();
    text.remove(DateLocale().dateSeparator);
    if (text.trimmed().isEmpty())
        return Today();
    const TDateTime date = StrToDateFmtDef(DefDateFormat(true), value.toString(), NullDate);
    return date == NullDate ? Today() : date;
}

} // namespace

TRxCalendar::TRxCalendar(QWidget *parent) : QTableWidget(7, 7, parent), date_(Today()) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // All seven rows always show, however small: the grid never scrolls, and names are never elided.
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    setAutoScroll(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 7; ++column) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            setItem(row, column, item);
        }
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column) { CellChosen(row, column); });
    LayoutMonth(false);
}

int TRxCalendar::Year() const {
    return ExtractYear(date_);
}
int TRxCalendar::Month() const {
    return ExtractMonth(date_);
}
int TRxCalendar::Day() const {
    return ExtractDay(date_);
}

void TRxCalendar::SetCalendarDate(TDateTime value) {
    if (value == date_)
        return;
    date_ = value;
    RefreshCalendar();
    DoCalendarChange();
}

void TRxCalendar::SetReadOnly(bool value) {
    readOnly_ = value;
    LayoutMonth(false);
}

void TRxCalendar::SetStartOfWeek(TDayOfWeekName value) {
    if (value == startOfWeek_)
        return;
    startOfWeek_ = value;
    RefreshCalendar();
}

void TRxCalendar::SetUseCurrentDate(bool value) {
    if (value == useCurrentDate_)
        return;
    useCurrentDate_ = value;
    if (value) {
        date_ = Today();
        RefreshCalendar();
    }
}

void TRxCalendar::SetWeekendColor(TColor value) {
    if (value == weekendColor_)
        return;
    weekendColor_ = value;
    LayoutMonth(false);
}

void TRxCalendar::SetWeekends(TDaysOfWeek value) {
    if (value == weekends_)
        return;
    weekends_ = value;
    RefreshCalendar();
}

int TRxCalendar::MonthLength() const {
    return DaysPerMonth(Year(), Month());
}

QString TRxCalendar::DayCellText(int column, int row) const {
    if (row == 0)
        return DateLocale().shortDayNames.value((column + startOfWeek_) % 7);
    const int day = monthOffset_ + column + (row - 1) * 7;
    if (day < 1 || day > MonthLength())
        return {};
    return QString::number(day);
}

bool TRxCalendar::IsWeekendColumn(int column) const {
    return weekends_ & DayBit(static_cast<TDayOfWeekName>((column + startOfWeek_) % 7));
}

void TRxCalendar::LayoutMonth(bool dayOnly) {
    updating_ = true;
    const TDateTime first = EncodeDate(Year(), Month(), 1);
    monthOffset_ = 2 - (WeekdayNumber(first) - startOfWeek_ + 7) % 7;
    if (monthOffset_ == 2)
        monthOffset_ = -5; // the month starts in the last column of week row 1
    const QColor weekend = ColorToQColor(weekendColor_);
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 7; ++column) {
            QTableWidgetItem *cell = item(row, column);
            const QString text = DayCellText(column, row);
            cell->setText(text);
            const bool day = row > 0 && !text.isEmpty();
            cell->setFlags(day && !readOnly_ ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled);
            cell->setForeground(IsWeekendColumn(column) ? QBrush(weekend) : palette().brush(QPalette::Text));
        }
    const int index = Day() - monthOffset_;
    setCurrentCell(index / 7 + 1, index % 7, QItemSelectionModel::ClearAndSelect);
    if (readOnly_)
        selectionModel()->select(currentIndex(), QItemSelectionModel::Select); // code still shows its date
    scrollToTop();
    if (dayOnly)
        viewport()->repaint();
    else
        viewport()->update();
    updating_ = false;
}

void TRxCalendar::CellChosen(int row, int column) {
    if (updating_)
        return;
    const QString text = row > 0 ? DayCellText(column, row) : QString();
    if (text.isEmpty() || readOnly_) {
        LayoutMonth(true); // back to the date's own cell
        return;
    }
    SetDay(text.toInt());
}

void TRxCalendar::SetDatePart(int index, int value) {
    if (value < 1)
        return;
    int year = Year(), month = Month(), day = Day();
    switch (index) {
    case 1:
        if (value == year)
            return;
        year = value;
        break;
    case 2:
        if (value == month || value > 12)
            return;
        month = value;
        day = std::min(day, DaysPerMonth(year, month));
        break;
    case 3:
        if (value == day || value > MonthLength())
            return;
        day = value;
        break;
    default:
        return;
    }
    TDateTime encoded = 0;
    if (!TryEncodeDate(year, month, day, encoded))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    date_ = encoded + (date_ - std::trunc(date_));
    useCurrentDate_ = false;
    LayoutMonth(index == 3);
    DoCalendarChange();
}

void TRxCalendar::ShiftMonth(int delta) {
    const int day = Day();
    TDateTime edge = delta > 0 ? EncodeDate(Year(), Month(), MonthLength()) : EncodeDate(Year(), Month(), 1);
    edge += delta;
    int year = 0, month = 0, unused = 0;
    DecodeDate(edge, year, month, unused);
    SetCalendarDate(EncodeDate(year, month, std::min(day, DaysPerMonth(year, month))));
}

void TRxCalendar::GoPrevYear() {
    if (Month() == 2 && Day() == 29)
        SetDay(28);
    SetYear(Year() - 1);
}

void TRxCalendar::GoNextYear() {
    if (Month() == 2 && Day() == 29)
        SetDay(28);
    SetYear(Year() + 1);
}

void TRxCalendar::DoCalendarChange() {
    if (onChange_)
        onChange_(this);
}

void TRxCalendar::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier) {
        const int key = event->key();
        if (key == Qt::Key_Left || key == Qt::Key_Minus) {
            if (Day() > 1)
                SetDay(Day() - 1);
            else
                SetCalendarDate(date_ - 1);
            return;
        }
        if (key == Qt::Key_Right || key == Qt::Key_Plus) {
            if (Day() < MonthLength())
                SetDay(Day() + 1);
            else
                SetCalendarDate(date_ + 1);
            return;
        }
        if (key == Qt::Key_T) {
            KeyPress(QLatin1Char('t'));
            return;
        }
    }
    QTableWidget::keyPressEvent(event);
}

void TRxCalendar::KeyPress(QChar key) {
    if (key == QLatin1Char('T') || key == QLatin1Char('t'))
        SetCalendarDate(Today());
}

void TRxCalendar::mousePressEvent(QMouseEvent *event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    // Blank cells and the names row take no clicks.
    if (!index.isValid() || index.row() == 0 || DayCellText(index.column(), index.row()).isEmpty() || readOnly_) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void TRxCalendar::mouseDoubleClickEvent(QMouseEvent *event) {
    QTableWidget::mouseDoubleClickEvent(event);
    if (onDblClick_)
        onDblClick_(this);
}

void TRxCalendar::resizeEvent(QResizeEvent *event) {
    QTableWidget::resizeEvent(event);
    const int lines = showGrid() ? 6 * 1 : 0;
    const QSize client = viewport()->size();
    for (int i = 0; i < 7; ++i) {
        setColumnWidth(i, (client.width() - lines) / 7);
        setRowHeight(i, (client.height() - 6) / 7);
    }
}

TLocCalendar::TLocCalendar(QWidget *parent) : TRxCalendar(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::NoFrame);
    setShowGrid(false);
    setAutoFillBackground(false);
    SetUseCurrentDate(false);
    SetCalendarDate(Today());
}

void TLocCalendar::paintEvent(QPaintEvent *event) {
    TRxCalendar::paintEvent(event);
    int year = 0, month = 0, day = 0;
    DecodeDate(Today(), year, month, day);
    if (year != Year() || month != Month())
        return;
    const int index = day - MonthOffset();
    const QRect cell = visualRect(model()->index(index / 7 + 1, index % 7));
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(cell.topLeft(), cell.topRight());
    painter.drawLine(cell.topLeft(), cell.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(cell.bottomLeft(), cell.bottomRight());
    painter.drawLine(cell.topRight(), cell.bottomRight());
}

TRxTimerSpeedButton::TRxTimerSpeedButton(QWidget *parent) : QToolButton(parent) {
    setAutoRepeat(true);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
}

QImage NavigationBitmap(TNavigation which) {
    QImage image(8, 6, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const bool left = which == PrevYear || which == PrevMonth;
    const int count = which == PrevYear || which == NextYear ? 2 : 1;
    // Each triangle 3 pixels wide and 5 high, pointing left or right, side by side from the centre.
    for (int t = 0; t < count; ++t) {
        const int x0 = count == 1 ? 2 : 1 + t * 3;
        for (int column = 0; column < 3; ++column) {
            const int reach = left ? column : 2 - column;
            for (int y = 2 - reach; y <= 2 + reach; ++y)
                image.setPixel(x0 + column, y, qRgb(0, 0, 0));
        }
    }
    return image;
}

TPopupCalendar::TPopupCalendar(QWidget *editor) : TPopupWindow(editor) {
    const double scale = ScreenScale(editor ? editor : this);
    resize(static_cast<int>(std::max(PopupCalendarSize.width(), 180) * scale),
           static_cast<int>(std::max(PopupCalendarSize.height(), 120) * scale));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    auto *back = new QVBoxLayout(this);
    back->setContentsMargins(2, 2, 2, 2);
    back->setSpacing(0);
    auto *titlePanel = new QWidget(this);
    titlePanel->setFixedHeight(18);
    titlePanel->resize(width() - 4, 18);
    back->addWidget(titlePanel);
    const int panelWidth = titlePanel->width();
    buttons_[PrevYear] = NavigationButton(PrevYear, titlePanel);
    buttons_[PrevYear]->setGeometry(-1, -1, 14, 14);
    buttons_[PrevMonth] = NavigationButton(PrevMonth, titlePanel);
    buttons_[PrevMonth]->setGeometry(12, -1, 14, 14);
    title_ = new QLabel(titlePanel);
    title_->setGeometry(29, 1, panelWidth - 58, 14);
    title_->setAlignment(Qt::AlignCenter);
    title_->installEventFilter(this);
    buttons_[NextMonth] = NavigationButton(NextMonth, titlePanel);
    buttons_[NextMonth]->setGeometry(panelWidth - 26, -1, 14, 14);
    buttons_[NextYear] = NavigationButton(NextYear, titlePanel);
    buttons_[NextYear]->setGeometry(panelWidth - 13, -1, 14, 14);
    calendar_ = new TLocCalendar(this);
    back->addWidget(calendar_);
    calendar_->viewport()->installEventFilter(this);
    calendar_->SetOnChange([this](QObject *) { RefreshTitle(); });
    connect(buttons_[PrevYear], &QToolButton::clicked, this, [this] { calendar_->GoPrevYear(); });
    connect(buttons_[PrevMonth], &QToolButton::clicked, this, [this] { calendar_->GoPrevMonth(); });
    connect(buttons_[NextMonth], &QToolButton::clicked, this, [this] { calendar_->GoNextMonth(); });
    connect(buttons_[NextYear], &QToolButton::clicked, this, [this] { calendar_->GoNextYear(); });
    RefreshTitle();
}

QVariant TPopupCalendar::GetValue() const {
    return calendar_->CalendarDate();
}

void TPopupCalendar::SetValue(const QVariant &value) {
    calendar_->SetCalendarDate(VariantToDate(value));
    RefreshTitle();
}

void TPopupCalendar::RefreshTitle() {
    title_->setText(TitleText(calendar_->CalendarDate()));
}

void TPopupCalendar::PopupKeyDown(QKeyEvent *event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->key() == Qt::Key_PageUp)
        ctrl ? calendar_->GoPrevYear() : calendar_->GoPrevMonth();
    else if (event->key() == Qt::Key_PageDown)
        ctrl ? calendar_->GoNextYear() : calendar_->GoNextMonth();
    else
        calendar_->KeyDown(event);
}

void TPopupCalendar::PopupKeyPress(QChar key) {
    if (!key.isNull())
        calendar_->KeyPress(key);
}

bool TPopupCalendar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == title_ && event->type() == QEvent::MouseButtonDblClick) {
        calendar_->SetCalendarDate(Today());
        return true;
    }
    if (watched == calendar_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex index = calendar_->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier && index.isValid() &&
            index.row() > 0 && !calendar_->DayCellText(index.column(), index.row()).isEmpty())
            CloseUp(true);
        return true; // the calendar's release is not the popup's own
    }
    return TPopupWindow::eventFilter(watched, event);
}

TSelectDateDlg::TSelectDateDlg(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Select a Date"));
    setWindowFlags(Qt::Tool | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(222, 154);
    auto *top = new QFrame(this);
    top->setGeometry(0, 0, 222, 22);
    top->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TitleLabel = new QLabel(top);
    TitleLabel->setGeometry(35, 4, 152, 14);
    TitleLabel->setAlignment(Qt::AlignCenter);
    QFont bold = TitleLabel->font();
    bold.setBold(true);
    TitleLabel->setFont(bold);
    QPalette bluePalette = TitleLabel->palette();
    bluePalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    TitleLabel->setPalette(bluePalette);
    TitleLabel->installEventFilter(this);
    const int x[4] = {3, 18, 188, 203};
    for (int i = 0; i < 4; ++i) {
        Buttons[i] = NavigationButton(static_cast<TNavigation>(i), top);
        Buttons[i]->setGeometry(x[i], 3, 16, 16);
    }
    auto *client = new QFrame(this);
    client->setGeometry(0, 22, 222, 111);
    client->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Calendar = new TRxCalendar(client);
    Calendar->setGeometry(2, 2, 218, 107);
    Calendar->SetUseCurrentDate(false);
    Calendar->SetOnChange([this](QObject *) { CalendarChange(); });
    Calendar->SetOnDblClick([this](QObject *) { CalendarDblClick(); });
    Calendar->installEventFilter(this);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(0, 133, 112, 21);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(111, 133, 111, 21);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Buttons[PrevYear], &QToolButton::clicked, this, [this] { PrevYearBtnClick(); });
    connect(Buttons[PrevMonth], &QToolButton::clicked, this, [this] { PrevMonthBtnClick(); });
    connect(Buttons[NextMonth], &QToolButton::clicked, this, [this] { NextMonthBtnClick(); });
    connect(Buttons[NextYear], &QToolButton::clicked, this, [this] { NextYearBtnClick(); });
    Calendar->SetCalendarDate(Today());
    CalendarChange();
    Calendar->setFocus();
}

void TSelectDateDlg::CalendarChange() {
    TitleLabel->setText(TitleText(Calendar->CalendarDate()));
}

void TSelectDateDlg::FormKeyDown(QKeyEvent *event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: accept(); break;
    case Qt::Key_Escape: reject(); break;
    case Qt::Key_PageUp: ctrl ? Calendar->GoPrevYear() : Calendar->GoPrevMonth(); break;
    case Qt::Key_PageDown: ctrl ? Calendar->GoNextYear() : Calendar->GoNextMonth(); break;
    case Qt::Key_Tab: Calendar->GoNextMonth(); break;
    case Qt::Key_Backtab: Calendar->GoPrevMonth(); break;
    default: return;
    }
    TitleLabel->repaint();
}

bool TSelectDateDlg::eventFilter(QObject *watched, QEvent *event) {
    if (watched == TitleLabel && event->type() == QEvent::MouseButtonDblClick) {
        TopPanelDblClick();
        return true;
    }
    // The form sees the calendar's keys first.
    if (watched == Calendar && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        FormKeyDown(key);
        return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    }
    return QDialog::eventFilter(watched, event);
}

TPopupCalendar *CreatePopupCalendar(QWidget *owner) {
    return new TPopupCalendar(owner);
}

void SetupPopupCalendar(TPopupWindow *popup, TDayOfWeekName startOfWeek, TDaysOfWeek weekends, TColor weekendColor,
                        const QStringList &hints, bool) {
    auto *calendarPopup = qobject_cast<TPopupCalendar *>(popup);
    if (!calendarPopup)
        return;
    TRxCalendar *calendar = calendarPopup->Calendar();
    calendar->SetStartOfWeek(startOfWeek);
    calendar->SetWeekendColor(weekendColor);
    calendar->SetWeekends(weekends);
    TRxTimerSpeedButton *buttons[4];
    for (int i = 0; i < 4; ++i)
        buttons[i] = calendarPopup->Button(static_cast<TNavigation>(i));
    ApplyHints(buttons, hints);
}

std::unique_ptr<TSelectDateDlg> CreateDateDialog(const QString &caption) {
    auto dialog = std::make_unique<TSelectDateDlg>();
    if (!caption.isEmpty())
        dialog->setWindowTitle(caption);
    const double scale = ScreenScale(dialog.get());
    if (scale != 1.0) {
        dialog->resize(static_cast<int>(dialog->width() * scale), static_cast<int>(dialog->height() * scale));
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            dialog->move(screen->geometry().width() / 2 - dialog->width() / 2,
                         screen->geometry().height() / 2 - dialog->height() / 2);
    }
    return dialog;
}

void SetDialogDate(TSelectDateDlg &dialog, TDateTime date) {
    dialog.Calendar->SetCalendarDate(date == NullDate || !ValidDate(date) ? Today() : date);
    dialog.CalendarChange();
}

TDateTime DialogDate(const TSelectDateDlg &dialog) {
    return dialog.Calendar->CalendarDate();
}

bool SelectDate(TDateTime &date, const QString &caption, TDayOfWeekName startOfWeek, TDaysOfWeek weekends,
                TColor weekendColor, const QStringList &hints) {
    const std::unique_ptr<TSelectDateDlg> dialog = CreateDateDialog(caption);
    SetDialogDate(*dialog, date);
    dialog->Calendar->SetStartOfWeek(startOfWeek);
    dialog->Calendar->SetWeekends(weekends);
    dialog->Calendar->SetWeekendColor(weekendColor);
    ApplyHints(dialog->Buttons, hints);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    date = DialogDate(*dialog);
    return true;
}

bool SelectDateStr(QString &text, const QString &caption, TDayOfWeekName startOfWeek, TDaysOfWeek weekends,
                   TColor weekendColor, const QStringList &hints) {
    const QString format = DefDateFormat(FourDigitYear());
    TDateTime date = StrToDateFmtDef(format, text, Today());
    if (date == NullDate)
        date = Today();
    if (!SelectDate(date, caption, startOfWeek, weekends, weekendColor, hints))
        return false;
    text = FormatDateFmt(format, date);
    return true;
}

QPoint PopupDatePosition(const QPoint &editOrigin, const QSize &editSize, const QSize &dialogSize,
                         const QSize &screen) {
    int top = editOrigin.y() + editSize.height() - 1;
    if (top + dialogSize.height() > screen.height())
        top = editOrigin.y() - dialogSize.height() + 1;
    if (top < 0)
        top = editOrigin.y() + editSize.height() - 1;
    int left = editOrigin.x() + editSize.width() - dialogSize.width();
    if (left < 0)
        left = editOrigin.x();
    return {left, top};
}

bool PopupDate(TDateTime &date, QWidget *edit) {
    const std::unique_ptr<TSelectDateDlg> dialog = CreateDateDialog(QString());
    const QScreen *screen = edit->screen() ? edit->screen() : QGuiApplication::primaryScreen();
    dialog->move(PopupDatePosition(edit->mapToGlobal(QPoint(0, 0)), edit->size(), dialog->size(),
                                   screen ? screen->geometry().size() : QSize(1 << 20, 1 << 20)));
    SetDialogDate(*dialog, date);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    date = DialogDate(*dialog);
    return true;
}
