#include "views/CursorOnGraph.h"

#include "chart/Chart.h"
#include "chart/ChartlibChartDialogs.h"
#include "chartlib/Chartlib.h"
#include "platform/DateTime.h"

#include <QAction>
#include <QCursor>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <limits>

TCursorBar CursorBar;

namespace {

constexpr int KeyEnter = 13, KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40;

int ImageOf(const QToolButton *button) {
    return button ? button->property("ImageIndex").toInt() : -1;
}

void SetImage(QToolButton *button, int image) {
    if (button)
        button->setProperty("ImageIndex", image);
}

// The cursor the arrow keys move: by the tool buttons' images, or by the cursors' own flags without them.
bool Selected(const TCursorSet &set, int which) {
    if (!CursorBar.Button_Curs1 || !CursorBar.Button_Curs2)
        return set.Cursors[which] && set.Cursors[which]->ActiveCursor;
    return which == 0 ? ImageOf(CursorBar.Button_Curs1) == CursorImage1Selected
                      : ImageOf(CursorBar.Button_Curs2) == CursorImage2Selected;
}

void EnableLabel(QLabel *label, bool enabled) {
    if (!label)
        return;
    label->setEnabled(enabled);
    label->clear();
}

void ResetButtons() {
    for (QToolButton *button : {CursorBar.Button_Curs1.data(), CursorBar.Button_Curs2.data()})
        if (button) {
            button->setEnabled(false);
            button->setMenu(nullptr);
        }
    SetImage(CursorBar.Button_Curs1, CursorImage1);
    SetImage(CursorBar.Button_Curs2, CursorImage2);
    for (QLabel *label : {CursorBar.Label_Curs1.data(), CursorBar.Label_Curs2.data(), CursorBar.Label_DelCurs.data()})
        if (label)
            label->setEnabled(false);
}

void ShowButtonState(const TCursorSet &set, int which) {
    const TCursorOnGraph *cursor = set.Cursors[which];
    if (!cursor)
        return;
    if (which == 0) {
        if (CursorBar.Button_Curs1) {
            CursorBar.Button_Curs1->setEnabled(true);
            CursorBar.Button_Curs1->setMenu(set.CursorMenus[0]);
        }
        SetImage(CursorBar.Button_Curs1, cursor->ActiveCursor ? CursorImage1Selected : CursorImage1);
        EnableLabel(CursorBar.Label_Curs1, true);
        return;
    }
    if (CursorBar.Button_Curs2) {
        CursorBar.Button_Curs2->setEnabled(true);
        CursorBar.Button_Curs2->setMenu(set.CursorMenus[1]);
    }
    SetImage(CursorBar.Button_Curs2, cursor->ActiveCursor ? CursorImage2Selected : CursorImage2);
    SetImage(CursorBar.Button_Curs1, cursor->ActiveCursor ? CursorImage1 : CursorImage1Selected);
    EnableLabel(CursorBar.Label_Curs2, true);
    EnableLabel(CursorBar.Label_DelCurs, true);
}

void Select(TCursorSet &set, int which) {
    set.Cursors[which]->ActiveCursor = 1;
    if (TCursorOnGraph *other = set.Cursors[1 - which])
        other->ActiveCursor = 0;
}

bool ActiveChild(const TCursorSet &set) {
    return !CursorBar.IsActiveChild || CursorBar.IsActiveChild(set.Window);
}

// A time difference: its sign, and hours that go on counting past a day (a playback's time diagram spans
// one).
QString TimeDifferenceText(double days) {
    const qint64 msecs = std::llround(std::abs(days) * 86400000.0);
    const qint64 seconds = msecs / 1000;
    return QStringLiteral("%1%2:%3:%4.%5")
        .arg(days < 0 && msecs > 0 ? QStringLiteral("-") : QString())
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(msecs % 1000, 3, 10, QLatin1Char('0'));
}

QPoint MousePosition(const TChart &chart) {
    return chart.mapFromGlobal(QCursor::pos());
}

} // namespace

