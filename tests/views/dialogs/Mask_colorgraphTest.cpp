#include "views/masks/Mask_colorgraph.h"

#include "views/masks/ColourSwatch.h"

#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

namespace {

class MaskColourDialog : public ::testing::Test {
protected:
    void SetUp() override {
        TColourSwatch::AskColour = [this](QWidget *, const QColor &initial) {
            asked = initial;
            return chosen;
        };
    }
    void TearDown() override { TColourSwatch::AskColour = {}; }

    QColor asked;
    QColor chosen;
};

TEST_F(MaskColourDialog, OkWritesColourWidthAndStyle) {
    int32_t colour = 0x00FFFF00, width = 2, style = 0;
    TMask_Color dialog;
    dialog.Setup(colour, width, style);
    EXPECT_EQ(dialog.Shape1->Colour(), 0x00FFFF00);
    EXPECT_EQ(dialog.CSEdit_Width->value(), 2);
    EXPECT_TRUE(dialog.RG_Template->isChecked());
    dialog.show();
    SaveScreenshot(dialog, QStringLiteral("mask_colour_dialog"));

    chosen = QColor(0x10, 0x20, 0x30);
    QTest::mouseClick(dialog.Shape1, Qt::LeftButton);
    EXPECT_EQ(asked, QColor(0x00, 0xFF, 0xFF)); // 0x00BBGGRR: aqua
    dialog.CSEdit_Width->setValue(5);
    dialog.RG_Line->setChecked(true);
    EXPECT_EQ(colour, 0x00FFFF00); // nothing before OK
    QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(colour, 0x00302010);
    EXPECT_EQ(width, 5);
    EXPECT_EQ(style, 1);
}

TEST_F(MaskColourDialog, CancelWritesNothing) {
    int32_t colour = 0x000000FF, width = 1, style = 1;
    TMask_Color dialog;
    dialog.Setup(colour, width, style);
    EXPECT_TRUE(dialog.RG_Line->isChecked());
    chosen = QColor(Qt::green);
    QTest::mouseClick(dialog.Shape1, Qt::LeftButton);
    dialog.CSEdit_Width->setValue(9);
    QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(colour, 0x000000FF);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(style, 1);
}

TEST_F(MaskColourDialog, ACancelledColourDialogKeepsTheSwatch) {
    int32_t colour = 0x00123456, width = 1, style = 0;
    TMask_Color dialog;
    dialog.Setup(colour, width, style);
    chosen = QColor();
    QTest::mouseClick(dialog.Shape1, Qt::LeftButton);
    EXPECT_EQ(dialog.Shape1->Colour(), 0x00123456);
}

} // namespace
