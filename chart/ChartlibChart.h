#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>

class QImage;
class QPainter;
class QPrinter;
class QRect;
class QSize;
class QSizeF;
class QTableWidget;
class QWidget;
class TChart;
class TChartAxis;
class TChartSeries;
struct ParamDescriptor;

// The chart and grid operations that every chart window and table window shares: the zoom floor and
// axis limits, the automatic vertical range, chart pictures, printing and copying, the background
// colour, and saving a grid as a text or HTML table. Main thread only.

// ---- Axis ranges ----

// The shown range of one axis, or the range an axis showed before the zoom or scroll being handled.
struct TAxisRange {
    double Minimum = 0;
    double Maximum = 0;
    friend bool operator==(const TAxisRange &, const TAxisRange &) = default;
};

// Keeps an axis inside [lower, upper] with a span of at least five increments, in four steps: the maximum
// down to upper, up to lower + 5 increments, the minimum up to lower, down to upper - 5 increments.
// Without an upper limit the first and last steps are left out. An increment that is not a positive
// number sets no span floor.
TAxisRange ClampAxisRange(TAxisRange range, double increment, double lower, double upper, bool upperLimited);

// Keeps a zoomed or scrolled axis at a span of at least five resolution steps. A scroll (both ends moved
// to the same side of the previous range) keeps the new maximum and puts the minimum five steps below;
// a zoom brings the previous range back, or, with centreSmallPrevious and a previous span itself below
// the floor, a span of five steps centred on the previous middle. A resolution that is not a positive
// number sets no floor.
TAxisRange LimitAxisSpan(TAxisRange range, TAxisRange previous, double resolution, bool centreSmallPrevious);

// The zoom and scroll handlers of the chart windows call, in this order, FitAxisToChart, ClampAxesToLimits
// and LimitZoomSpan.

// The range an axis showed at the last drawing: the values at the edges of the plot rectangle.
TAxisRange PreviousRange(const TChart &chart, const TChartAxis &axis);

// side > 0 the left axis, side < 0 the right axis, 0 none: the axis goes back to its previous range.
void FitAxisToChart(TChart &chart, int side);

// Keeps each axis inside its limits with a span of at least five increments (ClampAxisRange). A bottom
// axis with equal limits has no upper limit; the right axis is only kept when its limits differ, with
// its own increment.
void ClampAxesToLimits(TChart &chart, double bottomIncrement, double bottomLower, double bottomUpper, double rightLower,
                       double rightUpper, double leftIncrement, double leftLower, double leftUpper);

// Keeps the span of the left, right and bottom axes at five resolution steps or more (LimitAxisSpan); only
// the left axis centres on a previous span that was itself too small.
void LimitZoomSpan(TChart &chart, double bottomResolution, double rightResolution, double leftResolution);

// Sets the increment, then minimum and maximum together. An increment that is not a number or is
// negative leaves the axis's increment as it is.
void SetAxisScale(TChartAxis &axis, double increment, double minimum, double maximum);

// ---- Automatic vertical range ----

// The label of the points the graph windows add where a curve is broken.
inline const QString GapLabel = QStringLiteral("NULL");

// The value ranges of the series' points that are neither gaps (labelled GapLabel, or without a y) nor
// the no-value sentinel. The y range starts at 1e9..-1e9 and the x range at the sentinel; gap mode 1
// leaves y values at or below -300 (the gap value of the level curves) out of the minimum, and other
// modes than 0 and 1 never lower it. A series with points of which none counts gives y 0..0 and x from
// its first to its last point.
void SeriesValueRange(const TChartSeries &series, double &yMinimum, double &yMaximum, double &xMinimum,
                      double &xMaximum, int gapMode);

// Widens the y range by the upper and then the lower mask of the slot inside xMinimum..xMaximum; nothing
// for a window without a mask slot (slot < 0) or when either x bound is the sentinel.
void MaskRangeForAutoY(int slot, double xMinimum, double xMaximum, double &yMinimum, double &yMaximum);

// Widens the y range by one mask (side 0 upper, 1 lower) inside xMinimum..xMaximum: its points inside,
// and the mask interpolated at a bound it crosses. Nothing when the mask is absent or not active.
void MaskSlotRange(int slot, int side, double xMinimum, double xMaximum, double &yMaximum, double &yMinimum);

// ---- Chart pictures and printing ----

// Save dialog ("*.jpg", "*.bmp", "*.emf" or "*.wmf" in the program's Picture folder, named after the
// window's caption) and the picture file, chosen by the extension in any case. Another extension writes
// nothing; a file that cannot be written is reported.
void SaveChartPicture(QWidget *window, TChart &chart);

void CopyChartToClipboard(TChart &chart);

// Print dialog, then one page: the date, time and window caption, the text lines below it, and the chart
// below those. The clipboard is left alone.
void PrintChart(QWidget *window, TChart &chart, const QStringList &lines);

// The printed rectangle of a bitmap of bitmapSize pixels drawn lineHeight × lineCount below the top of a
// page and a tenth of the page width from its left: the bitmap's size on the screen carried over to the
// printer's resolution, at most 0.8 of the page width and the rest of the page height, keeping its
// aspect ratio.
QRect PrintedBitmapRect(QSize bitmapSize, QSizeF screenDpi, QSizeF printerDpi, QSize page, int top);

// Prints the bitmap into the painter's page at PrintedBitmapRect.
void PrintBitmap(const QWidget *window, QPainter &painter, const QImage &bitmap, int lineHeight, int lineCount);

