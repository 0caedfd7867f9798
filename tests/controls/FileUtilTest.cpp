#include "controls/FileUtil.h"
#include "controls/LibraryErrors.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

class FileUtilTest : public testing::Test {
protected:
    QTemporaryDir temp;

    QString Path(const QString &name) const { return temp.filePath(name); }
    QString Write(const QString &name, const QByteArray &bytes) const {
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray Read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static QByteArray Pattern(int size) {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 7 + i / 251);
        return bytes;
    }
};

TEST_F(FileUtilTest, PathTexts) {
    struct Case {
        const char *path, *normal, *noSlash;
    };
    const Case cases[] = {
        {"", "", ""},
        {"C:", "C:", "C:"},
        {"C:\\", "C:\\", "C:\\"},
        {"C:\\Data", "C:\\Data/", "C:\\Data"},
        {"C:\\Data\\", "C:\\Data\\", "C:\\Data"},
        {"\\", "\\", "\\"},
        {"/", "/", "/"},
        {"/tmp/data", "/tmp/data/", "/tmp/data"},
        {"c", "c/", "c"}, // no drive letters here: a one-letter folder
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(NormalDir(QString::fromLatin1(c.path)), QString::fromLatin1(c.normal));
        EXPECT_EQ(RemoveBackSlash(QString::fromLatin1(c.path)), QString::fromLatin1(c.noSlash));
    }
    EXPECT_TRUE(ValidFileName(QStringLiteral("a.txt")));
    EXPECT_FALSE(ValidFileName(QStringLiteral("a[1].txt")));
    EXPECT_TRUE(ValidFileName(QStringLiteral("C:\\dir\\a.txt")));
    EXPECT_FALSE(ValidFileName(QString()));
    EXPECT_FALSE(ValidFileName(QStringLiteral("a|b")));
}

TEST_F(FileUtilTest, CopiesWholeFilesWithTheirTimeIntoNewFolders) {
    // Sizes around the 8192-byte buffer: an exact multiple ends after one empty read.
    for (const int size : {0, 1, 8191, 8192, 16384, 20000}) {
        SCOPED_TRACE(size);
        const QString source = Write(QStringLiteral("src.bin"), Pattern(size));
        const QDateTime stamp = QDateTime::currentDateTime().addDays(-3).addMSecs(-QDateTime::currentMSecsSinceEpoch() % 1000);
        {
            QFile f(source);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
        const QString target = Path(QStringLiteral("a/b/c/copy%1.bin").arg(size));
        QProgressBar progress;
        CopyFile(source, target, &progress);
        EXPECT_EQ(Read(target), Pattern(size));
        EXPECT_EQ(QFileInfo(target).lastModified().toSecsSinceEpoch(), stamp.toSecsSinceEpoch());
        EXPECT_EQ(progress.maximum(), size);
        EXPECT_EQ(progress.value(), 0); // reset at the end
    }
    // Into an existing directory, under the source's name.
    const QString source = Write(QStringLiteral("one.txt"), "one");
    QDir().mkpath(Path(QStringLiteral("into")));
    CopyFile(source, Path(QStringLiteral("into")));
    EXPECT_EQ(Read(Path(QStringLiteral("into/one.txt"))), QByteArray("one"));
}

TEST_F(FileUtilTest, CopyFailuresNameTheirFileAndLeaveNoHalfFile) {
    try {
        CopyFile(Path(QStringLiteral("missing")), Path(QStringLiteral("x")));
        FAIL();
    } catch (const EFOpenError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot open file %1").arg(Path(QStringLiteral("missing"))));
    }
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("x"))));

    // A read-only destination is kept unless overwriting it was asked for.
    const QString source = Write(QStringLiteral("new.txt"), "new");
    const QString target = Write(QStringLiteral("old.txt"), "old");
    QFile::setPermissions(target, QFileDevice::ReadOwner);
    EXPECT_TRUE(HasAttr(target, faReadOnly));
    EXPECT_THROW(CopyFileEx(source, target, false, false), EFCreateError);
    EXPECT_EQ(Read(target), QByteArray("old"));
    CopyFileEx(source, target, true, false);
    EXPECT_EQ(Read(target), QByteArray("new"));
    // Only the final file is left in the folder: no temporary beside it.
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(FileUtilTest, MovesRenameOrCopyAndSayWhenNothingMoved) {
    const QString source = Write(QStringLiteral("m.txt"), "moved");
    EXPECT_TRUE(MoveFile(source, Path(QStringLiteral("m2.txt"))));
    EXPECT_EQ(Read(Path(QStringLiteral("m2.txt"))), QByteArray("moved"));
    EXPECT_FALSE(QFileInfo::exists(source));
    // A rename into a folder that does not exist fails; the copy creates the folder.
    EXPECT_TRUE(MoveFile(Path(QStringLiteral("m2.txt")), Path(QStringLiteral("deep/er/m3.txt"))));
    EXPECT_EQ(Read(Path(QStringLiteral("deep/er/m3.txt"))), QByteArray("moved"));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("m2.txt"))));
    // A missing source does nothing and raises nothing.
    EXPECT_FALSE(MoveFileEx(Path(QStringLiteral("none.txt")), Path(QStringLiteral("n.txt")), true));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("n.txt"))));
}

