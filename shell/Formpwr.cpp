#include "shell/Formpwr.h"

#include "controls/FormHelpers.h"
#include "link/Ft_spi.h"
#include "shell/MaximizeFit.h"
#include "shell/PowerRows.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int StateColumn = 3;

struct PowerColumn {
    const char *caption;
    int width;
};
constexpr PowerColumn PowerColumns[] = {{"Наименование", 250}, {"Значение", 100}, {"Допуск", 100}, {"Состояние", 200}};

// The state cells: red behind "Ненорма", white behind every other state, the text at the left edge plus
// the width of "|" and centred vertically.
class StateCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        if (index.column() != StateColumn || index.row() < 1) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QString text = index.data().toString();
        const QRect cell = option.rect.adjusted(1, 1, -1, -1);
        const bool outOfNorm = text == QString::fromUtf16(OutOfNormText);
        painter->save();
        painter->fillRect(cell, outOfNorm ? QColor(Qt::red) : QColor(Qt::white));
        if (!outOfNorm)
            painter->setPen(Qt::black);
        const QFontMetrics metrics(option.font);
        const int textHeight = metrics.boundingRect(QStringLiteral("|") + text).height();
        const QPoint origin(cell.left() + metrics.horizontalAdvance(QLatin1Char('|')),
                            cell.top() + (cell.height() - textHeight) / 2);
        painter->drawText(QRect(origin, QSize(cell.right() - origin.x(), textHeight)), Qt::AlignLeft | Qt::AlignTop,
                          text);
        painter->restore();
    }
};

QTableWidgetItem *FixedItem(const QString &text) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(QPalette().button());
    return item;
}

QTableWidgetItem *CellItem(const QString &text) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

TForm_Power::TForm_Power(QWidget *parent) : QWidget(parent), SG(NamedControl(new QTableWidget(this), "SG")) {
    setObjectName(QStringLiteral("Form_Power"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Контроль питания и температуры"));
    resize(783, 548);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SG);
    BuildPowerGrid();
    FitOnMaximize(this);
}

void TForm_Power::BuildPowerGrid() {
    SG->setColumnCount(int(std::size(PowerColumns)));
    SG->setRowCount(PowerStateCount + 1);
    SG->horizontalHeader()->hide();
    SG->verticalHeader()->hide();
    SG->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setItemDelegate(new StateCellDelegate(SG));
    for (int column = 0; column < SG->columnCount(); ++column) {
        SG->setItem(0, column, FixedItem(QString::fromUtf8(PowerColumns[column].caption)));
        SG->setColumnWidth(column, PowerColumns[column].width);
    }
    RefreshPowerGrid();
}

void TForm_Power::RefreshPowerGrid() {
    for (int i = 0; i < PowerStateCount; ++i)
        ShowPowerRow(i);
}

void TForm_Power::ShowPowerRow(int i) {
    const PowerRowTexts texts = PowerRow(PowerState, i, FtSpi != nullptr);
    const int row = i + 1;
    SG->setItem(row, 0, FixedItem(texts.Name));
    const QString cells[] = {texts.Value, texts.Tolerance, texts.State};
    for (int column = 1; column <= 3; ++column) {
        if (QTableWidgetItem *item = SG->item(row, column))
            item->setText(cells[column - 1]);
        else
            SG->setItem(row, column, CellItem(cells[column - 1]));
    }
}
