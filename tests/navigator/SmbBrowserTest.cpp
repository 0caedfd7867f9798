#include "NavigatorTestRig.h"

#include "navigator/SmbBrowser.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP socket on a free loopback port: listening and never answering, or closed again so that nothing
// listens there.
class LoopbackPort {
public:
    explicit LoopbackPort(bool listening) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr *>(&address), length);
        ::getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (listening) {
            ::listen(fd_, 4);
        } else {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~LoopbackPort() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    quint16 Port() const { return port_; }

private:
    int fd_ = -1;
    quint16 port_ = 0;
};

// A client that resolves names from Samba's own hosts list only (none here), so that no name query
// leaves this machine, and waits briefly. The top level is never listed here: its browse request is a
// broadcast on the machine's networks, whatever the configuration says.
struct LoopbackClient {
    explicit LoopbackClient(quint16 port) {
        const QString config = dir.path() + "/smb.conf";
        QFile file(config);
        file.open(QIODevice::WriteOnly);
        file.write("[global]\n"
                   "    name resolve order = lmhosts\n");
        file.close();
        browser = std::make_unique<SmbBrowser>(SmbBrowser::Options{700, port, config});
    }
    QTemporaryDir dir;
    std::unique_ptr<SmbBrowser> browser;
};

TEST(SmbBrowserUrl, NavigatorPathsBecomeEncodedUrls) {
    const struct {
        QString path;
        QByteArray url;
    } cases[] = {
        {"", "smb://"},
        {"WORKGROUP", "smb://WORKGROUP"},
        {"\\\\srv", "smb://srv"},
        {"\\\\srv\\share", "smb://srv/share"},
        {"\\\\srv\\share\\", "smb://srv/share"},
        {"\\\\srv\\share\\My Docs\\a%b #1.txt", "smb://srv/share/My%20Docs/a%25b%20%231.txt"},
        {"\\\\srv\\share\\отчёт", "smb://srv/share/%D0%BE%D1%82%D1%87%D1%91%D1%82"},
        {"\\\\user:pw@evil\\share", "smb://user%3Apw%40evil/share"},
        {"\\\\srv\\share\\a/b?c", "smb://srv/share/a%2Fb%3Fc"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SmbUrl(c.path), c.url) << c.path.toStdString();
}

TEST(SmbBrowserLevels, ParentsUpToTheTop) {
    SmbBrowser browser;
    ASSERT_FALSE(browser.ProviderName().isEmpty());
    const struct {
        QString remote;
        QString parent;
    } cases[] = {
        {"WORKGROUP", browser.ProviderName()},
        {"\\\\typed", browser.ProviderName()}, // a server the user typed has no known group
        {"\\\\typed\\share", "\\\\typed"},
        {"\\\\typed\\share\\a\\b", "\\\\typed\\share\\a"},
    };
    for (const auto &c : cases) {
        QString parent = "unchanged";
        EXPECT_TRUE(browser.Parent(c.remote, parent)) << c.remote.toStdString();
        EXPECT_EQ(parent, c.parent) << c.remote.toStdString();
    }
    QString parent = "unchanged";
    EXPECT_FALSE(browser.Parent("", parent)) << "the top has no parent";
}

TEST(SmbBrowserErrors, UnreachableServersFailQuickly) {
    LoopbackPort closed(false);
    LoopbackClient client(closed.Port());
    const QString servers[] = {"\\\\127.0.0.1", "\\\\no-such-server"};
    for (const QString &server : servers) {
        QElapsedTimer timer;
        timer.start();
        QStringList shares{"stale"};
        EXPECT_FALSE(client.browser->Enumerate(server, shares)) << server.toStdString();
        EXPECT_TRUE(shares.isEmpty());
        std::vector<NetworkBrowser::Entry> entries(1);
        EXPECT_FALSE(client.browser->ListFolder(server + "\\share\\folder", entries)) << server.toStdString();
        EXPECT_TRUE(entries.empty());
        EXPECT_LT(timer.elapsed(), 5000) << server.toStdString();
    }
}

TEST(SmbBrowserErrors, SilentServerEndsWithTheTimeout) {
    LoopbackPort silent(true);
    LoopbackClient client(silent.Port());
    QElapsedTimer timer;
    timer.start();
    std::vector<NetworkBrowser::Entry> entries;
    EXPECT_FALSE(client.browser->ListFolder("\\\\127.0.0.1\\share", entries));
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST(SmbBrowserErrors, NetworkFileSystemReportsTheDeviceMissing) {
    LocalRig rig;
    LoopbackPort closed(false);
    LoopbackClient client(closed.Port());
    NavigatorListing listing;
    TNetwork_FS fs(&listing, client.browser.get());
    EXPECT_TRUE(rig.messages.isEmpty()) << "the client is set up";
    for (const QString path : {"\\\\127.0.0.1", "\\\\127.0.0.1\\share", "\\\\127.0.0.1\\share\\folder"}) {
        rig.messages.clear();
        fs.ReadDir(path);
        EXPECT_EQ(rig.messages, QStringList{"Устройство по " + path + " недоступно!"});
        EXPECT_FALSE(fs.ListValid());
        EXPECT_FALSE(fs.Connected());
        EXPECT_TRUE(listing.Items.empty());
    }
}

TEST(SmbBrowserErrors, OperationsInAnUnreachableShareFailWithTheirMessages) {
    LocalRig rig;
    rig.Write("local.txt", "kept");
    LoopbackPort closed(false);
    LoopbackClient client(closed.Port());
    SmbBrowser &browser = *client.browser;
    const QString share = "\\\\127.0.0.1\\share";
    const QString downloaded = rig.Path("downloaded");
    EXPECT_FALSE(browser.Exists(share + "\\a.txt"));
    EXPECT_FALSE(browser.MakeDir(share + "\\d"));
    EXPECT_FALSE(browser.Remove(share + "\\d", true));
    EXPECT_FALSE(browser.Rename(share + "\\a.txt", share + "\\b.txt"));
    EXPECT_FALSE(browser.Download(share + "\\a.txt", downloaded));
    EXPECT_FALSE(QFileInfo::exists(downloaded)) << "a failed download leaves no file";
    EXPECT_FALSE(browser.Upload(rig.Path("local.txt"), share + "\\a.txt"));

    NavigatorListing local, remote;
    TWin_FS localFs(&local);
    TNetwork_FS remoteFs(&remote, &browser);
    local.SetFileSystem(&localFs);
    remote.SetFileSystem(&remoteFs);
    const struct {
        std::function<bool()> operation;
        bool result;
        QString message;
    } cases[] = {
        {[&] { return remoteFs.Delete(share + "\\a.txt", 0); }, false, "Не могу удалить файл " + share + "\\a.txt Err="},
        {[&] { return remoteFs.Rename(share + "\\a.txt", share + "\\b.txt"); }, false,
         "Не могу переименовать " + share + "\\a.txt в " + share + "\\b.txt"},
        {[&] { return remoteFs.CopyTo(share + "\\a.txt", "X:\\a.txt", &local, 0); }, true,
         "Не могу прочитать файл " + share + "\\a.txt"},
        {[&] { return localFs.CopyTo("X:\\local.txt", share + "\\a.txt", &remote, 0); }, true,
         "Не могу записать файл " + share + "\\a.txt"},
        {[&] { return localFs.CopyTo("X:", share + "\\d", &remote, 1); }, false,
         "Не могу создать каталог по " + share + "\\d"},
    };
    for (const auto &c : cases) {
        rig.messages.clear();
        EXPECT_EQ(c.operation(), c.result) << c.message.toStdString();
        ASSERT_EQ(rig.messages.size(), 1) << c.message.toStdString();
        EXPECT_TRUE(rig.messages[0].startsWith(c.message)) << rig.messages[0].toStdString();
    }
    EXPECT_FALSE(localFs.TransferComplete()) << "the failed store is not a written copy";
    qint64 total = 1;
    qint64 free = 1;
    EXPECT_FALSE(browser.DiskSpace(share, total, free));
    EXPECT_EQ(rig.Read("local.txt"), "kept");
}

} // namespace
