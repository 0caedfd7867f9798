#include "NavigatorTestRig.h"

#include "navigator/Win_FS.h"

#include <QDateTime>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Views {
    NavigatorListing left, right;
    TWin_FS leftFs{&left}, rightFs{&right};
    QStringList progress;
    Views() {
        left.SetFileSystem(&leftFs);
        right.SetFileSystem(&rightFs);
        left.OnProgress = [this](NavigatorListing *, const QString &name, int pos) {
            progress << name + " " + QString::number(pos);
        };
    }
};

TEST(WinFs, ListsEntriesWithTheirColumns) {
    LocalRig rig;
    rig.Write("d/a.b.c", "12345");
    rig.Write("d/README", "");
    rig.Write("d/.profile", "x");
    // A name ending in "." is its own entry, never the file without the dot.
    rig.Write("d/a.", "dot");
    QDir().mkpath(rig.Path("d/sub"));
    QFile old(rig.Path("d/README"));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    old.setFileTime(QDateTime(QDate(1980, 6, 1), QTime(12, 0)), QFileDevice::FileModificationTime);
    old.close();
    Views v;
    v.leftFs.ReadDir("X:\\d");
    EXPECT_TRUE(v.leftFs.ListValid());
    EXPECT_EQ(v.leftFs.CurrentPath(), "X:\\d");
    QStringList captions = Captions(v.left);
    captions.sort();
    EXPECT_EQ(captions, (QStringList{"../", ".profile", "README", "a.", "a.b.c", "sub/"}));
    for (const NavigatorItem &item : v.left.Items) {
        if (item.Caption == "..") {
            EXPECT_EQ(item.ImageIndex, 4);
            EXPECT_EQ(item.SubItems[3], "X:");
        } else if (item.Caption == "sub") {
            EXPECT_EQ(item.ImageIndex, 3);
            EXPECT_EQ(item.SubItems[3], "X:\\d\\sub");
        } else if (item.Caption == "a.b") {
            EXPECT_EQ(item.SubItems[1], "5");
        } else if (item.Caption == "README") {
            EXPECT_EQ(item.SubItems[2], "01.01.85 00:00") << "dates before 1985 show as its first moment";
        }
    }
    v.leftFs.ReadDir("X:");
    EXPECT_FALSE(Captions(v.left).contains("../")) << "a drive's root has no ..";
}

TEST(WinFs, MissingDirectoryGivesAMessage) {
    LocalRig rig;
    Views v;
    v.leftFs.ReadDir("X:\\nothing\\here");
    EXPECT_FALSE(v.leftFs.ListValid());
    EXPECT_FALSE(v.leftFs.Connected());
    EXPECT_TRUE(v.left.Items.empty());
    EXPECT_EQ(rig.messages, QStringList{"Устройство по X:\\nothing\\ недоступно!"});
}

TEST(WinFs, TextsLoadWithZerosAsAndSaveWithLf) {
    LocalRig rig;
    rig.Write("t.bin", QByteArray("abc\0ef\r\ngh", 10));
    Views v;
    QStringList lines;
    v.leftFs.LoadText("X:\\t.bin", lines);
    EXPECT_EQ(lines, (QStringList{"abc\u0402ef", "gh"})) << "0x80 in windows-1251";
    EXPECT_EQ(v.leftFs.TextBuffer(), QByteArray("abc\x80" "ef\r\ngh\0", 11));
    v.leftFs.SaveText("X:\\s.txt", {"a", "b"});
    EXPECT_EQ(rig.Read("s.txt"), "a\nb\n");
}

TEST(WinFs, DeleteClearsReadOnlyAndWalksTrees) {
    LocalRig rig;
    rig.Write("t/ro.txt", "1");
    rig.Write("t/sub/x.txt", "2");
    ::chmod(rig.Path("t/ro.txt").toLocal8Bit().constData(), 0444);
    Views v;
    EXPECT_TRUE(v.leftFs.Delete("X:\\t", 1));
    EXPECT_FALSE(QFileInfo::exists(rig.Path("t")));
    EXPECT_TRUE(rig.messages.isEmpty()) << rig.messages.join("|").toStdString();
    EXPECT_FALSE(v.leftFs.Delete("X:\\gone.txt", 0));
    ASSERT_EQ(rig.messages.size(), 1);
    EXPECT_TRUE(rig.messages[0].startsWith("Не могу удалить файл X:\\gone.txt Err="));
}

