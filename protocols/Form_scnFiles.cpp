#include "protocols/Form_scn.h"

#include "chart/ChartlibChart.h"
#include "chartlib/Chartlib.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ScenarClass.h"
#include "protocols/ScenarioConfigRows.h"
#include "protocols/ScenarioFiles.h"
#include "state/FileNameList.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableWidget>

namespace {

QString *DirCfgFile() {
    static QString unregistered;
    const auto &link = ScenarioWindowHost().DirCfgFile;
    QString *folder = link ? link() : nullptr;
    return folder ? folder : &unregistered;
}

void RememberFolder(const QString &file) {
    *DirCfgFile() = QFileInfo(file).absolutePath() + u'/';
}

const QString ScenarioFilter = QStringLiteral("Файлы сценариев( *.scn)|*.scn");
const QString ConfigFilter = QStringLiteral("*.cfg|*.cfg");

} // namespace

// Under batch control nobody is there to choose a file: a file dialog counts as cancelled.
QString TForm_Scenario::AskOpenName(const TSaveDialogRequest &request) {
    if (BatchMessagesDiverted())
        return {};
    const auto &ask = ScenarioWindowHost().AskOpenFile;
    if (ask)
        return ask(this, request);
    return QFileDialog::getOpenFileName(this, request.title, request.folder + request.fileName,
                                        request.filters.join(QStringLiteral(";;")));
}

// The name gets the extension in place of its own; an existing file is only taken once the user agreed
// to overwrite it, and the writer replaces it whole.
QString TForm_Scenario::AskSaveName(TSaveDialogRequest request, const QString &extension) {
    if (BatchMessagesDiverted())
        return {};
    for (;;) {
        const auto &ask = ScenarioWindowHost().AskSaveFile;
        const QString chosen =
            ask ? ask(window(), request)
                : QFileDialog::getSaveFileName(window(), request.title, request.folder + request.fileName,
                                               request.filters.join(QStringLiteral(";;")), nullptr,
                                               QFileDialog::DontConfirmOverwrite);
        if (chosen.isEmpty())
            return {};
        RememberFolder(chosen);
        const QFileInfo info(chosen);
        const QString base = info.fileName();
        const qsizetype dot = base.lastIndexOf(u'.');
        const QString file = info.path() + u'/' + (dot > 0 ? base.left(dot) : base) + extension;
        if (!QFileInfo::exists(file))
            return file;
        const QString question = QStringLiteral("Имя '") + file + QStringLiteral("' уже существует! Перезаписать?");
        if (ShowMessage({question, QStringLiteral("Внимание!"), MsgIcon::Warning, MsgButtons::YesNo}) == IdYes)
            return file;
        request.folder = *DirCfgFile();
    }
}

