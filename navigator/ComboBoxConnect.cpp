#include "navigator/ComboBoxConnect.h"

#include "navigator/LCD_FS.h"
#include "navigator/NavigateView.h"
#include "navigator/Network_FS.h"
#include "navigator/SmbBrowser.h"
#include "platform/DriveTable.h"
#include "platform/SerialPort.h"

#include <QDir>
#include <QStorageInfo>
#include <QStyle>

namespace {

constexpr QStyle::StandardPixmap BitmapIcons[] = {
    QStyle::SP_DriveFDIcon, QStyle::SP_DriveHDIcon, QStyle::SP_DriveCDIcon,
    QStyle::SP_DriveNetIcon, QStyle::SP_DirLinkIcon, QStyle::SP_ComputerIcon,
};

const QString PortPrefix = QStringLiteral("Порт:");

} // namespace

TComboBoxConnect::TComboBoxConnect(QWidget *parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, [this](int index) {
        SetDrive(index >= 0 ? itemText(index) : GetCurrentDrive());
    });
}

TComboBoxConnect::~TComboBoxConnect() {
    if (FNavigateView)
        FNavigateView->SetFileSystem(nullptr);
    FLcdFS.reset();
    FNetworkFS.reset();
    FWinFS.reset();
}

void TComboBoxConnect::SetNetworkBrowser(std::unique_ptr<NetworkBrowser> browser) {
    FBrowser = std::move(browser);
}

void TComboBoxConnect::SetNavigateView(TNavigateView *view) {
    FNavigateView = view;
    ConnectView();
}

void TComboBoxConnect::CreateWnd() {
    GetAllDrives();
    SetDrive(GetCurrentDrive());
}

void TComboBoxConnect::AddItem(const QString &text, int bitmap) {
    if (bitmap >= 0 && bitmap < int(std::size(BitmapIcons)))
        addItem(style()->standardIcon(BitmapIcons[bitmap]), text);
    else
        addItem(text);
}

void TComboBoxConnect::SetDrive(const QString &value) {
    if (FConnecting) {
        SelectDriveItem();
        return;
    }
    FDrive = value;
    SelectDriveItem();
    if (!value.isEmpty() && value.contains(':'))
        SetDriveConnect(value);
    ConnectView();
}

void TComboBoxConnect::SelectDriveItem() {
    setCurrentIndex(-1);
    if (FDrive.isEmpty())
        return;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).startsWith(FDrive)) {
            setCurrentIndex(i);
            return;
        }
    }
}

void TComboBoxConnect::ConnectView() {
    TNavigateView *view = FNavigateView;
    if (!view || FConnecting)
        return;
    // Every connection closes the instrument's file system, whichever item is chosen.
    if (FLcdFS) {
        if (view->FileSystem() == FLcdFS.get())
            view->SetFileSystem(nullptr);
        FLcdFS.reset();
    }
    if (FDrive.size() >= 2 && FDrive[1] == ':') {
        if (!FWinFS)
            FWinFS = std::make_unique<TWin_FS>(view);
        view->SetFileSystem(FWinFS.get());
        view->UpdateDir(FDrive);
    } else if (FDrive == NetworkItem) {
        if (!FBrowser)
            FBrowser = std::make_unique<SmbBrowser>();
        if (!FNetworkFS)
            FNetworkFS = std::make_unique<TNetwork_FS>(view, FBrowser.get());
        view->SetFileSystem(FNetworkFS.get());
        view->UpdateDir(QString());
    } else if (FDrive.startsWith(PortPrefix)) {
        bool ok = false;
        auto lcd = std::make_unique<TLCD_FS>(view, FDrive.mid(PortPrefix.size()).toInt(), ok);
        if (ok) {
            FLcdFS = std::move(lcd);
            FConnecting = true;
            FLcdFS->WaitIdentified();
            FConnecting = false;
        }
        view->SetFileSystem(FLcdFS.get());
        view->UpdateDir("R9:");
    } else {
        return;
    }
    if (!view->Items.empty())
        view->Select(0);
}

void TComboBoxConnect::AddDrives() {
    for (const DriveEntry &drive : Drives()) {
        const QString root = QString(drive.Letter) + ":\\";
        const QString label = QStorageInfo(drive.MountPoint).name();
        switch (drive.Kind) {
        case DriveKind::Removable:
            AddItem(root, Floppy);
            break;
        case DriveKind::Fixed:
            AddItem(QString("%1 [%2]").arg(root, label), Hard);
            break;
        case DriveKind::Network:
            AddItem(QString("%1 [%2]").arg(root.left(2), drive.Label), Network);
            break;
        case DriveKind::CdRom:
            AddItem(QString("%1 [%2]").arg(root, label), Cd);
            break;
        case DriveKind::RamDisk:
            AddItem(QString("%1 [%2]").arg(root, label), -1);
            break;
        case DriveKind::Unknown:
            AddItem(root, -1);
            break;
        }
    }
    AddItem(NetworkItem, NetworkNeighbourhood);
}

// A port that cannot be opened (missing, or used by another program) is not listed.
void TComboBoxConnect::AddPorts() {
    for (int n = 1; n <= MaxComPort; ++n) {
        SerialPort port;
        if (port.Open(n))
            AddItem(PortPrefix + QString::number(n), Port);
    }
}

void TComboBoxConnect::DriveRule(const QString &text) {
    if (text.size() >= 2 && text[1] == ':')
        FDrive = text.left(2);
}

void TComboBoxConnect::PortRule(const QString &text) {
    if (text.size() >= 5 && text[4] == ':')
        FDrive = text;
}

QString TDriveComboBoxConnect::GetCurrentDrive() {
    const QString current = QDir::currentPath();
    QString best;
    qsizetype bestLength = -1;
    for (const DriveEntry &drive : Drives()) {
        const QString mount = drive.MountPoint;
        const bool inside = current == mount || current.startsWith(mount.endsWith('/') ? mount : mount + "/");
        if (inside && mount.size() > bestLength) {
            best = QString(drive.Letter) + ":";
            bestLength = mount.size();
        }
    }
    return best;
}

void TDriveComboBoxConnect::GetAllDrives() {
    clear();
    AddDrives();
}

void TPortComboBoxConnect::GetAllDrives() {
    clear();
    AddPorts();
}

void TPortDriveComboBoxConnect::GetAllDrives() {
    clear();
    AddDrives();
    AddPorts();
}

void TPortDriveComboBoxConnect::SetDriveConnect(const QString &text) {
    DriveRule(text);
    PortRule(text);
}