TEST(WinFs, CopyTreesAndStoreQuestions) {
    LocalRig rig;
    rig.Write("src/a.txt", "A");
    rig.Write("src/in/b.txt", "B");
    rig.Write("dst/a.txt", "old");
    Views v;
    EXPECT_TRUE(v.leftFs.CopyTo("X:\\src", "X:\\copy", &v.right, 1));
    EXPECT_EQ(rig.Read("copy/a.txt"), "A");
    EXPECT_EQ(rig.Read("copy/in/b.txt"), "B");
    EXPECT_TRUE(v.progress.contains("Чтение из X:\\src\\a.txt 0"));
    EXPECT_TRUE(v.progress.contains("Запись в X:\\copy\\a.txt 100"));

    rig.answers = {IdNo};
    EXPECT_TRUE(v.leftFs.CopyTo("X:\\src\\a.txt", "X:\\dst\\a.txt", &v.right, 0));
    EXPECT_EQ(rig.Read("dst/a.txt"), "old");
    EXPECT_FALSE(v.rightFs.LastStoreWritten());
    EXPECT_FALSE(QFileInfo::exists(ExchangeFile()));
    EXPECT_FALSE(CancelAll);
    rig.answers = {IdCancel};
    v.leftFs.CopyTo("X:\\src\\a.txt", "X:\\dst\\a.txt", &v.right, 0);
    EXPECT_TRUE(CancelAll);
    // With the cancel standing, a tree copy makes its folder and copies nothing.
    EXPECT_TRUE(v.leftFs.CopyTo("X:\\src", "X:\\copy2", &v.right, 1));
    EXPECT_TRUE(QFileInfo(rig.Path("copy2")).isDir());
    EXPECT_TRUE(QDir(rig.Path("copy2")).isEmpty());

    // A store whose copy fails (here: the exchange file went) keeps the file it was to replace.
    CancelAll = false;
    rig.messages.clear();
    rig.answers = {IdYes};
    QFile::remove(ExchangeFile());
    v.rightFs.StoreFile("X:\\dst\\a.txt");
    EXPECT_FALSE(v.rightFs.LastStoreWritten());
    EXPECT_EQ(rig.Read("dst/a.txt"), "old");
    EXPECT_EQ(QDir(rig.Path("dst")).entryList(QDir::Files), QStringList{"a.txt"}) << "no copy left beside it";
    EXPECT_EQ(rig.messages.last(), "Не могу записать файл X:\\dst\\a.txt");
    // Answered Yes, the store replaces the file.
    rig.Write("src/ro.txt", "new");
    ::chmod(rig.Path("src/ro.txt").toLocal8Bit().constData(), 0444);
    rig.answers = {IdYes};
    EXPECT_TRUE(v.leftFs.CopyTo("X:\\src\\ro.txt", "X:\\dst\\a.txt", &v.right, 0));
    EXPECT_TRUE(v.rightFs.LastStoreWritten());
    EXPECT_EQ(rig.Read("dst/a.txt"), "new");
    EXPECT_EQ(QDir(rig.Path("dst")).entryList(QDir::Files), QStringList{"a.txt"});

    NavigatorListing nowhere;
    EXPECT_FALSE(v.leftFs.CopyTo("X:\\src\\a.txt", "X:\\z.txt", &nowhere, 0));
    EXPECT_TRUE(ExchangeFile().startsWith(QDir::tempPath())) << "never beside the program";
}

TEST(WinFs, AnUnreadableFileDoesNotEndATreeCopy) {
    LocalRig rig;
    rig.Write("src/a.txt", "A");
    rig.Write("src/z.txt", "Z");
    ASSERT_TRUE(QFile::link(rig.Path("src/missing"), rig.Path("src/bad")));
    Views v;
    v.leftFs.BeginTransfer();
    EXPECT_TRUE(v.leftFs.CopyTo("X:\\src", "X:\\copy", &v.right, 1));
    EXPECT_EQ(rig.Read("copy/a.txt"), "A");
    EXPECT_EQ(rig.Read("copy/z.txt"), "Z") << "the files after the unreadable one are copied";
    EXPECT_FALSE(QFileInfo::exists(rig.Path("copy/bad")));
    EXPECT_EQ(rig.messages, QStringList{"Не могу прочитать файл X:\\src\\bad"});
    EXPECT_FALSE(v.leftFs.TransferComplete()) << "a move must not delete the tree";
}

TEST(WinFs, SearchRenameTrashAndSpace) {
    LocalRig rig;
    rig.Write("s/NOTES.TXT", "");
    rig.Write("s/plain", "");
    rig.Write("s/deep/x.txt", "");
    rig.Write("s/deep/y.doc", "");
    Views v;
    SearchResults found;
    EXPECT_TRUE(v.leftFs.Search("X:\\s", "*.txt", found, false));
    found.sort();
    EXPECT_EQ(found, (QStringList{"X:\\s\\NOTES.TXT", "X:\\s\\deep\\x.txt"}));
    found.clear();
    v.leftFs.Search("X:\\s", "txt", found, false);
    EXPECT_TRUE(found.isEmpty());
    v.leftFs.Search("X:\\s", "*.*", found, false);
    EXPECT_TRUE(found.contains("X:\\s\\plain"));
    EXPECT_TRUE(found.contains("<DIR> X:\\s\\deep"));

    EXPECT_TRUE(v.leftFs.Rename("X:\\s\\plain", "X:\\s\\deep\\moved"));
    EXPECT_TRUE(QFileInfo::exists(rig.Path("s/deep/moved")));
    EXPECT_FALSE(v.leftFs.Rename("X:\\s\\none", "X:\\s\\other")) << "a failed rename says so";

    v.leftFs.ReadDir("X:\\s");
    rig.messages.clear();
    EXPECT_EQ(v.leftFs.TrashCount(), -1);
    EXPECT_EQ(rig.messages, QStringList{"Работа с корзиной для диска X: не предусмотрена."});
    EXPECT_FALSE(v.leftFs.Search("X:\\s", "*.*", found, true));
    const QString before = QDir::currentPath();
    const DiskSpaceInfo space = v.leftFs.GetDiskSpace();
    EXPECT_GT(space.TotalBytes, 0);
    EXPECT_EQ(space.TrashBytes, -1);
    EXPECT_EQ(space.UsedBytes, space.TotalBytes - space.FreeBytes);
    EXPECT_EQ(QDir::currentPath(), before);
}

} // namespace
