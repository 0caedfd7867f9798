#include "controls/Vclutils.h"

#include "controls/LibraryErrors.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"

#include <QApplication>
#include <QBitmap>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

int waitCount = 0;

QRgb Rgb(TColor color) {
    return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

// The picture with the pixels of `transparent` made fully transparent.
QImage MaskedOut(const QImage &bitmap, QRgb transparent) {
    QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (transparent & 0xFFFFFF))
                line[x] = 0;
    }
    return image;
}

QSize BaseUnits() {
    const QFontMetrics metrics(QApplication::font());
    const QPoint average = GetAveCharSize(metrics);
    return {average.x(), average.y()};
}

} // namespace

QColor ColorToQColor(TColor color) {
    return QColor::fromRgb(Rgb(color));
}

TColor QColorToColor(const QColor &color) {
    return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
           static_cast<TColor>(color.blue()) << 16;
}

QPixmap MakeBitmap(const QString &name) {
    return QPixmap(QStringLiteral(":/") + name);
}

QIcon MakeIcon(const QString &name) {
    const QPixmap picture = MakeBitmap(name);
    return picture.isNull() ? QIcon() : QIcon(picture);
}

void ResourceNotFound(const QString &name) {
    throw EResNotFound(QStringLiteral("Resource %1 not found").arg(name));
}

QPixmap CreateBitmapFromIcon(const QIcon &icon, const QSize &size, TColor backColor) {
    QPixmap bitmap(size);
    bitmap.fill(ColorToQColor(backColor));
    QPainter painter(&bitmap);
    icon.paint(&painter, QRect(QPoint(0, 0), size));
    return bitmap;
}

QIcon CreateIconFromBitmap(const QImage &bitmap, TColor transparentColor) {
    const QRgb transparent =
        transparentColor == clDefault ? bitmap.pixel(0, bitmap.height() - 1) : Rgb(transparentColor);
    return QIcon(QPixmap::fromImage(MaskedOut(bitmap, transparent)));
}

void AssignBitmapCell(const QImage &source, QImage &dest, int cols, int rows, int index) {
    if (source.isNull())
        return;
    cols = std::max(cols, 1);
    rows = std::max(rows, 1);
    index = std::max(index, 0);
    const int width = source.width() / cols;
    const int height = source.height() / rows;
    dest = source.copy(index % cols * width, index / cols * height, width, height);
}

void StretchBitmapRectTransparent(QPainter &painter, int x, int y, int width, int height, const QRect &source,
                                  const QImage &bitmap, TColor transparentColor) {
    const QRect part = source.width() < 1 || source.height() < 1 ? bitmap.rect() : source;
    if (width < 1)
        width = part.width();
    if (height < 1)
        height = part.height();
    const QRect target(x, y, width, height);
    if (transparentColor == clNone) {
        painter.drawImage(target, bitmap, part);
        return;
    }
    QRgb transparent;
    if (transparentColor == clDefault)
        transparent = bitmap.pixel(0, bitmap.height() - 1);
    else if (bitmap.depth() == 1)
        transparent = qRgb(255, 255, 255);
    else
        transparent = Rgb(transparentColor);
    painter.drawImage(target, MaskedOut(bitmap.copy(part), transparent));
}

void DrawBitmapRectTransparent(QPainter &painter, int x, int y, const QRect &source, const QImage &bitmap,
                               TColor transparentColor) {
    StretchBitmapRectTransparent(painter, x, y, source.width(), source.height(), source, bitmap, transparentColor);
}

void DrawBitmapTransparent(QPainter &painter, int x, int y, const QImage &bitmap, TColor transparentColor) {
    StretchBitmapRectTransparent(painter, x, y, bitmap.width(), bitmap.height(), bitmap.rect(), bitmap,
                                 transparentColor);
}

QImage ChangeBitmapColor(const QImage &bitmap, TColor color, TColor newColor) {
    QImage result(bitmap.size(), QImage::Format_RGB32);
    result.fill(ColorToQColor(newColor));
    QPainter painter(&result);
    DrawBitmapTransparent(painter, 0, 0, bitmap, color);
    return result;
}