// Colour dialog preset with the chart's background colour; on OK the chart takes the chosen colour.
void ChooseChartBackColor(QWidget *owner, TChart &chart);

// ---- Dialogs ----

// What a save dialog offers: a title (empty for the platform's own), the proposed file name without
// folder, the filters in Qt's "description (*.ext)" form, the initial folder, and the extension added
// to a name typed without one (without the dot).
struct TSaveDialogRequest {
    QString title;
    QString fileName;
    QStringList filters;
    QString folder;
    QString defaultSuffix;
};

// The dialogs the helpers open. The program uses Qt's own; tests install answers of their own, so that
// no modal window ever waits for a user. An empty member stands for Qt's dialog.
struct TChartDialogs {
    // The chosen path, or an empty text when the dialog was cancelled.
    std::function<QString(QWidget *owner, const TSaveDialogRequest &request)> askSaveFileName;
    // True when the user chose to print; the printer is set up for the job.
    std::function<bool(QWidget *owner, QPrinter &printer)> askPrinter;
    // The chosen colour, or an invalid colour when the dialog was cancelled.
    std::function<QColor(QWidget *owner, const QColor &initial)> askColor;
};
void SetChartDialogs(TChartDialogs dialogs);

// Filters written as "description|pattern|description|pattern" in Qt's "description (pattern)" form.
QStringList DialogFilters(const QString &filter);

// The proposed file name of a window's picture or table: its caption with every ',', '.', ':' and '/'
// replaced by '_'.
QString CaptionFileName(const QWidget *window);

// Asks for the name of a file to save until the user cancels (empty text) or accepts a name; a name of
// an existing file is only accepted after the user agreed to overwrite it. The existing file is left in
// place: the writer replaces it, so a write that cannot happen loses nothing.
QString AskSaveFileName(QWidget *owner, const TSaveDialogRequest &request);

// ---- Pause around the file commands ----

// Presses and releases the measurement's Pause from code; the main window installs its SetPause. Until
// then nothing is paused.
void SetPauseHandler(std::function<void(bool on)> handler);

// Holds Pause down from code while it lives, so every way out of a file command, a cancelled dialog
// included, releases it.
class TPauseScope {
public:
    TPauseScope();
    ~TPauseScope();
    TPauseScope(const TPauseScope &) = delete;
    TPauseScope &operator=(const TPauseScope &) = delete;
};

// ---- Tables ----

// A grid is a QTableWidget whose rows are all grid rows, the header rows included as its first rows.
// The number of those fixed rows is the grid's "FixedRows" property, 1 when the property is not set.
int GridFixedRows(const QTableWidget *grid);
// The text of a cell; empty for a cell without an item.
QString GridCell(const QTableWidget *grid, int column, int row);

// A window that shows the results of a parameter table (the result tables window) has its grid saved as
// HTML through the protocol's results table of its rows instead of cell by cell.
class TResultsTableSource {
public:
    virtual ~TResultsTableSource() = default;
    virtual const ParamDescriptor *ResultRows() const = 0; // null: the grid is written cell by cell
    virtual int ResultRowCount() const = 0;
    virtual QStringList MaskNames() const = 0; // the mask template names the rows refer to
};

// The kinds of table files AskTableFileName offers.
enum class TableFileKind : int {
    TextOrHtml = 0, // text or HTML, in the report folder
    Filtered = 1,   // the caller's filter, in the mask folder
    Text = 2,       // text only, in the report folder
};

// Save dialog for a table. On acceptance the folder of the chosen file (with a trailing separator) is
// stored back: for TextOrHtml into reportFolder, for the other kinds into maskFolder. False with an
// empty file name when cancelled.
bool AskTableFileName(QWidget *window, QString &fileName, QString &maskFolder, QString &reportFolder,
                      const QString &filter, TableFileKind kind);

// Asks a file name (TextOrHtml kind, in reportFolder) and writes the grid as text when the extension is
// ".txt" in any case, else as HTML. Nothing is written when the dialog is cancelled.
void SaveGridToFile(QWidget *window, const QTableWidget *grid, QString &maskFolder, QString &reportFolder);

// The window caption with line feeds as '_', then one line per grid row with the cells separated by ';',
// an empty cell as one blank and line feeds in cells as '_'; lines end in a single line feed;
// windows-1251. False when the file could not be written (the failure has been shown).
bool WriteGridText(const QWidget *window, const QTableWidget *grid, const QString &fileName);

// The grid as an HTML page in windows-1251 with a page break every 37 rows, each page repeating row 0 as
// its header row; cell texts and the caption are escaped. A TResultsTableSource window writes its
// results table instead. False when the file could not be written (the failure has been shown).
bool WriteGridHtml(const QWidget *window, const QTableWidget *grid, const QString &fileName);

// Sets the column width to fit its texts.
void AutoSizeGridColumn(QTableWidget *grid, int column);

// Draws a cell's text 3 pixels right of its left edge, centred vertically, after filling the cell with
// the painter's brush; grows the row when the text is taller than the cell.
void DrawGridCellCentered(QTableWidget *grid, QPainter &painter, int column, int row, const QRect &cell);

// Shows hint at the mouse position once per cell. Mode 0 hides a showing hint when either coordinate
// changed, mode 1 when the first changed, mode 2 when the second changed; when no hint is showing
// then, the last coordinates take the new ones and the hint is shown.
void ShowCellHint(QWidget *control, const QString &hint, int &lastSecond, int &lastFirst, int first, int second,
                  int mode);

// Focuses a child window and activates it among the main window's children once the click that led here
// has been handled.
void ActivateMdiChild(QWidget *child);
