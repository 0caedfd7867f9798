#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <cstdint>

class QFontMetrics;
class QPainter;
class QWidget;

// Drawing, window, cursor and text helpers of the control library.

// Colours as the library's properties store them: 0x00BBGGRR, or one of the two special values.
using TColor = uint32_t;
constexpr TColor clNone = 0x1FFFFFFF;    // no transparent colour
constexpr TColor clDefault = 0x20000000; // the bitmap's own: its bottom-left pixel
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor &color);

enum TVertAlignment { vaTopVert, vaCenterVert, vaBottomVert };
enum TFillDirection { fdTopToBottom, fdBottomToTop, fdLeftToRight, fdRightToLeft };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Pictures of the program's resources (":/<name>"); null when there is none.
QPixmap MakeBitmap(const QString &name);
QIcon MakeIcon(const QString &name);
// Raises EResNotFound "Resource %s not found".
[[noreturn]] void ResourceNotFound(const QString &name);
QPixmap CreateBitmapFromIcon(const QIcon &icon, const QSize &size, TColor backColor);
QIcon CreateIconFromBitmap(const QImage &bitmap, TColor transparentColor);
// Cell `index` of a strip of cols x rows equal cells (row index div cols, column index mod cols).
void AssignBitmapCell(const QImage &source, QImage &dest, int cols, int rows, int index);

// The bitmap (or the part `source` of it; an empty one means all) drawn at (x, y) in the given size (an
// empty size: the part's own) with the pixels of the transparent colour left out.
void StretchBitmapRectTransparent(QPainter &painter, int x, int y, int width, int height, const QRect &source,
                                  const QImage &bitmap, TColor transparentColor);
void DrawBitmapRectTransparent(QPainter &painter, int x, int y, const QRect &source, const QImage &bitmap,
                               TColor transparentColor);
void DrawBitmapTransparent(QPainter &painter, int x, int y, const QImage &bitmap, TColor transparentColor);
QImage ChangeBitmapColor(const QImage &bitmap, TColor color, TColor newColor);
// The embossed grey look of a glyph: its pixels that are not `outlineColor` drawn in `shadowColor`, with a
// `highlightColor` copy one pixel right and down beneath, on `backColor`.
QImage CreateDisabledBitmapEx(const QImage &bitmap, TColor outlineColor, TColor backColor, TColor highlightColor,
                              TColor shadowColor, bool drawHighlight);
QImage CreateDisabledBitmap(const QImage &bitmap, TColor outlineColor);
// 8 x 8: colour 1, with colour 2 wherever row and column have the same parity.
QImage CreateTwoColorsBrushPattern(TColor color1, TColor color2);
// Darkens the rectangle through a diagonal hatch (destination AND pattern).
void ShadeRect(QImage &image, const QRect &rect);

// Shortened with "..." until it fits `maxWidth`; the first shortened form drops two characters, and a text
// that never fits ends as "..." alone.
QString MinimizeText(const QString &text, const QFontMetrics &metrics, int maxWidth);
QPoint GetAveCharSize(const QFontMetrics &metrics);
void WriteText(QPainter &painter, const QRect &rect, int dx, int dy, const QString &text, TAlignment alignment,
               bool wordWrap, bool rightToLeft);
void DrawCellTextEx(QPainter &painter, const QRect &rect, const QString &text, TAlignment alignment,
                    TVertAlignment vertAlignment, bool wordWrap, bool rightToLeft = false);
void DrawCellText(QPainter &painter, const QRect &rect, const QString &text, TAlignment alignment,
                  TVertAlignment vertAlignment, bool rightToLeft = false);
void DrawCellBitmap(QPainter &painter, const QRect &rect, const QPixmap &graphic);
// Bands of `colors` steps (at most one per pixel) from the start to the end colour; the rest of the
// rectangle that the bands do not fill takes the end colour.
void GradientFillRect(QPainter &painter, const QRect &rect, TColor startColor, TColor endColor,
                      TFillDirection direction, uint8_t colors);
// What the parent shows under `control`, drawn onto `painter` (for transparent controls).
void CopyParentImage(QWidget *control, QPainter &painter);
bool IsForegroundTask();

// Windows.
void CenterControl(QWidget *control);
void CenterWindow(QWidget *window);
void SwitchToWindow(QWidget *window, bool restore);
void ActivateWindow(QWidget *window);
QString WindowClassName(const QWidget *window);
QRect ScreenWorkArea();
// Serves the main thread's events until `ms` have passed on the program's clock.
void Delay(uint32_t ms);

// Messages and the wait cursor.
// Information "Function not yet implemented", then the silent abort of the current operation.
[[noreturn]] void NotImplemented();
void Beep();
// Nested: the first StartWait shows the wait cursor, the matching last StopWait takes it away.
void StartWait();
void StopWait();
int WaitDepth();

// Dialog units of the application's font: a quarter of the average character width, an eighth of its height.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);
int PixelsToDialogUnitsX(int pixels);
int PixelsToDialogUnitsY(int pixels);
// Raises EOSError "Win32 Error.  Code: %d.\n%s" for a non-zero error number.
void RaiseWin32Error(int errorCode);
// Raises the last error (errno) when `ok` is false.
bool CheckWin32(bool ok);

inline int WidthOf(const QRect &r) {
    return r.right() + 1 - r.left();
}
inline int HeightOf(const QRect &r) {
    return r.bottom() + 1 - r.top();
}
// Edges included.
bool PointInRect(const QPoint &point, const QRect &rect);
bool PointInPolyRgn(const QPoint &point, const QPolygon &points);

// The variable's value, whatever its length; empty when it is not set.
QString GetEnvVar(const QString &name);
// The first token of the line is the program, the others the parameters (quoted when they hold a space).
// Tokens have no length limit.
void SplitCommandLine(const QString &line, QString &program, QString &parameters);
QString AnsiUpperFirstChar(const QString &text);
QString DropT(const QString &text);
inline QString ResStr(const QString &text) {
    return text;
}

// The product a * b in 64 bits divided by c, rounded half away from zero; a unchanged when c is 0 (a
// scale with no divisor leaves sizes as they are).
int MulDiv(int a, int b, int c);