QImage CreateDisabledBitmapEx(const QImage &bitmap, TColor outlineColor, TColor backColor, TColor highlightColor,
                              TColor shadowColor, bool drawHighlight) {
    QImage result(bitmap.size(), QImage::Format_RGB32);
    result.fill(ColorToQColor(backColor));
    const QImage source = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb outline = Rgb(outlineColor) & 0xFFFFFF;
    // The brush paints where the monochrome copy is black, that is on every pixel not of the outline colour.
    const auto paint = [&](int shift, QRgb colour) {
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                if ((source.pixel(x, y) & 0xFFFFFF) != outline && result.rect().contains(x + shift, y + shift))
                    result.setPixel(x + shift, y + shift, colour);
    };
    if (drawHighlight)
        paint(1, Rgb(highlightColor));
    paint(0, Rgb(shadowColor));
    return result;
}

QImage CreateDisabledBitmap(const QImage &bitmap, TColor outlineColor) {
    const QPalette palette = QApplication::palette();
    return CreateDisabledBitmapEx(bitmap, outlineColor, QColorToColor(palette.color(QPalette::Button)),
                                  QColorToColor(palette.color(QPalette::Light)),
                                  QColorToColor(palette.color(QPalette::Dark)), true);
}

QImage CreateTwoColorsBrushPattern(TColor color1, TColor color2) {
    QImage pattern(8, 8, QImage::Format_RGB32);
    pattern.fill(ColorToQColor(color1));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (y % 2 == x % 2)
                pattern.setPixel(x, y, Rgb(color2));
    return pattern;
}

void ShadeRect(QImage &image, const QRect &rect) {
    static constexpr uint8_t rows[8] = {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88};
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (!(rows[y % 8] & (0x80 >> (x % 8)))) // a clear pattern bit is black: AND makes the pixel black
                image.setPixel(x, y, qRgb(0, 0, 0));
}

QString MinimizeText(const QString &text, const QFontMetrics &metrics, int maxWidth) {
    QString result = text;
    int i = 1;
    while (i <= text.size() && metrics.horizontalAdvance(result) > maxWidth) {
        ++i;
        result = text.left(std::max<qsizetype>(text.size() - i, 0)) + QStringLiteral("...");
    }
    return result;
}

QPoint GetAveCharSize(const QFontMetrics &metrics) {
    QString letters;
    for (char c = 'A'; c <= 'Z'; ++c)
        letters += QLatin1Char(c);
    for (char c = 'a'; c <= 'z'; ++c)
        letters += QLatin1Char(c);
    return {metrics.horizontalAdvance(letters) / 52, metrics.height()};
}

void WriteText(QPainter &painter, const QRect &rect, int dx, int dy, const QString &text, TAlignment alignment,
               bool wordWrap, bool rightToLeft) {
    if (rightToLeft && alignment != taCenter)
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    painter.save();
    painter.setClipRect(rect);
    if (!wordWrap && !text.contains(QLatin1Char('\r'))) {
        const int width = painter.fontMetrics().horizontalAdvance(text);
        int x = rect.left() + dx;
        if (alignment == taRightJustify)
            x = rect.left() + rect.width() - width - 3;
        else if (alignment == taCenter)
            x = rect.left() + rect.width() / 2 - width / 2;
        painter.drawText(QPoint(x, rect.top() + dy + painter.fontMetrics().ascent()), text);
    } else {
        int flags = Qt::TextExpandTabs | Qt::AlignTop;
        flags |= alignment == taRightJustify ? Qt::AlignRight : alignment == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
        if (wordWrap)
            flags |= Qt::TextWordWrap;
        painter.drawText(QRect(rect.left() + dx, rect.top() + dy, rect.width() - 1 - dx, rect.height() - 1 - dy),
                         flags, text);
    }
    painter.restore();
}

