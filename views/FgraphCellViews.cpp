#include "views/Fgraph.h"

#include "chart/ChartlibChart.h"
#include "chartlib/Chartlib.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "views/GraphCellData.h"
#include "views/GraphSources.h"
#include "views/Scalelabel.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QToolTip>

namespace {

// Hands the presses, moves and double clicks on the value table's cells to the window's handlers; the
// table's own handling (selection, scrolling) goes on.
class TCellMouse final : public QObject {
public:
    explicit TCellMouse(TForm_Graphic &window) : QObject(&window), window_(window) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            window_.Table1MouseDown(mouse->button(), mouse->position().toPoint(), mouse->modifiers());
            break;
        }
        case QEvent::MouseMove:
            window_.Table1MouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonDblClick:
            window_.Table1DblClick();
            break;
        default:
            break;
        }
        return false;
    }

private:
    TForm_Graphic &window_;
};

// The echoes, the master characteristics and the selective-mode curves have no cell views.
bool WithoutCellViews(int kind) {
    return kind == 3 || kind == 4 || kind == 18 || kind == 19 || IsSelectiveKind(kind);
}

} // namespace

void TForm_Graphic::SetupCellViews() {
    NTextWin = PopupMenu_Table->addAction(QStringLiteral("Экспорт ячейки в текстовое окно"), this,
                                          &TForm_Graphic::NTextWinClick);
    NTextWin->setObjectName(QStringLiteral("NTextWin"));
    NTimeDiag = PopupMenu_Table->addAction(QStringLiteral("Экспорт ячейки во временную диаграмму"), this,
                                           &TForm_Graphic::NTimeDiagClick);
    NTimeDiag->setObjectName(QStringLiteral("NTimeDiag"));
    Table1->viewport()->installEventFilter(new TCellMouse(*this));
}

int TForm_Graphic::CellToPoint(int column, int row, int32_t &index, int columnsPerPoint, int32_t count) {
    if (row <= 0 || column < 0 || columnsPerPoint <= 0)
        return 0;
    const int32_t point = table_.PointOfCell(column, row);
    if (point < 0 || point >= count)
        return 0;
    index = point;
    return columnsPerPoint == 2 && column % 2 == 1 ? 2 : 1;
}

void TForm_Graphic::Table1MouseDown(Qt::MouseButton button, QPoint position, Qt::KeyboardModifiers shift) {
    LastCell = position;
    const QModelIndex cell = Table1->indexAt(position);
    const int column = cell.isValid() ? cell.column() : -1;
    const int row = cell.isValid() ? cell.row() + 1 : -1;
    if (WithoutCellViews(kind_)) {
        NTextWin->setEnabled(false);
        NTimeDiag->setEnabled(false);
        return;
    }
    const TGraphData data = GetGraphData(kind_);
    int32_t index = 0;
    const int v = CellToPoint(column, row, index, data.ColumnsPerPoint, data.Count);
    const ParamDescriptor *param = FindKindParam();
    NTimeDiag->setEnabled(v > 0 || param);
    NTextWin->setEnabled(v > 0);
    if (v == 0 && button != Qt::LeftButton)
        return;
    const QString name =
        param ? ReplaceAll(QString::fromUtf8(param->Caption), QStringLiteral("\n"), QString()) : windowTitle();
    OpenCellView(column, row, shift, data.UnitText, name, data.ColumnsPerPoint, data.Count, data.X);
}

bool TForm_Graphic::OpenCellView(int column, int row, Qt::KeyboardModifiers shift, const QString &unitText,
                                 QString name, int columnsPerPoint, int32_t count, const float *x) {
    int32_t p = 0;
    if (!x || CellToPoint(column, row, p, columnsPerPoint, count) == 0)
        return false;
    name += QLatin1Char(' ') + FormatValue(x[p]) + unitText;
    // The verdicts of a pair table are kept per point, so the cell's verdict index is the point itself.
    if (shift & Qt::ShiftModifier)
        ShowPointScaleLabel(name, int16_t(p), int16_t(p), int16_t(kind_), int16_t(MaskSlot()));
    if (shift & Qt::ControlModifier)
        BindParamTimeSeries(name, kind_, p, FindKindParam(), false);
    return true;
}

void TForm_Graphic::NTextWinClick() {
    Table1MouseDown(Qt::LeftButton, LastCell, Qt::ShiftModifier);
}

void TForm_Graphic::NTimeDiagClick() {
    Table1MouseDown(Qt::LeftButton, LastCell, Qt::ControlModifier);
}

void TForm_Graphic::Table1DblClick() {
    PopupMenu_Table->popup(QCursor::pos());
}

void TForm_Graphic::Table1MouseMove(QPoint position) {
    const QModelIndex cell = Table1->indexAt(position);
    if (!cell.isValid()) {
        Table1->setToolTip(QString());
        QToolTip::hideText();
        return;
    }
    ShowCellHint(Table1, columnHints_.value(cell.column()), hintRow_, hintColumn_, cell.column(), cell.row() + 1, 0);
}
