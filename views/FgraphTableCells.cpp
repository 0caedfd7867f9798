#include "views/Fgraph.h"

#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/TMASK.h"
#include "views/CellTextPainter.h"
#include "views/GraphHost.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>

#include <cstdlib>

namespace {

// Draws the value cells as plain text 3 pixels right of the cell's left edge, on the mask's colour
// where the point the cell shows violates an active mask. The style's own item painting costs more than
// the rest of a redraw, and the table is repainted with every frame.
class TValueCellDelegate : public QStyledItemDelegate {
public:
    explicit TValueCellDelegate(TForm_Graphic &window) : QStyledItemDelegate(&window), window_(window) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        const QString text = index.data(Qt::DisplayRole).toString();
        QColor ground = option.palette.color(QPalette::Base);
        QColor pen = option.palette.color(QPalette::Text);
        if (!text.isEmpty() && window_.WindowMaskSlot >= 0 && window_.Kind() != 3 && window_.Kind() != 4 &&
            index.column() % 2 == 1) {
            const int32_t point = window_.ValueTable().PointOfCell(index.column(), index.row() + 1);
            const int verdict = int8_t(PointVerdictAt(window_.WindowMaskSlot, point));
            const TMASK *mask = point >= 0 && verdict < 1 ? window_.BoundMask(std::abs(verdict)) : nullptr;
            if (mask && mask->Active) {
                ground = WinColor(mask->Colour);
                if (((mask->Colour >> 8) & 0xFF) != 0xFF)
                    pen = Qt::white;
            }
        }
        painter->fillRect(option.rect, ground);
        painter->setPen(pen);
        text_.Draw(*painter, option.rect.adjusted(3, 0, 0, 0), text);
    }

private:
    TForm_Graphic &window_;
    mutable TCellTextPainter text_;
};

} // namespace

void TForm_Graphic::SetupTableCells() {
    Table1->setItemDelegate(new TValueCellDelegate(*this));
}
