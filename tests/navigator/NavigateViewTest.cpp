#include "NavigatorTestRig.h"
#include "SrvioTestRig.h"

#include "navigator/ComboBoxConnect.h"
#include "navigator/LCD_FS.h"
#include "navigator/NavigateView.h"
#include "navigator/Network_FS.h"
#include "navigator/Win_FS.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

QStringList Names(const TNavigateView &view) {
    QStringList names;
    for (const NavigatorItem &item : view.Items)
        names << item.Name();
    return names;
}

struct LocalView {
    LocalRig rig;
    TNavigateView view;
    TWin_FS fs{&view};
    LocalView() { view.SetFileSystem(&fs); }
    int IndexOf(const QString &name) const {
        for (std::size_t i = 0; i < view.Items.size(); ++i)
            if (view.Items[i].Name() == name)
                return int(i);
        return -1;
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&view, &press);
    }
};

TEST(NavigateView, EnteringAndLeavingDirectoriesSelects) {
    LocalView v;
    QDir().mkpath(v.rig.Path("top/inner"));
    v.rig.Write("top/inner/f.txt", "x");
    v.view.UpdateDir("X:\\top");
    v.view.Select(v.IndexOf("inner"));
    v.view.ChangeDir();
    EXPECT_EQ(v.fs.CurrentPath(), "X:\\top\\inner");
    ASSERT_GE(v.view.Selected(), 0);
    EXPECT_EQ(v.view.Items[std::size_t(v.view.Selected())].Caption, "..");
    v.Key(Qt::Key_Return);
    EXPECT_EQ(v.fs.CurrentPath(), "X:\\top");
    EXPECT_EQ(v.view.Items[std::size_t(v.view.Selected())].Caption, "inner");
}

TEST(NavigateView, SortingKeepsDirectoriesFirstInListingOrder) {
    LocalView v;
    for (const char *dir : {"d1", "d2"})
        QDir().mkpath(v.rig.Path(QString("s/") + dir));
    v.rig.Write("s/b.txt", QByteArray(20, 'x'));
    v.rig.Write("s/a.txt", QByteArray(100, 'x'));
    v.rig.Write("s/C.txt", QByteArray(3, 'x'));
    v.view.UpdateDir("X:\\s");
    EXPECT_EQ(v.view.SortColumn(), 0);
    EXPECT_EQ(Names(v.view), (QStringList{"..", "d1", "d2", "a.txt", "b.txt", "C.txt"}));
    v.view.ChangeSort(0);
    EXPECT_EQ(Names(v.view), (QStringList{"..", "d1", "d2", "C.txt", "b.txt", "a.txt"}));
    v.view.ChangeSort(2);
    EXPECT_EQ(Names(v.view), (QStringList{"..", "d1", "d2", "C.txt", "b.txt", "a.txt"})) << "numeric sizes";
    v.view.ChangeSort(2);
    EXPECT_EQ(Names(v.view), (QStringList{"..", "d1", "d2", "a.txt", "b.txt", "C.txt"}));
    // Rows of one day compare equal under the date column: the order stays a strict weak one.
    NavigatorItem x{"x", 2, {"", "1", "01.02.24 10:00", ""}}, y{"y", 2, {"", "1", "01.02.24 23:59", ""}};
    v.view.ChangeSort(3);
    EXPECT_FALSE(v.view.Less(x, y));
    EXPECT_FALSE(v.view.Less(y, x));
    // Two-digit years: 99 is 1999, 24 is 2024, 85 is 1985.
    NavigatorItem y1999{"a", 2, {"", "1", "31.12.99 23:59", ""}}, y1985{"b", 2, {"", "1", "01.01.85 00:00", ""}};
    EXPECT_TRUE(v.view.Less(y1999, x));
    EXPECT_FALSE(v.view.Less(x, y1999));
    EXPECT_TRUE(v.view.Less(y1985, y1999));
}

