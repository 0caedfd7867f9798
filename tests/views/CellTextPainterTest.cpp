#include "views/CellTextPainter.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// The texts a value table shows, in the cell heights and fonts a table has, must come out with the very
// pixels the text layout gives; texts beyond ASCII go through the layout itself.
TEST(CellTextPainter, DrawsThePixelsOfTheTextLayout) {
    const char *texts[] = {"-22.41", "110.00", "0.35", "1.5e-05", "12345.67", "-0.01", "7.77", "-111.11",
                           "", "1 / 7", "кГц", "-5.00 дБ", "AVAW fi", "a\nb"};
    QFont bold = QApplication::font();
    bold.setPointSize(14);
    bold.setBold(true);
    const QFont fonts[] = {QApplication::font(), bold};
    const QRect cells[] = {QRect(3, 0, 117, 24), QRect(3, 5, 90, 17), QRect(0, 2, 40, 31), QRect(3, 0, 20, 24)};
    TCellTextPainter cellText;
    for (const QFont &font : fonts)
        for (const QRect &cell : cells)
            for (const char *text : texts) {
                SCOPED_TRACE(std::string(text) + " in " + std::to_string(cell.height()) + " px, " +
                             font.toString().toStdString());
                QImage expected(130, 40, QImage::Format_ARGB32_Premultiplied);
                expected.fill(Qt::white);
                QImage drawn = expected;
                for (QImage *image : {&expected, &drawn}) {
                    QPainter painter(image);
                    painter.setFont(font);
                    painter.setPen(Qt::darkBlue);
                    if (image == &expected)
                        painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(text));
                    else
                        cellText.Draw(painter, cell, QString::fromUtf8(text));
                }
                EXPECT_TRUE(drawn == expected);
            }
}

} // namespace