void DrawCellTextEx(QPainter &painter, const QRect &rect, const QString &text, TAlignment alignment,
                    TVertAlignment vertAlignment, bool wordWrap, bool rightToLeft) {
    const int lineHeight = painter.fontMetrics().height();
    int dy = 2;
    if (vertAlignment == vaCenterVert)
        dy = std::max(1, (rect.height() - lineHeight) / 2);
    else if (vertAlignment == vaBottomVert)
        dy = std::max(2, rect.height() - lineHeight);
    WriteText(painter, rect, 2, dy, text, alignment, wordWrap, rightToLeft);
}

void DrawCellText(QPainter &painter, const QRect &rect, const QString &text, TAlignment alignment,
                  TVertAlignment vertAlignment, bool rightToLeft) {
    DrawCellTextEx(painter, rect, text, alignment, vertAlignment, alignment == taCenter, rightToLeft);
}

void DrawCellBitmap(QPainter &painter, const QRect &rect, const QPixmap &graphic) {
    painter.drawPixmap((rect.left() + rect.left() + rect.width() - graphic.width()) / 2,
                       (rect.top() + rect.top() + rect.height() - graphic.height()) / 2, graphic);
}

void GradientFillRect(QPainter &painter, const QRect &rect, TColor startColor, TColor endColor,
                      TFillDirection direction, uint8_t colors) {
    if (rect.isEmpty())
        return;
    if (colors < 2) {
        painter.fillRect(rect, ColorToQColor(startColor));
        return;
    }
    QColor from = ColorToQColor(startColor);
    QColor to = ColorToQColor(endColor);
    if (direction == fdBottomToTop || direction == fdRightToLeft)
        std::swap(from, to);
    const bool vertical = direction == fdTopToBottom || direction == fdBottomToTop;
    const int size = vertical ? rect.height() : rect.width();
    const int n = std::max(2, std::min<int>(colors, size));
    const int step = size / n;
    if (step > 0) {
        for (int k = 0; k < n; ++k) {
            const QColor band(std::clamp(from.red() + MulDiv(k, to.red() - from.red(), n - 1), 0, 255),
                              std::clamp(from.green() + MulDiv(k, to.green() - from.green(), n - 1), 0, 255),
                              std::clamp(from.blue() + MulDiv(k, to.blue() - from.blue(), n - 1), 0, 255));
            painter.fillRect(vertical ? QRect(rect.left(), rect.top() + k * step, rect.width(), step)
                                      : QRect(rect.left() + k * step, rect.top(), step, rect.height()),
                             band);
        }
    }
    const int rest = size - n * step;
    if (rest > 0)
        painter.fillRect(vertical ? QRect(rect.left(), rect.top() + n * step, rect.width(), rest)
                                  : QRect(rect.left() + n * step, rect.top(), rest, rect.height()),
                         to);
}