TEST_F(FileUtilTest, SizesDatesAndAttributes) {
    const QString file = Write(QStringLiteral("s.bin"), Pattern(1234));
    EXPECT_EQ(GetFileSize(file), 1234);
    EXPECT_EQ(GetFileSize(temp.path()), -1);
    EXPECT_EQ(GetFileSize(Path(QStringLiteral("none"))), -1);
    EXPECT_EQ(FileDateTime(Path(QStringLiteral("none"))), NullDate);
    EXPECT_NEAR(FileDateTime(file), Now(), 1.0 / 24);
    EXPECT_TRUE(HasAttr(temp.path(), faDirectory));
    EXPECT_FALSE(HasAttr(file, faDirectory));
    EXPECT_TRUE(DirExists(temp.path()));
    EXPECT_FALSE(DirExists(file));
    ForceDirectories(Path(QStringLiteral("p/q/r/")));
    EXPECT_TRUE(DirExists(Path(QStringLiteral("p/q/r"))));
    EXPECT_EQ(ShortToLongPath(file), file);
    EXPECT_TRUE(ShortToLongFileName(Path(QStringLiteral("none"))).isEmpty());
}

TEST_F(FileUtilTest, DeletingByMasksAndClearingTrees) {
    Write(QStringLiteral("d/a.tmp"), "a");
    Write(QStringLiteral("d/b.tmp"), "b");
    Write(QStringLiteral("d/keep.txt"), "k");
    Write(QStringLiteral("e/c.log"), "c");
    EXPECT_TRUE(DeleteFiles(Path(QStringLiteral("d/*.tmp"))));
    EXPECT_EQ(QDir(Path(QStringLiteral("d"))).entryList(QDir::Files), QStringList{"keep.txt"});
    // A first mask without matches fails, and the second one is not processed.
    EXPECT_FALSE(DeleteFilesEx({Path(QStringLiteral("d/*.none")), Path(QStringLiteral("e/*.log"))}));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("e/c.log"))));
    EXPECT_TRUE(DeleteFilesEx({}));

    Write(QStringLiteral("tree/x/y/z.txt"), "z");
    const QString readOnly = Write(QStringLiteral("tree/ro.txt"), "r");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    EXPECT_TRUE(ClearDir(Path(QStringLiteral("tree")), false));
    EXPECT_TRUE(DirExists(Path(QStringLiteral("tree"))));
    EXPECT_TRUE(QDir(Path(QStringLiteral("tree"))).isEmpty(QDir::Files));
    EXPECT_TRUE(ClearDir(Path(QStringLiteral("tree")), true));
    EXPECT_FALSE(DirExists(Path(QStringLiteral("tree"))));
    EXPECT_FALSE(ClearDir(Path(QStringLiteral("none")), true));
}

TEST_F(FileUtilTest, RecordLocks) {
    const QString file = Write(QStringLiteral("lock.bin"), Pattern(100));
    const int fd = ::open(file.toLocal8Bit().constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(FileLock(fd, 0, 10), 0);
    EXPECT_EQ(FileUnlock(fd, 0, 10), 0);
    EXPECT_NE(FileLock(-1, 0, 10), 0);
    ::close(fd);
}

} // namespace
