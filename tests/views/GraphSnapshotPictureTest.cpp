#include "views/GraphSnapshotPicture.h"
#include "chart/Chart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"
#include "views/Fgraph.h"

#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

namespace {

// The spectrum window as the protocol pictures it: every edge pixel black, the rest the chart's own
// colours in 16 entries, two pixels a byte.
TEST(GraphSnapshotPicture, FramedChartInSixteenColoursOnlyOfAShownWindow) {
    TempProgramDir dir;
    BuildParamCatalogue();
    const TDeviceSettings saved = *DeviceSettings;
    DeviceSettings->AdcSize = 2048;
    ASSERT_GT(AllocAnalysisBuffers(false), 0);
    {
        TForm_Graphic window(1);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.resize(641, 480); // an odd width leaves half of each row's last byte unused
        window.show();
        QApplication::processEvents();
        const std::unique_ptr<TSnapshotPicture> picture = SnapshotPictureOf(&window);
        ASSERT_TRUE(picture);
        const QImage chart = window.Chart1->Bitmap();
        ASSERT_EQ(picture->Width, chart.width());
        ASSERT_EQ(picture->Height, chart.height());
        EXPECT_EQ(picture->Bits.size(), std::size_t((chart.width() + 1) / 2 * chart.height()));
        const auto colour = [&](int x, int y) { return picture->Palette[picture->PixelAt(x, y)] & 0xFFFFFF; };
        for (int x = 0; x < picture->Width; ++x) {
            EXPECT_EQ(colour(x, 0), 0u) << x;
            EXPECT_EQ(colour(x, picture->Height - 1), 0u) << x;
        }
        for (int y = 0; y < picture->Height; ++y) {
            EXPECT_EQ(colour(0, y), 0u) << y;
            EXPECT_EQ(colour(picture->Width - 1, y), 0u) << y;
        }
        // Inside the frame the colours of the system palette come through unchanged.
        int same = 0;
        int pure = 0;
        for (int y = 1; y < chart.height() - 1; y += 7)
            for (int x = 1; x < chart.width() - 1; x += 7) {
                const QRgb c = chart.pixel(x, y) & 0xFFFFFF;
                if (c != 0xFFFFFF && c != 0x000000)
                    continue;
                ++pure;
                same += colour(x, y) == c;
            }
        EXPECT_GT(pure, 0);
        EXPECT_EQ(same, pure);

        window.showMinimized();
        QApplication::processEvents();
        EXPECT_FALSE(SnapshotPictureOf(&window));
        window.hide();
        EXPECT_FALSE(SnapshotPictureOf(&window));
        EXPECT_FALSE(SnapshotPictureOf(nullptr));
    }
    FreeAnalysisBuffers();
    *DeviceSettings = saved;
}

TEST(GraphSnapshotPicture, OnlyIndexedImagesOfSixteenColoursArePacked) {
    EXPECT_FALSE(PackSnapshotPicture(QImage(4, 4, QImage::Format_RGB32)));
    QImage many(4, 4, QImage::Format_Indexed8);
    many.setColorCount(17);
    EXPECT_FALSE(PackSnapshotPicture(many));
    QImage indexed(3, 1, QImage::Format_Indexed8);
    indexed.setColorCount(16);
    indexed.setPixel(0, 0, 15);
    indexed.setPixel(1, 0, 1);
    indexed.setPixel(2, 0, 9);
    const auto picture = PackSnapshotPicture(indexed);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Bits, (std::vector<uint8_t>{0xF1, 0x90}));
}

} // namespace