void CopyParentImage(QWidget *control, QPainter &painter) {
    if (!control || !control->parentWidget())
        return;
    QWidget *parent = control->parentWidget();
    const QRect area = control->geometry();
    // The parent's own background, then the siblings below the control that overlap it; never the control.
    parent->render(&painter, -area.topLeft(), QRegion(area), QWidget::DrawWindowBackground);
    for (QObject *child : parent->children()) {
        if (child == control)
            break;
        auto *sibling = qobject_cast<QWidget *>(child);
        if (!sibling || !sibling->isVisible() || !sibling->geometry().intersects(area))
            continue;
        sibling->render(&painter, sibling->pos() - area.topLeft(), QRegion(),
                        QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
}

bool IsForegroundTask() {
    return QApplication::activeWindow() != nullptr;
}

void CenterControl(QWidget *control) {
    QRect container;
    if (control->parentWidget())
        container = control->parentWidget()->rect();
    else if (QScreen *screen = control->screen())
        container = screen->geometry();
    else
        return;
    control->move(std::max(0, (container.width() - control->width()) / 2),
                  std::max(0, (container.height() - control->height()) / 2));
}

void CenterWindow(QWidget *window) {
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    window->move(std::max(0, (area.width() - window->width()) / 2), std::max(0, (area.height() - window->height()) / 2));
}

void SwitchToWindow(QWidget *window, bool restore) {
    if (!window || !window->isEnabled())
        return;
    window->raise();
    window->activateWindow();
    if (restore && window->isVisible()) {
        if (window->isMinimized() && !window->isMaximized())
            window->showNormal();
        window->setFocus();
    }
}

void ActivateWindow(QWidget *window) {
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

QString WindowClassName(const QWidget *window) {
    return window ? QString::fromLatin1(window->metaObject()->className()).left(255) : QString();
}

QRect ScreenWorkArea() {
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return {};
}

void Delay(uint32_t ms) {
    const uint32_t start = GetTickCount();
    while (TicksSince(start) < ms) {
        PumpMessages();
        Sleep(1);
    }
}

void NotImplemented() {
    MessageRequest request;
    request.text = QStringLiteral("Function not yet implemented");
    request.icon = MsgIcon::Information;
    ShowMessage(request);
    throw EAbort();
}

void Beep() {
    QApplication::beep();
}

void StartWait() {
    if (waitCount == 0)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++waitCount;
}

void StopWait() {
    if (waitCount <= 0)
        return;
    if (--waitCount == 0)
        QGuiApplication::restoreOverrideCursor();
}

int WaitDepth() {
    return waitCount;
}

int DialogUnitsToPixelsX(int units) {
    return units * BaseUnits().width() / 4;
}

int DialogUnitsToPixelsY(int units) {
    return units * BaseUnits().height() / 8;
}

int PixelsToDialogUnitsX(int pixels) {
    return pixels * 4 / BaseUnits().width();
}

int PixelsToDialogUnitsY(int pixels) {
    return pixels * 8 / BaseUnits().height();
}

void RaiseWin32Error(int errorCode) {
    if (errorCode == 0)
        return;
    throw EOSError(QStringLiteral("Win32 Error.  Code: %1.\n%2").arg(errorCode).arg(QString::fromLocal8Bit(std::strerror(errorCode))));
}

bool CheckWin32(bool ok) {
    if (!ok)
        RaiseWin32Error(errno);
    return ok;
}

bool PointInRect(const QPoint &point, const QRect &rect) {
    return point.x() >= rect.left() && point.x() <= rect.left() + rect.width() && point.y() >= rect.top() &&
           point.y() <= rect.top() + rect.height();
}

bool PointInPolyRgn(const QPoint &point, const QPolygon &points) {
    return points.containsPoint(point, Qt::WindingFill);
}

QString GetEnvVar(const QString &name) {
    return qEnvironmentVariable(name.toLocal8Bit().constData());
}

void SplitCommandLine(const QString &line, QString &program, QString &parameters) {
    program.clear();
    parameters.clear();
    const QString text = line.left(line.indexOf(QChar(0)) < 0 ? line.size() : line.indexOf(QChar(0)));
    const qsizetype n = text.size();
    const QChar quote = QLatin1Char('"');
    qsizetype i = 0;
    const auto next = [&](QString &token) {
        while (i < n) {
            if (text[i].unicode() <= ' ')
                ++i;
            else if (text[i] == quote && i + 1 < n && text[i + 1] == quote)
                i += 2;
            else
                break;
        }
        if (i >= n)
            return false;
        token.clear();
        while (i < n && text[i].unicode() > ' ') {
            if (text[i] == quote) {
                ++i;
                while (i < n && text[i] != quote)
                    token += text[i++];
                if (i < n)
                    ++i;
            } else {
                token += text[i++];
            }
        }
        return true;
    };
    QString token;
    if (!next(token))
        return;
    program = token;
    QStringList rest;
    while (next(token))
        rest << (token.contains(QLatin1Char(' ')) ? quote + token + quote : token);
    parameters = rest.join(QLatin1Char(' '));
}

QString AnsiUpperFirstChar(const QString &text) {
    QString result = text.toLower();
    if (!result.isEmpty())
        result[0] = result[0].toUpper();
    return result;
}

QString DropT(const QString &text) {
    if (text.size() > 1 && (text[0] == QLatin1Char('T') || text[0] == QLatin1Char('t')))
        return text.mid(1);
    return text;
}

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return a;
    return static_cast<int>(std::llround(static_cast<double>(int64_t{a} * b) / c));
}
