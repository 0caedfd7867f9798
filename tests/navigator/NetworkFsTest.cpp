#include "NavigatorTestRig.h"

#include "navigator/Network_FS.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A server "\\srv" with one share "\\srv\share" whose files live in a temporary folder: it stands for
// the SMB client, so that the network file system's operations inside a share are seen on real files.
class FolderServer : public NetworkBrowser {
public:
    QString ProviderName() override { return "test network"; }
    bool Parent(const QString &remote, QString &parent) override {
        if (remote.isEmpty())
            return false;
        parent = remote.count('\\') == 2 ? ProviderName() : remote.left(remote.lastIndexOf('\\'));
        return true;
    }
    bool Enumerate(const QString &, QStringList &children) override {
        children = {"\\\\srv\\share"};
        return true;
    }
    bool ListFolder(const QString &path, std::vector<Entry> &entries) override {
        const QDir dir(Local(path));
        if (Local(path).isEmpty() || !dir.exists())
            return false;
        for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name))
            entries.push_back({info.fileName(), info.isDir(), info.size(), info.lastModified()});
        return true;
    }
    bool Exists(const QString &path) override { return !Local(path).isEmpty() && QFileInfo::exists(Local(path)); }
    bool MakeDir(const QString &path) override { return !Local(path).isEmpty() && QDir().mkdir(Local(path)); }
    bool Remove(const QString &path, bool isDir) override {
        return !Local(path).isEmpty() && (isDir ? QDir().rmdir(Local(path)) : QFile::remove(Local(path)));
    }
    bool Rename(const QString &from, const QString &to) override {
        return !Local(from).isEmpty() && !Local(to).isEmpty() && QDir().rename(Local(from), Local(to));
    }
    bool Download(const QString &path, const QString &local) override {
        QFile::remove(local);
        return !Local(path).isEmpty() && QFile::copy(Local(path), local);
    }
    bool Upload(const QString &local, const QString &path) override {
        QFile::remove(Local(path));
        return !Local(path).isEmpty() && QFile::copy(local, Local(path));
    }
    bool DiskSpace(const QString &path, qint64 &total, qint64 &free) override {
        spaceAskedFor = path;
        total = 1000;
        free = 300;
        return true;
    }

    QString Local(const QString &path) const {
        const QString share = "\\\\srv\\share";
        if (path != share && !path.startsWith(share + "\\"))
            return QString();
        return folder.path() + QString(path.mid(share.size())).replace('\\', '/');
    }
    QByteArray Read(const QString &path) const {
        QFile file(Local(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir folder;
    QString spaceAskedFor;
};

struct ShareViews {
    FolderServer server;
    NavigatorListing local, share;
    TWin_FS localFs{&local};
    TNetwork_FS shareFs{&share, &server};
    ShareViews() {
        local.SetFileSystem(&localFs);
        share.SetFileSystem(&shareFs);
    }
};

TEST(NetworkFs, CopiesRenamesAndDeletesInsideAShare) {
    LocalRig rig;
    rig.Write("tree/a.txt", "alpha");
    rig.Write("tree/sub/b.bin", QByteArray("\0\1\2", 3));
    ShareViews v;
    const QString share = "\\\\srv\\share";

    EXPECT_TRUE(v.localFs.CopyTo("X:\\tree", share + "\\tree", &v.share, 1));
    EXPECT_EQ(v.server.Read(share + "\\tree\\a.txt"), "alpha");
    EXPECT_EQ(v.server.Read(share + "\\tree\\sub\\b.bin"), QByteArray("\0\1\2", 3));

    v.shareFs.ReadDir(share + "\\tree");
    EXPECT_TRUE(v.shareFs.ListValid());
    EXPECT_EQ(Captions(v.share), (QStringList{"../", "a.txt", "sub/"}));

    EXPECT_TRUE(v.shareFs.CopyTo(share + "\\tree", "X:\\back", &v.local, 1));
    EXPECT_EQ(rig.Read("back/sub/b.bin"), QByteArray("\0\1\2", 3));

    rig.Write("a.txt", "newer");
    rig.answers = {IdNo};
    v.localFs.CopyTo("X:\\a.txt", share + "\\tree\\a.txt", &v.share, 0);
    EXPECT_EQ(rig.messages.last().left(5), "Файл ") << "an existing file in the share is asked about";
    EXPECT_EQ(v.server.Read(share + "\\tree\\a.txt"), "alpha");
    EXPECT_FALSE(v.shareFs.LastStoreWritten());
    rig.answers = {IdYes};
    v.localFs.CopyTo("X:\\a.txt", share + "\\tree\\a.txt", &v.share, 0);
    EXPECT_EQ(v.server.Read(share + "\\tree\\a.txt"), "newer");

    EXPECT_TRUE(v.shareFs.CreateDir(share + "\\tree\\made"));
    EXPECT_TRUE(v.shareFs.Rename(share + "\\tree\\a.txt", share + "\\tree\\made\\c.txt"));
    EXPECT_EQ(v.server.Read(share + "\\tree\\made\\c.txt"), "newer");
    rig.messages.clear();
    EXPECT_FALSE(v.shareFs.Rename(share + "\\tree\\made\\c.txt", share + "\\tree\\sub\\b.bin"))
        << "an existing target is not replaced";
    EXPECT_EQ(rig.messages, QStringList{"Не могу переименовать \\\\srv\\share\\tree\\made\\c.txt в "
                                        "\\\\srv\\share\\tree\\sub\\b.bin"});

    v.shareFs.SaveText(share + "\\tree\\notes.txt", {"a", "b"});
    EXPECT_EQ(v.server.Read(share + "\\tree\\notes.txt"), "a\nb\n");
    QStringList lines;
    v.shareFs.LoadText(share + "\\tree\\notes.txt", lines);
    EXPECT_EQ(lines, (QStringList{"a", "b"}));
    v.shareFs.CreateEmptyFile("empty.dat");
    EXPECT_EQ(v.server.Read(share + "\\tree\\empty.dat"), "") << "made in the share's folder last listed";
    rig.messages.clear();
    v.shareFs.CreateEmptyFile("notes.txt");
    EXPECT_EQ(rig.messages.size(), 1) << "an existing file is not emptied";
    EXPECT_EQ(v.server.Read(share + "\\tree\\notes.txt"), "a\nb\n");

    const DiskSpaceInfo space = v.shareFs.GetDiskSpace();
    EXPECT_EQ(v.server.spaceAskedFor, share + "\\tree");
    EXPECT_EQ(space.TotalBytes, 1000);
    EXPECT_EQ(space.FreeBytes, 300);
    EXPECT_EQ(space.UsedBytes, 700);
    EXPECT_EQ(space.TrashBytes, -1);

    SearchResults found;
    v.shareFs.Search(share, "*.bin", found, false);
    EXPECT_EQ(found, QStringList{share + "\\tree\\sub\\b.bin"});

    EXPECT_TRUE(v.shareFs.Delete(share + "\\tree", 1));
    EXPECT_FALSE(v.server.Exists(share + "\\tree"));
}

} // namespace
