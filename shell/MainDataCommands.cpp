#include "shell/Main.h"

#include "chartlib/FileNameCase.h"
#include "engine/EngineBuffers.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "protocols/PackageWork.h"
#include "protocols/ProtocolEntry.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "protocols/ScenarioState.h"
#include "shell/DataCommandServices.h"
#include "shell/FileChoice.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "state/RecordChangeMask.h"
#include "storage/Configuration.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QToolButton>

#include <cstring>

TDataCommandServices &DataCommandServices() {
    static TDataCommandServices services;
    return services;
}

QPointer<QWidget> PlayForm;

namespace {

constexpr qint64 VersionFieldSize = 20;
const char *const RecordingExtensions[] = {".idx", ".set", ".rnd", ".adc"};

QString ConfigFilter() {
    return LoadStr(173) + QStringLiteral("( *.cfg) (*.cfg)");
}

// The folder of a chosen file, as the folder fields keep it: with a trailing separator.
QString FolderOf(const QString &file) {
    return QFileInfo(file).absolutePath() + QLatin1Char('/');
}

// The chosen name with its extension replaced by ".cfg", or ".cfg" appended when it has none.
QString ConfigTarget(const QString &chosen) {
    const QFileInfo info(chosen);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf('.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    return info.dir().filePath(stem + QStringLiteral(".cfg"));
}

void WarnBox(const QString &text, int caption) {
    ShowMessage({text, LoadStr(caption), MsgIcon::Warning, MsgButtons::Ok});
}

void WarnMissing(const QString &name) {
    WarnBox(LoadStr(279) + QStringLiteral(" '") + name + QStringLiteral("' ") + LoadStr(280), 5);
}

// The recording's version text: the 20-byte field up to its first NUL, or all 20 bytes when it has none.
QByteArray VersionField(const char *bytes, qint64 size) {
    return QByteArray(bytes, qsizetype(strnlen(bytes, std::size_t(size))));
}

std::optional<QString> AskComment() {
    // Batch work writes its protocol without asking anybody, with the comment it last gave.
    if (PackageWork)
        return ProtocolComment;
    const auto &ask = DataCommandServices().AskProtocolComment;
    return ask ? ask() : std::optional<QString>(QString());
}

void AddEntry(int remote, const QString &comment) {
    if (const auto &add = DataCommandServices().AddProtocolEntry)
        add(remote, comment);
}

bool SaveKindSnapshot(int kind) {
    const auto &save = DataCommandServices().SaveKindProtocol;
    return save && save(kind);
}

TProtocolSnapshot &ResultsOf(int remote) {
    return remote ? RemoteProtocolSnapshot : LocalProtocolSnapshot;
}

// The protocol button, the automatic protocol and the filing reach the protocol writer and the main
// window through these.
void InstallProtocolServices() {
    TDataCommandServices &data = DataCommandServices();
    data.ProtocolWrittenRemotely = [] { return UnderRemoteControl == 1; };
    data.LocalMasterDone = [] { return LocalProtocolSnapshot.MasterDone != 0; };
    data.SaveKindProtocol = [](int kind) { return SaveKindProtocol(kind); };
    data.AskProtocolComment = []() -> std::optional<QString> {
        if (!AskProtocolDialog(0))
            return std::nullopt;
        return ProtocolComment;
    };
    data.AddProtocolEntry = [](int remote, const QString &comment) {
        AddProtocolEntry(remote, ResultsOf(remote), 0, comment);
    };
    ProtocolSnapshotServices().AddAutoProtocolEntry = [](TProtocolSnapshot &snapshot) {
        if (ProgramSettings.AutoProtocol)
            AddProtocolEntry(0, snapshot, 0, QString());
    };
    ProtocolHost().DirReport = []() -> QString * { return MainForm ? &MainForm->DirReport : nullptr; };
    ProtocolHost().MainWindow = []() -> QWidget * { return MainForm; };
}

} // namespace

void TMainForm::BuildDataCommands() {
    Button_Protocol = new QToolButton(ToolBar_Start);
    Button_Protocol->setObjectName(QStringLiteral("Button_Protocol"));
    Button_Protocol->setText(QStringLiteral("Протокол"));
    Button_Protocol->setToolTip(QStringLiteral("Сохранение в протокол"));
    Button_Protocol->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar_Start->insertWidget(ToolBar_Start->actions().constLast(), Button_Protocol);
    QAction *record = ItemByName(QStringLiteral("NSaveData"));
    QAction *play = ItemByName(QStringLiteral("NPlayData"));
    record->setCheckable(true);
    play->setCheckable(true);
    connect(Button_SaveData, &QToolButton::clicked, this, [this] { Button_SaveDataClick(Button_SaveData); });
    connect(record, &QAction::triggered, this, [this, record] { Button_SaveDataClick(record); });
    connect(Button_PlayData, &QToolButton::clicked, this, [this] { Button_PlayDataClick(Button_PlayData); });
    connect(play, &QAction::triggered, this, [this, play] { Button_PlayDataClick(play); });
    connect(Button_Protocol, &QToolButton::clicked, this, &TMainForm::Button_ProtocolClick);
    InstallRecordingServices();
    InstallProtocolServices();
    PlaceBands();
}

void TMainForm::Button_SaveDataClick(QObject *) {
    RecordingOn = !RecordingOn;
    // The button and the menu item show the same state whichever was used.
    Button_SaveData->setDown(RecordingOn);
    ItemByName(QStringLiteral("NSaveData"))->setChecked(RecordingOn);
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}

void TMainForm::Button_PlayDataClick(QObject *) {
    const bool wasOn = PlaybackOn;
    PlaybackOn = !PlaybackOn;
    if (wasOn) {
        // A playback window that refuses to close keeps playing; one that closes frees itself.
        if (PlayForm && !PlayForm->close())
            PlaybackOn = true;
    } else if (!PlayForm) {
        TFileChoice choice;
        choice.Filter = QStringLiteral("*.idx (*.idx)");
        choice.Folder = DirDataFile;
        const QString chosen = ChooseFile(this, choice);
        if (!chosen.isEmpty() && QFileInfo(chosen).isFile() && CheckResultFiles(chosen))
            DirDataFile = FolderOf(chosen);
        else
            PlaybackOn = false;
    }
    UpdatePlaybackControls();
}

bool TMainForm::CheckResultFiles(const QString &indexFile) {
    const qsizetype dot = indexFile.lastIndexOf('.');
    const QString base = dot > indexFile.lastIndexOf('/') ? indexFile.left(dot) : indexFile;
    QString missing;
    QString setFile;
    for (const char *extension : RecordingExtensions) {
        const QString name = base + QLatin1String(extension);
        const QString found = FindFileIgnoringCase(name);
        if (found.isEmpty())
            missing = name;
        if (QLatin1String(extension) == QLatin1String(".set"))
            setFile = found;
    }
    if (!missing.isEmpty()) {
        WarnMissing(missing);
        return false;
    }
    QFile set(setFile);
    char field[VersionFieldSize] = {};
    if (!set.open(QIODevice::ReadOnly) || set.read(field, VersionFieldSize) < 0) {
        WarnMissing(base + QStringLiteral(".set"));
        return false;
    }
    const QByteArray version = VersionField(field, VersionFieldSize);
    const QString prefix = QStringLiteral("Версия файла результатов: ") + indexFile + QStringLiteral(":   [") +
                           FromCp1251(version) + QStringLiteral("]\nне совпадает с версией программы R9:   [") +
                           ProgramVersionText + QStringLiteral("]\n");
    QString advice;
    if (version < QByteArray("V4.00"))
        advice =
            QStringLiteral("Для просмотра файла результатов воспользуйтесь предыдущей версией программы R9 (V3.04)");
    else if (version < QByteArray("V5.00"))
        advice =
            QStringLiteral("Для просмотра файла результатов воспользуйтесь предыдущей версией программы R9 (V4.XX)");
    else if (version > ProgramVersionText.toLatin1())
        advice = QStringLiteral("Для просмотра файла результатов воспользуйтесь более новой версией программы R9");
    if (!advice.isEmpty()) {
        WarnBox(prefix + advice, 5);
        return false;
    }
    const auto &create = DataCommandServices().CreatePlayForm;
    PlayForm = create ? create(indexFile, base) : nullptr;
    return PlayForm != nullptr;
}

void TMainForm::UpdatePlaybackControls() {
    Button_PlayData->setDown(PlaybackOn);
    ItemByName(QStringLiteral("NPlayData"))->setChecked(PlaybackOn);
    Button_Start->setEnabled(!PlaybackOn);
    for (const char *name : {"N_Start", "N_Scenar"})
        ItemByName(QLatin1String(name))->setEnabled(!PlaybackOn);
    RecordingOn = false;
    Button_SaveData->setEnabled(!PlaybackOn);
    Button_SaveData->setDown(false);
    QAction *record = ItemByName(QStringLiteral("NSaveData"));
    record->setEnabled(!PlaybackOn);
    record->setChecked(false);
    const TDataCommandServices &services = DataCommandServices();
    for (const auto &refresh : {services.UpdateSettingsControlStates, services.EnableParamEditors})
        if (refresh)
            refresh();
    ScenarioRunning = 0;
    if (Form_Scenario) {
        QMdiSubWindow *frame = SubWindowOf(Form_Scenario);
        if (frame)
            frame->close();
        else
            Form_Scenario->close();
    }
}

void TMainForm::N_SaveConfigClick() {
    TFileChoice choice;
    choice.Save = true;
    choice.Title = LoadStr(172);
    choice.Filter = ConfigFilter();
    choice.Folder = DirCfgFile;
    choice.FileName = ConfigFileName.isEmpty() ? QStringLiteral("noname") : QFileInfo(ConfigFileName).fileName();
    QString target;
    for (;;) {
        const QString chosen = ChooseFile(this, choice);
        if (chosen.isEmpty())
            return;
        // The folder is remembered for the next dialog; the process's working folder stays as it is.
        DirCfgFile = FolderOf(chosen);
        ConfigFileName = chosen;
        target = ConfigTarget(chosen);
        choice.Folder = DirCfgFile;
        choice.FileName = QFileInfo(chosen).fileName();
        if (!QFileInfo::exists(target))
            break;
        const int answer =
            ShowMessage({LoadStr(174) + QStringLiteral(" '") + target + QStringLiteral("' ") + LoadStr(175), LoadStr(7),
                         MsgIcon::Warning, MsgButtons::YesNo});
        // The old file is not deleted here: the new one replaces it only once it has been written whole.
        if (answer == IdYes)
            break;
    }
    SaveConfiguration(target, 1);
}

void TMainForm::N_LoadConfigClick() {
    TFileChoice choice;
    choice.Title = QStringLiteral("Загрузить файл конфигурации");
    choice.Filter = ConfigFilter();
    choice.Folder = DirCfgFile;
    choice.FileName = ConfigFileName.isEmpty() ? QString() : QFileInfo(ConfigFileName).fileName();
    const QString chosen = ChooseFile(this, choice);
    if (chosen.isEmpty() || !QFileInfo(chosen).isFile())
        return;
    DirCfgFile = FolderOf(chosen);
    ConfigFileName = chosen;
    LoadConfiguration(chosen);
}

void TMainForm::Button_ProtocolClick() {
    const TDataCommandServices &services = DataCommandServices();
    if (services.ProtocolWrittenRemotely && services.ProtocolWrittenRemotely())
        CloseProtocol(false);
    SetPause(true);
    bool done = false;
    const int type = DeviceSettings->ConnectionType;
    if (type > 1 && type != 6) {
        if (services.LocalMasterDone && services.LocalMasterDone()) {
            if (const std::optional<QString> comment = AskComment()) {
                AddEntry(0, *comment);
                if (SignalKind != 1 && SaveKindSnapshot(SignalKind))
                    AddEntry(0, *comment);
                if (PlaybackOn)
                    AddEntry(1, QString());
            }
            done = true;
        } else if (SaveKindSnapshot(SignalKind)) {
            if (const std::optional<QString> comment = AskComment()) {
                AddEntry(0, *comment);
                if (PlaybackOn)
                    AddEntry(1, QString());
            }
            done = true;
        }
    } else if (PlaybackOn) {
        AddEntry(1, QString());
        done = true;
    }
    SetPause(false);
    if (!done)
        WarnBox(LoadStr(451), 7);
}
