#include "shell/Deviceunit.h"

#include "chart/ChartlibChart.h"
#include "controls/FormHelpers.h"
#include "link/InstrumentIdent.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "shell/DeviceRows.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

namespace {

constexpr int RowHeight = 20;
constexpr int PanelHeight = 41;
constexpr int GridLineWidth = 1;

} // namespace

TDeviceForm::TDeviceForm(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      SG(NamedControl(new QTableWidget(this), "SG")), Panel1(NamedControl(new QWidget(this), "Panel1")),
      BitBtn1(NamedControl(new QPushButton(QStringLiteral("OK"), Panel1), "BitBtn1")) {
    setObjectName(QStringLiteral("DeviceForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("О приборе..."));
    SG->setColumnCount(2);
    SG->setRowCount(DeviceRowCount);
    SG->horizontalHeader()->hide();
    SG->verticalHeader()->hide();
    SG->verticalHeader()->setDefaultSectionSize(RowHeight);
    SG->verticalHeader()->setMinimumSectionSize(RowHeight);
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SG->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FillDeviceGrid();
    FitToGrid();
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TDeviceForm::FillDeviceGrid() {
    // A copy: the window shows the identification as it was when it opened.
    const TInstrumentIdent ident = InstrumentIdent;
    const auto rows = DeviceRows(ident, MirvakFirmware == 1);
    for (int row = 0; row < DeviceRowCount; ++row) {
        SG->setItem(row, 0, new QTableWidgetItem(rows[std::size_t(row)].Label));
        SG->setItem(row, 1, new QTableWidgetItem(rows[std::size_t(row)].Value));
    }
    // The texts' widths, plus the margins the cells draw them within.
    const int margins = 2 * (SG->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, SG) + 1);
    for (int column = 0; column < 2; ++column) {
        AutoSizeGridColumn(SG, column);
        SG->setColumnWidth(column, SG->columnWidth(column) + margins);
    }
}

void TDeviceForm::FitToGrid() {
    const int frame = QApplication::style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int gridHeight = (RowHeight + GridLineWidth) * (DeviceRowCount + 1);
    const int width = SG->columnWidth(0) + SG->columnWidth(1) + 2 * GridLineWidth + 2 * frame;
    setFixedSize(width, gridHeight + PanelHeight);
    SG->setGeometry(0, 0, width, gridHeight);
    Panel1->setGeometry(0, gridHeight, width, PanelHeight);
    BitBtn1->resize(75, 25);
    BitBtn1->move((width - BitBtn1->width()) / 2, (PanelHeight - BitBtn1->height()) / 2);
}
