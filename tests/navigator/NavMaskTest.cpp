#include "navigator/FileSystem.h"
#include "navigator/NavMask.h"

#include <gtest/gtest.h>

namespace {

TEST(NavMask, MatchMask) {
    const struct {
        const char *pattern;
        const char *text;
        bool match;
    } cases[] = {
        {"a*c", "abc", true},   {"*ab", "xab", true},   {"*ab", "ab", true},  {"a?", "a", false},
        {"ab", "abxb", false},  {"*", "", true},        {"*", "anything", true}, {"", "", false},
        {"", "a", false},       {"?", "", false},       {"TXT", "txt", true}, {"t*t", "tt", true},
        {"a*b*c", "aXbYbZc", true}, {"a*b", "aXbY", false}, {"?b?", "abc", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MatchMask(c.pattern, c.text), c.match) << c.pattern << " / " << c.text;
}

TEST(NavMask, SplitAndSimplify) {
    EXPECT_EQ(SimplifyMask("a?*b*?c**d"), "a*b*c*d");
    QString name, ext;
    SplitMask("*.txt", name, ext);
    EXPECT_EQ(name, "*");
    EXPECT_EQ(ext, "txt");
    SplitMask("abc", name, ext);
    EXPECT_EQ(name, "");
    EXPECT_EQ(ext, "abc");
    SplitMask("a.b.c", name, ext);
    EXPECT_EQ(name, "a");
    EXPECT_EQ(ext, "b.c");
    // Names without a dot have an empty base and extension: only "*.*" finds them.
    EXPECT_TRUE(NameMatches("*", "*", "README"));
    EXPECT_FALSE(NameMatches("*", "txt", "README"));
    EXPECT_TRUE(NameMatches("*", "txt", "NOTES.TXT"));
    EXPECT_FALSE(NameMatches("", "txt", "notes.txt")) << "a mask without a dot finds nothing";
}

TEST(NavMask, SubPathAndNormalize) {
    EXPECT_TRUE(IsSubPath("C:\\A", "C:\\A\\B"));
    EXPECT_TRUE(IsSubPath("C:\\A", "C:\\A"));
    EXPECT_FALSE(IsSubPath("C:\\A", "C:\\AB\\x")) << "a sibling that shares the prefix";
    EXPECT_TRUE(IsSubPath("C:/A//", "C:\\\\A\\B"));
    EXPECT_EQ(NormalizePath("C:/a  b\\\\c"), "C:\\a b\\c");
    EXPECT_EQ(NormalizePath("\\\\server\\share"), "\\\\server\\share");
}

TEST(FileSystemBase, PathsAndDefaults) {
    NavigatorListing view;
    TFileSystem fs(&view);
    for (const auto &[in, out] : std::vector<std::pair<QString, QString>>{{"C:\\", "C:"}, {"C:\\Data", "C:\\Data"}, {"R9:", "R9:"}}) {
        fs.SetCurrentPath(in);
        EXPECT_EQ(fs.CurrentPath(), out);
    }
    QString parent;
    for (const auto &[in, out] :
         std::vector<std::pair<QString, QString>>{{"C:\\Data\\Sub", "C:\\Data"}, {"C:\\Data", "C:"}, {"C:", "C:"}}) {
        fs.ParentPath(in, parent);
        EXPECT_EQ(parent, out);
    }
    fs.ReadDir("C:");
    EXPECT_TRUE(view.Items.empty());
    EXPECT_FALSE(fs.ListValid());
    EXPECT_TRUE(fs.CreateDir("x") && fs.Delete("x", 0) && fs.Rename("a", "b"));
    EXPECT_EQ(fs.TrashCount(), -1);
    const DiskSpaceInfo space = fs.GetDiskSpace();
    EXPECT_EQ(space.TotalBytes + space.UsedBytes + space.FreeBytes + space.TrashBytes, 0);
    EXPECT_EQ(DriveOfPath("R9:\\a"), "R9:");
    EXPECT_EQ(DriveOfPath("C:\\a"), "C:");
    EXPECT_EQ(DriveOfPath("\\\\srv\\share\\a"), "\\\\srv\\share");
}

TEST(FileSystemBase, RowNames) {
    NavigatorItem file{"a.b", 2, {"c", "1", "", ""}};
    EXPECT_EQ(file.Name(), "a.b.c");
    NavigatorItem plain{"README", 2, {"", "1", "", ""}};
    EXPECT_EQ(plain.Name(), "README");
    NavigatorItem dir{"x.y", 3, {"<DIR>", "", "", "C:\\x.y"}};
    EXPECT_EQ(dir.Name(), "x.y");
    EXPECT_TRUE(dir.IsDir());
}

} // namespace