TCursorOnGraph::TCursorOnGraph(TChart &chart, int32_t colour, QPoint mouse, bool dateTimeX)
    : Chart(&chart), DateTimeX(dateTimeX) {
    Line = chart.AddSeries(TChartSeries::Style::Line);
    Line->SetShowInLegend(false); // a cross-hair is no data line
    Line->SetActive(false);
    Line->SetXOrdered(false);
    VertAxis = chart.LeftAxis().Visible() ? &chart.LeftAxis() : &chart.RightAxis();
    BottomAxis = &chart.BottomAxis();
    Line->SetVertAxis(*VertAxis);
    Line->SetColor(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    PlaceAtMouse(mouse);
    Line->SetActive(true);
}

TCursorOnGraph::~TCursorOnGraph() {
    Chart->RemoveSeries(Line);
}

void TCursorOnGraph::PlaceAtMouse(QPoint mouse) {
    const QRect plot = Chart->ChartRect();
    Pxs_x = mouse.x() < plot.left() || mouse.x() > plot.right() ? plot.left() : mouse.x();
    Pxs_y = mouse.y() > plot.bottom() || mouse.y() < plot.top() ? plot.bottom() : mouse.y();
    UpdateCursorFromPixels();
}

void TCursorOnGraph::DrawCursor() {
    Line->Clear();
    Line->AddXY(Ps_x, VertAxis->Minimum());
    Line->AddXY(Ps_x, Ps_y);
    Line->AddXY(Ps_x, VertAxis->Maximum());
    Line->AddNull(Ps_x);
    Line->AddXY(BottomAxis->Minimum(), Ps_y);
    Line->AddXY(Ps_x, Ps_y);
    Line->AddXY(BottomAxis->Maximum(), Ps_y);
}

// Y of the series point nearer to X; the left one at the midpoint. Unchanged outside the series and at a
// gap.
void TCursorOnGraph::FollowSeries() {
    for (int i = 1; i < BindSeries->Count(); ++i) {
        const double left = BindSeries->XValue(i - 1), right = BindSeries->XValue(i);
        if (!(left <= Ps_x && Ps_x <= right))
            continue;
        const double y = (left + right) / 2 >= Ps_x ? BindSeries->YValue(i - 1) : BindSeries->YValue(i);
        if (std::isfinite(y))
            Ps_y = y;
        return;
    }
}

void TCursorOnGraph::UpdateCursorFromPixels() {
    Ps_x = BottomAxis->CalcPosPoint(Pxs_x);
    if (BindToSeries && BindSeries) {
        FollowSeries();
        Pxs_y = VertAxis->CalcPosValue(Ps_y);
    } else {
        Ps_y = VertAxis->CalcPosPoint(Pxs_y);
    }
    DrawCursor();
}

void TCursorOnGraph::UpdateCursorFromValues() {
    if (BindToSeries && BindSeries)
        FollowSeries();
    Pxs_x = BottomAxis->CalcPosValue(Ps_x);
    Pxs_y = VertAxis->CalcPosValue(Ps_y);
    DrawCursor();
}

void TCursorOnGraph::MoveCursorByKey(int key, Qt::KeyboardModifiers shift, double xMin, double xMax, double yMin,
                                     double yMax, double rightMin, double rightMax) {
    Pxs_x = BottomAxis->CalcPosValue(Ps_x);
    Pxs_y = VertAxis->CalcPosValue(Ps_y);
    const int step = shift.testFlag(Qt::ShiftModifier) ? 10 : shift.testFlag(Qt::ControlModifier) ? 30 : 1;
    if (key == KeyLeft)
        Pxs_x -= step;
    else if (key == KeyRight)
        Pxs_x += step;
    else if (key == KeyUp)
        Pxs_y -= step;
    else if (key == KeyDown)
        Pxs_y += step;
    // A cursor pushed beyond a limit stops on it: on its pixel, and exactly on its value.
    double xLimit = NAN, yLimit = NAN;
    const double x = BottomAxis->CalcPosPoint(Pxs_x);
    if (x > xMax)
        xLimit = xMax;
    else if (x < xMin)
        xLimit = xMin;
    if (!std::isnan(xLimit))
        Pxs_x = BottomAxis->CalcPosValue(xLimit);
    const bool left = VertAxis == &Chart->LeftAxis();
    const double lower = left ? yMin : rightMin, upper = left ? yMax : rightMax;
    const double y = VertAxis->CalcPosPoint(Pxs_y);
    if (y > upper)
        yLimit = upper;
    else if (y < lower)
        yLimit = lower;
    if (!std::isnan(yLimit))
        Pxs_y = VertAxis->CalcPosValue(yLimit);
    UpdateCursorFromPixels();
    if (!std::isnan(xLimit))
        Ps_x = xLimit;
    if (!std::isnan(yLimit) && !(BindToSeries && BindSeries))
        Ps_y = yLimit;
    DrawCursor();
}

bool TCursorSet::IsCursorLine(const TChartSeries *series) const {
    for (const TCursorOnGraph *cursor : Cursors)
        if (cursor && cursor->Line == series)
            return true;
    return false;
}

std::vector<TChartSeries *> DataSeries(const TCursorSet &set) {
    std::vector<TChartSeries *> result;
    for (int i = 0; i < set.Chart->SeriesCount(); ++i)
        if (TChartSeries *series = set.Chart->Series(i); !set.IsCursorLine(series))
            result.push_back(series);
    return result;
}

TCursorSet::~TCursorSet() {
    RemoveCursors(*this);
}

void RemoveCursors(TCursorSet &set) {
    for (TCursorOnGraph *&cursor : set.Cursors) {
        delete cursor;
        cursor = nullptr;
    }
    for (QMenu *&menu : set.CursorMenus) {
        delete menu;
        menu = nullptr;
    }
}

void CursorKey(TCursorSet &set, int key, Qt::KeyboardModifiers shift, const TCursorLimits &limits) {
    TCursorOnGraph *&first = set.Cursors[0];
    TCursorOnGraph *&second = set.Cursors[1];
    const auto move = [&](TCursorOnGraph *cursor) {
        cursor->MoveCursorByKey(key, shift, limits.XMin, limits.XMax, limits.YMin, limits.YMax, limits.RightMin,
                                limits.RightMax);
    };
    if (key == KeyEnter) {
        if (!first) {
            first = new TCursorOnGraph(*set.Chart, set.Colours[0], MousePosition(*set.Chart), set.DateTimeX);
            BuildCursorMenu(set, 0);
            Select(set, 0);
            ShowButtonState(set, 0);
        } else if (second) {
            DetachCursorMenus(set);
            RemoveCursors(set);
        } else {
            second = new TCursorOnGraph(*set.Chart, set.Colours[1], MousePosition(*set.Chart), set.DateTimeX);
            BuildCursorMenu(set, 1);
            Select(set, 1);
            ShowButtonState(set, 0);
            ShowButtonState(set, 1);
        }
    } else if (key >= KeyLeft && key <= KeyDown) {
        const bool firstSelected = Selected(set, 0);
        const bool secondSelected = Selected(set, 1);
        if (firstSelected && first) {
            move(first);
            Select(set, 0);
            if (second && second->BindToCursor1)
                move(second);
        }
        if (secondSelected && second) {
            move(second);
            Select(set, 1);
        }
    }
    if (ActiveChild(set))
        ShowCursorReadouts(set);
}

QString CursorReadout(const TCursorOnGraph &cursor) {
    const QString x = cursor.DateTimeX ? QStringLiteral("X = ") +
                                             DateTimeToQDateTime(cursor.Ps_x).toString(QStringLiteral("hh:mm:ss.zzz"))
                                       : QStringLiteral("X = ") + FormatValue(cursor.Ps_x);
    return x + QStringLiteral("\nY = ") + FormatValue(cursor.Ps_y);
}

QString CursorDifference(const TCursorOnGraph &first, const TCursorOnGraph &second) {
    const double dx = second.Ps_x - first.Ps_x;
    const QString x =
        first.DateTimeX ? QStringLiteral("DX = ") + TimeDifferenceText(dx) : QStringLiteral("DX = ") + FormatValue(dx);
    return x + QStringLiteral("\nDY = ") + FormatValue(second.Ps_y - first.Ps_y);
}

void ShowCursorReadouts(const TCursorSet &set) {
    const TCursorOnGraph *first = set.Cursors[0];
    const TCursorOnGraph *second = set.Cursors[1];
    if (CursorBar.Label_Curs1)
        CursorBar.Label_Curs1->setText(first ? CursorReadout(*first) : QString());
    if (CursorBar.Label_Curs2)
        CursorBar.Label_Curs2->setText(second ? CursorReadout(*second) : QString());
    if (CursorBar.Label_DelCurs)
        CursorBar.Label_DelCurs->setText(
            first && second && first->VertAxis == second->VertAxis ? CursorDifference(*first, *second) : QString());
}

void RefreshCursors(TCursorSet &set) {
    for (TCursorOnGraph *cursor : set.Cursors)
        if (cursor)
            cursor->UpdateCursorFromValues();
    if (ActiveChild(set))
        ShowCursorReadouts(set);
}

void ActivateCursors(TCursorSet &set) {
    ResetButtons();
    ShowButtonState(set, 0);
    ShowButtonState(set, 1);
    ShowCursorReadouts(set);
}

void RememberActiveCursor(TCursorSet &set) {
    if (!CursorBar.Button_Curs1 || !CursorBar.Button_Curs2)
        return;
    if (ImageOf(CursorBar.Button_Curs1) == CursorImage1Selected && set.Cursors[0])
        Select(set, 0);
    if (ImageOf(CursorBar.Button_Curs2) == CursorImage2Selected && set.Cursors[1])
        Select(set, 1);
}

void DetachCursorMenus(TCursorSet &set) {
    ResetButtons();
    for (QMenu *&menu : set.CursorMenus) {
        delete menu;
        menu = nullptr;
    }
}

void BuildCursorMenu(TCursorSet &set, int which) {
    if (set.CursorMenus[which])
        return;
    auto *menu = new QMenu(set.Window);
    menu->setObjectName(which == 0 ? QStringLiteral("CursorMenu1") : QStringLiteral("CursorMenu2"));
    const auto add = [&](const QString &caption, int tag) {
        QAction *item = caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption);
        item->setProperty("Tag", tag);
        item->setCheckable(tag >= TagAxisY);
        QObject::connect(item, &QAction::triggered, menu, [&set, item] { CursorMenuClick(set, item); });
        return item;
    };
    add(QStringLiteral("Цвет курсора"), TagColour);
    add(QStringLiteral("-"), 0);
    if (set.Chart->LeftAxis().Visible())
        add(QStringLiteral("Ось Y"), TagAxisY)->setChecked(true);
    add(QStringLiteral("-"), 0);
    int tag = TagFirstSeries;
    for (const TChartSeries *series : DataSeries(set))
        add(series->Title(), tag++);
    if (which == 1)
        add(QStringLiteral("Окно Х"), TagWindowX);
    else
        add(QStringLiteral("Отсчет Х"), TagSampleX);
    set.CursorMenus[which] = menu;
    if (QToolButton *button = which == 0 ? CursorBar.Button_Curs1 : CursorBar.Button_Curs2)
        button->setMenu(menu);
}

