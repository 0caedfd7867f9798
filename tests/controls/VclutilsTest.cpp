#include "controls/LibraryErrors.h"
#include "controls/Vclutils.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {

QImage Canvas(int width, int height, QRgb fill = qRgb(10, 20, 30)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

TEST(VclutilsTest, MinimizeTextShortensUntilItFits) {
    QFont font = QApplication::font();
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const QString text = QStringLiteral("A rather long caption");
    EXPECT_EQ(MinimizeText(text, metrics, 10000), text);
    EXPECT_EQ(MinimizeText(text, metrics, 0), QStringLiteral("..."));
    const int room = metrics.horizontalAdvance(text) - 1;
    // The first shortened form already drops two characters.
    EXPECT_EQ(MinimizeText(text, metrics, room), text.left(text.size() - 2) + QStringLiteral("..."));
    const QString shortened = MinimizeText(text, metrics, room / 2);
    EXPECT_TRUE(shortened.endsWith(QStringLiteral("...")));
    EXPECT_LE(metrics.horizontalAdvance(shortened), room / 2);
}

TEST(VclutilsTest, CheckerboardPattern) {
    const QImage pattern = CreateTwoColorsBrushPattern(clWhite, clRed);
    int second = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            second += pattern.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_EQ(second, 32);
    EXPECT_EQ(pattern.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(pattern.pixel(1, 0), qRgb(255, 255, 255));
}

TEST(VclutilsTest, GradientBands) {
    {
        QImage image = Canvas(10, 256);
        QPainter painter(&image);
        GradientFillRect(painter, image.rect(), clBlack, clWhite, fdTopToBottom, 255);
        painter.end();
        // The colour count is a byte: 255 bands of one pixel, and the last pixel is the remainder in the
        // end colour.
        EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(0, 254), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(0, 255), qRgb(255, 255, 255));
    }
    {
        QImage image = Canvas(100, 5);
        QPainter painter(&image);
        GradientFillRect(painter, image.rect(), clBlack, clWhite, fdLeftToRight, 255);
        painter.end();
        // One band per pixel, climbing from black to white: band k = MulDiv(k, 255, 99).
        for (int x = 0; x < 100; ++x)
            EXPECT_EQ(qRed(image.pixel(x, 2)), static_cast<int>(std::llround(x * 255.0 / 99))) << x;
    }
    {
        QImage image = Canvas(7, 20);
        QPainter painter(&image);
        GradientFillRect(painter, image.rect(), clBlack, clWhite, fdBottomToTop, 3);
        painter.end();
        // Reversed, 3 bands of 6 pixels from white to black, and 2 pixels of the (swapped) end colour.
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(0, 6), qRgb(127, 127, 127)); // 255 + MulDiv(1, -255, 2), rounded away from 0
        EXPECT_EQ(image.pixel(0, 17), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(0, 19), qRgb(0, 0, 0));
    }
}

TEST(VclutilsTest, TransparentDrawingAndCells) {
    QImage bitmap = Canvas(4, 4, qRgb(255, 0, 255));
    bitmap.setPixel(1, 1, qRgb(0, 0, 255));
    {
        QImage target = Canvas(6, 6);
        QPainter painter(&target);
        DrawBitmapTransparent(painter, 1, 1, bitmap, clDefault); // bottom-left magenta is transparent
        painter.end();
        EXPECT_EQ(target.pixel(1, 1), qRgb(10, 20, 30));
        EXPECT_EQ(target.pixel(2, 2), qRgb(0, 0, 255));
    }
    {
        QImage target = Canvas(6, 6);
        QPainter painter(&target);
        DrawBitmapTransparent(painter, 1, 1, bitmap, clNone);
        painter.end();
        EXPECT_EQ(target.pixel(1, 1), qRgb(255, 0, 255));
    }
    // A 4-column strip of 2 rows of 3 x 2 cells, each cell filled with its own index.
    QImage strip(12, 4, QImage::Format_RGB32);
    for (int index = 0; index < 8; ++index)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                strip.setPixel(index % 4 * 3 + x, index / 4 * 2 + y, qRgb(index, 0, 0));
    QImage cell;
    AssignBitmapCell(strip, cell, 4, 2, 5);
    EXPECT_EQ(cell.size(), QSize(3, 2));
    EXPECT_EQ(qRed(cell.pixel(0, 0)), 5);

    const QImage changed = ChangeBitmapColor(bitmap, 0xFF00FF, clWhite);
    EXPECT_EQ(changed.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(changed.pixel(1, 1), qRgb(0, 0, 255));

    const QImage disabled = CreateDisabledBitmapEx(bitmap, 0xFF00FF, clSilver, clWhite, 0x808080, true);
    EXPECT_EQ(disabled.pixel(1, 1), qRgb(128, 128, 128)); // the glyph pixel in the shadow colour
    EXPECT_EQ(disabled.pixel(2, 2), qRgb(255, 255, 255)); // its highlight one pixel down and right
    EXPECT_EQ(disabled.pixel(0, 0), qRgb(192, 192, 192));
}

TEST(VclutilsTest, WaitCursorNests) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    StartWait();
    StartWait();
    StopWait();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    StopWait();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    StopWait();
    EXPECT_EQ(WaitDepth(), 0);
}

