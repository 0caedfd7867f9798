#pragma once

#include "controls/ToolEdit.h"

#include <QStringList>

// (Sender, the name or folder, whether to go on): may change both.
using TExecOpenDialogEvent = std::function<void(QObject *sender, QString &name, bool &action)>;

// The base of the file and directory edits: takes names dropped on it (when AcceptFiles) and brackets every
// dialog with OnBeforeDialog and OnAfterDialog.
class TFileDirEdit : public TCustomComboEdit {
    Q_OBJECT
public:
    explicit TFileDirEdit(QWidget *parent = nullptr);

    bool AcceptFiles() const { return acceptDrops(); }
    void SetAcceptFiles(bool value) { setAcceptDrops(value); }
    void SetOnBeforeDialog(TExecOpenDialogEvent handler) { onBeforeDialog_ = std::move(handler); }
    void SetOnAfterDialog(TExecOpenDialogEvent handler) { onAfterDialog_ = std::move(handler); }
    void SetOnDropFiles(TNotifyEvent handler) { onDropFiles_ = std::move(handler); }
    virtual QString GetLongName() const = 0;
    virtual QString GetShortName() const = 0;
    // Takes one dropped name; the names of a drop come one by one, whatever their length.
    virtual void ReceptFileDir(const QString &name) = 0;
    virtual void ClearFileList() {}
    void DropFiles(const QStringList &names);

protected:
    QPixmap GetDefaultBitmap() const override;
    void DoBeforeDialog(QString &name, bool &action);
    void DoAfterDialog(QString &name, bool &action);
    bool Multiple() const { return multiple_; }
    void SetMultiple(bool value) { multiple_ = value; }
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool multiple_ = false;
    TExecOpenDialogEvent onBeforeDialog_;
    TExecOpenDialogEvent onAfterDialog_;
    TNotifyEvent onDropFiles_;
};

enum TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };

// An edit for one file name (or several with multiple selection); its button opens a file dialog. A name
// with a space is kept in double quotes.
class TFilenameEdit : public TFileDirEdit {
    Q_OBJECT
public:
    explicit TFilenameEdit(QWidget *parent = nullptr);

    QString FileName() const;
    // Raises EComboEditError "Invalid file name - %s" for a name that is not valid.
    void SetFileName(const QString &value);
    TFileDialogKind DialogKind() const { return dialogKind_; }
    void SetDialogKind(TFileDialogKind value) { dialogKind_ = value; }
    QString Filter() const { return filter_; }
    void SetFilter(const QString &value) { filter_ = value; }
    QString InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString &value) { initialDir_ = value; }
    QString DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(const QString &value) { dialogTitle_ = value; }
    QString DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const QString &value) { defaultExt_ = value; }
    bool AllowMultiSelect() const { return Multiple(); }
    void SetAllowMultiSelect(bool value);
    QStringList GetDialogFiles() const { return files_; }
    QString GetLongName() const override;
    QString GetShortName() const override;
    void ReceptFileDir(const QString &name) override;
    void ClearFileList() override { files_.clear(); }

    static QString FileNamePart(const QString &text);
    static QString QuoteFileName(const QString &text);

protected:
    void ButtonClick() override;
    // Runs the file dialog from `name`; true with `name` the chosen file.
    virtual bool ExecuteDialog(QString &name);

private:
    TFileDialogKind dialogKind_ = dkOpen;
    QString filter_ = QStringLiteral("All files (*.*)|*.*");
    QString initialDir_;
    QString dialogTitle_ = QStringLiteral("Browse");
    QString defaultExt_;
    QStringList files_;
};

// An edit for a folder, or with MultipleDirs a list of folders joined by ";".
class TDirectoryEdit : public TFileDirEdit {
    Q_OBJECT
public:
    explicit TDirectoryEdit(QWidget *parent = nullptr);

    bool MultipleDirs() const { return Multiple(); }
    void SetMultipleDirs(bool value) { SetMultiple(value); }
    QString InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString &value) { initialDir_ = value; }
    QString DialogText() const { return dialogText_; }
    void SetDialogText(const QString &value) { dialogText_ = value; }
    QString GetLongName() const override;
    QString GetShortName() const override;
    void ReceptFileDir(const QString &name) override;

protected:
    void ButtonClick() override;
    // Runs the folder dialog from `folder`; true with `folder` the chosen one.
    virtual bool ExecuteDialog(QString &folder);

private:
    QString initialDir_;
    QString dialogText_;
};