bool TForm_Scenario::WriteScenario(const QString &fileName) {
    if (SaveScenarioIni(*CurrentScenario, fileName))
        return true;
    ShowMessage({LoadStr(413) + u' ' + fileName, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
    return false;
}

int TForm_Scenario::AskSaveScenario() {
    const int answer = ShowMessage({QStringLiteral("Сохранить текущий сценарий ?"), QStringLiteral("Внимание!"),
                                    MsgIcon::Warning, MsgButtons::YesNoCancel});
    if (answer == IdYes)
        Tlb_SaveClick();
    if (answer != IdCancel)
        Modified = false;
    return answer;
}

void TForm_Scenario::Tlb_NewClick() {
    if (Modified && AskSaveScenario() == IdCancel)
        return;
    ClearScenario(*CurrentScenario);
    ClearGrid();
    SetCurrentColumn(ColResult);
    SizeFirstColumn();
    Modified = false;
    UpdateButtons();
}

void TForm_Scenario::Tlb_SaveClick() {
    if (CurrentScenario->Name.isEmpty()) {
        Tlb_SaveAsClick();
        return;
    }
    if (!WriteScenario(CurrentScenario->Name))
        return;
    Modified = false;
    UpdateButtons();
}

void TForm_Scenario::Tlb_SaveAsClick() {
    const QString file = AskSaveName({QStringLiteral("Сохранение сценария"), QStringLiteral("noname"),
                                      DialogFilters(ScenarioFilter), *DirCfgFile(), QStringLiteral("scn")},
                                     QStringLiteral(".scn"));
    if (file.isEmpty())
        return;
    // The configurations' paths are stored relative to the new name's folder.
    const QString previous = CurrentScenario->Name;
    CurrentScenario->Name = file;
    if (!WriteScenario(file)) {
        CurrentScenario->Name = previous;
        return;
    }
    Modified = false;
    UpdateButtons();
}

void TForm_Scenario::Tlb_ImageSaveClick() {
    const QString name =
        CurrentScenario->Name.isEmpty() ? QStringLiteral("noname") : FileNameWithoutExt(CurrentScenario->Name);
    const QString file = AskSaveName({QStringLiteral("Сохранить результаты исполнения сценария"), name,
                                      DialogFilters(QStringLiteral("Результаты исполнения ( *.dat)|*.dat")),
                                      *DirCfgFile(), QStringLiteral("dat")},
                                     QStringLiteral(".dat"));
    if (file.isEmpty())
        return;
    // The protocol is filed first, so that the file names the folder and frameset it was filed as.
    CloseProtocol(false);
    WriteScenario(file);
}

void TForm_Scenario::OpenScenario(bool withResults) {
    const bool rows = CurrentScenario->RowCount() > 0;
    if (rows && Modified && AskSaveScenario() == IdCancel)
        return;
    const QString file = withResults
                             ? AskOpenName({QStringLiteral("Загрузка результатов исполнения сценария"), QString(),
                                            DialogFilters(QStringLiteral(" Результаты исполнения ( *.dat)|*.dat")),
                                            *DirCfgFile(), QStringLiteral("dat")})
                             : AskOpenName({QStringLiteral("Открыть сценарий"), QString(),
                                            DialogFilters(ScenarioFilter), *DirCfgFile(), QStringLiteral("scn")});
    if (file.isEmpty())
        return;
    RememberFolder(file);
    if (CurrentScenario->RowCount() > 0)
        Tlb_NewClick();
    if (!withResults)
        CurrentScenario->Name = file;
    LoadScenarioIni(*CurrentScenario, withResults, file);
    FillGrid(withResults);
    Modified = false;
    UpdateButtons();
    if (!withResults)
        ClearSummaryRow();
}

void TForm_Scenario::Tlb_OpenClick() {
    OpenScenario(false);
}

void TForm_Scenario::Tlb_ImageOpenClick() {
    OpenScenario(true);
}

void TForm_Scenario::OpenScenarioFile(const QString &fileName) {
    RememberFolder(fileName);
    if (CurrentScenario->RowCount() > 0)
        Tlb_NewClick();
    CurrentScenario->Name = fileName;
    LoadScenarioIni(*CurrentScenario, false, fileName);
    FillGrid(false);
    Modified = false;
    UpdateButtons();
    ClearSummaryRow();
}

void TForm_Scenario::InsertConfiguration(bool insert) {
    const QString file =
        AskOpenName({QString(), QString(), DialogFilters(ConfigFilter), *DirCfgFile(), QStringLiteral("cfg")});
    if (file.isEmpty())
        return;
    for (int i = 0; i < CurrentScenario->RowCount(); ++i)
        ResetRowResults(i);
    ResetSummary();
    RememberFolder(file);
    AddConfiguration(file, insert);
}

void TForm_Scenario::Tlb_InsCfgClick() {
    InsertConfiguration(true);
}

void TForm_Scenario::Tlb_AddCfgClick() {
    InsertConfiguration(false);
}

void TForm_Scenario::AddConfiguration(const QString &fileName, bool insert) {
    TScenarClass &s = *CurrentScenario;
    const int index =
        s.RowCount() == 0 || insert ? std::clamp(SelectedGridRow() - 1, 0, int(s.RowCount())) : int(s.RowCount());
    if (!ReadConfigIntoRow(fileName, true, index))
        return;
    SG->setRowCount(s.RowCount() + 1);
    FillRowsFrom(index);
    SelectGridRow(index + 1);
    SetCurrentColumn(ColResult);
    SizeFirstColumn();
    Modified = true;
    UpdateButtons();
    ClearSummaryRow();
}

// A configuration that is not where the scenario says: the user names it or its replacement, or gives up
// (the scenario is emptied then). In batch mode there is nobody to ask.
bool TForm_Scenario::LocateMissingConfiguration(QString &path) {
    while (!QFileInfo(path).isFile()) {
        if (BatchMessagesDiverted()) {
            Modified = false;
            Tlb_NewClick();
            return false;
        }
        ShowMessage({LoadStr(279) + QStringLiteral(" '") + path + QStringLiteral("' ") + LoadStr(280) +
                         QStringLiteral("\nУкажите путь к файлу или его замену!"),
                     LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
        const QFileInfo missing(path);
        path = AskOpenName(
            {QString(), missing.fileName(), DialogFilters(ConfigFilter), missing.path() + u'/', QStringLiteral("cfg")});
        if (path.isEmpty()) {
            Modified = false;
            Tlb_NewClick();
            return false;
        }
    }
    return true;
}

void TForm_Scenario::FillGrid(bool withResults) {
    TScenarClass &s = *CurrentScenario;
    SG->hide();
    SG->setRowCount(std::max<int>(s.RowCount(), 1) + 1);
    {
        const QSignalBlocker blocker(Edit1);
        Edit1->setText(s.CommentIndex >= 0 ? FileNameList.value(s.CommentIndex) : QString());
    }
    MaskEdit1->setText(SecondsToClock(s.RepeatInterval, true));
    switch (s.RepeatKind) {
    case 1:
        N1Click();
        break;
    case 2:
        N2Click();
        break;
    case 3:
        N3Click();
        break;
    default:
        break;
    }
    for (int i = 0; i < s.RowCount(); ++i) {
        QString path = FileNameList.value(s.Rows[std::size_t(i)].ConfigIndex);
        if (!LocateMissingConfiguration(path)) {
            SG->show();
            return;
        }
        if (!ReadConfigIntoRow(path, false, i)) {
            SetCell(ColConfig, i + 1, QStringLiteral("Ошибка!"));
            continue;
        }
        FillRow(i);
        if (withResults)
            ShowRowState(i);
    }
    if (withResults) {
        ClearSummaryRow();
        ShowSummary();
    }
    SetCurrentColumn(ColResult);
    SizeFirstColumn();
    if (s.RowCount() > 0)
        SelectGridRow(1);
    SG->show();
}