TEST(VclutilsTest, CommandLineTokens) {
    struct Case {
        QString line, program, parameters;
    };
    const QString longToken(600, QLatin1Char('x'));
    const Case cases[] = {
        {R"("C:\Program Files\r9.exe" /demo "my file.cfg")", R"(C:\Program Files\r9.exe)", R"(/demo "my file.cfg")"},
        {QStringLiteral("  r9   a  b  "), QStringLiteral("r9"), QStringLiteral("a b")},
        {QStringLiteral("\"\"r9 \"\" x"), QStringLiteral("r9"), QStringLiteral("x")},
        {QStringLiteral("r9 pre\"mid dle\"post"), QStringLiteral("r9"), QStringLiteral("\"premid dlepost\"")},
        {QStringLiteral("r9 ") + longToken, QStringLiteral("r9"), longToken}, // no 256-character limit
        {QString(), QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        QString program = QStringLiteral("old"), parameters = QStringLiteral("old");
        SplitCommandLine(c.line, program, parameters);
        EXPECT_EQ(program, c.program);
        EXPECT_EQ(parameters, c.parameters);
    }
}

TEST(VclutilsTest, SmallTextAndGeometryFunctions) {
    EXPECT_EQ(DropT(QStringLiteral("T")), QStringLiteral("T"));
    EXPECT_EQ(DropT(QStringLiteral("tFoo")), QStringLiteral("Foo"));
    EXPECT_EQ(DropT(QStringLiteral("Foo")), QStringLiteral("Foo"));
    EXPECT_EQ(AnsiUpperFirstChar(QStringLiteral("пРИВЕТ")), QStringLiteral("Привет"));
    const QRect rect(10, 10, 20, 10);
    EXPECT_TRUE(PointInRect(QPoint(30, 20), rect)); // right and bottom edges count
    EXPECT_FALSE(PointInRect(QPoint(31, 20), rect));
    EXPECT_EQ(WidthOf(rect), 20);
    EXPECT_EQ(HeightOf(rect), 10);
    const QPolygon triangle({QPoint(0, 0), QPoint(10, 0), QPoint(0, 10)});
    EXPECT_TRUE(PointInPolyRgn(QPoint(2, 2), triangle));
    EXPECT_FALSE(PointInPolyRgn(QPoint(9, 9), triangle));

    const QByteArray value(5000, 'v');
    qputenv("R9_VCLUTILS_LONG", value);
    EXPECT_EQ(GetEnvVar(QStringLiteral("R9_VCLUTILS_LONG")).size(), 5000); // no 2048-character buffer
    qunsetenv("R9_VCLUTILS_LONG");
    EXPECT_TRUE(GetEnvVar(QStringLiteral("R9_VCLUTILS_LONG")).isEmpty());

    // The integer divisions may lose a little on the way back.
    EXPECT_NEAR(PixelsToDialogUnitsX(DialogUnitsToPixelsX(401)), 401, 4);
    EXPECT_GT(DialogUnitsToPixelsY(8), 0);
    try {
        RaiseWin32Error(2);
        FAIL();
    } catch (const EOSError &error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Win32 Error.  Code: 2.\n")));
    }
    EXPECT_NO_THROW(RaiseWin32Error(0));
}

TEST(VclutilsTest, DelayRunsOnTheProgramsClockAndNotImplementedAborts) {
    VirtualClock clock(0xFFFFFF00u, 1); // across the wrap
    const uint32_t start = GetTickCount();
    Delay(1000);
    EXPECT_GE(TicksSince(start), 1000u);
    EXPECT_LT(TicksSince(start), 1010u);

    QString shown;
    SetMessageBoxHandler([&](const MessageRequest &request) {
        shown = request.text;
        return IdOk;
    });
    EXPECT_THROW(NotImplemented(), EAbort);
    SetMessageBoxHandler({});
    EXPECT_EQ(shown, QStringLiteral("Function not yet implemented"));
}

} // namespace