TEST(NavigateView, CheckedTotalsMasksAndKeys) {
    LocalView v;
    v.rig.Write("c/a.txt", QByteArray(1000, 'x'));
    v.rig.Write("c/b.TXT", QByteArray(2000, 'x'));
    v.rig.Write("c/c.dat", QByteArray(500, 'x'));
    v.rig.Write("c/d.dat", QByteArray(100, 'x'));
    QDir().mkpath(v.rig.Path("c/sub"));
    v.view.UpdateDir("X:\\c");
    for (const char *name : {"a.txt", "b.TXT", "c.dat"})
        v.view.SetChecked(v.IndexOf(name), true);
    v.view.CountCheckedFiles();
    EXPECT_EQ(v.view.CheckedInfo(), "3 k в 3 выделенных файлах");
    v.view.SelectDeselect("*.*", false);
    EXPECT_FALSE(v.view.HasChecked());
    EXPECT_EQ(v.view.CheckedInfo(), "");
    v.view.SetChecked(v.IndexOf("d.dat"), true);
    v.view.CountCheckedFiles();
    EXPECT_EQ(v.view.CheckedInfo(), "100 байт в 1 выделенных файлах");
    v.view.SelectDeselect("*.*", false);

    v.view.SelectDeselect("*.txt", true);
    EXPECT_EQ(v.view.CheckedInfo(), "2 k в 2 выделенных файлах");
    v.view.SelectDeselect("*.*", false);
    v.view.SelectDeselect("txt", true);
    EXPECT_FALSE(v.view.HasChecked()) << "a mask without a dot checks nothing";
    v.view.SelectDeselect("*.*", true);
    EXPECT_TRUE(v.view.Items[std::size_t(v.IndexOf("sub"))].Checked);
    EXPECT_FALSE(v.view.Items[std::size_t(v.IndexOf(".."))].Checked);

    v.view.SelectDeselect("*.*", false);
    v.view.clearSelection();
    v.Key(Qt::Key_Insert);
    EXPECT_FALSE(v.view.HasChecked()) << "Insert without a selection";
    v.view.Select(v.IndexOf("a.txt"));
    v.Key(Qt::Key_Insert);
    EXPECT_TRUE(v.view.Items[std::size_t(v.IndexOf("a.txt"))].Checked);
    EXPECT_EQ(v.view.Selected(), v.IndexOf("a.txt") + 1);
    v.Key(Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_FALSE(v.view.Items[std::size_t(v.IndexOf("a.txt"))].Checked);
    EXPECT_TRUE(v.view.Items[std::size_t(v.IndexOf("c.dat"))].Checked);
    EXPECT_FALSE(v.view.Items[0].Checked) << "never ..";
    v.Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(v.view.CheckedInfo(), "3 k в 5 выделенных файлах");
}

TEST(NavigateView, ShortenedPath) {
    LocalView v;
    QDir().mkpath(v.rig.Path("first/second/third/fourth/fifth"));
    v.view.UpdateDir("X:\\first\\second\\third\\fourth\\fifth");
    v.view.SetWidthPath(10000);
    EXPECT_EQ(v.view.StringPath(), "X:\\first\\second\\third\\fourth\\fifth");
    const QFontMetrics metrics(v.view.font());
    v.view.SetWidthPath(metrics.horizontalAdvance("X:\\...\\fourth\\fifth") + 1);
    EXPECT_EQ(v.view.StringPath(), "X:\\...\\fourth\\fifth");
}

TEST(NavigateView, FileOperations) {
    LocalView v;
    v.rig.Write("A/B/f.txt", "1");
    v.rig.Write("A/page.html", "<p>");
    v.rig.Write("A/page2.Htm", "<p>");
    v.rig.Write("A/setup.EXE", "");
    QDir().mkpath(v.rig.Path("AB"));
    v.view.UpdateDir("X:");
    v.view.CopyObj(v.IndexOf("A"), "X:\\A\\B", &v.view);
    EXPECT_EQ(v.rig.messages.last(), "Нельзя копировать каталог X:\\A в собственный подкаталог X:\\A\\B");
    v.view.CopyObj(v.IndexOf("A"), "X:\\AB\\x", &v.view);
    EXPECT_EQ(v.rig.Read("AB/x/B/f.txt"), "1") << "a sibling with the same beginning is no sub-directory";

    v.view.UpdateDir("X:\\A");
    QStringList opened, started;
    v.view.OpenPage = [&](const QString &p) { opened << p; };
    v.view.StartProgram = [&](const QString &p) { started << p; };
    for (const char *name : {"page.html", "page2.Htm", "setup.EXE"}) {
        v.view.Select(v.IndexOf(name));
        v.view.ChangeDir();
    }
    EXPECT_EQ(opened, QStringList{v.rig.Path("A/page.html")});
    EXPECT_EQ(started, QStringList{v.rig.Path("A/setup.EXE")});
    QString editorPath;
    EXPECT_TRUE(v.view.IsViewEditor(editorPath));
    EXPECT_EQ(editorPath, "X:\\A\\setup.EXE");

    // A move whose store was declined keeps its source.
    v.rig.Write("dst/page.html", "old");
    v.rig.answers = {IdNo};
    v.view.MoveRenameObj(v.IndexOf("page.html"), "X:\\dst\\page.html", &v.view, 0);
    EXPECT_TRUE(QFileInfo::exists(v.rig.Path("A/page.html")));
    EXPECT_EQ(v.rig.Read("dst/page.html"), "old");
    v.view.MoveRenameObj(v.IndexOf("page2.Htm"), "X:\\dst\\page2.Htm", &v.view, 0);
    EXPECT_FALSE(QFileInfo::exists(v.rig.Path("A/page2.Htm")));
    EXPECT_EQ(v.rig.Read("dst/page2.Htm"), "<p>");

    // Checked entries are deleted whatever is selected; a checked ".." is skipped.
    v.view.UpdateDir("X:\\A");
    v.view.SetChecked(v.IndexOf("page.html"), true);
    v.view.SetChecked(0, true);
    v.view.CountCheckedFiles();
    v.view.Select(v.IndexOf("setup.EXE"));
    v.rig.answers = {IdYes};
    v.view.DeleteObj(nullptr);
    EXPECT_EQ(v.rig.messages.last(), "Удалить выделенные объекты из X:\\A?");
    EXPECT_FALSE(QFileInfo::exists(v.rig.Path("A/page.html")));
    EXPECT_TRUE(QFileInfo::exists(v.rig.Path("A/setup.EXE")));

    v.view.MakeDir("X:\\A\\made");
    EXPECT_EQ(v.view.Items[std::size_t(v.view.Selected())].Caption, "made");
    v.view.MakeFile("X:\\A\\new.txt");
    EXPECT_TRUE(QFileInfo::exists(v.rig.Path("A/new.txt")));
    EXPECT_EQ(v.view.Items[std::size_t(v.view.Selected())].Caption, "new");
}

class FakeNetwork : public NetworkBrowser {
public:
    QString ProviderName() override { return "Microsoft Windows Network"; }
    bool Parent(const QString &remote, QString &parent) override {
        if (remote.isEmpty())
            return false;
        if (remote == "WORKGROUP") {
            parent = ProviderName();
        } else if (remote.count('\\') == 2) {
            parent = "WORKGROUP";
        } else {
            parent = remote.left(remote.lastIndexOf('\\'));
        }
        return true;
    }
    bool Enumerate(const QString &remote, QStringList &children) override {
        if (remote.isEmpty())
            children = {"WORKGROUP"};
        else if (remote == "WORKGROUP")
            children = {"\\\\srv"};
        else if (remote == "\\\\srv")
            children = {"\\\\srv\\share"};
        else
            return false;
        return true;
    }
    bool ListFolder(const QString &path, std::vector<Entry> &entries) override {
        if (path != "\\\\srv\\share")
            return false;
        entries = {{"docs", true, 0, QDateTime(QDate(2024, 3, 1), QTime(9, 30))},
                   {"readme.txt", false, 12, QDateTime(QDate(2024, 3, 2), QTime(10, 0))}};
        return true;
    }
};

TEST(NavigatorCombo, NetworkLevels) {
    LocalRig rig;
    TNavigateView view;
    TDriveComboBoxConnect combo;
    combo.SetNetworkBrowser(std::make_unique<FakeNetwork>());
    combo.SetNavigateView(&view);
    combo.SetDrive("Microsoft Windows Network");
    EXPECT_EQ(Names(view), QStringList{"WORKGROUP"}) << "the top has no ..";
    view.Select(0);
    view.ChangeDir();
    EXPECT_EQ(Names(view), (QStringList{"..", "srv"}));
    EXPECT_EQ(view.Items[0].SubItems[3], "") << "a group's parent is the top";
    EXPECT_EQ(view.Items[1].SubItems[3], "\\\\srv");
    view.Select(1);
    view.ChangeDir();
    EXPECT_EQ(Names(view), (QStringList{"..", "srv\\share"}));
    view.Select(1);
    view.ChangeDir();
    EXPECT_EQ(Names(view), (QStringList{"..", "docs", "readme.txt"}));
    EXPECT_EQ(view.Items[0].SubItems[3], "\\\\srv");
    EXPECT_EQ(view.Items[2].SubItems[1], "12");
}

TEST(NavigatorCombo, DrivesPortsAndTheInstrument) {
    LocalRig rig;
    rig.Write("local.txt", "x");
    ServerRig server;
    server.Write("on_instrument.txt", "y");
    TNavigateView view;
    TPortDriveComboBoxConnect combo;
    combo.SetNavigateView(&view);
    combo.CreateWnd();
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    EXPECT_TRUE(items.contains("X:\\ []") || items.filter("X:\\ [").size() == 1) << items.join("|").toStdString();
    EXPECT_TRUE(items.contains("Microsoft Windows Network"));
    EXPECT_TRUE(items.contains("Порт:7")) << "the pseudo-terminal of port 7 opens";

    combo.SetDrive("X:");
    EXPECT_EQ(combo.Drive(), "X:");
    EXPECT_EQ(Names(view), QStringList{"local.txt"});
    EXPECT_EQ(view.Selected(), 0);

    // Another choice while the instrument's identification is awaited is refused: it would delete the
    // file system whose wait is running.
    bool duringWait = false;
    QTimer::singleShot(0, &combo, [&] {
        duringWait = combo.LcdFs() && view.FileSystem() != combo.LcdFs();
        combo.setCurrentIndex(0);
        emit combo.activated(0);
    });
    combo.SetDrive("Порт:7");
    EXPECT_TRUE(duringWait) << "the choice came while the identification was awaited";
    EXPECT_EQ(combo.currentText(), "Порт:7");
    EXPECT_EQ(combo.Drive(), "Порт:7");
    ASSERT_NE(combo.LcdFs(), nullptr);
    EXPECT_EQ(view.FileSystem(), combo.LcdFs());
    EXPECT_EQ(Names(view), QStringList{"on_instrument.txt"});

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(&combo);
    layout->addWidget(&view);
    window.resize(560, 300);
    window.show();
    SaveScreenshot(window, "navigator_instrument");
    layout->removeWidget(&combo);
    layout->removeWidget(&view);
    combo.setParent(nullptr);
    view.setParent(nullptr);

    combo.SetDrive("X:");
    EXPECT_EQ(combo.LcdFs(), nullptr) << "choosing a drive closes the instrument";
    EXPECT_TRUE(PumpUntil([&] { return server.server.GoodbyeSeen(); }, 3000));
    combo.SetDrive("");
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_NE(view.FileSystem(), nullptr) << "the local file system stays";
}

} // namespace