void CursorMenuClick(TCursorSet &set, QAction *item) {
    const int which = item->parent() == set.CursorMenus[0] ? 0 : 1;
    QMenu *menu = set.CursorMenus[which];
    TCursorOnGraph *cursor = set.Cursors[which];
    const int tag = item->property("Tag").toInt();
    if (tag == TagColour && cursor) {
        const QColor colour = AskColor(set.Window, cursor->Line->Color());
        if (colour.isValid()) {
            cursor->Line->SetColor(colour);
            set.Colours[which] = colour.red() | (colour.green() << 8) | (colour.blue() << 16);
        }
    } else if (tag > TagColour && menu) {
        if (tag != TagWindowX && tag != TagSampleX) {
            for (QAction *other : menu->actions()) {
                const int otherTag = other->property("Tag").toInt();
                if (other != item && otherTag != TagWindowX && otherTag != TagSampleX)
                    other->setChecked(false);
            }
            item->setChecked(true);
        }
        if (cursor) {
            if (tag < TagWindowX) {
                cursor->BindToSeries = 0;
                if (tag == TagAxisY) {
                    cursor->VertAxis = &set.Chart->LeftAxis();
                    cursor->Line->SetVertAxis(*cursor->VertAxis);
                }
            }
            if (tag >= TagFirstSeries && tag < TagWindowX) {
                const std::vector<TChartSeries *> series = DataSeries(set);
                if (std::size_t(tag - TagFirstSeries) < series.size()) {
                    cursor->BindToSeries = 1;
                    cursor->BindSeries = series[std::size_t(tag - TagFirstSeries)];
                    cursor->VertAxis = &cursor->BindSeries->VertAxis();
                    cursor->Line->SetVertAxis(*cursor->VertAxis);
                }
            }
            if (tag == TagWindowX && which == 1) {
                cursor->BindToCursor1 = item->isChecked() ? 1 : 0;
                if (!set.Cursors[0]) {
                    item->setChecked(false);
                    cursor->BindToCursor1 = 0;
                }
                if (cursor->BindToCursor1)
                    cursor->BindCursor_delta = set.Cursors[0]->Ps_x - cursor->Ps_x;
            }
            if (tag == TagSampleX && which == 0)
                cursor->BindCursorToX = item->isChecked() ? 1 : 0;
            cursor->UpdateCursorFromValues();
            cursor->UpdateCursorFromPixels();
            ShowCursorReadouts(set);
        }
    }
    set.Chart->Repaint();
}

