#include "chart/ChartlibChartDialogs.h"

#include "chart/ChartlibChart.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace {

TChartDialogs Dialogs;
std::function<void(bool)> PauseHandler;

QString QtSaveFileName(QWidget *owner, const TSaveDialogRequest &request) {
    QFileDialog dialog(owner, request.title, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.fileName);
    // Overwriting is asked by the program's own question, with its own texts.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool QtPrinter(QWidget *owner, QPrinter &printer) {
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

QColor QtColor(QWidget *owner, const QColor &initial) {
    return QColorDialog::getColor(initial, owner);
}

QString AskSaveFileNameOnce(QWidget *owner, const TSaveDialogRequest &request) {
    return Dialogs.askSaveFileName ? Dialogs.askSaveFileName(owner, request) : QtSaveFileName(owner, request);
}

bool AskOverwrite(const QString &fileName) {
    const QString text = LoadStr(174) + QStringLiteral(" '") + fileName + QStringLiteral("' ") + LoadStr(175);
    return ShowMessage({text, LoadStr(7), MsgIcon::Warning, MsgButtons::YesNo}) == IdYes;
}

} // namespace

void SetChartDialogs(TChartDialogs dialogs) {
    Dialogs = std::move(dialogs);
}

bool AskPrinter(QWidget *owner, QPrinter &printer) {
    return Dialogs.askPrinter ? Dialogs.askPrinter(owner, printer) : QtPrinter(owner, printer);
}

QColor AskColor(QWidget *owner, const QColor &initial) {
    return Dialogs.askColor ? Dialogs.askColor(owner, initial) : QtColor(owner, initial);
}

QStringList DialogFilters(const QString &filter) {
    // The description may carry its own "(pattern)"; Qt reads the pattern from the last parentheses, so
    // the description keeps its words and the pattern of the pair is put there.
    static const QRegularExpression trailingPattern(QStringLiteral("\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = QString(parts[i]).remove(trailingPattern).trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (pattern.isEmpty())
            continue;
        filters << (description.isEmpty() ? QString() : description + QLatin1Char(' ')) + QLatin1Char('(') + pattern +
                       QLatin1Char(')');
    }
    return filters;
}

QString CaptionFileName(const QWidget *window) {
    QString name = window ? window->windowTitle() : QString();
    for (const QChar c : {u',', u'.', u':', u'/'})
        name.replace(c, QLatin1Char('_'));
    return name;
}

QString AskSaveFileName(QWidget *owner, const TSaveDialogRequest &request) {
    for (;;) {
        const QString fileName = AskSaveFileNameOnce(owner, request);
        if (fileName.isEmpty())
            return {};
        if (!QFileInfo::exists(fileName) || AskOverwrite(fileName))
            return fileName;
    }
}

void SetPauseHandler(std::function<void(bool on)> handler) {
    PauseHandler = std::move(handler);
}

TPauseScope::TPauseScope() {
    if (PauseHandler)
        PauseHandler(true);
}

TPauseScope::~TPauseScope() {
    if (PauseHandler)
        PauseHandler(false);
}
