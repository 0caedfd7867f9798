#pragma once

#include <QComboBox>
#include <QString>

#include <memory>

class TNavigateView;
class TWin_FS;
class TNetwork_FS;
class TLCD_FS;
class NetworkBrowser;

// Combo boxes that choose what a navigator view shows: drives (mount points), the network and the COM
// ports of an instrument. Choosing an item creates its file system on first use (the instrument's anew on
// every connection), gives it to the view and lists the item's root there.
class TComboBoxConnect : public QComboBox {
    Q_OBJECT
public:
    static constexpr const char *NetworkItem = "Microsoft Windows Network";
    enum Bitmap { Floppy, Hard, Cd, Network, NetworkNeighbourhood, Port };

    explicit TComboBoxConnect(QWidget *parent = nullptr);
    ~TComboBoxConnect() override;

    TNavigateView *NavigateView() const { return FNavigateView; }
    void SetNavigateView(TNavigateView *view);
    QString Drive() const { return FDrive; }
    void SetDrive(const QString &value);
    void ConnectView();
    // The items anew and the current drive chosen, as when the box's window is created.
    void CreateWnd();
    // The browser of the network file system; the box takes it (tests give a fake). Without one the
    // network item makes the SMB client its browser.
    void SetNetworkBrowser(std::unique_ptr<NetworkBrowser> browser);

    virtual QString GetCurrentDrive() { return QString(); }
    virtual void GetAllDrives() { clear(); }
    virtual void SetDriveConnect(const QString &) {}
    void AddItem(const QString &text, int bitmap);

    TLCD_FS *LcdFs() const { return FLcdFS.get(); }

protected:
    void AddDrives();
    void AddPorts();
    void DriveRule(const QString &text);
    void PortRule(const QString &text);

    std::unique_ptr<TWin_FS> FWinFS;
    std::unique_ptr<TNetwork_FS> FNetworkFS;
    std::unique_ptr<TLCD_FS> FLcdFS;
    std::unique_ptr<NetworkBrowser> FBrowser;
    TNavigateView *FNavigateView = nullptr;
    QString FDrive;

private:
    // The first item whose text begins with FDrive becomes the current one (none for an empty FDrive).
    void SelectDriveItem();
    // Set while the instrument's identification is awaited: the wait lets the user choose again, and a
    // second connection meanwhile would delete the file system whose wait is running.
    bool FConnecting = false;
};

class TDriveComboBoxConnect : public TComboBoxConnect {
    Q_OBJECT
public:
    using TComboBoxConnect::TComboBoxConnect;
    QString GetCurrentDrive() override;
    void GetAllDrives() override;
    void SetDriveConnect(const QString &text) override { DriveRule(text); }
};

class TPortComboBoxConnect : public TComboBoxConnect {
    Q_OBJECT
public:
    using TComboBoxConnect::TComboBoxConnect;
    void GetAllDrives() override;
    void SetDriveConnect(const QString &text) override { PortRule(text); }
};

class TPortDriveComboBoxConnect : public TDriveComboBoxConnect {
    Q_OBJECT
public:
    using TDriveComboBoxConnect::TDriveComboBoxConnect;
    void GetAllDrives() override;
    void SetDriveConnect(const QString &text) override;
};