void CheckPopupItem(QMenu *menu, int tag, bool checked) {
    if (!menu)
        return;
    for (QAction *item : menu->actions())
        if (item->property("Tag").toInt() == tag) {
            item->setChecked(checked);
            return;
        }
}

void BindCursorToSeriesTitle(TCursorSet &set, int which, const QString &title) {
    TCursorOnGraph *cursor = set.Cursors[which];
    if (!cursor || title.isEmpty())
        return;
    int tag = TagFirstSeries;
    for (TChartSeries *series : DataSeries(set)) {
        const bool chosen = series->Title() == title;
        CheckPopupItem(set.CursorMenus[which], tag++, chosen);
        if (!chosen)
            continue;
        cursor->BindSeries = series;
        cursor->VertAxis = &series->VertAxis();
        cursor->Line->SetVertAxis(*cursor->VertAxis);
        CheckPopupItem(set.CursorMenus[which], TagAxisY, false);
    }
}

void ShowCursorSelection(const TCursorSet &set) {
    if (set.Cursors[1] && set.Cursors[1]->ActiveCursor) {
        SetImage(CursorBar.Button_Curs2, CursorImage2Selected);
        SetImage(CursorBar.Button_Curs1, CursorImage1);
    } else if (set.Cursors[0] && set.Cursors[0]->ActiveCursor) {
        SetImage(CursorBar.Button_Curs1, CursorImage1Selected);
        SetImage(CursorBar.Button_Curs2, CursorImage2);
    }
}

void SetBoundCursorX(TCursorSet &set, double x) {
    if (set.Cursors[0] && set.Cursors[0]->BindCursorToX) {
        set.Cursors[0]->Ps_x = x;
        RefreshCursors(set);
    }
}

int CursorVirtualKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    case Qt::Key_Left:
        return KeyLeft;
    case Qt::Key_Up:
        return KeyUp;
    case Qt::Key_Right:
        return KeyRight;
    case Qt::Key_Down:
        return KeyDown;
    default:
        return 0;
    }
}
