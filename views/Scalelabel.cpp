#include "views/Scalelabel.h"

#include "chartlib/Chartlib.h"
#include "controls/Placemnt.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/PointVerdicts.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "state/MainGlobals.h"
#include "views/GraphCellData.h"
#include "views/GraphSources.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMouseEvent>

#include <algorithm>
#include <memory>
#include <new>

std::array<QPointer<QWidget>, ScaleLabelWindowCount> ScaleLabelWindows;
TScaleLabelHost ScaleLabelHost;

namespace {

constexpr QRgb ScaleLabelNavy = 0x000080;
constexpr QRgb NameYellow = 0xFFFF00;
const QColor ValueWhite = Qt::white;
const QColor ValueRed = Qt::red;

// The value a window shows and the verdict it is judged by (null: not judged, shown white).
struct TShownValue {
    float Value = NoValue;
    const uint8_t *Verdict = nullptr;
};

QFont BigFont() {
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    return font;
}

void SetTextColour(QLabel *label, const QColor &colour) {
    QPalette palette = label->palette();
    if (palette.color(QPalette::WindowText) == colour)
        return;
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// The characters a file name cannot hold; ':' has its own replacement, '=', which the protocol reads.
QString ValueFileStem(const QString &name) {
    QString stem = ReplaceAll(name, QStringLiteral(":"), QStringLiteral("="));
    for (QChar &c : stem)
        if (QStringView(u"/\\*?\"<>|").contains(c) || c.unicode() < 0x20)
            c = u'_';
    return stem;
}

// Raises the window that shows already what is asked, or opens one in the highest free slot.
bool OpenScaleLabel(const QString &name, const std::function<bool(const TFormScaleLabel &)> &shows,
                    const std::function<void(TFormScaleLabel &)> &bind) {
    int freeSlot = -1;
    for (int i = 0; i < ScaleLabelWindowCount; ++i) {
        auto *window = qobject_cast<TFormScaleLabel *>(ScaleLabelWindows[std::size_t(i)].data());
        if (!window) {
            freeSlot = i;
        } else if (shows(*window)) {
            QWidget *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
            if (!frame)
                frame = window;
            if (frame->isMinimized())
                frame->showNormal();
            frame->show();
            window->show();
            frame->raise();
            return true;
        }
    }
    if (freeSlot < 0) {
        ShowMessage({LoadStr(440), LoadStr(7), MsgIcon::Warning});
        return false;
    }
    TFormScaleLabel *window = nullptr;
    try {
        window = new TFormScaleLabel(freeSlot, name);
    } catch (const std::bad_alloc &) {
        ShowMessage({LoadStr(20), LoadStr(5), MsgIcon::Warning});
        return false;
    }
    bind(*window);
    ScaleLabelWindows[std::size_t(freeSlot)] = window;
    const int tag = ScaleLabelFirstTag + freeSlot;
    window->setProperty("Tag", tag);
    // A parameter's window stays when the block size changes; a graph point's window goes with its curve.
    window->setProperty("Pinned", window->Key != nullptr);
    window->UpdateScaleLabel();
    if (ScaleLabelHost.Place)
        ScaleLabelHost.Place(window, tag);
    else
        window->show();
    return true;
}

TShownValue ShownValue(const TFormScaleLabel &window) {
    TShownValue shown;
    if (window.Key) {
        const ParameterTable table = ParameterTableOf(window.TableKind);
        if (window.TableRow >= 0 && window.TableRow < table.RowCount) {
            const ParamResult &result = table.Rows[window.TableRow].Result;
            shown.Value = result.Value;
            shown.Verdict = &result.Verdict;
        }
        return shown;
    }
    // A curve that the present signal kind does not produce holds no measurement, whatever its array says.
    if (!KindVisible(window.FormIndexPar))
        return shown;
    shown.Value = CurvePointValue(window.FormIndexPar, window.IndexValue);
    if (window.IndexMask >= 0 && window.IndexMask < MaskSlotCount && window.IndexNorm >= 0 &&
        window.IndexNorm < PointVerdictSize(window.IndexMask) && PointVerdicts[window.IndexMask])
        shown.Verdict = &PointVerdicts[window.IndexMask][window.IndexNorm];
    return shown;
}

} // namespace

TFormScaleLabel::TFormScaleLabel(int32_t slot, const QString &name) : Slot(slot) {
    setObjectName(QStringLiteral("FormScaleLabel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(ScaleLabelNavy));
    setPalette(palette);
    const QString shownName = ReplaceAll(name, QStringLiteral("\n"), QString());
    setWindowTitle(shownName + QStringLiteral(" - ") + LoadStr(441));

    // The labels sit on a plain widget of the window's size rather than on the window itself: a new text
    // asks its label's parent to lay out again, and asked of the window, that request travels on to the
    // MDI frame, which would lay itself out at every value. The window fits its width itself (FitWidth).
    Body = new QWidget(this);
    Body->setObjectName(QStringLiteral("Body"));
    Label1 = new QLabel(shownName, Body);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(Body);
    Label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel *label : {Label1, Label2}) {
        label->setAlignment(Qt::AlignCenter);
        label->setFont(BigFont());
    }
    SetTextColour(Label1, QColor(NameYellow));
    SetTextColour(Label2, ValueWhite);

    FormStorage1 = new TFormPlacement(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetActive(false);
    const QString iniFileName = ScaleLabelHost.IniFileName ? ScaleLabelHost.IniFileName() : QString();
    FormStorage1->SetIniFileName(iniFileName.isEmpty() ? ProgramDir() + QStringLiteral("R9.ini") : iniFileName);
    FormStorage1->SetIniSection(windowTitle());
    if (const int width = ScaleLabelHost.ClientWidth ? ScaleLabelHost.ClientWidth() : 0; width > 0) {
        FormStorage1->MinMaxInfo().SetMinMaxInfo(TWinMinMaxInfo::MaxSizeWidth, width);
        FormStorage1->MinMaxInfo().SetMinMaxInfo(TWinMinMaxInfo::MaxTrackWidth, width);
    }
    FitFonts(DefaultClientHeight);
    resize(sizeHint());
    FormStorage1->RestoreFormPlacement();
}

TFormScaleLabel::~TFormScaleLabel() {
    FormStorage1->FormDestroy();
}

void TFormScaleLabel::UpdateScaleLabel() {
    const TShownValue shown = ShownValue(*this);
    SetTextColour(Label2, shown.Verdict && int8_t(*shown.Verdict) < 1 ? ValueRed : ValueWhite);
    const QString text = shown.Value == NoValue ? LoadStr(300) : FormatValue(shown.Value);
    if (Label2->text() != text) {
        Label2->setText(text);
        FitWidth();
    }
}

// The digits fill the height: the name takes four tenths of it, the value six.
void TFormScaleLabel::FitFonts(int clientHeight) {
    QFont nameFont = Label1->font();
    nameFont.setPixelSize(std::max(1, int(clientHeight * 0.4)));
    Label1->setFont(nameFont);
    QFont valueFont = Label2->font();
    valueFont.setPixelSize(std::max(1, int(clientHeight * 0.6)));
    Label2->setFont(valueFont);
}

QSize TFormScaleLabel::sizeHint() const {
    return {std::max(Label1->sizeHint().width(), Label2->sizeHint().width()) + 5, DefaultClientHeight};
}

void TFormScaleLabel::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    FitFonts(height());
    Body->setGeometry(rect());
    const int nameHeight = Label1->sizeHint().height();
    Label1->setGeometry(0, 0, width(), nameHeight);
    Label2->setGeometry(0, nameHeight, width(), std::max(0, height() - nameHeight));
    FitWidth();
}

// The window is as wide as its wider label and a little more, never wider than the main window's client.
void TFormScaleLabel::FitWidth() {
    int wanted = std::max(Label1->sizeHint().width(), Label2->sizeHint().width()) + 5;
    if (const int limit = ScaleLabelHost.ClientWidth ? ScaleLabelHost.ClientWidth() : 0; limit > 0)
        wanted = std::min(wanted, limit);
    if (wanted == width())
        return;
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        frame->resize(frame->width() - width() + wanted, frame->height());
    else
        resize(wanted, height());
}

QString TFormScaleLabel::ValueFileName() const {
    QString folder = ScaleLabelHost.BatchResultFolder ? ScaleLabelHost.BatchResultFolder() : QString();
    if (folder.isEmpty())
        folder = ReportTempFolder();
    else if (!folder.endsWith('/') && !folder.endsWith('\\'))
        folder += '/';
    return folder + ValueFileStem(Label1->text());
}

// Writes the shown value with the time of the newest data for the protocol: the time stamp, "=" and the
// value, and a line with one blank.
void TFormScaleLabel::FormDblClick() {
    const QString fileName = ValueFileName();
    QDir().mkpath(QFileInfo(fileName).path());
    std::unique_ptr<QFile> stream;
    if (!OpenFileStream(stream, fileName, FileOpenMode::Create, SeekOrigin::Begin))
        return;
    WriteTextToFile(*stream,
                    DateTimeToText(NowStamp) + QStringLiteral("\r\n=") + Label2->text() + QStringLiteral("\r\n \r\n"));
}

void TFormScaleLabel::mouseDoubleClickEvent(QMouseEvent *event) {
    event->accept();
    FormDblClick();
}

void TFormScaleLabel::closeEvent(QCloseEvent *event) {
    FormStorage1->SaveFormPlacement();
    if (ScaleLabelHost.RemoveWindowMenuItem)
        ScaleLabelHost.RemoveWindowMenuItem(this);
    if (Key && *Key != 0) {
        *Key = 0;
        if (ScaleLabelHost.ShowParams)
            ScaleLabelHost.ShowParams();
    }
    if (Slot >= 0 && Slot < ScaleLabelWindowCount && ScaleLabelWindows[std::size_t(Slot)] == this)
        ScaleLabelWindows[std::size_t(Slot)] = nullptr;
    event->accept();
}

bool ShowParamScaleLabel(const QString &name, int32_t tableKind, int32_t row) {
    const ParameterTable table = ParameterTableOf(tableKind);
    if (row < 0 || row >= table.RowCount)
        return false;
    uint8_t *key = &table.Rows[row].Settings.TextWindow;
    return OpenScaleLabel(
        name, [key](const TFormScaleLabel &window) { return window.Key == key; },
        [&](TFormScaleLabel &window) {
            window.Key = key;
            window.TableKind = tableKind;
            window.TableRow = row;
        });
}

bool ShowPointScaleLabel(const QString &name, int16_t indexNorm, int16_t indexValue, int16_t formIndexPar,
                         int16_t indexMask) {
    return OpenScaleLabel(
        name,
        [=](const TFormScaleLabel &window) {
            return !window.Key && window.FormIndexPar == formIndexPar && window.IndexValue == indexValue;
        },
        [=](TFormScaleLabel &window) {
            window.IndexNorm = indexNorm;
            window.IndexValue = indexValue;
            window.FormIndexPar = formIndexPar;
            window.IndexMask = indexMask;
        });
}

void UpdateScaleLabels() {
    for (QPointer<QWidget> &slot : ScaleLabelWindows)
        if (auto *window = qobject_cast<TFormScaleLabel *>(slot.data()))
            window->UpdateScaleLabel();
}

void CloseParamScaleLabels(const uint8_t *key) {
    for (QPointer<QWidget> &slot : ScaleLabelWindows)
        if (auto *window = qobject_cast<TFormScaleLabel *>(slot.data()); window && window->Key == key) {
            window->Key = nullptr;
            window->close();
        }
}

void ClosePointScaleLabels(int16_t graphKind) {
    for (QPointer<QWidget> &slot : ScaleLabelWindows)
        if (auto *window = qobject_cast<TFormScaleLabel *>(slot.data());
            window && !window->Key && window->FormIndexPar == graphKind)
            window->close();
}
