#include "storage/FilePaths.h"
#include "storage/MainCaption.h"

#include "platform/MessageService.h"
#include "state/MainGlobals.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

// Two folders and the questions and messages of the lookups, recorded instead of shown.
class FilePathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("one")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("two")));
        one = root.path() + QStringLiteral("/one");
        two = root.path() + QStringLiteral("/two");
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes.push_back(request.text);
            return int(IdOk);
        });
        SetFilePathQuestions({[this](const QString &, const QString &text) {
                                  questions.push_back(text);
                                  return folderAnswer;
                              },
                              [this](const QString &) {
                                  ++fileDialogs;
                                  return fileAnswer;
                              }});
    }
    void TearDown() override {
        SetMessageBoxHandler({});
        SetBatchMessageSink({});
        SetFilePathQuestions({});
    }
    QString Touch(const QString &folder, const QString &name) {
        QFile file(folder + u'/' + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }
    void DivertToBatch() {
        SetBatchMessageSink([this](const MessageRequest &request) {
            batchLines.push_back(request.text);
            batchCodes.push_back(request.batchCode);
            return int(IdOk);
        });
    }

    QTemporaryDir root;
    QString one, two;
    std::vector<QString> boxes, questions, batchLines;
    std::vector<int> batchCodes;
    int folderAnswer = 0;
    int fileDialogs = 0;
    QString fileAnswer;
};

TEST(FilePathTexts, AbsoluteRelativeAndAbsoluteAgain) {
    struct Case {
        const char *path;
        bool absolute;
    };
    for (const Case &c : {Case{"C:\\R9\\a.9wf", true}, Case{"\\\\server\\a.9wf", true}, Case{"/home/r9/a.9wf", true},
                          Case{"w\\a.9wf", false}, Case{"a.9wf", false}, Case{"", false}})
        EXPECT_EQ(IsAbsolutePath(QString::fromUtf8(c.path)), c.absolute) << c.path;

    QString inMiddle = QStringLiteral("/x/Masks/y/masks/a.9mf");
    MakeRelativePath(inMiddle, QStringLiteral("/MASKS/"));
    EXPECT_EQ(inMiddle, QStringLiteral("/xy/masks/a.9mf")); // only the first occurrence goes
    QString outside = QStringLiteral("/other/a.9mf");
    MakeRelativePath(outside, QStringLiteral("/masks/"));
    EXPECT_EQ(outside, QStringLiteral("/other/a.9mf"));

    QString bare = QStringLiteral("a.9wf");
    MakeAbsolutePath(bare, QStringLiteral("/r9/Masks/"));
    EXPECT_EQ(bare, QStringLiteral("/r9/Masks/a.9wf"));
    QString drive = QStringLiteral("D:\\w\\a.9wf");
    MakeAbsolutePath(drive, QStringLiteral("/r9/Masks/"));
    EXPECT_EQ(drive, QStringLiteral("D:\\w\\a.9wf"));
    QString empty;
    MakeAbsolutePath(empty, QStringLiteral("/r9/Masks/"));
    EXPECT_TRUE(empty.isEmpty());

    // A Linux path written relative to the mask folder and read back comes back the same, however often.
    QString path = QStringLiteral("/r9/Masks/w/a.9wf");
    for (int round = 0; round < 3; ++round) {
        MakeRelativePath(path, QStringLiteral("/r9/Masks/"));
        MakeAbsolutePath(path, QStringLiteral("/r9/Masks/"));
    }
    EXPECT_EQ(path, QStringLiteral("/r9/Masks/w/a.9wf"));
    QString stored = QStringLiteral("/elsewhere/a.9wf");
    MakeAbsolutePath(stored, QStringLiteral("/r9/Masks/"));
    EXPECT_EQ(stored, QStringLiteral("/elsewhere/a.9wf"));
}

