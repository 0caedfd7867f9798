#pragma once

#include "navigator/FileSystem.h"

#include <QTreeWidget>

#include <functional>

class TComboBoxConnect;

// The navigator view: the current directory of one file system as a sortable report (name, extension,
// size, date, target), with check marks for group operations, a shortened path text and a summary of the
// checked bytes. The rows live in NavigatorListing::Items; the widget shows them.
class TNavigateView : public QTreeWidget, public NavigatorListing {
    Q_OBJECT
public:
    explicit TNavigateView(QWidget *parent = nullptr);
    ~TNavigateView() override;

    void UpdateDir(const QString &path);
    virtual void ChangeDir();
    void SetPrevDirPosition(const QString &name);
    void SetPrevDir(const QString &name) { SetPrevDirPosition(name); }
    void ChangeSort(int column);
    // Strict weak order of two rows under the current sort: directories first, in their listing order.
    bool Less(const NavigatorItem &a, const NavigatorItem &b) const;
    void UpdateStringPath();
    void CountCheckedFiles();
    void SelectDeselect(const QString &mask, bool select);

    // The file operations on the view's entries.
    bool IsViewEditor(QString &path) const;
    void MakeDir(const QString &path);
    void MakeFile(const QString &path);
    virtual void DeleteObj(QWidget *form);
    void CopyObj(int index, const QString &dst, TNavigateView *destView);
    void MoveRenameObj(int index, const QString &dst, TNavigateView *destView, int rename);
    void ConvertObjCfg(int index, const QString &dst, TNavigateView *destView, int tag, ConvertProc proc,
                       QStringList *list);
    // The full path of the row's entry in the current directory.
    QString EntryPath(int index) const;

    QString StringPath() const { return FStringPath; }
    QString CheckedInfo() const { return FCheckedInfo; }
    bool HasChecked() const { return FHasChecked; }
    int SortColumn() const { return FSortColumn; }
    bool SortAscending() const { return FSortAscending; }
    int WidthPath() const { return FWidthPath; }
    void SetWidthPath(int width);
    bool PathInCaption() const { return FPathInCaption; }
    void SetPathInCaption(bool value);
    TComboBoxConnect *ConnectDrive() const { return FConnectDrive; }
    void SetConnectDrive(TComboBoxConnect *combo);
    // The selected row, -1 for none.
    int Selected() const;
    void Select(int index);
    void SetChecked(int index, bool checked);

    std::function<void(TNavigateView *)> OnUpdate;
    std::function<void(TNavigateView *)> OnUpdateChecked;
    // How files are opened: a page in the browser, a program started; tests replace them.
    std::function<void(const QString &localPath)> OpenPage;
    std::function<void(const QString &localPath)> StartProgram;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // Rebuilds the widget's rows from Items.
    void ShowItems();
    void SortItems();
    void OpenFile(const NavigatorItem &item);

    int FSortColumn = -1;
    bool FSortAscending = true;
    TComboBoxConnect *FConnectDrive = nullptr;
    QString FStringPath;
    QString FCheckedInfo;
    int FWidthPath = 200;
    bool FPathInCaption = false;
    bool FHasChecked = false;
    bool showing_ = false;
};