TEST_F(FilePathsTest, ResolveTakesTheOnlyOrTheFirstEqualFolderSilently) {
    Touch(two, QStringLiteral("only2.cfg"));
    QString path = QStringLiteral("only2.cfg");
    EXPECT_TRUE(ResolveFilePath(path, two, one));
    EXPECT_EQ(path, two + QStringLiteral("/only2.cfg"));

    // Folders that differ only in letter case count as one: folder 1 wins without a question.
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Cfg")));
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("CFG")));
    const QString lower = root.path() + QStringLiteral("/Cfg");
    const QString upper = root.path() + QStringLiteral("/CFG");
    Touch(lower, QStringLiteral("both.cfg"));
    Touch(upper, QStringLiteral("both.cfg"));
    path = QStringLiteral("both.cfg");
    EXPECT_TRUE(ResolveFilePath(path, upper, lower));
    EXPECT_EQ(path, lower + QStringLiteral("/both.cfg"));
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FilePathsTest, ResolveAsksBetweenDifferentFoldersAndKeepsThePathOnCancel) {
    Touch(one, QStringLiteral("s.cfg"));
    Touch(two, QStringLiteral("s.cfg"));
    struct Case {
        int answer;
        bool found;
        QString expected;
    };
    for (const Case &c : {Case{1, true, one + QStringLiteral("/s.cfg")}, Case{2, true, two + QStringLiteral("/s.cfg")},
                          Case{0, false, QStringLiteral("s.cfg")}}) {
        folderAnswer = c.answer;
        QString path = QStringLiteral("s.cfg");
        EXPECT_EQ(ResolveFilePath(path, two, one), c.found);
        EXPECT_EQ(path, c.expected);
    }
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_TRUE(questions[0].startsWith(QStringLiteral("Файл 's.cfg' найден в каталогах: \n\n    №1.  ") + one +
                                        QStringLiteral(" \n    №2.  ") + two + QStringLiteral(" \n\n")));

    // Batch control never asks: the scenario's own folder wins.
    DivertToBatch();
    QString path = QStringLiteral("s.cfg");
    EXPECT_TRUE(ResolveFilePath(path, two, one));
    EXPECT_EQ(path, one + QStringLiteral("/s.cfg"));
    EXPECT_EQ(questions.size(), 3u);
}

TEST_F(FilePathsTest, ResolveMissingAsksForAFileOrEndsTheBatch) {
    const QString replacement = Touch(two, QStringLiteral("other.cfg"));
    fileAnswer = replacement;
    QString path = QStringLiteral("gone.cfg");
    EXPECT_TRUE(ResolveFilePath(path, two, one));
    EXPECT_EQ(path, replacement);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], QStringLiteral("Файл 'gone.cfg' не найден!\nУкажите путь к файлу или его замену!"));

    fileAnswer.clear();
    path = QStringLiteral("/absent/gone.cfg");
    EXPECT_FALSE(ResolveFilePath(path, two, one));
    EXPECT_EQ(path, QStringLiteral("/absent/gone.cfg"));

    DivertToBatch();
    const int dialogsBefore = fileDialogs;
    EXPECT_FALSE(ResolveFilePath(path, two, one));
    EXPECT_EQ(fileDialogs, dialogsBefore);
    ASSERT_EQ(batchLines.size(), 1u);
    EXPECT_EQ(batchLines[0], QStringLiteral("Файл '/absent/gone.cfg' не найден!"));
    EXPECT_EQ(batchCodes[0], -5);
}

TEST_F(FilePathsTest, LocateLooksInTheLastMaskFolderThenTheMaskFolder) {
    const QString inFirst = Touch(one, QStringLiteral("a.9wf"));
    const QString inSecond = Touch(two, QStringLiteral("a.9wf"));
    Touch(two, QStringLiteral("b.9wf"));
    QString path = QStringLiteral("C:\\old\\w\\a.9wf");
    EXPECT_TRUE(LocateFile(path, two, one));
    EXPECT_EQ(path, inFirst);
    path = QStringLiteral("w\\b.9wf");
    EXPECT_TRUE(LocateFile(path, two, one));
    EXPECT_EQ(path, two + QStringLiteral("/b.9wf"));
    path = inSecond;
    EXPECT_TRUE(LocateFile(path, two, one)); // where it stands
    EXPECT_EQ(path, inSecond);

    path = QStringLiteral("c.9wf");
    EXPECT_FALSE(LocateFile(path, two, one));
    EXPECT_TRUE(path.isEmpty()); // a cancelled search forgets the file
    EXPECT_EQ(fileDialogs, 1);
}

TEST(MainCaption, KeepsTheDriveAndTheLastComponentsThatFit) {
    ProgramName = QStringLiteral("R9_307");
    const QString caption = MainCaptionText(QStringLiteral("C:\\R9\\Config\\long\\a.cfg"));
    EXPECT_EQ(caption, QStringLiteral("R9_307  C:\\R9\\Config\\long\\a.cfg"));
    const auto chars = [](const QString &text) { return int(text.size()); };
    EXPECT_EQ(FitCaptionText(caption, 100, chars), caption);
    EXPECT_EQ(FitCaptionText(caption, 26, chars), QStringLiteral("R9_307  C:\\...\\long\\a.cfg"));
    EXPECT_EQ(FitCaptionText(caption, 20, chars), QStringLiteral("R9_307  C:\\...\\a.cfg"));
    EXPECT_EQ(FitCaptionText(caption, 5, chars), QStringLiteral("R9_307  C:\\..."));
    EXPECT_EQ(FitCaptionText(QStringLiteral("R9_307  /home/r9/Config/a.cfg"), 22, chars),
              QStringLiteral("R9_307  /.../a.cfg"));
}

} // namespace
